#pragma once
// The sample player's grain window, generated in code when the program is
// loaded (same form as the tables in Tables.h). Readers that run from other
// static initialisers call Tables::InitGrainTables() first.

namespace Tables {

// A flat-topped grain window of 16,384 points and one guard point equal to
// the first: -0.0066 at both ends, a raised-cosine rise over the first fifth
// with a slight overshoot to the peak 1.0 just after it, about 0.993 through
// the middle, and the mirror image falling over the last fifth.
const unsigned int GRAINWND2_TABLE_SIZE = 16384;
const unsigned int GRAINWND2_TABLE_SIZEM1 = GRAINWND2_TABLE_SIZE - 1;
extern float GRAINWND2_TABLE[GRAINWND2_TABLE_SIZE + 1];

// Fills the grain tables once; safe to call any number of times.
void InitGrainTables();

}  // namespace Tables
