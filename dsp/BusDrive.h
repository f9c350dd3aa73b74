#pragma once
// The bus drive: the drive curves on both channels of a bus, amount
// "Bus1 Drive" / "Bus2 Drive" (id 107 + bus), type id 477 + bus. The curve
// sees twice the signal and its result is halved. No per-voice state.

#include "dsp/Drive.h"

class CVoice;

class CBusDrive : public CDriveStage {
 public:
  explicit CBusDrive(IGlobalSynth* synth);
  void SetInstance(unsigned int bus);
  // n oversampled frames in place; the voice is not used.
  void Process(CVoice* voice, float* left, float* right, unsigned int n);
};
