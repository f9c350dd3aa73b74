#include "dsp/BusRouter.h"

#include <cstring>

#include "engine/Buffers.h"
#include "engine/ParamIds.h"
#include "engine/Vectorize.h"

CBusRouter::CBusRouter(IGlobalSynth* synth) : m_synth(synth) {
  for (unsigned int o = 0; o < 4; ++o) {
    m_bus[o].Init(synth, PARAM_OSC_BUS + o);
    m_busParam[o] = &m_bus[o];
  }
}

void CBusRouter::UpdateParams(unsigned int n) {
  for (auto& p : m_bus) p.Update(n);
}

namespace {

MORLAVINE_VECTORIZE void MixInto(float* __restrict b1l, float* __restrict b1r, float* __restrict b2l, float* __restrict b2r,
             const float* __restrict ol, const float* __restrict orr, float w, float b, unsigned int from,
             unsigned int to) {
  for (unsigned int i = from; i < to; ++i) {
    b1l[i] += w * ol[i];
    b1r[i] += w * orr[i];
    b2l[i] += b * ol[i];
    b2r[i] += b * orr[i];
  }
}

MORLAVINE_VECTORIZE void CopyInto(float* __restrict b1l, float* __restrict b1r, float* __restrict b2l, float* __restrict b2r,
              const float* __restrict ol, const float* __restrict orr, float w, float b, unsigned int from,
              unsigned int to) {
  for (unsigned int i = from; i < to; ++i) {
    b1l[i] = w * ol[i];
    b1r[i] = w * orr[i];
    b2l[i] = b * ol[i];
    b2r[i] = b * orr[i];
  }
}

}  // namespace

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
    // The send changes once per control step of k samples, or not at all
    // in a block where it holds still.
    const unsigned int step = p.constant ? n : k;
    for (unsigned int i = 0; i < n; i += step) {
      const float b = p.GetValue(i);
      const float w = 1.0f - b;
      const unsigned int end = i + step < n ? i + step : n;
      if (written)
        MixInto(b1l, b1r, b2l, b2r, ol, orr, w, b, i, end);
      else
        CopyInto(b1l, b1r, b2l, b2r, ol, orr, w, b, i, end);
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
