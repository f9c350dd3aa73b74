// What one move of a wavetable-editor effect knob costs on the editor
// thread: the eight effects on the committed table, the spectrum's
// analysis of the result and the send to the engine (a copy into the
// parameter store under the engine lock), in microseconds. Also the parts
// alone: the effects, one analysis, one resynthesis.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "editor/Editor.h"
#include "editor/EditorTags.h"
#include "editor/ModulatedKnob.h"
#include "editor/pages/HarmonicsView.h"
#include "editor/pages/WaveTableEditor.h"
#include "engine/ICommandHandler.h"
#include "host/vst/VstSynth.h"
#include "tests/support/TempDataDir.h"

namespace {

const unsigned int N = CWaveTableEditor::WAVE_SIZE;

VstIntPtr SilentHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

std::vector<float> Wave() {
  std::vector<float> w(N);
  for (unsigned int i = 0; i < N; ++i) {
    const double x = 2 * M_PI * i / N;
    w[i] = static_cast<float>(0.6 * std::sin(x) + 0.3 * std::sin(3 * x + 0.4) + 0.1 * std::sin(11 * x));
  }
  return w;
}

struct INSTANCE {
  CTempDataDir data;
  std::unique_ptr<CVstSynth> synth{static_cast<CVstSynth*>(createEffectInstance(&SilentHost))};
  int window = 0;
  CWaveTableEditor* panel = nullptr;
  INSTANCE() {
    CEditor* editor = synth->GetEditorObject();
    std::vector<float> wave = Wave();
    editor->GetCommandHandler()->SetOscWaveTable(wave.data(), nullptr, 0);
    editor->open(&window);
    editor->ShowWaveTableEditor(0);
    panel = editor->GetWaveTableEditor();
  }
  ~INSTANCE() { synth->GetEditorObject()->close(); }
};

// One knob move: range(0) is how many of the eight effects are turned up
// (the moved knob is the last of them).
void BM_KnobMove(benchmark::State& state) {
  INSTANCE instance;
  const unsigned int active = static_cast<unsigned int>(state.range(0));
  for (unsigned int k = 0; k + 1 < active; ++k) {
    CControl* knob = instance.panel->GetEffectKnob(k);
    knob->setValue(0.3f);
    instance.panel->valueChanged(knob);
  }
  CControl* moved = instance.panel->GetEffectKnob(active - 1);
  unsigned int step = 0;
  for (auto _ : state) {
    moved->setValue(0.2f + 0.01f * static_cast<float>(step++ & 31));
    instance.panel->valueChanged(moved);
  }
}
BENCHMARK(BM_KnobMove)->Arg(1)->Arg(8)->ArgName("effects")->Unit(benchmark::kMicrosecond);

void BM_Effects(benchmark::State& state) {
  CWTEditorEffects effects[CWTEditorEffects::EFFECT_COUNT];
  for (unsigned int k = 0; k < CWTEditorEffects::EFFECT_COUNT; ++k) effects[k].SetType(k);
  const std::vector<float> table = Wave();
  std::vector<float> work(N);
  const unsigned int type = static_cast<unsigned int>(state.range(0));
  for (auto _ : state) {
    work = table;
    if (type < CWTEditorEffects::EFFECT_COUNT) {
      effects[type].Process(work.data(), 0.4f);
    } else {
      for (CWTEditorEffects& fx : effects) fx.Process(work.data(), 0.4f);
    }
    benchmark::DoNotOptimize(work.data());
  }
}
// 0-7: one effect of that type; 8: all eight.
BENCHMARK(BM_Effects)->DenseRange(0, 8)->ArgName("type")->Unit(benchmark::kMicrosecond);

void BM_Analysis(benchmark::State& state) {
  CSpectrumControl spectrum(CRect(0, 0, 555, 326), nullptr, 0, nullptr);
  std::vector<float> wave = Wave();
  for (auto _ : state) spectrum.SetWaveTable(wave.data());
}
BENCHMARK(BM_Analysis)->Unit(benchmark::kMicrosecond);

void BM_Resynthesis(benchmark::State& state) {
  CSpectrumControl spectrum(CRect(0, 0, 555, 326), nullptr, 0, nullptr);
  std::vector<float> wave = Wave();
  spectrum.SetWaveTable(wave.data());
  for (auto _ : state) spectrum.ApplyChanges();
}
BENCHMARK(BM_Resynthesis)->Unit(benchmark::kMicrosecond);

}  // namespace
