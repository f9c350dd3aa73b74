// What the editor costs: a parameter update from the render thread (a
// mapped MIDI controller) with the window open and closed, opening and
// closing the window, and drawing the whole window.

#include <benchmark/benchmark.h>

#include <memory>

#include "editor/Editor.h"
#include "host/vst/VstSynth.h"
#include "tests/support/TempDataDir.h"

namespace {

VstIntPtr SilentHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

struct INSTANCE {
  CTempDataDir data;
  std::unique_ptr<CVstSynth> synth{static_cast<CVstSynth*>(createEffectInstance(&SilentHost))};
  CEditor* editor() { return synth->GetEditorObject(); }
};

void BM_UpdateParamValue(benchmark::State& state) {
  INSTANCE instance;
  int window = 0;
  if (state.range(0)) instance.editor()->open(&window);
  unsigned int k = 0;
  for (auto _ : state) {
    instance.editor()->UpdateParamValue(36 + (k & 3), static_cast<float>(k & 127) / 127.f);
    ++k;
  }
  instance.editor()->close();
}
BENCHMARK(BM_UpdateParamValue)->Arg(0)->Arg(1)->ArgName("open");

void BM_OpenAndClose(benchmark::State& state) {
  INSTANCE instance;
  int window = 0;
  for (auto _ : state) {
    instance.editor()->open(&window);
    instance.editor()->close();
  }
}
BENCHMARK(BM_OpenAndClose)->Unit(benchmark::kMillisecond);

void BM_DrawWindow(benchmark::State& state) {
  INSTANCE instance;
  int window = 0;
  instance.editor()->open(&window);
  for (auto _ : state) instance.editor()->getFrame()->render();
  instance.editor()->close();
}
BENCHMARK(BM_DrawWindow)->Unit(benchmark::kMillisecond);

}  // namespace
