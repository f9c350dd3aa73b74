#pragma once
// Types and constants shared by the whole engine.

#include <cstdint>

// The preset image: one f32 word per synth parameter id.
const unsigned int PARAM_COUNT = 67158;
const unsigned int MODULATABLE_PARAM_COUNT = 361;
const unsigned int PRESET_BYTES = PARAM_COUNT * 4;  // 268,632

const unsigned int PRESET_VERSION_V1 = 0x01005057;
const unsigned int PRESET_VERSION_V2 = 0x02005057;
const unsigned int PRESET_VERSION_V3 = 0x03005057;

const unsigned int WAVETABLE_LENGTH = 16384;
const unsigned int PARAM_WAVETABLE = 1605;        // + 16384 * oscillator
const unsigned int PARAM_WAVETABLE_NAME = 67141;  // + 4 * oscillator, 16 bytes

struct SYNTH_PRESET {
  float data[PARAM_COUNT];
  float& operator[](unsigned int id) { return data[id]; }
  const float& operator[](unsigned int id) const { return data[id]; }
};
static_assert(sizeof(SYNTH_PRESET) == PRESET_BYTES, "preset image size");

// An integer setting stored as a float, truncated toward zero. A value no int
// can hold (NaN, or beyond +-2^31 from a damaged preset or chunk) gives -1,
// which selects no mode, instead of an undefined conversion.
inline int TruncateSetting(float value) {
  if (value > -2147483648.0f && value < 2147483648.0f) return static_cast<int>(value);
  return -1;
}
