// Writes the preset files of the render benchmarks into a folder:
//   heavy.p                    the heavy sound of BenchSounds.h at 2x
//   factory-2x.p ... -8x.p     the factory preset at each oversampling factor
//   factory-64v.p              the factory preset with a 64-voice limit
//   heavy-2x.p ... heavy-8x.p  the heavy sound at each oversampling factor
// bench/heavy.p in the repository is this tool's heavy.p.
//
//   bench_presets_report FOLDER

#include <cstdio>
#include <memory>
#include <string>

#include "bench/BenchSounds.h"
#include "engine/PresetFile.h"
#include "tests/conformance/HostHarness.cpp"
#include "tests/support/TempDataDir.h"

namespace {

bool Write(CHostHarness& host, const std::string& path) {
  ICommandHandler* commands = host.Commands();
  host.Render(1);  // settings reach the engine
  CPresetFile file(nullptr);
  const unsigned int size = commands->SavePreset(file.GetBuffer(), 0, 0);
  file.SetAuthor("Morlavine bench");
  if (!file.SaveToFile(commands, 0, size, path.c_str(), nullptr, nullptr, nullptr, nullptr)) {
    std::fprintf(stderr, "could not write %s\n", path.c_str());
    return false;
  }
  std::printf("%s\n", path.c_str());
  return true;
}

bool WriteSound(const std::string& path, bool heavy, unsigned int oversampling, unsigned int maxVoices) {
  CHostHarness host;
  if (!host.IsOpen() || host.Start(44100.0, 512) != noErr) return false;
  ICommandHandler* commands = host.Commands();
  if (heavy) BenchSounds::ApplyHeavySound(commands);
  if (maxVoices) commands->SetIntParam(PARAM_MAX_VOICES, maxVoices);
  commands->SetFloatParam(PARAM_OVERSAMPLING, BenchSounds::OversamplingSetting(oversampling));
  return Write(host, path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  CTempDataDir dataDir;
  const std::string folder = argv[1];
  bool ok = WriteSound(folder + "/heavy.p", true, 2, 0) && WriteSound(folder + "/factory-64v.p", false, 2, 64);
  for (unsigned int os : {2u, 4u, 8u}) {
    ok = ok && WriteSound(folder + "/factory-" + std::to_string(os) + "x.p", false, os, 0);
    ok = ok && WriteSound(folder + "/heavy-" + std::to_string(os) + "x.p", true, os, 0);
  }
  return ok ? 0 : 1;
}
