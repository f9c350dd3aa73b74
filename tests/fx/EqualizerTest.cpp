#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "EffectSignals.h"
#include "FxSynthDouble.h"
#include "engine/ParamIds.h"
#include "fx/Equalizer.h"

using namespace EffectSignals;

namespace {

const float SR = 44100.0f;

unsigned int FreqId(unsigned int band, unsigned int inst = 0) {
  return PARAM_FX_EQ + 2 * (3 * band + FxParam::EQ_FREQ) + inst;
}
unsigned int BoostId(unsigned int band, unsigned int inst = 0) {
  return PARAM_FX_EQ + 2 * (3 * band + FxParam::EQ_BOOST) + inst;
}
unsigned int WidthId(unsigned int band, unsigned int inst = 0) {
  return PARAM_FX_EQ + 2 * (3 * band + FxParam::EQ_BANDWIDTH) + inst;
}
// The frequency parameter that puts a band at hz.
float FreqParam(double hz) { return static_cast<float>(std::cbrt((hz - 10.0) / 20000.0)); }

class EqualizerTest : public ::testing::Test {
 protected:
  EqualizerTest() {
    for (unsigned int b = 0; b < 4; ++b)
      for (unsigned int inst = 0; inst < 2; ++inst) {
        synth.Set(FreqId(b, inst), 0.4f);
        synth.Set(BoostId(b, inst), 0.5f);
        synth.Set(WidthId(b, inst), 0.3f);
      }
  }
  // Gain in dB of a fresh equalizer at one frequency, measured on a sine.
  double GainDb(double hz, float sr = SR) {
    auto eq = MakeEffect<CEqualizer>(synth, 0, sr);
    const unsigned int n = 16384;
    std::vector<float> l = Sine(hz, sr, n, 0.01), r = l;
    RunBlocks(*eq, l.data(), r.data(), n);
    const unsigned int tail = n / 2;
    return Db(ToneAmplitude(l.data() + tail, tail, hz, sr) / 0.01);
  }
  CFxSynthDouble synth;
};

TEST_F(EqualizerTest, NeutralBoostsPassTheSignalWhateverTheFrequenciesAndWidths) {
  const float settings[][2] = {{0.0f, 0.0f}, {0.3f, 1.0f}, {0.7f, 0.5f}, {1.0f, 0.0f}};
  for (const auto& s : settings) {
    for (unsigned int b = 0; b < 4; ++b) {
      synth.Set(FreqId(b), s[0] * (0.5f + 0.15f * b));
      synth.Set(WidthId(b), s[1]);
    }
    auto eq = MakeEffect<CEqualizer>(synth, 0);
    std::vector<float> in = Noise(4096), l = in, r = Noise(4096, 1.0, 99), rin = r;
    RunBlocks(*eq, l.data(), r.data(), 4096);
    // Rounding in the recursion grows as the poles near z = 1: sections at
    // 10 Hz keep a few thousandths.
    const float tolerance = s[0] == 0.0f ? 5e-3f : 5e-4f;
    for (unsigned int i = 0; i < 4096; ++i) {
      ASSERT_NEAR(l[i], in[i], tolerance) << "freq " << s[0] << " width " << s[1] << " at " << i;
      ASSERT_NEAR(r[i], rin[i], tolerance);
    }
  }
}

TEST_F(EqualizerTest, PeakBandsSitAtTheirFrequencyWithTheirGainAndBandwidth) {
  struct CASE {
    unsigned int band;
    double hz;
  } cases[] = {{1, 1000.0}, {2, 4000.0}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.band);
    synth.Set(FreqId(c.band), FreqParam(c.hz));
    synth.Set(WidthId(c.band), 0.9f / 3.9f);  // one octave
    synth.Set(BoostId(c.band), 1.0f);
    // Sweep a third of an octave each side in small steps: the loudest
    // frequency is the band's centre.
    double bestHz = 0.0, bestDb = -1e9;
    for (int k = -10; k <= 10; ++k) {
      const double hz = c.hz * std::pow(2.0, k / 30.0);
      const double db = GainDb(hz);
      if (db > bestDb) {
        bestDb = db;
        bestHz = hz;
      }
    }
    EXPECT_NEAR(bestHz / c.hz, 1.0, 0.03);
    EXPECT_NEAR(bestDb, Db(36.0), 0.3);  // A = 6: +31.1 dB
    // Half the gain in dB half an octave either side (one octave wide).
    EXPECT_NEAR(GainDb(c.hz * std::sqrt(2.0)), 0.5 * Db(36.0), 1.5);
    EXPECT_NEAR(GainDb(c.hz / std::sqrt(2.0)), 0.5 * Db(36.0), 1.5);
    // Far from the band: flat.
    EXPECT_NEAR(GainDb(c.hz * 16.0 < 20000.0 ? c.hz * 16.0 : c.hz / 16.0), 0.0, 1.0);
    // Boost 0: A = 0.06, -48.9 dB at the centre.
    synth.Set(BoostId(c.band), 0.0f);
    EXPECT_NEAR(GainDb(c.hz), Db(0.0036), 1.0);
    synth.Set(BoostId(c.band), 0.5f);
  }
}

TEST_F(EqualizerTest, ShelvesLiftTheirSideAndMeetHalfwayAtTheCorner) {
  // Low shelf at 300 Hz.
  synth.Set(FreqId(0), FreqParam(300.0));
  synth.Set(WidthId(0), 0.0f);
  synth.Set(BoostId(0), 1.0f);
  EXPECT_NEAR(GainDb(25.0), Db(36.0), 1.0);
  EXPECT_NEAR(GainDb(300.0), 0.5 * Db(36.0), 1.0);
  EXPECT_NEAR(GainDb(8000.0), 0.0, 0.3);
  synth.Set(BoostId(0), 0.0f);
  EXPECT_NEAR(GainDb(25.0), Db(0.0036), 2.0);
  EXPECT_NEAR(GainDb(8000.0), 0.0, 0.3);
  synth.Set(BoostId(0), 0.5f);

  // High shelf at 3 kHz.
  synth.Set(FreqId(3), FreqParam(3000.0));
  synth.Set(WidthId(3), 0.0f);
  synth.Set(BoostId(3), 1.0f);
  EXPECT_NEAR(GainDb(19000.0), Db(36.0), 1.5);
  EXPECT_NEAR(GainDb(3000.0), 0.5 * Db(36.0), 1.0);
  EXPECT_NEAR(GainDb(100.0), 0.0, 0.3);
}

TEST_F(EqualizerTest, WiderShelfBandwidthMakesAGentlerSlope) {
  synth.Set(FreqId(0), FreqParam(300.0));
  synth.Set(BoostId(0), 1.0f);
  synth.Set(WidthId(0), 0.0f);
  const double steep = GainDb(150.0) - GainDb(600.0);
  synth.Set(WidthId(0), 1.0f);
  const double gentle = GainDb(150.0) - GainDb(600.0);
  EXPECT_GT(steep, gentle + 2.0);
}

TEST_F(EqualizerTest, BandsAboveTheNyquistFrequencyStayFiniteAndBounded) {
  // At low sample rates the top of the frequency range lies beyond the
  // Nyquist frequency (and at 40 kHz right on it).
  const float rates[] = {8000.0f, 22050.0f, 40000.0f, 40010.0f};
  const float boosts[] = {0.0f, 1.0f};
  const float widths[] = {0.0f, 1.0f};
  for (float sr : rates)
    for (float boost : boosts)
      for (float width : widths) {
        for (unsigned int b = 0; b < 4; ++b) {
          synth.Set(FreqId(b), 1.0f);
          synth.Set(BoostId(b), boost);
          synth.Set(WidthId(b), width);
        }
        auto eq = MakeEffect<CEqualizer>(synth, 0, sr);
        const unsigned int n = 8192;
        std::vector<float> l = Noise(n), r = Noise(n, 1.0, 7);
        RunBlocks(*eq, l.data(), r.data(), n);
        ASSERT_TRUE(AllFinite(l) && AllFinite(r)) << sr << " " << boost << " " << width;
        // No growth: the last quarter is no louder than the second.
        EXPECT_LT(Rms(l.data() + 3 * n / 4, n / 4), 2.0 * Rms(l.data() + n / 4, n / 4) + 1e-6)
            << sr << " " << boost << " " << width;
      }
}

TEST_F(EqualizerTest, OutOfRangeStoredValuesAreHeldToTheParameterRange) {
  for (unsigned int b = 0; b < 4; ++b) {
    synth.Set(FreqId(b), 1e30f);
    synth.Set(BoostId(b), -1e30f);
    synth.Set(WidthId(b), 1e30f);
  }
  auto eq = MakeEffect<CEqualizer>(synth, 0);
  std::vector<float> l = Noise(4096), r = l;
  RunBlocks(*eq, l.data(), r.data(), 4096);
  EXPECT_TRUE(AllFinite(l));
  EXPECT_LT(PeakAbs(l.data(), 4096), 1.0f);  // every band cuts
}

TEST_F(EqualizerTest, ResetClearsTheMemoriesAndInstanceOneReadsItsOwnParameters) {
  for (unsigned int b = 0; b < 4; ++b) synth.Set(BoostId(b, 0), 1.0f);  // instance 0 boosts hard
  auto eq1 = MakeEffect<CEqualizer>(synth, 1);
  std::vector<float> l = Noise(2048), r = l, in = l;
  RunBlocks(*eq1, l.data(), r.data(), 2048);
  for (unsigned int i = 0; i < 2048; ++i) ASSERT_NEAR(l[i], in[i], 2e-4);

  auto eq0 = MakeEffect<CEqualizer>(synth, 0);
  RunBlocks(*eq0, l.data(), r.data(), 2048);
  eq0->Reset();
  std::vector<float> zl(512, 0.0f), zr(512, 0.0f);
  RunBlocks(*eq0, zl.data(), zr.data(), 512);
  for (unsigned int i = 0; i < 512; ++i) ASSERT_EQ(zl[i], 0.0f);
}

TEST_F(EqualizerTest, NotANumberInTheInputDoesNotStickInTheFilters) {
  auto eq = MakeEffect<CEqualizer>(synth, 0);
  synth.Set(BoostId(1), 0.8f);
  std::vector<float> l(256, 0.0f), r(256, 0.0f);
  l[10] = std::nanf("");
  RunBlocks(*eq, l.data(), r.data(), 256);
  std::vector<float> l2 = Noise(256), r2 = l2;
  RunBlocks(*eq, l2.data(), r2.data(), 256);
  EXPECT_TRUE(AllFinite(l2));
}

}  // namespace

TEST_F(EqualizerTest, ShelfCutsMirrorTheBoostOfTheSameSizeAtEveryWidth) {
  // A shelf cut by 1 / A undoes the boost by A of the same corner and width:
  // at every frequency the two gains in dB add up to 0, across the corner's
  // slope as well as in the shelved band. Whole cycles over a one-second
  // window make the measurement exact to a few thousandths of a dB.
  const float A = EqBoostToAmplitude(1.0f);
  float lo = 0.0f, hi = 0.5f;  // the cut setting whose amplitude is 1 / A
  for (int k = 0; k < 40; ++k) {
    const float mid = 0.5f * (lo + hi);
    (EqBoostToAmplitude(mid) < 1.0f / A ? lo : hi) = mid;
  }
  auto gain = [&](double hz) {
    auto eq = MakeEffect<CEqualizer>(synth, 0, SR);
    const unsigned int n = 2 * static_cast<unsigned int>(SR);
    std::vector<float> l = Sine(hz, SR, n, 0.01), r = l;
    RunBlocks(*eq, l.data(), r.data(), n);
    const unsigned int tail = n / 2;
    return Db(ToneAmplitude(l.data() + tail, tail, hz, SR) / 0.01);
  };
  struct CASE {
    unsigned int band;
    double corner;
  } cases[] = {{0, 300.0}, {3, 3000.0}};
  for (const CASE& c : cases)
    for (float width : {0.0f, 0.5f, 1.0f}) {
      synth.Set(FreqId(c.band), FreqParam(c.corner));
      synth.Set(WidthId(c.band), width);
      for (double octaves : {-2.0, -1.0, 1.0, 2.0}) {
        const double hz = std::round(c.corner * std::exp2(octaves));
        synth.Set(BoostId(c.band), 1.0f);
        const double boost = gain(hz);
        synth.Set(BoostId(c.band), hi);
        const double cut = gain(hz);
        EXPECT_NEAR(boost + cut, 0.0, 0.05) << "band " << c.band << " width " << width << " at " << hz << " Hz";
      }
      synth.Set(BoostId(c.band), 0.5f);
    }
}
