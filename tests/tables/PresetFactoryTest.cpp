// Factory preset image and default user wavetable.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "engine/ParamIds.h"
#include "engine/Params.h"
#include "engine/PresetConverter.h"
#include "engine/PresetFile.h"
#include "tables/PresetFactory.h"

TEST(PresetFactory, ParameterWordsHoldTheirFactoryValues) {
  int nonZero = 0;
  for (unsigned int id = 0; id < Params::PARAM_COUNT_V2; ++id) nonZero += PRESET_FACTORY_RESET[id] != 0.0f ? 1 : 0;
  EXPECT_EQ(nonZero, 613);

  struct ROW {
    unsigned int id;
    float value;
  };
  const ROW rows[] = {
      {PARAM_OSC_MORPH_X, 0.0f},     {PARAM_OSC_CUTOFF + 3, 0.7f},   {PARAM_MASTER_PAN, 0.5f},
      {PARAM_MASTER_LEVEL, 0.5f},    {PARAM_ENV_RELEASE + 3, 0.05f}, {PARAM_LFO_RATE + 3, 0.6f},
      {257, 0.37f},                  {263, 0.58f},                   {PARAM_OSC_ON, 1.0f},
      {PARAM_OSC_ON + 1, 0.0f},      {PARAM_OSC_ON + 3, 0.0f},       {PARAM_OSC_MODE, 1.0f},
      {PARAM_OSC_MODE + 3, 1.0f},    {PARAM_OSC_FX_TYPE, 6.0f},      {PARAM_OSC_FX_TYPE + 15, 3.0f},
      {PARAM_BUS_ON, 1.0f},          {PARAM_BUS_ON + 1, 1.0f},       {PARAM_BUS_MODE, 1.0f},
      {PARAM_UNISON_COUNT, 1.0f},    {PARAM_VOICE_MODE, 0.0f},       {PARAM_MAX_VOICES, 8.0f},
      {PARAM_LFO_SYNC + 3, 31.0f},   {PARAM_ENV_SYNC, 33.0f},        {PARAM_ARP_ON, 0.0f},
      {PARAM_ARP_STEPS, 16.0f},      {PARAM_ARP_STEP_GATE, 1.0f},    {PARAM_ARP_STEP_VELOCITY + 31, 1.0f},
      {PARAM_ARP_STEP_TIE, 0.0f},    {PARAM_TG_STEPS, 16.0f},        {PARAM_TG_STEP_LEFT + 1, 0.0f},
      {PARAM_TG_STEP_LEFT + 4, 1.0f}, {PARAM_FXMTX_SPLIT, 4.0f},     {PARAM_FXMTX_CELL_FX, 0.0f},
      {PARAM_OVERSAMPLING, 2.0f},    {PARAM_EXCITER, 1.0f},          {PARAM_BEND_RANGE, 2.0f},
      {PARAM_DC_BLOCK_OFF, 0.0f},    {1604, 0.0f},                   {67157, 0.0f},
  };
  for (const ROW& r : rows) EXPECT_EQ(PRESET_FACTORY_RESET[r.id], r.value) << "id " << r.id;
}

TEST(PresetFactory, ModulatableAndHostValuesAreInUnitRange) {
  for (unsigned int id = 0; id < MODULATABLE_PARAM_COUNT; ++id) {
    EXPECT_GE(PRESET_FACTORY_RESET[id], 0.0f) << "id " << id;
    EXPECT_LE(PRESET_FACTORY_RESET[id], 1.0f) << "id " << id;
  }
  for (int h = 0; h < Params::HOST_PARAM_COUNT; ++h) {
    float v = PRESET_FACTORY_RESET[static_cast<unsigned int>(Params::VstParamToSynthParam(h))];
    EXPECT_TRUE(v >= 0.0f && v <= 1.0f) << "host index " << h;
  }
}

TEST(PresetFactory, EveryMsegStartsWithThreePointsAndAnEndMarker) {
  for (unsigned int m = 0; m < MSEG_COUNT; ++m) {
    SCOPED_TRACE(m);
    EXPECT_EQ(PRESET_FACTORY_RESET[MsegPointId(PARAM_MSEG_POINT_TIME, m, 0)], 0.0f);
    EXPECT_EQ(PRESET_FACTORY_RESET[MsegPointId(PARAM_MSEG_POINT_TIME, m, 1)], 1.0f);
    EXPECT_EQ(PRESET_FACTORY_RESET[MsegPointId(PARAM_MSEG_POINT_TIME, m, 2)], 8.0f);
    for (unsigned int p = 3; p < MSEG_POINT_COUNT; ++p)
      EXPECT_EQ(PRESET_FACTORY_RESET[MsegPointId(PARAM_MSEG_POINT_TIME, m, p)], -1.0f) << "point " << p;
    EXPECT_EQ(PRESET_FACTORY_RESET[MsegPointId(PARAM_MSEG_POINT_LEVEL, m, 0)], 0.0f);
    EXPECT_EQ(PRESET_FACTORY_RESET[MsegPointId(PARAM_MSEG_POINT_LEVEL, m, 1)], 1.0f);
    EXPECT_EQ(PRESET_FACTORY_RESET[MsegPointId(PARAM_MSEG_POINT_LEVEL, m, 2)], 0.0f);
  }
}

TEST(PresetFactory, DefaultWaveIsOneSineCycle) {
  const float* w = Tables::DEFAULT_WAVEFORM_TABLE;
  ASSERT_NE(w, nullptr);
  double maxError = 0.0;
  int upCrossings = 0, downCrossings = 0;
  for (unsigned int k = 0; k < WAVETABLE_LENGTH; ++k) {
    double expected = std::sin(2.0 * M_PI * k / WAVETABLE_LENGTH);
    maxError = std::fmax(maxError, std::fabs(w[k] - expected));
    float next = w[(k + 1) % WAVETABLE_LENGTH];
    if (w[k] < 0.0f && next >= 0.0f) ++upCrossings;
    if (w[k] > 0.0f && next <= 0.0f) ++downCrossings;
  }
  EXPECT_LT(maxError, 1e-7);
  EXPECT_EQ(upCrossings, 1);
  EXPECT_EQ(downCrossings, 1);
  EXPECT_EQ(w[0], 0.0f);
  EXPECT_EQ(w[WAVETABLE_LENGTH / 4], 1.0f);
  EXPECT_EQ(w[WAVETABLE_LENGTH / 2], 0.0f);
  EXPECT_EQ(w[3 * WAVETABLE_LENGTH / 4], -1.0f);
}

// Nothing in this test program builds a parameter store: the image must hold
// its wavetables and their names from program load, for whoever reads it
// first (a preset file object, a conversion of an older preset).
TEST(PresetFactory, ImageHoldsTheDefaultWavesBeforeAnyParameterStoreExists) {
  const char name[16] = "Default Wave";
  auto holdsDefaultWaves = [&](const SYNTH_PRESET& p) {
    for (unsigned int osc = 0; osc < 4; ++osc) {
      if (std::memcmp(&p.data[PARAM_WAVETABLE + WAVETABLE_LENGTH * osc], Tables::DEFAULT_WAVEFORM_TABLE,
                      WAVETABLE_LENGTH * sizeof(float)) != 0)
        return false;
      if (std::memcmp(&p.data[PARAM_WAVETABLE_NAME + 4 * osc], name, 16) != 0) return false;
    }
    return true;
  };
  EXPECT_TRUE(holdsDefaultWaves(PRESET_FACTORY_RESET));
  EXPECT_EQ(PRESET_FACTORY_RESET[PARAM_WAVETABLE + WAVETABLE_LENGTH / 4], 1.0f);
  EXPECT_EQ(PRESET_FACTORY_RESET[PARAM_WAVETABLE_NAME + 3], 0.0f);  // the name's zero padding

  CPresetFile file(nullptr);
  EXPECT_TRUE(holdsDefaultWaves(*file.GetBuffer()));

  // A version 2 preset has no wavetables: the conversion gives it the default ones.
  auto old = std::make_unique<SYNTH_PRESET>();
  CPresetConverter converter;
  converter.Convert(old.get(), PRESET_VERSION_V2, 0);
  EXPECT_TRUE(holdsDefaultWaves(*old));
}
