#include "dsp/SubOsc.h"

#include "engine/Voice.h"
#include "osc/PhaseRun.h"
#include "osc/RenderFrame.h"

void CSubOsc::UpdateRatio() { m_ratio = 1.0f / static_cast<float>(2u << _SameTypeIndex()); }

void CSubOsc::Reset(CVoice* voice) {
  UpdateRatio();
  // Not wrapped: at most 0.51.
  voice->GetOscFXState(m_osc)->subPhase[m_slot] = m_ratio * voice->GetOscState(m_osc)->phase + 0.01f;
}

void CSubOsc::Process(CVoice* voice, float* x, unsigned int n) {
  float& phase = voice->GetOscFXState(m_osc)->subPhase[m_slot];
  const float* pitch = _PitchBuffer();
  const float* blSaw = m_synth->GetBlSawTable();
  const bool bypassed = _Bypassed();
  const unsigned int K = _Oversampling();
  float p = phase;
  if (bypassed) {
    // The signal stays as it is; only the sub's phase moves on.
    unsigned int control = 0;
    for (unsigned int i = 0; i < n;) {
      const float inc = m_ratio * SanitizeIncrement(pitch ? pitch[control] : 0.0f);
      const unsigned int end = SamePitchStretch(pitch, control, i, K, n);
      p = PhaseRun::Advance(p, inc, end - i);
      i = end;
    }
    phase = p;
    return;
  }
  float inc = 0.0f, a = 0.0f, norm = 1.0f;
  unsigned int step = 0, control = 0;
  for (unsigned int i = 0; i < n; ++i) {
    if (step == 0) {
      step = K;
      inc = m_ratio * SanitizeIncrement(pitch ? pitch[control] : 0.0f);
      ++control;
      a = _Amount(i);
      norm = 1.0f / (1.0f + a);
    }
    --step;
    const float w = 4.0f * inc;
    const float p2 = WrapPhase(p + 0.5f);
    // Two saws half a cycle apart make a band-limited +-1 square.
    const float square = OscFrame::BandLimitedSaw(blSaw, p, w) - OscFrame::BandLimitedSaw(blSaw, p2, w);
    x[i] = (a * square + x[i]) * norm;
    p = WrapPhase(p + inc);
  }
  phase = p;
}
