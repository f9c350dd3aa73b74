// The editor in a real X11 window (a virtual X server this program starts):
// opening the window through the Audio Unit's view up to its first
// picture, one idle tick of an open editor with nothing to do (the view
// ticks 25 times a second, so 25 x this time is the idle CPU per second),
// and a full redraw shown in the window. Skipped without Xvfb.

#include <benchmark/benchmark.h>

#include <memory>

#include "editor/Editor.h"
#include "host/au/AUCocoaView.h"
#include "host/au/AUSynth.h"
#include "host/au/AUSynthEntry.h"
#include "host/vst/VstSynth.h"
#include "platform/au/AUComponent.h"
#include "tests/support/TempDataDir.h"
#include "tests/support/XvfbServer.h"

namespace {

CXvfbServer& Server() {
  static CXvfbServer server;
  return server;
}

struct UNIT {
  CTempDataDir data;
  AudioUnit unit = nullptr;
  UNIT() { AudioComponentInstanceNew(CAUSynthRegister(), &unit); }
  ~UNIT() { AudioComponentInstanceDispose(unit); }
  CEditor* Editor() const {
    CAUSynth* synth = nullptr;
    UInt32 size = sizeof(synth);
    AudioUnitGetProperty(unit, kAUSynthProperty_Instance, kAudioUnitScope_Global, 0, &synth, &size);
    return static_cast<CVstSynth*>(static_cast<AudioEffect*>(synth->GetEffect()->object))->GetEditorObject();
  }
};

std::unique_ptr<CAUCocoaView> OpenWindow(const UNIT& u) {
  CAUCocoaViewFactory factory;
  factory.SetHostWindow(0);
  std::unique_ptr<CAUCocoaView> view(factory.UiViewForAudioUnit(u.unit, 0, 0));
  view->TimerTick();  // the first picture
  return view;
}

void BM_WindowOpenToFirstPicture(benchmark::State& state) {
  if (!Server().Available()) return state.SkipWithError("Xvfb is not available");
  UNIT u;
  for (auto _ : state) {
    std::unique_ptr<CAUCocoaView> view = OpenWindow(u);
    benchmark::DoNotOptimize(view->GetWindowId());
  }
}
BENCHMARK(BM_WindowOpenToFirstPicture)->Unit(benchmark::kMillisecond);

void BM_IdleTickOfAnOpenWindow(benchmark::State& state) {
  if (!Server().Available()) return state.SkipWithError("Xvfb is not available");
  UNIT u;
  std::unique_ptr<CAUCocoaView> view = OpenWindow(u);
  for (int i = 0; i < 5; ++i) view->TimerTick();
  for (auto _ : state) view->TimerTick();
}
BENCHMARK(BM_IdleTickOfAnOpenWindow)->Unit(benchmark::kMicrosecond);

void BM_FullRedrawShownInTheWindow(benchmark::State& state) {
  if (!Server().Available()) return state.SkipWithError("Xvfb is not available");
  UNIT u;
  std::unique_ptr<CAUCocoaView> view = OpenWindow(u);
  CFrame* frame = u.Editor()->getFrame();
  for (auto _ : state) frame->render();
}
BENCHMARK(BM_FullRedrawShownInTheWindow)->Unit(benchmark::kMillisecond);

}  // namespace
