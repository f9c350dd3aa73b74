#include "dsp/BusOutput.h"

#include "engine/ParamIds.h"
#include "engine/Vectorize.h"

namespace {

MORLAVINE_VECTORIZE void ScaleStereo(float* __restrict left, float* __restrict right, float gl, float gr,
                                     unsigned int from, unsigned int to) {
  for (unsigned int j = from; j < to; ++j) {
    left[j] *= gl;
    right[j] *= gr;
  }
}

}  // namespace

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
  // The gains change once per control step of k samples, or not at all in
  // a block where level and pan hold still.
  const unsigned int step = m_level.constant && m_pan.constant ? n : k;
  for (unsigned int i = 0; i < n; i += step) {
    const float l = m_level.GetValue(i);
    const float p = m_pan.GetValue(i);
    const float g = 4.0f * l * l;
    const float gl = (1.0f - p) * g;
    const float gr = p * g;
    ScaleStereo(left, right, gl, gr, i, i + step < n ? i + step : n);
  }
}
