#pragma once
// Writes small Standard MIDI Files for the tests with the MIDI library.

#include <glib.h>  // before smf.h, which includes it inside extern "C"
#include <smf.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

struct TEST_NOTE {
  int note;
  double start, end;  // seconds
};

// One track at 120 BPM.
inline void WriteNotesFile(const std::string& path, const std::vector<TEST_NOTE>& notes) {
  smf_t* smf = smf_new();
  ASSERT_NE(smf, nullptr);
  smf_track_t* track = smf_track_new();
  smf_add_track(smf, track);
  for (const TEST_NOTE& n : notes) {
    smf_track_add_event_seconds(track, smf_event_new_from_bytes(0x90, n.note, 100), n.start);
    smf_track_add_event_seconds(track, smf_event_new_from_bytes(0x80, n.note, 0), n.end);
  }
  ASSERT_EQ(smf_save(smf, path.c_str()), 0);
  smf_delete(smf);
}

// Half a second of playing that touches what the seed and the state affect:
// a chord held by the sustain pedal, a melody note with a pitch bend, and a
// modulation-wheel sweep.
inline void WriteShortPhrase(const std::string& path) {
  smf_t* smf = smf_new();
  ASSERT_NE(smf, nullptr);
  smf_track_t* track = smf_track_new();
  smf_add_track(smf, track);
  auto add = [&](double at, int b0, int b1, int b2) {
    smf_track_add_event_seconds(track, smf_event_new_from_bytes(b0, b1, b2), at);
  };
  add(0.0, 0xB0, 64, 127);
  for (int note : {48, 55, 60, 64}) add(0.01, 0x90, note, 50);
  for (int note : {48, 55, 60, 64}) add(0.15, 0x80, note, 0);
  add(0.1, 0x90, 72, 80);
  for (int i = 0; i <= 8; ++i) add(0.15 + i * 0.025, 0xE0, 0, 64 + i * 7);
  for (int i = 0; i <= 16; ++i) add(0.1 + i * 0.02, 0xB0, 1, i * 7);
  add(0.45, 0x80, 72, 0);
  add(0.5, 0xB0, 64, 0);
  ASSERT_EQ(smf_save(smf, path.c_str()), 0);
  smf_delete(smf);
}
