#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "FxTestUtil.h"
#include "engine/ParamIds.h"
#include "fx/Chorus.h"
#include "fx/Flanger.h"

using namespace FxTest;

namespace {

enum { CHR_DELAY, CHR_RATE, CHR_DEPTH, CHR_HIGHPASS, CHR_STEREO, CHR_MIX };
enum { FLG_DELAY, FLG_FEEDBACK, FLG_HIGHPASS, FLG_RATE, FLG_DEPTH, FLG_STEREO, FLG_MIX };
unsigned int ChrId(unsigned int k, unsigned int inst = 0) { return PARAM_FX_CHORUS + 2 * k + inst; }
unsigned int FlgId(unsigned int k, unsigned int inst = 0) { return PARAM_FX_FLANGER + 2 * k + inst; }

const size_t kSpacing = 1000;  // samples between probe impulses

// Feeds an impulse every kSpacing samples and measures, for each, the delay
// of its copy (the first moment of the copy, exact for an interpolator that
// reproduces straight lines). copyOf(out, in) gives the copy.
struct TRACE {
  std::vector<double> left, right;
};

template <typename FX>
TRACE DelayTrace(FX& fx, size_t probes, bool subtractDry) {
  STEREO in(probes * kSpacing);
  for (size_t k = 0; k < probes; ++k) in.l[k * kSpacing] = in.r[k * kSpacing] = 1.0f;
  STEREO out = in;
  RunFx(fx, out);
  TRACE t;
  for (size_t k = 0; k < probes; ++k) {
    for (int ch = 0; ch < 2; ++ch) {
      const std::vector<float>& o = ch ? out.r : out.l;
      const std::vector<float>& x = ch ? in.r : in.l;
      double sum = 0.0, moment = 0.0;
      for (size_t j = 0; j < kSpacing; ++j) {
        double c = o[k * kSpacing + j] - (subtractDry ? x[k * kSpacing + j] : 0.0f);
        sum += c;
        moment += c * double(j);
      }
      (ch ? t.right : t.left).push_back(sum != 0.0 ? moment / sum : -1.0);
    }
  }
  return t;
}

class ChorusTest : public ::testing::Test {
 protected:
  ChorusTest() : fx(&synth, 0) {
    synth.Set(ChrId(CHR_MIX), 1.0f);
    fx.SetSampleRate(kRate);
    fx.Reset();
  }
  CFxSynthDouble synth;
  CChorus fx;
};

class FlangerTest : public ::testing::Test {
 protected:
  FlangerTest() : fx(&synth, 0) {
    synth.Set(FlgId(FLG_MIX), 1.0f);
    synth.Set(FlgId(FLG_FEEDBACK), 0.5f);
    fx.SetSampleRate(kRate);
    fx.Reset();
  }
  CFxSynthDouble synth;
  CFlanger fx;
};

}  // namespace

TEST_F(ChorusTest, SweepDepthAndRateFollowTheControls) {
  // dl = 1, dp = 1: 17 ms swept by 3 ms; rate 2 Hz; st = 1: the right
  // channel a quarter cycle ahead.
  synth.Set(ChrId(CHR_DELAY), 1.0f);
  synth.Set(ChrId(CHR_DEPTH), 1.0f);
  synth.Set(ChrId(CHR_RATE), std::sqrt(0.4f));
  synth.Set(ChrId(CHR_STEREO), 1.0f);
  fx.ResetFreePhase();
  TRACE t = DelayTrace(fx, 44, true);
  const double base = 0.017 * kRate, depth = 0.003 * kRate;
  double lo = 1e9, hi = 0.0;
  for (size_t k = 0; k < t.left.size(); ++k) {
    // The copy leaves the line d samples after the probe went in: the LFO
    // is read at that moment.
    double phL = 2.0 * M_PI * 2.0 * (double(k * kSpacing) + t.left[k]) / kRate;
    double phR = 2.0 * M_PI * 2.0 * (double(k * kSpacing) + t.right[k]) / kRate;
    EXPECT_NEAR(t.left[k], base + depth * std::sin(phL), 1.0) << k;
    EXPECT_NEAR(t.right[k], base + depth * std::cos(phR), 1.0) << k;
    lo = std::min(lo, t.left[k]);
    hi = std::max(hi, t.left[k]);
  }
  EXPECT_NEAR(lo, 0.014 * kRate, 2.0);  // 14 ms .. 20 ms
  EXPECT_NEAR(hi, 0.020 * kRate, 2.0);
}

TEST_F(ChorusTest, StoredRateZeroHoldsTheBaseDelayAndThePhase) {
  synth.Set(ChrId(CHR_DELAY), 0.0f);
  synth.Set(ChrId(CHR_DEPTH), 1.0f);
  synth.Set(ChrId(CHR_RATE), 0.0f);
  TRACE t = DelayTrace(fx, 5, true);
  for (size_t k = 0; k < t.left.size(); ++k) {
    EXPECT_NEAR(t.left[k], 0.002 * kRate, 0.05);
    EXPECT_NEAR(t.right[k], 0.002 * kRate, 0.05);
  }
  EXPECT_EQ(fx.GetPhase(), 0.0f);
}

TEST_F(ChorusTest, MixLawAndShelfCut) {
  STEREO in = StereoSine(4000, 200.0f);
  STEREO s = in;
  synth.Set(ChrId(CHR_MIX), 0.0f);
  synth.Set(ChrId(CHR_RATE), 0.5f);
  RunFx(fx, s);
  EXPECT_EQ(s.l, in.l);
  EXPECT_EQ(s.r, in.r);

  // m = 1, no sweep: the copy (output - input) at 100 Hz is cut to A^2 =
  // 1/16 by hp = 1, while at 6 kHz it passes; with hp = 0 it is flat.
  synth.Set(ChrId(CHR_MIX), 1.0f);
  synth.Set(ChrId(CHR_RATE), 0.0f);
  for (float hp : {0.0f, 1.0f}) {
    synth.Set(ChrId(CHR_HIGHPASS), hp);
    for (float hz : {100.0f, 6000.0f}) {
      CChorus c(&synth, 0);
      c.SetSampleRate(kRate);
      c.Reset();
      STEREO x = StereoSine(13230, hz);
      STEREO y = x;
      RunFx(c, y);
      std::vector<float> copy(x.size());
      for (size_t i = 0; i < x.size(); ++i) copy[i] = y.l[i] - x.l[i];
      double gain = ToneAmplitude(copy, hz, 4410, 13230) / 0.5;
      if (hp == 0.0f) {
        EXPECT_NEAR(gain, 1.0, 0.05) << "flat at " << hz;
      } else if (hz == 100.0f) {
        EXPECT_NEAR(gain, 1.0 / 16.0, 0.006);  // -24 dB below the corner
      } else {
        EXPECT_GT(gain, 0.75);  // rising back towards 1 above it
      }
    }
  }
}

TEST_F(FlangerTest, SweepRunsFromTheBaseUpAndStereoOneMirrorsIt) {
  synth.Set(FlgId(FLG_DELAY), 0.0f);
  synth.Set(FlgId(FLG_DEPTH), 1.0f);
  synth.Set(FlgId(FLG_RATE), std::sqrt(0.4f));  // 2 Hz
  synth.Set(FlgId(FLG_STEREO), 1.0f);
  fx.ResetFreePhase();
  TRACE t = DelayTrace(fx, 44, false);
  // A value enters the line one sample after it was formed: one sample more.
  const double base = 0.0002 * kRate + 1.0, depth = 0.005 * kRate;
  for (size_t k = 0; k < t.left.size(); ++k) {
    double phL = 2.0 * M_PI * 2.0 * (double(k * kSpacing) + t.left[k]) / kRate;
    double phR = 2.0 * M_PI * 2.0 * (double(k * kSpacing) + t.right[k]) / kRate;
    EXPECT_NEAR(t.left[k], base + depth * (std::sin(phL) + 1.0) * 0.5, 1.0) << k;
    EXPECT_NEAR(t.right[k], base + depth * (1.0 - std::sin(phR)) * 0.5, 1.0) << k;  // opposite direction
    EXPECT_GE(t.left[k], base - 0.5);
  }
}

TEST_F(FlangerTest, RateZeroSitsAtTheBaseUnlessTheRateIsModulated) {
  synth.Set(FlgId(FLG_DELAY), 0.5f);
  synth.Set(FlgId(FLG_DEPTH), 1.0f);
  synth.Set(FlgId(FLG_RATE), 0.0f);
  const double base = 0.0027 * kRate + 1.0;  // plus the pending sample
  TRACE t = DelayTrace(fx, 4, false);
  for (double d : t.left) EXPECT_NEAR(d, base, 0.05);
  for (double d : t.right) EXPECT_NEAR(d, base, 0.05);

  // A source routed to the rate (here silent) lets the LFO run: at phase 0
  // the sine is 0, half way up the sweep.
  std::vector<float> src(CFxSynthDouble::kMaxBlock, 0.0f), dep(CFxSynthDouble::kMaxBlock, 1.0f);
  synth.AddSource(FlgId(FLG_RATE), src.data(), dep.data());
  CFlanger f(&synth, 0);
  f.SetSampleRate(kRate);
  f.Reset();
  t = DelayTrace(f, 4, false);
  for (double d : t.left) EXPECT_NEAR(d, base + 0.0025 * kRate, 0.05);
}

TEST_F(FlangerTest, FeedbackSignFollowsTheControlAndMixCrossfades) {
  synth.Set(FlgId(FLG_DELAY), 0.4f);  // 2.2 ms = 97.02 samples
  synth.Set(FlgId(FLG_RATE), 0.0f);
  struct CASE {
    float fc;
    double second;  // area of the second repeat
  } cases[] = {{0.5f, 0.0}, {1.0f, 0.95}, {0.0f, -0.95}};
  for (const CASE& c : cases) {
    synth.Set(FlgId(FLG_FEEDBACK), c.fc);
    CFlanger f(&synth, 0);
    f.SetSampleRate(kRate);
    f.Reset();
    STEREO s = Impulse(400);
    RunFx(f, s);
    EXPECT_EQ(s.l[0], 0.0f);  // m = 1: no dry signal
    double first = 0.0, second = 0.0;
    for (size_t i = 90; i < 105; ++i) first += s.l[i];    // d + 1
    for (size_t i = 188; i < 203; ++i) second += s.l[i];  // 2 (d + 1)
    EXPECT_NEAR(first, 1.0, 1e-3) << c.fc;
    EXPECT_NEAR(second, c.second, 1e-3) << c.fc;
  }
  synth.Set(FlgId(FLG_MIX), 0.0f);
  STEREO in = StereoSine(3000, 500.0f);
  STEREO s = in;
  RunFx(fx, s);
  EXPECT_EQ(s.l, in.l);
  EXPECT_EQ(s.r, in.r);
}
