#pragma once
// Per-voice state of one bus; the same pool blocks as OSC_FX_STATE.
struct BUS_STATE {
  // Bus filter: key-tracking glide (pitches in semitones, steps in control
  // ticks).
  float filterGlidePitch;
  float filterTargetPitch;
  float filterGlideInc;
  unsigned int filterGlideSteps;
  // Filter state blocks: size in bytes, left and right.
  unsigned int blockSize;
  void* memory[2];
  // Bus filter: comb write indices (left, right), bell-comb write indices
  // per channel, and how much of the blocks has been cleared since the voice
  // began (0 nothing, 1 the kernels' words, 2 all).
  unsigned int combIndex[2];
  unsigned int bellIndex[2][3];
  unsigned int filterCleared;
};
