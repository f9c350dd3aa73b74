#include <cmath>

#include "ModulationFixture.h"
#include "engine/UnisonMapper.h"

namespace {

using VoiceTest = ModulationFixture;

TEST_F(VoiceTest, UnisonEightOwnsSevenSubVoicesAndReturnsAllBlocks) {
  SetPlain(PARAM_UNISON_COUNT, 8.0f);
  CMemoryPool* pool = synth.GetFilterMemoryPool();
  {
    CVoice v(&synth, 64, 0.5f, kRate, 0);
    ASSERT_EQ(v.GetUnisonCount(), 8u);
    EXPECT_EQ(v.GetVoice(0), &v);
    for (unsigned int k = 1; k < 8; ++k) {
      CVoice* s = v.GetVoice(k);
      ASSERT_NE(s, nullptr);
      EXPECT_EQ(s->GetUnisonVoice(), k);
      EXPECT_EQ(s->GetUnisonCount(), 0u);
      EXPECT_EQ(*s->GetPitch(), 64);
      EXPECT_NE(s->GetOscFXState(3)->memory[1], nullptr);
      EXPECT_EQ(s->GetOscState(0)->randomPhase, s->GetOscState(3)->randomPhase);
    }
    EXPECT_EQ(pool->GetUsedCount(), 96u);
  }
  EXPECT_EQ(pool->GetUsedCount(), 0u);
}

TEST_F(VoiceTest, UnisonCountOutsideRangeIsClamped) {
  const struct {
    float stored;
    unsigned int count;
  } cases[] = {{1.0f, 1}, {3.7f, 3}, {0.0f, 1}, {-5.0f, 1}, {9.0f, 8}, {1e9f, 8}, {NAN, 1}, {-INFINITY, 1}};
  CUnisonMapper mapper(&synth);
  for (const auto& c : cases) {
    SetPlain(PARAM_UNISON_COUNT, c.stored);
    CVoice v(&synth, 60, 1.0f, kRate, 0);
    EXPECT_EQ(v.GetUnisonCount(), c.count) << c.stored;
    mapper.Map();
    for (unsigned int i = 0; i < 8; ++i) EXPECT_TRUE(std::isfinite(synth.GetUnisonNsPhaseShift(i)));
  }
}

TEST_F(VoiceTest, SettersActOnTheWholeSetAndNotOnSubVoices) {
  SetPlain(PARAM_UNISON_COUNT, 4.0f);
  CVoice v(&synth, 60, 1.0f, kRate, 0);
  v.SetPitch(70);
  v.SetVelocity(0.25f);
  v.SetLegato(true);
  v.Release();
  v.SetVoiceSwitchReleaseLevel(0.5f);
  for (unsigned int k = 0; k < 4; ++k) {
    CVoice* s = v.GetVoice(k);
    EXPECT_EQ(*s->GetPitch(), 70);
    EXPECT_EQ(*s->GetVelocity(), 0.25f);
    EXPECT_EQ(*s->GetLegato(), 1);
    EXPECT_EQ(*s->GetGate(), 0);
    EXPECT_EQ(s->GetVoiceSwitchState()->releaseLevel, 0.5f);
  }
  CVoice* sub = v.GetVoice(2);
  sub->SetPitch(10);
  sub->SetGate(true);
  sub->Mute();
  EXPECT_EQ(*sub->GetPitch(), 70);
  EXPECT_EQ(*sub->GetGate(), 0);
  EXPECT_EQ(sub->GetVoiceSwitchState()->muteRequest, 0);
}

TEST_F(VoiceTest, MuteUnmuteAndReleaseRequests) {
  CVoice v(&synth, 60, 1.0f, kRate, 0);
  VOICE_SWITCH_STATE* s = v.GetVoiceSwitchState();
  v.UnMute();
  v.Mute();
  EXPECT_EQ(s->muteRequest, 1);
  EXPECT_EQ(s->unmuteRequest, 0);
  v.UnMute();
  EXPECT_EQ(s->muteRequest, 0);
  EXPECT_EQ(s->unmuteRequest, 1);
  v.ImmediateRelease();
  EXPECT_EQ(s->releaseRequest, 1);
  EXPECT_EQ(s->unmuteRequest, 0);
  v.Mute();  // a pending release blocks new requests
  EXPECT_EQ(s->muteRequest, 0);
  EXPECT_FALSE(v.IsReleased());
}

TEST_F(VoiceTest, MonoVoice) {
  CMemoryPool* pool = synth.GetFilterMemoryPool();
  CVoice v(&synth, kRate);
  EXPECT_EQ(v.GetUnisonVoice(), 0u);
  EXPECT_EQ(v.GetUnisonCount(), 1u);
  EXPECT_EQ(v.GetVoice(0), &v);
  EXPECT_EQ(*v.GetGate(), 1);
  EXPECT_EQ(pool->GetUsedCount(), 12u);
}

TEST_F(VoiceTest, UnisonMapperPublishesShifts) {
  CUnisonMapper mapper(&synth);
  SetPlain(PARAM_UNISON_SPREAD, 1.0f);
  SetPlain(PARAM_UNISON_DETUNE, 0.5f);
  SetPlain(PARAM_UNISON_COUNT, 3.0f);
  mapper.Map();
  const float pan3[8] = {0, 1, -1, 0, 0, 0, 0, 0};
  for (unsigned int i = 0; i < 8; ++i) {
    EXPECT_FLOAT_EQ(synth.GetUnisonPanShift(i), pan3[i]) << i;
    EXPECT_FLOAT_EQ(synth.GetUnisonNsPhaseShift(i), i / 3.0f) << i;
    EXPECT_FLOAT_EQ(synth.GetUnisonPitchShift(i), 0.25f * pan3[i]) << i;
    EXPECT_FLOAT_EQ(synth.GetUnisonNsPitchShift(i), 0.2f * pan3[i]) << i;
  }
  SetPlain(PARAM_UNISON_COUNT, 8.0f);
  mapper.Map();
  EXPECT_FLOAT_EQ(synth.GetUnisonPitchShift(7), 0.25f * -0.95f);
  EXPECT_FLOAT_EQ(synth.GetUnisonPanShift(7), -1.0f);

  SetPlain(PARAM_UNISON_SPREAD, 0.5f);
  SetPlain(PARAM_UNISON_COUNT, 1.0f);
  mapper.Map();
  for (unsigned int i = 0; i < 8; ++i) {
    EXPECT_EQ(synth.GetUnisonPanShift(i), 0.0f);
    EXPECT_EQ(synth.GetUnisonPitchShift(i), 0.0f);
    EXPECT_EQ(synth.GetUnisonNsPitchShift(i), 0.0f);
    EXPECT_FLOAT_EQ(synth.GetUnisonNsPhaseShift(i), 0.5f * i);
  }
}

}  // namespace
