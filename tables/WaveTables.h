#pragma once
// Single-cycle source waves of the computed oscillator modes, 16384 points
// each plus one guard point equal to the first, zero mean. They are summed
// from their harmonics once, on first use: point i is the sum of
// A sin(2 pi k i / 16384 + phase) over the wave's partials, then the wave is
// scaled so that its named extreme is exactly +1 or -1 (the scale stays
// within a few tenths of a percent of 1, so the partials keep their
// amplitudes). Read with a phase 0..1 at index trunc(phase * _SIZEM1),
// interpolated towards the next point. They are computed by the build and
// carried as read-only data (tables/GeneratedTables.h).

#include "tables/EmbeddedTable.h"

namespace Tables {

const unsigned int WAVE_TABLE_SIZE = 16384;
const unsigned int WAVE_TABLE_SIZEM1 = WAVE_TABLE_SIZE - 1;

// A softened falling saw, -1.0 to 0.970: harmonics 0.808, 0.331, 0.140,
// 0.062, 0.030, 0.015, 0.009, 0.005 (the first four in sine phase), then
// below 0.004.
const unsigned int WEAKSAW_TABLE_SIZE = WAVE_TABLE_SIZE;
const unsigned int WEAKSAW_TABLE_SIZEM1 = WAVE_TABLE_SIZEM1;
extern const float WEAKSAW_TABLE[WEAKSAW_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, WEAKSAW_TABLE);

// A softened triangle, peaks +-1 at a quarter and three quarters of the
// cycle: odd harmonics 0.822, 0.145, 0.027, 0.005, 0.002, alternating sign.
const unsigned int WEAKTRIANGLE_TABLE_SIZE = WAVE_TABLE_SIZE;
const unsigned int WEAKTRIANGLE_TABLE_SIZEM1 = WAVE_TABLE_SIZEM1;
extern const float WEAKTRIANGLE_TABLE[WEAKTRIANGLE_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, WEAKTRIANGLE_TABLE);

// Least value -1.0; a resonance between harmonics 10 and 11 (0.293, 0.298,
// with 9 and 12 at 0.149), weak skirts down to 0.002, a faint bump around
// harmonic 31, nothing above 0.001 past harmonic 35.
const unsigned int RESONANT1_TABLE_SIZE = WAVE_TABLE_SIZE;
const unsigned int RESONANT1_TABLE_SIZEM1 = WAVE_TABLE_SIZEM1;
extern const float RESONANT1_TABLE[RESONANT1_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, RESONANT1_TABLE);

// -0.49 to 1.0: a strong fundamental (0.263) and a resonance at harmonic 7
// (0.263), harmonics 0.263, 0.068, 0.047, 0.064, 0.092, 0.152, 0.263, 0.138,
// 0.069, 0.042, 0.028, falling further.
const unsigned int RESONANT2_TABLE_SIZE = WAVE_TABLE_SIZE;
const unsigned int RESONANT2_TABLE_SIZEM1 = WAVE_TABLE_SIZEM1;
extern const float RESONANT2_TABLE[RESONANT2_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, RESONANT2_TABLE);

// -1.0 to 0.82: a resonance at harmonics 3 and 4: 0.006, 0.070, 0.337,
// 0.462, 0.116, 0.033, 0.011, then below 0.004.
const unsigned int RESONANT3_TABLE_SIZE = WAVE_TABLE_SIZE;
const unsigned int RESONANT3_TABLE_SIZEM1 = WAVE_TABLE_SIZEM1;
extern const float RESONANT3_TABLE[RESONANT3_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, RESONANT3_TABLE);

// Least value -1.0; a resonance at harmonic 7 (0.366, with 6 at 0.230, 8 at
// 0.206, 9 at 0.122), a weaker one at 15 (0.033), a faint bump around 32,
// nothing above 0.001 past harmonic 40.
const unsigned int RESONANT4_TABLE_SIZE = WAVE_TABLE_SIZE;
const unsigned int RESONANT4_TABLE_SIZEM1 = WAVE_TABLE_SIZEM1;
extern const float RESONANT4_TABLE[RESONANT4_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, RESONANT4_TABLE);

// Least value -1.0; a resonance at harmonic 5 (0.40) between 4 (0.18) and
// 6 (0.20), nothing past harmonic 9.
const unsigned int RESONANT5_TABLE_SIZE = WAVE_TABLE_SIZE;
const unsigned int RESONANT5_TABLE_SIZEM1 = WAVE_TABLE_SIZEM1;
extern const float RESONANT5_TABLE[RESONANT5_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, RESONANT5_TABLE);

// Vowel-like formant waves, greatest value +1.0, band-limited to 16
// harmonics (their partials are listed in WaveTables.cpp).
const unsigned int VOWEL1_TABLE_SIZE = WAVE_TABLE_SIZE;
const unsigned int VOWEL1_TABLE_SIZEM1 = WAVE_TABLE_SIZEM1;
extern const float VOWEL1_TABLE[VOWEL1_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, VOWEL1_TABLE);
const unsigned int VOWEL2_TABLE_SIZE = WAVE_TABLE_SIZE;
const unsigned int VOWEL2_TABLE_SIZEM1 = WAVE_TABLE_SIZEM1;
extern const float VOWEL2_TABLE[VOWEL2_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, VOWEL2_TABLE);
const unsigned int VOWEL3_TABLE_SIZE = WAVE_TABLE_SIZE;
const unsigned int VOWEL3_TABLE_SIZEM1 = WAVE_TABLE_SIZEM1;
extern const float VOWEL3_TABLE[VOWEL3_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, VOWEL3_TABLE);

// A near-sine flute cycle, peak 1: odd harmonics 0.882, 0.147, 0.010, 0.006.
const unsigned int SYN_FLUTE1_TABLE_SIZE = WAVE_TABLE_SIZE;
const unsigned int SYN_FLUTE1_TABLE_SIZEM1 = WAVE_TABLE_SIZEM1;
extern const float SYN_FLUTE1_TABLE[SYN_FLUTE1_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, SYN_FLUTE1_TABLE);

// A plucked-string cycle, greatest value +1.0: harmonics 0.392, 0.587,
// 0.083, 0.100, 0.046, 0.008, nothing above harmonic 9.
const unsigned int SYN_GUITAR2_TABLE_SIZE = WAVE_TABLE_SIZE;
const unsigned int SYN_GUITAR2_TABLE_SIZEM1 = WAVE_TABLE_SIZEM1;
extern const float SYN_GUITAR2_TABLE[SYN_GUITAR2_TABLE_SIZE + 1] MORLAVINE_TABLE_SYMBOL(Tables, SYN_GUITAR2_TABLE);

}  // namespace Tables
