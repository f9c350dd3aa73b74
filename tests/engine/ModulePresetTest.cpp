// Module presets in the parameter store: block layouts, load and save, the
// refusal of blocks that do not fit, wavetables and built-in wave references.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/GlobalSynth.h"
#include "engine/MidiMap.h"
#include "engine/ParamHandler.h"
#include "engine/PresetKinds.h"
#include "engine/SynthTypes.h"
#include "tables/PresetFactory.h"

namespace {

std::unique_ptr<SYNTH_PRESET> NewImage(float fill) {
  std::unique_ptr<SYNTH_PRESET> p(new SYNTH_PRESET());
  for (unsigned int i = 0; i < PARAM_COUNT; ++i) p->data[i] = fill;
  return p;
}

// Every id holds its own number plus a quarter, so a word tells which id it
// came from.
std::unique_ptr<SYNTH_PRESET> MarkedImage() {
  std::unique_ptr<SYNTH_PRESET> p(new SYNTH_PRESET());
  for (unsigned int i = 0; i < PARAM_COUNT; ++i) p->data[i] = static_cast<float>(i) + 0.25f;
  return p;
}

// The values last set for every id (what a whole-preset save writes).
std::vector<float> Snapshot(CParamHandler& h) {
  std::unique_ptr<SYNTH_PRESET> p(new SYNTH_PRESET());
  h.SavePreset(p.get(), PRESET_KIND_SYNTH, 0);
  return std::vector<float>(p->data, p->data + PARAM_COUNT);
}

unsigned int Status(CParamHandler& h) {
  unsigned int argument = 0;
  return h.GetStatus(argument);
}

struct BLOCK_CASE {
  unsigned int kind;
  unsigned int instance;
  std::vector<unsigned int> ids;
};

// The documented layouts, written out id by id.
std::vector<BLOCK_CASE> BlockCases() {
  std::vector<BLOCK_CASE> cases;
  {
    BLOCK_CASE c{PRESET_KIND_MSEG, 2, {178, 779, 783, 787, 791, 799, 795, 803, 807}};
    for (unsigned int k = 0; k < 64; ++k) {
      c.ids.push_back(809 + 384 + k);
      c.ids.push_back(873 + 384 + k);
      c.ids.push_back(937 + 384 + k);
    }
    cases.push_back(c);
  }
  {
    BLOCK_CASE c{PRESET_KIND_MSEG, 0, {176, 777, 781, 785, 789, 797, 793, 801, 805}};
    for (unsigned int k = 0; k < 64; ++k) {
      c.ids.push_back(809 + k);
      c.ids.push_back(873 + k);
      c.ids.push_back(937 + k);
    }
    cases.push_back(c);
  }
  {
    BLOCK_CASE c{PRESET_KIND_ARP, 0, {180, 181, 528, 529, 530, 531, 532}};
    for (unsigned int s = 0; s < 32; ++s)
      for (unsigned int base : {533u, 565u, 597u, 629u, 661u}) c.ids.push_back(base + s);
    cases.push_back(c);
  }
  {
    BLOCK_CASE c{PRESET_KIND_GATE, 0, {182, 183, 184, 694, 695, 696}};
    for (unsigned int s = 0; s < 16; ++s) {
      c.ids.push_back(697 + s);
      c.ids.push_back(713 + s);
    }
    cases.push_back(c);
  }
  {
    BLOCK_CASE c{PRESET_KIND_FX_MATRIX, 0, {729}};
    for (unsigned int id = 731; id <= 762; ++id) c.ids.push_back(id);
    for (unsigned int id = 185; id <= 330; ++id) c.ids.push_back(id);
    for (unsigned int id = 763; id <= 772; ++id) c.ids.push_back(id);
    cases.push_back(c);
  }
  struct FX {
    unsigned int kind, base, floats;
    std::vector<unsigned int> ints;
  };
  const FX effects[] = {{5, 185, 8, {}},          {6, 275, 9, {765, 767}}, {7, 293, 7, {769}}, {8, 201, 6, {}},
                        {9, 213, 7, {}},          {10, 227, 7, {}},        {11, 307, 6, {771}}, {12, 241, 5, {763}},
                        {13, 251, 12, {}},        {15, 319, 6, {}}};
  for (const FX& fx : effects) {
    for (unsigned int i = 0; i < 2; ++i) {
      BLOCK_CASE c{fx.kind, i, {}};
      for (unsigned int k = 0; k < fx.floats; ++k) c.ids.push_back(fx.base + i + 2 * k);
      for (unsigned int id : fx.ints) c.ids.push_back(id + i);
      cases.push_back(c);
    }
  }
  return cases;
}

TEST(ModulePreset, DelayInstance1WritesDocumentedIds) {
  CParamHandler h(nullptr);
  std::unique_ptr<SYNTH_PRESET> image = MarkedImage();
  ASSERT_TRUE(h.LoadPreset(image.get(), PRESET_VERSION_V3, PRESET_KIND_SYNTH, 0));
  std::unique_ptr<SYNTH_PRESET> block = NewImage(-1.0f);
  ASSERT_EQ(h.SavePreset(block.get(), PRESET_KIND_DELAY, 1), 44u);
  const unsigned int expected[11] = {276, 278, 280, 282, 284, 286, 288, 290, 292, 766, 768};
  for (unsigned int k = 0; k < 11; ++k) EXPECT_EQ(block->data[k], expected[k] + 0.25f) << "word " << k;
  EXPECT_EQ(block->data[11], -1.0f) << "nothing written after the block";
}

TEST(ModulePreset, SaveWritesLayoutAndLoadRestoresExactlyTheBlock) {
  for (const BLOCK_CASE& c : BlockCases()) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " instance " << c.instance);
    CParamHandler source(nullptr);
    std::unique_ptr<SYNTH_PRESET> image = MarkedImage();
    ASSERT_TRUE(source.LoadPreset(image.get(), PRESET_VERSION_V3, PRESET_KIND_SYNTH, 0));
    std::unique_ptr<SYNTH_PRESET> block = NewImage(-1.0f);
    const unsigned int bytes = source.SavePreset(block.get(), c.kind, c.instance);
    ASSERT_EQ(bytes, 4 * c.ids.size());
    for (size_t k = 0; k < c.ids.size(); ++k)
      ASSERT_EQ(block->data[k], c.ids[k] + 0.25f) << "word " << k << " should hold id " << c.ids[k];

    CParamHandler target(nullptr);
    const std::vector<float> before = Snapshot(target);
    target.ClearStatus();
    ASSERT_TRUE(target.LoadPreset(block.get(), PRESET_VERSION_V3, c.kind, c.instance, bytes));
    EXPECT_EQ(Status(target), 0x67F7u);
    std::vector<float> expected = before;
    for (unsigned int id : c.ids) expected[id] = id + 0.25f;
    const std::vector<float> after = Snapshot(target);
    for (unsigned int id = 0; id < PARAM_COUNT; ++id) ASSERT_EQ(after[id], expected[id]) << "id " << id;
    // Modulatable ids are live at once, the rest with the next block.
    target.Update();
    for (unsigned int id : c.ids) ASSERT_EQ(target.GetParam(id), id + 0.25f) << "id " << id;
  }
}

TEST(ModulePreset, EffectsMatrixBlockLeavesBypassAlone) {
  CParamHandler h(nullptr);
  h.SetParam(730, 1.0f);
  h.SetParam(731, 1.0f);
  std::unique_ptr<SYNTH_PRESET> block = NewImage(0.0f);
  ASSERT_TRUE(h.LoadPreset(block.get(), PRESET_VERSION_V3, PRESET_KIND_FX_MATRIX, 0, 756));
  EXPECT_EQ(h.GetParamDeffered(730), 1.0f);
  EXPECT_EQ(h.GetParamDeffered(731), 0.0f);
}

TEST(ModulePreset, RefusedBlocksChangeNothing) {
  struct REFUSAL {
    const char* what;
    unsigned int version, kind, instance, bytes;
  };
  const REFUSAL cases[] = {
      {"delay into instance 2", PRESET_VERSION_V3, PRESET_KIND_DELAY, 2, PRESET_BYTES},
      {"reverb into instance 3", PRESET_VERSION_V3, PRESET_KIND_REVERB, 3, PRESET_BYTES},
      {"equalizer into instance 2", PRESET_VERSION_V3, PRESET_KIND_EQ, 2, PRESET_BYTES},
      {"MSEG 4", PRESET_VERSION_V3, PRESET_KIND_MSEG, 4, PRESET_BYTES},
      {"wavetable of oscillator 4", PRESET_VERSION_V3, PRESET_KIND_WAVETABLE, 4, PRESET_BYTES},
      {"wave reference of oscillator 4", PRESET_VERSION_V3, PRESET_KIND_WAVE_REF, 4, PRESET_BYTES},
      {"short MSEG", PRESET_VERSION_V3, PRESET_KIND_MSEG, 0, 803},
      {"short arpeggiator", PRESET_VERSION_V3, PRESET_KIND_ARP, 0, 667},
      {"short trance gate", PRESET_VERSION_V3, PRESET_KIND_GATE, 0, 151},
      {"short effects matrix", PRESET_VERSION_V3, PRESET_KIND_FX_MATRIX, 0, 755},
      {"short delay", PRESET_VERSION_V3, PRESET_KIND_DELAY, 0, 43},
      {"short distortion", PRESET_VERSION_V3, PRESET_KIND_DISTORTION, 1, 24},
      {"short V1 distortion", PRESET_VERSION_V1, PRESET_KIND_DISTORTION, 1, 23},
      {"short CC map", PRESET_VERSION_V3, PRESET_KIND_CC_MAP, 0, 479},
      {"CC map without a registered map", PRESET_VERSION_V3, PRESET_KIND_CC_MAP, 0, PRESET_BYTES},
      {"short wavetable", PRESET_VERSION_V3, PRESET_KIND_WAVETABLE, 0, 65551},
      {"short wave reference", PRESET_VERSION_V3, PRESET_KIND_WAVE_REF, 0, 3},
      {"empty body", PRESET_VERSION_V3, PRESET_KIND_REVERB, 0, 0},
      {"kind 18", PRESET_VERSION_V3, 18, 0, PRESET_BYTES},
      {"kind 0xFFFFFFFF", PRESET_VERSION_V3, 0xFFFFFFFFu, 0, PRESET_BYTES},
      {"short whole preset", PRESET_VERSION_V3, PRESET_KIND_SYNTH, 0, PRESET_BYTES - 1},
      {"short V1 whole preset", PRESET_VERSION_V1, PRESET_KIND_SYNTH, 0, 6147},
      {"short V2 whole preset", PRESET_VERSION_V2, PRESET_KIND_SYNTH, 0, 6419},
  };
  for (const REFUSAL& c : cases) {
    SCOPED_TRACE(c.what);
    CParamHandler h(nullptr);
    h.SetParam(730, 1.0f);
    h.ClearStatus();
    const std::vector<float> before = Snapshot(h);
    std::unique_ptr<SYNTH_PRESET> block = NewImage(0.75f);
    EXPECT_FALSE(h.LoadPreset(block.get(), c.version, c.kind, c.instance, c.bytes));
    EXPECT_EQ(Status(h), 0u);
    EXPECT_TRUE(Snapshot(h) == before);
    h.Update();
    for (unsigned int id = 0; id < MODULATABLE_PARAM_COUNT; ++id) ASSERT_EQ(h.GetParam(id), before[id]);
  }
}

TEST(ModulePreset, SaveOfUnknownKindOrInstanceWritesNothing) {
  CParamHandler h(nullptr);
  const struct {
    unsigned int kind, instance;
  } cases[] = {{PRESET_KIND_WAVE_REF, 0}, {18, 0},  {1000, 0}, {PRESET_KIND_DELAY, 2},
               {PRESET_KIND_MSEG, 4},     {PRESET_KIND_WAVETABLE, 4}, {PRESET_KIND_CC_MAP, 0}};
  for (const auto& c : cases) {
    std::unique_ptr<SYNTH_PRESET> block = NewImage(-1.0f);
    EXPECT_EQ(h.SavePreset(block.get(), c.kind, c.instance), 0u) << "kind " << c.kind << " instance " << c.instance;
    EXPECT_EQ(block->data[0], -1.0f);
  }
}

TEST(ModulePreset, V1DistortionBlockGetsItsCurveSetting) {
  CParamHandler h(nullptr);
  h.SetParam(772, 3.0f);
  std::unique_ptr<SYNTH_PRESET> block = NewImage(0.0f);
  for (unsigned int k = 0; k < 6; ++k) block->data[k] = 0.1f * (k + 1);
  block->data[6] = 9.0f;  // beyond a V1 block
  ASSERT_TRUE(h.LoadPreset(block.get(), PRESET_VERSION_V1, PRESET_KIND_DISTORTION, 1, 24));
  for (unsigned int k = 0; k < 6; ++k) EXPECT_FLOAT_EQ(h.GetParam(308 + 2 * k), 0.1f * (k + 1));
  EXPECT_EQ(h.GetParamDeffered(772), 0.0f);
}

TEST(ModulePreset, CcMapRoundTripThroughRegisteredMap) {
  CGlobalSynth synth;
  CMidiMap map;
  synth.SetMidiMap(&map);
  CParamHandler h(&synth);
  ASSERT_TRUE(map.AssignMidiCC(7, 300));
  std::unique_ptr<SYNTH_PRESET> block = NewImage(-1.0f);
  ASSERT_EQ(h.SavePreset(block.get(), PRESET_KIND_CC_MAP, 0), 480u);
  unsigned int word7 = 0;
  std::memcpy(&word7, &block->data[7], 4);
  EXPECT_EQ(word7, 300u);
  EXPECT_EQ(block->data[120], -1.0f);

  map.ResetMidiMap();
  EXPECT_FALSE(h.LoadPreset(block.get(), PRESET_VERSION_V3, PRESET_KIND_CC_MAP, 0, 479));
  EXPECT_EQ(map.GetParamID(7), 0u);
  h.ClearStatus();
  ASSERT_TRUE(h.LoadPreset(block.get(), PRESET_VERSION_V3, PRESET_KIND_CC_MAP, 0, 480));
  EXPECT_EQ(map.GetParamID(7), 300u);
  EXPECT_EQ(map.GetParamID(1), 1577u);
  EXPECT_EQ(Status(h), 0x67F7u);
  synth.SetMidiMap(nullptr);
}

std::vector<float> RampTable() {
  std::vector<float> t(WAVETABLE_LENGTH);
  for (unsigned int i = 0; i < WAVETABLE_LENGTH; ++i) t[i] = -1.0f + 2.0f * i / WAVETABLE_LENGTH;
  return t;
}

std::string NameOf(CParamHandler& h, unsigned int osc, bool live) {
  char name[17] = {0};
  for (unsigned int w = 0; w < 4; ++w) {
    unsigned int id = PARAM_WAVETABLE_NAME + 4 * osc + w;
    float v = live ? h.GetParam(id) : h.GetParamDeffered(id);
    std::memcpy(name + 4 * w, &v, 4);
  }
  return name;
}

TEST(ModulePreset, WavetableRoundTripSwitchesOscillatorToWavetable) {
  CParamHandler source(nullptr);
  std::vector<float> table = RampTable();
  char name[16] = "Ramp Up";
  source.SetOscWaveTable(table.data(), name, 1);
  std::unique_ptr<SYNTH_PRESET> block = NewImage(0.0f);
  const unsigned int bytes = source.SavePreset(block.get(), PRESET_KIND_WAVETABLE, 1);
  ASSERT_EQ(bytes, 65552u);
  EXPECT_EQ(block->data[100], table[100]);

  CParamHandler target(nullptr);
  target.Update();
  target.ClearStatus();
  const float otherTable = target.GetParam(PARAM_WAVETABLE + WAVETABLE_LENGTH * 1 + 4096);
  ASSERT_TRUE(target.LoadPreset(block.get(), PRESET_VERSION_V3, PRESET_KIND_WAVETABLE, 2, bytes));
  EXPECT_EQ(Status(target), 0x6001u);
  EXPECT_EQ(target.GetParamDeffered(432), 55.0f);
  EXPECT_EQ(target.GetParam(432), 1.0f) << "the mode goes live with the next block";
  for (unsigned int i = 0; i < WAVETABLE_LENGTH; i += 97)
    ASSERT_EQ(target.GetParam(PARAM_WAVETABLE + WAVETABLE_LENGTH * 2 + i), table[i]);
  EXPECT_EQ(NameOf(target, 2, true), "Ramp Up");
  EXPECT_EQ(target.GetParam(PARAM_WAVETABLE + WAVETABLE_LENGTH * 1 + 4096), otherTable);
  target.Update();
  EXPECT_EQ(target.GetParam(432), 55.0f);
  EXPECT_EQ(NameOf(target, 2, true), "Ramp Up");
}

// A damaged or crafted wavetable block is taken as a WAV file's samples
// are: values that are not numbers become 0, the rest stay within -1..1, so
// one bad value cannot silence or blow up the oscillator.
TEST(ModulePreset, WavetableSamplesThatAreNotNumbersOrTooLargeAreMadeSafe) {
  std::vector<float> table = RampTable();
  std::unique_ptr<SYNTH_PRESET> block = NewImage(0.0f);
  std::memcpy(block->data, table.data(), WAVETABLE_LENGTH * sizeof(float));
  const struct {
    unsigned int index;
    float stored, taken;
  } samples[] = {
      {0, NAN, 0.0f},        {1, INFINITY, 0.0f}, {2, -INFINITY, 0.0f}, {3, 3e38f, 1.0f},
      {4, -3e38f, -1.0f},    {5, 1.0f, 1.0f},     {6, -0.25f, -0.25f},  {7, 1.0000001f, 1.0f},
  };
  for (const auto& s : samples) block->data[s.index] = s.stored;
  const char name[16] = "Crafted";
  std::memcpy(&block->data[WAVETABLE_LENGTH], name, sizeof(name));
  CParamHandler h(nullptr);
  ASSERT_TRUE(h.LoadPreset(block.get(), PRESET_VERSION_V3, PRESET_KIND_WAVETABLE, 0, 65552));
  for (const auto& s : samples) {
    EXPECT_EQ(h.GetParam(PARAM_WAVETABLE + s.index), s.taken) << s.index;
    EXPECT_EQ(h.GetParamDeffered(PARAM_WAVETABLE + s.index), s.taken) << s.index;
  }
  for (unsigned int i = 8; i < WAVETABLE_LENGTH; i += 101)
    ASSERT_EQ(h.GetParam(PARAM_WAVETABLE + i), table[i]);
  EXPECT_EQ(NameOf(h, 0, true), "Crafted");
}

TEST(ModulePreset, WaveReferenceSetsBuiltInWave) {
  CParamHandler h(nullptr);
  h.ClearStatus();
  std::unique_ptr<SYNTH_PRESET> block = NewImage(0.0f);
  block->data[0] = 12.0f;
  ASSERT_TRUE(h.LoadPreset(block.get(), PRESET_VERSION_V3, PRESET_KIND_WAVE_REF, 3, 4));
  EXPECT_EQ(Status(h), 0x6001u);
  h.Update();
  EXPECT_EQ(h.GetParam(433), 12.0f);
  EXPECT_EQ(h.GetParam(430), 1.0f);
  EXPECT_EQ(h.SavePreset(block.get(), PRESET_KIND_WAVE_REF, 3), 0u);

  // Only built-in waves 0-54 can be referred to.
  for (float bad : {55.0f, 60.0f, -1.0f, NAN, INFINITY}) {
    h.ClearStatus();
    block->data[0] = bad;
    EXPECT_FALSE(h.LoadPreset(block.get(), PRESET_VERSION_V3, PRESET_KIND_WAVE_REF, 0, 4)) << bad;
    EXPECT_EQ(Status(h), 0u);
    EXPECT_EQ(h.GetParamDeffered(430), 1.0f);
  }
}

TEST(ModulePreset, SetOscWaveTableSwitchesModeAtNextBlock) {
  CParamHandler h(nullptr);
  h.Update();
  h.ClearStatus();
  std::vector<float> table = RampTable();
  char name[16] = {'S', 'a', 'w', 0, 'x', 'y', 'z'};
  h.SetOscWaveTable(table.data(), name, 2);
  unsigned int argument = 99;
  const unsigned int status = h.GetStatus(argument);
  EXPECT_TRUE(status & STATUS_WAVETABLE);
  EXPECT_TRUE(status & STATUS_DEFERRED);
  EXPECT_EQ(argument, 2u);
  EXPECT_EQ(h.GetWaveTableOscMask(), 0x4u);
  EXPECT_EQ(h.GetParam(PARAM_WAVETABLE + WAVETABLE_LENGTH * 2 + 5), table[5]) << "the table is live at once";
  EXPECT_EQ(NameOf(h, 2, true), "Saw");
  h.Update();
  EXPECT_EQ(h.GetParam(432), 55.0f) << "the oscillator's mode follows the editor's";
  EXPECT_EQ(NameOf(h, 2, true), "Saw");

  // A second oscillator between the same two blocks keeps both reloads; a
  // null name keeps the present one.
  h.SetOscWaveTable(table.data(), nullptr, 0);
  EXPECT_EQ(h.GetWaveTableOscMask(), 0x5u);
  EXPECT_EQ(NameOf(h, 0, true), "Default Wave");
  EXPECT_EQ(NameOf(h, 0, false), "Default Wave");

  // An oscillator above 3 or a missing table changes nothing.
  h.ClearStatus();
  h.SetOscWaveTable(table.data(), name, 4);
  h.SetOscWaveTable(nullptr, name, 1);
  EXPECT_EQ(Status(h), 0u);
  EXPECT_EQ(h.GetParamDeffered(431), 1.0f);
  EXPECT_NE(h.GetParam(PARAM_WAVETABLE + WAVETABLE_LENGTH * 1 + 5), table[5]);
}

TEST(ModulePreset, DamagedWordsTakeTheFactoryValue) {
  // An MSEG block (rate, settings, points) and a reverb block with words
  // that are not numbers: like a whole preset, the store keeps only numbers.
  CParamHandler h(nullptr);
  h.SetBlockSize(64);
  std::unique_ptr<SYNTH_PRESET> block = NewImage(0.5f);
  block->data[0] = NAN;       // MSEG 2 rate (id 177)
  block->data[2] = INFINITY;  // MSEG 2 loop start (id 782)
  ASSERT_TRUE(h.LoadPreset(block.get(), PRESET_VERSION_V3, PRESET_KIND_MSEG, 1, 804));
  h.Update();
  EXPECT_EQ(h.GetParam(177), PRESET_FACTORY_RESET[177]);
  EXPECT_EQ(h.GetParam(782), PRESET_FACTORY_RESET[782]);
  EXPECT_EQ(h.GetParam(778), 0.5f);  // MSEG 2 loop switch: loaded as given
  h.UpdateParam(177, 64);
  EXPECT_TRUE(std::isfinite(h.GetParamBuffer(177)[63]));

  block = NewImage(0.25f);
  block->data[7] = -NAN;  // reverb 1 mix (id 199)
  ASSERT_TRUE(h.LoadPreset(block.get(), PRESET_VERSION_V3, PRESET_KIND_REVERB, 0, 32));
  EXPECT_EQ(h.GetParam(199), PRESET_FACTORY_RESET[199]);
  EXPECT_EQ(h.GetParam(185), 0.25f);
}

TEST(ModulePreset, ModuleLoadGlidesModulatableIds) {
  CParamHandler h(nullptr);
  h.SetBlockSize(64);
  std::unique_ptr<SYNTH_PRESET> block = NewImage(0.0f);
  block->data[7] = 1.0f;  // reverb 1 mix (id 185 + 14)
  ASSERT_TRUE(h.LoadPreset(block.get(), PRESET_VERSION_V3, PRESET_KIND_REVERB, 0, 32));
  EXPECT_EQ(h.GetParam(199), 1.0f);
  h.UpdateParam(199, 10);
  const float* b = h.GetParamBuffer(199);
  EXPECT_GT(b[9], b[0]);
  EXPECT_LT(b[9], 1.0f) << "the new value is reached over the ramp, not at once";
}

}  // namespace
