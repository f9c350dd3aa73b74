#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "EffectSignals.h"
#include "FxSynthDouble.h"
#include "engine/ParamIds.h"
#include "fx/Distortion.h"

using namespace EffectSignals;

namespace {

const float SR = 44100.0f;

// The effect doubles with a chosen oversampling factor.
class COversamplingSynth : public CFxSynthDouble {
 public:
  unsigned int factor = 4;
  unsigned int GetOversampling() override { return factor; }
  unsigned int GetOversamplingShift() override { return factor == 2 ? 1 : (factor == 4 ? 2 : 3); }
};

unsigned int Id(unsigned int k, unsigned int inst = 0) { return PARAM_FX_DISTORTION + 2 * k + inst; }

class DistortionTest : public ::testing::Test {
 protected:
  DistortionTest() {
    for (unsigned int inst = 0; inst < 2; ++inst) {
      synth.Set(Id(FxParam::DIST_DRIVE, inst), 0.5f);
      synth.Set(Id(FxParam::DIST_OUTPUT, inst), 1.0f);
      synth.Set(Id(FxParam::DIST_ASYM, inst), 0.0f);
      synth.Set(Id(FxParam::DIST_BASS, inst), 0.0f);
      synth.Set(Id(FxParam::DIST_TREBLE, inst), 0.0f);
      synth.Set(Id(FxParam::DIST_MIX, inst), 1.0f);
      synth.Set(PARAM_DIST_CURVE + inst, 0.0f);
    }
  }
  void Set(unsigned int k, float v) { synth.Set(Id(k), v); }
  // Left output of a fresh distortion for the given input (both channels).
  std::vector<float> Render(const std::vector<float>& in, unsigned int block = 256) {
    auto fx = MakeEffect<CDistortion>(synth, 0, SR, block);
    std::vector<float> l = in, r = in;
    RunBlocks(*fx, l.data(), r.data(), static_cast<unsigned int>(l.size()), block);
    return l;
  }
  // Amplitude of harmonic h of a 441 Hz tone in the second half of y.
  static double Harmonic(const std::vector<float>& y, int h) {
    const unsigned int half = static_cast<unsigned int>(y.size() / 2);
    return ToneAmplitude(y.data() + half, half, 441.0 * h, SR);
  }
  // Level in dB of a small tone through a fresh distortion (the chain is
  // practically linear at low level).
  double SmallToneDb(double hz) {
    std::vector<float> y = Render(Sine(hz, SR, 16384, 0.001));
    return Db(ToneAmplitude(y.data() + 8192, 8192, hz, SR) / 0.001);
  }
  COversamplingSynth synth;
};

TEST_F(DistortionTest, MixZeroPassesTheDrySignalThroughTheDcBlockerOnly) {
  Set(FxParam::DIST_MIX, 0.0f);
  Set(FxParam::DIST_DRIVE, 1.0f);
  std::vector<float> y = Render(Sine(1000.0, SR, 8192, 0.5));
  EXPECT_NEAR(Db(ToneAmplitude(y.data() + 4096, 4096, 1000.0, SR) / 0.5), 0.0, 0.05);
  EXPECT_NEAR(Harmonic(Render(Sine(441.0, SR, 8192, 0.5)), 3), 0.0, 1e-4);  // nothing added
  // The blocker: about -3 dB at 50 Hz, DC removed.
  y = Render(Sine(50.0, SR, 32768, 0.5));
  EXPECT_NEAR(Db(ToneAmplitude(y.data() + 16384, 16384, 50.0, SR) / 0.5), -3.0, 0.6);
  y = Render(std::vector<float>(16384, 0.5f));
  EXPECT_LT(std::fabs(y.back()), 1e-3);
}

TEST_F(DistortionTest, OutputZeroSilencesTheWetPathOfEveryCurve) {
  Set(FxParam::DIST_OUTPUT, 0.0f);
  Set(FxParam::DIST_DRIVE, 1.0f);
  for (float curve : {0.0f, 1.0f, 2.0f}) {
    synth.Set(PARAM_DIST_CURVE, curve);
    std::vector<float> y = Render(Sine(441.0, SR, 4096, 0.8));
    EXPECT_LT(PeakAbs(y.data(), 4096), 1e-6f) << curve;
  }
}

TEST_F(DistortionTest, HarmonicsGrowWithDriveOnEveryCurve) {
  for (float curve : {0.0f, 1.0f, 2.0f}) {
    SCOPED_TRACE(curve);
    synth.Set(PARAM_DIST_CURVE, curve);
    double thd[2];
    const float drives[2] = {0.05f, 0.9f};
    for (int k = 0; k < 2; ++k) {
      Set(FxParam::DIST_DRIVE, drives[k]);
      std::vector<float> y = Render(Sine(441.0, SR, 16384, 0.25));
      ASSERT_TRUE(AllFinite(y));
      double h = 0.0;
      for (int n = 2; n <= 7; ++n) h += Harmonic(y, n) * Harmonic(y, n);
      thd[k] = Db(std::sqrt(h) / Harmonic(y, 1));
    }
    EXPECT_GT(thd[1], thd[0] + 10.0);
    EXPECT_GT(thd[1], -20.0);
  }
  // The classic curve bends both halves (odd harmonics); the second tube
  // curve is lopsided (strong even harmonics).
  synth.Set(PARAM_DIST_CURVE, 0.0f);
  Set(FxParam::DIST_DRIVE, 0.9f);
  std::vector<float> y = Render(Sine(441.0, SR, 16384, 0.25));
  EXPECT_GT(Db(Harmonic(y, 3) / Harmonic(y, 1)), -25.0);
  synth.Set(PARAM_DIST_CURVE, 2.0f);
  Set(FxParam::DIST_DRIVE, 0.3f);  // on the curve, short of its clipped ends
  y = Render(Sine(441.0, SR, 16384, 0.25));
  EXPECT_GT(Db(Harmonic(y, 2) / Harmonic(y, 1)), -25.0);
}

TEST_F(DistortionTest, OutputLevelFollowsOutputSquaredAndStaysNearHalfForAnEighthInput) {
  for (float curve : {0.0f, 1.0f}) {
    SCOPED_TRACE(curve);
    synth.Set(PARAM_DIST_CURVE, curve);
    // Drive 0 included: the first tube curve once played 10 dB quieter there,
    // its zero sitting far enough below the centre to dominate the gain.
    for (float drive : {0.0f, 0.2f, 0.5f, 0.9f}) {
      Set(FxParam::DIST_DRIVE, drive);
      Set(FxParam::DIST_OUTPUT, 1.0f);
      std::vector<float> full = Render(Sine(441.0, SR, 16384, 0.125));
      Set(FxParam::DIST_OUTPUT, 0.5f);
      std::vector<float> quarter = Render(Sine(441.0, SR, 16384, 0.125));
      EXPECT_NEAR(Db(Harmonic(full, 1) / Harmonic(quarter, 1)), Db(4.0), 0.01) << drive;
      // A peak of 0.125 into the shaper comes out at 0.5 x Output^2 (the
      // DC blocker and the down-sampler move it a little).
      const float peak = PeakAbs(full.data() + 8192, 8192);
      EXPECT_GT(peak, 0.35f) << drive;
      EXPECT_LT(peak, 0.8f) << drive;
    }
  }
}

TEST_F(DistortionTest, AsymBendsOnlyTheNegativeHalfOfTheClassicCurve) {
  Set(FxParam::DIST_DRIVE, 0.7f);
  const unsigned int n = 12000;
  std::vector<float> positive(n), negative(n);
  for (unsigned int i = 0; i < n; ++i) {
    positive[i] = static_cast<float>(0.3 + 0.2 * std::sin(TWO_PI * 100.0 * i / SR));
    negative[i] = -positive[i];
  }
  Set(FxParam::DIST_ASYM, 0.0f);
  std::vector<float> p0 = Render(positive), n0 = Render(negative);
  Set(FxParam::DIST_ASYM, 1.0f);
  std::vector<float> p1 = Render(positive), n1 = Render(negative);
  // After the start (whose step rings below zero) has died away in the
  // DC blocker, the positive input comes out the same.
  double dp = 0.0, dn = 0.0;
  for (unsigned int i = 8000; i < n; ++i) {
    dp = std::fmax(dp, std::fabs(p0[i] - p1[i]));
    dn = std::fmax(dn, std::fabs(n0[i] - n1[i]));
  }
  EXPECT_LT(dp, 1e-5);
  EXPECT_GT(dn, 0.05);
}

TEST_F(DistortionTest, BassAndTrebleLiftTheirEndsAndAreFlatAtZero) {
  Set(FxParam::DIST_DRIVE, 0.0f);
  const double flat = SmallToneDb(1000.0);
  EXPECT_NEAR(SmallToneDb(150.0), flat, 0.5);
  EXPECT_NEAR(SmallToneDb(10000.0), flat, 0.5);
  Set(FxParam::DIST_BASS, 1.0f);
  EXPECT_GT(SmallToneDb(100.0) - SmallToneDb(5000.0), 15.0);
  Set(FxParam::DIST_BASS, 0.0f);
  Set(FxParam::DIST_TREBLE, 1.0f);
  EXPECT_GT(SmallToneDb(12000.0) - SmallToneDb(300.0), 15.0);
}

TEST_F(DistortionTest, EveryOversamplingFactorGivesTheSameTone) {
  Set(FxParam::DIST_DRIVE, 0.6f);
  double level[3];
  const unsigned int factors[3] = {2, 4, 8};
  for (int k = 0; k < 3; ++k) {
    synth.factor = factors[k];
    std::vector<float> y = Render(Sine(441.0, SR, 16384, 0.25));
    ASSERT_TRUE(AllFinite(y));
    level[k] = Db(Harmonic(y, 1));
  }
  EXPECT_NEAR(level[0], level[2], 0.5);
  EXPECT_NEAR(level[1], level[2], 0.5);
}

TEST_F(DistortionTest, ACallLongerThanTheBlockSizeRunsInPiecesThatFitTheBuffers) {
  Set(FxParam::DIST_DRIVE, 0.8f);
  std::vector<float> in = Noise(2048, 0.5);
  std::vector<float> pieces = Render(in, 256);
  // Sized for 256 host samples, asked for 2048 in one call.
  auto fx = MakeEffect<CDistortion>(synth, 0, SR, 256);
  std::vector<float> l = in, r = in;
  fx->UpdateParams(2048);
  fx->Process(l.data(), r.data(), 2048);
  for (unsigned int i = 0; i < 2048; ++i) ASSERT_FLOAT_EQ(l[i], pieces[i]) << i;
  // A factor raised without a new block size: still inside the buffers.
  synth.factor = 8;
  fx->UpdateParams(256);
  fx->Process(l.data(), r.data(), 256);
  EXPECT_TRUE(AllFinite(l));
}

TEST_F(DistortionTest, CurveSettingsOutsideTheListPlayTheClassicCurve) {
  Set(FxParam::DIST_DRIVE, 0.8f);
  std::vector<float> in = Sine(441.0, SR, 4096, 0.3);
  synth.Set(PARAM_DIST_CURVE, 0.0f);
  std::vector<float> classic = Render(in);
  for (float setting : {3.0f, -1.0f, 1e9f, -1e30f, std::nanf("")}) {
    synth.Set(PARAM_DIST_CURVE, setting);
    std::vector<float> y = Render(in);
    for (unsigned int i = 0; i < 4096; ++i) ASSERT_EQ(y[i], classic[i]) << setting;
  }
}

TEST_F(DistortionTest, ExtremeSettingsAndLoudInputStayFinite) {
  for (float curve : {0.0f, 1.0f, 2.0f})
    for (float v : {0.0f, 1.0f, 1e30f, -1e30f}) {
      for (unsigned int k = 0; k < 6; ++k) Set(k, v);
      synth.Set(PARAM_DIST_CURVE, curve);
      std::vector<float> y = Render(Noise(4096, 10.0));
      ASSERT_TRUE(AllFinite(y)) << curve << " " << v;
      EXPECT_LT(PeakAbs(y.data(), 4096), 50.0f) << curve << " " << v;
    }
}

TEST_F(DistortionTest, InstanceOneReadsItsOwnParametersAndCurve) {
  synth.Set(Id(FxParam::DIST_MIX, 0), 1.0f);
  synth.Set(Id(FxParam::DIST_MIX, 1), 0.0f);
  synth.Set(PARAM_DIST_CURVE + 0, 2.0f);
  auto fx = MakeEffect<CDistortion>(synth, 1, SR, 256);
  std::vector<float> l = Sine(1000.0, SR, 4096, 0.5), r = l;
  RunBlocks(*fx, l.data(), r.data(), 4096);
  EXPECT_NEAR(Db(ToneAmplitude(l.data() + 2048, 2048, 1000.0, SR) / 0.5), 0.0, 0.05);
}

}  // namespace

TEST_F(DistortionTest, ShelfLiftsAndCornersFollowTheBassAndTrebleControls) {
  // Quiet tones at drive 0 (a linear chain): each shelf's lift deep in its
  // band and its level at its corner (bass 300 Hz, treble 2 kHz), each over a
  // tone in the other band, as measured on this implementation. Windows of
  // whole cycles of every tone.
  Set(FxParam::DIST_DRIVE, 0.0f);
  auto toneDb = [&](double hz) {
    const unsigned int window = 8820;  // a whole number of cycles of every tone below
    std::vector<float> y = Render(Sine(hz, SR, 2 * window, 0.001));
    return Db(ToneAmplitude(y.data() + window, window, hz, SR) / 0.001);
  };
  struct CASE {
    unsigned int control;
    float value;
    double deepHz, cornerHz, otherHz;
    double lift, corner;
  } cases[] = {{FxParam::DIST_BASS, 0.5f, 40.0, 300.0, 5000.0, 5.624, 5.118},
               {FxParam::DIST_BASS, 1.0f, 40.0, 300.0, 5000.0, 19.999, 12.561},
               {FxParam::DIST_TREBLE, 0.5f, 10000.0, 2000.0, 200.0, 9.964, 5.113},
               {FxParam::DIST_TREBLE, 1.0f, 10000.0, 2000.0, 200.0, 24.226, 12.282}};
  for (const CASE& c : cases) {
    Set(FxParam::DIST_BASS, 0.0f);
    Set(FxParam::DIST_TREBLE, 0.0f);
    Set(c.control, c.value);
    const double other = toneDb(c.otherHz);
    const double lift = toneDb(c.deepHz) - other, corner = toneDb(c.cornerHz) - other;
    EXPECT_NEAR(lift, c.lift, 0.2) << c.cornerHz << " Hz shelf at " << c.value;
    EXPECT_NEAR(corner, c.corner, 0.2) << c.cornerHz << " Hz shelf at " << c.value;
  }
}
