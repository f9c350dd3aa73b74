// The block driver: event splitting, block bounds, the floating-point mode,
// host time, MIDI learn, and a whole note played through the AEffect.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>
#include <utility>
#include <vector>

#include "VstTestHost.h"
#include "engine/GlobalSynth.h"
#include "engine/MidiProcessor.h"
#include "engine/ModulationMatrix.h"
#include "engine/ParamIds.h"
#include "engine/VoiceManager.h"
#include "editor/Editor.h"

namespace {

using Spans = std::vector<std::pair<unsigned int, unsigned int>>;

Spans LastSpans(CVstSynth* effect) {
  Spans spans;
  const unsigned int count = effect->GetLastBlockSpanCount();
  for (unsigned int i = 0; i < count && i < CVstSynth::SPAN_LOG_SIZE; ++i)
    spans.emplace_back(effect->GetLastBlockSpans()[i].start, effect->GetLastBlockSpans()[i].frames);
  return spans;
}

// A controller message at a frame offset: status, number, value, offset.
std::vector<int> Cc(int number, int value, int offset) { return {0xB0, number, value, offset}; }

TEST(VstBlockDriver, SplitsTheBlockAtEventOffsets) {
  struct ROW {
    const char* what;
    std::vector<std::vector<int>> midi;
    int frames;
    Spans spans;
  } rows[] = {
      {"no events: one call for the block", {}, 256, {{0, 256}}},
      {"one event", {Cc(7, 10, 100)}, 256, {{0, 100}, {100, 156}}},
      {"two events at one offset: an empty slice between them",
       {Cc(7, 10, 10), Cc(7, 20, 10)},
       256,
       {{0, 10}, {10, 0}, {10, 246}}},
      {"offset past the end: applied at the last frame", {Cc(7, 10, 1000)}, 256, {{0, 255}, {255, 1}}},
      {"negative offset: applied at the last frame", {Cc(7, 10, -3)}, 256, {{0, 255}, {255, 1}}},
      {"event before the position: applied at the position",
       {Cc(7, 10, 100), Cc(7, 20, 50)},
       256,
       {{0, 100}, {100, 0}, {100, 156}}},
      {"offset 0", {Cc(7, 10, 0)}, 64, {{0, 0}, {0, 64}}},
  };
  for (const ROW& row : rows) {
    CVstTestHost host;
    host.Start(512);
    host.SendMidi(row.midi);
    host.Render(row.frames);
    EXPECT_EQ(LastSpans(host.effect), row.spans) << row.what;
  }
}

TEST(VstBlockDriver, BlocksLongerThanTheBlockSizeGoInSlices) {
  CVstTestHost host;
  host.Start(64);
  host.Render(200);
  EXPECT_EQ(LastSpans(host.effect), (Spans{{0, 64}, {64, 64}, {128, 64}, {192, 8}}));

  host.SendMidi({Cc(7, 10, 150)});
  host.Render(200);
  EXPECT_EQ(LastSpans(host.effect), (Spans{{0, 64}, {64, 64}, {128, 22}, {150, 50}}));

  // A note in a long block sounds through to its end.
  host.SendMidi({{0x90, 69, 127, 0}});
  for (int i = 0; i < 4; ++i) host.Render(1000);
  float tail = 0.0f;
  for (int i = 900; i < 1000; ++i) tail = std::max(tail, std::fabs(host.left[i]));
  EXPECT_GT(tail, 1.0e-3f);
}

TEST(VstBlockDriver, EmptyOrMissingOutputsRenderNothingAndKeepEvents) {
  CVstTestHost host;
  host.Start(128);
  host.SendMidi({Cc(7, 10, 5)});
  std::vector<float> left(16, 7.0f), right(16, 7.0f);
  float* outs[2] = {left.data(), right.data()};
  for (VstInt32 frames : {0, -1, -100000}) host.effect->processReplacing(nullptr, outs, frames);
  float* halfOuts[2] = {left.data(), nullptr};
  host.effect->processReplacing(nullptr, halfOuts, 16);
  host.effect->processReplacing(nullptr, nullptr, 16);
  for (float v : left) EXPECT_EQ(v, 7.0f);
  for (float v : right) EXPECT_EQ(v, 7.0f);
  EXPECT_EQ(host.effect->GetLastBlockSpanCount(), 0u);

  host.Render(16);
  EXPECT_EQ(LastSpans(host.effect), (Spans{{0, 5}, {5, 11}}));
}

#if defined(__SSE__) || defined(__x86_64__)
TEST(VstBlockDriver, RestoresTheCallersFloatingPointMode) {
  CVstTestHost host;
  host.Start(64);
  host.SendMidi({{0x90, 60, 100, 0}});
  const unsigned int original = _mm_getcsr();
  const unsigned int callerWords[] = {
      0x1F80,                    // default: all masked, FTZ and DAZ off
      0x1F80 | 0x8000 | 0x40,    // FTZ and DAZ already on
      0x1F80 & ~0x900u,          // denormal and underflow exceptions unmasked
      0x1F80 | 0x6000,           // round toward zero
  };
  std::vector<float> left(64), right(64);
  float* outs[2] = {left.data(), right.data()};
  for (unsigned int word : callerWords) {
    for (VstInt32 frames : {64, 0, -1}) {
      _mm_setcsr(word);
      host.effect->processReplacing(nullptr, outs, frames);
      const unsigned int after = _mm_getcsr();
      _mm_setcsr(original);
      EXPECT_EQ(after, word) << std::hex << word << " frames " << std::dec << frames;
    }
    _mm_setcsr(word);
    host.effect->processReplacing(nullptr, nullptr, 64);
    const unsigned int afterNull = _mm_getcsr();
    _mm_setcsr(original);
    EXPECT_EQ(afterNull, word) << "null outputs";

    // Inside the block (seen from the host's time request): FTZ, DAZ and the
    // two masks on, the rest of the caller's word kept.
    _mm_setcsr(word);
    host.effect->processReplacing(nullptr, outs, 64);
    _mm_setcsr(original);
    EXPECT_EQ(host.csrInBlock & 0xFFC0u, (word | 0x8000 | 0x900 | 0x40) & 0xFFC0u) << std::hex << word;
  }
}
#endif

TEST(VstBlockDriver, HandsTheHostTempoToTheEngine) {
  CVstTestHost host;
  host.Start(64);
  host.Render(64);
  EXPECT_FLOAT_EQ(host.effect->GetGlobalSynth()->GetHostTempo(), 120.0f);  // no time information

  host.answerTime = true;
  host.time.tempo = 140.0;
  host.time.flags = kVstTempoValid;
  host.Render(64);
  EXPECT_FLOAT_EQ(host.effect->GetGlobalSynth()->GetHostTempo(), 140.0f);
  EXPECT_EQ(host.calls.back().value, kVstTempoValid | kVstTransportPlaying);

  host.time.flags = kVstTransportPlaying;  // tempo not valid
  host.Render(64);
  EXPECT_FLOAT_EQ(host.effect->GetGlobalSynth()->GetHostTempo(), 120.0f);
}

TEST(VstBlockDriver, FreePhasesRealignOnTheFirstKeyWhileTheTransportRuns) {
  CVstTestHost host;
  host.Start(64);
  ASSERT_TRUE(host.effect->IsResumed());
  host.answerTime = true;
  host.time.flags = 0;  // transport stopped
  host.SendMidi({{0x90, 60, 100, 0}, {0x80, 60, 0, 10}});
  host.Render(64);
  EXPECT_TRUE(host.effect->IsResumed());

  host.time.flags = kVstTransportPlaying;
  host.SendMidi({{0x90, 62, 100, 0}});
  host.Render(64);
  EXPECT_FALSE(host.effect->IsResumed());

  host.SendMidi({Cc(120, 0, 0)});  // all sound off: a reset event
  host.Render(64);
  EXPECT_TRUE(host.effect->IsResumed());
}

// All Notes Off and the mode messages end the voices with the short fade of
// voice stealing: a sine voice once stopped in a single step of its whole
// level. All Sound Off (120) still stops them at once.
TEST(VstBlockDriver, AllNotesOffFadesTheVoicesOutWithoutAStep) {
  for (int cc : {120, 123, 124, 125, 126, 127}) {
    SCOPED_TRACE(cc);
    CVstTestHost host;
    host.Start(64);
    CGlobalSynth* synth = host.effect->GetGlobalSynth();
    synth->SetParam(PARAM_OSC_MODE, 0.0f);  // a sine
    host.Render(64);
    host.SendMidi({{0x90, 57, 100, 0}, {0x90, 64, 100, 0}});
    std::vector<float> before;
    for (int b = 0; b < 300; ++b) {  // 0.44 s: past the attack
      host.Render(64);
      before.insert(before.end(), host.left.begin(), host.left.end());
    }
    ASSERT_EQ(host.effect->GetVoiceManager()->GetVoiceCount(), 2u);
    // The signal's own largest step over the sustained part.
    float ownStep = 0.0f, level = 0.0f;
    for (size_t i = before.size() - 8192; i < before.size(); ++i) {
      ownStep = std::max(ownStep, std::fabs(before[i] - before[i - 1]));
      level = std::max(level, std::fabs(before[i]));
    }
    ASSERT_GT(level, 0.05f);

    host.SendMidi({Cc(cc, 0, 20)});
    host.Render(64);
    std::vector<float> after(1, before.back());
    after.insert(after.end(), host.left.begin(), host.left.end());
    const unsigned int voicesAfterEvent = host.effect->GetVoiceManager()->GetVoiceCount();
    for (int b = 0; b < 20; ++b) {  // 29 ms
      host.Render(64);
      after.insert(after.end(), host.left.begin(), host.left.end());
    }
    float step = 0.0f;
    for (size_t i = 1; i < after.size(); ++i) step = std::max(step, std::fabs(after[i] - after[i - 1]));
    EXPECT_EQ(host.effect->GetMidiProcessor()->GetHeldNoteCount(), 0u);
    EXPECT_EQ(host.effect->GetVoiceManager()->GetVoiceCount(), 0u);  // every voice has ended
    if (cc == 120) {
      EXPECT_EQ(voicesAfterEvent, 0u);
      // The cut: silent from the next block on (a fade would still sound).
      float rest = 0.0f;
      for (size_t i = 65; i < after.size(); ++i) rest = std::max(rest, std::fabs(after[i]));
      EXPECT_LT(rest, 0.01f * level);
    } else {
      EXPECT_EQ(voicesAfterEvent, 2u);  // fading
      EXPECT_LE(step, 1.02f * ownStep);
    }
  }
}

TEST(VstBlockDriver, MidiLearnBindsAndSetsInTheSameBlock) {
  CVstTestHost host;
  host.Start(128);
  CEditor* editor = host.effect->GetEditorObject();
  int window = 0;
  host.Dispatch(effEditOpen, 0, 0, &window);
  const unsigned int target = 1578;
  host.effect->StartMidiLearn(target);
  ASSERT_TRUE(host.effect->IsMidiLearnActive());

  // Pitch bend (controller 121 inside the engine) cannot be learned.
  host.SendMidi({{0xE0, 0, 0x50, 3}});
  host.Render(128);
  EXPECT_TRUE(host.effect->IsMidiLearnActive());
  EXPECT_EQ(host.effect->GetAssignedMidiCC(target), -1);
  EXPECT_GT(host.effect->GetVoiceManager()->GetModulationMatrix()->GetControllerValue(121), 0.0f);

  host.SendMidi({Cc(20, 127, 30)});
  host.Render(128);
  EXPECT_FALSE(host.effect->IsMidiLearnActive());
  EXPECT_EQ(host.effect->GetAssignedMidiCC(target), 20);
  EXPECT_EQ(host.effect->GetMidiMap()->GetParamID(20), target);
  EXPECT_FLOAT_EQ(host.effect->GetGlobalSynth()->GetParam(target), 1.0f);
  EXPECT_EQ(editor->GetLastUpdatedId(), target);
  EXPECT_FLOAT_EQ(editor->GetLastUpdatedValue(), 1.0f);

  // Learning is over: the next controller does not move the binding.
  host.SendMidi({Cc(21, 64, 0)});
  host.Render(128);
  EXPECT_EQ(host.effect->GetAssignedMidiCC(target), 20);
  EXPECT_EQ(host.effect->GetMidiMap()->GetParamID(21), 0u);

  host.effect->ClearAssignedMidiCC(target);
  EXPECT_EQ(host.effect->GetAssignedMidiCC(target), -1);
  host.effect->StartMidiLearn(target);
  host.effect->StopMidiLearn();
  host.SendMidi({Cc(22, 64, 0)});
  host.Render(128);
  EXPECT_EQ(host.effect->GetAssignedMidiCC(target), -1);
}

TEST(VstBlockDriver, UnmappedControllerReachesOnlyTheModulationMatrix) {
  CVstTestHost host;
  host.Start(128);
  SYNTH_PRESET* live = host.effect->GetGlobalSynth()->GetPreset();
  host.Render(128);
  std::vector<float> before(live->data, live->data + PARAM_COUNT);
  // A plain controller that is not mapped, and channel pressure (controller
  // 122 inside the engine), which never is.
  host.SendMidi({Cc(30, 127, 0), {0xD0, 127, 0, 10}});
  host.Render(128);
  EXPECT_EQ(0, std::memcmp(before.data(), live->data, PRESET_BYTES));
  EXPECT_FLOAT_EQ(host.effect->GetVoiceManager()->GetModulationMatrix()->GetControllerValue(122), 1.0f);
}

// Zero crossings upward per second over a stretch of a channel.
double UpwardCrossingRate(const std::vector<float>& s, double rate) {
  int first = -1, last = -1, count = 0;
  for (size_t i = 1; i < s.size(); ++i) {
    if (s[i - 1] < 0.0f && s[i] >= 0.0f) {
      if (first < 0) first = static_cast<int>(i);
      last = static_cast<int>(i);
      ++count;
    }
  }
  return count > 1 ? (count - 1) * rate / (last - first) : 0.0;
}

TEST(VstTestHostSession, PlaysANoteThroughTheEffectRecordOnly) {
  CVstTestHost host;
  host.Start(512, 44100.0f);
  host.SendMidi({{0x90, 69, 110, 0}});
  std::vector<float> recorded;
  for (int b = 0; b < 20; ++b) {
    host.Render(512);
    recorded.insert(recorded.end(), host.left.begin(), host.left.end());
  }
  // Skip the attack; measure the held part.
  std::vector<float> held(recorded.begin() + 4096, recorded.end());
  double energy = 0.0;
  for (float v : held) energy += static_cast<double>(v) * v;
  const double rms = std::sqrt(energy / held.size());
  EXPECT_GT(rms, 0.01);
  EXPECT_NEAR(UpwardCrossingRate(held, 44100.0), 440.0, 8.0);

  // Releasing the key lets the sound die away.
  host.SendMidi({{0x80, 69, 0, 0}});
  float peak = 1.0f;
  for (int b = 0; b < 400 && peak >= 1.0e-3f; ++b) {
    host.Render(512);
    peak = 0.0f;
    for (float v : host.left) peak = std::max(peak, std::fabs(v));
  }
  EXPECT_LT(peak, 1.0e-3f);
}

// MIDI pushed and panics from other threads while blocks render: the
// MIDI processor's queue is only touched under the engine lock.
TEST(VstBlockDriver, MidiAndPanicFromOtherThreadsWhileRendering) {
  CVstTestHost host;
  host.Start(128);
  std::atomic<bool> done{false};
  std::thread midi([&] {
    for (int i = 0; !done.load() && i < 2000; ++i) {
      VstMidiEvent on{};
      on.type = kVstMidiType;
      on.midiData[0] = static_cast<char>(i % 3 ? 0x90 : 0x80);
      on.midiData[1] = static_cast<char>(40 + i % 40);
      on.midiData[2] = 100;
      on.deltaFrames = i % 200;
      VstEventsBlock<2> list;
      list.numEvents = 1;
      list.reserved = 0;
      list.events[0] = reinterpret_cast<VstEvent*>(&on);
      host.effect->processEvents(list.get());
    }
  });
  std::thread panic([&] {
    for (int i = 0; !done.load() && i < 200; ++i) {
      host.effect->Panic();
      std::this_thread::yield();
    }
  });
  std::vector<float> left(128), right(128);
  float* outs[2] = {left.data(), right.data()};
  for (int b = 0; b < 100; ++b) host.effect->processReplacing(nullptr, outs, 128);
  done = true;
  midi.join();
  panic.join();
  host.effect->Panic();
  host.effect->processReplacing(nullptr, outs, 128);
  for (float v : left) EXPECT_TRUE(std::isfinite(v));
}

}  // namespace
