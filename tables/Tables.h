#pragma once
// Compiled-in lookup tables shared by the oscillators, filters and effects.
//
// Form of every *_TABLE: _TABLE_SIZE points followed by guard points (the
// first point repeated, or zeros where stated). _TABLE_SIZEM1 turns a phase
// 0..1 into a read index: i = trunc(x * SIZEM1), interpolated towards i + 1.
// The tables are computed by the build and carried as read-only data
// (tables/GeneratedTables.h), ready before any code runs.

#include "tables/EmbeddedTable.h"

namespace Tables {

// Frequencies in Hz for pitch 0..170 at 1500 entries per semitone:
// entry i = 8.177735 * 2^(i / 18000). Pitch 69 (index 103499) is 440.09 Hz.
const unsigned int TUNE_TABLE_SIZE = 255000;
const unsigned int TUNE_TABLE_SIZEM1 = TUNE_TABLE_SIZE - 1;
const unsigned int TUNE_TABLE_MAX_PITCH = 170;
extern const float TUNE_TABLE[TUNE_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, TUNE_TABLE);

// One sine cycle: entry i = sin(2 pi i / 1023), i = 0..1023, then four zeros.
const unsigned int SINE_TABLE_SIZE = 1024;
const unsigned int SINE_TABLE_SIZEM1 = SINE_TABLE_SIZE - 1;
extern const float SINE_TABLE[SINE_TABLE_SIZE + 4] MORLAVINE_TABLE_SYMBOL(Tables, SINE_TABLE);

// Exponential scale: entry i = x * 10^(2x - 2), x = i / 100000; 1 from 100000 on.
const unsigned int EXP_TABLE_SIZE = 100003;
const unsigned int EXP_TABLE_SIZEM1 = EXP_TABLE_SIZE - 1;
extern const float EXP_TABLE[EXP_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, EXP_TABLE);

// Raised-cosine rise from 0 at entry 0 (0.5 at entry 24) to 1 at entry 48,
// then 1.
const unsigned int FASTFADEIN_TABLE_SIZE = 4096;
const unsigned int FASTFADEIN_TABLE_SIZEM1 = FASTFADEIN_TABLE_SIZE - 1;
extern const float FASTFADEIN_TABLE[FASTFADEIN_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, FASTFADEIN_TABLE);

// Display scale of a magnitude 0..1 over 80 dB, and its inverse, both read
// at trunc(x * SIZEM1): LOG_SCALE = max(0, 1 + log10(x) / 4) (0 below 1e-4,
// 1 at 1); ILOG_SCALE = 10^(4 (x - 1)) with entry 0 exactly 0, so a value
// drawn at the bottom is silence. 1 from entry 100002 on.
const unsigned int LOG_SCALE_TABLE_SIZE = 100003;
const unsigned int LOG_SCALE_TABLE_SIZEM1 = LOG_SCALE_TABLE_SIZE - 1;
extern const float LOG_SCALE_TABLE[LOG_SCALE_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, LOG_SCALE_TABLE);
extern const float ILOG_SCALE_TABLE[LOG_SCALE_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, ILOG_SCALE_TABLE);

// One cycle of the buzz phase-modulation wave: a zero-mean narrow pulse
// built from its first harmonics.
const unsigned int BUZZ_TABLE_SIZE = 16384;
const unsigned int BUZZ_TABLE_SIZEM1 = BUZZ_TABLE_SIZE - 1;
extern const float BUZZ_TABLE[BUZZ_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, BUZZ_TABLE);

// Tuning-table frequency of a (fractional) pitch, without interpolation:
// TUNE_TABLE[trunc(pitch * SIZEM1 / MAX_PITCH)], the index clamped to the
// table so that any pitch, NaN included, reads inside it.
float TunePitchToHz(float pitch);

}  // namespace Tables
