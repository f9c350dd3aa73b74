#pragma once
// The Kaiser windows (beta 8.3) under the band-limited saw and step tables
// that the global synth builds for the sample rate (engine/GlobalSynth.cpp):
// entry i is the window at t = (2 i - N) x scale, i = 0 .. N, worked out in
// single precision from the I0 power series. They do not depend on the rate:
// computed by the build and carried as read-only data
// (tables/GeneratedTables.h).

#include "tables/EmbeddedTable.h"

namespace Tables {

// N = 108000, scale = 9.259259e-6 (t runs from -1 to 1).
const unsigned int BL_SAW_WINDOW_N = 108000;
extern const float BL_SAW_WINDOW_TABLE[BL_SAW_WINDOW_N + 1] MORLAVINE_TABLE_SYMBOL(Tables, BL_SAW_WINDOW_TABLE);

// N = 150000, scale = 6.6666666e-6.
const unsigned int BL_STEP_WINDOW_N = 150000;
extern const float BL_STEP_WINDOW_TABLE[BL_STEP_WINDOW_N + 1] MORLAVINE_TABLE_SYMBOL(Tables, BL_STEP_WINDOW_TABLE);

}  // namespace Tables
