#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "editor/ValueMaps.h"

using namespace EditorMaps;

TEST(ValueMaps, ModSourceMenuPositionsRoundTrip) {
  const unsigned int expected[23] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 18, 19, 20, 21, 22, 23, 24, 26, 28, 29};
  for (unsigned int p = 0; p < 23; ++p) {
    EXPECT_EQ(ValueToModSource(static_cast<float>(p)), expected[p]) << p;
    EXPECT_EQ(ModSourceToValue(static_cast<float>(expected[p])), static_cast<float>(p)) << p;
  }
  EXPECT_EQ(ValueToModSource(23.0f), 0u);
  EXPECT_EQ(ValueToModSource(-1.0f), 0u);
  EXPECT_EQ(ValueToModSource(std::numeric_limits<float>::quiet_NaN()), 0u);
  for (float s : {13.0f, 14.0f, 15.0f, 16.0f, 17.0f, 25.0f, 27.0f, 30.0f, 1e30f}) EXPECT_EQ(ModSourceToValue(s), 0.0f) << s;
  EXPECT_EQ(ValueToModSource(2.9f), 2u);  // truncated
}

TEST(ValueMaps, ModTargetMenuIsABijectionOnItsRuns) {
  struct CASE {
    float position;
    unsigned int target;
  };
  const CASE cases[] = {{0, 0},     {1, 2},     {24, 25},   {25, 42},   {52, 69},   {53, 26},
                        {68, 41},   {69, 70},   {81, 82},   {82, 85},   {83, 86},   {84, 83},
                        {85, 84},   {86, 89},   {89, 92},   {90, 87},   {91, 88},   {92, 95},
                        {93, 96},   {94, 93},   {95, 94},   {96, 97},   {99, 100},  {100, 104},
                        {134, 138}, {135, 101}, {137, 103}, {138, 139}, {283, 284}};
  for (const CASE& c : cases) {
    EXPECT_EQ(ValueToModTarget(c.position), c.target) << c.position;
    EXPECT_EQ(ModTargetToValue(static_cast<float>(c.target)), c.position) << c.target;
  }
  // Every target but 1 has exactly one position.
  for (unsigned int t = 2; t <= 284; ++t) {
    EXPECT_EQ(ValueToModTarget(ModTargetToValue(static_cast<float>(t))), t) << t;
  }
  EXPECT_EQ(ModTargetToValue(1.0f), 0.0f);
  EXPECT_EQ(ModTargetToValue(285.0f), 0.0f);
  EXPECT_EQ(ValueToModTarget(284.0f), 0u);
  EXPECT_EQ(ValueToModTarget(-3.0f), 0u);
}

TEST(ValueMaps, IntegerRemapsAndTheirNeutralValues) {
  EXPECT_EQ(MaxVoicesToStored(0), 1u);
  EXPECT_EQ(MaxVoicesToStored(8), 12u);
  EXPECT_EQ(MaxVoicesToStored(11), 64u);
  EXPECT_EQ(MaxVoicesToStored(12), 8u);
  EXPECT_EQ(MaxVoicesToStored(-1), 8u);
  EXPECT_EQ(MaxVoicesToIndex(32), 10.0f);
  EXPECT_EQ(MaxVoicesToIndex(10), 7.0f);  // not in the table: shows "8"

  EXPECT_EQ(OctaveToStored(0), 4);
  EXPECT_EQ(OctaveToStored(9), -5);
  EXPECT_EQ(OctaveToStored(12), 0);
  EXPECT_EQ(OctaveToIndex(-5), 9.0f);
  EXPECT_EQ(OctaveToIndex(5), 4.0f);

  EXPECT_EQ(SemitoneToStored(14), -7);
  EXPECT_EQ(SemitoneToStored(15), 0);
  EXPECT_EQ(SemitoneToIndex(-8), 7.0f);

  EXPECT_EQ(MasterTuneToStored(0), 24);
  EXPECT_EQ(MasterTuneToStored(48), -24);
  EXPECT_EQ(MasterTuneToStored(49), 0);
  EXPECT_EQ(MasterTuneToIndex(-2), 26.0f);
  EXPECT_EQ(MasterTuneToIndex(25), 24.0f);

  EXPECT_EQ(UnisonCountToStored(0), 1);
  EXPECT_EQ(UnisonCountToStored(7), 8);
  // Past the list the count is clamped, not reset to one.
  EXPECT_EQ(UnisonCountToStored(8), 8);
  EXPECT_EQ(UnisonCountToStored(1000.f), 8);
  EXPECT_EQ(UnisonCountToStored(-3.f), 1);
  EXPECT_EQ(UnisonCountToStored(NAN), 1);
  EXPECT_EQ(UnisonCountToIndex(8), 7.0f);
  EXPECT_EQ(UnisonCountToIndex(0), 0.0f);

  EXPECT_EQ(StageOrderToStored(0.0f), 1);
  EXPECT_EQ(StageOrderToStored(1.0f), 0);
  EXPECT_EQ(StageOrderToIndex(0), 1.0f);
  EXPECT_EQ(StageOrderToIndex(1), 0.0f);

  // Segments read 2x, 4x, 8x; stored 0 = 4x, 1 = 8x, 2 = 2x.
  EXPECT_EQ(OversamplingToStored(0), 2);
  EXPECT_EQ(OversamplingToStored(1), 0);
  EXPECT_EQ(OversamplingToStored(2), 1);
  EXPECT_EQ(OversamplingToStored(3), 2);
  for (int stored = 0; stored < 3; ++stored) EXPECT_EQ(OversamplingToStored(OversamplingToIndex(stored)), stored);
  EXPECT_EQ(OversamplingToIndex(7), 0.0f);
  EXPECT_EQ(OversamplingToIndex(-1), 0.0f);
}

TEST(ValueMaps, HostileControlValuesNeverIndexATable) {
  const float hostile[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity(), 1e20f, -1e20f, -0.5f};
  for (float v : hostile) {
    EXPECT_LE(ValueToModSource(v), 29u);
    EXPECT_LE(ValueToModTarget(v), 284u);
    EXPECT_EQ(MaxVoicesToStored(v), v == -0.5f ? 1u : 8u) << v;  // -0.5 truncates to index 0
    EXPECT_GE(OctaveToStored(v), -5);
    EXPECT_LE(OctaveToStored(v), 4);
    EXPECT_GE(OversamplingToStored(v), 0);
    EXPECT_LE(OversamplingToStored(v), 2);
  }
  EXPECT_EQ(StoredInt(std::numeric_limits<float>::quiet_NaN()), std::numeric_limits<int>::min());
  EXPECT_EQ(OctaveToIndex(StoredInt(std::numeric_limits<float>::quiet_NaN())), 4.0f);
}
