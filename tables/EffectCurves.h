#pragma once
// Curves of the grain shifter and the distortion (same form as the tables in
// Tables.h), computed by the build and carried as read-only data
// (tables/GeneratedTables.h).

#include "tables/EmbeddedTable.h"

namespace Tables {

// Grain window: a raised cosine over the table, 0 at both ends, 0.5 at the
// quarter points and 1 in the middle; four zero guard entries.
const unsigned int GRAINWND_TABLE_SIZE = 16384;
const unsigned int GRAINWND_TABLE_SIZEM1 = GRAINWND_TABLE_SIZE - 1;
extern const float GRAINWND_TABLE[GRAINWND_TABLE_SIZE + 4] MORLAVINE_TABLE_SYMBOL(Tables, GRAINWND_TABLE);

// First tube curve over inputs -1..1 (index (v + 1) x 1101): flat at -0.455
// from -1 to -0.5, a soft knee up to its zero just below the centre (half an
// entry below input 0), then a saturating rise to 1.0 at +1, with a
// continuous slope.
const unsigned int TUBE_TABLE_SIZE = 2202;
const unsigned int TUBE_TABLE_SIZEM1 = TUBE_TABLE_SIZE - 1;
extern const float TUBE_TABLE[TUBE_TABLE_SIZE] MORLAVINE_TABLE_SYMBOL(Tables, TUBE_TABLE);

// Second tube curve over inputs -1..1 (index (v + 1) x 8192): -0.983 at -1,
// 0.228 at 0, a peak of 1.0 at +0.55, folding back to 0.698 at +1.
const unsigned int TUBE2_TABLE_SIZE = 16384;
const unsigned int TUBE2_TABLE_SIZEM1 = TUBE2_TABLE_SIZE - 1;
extern const float TUBE2_TABLE[TUBE2_TABLE_SIZE] MORLAVINE_TABLE_SYMBOL(Tables, TUBE2_TABLE);

}  // namespace Tables
