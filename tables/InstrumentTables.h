#pragma once
// Carrier and modulator cycles of the instrument waves: single cycles of
// 16384 points plus a guard point equal to the first, peak 1, zero mean, all
// energy within the first 48 harmonics. They are computed by the build and
// carried as read-only data (tables/GeneratedTables.h).

#include "tables/EmbeddedTable.h"

namespace Tables {

const unsigned int INSTRUMENT_TABLE_SIZE = 16384;

// Harmonic amplitudes (those of at least 0.05) in the comments.
const unsigned int SYN_BRASS1_TABLE_SIZE = INSTRUMENT_TABLE_SIZE;  // 1: .07 2: .156 3: .253 4: .237 5: .184 6: .105 7: .064
const unsigned int SYN_BRASS1_TABLE_SIZEM1 = SYN_BRASS1_TABLE_SIZE - 1;
extern const float SYN_BRASS1_TABLE[SYN_BRASS1_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, SYN_BRASS1_TABLE);
const unsigned int SYN_BRASS2_TABLE_SIZE = INSTRUMENT_TABLE_SIZE;  // 1: .056 2: .282 3: .28 4: .1 5: .14 6: .06
const unsigned int SYN_BRASS2_TABLE_SIZEM1 = SYN_BRASS2_TABLE_SIZE - 1;
extern const float SYN_BRASS2_TABLE[SYN_BRASS2_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, SYN_BRASS2_TABLE);
const unsigned int SYN_CELLO_TABLE_SIZE = INSTRUMENT_TABLE_SIZE;  // 1: .686 2: .346 3: .188 4: .131 6: .054
const unsigned int SYN_CELLO_TABLE_SIZEM1 = SYN_CELLO_TABLE_SIZE - 1;
extern const float SYN_CELLO_TABLE[SYN_CELLO_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, SYN_CELLO_TABLE);
const unsigned int SYN_FLUTE2_TABLE_SIZE = INSTRUMENT_TABLE_SIZE;  // 2: .93 4: .058
const unsigned int SYN_FLUTE2_TABLE_SIZEM1 = SYN_FLUTE2_TABLE_SIZE - 1;
extern const float SYN_FLUTE2_TABLE[SYN_FLUTE2_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, SYN_FLUTE2_TABLE);
const unsigned int SYN_GUITAR1_TABLE_SIZE = INSTRUMENT_TABLE_SIZE;  // 1: .518 2: .377 3: .102
const unsigned int SYN_GUITAR1_TABLE_SIZEM1 = SYN_GUITAR1_TABLE_SIZE - 1;
extern const float SYN_GUITAR1_TABLE[SYN_GUITAR1_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, SYN_GUITAR1_TABLE);
const unsigned int SYN_OBOE_TABLE_SIZE = INSTRUMENT_TABLE_SIZE;  // 1: .163 2: .822
const unsigned int SYN_OBOE_TABLE_SIZEM1 = SYN_OBOE_TABLE_SIZE - 1;
extern const float SYN_OBOE_TABLE[SYN_OBOE_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, SYN_OBOE_TABLE);
// 1: .158 2: .284 3: .379 4: .269 5: .208 6: .089 8: .093 9: .207 10: .153 11: .133 12: .065
const unsigned int SYN_GUITARMOD1_TABLE_SIZE = INSTRUMENT_TABLE_SIZE;
const unsigned int SYN_GUITARMOD1_TABLE_SIZEM1 = SYN_GUITARMOD1_TABLE_SIZE - 1;
extern const float SYN_GUITARMOD1_TABLE[SYN_GUITARMOD1_TABLE_SIZE + 1]
    MORLAVINE_TABLE_SYMBOL(Tables, SYN_GUITARMOD1_TABLE);
const unsigned int SYN_GUITARMOD2_TABLE_SIZE = INSTRUMENT_TABLE_SIZE;  // 1: .747 2: .169
const unsigned int SYN_GUITARMOD2_TABLE_SIZEM1 = SYN_GUITARMOD2_TABLE_SIZE - 1;
extern const float SYN_GUITARMOD2_TABLE[SYN_GUITARMOD2_TABLE_SIZE + 1]
    MORLAVINE_TABLE_SYMBOL(Tables, SYN_GUITARMOD2_TABLE);

}  // namespace Tables
