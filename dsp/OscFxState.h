#pragma once
// Per-voice state of one oscillator's effect chain, filter and drive. The
// two memory blocks come from the filter memory pool (CVoice::DoAllocation)
// and serve the filter stages as delay-line memory.

const unsigned int OSC_FX_STATE_SLOTS = 4;

struct OSC_FX_STATE {
  // Oscillator effect slots: one area per effect type, one entry per slot.
  // COscEffects::Reset clears them all at every note start, so a slot typed
  // in the middle of a note starts clean.
  float scissorPhase[OSC_FX_STATE_SLOTS];    // gate phase
  float subPhase[OSC_FX_STATE_SLOTS];        // sub-oscillator phase
  float brilliance[OSC_FX_STATE_SLOTS][4];   // shelf memory x1, x2, y1, y2
  float ringer[OSC_FX_STATE_SLOTS][2];       // gate phase, saw phase
  float chipPhase[OSC_FX_STATE_SLOTS];       // gate phase

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
