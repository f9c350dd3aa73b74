// Concurrency of the MIDI processor: the host pushes MIDI and the editor
// sends panics under the engine lock while the render thread runs Process
// and PopEvent. Meant to run under ThreadSanitizer (MORLAVINE_TSAN=ON), where
// any unguarded access to the queues is reported as a data race.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/MidiTestSupport.h"

namespace {

const int ROUNDS = 2000;

void RunConcurrently(CMidiTestSynth& ctx, CMidiProcessor& proc) {
  CAccessLock& lock = ctx.params.GetLock();
  std::atomic<int> started{0};
  std::atomic<int> finished{0};
  auto waitForAll = [&] {
    ++started;
    while (started.load() < 3) std::this_thread::yield();
  };

  // Host side: one batch of MIDI per round under the engine lock, as the
  // plug-in's event entry does.
  std::thread host([&] {
    waitForAll();
    for (int i = 0; i < ROUNDS; ++i) {
      CAutoLock guard(lock);
      unsigned char note = static_cast<unsigned char>(36 + i % 48);
      Send(proc, i % 256, 0x90, note, 100);
      Send(proc, (i + 3) % 256, 0xB0, 64, static_cast<unsigned char>(i % 2 ? 127 : 0));
      Send(proc, (i + 5) % 256, 0xE0, 0, static_cast<unsigned char>(i % 128));
      Send(proc, (i + 7) % 256, 0x80, note, 0);
      if (i % 97 == 0) Send(proc, 0, 0xB0, 123, 0);
    }
    ++finished;
  });

  // Editor side: panics.
  std::thread editor([&] {
    waitForAll();
    for (int i = 0; i < ROUNDS / 4; ++i) {
      {
        CAutoLock guard(lock);
        proc.Reset();
      }
      std::this_thread::yield();
    }
    ++finished;
  });

  // Render side: blocks until the others are done, with no lock of its own
  // around the calls.
  std::thread render([&] {
    waitForAll();
    while (finished.load() < 2) {
      proc.Process(256);
      MIDI_EVENT e;
      while (proc.PopEvent(e)) {
        EXPECT_GE(e.kind, 1u);
        EXPECT_LE(e.kind, 9u);
      }
    }
  });

  host.join();
  editor.join();
  render.join();

  // Still consistent afterwards: a new key comes out.
  proc.Reset();
  Send(proc, 0, 0x90, 60, 100);
  EXPECT_FALSE(RunBlock(proc, 1024).empty());
}

TEST(MidiProcessorTsan, PushPanicAndPopFromThreeThreads) {
  CMidiTestSynth ctx;
  ctx.Set(489, 0.0f);
  ctx.Set(490, 8.0f);
  ctx.Set(527, 0.0f);
  CMidiProcessor proc(&ctx.synth, &ctx.params.GetLock());
  RunConcurrently(ctx, proc);
}

TEST(MidiProcessorTsan, ArpeggiatorPathUnderPanics) {
  CMidiTestSynth ctx;
  SetPlainArpeggiator(ctx);
  ctx.Set(489, 1.0f);
  ctx.Set(529, 13.0f);  // short steps: many generated notes per block
  ctx.Set(527, 1.0f);
  CMidiProcessor proc(&ctx.synth, nullptr);
  proc.SetSampleRate(44100.0f);
  // The lock may also be handed over after construction, as the plug-in
  // does once the parameter store exists.
  proc.SetEngineLock(&ctx.params.GetLock());
  RunConcurrently(ctx, proc);
}

}  // namespace
