#include "dsp/Scissor.h"

#include "dsp/StageCommon.h"
#include "engine/Voice.h"
#include "osc/PhaseRun.h"

void CScissor::Reset(CVoice* voice) {
  // Several scissor slots start a quarter cycle apart.
  const float k = static_cast<float>(_SameTypeIndex());
  voice->GetOscFXState(m_osc)->scissorPhase[m_slot] = Frac(k * 0.25f + 4.0f * voice->GetOscState(m_osc)->phase);
}

void CScissor::Process(CVoice* voice, float* x, unsigned int n) {
  float& phase = voice->GetOscFXState(m_osc)->scissorPhase[m_slot];
  const float* pitch = _PitchBuffer();
  const float* blImp = m_synth->GetBlImpTable();
  const bool bypassed = _Bypassed();
  const unsigned int K = _Oversampling();
  float p = phase;
  if (bypassed) {
    // The signal stays as it is; only the gate's phase moves on.
    unsigned int control = 0;
    for (unsigned int i = 0; i < n;) {
      const float inc = 4.0f * SanitizeIncrement(pitch ? pitch[control] : 0.0f);
      const unsigned int end = SamePitchStretch(pitch, control, i, K, n);
      p = PhaseRun::Advance(p, inc, end - i);
      i = end;
    }
    phase = p;
    return;
  }
  float inc = 0.0f, mix = 0.0f, m = 1.0f;
  unsigned int step = 0, control = 0;
  for (unsigned int i = 0; i < n; ++i) {
    if (step == 0) {
      step = K;
      inc = 4.0f * SanitizeIncrement(pitch ? pitch[control] : 0.0f);
      ++control;
      const float a = _Amount(i);
      mix = FastFadeIn(a);
      m = a * a * a + 1.0f;
    }
    --step;
    x[i] = BandLimitedGate(blImp, p, m, inc) * x[i] * mix + (1.0f - mix) * x[i];
    p = WrapPhase(p + inc);
  }
  phase = p;
}
