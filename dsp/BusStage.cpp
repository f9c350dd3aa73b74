#include "dsp/BusStage.h"

void CBusStage::SetInstance(unsigned int bus) {
  m_bus = bus > 1 ? 1 : bus;
  for (unsigned int k = 0; k < m_paramCount; ++k) m_params[k]->SetParamId(m_baseIds[k] + m_bus);
}

void CBusStage::UpdateParams(unsigned int n) {
  for (unsigned int k = 0; k < m_paramCount; ++k) m_params[k]->Update(n);
}

void CBusStage::_AddParam(MODULATED_PARAM& param, unsigned int baseId) {
  param.Init(m_synth, baseId);
  if (m_paramCount == MAX_PARAMS) return;
  m_params[m_paramCount] = &param;
  m_baseIds[m_paramCount] = baseId;
  ++m_paramCount;
}
