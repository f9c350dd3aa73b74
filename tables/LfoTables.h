#pragma once
// One-cycle LFO wave tables. Each holds SIZE + 1 entries (entry SIZE equals
// entry 0) so linear interpolation may read entry k + 1 for k up to SIZEM1.

#include "tables/EmbeddedTable.h"

namespace LfoTables {

const unsigned int SINE_TABLE_SIZE = 4096;
const unsigned int SINE_TABLE_SIZEM1 = 4095;
const unsigned int TRIANGLE_TABLE_SIZE = 4096;
const unsigned int TRIANGLE_TABLE_SIZEM1 = 4095;
const unsigned int SAW_TABLE_SIZE = 4096;
const unsigned int SAW_TABLE_SIZEM1 = 4095;
const unsigned int LOG_TABLE_SIZE = 4096;
const unsigned int LOG_TABLE_SIZEM1 = 4095;
const unsigned int EXP_TABLE_SIZE = 4096;
const unsigned int EXP_TABLE_SIZEM1 = 4095;
const unsigned int SQUARE_TABLE_SIZE = 4096;
const unsigned int SQUARE_TABLE_SIZEM1 = 4095;
const unsigned int LOGSQUARE_TABLE_SIZE = 4096;
const unsigned int LOGSQUARE_TABLE_SIZEM1 = 4095;
const unsigned int EXPSQUARE_TABLE_SIZE = 4096;
const unsigned int EXPSQUARE_TABLE_SIZEM1 = 4095;

// Computed by the build and carried as read-only data (tables/GeneratedTables.h).
extern const float SINE_TABLE[SINE_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(LfoTables, SINE_TABLE);
extern const float TRIANGLE_TABLE[TRIANGLE_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(LfoTables, TRIANGLE_TABLE);
extern const float SAW_TABLE[SAW_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(LfoTables, SAW_TABLE);
extern const float LOG_TABLE[LOG_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(LfoTables, LOG_TABLE);
extern const float EXP_TABLE[EXP_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(LfoTables, EXP_TABLE);
extern const float SQUARE_TABLE[SQUARE_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(LfoTables, SQUARE_TABLE);
extern const float LOGSQUARE_TABLE[LOGSQUARE_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(LfoTables, LOGSQUARE_TABLE);
extern const float EXPSQUARE_TABLE[EXPSQUARE_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(LfoTables, EXPSQUARE_TABLE);

}  // namespace LfoTables
