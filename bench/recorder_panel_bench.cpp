// The recorder panel's work on the editor thread: at every timer tick while
// a recording grows, the new frames copied under the engine lock and the
// outline recomputed; and a full copy of a minute's take (after an edit),
// made in 64k-frame pieces so the render thread waits for one piece at most.
#include <benchmark/benchmark.h>

#include <vector>

#include "editor/pages/RecordedTake.h"
#include "editor/pages/SampleView.h"
#include "engine/AccessLock.h"
#include "engine/GlobalSynth.h"
#include "engine/SampleRecorder.h"
#include "engine/VoiceManager.h"

namespace {

const float RATE = 44100.f;

// A recording of `seconds` captured into the engine's recorder.
void Fill(CVoiceManager& vm, float seconds) {
  vm.ArmRecording();
  vm.StartRecording();
  std::vector<float> l(4410, 0.25f), r(4410, -0.25f);
  const unsigned int slices = static_cast<unsigned int>(seconds * 10.f);
  for (unsigned int i = 0; i < slices; ++i) vm.GetRecorder()->Process(l.data(), r.data(), 4410);
}

// The outline of a take of the given length in seconds, recomputed at every
// tick while a recording grows.
void BM_SampleViewOutline(benchmark::State& state) {
  const size_t frames = static_cast<size_t>(state.range(0) * RATE);
  std::vector<float> l(frames, 0.25f), r(frames, -0.1f);
  CSampleView view(CRect(108, 145, 889, 474), nullptr);
  for (auto _ : state) {
    view.SetSource(l.data(), r.data(), static_cast<long>(frames));
    benchmark::DoNotOptimize(view.GetUpperOutline().data());
  }
}
BENCHMARK(BM_SampleViewOutline)->Arg(1)->Arg(10)->Arg(60)->Unit(benchmark::kMicrosecond);

// The copy's share of a tick: 50 ms of new frames (2205) appended by the
// engine, then brought into the panel's copy under the engine lock.
void BM_RecordedTakeFollowsAGrowingRecording(benchmark::State& state) {
  CGlobalSynth synth;
  CVoiceManager vm(&synth);
  vm.SetSampleRate(RATE);
  vm.ArmRecording();
  vm.StartRecording();
  CRecordedTake take;
  std::vector<float> l(2205, 0.1f), r(2205, 0.1f);
  // One whole minute first, so the copy has its room and the timing shows
  // the steady state of a tick.
  while (vm.IsRecordingActive()) {
    vm.GetRecorder()->Process(l.data(), r.data(), 2205);
    take.Refresh(&vm);
  }
  vm.StartRecording();
  for (auto _ : state) {
    if (!vm.IsRecordingActive()) vm.StartRecording();  // full: start again
    vm.GetRecorder()->Process(l.data(), r.data(), 2205);
    take.Refresh(&vm);
  }
}
BENCHMARK(BM_RecordedTakeFollowsAGrowingRecording)->Unit(benchmark::kMicrosecond);

// The whole take copied again (after an edit): the render thread waits at
// most one 64k-frame piece of this.
void BM_RecorderFullCopy(benchmark::State& state) {
  CGlobalSynth synth;
  CVoiceManager vm(&synth);
  vm.SetSampleRate(RATE);
  Fill(vm, 59.f);
  CRecordedTake take;
  for (auto _ : state) {
    take.Clear();
    take.Refresh(&vm);
    benchmark::DoNotOptimize(take.GetLength());
  }
}
BENCHMARK(BM_RecorderFullCopy)->Unit(benchmark::kMicrosecond);

}  // namespace
