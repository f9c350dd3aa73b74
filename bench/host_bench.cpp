// What the instrument costs a host, measured through the Audio Unit: the
// reference score (eight held notes, a new one every 0.1 s) at the factory
// preset with 2x, 4x and 8x oversampling and unison 1 and 8, and with the
// heavy bench sound (bench/BenchSounds.h) at 2x, 4x and 8x, as nanoseconds
// per host sample and real-time factor; the cost of a preset load, of an
// oversampling switch and of a state save and restore; and block times
// during a release tail and after it (the denormal check of the timing).
//
// Counters: ns_per_sample (wall time per rendered host frame) and
// realtime_factor (seconds of audio rendered per second of rendering).

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "bench/BenchSounds.h"
#include "bench/ReferenceScore.h"
#include "engine/ICommandHandler.h"
#include "engine/ParamIds.h"
#include "engine/SynthTypes.h"
#include "tables/PresetFactory.h"
#include "tests/conformance/HostHarness.cpp"
#include "tests/support/TempDataDir.h"

namespace {

const double RATE = 44100.0;
const UInt32 BLOCK = 512;

// Parameter 1581: 2 gives 2x, 0 gives 4x, 1 gives 8x oversampling.
float OversamplingValue(int factor) {
  if (factor == 8) return 1.0f;
  if (factor == 4) return 0.0f;
  return 2.0f;
}

// One data folder for the whole run, outside the user's home.
CTempDataDir& DataDir() {
  static CTempDataDir dir;
  return dir;
}

std::unique_ptr<CHostHarness> OpenHost(int oversampling, unsigned int unison, bool heavy = false) {
  DataDir();
  std::unique_ptr<CHostHarness> host(new CHostHarness);
  host->Start(RATE, BLOCK);
  if (ICommandHandler* commands = host->Commands()) {
    if (heavy) BenchSounds::ApplyHeavySound(commands);
    commands->SetFloatParam(PARAM_OVERSAMPLING, OversamplingValue(oversampling));
    commands->SetIntParam(PARAM_UNISON_COUNT, unison);
  }
  host->Render(1);  // applies the settings
  return host;
}

// Monotonic seconds, for the counters of the timed parts alone.
double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// ns_per_sample and realtime_factor from the frames rendered and the
// seconds they took.
void SetRateCounters(benchmark::State& state, double frames, double seconds) {
  if (frames <= 0.0 || seconds <= 0.0) return;
  state.counters["ns_per_sample"] = seconds * 1.0e9 / frames;
  state.counters["realtime_factor"] = (frames / RATE) / seconds;
}

// args: oversampling factor, unison voices. One iteration: 0.5 s of the score.
void RunReferenceScore(benchmark::State& state, bool heavy) {
  std::unique_ptr<CHostHarness> host =
      OpenHost(static_cast<int>(state.range(0)), static_cast<unsigned int>(state.range(1)), heavy);
  CReferenceScore score(*host, BLOCK);
  score.Begin();
  score.Play(static_cast<uint64_t>(RATE));  // past the attacks of the first notes
  const uint64_t frames = static_cast<uint64_t>(RATE / 2);
  const double start = Now();
  for (auto _ : state) {
    if (!score.Play(frames)) state.SkipWithError("render failed");
  }
  SetRateCounters(state, static_cast<double>(frames) * static_cast<double>(state.iterations()),
                  Now() - start);
}
void BM_ReferenceScore(benchmark::State& state) { RunReferenceScore(state, false); }
void BM_ReferenceScoreHeavy(benchmark::State& state) { RunReferenceScore(state, true); }
BENCHMARK(BM_ReferenceScoreHeavy)
    ->ArgNames({"oversampling", "unison"})
    ->Args({2, 4})
    ->Args({4, 4})
    ->Args({8, 4})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReferenceScore)
    ->ArgNames({"oversampling", "unison"})
    ->Args({2, 1})
    ->Args({4, 1})
    ->Args({8, 1})
    ->Args({2, 8})
    ->Args({4, 8})
    ->Args({8, 8})
    ->Unit(benchmark::kMillisecond);

// A whole preset loaded from the editor's thread, and the first block after
// it, which applies everything the load invalidated.
void BM_PresetLoad(benchmark::State& state) {
  std::unique_ptr<CHostHarness> host = OpenHost(4, 1);
  ICommandHandler* commands = host->Commands();
  std::unique_ptr<SYNTH_PRESET> preset(new SYNTH_PRESET);
  for (auto _ : state) {
    state.PauseTiming();
    *preset = PRESET_FACTORY_RESET;
    state.ResumeTiming();
    commands->LoadPreset(preset.get(), PRESET_VERSION_V3, 0, 0);
    host->Render(BLOCK);
  }
}
BENCHMARK(BM_PresetLoad)->Unit(benchmark::kMillisecond);

// Switching between 4x and 8x oversampling: the setting and the block that
// rebuilds for it.
void BM_OversamplingSwitch(benchmark::State& state) {
  std::unique_ptr<CHostHarness> host = OpenHost(4, 1);
  ICommandHandler* commands = host->Commands();
  int factor = 4;
  for (auto _ : state) {
    factor = factor == 4 ? 8 : 4;
    commands->SetFloatParam(PARAM_OVERSAMPLING, OversamplingValue(factor));
    host->Render(BLOCK);
  }
}
BENCHMARK(BM_OversamplingSwitch)->Unit(benchmark::kMillisecond);

// For comparison with the two above: one ordinary block with nothing to apply.
void BM_PlainBlock(benchmark::State& state) {
  std::unique_ptr<CHostHarness> host = OpenHost(4, 1);
  for (auto _ : state) host->Render(BLOCK);
}
BENCHMARK(BM_PlainBlock)->Unit(benchmark::kMicrosecond);

void BM_StateSave(benchmark::State& state) {
  std::unique_ptr<CHostHarness> host = OpenHost(4, 1);
  for (auto _ : state) {
    CCFHolder saved = host->SaveState();
    benchmark::DoNotOptimize(saved.Get());
  }
}
BENCHMARK(BM_StateSave)->Unit(benchmark::kMicrosecond);

void BM_StateRestore(benchmark::State& state) {
  std::unique_ptr<CHostHarness> host = OpenHost(4, 1);
  CCFHolder saved = host->SaveState();
  for (auto _ : state) {
    host->RestoreState(saved.Get());
    host->Render(BLOCK);  // the block that applies the restored sound
  }
}
BENCHMARK(BM_StateRestore)->Unit(benchmark::kMillisecond);

// Block time in a release tail (arg 0: the first second after the notes
// end) and after it (arg 1: 20 s later, in silence). The second must not be
// dearer than the first: subnormal numbers in decaying state would make it so.
void BM_ReleaseTail(benchmark::State& state) {
  const bool afterTail = state.range(0) != 0;
  std::unique_ptr<CHostHarness> host = OpenHost(4, 1);
  host->SetParam(133, 0.7f);  // a long amplitude release
  const UInt32 blocksPerSecond = static_cast<UInt32>(RATE / BLOCK);
  double timed = 0.0;
  for (auto _ : state) {
    state.PauseTiming();
    for (UInt8 note : {33, 45, 57, 69, 81}) host->NoteOn(0, note, 127, 0);
    host->RenderFor(static_cast<UInt32>(RATE / 2), BLOCK, nullptr, nullptr, nullptr);
    for (UInt8 note : {33, 45, 57, 69, 81}) host->NoteOff(0, note, 0);
    if (afterTail) host->RenderFor(static_cast<UInt32>(20 * RATE), BLOCK, nullptr, nullptr, nullptr);
    state.ResumeTiming();
    const double start = Now();
    for (UInt32 b = 0; b < blocksPerSecond; ++b) host->Render(BLOCK);
    timed += Now() - start;
  }
  SetRateCounters(state,
                  static_cast<double>(blocksPerSecond * BLOCK) * static_cast<double>(state.iterations()),
                  timed);
}
BENCHMARK(BM_ReleaseTail)->ArgName("after_tail")->Arg(0)->Arg(1)->Iterations(8)->Unit(
    benchmark::kMillisecond);

}  // namespace
