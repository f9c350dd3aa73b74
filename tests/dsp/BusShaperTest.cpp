// The bus shaper, measured: bypass and dry path, the asymmetric saturation
// at full drive, the treble shelf's gains and the fixed 1 kHz corner, state
// across treble switching, and robustness.
#include <gtest/gtest.h>

#include "StageFixture.h"
#include "dsp/BusShaper.h"

namespace {

const unsigned int BUS = 1;

class BusShaperTest : public StageFixture {
 protected:
  void SetUp() override { Knobs(0.0f, 0.0f, 0.0f); }
  void Knobs(float drive, float colour, float treble) {
    Set(PARAM_BUS_DS_DRIVE + BUS, drive);
    Set(PARAM_BUS_DS_COLOR + BUS, colour);
    Set(PARAM_BUS_DS_TREBLE + BUS, treble);
  }
  std::unique_ptr<CBusShaper> Shaper(CVoice* v) {
    auto s = std::make_unique<CBusShaper>(&f.synth);
    s->SetInstance(BUS);
    s->SetSampleRate(Rate());
    s->Reset(v);
    return s;
  }
  // Runs left and right through the shaper in blocks.
  void Run(CBusShaper& s, CVoice* v, std::vector<float>& l, std::vector<float>& r) {
    for (size_t at = 0; at + N() <= l.size(); at += N()) {
      s.UpdateParams(HOST_N);
      s.Process(v, l.data() + at, r.data() + at, N());
    }
  }
};

TEST_F(BusShaperTest, DriveZeroLeavesTheBufferAloneWhateverColourAndTreble) {
  Knobs(0.0f, 1.0f, 1.0f);
  auto v = NewVoice();
  auto s = Shaper(v.get());
  const std::vector<float> in = Sine(4 * N(), 500.0, Rate(), 0.8);
  std::vector<float> l = in, r = in;
  Run(*s, v.get(), l, r);
  EXPECT_EQ(l, in);
  EXPECT_EQ(r, in);

  // An assigned source of zero depth engages it: dry path only, still exact.
  mod.AddSource(PARAM_BUS_DS_DRIVE + BUS, 1.0f, 0.5f);
  Knobs(0.0f, 0.0f, 0.0f);
  Run(*s, v.get(), l, r);
  EXPECT_EQ(l, in);
}

TEST_F(BusShaperTest, FullDriveSaturatesAsymmetrically) {
  Knobs(1.0f, 0.0f, 0.0f);
  auto v = NewVoice();
  auto s = Shaper(v.get());
  const std::vector<float> in = Sine(20 * N(), 441.0, Rate(), 0.5);
  std::vector<float> l = in, r = in;
  Run(*s, v.get(), l, r);
  const float hi = *std::max_element(l.begin(), l.end());
  const float lo = *std::min_element(l.begin(), l.end());
  // Positive half-waves are flattened before the saturator: a mean offset
  // for a symmetric input; both sides held under the saturator's ceiling
  // N / 2.
  EXPECT_GT(std::fabs(Mean(l)), 0.05);
  EXPECT_LE(hi, 0.51f);
  EXPECT_GE(lo, -0.51f);
  EXPECT_GT(LevelAt(l, Rate(), 2 * 441.0), 0.02);  // even harmonics
  EXPECT_EQ(l, r);

  // More colour bends the positive half harder.
  Knobs(0.3f, 0.0f, 0.0f);
  std::vector<float> a = in, ar = in;
  s->Reset(v.get());
  Run(*s, v.get(), a, ar);
  Knobs(0.3f, 1.0f, 0.0f);
  std::vector<float> b = in, br = in;
  s->Reset(v.get());
  Run(*s, v.get(), b, br);
  EXPECT_GT(LevelAt(b, Rate(), 2 * 441.0), LevelAt(a, Rate(), 2 * 441.0));
}

TEST_F(BusShaperTest, DriveFadesInOverTheFirstFortyEighthsOfItsRange) {
  // m = 0.5 at d = 24 / 4095: halfway between the dry input and the fully
  // driven output.
  auto v = NewVoice();
  const std::vector<float> in = Sine(4 * N(), 441.0, Rate(), 0.3);
  auto run = [&](float d) {
    Knobs(d, 0.0f, 0.0f);
    auto s = Shaper(v.get());
    std::vector<float> l = in, r = in;
    Run(*s, v.get(), l, r);
    return l;
  };
  const std::vector<float> half = run(24.0f / 4095.0f);
  const std::vector<float> full = run(24.0f / 4095.0f * 2.0f);
  const std::vector<float> tiny = run(1e-6f);
  for (size_t i = 0; i < in.size(); ++i) ASSERT_NEAR(tiny[i], in[i], 1e-3f) << i;
  // Between the two: the half-wet output lies between dry and wet.
  double dHalf = 0.0, dFull = 0.0;
  for (size_t i = 0; i < in.size(); ++i) {
    dHalf += std::fabs(double(half[i]) - in[i]);
    dFull += std::fabs(double(full[i]) - in[i]);
  }
  EXPECT_GT(dHalf, 0.3 * dFull);
  EXPECT_LT(dHalf, 0.7 * dFull);
}

TEST_F(BusShaperTest, TrebleShelfLiftsTheTopBySquareOfItsGainAroundAFixedKilohertz) {
  // Small drive and a small signal keep the shaper nearly linear; the gain
  // ratio with treble on and off isolates the shelf.
  struct CASE {
    unsigned int os;
    float treble;
    double top;  // (2 t^2 + 1)^2
  };
  const CASE cases[] = {{4, 1.0f, 9.0}, {4, 0.5f, 2.25}, {2, 1.0f, 9.0}, {8, 1.0f, 9.0}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << c.os << "x treble " << c.treble);
    SetOversampling(c.os);
    auto v = NewVoice();
    auto gain = [&](double hz, float treble) {
      Knobs(0.02f, 0.0f, treble);
      auto s = Shaper(v.get());
      std::vector<float> l = Sine(24 * N(), hz, Rate(), 0.001), r = l;
      Run(*s, v.get(), l, r);
      return LevelAt(l, Rate(), hz, 8 * N());
    };
    const double low = gain(30.0, c.treble) / gain(30.0, 0.0f);
    const double top = gain(0.45 * Rate(), c.treble) / gain(0.45 * Rate(), 0.0f);
    const double corner = gain(1000.0, c.treble) / gain(1000.0, 0.0f);
    EXPECT_NEAR(low, 1.0, 0.03);
    EXPECT_NEAR(top, c.top, 0.03 * c.top);
    // Around the corner the gain is near the shelf's half-way point A.
    EXPECT_NEAR(corner, std::sqrt(c.top), 0.15 * std::sqrt(c.top));
  }
}

TEST_F(BusShaperTest, ShelfStateWaitsWhileTrebleIsOffAndResetClearsIt) {
  Knobs(0.5f, 0.2f, 0.7f);
  auto v = NewVoice();
  auto s = Shaper(v.get());
  std::vector<float> l = Sine(N(), 3000.0, Rate(), 0.5), r = l;
  Run(*s, v.get(), l, r);
  BUS_STATE* st = v->GetBusState(BUS);
  const std::vector<float> kept(st->shaperLeft, st->shaperLeft + 4);
  EXPECT_NE(kept[0], 0.0f);
  Knobs(0.5f, 0.2f, 0.0f);
  l = Sine(N(), 3000.0, Rate(), 0.5);
  r = l;
  Run(*s, v.get(), l, r);
  EXPECT_EQ(std::vector<float>(st->shaperLeft, st->shaperLeft + 4), kept);
  s->Reset(v.get());
  for (int k = 0; k < 4; ++k) EXPECT_EQ(st->shaperLeft[k] + st->shaperRight[k], 0.0f);
  // The other bus's record is not touched.
  v->GetBusState(0)->shaperLeft[0] = 3.0f;
  s->Reset(v.get());
  EXPECT_EQ(v->GetBusState(0)->shaperLeft[0], 3.0f);
}

TEST_F(BusShaperTest, ExtremeSettingsAndInputsStayFinite) {
  const float values[] = {NAN, INFINITY, -1e30f, 1e30f};
  const float inputs[] = {0.0f, 1e30f, -1e30f};
  for (float m : values) {
    mod.Clear();
    mod.AddSource(PARAM_BUS_DS_DRIVE + BUS, m, 1.0f);
    mod.AddSource(PARAM_BUS_DS_COLOR + BUS, m, 0.0f);
    mod.AddSource(PARAM_BUS_DS_TREBLE + BUS, m, 1.0f);
    for (float x : inputs) {
      SCOPED_TRACE(testing::Message() << m << " " << x);
      auto v = NewVoice();
      auto s = Shaper(v.get());
      std::vector<float> l(2 * N(), x), r(2 * N(), -x);
      Run(*s, v.get(), l, r);
      ASSERT_TRUE(AllFinite(l));
      ASSERT_TRUE(AllFinite(r));
    }
  }
}

}  // namespace

TEST_F(BusShaperTest, SmallSignalGainAndClippedLevelFollowTheDrive) {
  // The level of a quiet sine (the saturator's gain for small signals) and
  // of a loud one (its clipped level) at a few drives, colour and treble 0,
  // as measured on this implementation: the saturator's gain and bias
  // follow the drive, and a change of a tenth in either shows.
  struct CASE {
    float drive;
    double quiet, loud;  // output amplitude at 441 Hz for inputs of 0.001 and 0.5
  } cases[] = {{0.05f, 0.00103103, 0.482447},
               {0.2f, 0.00738453, 0.670014},
               {0.5f, 0.00165932, 0.641996},
               {1.0f, 0.00117841, 0.465777}};
  for (const CASE& c : cases) {
    Knobs(c.drive, 0.0f, 0.0f);
    double level[2];
    const double amplitude[2] = {0.001, 0.5};
    for (int k = 0; k < 2; ++k) {
      auto v = NewVoice();
      auto s = Shaper(v.get());
      const std::vector<float> in = Sine(20 * N(), 441.0, Rate(), amplitude[k]);
      std::vector<float> l = in, r = in;
      Run(*s, v.get(), l, r);
      level[k] = LevelAt(l, Rate(), 441.0, 10 * N());
    }
    EXPECT_NEAR(level[0] / c.quiet, 1.0, 0.01) << c.drive;
    EXPECT_NEAR(level[1] / c.loud, 1.0, 0.01) << c.drive;
  }
}
