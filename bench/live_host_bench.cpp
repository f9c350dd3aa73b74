// The editor tool's audio callback: the live host rendering 64-frame blocks
// of the factory sound with 16 held voices. Reports the share of the block's
// real time the callback takes, and the worst single block over a simulated
// minute (the block that would drop out first), as wall time and as this
// thread's processor time (which leaves out time the machine gave to
// other programs).
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "host/au/AUSynthEntry.h"
#include "tools/editor/LiveHost.h"
#include "tools/render/AuHost.h"
#include "tools/render/MorlavineInstrument.h"

namespace {

// This thread's processor time in nanoseconds (time the machine gave to
// other programs is not counted).
int64_t ThreadCpuNs() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

const double RATE = 44100.0;
const uint32_t BLOCK = 64;
const int VOICES = 16;

struct LIVE_RIG {
  HOST_TRANSPORT transport;
  CAuHost host{&transport};
  std::unique_ptr<CLiveHost> live;
  std::vector<float> left = std::vector<float>(BLOCK), right = std::vector<float>(BLOCK);
  int64_t now = 0;

  bool Open() {
    std::string error;
    if (!host.Open(CAUSynthRegister(), error) || !host.Configure(RATE, 4096, error) ||
        !host.Initialize(error))
      return false;
    live.reset(new CLiveHost(host, transport, RATE, 4096));
    // 16 notes held, as a MIDI input hands them over.
    for (int k = 0; k < VOICES; ++k) live->PostMidi(0, 0x90, static_cast<uint8_t>(36 + 3 * k), 100, now);
    for (int i = 0; i < 200; ++i) Block();  // past the attacks
    return true;
  }
  void Block() {
    now += static_cast<int64_t>(BLOCK / RATE * 1e9);
    live->Process(left.data(), right.data(), BLOCK, now);
  }
};

void BM_LiveCallback64(benchmark::State& state) {
  LIVE_RIG rig;
  if (!rig.Open()) {
    state.SkipWithError("the instrument did not open");
    return;
  }
  const auto start = std::chrono::steady_clock::now();
  int64_t blocks = 0;
  for (auto _ : state) {
    rig.Block();
    benchmark::DoNotOptimize(rig.left.data());
    ++blocks;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  state.counters["cpu_share_pct"] = 100.0 * seconds / (blocks * BLOCK / RATE);
  state.counters["budget_us"] = BLOCK / RATE * 1e6;
}
BENCHMARK(BM_LiveCallback64)->Unit(benchmark::kMicrosecond);

// A minute of blocks as fast as they render; a fresh note every half second
// (the oldest released) keeps voices starting and ending.
void BM_LiveWorstBlockOverAMinute(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    LIVE_RIG rig;
    if (!rig.Open()) {
      state.SkipWithError("the instrument did not open");
      return;
    }
    state.ResumeTiming();
    const int64_t blocks = static_cast<int64_t>(60.0 * RATE / BLOCK);
    const int64_t every = static_cast<int64_t>(0.5 * RATE / BLOCK);
    std::vector<int64_t> times, cpu;
    times.reserve(static_cast<size_t>(blocks));
    cpu.reserve(static_cast<size_t>(blocks));
    int next = 0;
    for (int64_t b = 0; b < blocks; ++b) {
      if (b % every == 0) {
        rig.live->PostMidi(0, 0x80, static_cast<uint8_t>(36 + 3 * (next % VOICES)), 0, rig.now);
        rig.live->PostMidi(0, 0x90, static_cast<uint8_t>(36 + 3 * (next % VOICES)), 100, rig.now);
        ++next;
      }
      const auto t0 = std::chrono::steady_clock::now();
      const int64_t c0 = ThreadCpuNs();
      rig.Block();
      cpu.push_back(ThreadCpuNs() - c0);
      times.push_back(std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - t0)
                          .count());
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    double sum = 0.0;
    for (int64_t t : times) sum += static_cast<double>(t);
    state.counters["worst_block_us"] = times.back() / 1e3;
    state.counters["worst_block_cpu_us"] = cpu.back() / 1e3;
    state.counters["p999_block_us"] = times[times.size() * 999 / 1000] / 1e3;
    state.counters["mean_block_us"] = sum / times.size() / 1e3;
    state.counters["budget_us"] = BLOCK / RATE * 1e6;
    state.counters["cpu_share_pct"] = 100.0 * sum / 1e9 / (blocks * BLOCK / RATE);
  }
}
BENCHMARK(BM_LiveWorstBlockOverAMinute)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
