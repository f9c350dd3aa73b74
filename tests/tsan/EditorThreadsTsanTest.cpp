// Editors of the instrument's Audio Unit running on threads of their own, as
// hosts run them: the editor's view ticks on one thread while the host
// restores states and moves parameters on another and the render thread
// mirrors mapped controllers; two editors tick on two threads while one of
// them goes away with its unit. Meant to run under ThreadSanitizer
// (MORLAVINE_TSAN=ON), which reports any access no lock orders; elsewhere it
// checks the outcome only.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "editor/Editor.h"
#include "engine/ICommandHandler.h"
#include "engine/PresetFile.h"
#include "engine/Params.h"
#include "host/au/AUCocoaView.h"
#include "host/au/AUSynth.h"
#include "host/vst/VstSynth.h"
#include "platform/vst/AEffect.h"
#include "platform/vstgui/vstgui.h"
#include "support/TempDataDir.h"
#include "tests/conformance/HostHarness.h"

namespace {

const UInt32 BLOCK = 256;

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string ProgramName(CHostHarness& host) {
  AEffect* effect = host.Synth() ? host.Synth()->GetEffect() : nullptr;
  if (!effect) return std::string();
  char name[64];
  std::memset(name, 0, sizeof(name));
  effect->dispatcher(effect, effGetProgramName, 0, 0, name, 0.0f);
  return name;
}

// An editor view opened and ticked on a thread of its own, until told to
// stop ticking; the view is destroyed on that thread once released.
class CEditorThread {
 public:
  explicit CEditorThread(AudioUnit unit) : m_thread([this, unit] { _Run(unit); }) {
    while (!m_opened.load()) std::this_thread::yield();
  }
  ~CEditorThread() {
    StopTicking();
    Release();
    if (m_thread.joinable()) m_thread.join();
  }
  int Ticks() const { return m_ticks.load(); }
  void WaitForTicks(int n) const {
    while (m_ticks.load() < n) Pause(1);
  }
  // After this returns, the thread no longer ticks.
  void StopTicking() {
    m_stopTicking.store(true);
    while (!m_stopped.load()) std::this_thread::yield();
  }
  void Release() { m_release.store(true); }
  void Join() {
    Release();
    if (m_thread.joinable()) m_thread.join();
  }
  CAUCocoaView* View() { return m_view.get(); }

 private:
  void _Run(AudioUnit unit) {
    CAUCocoaViewFactory factory;
    m_view.reset(factory.UiViewForAudioUnit(unit, 0, 0));
    m_opened.store(true);
    while (!m_stopTicking.load()) {
      if (m_view) m_view->TimerTick();
      m_ticks.fetch_add(1);
      Pause(1);
    }
    m_stopped.store(true);
    while (!m_release.load()) Pause(1);
    m_view.reset();
  }

  std::unique_ptr<CAUCocoaView> m_view;
  std::atomic<bool> m_opened{false};
  std::atomic<bool> m_stopTicking{false};
  std::atomic<bool> m_stopped{false};
  std::atomic<bool> m_release{false};
  std::atomic<int> m_ticks{0};
  std::thread m_thread;
};

// Renders with held notes and the mod wheel moving (the default map binds
// it to a parameter, which the render thread mirrors to the editor).
void RenderWhile(CHostHarness& host, std::atomic<bool>& stop, std::atomic<int>& dirty) {
  for (int block = 0; block < 20 || !stop.load(); ++block) {
    if (block % 40 == 0)
      for (UInt8 note : {48, 60, 67}) host.NoteOn(0, note, 100, 0);
    host.Controller(0, 1, static_cast<UInt8>((block * 5) % 128), static_cast<UInt32>(block % BLOCK));
    if (host.Render(BLOCK) != noErr) ++dirty;
    SAMPLE_CHECK check;
    check.Add(host.Left(), BLOCK);
    check.Add(host.Right(), BLOCK);
    if (!check.Clean()) ++dirty;
  }
}

const unsigned int KNOB_ID = 132;  // a main-window knob with a host index

TEST(EditorThreadsTsan, StateRestoredOnAHostThreadReachesTheRunningEditorAtItsIdle) {
  CHostHarness host;
  ASSERT_EQ(host.Start(44100.0, 512), noErr);
  CVstSynth* vst = host.Vst();
  ASSERT_NE(vst, nullptr);
  CEditor* editor = vst->GetEditorObject();
  ICommandHandler* commands = host.Commands();
  ASSERT_TRUE(editor && commands);
  const int knobIndex = Params::SynthParamToVstParam(KNOB_ID);
  ASSERT_GE(knobIndex, 0);

  // Two saved sounds with names of their own (no window is open yet).
  std::mt19937 rng(23);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  CCFHolder states[2];
  const char* const names[2] = {"First sound", "Second sound"};
  const float knob[2] = {0.125f, 0.875f};
  for (int s = 0; s < 2; ++s) {
    for (int k = 0; k < 40; ++k) host.SetParam(static_cast<UInt32>(rng() % CHostHarness::PARAM_COUNT), unit(rng));
    host.SetParam(static_cast<UInt32>(knobIndex), knob[s]);
    editor->SetPresetName(names[s]);
    states[s] = host.SaveState();
    ASSERT_TRUE(states[s]);
  }

  std::unique_ptr<CEditorThread> ui(new CEditorThread(host.Unit()));
  ASSERT_NE(editor->getFrame(), nullptr);
  std::atomic<bool> stop{false};
  std::atomic<int> dirty{0};
  std::thread render([&] { RenderWhile(host, stop, dirty); });

  int wrongNames = 0;
  for (int round = 0; round < 30; ++round) {
    for (int k = 0; k < 10; ++k) host.SetParam(static_cast<UInt32>(rng() % CHostHarness::PARAM_COUNT), unit(rng));
    EXPECT_EQ(host.RestoreState(states[round % 2].Get()), noErr);
    // The host reads the restored sound's name at once, applied or not.
    if (ProgramName(host) != names[round % 2]) ++wrongNames;
    CCFHolder saved = host.SaveState();
    EXPECT_TRUE(saved);
    if (round % 3 == 0) Pause(3);  // let some restores meet an idle
  }
  EXPECT_EQ(wrongNames, 0);
  ui->WaitForTicks(ui->Ticks() + 3);
  stop = true;
  render.join();
  EXPECT_EQ(dirty.load(), 0);
  ui->StopTicking();

  // From here this thread runs the view. A restore recorded while the window
  // is run by another thread waits for the next idle and leaves the
  // controls alone until then.
  const unsigned int refreshes = editor->GetUpdateAllCount();
  EXPECT_EQ(host.RestoreState(states[0].Get()), noErr);
  EXPECT_TRUE(editor->IsRestorePending());
  EXPECT_EQ(editor->GetUpdateAllCount(), refreshes);
  EXPECT_EQ(ProgramName(host), names[0]);
  ui->View()->TimerTick();
  EXPECT_FALSE(editor->IsRestorePending());
  EXPECT_EQ(editor->GetUpdateAllCount(), refreshes + 1);
  CControl* control = editor->getControlByParam(KNOB_ID);
  ASSERT_NE(control, nullptr);
  EXPECT_FLOAT_EQ(control->getValue(), knob[0]);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(KNOB_ID), knob[0]);
  EXPECT_EQ(editor->GetPresetName(), names[0]);
  ui.reset();
  EXPECT_EQ(editor->getFrame(), nullptr);
}

// The preset's author, name and path are read by the host's thread (the
// state it saves, the program name) while the editor's thread loads and
// saves presets and the host sets the author and name of a preset it loaded:
// every text read is one that was written whole.
TEST(EditorThreadsTsan, PresetTextsReadByTheHostWhileTheEditorLoadsAndSavesPresets) {
  CTempDataDir dir;
  CHostHarness host;
  ASSERT_EQ(host.Start(44100.0, 512), noErr);
  CVstSynth* vst = host.Vst();
  ASSERT_NE(vst, nullptr);
  CEditor* editor = vst->GetEditorObject();
  ICommandHandler* commands = host.Commands();
  ASSERT_TRUE(editor && commands);
  CPresetFile& file = editor->GetPresetFile();
  // Two preset files, each with an author and name of its own (as long as a
  // preset's author field holds).
  const std::string names[2] = {std::string(20, 'a'), std::string(20, 'b')};
  std::string paths[2];
  for (int p = 0; p < 2; ++p) {
    paths[p] = dir.Path() + "/" + names[p] + ".p";
    file.SetAuthor(names[p]);
    const unsigned int size = commands->SavePreset(file.GetBuffer(), 0, 0);
    ASSERT_TRUE(file.SaveToFile(nullptr, PRESET_KIND_SYNTH, size, paths[p].c_str(), nullptr, nullptr, nullptr,
                                nullptr));
  }

  std::atomic<bool> stop{false};
  std::thread editorThread([&] {
    for (int round = 0; !stop.load(); ++round) {
      file.LoadFromFile(nullptr, paths[round % 2].c_str(), nullptr, nullptr);
      if (round % 4 == 0) {
        const unsigned int size = commands->SavePreset(file.GetBuffer(), 0, 0);
        file.SaveToFile(nullptr, PRESET_KIND_SYNTH, size, paths[round % 2].c_str(), nullptr, nullptr, nullptr, nullptr);
      }
    }
  });
  int torn = 0;
  for (int round = 0; round < 200; ++round) {
    if (round % 10 == 0) {
      editor->SetPresetAuthor(names[round % 20 == 0 ? 0 : 1]);
      editor->SetPresetName(names[round % 20 == 0 ? 0 : 1]);
    }
    const std::string texts[3] = {editor->GetPresetAuthor(), editor->GetPresetName(), editor->GetPresetPath()};
    for (const std::string& text : texts) {
      // Each text is empty or one of the two presets' own, never a mixture.
      const bool whole = text.empty() || text.find(names[0]) != std::string::npos ||
                         text.find(names[1]) != std::string::npos;
      if (!whole) ++torn;
    }
    if (round % 20 == 0) {
      EXPECT_TRUE(host.SaveState());
    }
  }
  stop = true;
  editorThread.join();
  EXPECT_EQ(torn, 0);
}

TEST(EditorThreadsTsan, HostAndRenderThreadChangesReachTheEditorOnItsOwnThread) {
  CHostHarness host;
  ASSERT_EQ(host.Start(48000.0, 512), noErr);
  CVstSynth* vst = host.Vst();
  ASSERT_NE(vst, nullptr);
  CEditor* editor = vst->GetEditorObject();
  const unsigned int wheelTarget = vst->GetMidiMap()->GetParamID(1);
  const int knobIndex = Params::SynthParamToVstParam(KNOB_ID);
  ASSERT_GE(knobIndex, 0);

  std::unique_ptr<CEditorThread> ui(new CEditorThread(host.Unit()));
  std::atomic<bool> stop{false};
  std::atomic<int> dirty{0};
  std::thread render([&] { RenderWhile(host, stop, dirty); });
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  for (int round = 0; round < 400; ++round) {
    host.SetParam(static_cast<UInt32>(rng() % CHostHarness::PARAM_COUNT), unit(rng));
    host.SetParam(static_cast<UInt32>(knobIndex), unit(rng));
    if (round % 50 == 0) Pause(2);
  }
  stop = true;
  render.join();
  EXPECT_EQ(dirty.load(), 0);
  ui->StopTicking();

  // A host change recorded while the editor's thread does not tick shows
  // after the editor's next idle (here on this thread).
  const unsigned int updates = editor->GetUpdateCount();
  host.SetParam(static_cast<UInt32>(knobIndex), 0.3125f);
  EXPECT_EQ(editor->GetUpdateCount(), updates);
  ui->View()->TimerTick();
  EXPECT_GT(editor->GetUpdateCount(), updates);
  CControl* control = editor->getControlByParam(KNOB_ID);
  ASSERT_NE(control, nullptr);
  EXPECT_FLOAT_EQ(control->getValue(), 0.3125f);

  // A mapped controller from a render on another thread: recorded there,
  // shown at the editor's idle.
  if (wheelTarget != 0) {
    std::thread once([&] {
      host.Controller(0, 1, 127, 0);
      host.Render(BLOCK);
    });
    once.join();
    ui->View()->TimerTick();
    EXPECT_EQ(editor->GetLastUpdatedId(), wheelTarget);
    EXPECT_FLOAT_EQ(editor->GetLastUpdatedValue(), 1.0f);
  }
}

TEST(EditorThreadsTsan, TwoEditorsOnTwoThreadsWhileOneUnitIsDisposed) {
  CHostHarness first, second;
  ASSERT_EQ(first.Start(44100.0, 512), noErr);
  ASSERT_EQ(second.Start(44100.0, 512), noErr);
  CEditor* secondEditor = second.Vst() ? second.Vst()->GetEditorObject() : nullptr;
  ASSERT_NE(secondEditor, nullptr);
  const int knobIndex = Params::SynthParamToVstParam(KNOB_ID);
  ASSERT_GE(knobIndex, 0);

  std::unique_ptr<CEditorThread> a(new CEditorThread(first.Unit()));
  std::unique_ptr<CEditorThread> b(new CEditorThread(second.Unit()));
  // Several timer periods (50 ms) on both threads, the host moving both.
  for (int k = 0; k < 60; ++k) {
    first.SetParam(static_cast<UInt32>(knobIndex), static_cast<float>(k % 10) / 10.0f);
    second.SetParam(static_cast<UInt32>(knobIndex), static_cast<float>(k % 7) / 7.0f);
    Pause(2);
  }
  a->WaitForTicks(20);
  b->WaitForTicks(20);

  // The first unit goes away (its editor closes, its timer stops) while the
  // second editor keeps ticking on its thread.
  a->StopTicking();
  const int ticksBefore = b->Ticks();
  first.Close();
  a->Join();
  a.reset();
  b->WaitForTicks(ticksBefore + 80);  // beyond a timer period
  EXPECT_NE(secondEditor->getFrame(), nullptr);
  EXPECT_EQ(CVSTGUITimer::getRunningCount(), 1);

  // The second editor still shows the host's changes.
  second.SetParam(static_cast<UInt32>(knobIndex), 0.625f);
  b->WaitForTicks(b->Ticks() + 3);
  b->StopTicking();
  CControl* control = secondEditor->getControlByParam(KNOB_ID);
  ASSERT_NE(control, nullptr);
  EXPECT_FLOAT_EQ(control->getValue(), 0.625f);
  b.reset();
  EXPECT_EQ(CVSTGUITimer::getRunningCount(), 0);
}

}  // namespace
