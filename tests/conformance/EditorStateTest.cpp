// A saved state restored while the instrument's editor is shown, through the
// Audio Unit entry and its editor view: the editor takes the restored sound
// on its own thread. A restore on that thread refreshes the window at once;
// a restore on another thread is recorded and shown at the view's next tick
// (the host still reads the restored name straight away); a restore with no
// window open is what the next window shows.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "editor/Editor.h"
#include "engine/ICommandHandler.h"
#include "engine/Params.h"
#include "host/au/AUCocoaView.h"
#include "host/au/AUSynth.h"
#include "host/vst/VstSynth.h"
#include "platform/vst/AEffect.h"
#include "platform/vstgui/vstgui.h"
#include "tests/conformance/HostHarness.h"

namespace {

const unsigned int KNOB_ID = 132;  // a main-window knob with a host index

class EditorStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(host.Start(44100.0, 512), noErr);
    ASSERT_NE(host.Vst(), nullptr);
    editor = host.Vst()->GetEditorObject();
    ASSERT_NE(editor, nullptr);
    knobIndex = Params::SynthParamToVstParam(KNOB_ID);
    ASSERT_GE(knobIndex, 0);
    const char* const names[2] = {"Glass", "Brass"};
    const float values[2] = {0.25f, 0.75f};
    for (int s = 0; s < 2; ++s) {
      host.SetParam(static_cast<UInt32>(knobIndex), values[s]);
      editor->SetPresetName(names[s]);
      states[s] = host.SaveState();
      ASSERT_TRUE(states[s]);
    }
  }

  void OpenView() {
    CAUCocoaViewFactory factory;
    view.reset(factory.UiViewForAudioUnit(host.Unit(), 0, 0));
    ASSERT_NE(editor->getFrame(), nullptr);
  }

  float Shown() {
    CControl* control = editor->getControlByParam(KNOB_ID);
    return control ? control->getValue() : -1.0f;
  }

  std::string ProgramName() {
    AEffect* effect = host.Synth()->GetEffect();
    char name[64];
    std::memset(name, 0, sizeof(name));
    effect->dispatcher(effect, effGetProgramName, 0, 0, name, 0.0f);
    return name;
  }

  CHostHarness host;
  CEditor* editor = nullptr;
  int knobIndex = -1;
  CCFHolder states[2];
  std::unique_ptr<CAUCocoaView> view;
};

TEST_F(EditorStateTest, ARestoreOnTheEditorsThreadRefreshesTheWindowAtOnce) {
  OpenView();
  const unsigned int refreshes = editor->GetUpdateAllCount();
  EXPECT_EQ(host.RestoreState(states[0].Get()), noErr);
  EXPECT_FALSE(editor->IsRestorePending());
  EXPECT_EQ(editor->GetUpdateAllCount(), refreshes + 1);
  EXPECT_FLOAT_EQ(Shown(), 0.25f);
  EXPECT_EQ(editor->GetPresetName(), "Glass");
}

TEST_F(EditorStateTest, ARestoreOnAnotherThreadShowsAtTheNextTick) {
  OpenView();
  EXPECT_EQ(host.RestoreState(states[1].Get()), noErr);
  ASSERT_FLOAT_EQ(Shown(), 0.75f);
  const unsigned int refreshes = editor->GetUpdateAllCount();
  OSStatus restored = -1;
  std::thread other([&] { restored = host.RestoreState(states[0].Get()); });
  other.join();
  EXPECT_EQ(restored, noErr);
  // Recorded: the window is untouched, the host hears the new name.
  EXPECT_TRUE(editor->IsRestorePending());
  EXPECT_EQ(editor->GetUpdateAllCount(), refreshes);
  EXPECT_FLOAT_EQ(Shown(), 0.75f);
  EXPECT_EQ(ProgramName(), "Glass");
  // A state saved now carries the restored texts too.
  CCFHolder saved = host.SaveState();
  const std::vector<uint8_t> chunk = CHostHarness::ChunkOf(saved.Get());
  EXPECT_NE(std::search(chunk.begin(), chunk.end(), std::begin("Glass"), std::end("Glass") - 1), chunk.end());

  view->TimerTick();
  EXPECT_FALSE(editor->IsRestorePending());
  EXPECT_EQ(editor->GetUpdateAllCount(), refreshes + 1);
  EXPECT_FLOAT_EQ(Shown(), 0.25f);
  EXPECT_EQ(editor->GetPresetName(), "Glass");
}

TEST_F(EditorStateTest, ARestoreWithoutAWindowIsWhatTheNextWindowShows) {
  OSStatus restored = -1;
  std::thread other([&] { restored = host.RestoreState(states[0].Get()); });
  other.join();
  EXPECT_EQ(restored, noErr);
  EXPECT_FALSE(editor->IsRestorePending());
  EXPECT_EQ(ProgramName(), "Glass");
  OpenView();
  EXPECT_FLOAT_EQ(Shown(), 0.25f);
  // Host changes from another thread wait for the tick as well.
  std::thread automation([&] { host.SetParam(static_cast<UInt32>(knobIndex), 0.5f); });
  automation.join();
  EXPECT_FLOAT_EQ(Shown(), 0.25f);
  view->TimerTick();
  EXPECT_FLOAT_EQ(Shown(), 0.5f);
}

}  // namespace
