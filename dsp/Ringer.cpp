#include "dsp/Ringer.h"

#include "engine/Voice.h"
#include "osc/RenderFrame.h"

void CRinger::Reset(CVoice* voice) {
  const float o = static_cast<float>(_SameTypeIndex()) * 0.25f;
  const float phase = voice->GetOscState(m_osc)->phase;
  float* s = voice->GetOscFXState(m_osc)->ringer[m_slot];
  s[0] = Frac(16.0f * phase + o);  // gate
  s[1] = Frac(4.0f * phase + o);   // saw
}

void CRinger::Process(CVoice* voice, float* x, unsigned int n) {
  float* state = voice->GetOscFXState(m_osc)->ringer[m_slot];
  const float* pitch = _PitchBuffer();
  const float* blImp = m_synth->GetBlImpTable();
  const float* blSaw = m_synth->GetBlSawTable();
  const bool bypassed = _Bypassed();
  const unsigned int K = _Oversampling();
  float p1 = state[0], p2 = state[1];
  if (bypassed) {
    // The signal stays as it is; only the gate's and the saw's phases move on.
    unsigned int control = 0;
    for (unsigned int i = 0; i < n; i += K, ++control) {
      const float pinc = SanitizeIncrement(pitch ? pitch[control] : 0.0f);
      const float i16 = 16.0f * pinc, i4 = 4.0f * pinc;
      const unsigned int end = i + K < n ? i + K : n;
      for (unsigned int j = i; j < end; ++j) {
        p1 = WrapPhase(p1 + i16);
        p2 = WrapPhase(p2 + i4);
      }
    }
    state[0] = p1;
    state[1] = p2;
    return;
  }
  float inc16 = 0.0f, inc4 = 0.0f, a = 0.0f, m = 1.0f;
  unsigned int step = 0, control = 0;
  for (unsigned int i = 0; i < n; ++i) {
    if (step == 0) {
      step = K;
      const float pinc = SanitizeIncrement(pitch ? pitch[control] : 0.0f);
      ++control;
      inc16 = 16.0f * pinc;
      inc4 = 4.0f * pinc;
      a = _Amount(i);
      const float c = 0.7f * a + 0.3f;
      m = c * c * c + 1.0f;
    }
    --step;
    const float g = BandLimitedGate(blImp, p1, m, inc16);
    const float t = OscFrame::BandLimitedSaw(blSaw, p2, 4.0f * inc4);
    x[i] *= 1.0f + a * t * (g + 1.0f) * 0.5f;
    p1 = WrapPhase(p1 + inc16);
    p2 = WrapPhase(p2 + inc4);
  }
  state[0] = p1;
  state[1] = p2;
}
