#pragma once
// The bus drive: the drive curves on both channels of a bus, amount
// "Bus1 Drive" / "Bus2 Drive" (id 107 + bus), type id 477 + bus. The curve
// sees twice the signal and its result is halved. No per-voice state.

#include "engine/ModulatedParam.h"

class IGlobalSynth;
class CVoice;

class CBusDrive {
 public:
  explicit CBusDrive(IGlobalSynth* synth);
  void SetInstance(unsigned int bus);
  // Once per block: the amount's buffer and sources for n host-rate samples.
  void UpdateParams(unsigned int n);
  // n oversampled frames in place; the voice is not used.
  void Process(CVoice* voice, float* left, float* right, unsigned int n);

 private:
  IGlobalSynth* m_synth;
  unsigned int m_instance = 0;
  MODULATED_PARAM m_amount;
};
