#include "tools/render/MidiFileReader.h"

#include <glib.h>  // before smf.h, which includes it inside extern "C"
#include <smf.h>

#include "ToolsTestUtil.h"

namespace {

const int PPQN = 96;

void AddEvent(smf_track_t* track, int pulses, int b0, int b1, int b2) {
  smf_event_t* e = smf_event_new_from_bytes(b0, b1, b2);
  ASSERT_NE(e, nullptr);
  smf_track_add_event_pulses(track, e, pulses);
}

void AddTempo(smf_track_t* track, int pulses, int microsPerQuarter) {
  unsigned char bytes[6] = {0xFF, 0x51, 0x03, (unsigned char)(microsPerQuarter >> 16),
                            (unsigned char)(microsPerQuarter >> 8), (unsigned char)microsPerQuarter};
  smf_event_t* e = smf_event_new_from_pointer(bytes, 6);
  ASSERT_NE(e, nullptr);
  smf_track_add_event_pulses(track, e, pulses);
}

// A two-track file: 120 BPM for four beats, then 60 BPM. Track 1 holds the
// tempo map and a melody, track 2 a bass line, a controller, a program change
// and a pitch bend.
void WriteTwoTrackFile(const std::string& path, bool withTempo) {
  smf_t* smf = smf_new();
  ASSERT_NE(smf, nullptr);
  ASSERT_EQ(smf_set_ppqn(smf, PPQN), 0);
  smf_track_t* melody = smf_track_new();
  smf_track_t* bass = smf_track_new();
  smf_add_track(smf, melody);
  smf_add_track(smf, bass);
  if (withTempo) {
    AddTempo(melody, 0, 500000);
    AddTempo(melody, 4 * PPQN, 1000000);
  }
  AddEvent(melody, 0, 0x90, 69, 100);
  AddEvent(melody, 2 * PPQN, 0x80, 69, 0);
  AddEvent(melody, 4 * PPQN, 0x90, 72, 90);
  AddEvent(melody, 5 * PPQN, 0x80, 72, 0);
  AddEvent(bass, PPQN, 0x91, 45, 80);
  AddEvent(bass, PPQN, 0xB1, 64, 127);
  AddEvent(bass, 3 * PPQN, 0xC1, 5, -1);
  AddEvent(bass, 6 * PPQN, 0xE1, 0x00, 0x50);
  AddEvent(bass, 6 * PPQN, 0x81, 45, 0);
  ASSERT_EQ(smf_save(smf, path.c_str()), 0);
  smf_delete(smf);
}

}  // namespace

TEST(MidiFileReader, ReadsAllTracksInTimeOrderThroughTheTempoMap) {
  CScratchDir dir;
  const std::string path = dir.File("song.mid");
  WriteTwoTrackFile(path, true);

  CMidiScore score;
  std::string error;
  ASSERT_TRUE(CMidiFileReader::Read(path.c_str(), 120.0, score, error)) << error;

  // Beat b is b/2 s for the first four beats at 120 BPM, then 2 + (b - 4) s.
  struct EXPECTED {
    double seconds;
    uint8_t status, data1, data2;
  };
  const EXPECTED expected[] = {
      {0.0, 0x90, 69, 100}, {0.5, 0x91, 45, 80}, {0.5, 0xB1, 64, 127}, {1.0, 0x80, 69, 0},
      {1.5, 0xC1, 5, 0},    {2.0, 0x90, 72, 90}, {3.0, 0x80, 72, 0},   {4.0, 0xE1, 0x00, 0x50},
      {4.0, 0x81, 45, 0},
  };
  const auto& events = score.Events();
  ASSERT_EQ(events.size(), sizeof(expected) / sizeof(expected[0]));
  for (size_t i = 0; i < events.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(events[i].seconds, expected[i].seconds, 1e-9);
    EXPECT_EQ(events[i].status, expected[i].status);
    EXPECT_EQ(events[i].data1, expected[i].data1);
    EXPECT_EQ(events[i].data2, expected[i].data2);
  }
  EXPECT_NEAR(score.EndSeconds(), 4.0, 1e-9);
  EXPECT_DOUBLE_EQ(score.TempoAtSeconds(1.0), 120.0);
  EXPECT_DOUBLE_EQ(score.TempoAtSeconds(2.5), 60.0);
  EXPECT_NEAR(score.BeatAtSeconds(1.0), 2.0, 1e-9);
  EXPECT_NEAR(score.BeatAtSeconds(3.5), 5.5, 1e-9);
}

TEST(MidiFileReader, FileWithoutTempoUsesTheGivenTempo) {
  CScratchDir dir;
  const std::string path = dir.File("plain.mid");
  WriteTwoTrackFile(path, false);
  CMidiScore score;
  std::string error;
  ASSERT_TRUE(CMidiFileReader::Read(path.c_str(), 90.0, score, error)) << error;
  // The last events sit at beat 6: 4 s at 90 BPM.
  EXPECT_NEAR(score.EndSeconds(), 4.0, 1e-9);
  EXPECT_DOUBLE_EQ(score.TempoAtSeconds(3.0), 90.0);
}

TEST(MidiFileReader, BadFilesAreRefusedAndLeaveTheScoreAlone) {
  CScratchDir dir;
  const std::string good = dir.File("good.mid");
  WriteTwoTrackFile(good, true);
  const std::vector<uint8_t> bytes = ReadBytes(good);
  ASSERT_GT(bytes.size(), 40u);

  const std::string truncated = dir.File("truncated.mid");
  WriteBytes(truncated, bytes.data(), bytes.size() / 2);
  const std::string garbage = dir.File("garbage.mid");
  WriteText(garbage, "this is not a MIDI file at all, just some words\n");
  const std::string empty = dir.File("empty.mid");
  WriteBytes(empty, "", 0);
  // A well-formed file with a tempo but no notes.
  const std::string silent = dir.File("silent.mid");
  {
    smf_t* smf = smf_new();
    smf_track_t* track = smf_track_new();
    smf_add_track(smf, track);
    AddTempo(track, 0, 400000);
    AddEvent(track, 10, 0xB0, 7, 100);
    ASSERT_EQ(smf_save(smf, silent.c_str()), 0);
    smf_delete(smf);
  }

  struct CASE {
    std::string path;
    const char* problem;
  };
  const CASE cases[] = {
      {dir.File("missing.mid"), "cannot open MIDI file"},
      {dir.Path(), "not a regular file"},
      {truncated, "not a valid MIDI file"},
      {garbage, "not a valid MIDI file"},
      {empty, "not a valid MIDI file"},
      {silent, "no notes"},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.path);
    CMidiScore score;
    score.Add(1.25, 0x90, 60, 1);
    std::string error;
    EXPECT_FALSE(CMidiFileReader::Read(c.path.c_str(), 120.0, score, error));
    EXPECT_NE(error.find(c.path + ": "), std::string::npos) << error;
    EXPECT_NE(error.find(c.problem), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    ASSERT_EQ(score.Events().size(), 1u);
    EXPECT_DOUBLE_EQ(score.Events()[0].seconds, 1.25);
  }
}

// The MIDI library aborts on some damaged files; the reader must survive every
// one of these and either refuse the file or give a well-formed score.
TEST(MidiFileReader, DamagedFilesNeverStopTheProgram) {
  CScratchDir dir;
  const std::string good = dir.File("good.mid");
  WriteTwoTrackFile(good, true);
  const std::vector<uint8_t> bytes = ReadBytes(good);
  const std::string damaged = dir.File("damaged.mid");
  // Every other byte after the header's tag: lengths, counts, delta times,
  // status and data bytes all get hit (each check loads in a child process,
  // so the walk is kept short).
  for (size_t at = 8; at < bytes.size(); at += 2) {
    SCOPED_TRACE(at);
    std::vector<uint8_t> copy = bytes;
    copy[at] ^= 0xFF;
    WriteBytes(damaged, copy.data(), copy.size());
    CMidiScore score;
    std::string error;
    if (CMidiFileReader::Read(damaged.c_str(), 120.0, score, error)) {
      EXPECT_TRUE(score.HasNotes());
      for (const TIMED_MIDI_EVENT& e : score.Events()) {
        EXPECT_GE(e.status, 0x80);
        EXPECT_LT(e.status, 0xF0);
        EXPECT_LT(e.data1, 0x80);
        EXPECT_LT(e.data2, 0x80);
        EXPECT_TRUE(e.seconds >= 0.0 && e.seconds < 1e7);
      }
    } else {
      EXPECT_NE(error.find(damaged), std::string::npos);
    }
  }
}

TEST(MidiFileReader, TruncatedFilesAreRefused) {
  CScratchDir dir;
  const std::string good = dir.File("good.mid");
  WriteTwoTrackFile(good, true);
  const std::vector<uint8_t> bytes = ReadBytes(good);
  const std::string cut = dir.File("cut.mid");
  // Cuts in the header, at chunk starts, inside events and just before the
  // end; among them the lengths where the library itself would abort (a
  // track ending right after a delta time or a status byte).
  std::vector<size_t> lengths = {0, 4, 13, 14, 21, 22, 24, 26, 36, 58, 62, 71, 79, 80, 89};
  lengths.push_back(bytes.size() - 1);
  for (size_t length : lengths) {
    ASSERT_LT(length, bytes.size());
    SCOPED_TRACE(length);
    WriteBytes(cut, bytes.data(), length);
    CMidiScore score;
    std::string error;
    EXPECT_FALSE(CMidiFileReader::Read(cut.c_str(), 120.0, score, error));
    EXPECT_TRUE(score.Events().empty());
  }
}

TEST(MidiScore, TempoMapConvertsBothWays) {
  CMidiScore score;
  score.Clear(120.0);
  EXPECT_TRUE(score.AddTempo(2.0, 60.0));
  EXPECT_TRUE(score.AddTempo(4.0, 240.0));
  EXPECT_FALSE(score.AddTempo(5.0, 0.0));
  EXPECT_FALSE(score.AddTempo(5.0, -1.0));
  for (double beat : {0.0, 1.0, 2.0, 3.0, 4.0, 8.0}) {
    SCOPED_TRACE(beat);
    EXPECT_NEAR(score.BeatAtSeconds(score.SecondsOfBeat(beat)), beat, 1e-12);
  }
  EXPECT_NEAR(score.SecondsOfBeat(3.0), 2.0, 1e-12);  // 1 s + 1 beat at 60
  EXPECT_NEAR(score.SecondsOfBeat(8.0), 4.0, 1e-12);  // 3 s + 4 beats at 240
  // A change at the same beat replaces the earlier one.
  EXPECT_TRUE(score.AddTempo(4.0, 120.0));
  EXPECT_NEAR(score.SecondsOfBeat(8.0), 5.0, 1e-12);
  EXPECT_EQ(score.Tempos().size(), 3u);
}
