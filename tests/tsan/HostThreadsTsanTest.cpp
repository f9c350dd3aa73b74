// The instrument's Audio Unit used from two threads at once, as hosts do: the
// render thread renders with held notes while the user-interface thread
// moves parameters, loads presets and saves and restores the state. Meant to
// run under ThreadSanitizer (MORLAVINE_TSAN=ON), which reports any access
// the engine lock does not order; elsewhere it checks the outcome only.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "engine/ICommandHandler.h"
#include "engine/SynthTypes.h"
#include "host/au/AUSynth.h"
#include "host/vst/VstSynth.h"
#include "platform/vst/AEffect.h"
#include "tables/PresetFactory.h"
#include "tests/conformance/HostHarness.h"

namespace {

const UInt32 BLOCK = 256;

// Renders blocks with held notes until told to stop (at least minBlocks),
// counting blocks whose output is not clean.
void RenderUntil(CHostHarness& host, std::atomic<bool>& stop, int minBlocks, bool controllers,
                 std::atomic<int>& rendered, std::atomic<int>& dirty) {
  int blocks = 0;
  while (blocks < minBlocks || !stop.load()) {
    if (blocks % 40 == 0) {
      // Preset loads drop held notes: play them again now and then.
      for (UInt8 note : {48, 55, 60, 64}) host.NoteOn(0, note, 100, static_cast<UInt32>(blocks % BLOCK));
    }
    // The mod wheel (mapped to a macro by default) moves with every block.
    if (controllers)
      host.Controller(0, 1, static_cast<UInt8>(blocks % 128), static_cast<UInt32>(blocks % BLOCK));
    if (host.Render(BLOCK) != noErr) ++dirty;
    SAMPLE_CHECK check;
    check.Add(host.Left(), BLOCK);
    check.Add(host.Right(), BLOCK);
    if (!check.Clean() || check.peak > 64.0f) ++dirty;
    ++blocks;
    rendered.store(blocks);
  }
}

TEST(HostThreadsTsan, EditorThreadChangesSoundWhileRenderThreadPlays) {
  CHostHarness host;
  ASSERT_EQ(host.Start(44100.0, 512), noErr);
  ICommandHandler* commands = host.Commands();
  ASSERT_NE(commands, nullptr);
  std::unique_ptr<SYNTH_PRESET> preset(new SYNTH_PRESET);

  std::atomic<bool> stop{false};
  std::atomic<int> rendered{0};
  std::atomic<int> dirty{0};
  std::thread render([&] { RenderUntil(host, stop, 150, true, rendered, dirty); });

  std::mt19937 rng(9);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  int saves = 0;
  for (int round = 0; round < 24; ++round) {
    for (int k = 0; k < 20; ++k)
      host.SetParam(static_cast<UInt32>(rng() % CHostHarness::PARAM_COUNT), unit(rng));
    host.GetParam(static_cast<UInt32>(rng() % CHostHarness::PARAM_COUNT));
    if (round % 4 == 1) {
      *preset = PRESET_FACTORY_RESET;
      EXPECT_TRUE(commands->LoadPreset(preset.get(), PRESET_VERSION_V3, 0, 0));
    }
    // MIDI learn from the editor: bind a controller, later clear it.
    if (CVstSynth* vst = host.Vst()) {
      if (round % 5 == 0) vst->StartMidiLearn(1578);
      if (round % 5 == 3) vst->ClearAssignedMidiCC(1578);
    }
    if (round % 3 == 2) {
      CCFHolder state = host.SaveState();
      EXPECT_TRUE(state);
      saves += state ? 1 : 0;
      if (round % 6 == 5) {
        EXPECT_EQ(host.RestoreState(state.Get()), noErr);
      }
    }
    std::this_thread::yield();
  }
  stop = true;
  render.join();
  EXPECT_EQ(dirty.load(), 0);
  EXPECT_GT(saves, 0);
}

TEST(HostThreadsTsan, ProgramAndStateChangesRightAfterARestore) {
  CHostHarness host;
  ASSERT_EQ(host.Start(48000.0, 512), noErr);
  // Two different saved sounds.
  std::mt19937 rng(17);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  for (UInt32 k = 0; k < CHostHarness::PARAM_COUNT; ++k) host.SetParam(k, unit(rng));
  CCFHolder first = host.SaveState();
  for (UInt32 k = 0; k < CHostHarness::PARAM_COUNT; ++k) host.SetParam(k, unit(rng));
  CCFHolder second = host.SaveState();
  const std::vector<float> secondParams = host.GetAllParams();
  const std::vector<uint8_t> secondChunk = CHostHarness::ChunkOf(second.Get());
  ASSERT_TRUE(first && second);

  std::atomic<bool> stop{false};
  std::atomic<int> rendered{0};
  std::atomic<int> dirty{0};
  std::thread render([&] { RenderUntil(host, stop, 100, false, rendered, dirty); });

  AEffect* effect = nullptr;
  if (CAUSynth* synth = host.Synth()) effect = synth->GetEffect();
  ASSERT_NE(effect, nullptr);
  for (int round = 0; round < 6; ++round) {
    EXPECT_EQ(host.RestoreState(first.Get()), noErr);
    // Straight after: a program change through the instrument's interface, a
    // MIDI program change, then the other state.
    effect->dispatcher(effect, effSetProgram, 0, round % 2, nullptr, 0.0f);
    host.Midi(0xC0, static_cast<UInt8>(round), 0, 0);
    EXPECT_EQ(host.RestoreState(second.Get()), noErr);
  }
  stop = true;
  render.join();
  EXPECT_EQ(dirty.load(), 0);
  // The last state restored is the sound.
  EXPECT_EQ(host.GetAllParams(), secondParams);
  CCFHolder now = host.SaveState();
  EXPECT_TRUE(CHostHarness::ChunkOf(now.Get()) == secondChunk);
}

// Hosts open several instances at once and render them on separate threads:
// whatever the instances share (tables built once, names, the component
// registry, host time) must be safe to build and read concurrently.
TEST(HostThreadsTsan, InstancesOpenedAndRenderedOnSeveralThreads) {
  std::atomic<int> dirty{0};
  std::atomic<int> failed{0};
  auto play = [&](double rate, UInt8 note) {
    CHostHarness host;
    if (!host.IsOpen() || host.Start(rate, 512) != noErr) {
      ++failed;
      return;
    }
    host.NoteOn(0, note, 100, 0);
    for (int block = 0; block < 60; ++block) {
      if (host.Render(BLOCK) != noErr) ++failed;
      SAMPLE_CHECK check;
      check.Add(host.Left(), BLOCK);
      check.Add(host.Right(), BLOCK);
      if (!check.Clean()) ++dirty;
      if (block == 30 && !host.SaveState()) ++failed;
    }
  };
  std::thread a(play, 44100.0, 60);
  std::thread b(play, 96000.0, 67);
  std::thread c([&] {
    for (int k = 0; k < 3; ++k) {
      CHostHarness host;
      if (!host.IsOpen()) ++failed;
    }
  });
  a.join();
  b.join();
  c.join();
  EXPECT_EQ(failed.load(), 0);
  EXPECT_EQ(dirty.load(), 0);
}

}  // namespace
