#pragma once
// White noise sample table: values spread evenly from -1.0 to 0.98939.

#include "tables/EmbeddedTable.h"

namespace Tables {

const unsigned int NOISE_WHITE_TABLE_SIZE = 88200;
const unsigned int NOISE_WHITE_TABLE_SIZEM1 = 88199;

// Computed by the build and carried as read-only data (tables/GeneratedTables.h).
extern const float NOISE_WHITE_TABLE[NOISE_WHITE_TABLE_SIZE] MORLAVINE_TABLE_SYMBOL(Tables, NOISE_WHITE_TABLE);

}  // namespace Tables
