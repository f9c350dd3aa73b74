#pragma once
// The noise recordings of the pitch-free oscillator modes: seamless loops
// (the last value runs on into the first), peak magnitude 1, zero mean, each
// followed by a guard value equal to the first. Their level (RMS) and
// zero-crossing density follow the character of each mode:
//
//   table       values   RMS    zero crossings per 1000 values
//   BROWN        79190   0.496   15   integrated (brown) noise
//   DRONE1      105719   0.399   22   narrow-band tonal noise, slow swell
//   DRONE2      105736   0.303   98
//   DRONE3       88430   0.409   24
//   DRONE4       86665   0.446   11
//   DRONE5       99297   0.414    5
//   CRACKLE1    103460   0.028   73   sparse decaying crackles
//   CRACKLE2    164240   0.091  724
//   CRACKLE3     88430   0.069  532
//
// CLICK holds one click burst of 16384 values: 0 before value 1034 and after
// value 15350, peak 1, RMS 0.008 over the whole table, 907 zero crossings
// per 1000 values (a zero value counting as a crossing).
// They are computed by the build and carried as read-only data
// (tables/GeneratedTables.h): a run pages in only the loops it plays.

#include "tables/EmbeddedTable.h"

namespace Tables {

const unsigned int NOISE_BROWN_TABLE_SIZE = 79190;
const unsigned int NOISE_BROWN_TABLE_SIZEM1 = NOISE_BROWN_TABLE_SIZE - 1;
extern const float NOISE_BROWN_TABLE[NOISE_BROWN_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, NOISE_BROWN_TABLE);
const unsigned int NOISE_DRONE1_TABLE_SIZE = 105719;
const unsigned int NOISE_DRONE1_TABLE_SIZEM1 = NOISE_DRONE1_TABLE_SIZE - 1;
extern const float NOISE_DRONE1_TABLE[NOISE_DRONE1_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, NOISE_DRONE1_TABLE);
const unsigned int NOISE_DRONE2_TABLE_SIZE = 105736;
const unsigned int NOISE_DRONE2_TABLE_SIZEM1 = NOISE_DRONE2_TABLE_SIZE - 1;
extern const float NOISE_DRONE2_TABLE[NOISE_DRONE2_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, NOISE_DRONE2_TABLE);
const unsigned int NOISE_DRONE3_TABLE_SIZE = 88430;
const unsigned int NOISE_DRONE3_TABLE_SIZEM1 = NOISE_DRONE3_TABLE_SIZE - 1;
extern const float NOISE_DRONE3_TABLE[NOISE_DRONE3_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, NOISE_DRONE3_TABLE);
const unsigned int NOISE_DRONE4_TABLE_SIZE = 86665;
const unsigned int NOISE_DRONE4_TABLE_SIZEM1 = NOISE_DRONE4_TABLE_SIZE - 1;
extern const float NOISE_DRONE4_TABLE[NOISE_DRONE4_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, NOISE_DRONE4_TABLE);
const unsigned int NOISE_DRONE5_TABLE_SIZE = 99297;
const unsigned int NOISE_DRONE5_TABLE_SIZEM1 = NOISE_DRONE5_TABLE_SIZE - 1;
extern const float NOISE_DRONE5_TABLE[NOISE_DRONE5_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, NOISE_DRONE5_TABLE);
const unsigned int NOISE_CRACKLE1_TABLE_SIZE = 103460;
const unsigned int NOISE_CRACKLE1_TABLE_SIZEM1 = NOISE_CRACKLE1_TABLE_SIZE - 1;
extern const float NOISE_CRACKLE1_TABLE[NOISE_CRACKLE1_TABLE_SIZE + 1]
    MORLAVINE_TABLE_SYMBOL(Tables, NOISE_CRACKLE1_TABLE);
const unsigned int NOISE_CRACKLE2_TABLE_SIZE = 164240;
const unsigned int NOISE_CRACKLE2_TABLE_SIZEM1 = NOISE_CRACKLE2_TABLE_SIZE - 1;
extern const float NOISE_CRACKLE2_TABLE[NOISE_CRACKLE2_TABLE_SIZE + 1]
    MORLAVINE_TABLE_SYMBOL(Tables, NOISE_CRACKLE2_TABLE);
const unsigned int NOISE_CRACKLE3_TABLE_SIZE = 88430;
const unsigned int NOISE_CRACKLE3_TABLE_SIZEM1 = NOISE_CRACKLE3_TABLE_SIZE - 1;
extern const float NOISE_CRACKLE3_TABLE[NOISE_CRACKLE3_TABLE_SIZE + 1]
    MORLAVINE_TABLE_SYMBOL(Tables, NOISE_CRACKLE3_TABLE);

const unsigned int NOISE_CLICK_TABLE_SIZE = 16384;
const unsigned int NOISE_CLICK_TABLE_SIZEM1 = NOISE_CLICK_TABLE_SIZE - 1;
const unsigned int NOISE_CLICK_FIRST = 1034;  // first sounding value
const unsigned int NOISE_CLICK_LAST = 15350;  // last sounding value
extern const float NOISE_CLICK_TABLE[NOISE_CLICK_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, NOISE_CLICK_TABLE);

}  // namespace Tables
