// Reading Standard MIDI Files of 10,000 to 1,000,000 events into a score: the
// time per event stays the same (linear reading), which the complexity fit
// at the end reports.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/render/MidiFileReader.h"

namespace {

std::string ScratchPath(const char* name) {
  return "/tmp/morlavine_bench_" + std::to_string(long(getpid())) + "_" + name;
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

// Two tracks: a tempo change every 100 events in the first, and `events`
// note-ons and note-offs (half each) one tick apart in the second.
bool WriteFile(const std::string& path, int64_t events) {
  std::vector<uint8_t> tempo, notes;
  for (int64_t i = 0; i < events / 100; ++i) {
    tempo.insert(tempo.end(), {i == 0 ? uint8_t(0) : uint8_t(100), 0xFF, 0x51, 0x03, 0x07,
                               static_cast<uint8_t>(0xA1 + (i & 7)), 0x20});
  }
  tempo.insert(tempo.end(), {0x00, 0xFF, 0x2F, 0x00});
  for (int64_t i = 0; i < events; ++i) {
    const uint8_t note = static_cast<uint8_t>(36 + (i / 2) % 48);
    notes.insert(notes.end(), {0x01, static_cast<uint8_t>(i % 2 ? 0x80 : 0x90), note, 100});
  }
  notes.insert(notes.end(), {0x00, 0xFF, 0x2F, 0x00});
  std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0x01, 0xE0};
  for (const std::vector<uint8_t>* track : {&tempo, &notes}) {
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    PutU32(file, static_cast<uint32_t>(track->size()));
    file.insert(file.end(), track->begin(), track->end());
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  return std::fclose(f) == 0 && ok;
}

void BM_ReadMidiFile(benchmark::State& state) {
  const int64_t events = state.range(0);
  const std::string path = ScratchPath("events.mid");
  if (!WriteFile(path, events)) {
    state.SkipWithError("cannot write the test file");
    return;
  }
  for (auto _ : state) {
    CMidiScore score;
    std::string error;
    if (!CMidiFileReader::Read(path.c_str(), 120.0, score, error)) {
      state.SkipWithError(error.c_str());
      break;
    }
    benchmark::DoNotOptimize(score.Events().data());
  }
  std::remove(path.c_str());
  state.SetItemsProcessed(state.iterations() * events);
  state.SetComplexityN(events);
}
BENCHMARK(BM_ReadMidiFile)
    ->RangeMultiplier(10)
    ->Range(10000, 1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
