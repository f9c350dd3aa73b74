#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "EffectSignals.h"
#include "FxSynthDouble.h"
#include "engine/ParamIds.h"
#include "fx/GrainShifter.h"

using namespace EffectSignals;

namespace {

const float SR = 44100.0f;

unsigned int Id(unsigned int k, unsigned int inst = 0) { return PARAM_FX_GRAINSHIFTER + 2 * k + inst; }

class GrainShifterTest : public ::testing::Test {
 protected:
  GrainShifterTest() {
    for (unsigned int inst = 0; inst < 2; ++inst) {
      synth.Set(Id(FxParam::GRAINSHIFTER_RATE, inst), 0.5f);  // about 75 ms grains
      synth.Set(Id(FxParam::GRAINSHIFTER_WIDTH, inst), 0.0f);
      synth.Set(Id(FxParam::GRAINSHIFTER_TUNE, inst), 0.5f);
      synth.Set(Id(FxParam::GRAINSHIFTER_TUNE_RANDOM, inst), 0.0f);
      synth.Set(Id(FxParam::GRAINSHIFTER_FEEDBACK, inst), 0.0f);
      synth.Set(Id(FxParam::GRAINSHIFTER_MIX, inst), 1.0f);
    }
    synth.random.Seed(1);
  }
  void Set(unsigned int k, float v) { synth.Set(Id(k), v); }
  std::vector<float> Render(const std::vector<float>& in, unsigned int instance = 0) {
    auto fx = MakeEffect<CGrainShifter>(synth, instance, SR);
    std::vector<float> l = in, r = in;
    RunBlocks(*fx, l.data(), r.data(), static_cast<unsigned int>(l.size()));
    EXPECT_EQ(l, r);  // both grains run in step on equal input
    return l;
  }
  CFxSynthDouble synth;
};

TEST_F(GrainShifterTest, TuneShiftsTheFrequencyOfASine) {
  struct CASE {
    float tune;
    double ratio;
  } cases[] = {{0.5f, 1.0}, {1.0f, 2.0}, {3.0f / 14.0f, 0.5}, {0.0f, 0.125}};
  const double f0 = 440.0;
  for (const CASE& c : cases) {
    Set(FxParam::GRAINSHIFTER_TUNE, c.tune);
    const unsigned int n = 32768, tail = 16384;
    std::vector<float> y = Render(Sine(f0, SR, n, 0.5));
    const double expected = f0 * c.ratio;
    const double found = PeakFrequency(y.data() + n - tail, tail, SR, 0.7 * expected, 1.3 * expected, expected / 400.0);
    EXPECT_NEAR(found / expected, 1.0, 0.02) << c.tune;
  }
}

TEST_F(GrainShifterTest, RandomTuneOnlyRaisesThePitch) {
  Set(FxParam::GRAINSHIFTER_TUNE_RANDOM, 1.0f);
  Set(FxParam::GRAINSHIFTER_RATE, 0.6f);
  const double f0 = 300.0;
  const unsigned int n = 65536;
  std::vector<float> y = Render(Sine(f0, SR, n, 0.5));
  double below = 0.0, above = 0.0;
  for (double f = 60.0; f < 0.85 * f0; f += 10.0) below += std::pow(ToneAmplitude(y.data(), n, f, SR), 2);
  for (double f = 1.15 * f0; f < 4.0 * f0; f += 10.0) above += std::pow(ToneAmplitude(y.data(), n, f, SR), 2);
  EXPECT_GT(above, 20.0 * below);
}

TEST_F(GrainShifterTest, UnityPitchWindowsTheDelayedInputGrainByGrain) {
  // A constant input makes the output the window itself, once the ring
  // holds a grain length of it.
  const unsigned int n = 20000;
  std::vector<float> y = Render(std::vector<float>(n, 1.0f));
  float lo = 1.0f, hi = 0.0f;
  unsigned int starts = 0;
  for (unsigned int i = 8000; i < n; ++i) {
    lo = std::fmin(lo, y[i]);
    hi = std::fmax(hi, y[i]);
    ASSERT_GE(y[i], -1e-6f);
    ASSERT_LE(y[i], 1.0f + 1e-6f);
    if (y[i - 1] < 0.5f && y[i] >= 0.5f) ++starts;
  }
  EXPECT_LT(lo, 1e-3f);
  EXPECT_GT(hi, 0.999f);
  // About 75.5 ms grains: 12000 samples hold three or four of them.
  EXPECT_GE(starts, 3u);
  EXPECT_LE(starts, 4u);

  // Width 1 windows only the first fifth of each grain.
  Set(FxParam::GRAINSHIFTER_WIDTH, 1.0f);
  y = Render(std::vector<float>(n, 1.0f));
  unsigned int sounding = 0;
  for (unsigned int i = 8000; i < n; ++i) sounding += y[i] > 1e-4f;
  EXPECT_NEAR(sounding / 12000.0, 0.2, 0.05);  // 3.6 grains: the last one partly
}

TEST_F(GrainShifterTest, FullFeedbackWithMixZeroLeavesTheOutputDry) {
  Set(FxParam::GRAINSHIFTER_FEEDBACK, 1.0f);
  Set(FxParam::GRAINSHIFTER_MIX, 0.0f);
  std::vector<float> in = Noise(8192);
  EXPECT_EQ(Render(in), in);
}

TEST_F(GrainShifterTest, ResetClearsTheRingAndRestartsBothGrains) {
  auto fx = MakeEffect<CGrainShifter>(synth, 0, SR);
  std::vector<float> l = Noise(10000), r = l;
  RunBlocks(*fx, l.data(), r.data(), 10000);
  fx->Reset();
  std::vector<float> zl(10000, 0.0f), zr(10000, 0.0f);
  RunBlocks(*fx, zl.data(), zr.data(), 10000);
  EXPECT_EQ(PeakAbs(zl.data(), 10000), 0.0f);
  EXPECT_EQ(PeakAbs(zr.data(), 10000), 0.0f);
}

TEST_F(GrainShifterTest, ExtremeSettingsStayFiniteAndBounded) {
  for (float rate : {0.0f, 1.0f, 1e30f})
    for (float tune : {0.0f, 1.0f, -1e30f})
      for (float width : {0.0f, 1.0f}) {
        Set(FxParam::GRAINSHIFTER_RATE, rate);
        Set(FxParam::GRAINSHIFTER_TUNE, tune);
        Set(FxParam::GRAINSHIFTER_WIDTH, width);
        Set(FxParam::GRAINSHIFTER_TUNE_RANDOM, 1.0f);
        Set(FxParam::GRAINSHIFTER_FEEDBACK, 1.0f);
        auto fx = MakeEffect<CGrainShifter>(synth, 0, SR);
        const unsigned int n = 44100;
        std::vector<float> l = Noise(n), r = Noise(n, 1.0, 4);
        RunBlocks(*fx, l.data(), r.data(), n);
        ASSERT_TRUE(AllFinite(l) && AllFinite(r)) << rate << " " << tune << " " << width;
        EXPECT_LT(PeakAbs(l.data(), n), 8.0f) << rate << " " << tune << " " << width;
      }
}

TEST_F(GrainShifterTest, ALowerSampleRateBringsTheHeadsBackIntoTheShorterRing) {
  Set(FxParam::GRAINSHIFTER_TUNE, 0.0f);
  Set(FxParam::GRAINSHIFTER_RATE, 0.0f);
  auto fx = MakeEffect<CGrainShifter>(synth, 0, 96000.0f);
  std::vector<float> l = Noise(100000), r = l;
  RunBlocks(*fx, l.data(), r.data(), 100000);
  fx->SetSampleRate(8000.0f);
  fx->Reset();
  RunBlocks(*fx, l.data(), r.data(), 30000);
  EXPECT_TRUE(AllFinite(l));
}

TEST_F(GrainShifterTest, InstanceOneReadsItsOwnParameters) {
  synth.Set(Id(FxParam::GRAINSHIFTER_MIX, 1), 0.0f);
  std::vector<float> in = Noise(4096);
  EXPECT_EQ(Render(in, 1), in);
}

}  // namespace
