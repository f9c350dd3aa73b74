#include "dsp/BusRouter.h"

#include <cstring>

#include "engine/Buffers.h"
#include "engine/ParamIds.h"

CBusRouter::CBusRouter(IGlobalSynth* synth) : m_synth(synth) {
  for (unsigned int o = 0; o < 4; ++o) {
    m_bus[o].Init(synth, PARAM_OSC_BUS + o);
    m_busParam[o] = &m_bus[o];
  }
}

void CBusRouter::UpdateParams(unsigned int n) {
  for (auto& p : m_bus) p.Update(n);
}

void CBusRouter::Route(CStereoBuffer* osc, CStereoBuffer* bus, unsigned int n) {
  const unsigned int k = m_synth->GetOversampling() ? m_synth->GetOversampling() : 1;
  float* b1l = bus[0].GetLeftBuffer();
  float* b1r = bus[0].GetRightBuffer();
  float* b2l = bus[1].GetLeftBuffer();
  float* b2r = bus[1].GetRightBuffer();
  bool written = false;
  for (unsigned int o = 0; o < 4; ++o) {
    if (m_synth->GetParam(PARAM_OSC_ON + o) == 0.0f) continue;
    const float* ol = osc[o].GetLeftBuffer();
    const float* orr = osc[o].GetRightBuffer();
    const MODULATED_PARAM& p = *m_busParam[o];
    float b = 0.0f, w = 1.0f;
    for (unsigned int i = 0; i < n; ++i) {
      if (i % k == 0) {
        b = p.GetValue(i);
        w = 1.0f - b;
      }
      if (written) {
        b1l[i] += w * ol[i];
        b1r[i] += w * orr[i];
        b2l[i] += b * ol[i];
        b2r[i] += b * orr[i];
      } else {
        b1l[i] = w * ol[i];
        b1r[i] = w * orr[i];
        b2l[i] = b * ol[i];
        b2r[i] = b * orr[i];
      }
    }
    written = true;
  }
  if (!written) {
    std::memset(b1l, 0, n * sizeof(float));
    std::memset(b1r, 0, n * sizeof(float));
    std::memset(b2l, 0, n * sizeof(float));
    std::memset(b2r, 0, n * sizeof(float));
  }
}
