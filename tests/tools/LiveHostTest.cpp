// The editor's real-time loop: the score and the MIDI inputs reach the unit
// at the frames they belong to, the transport the unit reads, long blocks,
// a failing unit, the WAV written as it plays, and MIDI learn completed by
// a controller arriving through the MIDI input path while the loop runs
// on the clock.
#include "host/au/AUSynthEntry.h"
#include "tools/editor/LiveHost.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>

#include <RtMidi.h>
#include <gtest/gtest.h>

#include "ToolsTestUtil.h"
#include "WavTestUtil.h"
#include "editor/Editor.h"
#include "engine/ICommandHandler.h"
#include "host/au/AUCocoaView.h"
#include "host/au/AUSynth.h"
#include "host/vst/VstSynth.h"
#include "platform/vstgui/vstgui.h"
#include "support/TempDataDir.h"
#include "tools/editor/ClockDriver.h"
#include "tools/editor/MidiInput.h"
#include "tools/editor/WavStream.h"
#include "tools/render/AuHost.h"
#include "tools/render/MorlavineInstrument.h"

namespace {

const double RATE = 48000.0;
const int64_t SECOND = 1000000000;

// Records what it is handed: each message with the absolute frame it lands
// on, the transport at every render, and writes the absolute frame number
// into the audio.
class CRecordingUnit : public IRenderUnit {
 public:
  explicit CRecordingUnit(const HOST_TRANSPORT& transport) : m_transport(transport) {}

  struct RECEIVED {
    uint64_t frame;
    uint8_t status, data1, data2;
    bool operator==(const RECEIVED& o) const {
      return frame == o.frame && status == o.status && data1 == o.data1 && data2 == o.data2;
    }
  };

  bool SendMidi(uint8_t status, uint8_t data1, uint8_t data2, uint32_t offset, std::string&) override {
    m_pending.push_back({offset, status, data1, data2});
    return true;
  }
  bool Render(uint32_t frames, float* left, float* right, std::string& error) override {
    if (failAfter >= 0 && static_cast<int>(renders.size()) >= failAfter) {
      error = "refused";
      return false;
    }
    uint32_t last = 0;
    for (RECEIVED r : m_pending) {
      EXPECT_LT(r.frame, frames);
      EXPECT_GE(r.frame, last) << "messages out of order";
      last = static_cast<uint32_t>(r.frame);
      r.frame += m_position;
      received.push_back(r);
    }
    m_pending.clear();
    renders.push_back(m_transport);
    sizes.push_back(frames);
    for (uint32_t i = 0; i < frames; ++i) {
      left[i] = static_cast<float>(m_position + i);
      right[i] = -static_cast<float>(m_position + i);
    }
    m_position += frames;
    return true;
  }

  std::vector<RECEIVED> received;
  std::vector<HOST_TRANSPORT> renders;
  std::vector<uint32_t> sizes;
  int failAfter = -1;

 private:
  const HOST_TRANSPORT& m_transport;
  std::vector<RECEIVED> m_pending;
  uint64_t m_position = 0;
};

// Drives a live host block by block with a made-up clock.
struct LIVE {
  HOST_TRANSPORT transport;
  CRecordingUnit unit{transport};
  CLiveHost host;
  std::vector<float> left, right;
  int64_t now = 1000 * SECOND;
  explicit LIVE(uint32_t maxFrames = 4096) : host(unit, transport, RATE, maxFrames) {}
  void Blocks(int count, uint32_t frames) {
    left.resize(frames);
    right.resize(frames);
    for (int i = 0; i < count; ++i) {
      now += static_cast<int64_t>(frames / RATE * SECOND);
      host.Process(left.data(), right.data(), frames, now);
    }
  }
};

CMidiScore ThreeNotes() {
  CMidiScore score;
  score.Clear(120.0);
  score.Add(0.0, 0x90, 60, 100);
  score.Add(0.01, 0xB0, 1, 64);
  score.Add(0.25, 0x80, 60, 0);
  score.Add(0.25, 0x90, 64, 90);
  score.Add(0.5 + 7.0 / RATE, 0x80, 64, 0);
  score.Sort();
  return score;
}

}  // namespace

TEST(LiveHost, AScoreReachesTheUnitAtTheFramesTheRenderLoopGivesIt) {
  const CMidiScore score = ThreeNotes();
  for (uint32_t block : {64u, 100u, 1024u}) {
    // The command-line render loop's frames for the same score.
    HOST_TRANSPORT unused;
    CRecordingUnit reference(unused);
    CRenderSession session(RATE, block);
    RENDER_RESULT rendered;
    std::string error;
    ASSERT_TRUE(session.Run(score, 0.0, reference, rendered, error)) << error;

    LIVE live;
    live.host.SetScore(&score, false);
    live.Blocks(static_cast<int>(rendered.frames / block) + 2, block);
    EXPECT_EQ(live.unit.received, reference.received) << block;
    // The transport plays from frame 0 (a change at the first block) until
    // the score's end, at the score's beat and tempo; then it stops.
    ASSERT_GE(live.unit.renders.size(), 3u);
    EXPECT_TRUE(live.unit.renders[0].playing);
    EXPECT_TRUE(live.unit.renders[0].changed);
    EXPECT_FALSE(live.unit.renders[1].changed);
    EXPECT_EQ(live.unit.renders[1].samplePosition, block);
    EXPECT_NEAR(live.unit.renders[1].beat, block / RATE * 2.0, 1e-9);
    EXPECT_EQ(live.unit.renders[1].tempo, 120.0);
    EXPECT_FALSE(live.unit.renders.back().playing);
    EXPECT_FALSE(live.host.Playing());
  }
}

TEST(LiveHost, ALoopedScoreStartsOverAndTheTransportSaysSo) {
  const CMidiScore score = ThreeNotes();
  const uint64_t length = CMidiScore::FrameOf(score.EndSeconds(), RATE) + 1;
  LIVE live;
  live.host.SetScore(&score, true);
  live.Blocks(static_cast<int>(3 * length / 256), 256);  // just short of a fourth start
  std::vector<uint64_t> starts;
  for (const CRecordingUnit::RECEIVED& r : live.unit.received)
    if (r.status == 0x90 && r.data1 == 60) starts.push_back(r.frame);
  ASSERT_EQ(starts.size(), 3u);
  EXPECT_EQ(starts[0], 0u);
  EXPECT_EQ(starts[1], length);
  EXPECT_EQ(starts[2], 2 * length);
  // The block after each start over is marked as a change; the transport
  // keeps playing, and its position starts over with the score.
  int changes = 0;
  for (size_t i = 0; i < live.unit.renders.size(); ++i) {
    EXPECT_TRUE(live.unit.renders[i].playing);
    if (live.unit.renders[i].changed) ++changes;
    EXPECT_LT(live.unit.renders[i].samplePosition, static_cast<double>(length));
  }
  EXPECT_EQ(changes, 3);
  EXPECT_TRUE(live.host.Playing());
}

TEST(LiveHost, InputMessagesLandWhereTheyArrivedDuringTheLastBlock) {
  LIVE live;
  const uint32_t block = 64;
  live.Blocks(1, block);
  const int64_t start = live.now, span = static_cast<int64_t>(block / RATE * SECOND);
  // Two inputs; each queue is drained oldest first across both.
  EXPECT_TRUE(live.host.PostMidi(0, 0x90, 60, 100, start + span / 4));
  EXPECT_TRUE(live.host.PostMidi(0, 0x80, 60, 0, start + 3 * span / 4));
  EXPECT_TRUE(live.host.PostMidi(1, 0xB0, 7, 100, start + span / 2));
  EXPECT_TRUE(live.host.PostMidi(1, 0xE0, 0, 64, start - span));       // late: the block's start
  EXPECT_TRUE(live.host.PostMidi(1, 0xC0, 5, 0, start + 2 * span));    // early: the block's end
  // Only channel messages, only from known inputs.
  EXPECT_FALSE(live.host.PostMidi(0, 0xF0, 1, 2, start));
  EXPECT_FALSE(live.host.PostMidi(0, 0xF8, 0, 0, start));
  EXPECT_FALSE(live.host.PostMidi(0, 0x40, 0, 0, start));
  EXPECT_FALSE(live.host.PostMidi(CLiveHost::MIDI_SOURCES, 0x90, 1, 2, start));
  live.Blocks(1, block);
  const std::vector<CRecordingUnit::RECEIVED> expected = {
      {block + 0, 0xE0, 0, 64},  {block + 16, 0x90, 60, 100}, {block + 32, 0xB0, 7, 100},
      {block + 48, 0x80, 60, 0}, {block + 63, 0xC0, 5, 0},
  };
  EXPECT_EQ(live.unit.received, expected);
  EXPECT_EQ(live.host.DroppedMidi(), 0u);

  // A full queue refuses and counts; nothing already queued is lost.
  for (uint32_t i = 0; i < CMidiQueue::CAPACITY; ++i)
    ASSERT_TRUE(live.host.PostMidi(2, 0xB0, 1, i & 0x7F, live.now));
  EXPECT_FALSE(live.host.PostMidi(2, 0xB0, 1, 0, live.now));
  EXPECT_EQ(live.host.DroppedMidi(), 1u);
  live.unit.received.clear();
  live.Blocks(4, block);
  EXPECT_EQ(live.unit.received.size(), CMidiQueue::CAPACITY);
}

TEST(LiveHost, WithoutAScoreTheTransportStandsAtTheGivenTempo) {
  LIVE live;
  live.host.SetTempo(90.0);
  live.Blocks(10, 480);
  ASSERT_EQ(live.unit.renders.size(), 10u);
  for (const HOST_TRANSPORT& t : live.unit.renders) {
    EXPECT_FALSE(t.playing);
    EXPECT_FALSE(t.changed);
    EXPECT_EQ(t.tempo, 90.0);
  }
  EXPECT_NEAR(live.unit.renders[9].beat, 9 * 480 / RATE * 1.5, 1e-9);
  EXPECT_EQ(live.host.FramesPlayed(), 4800u);
}

TEST(LiveHost, LongBlocksAreRenderedInPartsWithTheirMessages) {
  CMidiScore score;
  score.Clear(120.0);
  score.Add(150.0 / RATE, 0x90, 60, 100);
  score.Add(1.0, 0x80, 60, 0);
  score.Sort();
  LIVE live(64);
  live.host.SetScore(&score, false);
  live.Blocks(1, 200);
  EXPECT_EQ(live.unit.sizes, (std::vector<uint32_t>{64, 64, 64, 8}));
  ASSERT_EQ(live.unit.received.size(), 1u);
  EXPECT_EQ(live.unit.received[0].frame, 150u);
  // The audio is the unit's, part after part.
  for (uint32_t i = 0; i < 200; ++i) ASSERT_EQ(live.left[i], static_cast<float>(i));
}

TEST(LiveHost, AUnitThatFailsIsLeftAloneAndSilenceFollows) {
  LIVE live;
  live.unit.failAfter = 2;
  live.Blocks(2, 64);
  EXPECT_FALSE(live.host.RenderFailed());
  live.Blocks(3, 64);
  EXPECT_TRUE(live.host.RenderFailed());
  EXPECT_EQ(live.unit.renders.size(), 2u);
  for (float s : live.left) EXPECT_EQ(s, 0.0f);
  for (float s : live.right) EXPECT_EQ(s, 0.0f);
}

TEST(LiveHost, TheAudioOutFileHoldsEveryFramePlayed) {
  CScratchDir dir;
  LIVE live;
  live.host.EnableCapture(1024);  // smaller than what is played: the writer keeps up
  CWavStream wav;
  std::string error;
  ASSERT_TRUE(wav.Open(dir.File("out.wav"), static_cast<uint32_t>(RATE), error)) << error;
  wav.Start(&live.host);
  for (int i = 0; i < 40; ++i) {
    live.Blocks(1, 100);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_TRUE(wav.Finish(error)) << error;
  EXPECT_EQ(live.host.DroppedCapture(), 0u);
  EXPECT_EQ(wav.Frames(), 4000u);
  STEREO_WAV read = ReadStereoWav(dir.File("out.wav"));
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.rate, static_cast<uint32_t>(RATE));
  ASSERT_EQ(read.left.size(), 4000u);
  for (uint32_t i = 0; i < 4000; ++i) {
    ASSERT_EQ(read.left[i], static_cast<float>(i));
    ASSERT_EQ(read.right[i], -static_cast<float>(i));
  }
  // Nothing beside it is left behind.
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.wav"});

  // A ring nobody drains fills up: the frames that did not fit are counted.
  LIVE full;
  full.host.EnableCapture(256);
  full.Blocks(4, 100);
  EXPECT_EQ(full.host.DroppedCapture(), 200u);

  // A file that cannot be written is refused before anything plays.
  CWavStream bad;
  EXPECT_FALSE(bad.Open(dir.File("missing/out.wav"), 48000, error));
  EXPECT_NE(error.find("missing/out.wav"), std::string::npos) << error;
}

namespace {

// Takes `delay` for every block it renders.
class CSlowUnit : public IRenderUnit {
 public:
  explicit CSlowUnit(std::chrono::microseconds delay) : m_delay(delay) {}
  bool SendMidi(uint8_t, uint8_t, uint8_t, uint32_t, std::string&) override { return true; }
  bool Render(uint32_t frames, float* left, float* right, std::string&) override {
    if (m_delay.count() > 0) std::this_thread::sleep_for(m_delay);
    std::fill(left, left + frames, 0.0f);
    std::fill(right, right + frames, 0.0f);
    return true;
  }

 private:
  std::chrono::microseconds m_delay;
};

}  // namespace

TEST(LiveHost, TheClockAsksForBlocksNoFasterThanRealTimeAndCountsLateOnes) {
  struct CASE {
    int delayUs;
    bool late;
  } cases[] = {{0, false}, {4000, true}};
  for (const CASE& c : cases) {
    CSlowUnit unit{std::chrono::microseconds(c.delayUs)};
    HOST_TRANSPORT transport;
    CLiveHost live(unit, transport, RATE, 4096);
    CClockDriver clock;
    const auto start = std::chrono::steady_clock::now();
    clock.Start(&live, 64);  // 1.3 ms a block
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    clock.Stop();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Never ahead of the clock (one block may be rendered before its time).
    EXPECT_LE(live.FramesPlayed(), seconds * RATE + 64) << c.delayUs;
    EXPECT_GT(live.FramesPlayed(), 0u);
    // A unit three times slower than real time misses every block.
    if (c.late) {
      EXPECT_GT(live.Xruns(), live.FramesPlayed() / 64 / 2) << live.Xruns();
    }
  }
}

TEST(LiveHost, TheMidiInputHandsOnChannelMessagesOnly) {
  LIVE live;
  live.Blocks(1, 64);
  struct CASE {
    std::vector<unsigned char> bytes;
    bool delivered;
  } cases[] = {
      {{0x90, 60, 100}, true},  {{0xB3, 20, 127}, true}, {{0xC0, 5}, true},  {{0xF0, 1, 2, 0xF7}, false},
      {{0xF8}, false},          {{0x90}, false},         {{0x3C, 10}, false},
  };
  size_t expected = 0;
  for (const CASE& c : cases) {
    CMidiInput::Deliver(&live.host, 0, c.bytes.data(), c.bytes.size(), live.now);
    if (c.delivered) ++expected;
  }
  CMidiInput::Deliver(nullptr, 0, cases[0].bytes.data(), 3, live.now);
  live.Blocks(1, 64);
  ASSERT_EQ(live.unit.received.size(), expected);
  EXPECT_EQ(live.unit.received[1].status, 0xB3);
  EXPECT_EQ(live.unit.received[2].data2, 0);
}

namespace {

CVstSynth* InstrumentOf(AudioUnit unit) {
  CAUSynth* synth = nullptr;
  UInt32 size = sizeof(synth);
  if (AudioUnitGetProperty(unit, kAUSynthProperty_Instance, kAudioUnitScope_Global, 0, &synth, &size) != noErr ||
      !synth)
    return nullptr;
  return static_cast<CVstSynth*>(static_cast<AudioEffect*>(synth->GetEffect()->object));
}

// Sends one controller through the ALSA sequencer to the "Morlavine" port
// when the system has one; false when it has not.
bool SendThroughSequencer(const std::vector<unsigned char>& message) {
  try {
    RtMidiOut out(RtMidi::LINUX_ALSA, "Morlavine test");
    for (unsigned int i = 0; i < out.getPortCount(); ++i) {
      if (out.getPortName(i).find(CMidiInput::PORT_NAME) == std::string::npos) continue;
      out.openPort(i);
      out.sendMessage(&message);
      return true;
    }
  } catch (const RtMidiError&) {
  }
  return false;
}

}  // namespace

TEST(LiveHost, MidiLearnCompletesFromAnIncomingController) {
  CTempDataDir data;
  HOST_TRANSPORT transport;
  CAuHost host(&transport);
  std::string error;
  ASSERT_TRUE(host.Open(CAUSynthRegister(), error) && host.Configure(RATE, 4096, error) &&
              host.Initialize(error))
      << error;
  CAUCocoaViewFactory factory;
  std::unique_ptr<CAUCocoaView> view(factory.UiViewForAudioUnit(host.Unit(), 0, 0));
  CVstSynth* vst = InstrumentOf(host.Unit());
  ASSERT_NE(vst, nullptr);
  CEditor* editor = vst->GetEditorObject();
  ASSERT_NE(editor, nullptr);
  // The master level knob.
  CView* knob = editor->getFrame()->getViewAt(CPoint(450, 50), true);
  ASSERT_TRUE(knob && knob->isTypeOf("CControl"));
  const unsigned int id = static_cast<unsigned int>(static_cast<CControl*>(knob)->getTag());
  ICommandHandler* commands = editor->GetCommandHandler();

  CLiveHost live(host, transport, RATE, 4096);
  CMidiInput port;
  const bool sequencer = port.OpenPort(&live, 0, error);
  CClockDriver clock;
  clock.Start(&live, 128);
  editor->StartMidiLearn(id);
  ASSERT_TRUE(editor->IsMidiLearnActive());

  // A controller arrives as the port hands it on; the editor's idle goes
  // on meanwhile.
  auto send = [&](unsigned char value) {
    const std::vector<unsigned char> cc = {0xB0, 21, value};
    if (!sequencer || !SendThroughSequencer(cc)) CMidiInput::Deliver(&live, 0, cc.data(), cc.size(), CLiveHost::Now());
  };
  auto waitFor = [&](const std::function<bool()>& done) {
    for (int i = 0; i < 200 && !done(); ++i) {
      view->TimerTick();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
  };
  send(0);
  EXPECT_TRUE(waitFor([&] { return !editor->IsMidiLearnActive(); }));
  EXPECT_EQ(vst->GetAssignedMidiCC(id), 21);
  // The controller now moves the knob's parameter, both ways.
  send(127);
  EXPECT_TRUE(waitFor([&] { return commands->GetFloatParam(id) > 0.99f; })) << commands->GetFloatParam(id);
  send(0);
  EXPECT_TRUE(waitFor([&] { return commands->GetFloatParam(id) < 0.01f; })) << commands->GetFloatParam(id);

  clock.Stop();
  port.Close();
  EXPECT_FALSE(live.RenderFailed());
  EXPECT_GT(live.FramesPlayed(), 0u);
  view.reset();
  host.Close();
}

TEST(LiveHost, TheInstrumentSoundsAsTheRenderToolRendersIt) {
  CTempDataDir data;
  const CMidiScore score = ThreeNotes();
  const uint32_t block = 64;
  std::string error;
  // The render tool's loop.
  HOST_TRANSPORT transportA;
  CAuHost a(&transportA);
  ASSERT_TRUE(a.Open(CAUSynthRegister(), error) && a.Configure(RATE, block, error) &&
              a.Initialize(error))
      << error;
  CRenderSession session(RATE, block);
  RENDER_RESULT rendered;
  ASSERT_TRUE(session.Run(score, 0.0, a, rendered, error)) << error;
  // The live loop, same blocks.
  HOST_TRANSPORT transportB;
  CAuHost b(&transportB);
  ASSERT_TRUE(b.Open(CAUSynthRegister(), error) && b.Configure(RATE, block, error) &&
              b.Initialize(error))
      << error;
  CLiveHost live(b, transportB, RATE, block);
  live.SetScore(&score, false);
  RENDER_RESULT played;
  played.frames = rendered.frames / block * block;
  played.left.resize(played.frames);
  played.right.resize(played.frames);
  int64_t now = 0;
  for (uint64_t at = 0; at < played.frames; at += block)
    live.Process(&played.left[at], &played.right[at], block, now += 1000);
  ASSERT_GT(played.frames, RATE * 0.4);
  // The same music at the same level (the oscillators' start phases are
  // drawn at random, so the samples themselves differ), sounding in each
  // of its quarters.
  const RENDER_LEVELS x = MeasureLevels(rendered), y = MeasureLevels(played);
  EXPECT_GT(y.peakDb, -30.0);
  EXPECT_NEAR(x.rmsDb, y.rmsDb, 1.0);
  for (int quarter = 0; quarter < 4; ++quarter) {
    RENDER_RESULT part;
    const uint64_t from = played.frames * quarter / 4, to = played.frames * (quarter + 1) / 4;
    part.left.assign(played.left.begin() + from, played.left.begin() + to);
    part.right.assign(played.right.begin() + from, played.right.begin() + to);
    part.frames = to - from;
    EXPECT_GT(MeasureLevels(part).rmsDb, -40.0) << quarter;
  }
}
