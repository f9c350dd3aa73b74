#pragma once
// Per-voice state of one bus; the same pool blocks as OSC_FX_STATE.
struct BUS_STATE {
  unsigned int blockSize;
  void* memory[2];
};
