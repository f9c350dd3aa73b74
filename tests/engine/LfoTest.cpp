#include <algorithm>
#include <cmath>
#include <cstring>

#include "ModulationFixture.h"
#include "engine/Params.h"

namespace {

class LfoTest : public ModulationFixture {
 protected:
  LfoTest() {
    // LFO 1: on, sine, poly, "1/4", full amount and rate, no phase offset.
    SetPlain(PARAM_LFO_ON, 1.0f);
    SetPlain(PARAM_LFO_SHAPE, 0.0f);
    SetPlain(PARAM_LFO_TRIGGER, 0.0f);
    SetPlain(PARAM_LFO_SYNC, 2.0f);
    SetModulatable(PARAM_LFO_AMOUNT, 1.0f);
    SetModulatable(PARAM_LFO_RATE, 1.0f);
    SetModulatable(PARAM_LFO_PHASE, 0.0f);
  }
  CLfo* Lfo() { return matrix.GetLfo(0); }

  std::vector<float> Run(CVoice* v, unsigned int n) {
    return Render(n, [&](float* out, unsigned int len) {
      Lfo()->UpdateParams(len);
      Lfo()->Generate(v, out, len);
    });
  }
};

// Mean distance between rising zero crossings, in samples.
double MeanPeriod(const std::vector<float>& v) {
  std::vector<double> ups;
  for (size_t i = 1; i < v.size(); ++i)
    if (v[i - 1] < 0.0f && v[i] >= 0.0f) ups.push_back(static_cast<double>(i));
  if (ups.size() < 2) return 0.0;
  return (ups.back() - ups.front()) / static_cast<double>(ups.size() - 1);
}

TEST_F(LfoTest, CycleTimeFollowsSyncAndTempo) {
  const struct {
    float sync;
    float tempo;
    float rate;
    double seconds;
  } cases[] = {
      {2.0f, 120.0f, 1.0f, 0.5},    // "1/4" at 120 BPM
      {2.0f, 60.0f, 1.0f, 1.0},
      {3.0f, 120.0f, 0.5f, 1.0},    // rate 0.5 runs at a quarter of the speed
      {31.0f, 200.0f, 1.0f, 0.05},  // seconds ignore the tempo
      {32.0f, 60.0f, 1.0f, 1.0},
  };
  for (const auto& c : cases) {
    SetPlain(PARAM_LFO_SYNC, c.sync);
    SetModulatable(PARAM_LFO_RATE, c.rate);
    synth.SetHostTempo(c.tempo);
    auto v = StartVoice();
    auto out = Run(v.get(), static_cast<unsigned int>(kRate * 3.2));
    EXPECT_NEAR(MeanPeriod(out), c.seconds * kRate, c.seconds * kRate * 0.002) << "sync " << c.sync;
    EXPECT_NEAR(*std::max_element(out.begin(), out.end()), 1.0f, 1e-3f);
  }
}

TEST_F(LfoTest, FreeAndFirstKeyPhasesAreSharedAcrossVoices) {
  for (float trigger : {1.0f, 2.0f}) {
    SetPlain(PARAM_LFO_TRIGGER, trigger);
    matrix.FirstKeyPress();
    auto a = StartVoice();
    // Voice a runs alone for a while, free phase moving between blocks.
    for (int b = 0; b < 37; ++b) {
      matrix.UpdateParams(kBlock);
      std::vector<float> out(kBlock);
      Lfo()->Generate(a.get(), out.data(), kBlock);
      matrix.FreePhaseRun(kBlock);
    }
    auto b = StartVoice(72);
    std::vector<float> oa(kBlock), ob(kBlock);
    matrix.UpdateParams(kBlock);
    Lfo()->Generate(a.get(), oa.data(), kBlock);
    Lfo()->Generate(b.get(), ob.data(), kBlock);
    EXPECT_EQ(oa, ob) << "trigger " << trigger;
    EXPECT_NE(oa[0], 0.0f);
  }
  // First key restarts the shared phase; in "free" mode it does not.
  SetPlain(PARAM_LFO_TRIGGER, 2.0f);
  matrix.UpdateParams(kBlock);
  matrix.FreePhaseRun(kBlock);
  EXPECT_GT(Lfo()->GetFreePhase(), 0.0f);
  matrix.FirstKeyPress();
  EXPECT_EQ(Lfo()->GetFreePhase(), 0.0f);
  SetPlain(PARAM_LFO_TRIGGER, 1.0f);
  matrix.FreePhaseRun(kBlock);
  matrix.FirstKeyPress();
  EXPECT_GT(Lfo()->GetFreePhase(), 0.0f);
  matrix.ResetFreePhase();
  EXPECT_EQ(Lfo()->GetFreePhase(), 0.0f);
}

// Settled controls take a shortcut for the table shapes; a source routed at
// depth 0.5 adds exactly nothing but forces the sample-by-sample path. Both
// must give the same samples, bit for bit, through many cycles.
TEST_F(LfoTest, SettledTableShapesMatchTheSampleBySamplePath) {
  SetPlain(PARAM_LFO_SYNC, 9.0f);
  SetModulatable(PARAM_LFO_AMOUNT, 0.8f);
  SetModulatable(PARAM_LFO_PHASE, 0.3f);
  for (float shape = 0.0f; shape < 8.0f; shape += 1.0f) {
    SetPlain(PARAM_LFO_SHAPE, shape);
    SetSlot(0, 0.0f, 0.0f);
    auto settled = StartVoice();
    const std::vector<float> a = Run(settled.get(), 20 * kBlock + 7);
    SetSlot(0, 2.0f, static_cast<float>(Params::ParamIdToModTarget(PARAM_LFO_RATE)), 0.5f);
    auto routed = StartVoice();
    const std::vector<float> b = Run(routed.get(), 20 * kBlock + 7);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(float)), 0) << "shape " << shape;
    float peak = 0.0f;
    for (float x : a) peak = std::max(peak, std::fabs(x));
    EXPECT_GT(peak, 0.1f) << "shape " << shape;
  }
  SetSlot(0, 0.0f, 0.0f);
}

// Without an output buffer (nobody reads the LFO) the voice's LFO state
// moves on exactly as with one, for every shape, settled or modulated.
TEST_F(LfoTest, RunningWithoutOutputLeavesTheSameState) {
  for (float sync : {0.0f, 3.0f, 9.0f})
  for (float routed : {0.0f, 1.0f})
    for (float shape = 0.0f; shape < static_cast<float>(LFO_SHAPE_COUNT); shape += 1.0f) {
      SetPlain(PARAM_LFO_SYNC, sync);
      SetPlain(PARAM_LFO_SHAPE, shape);
      SetSlot(0, routed ? 2.0f : 0.0f, routed ? static_cast<float>(Params::ParamIdToModTarget(PARAM_LFO_RATE)) : 0.0f,
              0.6f);
      auto with = StartVoice();
      auto without = StartVoice();
      *without->GetLfoState(0) = *with->GetLfoState(0);  // each start draws its own random value
      std::vector<float> out(kBlock);
      for (int b = 0; b < 30; ++b) {
        Lfo()->UpdateParams(kBlock);
        Lfo()->Generate(with.get(), out.data(), kBlock);
        Lfo()->Generate(without.get(), nullptr, kBlock);
      }
      const LFO_STATE* a = with->GetLfoState(0);
      const LFO_STATE* b = without->GetLfoState(0);
      EXPECT_EQ(std::memcmp(a, b, sizeof(LFO_STATE)), 0) << "shape " << shape << " routed " << routed << " sync " << sync;
      EXPECT_NE(a->phase, 0.0f);
    }
  SetSlot(0, 0.0f, 0.0f);
}

// A block of free running jumps over the stretches between wraps; it must
// land where running sample by sample lands.
TEST_F(LfoTest, FreePhaseOfABlockEqualsSampleBySample) {
  for (float sync : {0.0f, 3.0f, 9.0f}) {
    SetPlain(PARAM_LFO_TRIGGER, 2.0f);
    SetPlain(PARAM_LFO_SYNC, sync);
    matrix.UpdateParams(kBlock);
    matrix.ResetFreePhase();
    for (int b = 0; b < 40; ++b) matrix.FreePhaseRun(kBlock);
    const float block = Lfo()->GetFreePhase();
    matrix.ResetFreePhase();
    for (unsigned int i = 0; i < 40 * kBlock; ++i) matrix.FreePhaseRun(1);
    EXPECT_EQ(block, Lfo()->GetFreePhase()) << "sync " << sync;
    EXPECT_GT(block, 0.0f);
  }
}

TEST_F(LfoTest, RandomShapes) {
  SetPlain(PARAM_UNISON_COUNT, 4.0f);
  SetPlain(PARAM_LFO_SYNC, 3.0f);  // "1/8" = 0.25 s at 120 BPM
  // Rand step changes value twice per note length; unison sub-voices start
  // with their main voice's first value.
  SetPlain(PARAM_LFO_SHAPE, 8.0f);
  auto v = StartVoice();
  float first = v->GetLfoState(0)->current;
  for (unsigned int k = 1; k < 4; ++k) EXPECT_EQ(v->GetVoice(k)->GetLfoState(0)->current, first);
  auto out = Run(v.get(), static_cast<unsigned int>(kRate));
  EXPECT_EQ(out[0], first);
  int changes = 0;
  for (size_t i = 1; i < out.size(); ++i) changes += out[i] != out[i - 1];
  EXPECT_NEAR(changes, 8, 1);
  // Crackles burst eight times per note length and rest at 0 in between.
  SetPlain(PARAM_LFO_SHAPE, 10.0f);
  auto c = StartVoice();
  out = Run(c.get(), static_cast<unsigned int>(kRate * 0.25));
  int bursts = 0;
  for (size_t i = 1; i < out.size(); ++i) bursts += out[i - 1] == 0.0f && out[i] != 0.0f;
  EXPECT_NEAR(bursts, 8, 1);
  EXPECT_TRUE(AllFinite(out));
}

TEST_F(LfoTest, OffWritesZerosAndRateZeroFreezes) {
  SetPlain(PARAM_LFO_ON, 0.0f);
  auto v = StartVoice();
  v->GetLfoState(0)->phase = 0.3f;
  auto out = Run(v.get(), 200);
  for (float x : out) ASSERT_EQ(x, 0.0f);
  EXPECT_EQ(v->GetLfoState(0)->phase, 0.3f);
  SetPlain(PARAM_LFO_ON, 1.0f);
  SetModulatable(PARAM_LFO_RATE, 0.0f);
  out = Run(v.get(), 200);
  EXPECT_EQ(out.front(), out.back());
  EXPECT_NEAR(out.front(), std::sin(2.0 * M_PI * 0.3), 1e-3);
}

TEST_F(LfoTest, DamagedSettingsStayInsideTables) {
  const float bad[] = {11.0f, 34.0f, -1.0f, -7.5f, 1e9f, -1e9f, NAN, INFINITY};
  for (float b : bad) {
    SetPlain(PARAM_LFO_SHAPE, b);
    SetPlain(PARAM_LFO_SYNC, b);
    SetPlain(PARAM_LFO_TRIGGER, b);
    auto v = StartVoice();
    auto out = Run(v.get(), 2000);
    matrix.FreePhaseRun(kBlock);
    matrix.FirstKeyPress();
    EXPECT_TRUE(AllFinite(out)) << b;
  }
  // A phase offset of 1 at phase 0 reads the table's end without wrapping.
  SetPlain(PARAM_LFO_SHAPE, 0.0f);
  SetPlain(PARAM_LFO_SYNC, 2.0f);
  SetPlain(PARAM_LFO_TRIGGER, 0.0f);
  SetModulatable(PARAM_LFO_PHASE, 1.0f);
  auto v = StartVoice();
  auto out = Run(v.get(), 4);
  // (the store's ramp ends within float error of 1; a wrap would read 0)
  EXPECT_NEAR(out[0], std::sin(2.0 * M_PI * 4095.0 / 4096.0), 2e-4);
}

}  // namespace
