#pragma once
// The per-voice filter state that the oscillator and bus records share: the
// key-tracking glide, the two memory blocks from the filter memory pool
// (CVoice::DoAllocation) and the filter kernels' write indices.

struct FILTER_STATE {
  // Key-tracking glide (pitches in semitones, steps in control ticks).
  float filterGlidePitch;
  float filterTargetPitch;
  float filterGlideInc;
  unsigned int filterGlideSteps;
  // Filter state blocks: size in bytes, left (or mono) and right.
  unsigned int blockSize;
  void* memory[2];
  // Comb write indices (left or mono, right), bell-comb write indices per
  // channel, and how much of the blocks has been cleared since the voice
  // began (0 nothing, 1 the kernels' words, 2 all).
  unsigned int combIndex[2];
  unsigned int bellIndex[2][3];
  unsigned int filterCleared;
};
