// "Save As..." of the recorder panel while the render thread keeps starting
// new recordings from notes (record on MIDI input, recorder armed): the file
// holds the take the panel showed, whole and unmixed, and the editor never
// reads the engine's buffers while the render thread writes them. Meant to
// run under ThreadSanitizer and AddressSanitizer; elsewhere it checks the
// file.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "editor/Editor.h"
#include "editor/pages/Recorder.h"
#include "engine/ICommandHandler.h"
#include "engine/IGlobalSynth.h"
#include "host/vst/VstSynth.h"
#include "platform/FileDialogs.h"
#include "platform/vstgui/vstgui.h"
#include "support/TempDataDir.h"
#include "tests/conformance/HostHarness.h"
#include "tests/tools/WavTestUtil.h"

namespace {

const UInt32 BLOCK = 256;

TEST(RecorderTsan, SaveAsWhileNotesStartNewRecordings) {
  CTempDataDir dir;
  CHostHarness host;
  ASSERT_EQ(host.Start(44100.0, 512), noErr);
  CVstSynth* vst = host.Vst();
  ASSERT_NE(vst, nullptr);
  CEditor* editor = vst->GetEditorObject();
  ICommandHandler* commands = host.Commands();
  ASSERT_TRUE(editor && commands);
  editor->GetSynth()->SetRecordOnMidiInputFlag(true);
  ASSERT_TRUE(editor->open(nullptr));
  editor->ShowRecorder();  // arms the recorder
  CRecorder* recorder = editor->GetRecorder();
  CFrame* frame = editor->getFrame();
  ASSERT_TRUE(recorder && frame);

  // While the player plays, a note every few blocks; each starts a
  // recording whenever none runs.
  std::atomic<bool> stop{false};
  std::atomic<bool> playing{true};
  std::atomic<int> blocks{0};
  std::thread render([&] {
    int n = 0;
    while (!stop.load()) {
      if (playing.load() && n % 6 == 0) host.NoteOn(0, static_cast<UInt8>(48 + n % 24), 100);
      if (n % 6 == 3) host.NoteOff(0, static_cast<UInt8>(48 + (n - 3) % 24));
      host.Render(BLOCK);
      blocks.store(++n);
    }
  });
  struct JOIN {
    std::atomic<bool>& stop;
    std::thread& thread;
    ~JOIN() {
      stop = true;
      thread.join();
    }
  } join{stop, render};
  auto waitBlocks = [&](int count) {
    const int until = blocks.load() + count;
    while (blocks.load() < until) std::this_thread::yield();
  };

  const std::string path = dir.Path() + "/take.wav";
  int saves = 0;
  for (int round = 0; round < 4; ++round) {
    // A recording started by a note; the player pauses and the user stops
    // it with the switch.
    playing = true;
    while (!commands->IsRecordingActive()) std::this_thread::yield();
    waitBlocks(20);
    playing = false;
    waitBlocks(2);
    COnOffButton* record = recorder->GetRecordSwitch();
    record->setValue(0.f);
    recorder->valueChanged(record);
    const unsigned int shown = recorder->GetTake().GetLength();
    ASSERT_GT(shown, 0u);

    // The save dialog is modal; meanwhile a note starts the next recording.
    bool restarted = false;
    SetFileDialogResponder([&](bool save, const char*, const char*, const char*, std::string& chosen) {
      playing = true;
      while (!commands->IsRecordingActive()) std::this_thread::yield();
      waitBlocks(10);
      restarted = true;
      chosen = path;
      return save;
    });
    frame->setMenuChooser([](COptionMenu* root, COptionMenu*& menu, long& index) {
      return root->findEntry("Save As...", menu, index);
    });
    CControl* tools = CEditor::getViewControlByTag(recorder, CRecorder::TAG_TOOLS);
    ASSERT_NE(tools, nullptr);
    tools->setValue(0.f);
    recorder->valueChanged(tools);
    SetFileDialogResponder(nullptr);
    ASSERT_TRUE(restarted);

    const STEREO_WAV wav = ReadStereoWav(path);
    ASSERT_TRUE(wav.ok);
    EXPECT_EQ(wav.format, 3);
    EXPECT_EQ(wav.rate, 44100u);
    ASSERT_EQ(wav.left.size(), shown);
    const float* left = recorder->GetTake().GetLeft();
    const float* right = recorder->GetTake().GetRight();
    bool same = true;
    for (unsigned int i = 0; i < shown && same; ++i) same = wav.left[i] == left[i] && wav.right[i] == right[i];
    EXPECT_TRUE(same) << "round " << round;
    ++saves;
  }
  editor->close();
  EXPECT_EQ(saves, 4);
}

}  // namespace
