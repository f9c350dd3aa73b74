#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "EffectSignals.h"
#include "FxSynthDouble.h"
#include "engine/ParamIds.h"
#include "fx/Phaser.h"

using namespace EffectSignals;

namespace {

const float SR = 44100.0f;

unsigned int Id(unsigned int k, unsigned int inst = 0) { return PARAM_FX_PHASER + 2 * k + inst; }

class PhaserTest : public ::testing::Test {
 protected:
  PhaserTest() {
    for (unsigned int inst = 0; inst < 2; ++inst) {
      synth.Set(Id(FxParam::PHASER_FREQ, inst), 0.2f);
      synth.Set(Id(FxParam::PHASER_MOUTH, inst), 0.0f);
      synth.Set(Id(FxParam::PHASER_FEEDBACK, inst), 0.5f);
      synth.Set(Id(FxParam::PHASER_RATE, inst), 0.0f);
      synth.Set(Id(FxParam::PHASER_DEPTH, inst), 0.0f);
      synth.Set(Id(FxParam::PHASER_STEREO, inst), 0.0f);
      synth.Set(Id(FxParam::PHASER_MIX, inst), 1.0f);
    }
  }
  void Set(unsigned int k, float v) { synth.Set(Id(k), v); }
  // Gain in dB of a fresh phaser at one frequency.
  double GainDb(double hz) {
    auto fx = MakeEffect<CPhaser>(synth, 0, SR);
    std::vector<float> l = Sine(hz, SR, 6144, 0.1), r = l;
    RunBlocks(*fx, l.data(), r.data(), 6144);
    return Db(ToneAmplitude(l.data() + 2048, 4096, hz, SR) / 0.1);
  }
  // The lowest notch of a sweep from lo to hi Hz in steps of a 1/24
  // octave: the first local minimum below -15 dB (frequency, gain in dB).
  std::pair<double, double> Notch(double lo, double hi) {
    std::vector<double> hz, db;
    for (double f = lo; f <= hi; f *= std::pow(2.0, 1.0 / 24.0)) {
      hz.push_back(f);
      db.push_back(GainDb(f));
    }
    for (size_t i = 1; i + 1 < hz.size(); ++i)
      if (db[i] < -15.0 && db[i] <= db[i - 1] && db[i] <= db[i + 1]) return {hz[i], db[i]};
    return {0.0, 0.0};
  }
  // RMS envelopes of both channels in 5 ms windows for a tone.
  void Envelopes(double hz, double seconds, std::vector<double>& envL, std::vector<double>& envR) {
    auto fx = MakeEffect<CPhaser>(synth, 0, SR);
    fx->ResetFreePhase();
    const unsigned int n = static_cast<unsigned int>(seconds * SR);
    std::vector<float> l = Sine(hz, SR, n, 0.5), r = l;
    RunBlocks(*fx, l.data(), r.data(), n);
    const unsigned int w = static_cast<unsigned int>(0.005 * SR);
    envL.clear();
    envR.clear();
    for (unsigned int i = 0; i + w <= n; i += w) {
      envL.push_back(Rms(l.data() + i, w));
      envR.push_back(Rms(r.data() + i, w));
    }
  }
  // The lag (in windows) between minLag and maxLag at which the envelope
  // best repeats itself.
  static unsigned int Period(const std::vector<double>& env, unsigned int minLag, unsigned int maxLag) {
    unsigned int best = minLag;
    double bestErr = 1e300;
    for (unsigned int lag = minLag; lag <= maxLag; ++lag) {
      double err = 0.0;
      unsigned int count = 0;
      for (unsigned int i = 40; i + lag < env.size(); ++i, ++count) err += std::pow(env[i] - env[i + lag], 2);
      err /= count;
      if (err < bestErr) {
        bestErr = err;
        best = lag;
      }
    }
    return best;
  }
  CFxSynthDouble synth;
};

TEST_F(PhaserTest, MixZeroReturnsTheDryInput) {
  Set(FxParam::PHASER_MIX, 0.0f);
  Set(FxParam::PHASER_RATE, 0.8f);
  Set(FxParam::PHASER_DEPTH, 1.0f);
  Set(FxParam::PHASER_FEEDBACK, 0.9f);
  auto fx = MakeEffect<CPhaser>(synth, 0, SR);
  std::vector<float> l = Noise(4096), r = Noise(4096, 1.0, 5), li = l, ri = r;
  RunBlocks(*fx, l.data(), r.data(), 4096);
  EXPECT_EQ(l, li);
  EXPECT_EQ(r, ri);
}

TEST_F(PhaserTest, AStillSweepCutsDeepNotchesThatRiseWithFreq) {
  Set(FxParam::PHASER_FREQ, 0.05f);
  const auto low = Notch(50.0, 16000.0);
  EXPECT_LT(low.second, -20.0);
  Set(FxParam::PHASER_FREQ, 0.4f);
  const auto high = Notch(50.0, 16000.0);
  EXPECT_LT(high.second, -20.0);
  EXPECT_GT(high.first, 1.5 * low.first);
  // Between the notches dry and all-pass add up: about +6 dB somewhere.
  double top = -1e9;
  for (double hz = 100.0; hz < 16000.0; hz *= 1.2) top = std::fmax(top, GainDb(hz));
  EXPECT_NEAR(top, Db(2.0), 0.5);
}

TEST_F(PhaserTest, FeedbackBelowHalfInvertsTheAllPassBeforeTheSum) {
  Set(FxParam::PHASER_FREQ, 0.2f);
  const auto notch = Notch(50.0, 16000.0);
  ASSERT_LT(notch.second, -20.0);
  Set(FxParam::PHASER_FEEDBACK, 0.49f);  // practically no feedback, but inverted
  EXPECT_GT(GainDb(notch.first), 5.0);
}

TEST_F(PhaserTest, TheNotchesMoveAtTheLfoRate) {
  Set(FxParam::PHASER_DEPTH, 1.0f);
  Set(FxParam::PHASER_FREQ, 0.1f);
  for (double hz : {2.0, 1.25}) {
    SCOPED_TRACE(hz);
    Set(FxParam::PHASER_RATE, static_cast<float>(std::sqrt(hz / 5.0)));
    std::vector<double> envL, envR;
    Envelopes(1000.0, 2.2 / hz, envL, envR);
    const double windows = 1.0 / hz / 0.005;  // one LFO period in windows
    const unsigned int period = Period(envL, static_cast<unsigned int>(0.6 * windows), static_cast<unsigned int>(1.4 * windows));
    EXPECT_NEAR(period, windows, 0.02 * windows);
    double lo = 1e9, hi = 0.0;
    for (double e : envL) {
      lo = std::fmin(lo, e);
      hi = std::fmax(hi, e);
    }
    EXPECT_GT(Db(hi / lo), 12.0);  // a notch passes the tone
    EXPECT_EQ(envL, envR);          // Stereo 0: both channels alike
  }
}

TEST_F(PhaserTest, StereoOneSweepsTheRightChannelAgainstTheLeft) {
  Set(FxParam::PHASER_DEPTH, 1.0f);
  Set(FxParam::PHASER_FREQ, 0.1f);
  Set(FxParam::PHASER_RATE, static_cast<float>(std::sqrt(2.0 / 5.0)));
  Set(FxParam::PHASER_STEREO, 1.0f);
  std::vector<double> envL, envR;
  Envelopes(1000.0, 1.0, envL, envR);
  // The right envelope is the left one half a cycle (0.25 s) later.
  const unsigned int half = static_cast<unsigned int>(0.25 / 0.005);
  double err = 0.0, scale = 0.0;
  for (unsigned int i = 40; i + half < envL.size(); ++i) {
    err += std::pow(envR[i] - envL[i + half], 2);
    scale += envL[i] * envL[i];
  }
  EXPECT_LT(err, 0.01 * scale);
  std::vector<float> a(envL.begin(), envL.end()), b(envR.begin(), envR.end());
  EXPECT_LT(Correlation(a.data(), b.data(), static_cast<unsigned int>(a.size())), 0.97);
}

TEST_F(PhaserTest, AZeroUnmodulatedRateStopsTheLfoAtItsCentre) {
  Set(FxParam::PHASER_DEPTH, 1.0f);
  std::vector<float> in = Sine(700.0, SR, 4096, 0.5);
  // Reference: a fresh phaser whose rate was always 0.
  auto still = MakeEffect<CPhaser>(synth, 0, SR);
  std::vector<float> ref = in, rr = in;
  RunBlocks(*still, ref.data(), rr.data(), 4096);

  // A phaser whose LFO ran for a while, then stopped: the sweep sits at the
  // centre whatever the phase it stopped at.
  auto fx = MakeEffect<CPhaser>(synth, 0, SR);
  Set(FxParam::PHASER_RATE, 0.7f);
  std::vector<float> l = Noise(7000), r = l;
  RunBlocks(*fx, l.data(), r.data(), 7000);
  Set(FxParam::PHASER_RATE, 0.0f);
  fx->Reset();
  l = in;
  r = in;
  RunBlocks(*fx, l.data(), r.data(), 4096);
  EXPECT_EQ(l, ref);

  // A rate of 0 with a modulation source routed to it counts as running:
  // the LFO value at the stopped phase applies.
  std::vector<float> source(CFxSynthDouble::kMaxBlock, 0.0f), depth(CFxSynthDouble::kMaxBlock, 0.5f);
  synth.AddSource(Id(FxParam::PHASER_RATE), source.data(), depth.data());
  fx->Reset();
  l = in;
  r = in;
  RunBlocks(*fx, l.data(), r.data(), 4096);
  EXPECT_NE(l, ref);
}

TEST_F(PhaserTest, FullFeedbackEitherWayAndDamagedValuesStayBounded) {
  const float values[] = {0.0f, 1.0f, 1e30f, -1e30f};
  for (float fb : values)
    for (float other : values) {
      Set(FxParam::PHASER_FEEDBACK, fb);
      for (unsigned int k : {FxParam::PHASER_FREQ, FxParam::PHASER_MOUTH, FxParam::PHASER_RATE, FxParam::PHASER_DEPTH,
                             FxParam::PHASER_STEREO, FxParam::PHASER_MIX})
        Set(k, other);
      auto fx = MakeEffect<CPhaser>(synth, 0, SR);
      const unsigned int n = 16384;
      std::vector<float> l = Noise(n), r = Noise(n, 1.0, 8);
      RunBlocks(*fx, l.data(), r.data(), n);
      ASSERT_TRUE(AllFinite(l) && AllFinite(r)) << fb << " " << other;
      EXPECT_LT(PeakAbs(l.data(), n), 100.0f) << fb << " " << other;
      EXPECT_LT(Rms(l.data() + 3 * n / 4, n / 4), 2.0 * Rms(l.data() + n / 4, n / 4) + 1e-6);
    }
}

}  // namespace
