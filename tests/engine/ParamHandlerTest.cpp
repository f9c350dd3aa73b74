#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <thread>

#include "EngineFixture.h"
#include "engine/ParamHandler.h"
#include "tables/PresetFactory.h"

namespace {

// Runs one block's worth of the store's block-start protocol and fills the
// buffer of id for n samples.
void Block(CParamHandler& p, unsigned int id, unsigned int n) {
  p.Update();
  unsigned int arg;
  p.GetStatus(arg);
  p.ClearStatus();
  p.UpdateParam(id, n);
}

struct StoreFixture : ::testing::Test {
  EngineFixture f;
  void SetUp() override {
    f.params.SetSampleRate(44100.0f);
    f.params.SetBlockSize(2048);
  }
};

}  // namespace

TEST(ParamHandler, NewStoreEqualsFactoryImage) {
  EngineFixture f;
  unsigned int arg = 0;
  EXPECT_EQ(f.params.GetStatus(arg), 0x67F7u | STATUS_WT_QUALITY);
  SYNTH_PRESET* live = f.params.GetPreset();
  EXPECT_EQ(0, std::memcmp(live, &PRESET_FACTORY_RESET, PRESET_BYTES));
  std::unique_ptr<SYNTH_PRESET> saved(new SYNTH_PRESET);
  EXPECT_EQ(f.params.SavePreset(saved.get(), 0, 0), PRESET_BYTES);
  EXPECT_EQ(0, std::memcmp(saved.get(), &PRESET_FACTORY_RESET, PRESET_BYTES));
  // Wavetable blocks hold one sine cycle and are named "Default Wave".
  for (unsigned int k = 0; k < 4; ++k) {
    const float* wt = &(*live)[PARAM_WAVETABLE + WAVETABLE_LENGTH * k];
    EXPECT_NEAR(wt[4096], 1.0f, 1e-6);
    EXPECT_NEAR(wt[12288], -1.0f, 1e-6);
    char name[17] = {0};
    std::memcpy(name, &(*live)[PARAM_WAVETABLE_NAME + 4 * k], 16);
    EXPECT_STREQ(name, "Default Wave");
  }
}

TEST_F(StoreFixture, RampLengthFollowsSampleRate) {
  EngineFixture fresh;
  EXPECT_EQ(fresh.params.GetRampLength(), 20u);
  EXPECT_EQ(f.params.GetRampLength(), 1323u);
  f.params.SetSampleRate(48000.0f);
  EXPECT_EQ(f.params.GetRampLength(), 1440u);
}

TEST_F(StoreFixture, RampRunsLinearlyAndRestartsFromCurrentValue) {
  const unsigned int id = 100;
  f.params.SetParam(id, 0.0f);
  Block(f.params, id, 1323);  // settle at 0
  f.params.SetParam(id, 1.0f);
  Block(f.params, id, 1000);
  float* b = f.params.GetParamBuffer(id);
  EXPECT_NEAR(b[0], 1.0f / 1323, 1e-5);
  EXPECT_NEAR(b[999], 1000.0f / 1323, 1e-4);
  float here = b[999];
  // A new target during the ramp restarts from the smoothed value.
  f.params.SetParam(id, 0.0f);
  Block(f.params, id, 1323);
  EXPECT_NEAR(b[0], here - here / 1323, 1e-4);
  EXPECT_NEAR(b[1322], 0.0f, 1e-5);
  EXPECT_EQ(f.params.GetParam(id), 0.0f);
}

TEST_F(StoreFixture, OutOfRangeValueIsClampedInTheBufferOnly) {
  f.params.SetParam(5, 3.0f);
  EXPECT_EQ(f.params.GetParam(5), 3.0f);
  Block(f.params, 5, 1400);
  EXPECT_EQ(f.params.GetParamBuffer(5)[1399], 1.0f);
}

TEST_F(StoreFixture, IdsAbove67157AreIgnored) {
  std::unique_ptr<SYNTH_PRESET> before(new SYNTH_PRESET), after(new SYNTH_PRESET);
  f.params.SavePreset(before.get(), 0, 0);
  unsigned int arg;
  f.params.ClearStatus();
  f.params.SetParam(67158, 1.0f);
  f.params.SetParam(0xFFFFFFFFu, 1.0f);
  f.params.SavePreset(after.get(), 0, 0);
  EXPECT_EQ(0, std::memcmp(before.get(), after.get(), PRESET_BYTES));
  EXPECT_EQ(f.params.GetStatus(arg), 0u);
}

TEST_F(StoreFixture, PlainSettingsWaitForTheNextBlock) {
  struct Case { unsigned int id; bool liveAtOnce; } cases[] = {
      {500, false}, {486, true}, {487, true}, {1577, true}, {1578, true}, {1579, false}, {1580, false}};
  for (auto& c : cases) {
    float v = f.params.GetParam(c.id) + 0.25f;
    f.params.SetParam(c.id, v);
    EXPECT_EQ(f.params.GetParamDeffered(c.id), v) << c.id;
    EXPECT_EQ(f.params.GetParam(c.id) == v, c.liveAtOnce) << c.id;
    f.params.Update();
    EXPECT_EQ(f.params.GetParam(c.id), v) << c.id;
    f.params.ClearStatus();
  }
}

TEST_F(StoreFixture, StatusBitsOfSettings) {
  struct Case { unsigned int id; float value; unsigned int bits; } cases[] = {
      {731, 0.0f, 0x1},     {731, 1.0f, 0x1 | 0x8}, {730, 0.0f, 0x1},  {730, 1.0f, 0x1 | 0x10},
      {729, 3.0f, 0x1 | 0x4}, {1581, 1.0f, 0x1 | 0x20}, {488, 2.0f, 0x1 | 0x40}, {1578, 0.5f, 0x1 | 0x80},
      {424, 1.0f, 0x1 | 0x100}, {483, 1.0f, 0x1 | 0x100}, {460, 1.0f, 0x1 | 0x200}, {1582, 2.0f, 0x1 | 0x400},
      {500, 1.0f, 0x1},     {100, 0.3f, 0x0},
  };
  for (auto& c : cases) {
    f.params.ClearStatus();
    f.params.SetParam(c.id, c.value);
    unsigned int arg;
    EXPECT_EQ(f.params.GetStatus(arg), c.bits) << c.id << " = " << c.value;
  }
}

TEST_F(StoreFixture, TwoArgumentEventsInOneBlockKeepTheirOwnArguments) {
  f.params.ClearStatus();
  f.params.SetParam(733, 1.0f);  // cell 2 on
  f.params.SetWaveTableQuality(1);
  f.params.SetParam(740, 1.0f);  // cell 9 on
  unsigned int arg;
  unsigned int st = f.params.GetStatus(arg);
  EXPECT_TRUE(st & STATUS_FX_CELL);
  EXPECT_TRUE(st & STATUS_WT_QUALITY);
  EXPECT_EQ(f.params.GetFxCellResetMask(), (1u << 2) | (1u << 9));
  EXPECT_EQ(f.params.GetWaveTableQualityArgument(), 1u);
}

TEST_F(StoreFixture, PanicTwiceRaisesResetOnce) {
  f.params.ClearStatus();
  f.params.Panic();
  f.params.Panic();
  f.params.Update();
  unsigned int arg;
  EXPECT_EQ(f.params.GetStatus(arg), STATUS_RESET);
  f.params.ClearStatus();
  f.params.Update();
  EXPECT_EQ(f.params.GetStatus(arg), 0u);
}

TEST_F(StoreFixture, WholePresetLoadGlidesAndRaisesAllBits) {
  const unsigned int id = 131;  // master pan, factory 0.5
  Block(f.params, id, 64);
  std::unique_ptr<SYNTH_PRESET> p(new SYNTH_PRESET);
  f.params.SavePreset(p.get(), 0, 0);
  (*p)[id] = 1.0f;
  (*p)[500] = 7.0f;
  f.params.ClearStatus();
  ASSERT_TRUE(f.params.LoadPreset(p.get(), PRESET_VERSION_V3, 0, 0));
  unsigned int arg;
  EXPECT_EQ(f.params.GetStatus(arg), 0x67F7u);
  EXPECT_EQ(f.params.GetParamDeffered(500), 7.0f);
  Block(f.params, id, 1323);
  float* b = f.params.GetParamBuffer(id);
  EXPECT_NEAR(b[0], 0.5f + 0.5f / 1323, 1e-5);
  EXPECT_NEAR(b[661], 0.75f, 1e-3);
  EXPECT_NEAR(b[1322], 1.0f, 1e-5);
  EXPECT_EQ(f.params.GetParam(500), 7.0f);
}

TEST_F(StoreFixture, ShortWholePresetIsRefusedAndChangesNothing) {
  std::unique_ptr<SYNTH_PRESET> p(new SYNTH_PRESET), before(new SYNTH_PRESET), after(new SYNTH_PRESET);
  f.params.SavePreset(before.get(), 0, 0);
  std::memset(p.get(), 0, PRESET_BYTES);
  EXPECT_FALSE(f.params.LoadPreset(p.get(), PRESET_VERSION_V3, 0, 0, PRESET_BYTES - 4));
  EXPECT_FALSE(f.params.LoadPreset(nullptr, PRESET_VERSION_V3, 0, 0));
  f.params.SavePreset(after.get(), 0, 0);
  EXPECT_EQ(0, std::memcmp(before.get(), after.get(), PRESET_BYTES));
}

TEST_F(StoreFixture, LockIsRecursiveAndSerialisesWriters) {
  // Two threads hammer SetParam while a third runs block starts; the lock
  // keeps the deferred copy consistent (checked under the sanitizers).
  std::thread a([&] { for (int i = 0; i < 2000; ++i) f.params.SetParam(600, float(i)); });
  std::thread b([&] { for (int i = 0; i < 2000; ++i) f.params.SetParam(601, float(i)); });
  for (int i = 0; i < 200; ++i) {
    CAutoLock lock(f.params.GetLock());
    f.params.GetLock().Lock();  // re-entered
    Block(f.params, 10, 32);
    f.params.GetLock().Unlock();
  }
  a.join();
  b.join();
  f.params.Update();
  EXPECT_EQ(f.params.GetParam(600), 1999.0f);
  EXPECT_EQ(f.params.GetParam(601), 1999.0f);
}

TEST_F(StoreFixture, NonFiniteValuesNeverReachParameterWords) {
  f.params.SetParam(100, 0.25f);
  f.params.SetParam(100, NAN);
  f.params.SetParam(500, INFINITY);
  EXPECT_EQ(f.params.GetParam(100), 0.25f);
  EXPECT_EQ(f.params.GetParamDeffered(500), PRESET_FACTORY_RESET[500]);
  Block(f.params, 100, 1400);
  EXPECT_TRUE(std::isfinite(f.params.GetParamBuffer(100)[1399]));

  std::unique_ptr<SYNTH_PRESET> p(new SYNTH_PRESET);
  f.params.SavePreset(p.get(), 0, 0);
  (*p)[131] = NAN;
  (*p)[490] = -INFINITY;
  ASSERT_TRUE(f.params.LoadPreset(p.get(), PRESET_VERSION_V3, 0, 0));
  f.params.Update();
  EXPECT_EQ(f.params.GetParam(131), PRESET_FACTORY_RESET[131]);
  EXPECT_EQ(f.params.GetParam(490), PRESET_FACTORY_RESET[490]);
}

TEST_F(StoreFixture, WholePresetLoadShowsHostVisiblePlainIdsAtOnce) {
  std::unique_ptr<SYNTH_PRESET> p(new SYNTH_PRESET);
  f.params.SavePreset(p.get(), 0, 0);
  (*p)[486] = 0.75f;   // unison detune and spread, macros 1 and 2: host parameters
  (*p)[487] = 0.5f;
  (*p)[1577] = 0.25f;
  (*p)[1578] = 0.125f;
  (*p)[1579] = 0.625f;  // macro 3 is not a host parameter: it waits for the block
  ASSERT_TRUE(f.params.LoadPreset(p.get(), PRESET_VERSION_V3, 0, 0));
  // Before any block: what the host reads right after restoring a state.
  EXPECT_EQ(f.params.GetParam(486), 0.75f);
  EXPECT_EQ(f.params.GetParam(487), 0.5f);
  EXPECT_EQ(f.params.GetParam(1577), 0.25f);
  EXPECT_EQ(f.params.GetParam(1578), 0.125f);
  EXPECT_EQ(f.params.GetParam(1579), PRESET_FACTORY_RESET[1579]);
  f.params.Update();
  EXPECT_EQ(f.params.GetParam(1579), 0.625f);
}
