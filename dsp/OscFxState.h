#pragma once
// Per-voice state of one oscillator's effect chain, filter and drive. The
// two memory blocks come from the filter memory pool (CVoice::DoAllocation)
// and serve the filter stages as delay-line memory.
struct OSC_FX_STATE {
  // Oscillator filter: key-tracking glide (pitches in semitones, steps in
  // control ticks).
  float filterGlidePitch;
  float filterTargetPitch;
  float filterGlideInc;
  unsigned int filterGlideSteps;
  // Filter state blocks: size in bytes, left (or mono) and right.
  unsigned int blockSize;
  void* memory[2];
  // Oscillator filter: comb write indices (left or mono, right), bell-comb
  // write indices per channel, and how much of the blocks has been cleared
  // since the voice began (0 nothing, 1 the kernels' words, 2 all).
  unsigned int combIndex[2];
  unsigned int bellIndex[2][3];
  unsigned int filterCleared;
};
