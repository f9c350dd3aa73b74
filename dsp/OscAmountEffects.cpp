#include "dsp/OscAmountEffects.h"

#include "dsp/StageCommon.h"
#include "engine/ParamIds.h"

COscAmountSum::COscAmountSum(unsigned int type, IGlobalSynth* synth, float scale)
    : IOscEffect(type), m_synth(synth), m_scale(scale) {
  for (unsigned int k = 0; k < OSC_FX_SLOTS; ++k) {
    m_amount[k].Init(synth, PARAM_OSC_FX_AMOUNT + 4 * k);
    m_amount[k].SetUseOversamplingShift(false);
  }
}

void COscAmountSum::SetInstance(unsigned int osc, unsigned int slot) {
  m_osc = osc & 3;
  m_slot = slot & 3;
  for (unsigned int k = 0; k < OSC_FX_SLOTS; ++k) {
    m_amount[k].SetParamId(PARAM_OSC_FX_AMOUNT + 4 * k + m_osc);
    m_amount[k].SetUseOversamplingShift(false);
  }
}

void COscAmountSum::SetBlockSize(unsigned int n) {
  m_output.SetSamplesCount(n);
  m_output.Clear(n);
}

void COscAmountSum::UpdateParams(unsigned int n) {
  for (unsigned int k = 0; k < OSC_FX_SLOTS; ++k)
    if (OscFxTypeOf(m_synth->GetParam(PARAM_OSC_FX_TYPE + 4 * k + m_osc)) == static_cast<int>(m_type))
      m_amount[k].Update(n);
}

void COscAmountSum::Process(CVoice*, float*, unsigned int n) {
  float* out = m_output.GetBuffer();
  _Publish(out);
  if (!out) return;
  bool typed[OSC_FX_SLOTS];
  for (unsigned int k = 0; k < OSC_FX_SLOTS; ++k)
    typed[k] = OscFxTypeOf(m_synth->GetParam(PARAM_OSC_FX_TYPE + 4 * k + m_osc)) == static_cast<int>(m_type);
  const unsigned int K = m_synth->GetOversampling() ? m_synth->GetOversampling() : 1;
  unsigned int steps = (n + K - 1) / K;
  if (steps > m_output.GetSamplesCount()) steps = m_output.GetSamplesCount();
  for (unsigned int j = 0; j < steps; ++j) {
    float sum = 0.0f;
    for (unsigned int k = 0; k < OSC_FX_SLOTS; ++k)
      if (typed[k]) sum += ClampUnit(m_amount[k].GetValue(j));
    out[j] = m_scale * sum;
  }
}
