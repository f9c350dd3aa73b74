#pragma once
// Per-voice state of one bus; the bus filter's part (FILTER_STATE) uses the
// same pool blocks as OSC_FX_STATE.

#include "dsp/FilterState.h"

struct BUS_STATE : FILTER_STATE {
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
