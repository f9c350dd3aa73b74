#include "fx/Equalizer.h"

#include "engine/ParamIds.h"

namespace {
const unsigned int FREQ = 0;
const unsigned int BOOST = CEqualizer::BAND_COUNT;
const unsigned int WIDTH = 2 * CEqualizer::BAND_COUNT;
}  // namespace

CEqualizer::CEqualizer(IGlobalSynth* synth, unsigned int instance) : m_synth(synth) {
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

void CEqualizer::SetSampleRate(float sr) { m_sampleRate = sr; }
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
  float f[BAND_COUNT], A[BAND_COUNT], W[BAND_COUNT];
  for (unsigned int i = 0; i < n; ++i) {
    for (unsigned int b = 0; b < BAND_COUNT; ++b) {
      const float F = FxHelpers::ReadParam(m_params[FREQ + b], i);
      // 10 Hz to 20010 Hz; a frequency above the Nyquist frequency is used as it is.
      f[b] = (10.0f + 20000.0f * F * F * F) * invRate;
      A[b] = EqBoostToAmplitude(FxHelpers::ReadParam(m_params[BOOST + b], i));
      W[b] = FxHelpers::ReadParam(m_params[WIDTH + b], i);
    }
    m_band1.SetParams(f[0], A[0], W[0]);
    m_band2.SetParams(f[1], A[1], W[1]);
    m_band3.SetParams(f[2], A[2], W[2]);
    m_band4.SetParams(f[3], A[3], W[3]);
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
