#include <cmath>
#include <functional>

#include "ModulationFixture.h"
#include "engine/ModulatedParam.h"
#include "engine/Params.h"

namespace {

// Targets of the LFO parameters: 120 + 4 x (amount, rate, phase) + LFO.
const unsigned int TARGET_LFO1_RATE = 124;
const unsigned int TARGET_LFO2_RATE = 125;
const unsigned int TARGET_LFO3_RATE = 126;
const unsigned int TARGET_MSEG2_RATE = 133;

class ModulationMatrixTest : public ModulationFixture {
 protected:
  unsigned int TargetOf(unsigned int paramId) {
    int t = Params::ParamIdToModTarget(paramId);
    EXPECT_GT(t, 0) << paramId;
    return static_cast<unsigned int>(t);
  }
  unsigned int Count(unsigned int target) { return matrix.GetSourceListOfTarget(target)->count; }
};

TEST_F(ModulationMatrixTest, LoopRefusalAmongLfosAndMsegs) {
  const struct {
    float source;
    unsigned int target;
    bool accepted;
  } cases[] = {
      {2, TARGET_LFO1_RATE, true},    // LFO 2 -> LFO 1 rate
      {1, TARGET_LFO1_RATE, false},   // LFO 1 -> itself
      {1, TARGET_LFO2_RATE, false},   // LFO 1 -> a higher LFO
      {4, TARGET_LFO1_RATE, true},    // vibrato -> LFO 1..3
      {4, TARGET_LFO3_RATE, true},
      {4, 123, false},                // vibrato -> its own amount
      {5, TARGET_LFO1_RATE, true},    // an envelope may modulate an LFO
      {11, TARGET_MSEG2_RATE, true},  // MSEG 3 -> MSEG 2 rate
      {10, TARGET_MSEG2_RATE, false}, // MSEG 2 -> itself
      {9, TARGET_MSEG2_RATE, false},  // MSEG 1 -> a higher MSEG
  };
  for (const auto& c : cases) {
    SetSlot(0, c.source, static_cast<float>(c.target));
    EXPECT_EQ(Count(c.target), c.accepted ? 1u : 0u) << "source " << c.source << " target " << c.target;
  }
}

TEST_F(ModulationMatrixTest, DamagedSlotsCountAsEmpty) {
  const float badSources[] = {17.0f, 32.0f, 40.0f, -1.0f, -3e9f, 1e10f, NAN, INFINITY};
  const float badTargets[] = {285.0f, 1000.0f, -1.0f, -1e10f, 4294967296.0f, NAN};
  unsigned int target = TargetOf(PARAM_ENV_ATTACK);
  for (float s : badSources) {
    SetSlot(3, s, static_cast<float>(target));
    EXPECT_EQ(Count(target), 0u) << s;
    EXPECT_EQ(matrix.GetControllerListOfTarget(target)->count, 0u) << s;
  }
  for (float t : badTargets) {
    SetSlot(3, 1.0f, t);
    EXPECT_EQ(matrix.GetSourceBuffer(1), nullptr) << t;
  }
  // Sources 13 to 16 get a buffer that nothing writes; it reads 0.
  SetSlot(3, 13.0f, static_cast<float>(target));
  ASSERT_EQ(Count(target), 1u);
  EXPECT_EQ(matrix.GetSourceListOfTarget(target)->source[0][kBlock - 1], 0.0f);
}

TEST_F(ModulationMatrixTest, SharedBuffersAndControllerSlots) {
  unsigned int a = TargetOf(PARAM_ENV_ATTACK);
  unsigned int d = TargetOf(PARAM_ENV_DECAY);
  SetSlot(2, 1.0f, static_cast<float>(a));
  SetSlot(5, 1.0f, static_cast<float>(d));
  SetSlot(6, 18.0f, static_cast<float>(d));  // mod wheel
  SetSlot(7, 8.0f, static_cast<float>(d));   // amplitude envelope
  MOD_SOURCE_LIST* la = matrix.GetSourceListOfTarget(a);
  MOD_SOURCE_LIST* ld = matrix.GetSourceListOfTarget(d);
  ASSERT_EQ(la->count, 1u);
  ASSERT_EQ(ld->count, 2u);
  // Two slots with one generator share the lower slot's buffer.
  EXPECT_EQ(la->source[0], ld->source[0]);
  EXPECT_EQ(la->amount[0], synth.GetParamPointer(PARAM_MOD_DEPTH + 2));
  EXPECT_EQ(ld->amount[0], synth.GetParamPointer(PARAM_MOD_DEPTH + 5));
  EXPECT_EQ(ld->source[1], matrix.GetAmpEnv());
  MOD_CONTROLLER_LIST* cd = matrix.GetControllerListOfTarget(d);
  ASSERT_EQ(cd->count, 1u);
  EXPECT_EQ(cd->slot[0], 6u);
  matrix.SetController(1, 0.75f);
  EXPECT_EQ(*cd->value[0], 0.75f);
  EXPECT_EQ(matrix.GetController(PARAM_ENV_DECAY), cd);
  EXPECT_EQ(matrix.GetModulation(PARAM_ENV_DECAY), ld);
}

// A slot that modulated a parameter by a controller and is then pointed
// elsewhere, or given an audio-rate source, leaves the parameter's buffer at
// the modulated value unless the store ramps it back: the change starts a
// ramp to the parameter's own value, from where the smoothed value stands.
TEST_F(ModulationMatrixTest, ChangedSlotRampsItsOldTargetBack) {
  const struct {
    const char* what;
    unsigned int id;
    float value;
  } changes[] = {
      {"new target", PARAM_MOD_TARGET, 0.0f},  // filled in below
      {"audio-rate source", PARAM_MOD_SOURCE, static_cast<float>(MOD_SOURCE_LFO1)},
  };
  const float* buffer = synth.GetParamPointer(PARAM_ENV_DECAY);
  // Block starts, each filling the buffer of the parameter.
  auto blocks = [&](unsigned int count) {
    for (unsigned int k = 0; k < count; ++k) {
      params.Update();
      params.ClearStatus();
      params.UpdateParam(PARAM_ENV_DECAY, kBlock);
    }
  };
  for (auto change : changes) {
    SCOPED_TRACE(change.what);
    if (change.id == PARAM_MOD_TARGET) change.value = static_cast<float>(TargetOf(PARAM_ENV_ATTACK));
    SetModulatable(PARAM_ENV_DECAY, 0.3f);
    SetSlot(0, static_cast<float>(MOD_SOURCE_CONTROLLER), static_cast<float>(TargetOf(PARAM_ENV_DECAY)));
    matrix.SetController(1, 0.5f);  // mod wheel: 0.3 + 0.5
    // A held controller restarts the ramp every block, so the value closes
    // in on its target a fraction of the way per block.
    blocks(800);
    const float start = buffer[kBlock - 1];
    ASSERT_NEAR(start, 0.8f, 1e-3f);

    // The change, then the next block start with the rebuilt routing.
    params.SetParam(change.id, change.value);
    params.Update();
    matrix.RebuildMatrix();
    params.ClearStatus();
    ASSERT_EQ(matrix.GetController(PARAM_ENV_DECAY)->count, 0u);
    params.UpdateParam(PARAM_ENV_DECAY, kBlock);
    // A ramp from where the value stood, not a jump, and not standing still.
    EXPECT_LT(buffer[0], start);
    EXPECT_GT(buffer[0], start - 0.01f);
    for (unsigned int i = 1; i < kBlock; ++i) ASSERT_LT(buffer[i], buffer[i - 1]) << i;
    blocks(2000 / kBlock + 1);  // past the 30 ms ramp
    EXPECT_FLOAT_EQ(buffer[kBlock - 1], 0.3f);
    SetSlot(0, 0.0f, 0.0f);
  }
}

TEST_F(ModulationMatrixTest, Controllers) {
  EXPECT_EQ(matrix.GetControllerValue(124), 1.0f);
  for (unsigned int id = 120; id <= 133; ++id) {
    if (id != 124) {
      EXPECT_EQ(matrix.GetControllerValue(id), 0.0f) << id;
    }
  }
  matrix.SetController(1, 0.5f);
  matrix.SetController(2, 0.25f);
  matrix.SetController(11, 0.125f);
  matrix.SetController(64, 0.9f);
  matrix.SetController(1000, 0.9f);
  EXPECT_EQ(matrix.GetControllerValue(120), 0.5f);
  EXPECT_EQ(matrix.GetControllerValue(123), 0.25f);
  EXPECT_EQ(matrix.GetControllerValue(124), 0.125f);
  EXPECT_EQ(matrix.GetControllerValue(100), 0.0f);
  EXPECT_EQ(matrix.GetControllerValue(1000), 0.0f);
  // A parameter that is no target gets the always-empty list.
  EXPECT_EQ(matrix.GetModulation(PARAM_UNISON_COUNT)->count, 0u);
}

TEST_F(ModulationMatrixTest, DepthMapsToSignedSquare) {
  // One source (envelope 1) on the attack of envelope 2, whose value is 0.5;
  // the source buffer holds 0.2.
  unsigned int target = TargetOf(PARAM_ENV_ATTACK + 1);
  SetModulatable(PARAM_ENV_ATTACK + 1, 0.5f);
  const struct {
    float depth;
    float base;
    float expected;
  } cases[] = {{1.0f, 0.5f, 0.7f}, {0.0f, 0.5f, 0.3f}, {0.75f, 0.5f, 0.55f}, {0.25f, 0.5f, 0.45f},
               {0.5f, 0.5f, 0.5f}, {1.0f, 0.9f, 1.0f}, {0.0f, 0.1f, 0.0f}};
  for (const auto& c : cases) {
    SetModulatable(PARAM_ENV_ATTACK + 1, c.base);
    SetSlot(0, 5.0f, static_cast<float>(target), c.depth);
    matrix.UpdateParams(kBlock);
    float* src = matrix.GetSourceBuffer(5);
    ASSERT_NE(src, nullptr);
    for (unsigned int i = 0; i < kBlock; ++i) src[i] = 0.2f;
    MODULATED_PARAM p;
    p.Init(&synth, PARAM_ENV_ATTACK + 1);
    p.SetUseOversamplingShift(false);
    p.Update(kBlock);
    EXPECT_NEAR(p.GetValue(kBlock - 1), c.expected, 1e-4f) << "depth " << c.depth << " base " << c.base;
  }
  // Without sources the value is the buffered one, unclamped by the record.
  SetSlot(0, 0.0f, 0.0f);
  MODULATED_PARAM p;
  p.Init(&synth, PARAM_ENV_ATTACK + 1);
  p.Update(kBlock);
  EXPECT_FALSE(p.IsModulated());
  EXPECT_NEAR(p.GetValue(0), 0.1f, 1e-4f);
}

TEST_F(ModulationMatrixTest, UnusedGeneratorsDoNotRun) {
  SetPlain(PARAM_ENV_ON + 1, 1.0f);
  SetPlain(PARAM_ENV_ON + 3, 1.0f);
  unsigned int target = TargetOf(PARAM_ENV_ATTACK + 2);
  SetSlot(0, 5.0f, static_cast<float>(target));  // envelope 1 only
  auto v = StartVoice();
  matrix.UpdateParams(kBlock);
  matrix.PolyGenerate(v.get(), kBlock);
  // Envelope 2 was not run: its state has not moved; envelope 1 and the
  // amplitude envelope ran.
  EXPECT_EQ(v->GetEnvState(1)->position, 0.0f);
  EXPECT_GT(v->GetEnvState(3)->position, 0.0f);
  EXPECT_GT(matrix.GetAmpEnv()[kBlock - 1], 0.0f);
  EXPECT_EQ(matrix.GetSourceBuffer(6), nullptr);
}

TEST_F(ModulationMatrixTest, LegatoRunsEnvelopesOnTheMonoVoice) {
  SetPlain(PARAM_ENV_ON + 3, 1.0f);
  SetPlain(PARAM_VOICE_MODE, 2.0f);
  SetPlain(PARAM_ARP_ON, 0.0f);
  CVoice mono(&synth, kRate);
  auto v = StartVoice();
  matrix.UpdateParams(kBlock);
  matrix.PolyGenerate(v.get(), kBlock);
  EXPECT_EQ(v->GetEnvState(3)->position, 0.0f);
  matrix.MonoGenerate(&mono, kBlock);
  EXPECT_GT(mono.GetEnvState(3)->position, 0.0f);
  // With the arpeggiator on the envelopes run per voice again.
  SetPlain(PARAM_ARP_ON, 1.0f);
  matrix.PolyGenerate(v.get(), kBlock);
  EXPECT_GT(v->GetEnvState(3)->position, 0.0f);
}

}  // namespace

// A record kept from block to block skips its refresh while its parameter
// stands still; after every kind of change it must read what a record made
// afresh for that block reads.
TEST_F(ModulationMatrixTest, KeptParameterRecordFollowsEveryChange) {
  const unsigned int id = PARAM_ENV_ATTACK + 1;
  SetModulatable(id, 0.1f);
  MODULATED_PARAM kept;
  kept.Init(&synth, id);
  const char* what = "";
  auto block = [&](unsigned int n) {
    params.BeginBlock();
    kept.Update(n);
    // What the kept record reads before the fresh one has the store fill
    // the block: a skipped refresh must not leave part of it unfilled.
    ASSERT_NE(kept.values, nullptr);
    const std::vector<float> buffer(kept.values, kept.values + n);
    std::vector<float> values(n);
    for (unsigned int i = 0; i < n; ++i) values[i] = kept.GetValue(i);
    MODULATED_PARAM fresh;
    fresh.Init(&synth, id);
    fresh.Update(n);
    params.EndBlock();
    ASSERT_EQ(kept.constant, fresh.constant) << what;
    ASSERT_EQ(kept.shift, fresh.shift) << what;
    ASSERT_EQ(kept.IsModulated(), fresh.IsModulated()) << what;
    for (unsigned int i = 0; i < n; ++i) {
      ASSERT_EQ(buffer[i], fresh.values[i]) << what << ", sample " << i;
      ASSERT_EQ(values[i], fresh.GetValue(i)) << what << ", sample " << i;
    }
  };
  const struct {
    const char* what;
    std::function<void()> change;
  } steps[] = {
      {"nothing", [] {}},
      {"a new value ramps", [&] { params.SetParam(id, 0.7f); }},
      {"a source routed", [&] { SetSlot(0, 5.0f, static_cast<float>(TargetOf(id)), 0.8f); }},
      {"the source removed", [&] { SetSlot(0, 0.0f, 0.0f); }},
      {"the wheel routed", [&] { SetSlot(1, 18.0f, static_cast<float>(TargetOf(id)), 0.9f); }},
      {"the wheel moved", [&] { matrix.SetController(1, 0.5f); }},
      {"the wheel unrouted", [&] { SetSlot(1, 0.0f, 0.0f); }},
      {"oversampling", [&] { synth.SetOversampling(8); }},
      {"a new block size", [&] { params.SetBlockSize(kBlock); }},
      {"the same value again", [&] { params.SetParam(id, 0.7f); }},
  };
  for (const auto& step : steps) {
    what = step.what;
    step.change();
    // Long enough for any ramp to end and for settled blocks after it.
    for (unsigned int b = 0; b < 2000 / kBlock + 3; ++b) block(kBlock);
  }
  // A ramp that ends late in a long block, then a short settled block, then
  // a long one: the long block must not read the ramp's old samples.
  what = "a long block after a short settled one";
  params.SetParam(id, 0.2f);
  const unsigned int ramp = params.GetRampLength();
  unsigned int left = ramp - (kBlock - 8);  // the ramp's last block ends it at sample kBlock - 9
  while (left > 0) {
    const unsigned int n = left < kBlock ? left : kBlock;
    block(n);
    left -= n;
  }
  block(kBlock);
  block(kBlock / 4);
  block(kBlock);
  EXPECT_EQ(kept.GetValue(kBlock - 1), 0.2f);
}
