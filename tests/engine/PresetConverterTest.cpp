// Conversion of V1 and V2 preset bodies to the current layout, directly and
// through the parameter store's load.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "engine/ParamHandler.h"
#include "engine/Params.h"
#include "engine/PresetConverter.h"
#include "engine/PresetKinds.h"
#include "tables/PresetFactory.h"

namespace {

class PresetConverterTest : public testing::Test {
 protected:
  // The store's constructor completes the factory image (its wavetables).
  void SetUp() override { m_store.reset(new CParamHandler(nullptr)); }

  static std::unique_ptr<SYNTH_PRESET> NewBuffer(float fill) {
    std::unique_ptr<SYNTH_PRESET> p(new SYNTH_PRESET());
    for (unsigned int i = 0; i < PARAM_COUNT; ++i) p->data[i] = fill;
    return p;
  }

  // A V1 body whose word w holds 1000 + w; everything after it is junk.
  static std::unique_ptr<SYNTH_PRESET> V1Body() {
    std::unique_ptr<SYNTH_PRESET> p = NewBuffer(-7.0f);
    for (unsigned int w = 0; w < Params::PARAM_COUNT_V1; ++w) p->data[w] = 1000.0f + w;
    return p;
  }

  // Writes the V1 word of current id `id`.
  static void SetV1(SYNTH_PRESET* p, unsigned int id, float value) {
    const int m = Params::Convert_Param_v2_to_Param_v1(id);
    ASSERT_GE(m, 0) << "id " << id << " has no V1 word";
    p->data[m] = value;
  }

  static void ExpectFactoryFrom1605(const SYNTH_PRESET* p) {
    for (unsigned int id = Params::PARAM_COUNT_V2; id < PARAM_COUNT; ++id)
      ASSERT_EQ(std::memcmp(&p->data[id], &PRESET_FACTORY_RESET.data[id], 4), 0) << "id " << id;
    EXPECT_NEAR(p->data[PARAM_WAVETABLE + 4096], 1.0f, 1e-6f) << "a sine wave";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&p->data[PARAM_WAVETABLE_NAME + 4])), "Default Wave");
  }

  std::unique_ptr<CParamHandler> m_store;
};

TEST_F(PresetConverterTest, V1WholePresetBecomesV3Image) {
  std::unique_ptr<SYNTH_PRESET> p = V1Body();
  // Filter modes, drive types and effect ids: translated, out of range -> 0.
  SetV1(p.get(), 446, 5.0f);   // -> 7
  SetV1(p.get(), 447, 23.0f);  // -> 0
  SetV1(p.get(), 448, -1.0f);  // -> 0
  SetV1(p.get(), 449, 0.0f);   // -> 0
  SetV1(p.get(), 473, 22.9f);  // -> 24
  SetV1(p.get(), 474, 1.0f);   // -> 3
  SetV1(p.get(), 450, 0.0f);   // -> 1
  SetV1(p.get(), 451, 5.0f);   // -> 6
  SetV1(p.get(), 452, 6.0f);   // -> 0
  SetV1(p.get(), 453, NAN);    // -> 0
  SetV1(p.get(), 477, 2.0f);   // -> 3
  SetV1(p.get(), 478, 1e30f);  // -> 0
  SetV1(p.get(), 747, 7.0f);   // -> 9
  SetV1(p.get(), 748, 19.0f);  // -> 0
  SetV1(p.get(), 749, 6.0f);   // -> 6
  SetV1(p.get(), 750, 18.0f);  // -> 20
  SetV1(p.get(), 132, 0.8f);   // master level halves
  // Modulation slots: pitch targets 2-5 from sources up to 16 are rescaled.
  struct SLOT {
    unsigned int slot;
    float source, target, depth, expected;
  };
  const SLOT slots[] = {
      {0, 1, 2, 1.0f, 0.9330127f},  {1, 17, 2, 1.0f, 1.0f},        {2, 16, 5, 0.0f, 0.0669873f},
      {3, 1, 6, 1.0f, 1.0f},        {4, 1, 3, 0.5f, 0.5f},         {5, -1, 4, 1.0f, 1.0f},
      {17, 0, 4, 0.75f, 0.7165064f}, {18, 1, 2, 1.0f, 1.0f},       {19, 1, 2, 0.0f, 0.0f},
  };
  for (const SLOT& s : slots) {
    SetV1(p.get(), 362 + s.slot, s.source);
    SetV1(p.get(), 392 + s.slot, s.target);
    SetV1(p.get(), 331 + s.slot, s.depth);
  }

  CPresetConverter converter;
  ASSERT_TRUE(converter.Convert(p.get(), PRESET_VERSION_V1, PRESET_KIND_SYNTH));

  const std::pair<unsigned int, float> fixed[] = {
      {446, 7},  {447, 0},  {448, 0},  {449, 0},  {473, 24}, {474, 3}, {450, 1}, {451, 6},
      {452, 0},  {453, 0},  {477, 3},  {478, 0},  {747, 9},  {748, 0}, {749, 6}, {750, 20},
      {132, 0.4f}, {152, 0.5f}, {153, 0.5f}, {154, 0.5f}, {155, 0.5f},
      {523, 1},  {524, 1},  {525, 1},  {526, 1},  {771, 0},  {772, 0}};
  std::set<unsigned int> checked;
  for (const auto& f : fixed) {
    EXPECT_FLOAT_EQ(p->data[f.first], f.second) << "id " << f.first;
    checked.insert(f.first);
  }
  for (unsigned int slot = 0; slot < 4; ++slot)
    for (unsigned int osc = 0; osc < 4; ++osc) {
      const unsigned int id = 454 + 4 * slot + osc;
      EXPECT_EQ(p->data[id], static_cast<float>(slot)) << "oscillator effect slot type, id " << id;
      checked.insert(id);
    }
  for (const SLOT& s : slots) {
    EXPECT_FLOAT_EQ(p->data[331 + s.slot], s.expected) << "depth of slot " << s.slot;
    checked.insert(331 + s.slot);
    checked.insert(362 + s.slot);
    checked.insert(392 + s.slot);
  }
  for (unsigned int id = 747; id <= 762; ++id) checked.insert(id);

  // Every other id: its V1 word renumbered, or its factory value when V1
  // did not have it.
  for (unsigned int id = 0; id < Params::PARAM_COUNT_V2; ++id) {
    if (checked.count(id)) continue;
    const int m = Params::Convert_Param_v2_to_Param_v1(id);
    const float expected = m >= 0 ? 1000.0f + m : PRESET_FACTORY_RESET[id];
    ASSERT_EQ(p->data[id], expected) << "id " << id;
  }
  // Unmapped effect cells in range 751-762 hold 1000 + w: out of range -> 0.
  for (unsigned int id = 751; id <= 762; ++id) EXPECT_EQ(p->data[id], 0.0f);
  ExpectFactoryFrom1605(p.get());
}

TEST_F(PresetConverterTest, V2WholePresetKeepsIdsAndGetsFactoryWavetables) {
  std::unique_ptr<SYNTH_PRESET> p = NewBuffer(-7.0f);
  for (unsigned int id = 0; id < Params::PARAM_COUNT_V2; ++id) p->data[id] = 0.5f + id;
  CPresetConverter converter;
  ASSERT_TRUE(converter.Convert(p.get(), PRESET_VERSION_V2, PRESET_KIND_SYNTH));
  for (unsigned int id = 0; id < Params::PARAM_COUNT_V2; ++id) ASSERT_EQ(p->data[id], 0.5f + id);
  ExpectFactoryFrom1605(p.get());
}

TEST_F(PresetConverterTest, OlderModulePresetsKeepTheirBlock) {
  for (unsigned int version : {PRESET_VERSION_V1, PRESET_VERSION_V2}) {
    for (unsigned int kind : {PRESET_KIND_MSEG, PRESET_KIND_FX_MATRIX, PRESET_KIND_DELAY, PRESET_KIND_DISTORTION}) {
      SCOPED_TRACE(testing::Message() << "version " << std::hex << version << std::dec << " kind " << kind);
      std::unique_ptr<SYNTH_PRESET> p = NewBuffer(-7.0f);
      for (unsigned int w = 0; w < 300; ++w) p->data[w] = 0.25f * w;
      CPresetConverter converter;
      ASSERT_TRUE(converter.Convert(p.get(), version, kind));
      for (unsigned int w = 0; w < 300; ++w) {
        const bool curve = version == PRESET_VERSION_V1 && kind == PRESET_KIND_DISTORTION && w == 6;
        ASSERT_EQ(p->data[w], curve ? 0.0f : 0.25f * w) << "word " << w;
      }
      ExpectFactoryFrom1605(p.get());
    }
  }
}

TEST_F(PresetConverterTest, CurrentAndUnknownVersionsAreLeftAlone) {
  for (unsigned int version : {PRESET_VERSION_V3, 0x04005057u, 0u}) {
    std::unique_ptr<SYNTH_PRESET> p = NewBuffer(-7.0f);
    CPresetConverter converter;
    EXPECT_EQ(converter.Convert(p.get(), version, PRESET_KIND_SYNTH), version == PRESET_VERSION_V3);
    for (unsigned int id = 0; id < PARAM_COUNT; id += 101) ASSERT_EQ(p->data[id], -7.0f);
  }
}

TEST_F(PresetConverterTest, StoreLoadsV1BodyOfItsOwnLength) {
  std::unique_ptr<SYNTH_PRESET> p = V1Body();
  SetV1(p.get(), 446, 5.0f);
  SetV1(p.get(), 132, 0.6f);
  m_store->ClearStatus();
  ASSERT_TRUE(m_store->LoadPreset(p.get(), PRESET_VERSION_V1, PRESET_KIND_SYNTH, 0, 6148));
  unsigned int argument = 0;
  EXPECT_EQ(m_store->GetStatus(argument), 0x67F7u);
  EXPECT_FLOAT_EQ(m_store->GetParam(132), 0.3f);
  EXPECT_EQ(m_store->GetParamDeffered(446), 7.0f);
  EXPECT_EQ(m_store->GetParamDeffered(771), 0.0f);
  EXPECT_EQ(m_store->GetParamDeffered(PARAM_WAVETABLE + 4096), PRESET_FACTORY_RESET[PARAM_WAVETABLE + 4096]);
}

}  // namespace
