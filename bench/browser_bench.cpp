// Opening the preset browser on 10,000 presets, to its first drawn frame:
// reading the folder tree and the remembered folder's files, sorting them
// and drawing the window. The presets lie in one folder, or in 100 folders
// of 100 with the remembered preset in the last one.

#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "editor/Editor.h"
#include "engine/FolderLayout.h"
#include "host/vst/VstSynth.h"
#include "tests/support/TempDataDir.h"

namespace {

VstIntPtr SilentHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

void MakeDirs(const std::string& path) {
  std::string partial;
  for (size_t i = 0; i <= path.size(); ++i) {
    if ((i == path.size() || path[i] == '/') && !partial.empty()) mkdir(partial.c_str(), 0755);
    if (i < path.size()) partial += path[i];
  }
}

void BM_OpenBrowserOnTenThousandPresets(benchmark::State& state) {
  const int folders = static_cast<int>(state.range(0));
  const int perFolder = 10000 / folders;
  CTempDataDir data;
  std::string last;
  for (int f = 0; f < folders; ++f) {
    char folder[32];
    std::snprintf(folder, sizeof(folder), folders > 1 ? "/Bank %03d" : "", f);
    const std::string path = FileSpec::FolderPresets + folder;
    MakeDirs(path);
    for (int i = 0; i < perFolder; ++i) {
      char name[32];
      std::snprintf(name, sizeof(name), "/Preset %05d.p", f * perFolder + i);
      last = path + name;
      std::ofstream(last).put('\0');
    }
  }
  std::unique_ptr<CVstSynth> synth(static_cast<CVstSynth*>(createEffectInstance(&SilentHost)));
  CEditor* editor = synth->GetEditorObject();
  int window = 0;
  editor->open(&window);
  // The remembered preset: the last file of the last folder.
  editor->InitPresetBrowserCategorySelection(last);
  for (auto _ : state) {
    editor->ShowPresetBrowser(0);
    editor->getFrame()->render();
    state.PauseTiming();
    editor->ClosePresetBrowser(false);
    state.ResumeTiming();
  }
  editor->close();
}
BENCHMARK(BM_OpenBrowserOnTenThousandPresets)->Arg(1)->Arg(100)->ArgName("folders")->Unit(benchmark::kMillisecond);

}  // namespace
