// Raw MIDI in, synth events out: key handling in poly and mono modes, the
// sustain pedal, controllers, bend and pressure, note-off re-timing, the
// arpeggiator switch, panic and the fixed-size queues.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "MidiTestSupport.h"

namespace {

const unsigned int PARAM_VOICE_MODE = 489;
const unsigned int PARAM_MAX_VOICES = 490;
const unsigned int PARAM_ARP_ON = 527;

const unsigned char NOTE_OFF = 0x80;
const unsigned char NOTE_ON = 0x90;
const unsigned char CC = 0xB0;
const unsigned char PRESSURE = 0xD0;
const unsigned char BEND = 0xE0;

// One MIDI message and the events it should produce.
struct STEP {
  unsigned char status, data1, data2;
  const char* events;
};

class MidiProcessorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx.Set(PARAM_VOICE_MODE, 0.0f);
    ctx.Set(PARAM_MAX_VOICES, 16.0f);
    ctx.Set(PARAM_ARP_ON, 0.0f);
  }

  // Sends each message as its own block and checks that block's events.
  void Play(const std::vector<STEP>& steps) {
    for (size_t i = 0; i < steps.size(); ++i) {
      const STEP& s = steps[i];
      Send(proc, 0, s.status, s.data1, s.data2);
      EXPECT_EQ(Describe(RunBlock(proc, 64)), s.events) << "message " << i;
    }
  }

  std::vector<int> HeldNotes() {
    std::vector<int> notes;
    for (size_t i = 0; i < proc.GetHeldNoteCount(); ++i) notes.push_back(proc.GetHeldNote(i).note);
    return notes;
  }

  CMidiTestSynth ctx;
  CMidiProcessor proc{&ctx.synth, &ctx.params.GetLock()};
};

TEST_F(MidiProcessorTest, MonoModeHandsTheVoiceOverBetweenKeys) {
  const unsigned char A = 60, B = 62, C = 64;
  for (float mode : {1.0f, 2.0f}) {
    SCOPED_TRACE(mode);
    ctx.Set(PARAM_VOICE_MODE, mode);
    Play({
        {NOTE_ON, A, 100, "7 9 1:60"},
        {NOTE_ON, B, 100, "4:60 1:62L"},
        {NOTE_ON, C, 100, "4:62 1:64L"},
        {NOTE_OFF, C, 0, "6:64 5:62"},
        {NOTE_OFF, A, 0, "6:60"},
        {NOTE_OFF, B, 0, "2:62"},
    });
    EXPECT_EQ(proc.GetHeldNoteCount(), 0u);
  }
  // Releasing from the top walks back down the held keys.
  Play({
      {NOTE_ON, A, 100, "7 9 1:60"},
      {NOTE_ON, B, 100, "4:60 1:62L"},
      {NOTE_ON, C, 100, "4:62 1:64L"},
      {NOTE_OFF, C, 0, "6:64 5:62"},
      {NOTE_OFF, B, 0, "6:62 5:60"},
      {NOTE_ON | 3, A, 0, "2:60"},  // velocity 0 on another channel is a note-off
  });
}

TEST_F(MidiProcessorTest, MonoModeWithPedalReplacesTheKeptKey) {
  ctx.Set(PARAM_VOICE_MODE, 1.0f);
  Play({
      {CC, 64, 127, "8:64=1"},
      {NOTE_ON, 60, 100, "7 9 1:60"},
      {NOTE_OFF, 60, 0, ""},  // only key: sounds on under the pedal
      {NOTE_ON, 62, 100, "6:60 1:62L"},
      {CC, 64, 0, "8:64=0"},  // nothing left for 60
  });
  EXPECT_EQ(HeldNotes(), std::vector<int>({62}));
}

TEST_F(MidiProcessorTest, PolyModeVoiceLimitAndFirstKeyPress) {
  ctx.Set(PARAM_MAX_VOICES, 1.0f);
  Play({
      {NOTE_ON, 60, 127, "9 1:60"},
      {NOTE_ON, 64, 127, "6:60 9 1:64L"},
      {NOTE_OFF, 60, 0, ""},  // already gone: dropped
      {NOTE_OFF, 64, 0, "2:64"},
  });
  // A limit of 0 (only a damaged preset holds one) still keeps one key.
  ctx.Set(PARAM_MAX_VOICES, 0.0f);
  Play({
      {NOTE_ON, 60, 127, "9 1:60"},
      {NOTE_ON, 62, 127, "6:60 9 1:62L"},
  });
  EXPECT_EQ(HeldNotes(), std::vector<int>({62}));
}

TEST_F(MidiProcessorTest, PolyPedalStopsRepeatedKeysOldestFirstOnRelease) {
  Play({
      {CC, 64, 100, "8:64=1"},
      {NOTE_ON, 60, 100, "9 1:60"},
      {NOTE_OFF, 60, 0, ""},
      {NOTE_ON, 60, 100, "1:60L"},
      {NOTE_OFF, 60, 0, ""},
      {NOTE_ON, 67, 100, "1:67L"},
      {CC, 64, 10, "8:64=0 2:60 2:60"},
  });
  EXPECT_EQ(HeldNotes(), std::vector<int>({67}));
}

TEST_F(MidiProcessorTest, SustainPedalThresholdAndRepeats) {
  Play({
      {CC, 64, 62, ""},  // still up
      {CC, 64, 63, "8:64=1"},
      {CC, 64, 127, ""},  // already down
      {CC, 64, 62, "8:64=0"},
      {CC, 64, 0, ""},
      {CC, 64, 0xC0, "8:64=1"},  // data byte masked to 64
  });
  EXPECT_TRUE(proc.IsSustainPedalDown());
}

TEST_F(MidiProcessorTest, ResetAllControllersKeepsThePedalState) {
  Play({
      {CC, 64, 127, "8:64=1"},
      {NOTE_ON, 60, 100, "9 1:60"},
      {NOTE_OFF, 60, 0, ""},
      {CC, 121, 0, "8:64=0"},
  });
  EXPECT_TRUE(proc.IsSustainPedalDown());
  std::vector<std::pair<unsigned int, float>> expected = {{120, 0.0f}, {121, 0.0f}, {122, 0.0f}, {124, 1.0f}, {123, 0.0f}};
  EXPECT_EQ(ctx.modulation.calls, expected);
  Play({{CC, 64, 0, "8:64=0 2:60"}});
}

// All Sound Off resets; All Notes Off and the mode messages delete every
// voice (with the voices' short fade). Either way the held keys are gone.
TEST_F(MidiProcessorTest, ChannelModeMessagesEndTheVoicesAndEmptyTheHeldKeys) {
  for (unsigned char c : {120, 123, 124, 125, 126, 127}) {
    SCOPED_TRACE(static_cast<int>(c));
    Play({
        {NOTE_ON, 60, 100, "9 1:60"},
        {NOTE_ON, 64, 100, "1:64L"},
        {CC, c, 0, c == 120 ? "3" : "7"},
        {NOTE_OFF, 60, 0, ""},
    });
    EXPECT_EQ(proc.GetHeldNoteCount(), 0u);
  }
  Play({
      {NOTE_ON, 60, 100, "9 1:60"},
      {CC, 122, 127, ""},  // local control: ignored
      {CC, 0x85, 10, ""},  // controller byte with its top bit set
  });
  EXPECT_EQ(proc.GetHeldNoteCount(), 1u);
}

TEST_F(MidiProcessorTest, ControllerBendAndPressureValuesStayInRange) {
  struct CASE {
    unsigned char status, data1, data2;
    unsigned int controller;
    float value;
  } cases[] = {
      {BEND, 0, 64, 121, 0.0f},
      {BEND, 0, 0, 121, -1.0f},
      {BEND, 127, 127, 121, 8191.0f / 8192.0f},
      {BEND, 0xFF, 0xFF, 121, 8191.0f / 8192.0f},  // malformed data bytes are masked
      {BEND | 9, 0x80, 0xC0, 121, 0.0f},
      {PRESSURE, 127, 0, 122, 1.0f},
      {PRESSURE, 0xFF, 0, 122, 1.0f},
      {CC, 7, 127, 7, 1.0f},
      {CC, 7, 0xFF, 7, 1.0f},
      {CC | 15, 1, 0, 1, 0.0f},
  };
  for (const CASE& c : cases) {
    Send(proc, 5, c.status, c.data1, c.data2);
    std::vector<MIDI_EVENT> ev = RunBlock(proc, 64);
    ASSERT_EQ(ev.size(), 1u) << std::hex << int(c.status) << " " << int(c.data1) << " " << int(c.data2);
    EXPECT_EQ(ev[0].kind, MIDI_EVENT_CONTROLLER);
    EXPECT_EQ(ev[0].frameOffset, 5u);
    EXPECT_EQ(ev[0].controller, c.controller);
    EXPECT_FLOAT_EQ(ev[0].controllerValue, c.value);
  }
  // Key pressure, program change and system messages produce nothing.
  for (unsigned char status : {0xA0, 0xC0, 0xF0, 0xF8}) Send(proc, 0, status, 1, 2);
  proc.PushEvent(nullptr);
  EXPECT_EQ(Describe(RunBlock(proc, 64)), "");
}

TEST_F(MidiProcessorTest, NoteOffRightAfterItsNoteOnIsDelayed) {
  struct CASE {
    int onFrame;
    unsigned char offStatus;
    unsigned int expectedOff;
  } cases[] = {
      {10, NOTE_OFF, 16},  // 10 + 4 > 12: moved by 4
      {10, NOTE_ON, 12},   // velocity-0 note-on is not re-timed
      {5, NOTE_OFF, 12},   // 5 + 4 is not greater than 12
  };
  for (const CASE& c : cases) {
    Send(proc, c.onFrame, NOTE_ON, 60, 100);
    Send(proc, 12, c.offStatus, 60, 0);
    std::vector<MIDI_EVENT> ev = RunBlock(proc, 64);
    ASSERT_EQ(Describe(ev), "9 1:60 2:60");
    EXPECT_EQ(ev[1].frameOffset, static_cast<unsigned int>(c.onFrame));
    EXPECT_EQ(ev[2].frameOffset, c.expectedOff) << c.onFrame;
  }
}

TEST_F(MidiProcessorTest, NoteFieldsComeFromTheDataBytes) {
  Send(proc, 3, NOTE_ON | 5, 0xBC, 0xFF);  // malformed: masked to 60, 127
  Send(proc, 7, NOTE_OFF, 60, 64);
  std::vector<MIDI_EVENT> ev = RunBlock(proc, 64);
  ASSERT_EQ(Describe(ev), "9 1:60 2:60");
  EXPECT_FLOAT_EQ(ev[1].velocity, 1.0f);
  EXPECT_EQ(ev[0].frameOffset, 3u);
  EXPECT_FLOAT_EQ(ev[2].velocity, 64.0f / 127.0f);
  EXPECT_EQ(ev[2].legato, 1);  // a key was held when it went up
}

TEST_F(MidiProcessorTest, ArpeggiatorSwitchKeepsHeldKeysAndTakesNewNotes) {
  SetPlainArpeggiator(ctx);
  proc.SetSampleRate(44100.0f);
  Play({{NOTE_ON, 60, 100, "9 1:60"}});
  ctx.Set(PARAM_ARP_ON, 1.0f);
  // Pushed before the switch is seen: its events are dropped at the switch,
  // its held entry stays.
  Send(proc, 0, NOTE_ON, 64, 100);
  EXPECT_EQ(Describe(RunBlock(proc, 16)), "7");
  EXPECT_TRUE(proc.IsArpeggiatorActive());
  EXPECT_EQ(HeldNotes(), std::vector<int>({60, 64}));

  Send(proc, 0, NOTE_ON, 67, 100);
  Send(proc, 2, CC, 7, 127);
  std::vector<MIDI_EVENT> ev = RunBlock(proc, 16);
  EXPECT_EQ(Describe(ev), "9 1:67 8:7=1");
  EXPECT_EQ(HeldNotes(), std::vector<int>({60, 64}));  // the arpeggiator keeps its own keys

  ctx.Set(PARAM_ARP_ON, 0.0f);
  ev = RunBlock(proc, 16);
  ASSERT_EQ(Describe(ev), "3");
  EXPECT_EQ(ev[0].frameOffset, 0u);
  EXPECT_FALSE(proc.IsArpeggiatorActive());
}

TEST_F(MidiProcessorTest, PanicDropsQueuedEventsAndHeldKeys) {
  Send(proc, 0, NOTE_ON, 60, 100);
  Send(proc, 0, CC, 64, 127);
  proc.Reset();
  EXPECT_EQ(Describe(RunBlock(proc, 64)), "");
  EXPECT_EQ(proc.GetHeldNoteCount(), 0u);
  EXPECT_TRUE(proc.IsSustainPedalDown());  // panic leaves the pedal alone
  Play({{NOTE_ON, 62, 100, "9 1:62"}});
}

TEST_F(MidiProcessorTest, FloodOfMidiIsBoundedAndDropsWholeMessages) {
  ctx.Set(PARAM_MAX_VOICES, 64.0f);
  // Far more than one block's queue holds; each note-on pushes up to three
  // events, so messages that no longer fit are dropped whole.
  for (int i = 0; i < 5000; ++i) Send(proc, i % 512, NOTE_ON, static_cast<unsigned char>(i % 128), 100);
  std::vector<MIDI_EVENT> ev = RunBlock(proc, 512);
  EXPECT_LE(ev.size(), MIDI_EVENT_CAPACITY);
  EXPECT_GT(ev.size(), MIDI_EVENT_CAPACITY - 4);
  EXPECT_LE(proc.GetHeldNoteCount(), 64u);
  size_t starts = 0;
  for (const MIDI_EVENT& e : ev) starts += e.kind == MIDI_EVENT_NOTE_ON;
  // Every accepted note-on beyond the limit took one held key away.
  EXPECT_EQ(proc.GetHeldNoteCount(), std::min<size_t>(starts, 64));

  // The next block works normally, and the pedal can release a full list.
  proc.Reset();
  ctx.Set(PARAM_MAX_VOICES, 1000.0f);
  Send(proc, 0, CC, 64, 127);
  for (int i = 0; i < 300; ++i) {
    Send(proc, 0, NOTE_ON, static_cast<unsigned char>(i % 128), 100);
    Send(proc, 0, NOTE_OFF, static_cast<unsigned char>(i % 128), 0);
  }
  RunBlock(proc, 512);
  EXPECT_EQ(proc.GetHeldNoteCount(), MIDI_HELD_NOTE_CAPACITY);
  Send(proc, 0, CC, 64, 0);
  ev = RunBlock(proc, 512);
  EXPECT_EQ(ev.size(), 1 + MIDI_HELD_NOTE_CAPACITY);
  EXPECT_EQ(proc.GetHeldNoteCount(), 0u);
}

}  // namespace
