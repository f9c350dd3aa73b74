// The host-rate output stages against plain scalar statements of what they
// compute: the decimators with their flush, overflow reset and DC blockers,
// and the master section, fed blocks of every kind (sound, exact silence,
// -0.0, subnormals, NaN, infinities, huge values, one channel silent) at
// every oversampling factor and many block lengths. Their fast paths (SIMD
// lanes, skipped silence, the bounded-input path) must give the same bits.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "SynthFixture.h"
#include "engine/Buffers.h"
#include "engine/DcBlocker.h"
#include "engine/DownSampler.h"
#include "engine/MasterSection.h"
#include "engine/ParamIds.h"
#include "osc/2XDownSampler.h"

namespace {

struct RANDOM {
  unsigned int seed;
  unsigned int Next() {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  }
  float Uniform() { return static_cast<float>(Next()) / 16777216.0f; }  // 0 .. 1
  unsigned int Below(unsigned int n) { return Next() % n; }
};

// One channel of a block: a kind drawn at random, with rare special values.
void FillChannel(RANDOM& rnd, float* x, unsigned int n, unsigned int kind) {
  const float special[] = {std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity(),
                           -0.0f,
                           std::numeric_limits<float>::denorm_min() * 17.0f,
                           -std::numeric_limits<float>::max(),
                           3.0e38f,
                           1.0e30f,
                           -2.0e20f,
                           1.0e18f,
                           1.0000001e18f};
  for (unsigned int i = 0; i < n; ++i) {
    switch (kind) {
      case 0: x[i] = 0.0f; break;
      case 1: x[i] = -0.0f; break;
      case 2: x[i] = 0.8f * static_cast<float>(std::sin(0.037 * i)) + 0.1f * (rnd.Uniform() - 0.5f); break;
      case 3: x[i] = (rnd.Uniform() - 0.5f) * 2.0f; break;
      case 4: x[i] = std::numeric_limits<float>::denorm_min() * static_cast<float>(rnd.Below(1000)); break;
      case 5: x[i] = 1.0e17f * (rnd.Uniform() - 0.5f); break;
      default: x[i] = 0.3f * (rnd.Uniform() - 0.5f); break;
    }
  }
  if (kind >= 6 && n > 0) {
    // Sound with a few special values.
    const unsigned int count = 1 + rnd.Below(3);
    for (unsigned int k = 0; k < count; ++k) x[rnd.Below(n)] = special[rnd.Below(sizeof(special) / sizeof(special[0]))];
  }
}

bool AllFinite(const float* x, unsigned int n) {
  for (unsigned int i = 0; i < n; ++i)
    if (!std::isfinite(x[i])) return false;
  return true;
}

void Flush(float* x, unsigned int n) {
  for (unsigned int i = 0; i < n; ++i)
    if (!std::isfinite(x[i])) x[i] = 0.0f;
}

// The decimation stage of the engine as plain statements: flush, the
// half-band stages one channel at a time (C2XDownSampler::Process), the
// reset of a channel whose output is not finite, the DC blockers.
class REFERENCE_DOWNSAMPLER {
 public:
  void SetSampleRate(float sr) {
    for (auto& dc : m_dc) dc.r = 1.0f + (-94.24778f / sr);
  }
  void Process(CStereoBuffer* mixes, unsigned int frames, unsigned int factor, bool dcOn) {
    unsigned int stages = static_cast<unsigned int>(logf(static_cast<float>(factor)) / 0.6931472f);
    if (stages > 3) stages = 3;
    for (unsigned int m = 0; m < 2; ++m) {
      float* ch[2] = {mixes[m].GetLeftBuffer(), mixes[m].GetRightBuffer()};
      for (unsigned int c = 0; c < 2; ++c) {
        float* x = ch[c];
        if (!AllFinite(x, frames)) Flush(x, frames);
        for (unsigned int s = 0; s < stages; ++s) m_states[s][m][c].Process(x, frames >> (s + 1));
        const unsigned int count = frames >> stages;
        DC_BLOCKER& dc = m_dc[2 * m + c];
        if (!AllFinite(x, count)) {
          Flush(x, count);
          for (auto& s : m_states) s[m][c] = C2XDownSampler();
          DcClear(dc);
        }
        if (dcOn)
          for (unsigned int i = 0; i < count; ++i) x[i] = DcBlock(dc, x[i]);
      }
    }
  }

 private:
  C2XDownSampler m_states[3][2][2];
  DC_BLOCKER m_dc[4] = {};
};

class OutputChainIdentity : public SynthFixture {};

TEST_F(OutputChainIdentity, DownSamplerMatchesItsPlainStatement) {
  RANDOM rnd{12345};
  const unsigned int hostLengths[] = {1, 2, 3, 5, 7, 16, 33, 64, 255, 512};
  for (unsigned int factor : {2u, 4u, 8u}) {
    synth.SetOversampling(factor);
    CDownSampler down(&synth);
    REFERENCE_DOWNSAMPLER ref;
    down.SetSampleRate(44100.0f);
    ref.SetSampleRate(44100.0f);
    CStereoBuffer mixes[2], refMixes[2];
    for (unsigned int m = 0; m < 2; ++m) {
      mixes[m].SetSamplesCount(512 * factor);
      refMixes[m].SetSamplesCount(512 * factor);
    }
    for (unsigned int block = 0; block < 600; ++block) {
      const unsigned int n = hostLengths[rnd.Below(10)];
      const unsigned int frames = n * factor;
      // Long stretches of one kind let the filters settle and come to rest.
      const bool dcOn = (block / 97) % 3 != 2;
      Set(PARAM_DC_BLOCK_OFF, dcOn ? 0.0f : 1.0f);
      for (unsigned int m = 0; m < 2; ++m) {
        const unsigned int phase = (block / 40 + m) % 4;
        for (unsigned int c = 0; c < 2; ++c) {
          unsigned int kind = phase == 0 || (phase == 1 && c == 1) ? 0 : rnd.Below(10);
          if (phase == 3 && rnd.Below(4) == 0) kind = 6 + rnd.Below(4);
          float* x = c ? mixes[m].GetRightBuffer() : mixes[m].GetLeftBuffer();
          FillChannel(rnd, x, frames, kind);
          float* y = c ? refMixes[m].GetRightBuffer() : refMixes[m].GetLeftBuffer();
          std::memcpy(y, x, frames * sizeof(float));
        }
      }
      down.Process(mixes, frames);
      ref.Process(refMixes, frames, factor, dcOn);
      for (unsigned int m = 0; m < 2; ++m) {
        ASSERT_EQ(0, std::memcmp(mixes[m].GetLeftBuffer(), refMixes[m].GetLeftBuffer(), n * sizeof(float)))
            << "factor " << factor << " block " << block << " mix " << m;
        ASSERT_EQ(0, std::memcmp(mixes[m].GetRightBuffer(), refMixes[m].GetRightBuffer(), n * sizeof(float)))
            << "factor " << factor << " block " << block << " mix " << m;
      }
    }
  }
}

TEST(TwoXDownSamplerIdentity, DcBlockCallMatchesDecimationThenBlocker) {
  RANDOM rnd{99};
  C2XDownSampler aL, aR, bL, bR;
  DC_BLOCKER dcA[2] = {{0.9978f, 0.0f, 0.0f}, {0.9978f, 0.0f, 0.0f}};
  DC_BLOCKER dcB[2] = {{0.9978f, 0.0f, 0.0f}, {0.9978f, 0.0f, 0.0f}};
  for (unsigned int block = 0; block < 300; ++block) {
    const unsigned int n = rnd.Below(40);
    std::vector<float> l(2 * n + 1), r(2 * n + 1);
    FillChannel(rnd, l.data(), 2 * n, block % 50 < 10 ? 0 : 2 + rnd.Below(4));
    FillChannel(rnd, r.data(), 2 * n, block % 50 < 20 ? 0 : 2 + rnd.Below(4));
    std::vector<float> l2 = l, r2 = r;
    C2XDownSampler::ProcessStereoDcBlock(aL, aR, l.data(), r.data(), n, dcA[0], dcA[1]);
    bL.Process(l2.data(), n);
    bR.Process(r2.data(), n);
    for (unsigned int i = 0; i < n; ++i) {
      l2[i] = DcBlock(dcB[0], l2[i]);
      r2[i] = DcBlock(dcB[1], r2[i]);
    }
    ASSERT_EQ(0, std::memcmp(l.data(), l2.data(), l.size() * sizeof(float))) << block;
    ASSERT_EQ(0, std::memcmp(r.data(), r2.data(), r.size() * sizeof(float))) << block;
    ASSERT_EQ(0, std::memcmp(aL.GetState(), bL.GetState(), DOWNSAMPLER_STATE_SIZE * sizeof(float)));
    ASSERT_EQ(0, std::memcmp(aR.GetState(), bR.GetState(), DOWNSAMPLER_STATE_SIZE * sizeof(float)));
    ASSERT_EQ(0, std::memcmp(dcA, dcB, sizeof(dcA)));
  }
}

TEST_F(OutputChainIdentity, MasterSectionGivesTheSameBitsInAnyBlockLength) {
  // Blocks of three samples run sample by sample; longer ones four at a
  // time. Settled controls, DC blocker on and off, every kind of input.
  struct CONTROLS {
    float level, pan, mono;
  };
  const CONTROLS controls[] = {{0.35355339f, 0.5f, 0.0f}, {1.0f, 0.0f, 0.3f}, {0.7f, 1.0f, 1.0f}, {0.2f, 0.23f, 0.6f}};
  for (const CONTROLS& c : controls) {
    for (float dcOff : {0.0f, 1.0f}) {
      params.SetParam(PARAM_MASTER_LEVEL, c.level);
      params.SetParam(PARAM_MASTER_PAN, c.pan);
      params.SetParam(PARAM_MASTER_MONO, c.mono);
      Set(PARAM_DC_BLOCK_OFF, dcOff);
      {
        // Let the controls' ramps end (blocks of at most the store's 512).
        CMasterSection settle(&synth);
        std::vector<float> l(512, 0.0f), r(512, 0.0f);
        for (int k = 0; k < 256; ++k) {
          settle.UpdateParams(512);
          settle.Process(nullptr, l.data(), r.data(), 512);
        }
      }
      RANDOM rnd{7};
      const unsigned int n = 40000;
      std::vector<float> inL(n), inR(n);
      for (unsigned int pos = 0; pos < n; pos += 500) {
        const unsigned int kind = (pos / 500) % 5 == 0 ? 0 : rnd.Below(10);
        FillChannel(rnd, inL.data() + pos, 500, kind);
        FillChannel(rnd, inR.data() + pos, 500, rnd.Below(3) == 0 ? kind : rnd.Below(10));
        // Both channels alike or opposite, so that huge values overflow the
        // mid and side sums (and meet a zero gain at a hard pan).
        const unsigned int link = rnd.Below(4);
        for (unsigned int i = pos; i < pos + 500 && link < 2; ++i) inR[i] = link ? inL[i] : -inL[i];
        if (link == 2) inL[pos + rnd.Below(500)] = inR[pos + rnd.Below(500)] = 3.0e38f;
      }
      std::vector<float> out[3][2];
      const unsigned int blocks[3] = {3, 512, 37};  // at most the store's 512
      for (unsigned int k = 0; k < 3; ++k) {
        CMasterSection section(&synth);
        section.SetSampleRate(44100.0f);
        std::vector<float> l = inL, r = inR;
        for (unsigned int i = 0; i < n; i += blocks[k]) {
          const unsigned int m = std::min(blocks[k], n - i);
          section.UpdateParams(m);
          section.Process(nullptr, l.data() + i, r.data() + i, m);
        }
        out[k][0] = l;
        out[k][1] = r;
      }
      for (unsigned int k = 1; k < 3; ++k)
        for (unsigned int ch = 0; ch < 2; ++ch)
          EXPECT_EQ(0, std::memcmp(out[0][ch].data(), out[k][ch].data(), n * sizeof(float)))
              << "blocks " << blocks[k] << " channel " << ch << " level " << c.level << " dc off " << dcOff;
    }
  }
}

}  // namespace
