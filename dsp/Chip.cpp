#include "dsp/Chip.h"

#include "dsp/StageCommon.h"
#include "engine/Voice.h"

void CChip::Reset(CVoice* voice) {
  // Independent of the oscillator's phase.
  voice->GetOscFXState(m_osc)->chipPhase[m_slot] = Frac(static_cast<float>(_SameTypeIndex()) * 0.25f);
}

namespace {

// Whether k0 x + base, clamped to 0..1 as the gate's increment, is 1 at
// every sample: the sums grow with x, so the smallest x decides (a NaN
// sample would give 0).
bool AllIncrementsOne(const float* x, unsigned int n, float k0, float base) {
  float least = x[0];
  bool nan = false;
  for (unsigned int i = 0; i < n; ++i) {
    least = x[i] < least ? x[i] : least;
    nan |= x[i] != x[i];
  }
  return !nan && n > 0 && k0 * least + base >= 1.0f;
}

}  // namespace

void CChip::Process(CVoice* voice, float* x, unsigned int n) {
  float& phase = voice->GetOscFXState(m_osc)->chipPhase[m_slot];
  const float* pitch = _PitchBuffer();
  const float* blImp = m_synth->GetBlImpTable();
  const bool bypassed = _Bypassed();
  const unsigned int K = _Oversampling();
  // The signal's push on the gate rate, smaller at higher oversampling.
  const unsigned int half = K / 2 ? K / 2 : 1;
  const float k0 = 0.01f / static_cast<float>(half);
  float p = phase;
  if (bypassed) {
    // The signal stays as it is; the gate's phase moves on at the rate the
    // signal and the amount give it. A settled amount is read once for the
    // block, and control steps at one pitch then run as one stretch.
    const bool settled = m_amount.constant != 0;
    float d = 1.0f - (settled ? ClampUnit(m_amount.GetConstantValue()) : 0.0f);
    float rate = 128.0f * d * d + 0.0001f;
    unsigned int control = 0;
    for (unsigned int i = 0; i < n;) {
      const float pinc = SanitizeIncrement(pitch ? pitch[control] : 0.0f);
      unsigned int end;
      if (settled) {
        end = SamePitchStretch(pitch, control, i, K, n);
      } else {
        d = 1.0f - _Amount(i);
        rate = 128.0f * d * d + 0.0001f;
        end = i + K < n ? i + K : n;
        ++control;
      }
      const float base = rate * pinc;
      if (base >= 1.0f && AllIncrementsOne(x + i, end - i, k0, base)) {
        // Every increment is a whole cycle: the phase settles on the grid
        // of 1 + p after one step and stays, or (at 0 and 1) alternates.
        unsigned int left = end - i;
        for (unsigned int s = 0; s < 2 && left > 0; ++s, --left) p = WrapPhase(p + 1.0f);
        if (left > 0 && WrapPhase(p + 1.0f) != p && (left & 1)) p = WrapPhase(p + 1.0f);
        i = end;
        continue;
      }
      for (; i < end; ++i) {
        float inc = k0 * x[i] + base;
        inc = inc > 0.0f ? (inc < 1.0f ? inc : 1.0f) : 0.0f;
        p = WrapPhase(p + inc);
      }
    }
    phase = p;
    return;
  }
  float d = 1.0f, base = 0.0f, m = 1.0f;
  unsigned int step = 0, control = 0;
  for (unsigned int i = 0; i < n; ++i) {
    if (step == 0) {
      step = K;
      const float pinc = SanitizeIncrement(pitch ? pitch[control] : 0.0f);
      ++control;
      const float a = _Amount(i);
      d = 1.0f - a;
      base = (128.0f * d * d + 0.0001f) * pinc;
      m = a * a * a + 1.0f;
    }
    --step;
    float inc = k0 * x[i] + base;
    inc = inc > 0.0f ? (inc < 1.0f ? inc : 1.0f) : 0.0f;
    x[i] = (1.0f - d) * (x[i] + 1.0f) * BandLimitedGate(blImp, p, m, inc) + d * x[i];
    p = WrapPhase(p + inc);
  }
  phase = p;
}
