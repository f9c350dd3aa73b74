// A short fixed render of the reference score through the Audio Unit, for
// instruction counts under callgrind (tools/callgrind-bench.sh): only the
// function MorlavineRenderScore is collected, so opening the instrument and
// building its tables do not count.
//
//   host_render_report [oversampling 2|4|8] [unison 1-8] [seconds] [factory|heavy|idle]
//
// "heavy" plays the heavy bench sound of BenchSounds.h (with the unison
// count given) instead of the factory preset; "idle" renders the factory
// preset with no note at all (the cost of a silent engine).
//
// Prints the frames rendered and the peak level (so the render cannot be
// left out by the compiler).

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/BenchSounds.h"
#include "bench/ReferenceScore.h"
#include "engine/ICommandHandler.h"
#include "engine/ParamIds.h"
#include "tests/conformance/HostHarness.cpp"
#include "tests/support/TempDataDir.h"

namespace {
const double RATE = 44100.0;
const UInt32 BLOCK = 512;
}  // namespace

// Renders the score for the given frames; the only function callgrind counts.
extern "C" __attribute__((noinline)) int MorlavineRenderScore(CReferenceScore* score, uint64_t frames,
                                                            CHostHarness* host, float* peak) {
  if (score) score->Begin();
  uint64_t done = 0;
  while (done < frames) {
    const uint64_t n = frames - done < BLOCK ? frames - done : BLOCK;
    if (score ? !score->Play(n) : host->Render(static_cast<UInt32>(n)) != noErr) return 1;
    for (UInt32 i = 0; i < n; ++i) {
      const float a = host->Left()[i] < 0.0f ? -host->Left()[i] : host->Left()[i];
      if (a > *peak) *peak = a;
    }
    done += n;
  }
  return 0;
}

int main(int argc, char** argv) {
  const int oversampling = argc > 1 ? std::atoi(argv[1]) : 4;
  const int unison = argc > 2 ? std::atoi(argv[2]) : 1;
  const double seconds = argc > 3 ? std::atof(argv[3]) : 0.25;
  const std::string sound = argc > 4 ? argv[4] : "factory";
  if ((oversampling != 2 && oversampling != 4 && oversampling != 8) || unison < 1 || unison > 8 ||
      !(seconds > 0.0 && seconds <= 60.0) || (sound != "factory" && sound != "heavy" && sound != "idle")) {
    std::fprintf(stderr, "usage: %s [oversampling 2|4|8] [unison 1-8] [seconds] [factory|heavy|idle]\n", argv[0]);
    return 2;
  }
  CTempDataDir dataDir;
  CHostHarness host;
  if (!host.IsOpen() || host.Start(RATE, BLOCK) != noErr) {
    std::fprintf(stderr, "the instrument did not open\n");
    return 1;
  }
  ICommandHandler* commands = host.Commands();
  if (sound == "heavy") BenchSounds::ApplyHeavySound(commands);
  commands->SetFloatParam(PARAM_OVERSAMPLING, BenchSounds::OversamplingSetting(static_cast<unsigned int>(oversampling)));
  commands->SetIntParam(PARAM_UNISON_COUNT, static_cast<unsigned int>(unison));
  host.Render(1);  // applies the settings outside the counted function

  CReferenceScore score(host, BLOCK);
  const uint64_t frames = static_cast<uint64_t>(seconds * RATE);
  float peak = 0.0f;
  if (MorlavineRenderScore(sound == "idle" ? nullptr : &score, frames, &host, &peak) != 0) {
    std::fprintf(stderr, "render failed\n");
    return 1;
  }
  std::printf("frames %llu peak %.4f\n", static_cast<unsigned long long>(frames), peak);
  return 0;
}
