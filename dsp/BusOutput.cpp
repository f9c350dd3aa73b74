#include "dsp/BusOutput.h"

#include "engine/ParamIds.h"

CBusOutput::CBusOutput(IGlobalSynth* synth) : m_synth(synth) {
  m_level.Init(synth, PARAM_BUS_LEVEL);
  m_pan.Init(synth, PARAM_BUS_PAN);
}

void CBusOutput::SetInstance(unsigned int bus) {
  m_bus = bus;
  m_level.SetParamId(PARAM_BUS_LEVEL + bus);
  m_pan.SetParamId(PARAM_BUS_PAN + bus);
}

void CBusOutput::UpdateParams(unsigned int n) {
  m_level.Update(n);
  m_pan.Update(n);
}

void CBusOutput::Process(float* left, float* right, unsigned int n) {
  const unsigned int k = m_synth->GetOversampling() ? m_synth->GetOversampling() : 1;
  float gl = 0.0f, gr = 0.0f;
  for (unsigned int i = 0; i < n; ++i) {
    if (i % k == 0) {
      float l = m_level.GetValue(i);
      float p = m_pan.GetValue(i);
      float g = 4.0f * l * l;
      gl = (1.0f - p) * g;
      gr = p * g;
    }
    left[i] *= gl;
    right[i] *= gr;
  }
}
