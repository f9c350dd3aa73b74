#pragma once
// Mixes the four oscillator outputs into the inputs of the two buses: each
// oscillator that is on is crossfaded between bus 1 and bus 2 by its own
// modulatable routing value.

#include "engine/ModulatedParam.h"

class IGlobalSynth;
class CStereoBuffer;

class CBusRouter {
 public:
  explicit CBusRouter(IGlobalSynth* synth);
  ~CBusRouter() = default;
  CBusRouter(const CBusRouter&) = delete;
  CBusRouter& operator=(const CBusRouter&) = delete;

  // Host frames; refreshes the four routing records.
  void UpdateParams(unsigned int n);
  // oscOutputs points at four consecutive stereo buffers, busInputs at two;
  // n oversampled frames. The bus buffers are written, never read first.
  void Route(CStereoBuffer* oscOutputs, CStereoBuffer* busInputs, unsigned int n);

 private:
  IGlobalSynth* m_synth;
  MODULATED_PARAM m_bus[4];
  MODULATED_PARAM* m_busParam[4];
};
