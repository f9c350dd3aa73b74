// The drives: transfer curves and levels of the seven types, the bypass of
// a zero and unmodulated amount, the bus drive's gain staging, and
// robustness.
#include <gtest/gtest.h>

#include <limits>

#include "FilterFixture.h"
#include "dsp/BusDrive.h"
#include "dsp/OscDrive.h"

namespace {

// Shapes the samples xs once through a drive set up for oscillator 0 or
// bus 0.
std::vector<float> ShapeOsc(CFilterFixture& f, std::vector<float> xs) {
  COscDrive d(&f.synth);
  d.SetInstance(0);
  d.UpdateParams(CFilterFixture::HOST_BLOCK);
  d.Process(nullptr, xs.data(), static_cast<unsigned int>(xs.size()));
  return xs;
}

void ShapeBus(CFilterFixture& f, std::vector<float>& l, std::vector<float>& r) {
  CBusDrive d(&f.synth);
  d.SetInstance(0);
  d.UpdateParams(CFilterFixture::HOST_BLOCK);
  d.Process(nullptr, l.data(), r.data(), static_cast<unsigned int>(l.size()));
}

std::vector<float> ShapeBusLeft(CFilterFixture& f, std::vector<float> xs) {
  std::vector<float> r = xs;
  ShapeBus(f, xs, r);
  return xs;
}

// Sets the oscillator and bus drives alike.
void SetDrive(CFilterFixture& f, float type, float amount) {
  f.Set(PARAM_OSC_DRIVE_TYPE, type);
  f.Set(PARAM_BUS_DRIVE_TYPE, type);
  f.Set(PARAM_OSC_DRIVE, amount);
  f.Set(PARAM_BUS_DRIVE, amount);
}

// Engages both drives at amount 0: a source assigned at zero depth.
void EngageAtZero(CFilterFixture& f) {
  f.mod.AddSource(PARAM_OSC_DRIVE, 1.0f, 0.5f);
  f.mod.AddSource(PARAM_BUS_DRIVE, 1.0f, 0.5f);
}

std::vector<float> Ramp(float from, float to, unsigned int n) {
  std::vector<float> x(n);
  for (unsigned int i = 0; i < n; ++i) x[i] = from + (to - from) * static_cast<float>(i) / static_cast<float>(n - 1);
  return x;
}

}  // namespace

TEST(Drive, ZeroUnmodulatedAmountLeavesEveryTypeBitExact) {
  CFilterFixture f;
  const std::vector<float> in = Ramp(-3.0f, 3.0f, 256);
  for (int type = 0; type <= 7; ++type) {
    SetDrive(f, static_cast<float>(type), 0.0f);
    EXPECT_EQ(ShapeOsc(f, in), in) << type;
    std::vector<float> l = in, r = in;
    ShapeBus(f, l, r);
    EXPECT_EQ(l, in) << type;
    EXPECT_EQ(r, in) << type;
    COscDriveStereo st(&f.synth);
    st.SetInstance(0);
    st.UpdateParams(CFilterFixture::HOST_BLOCK);
    st.Process(nullptr, l.data(), r.data(), 256);
    EXPECT_EQ(l, in) << type;
  }
}

TEST(Drive, ZeroDepthSourceRunsTheStageAtAmountZero) {
  // "hyperbol" at A = 0: about 0.505 x + 0.025 for small x.
  CFilterFixture f;
  SetDrive(f, 0.0f, 0.0f);
  EngageAtZero(f);
  const std::vector<float> x = {-0.01f, 0.0f, 0.01f};
  const std::vector<float> y = ShapeOsc(f, x);
  for (size_t i = 0; i < x.size(); ++i) EXPECT_NEAR(y[i], 0.505f * x[i] + 0.02525f, 2e-4f) << x[i];
  COscDriveStereo st(&f.synth);
  st.SetInstance(0);
  st.UpdateParams(CFilterFixture::HOST_BLOCK);
  std::vector<float> l = x, r = x;
  st.Process(nullptr, l.data(), r.data(), 3);
  EXPECT_EQ(l, y);
  EXPECT_EQ(r, y);
}

TEST(Drive, HardClipHasUnitySmallSignalGainAndClipsAtItsNormaliser) {
  CFilterFixture f;
  SetDrive(f, 2.0f, 0.0f);
  EngageAtZero(f);
  const float N = (0.01f + 1.0f) / 0.01f;
  const std::vector<float> x = {-1e-4f, 1e-4f, 1e9f, -1e9f};
  const std::vector<float> osc = ShapeOsc(f, x);
  const std::vector<float> bus = ShapeBusLeft(f, x);
  EXPECT_NEAR((osc[1] - osc[0]) / 2e-4f, 1.01f, 1e-3f);
  EXPECT_NEAR((bus[1] - bus[0]) / 2e-4f, 1.01f, 1e-3f);  // 2x in, half out: the same slope
  EXPECT_NEAR(osc[2], N, 1e-2f);
  EXPECT_NEAR(osc[3], -N, 1e-2f);
  EXPECT_NEAR(bus[2], N / 2.0f, 1e-2f);  // the bus bound is halved
  for (float v : osc) EXPECT_LE(std::fabs(v), N);
}

TEST(Drive, CurvesMatchTheirShapes) {
  struct Case {
    int type;
    float amount;
    float x;
    float y;
    float tolerance;
  } cases[] = {
      // "sine" at A = 1: sin(2 pi x)
      {6, 1.0f, 0.25f, 1.0f, 1e-4f},
      {6, 1.0f, 0.125f, 0.70711f, 1e-3f},
      {6, 1.0f, -0.25f, -1.0f, 1e-4f},
      {6, 1.0f, 1.25f, 1.0f, 1e-3f},
      // "soft clip" at A = 1 (s = 3.01, no normaliser) folds back: 1 at t = 1
      {1, 1.0f, 1.0f / 3.01f, 1.0f, 1e-4f},
      {1, 1.0f, 10.0f, 2.0f * 30.1f / (30.1f * 30.1f + 1.0f), 1e-4f},
      {1, 1.0f, -1.0f / 3.01f, -1.0f, 1e-4f},
      // "hyperbol" at A = 1 saturates at its normaliser N = (g + 1) / g
      {0, 1.0f, 50.0f, 401.01f / 400.01f, 1e-4f},
      {0, 1.0f, -50.0f, -401.01f / 400.01f, 1e-4f},
      // the asymmetric curves keep 0 at 0 and push both halves down
      {3, 1.0f, 0.0f, 0.0f, 1e-6f},
      {4, 1.0f, 0.0f, 0.0f, 1e-6f},
      {5, 1.0f, 0.0f, 0.0f, 1e-6f},
      {5, 1.0f, 0.5f, -0.5f + 1.0f / (1.0f + 20.01f * 0.5f), 1e-5f},
      {5, 1.0f, -0.5f, -1.5f + 1.0f / (1.0f + 20.01f * 0.5f), 1e-5f},
      {4, 1.0f, 0.5f, -0.5f + 1.0f / (1.0f + 20.01f * 0.125f), 1e-5f},
      // "asym 1" compresses the positive half first: 1 becomes N g / (g + 1) = 1
      {3, 1.0f, 1.0f, 1.0f / (1.0f + 10.2f), 1e-4f},
      {3, 1.0f, -1.0f, -2.0f + 1.0f / (1.0f + 10.2f), 1e-4f},
  };
  CFilterFixture f;
  for (const Case& c : cases) {
    SetDrive(f, static_cast<float>(c.type), c.amount);
    EXPECT_NEAR(ShapeOsc(f, {c.x})[0], c.y, c.tolerance) << "type " << c.type << " x " << c.x;
    // The bus curve sees twice the sample and is halved.
    EXPECT_NEAR(ShapeBusLeft(f, {c.x / 2.0f})[0], c.y / 2.0f, c.tolerance) << "bus type " << c.type << " x " << c.x;
  }
}

TEST(Drive, SmallAmountsKeepTheLevel) {
  // Where a normaliser applies, a small amount leaves small signals at
  // about their level.
  CFilterFixture f;
  EngageAtZero(f);
  for (int type : {1, 2, 6}) {
    SetDrive(f, static_cast<float>(type), 0.0f);
    const std::vector<float> y = ShapeOsc(f, {0.001f});
    EXPECT_NEAR(y[0] / 0.001f, 1.0f, 0.02f) << type;
  }
}

TEST(Drive, HyperbolicBiasShiftsTheMean) {
  CFilterFixture f;
  SetDrive(f, 0.0f, 0.2f);
  const std::vector<float> y = ShapeOsc(f, FilterMeasure::Sine(f.Block(), f.Rate() / 64.0, f.Rate(), 0.5f));
  double mean = 0.0;
  for (float v : y) mean += v;
  EXPECT_GT(mean / y.size(), 0.02);
}

TEST(Drive, UnknownTypesAndEmptyBlocksPassUntouched) {
  CFilterFixture f;
  const std::vector<float> in = Ramp(-2.0f, 2.0f, 64);
  for (float type : {7.0f, 12.0f, -1.5f, std::numeric_limits<float>::quiet_NaN()}) {
    SetDrive(f, 0.0f, 0.7f);
    f.Poke(PARAM_OSC_DRIVE_TYPE, type);
    f.Poke(PARAM_BUS_DRIVE_TYPE, type);
    EXPECT_EQ(ShapeOsc(f, in), in) << type;
    EXPECT_EQ(ShapeBusLeft(f, in), in) << type;
  }
  SetDrive(f, 2.0f, 0.7f);
  std::vector<float> guard = {5.0f};
  COscDrive d(&f.synth);
  d.SetInstance(0);
  d.UpdateParams(CFilterFixture::HOST_BLOCK);
  d.Process(nullptr, guard.data(), 0);
  EXPECT_EQ(guard[0], 5.0f);
}

TEST(Drive, StereoChannelsGetTheSameCurve) {
  CFilterFixture f;
  SetDrive(f, 2.0f, 0.6f);  // an odd curve
  std::vector<float> l = Ramp(-1.0f, 1.0f, 128), r = l;
  for (auto& v : r) v = -v;
  ShapeBus(f, l, r);
  for (size_t i = 0; i < l.size(); ++i) ASSERT_EQ(r[i], -l[i]);
}

TEST(Drive, ExtremeAmountsAndInputsStayFinite) {
  CFilterFixture f;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<float> in = {0.0f, 1e-30f, -1e-30f, 1.0f, -1.0f, 1e3f, -1e3f, 1e20f, -1e20f};
  for (int type = 0; type <= 6; ++type) {
    for (float amount : {0.0f, 1e-6f, 1.0f}) {
      SetDrive(f, static_cast<float>(type), amount);
      for (float src : {nan, 1e30f, -1e30f}) {
        f.mod.ClearSources();
        f.mod.AddSource(PARAM_OSC_DRIVE, src, 1.0f);
        f.mod.AddSource(PARAM_BUS_DRIVE, src, 1.0f);
        for (float v : ShapeOsc(f, in)) ASSERT_TRUE(std::isfinite(v)) << type << " " << amount << " " << src;
        for (float v : ShapeBusLeft(f, in)) ASSERT_TRUE(std::isfinite(v)) << type << " " << amount << " " << src;
      }
    }
  }
  f.mod.ClearSources();
}
