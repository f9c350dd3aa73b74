#include "tools/render/DemoScore.h"

#include <set>

#include <gtest/gtest.h>

TEST(DemoScore, PlaysFourBarsWithEveryKindOfMessage) {
  for (double bpm : {120.0, 60.0}) {
    SCOPED_TRACE(bpm);
    CMidiScore score;
    CDemoScore::Build(bpm, score);
    // Four bars of 4/4 end with the pedal release at beat 16.
    EXPECT_NEAR(score.EndSeconds(), 16 * 60.0 / bpm, 1e-9);
    EXPECT_DOUBLE_EQ(score.TempoAtSeconds(1.0), bpm);

    int noteOns = 0, pedalDowns = 0, bends = 0, modSteps = 0, maxBend = 8192;
    std::set<int> held;
    size_t maxHeld = 0;
    double last = 0.0;
    for (const TIMED_MIDI_EVENT& e : score.Events()) {
      EXPECT_GE(e.seconds, last);  // sorted
      last = e.seconds;
      EXPECT_EQ(e.status & 0x0F, 0);  // channel 1
      switch (e.status & 0xF0) {
        case 0x90:
          ++noteOns;
          EXPECT_TRUE(held.insert(e.data1).second) << "note " << int(e.data1) << " started twice";
          maxHeld = std::max(maxHeld, held.size());
          break;
        case 0x80:
          EXPECT_EQ(held.erase(e.data1), 1u) << "note " << int(e.data1) << " ended unstarted";
          break;
        case 0xB0:
          if (e.data1 == 64 && e.data2 >= 64) ++pedalDowns;
          if (e.data1 == 1) ++modSteps;
          break;
        case 0xE0:
          ++bends;
          maxBend = std::max(maxBend, e.data1 | (e.data2 << 7));
          break;
      }
    }
    EXPECT_TRUE(held.empty());
    EXPECT_GE(noteOns, 20);
    EXPECT_GE(maxHeld, 4u);  // chords
    EXPECT_EQ(pedalDowns, 2);
    EXPECT_GE(bends, 10);
    EXPECT_EQ(maxBend, 16383);
    EXPECT_GE(modSteps, 32);
  }
}

TEST(DemoScore, SoloNotesSoundAlone) {
  CMidiScore score;
  CDemoScore::Build(120.0, score);
  int count = 0;
  const DEMO_SOLO_NOTE* solo = CDemoScore::SoloNotes(count);
  ASSERT_GE(count, 2);
  for (int i = 0; i < count; ++i) {
    SCOPED_TRACE(i);
    const double start = score.SecondsOfBeat(solo[i].startBeat);
    const double end = score.SecondsOfBeat(solo[i].endBeat);
    // Exactly this note starts at `start`, nothing else is held or starts
    // until `end`.
    int sounding = 0;
    for (const TIMED_MIDI_EVENT& e : score.Events()) {
      if (e.seconds > end - 1e-9) break;
      if ((e.status & 0xF0) == 0x90) ++sounding;
      if ((e.status & 0xF0) == 0x80) --sounding;
      if (e.seconds >= start - 1e-9 && (e.status & 0xF0) == 0x90) {
        EXPECT_EQ(e.data1, solo[i].note);
        EXPECT_NEAR(e.seconds, start, 1e-9);
      }
    }
    EXPECT_EQ(sounding, 1);
  }
}
