#pragma once
// Kinds of preset bodies: 0 is a whole preset, 1-15 are module presets of one
// section, 16 an oscillator's user wavetable and 17 a reference to a built-in
// wave.
enum MODULE_PRESET_KIND : unsigned int {
  PRESET_KIND_SYNTH = 0,
  PRESET_KIND_MSEG = 1,
  PRESET_KIND_ARP = 2,
  PRESET_KIND_GATE = 3,
  PRESET_KIND_FX_MATRIX = 4,
  PRESET_KIND_REVERB = 5,
  PRESET_KIND_DELAY = 6,
  PRESET_KIND_ECHOES = 7,
  PRESET_KIND_CHORUS = 8,
  PRESET_KIND_FLANGER = 9,
  PRESET_KIND_PHASER = 10,
  PRESET_KIND_DISTORTION = 11,
  PRESET_KIND_TREMOLO = 12,
  PRESET_KIND_EQ = 13,
  PRESET_KIND_CC_MAP = 14,
  PRESET_KIND_GRAINSHIFTER = 15,
  PRESET_KIND_WAVETABLE = 16,
  PRESET_KIND_WAVE_REF = 17,
};

const unsigned int PRESET_KIND_LAST = PRESET_KIND_WAVE_REF;
