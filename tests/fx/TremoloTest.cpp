#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "EffectSignals.h"
#include "FxSynthDouble.h"
#include "engine/ParamIds.h"
#include "fx/Tremolo.h"

using namespace EffectSignals;

namespace {

const float SR = 44100.0f;

unsigned int Id(unsigned int k, unsigned int inst = 0) { return PARAM_FX_TREMOLO + 2 * k + inst; }

class TremoloTest : public ::testing::Test {
 protected:
  TremoloTest() {
    for (unsigned int inst = 0; inst < 2; ++inst) {
      synth.Set(Id(FxParam::TREMOLO_RATE, inst), 1.0f);
      synth.Set(Id(FxParam::TREMOLO_EDGE, inst), 0.0f);
      synth.Set(Id(FxParam::TREMOLO_GATE, inst), 1.0f);
      synth.Set(Id(FxParam::TREMOLO_STEREO, inst), 0.0f);
      synth.Set(Id(FxParam::TREMOLO_MIX, inst), 1.0f);
      synth.Set(PARAM_TREMOLO_SYNC + inst, 2.0f);  // a quarter note
    }
  }
  void Set(unsigned int k, float v) { synth.Set(Id(k), v); }
  // The gains of both channels over n samples: a constant input of 1.
  void Gains(CTremolo& fx, unsigned int n, std::vector<float>& l, std::vector<float>& r) {
    l.assign(n, 1.0f);
    r.assign(n, 1.0f);
    RunBlocks(fx, l.data(), r.data(), n);
  }
  std::vector<float> Gains(unsigned int n) {
    auto fx = MakeEffect<CTremolo>(synth, 0, SR);
    std::vector<float> l, r;
    Gains(*fx, n, l, r);
    return l;
  }
  // Samples at which the gain rises through half its range.
  static std::vector<unsigned int> Rises(const std::vector<float>& g, float level = 0.5f) {
    std::vector<unsigned int> at;
    for (unsigned int i = 1; i < g.size(); ++i)
      if (g[i - 1] < level && g[i] >= level) at.push_back(i);
    return at;
  }
  static double MeanSpacing(const std::vector<unsigned int>& at) {
    return at.size() < 2 ? 0.0 : static_cast<double>(at.back() - at.front()) / (at.size() - 1);
  }
  CFxSynthDouble synth;
};

TEST_F(TremoloTest, MixZeroPassesTheSignalUnchanged) {
  Set(FxParam::TREMOLO_MIX, 0.0f);
  Set(FxParam::TREMOLO_STEREO, 1.0f);
  auto fx = MakeEffect<CTremolo>(synth, 0, SR);
  std::vector<float> l = Noise(8192), r = Noise(8192, 1.0, 3), li = l, ri = r;
  RunBlocks(*fx, l.data(), r.data(), 8192);
  EXPECT_EQ(l, li);
  EXPECT_EQ(r, ri);
}

TEST_F(TremoloTest, AQuarterNoteAt120BpmOpensTwiceASecondFromClosedToFull) {
  std::vector<float> g = Gains(static_cast<unsigned int>(3 * SR));
  std::vector<unsigned int> rises = Rises(g);
  ASSERT_GE(rises.size(), 5u);
  EXPECT_NEAR(MeanSpacing(rises), 0.5 * SR, 0.005 * SR);
  EXPECT_NEAR(PeakAbs(g.data(), static_cast<unsigned int>(g.size())), 1.0f, 1e-3);
  float low = 1.0f;
  for (float v : g) low = std::fmin(low, v);
  EXPECT_LT(low, 1e-3f);

  // Depth: Mix 0.5 keeps half the level between bumps.
  Set(FxParam::TREMOLO_MIX, 0.5f);
  g = Gains(static_cast<unsigned int>(SR));
  low = 1.0f;
  for (float v : g) low = std::fmin(low, v);
  EXPECT_NEAR(low, 0.5f, 1e-3);
  EXPECT_NEAR(PeakAbs(g.data(), static_cast<unsigned int>(g.size())), 1.0f, 1e-3);
}

TEST_F(TremoloTest, RateSlowsTheSyncedPeriodBySquaredSpeedFactor) {
  const float rate = 0.6f;
  Set(FxParam::TREMOLO_RATE, rate);
  std::vector<float> g = Gains(static_cast<unsigned int>(5 * SR));
  const double r = 0.995 * rate + 0.005;
  EXPECT_NEAR(MeanSpacing(Rises(g)) / SR, 0.5 / (r * r), 0.01);
}

TEST_F(TremoloTest, GateZeroOpensOnlyTheFirstQuarterOfEachCycle) {
  Set(FxParam::TREMOLO_GATE, 0.0f);
  Set(FxParam::TREMOLO_MIX, 0.8f);
  const unsigned int period = static_cast<unsigned int>(0.5f * SR);
  std::vector<float> g = Gains(2 * period);
  for (unsigned int i = period / 4 + 2; i < period - 1; ++i) ASSERT_NEAR(g[i], 0.2f, 1e-5) << i;
  // The bump's middle is an eighth into the cycle.
  unsigned int top = 0;
  for (unsigned int i = 0; i < period; ++i)
    if (g[i] > g[top]) top = i;
  EXPECT_NEAR(top, period / 8.0, 0.002 * period);
}

TEST_F(TremoloTest, OneSecondSyncRunsOneBumpPerSecondWhateverTheTempo) {
  synth.Set(PARAM_TREMOLO_SYNC, 32.0f);
  for (float tempo : {90.0f, 150.0f}) {
    synth.m_tempo = tempo;
    EXPECT_NEAR(MeanSpacing(Rises(Gains(static_cast<unsigned int>(4 * SR)))), SR, 0.005 * SR) << tempo;
  }
}

TEST_F(TremoloTest, ATempoChangeTakesEffectAtTheNextBlockWithoutAJump) {
  auto fx = MakeEffect<CTremolo>(synth, 0, SR);
  std::vector<float> before, after, l, r;
  Gains(*fx, 5000, before, r);
  synth.m_tempo = 60.0f;  // a quarter note is now one second
  Gains(*fx, static_cast<unsigned int>(4 * SR), after, r);
  EXPECT_LT(std::fabs(after[0] - before.back()), 0.01f);
  EXPECT_NEAR(MeanSpacing(Rises(after)), SR, 0.005 * SR);
}

TEST_F(TremoloTest, StereoOneSilencesLeftAndPassesRightAtTheBumpsQuarterPoint) {
  Set(FxParam::TREMOLO_STEREO, 1.0f);
  auto fx = MakeEffect<CTremolo>(synth, 0, SR);
  std::vector<float> l, r;
  const unsigned int quarter = static_cast<unsigned int>(0.5f * SR / 4.0f);
  Gains(*fx, quarter + 1, l, r);
  EXPECT_NEAR(l[quarter], 0.0f, 1e-3);
  EXPECT_NEAR(r[quarter], 1.0f, 1e-3);
  // Stereo 0: both channels get the same gain.
  Set(FxParam::TREMOLO_STEREO, 0.0f);
  auto mono = MakeEffect<CTremolo>(synth, 0, SR);
  Gains(*mono, 20000, l, r);
  EXPECT_EQ(l, r);
}

TEST_F(TremoloTest, EdgeOneMakesTheBumpNearlySquare) {
  // Share of the cycle spent between 10 % and 90 % of the gain: most of a
  // raised cosine, little of a square bump.
  const unsigned int period = static_cast<unsigned int>(0.5f * SR);
  auto slopeShare = [&](float edge) {
    Set(FxParam::TREMOLO_EDGE, edge);
    std::vector<float> g = Gains(period);
    unsigned int between = 0;
    for (float v : g) between += (v > 0.1f && v < 0.9f);
    return static_cast<double>(between) / period;
  };
  EXPECT_GT(slopeShare(0.0f), 0.55);
  EXPECT_LT(slopeShare(1.0f), 0.25);
}

TEST_F(TremoloTest, ResetKeepsThePhasesAndFreePhaseResetRestartsTheCycle) {
  auto fx = MakeEffect<CTremolo>(synth, 0, SR);
  std::vector<float> l, r, fresh, afterReset, afterFree;
  Gains(*fx, 7000, l, r);
  const float last = l.back();
  fx->Reset();
  Gains(*fx, 100, afterReset, r);
  EXPECT_NEAR(afterReset[0], last, 0.01f);
  fx->ResetFreePhase();
  Gains(*fx, 5000, afterFree, r);
  fresh = Gains(5000);
  EXPECT_EQ(afterFree, fresh);
}

TEST_F(TremoloTest, DamagedSyncSettingsAndTemposGiveBoundedGains) {
  for (float setting : {-3.0f, 99.0f, 1e30f, std::nanf("")})
    for (float tempo : {1e-3f, 120.0f, 1e9f}) {
      synth.Set(PARAM_TREMOLO_SYNC, setting);
      synth.m_tempo = tempo;
      Set(FxParam::TREMOLO_STEREO, 1.0f);
      auto fx = MakeEffect<CTremolo>(synth, 0, SR);
      std::vector<float> l, r;
      Gains(*fx, 4096, l, r);
      for (unsigned int i = 0; i < 4096; ++i) {
        ASSERT_TRUE(std::isfinite(l[i]) && std::isfinite(r[i])) << setting << " " << tempo;
        ASSERT_LE(std::fmax(l[i], r[i]), 2.0f);
        ASSERT_GE(std::fmin(l[i], r[i]), 0.0f);
      }
    }
}

}  // namespace
