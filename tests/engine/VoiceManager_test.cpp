#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/GlobalSynth.h"
#include "engine/MemoryPool.h"
#include "engine/ParamIds.h"
#include "engine/Voice.h"
#include "engine/VoiceManager.h"

namespace {

class VoiceManagerTest : public ::testing::Test {
 protected:
  VoiceManagerTest() : vm(&synth) {
    vm.SetSampleRate(44100.0f);
    vm.SetBlockSize(256);
  }

  // Keeps the oversampling the global services start with (4x), so the
  // first block has no rate change to make.
  void KeepFactorFour() {
    synth.SetParam(PARAM_OVERSAMPLING, 0.0f);
    Block(0);
  }
  void Block(unsigned int n = 64) {
    out.assign(2 * (n + 1), 0.0f);
    vm.Generate(out.data(), out.data() + n + 1, n);
  }
  // The voice list as text: note, then "r" for a pending release request,
  // "f" for a release fade, "-" for gate off; e.g. "60r 62 64-".
  std::string Voices() {
    std::string s;
    for (unsigned int i = 0; i < vm.GetVoiceCount(); ++i) {
      CVoice* v = vm.GetVoiceAt(i);
      if (!s.empty()) s += " ";
      s += std::to_string(*v->GetPitch());
      if (v->GetVoiceSwitchState()->releaseRequest) s += "r";
      if (v->GetVoiceSwitchState()->state == VOICE_SWITCH_RELEASE) s += "f";
      if (!*v->GetGate()) s += "-";
    }
    return s;
  }
  // What the voice switch does with a release request: start the release fade.
  void BeginReleaseFade(unsigned int index) {
    vm.GetVoiceAt(index)->GetVoiceSwitchState()->state = VOICE_SWITCH_RELEASE;
  }
  // What the amplitude envelope does when it has run out.
  void Finish(CVoice* v) { v->GetEnvState(AMP_ENV_INDEX)->finished = 1; }

  CGlobalSynth synth;
  CVoiceManager vm;
  std::vector<float> out;
};

TEST_F(VoiceManagerTest, FirstBlockSwitchesToFactoryOversamplingAndResizes) {
  // Set-up ran at the global services' factor 4: at 44100 Hz the comb needs
  // 27249 floats, so the pool holds 768 blocks of 109004 bytes.
  CMemoryPool* pool = synth.GetFilterMemoryPool();
  EXPECT_EQ(synth.GetOversampling(), 4u);
  EXPECT_EQ(pool->GetBlockSize(), 109004u);
  EXPECT_EQ(vm.GetOscOutputs()[0].GetSamplesCount(), 256u * 4);
  vm.StartVoice(60, 1.0f, false);
  EXPECT_EQ(vm.GetVoiceCount(), 1u);

  // n = 0 applies the factory preset (2x) and leaves the outputs alone.
  float l[4] = {7, 7, 7, 7}, r[4] = {7, 7, 7, 7};
  vm.Generate(l, r, 0);
  EXPECT_EQ(synth.GetOversampling(), 2u);
  EXPECT_EQ(synth.GetOversamplingShift(), 1u);
  EXPECT_EQ(vm.GetVoiceCount(), 0u);  // the change deleted all voices
  // m = ceil(0.051415756 * 88200) = 4535: 13644 floats.
  EXPECT_EQ(pool->GetBlockSize(), 13644u * 4 + 8);
  EXPECT_EQ(pool->GetFreeCount() + pool->GetUsedCount(), 768u);
  EXPECT_EQ(pool->GetUsedCount(), 24u);  // the two new mono voices
  for (unsigned int k = 0; k < 4; ++k) EXPECT_EQ(vm.GetOscOutputs()[k].GetSamplesCount(), 512u);
  EXPECT_EQ(vm.GetBusMixes()[1].GetSamplesCount(), 512u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(l[i], 7.0f);
    EXPECT_EQ(r[i], 7.0f);
  }

  // Selecting the factor in force again changes nothing.
  vm.StartVoice(60, 1.0f, false);
  synth.SetParam(PARAM_OVERSAMPLING, 2.0f);
  Block(0);
  EXPECT_EQ(vm.GetVoiceCount(), 1u);
  EXPECT_EQ(pool->GetBlockSize(), 13644u * 4 + 8);
}

TEST_F(VoiceManagerTest, UnusableSampleRatesAreIgnored) {
  CMemoryPool* pool = synth.GetFilterMemoryPool();
  const unsigned int blockBytes = pool->GetBlockSize();
  for (float sr : {0.0f, -44100.0f, NAN, INFINITY, 2e7f, 1e12f}) {
    vm.SetSampleRate(sr);
    EXPECT_EQ(vm.GetSampleRate(), 44100.0f) << sr;
    EXPECT_EQ(pool->GetBlockSize(), blockBytes) << sr;
  }
  KeepFactorFour();
  vm.StartVoice(60, 1.0f, false);
  Block(64);
  EXPECT_EQ(vm.GetVoiceCount(), 1u);
}

TEST_F(VoiceManagerTest, OversamplingSelectorTable) {
  KeepFactorFour();
  struct CASE {
    float value;
    unsigned int factor;
  };
  // Ordered so that few cases change the factor (each change rebuilds the
  // band-limited tables).
  const CASE cases[] = {{0.7f, 4}, {1.0f, 8}, {1.9f, 8}, {2.0f, 2}, {7.0f, 2},
                        {-3.0f, 2}, {NAN, 2},  {1e30f, 2}, {-0.5f, 4}, {0.0f, 4}};
  for (const CASE& c : cases) {
    synth.SetParam(PARAM_OVERSAMPLING, c.value);
    Block(64);
    EXPECT_EQ(synth.GetOversampling(), c.factor) << c.value;
    EXPECT_EQ(vm.GetBusMixes()[0].GetSamplesCount(), 256u * c.factor) << c.value;
  }
}

TEST_F(VoiceManagerTest, RampTakesTheSameTimeWhateverTheNumberOfReaders) {
  // Readers per block: oscillator 1's detune and Morph X one each (its pitch
  // module, its render), its level two (effect chain and sample player),
  // Master Detune four (one pitch module per oscillator), a modulation
  // depth one (the matrix).
  const unsigned int ids[] = {PARAM_OSC_DETUNE, PARAM_OSC_MORPH_X, PARAM_OSC_LEVEL, PARAM_MASTER_DETUNE,
                              PARAM_MOD_DEPTH + 3};
  KeepFactorFour();
  for (unsigned int k = 0; k < 30; ++k) Block(64);  // start-up ramps end
  std::vector<float> targets;
  for (unsigned int id : ids) {
    targets.push_back(synth.GetParam(id) < 0.5f ? 0.9f : 0.1f);
    synth.SetParam(id, targets.back());
  }
  // 30 ms at 44.1 kHz is 1323 samples: 21 blocks of 64.
  std::vector<unsigned int> settledAfter(targets.size(), 0);
  for (unsigned int block = 1; block <= 40; ++block) {
    Block(64);
    for (size_t k = 0; k < targets.size(); ++k)
      if (!settledAfter[k] && synth.GetParamPointer(ids[k])[63] == targets[k]) settledAfter[k] = block;
  }
  for (size_t k = 0; k < targets.size(); ++k) EXPECT_EQ(settledAfter[k], 21u) << "id " << ids[k];
  // Halfway through, every ramp stands at the same fraction of its way.
  for (unsigned int id : ids) synth.SetParam(id, 0.5f);
  for (unsigned int block = 0; block < 10; ++block) Block(64);
  for (size_t k = 0; k < targets.size(); ++k) {
    const float done = (synth.GetParamPointer(ids[k])[63] - targets[k]) / (0.5f - targets[k]);
    EXPECT_NEAR(done, 640.0f / 1323.0f, 1e-4) << "id " << ids[k];
  }
}

TEST_F(VoiceManagerTest, StealingWithFourVoices) {
  KeepFactorFour();
  synth.SetParam(PARAM_MAX_VOICES, 4.0f);
  Block(0);
  for (int note : {60, 62, 64, 65}) vm.StartVoice(note, 0.8f, false);
  EXPECT_EQ(Voices(), "60 62 64 65");
  vm.StartVoice(67, 0.8f, false);
  EXPECT_EQ(Voices(), "60r 62 64 65 67");
  // Once the oldest is in its release fade it counts as freed: only the
  // second oldest is released for the next note.
  BeginReleaseFade(0);
  vm.StartVoice(69, 0.8f, false);
  EXPECT_EQ(Voices(), "60rf 62r 64 65 67 69");
  EXPECT_EQ(synth.GetLastPitch(), 69.0f);
  EXPECT_EQ(*vm.GetModulatorVoice()->GetPitch(), 69);
}

TEST_F(VoiceManagerTest, StealingWithOneVoice) {
  KeepFactorFour();
  synth.SetParam(PARAM_MAX_VOICES, 1.0f);
  Block(0);
  vm.StartVoice(60, 0.8f, false);
  vm.StartVoice(62, 0.8f, false);
  EXPECT_EQ(Voices(), "60r 62");
  BeginReleaseFade(0);
  vm.StartVoice(64, 0.8f, false);
  EXPECT_EQ(Voices(), "60rf 62r 64");
}

TEST_F(VoiceManagerTest, DamagedVoiceLimitReleasesEverythingOlder) {
  KeepFactorFour();
  for (float limit : {0.0f, -5.0f, NAN}) {
    vm.Reset();
    synth.SetParam(PARAM_MAX_VOICES, limit);
    Block(0);
    vm.StartVoice(60, 0.8f, false);
    vm.StartVoice(62, 0.8f, false);
    vm.StartVoice(64, 0.8f, false);
    EXPECT_EQ(Voices(), "60r 62r 64") << limit;
  }
}

TEST_F(VoiceManagerTest, RepeatedNoteReleasesOldestGatedFirst) {
  KeepFactorFour();
  vm.StartVoice(60, 0.8f, false);
  vm.StartVoice(60, 0.5f, false);
  EXPECT_EQ(Voices(), "60 60");
  vm.StopVoice(60);
  EXPECT_EQ(Voices(), "60- 60");
  EXPECT_FALSE(*vm.GetModulatorVoice()->GetGate());
  vm.StopVoice(60);
  EXPECT_EQ(Voices(), "60- 60-");
  vm.StopVoice(60);  // no gated voice left: nothing happens
  vm.StopVoice(61);
  EXPECT_EQ(Voices(), "60- 60-");
}

TEST_F(VoiceManagerTest, DeleteVoiceSkipsVoicesAlreadyBeingReleased) {
  KeepFactorFour();
  vm.StartVoice(72, 0.8f, false);
  vm.StartVoice(74, 0.8f, false);
  vm.StartVoice(72, 0.8f, false);
  vm.DeleteVoice(72);
  EXPECT_EQ(Voices(), "72r 74 72");
  vm.DeleteVoice(72);
  EXPECT_EQ(Voices(), "72r 74 72r");
  vm.DeleteVoice(72);
  vm.DeleteVoice(50);
  EXPECT_EQ(Voices(), "72r 74 72r");
  vm.DeleteAllVoices();
  EXPECT_EQ(Voices(), "72r 74r 72r");
}

TEST_F(VoiceManagerTest, MuteAndUnmute) {
  KeepFactorFour();
  vm.StartVoice(60, 0.8f, false);
  vm.StartVoice(64, 0.8f, false);
  vm.StartVoice(60, 0.8f, false);
  vm.MuteVoice(60);
  VOICE_SWITCH_STATE* first = vm.GetVoiceAt(0)->GetVoiceSwitchState();
  VOICE_SWITCH_STATE* other = vm.GetVoiceAt(1)->GetVoiceSwitchState();
  VOICE_SWITCH_STATE* last = vm.GetVoiceAt(2)->GetVoiceSwitchState();
  EXPECT_TRUE(first->muteRequest && last->muteRequest);
  EXPECT_FALSE(other->muteRequest);
  EXPECT_TRUE(vm.GetVoiceAt(0)->IsMuted());

  // Unmuting comes back as a legato note on the oldest voice of the note.
  vm.UnMuteVoice(60);
  EXPECT_FALSE(first->muteRequest);
  EXPECT_TRUE(first->unmuteRequest);
  EXPECT_TRUE(*vm.GetVoiceAt(0)->GetLegato());
  EXPECT_TRUE(last->muteRequest);
  EXPECT_EQ(synth.GetLastPitch(), 60.0f);
  EXPECT_FLOAT_EQ(vm.GetModulationMatrix()->GetControllerValue(CONTROLLER_KEY), 60.0f / 127.0f);

  // A note no voice holds changes nothing, last pitch included.
  vm.UnMuteVoice(50);
  EXPECT_EQ(synth.GetLastPitch(), 60.0f);
  EXPECT_EQ(vm.GetVoiceCount(), 3u);

  // A voice with a pending release takes no further mute request.
  vm.DeleteVoice(64);
  vm.MuteVoice(64);
  EXPECT_FALSE(other->muteRequest);
}

// Arpeggiator transposition takes notes above 127; the key source stays in
// 0..1 (note 170 once gave 1.339, which the pitch module read as it was).
TEST_F(VoiceManagerTest, KeyControllerStaysInUnitRange) {
  KeepFactorFour();
  const struct {
    int note;
    float key;
  } cases[] = {{0, 0.0f}, {60, 60.0f / 127.0f}, {127, 1.0f}, {128, 1.0f}, {170, 1.0f}};
  for (const auto& c : cases) {
    vm.StartVoice(c.note, 0.8f, false);
    EXPECT_FLOAT_EQ(vm.GetModulationMatrix()->GetControllerValue(CONTROLLER_KEY), c.key) << "note " << c.note;
  }
}

TEST_F(VoiceManagerTest, FinishedVoicesAreDeletedAtTheEndOfTheBlock) {
  KeepFactorFour();
  for (int note : {60, 62, 64}) vm.StartVoice(note, 0.8f, false);
  vm.StopVoice(62);
  Finish(vm.GetVoiceAt(1));
  EXPECT_EQ(vm.GetVoiceCount(), 3u);
  Block(64);
  EXPECT_EQ(Voices(), "60 64");
  CMemoryPool* pool = synth.GetFilterMemoryPool();
  EXPECT_EQ(pool->GetUsedCount(), 12u * 4);  // two voices and the two mono voices

  // Unison: a set of four sub-voices returns all its blocks.
  synth.SetParam(PARAM_UNISON_COUNT, 4.0f);
  Block(0);
  vm.StartVoice(67, 0.8f, false);
  EXPECT_EQ(vm.GetVoiceAt(2)->GetUnisonCount(), 4u);
  EXPECT_EQ(pool->GetUsedCount(), 12u * 8);
  Finish(vm.GetVoiceAt(2));
  Block(64);
  EXPECT_EQ(Voices(), "60 64");
  EXPECT_EQ(pool->GetUsedCount(), 12u * 4);
}

TEST_F(VoiceManagerTest, MonoModesEndAllVoicesWithTheModulatorVoice) {
  KeepFactorFour();
  // Retrigger, and damaged modes that do not truncate to 0: the MIDI
  // processor sends mono note handling for them, so the voice manager must
  // end the voices the mono way too (and read the huge one without an
  // undefined conversion).
  for (float mode : {1.0f, -2.0f, 1e10f}) {
    synth.SetParam(PARAM_VOICE_MODE, mode);
    Block(0);
    vm.StartVoice(60, 0.8f, false);
    vm.StartVoice(62, 0.8f, true);
    Block(64);
    EXPECT_EQ(vm.GetVoiceCount(), 2u) << mode;
    Finish(vm.GetModulatorVoice());
    Block(64);
    EXPECT_TRUE(vm.isEmpty()) << mode;
  }
}

TEST_F(VoiceManagerTest, LegatoModeReleasesVoicesWhoseKeyIsUp) {
  KeepFactorFour();
  synth.SetParam(PARAM_VOICE_MODE, 2.0f);
  Block(0);
  vm.StartVoice(60, 0.8f, false);
  vm.StopVoice(60);
  vm.StartVoice(62, 0.8f, false);
  vm.StartVoice(64, 0.8f, true);
  EXPECT_EQ(Voices(), "60r- 62 64");
}

TEST_F(VoiceManagerTest, PanicAtNextBlockDeletesAllVoices) {
  KeepFactorFour();
  vm.StartVoice(60, 0.8f, false);
  vm.StartVoice(62, 0.8f, false);
  vm.GetParamHandler()->Panic();
  Block(32);
  EXPECT_TRUE(vm.isEmpty());
}

TEST_F(VoiceManagerTest, LongHostBlockIsRenderedInSlices) {
  KeepFactorFour();
  vm.SetBlockSize(64);
  CGlobalSynth synth2;
  CVoiceManager other(&synth2);
  other.SetSampleRate(44100.0f);
  other.SetBlockSize(64);
  synth2.SetParam(PARAM_OVERSAMPLING, 0.0f);
  // No oscillator sounds: the outputs carry only the constant below.
  synth.SetParam(PARAM_OSC_ON, 0.0f);
  synth2.SetParam(PARAM_OSC_ON, 0.0f);
  float dummy[2];
  other.Generate(dummy, dummy + 1, 0);

  vm.StartVoice(60, 0.8f, false);
  other.StartVoice(60, 0.8f, false);
  // The master section's DC blocker works on what the outputs hold, so a
  // constant in the outputs shows whether every frame was processed, and
  // processed in order.
  const unsigned int n = 200;
  std::vector<float> l(n, 0.5f), r(n, -0.25f), l2 = l, r2 = r;
  vm.Generate(l.data(), r.data(), n);
  for (unsigned int at : {0u, 64u, 128u, 192u}) {
    const unsigned int len = std::min(64u, n - at);
    other.Generate(l2.data() + at, r2.data() + at, len);
  }
  for (unsigned int i = 0; i < n; ++i) {
    ASSERT_EQ(l[i], l2[i]) << i;
    ASSERT_EQ(r[i], r2[i]) << i;
  }
  EXPECT_LT(l[n - 1], 0.3f);  // the last frames went through the DC blocker too
  EXPECT_GT(l[n - 1], 0.1f);
}

TEST_F(VoiceManagerTest, HugeHostBlockSizeIsClamped) {
  KeepFactorFour();
  vm.SetBlockSize(1u << 30);
  EXPECT_EQ(vm.GetBlockSize(), MAX_ENGINE_BLOCK_SIZE);
  vm.SetBlockSize(0);
  EXPECT_EQ(vm.GetBlockSize(), MAX_ENGINE_BLOCK_SIZE);
  vm.StartVoice(60, 0.8f, false);
  const unsigned int n = MAX_ENGINE_BLOCK_SIZE * 2 + 5;
  std::vector<float> l(n, 0.0f), r(n, 0.0f);
  vm.Generate(l.data(), r.data(), n);
  for (unsigned int i = 0; i < n; i += 97) ASSERT_TRUE(std::isfinite(l[i]));
}

TEST_F(VoiceManagerTest, ResetKeepsMonoVoicesAndEmptiesTheList) {
  KeepFactorFour();
  CVoice* mod = vm.GetModulatorVoice();
  vm.StartVoice(60, 0.8f, false);
  vm.Reset();
  EXPECT_TRUE(vm.isEmpty());
  EXPECT_EQ(vm.GetModulatorVoice(), mod);
  Block(64);  // renders with an empty list
  EXPECT_TRUE(vm.isEmpty());
}

}  // namespace

namespace {

TEST_F(VoiceManagerTest, ReleasedAndFastReleasedVoicesLeaveTheListOnTheirOwn) {
  KeepFactorFour();
  vm.StartVoice(60, 0.8f, false);
  vm.StartVoice(64, 0.8f, false);
  vm.StartVoice(67, 0.8f, false);
  for (int b = 0; b < 4; ++b) Block(256);
  EXPECT_EQ(vm.GetVoiceCount(), 3u);

  // A fast release ends the voice within its 20 ms fade (and a block).
  vm.DeleteVoice(64);
  for (int b = 0; b < 6; ++b) Block(256);  // about 35 ms
  EXPECT_EQ(Voices(), "60 67");

  // Key up: the amplitude envelope's release runs out, then the voice goes.
  vm.StopVoice(60);
  int blocks = 0;
  while (vm.GetVoiceCount() == 2 && blocks < 2000) {
    Block(256);
    ++blocks;
  }
  EXPECT_EQ(Voices(), "67");
  EXPECT_LT(blocks, 2000);
}

}  // namespace
