#pragma once
// Per-voice state of one oscillator's effect chain, filter and drive. The
// two memory blocks come from the filter memory pool (CVoice::DoAllocation)
// and serve the filter stages as delay-line memory.
struct OSC_FX_STATE {
  unsigned int blockSize;
  void* memory[2];
};
