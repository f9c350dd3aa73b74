#pragma once
// The oscillator drive: the drive curves on an oscillator's signal, amount
// "Osc1 Drive" ... (id 56 + oscillator), type id 450 + oscillator. COscDrive
// shapes the mono wave path, COscDriveStereo the sample player's two
// channels. No per-voice state: one object serves every voice.

#include "engine/ModulatedParam.h"

class IGlobalSynth;
class CVoice;

class COscDrive {
 public:
  explicit COscDrive(IGlobalSynth* synth);
  void SetInstance(unsigned int osc);
  // Once per block: the amount's buffer and sources for n host-rate samples.
  void UpdateParams(unsigned int n);
  // n oversampled samples in place; the voice is not used.
  void Process(CVoice* voice, float* x, unsigned int n);

 private:
  IGlobalSynth* m_synth;
  unsigned int m_instance = 0;
  MODULATED_PARAM m_amount;
};

class COscDriveStereo {
 public:
  explicit COscDriveStereo(IGlobalSynth* synth);
  void SetInstance(unsigned int osc);
  void UpdateParams(unsigned int n);
  void Process(CVoice* voice, float* left, float* right, unsigned int n);

 private:
  IGlobalSynth* m_synth;
  unsigned int m_instance = 0;
  MODULATED_PARAM m_amount;
};
