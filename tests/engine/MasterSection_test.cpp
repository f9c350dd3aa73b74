#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "SynthFixture.h"
#include "engine/MasterSection.h"
#include "engine/ParamIds.h"

namespace {

class MasterSectionTest : public SynthFixture {
 protected:
  MasterSectionTest() : master(&synth) { master.SetSampleRate(44100.0f); }

  // Runs one block of n frames (at most 512) through the section.
  void Run(std::vector<float>& l, std::vector<float>& r) {
    master.UpdateParams(static_cast<unsigned int>(l.size()));
    master.Process(nullptr, l.data(), r.data(), static_cast<unsigned int>(l.size()));
  }
  // Lets a changed level, pan or mono finish its smoothing ramp.
  void Settle() {
    std::vector<float> l(256, 0.0f), r(256, 0.0f);
    Run(l, r);
  }

  CMasterSection master;
};

std::vector<float> Tone(unsigned int n, double step, float amp, unsigned int offset = 0) {
  std::vector<float> x(n);
  for (unsigned int i = 0; i < n; ++i) x[i] = amp * static_cast<float>(std::sin(step * (offset + i)));
  return x;
}

TEST_F(MasterSectionTest, FactorySettingsPassAtUnityGain) {
  // Without the DC blocker the factory level, pan and mono give exactly the input.
  Set(PARAM_DC_BLOCK_OFF, 1.0f);
  std::vector<float> l = Tone(512, 0.1, 0.3f), r = Tone(512, 0.07, -0.2f);
  std::vector<float> l0 = l, r0 = r;
  Run(l, r);
  for (unsigned int i = 0; i < 512; ++i) {
    ASSERT_NEAR(l[i], l0[i], 1e-7f) << i;
    ASSERT_NEAR(r[i], r0[i], 1e-7f) << i;
  }

  // With the DC blocker (factory) a 1 kHz tone keeps its level.
  Set(PARAM_DC_BLOCK_OFF, 0.0f);
  const double step = 2.0 * 3.14159265358979 * 1000.0 / 44100.0;
  float peak = 0.0f;
  for (unsigned int block = 0; block < 8; ++block) {
    std::vector<float> bl = Tone(512, step, 0.5f, block * 512), br = bl;
    Run(bl, br);
    if (block >= 4)
      for (float v : bl) peak = std::max(peak, std::fabs(v));
  }
  EXPECT_NEAR(peak, 0.5f, 0.01f);
}

TEST_F(MasterSectionTest, LimitsAtHundred) {
  // Also where the mid/side sums overflow to infinity.
  std::vector<float> l(8, 1000.0f), r(8, -1000.0f);
  l[1] = std::numeric_limits<float>::max();
  r[1] = -std::numeric_limits<float>::max();
  Set(PARAM_DC_BLOCK_OFF, 1.0f);
  Run(l, r);
  for (unsigned int i = 0; i < 8; ++i) {
    EXPECT_EQ(l[i], 100.0f) << i;
    EXPECT_EQ(r[i], -100.0f) << i;
  }
  // The DC blocker lets the first limited value through unchanged.
  Set(PARAM_DC_BLOCK_OFF, 0.0f);
  master.Reset();
  std::vector<float> l2(1, 1000.0f), r2(1, 1000.0f);
  Run(l2, r2);
  EXPECT_EQ(l2[0], 100.0f);
  EXPECT_EQ(r2[0], 100.0f);
}

TEST_F(MasterSectionTest, InvalidSampleBecomesSilenceWithoutSilencingWhatFollows) {
  const float bad[] = {NAN, INFINITY, -INFINITY};
  for (float b : bad) {
    CMasterSection reference(&synth);
    reference.SetSampleRate(44100.0f);
    master.Reset();
    for (unsigned int block = 0; block < 3; ++block) {
      std::vector<float> l = Tone(256, 0.05, 0.4f, block * 256), r = Tone(256, 0.03, 0.4f, block * 256);
      std::vector<float> rl = l, rr = r;
      if (block == 1) {
        l[10] = b;
        r[10] = b;
        rl[10] = 0.0f;
        rr[10] = 0.0f;
      }
      Run(l, r);
      reference.UpdateParams(256);
      reference.Process(nullptr, rl.data(), rr.data(), 256);
      for (unsigned int i = 0; i < 256; ++i) {
        ASSERT_EQ(l[i], rl[i]) << b << " block " << block << " sample " << i;
        ASSERT_EQ(r[i], rr[i]) << b << " block " << block << " sample " << i;
      }
      if (block == 2) {
        EXPECT_GT(std::fabs(l[100]), 0.1f);
      }
    }
  }
}

TEST_F(MasterSectionTest, SubnormalResultsAreFlushed) {
  Set(PARAM_DC_BLOCK_OFF, 1.0f);
  const float tiny = std::numeric_limits<float>::denorm_min() * 64.0f;
  std::vector<float> l(4, tiny), r(4, -tiny);
  Run(l, r);
  for (unsigned int i = 0; i < 4; ++i) {
    EXPECT_EQ(l[i], 0.0f);
    EXPECT_FALSE(std::signbit(r[i]));
  }
}

TEST_F(MasterSectionTest, PanAndMonoFold) {
  Set(PARAM_DC_BLOCK_OFF, 1.0f);
  struct CASE {
    float pan, mono;
    float outL, outR;  // for input left 0.2, right -0.1 at level 0.5
  };
  const CASE cases[] = {
      {0.0f, 0.0f, 0.4f, 0.0f},    // hard left: left doubled, right silent
      {1.0f, 0.0f, 0.0f, -0.2f},   // hard right
      {0.5f, 1.0f, 0.05f, 0.05f},  // mono: both channels the mean
      {0.5f, 0.0f, 0.2f, -0.1f},   // factory
  };
  for (const CASE& c : cases) {
    params.SetParam(PARAM_MASTER_PAN, c.pan);
    params.SetParam(PARAM_MASTER_MONO, c.mono);
    Settle();
    std::vector<float> l(16, 0.2f), r(16, -0.1f);
    Run(l, r);
    EXPECT_NEAR(l[15], c.outL, 1e-6f) << c.pan << " " << c.mono;
    EXPECT_NEAR(r[15], c.outR, 1e-6f) << c.pan << " " << c.mono;
  }
  // Level 1 gives gain 8 before the pan's halving: 4x the input.
  params.SetParam(PARAM_MASTER_LEVEL, 1.0f);
  params.SetParam(PARAM_MASTER_PAN, 0.5f);
  params.SetParam(PARAM_MASTER_MONO, 0.0f);
  Settle();
  std::vector<float> l(16, 0.2f), r(16, -0.1f);
  Run(l, r);
  EXPECT_NEAR(l[15], 0.8f, 1e-5f);
  EXPECT_NEAR(r[15], -0.4f, 1e-5f);
}

}  // namespace

TEST_F(MasterSectionTest, SilentBlocksGiveTheSameSamplesWhateverTheBlockSize) {
  // Silence, a burst, silence again: cut into blocks of 512 or of 32 (the
  // silent ones may skip the per-sample work), the samples match bit for bit,
  // with the DC blocker on and off.
  for (float dcOff : {0.0f, 1.0f}) {
    Set(PARAM_DC_BLOCK_OFF, dcOff);
    const unsigned int n = 16 * 512;
    std::vector<float> in(n, 0.0f);
    std::vector<float> burst = Tone(300, 0.2, 0.4f);
    for (unsigned int i = 0; i < 300; ++i) in[1500 + i] = burst[i];
    std::vector<float> out[2];
    const unsigned int blocks[2] = {512, 32};
    for (unsigned int k = 0; k < 2; ++k) {
      CMasterSection section(&synth);
      section.SetSampleRate(44100.0f);
      std::vector<float> l = in, r(n, 0.0f);
      for (unsigned int i = 0; i < n; i += blocks[k]) {
        section.UpdateParams(blocks[k]);
        section.Process(nullptr, l.data() + i, r.data() + i, blocks[k]);
      }
      out[k] = l;
    }
    EXPECT_EQ(0, std::memcmp(out[0].data(), out[1].data(), n * sizeof(float))) << "dc off " << dcOff;
    EXPECT_NE(out[1][1600], 0.0f);
    EXPECT_EQ(out[1][0], 0.0f);
  }
}
