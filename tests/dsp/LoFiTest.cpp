// The lo-fi, measured: bypass, the bit grid, the dither, the hold rate with
// its key tracking and stereo spread, the smoothed steps, and robustness.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "StageFixture.h"
#include "dsp/BusProcessor.h"
#include "dsp/LoFi.h"
#include "engine/Buffers.h"

namespace {

const unsigned int BUS = 0;

class LoFiTest : public StageFixture {
 protected:
  void SetUp() override {
    Knobs(0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    Set(PARAM_TRANSPOSE, 0.0f);
    Set(PARAM_MASTER_DETUNE, 0.5f);
  }
  void Knobs(float rate, float key, float bit, float noise, float stereo) {
    Set(PARAM_BUS_LF_RATE + BUS, rate);
    Set(PARAM_BUS_LF_KEYSCALE + BUS, key);
    Set(PARAM_BUS_LF_BIT + BUS, bit);
    Set(PARAM_BUS_LF_NOISE + BUS, noise);
    Set(PARAM_BUS_LF_STEREO + BUS, stereo);
  }
  std::unique_ptr<CLoFi> LoFi(CVoice* v) {
    auto s = std::make_unique<CLoFi>(&f.synth);
    s->SetInstance(BUS);
    s->SetSampleRate(Rate());
    s->Reset(v);
    return s;
  }
  void Run(CLoFi& s, CVoice* v, std::vector<float>& l, std::vector<float>& r) {
    for (size_t at = 0; at + N() <= l.size(); at += N()) {
      s.UpdateParams(HOST_N);
      s.Process(v, l.data() + at, r.data() + at, N());
    }
  }
  // Hold rate in Hz: a ramp input (x[i] = i) makes every held value the
  // index of its hold instant; the plateaus give the spacing.
  std::pair<double, double> HoldRates(CLoFi& s, CVoice* v, size_t blocks) {
    std::vector<float> l(blocks * N()), r;
    for (size_t i = 0; i < l.size(); ++i) l[i] = static_cast<float>(i);
    r = l;
    Run(s, v, l, r);
    return {Spacing(l), Spacing(r)};
  }
  double Spacing(const std::vector<float>& y) {
    std::vector<float> plateaus;
    // Held values are whole sample indices; values on the way there are not.
    for (size_t i = 1; i < y.size(); ++i)
      if (y[i] == y[i - 1] && y[i] == std::floor(y[i]) && (plateaus.empty() || plateaus.back() != y[i]))
        plateaus.push_back(y[i]);
    if (plateaus.size() < 3) return 0.0;
    return Rate() * (plateaus.size() - 2) / double(plateaus.back() - plateaus[1]);
  }
};

double SignChangesPerSecond(const std::vector<float>& y, double rate) {
  size_t changes = 0;
  for (size_t i = 1; i < y.size(); ++i)
    if ((y[i] > 0.0f) != (y[i - 1] > 0.0f)) ++changes;
  return changes * rate / y.size();
}

TEST_F(LoFiTest, RateAndBitOffLeaveTheBuffersAloneEvenWithNoiseAndStereo) {
  Knobs(0.0f, 1.0f, 0.0f, 1.0f, 1.0f);
  auto v = NewVoice();
  auto s = LoFi(v.get());
  const std::vector<float> in = Sine(4 * N(), 500.0, Rate(), 0.8);
  std::vector<float> l = in, r = in;
  Run(*s, v.get(), l, r);
  EXPECT_EQ(l, in);
  EXPECT_EQ(r, in);
  // Rate engaged by a zero-depth source, bit off: fully dry, exact.
  mod.AddSource(PARAM_BUS_LF_RATE + BUS, 1.0f, 0.5f);
  Run(*s, v.get(), l, r);
  EXPECT_EQ(l, in);
  EXPECT_EQ(r, in);
}

TEST_F(LoFiTest, BitReductionRoundsToTheGrid) {
  Knobs(0.0f, 0.0f, 1.0f, 0.0f, 0.0f);  // two levels: step 0.5
  auto v = NewVoice();
  auto s = LoFi(v.get());
  const std::pair<float, float> cases[] = {{0.3f, 0.5f},   {-0.3f, -0.5f}, {0.2f, 0.5f},   {-0.2f, 0.0f},
                                           {1e-6f, 0.0f},  {0.75f, 1.0f},  {-0.75f, -1.0f}, {0.74f, 0.5f},
                                           {1e30f, 1073741760.0f}};
  std::vector<float> l(N()), r(N());
  for (size_t k = 0; k < N(); ++k) l[k] = r[k] = cases[k % 9].first;
  Run(*s, v.get(), l, r);
  for (size_t k = 0; k < 9; ++k) EXPECT_EQ(l[k], cases[k].second) << cases[k].first;

  // Bit 0 with a source: a 4096-level grid.
  mod.AddSource(PARAM_BUS_LF_BIT + BUS, 1.0f, 0.5f);
  Knobs(0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
  const std::vector<float> in = Sine(N(), 700.0, Rate(), 0.9);
  l = in;
  r = in;
  Run(*s, v.get(), l, r);
  for (size_t i = 0; i < in.size(); ++i) {
    const float steps = l[i] * 4096.0f;
    ASSERT_EQ(steps, std::round(steps));
    if (in[i] > 1.0f / 4096.0f || in[i] < 0.0f) {
      ASSERT_LE(std::fabs(l[i] - in[i]), 0.5f / 4096.0f + 1e-7f);
    }
  }
}

TEST_F(LoFiTest, BitDepthAndStereoSetTheNumberOfLevels) {
  struct CASE {
    float bit, stereo;
    double levels, levelsRight;  // L = (1 - bt)^6 4094 + 2; right x (1 + 0.19 st^3)
  };
  for (CASE c : {CASE{0.5f, 0.0f, 65.97, 65.97}, CASE{0.5f, 1.0f, 65.97, 78.5}, CASE{0.8f, 0.0f, 2.26, 2.26}}) {
    SCOPED_TRACE(c.bit);
    Knobs(0.0f, 0.0f, c.bit, 0.0f, c.stereo);
    auto v = NewVoice();
    auto s = LoFi(v.get());
    std::vector<float> l(4 * N()), r;
    for (size_t i = 0; i < l.size(); ++i) l[i] = -1.0f + 2.0f * i / l.size();
    r = l;
    Run(*s, v.get(), l, r);
    // A ramp over -1..1 meets about 2 L + 1 grid points.
    const std::set<float> left(l.begin(), l.end()), right(r.begin(), r.end());
    EXPECT_NEAR(double(left.size()), 2.0 * std::floor(c.levels) + 1.0, 2.0);
    EXPECT_NEAR(double(right.size()), 2.0 * std::floor(c.levelsRight) + 1.0, 2.0);
  }
}

TEST_F(LoFiTest, HoldRateFollowsRateKeyTrackingAndStereo) {
  struct CASE {
    int note;
    float transpose, rate, key, stereo;
    double hz;
  };
  const double a4 = 8.177735 * std::exp2(103499.0 / 18000.0);  // table entry of pitch 69
  const CASE cases[] = {
      {60, 0.0f, 1.0f, 0.0f, 0.0f, 75.0},
      {60, 0.0f, 0.5f, 0.0f, 0.0f, 13000.0 * 0.25 + 75.0},
      {69, 0.0f, 1.0f, 1.0f, 0.0f, 12.0 * a4 + 75.0},
      {69, 0.0f, 1.0f, 0.5f, 1.0f, 3.0 * a4 + 75.0},
      {0, -24.0f, 1.0f, 1.0f, 0.0f, 12.0 * 8.177735 + 75.0},  // key pitch limited to 0
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << c.note << " " << c.rate << " " << c.key << " " << c.stereo);
    Set(PARAM_TRANSPOSE, c.transpose);
    Knobs(c.rate, c.key, 0.0f, 0.0f, c.stereo);
    auto v = NewVoice(c.note);
    auto s = LoFi(v.get());
    const auto rates = HoldRates(*s, v.get(), c.hz < 200.0 ? 150 : 40);
    EXPECT_NEAR(rates.first, c.hz, 0.01 * c.hz);
    EXPECT_NEAR(rates.second, c.hz * (1.0 + 0.25 * c.stereo), 0.01 * c.hz);
  }
}

TEST_F(LoFiTest, EachNewHeldValueIsReachedAlongASmoothStep) {
  Knobs(1.0f, 0.0f, 0.0f, 0.0f, 0.0f);  // 75 Hz: the step lasts 1 / (8 inc) = 294 samples at 4x
  auto v = NewVoice();
  auto s = LoFi(v.get());
  std::vector<float> l(40 * N(), 1.0f), r = l;
  Run(*s, v.get(), l, r);
  // From the old value 0 at the hold instant to exactly the new one, with
  // the band-limited step's small overshoot on the way.
  size_t start = 0, end = 0;
  for (size_t i = 1; i < l.size(); ++i) {
    if (!start && l[i] != 0.0f) start = i;
    if (start && !end && l[i] == 1.0f) end = i;
    ASSERT_GE(l[i], -0.1f);
    ASSERT_LE(l[i], 1.1f);
  }
  ASSERT_GT(start, 0u);
  // The step's tail rounds to 1 a little before its 294 samples are over.
  EXPECT_LE(end - start, 295u);
  EXPECT_GE(end - start, 250u);
  for (size_t i = end; i < l.size(); ++i) ASSERT_EQ(l[i], 1.0f);
}

TEST_F(LoFiTest, DitherIsASquareAtTwiceTheNoteThatTurnsIntoAlternation) {
  struct CASE {
    float noise;
    double changes;  // sign changes per second
  };
  const double a4 = 8.177735 * std::exp2(103499.0 / 18000.0);
  for (CASE c : {CASE{0.01f, 4.0 * a4}, CASE{1.0f, 0.5 * 176400.0}}) {
    SCOPED_TRACE(c.noise);
    Knobs(0.0f, 0.0f, 0.5f, c.noise, 0.0f);
    auto v = NewVoice(69);
    auto s = LoFi(v.get());
    std::vector<float> l(100 * N(), 0.0f), r = l;
    Run(*s, v.get(), l, r);
    EXPECT_NEAR(SignChangesPerSecond(l, Rate()), c.changes, 0.05 * c.changes);
    EXPECT_LE(*std::max_element(l.begin(), l.end()), 0.5f / 65.9f * c.noise + 1e-6f);
    EXPECT_EQ(l, r);
  }
  // With stereo, the right channel starts flipping earlier in each cycle.
  Knobs(0.0f, 0.0f, 0.5f, 0.3f, 1.0f);
  auto v = NewVoice(69);
  auto s = LoFi(v.get());
  std::vector<float> l(100 * N(), 0.0f), r = l;
  Run(*s, v.get(), l, r);
  EXPECT_GT(SignChangesPerSecond(r, Rate()), 1.2 * SignChangesPerSecond(l, Rate()));
}

TEST_F(LoFiTest, ResetClearsOnlyTheLoFiState) {
  Knobs(0.3f, 0.0f, 0.4f, 0.5f, 0.5f);
  auto v = NewVoice();
  auto s = LoFi(v.get());
  std::vector<float> l = Sine(4 * N(), 900.0, Rate(), 0.5), r = l;
  Run(*s, v.get(), l, r);
  BUS_STATE* st = v->GetBusState(BUS);
  EXPECT_NE(st->lofiLeftHeld, 0.0f);
  st->shaperRight[3] = 2.0f;
  s->Reset(v.get());
  const float* lofi = &st->lofiLeftHoldPhase;
  for (int k = 0; k < 11; ++k) EXPECT_EQ(lofi[k], 0.0f) << k;
  EXPECT_EQ(st->shaperRight[3], 2.0f);
}

TEST_F(LoFiTest, MonoBusFollowsTheNewestNoteWithoutClearingItsState) {
  Set(PARAM_BUS_MODE, 0.0f);
  Set(PARAM_BUS_ON + BUS, 1.0f);
  Set(PARAM_BUS_ORDER + BUS, 0.0f);
  Knobs(1.0f, 1.0f, 0.0f, 0.0f, 0.0f);
  CVoice mono(&f.synth, HOST_RATE);
  CBusProcessor bus(&f.synth);
  bus.SetInstance(BUS);
  bus.SetMonoVoice(&mono);
  bus.SetSampleRate(Rate());
  CStereoBuffer buffers[2];
  buffers[0].SetSamplesCount(N());
  buffers[1].SetSamplesCount(N());
  auto run = [&](size_t blocks, float& base) {
    std::vector<float> out;
    for (size_t b = 0; b < blocks; ++b) {
      for (unsigned int i = 0; i < N(); ++i) buffers[0].GetLeftBuffer()[i] = buffers[0].GetRightBuffer()[i] = base++;
      bus.UpdateParams(HOST_N);
      bus.Process(nullptr, buffers, N());
      out.insert(out.end(), buffers[0].GetLeftBuffer(), buffers[0].GetLeftBuffer() + N());
    }
    return out;
  };
  auto first = NewVoice(57), second = NewVoice(69);
  bus.Reset(first.get());
  bus.StartVoice(first.get());
  float ramp = 0.0f;
  const double a3 = 8.177735 * std::exp2(85499.0 / 18000.0);
  EXPECT_NEAR(Spacing(run(40, ramp)), 12.0 * a3 + 75.0, 0.01 * (12.0 * a3 + 75.0));
  const float held = mono.GetBusState(BUS)->lofiLeftHeld;
  bus.StartVoice(second.get());
  EXPECT_EQ(mono.GetBusState(BUS)->lofiLeftHeld, held);
  const double a4 = 8.177735 * std::exp2(103499.0 / 18000.0);
  EXPECT_NEAR(Spacing(run(40, ramp)), 12.0 * a4 + 75.0, 0.01 * (12.0 * a4 + 75.0));
}

TEST_F(LoFiTest, ExtremeSettingsNotesAndInputsStayFinite) {
  const float values[] = {NAN, INFINITY, -1e30f, 1e30f};
  const int notes[] = {-100000, 0, 127, 100000};
  for (float m : values)
    for (int note : notes) {
      SCOPED_TRACE(testing::Message() << m << " " << note);
      mod.Clear();
      for (unsigned int id : {PARAM_BUS_LF_RATE, PARAM_BUS_LF_KEYSCALE, PARAM_BUS_LF_BIT, PARAM_BUS_LF_NOISE,
                              PARAM_BUS_LF_STEREO})
        mod.AddSource(id + BUS, m, 1.0f);
      f.params.GetPreset()->data[PARAM_TRANSPOSE] = m;
      auto v = NewVoice(note);
      auto s = LoFi(v.get());
      std::vector<float> l = Sine(2 * N(), 1000.0, Rate(), 1e6), r = l;
      Run(*s, v.get(), l, r);
      ASSERT_TRUE(AllFinite(l));
      ASSERT_TRUE(AllFinite(r));
    }
}

}  // namespace

TEST_F(LoFiTest, SmoothStepKeepsItsShapeInProportionToTheHoldPeriod) {
  // A held value of 1 after 0: the step along the band-limited table lasts
  // one eighth of the hold period, and it passes 3/4 and 0.95 of the way at
  // fixed fractions of that length (the table's shape, as measured here),
  // whatever the hold rate.
  struct CASE {
    float rate;
    double hz;
  } cases[] = {{1.0f, 75.0}, {0.95f, 13000.0 * 0.0025 + 75.0}};
  for (const CASE& c : cases) {
    Knobs(c.rate, 0.0f, 0.0f, 0.0f, 0.0f);
    auto v = NewVoice();
    auto s = LoFi(v.get());
    std::vector<float> l(40 * N(), 1.0f), r = l;
    Run(*s, v.get(), l, r);
    size_t start = 0;
    while (start < l.size() && l[start] == 0.0f) ++start;
    ASSERT_LT(start, l.size());
    const double length = Rate() / (8.0 * c.hz);  // samples
    auto reach = [&](float level) {
      size_t i = start;
      while (i < l.size() && l[i] < level) ++i;
      return static_cast<double>(i - start) / length;
    };
    // Within a sample and a half.
    const double tolerance = 1.5 / length;
    EXPECT_NEAR(reach(0.75f), 0.167, tolerance) << c.hz;
    EXPECT_NEAR(reach(0.95f), 0.2415, tolerance) << c.hz;
  }
}

TEST_F(LoFiTest, GridStepSpacingFollowsBitDepthAndStereo) {
  // The spacing of the output levels of a slow ramp: 1 / L, with L = 65.97
  // levels at bit 0.5, and the right channel's spacing narrowed by stereo
  // (78.5 levels at full stereo).
  struct CASE {
    float stereo;
    double levels, levelsRight;
  } cases[] = {{0.0f, 65.97, 65.97}, {1.0f, 65.97, 78.5}};
  for (const CASE& c : cases) {
    Knobs(0.0f, 0.0f, 0.5f, 0.0f, c.stereo);
    auto v = NewVoice();
    auto s = LoFi(v.get());
    std::vector<float> l(8 * N()), r;
    for (size_t i = 0; i < l.size(); ++i) l[i] = 0.05f + 0.9f * static_cast<float>(i) / static_cast<float>(l.size());
    r = l;
    Run(*s, v.get(), l, r);
    auto spacing = [](const std::vector<float>& y) {
      const std::set<float> levels(y.begin(), y.end());
      const std::vector<float> sorted(levels.begin(), levels.end());
      std::vector<double> steps;
      for (size_t k = 1; k < sorted.size(); ++k) steps.push_back(double(sorted[k]) - double(sorted[k - 1]));
      std::sort(steps.begin(), steps.end());
      return steps.empty() ? 0.0 : steps[steps.size() / 2];
    };
    EXPECT_NEAR(1.0 / spacing(l), c.levels, 0.1) << c.stereo;
    EXPECT_NEAR(1.0 / spacing(r), c.levelsRight, 0.1) << c.stereo;
  }
}
