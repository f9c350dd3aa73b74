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
