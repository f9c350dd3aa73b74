#pragma once
// White noise sample table: values spread evenly from -1.0 to 0.98939.

namespace Tables {

const unsigned int NOISE_WHITE_TABLE_SIZE = 88200;
const unsigned int NOISE_WHITE_TABLE_SIZEM1 = 88199;

// Filled before main() runs (static initialisation of this table's unit).
extern float NOISE_WHITE_TABLE[NOISE_WHITE_TABLE_SIZE];

}  // namespace Tables
