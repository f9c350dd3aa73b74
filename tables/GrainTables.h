#pragma once
// The sample player's grain window (same form as the tables in Tables.h),
// computed by the build and carried as read-only data
// (tables/GeneratedTables.h).

#include "tables/EmbeddedTable.h"

namespace Tables {

// A flat-topped grain window of 16,384 points and one guard point equal to
// the first: -0.0066 at both ends, a raised-cosine rise over the first fifth
// with a slight overshoot to the peak 1.0 just after it, about 0.993 through
// the middle, and the mirror image falling over the last fifth.
const unsigned int GRAINWND2_TABLE_SIZE = 16384;
const unsigned int GRAINWND2_TABLE_SIZEM1 = GRAINWND2_TABLE_SIZE - 1;
extern const float GRAINWND2_TABLE[GRAINWND2_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, GRAINWND2_TABLE);

}  // namespace Tables
