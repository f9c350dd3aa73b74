#pragma once
// Per-voice state of one oscillator, kept inside CVoice. The voice
// constructor writes randomPhase (one value in [0, 1) for all four
// oscillators of a voice); every other field belongs to the oscillator, its
// pitch module and sample player, which initialise it when a voice starts.
struct OSC_STATE {
  unsigned int flags;
  float randomPhase;
  // Placeholder until the oscillator keeps its own state here.
  double phase;
};
