#pragma once
// The envelope decay curve: falls from 1 at entry 0 to about 5.9e-10 at the
// last entry. Read as ENV_DECAY_TABLE[truncate(p x ENV_DECAY_TABLE_SIZEM1)]
// for a position p in 0..1.

namespace Tables {

const unsigned int ENV_DECAY_TABLE_SIZE = 206992;
const unsigned int ENV_DECAY_TABLE_SIZEM1 = 206991;

// Filled before main() runs (static initialisation of this table's unit).
extern float ENV_DECAY_TABLE[ENV_DECAY_TABLE_SIZE];

}  // namespace Tables
