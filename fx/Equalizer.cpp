#include "fx/Equalizer.h"

#include <cmath>

#include "engine/ParamIds.h"

namespace {
const unsigned int FREQ = 0;
const unsigned int BOOST = CEqualizer::BAND_COUNT;
const unsigned int WIDTH = 2 * CEqualizer::BAND_COUNT;
}  // namespace

namespace {
void Invalidate(float (&last)[CEqualizer::BAND_COUNT][3]) {
  for (auto& band : last)
    for (float& v : band) v = std::nanf("");
}
}  // namespace

CEqualizer::CEqualizer(IGlobalSynth* synth, unsigned int instance) : m_synth(synth) {
  Invalidate(m_last);
  // The parameter block runs band by band (frequency, boost, bandwidth);
  // the records are grouped by kind.
  for (unsigned int band = 0; band < BAND_COUNT; ++band) {
    const unsigned int k = 3 * band;
    FxHelpers::InitHostRateParam(m_params[FREQ + band], synth,
                                 PARAM_FX_EQ + 2 * (k + FxParam::EQ_FREQ) + instance);
    FxHelpers::InitHostRateParam(m_params[BOOST + band], synth,
                                 PARAM_FX_EQ + 2 * (k + FxParam::EQ_BOOST) + instance);
    FxHelpers::InitHostRateParam(m_params[WIDTH + band], synth,
                                 PARAM_FX_EQ + 2 * (k + FxParam::EQ_BANDWIDTH) + instance);
  }
}

CEqualizer::~CEqualizer() {}

void CEqualizer::SetSampleRate(float sr) {
  m_sampleRate = sr;
  Invalidate(m_last);
}
void CEqualizer::SetBlockSize(unsigned int) {}

void CEqualizer::UpdateParams(unsigned int n) { FxHelpers::UpdateEffectParams(m_params, 3 * BAND_COUNT, n); }

void CEqualizer::Reset() {
  m_band1.Reset();
  m_band2.Reset();
  m_band3.Reset();
  m_band4.Reset();
}

void CEqualizer::ResetFreePhase() {}
void CEqualizer::OnKeyPress() {}

void CEqualizer::Process(float* left, float* right, unsigned int n) {
  if (n == 0 || !(m_sampleRate > 0.0f)) return;
  const float invRate = 1.0f / m_sampleRate;
  for (unsigned int i = 0; i < n; ++i) {
    // Every band's coefficients follow this sample's values; a band whose
    // values did not change keeps the coefficients they gave.
    for (unsigned int b = 0; b < BAND_COUNT; ++b) {
      const float F = FxHelpers::ReadParam(m_params[FREQ + b], i);
      const float boost = FxHelpers::ReadParam(m_params[BOOST + b], i);
      const float W = FxHelpers::ReadParam(m_params[WIDTH + b], i);
      if (F == m_last[b][0] && boost == m_last[b][1] && W == m_last[b][2]) continue;
      m_last[b][0] = F;
      m_last[b][1] = boost;
      m_last[b][2] = W;
      // 10 Hz to 20010 Hz; a frequency above the Nyquist frequency is used as it is.
      const float f = (10.0f + 20000.0f * F * F * F) * invRate;
      const float A = EqBoostToAmplitude(boost);
      switch (b) {
        case 0: m_band1.SetParams(f, A, W); break;
        case 1: m_band2.SetParams(f, A, W); break;
        case 2: m_band3.SetParams(f, A, W); break;
        default: m_band4.SetParams(f, A, W); break;
      }
    }
    float l = left[i];
    float r = right[i];
    m_band1.Process(l, r);
    m_band2.Process(l, r);
    m_band3.Process(l, r);
    m_band4.Process(l, r);
    left[i] = l;
    right[i] = r;
  }
  // A section that went non-finite (fed a NaN) would stay so for good.
  if (!m_band1.IsFinite() || !m_band2.IsFinite() || !m_band3.IsFinite() || !m_band4.IsFinite()) Reset();
}
