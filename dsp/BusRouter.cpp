// Placeholder router until the buses land: the first oscillator that is on
// goes fully to bus 1.
#include "dsp/BusRouter.h"

#include <cstring>

#include "engine/Buffers.h"
#include "engine/IGlobalSynth.h"

CBusRouter::CBusRouter(IGlobalSynth* synth) : m_synth(synth) {}
CBusRouter::~CBusRouter() {}
void CBusRouter::SetSampleRate(float) {}
void CBusRouter::UpdateParams(unsigned int) {}
void CBusRouter::Route(CStereoBuffer* osc, CStereoBuffer* bus, unsigned int n) {
  bool first = true;
  for (int b = 0; b < 2; ++b) {
    std::memset(bus[b].GetLeftBuffer(), 0, n * sizeof(float));
    std::memset(bus[b].GetRightBuffer(), 0, n * sizeof(float));
  }
  for (unsigned int k = 0; k < 4; ++k) {
    if (m_synth->GetParam(422 + k) == 0.0f) continue;
    float* l = bus[0].GetLeftBuffer();
    float* r = bus[0].GetRightBuffer();
    const float* ol = osc[k].GetLeftBuffer();
    const float* orr = osc[k].GetRightBuffer();
    for (unsigned int i = 0; i < n; ++i) {
      l[i] = first ? ol[i] : l[i] + ol[i];
      r[i] = first ? orr[i] : r[i] + orr[i];
    }
    first = false;
  }
}
