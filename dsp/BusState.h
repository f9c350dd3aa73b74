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

  // Bus shaper: the treble shelf's memory, left x1, x2, y1, y2, then right.
  // CBusShaper::Reset clears it.
  float shaperLeft[4];
  float shaperRight[4];

  // Lo-fi: sample-and-hold and dither state, per channel; the noise phase is
  // shared by both channels. CLoFi::Reset clears it.
  float lofiLeftHoldPhase;
  float lofiLeftStep;      // position along the smoothing step, 0..1
  float lofiLeftHeld;
  float lofiLeftPrevious;  // the held value before the last hold
  float lofiNoisePhase;
  float lofiLeftNoise;
  float lofiRightHoldPhase;
  float lofiRightStep;
  float lofiRightHeld;
  float lofiRightPrevious;
  float lofiRightNoise;
};
