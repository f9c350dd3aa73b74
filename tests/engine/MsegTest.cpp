#include <array>
#include <cmath>

#include "ModulationFixture.h"

namespace {

class MsegTest : public ModulationFixture {
 protected:
  MsegTest() {
    SetPlain(PARAM_MSEG_ON, 1.0f);
    SetModulatable(PARAM_MSEG_RATE, 1.0f);
  }
  CMseg* Mseg() { return matrix.GetMseg(0); }

  std::vector<float> Run(CVoice* v, unsigned int n) {
    return Render(n, [&](float* out, unsigned int len) {
      matrix.UpdateParams(len);
      Mseg()->BeforeProcessFirstVoice();
      Mseg()->Generate(v, out, len);
    });
  }

  // Points of MSEG 1: (time, level, curve), the rest of the list ended.
  void SetPoints(std::initializer_list<std::array<float, 3>> points) {
    unsigned int k = 0;
    for (const auto& p : points) {
      SetPlain(PARAM_MSEG_POINT_TIME + k, p[0]);
      SetPlain(PARAM_MSEG_POINT_LEVEL + k, p[1]);
      SetPlain(PARAM_MSEG_POINT_CURVE + k, p[2]);
      ++k;
    }
    for (; k < MSEG_POINT_COUNT; ++k) {
      SetPlain(PARAM_MSEG_POINT_TIME + k, -1.0f);
      SetPlain(PARAM_MSEG_POINT_LEVEL + k, 0.0f);
    }
  }
};

TEST_F(MsegTest, FactoryCurveCyclesWhileHeldAndHoldsAfterRelease) {
  // Factory settings: points (0, 0), (1, 1), (8, 0), loop 0..2 on, "1/16":
  // a 0.125 s rise and a 0.875 s fall at 120 BPM, a 1 s cycle.
  EXPECT_EQ(synth.GetParam(PARAM_MSEG_POINT_TIME + 2), 8.0f);
  EXPECT_EQ(synth.GetParam(PARAM_MSEG_LOOP_END), 2.0f);
  EXPECT_EQ(synth.GetParam(PARAM_MSEG_SYNC), 4.0f);
  auto v = StartVoice();
  const unsigned int cycle = static_cast<unsigned int>(kRate);
  auto held = Run(v.get(), 3 * cycle);
  const unsigned int rise = static_cast<unsigned int>(0.125 * kRate);
  // The position accumulates in single precision, so the cycles drift by a
  // few samples per second.
  const unsigned int slack = 250;
  for (unsigned int c = 0; c < 3; ++c) {
    unsigned int base = c * cycle;
    auto peak = std::max_element(held.begin() + base, held.begin() + base + cycle);
    EXPECT_GT(*peak, 0.999f) << c;
    EXPECT_NEAR(static_cast<double>(peak - held.begin()), base + rise, slack) << c;
    EXPECT_NEAR(held[base + rise / 2], 0.5f, 0.05f) << c;
    EXPECT_LT(held[base + cycle - slack], 0.03f) << c;
  }
  // The loop jumps from the third point straight back to the first.
  size_t jump = 0;
  for (size_t i = 1; i < held.size() && !jump; ++i)
    if (held[i] > held[i - 1] && held[i - 1] < 0.001f && i > rise) jump = i;
  EXPECT_NEAR(static_cast<double>(jump), cycle, slack);
  EXPECT_FALSE(v->GetMsegState(0)->finished);

  v->Release();
  auto released = Run(v.get(), 2 * cycle);
  EXPECT_TRUE(v->GetMsegState(0)->finished);
  EXPECT_EQ(v->GetMsegState(0)->pointIndex, 2);
  for (unsigned int i = cycle; i < 2 * cycle; ++i) ASSERT_EQ(released[i], 0.0f);
}

TEST_F(MsegTest, CurveShapesAndModes) {
  SetPlain(PARAM_MSEG_LOOP, 0.0f);
  SetPlain(PARAM_MSEG_SYNC, 32.0f);  // one time unit = 1 s
  SetPoints({{0, 0, 0}, {1, 1, 0}, {2, 0.25f, 0}});
  auto v = StartVoice();
  auto out = Run(v.get(), static_cast<unsigned int>(2.5 * kRate));
  // Curve 0 from 0 to 1: 0.296875 at a quarter, 0.5 in the middle.
  EXPECT_NEAR(out[static_cast<size_t>(0.25 * kRate)], 0.296875f, 1e-3f);
  EXPECT_NEAR(out[static_cast<size_t>(0.5 * kRate)], 0.5f, 1e-3f);
  EXPECT_EQ(out.back(), 0.25f);

  // Steps hold each level; level snap "3 octaves" scales by 0.375.
  SetPlain(PARAM_MSEG_CURVE_MODE, 1.0f);
  SetPlain(PARAM_MSEG_LEVEL_SNAP, 9.0f);
  v = StartVoice();
  out = Run(v.get(), static_cast<unsigned int>(1.5 * kRate));
  EXPECT_EQ(out[100], 0.0f);
  EXPECT_EQ(out[static_cast<size_t>(1.2 * kRate)], 0.375f);
  SetPlain(PARAM_MSEG_LEVEL_SNAP, 2.0f);  // "1/3" leaves the output unscaled
  out = Run(v.get(), 100);
  EXPECT_EQ(out.back(), 1.0f);

  // Smoothed steps glide through the 50 Hz low-pass.
  SetPlain(PARAM_MSEG_CURVE_MODE, 2.0f);
  SetPlain(PARAM_MSEG_LEVEL_SNAP, 0.0f);
  SetPoints({{0, 1, 0}, {1, 0, 0}});
  v = StartVoice();
  out = Run(v.get(), 2000);
  EXPECT_NEAR(out[0], 1.0f - std::exp(-314.15927f / kRate), 1e-6f);
  EXPECT_GT(out[1999], 0.99f);

  // A single point outputs its level from the first sample.
  SetPoints({{0, 0.6f, 0}});
  v = StartVoice();
  out = Run(v.get(), 10);
  EXPECT_EQ(out[0], 0.6f);
  EXPECT_TRUE(v->GetMsegState(0)->finished);
}

TEST_F(MsegTest, LoopOnOnePointHoldsWhileHeld) {
  SetPlain(PARAM_MSEG_SYNC, 32.0f);
  SetPoints({{0, 0, 0}, {0.01f, 0.7f, 0}, {0.02f, 0.2f, 0}, {0.03f, 0.9f, 0}});
  SetPlain(PARAM_MSEG_LOOP_START, 1.0f);
  SetPlain(PARAM_MSEG_LOOP_END, 1.0f);
  auto v = StartVoice();
  auto out = Run(v.get(), 4410);
  EXPECT_EQ(out.back(), 0.7f);
  EXPECT_GT(v->GetMsegState(0)->position, 0.09f);  // keeps counting
  v->Release();
  out = Run(v.get(), 10);
  // After release it crosses one point per sample, then holds the last.
  EXPECT_EQ(out.back(), 0.9f);
  EXPECT_TRUE(v->GetMsegState(0)->finished);
}

TEST_F(MsegTest, MonoTriggerRestartsAllVoices) {
  SetPlain(PARAM_MSEG_TRIGGER, 1.0f);
  SetPlain(PARAM_MSEG_SYNC, 32.0f);
  SetPlain(PARAM_MSEG_LOOP, 0.0f);
  SetPoints({{0, 0, 0}, {1, 1, 0}});
  auto a = StartVoice();
  Run(a.get(), 22050);
  auto b = StartVoice(70);
  std::vector<float> oa(kBlock), ob(kBlock);
  matrix.UpdateParams(kBlock);
  Mseg()->BeforeProcessFirstVoice();
  Mseg()->Generate(a.get(), oa.data(), kBlock);
  Mseg()->Generate(b.get(), ob.data(), kBlock);
  EXPECT_EQ(oa, ob);
  EXPECT_LT(oa[0], 0.01f);
}

TEST_F(MsegTest, DamagedSettingsStayInBounds) {
  const float bad[] = {-1.0f, 3.0f, 34.0f, 64.0f, 1e9f, -1e9f, NAN, INFINITY};
  for (float b : bad) {
    SetPlain(PARAM_MSEG_SYNC, b);
    SetPlain(PARAM_MSEG_CURVE_MODE, b);
    SetPlain(PARAM_MSEG_LOOP_START, b);
    SetPlain(PARAM_MSEG_LOOP_END, b);
    SetPlain(PARAM_MSEG_TRIGGER, b);
    SetPlain(PARAM_MSEG_LEVEL_SNAP, b);
    SetPlain(PARAM_MSEG_POINT_TIME + 1, b);
    SetPlain(PARAM_MSEG_POINT_LEVEL + 2, b);
    auto v = StartVoice();
    auto out = Run(v.get(), 3000);
    v->Release();
    auto rel = Run(v.get(), 3000);
    EXPECT_TRUE(AllFinite(out) && AllFinite(rel)) << b;
    EXPECT_GE(v->GetMsegState(0)->pointIndex, 0);
    EXPECT_LT(v->GetMsegState(0)->pointIndex, 64);
  }
  // The whole list filled: the MSEG never reads past point 63.
  SetPlain(PARAM_MSEG_SYNC, 31.0f);
  SetPlain(PARAM_MSEG_CURVE_MODE, 0.0f);
  SetPlain(PARAM_MSEG_TRIGGER, 0.0f);
  SetPlain(PARAM_MSEG_LOOP, 0.0f);
  for (unsigned int k = 0; k < MSEG_POINT_COUNT; ++k) {
    SetPlain(PARAM_MSEG_POINT_TIME + k, 0.01f * k);
    SetPlain(PARAM_MSEG_POINT_LEVEL + k, (k % 2) ? 1.0f : 0.0f);
  }
  auto v = StartVoice();
  auto out = Run(v.get(), 5000);
  EXPECT_TRUE(v->GetMsegState(0)->finished);
  EXPECT_EQ(out.back(), 1.0f);
}

}  // namespace
