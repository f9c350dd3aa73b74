#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "FxSynthDouble.h"
#include "engine/ParamIds.h"
#include "fx/DelayLine.h"
#include "fx/EffectHelpers.h"
#include "tables/EffectTables.h"

using namespace FxHelpers;

namespace {
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();
}  // namespace

TEST(DryWetTable, EndsCentreAndSteepMiddle) {
  EXPECT_FLOAT_EQ(Tables::DRYWET_TABLE[0], 0.0f);
  EXPECT_FLOAT_EQ(Tables::DRYWET_TABLE[512], 0.5f);
  EXPECT_FLOAT_EQ(Tables::DRYWET_TABLE[1023], 1.0f);
  for (unsigned int i = 1; i < 1024; ++i) EXPECT_GE(Tables::DRYWET_TABLE[i], Tables::DRYWET_TABLE[i - 1]);
  // Slope in the middle is ten times the slope at the ends (atan' ratio 1 + 3^2).
  double mid = Tables::DRYWET_TABLE[513] - Tables::DRYWET_TABLE[511];
  double end = Tables::DRYWET_TABLE[2] - Tables::DRYWET_TABLE[0];
  EXPECT_NEAR(mid / end, 10.0, 0.2);
  // Dry/wet gain: mix 0 is dry only, mix 1 wet only.
  EXPECT_EQ(DryWetGain(0.0f), 0.0f);
  EXPECT_EQ(DryWetGain(1.0f), 1.0f);
}

TEST(TableLookup, InterpolatesAndNeverLeavesTheTable) {
  const float t[5] = {0.0f, 10.0f, 20.0f, 30.0f, -1.0f};
  EXPECT_FLOAT_EQ(TableLookup(t, 3, 0.5f), 15.0f);
  EXPECT_FLOAT_EQ(TableLookup(t, 3, 1.0f), 30.0f);
  for (float x : {-5.0f, kNaN, -kInf}) EXPECT_EQ(TableLookup(t, 3, x), 0.0f) << x;
  for (float x : {1.5f, kInf, 1e30f}) EXPECT_EQ(TableLookup(t, 3, x), 30.0f) << x;
}

TEST(TableSine, FollowsSinAndTheFilterAngleRule) {
  for (float p : {0.0f, 0.1f, 0.25f, 0.6f, 0.9f, -0.3f, 1.7f, -2.2f, 12.05f}) {
    EXPECT_NEAR(Sine(p), std::sin(2.0 * M_PI * p), 2e-4) << p;
    EXPECT_NEAR(Cosine(p), std::cos(2.0 * M_PI * p), 2e-4) << p;
  }
  EXPECT_EQ(Sine(kNaN), 0.0f);
  EXPECT_EQ(Sine(kInf), 0.0f);
}

TEST(WrapPhase, KeepsPhasesInsideOneCycle) {
  struct CASE {
    float in, out;
  } cases[] = {{0.5f, 0.5f}, {1.0f, 1.0f}, {1.25f, 0.25f}, {7.5f, 0.5f}, {-0.25f, 0.75f}, {kNaN, 0.0f}, {kInf, 0.0f}};
  for (auto c : cases) {
    float p = c.in;
    WrapPhase(p);
    EXPECT_FLOAT_EQ(p, c.out) << c.in;
  }
}

TEST(SyncedTime, NoteLengthsFollowTempoAndFreeTimesDoNot) {
  CFxSynthDouble synth;
  const unsigned int id = PARAM_DELAY_SYNC_L;
  struct CASE {
    float setting, tempo, seconds;
  } cases[] = {
      {0, 120, 2.0f},   {2, 120, 0.5f},     {2, 60, 1.0f},     {8, 120, 2.0f / 3.0f},
      {31, 120, 0.05f}, {31, 200, 0.05f},   {33, 90, 10.0f},   {32.9f, 120, 1.0f},
      {99, 120, 10.0f}, {-4, 120, 10.0f},   {kNaN, 120, 10.0f}, {0, 0, 2.0f},
  };
  for (auto c : cases) {
    synth.Set(id, c.setting);
    synth.SetHostTempo(c.tempo);
    EXPECT_NEAR(SyncedSeconds(&synth, id), c.seconds, 1e-5) << c.setting << " @ " << c.tempo;
  }
}

class ParamReadTest : public ::testing::Test {
 protected:
  ParamReadTest() {
    InitHostRateParam(param, &synth, 201);
    source.assign(64, 1.0f);
    depth.assign(64, 0.5f);
  }
  float Read(float stored) {
    synth.Set(201, stored);
    param.Update(64);
    return param.GetValue(3);
  }
  CFxSynthDouble synth;
  MODULATED_PARAM param;
  std::vector<float> source, depth;
};

TEST_F(ParamReadTest, DepthCurveAndClampWithSources) {
  EXPECT_FLOAT_EQ(Read(0.3f), 0.3f);
  EXPECT_FLOAT_EQ(Read(1.7f), 1.7f);  // no source: the record does not clamp
  synth.AddSource(201, source.data(), depth.data());
  EXPECT_FLOAT_EQ(Read(0.3f), 0.3f);  // depth 0.5 is neutral
  depth.assign(64, 1.0f);
  EXPECT_FLOAT_EQ(Read(0.3f), 1.0f);  // full positive, clamped
  depth.assign(64, 0.0f);
  EXPECT_FLOAT_EQ(Read(0.3f), 0.0f);  // full negative, clamped
  depth.assign(64, 0.75f);
  source.assign(64, 0.8f);
  EXPECT_NEAR(Read(0.3f), 0.3f + 0.8f * 0.25f, 1e-6);  // squared response: |0.5| * 0.5
  depth.assign(64, 0.5f);
  EXPECT_FLOAT_EQ(Read(1.7f), 1.0f);  // any source: clamped
}

TEST_F(ParamReadTest, EffectsReadEveryValueInsideZeroToOne) {
  EXPECT_FLOAT_EQ(Read(1.7f), 1.7f);
  EXPECT_FLOAT_EQ(ReadParam(param, 0), 1.0f);
  synth.Set(201, -3.0f);
  param.Update(64);
  EXPECT_FLOAT_EQ(ReadParam(param, 0), 0.0f);
  synth.Curve(201)[5] = kNaN;
  EXPECT_FLOAT_EQ(ReadParam(param, 5), 0.0f);
}

TEST(ZeroAndUnmodulated, NeedsStoredZeroAndNoSourceOrController) {
  CFxSynthDouble synth;
  std::vector<float> src(8, 0.0f), dep(8, 0.5f);
  EXPECT_TRUE(IsZeroAndUnmodulated(&synth, 203));
  synth.Set(203, 1e-9f);
  EXPECT_FALSE(IsZeroAndUnmodulated(&synth, 203));
  synth.Set(203, 0.0f);
  synth.m_mod.m_controllers[203].count = 1;
  EXPECT_FALSE(IsZeroAndUnmodulated(&synth, 203));
  synth.m_mod.m_controllers[203].count = 0;
  synth.AddSource(203, src.data(), dep.data());
  EXPECT_FALSE(IsZeroAndUnmodulated(&synth, 203));
}

TEST(DelayLine, HermiteReadDelaysByWholeAndFractionalSamples) {
  CDelayLine line;
  line.SetLength(64);
  line.Begin();
  // Writes a ramp x[k] = k and reads it back: a straight line is reproduced
  // exactly by the cubic, so the read at t gives (k - t).
  float got0 = 0, got5 = 0, got7_25 = 0, gotLimit = 0, gotNeg = 0;
  for (int k = 0; k < 200; ++k) {
    float x = static_cast<float>(k);
    if (k == 150) {
      got0 = line.ReadHermite(0.0f, x);
      got5 = line.ReadHermite(5.0f, x);
      got7_25 = line.ReadHermite(7.25f, x);
      gotLimit = line.ReadHermite(1000.0f, x);
      gotNeg = line.ReadHermite(kNaN, x);
    }
    line.Write(x);
  }
  EXPECT_FLOAT_EQ(got0, 150.0f);
  EXPECT_FLOAT_EQ(got5, 145.0f);
  EXPECT_NEAR(got7_25, 142.75f, 1e-3);
  EXPECT_FLOAT_EQ(gotLimit, 150.0f - 63.0f);  // limited to length - 1
  EXPECT_FLOAT_EQ(gotNeg, 150.0f);
}

TEST(DelayLine, ShorterLineBringsTheWritePositionBack) {
  CDelayLine line;
  line.SetLength(100);
  line.Begin();
  for (int k = 0; k < 80; ++k) line.Write(1.0f);
  line.SetLength(10);
  EXPECT_LT(line.WritePosition(), 10u);
  line.Begin();
  EXPECT_EQ(line.ReadHermite(3.0f, 0.0f), 0.0f);  // resized lines are cleared
  CDelayLine empty;
  empty.Begin();
  EXPECT_EQ(empty.ReadHermite(3.0f, 0.5f), 0.5f);
  empty.Write(1.0f);  // no line yet: nothing happens
}
