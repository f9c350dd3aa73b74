#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/Buffers.h"
#include "engine/GlobalSynth.h"
#include "engine/MemoryPool.h"
#include "EngineFixture.h"

TEST(GlobalSynth, DefaultsAfterConstruction) {
  TestDataDir dir;
  CGlobalSynth s;
  EXPECT_EQ(s.GetSampleRate(), 44100.0f);
  EXPECT_EQ(s.GetHostTempo(), 120.0f);
  EXPECT_EQ(s.GetOversampling(), 4u);
  EXPECT_EQ(s.GetOversamplingShift(), 2u);
  EXPECT_EQ(s.GetWaveTableQuality(), 2u);
  EXPECT_TRUE(s.GetRecordOnMidiInputFlag());
  for (unsigned int k = 0; k < 8; ++k) {
    EXPECT_EQ(s.GetUnisonPitchShift(k), 0.0f);
    EXPECT_EQ(s.GetUnisonPanShift(k), 0.0f);
  }
  for (unsigned int o = 0; o < 4; ++o) {
    EXPECT_EQ(s.GetPitchModulation(o), nullptr);
    EXPECT_EQ(s.GetBuzzParam(o), nullptr);
    EXPECT_EQ(s.GetFeedbackParam(o), nullptr);
  }
  EXPECT_EQ(s.GetIModulation(), nullptr);
  EXPECT_EQ(s.GetParamPointer(0), nullptr);  // no store registered yet
}

TEST(GlobalSynth, TempoAndOversamplingRules) {
  TestDataDir dir;
  CGlobalSynth s;
  struct { float in, out; } tempos[] = {{0.0f, 120.0f}, {-5.0f, 120.0f}, {90.0f, 90.0f}, {NAN, 120.0f}};
  for (auto& t : tempos) {
    s.SetHostTempo(t.in);
    EXPECT_EQ(s.GetHostTempo(), t.out) << t.in;
  }
  struct { unsigned int f, shift; } os[] = {{2, 1}, {4, 2}, {8, 3}};
  for (auto& o : os) {
    s.SetOversampling(o.f);
    EXPECT_EQ(s.GetOversamplingShift(), o.shift);
  }
}

TEST(GlobalSynth, BandLimitedTablesAt176400) {
  TestDataDir dir;
  CGlobalSynth s;
  float* saw = s.GetBlSawTable();
  float* imp = s.GetBlImpTable();
  float* step = s.GetBlStepTable();
  s.SetSampleRate(44100.0f);  // x4 oversampling = 176,400 Hz

  // Impulse table: rises monotonically to exactly 1.
  EXPECT_NEAR(imp[0], 3e-8, 1e-7);
  EXPECT_EQ(imp[108000], 1.0f);
  for (int i = 1; i <= 108000; ++i) ASSERT_GE(imp[i], imp[i - 1]) << i;

  // Saw: zero at the centre and the end, just below +1 before, just above -1 after.
  EXPECT_EQ(saw[54000], 0.0f);
  EXPECT_NEAR(saw[53999], 1.0f, 1e-3);
  EXPECT_LT(saw[53999], 1.0f + 1e-6f);
  EXPECT_NEAR(saw[54001], -1.0f, 1e-3);
  EXPECT_GT(saw[54001], -1.0f);
  EXPECT_NEAR(saw[108000], 0.0f, 1e-6);

  // Step: -1 .. 0 .. +1 with the window's overshoot near the centre.
  EXPECT_NEAR(step[0], -1.0f, 1e-6);
  EXPECT_EQ(step[75000], 0.0f);
  EXPECT_NEAR(step[150000], 1.0f, 1e-6);
  float mx = -2, mn = 2;
  for (int i = 0; i <= 150000; ++i) {
    mx = std::max(mx, step[i]);
    mn = std::min(mn, step[i]);
  }
  EXPECT_NEAR(mx, 1.07f, 0.03f);
  EXPECT_NEAR(mn, -1.07f, 0.03f);
}

TEST(GlobalSynth, TablesRebuiltInPlaceAndRepeatable) {
  TestDataDir dir;
  CGlobalSynth s;
  float* saw = s.GetBlSawTable();
  s.SetSampleRate(48000.0f);
  std::vector<float> first(saw, saw + 108001);
  s.SetSampleRate(96000.0f);
  EXPECT_NE(first[60000], saw[60000]);
  s.SetSampleRate(48000.0f);
  EXPECT_EQ(saw, s.GetBlSawTable());
  EXPECT_EQ(0, std::memcmp(first.data(), saw, first.size() * sizeof(float)));
  // A rate of 0 leaves the tables alone.
  s.SetSampleRate(0.0f);
  EXPECT_EQ(0, std::memcmp(first.data(), saw, first.size() * sizeof(float)));
}

TEST(GlobalSynth, TablesFollowTheOversampledRateAndASameRateKeepsThem) {
  TestDataDir dir;
  CGlobalSynth at2, at4;
  at2.SetOversampling(2);
  at2.SetSampleRate(44100.0f);  // 88,200 Hz
  at4.SetSampleRate(44100.0f);  // 176,400 Hz
  const std::vector<float> saw4(at4.GetBlSawTable(), at4.GetBlSawTable() + BL_SAW_TABLE_SIZE);
  // The same host rate at another factor is another table.
  at4.SetOversampling(2);
  at4.SetSampleRate(44100.0f);
  EXPECT_EQ(0, std::memcmp(at2.GetBlSawTable(), at4.GetBlSawTable(), BL_SAW_TABLE_SIZE * sizeof(float)));
  EXPECT_EQ(0, std::memcmp(at2.GetBlStepTable(), at4.GetBlStepTable(), BL_STEP_TABLE_SIZE * sizeof(float)));
  EXPECT_EQ(0, std::memcmp(at2.GetBlImpTable(), at4.GetBlImpTable(), BL_IMP_TABLE_SIZE * sizeof(float)));
  // 22,050 Hz at 4x is 88,200 Hz again: the tables stay as they are.
  at4.SetOversampling(4);
  at4.SetSampleRate(22050.0f);
  EXPECT_EQ(at4.GetSampleRate(), 22050.0f);
  EXPECT_EQ(0, std::memcmp(at2.GetBlSawTable(), at4.GetBlSawTable(), BL_SAW_TABLE_SIZE * sizeof(float)));
  at4.SetSampleRate(44100.0f);
  EXPECT_EQ(0, std::memcmp(saw4.data(), at4.GetBlSawTable(), BL_SAW_TABLE_SIZE * sizeof(float)));
}

TEST(GlobalSynth, SetParamHandlerFlagsStoredQuality) {
  EngineFixture f;  // registers the store
  unsigned int arg = 0;
  EXPECT_TRUE(f.params.GetStatus(arg) & STATUS_WT_QUALITY);
  EXPECT_EQ(f.params.GetWaveTableQualityArgument(), 2u);
  f.synth.SetParamHandler(nullptr);
  EXPECT_EQ(f.synth.GetPreset(), nullptr);
}

TEST(MemoryPool, GrowsInDoublingSteps) {
  CMemoryPool pool;
  pool.SetCapacity(64, 2);
  void* a = pool.Allocate();
  void* b = pool.Allocate();
  EXPECT_NE(a, nullptr);
  EXPECT_NE(b, nullptr);
  EXPECT_EQ(pool.GetGrowthCount(), 2u);
  void* c = pool.Allocate();  // grows by 2
  EXPECT_NE(c, nullptr);
  EXPECT_EQ(pool.GetGrowthCount(), 4u);
  EXPECT_EQ(pool.GetFreeCount(), 1u);
  pool.Allocate();  // no growth
  EXPECT_EQ(pool.GetGrowthCount(), 4u);
  pool.Allocate();  // grows by 4
  EXPECT_EQ(pool.GetGrowthCount(), 8u);
  EXPECT_EQ(pool.GetFreeCount(), 3u);
  EXPECT_EQ(pool.GetUsedCount(), 5u);

  pool.Release(b);
  EXPECT_EQ(pool.Allocate(), b);  // most recently released first
  // Releasing a foreign or already released block changes nothing.
  int foreign = 0;
  pool.Release(&foreign);
  pool.Release(b);
  pool.Release(b);
  EXPECT_EQ(pool.GetUsedCount(), 4u);
}

TEST(MemoryPool, EmptyPoolWithoutGrowthReturnsNull) {
  CMemoryPool pool;
  EXPECT_EQ(pool.Allocate(), nullptr);
}

TEST(Buffers, SizingAndClearing) {
  CStereoBuffer st;
  st.SetSamplesCount(256);
  EXPECT_EQ(st.GetRightBuffer(), st.GetLeftBuffer() + 256);
  for (int i = 0; i < 256; ++i) st.GetLeftBuffer()[i] = st.GetRightBuffer()[i] = 1.0f;
  st.Clear(100);
  EXPECT_EQ(st.GetLeftBuffer()[99], 0.0f);
  EXPECT_EQ(st.GetRightBuffer()[99], 0.0f);
  EXPECT_EQ(st.GetLeftBuffer()[100], 1.0f);
  EXPECT_EQ(st.GetRightBuffer()[100], 1.0f);

  CMonoBuffer m;
  m.SetSamplesCount(512);
  float* p = m.GetBuffer();
  m.SetSamplesCount(0);
  EXPECT_EQ(m.GetSamplesCount(), 512u);
  m.SetSamplesCount(512);
  EXPECT_EQ(m.GetBuffer(), p);  // unchanged count keeps the storage
}
