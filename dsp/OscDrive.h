#pragma once
// The oscillator drive: the drive curves on an oscillator's signal, amount
// "Osc1 Drive" ... (id 56 + oscillator), type id 450 + oscillator. COscDrive
// shapes the mono wave path, COscDriveStereo the sample player's two
// channels. No per-voice state: one object serves every voice.

#include "dsp/Drive.h"

class CVoice;

class COscDriveCore : public CDriveStage {
 public:
  explicit COscDriveCore(IGlobalSynth* synth);
  void SetInstance(unsigned int osc);
};

class COscDrive : public COscDriveCore {
 public:
  explicit COscDrive(IGlobalSynth* synth) : COscDriveCore(synth) {}
  // n oversampled samples in place; the voice is not used.
  void Process(CVoice*, float* x, unsigned int n) { _Run(1.0f, 1.0f, x, nullptr, n); }
};

class COscDriveStereo : public COscDriveCore {
 public:
  explicit COscDriveStereo(IGlobalSynth* synth) : COscDriveCore(synth) {}
  void Process(CVoice*, float* left, float* right, unsigned int n) {
    if (right) _Run(1.0f, 1.0f, left, right, n);
  }
};
