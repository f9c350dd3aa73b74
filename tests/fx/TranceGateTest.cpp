#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "FxTestUtil.h"
#include "engine/Buffers.h"
#include "engine/ParamIds.h"
#include "fx/TranceGate.h"

using namespace FxTest;

namespace {

const unsigned int kStep = 22050;  // a quarter note at 120 BPM with rate 1

class TranceGateTest : public ::testing::Test {
 protected:
  TranceGateTest() : gate(&synth) {
    synth.Set(PARAM_TG_ON, 1.0f);
    synth.Set(PARAM_TG_RATE, 1.0f);
    synth.Set(PARAM_TG_SMOOTH, 0.0f);
    synth.Set(PARAM_TG_MIX, 1.0f);
    synth.Set(PARAM_TG_SYNC, 2.0f);
    synth.Set(PARAM_TG_STEPS, 4.0f);
    Pattern(PARAM_TG_STEP_LEFT, {1, 0, 1, 1});
    synth.SetHostTempo(120.0f);
    gate.SetSampleRate(kRate);
    gate.FirstKeyPress();
  }
  void Pattern(unsigned int row, std::vector<int> steps) {
    for (unsigned int k = 0; k < 16; ++k) synth.Set(row + k, k < steps.size() ? float(steps[k]) : 0.0f);
  }
  // Gates a constant 1 on every channel of both mixes for n samples; returns
  // the gains of mix 0 (left, right) and checks mix 1 got the same.
  STEREO Gains(size_t n, unsigned int block = 512) {
    STEREO g(n);
    CStereoBuffer mixes[2];
    mixes[0].SetSamplesCount(block);
    mixes[1].SetSamplesCount(block);
    for (size_t pos = 0; pos < n; pos += block) {
      unsigned int len = static_cast<unsigned int>(std::min<size_t>(block, n - pos));
      for (auto& m : mixes)
        for (unsigned int i = 0; i < len; ++i) m.GetLeftBuffer()[i] = m.GetRightBuffer()[i] = 1.0f;
      gate.UpdateParams(len);
      gate.Generate(mixes, len);
      for (unsigned int i = 0; i < len; ++i) {
        g.l[pos + i] = mixes[0].GetLeftBuffer()[i];
        g.r[pos + i] = mixes[0].GetRightBuffer()[i];
        EXPECT_EQ(mixes[1].GetLeftBuffer()[i], g.l[pos + i]);
        EXPECT_EQ(mixes[1].GetRightBuffer()[i], g.r[pos + i]);
      }
    }
    return g;
  }
  // Samples in [from, to) strictly between closed and open.
  static size_t RampLength(const std::vector<float>& g, size_t from, size_t to) {
    size_t c = 0;
    for (size_t i = from; i < to; ++i)
      if (g[i] > 0.0f && g[i] < 1.0f) ++c;
    return c;
  }
  CFxSynthDouble synth;
  CTranceGate gate;
};

}  // namespace

TEST_F(TranceGateTest, StepPatternAt120BpmWithShortEdges) {
  STEREO g = Gains(5 * kStep);
  // Fade in from silence at the first note, open for step 0, closed for
  // step 1, open for steps 2 and 3 (no edge between them), then step 0.
  EXPECT_LT(g.l[0], 0.05f);
  const size_t edge = static_cast<size_t>(0.002 * kRate);  // 88 samples
  EXPECT_NEAR(double(RampLength(g.l, 0, 1000)), double(edge), 1.0);
  for (size_t at : {kStep / 2, 5 * kStep / 2, 7 * kStep / 2, 9 * kStep / 2}) EXPECT_EQ(g.l[at], 1.0f) << at;
  EXPECT_EQ(g.l[3 * kStep / 2], 0.0f);
  // The release starts at the first step boundary and lasts one edge.
  EXPECT_NEAR(double(RampLength(g.l, kStep - 100, kStep + 1000)), double(edge), 1.0);
  EXPECT_EQ(g.l[kStep - 50], 1.0f);
  EXPECT_NEAR(double(RampLength(g.l, 2 * kStep - 100, 2 * kStep + 1000)), double(edge), 1.0);
  EXPECT_EQ(RampLength(g.l, 3 * kStep - 100, 3 * kStep + 1000), 0u);
  EXPECT_EQ(g.l, g.r);  // mono: the right side follows the left row
  EXPECT_EQ(gate.GetStep(), 1u);
}

TEST_F(TranceGateTest, SmoothingLengthensTheEdgesUpToFiftyTwoMilliseconds) {
  synth.Set(PARAM_TG_SMOOTH, 1.0f);
  STEREO g = Gains(3 * kStep);
  const double edge = 0.052 * kRate;  // 2293 samples
  EXPECT_NEAR(double(RampLength(g.l, kStep - 10, 2 * kStep)), edge, 5.0);
  EXPECT_NEAR(double(RampLength(g.l, 2 * kStep - 10, 3 * kStep)), edge, 5.0);
}

TEST_F(TranceGateTest, MixRateAndOnSwitch) {
  // m = 0.5: a closed step keeps half the signal.
  synth.Set(PARAM_TG_MIX, 0.5f);
  STEREO g = Gains(2 * kStep);
  EXPECT_FLOAT_EQ(g.l[3 * kStep / 2], 0.5f);
  EXPECT_FLOAT_EQ(g.l[kStep / 2], 1.0f);

  // r = 0 holds the current step and phase.
  synth.Set(PARAM_TG_RATE, 0.0f);
  const unsigned int step = gate.GetStep();
  const float phase = gate.GetPhase();
  g = Gains(3 * kStep);
  EXPECT_EQ(gate.GetStep(), step);
  EXPECT_EQ(gate.GetPhase(), phase);

  // Off: the mixes pass unchanged and nothing moves.
  synth.Set(PARAM_TG_RATE, 1.0f);
  synth.Set(PARAM_TG_ON, 0.0f);
  g = Gains(kStep);
  for (float v : g.l) ASSERT_EQ(v, 1.0f);
  EXPECT_EQ(gate.GetPhase(), phase);
}

TEST_F(TranceGateTest, StereoRowDrivesTheRightChannel) {
  synth.Set(PARAM_TG_STEREO, 1.0f);
  Pattern(PARAM_TG_STEP_RIGHT, {0, 1, 0, 1});
  STEREO g = Gains(4 * kStep);
  EXPECT_EQ(g.l[kStep / 2], 1.0f);
  EXPECT_EQ(g.r[kStep / 2], 0.0f);
  EXPECT_EQ(g.l[3 * kStep / 2], 0.0f);
  EXPECT_EQ(g.r[3 * kStep / 2], 1.0f);
  EXPECT_EQ(g.r[7 * kStep / 2], 1.0f);
}

TEST_F(TranceGateTest, OneStepStaysOpenAndStepCountEdges) {
  synth.Set(PARAM_TG_STEPS, 1.0f);
  STEREO g = Gains(3 * kStep);
  for (size_t i = 200; i < g.size(); ++i) ASSERT_EQ(g.l[i], 1.0f) << i;

  // A stored count of 0 (or a damaged one) counts as one step.
  for (float n : {0.0f, -3.0f, 1e9f}) {
    synth.Set(PARAM_TG_STEPS, n);
    gate.FirstKeyPress();
    g = Gains(2 * kStep);
    EXPECT_TRUE(AllFinite(g)) << n;
    EXPECT_LT(gate.GetStep(), 16u) << n;
  }
}

TEST_F(TranceGateTest, ReducedStepCountWrapsAtTheNextBoundary) {
  synth.Set(PARAM_TG_STEPS, 8.0f);
  Gains(5 * kStep + kStep / 2);
  EXPECT_EQ(gate.GetStep(), 5u);
  synth.Set(PARAM_TG_STEPS, 4.0f);
  Gains(kStep / 2 + 100);
  EXPECT_EQ(gate.GetStep(), 2u);  // (5 + 1) mod 4
}

TEST_F(TranceGateTest, HostileSettingsStayFinite) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (float v : {nan, -1e30f, 1e30f, 2.0f}) {
    synth.Set(PARAM_TG_RATE, v);
    synth.Set(PARAM_TG_SMOOTH, v);
    synth.Set(PARAM_TG_MIX, v);
    synth.Set(PARAM_TG_SYNC, v);
    synth.SetHostTempo(v == 2.0f ? 1e6f : 120.0f);
    gate.FirstKeyPress();
    STEREO g = Gains(5000);
    EXPECT_TRUE(AllFinite(g, 2.0f)) << v;
    EXPECT_LT(gate.GetStep(), 4u) << v;
  }
}
