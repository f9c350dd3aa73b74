#include "engine/DownSampler.h"

#include <cmath>

#include "engine/Buffers.h"
#include "engine/IGlobalSynth.h"
#include "engine/ParamIds.h"
#include "engine/Silence.h"

namespace {

// True when every sample is finite: x * 0 is 0 for finite x and NaN for an
// infinity or NaN, so one pass without branches answers it (four sums, so
// that the additions need not wait for each other).
bool AllFinite(const float* x, unsigned int n) {
  float a0 = 0.0f, a1 = 0.0f, a2 = 0.0f, a3 = 0.0f;
  unsigned int i = 0;
  for (; i + 4 <= n; i += 4) {
    a0 += x[i] * 0.0f;
    a1 += x[i + 1] * 0.0f;
    a2 += x[i + 2] * 0.0f;
    a3 += x[i + 3] * 0.0f;
  }
  for (; i < n; ++i) a0 += x[i] * 0.0f;
  return (a0 + a1) + (a2 + a3) == 0.0f;
}

void FlushNonFinite(float* x, unsigned int n) {
  for (unsigned int i = 0; i < n; ++i)
    if (!std::isfinite(x[i])) x[i] = 0.0f;
}

}  // namespace

CDownSampler::CDownSampler(IGlobalSynth* synth) : m_synth(synth) {
  for (auto& dc : m_dc) dc = DC_BLOCKER{0.0f, 0.0f, 0.0f};
}

CDownSampler::~CDownSampler() {}

void CDownSampler::Reset() {
  for (auto& s : m_states) s = C2XDownSampler();
  for (auto& dc : m_dc) DcClear(dc);
}

void CDownSampler::_ResetChannel(unsigned int mix, unsigned int ch) {
  for (unsigned int s = 0; s < MAX_STAGES; ++s) m_states[4 * s + 2 * mix + ch] = C2XDownSampler();
  DcClear(m_dc[2 * mix + ch]);
}

void CDownSampler::SetSampleRate(float sr) {
  const float r = 1.0f + (-94.24778f / sr);
  for (auto& dc : m_dc) dc.r = r;
}

void CDownSampler::Process(CStereoBuffer* mixes, unsigned int frames) {
  const unsigned int factor = m_synth->GetOversampling();
  unsigned int stages = static_cast<unsigned int>(logf(static_cast<float>(factor)) / 0.6931472f);
  if (stages > MAX_STAGES) stages = MAX_STAGES;
  const bool dcOn = m_synth->GetParam(PARAM_DC_BLOCK_OFF) == 0.0f;

  // A NaN or infinity in the oversampled mix would stay in the all-pass
  // state of the decimators; replace it by silence first.
  for (unsigned int m = 0; m < 2; ++m) {
    float* channel[2] = {mixes[m].GetLeftBuffer(), mixes[m].GetRightBuffer()};
    for (float* x : channel)
      if (!AllFinite(x, frames)) FlushNonFinite(x, frames);
  }

  for (unsigned int s = 0; s < stages; ++s) {
    const unsigned int count = frames >> (s + 1);
    for (unsigned int m = 0; m < 2; ++m) {
      C2XDownSampler::ProcessStereo(m_states[4 * s + 2 * m], m_states[4 * s + 2 * m + 1], mixes[m].GetLeftBuffer(),
                                    mixes[m].GetRightBuffer(), count);
    }
  }

  const unsigned int count = stages ? frames >> stages : frames;
  for (unsigned int m = 0; m < 2; ++m) {
    float* channel[2] = {mixes[m].GetLeftBuffer(), mixes[m].GetRightBuffer()};
    bool block[2] = {false, false};
    for (unsigned int ch = 0; ch < 2; ++ch) {
      float* x = channel[ch];
      // Finite but huge input can still overflow inside the decimators; such
      // a channel starts afresh instead of staying silent.
      if (!AllFinite(x, count)) {
        FlushNonFinite(x, count);
        _ResetChannel(m, ch);
      }
      // Silence into a blocker at rest stays silence.
      const DC_BLOCKER& dc = m_dc[2 * m + ch];
      block[ch] = dcOn && !(IsPositiveZeroBlock(&dc.x1, 1) && IsPositiveZeroBlock(&dc.y1, 1) &&
                            IsPositiveZeroBlock(x, count));
    }
    DC_BLOCKER& dcL = m_dc[2 * m];
    DC_BLOCKER& dcR = m_dc[2 * m + 1];
    if (block[0] && block[1] && channel[0] != channel[1]) {
      // Both blockers in one loop, which the processor overlaps.
      DC_BLOCKER l = dcL, r = dcR;
      float* xl = channel[0];
      float* xr = channel[1];
      for (unsigned int i = 0; i < count; ++i) {
        xl[i] = DcBlock(l, xl[i]);
        xr[i] = DcBlock(r, xr[i]);
      }
      dcL = l;
      dcR = r;
      continue;
    }
    if (block[0])
      for (unsigned int i = 0; i < count; ++i) channel[0][i] = DcBlock(dcL, channel[0][i]);
    if (block[1])
      for (unsigned int i = 0; i < count; ++i) channel[1][i] = DcBlock(dcR, channel[1][i]);
  }
}
