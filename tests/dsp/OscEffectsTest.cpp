// The effect chain of an oscillator: slot rebuild rules, the buzz and
// feedback amounts it publishes, processing order, level and pan.
#include <gtest/gtest.h>

#include "StageFixture.h"
#include "dsp/OscAmountEffects.h"
#include "dsp/OscEffects.h"
#include "dsp/Scissor.h"
#include "dsp/SubOsc.h"
#include "dsp/Brilliance.h"

namespace {

const unsigned int OSC = 1;

class OscEffectsTest : public StageFixture {
 protected:
  void SetUp() override {
    for (unsigned int s = 0; s < 4; ++s) {
      SetType(s, 99.0f);
      Set(PARAM_OSC_FX_AMOUNT + 4 * s + OSC, 0.0f);
    }
    Set(PARAM_OSC_LEVEL + OSC, 0.5f);
    Set(PARAM_OSC_PAN + OSC, 0.5f);
    SetPitchHz(220.0f);
  }
  void SetType(unsigned int slot, float type) { Set(PARAM_OSC_FX_TYPE + 4 * slot + OSC, type); }
  void SetAmount(unsigned int slot, float a) { Set(PARAM_OSC_FX_AMOUNT + 4 * slot + OSC, a); }
  std::unique_ptr<COscEffects> Chain() {
    auto c = std::make_unique<COscEffects>(&f.synth);
    c->SetInstance(OSC);
    c->SetSampleRate(Rate());
    c->SetBlockSize(N());
    c->RebuildOscFX();
    return c;
  }
  // One block through the whole chain (no filter or drive between).
  void Run(COscEffects& c, CVoice* v, std::vector<float>& l, std::vector<float>& r) {
    c.UpdateParams(HOST_N);
    c.PreProcess(v, l.data(), r.data(), N());
    c.ProcessSlots(v, l.data(), N());
    c.ProcessOutput(v, l.data(), r.data(), N());
  }
  int TypeIn(COscEffects& c, unsigned int slot) {
    IOscEffect* e = c.GetSlot(slot);
    return e ? static_cast<int>(e->GetType()) : -1;
  }
};

TEST_F(OscEffectsTest, RebuildFillsSlotsWithOneBuzzAndOneFeedPerOscillator) {
  struct CASE {
    float types[4];
    int expect[4];
  };
  const CASE cases[] = {
      {{0, 0, 4, 4}, {0, -1, 4, -1}},
      {{4, 0, 4, 0}, {4, 0, -1, -1}},
      {{3, 1, 1, 2}, {3, 1, 1, 2}},
      {{6, 5, 5, 6}, {6, 5, 5, 6}},
      {{7, 100, -3, NAN}, {-1, -1, -1, -1}},
      {{6.9f, 1e30f, INFINITY, -0.5f}, {6, -1, -1, 0}},
  };
  for (const CASE& c : cases) {
    // Straight into the live image, past the store's checks: how a damaged
    // image reaches the chain.
    for (unsigned int s = 0; s < 4; ++s) f.params.GetPreset()->data[PARAM_OSC_FX_TYPE + 4 * s + OSC] = c.types[s];
    auto chain = Chain();
    for (unsigned int s = 0; s < 4; ++s) EXPECT_EQ(TypeIn(*chain, s), c.expect[s]) << "slot " << s;
  }
}

TEST_F(OscEffectsTest, PreProcessPublishesSummedAmountsOrNull) {
  auto v = NewVoice();
  std::vector<float> l(N(), 0.25f), r(N(), 0.0f);
  // No buzz or feed slot: both pointers null, even after a block that had them.
  SetType(0, 0.0f);
  SetType(1, 0.0f);
  SetType(2, 4.0f);
  SetType(3, 4.0f);
  SetAmount(0, 0.3f);
  SetAmount(1, 0.2f);
  SetAmount(2, 0.5f);
  SetAmount(3, 0.25f);
  auto chain = Chain();
  chain->UpdateParams(HOST_N);
  chain->PreProcess(v.get(), l.data(), r.data(), N());
  const float* buzz = f.synth.GetBuzzParam(OSC);
  const float* feed = f.synth.GetFeedbackParam(OSC);
  ASSERT_NE(buzz, nullptr);
  ASSERT_NE(feed, nullptr);
  for (unsigned int j = 0; j < HOST_N; ++j) {
    ASSERT_NEAR(buzz[j], 0.5f, 1e-6f);
    ASSERT_NEAR(feed[j], 0.2f * 0.75f, 1e-6f);
  }
  for (float x : l) ASSERT_EQ(x, 0.25f);  // the audio is not touched
  // Other oscillators' pointers stay as they were.
  EXPECT_EQ(f.synth.GetBuzzParam(0), nullptr);

  // One feed slot at 1, then two.
  for (unsigned int s = 0; s < 4; ++s) SetType(s, 99.0f);
  SetType(1, 4.0f);
  SetAmount(1, 1.0f);
  chain->RebuildOscFX();
  chain->UpdateParams(HOST_N);
  chain->PreProcess(v.get(), l.data(), r.data(), N());
  EXPECT_EQ(f.synth.GetBuzzParam(OSC), nullptr);
  ASSERT_NE(f.synth.GetFeedbackParam(OSC), nullptr);
  EXPECT_NEAR(f.synth.GetFeedbackParam(OSC)[HOST_N - 1], 0.2f, 1e-6f);
  SetType(3, 4.0f);
  SetAmount(3, 1.0f);
  chain->RebuildOscFX();
  chain->UpdateParams(HOST_N);
  chain->PreProcess(v.get(), l.data(), r.data(), N());
  EXPECT_NEAR(f.synth.GetFeedbackParam(OSC)[0], 0.4f, 1e-6f);

  for (unsigned int s = 0; s < 4; ++s) SetType(s, 1.0f);
  chain->RebuildOscFX();
  chain->UpdateParams(HOST_N);
  chain->PreProcess(v.get(), l.data(), r.data(), N());
  EXPECT_EQ(f.synth.GetBuzzParam(OSC), nullptr);
  EXPECT_EQ(f.synth.GetFeedbackParam(OSC), nullptr);
}

TEST_F(OscEffectsTest, AudioRateSourcesOnTheAmountReachThePublishedBuffer) {
  SetType(2, 0.0f);
  SetAmount(2, 0.25f);
  mod.AddSource(PARAM_OSC_FX_AMOUNT + 8 + OSC, 1.0f, 1.0f);  // +1 at full depth: clamped to 1
  SetType(3, 0.0f);
  SetAmount(3, 0.0f);
  mod.AddSource(PARAM_OSC_FX_AMOUNT + 12 + OSC, 0.5f, 0.0f);  // -0.5: clamped to 0
  auto chain = Chain();
  auto v = NewVoice();
  std::vector<float> l(N()), r(N());
  chain->UpdateParams(HOST_N);
  chain->PreProcess(v.get(), l.data(), r.data(), N());
  ASSERT_NE(f.synth.GetBuzzParam(OSC), nullptr);
  EXPECT_NEAR(f.synth.GetBuzzParam(OSC)[3], 1.0f, 1e-6f);
}

TEST_F(OscEffectsTest, SlotsRunBeforeTheFilterAndBrillianceAfterItWhateverTheSlot) {
  // Types 3, 1, 1, 2: scissor (slot 1), scissor (slot 2), sub (slot 3), then
  // brilliance (slot 0), checked against the effects applied one by one.
  SetType(0, 3.0f);
  SetType(1, 1.0f);
  SetType(2, 1.0f);
  SetType(3, 2.0f);
  for (unsigned int s = 0; s < 4; ++s) SetAmount(s, 0.6f);
  Set(PARAM_OSC_PAN + OSC, 0.0f);  // left = the chain's mono signal at unity

  auto v = NewVoice();
  v->GetOscState(OSC)->phase = 0.3f;
  auto chain = Chain();
  chain->Reset(v.get());
  std::vector<float> in = Sine(N(), 220.0, Rate(), 0.5);
  std::vector<float> l = in, r(N());
  Run(*chain, v.get(), l, r);

  auto w = NewVoice();
  w->GetOscState(OSC)->phase = 0.3f;
  CBrilliance brill(&f.synth);
  CScissor sc1(&f.synth), sc2(&f.synth);
  CSubOsc sub(&f.synth);
  IOscEffect* order[4] = {&sc1, &sc2, &sub, &brill};
  const unsigned int slots[4] = {1, 2, 3, 0};
  for (unsigned int k = 0; k < 4; ++k) {
    order[k]->SetInstance(OSC, slots[k]);
    order[k]->SetSampleRate(Rate());
    order[k]->Reset(w.get());
  }
  std::vector<float> expect = in, brillFirst = in;
  for (IOscEffect* e : order) {
    e->UpdateParams(HOST_N);
    e->Process(w.get(), expect.data(), N());
  }
  for (unsigned int i = 0; i < N(); ++i) ASSERT_NEAR(l[i], expect[i], 1e-6f) << i;

  // Brilliance first would sound different.
  auto u = NewVoice();
  u->GetOscState(OSC)->phase = 0.3f;
  for (IOscEffect* e : order) e->Reset(u.get());
  IOscEffect* wrong[4] = {&brill, &sc1, &sc2, &sub};
  for (IOscEffect* e : wrong) e->Process(u.get(), brillFirst.data(), N());
  double diff = 0.0;
  for (unsigned int i = 0; i < N(); ++i) diff = std::max(diff, std::fabs(double(brillFirst[i]) - l[i]));
  EXPECT_GT(diff, 0.01);
}

TEST_F(OscEffectsTest, LevelAndPanLaws) {
  struct CASE {
    float level, pan, unisonShift;
    float left, right;  // gains
  };
  const CASE cases[] = {
      {0.5f, 0.5f, 0.0f, 0.5f, 0.5f}, {1.0f, 0.5f, 0.0f, 2.0f, 2.0f}, {0.7f, 0.0f, 0.0f, 1.96f, 0.0f},
      {0.5f, 1.0f, 0.0f, 0.0f, 1.0f}, {0.5f, 0.5f, 1.0f, 0.0f, 1.0f}, {0.5f, 0.5f, -1.0f, 1.0f, 0.0f},
      {0.0f, 0.3f, 0.0f, 0.0f, 0.0f}, {0.5f, 0.25f, 0.5f, 0.5f, 0.5f},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << c.level << " " << c.pan << " " << c.unisonShift);
    Set(PARAM_OSC_LEVEL + OSC, c.level);
    Set(PARAM_OSC_PAN + OSC, c.pan);
    f.synth.SetUnisonPanShift(2, c.unisonShift);
    auto chain = Chain();
    auto v = NewVoice(60, 2);
    std::vector<float> l(N(), 0.8f), r(N(), 5.0f);
    Run(*chain, v.get(), l, r);
    for (unsigned int i = 0; i < N(); ++i) {
      ASSERT_NEAR(l[i], 0.8f * c.left, 1e-5f);
      ASSERT_NEAR(r[i], 0.8f * c.right, 1e-5f);
    }
  }
}

TEST_F(OscEffectsTest, EmptyAndZeroAmountSlotsLeaveTheSignalBitExact) {
  Set(PARAM_OSC_PAN + OSC, 0.0f);  // unity on the left
  for (float t : {1.0f, 2.0f, 3.0f, 5.0f, 6.0f}) {
    SCOPED_TRACE(t);
    for (unsigned int s = 0; s < 4; ++s) SetType(s, t);
    auto chain = Chain();
    auto v = NewVoice();
    chain->Reset(v.get());
    std::vector<float> in = Sine(N(), 313.0, Rate(), 0.7);
    std::vector<float> l = in, r(N());
    for (int b = 0; b < 3; ++b) {
      l = in;
      Run(*chain, v.get(), l, r);
      ASSERT_EQ(l, in);
    }
  }
}

TEST_F(OscEffectsTest, ZeroDepthSourceEngagesTheEffectAtAmountZero) {
  // Engaged at a = 0: every type passes the signal (the shelf to rounding),
  // and the phases run.
  for (unsigned int t : {1u, 2u, 3u, 5u, 6u}) {
    SCOPED_TRACE(t);
    mod.Clear();
    mod.AddSource(PARAM_OSC_FX_AMOUNT + OSC, 0.7f, 0.5f);
    SetType(0, static_cast<float>(t));
    auto chain = Chain();
    auto v = NewVoice();
    chain->Reset(v.get());
    IOscEffect* e = chain->GetSlot(0);
    ASSERT_NE(e, nullptr);
    std::vector<float> in = Sine(N(), 313.0, Rate(), 0.7), x = in;
    e->UpdateParams(HOST_N);
    e->Process(v.get(), x.data(), N());
    for (unsigned int i = 0; i < N(); ++i) ASSERT_NEAR(x[i], in[i], t == 3 ? 1e-5f : 0.0f) << i;
  }
}

TEST_F(OscEffectsTest, ZeroAmountSlotsMoveTheirPhasesAsAnEngagedSlotAtZero) {
  // A bypassed slot skips its gate or saw but must leave its phases where
  // the effect running at a = 0 leaves them, so that raising the amount
  // later in the note sounds the same either way. Low and high notes: the
  // bypassed phases take shortcuts at slow rates and at whole-cycle steps.
  for (float hz : {55.0f, 220.0f, 2000.0f, 6000.0f})
  for (unsigned int t : {1u, 2u, 5u, 6u}) {
    SCOPED_TRACE(t);
    SCOPED_TRACE(hz);
    SetPitchHz(hz);
    SetType(0, static_cast<float>(t));
    auto phasesAfter = [&](bool engaged, int blocks) {
      mod.Clear();
      if (engaged) mod.AddSource(PARAM_OSC_FX_AMOUNT + OSC, 0.7f, 0.5f);
      auto chain = Chain();
      auto v = NewVoice();
      chain->Reset(v.get());
      IOscEffect* e = chain->GetSlot(0);
      std::vector<float> in = Sine(N(), 313.0, Rate(), 0.7);
      for (int b = 0; b < blocks; ++b) {
        std::vector<float> x = in;
        e->UpdateParams(HOST_N);
        e->Process(v.get(), x.data(), N());
      }
      const OSC_FX_STATE* s = v->GetOscFXState(OSC);
      return std::vector<float>{s->scissorPhase[0], s->subPhase[0], s->ringer[0][0], s->ringer[0][1],
                                s->chipPhase[0]};
    };
    const std::vector<float> bypassed = phasesAfter(false, 5);
    EXPECT_EQ(bypassed, phasesAfter(true, 5));
    // The phases did move (at high notes a chip gate's steps are whole
    // cycles: its phase can come back to where it was).
    if (hz <= 220.0f) {
      EXPECT_NE(bypassed, phasesAfter(false, 0));
    }
  }
}

TEST_F(OscEffectsTest, RebuildKeepsSoundingStateAndASlotTypedLaterStartsClean) {
  SetType(0, 1.0f);
  SetAmount(0, 0.5f);
  SetAmount(1, 0.5f);
  auto chain = Chain();
  auto v = NewVoice();
  v->GetOscState(OSC)->phase = 0.1f;
  chain->Reset(v.get());
  std::vector<float> l(N(), 0.5f), r(N());
  Run(*chain, v.get(), l, r);
  const float phase = v->GetOscFXState(OSC)->scissorPhase[0];
  EXPECT_NE(phase, 0.0f);
  // A brilliance appears in slot 1 in the middle of the note.
  SetType(1, 3.0f);
  chain->RebuildOscFX();
  EXPECT_EQ(v->GetOscFXState(OSC)->scissorPhase[0], phase);
  for (float s : v->GetOscFXState(OSC)->brilliance[1]) EXPECT_EQ(s, 0.0f);
  std::fill(l.begin(), l.end(), 0.5f);
  Run(*chain, v.get(), l, r);
  EXPECT_TRUE(AllFinite(l));
}

TEST_F(OscEffectsTest, SubOctaveFollowsTheSlotTypesThroughARebuild) {
  SetType(0, 2.0f);
  SetType(2, 2.0f);
  auto chain = Chain();
  auto v = NewVoice();
  chain->Reset(v.get());
  EXPECT_EQ(static_cast<CSubOsc*>(chain->GetSlot(0))->GetRatio(), 0.5f);
  EXPECT_EQ(static_cast<CSubOsc*>(chain->GetSlot(2))->GetRatio(), 0.25f);
  // Another slot changes: the second sub stays two octaves down.
  SetType(1, 6.0f);
  chain->RebuildOscFX();
  EXPECT_EQ(static_cast<CSubOsc*>(chain->GetSlot(2))->GetRatio(), 0.25f);
  // The first sub slot goes: the former second becomes the first.
  SetType(0, 99.0f);
  chain->RebuildOscFX();
  EXPECT_EQ(static_cast<CSubOsc*>(chain->GetSlot(2))->GetRatio(), 0.5f);
}

}  // namespace
