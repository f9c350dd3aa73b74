#pragma once
// The envelope decay curve: falls from 1 at entry 0 to about 5.9e-10 at the
// last entry. Read as ENV_DECAY_TABLE[truncate(p x ENV_DECAY_TABLE_SIZEM1)]
// for a position p in 0..1.

#include "tables/EmbeddedTable.h"

namespace Tables {

const unsigned int ENV_DECAY_TABLE_SIZE = 206992;
const unsigned int ENV_DECAY_TABLE_SIZEM1 = 206991;

// Computed by the build and carried as read-only data (tables/GeneratedTables.h).
extern const float ENV_DECAY_TABLE[ENV_DECAY_TABLE_SIZE] MORLAVINE_TABLE_SYMBOL(Tables, ENV_DECAY_TABLE);

}  // namespace Tables
