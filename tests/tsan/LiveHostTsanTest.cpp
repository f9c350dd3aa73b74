// The editor tool's threads around one instrument: the clock thread renders
// 64-frame blocks through the live host, two MIDI input threads post notes
// and controllers, the writer thread drains the capture into a WAV file,
// and this thread is the editor's: idle ticks, knob edits, MIDI learn and
// the recorder. Meant to run under ThreadSanitizer (MORLAVINE_TSAN=ON),
// which reports any access the queues, the ring and the engine lock do not
// order; elsewhere it checks the outcome only.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "host/au/AUSynthEntry.h"
#include "editor/Editor.h"
#include "engine/ICommandHandler.h"
#include "host/au/AUCocoaView.h"
#include "host/au/AUSynth.h"
#include "host/vst/VstSynth.h"
#include "platform/vstgui/vstgui.h"
#include "support/TempDataDir.h"
#include "tools/editor/ClockDriver.h"
#include "tools/editor/LiveHost.h"
#include "tools/editor/WavStream.h"
#include "tools/render/AuHost.h"
#include "tools/render/MorlavineInstrument.h"

namespace {

CVstSynth* InstrumentOf(AudioUnit unit) {
  CAUSynth* synth = nullptr;
  UInt32 size = sizeof(synth);
  if (AudioUnitGetProperty(unit, kAUSynthProperty_Instance, kAudioUnitScope_Global, 0, &synth, &size) != noErr ||
      !synth)
    return nullptr;
  return static_cast<CVstSynth*>(static_cast<AudioEffect*>(synth->GetEffect()->object));
}

// Runs the threads for a second and a half. With `controllers` the inputs
// also send controllers and the editor thread starts and stops MIDI learn,
// so that the render thread changes parameters the editor shows.
void RunThreads(bool controllers) {
  CTempDataDir data;
  char folder[] = "/tmp/morlavine-livetsan-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string out = std::string(folder) + "/out.wav";

  const double rate = 44100.0;
  HOST_TRANSPORT transport;
  CAuHost host(&transport);
  std::string error;
  ASSERT_TRUE(host.Open(CAUSynthRegister(), error) && host.Configure(rate, 4096, error) &&
              host.Initialize(error))
      << error;
  CAUCocoaViewFactory factory;
  std::unique_ptr<CAUCocoaView> view(factory.UiViewForAudioUnit(host.Unit(), 0, 0));
  CVstSynth* vst = InstrumentOf(host.Unit());
  ASSERT_NE(vst, nullptr);
  CEditor* editor = vst->GetEditorObject();
  ASSERT_NE(editor, nullptr);
  ICommandHandler* commands = editor->GetCommandHandler();
  CView* knobView = editor->getFrame()->getViewAt(CPoint(450, 50), true);
  ASSERT_TRUE(knobView && knobView->isTypeOf("CControl"));
  CControl* knob = static_cast<CControl*>(knobView);

  CMidiScore score;
  score.Clear(120.0);
  for (int k = 0; k < 8; ++k) {
    score.Add(k * 0.1, 0x90, static_cast<uint8_t>(48 + k), 100);
    score.Add(k * 0.1 + 0.08, 0x80, static_cast<uint8_t>(48 + k), 0);
  }
  score.Sort();

  CLiveHost live(host, transport, rate, 4096);
  live.SetScore(&score, true);
  live.EnableCapture(static_cast<uint32_t>(rate));
  CWavStream wav;
  ASSERT_TRUE(wav.Open(out, static_cast<uint32_t>(rate), error)) << error;
  wav.Start(&live);
  CClockDriver clock;
  clock.Start(&live, 64);

  std::atomic<bool> stop{false};
  auto input = [&](int source, uint8_t base) {
    int k = 0;
    while (!stop.load()) {
      const uint8_t note = static_cast<uint8_t>(base + k % 12);
      live.PostMidi(source, 0x90, note, 90, CLiveHost::Now());
      if (controllers)
        live.PostMidi(source, 0xB0, static_cast<uint8_t>(1 + source), static_cast<uint8_t>(k % 128),
                      CLiveHost::Now());
      std::this_thread::sleep_for(std::chrono::milliseconds(3));
      live.PostMidi(source, 0x80, note, 0, CLiveHost::Now());
      ++k;
    }
  };
  std::thread keyboard(input, 0, 60);
  std::thread sequencer(input, 1, 36);

  // The editor's thread.
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
  for (int round = 0; std::chrono::steady_clock::now() < until; ++round) {
    knob->setValue(static_cast<float>(round % 10) / 10.0f);
    editor->valueChanged(knob);
    if (controllers && round % 10 == 0) editor->StartMidiLearn(static_cast<unsigned int>(knob->getTag()));
    if (controllers && round % 10 == 5) editor->StopMidiLearn();
    if (round % 20 == 3) commands->StartRecording();
    if (round % 20 == 13) commands->StopRecording();
    view->TimerTick();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  stop = true;
  keyboard.join();
  sequencer.join();
  clock.Stop();
  ASSERT_TRUE(wav.Finish(error)) << error;

  EXPECT_FALSE(live.RenderFailed());
  EXPECT_GT(live.FramesPlayed(), 0u);
  EXPECT_EQ(wav.Frames() + live.DroppedCapture(), live.FramesPlayed());
  view.reset();
  host.Close();
  std::remove(out.c_str());
  rmdir(folder);
}

}  // namespace

TEST(LiveHostTsan, AudioMidiWriterAndEditorThreadsShareOneInstrument) { RunThreads(false); }

// Controllers and MIDI learn change parameter values on the render thread
// (CEditor::UpdateParamValue from CVstSynth::processReplacing) while the
// editor thread draws them: the values are recorded there and reach the
// controls on the editor's own thread.
TEST(LiveHostTsan, ControllersChangeWhatTheEditorDrawsWhileItDraws) { RunThreads(true); }
