// Engine state that other threads change without the engine lock while the
// render thread runs: the panic request and the record-on-MIDI-input
// setting. Meant to run under ThreadSanitizer (MORLAVINE_TSAN=ON).

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "engine/GlobalSynth.h"
#include "engine/ParamIds.h"
#include "engine/VoiceManager.h"

namespace {

TEST(EnginePanicTsan, PanicWhileRendering) {
  CGlobalSynth synth;
  CVoiceManager vm(&synth);
  vm.SetSampleRate(44100.0f);
  vm.SetBlockSize(64);
  synth.SetParam(PARAM_OVERSAMPLING, 2.0f);
  std::vector<float> left(64), right(64);
  vm.Generate(left.data(), right.data(), 0);

  std::atomic<bool> done{false};
  std::thread editor([&] {
    while (!done.load()) {
      vm.GetParamHandler()->Panic();
      std::this_thread::yield();
    }
  });
  for (int block = 0; block < 300; ++block) {
    vm.StartVoice(60 + block % 12, 0.8f, false);
    vm.Generate(left.data(), right.data(), 64);
  }
  done = true;
  editor.join();
  vm.GetParamHandler()->Panic();
  vm.Generate(left.data(), right.data(), 0);
  EXPECT_TRUE(vm.isEmpty());
}

}  // namespace

namespace {

// The record-on-MIDI-input setting changes on the editor's thread while note
// starts read it on the render thread.
TEST(EngineSettingsTsan, RecordOnMidiFlagWhileNotesStart) {
  CGlobalSynth synth;
  CVoiceManager vm(&synth);
  vm.SetSampleRate(44100.0f);
  vm.SetBlockSize(64);
  vm.ArmRecording();
  std::vector<float> left(64), right(64);

  std::thread editor([&] {
    for (int i = 0; i < 4; ++i) synth.SetRecordOnMidiInputFlag(i % 2 == 0);
  });
  for (int block = 0; block < 50; ++block) {
    vm.StartVoice(60 + block % 12, 0.8f, false);
    vm.StopRecording();
  }
  editor.join();
  vm.Generate(left.data(), right.data(), 64);
  EXPECT_FALSE(vm.IsPlaybackActive());
}

}  // namespace
