#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "FxTestUtil.h"
#include "engine/ParamIds.h"
#include "fx/Echoes.h"

using namespace FxTest;

namespace {

unsigned int Id(unsigned int k, unsigned int instance = 0) { return PARAM_FX_ECHOES + 2 * k + instance; }
enum { TIME, FEEDBACK, RATIO, ALLPASS, HIGHPASS, STEREO_K, MIX };

class EchoesTest : public ::testing::Test {
 protected:
  EchoesTest() : fx(&synth, 0) {
    synth.Set(Id(MIX), 1.0f);
    synth.Set(Id(TIME), 1.0f);
    synth.Set(PARAM_ECHOES_SYNC, 31.0f);  // 0.05 s per unit of time: 2205 samples
    fx.SetSampleRate(kRate);
    fx.Reset();
  }
  CFxSynthDouble synth;
  CEchoes fx;
};

}  // namespace

TEST_F(EchoesTest, TwoTapsPerLineAtTheSplitAndTheFullTime) {
  // Impulse on the left only, q = 0.5: the left line taps at 0.875 D and D,
  // the middle line (half the impulse) at D / 2 and D.
  synth.Set(Id(RATIO), 0.5f);
  const double D = 2205.0;
  STEREO s(2600);
  s.l[0] = 1.0f;
  RunFx(fx, s);
  EXPECT_LT(Rms(s.l, 1, 1100), 1e-7);  // silence before the first tap
  struct TAP {
    double at;
    double weight;
  } taps[] = {{0.5 * D, 0.5 * 0.5 * 1.0}, {0.875 * D, 0.5 * 0.5 * 1.0}, {D, 0.5 * (0.5 + 0.5 * 1.0)}};
  for (const TAP& t : taps) {
    size_t from = static_cast<size_t>(t.at) - 3;
    size_t peak = PeakIndex(s.l, from, from + 7);
    EXPECT_NEAR(double(peak), t.at, 1.0) << t.at;
    double area = 0.0;
    for (size_t i = from; i < from + 7; ++i) area += s.l[i];
    EXPECT_NEAR(area, t.weight, 0.02) << t.at;
  }
  EXPECT_LT(Rms(s.l, 2210, 2600), 1e-7);  // no feedback: nothing after D
}

TEST_F(EchoesTest, FeedbackRepeatsInvertedAndDecays) {
  synth.Set(Id(FEEDBACK), 1.0f);
  synth.Set(Id(HIGHPASS), 0.0f);
  synth.Set(Id(ALLPASS), 0.0f);
  STEREO s(12 * 2205);
  std::vector<float> burst = Sine(441, 500.0f);
  std::copy(burst.begin(), burst.end(), s.l.begin());
  s.r = s.l;
  RunFx(fx, s);
  double prev = 1e9;
  for (int k = 2; k < 10; ++k) {
    double e = Rms(s.l, k * 2205, (k + 1) * 2205);
    EXPECT_LT(e, prev) << k;
    EXPECT_GT(e, 0.0) << k;
    prev = e;
  }
  EXPECT_TRUE(AllFinite(s));
}

TEST_F(EchoesTest, MixZeroPassesTheInputAndTimeZeroReadsTheCurrentSample) {
  synth.Set(Id(MIX), 0.0f);
  STEREO in = StereoSine(3000, 300.0f);
  in.r = Sine(3000, 410.0f);
  STEREO s = in;
  RunFx(fx, s);
  EXPECT_EQ(s.l, in.l);
  EXPECT_EQ(s.r, in.r);

  // t = 0 and no stereo movement: each line gives twice its input, so both
  // outputs carry left + right.
  CEchoes e(&synth, 0);
  e.SetSampleRate(kRate);
  e.Reset();
  synth.Set(Id(MIX), 1.0f);
  synth.Set(Id(TIME), 0.0f);
  s = in;
  RunFx(e, s);
  for (size_t i = 0; i < s.size(); ++i) {
    ASSERT_NEAR(s.l[i], in.l[i] + in.r[i], 1e-5) << i;
    ASSERT_NEAR(s.r[i], in.l[i] + in.r[i], 1e-5) << i;
  }
}

TEST_F(EchoesTest, StereoLfoPansAtHalfTheEchoRate) {
  // A steady tone on the left only: with stereo 0 both wet outputs are the
  // same; with stereo 1 the LFO moves the left line between the outputs.
  STEREO s(8 * 2205);
  s.l = Sine(s.size(), 1000.0f);
  STEREO flat = s;
  RunFx(fx, flat);
  for (size_t i = 0; i < flat.size(); ++i) ASSERT_FLOAT_EQ(flat.l[i], flat.r[i]);

  CEchoes e(&synth, 0);
  e.SetSampleRate(kRate);
  e.Reset();
  synth.Set(Id(STEREO_K), 1.0f);
  RunFx(e, s);
  // LFO period 2 D: the left output is louder in the first half of each
  // period, the right one in the second.
  const size_t D = 2205;
  double l1 = Rms(s.l, 2 * D, 3 * D), r1 = Rms(s.r, 2 * D, 3 * D);
  double l2 = Rms(s.l, 3 * D, 4 * D), r2 = Rms(s.r, 3 * D, 4 * D);
  EXPECT_GT(l1, r1 * 1.1);
  EXPECT_GT(r2, l2 * 1.1);
  // 8 D samples at 0.5 / D per sample: four whole cycles.
  const float ph = e.GetPhase();
  EXPECT_LT(std::min(ph, 1.0f - ph), 1e-3f) << ph;
  e.ResetFreePhase();
  EXPECT_EQ(e.GetPhase(), 0.0f);
}
