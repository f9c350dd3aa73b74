#include "dsp/BusShaper.h"

#include <cmath>

#include "dsp/StageCommon.h"
#include "engine/ParamIds.h"
#include "engine/Voice.h"

namespace {

// One channel: pre-shaper, optional shelf (state x1, x2, y1, y2), saturator
// and dry/wet mix.
struct SHAPER_STEP {
  float k;          // pre-shaper strength
  double g, n, b;   // saturator gain, normalisation, bias
  float m;          // dry/wet
  bool shelf;
  float b0, b1, b2, a1, a2, invA0;

  inline float Run(float in, float* s) const {
    const float x = 2.0f * in;
    // Only the positive half is bent: an asymmetric pre-shaper.
    float q = x;
    if (x > 0.0f) q = static_cast<float>((static_cast<double>(x) - 1.0) + 1.0 / (1.0 + k * static_cast<double>(x)));
    float r = q;
    if (shelf) {
      const float y = (b0 * q + b1 * s[0] + b2 * s[1] - a1 * s[2] - a2 * s[3]) * invA0;
      s[1] = s[0];
      s[0] = q;
      s[3] = s[2];
      s[2] = y;
      r = y;
    }
    // Hyperbolic saturator, in double so that no finite input overflows.
    const double z = g * static_cast<double>(r) + b;
    const double u = std::fabs(z);
    const double p = ((u + 3.0) * u + 6.0) * u + 12.0;
    const double h = n * z * p / (p * u + 24.0);
    return 0.5f * (static_cast<float>(h) * m + x * (1.0f - m));
  }
};

}  // namespace

CBusShaper::CBusShaper(IGlobalSynth* synth) : CBusStage(synth) {
  _AddParam(m_drive, PARAM_BUS_DS_DRIVE);
  _AddParam(m_color, PARAM_BUS_DS_COLOR);
  _AddParam(m_treble, PARAM_BUS_DS_TREBLE);
}

void CBusShaper::Reset(CVoice* voice) {
  BUS_STATE* s = voice->GetBusState(m_bus);
  for (unsigned int k = 0; k < 4; ++k) s->shaperLeft[k] = s->shaperRight[k] = 0.0f;
}

void CBusShaper::Process(CVoice* voice, float* left, float* right, unsigned int n) {
  // Colour and treble alone never engage the stage.
  if (IsZeroAndUnmodulated(m_synth, m_drive.paramId)) return;
  if (!(m_sampleRate > 0.0f)) return;
  BUS_STATE* state = voice->GetBusState(m_bus);
  // The shelf sits at 1 kHz at every rate: w in radians per sample.
  const float w = 6283.1855f / m_sampleRate;
  const float C = 1.0f - 0.5f * w * w;
  const unsigned int K = m_synth->GetOversampling() ? m_synth->GetOversampling() : 1;

  // The shelf memories in locals for the block: no reloads through the
  // state record while the buffers are written.
  float sl[4], sr[4];
  for (unsigned int k = 0; k < 4; ++k) {
    sl[k] = state->shaperLeft[k];
    sr[k] = state->shaperRight[k];
  }
  SHAPER_STEP st = {};
  unsigned int step = 0;
  for (unsigned int i = 0; i < n; ++i) {
    if (step == 0) {
      step = K;
      const float d = ClampUnit(m_drive.GetValue(i));
      const float c = ClampUnit(m_color.GetValue(i));
      const float t = ClampUnit(m_treble.GetValue(i));
      st.m = FastFadeIn(d);
      const float D = d * d;
      st.k = 16.0f * c * D + 4.0f * D + 0.01f;
      st.g = 400.0 * static_cast<double>(D) + 0.01;
      st.n = (st.g + 1.0) / st.g;
      st.b = 0.05 * st.g;
      st.shelf = false;
      if (t > 0.0f) {
        // High shelf with a top gain of A^2 (up to 9).
        const float A = 2.0f * t * t + 1.0f;
        const float S = w * A * C;
        const float Ap = A + 1.0f, Am = A - 1.0f;
        const float U = Ap + C * Am, V = Ap - C * Am;
        const float a0 = S + V;
        const float a1 = 2.0f * (Am - C * Ap);
        const float a2 = V - S;
        // Rates far below any real one would make the shelf unstable: skip
        // it there rather than let it run away.
        if (a0 > 1e-6f && std::fabs(a2) < a0 && std::fabs(a1) < a0 + a2) {
          m_invA0 = 1.0f / a0;
          m_a1 = a1;
          m_a2 = a2;
          m_b0 = (S + U) * A;
          m_b1 = -2.0f * A * (C * Ap + Am);
          m_b2 = (U - S) * A;
          st.shelf = true;
          st.b0 = m_b0;
          st.b1 = m_b1;
          st.b2 = m_b2;
          st.a1 = m_a1;
          st.a2 = m_a2;
          st.invA0 = m_invA0;
        }
      }
    }
    --step;
    left[i] = st.Run(left[i], sl);
    right[i] = st.Run(right[i], sr);
  }
  for (unsigned int k = 0; k < 4; ++k) {
    state->shaperLeft[k] = sl[k];
    state->shaperRight[k] = sr[k];
  }
}
