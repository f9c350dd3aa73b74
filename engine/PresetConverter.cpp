// Placeholder until version conversion lands: older versions are refused.
#include "engine/PresetConverter.h"

bool CPresetConverter::Convert(SYNTH_PRESET*, unsigned int version) { return version == PRESET_VERSION_V3; }
