#pragma once
// The last stage before the host outputs: level, pan and mono-fold of the
// final stereo signal, a hard limit at +-100, a DC blocker (about 25 Hz) and
// the flushing of subnormal and invalid samples. Runs at the host rate.

#include "engine/DcBlocker.h"
#include "engine/ModulatedParam.h"

class IGlobalSynth;
class CVoice;

class CMasterSection {
 public:
  explicit CMasterSection(IGlobalSynth* synth);
  ~CMasterSection();
  CMasterSection(const CMasterSection&) = delete;
  CMasterSection& operator=(const CMasterSection&) = delete;

  // Zeroes the DC blockers' history.
  void Reset();
  // Host rate; sets the DC coefficient and keeps the history.
  void SetSampleRate(float sr);
  void UpdateParams(unsigned int n);
  // In place on the host outputs; voice is not used.
  void Process(CVoice* voice, float* left, float* right, unsigned int n);

 private:
  IGlobalSynth* m_synth;
  MODULATED_PARAM m_level;
  MODULATED_PARAM m_pan;
  MODULATED_PARAM m_mono;
  DC_BLOCKER m_dc[2];
};
