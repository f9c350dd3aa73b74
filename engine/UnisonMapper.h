#pragma once
// Turns the unison count, spread and detune into the per-sub-voice pan,
// pitch, noise-phase and noise-pitch shifts that the global synth publishes.

class IGlobalSynth;

// [unison count - 1][unison index]
extern const float PAN_MAP[8][8];
extern const float PITCH_MAP[8][8];

class CUnisonMapper {
 public:
  explicit CUnisonMapper(IGlobalSynth* synth);
  ~CUnisonMapper();

  // Recomputes and publishes all eight entries of the four shift arrays.
  void Map();

 private:
  IGlobalSynth* m_synth;
};
