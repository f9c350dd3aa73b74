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

float CFilterModule::_BendPitch() const {
  IModulation* mod = m_synth->GetIModulation();
  const float bend = mod ? mod->GetControllerValue(CONTROLLER_PITCH_BEND) : 0.0f;
  return (std::isfinite(bend) ? bend : 0.0f) * std::trunc(_Setting(ID_BEND_RANGE));
}

float CFilterModule::_VelocityTerm(CVoice* voice) {
  float velocity = *voice->GetVelocity();
  if (!(velocity > 0.0f)) velocity = 0.0f;
  if (velocity > 1.0f) velocity = 1.0f;
  return 48.0f * (velocity - 0.5f);
}

float CFilterModule::_RingCarrier(int mode, CVoice* voice, float tuneTableScaler) const {
  if (mode != FilterBank::MODE_RING_LP) return 0.0f;
  const int note = *voice->GetPitch();
  if (note <= 24) return 0.0f;
  return FilterBank::PitchToHz(static_cast<float>(note - 24), tuneTableScaler) / m_rate;
}

void CFilterModule::_ControlStep(unsigned int& K, unsigned int& shift) const {
  K = m_synth->GetOversampling();
  if (K == 0) K = 1;
  shift = m_synth->GetOversamplingShift();
}
