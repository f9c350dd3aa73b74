#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "EffectSignals.h"
#include "FxSynthDouble.h"
#include "engine/ParamIds.h"
#include "fx/Reverb.h"

using namespace EffectSignals;

namespace {

const float SR = 44100.0f;

unsigned int Id(unsigned int k, unsigned int inst = 0) { return PARAM_FX_REVERB + 2 * k + inst; }

class ReverbTest : public ::testing::Test {
 protected:
  ReverbTest() {
    for (unsigned int inst = 0; inst < 2; ++inst) {
      synth.Set(Id(FxParam::REVERB_PREDELAY, inst), 0.0f);
      synth.Set(Id(FxParam::REVERB_SIZE, inst), 0.5f);
      synth.Set(Id(FxParam::REVERB_DECAY, inst), 0.5f);
      synth.Set(Id(FxParam::REVERB_LO_DAMP, inst), 0.0f);
      synth.Set(Id(FxParam::REVERB_HI_DAMP, inst), 0.0f);
      synth.Set(Id(FxParam::REVERB_RATE, inst), 0.5f);
      synth.Set(Id(FxParam::REVERB_DEPTH, inst), 0.5f);
      synth.Set(Id(FxParam::REVERB_MIX, inst), 1.0f);
    }
  }
  void Set(unsigned int k, float v) { synth.Set(Id(k), v); }
  // Impulse responses of both channels of a fresh reverb fed the same impulse.
  void Impulse(double seconds, std::vector<float>& l, std::vector<float>& r, float sr = SR) {
    auto fx = MakeEffect<CReverb>(synth, 0, sr);
    const unsigned int n = static_cast<unsigned int>(seconds * sr);
    l.assign(n, 0.0f);
    r.assign(n, 0.0f);
    l[0] = r[0] = 1.0f;
    RunBlocks(*fx, l.data(), r.data(), n);
  }
  CFxSynthDouble synth;
};

// The first sample of the impulse response above 1e-6, in ms.
double OnsetMs(const std::vector<float>& h, float sr) {
  unsigned int i = 0;
  while (i < h.size() && std::fabs(h[i]) < 1e-6f) ++i;
  return 1000.0 * i / sr;
}

TEST_F(ReverbTest, MixZeroPassesTheDryInputAndMixOneOnlyTheTail) {
  Set(FxParam::REVERB_MIX, 0.0f);
  auto fx = MakeEffect<CReverb>(synth, 0, SR);
  std::vector<float> l = Noise(8192), r = Noise(8192, 1.0, 2), li = l, ri = r;
  RunBlocks(*fx, l.data(), r.data(), 8192);
  EXPECT_EQ(l, li);
  EXPECT_EQ(r, ri);
  // Mix 1: nothing of the impulse itself comes through.
  Set(FxParam::REVERB_MIX, 1.0f);
  std::vector<float> hl, hr;
  Impulse(0.05, hl, hr);
  EXPECT_EQ(hl[0], 0.0f);
  EXPECT_EQ(hr[0], 0.0f);
}

TEST_F(ReverbTest, TheTailStartsAfterThePreDelayAndTheTankLine) {
  // Pre-delay 0.5 ms (Predelay 0) to 250 ms (Predelay 1); the tank line
  // 15 ms (Size 0) to 150 ms (Size 1); the modulation adds under 1 ms.
  struct CASE {
    float predelay, size;
    double ms;
  } cases[] = {{0.0f, 0.0f, 15.5}, {1.0f, 0.0f, 265.0}, {0.0f, 1.0f, 150.5}, {1.0f, 1.0f, 400.0}};
  for (const CASE& c : cases) {
    Set(FxParam::REVERB_PREDELAY, c.predelay);
    Set(FxParam::REVERB_SIZE, c.size);
    std::vector<float> l, r;
    Impulse(c.ms / 1000.0 + 0.02, l, r);
    EXPECT_NEAR(OnsetMs(l, SR), c.ms, 1.0) << c.predelay << " " << c.size;
    EXPECT_NEAR(OnsetMs(r, SR), c.ms, 1.0) << c.predelay << " " << c.size;
  }
}

TEST_F(ReverbTest, DecayTimeFollowsTheLoopGainAndTheSize) {
  // One pass of the cross-coupled loop takes the tank line plus the three
  // diffusers' delays (their mean group delay) and loses 20 log10(Decay)
  // dB; the diffusers alone lose 3.1 dB (gain 0.7) per recirculation of the
  // longest one. The slower of the two sets the reverberation time.
  const float sr = 22050.0f;
  struct CASE {
    float size, decay;
  } cases[] = {{0.0f, 0.0f}, {0.0f, 0.8f}, {0.5f, 0.0f}, {0.5f, 0.7f}};
  for (const CASE& c : cases) {
    Set(FxParam::REVERB_SIZE, c.size);
    Set(FxParam::REVERB_DECAY, c.decay);
    const double s2 = c.size * c.size;
    const double base = s2 * 0.135 + 0.015, step = s2 * 0.012 + 0.003;
    const double pass = base + (base - 3 * step) + (base - 2 * step) + (base - step);
    const double loopRt = c.decay > 0.0f ? pass * 60.0 / -Db(c.decay) : 0.0;
    const double diffuserRt = (base - step) * 60.0 / -Db(0.7);
    const double expected = std::fmax(loopRt, diffuserRt);
    std::vector<float> l, r;
    Impulse(std::fmin(2.5, 1.2 * expected + 0.3), l, r, sr);
    const double rt = Rt60(l, sr, -5.0, -25.0);
    EXPECT_NEAR(rt / expected, 1.0, 0.25) << c.size << " " << c.decay << ": " << rt << " s";
  }
}

TEST_F(ReverbTest, TheChannelsDecorrelateAMonoImpulse) {
  std::vector<float> l, r;
  Impulse(1.0, l, r, 22050.0f);
  const unsigned int skip = 1100;  // after the onset
  EXPECT_LT(std::fabs(Correlation(l.data() + skip, r.data() + skip, static_cast<unsigned int>(l.size()) - skip)),
            0.2);
  EXPECT_GT(Rms(l.data(), 22050), 0.002);  // both channels carry the tail
  EXPECT_GT(Rms(r.data(), 22050), 0.002);
}

TEST_F(ReverbTest, DampingDarkensTheTailAndThinsItsBass) {
  Set(FxParam::REVERB_DECAY, 0.7f);
  // High-frequency share: the first difference against the signal; bass
  // share: a 200-sample moving average against the signal.
  auto shares = [&](float lo, float hi, double& high, double& bass) {
    Set(FxParam::REVERB_LO_DAMP, lo);
    Set(FxParam::REVERB_HI_DAMP, hi);
    std::vector<float> l, r;
    Impulse(1.0, l, r, 22050.0f);
    std::vector<float> d(l.size(), 0.0f), m(l.size(), 0.0f);
    double acc = 0.0;
    for (size_t i = 0; i < l.size(); ++i) {
      if (i) d[i] = l[i] - l[i - 1];
      acc += l[i];
      if (i >= 200) acc -= l[i - 200];
      m[i] = static_cast<float>(acc / 200.0);
    }
    const double all = Rms(l.data(), static_cast<unsigned int>(l.size()));
    high = Rms(d.data(), static_cast<unsigned int>(d.size())) / all;
    bass = Rms(m.data(), static_cast<unsigned int>(m.size())) / all;
  };
  double high0, bass0, high1, bass1;
  shares(0.0f, 0.0f, high0, bass0);
  shares(0.0f, 1.0f, high1, bass1);
  EXPECT_LT(high1, 0.6 * high0);
  shares(1.0f, 0.0f, high1, bass1);
  EXPECT_LT(bass1, 0.5 * bass0);
}

TEST_F(ReverbTest, ResetSilencesTheTailButTheLfoRunsOnUntilAFreePhaseReset) {
  std::vector<float> fresh, fr;
  Impulse(0.3, fresh, fr);

  auto fx = MakeEffect<CReverb>(synth, 0, SR);
  std::vector<float> l = Noise(20000), r = l;
  RunBlocks(*fx, l.data(), r.data(), 20000);
  fx->Reset();
  std::vector<float> zl(4096, 0.0f), zr(4096, 0.0f);
  RunBlocks(*fx, zl.data(), zr.data(), 4096);
  EXPECT_EQ(PeakAbs(zl.data(), 4096), 0.0f);

  // The LFO kept running: the impulse response differs from a fresh one.
  const unsigned int n = static_cast<unsigned int>(fresh.size());
  fx->Reset();
  l.assign(n, 0.0f);
  r.assign(n, 0.0f);
  l[0] = r[0] = 1.0f;
  RunBlocks(*fx, l.data(), r.data(), n);
  EXPECT_NE(l, fresh);

  // Reset and free-phase reset: exactly the fresh response.
  fx->Reset();
  fx->ResetFreePhase();
  l.assign(n, 0.0f);
  r.assign(n, 0.0f);
  l[0] = r[0] = 1.0f;
  RunBlocks(*fx, l.data(), r.data(), n);
  EXPECT_EQ(l, fresh);
  EXPECT_EQ(r, fr);
}

TEST_F(ReverbTest, FullDecayAndDamagedValuesStayBounded) {
  const float values[] = {1.0f, 1e30f, -1e30f};
  for (float v : values) {
    for (unsigned int k = 0; k < 7; ++k) Set(k, v);
    Set(FxParam::REVERB_LO_DAMP, 0.0f);
    Set(FxParam::REVERB_HI_DAMP, 0.0f);
    auto fx = MakeEffect<CReverb>(synth, 0, 22050.0f);
    const unsigned int n = 44100;
    std::vector<float> l = Noise(n), r = Noise(n, 1.0, 3);
    RunBlocks(*fx, l.data(), r.data(), n);
    ASSERT_TRUE(AllFinite(l) && AllFinite(r)) << v;
    // Then silence: the tail rings on but does not grow.
    std::vector<float> zl(n, 0.0f), zr(n, 0.0f);
    RunBlocks(*fx, zl.data(), zr.data(), n);
    ASSERT_TRUE(AllFinite(zl) && AllFinite(zr)) << v;
    EXPECT_LE(Rms(zl.data() + n / 2, n / 2), 1.05 * Rms(zl.data(), n / 2) + 1e-9) << v;
    EXPECT_LT(PeakAbs(zl.data(), n), 20.0f) << v;
  }
}

TEST_F(ReverbTest, ASizeSweepMovesTheReadersSmoothly) {
  // A tone through the reverb while Size sweeps from 0.2 to 0.8 in half a
  // second: the interpolated readers glide (a slight pitch bend) and the
  // output steps no more from sample to sample than with a still Size.
  const unsigned int n = 22050, block = 256;
  auto largestStep = [&](bool sweep) {
    auto fx = MakeEffect<CReverb>(synth, 0, SR);
    std::vector<float> l = Sine(200.0, SR, n, 0.5), r = l;
    std::vector<float>& size = synth.Curve(Id(FxParam::REVERB_SIZE));
    for (unsigned int i = 0; i < n; i += block) {
      const unsigned int m = (n - i < block) ? n - i : block;
      for (unsigned int k = 0; k < m; ++k) size[k] = sweep ? 0.2f + 0.6f * (i + k) / n : 0.5f;
      fx->UpdateParams(m);
      fx->Process(l.data() + i, r.data() + i, m);
    }
    float step = 0.0f;
    for (unsigned int i = 1; i < n; ++i) step = std::fmax(step, std::fabs(l[i] - l[i - 1]));
    return step;
  };
  const float still = largestStep(false);
  const float swept = largestStep(true);
  EXPECT_LT(swept, 1.5f * still) << still;
}

TEST_F(ReverbTest, ALowerSampleRateKeepsEveryLineInside) {
  auto fx = MakeEffect<CReverb>(synth, 0, 96000.0f);
  Set(FxParam::REVERB_PREDELAY, 1.0f);
  Set(FxParam::REVERB_SIZE, 1.0f);
  std::vector<float> l = Noise(30000), r = l;
  RunBlocks(*fx, l.data(), r.data(), 30000);
  fx->SetSampleRate(8000.0f);
  fx->Reset();
  RunBlocks(*fx, l.data(), r.data(), 30000);
  EXPECT_TRUE(AllFinite(l));
}

TEST_F(ReverbTest, InstanceOneReadsItsOwnParameters) {
  synth.Set(Id(FxParam::REVERB_MIX, 1), 0.0f);
  auto fx = MakeEffect<CReverb>(synth, 1, SR);
  std::vector<float> l = Noise(4096), r = l, in = l;
  RunBlocks(*fx, l.data(), r.data(), 4096);
  EXPECT_EQ(l, in);
}

}  // namespace
