#include "ModulationFixture.h"

namespace {

class VoiceSwitchTest : public ModulationFixture {
 protected:
  std::vector<float> Run(CVoice* v, unsigned int n) {
    std::vector<float> out(n);
    matrix.GenerateVoiceSwitch(v, n);
    std::copy(matrix.GetVoiceSwitch(), matrix.GetVoiceSwitch() + n, out.begin());
    return out;
  }
  // A block longer than the matrix buffers, through the switch directly.
  std::vector<float> RunLong(CVoice* v, unsigned int n) {
    std::vector<float> out(n);
    matrix.GetVoiceSwitchGenerator()->Generate(v, out.data(), n);
    return out;
  }
};

TEST_F(VoiceSwitchTest, FadeLengthsAt44100) {
  auto v = StartVoice();
  EXPECT_EQ(v->GetVoiceSwitchState()->state, VOICE_SWITCH_ON);
  v->Mute();
  EXPECT_TRUE(v->IsMuted());
  auto out = RunLong(v.get(), 1000);
  // The fade-out position passes 1 at the 882nd sample.
  EXPECT_GT(out[880], 0.0f);
  EXPECT_EQ(out[881], 0.0f);
  EXPECT_NEAR(out[440], 0.125f, 0.01f);
  EXPECT_EQ(v->GetVoiceSwitchState()->state, VOICE_SWITCH_SILENT);

  v->UnMute();
  out = RunLong(v.get(), 400);
  // Fade-in from gain 0, reaching 1 at the 309th sample.
  EXPECT_LT(out[0], 0.01f);
  EXPECT_LT(out[307], 1.0f);
  EXPECT_EQ(out[308], 1.0f);
  EXPECT_EQ(v->GetVoiceSwitchState()->state, VOICE_SWITCH_ON);
  EXPECT_FALSE(v->IsMuted());
}

TEST_F(VoiceSwitchTest, MuteDuringFadeInReversesFromComplement) {
  auto v = StartVoice();
  v->Mute();
  RunLong(v.get(), 1000);
  v->UnMute();
  // Fade in to position 0.5 (gain 0.5).
  unsigned int half = 0;
  std::vector<float> out;
  while (true) {
    out = RunLong(v.get(), 1);
    ++half;
    if (out[0] >= 0.5f) break;
  }
  float p = v->GetVoiceSwitchState()->position;
  v->Mute();
  out = RunLong(v.get(), 1);
  // Continues as a fade-out from position 1 - p.
  float q = 1.0f - p + 1.0f / (0.020000001f * kRate);
  EXPECT_NEAR(out[0], (1 - q) * (1 - q) * (1 - q), 1e-5f);
  EXPECT_NEAR(out[0], 0.125f, 0.01f);
}

TEST_F(VoiceSwitchTest, ReleaseRequestsWaitForFadesAndEndTheVoice) {
  // Release during a fade-out waits; the first block that starts silent
  // finishes the voice at once.
  {
    auto v = StartVoice();
    v->Mute();
    RunLong(v.get(), 100);
    v->ImmediateRelease();
    RunLong(v.get(), 900);
    EXPECT_FALSE(v->IsReleased());
    EXPECT_EQ(v->GetVoiceSwitchState()->state, VOICE_SWITCH_SILENT);
    RunLong(v.get(), 1);
    EXPECT_TRUE(v->IsReleased());
  }
  // Release during a fade-in waits for state 3; the next block fades out
  // and finishes the voice.
  {
    auto v = StartVoice();
    v->Mute();
    RunLong(v.get(), 1000);
    v->UnMute();
    RunLong(v.get(), 100);
    v->ImmediateRelease();
    RunLong(v.get(), 300);
    EXPECT_EQ(v->GetVoiceSwitchState()->state, VOICE_SWITCH_ON);
    auto out = RunLong(v.get(), 1000);
    EXPECT_EQ(v->GetVoiceSwitchState()->state, VOICE_SWITCH_RELEASE);
    EXPECT_GT(out[880], 0.0f);
    EXPECT_EQ(out[881], 0.0f);
    EXPECT_TRUE(v->IsReleased());
    // A request posted in state 4 is never taken.
    v->GetVoiceSwitchState()->unmuteRequest = 1;
    out = RunLong(v.get(), 10);
    EXPECT_EQ(v->GetVoiceSwitchState()->state, VOICE_SWITCH_RELEASE);
    EXPECT_EQ(out[9], 0.0f);
  }
}

TEST_F(VoiceSwitchTest, ZeroLengthBlockTakesRequestAndCopiesToSubVoices) {
  SetPlain(PARAM_UNISON_COUNT, 3.0f);
  auto v = StartVoice();
  ASSERT_EQ(v->GetUnisonCount(), 3u);
  v->Mute();
  Run(v.get(), 0);
  for (unsigned int k = 0; k < 3; ++k) {
    EXPECT_EQ(v->GetVoice(k)->GetVoiceSwitchState()->state, VOICE_SWITCH_FADING_OUT) << k;
    EXPECT_EQ(v->GetVoice(k)->GetVoiceSwitchState()->muteRequest, 0) << k;
  }
}

}  // namespace
