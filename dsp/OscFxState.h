#pragma once
// Per-voice state of one oscillator's effect chain, filter and drive. The
// filter's part (FILTER_STATE) holds the two memory blocks from the filter
// memory pool that serve the filter stages as delay-line memory.

#include "dsp/FilterState.h"

const unsigned int OSC_FX_STATE_SLOTS = 4;

struct OSC_FX_STATE : FILTER_STATE {
  // Oscillator effect slots: one area per effect type, one entry per slot.
  // COscEffects::Reset clears them all at every note start, so a slot typed
  // in the middle of a note starts clean.
  float scissorPhase[OSC_FX_STATE_SLOTS];    // gate phase
  float subPhase[OSC_FX_STATE_SLOTS];        // sub-oscillator phase
  float brilliance[OSC_FX_STATE_SLOTS][4];   // shelf memory x1, x2, y1, y2
  float ringer[OSC_FX_STATE_SLOTS][2];       // gate phase, saw phase
  float chipPhase[OSC_FX_STATE_SLOTS];       // gate phase
};
