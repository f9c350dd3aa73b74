#pragma once
// One-cycle LFO wave tables. Each holds SIZE + 1 entries (entry SIZE equals
// entry 0) so linear interpolation may read entry k + 1 for k up to SIZEM1.

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

// Filled before main() runs (static initialisation of this table's unit).
extern float SINE_TABLE[SINE_TABLE_SIZE + 1];
extern float TRIANGLE_TABLE[TRIANGLE_TABLE_SIZE + 1];
extern float SAW_TABLE[SAW_TABLE_SIZE + 1];
extern float LOG_TABLE[LOG_TABLE_SIZE + 1];
extern float EXP_TABLE[EXP_TABLE_SIZE + 1];
extern float SQUARE_TABLE[SQUARE_TABLE_SIZE + 1];
extern float LOGSQUARE_TABLE[LOGSQUARE_TABLE_SIZE + 1];
extern float EXPSQUARE_TABLE[EXPSQUARE_TABLE_SIZE + 1];

}  // namespace LfoTables
