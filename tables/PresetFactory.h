#pragma once
// The factory default preset image: every id's factory value, the four
// default sine wavetables and their names, complete from program load.
#include "engine/SynthTypes.h"

extern SYNTH_PRESET PRESET_FACTORY_RESET;

namespace Tables {
// One sine cycle of 16,384 samples, the default user wavetable.
extern const float* DEFAULT_WAVEFORM_TABLE;
}
