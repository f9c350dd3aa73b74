// The arpeggiator driven through the MIDI processor: note orders of the
// modes, step timing at a known tempo, shuffle, rests, ties, key release and
// pedal, held-key limit, and settings from damaged presets.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "MidiTestSupport.h"

namespace {

const unsigned int PARAM_SHUFFLE = 180;
const unsigned int PARAM_MAX_VOICES = 490;
const unsigned int PARAM_ARP_ON = 527;
const unsigned int PARAM_STEPS = 528;
const unsigned int PARAM_RATE = 529;
const unsigned int PARAM_MODE = 530;
const unsigned int PARAM_OCTAVES = 531;
const unsigned int PARAM_TRANSPOSE = 533;
const unsigned int PARAM_LENGTH = 565;
const unsigned int PARAM_VELOCITY = 629;
const unsigned int PARAM_TIE = 661;

const unsigned int BLOCK = 512;
// 44.1 kHz, 120 BPM, 1/16: 5512.5 samples per base step, so a step lasts
// 5513 samples and a half-gated note 2756.
const unsigned int STEP_1_16 = 5513;
const unsigned int HALF_NOTE_1_16 = 2756;
const float RATE_1_64 = 6.0f;  // 1379-sample steps: quick runs for note orders

struct TIMED_EVENT {
  unsigned int time;  // absolute sample position
  MIDI_EVENT event;
};

class ArpeggiatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetPlainArpeggiator(ctx);
    ctx.Set(489, 0.0f);
    proc.SetSampleRate(44100.0f);
    ctx.Set(PARAM_ARP_ON, 1.0f);
    std::vector<MIDI_EVENT> first = RunBlock(proc, BLOCK);
    EXPECT_EQ(Describe(first), "7");
    now = BLOCK;
  }

  // Queues a MIDI message at an absolute sample position (not before now).
  void At(unsigned int time, unsigned char status, unsigned char d1, unsigned char d2) {
    pending.push_back({time, MakeMidi(0, status, d1, d2)});
  }
  void Keys(unsigned int time, std::vector<int> notes) {
    for (int n : notes) At(time, 0x90, static_cast<unsigned char>(n), 100);
  }

  // Runs blocks until the absolute position reaches end.
  void RunUntil(unsigned int end, unsigned int block = BLOCK) {
    while (now < end) {
      for (auto it = pending.begin(); it != pending.end();) {
        if (it->first < now + block) {
          it->second.deltaFrames = static_cast<int>(it->first - now);
          proc.PushEvent(&it->second);
          it = pending.erase(it);
        } else {
          ++it;
        }
      }
      for (const MIDI_EVENT& e : RunBlock(proc, block)) out.push_back({now + e.frameOffset, e});
      now += block;
    }
  }

  std::vector<TIMED_EVENT> Kind(unsigned int kind) const {
    std::vector<TIMED_EVENT> r;
    for (const TIMED_EVENT& t : out)
      if (t.event.kind == kind) r.push_back(t);
    return r;
  }

  // Note starts as text; starts at the same sample are joined with '+'.
  std::string Starts(size_t maxGroups = 1000) const {
    std::string s;
    size_t groups = 0;
    unsigned int last = 0;
    bool any = false;
    for (const TIMED_EVENT& t : Kind(MIDI_EVENT_NOTE_ON)) {
      bool chord = any && t.time == last;
      if (!chord && ++groups > maxGroups) break;
      if (any) s += chord ? "+" : " ";
      s += std::to_string(t.event.note);
      last = t.time;
      any = true;
    }
    return s;
  }

  CMidiTestSynth ctx;
  CMidiProcessor proc{&ctx.synth, &ctx.params.GetLock()};
  std::vector<std::pair<unsigned int, VstMidiEvent>> pending;
  std::vector<TIMED_EVENT> out;
  unsigned int now = 0;
};

TEST_F(ArpeggiatorTest, ModesPlayTheHeldKeysInOrder) {
  struct CASE {
    float mode, octaves;
    std::vector<int> keys;
    size_t groups;
    const char* expected;
  } cases[] = {
      {0, 1, {64, 60, 67}, 7, "60 64 67 72 76 79 60"},
      {1, 1, {64, 60, 67}, 7, "79 76 72 67 64 60 79"},
      {2, 0, {60, 64, 67}, 6, "60 64 67 64 60 64"},
      {3, 0, {60, 64, 67}, 5, "67 64 60 64 67"},
      {2, 1, {60, 64, 67}, 11, "60 64 67 72 76 79 76 72 67 64 60"},
      {2, 0, {60}, 3, "60 60 60"},
      {5, 2, {60, 64}, 4, "60+64 72+76 84+88 60+64"},
      {6, 1, {60, 64}, 4, "64 76 64 76"},
  };
  for (const CASE& c : cases) {
    ctx.Set(PARAM_MODE, c.mode);
    ctx.Set(PARAM_OCTAVES, c.octaves);
    ctx.Set(PARAM_RATE, RATE_1_64);
    out.clear();
    Keys(now, c.keys);
    RunUntil(now + 1379 * static_cast<unsigned int>(c.groups) + 100);
    EXPECT_EQ(Starts(c.groups), c.expected) << "mode " << c.mode << " octaves " << c.octaves;
    for (int k : c.keys) At(now, 0x80, static_cast<unsigned char>(k), 0);
    RunUntil(now + BLOCK);
  }
}

TEST_F(ArpeggiatorTest, RandomModePicksHeldKeysOverTheOctaves) {
  ctx.Set(PARAM_MODE, 4.0f);
  ctx.Set(PARAM_OCTAVES, 1.0f);
  ctx.Set(PARAM_RATE, RATE_1_64);
  Keys(now, {60, 64, 67});
  RunUntil(now + 1379 * 30);
  std::vector<TIMED_EVENT> starts = Kind(MIDI_EVENT_NOTE_ON);
  ASSERT_GE(starts.size(), 29u);
  for (size_t i = 0; i < starts.size(); ++i) {
    int n = starts[i].event.note;
    int octave = static_cast<int>(i / 3) % 2;  // a full pass per octave
    int key = n - 12 * octave;
    EXPECT_TRUE(key == 60 || key == 64 || key == 67) << i << ": " << n;
  }
}

TEST_F(ArpeggiatorTest, StepsLastTheTempoSyncedLength) {
  unsigned int press = now + 100;  // a key at frame 100 of a block
  Keys(press, {60});
  At(press + 300, 0xB0, 7, 127);   // a controller between generated notes
  RunUntil(press + 3 * STEP_1_16 + 10);

  std::vector<TIMED_EVENT> first = Kind(MIDI_EVENT_FIRST_KEY_PRESS);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].event.frameOffset, 100u);
  std::vector<TIMED_EVENT> on = Kind(MIDI_EVENT_NOTE_ON);
  std::vector<TIMED_EVENT> off = Kind(MIDI_EVENT_NOTE_OFF);
  ASSERT_EQ(on.size(), 4u);
  ASSERT_GE(off.size(), 3u);
  EXPECT_EQ(on[0].event.frameOffset, 100u);
  EXPECT_EQ(on[0].event.legato, 0);
  EXPECT_FLOAT_EQ(on[0].event.velocity, 100.0f / 127.0f);
  for (unsigned int i = 0; i < 3; ++i) {
    EXPECT_EQ(on[i].time, press + i * STEP_1_16) << i;
    EXPECT_EQ(off[i].time - on[i].time, HALF_NOTE_1_16) << i;
  }
  for (size_t i = 1; i < out.size(); ++i) EXPECT_LE(out[i - 1].time, out[i].time) << i;
}

TEST_F(ArpeggiatorTest, ShuffleDelaysOddSteps) {
  ctx.Set(PARAM_SHUFFLE, 1.0f);
  unsigned int press = now;
  Keys(press, {60});
  RunUntil(press + 3 * STEP_1_16 + 10);
  std::vector<TIMED_EVENT> on = Kind(MIDI_EVENT_NOTE_ON);
  std::vector<TIMED_EVENT> off = Kind(MIDI_EVENT_NOTE_OFF);
  ASSERT_GE(on.size(), 3u);
  ASSERT_GE(off.size(), 2u);
  EXPECT_EQ(on[0].time, press);
  EXPECT_EQ(on[1].time, press + STEP_1_16 + 2756);
  EXPECT_EQ(off[1].time, press + STEP_1_16 + 5512);  // the step's last sample
  EXPECT_EQ(on[2].time, press + 2 * STEP_1_16);
}

TEST_F(ArpeggiatorTest, ZeroStepVelocityIsARestThatKeepsTheNoteOrder) {
  ctx.Set(PARAM_STEPS, 4.0f);
  ctx.Set(PARAM_VELOCITY + 1, 0.0f);
  unsigned int press = now;
  Keys(press, {60, 64, 67});
  RunUntil(press + 4 * STEP_1_16 + 10);
  std::vector<TIMED_EVENT> on = Kind(MIDI_EVENT_NOTE_ON);
  ASSERT_EQ(on.size(), 4u);
  EXPECT_EQ(Starts(), "60 64 67 60");
  EXPECT_EQ(on[1].time, press + 2 * STEP_1_16);
  EXPECT_EQ(on[2].time, press + 3 * STEP_1_16);
  EXPECT_EQ(on[3].time, press + 4 * STEP_1_16);
}

TEST_F(ArpeggiatorTest, TiedStepHoldsThePreviousNoteToItsEnd) {
  ctx.Set(PARAM_TIE + 1, 1.0f);
  unsigned int press = now;
  Keys(press, {60, 64});
  RunUntil(press + 2 * STEP_1_16 + 10);
  std::vector<TIMED_EVENT> on = Kind(MIDI_EVENT_NOTE_ON);
  std::vector<TIMED_EVENT> off = Kind(MIDI_EVENT_NOTE_OFF);
  ASSERT_GE(on.size(), 2u);
  ASSERT_GE(off.size(), 1u);
  EXPECT_EQ(off[0].time, press + STEP_1_16 - 1);
  EXPECT_EQ(on[1].event.legato, 1);
}

TEST_F(ArpeggiatorTest, ReleasingTheLastKeyStopsTheNoteAndTheClock) {
  unsigned int press = now;
  Keys(press, {60});
  At(press + 1000, 0x80, 60, 0);
  RunUntil(press + 3 * STEP_1_16);
  EXPECT_EQ(Kind(MIDI_EVENT_NOTE_ON).size(), 1u);
  std::vector<TIMED_EVENT> off = Kind(MIDI_EVENT_NOTE_OFF);
  ASSERT_EQ(off.size(), 1u);
  EXPECT_EQ(off[0].time, press + 1000);

  // With the pedal down the pattern goes on until the pedal comes up.
  out.clear();
  press = now;
  At(press, 0xB0, 64, 127);
  Keys(press, {62});
  At(press + 100, 0x80, 62, 0);
  At(press + 2 * STEP_1_16 + 1000, 0xB0, 64, 0);
  RunUntil(press + 5 * STEP_1_16);
  std::vector<TIMED_EVENT> on = Kind(MIDI_EVENT_NOTE_ON);
  off = Kind(MIDI_EVENT_NOTE_OFF);
  ASSERT_EQ(on.size(), 3u);
  ASSERT_EQ(off.size(), 3u);
  EXPECT_EQ(off[2].time, press + 2 * STEP_1_16 + 1000);
  // The pedal events themselves reach the voices too.
  EXPECT_EQ(Describe({Kind(MIDI_EVENT_CONTROLLER)[0].event, Kind(MIDI_EVENT_CONTROLLER)[1].event}),
            "8:64=1 8:64=0");
}

// All Sound Off (a reset) and All Notes Off (delete all voices) pass to the
// voices and end the pattern: the held keys are gone.
TEST_F(ArpeggiatorTest, AllNotesOffAndAllSoundOffEndThePattern) {
  for (unsigned char cc : {120, 123}) {
    SCOPED_TRACE(static_cast<int>(cc));
    out.clear();
    const unsigned int press = now;
    Keys(press, {60, 64});
    At(press + 2 * STEP_1_16 + 100, 0xB0, cc, 0);
    RunUntil(press + 6 * STEP_1_16);
    const unsigned int kind = cc == 120 ? MIDI_EVENT_RESET : MIDI_EVENT_DELETE_ALL;
    ASSERT_EQ(Kind(kind).size(), 1u);
    EXPECT_EQ(Kind(kind)[0].time, press + 2 * STEP_1_16 + 100);
    for (const TIMED_EVENT& t : Kind(MIDI_EVENT_NOTE_ON)) EXPECT_LT(t.time, press + 2 * STEP_1_16 + 100);
    EXPECT_GE(Kind(MIDI_EVENT_NOTE_ON).size(), 2u);
  }
}

TEST_F(ArpeggiatorTest, HeldKeyLimitDropsTheOldestExceptInMonoMode) {
  ctx.Set(PARAM_MAX_VOICES, 2.0f);
  ctx.Set(PARAM_RATE, RATE_1_64);
  Keys(now, {60, 64, 67});
  RunUntil(now + 4 * 1379);
  EXPECT_EQ(Starts(4), "64 67 64 67");
  for (int k : {64, 67}) At(now, 0x80, static_cast<unsigned char>(k), 0);
  RunUntil(now + BLOCK);

  ctx.Set(PARAM_MODE, 6.0f);
  Keys(now, {60, 64, 67});
  At(now + 1379 + 500, 0x80, 67, 0);
  At(now + 1379 + 500, 0x80, 64, 0);
  out.clear();
  RunUntil(now + 4 * 1379);
  EXPECT_EQ(Starts(4), "67 67 60 60");
  At(now, 0x80, 60, 0);
  RunUntil(now + BLOCK);

  // A limit of 0 from a damaged preset keeps just the newest key.
  ctx.Set(PARAM_MAX_VOICES, 0.0f);
  for (float mode : {0.0f, 6.0f}) {
    ctx.Set(PARAM_MODE, mode);
    out.clear();
    Keys(now, {60, 64, 67});
    RunUntil(now + 3 * 1379);
    EXPECT_EQ(Starts(3), "67 67 67") << "mode " << mode;
    At(now, 0x80, 67, 0);
    RunUntil(now + BLOCK);
  }
}

TEST_F(ArpeggiatorTest, StepIsNeverShorterThanFiveSamples) {
  proc.SetSampleRate(1000.0f);
  ctx.synth.SetHostTempo(999.0f);
  ctx.Set(PARAM_RATE, 13.0f);  // 1/96
  unsigned int press = now;
  Keys(press, {60});
  RunUntil(press + 64);
  std::vector<TIMED_EVENT> on = Kind(MIDI_EVENT_NOTE_ON);
  ASSERT_GE(on.size(), 10u);
  for (size_t i = 1; i < on.size(); ++i) EXPECT_EQ(on[i].time - on[i - 1].time, 5u);
}

TEST_F(ArpeggiatorTest, LoweringTheOctaveRangeMidPhraseFoldsBack) {
  for (float mode : {0.0f, 1.0f, 5.0f, 6.0f}) {
    ctx.Set(PARAM_MODE, mode);
    ctx.Set(PARAM_OCTAVES, 3.0f);
    ctx.Set(PARAM_RATE, RATE_1_64);
    out.clear();
    Keys(now, {60});
    RunUntil(now + 3 * 1379 - 100);  // up to the third octave
    ctx.Set(PARAM_OCTAVES, 1.0f);
    RunUntil(now + 12 * 1379);
    std::vector<TIMED_EVENT> on = Kind(MIDI_EVENT_NOTE_ON);
    ASSERT_GE(on.size(), 10u);
    for (size_t i = 3; i < on.size(); ++i) {
      EXPECT_TRUE(on[i].event.note == 60 || on[i].event.note == 72) << "mode " << mode << " step " << i << ": "
                                                                      << on[i].event.note;
    }
    At(now, 0x80, 60, 0);
    RunUntil(now + BLOCK);
  }
}

TEST_F(ArpeggiatorTest, NotesAboveTheKeyboardSoundUpToTheTuningTableEnd) {
  ctx.Set(PARAM_RATE, RATE_1_64);
  ctx.Set(PARAM_OCTAVES, 3.0f);
  Keys(now, {120});
  RunUntil(now + 4 * 1379);
  EXPECT_EQ(Starts(4), "120 132 144 156");
  At(now, 0x80, 120, 0);
  ctx.Set(PARAM_TRANSPOSE + 0, 24.0f);
  for (unsigned int s = 0; s < 32; ++s) ctx.Set(PARAM_TRANSPOSE + s, 24.0f);
  RunUntil(now + BLOCK);
  out.clear();
  Keys(now, {127});
  RunUntil(now + 4 * 1379);
  EXPECT_EQ(Starts(4), "151 163 170 170");
}

TEST_F(ArpeggiatorTest, DamagedSettingsStayInBounds) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct CASE {
    unsigned int id;
    float value;
  } cases[] = {
      {PARAM_STEPS, 0.0f},      {PARAM_STEPS, -3.0f},      {PARAM_STEPS, 1000.0f},      {PARAM_STEPS, nan},
      {PARAM_RATE, 34.0f},      {PARAM_RATE, 1e9f},        {PARAM_RATE, -7.0f},         {PARAM_RATE, nan},
      {PARAM_LENGTH, 40.0f},    {PARAM_LENGTH, -1e9f},     {PARAM_OCTAVES, 1000.0f},    {PARAM_OCTAVES, -5.0f},
      {PARAM_MODE, 99.0f},      {PARAM_MODE, -1e9f},       {PARAM_TRANSPOSE, 1e9f},     {PARAM_TRANSPOSE, -1e9f},
      {PARAM_TRANSPOSE, nan},   {PARAM_SHUFFLE, 50.0f},    {181, -2.0f},                {PARAM_VELOCITY, 7.0f},
      {PARAM_MAX_VOICES, -1.0f}, {PARAM_MAX_VOICES, 1e9f}, {PARAM_MAX_VOICES, nan},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << "id " << c.id << " value " << c.value);
    SetPlainArpeggiator(ctx);
    ctx.Set(PARAM_RATE, RATE_1_64);
    ctx.Set(c.id, c.value);
    if (c.id == PARAM_LENGTH || c.id == PARAM_TRANSPOSE || c.id == PARAM_VELOCITY)
      for (unsigned int s = 0; s < 32; ++s) ctx.Set(c.id + s, c.value);
    out.clear();
    Keys(now, {60, 64, 67, 72});
    RunUntil(now + 20 * 1379);
    for (int k : {60, 64, 67, 72}) At(now, 0x80, static_cast<unsigned char>(k), 0);
    RunUntil(now + BLOCK);
    ASSERT_FALSE(out.empty());
    std::map<int, int> sounding;
    for (const TIMED_EVENT& t : out) {
      if (t.event.kind == MIDI_EVENT_NOTE_ON) {
        EXPECT_GE(t.event.note, 0);
        EXPECT_LE(t.event.note, 170);
        EXPECT_GE(t.event.velocity, 0.0f);
        EXPECT_LE(t.event.velocity, 1.0f);
        ++sounding[t.event.note];
      } else if (t.event.kind == MIDI_EVENT_NOTE_OFF) {
        --sounding[t.event.note];
      }
    }
    for (const auto& s : sounding) EXPECT_EQ(s.second, 0) << "note " << s.first << " left sounding";
  }
}

TEST_F(ArpeggiatorTest, CrowdedOutputNeverLeavesNotesHanging) {
  // Sixteen-note chords every five samples in one large block: far more
  // events than the output list holds.
  proc.SetSampleRate(1000.0f);
  ctx.synth.SetHostTempo(999.0f);
  ctx.Set(PARAM_RATE, 13.0f);
  ctx.Set(PARAM_MODE, 5.0f);
  ctx.Set(PARAM_MAX_VOICES, 64.0f);
  std::vector<int> keys;
  for (int k = 40; k < 60; ++k) keys.push_back(k);
  Keys(now, keys);
  RunUntil(now + 8192, 8192);
  EXPECT_GT(out.size(), MIDI_EVENT_CAPACITY / 2);
  for (int k : keys) At(now + 10, 0x80, static_cast<unsigned char>(k), 0);
  RunUntil(now + 8192, 8192);
  std::map<int, int> sounding;
  for (const TIMED_EVENT& t : out) {
    if (t.event.kind == MIDI_EVENT_NOTE_ON) ++sounding[t.event.note];
    if (t.event.kind == MIDI_EVENT_NOTE_OFF) --sounding[t.event.note];
  }
  for (const auto& s : sounding) EXPECT_EQ(s.second, 0) << "note " << s.first;
}

}  // namespace
