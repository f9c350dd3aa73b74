#include "engine/FastFloor.h"
#include "dsp/OscAudioEffect.h"

#include "dsp/StageCommon.h"
#include "engine/IModulation.h"
#include "engine/ParamIds.h"

COscAudioEffect::COscAudioEffect(unsigned int type, IGlobalSynth* synth) : IOscEffect(type), m_synth(synth) {
  m_amount.Init(synth, PARAM_OSC_FX_AMOUNT);
}

void COscAudioEffect::SetInstance(unsigned int osc, unsigned int slot) {
  m_osc = osc & 3;
  m_slot = slot & 3;
  m_amount.SetParamId(PARAM_OSC_FX_AMOUNT + 4 * m_slot + m_osc);
  m_amount.SetUseOversamplingShift(true);
}

bool COscAudioEffect::_Bypassed() const { return IsZeroAndUnmodulated(m_synth, m_amount.paramId); }

unsigned int COscAudioEffect::_SameTypeIndex() const {
  unsigned int count = 0;
  for (unsigned int k = 0; k <= m_slot; ++k)
    if (OscFxTypeOf(m_synth->GetParam(PARAM_OSC_FX_TYPE + 4 * k + m_osc)) == static_cast<int>(m_type)) ++count;
  return count > 0 ? count - 1 : 0;
}

const float* COscAudioEffect::_PitchBuffer() const {
  IModulation* mod = m_synth->GetIModulation();
  return mod ? mod->GetPitchModulation(m_osc) : m_synth->GetPitchModulation(m_osc);
}

float COscAudioEffect::_Amount(unsigned int i) const { return ClampUnit(m_amount.GetValue(i)); }

unsigned int COscAudioEffect::_Oversampling() const {
  unsigned int k = m_synth->GetOversampling();
  return k ? k : 1;
}

float Frac(float x) {
  if (!(x > -1e7f && x < 1e7f)) return 0.0f;  // NaN or beyond float's fraction
  float f = x - FastFloor(x);
  return f < 1.0f ? f : 0.0f;
}
