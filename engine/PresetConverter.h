#pragma once
// Converts older preset bodies (V1, V2) in place to the current V3 layout.
#include "engine/SynthTypes.h"

class CPresetConverter {
 public:
  CPresetConverter() = default;
  // buffer must have room for a whole SYNTH_PRESET. Returns false when the
  // version cannot be converted (the buffer is then left as it was).
  bool Convert(SYNTH_PRESET* buffer, unsigned int version);
};
