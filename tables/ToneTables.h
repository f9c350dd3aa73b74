#pragma once
// Source cycles of the inharmonic and organ waves (same form as the tables in
// Tables.h: SIZE points, then one guard point equal to the first), computed
// by the build and carried as read-only data (tables/GeneratedTables.h).

#include "tables/EmbeddedTable.h"

namespace Tables {

// Bell-like cycles, each a sum of a few sines (theta = 2 pi i / 32768) with a
// peak magnitude of 0.98855; point 32768 closes the cycle:
//   BELL:    partials 1, 10, 11, 25
//   INHARM1: partials 1, 7, 18, 19, 24, 29
//   INHARM2: partials 1, 3, 13
const unsigned int BELL_TABLE_SIZE = 32769;
const unsigned int BELL_TABLE_SIZEM1 = BELL_TABLE_SIZE - 1;
extern const float BELL_TABLE[BELL_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, BELL_TABLE);
const unsigned int INHARM1_TABLE_SIZE = 32769;
const unsigned int INHARM1_TABLE_SIZEM1 = INHARM1_TABLE_SIZE - 1;
extern const float INHARM1_TABLE[INHARM1_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, INHARM1_TABLE);
const unsigned int INHARM2_TABLE_SIZE = 32769;
const unsigned int INHARM2_TABLE_SIZEM1 = INHARM2_TABLE_SIZE - 1;
extern const float INHARM2_TABLE[INHARM2_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, INHARM2_TABLE);

// First organ registration: octave-spaced sines 1, 2, 4 .. 64 (theta =
// 2 pi i / 32768), peak 0.9885.
const unsigned int ORGAN_TABLE_SIZE = 32769;
const unsigned int ORGAN_TABLE_SIZEM1 = ORGAN_TABLE_SIZE - 1;
extern const float ORGAN_TABLE[ORGAN_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, ORGAN_TABLE);

// Second organ registration: partials 1, 3, 6, 12, 24, 48 (theta =
// 2 pi i / 131072), peak 1.
const unsigned int ORGAN2_TABLE_SIZE = 131072;
const unsigned int ORGAN2_TABLE_SIZEM1 = ORGAN2_TABLE_SIZE - 1;
extern const float ORGAN2_TABLE[ORGAN2_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, ORGAN2_TABLE);

}  // namespace Tables
