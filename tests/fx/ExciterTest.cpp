#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "FxTestUtil.h"
#include "engine/ParamIds.h"
#include "fx/Exciter.h"

using namespace FxTest;

namespace {

// Steady-state gain in dB of the exciter at hz for the given mode and rate.
double GainDb(CFxSynthDouble& synth, float mode, double hz, float rate = kRate) {
  synth.Set(PARAM_EXCITER, mode);
  CExciter ex(&synth);
  ex.SetSampleRate(rate);
  ex.Reset();
  const size_t n = static_cast<size_t>(rate * 0.2);
  std::vector<float> l(n), r(n);
  for (size_t i = 0; i < n; ++i) l[i] = r[i] = 0.5f * static_cast<float>(std::sin(2.0 * M_PI * hz * i / rate));
  ex.Process(l.data(), r.data(), static_cast<unsigned int>(n));
  return Db(ToneAmplitude(l, hz, n / 2, n, rate) / 0.5);
}

}  // namespace

TEST(Exciter, ModeZeroIsBitIdentical) {
  CFxSynthDouble synth;
  synth.Set(PARAM_EXCITER, 0.0f);
  CExciter ex(&synth);
  ex.SetSampleRate(kRate);
  STEREO in = StereoSine(2000, 3000.0f);
  in.r = Sine(2000, 123.0f);
  STEREO s = in;
  ex.Process(s.l.data(), s.r.data(), 2000);
  EXPECT_EQ(s.l, in.l);
  EXPECT_EQ(s.r, in.r);
}

TEST(Exciter, BrightLiftsAndSoftDarkensTheTopAroundAFixedMidDip) {
  CFxSynthDouble synth;
  struct CASE {
    float mode;
    double hz, dbLo, dbHi;
  } cases[] = {
      {1, 100, -0.2, 0.2},    {1, 1881.7, -4.1, -3.4},  {1, 19000, 4.0, 5.3},
      {2, 100, -0.2, 0.2},    {2, 1881.7, -4.2, -3.4},  {2, 19000, -14.6, -12.0},
      {1, 6000, -1.5, 2.5},
  };
  for (const CASE& c : cases) {
    double db = GainDb(synth, c.mode, c.hz);
    EXPECT_GE(db, c.dbLo) << "mode " << c.mode << " at " << c.hz;
    EXPECT_LE(db, c.dbHi) << "mode " << c.mode << " at " << c.hz;
  }
  // The dip is centred near 1.88 kHz: deeper there than an octave away.
  EXPECT_LT(GainDb(synth, 1, 1881.7), GainDb(synth, 1, 940.0) - 1.0);
  EXPECT_LT(GainDb(synth, 1, 1881.7), GainDb(synth, 1, 3763.0) - 1.0);
}

TEST(Exciter, EveryModeAboveOneIsSoft) {
  CFxSynthDouble synth;
  std::vector<float> ref;
  for (float mode : {2.0f, 2.9f, 3.0f, 117.0f, -5.0f}) {
    synth.Set(PARAM_EXCITER, mode);
    CExciter ex(&synth);
    ex.SetSampleRate(kRate);
    STEREO s = StereoSine(3000, 9000.0f);
    ex.Process(s.l.data(), s.r.data(), 3000);
    if (ref.empty())
      ref = s.l;
    else
      EXPECT_EQ(s.l, ref) << mode;
  }
}

TEST(Exciter, SampleRateChangeKeepsTheCornersInHertz) {
  CFxSynthDouble synth;
  EXPECT_NEAR(GainDb(synth, 1, 1881.7, 96000.0f), -3.84, 0.3);
  EXPECT_NEAR(GainDb(synth, 2, 30000.0, 96000.0f), -14.4, 0.6);
  // Rates too low for the fixed corners stay finite.
  for (float rate : {8000.0f, 2000.0f, 0.0f}) {
    synth.Set(PARAM_EXCITER, 1.0f);
    CExciter ex(&synth);
    ex.SetSampleRate(rate);
    STEREO s = StereoSine(4000, 300.0f);
    ex.Process(s.l.data(), s.r.data(), 4000);
    EXPECT_TRUE(AllFinite(s, 10.0f)) << rate;
  }
}

TEST(Exciter, ModeSwitchInsideProcessRecomputesAndResetSilencesTheMemories) {
  CFxSynthDouble synth;
  synth.Set(PARAM_EXCITER, 1.0f);
  CExciter ex(&synth);
  ex.SetSampleRate(kRate);
  STEREO s = StereoSine(500, 15000.0f);
  ex.Process(s.l.data(), s.r.data(), 500);
  synth.Set(PARAM_EXCITER, 2.0f);
  ex.Reset();
  STEREO t = StereoSine(8820, 15000.0f);
  ex.Process(t.l.data(), t.r.data(), 8820);
  EXPECT_EQ(ex.GetMode(), 2u);
  EXPECT_LT(Db(ToneAmplitude(t.l, 15000.0, 4410, 8820) / 0.5), -10.0);
  // After a reset with silent input the output is silent.
  ex.Reset();
  std::vector<float> z(64, 0.0f), z2(64, 0.0f);
  ex.Process(z.data(), z2.data(), 64);
  for (float v : z) EXPECT_EQ(v, 0.0f);
}

TEST(Exciter, SilentBlocksGiveTheSameSamplesAsOneLongBlock) {
  // Silence, a burst on the left only, then a long silence: the tail and the
  // settled silence after it, cut into short blocks (which may pass silence
  // over settled filters), must match one block that runs every sample.
  CFxSynthDouble synth;
  for (float mode : {1.0f, 2.0f}) {
    synth.Set(PARAM_EXCITER, mode);
    const unsigned int n = 40000, block = 64;
    std::vector<float> l(n, 0.0f), r(n, 0.0f);
    std::vector<float> burst = Sine(300, 3000.0f);
    for (unsigned int i = 0; i < 300; ++i) l[1000 + i] = burst[i];
    std::vector<float> l1 = l, r1 = r, l2 = l, r2 = r;
    CExciter whole(&synth), cut(&synth);
    whole.SetSampleRate(kRate);
    cut.SetSampleRate(kRate);
    whole.Process(l1.data(), r1.data(), n);
    for (unsigned int i = 0; i < n; i += block) cut.Process(l2.data() + i, r2.data() + i, block);
    EXPECT_EQ(0, std::memcmp(l1.data(), l2.data(), n * sizeof(float))) << mode;
    EXPECT_EQ(0, std::memcmp(r1.data(), r2.data(), n * sizeof(float))) << mode;
    EXPECT_NE(l2[1400], 0.0f) << "the tail after the burst goes on";
  }
}
