#include "dsp/FilterModule.h"

#include "engine/ModulatedParam.h"

void CFilterModule::_SetSampleRate(float rate, float maxTime) {
  m_rate = rate > 0.0f && std::isfinite(rate) ? rate : 0.0f;
  const unsigned int len = FilterBank::LineLength(maxTime, m_rate);
  m_ch[0].SetLineLength(len);
  m_ch[1].SetLineLength(len);
}

float CFilterModule::_Setting(unsigned int id) const {
  const float v = m_synth->GetParam(id);
  return std::isfinite(v) ? v : 0.0f;
}

MOD_SOURCE_LIST* CFilterModule::_Sources(unsigned int id) const {
  IModulation* mod = m_synth->GetIModulation();
  MOD_SOURCE_LIST* list = mod ? mod->GetModulation(id) : nullptr;
  return list ? list : GetEmptyModSourceList();
}
