// Runs the built morlavine-render with bad input and checks that it says what
// is wrong in one line, exits non-zero and writes no output file.
#include <glib.h>  // before smf.h, which includes it inside extern "C"
#include <smf.h>
#include <sys/wait.h>

#include "ToolsTestUtil.h"

namespace {

struct RUN_RESULT {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string ShellQuoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string ReadText(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

RUN_RESULT RunRender(const CScratchDir& dir, const std::vector<std::string>& args) {
  std::string command = ShellQuoted(MORLAVINE_RENDER_EXE);
  for (const std::string& a : args) command += " " + ShellQuoted(a);
  const std::string outPath = dir.File("stdout.txt"), errPath = dir.File("stderr.txt");
  command += " >" + ShellQuoted(outPath) + " 2>" + ShellQuoted(errPath);
  RUN_RESULT r;
  const int status = std::system(command.c_str());
  if (status != -1 && WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
  r.out = ReadText(outPath);
  r.err = ReadText(errPath);
  std::remove(outPath.c_str());
  std::remove(errPath.c_str());
  return r;
}

}  // namespace

TEST(RenderCli, BadInputGivesOneLineErrorNonZeroExitAndNoOutput) {
  CScratchDir dir;
  const std::string out = dir.File("out.wav");
  const std::string garbage = dir.File("garbage.mid");
  WriteText(garbage, "MThd but not really a MIDI file");
  // A valid file whose one note comes after four hours.
  const std::string endless = dir.File("endless.mid");
  {
    smf_t* smf = smf_new();
    smf_track_t* track = smf_track_new();
    smf_add_track(smf, track);
    smf_track_add_event_seconds(track, smf_event_new_from_bytes(0x90, 60, 100), 4 * 3600.0);
    smf_track_add_event_seconds(track, smf_event_new_from_bytes(0x80, 60, 0), 4 * 3600.0 + 1);
    ASSERT_EQ(smf_save(smf, endless.c_str()), 0);
    smf_delete(smf);
  }
  // One note of 2 h 40 min: at 192 kHz more than a WAV file can hold.
  const std::string longNote = dir.File("long.mid");
  {
    smf_t* smf = smf_new();
    smf_track_t* track = smf_track_new();
    smf_add_track(smf, track);
    smf_track_add_event_seconds(track, smf_event_new_from_bytes(0x90, 60, 100), 0.0);
    smf_track_add_event_seconds(track, smf_event_new_from_bytes(0x80, 60, 0), 9600.0);
    ASSERT_EQ(smf_save(smf, longNote.c_str()), 0);
    smf_delete(smf);
  }
  const std::string badState = dir.File("bad.aupreset");
  WriteText(badState, "<?xml version=\"1.0\"?><plist><dict><key>type</key></dict></plist>");

  struct CASE {
    std::vector<std::string> args;
    int exitCode;
    std::string message;
  };
  const CASE cases[] = {
      {{}, 2, "nothing to play"},
      {{"--demo", "-o", out, "--wobble"}, 2, "unknown option '--wobble'"},
      {{"--demo", "-o", out, "--rate", "1000"}, 2, "sample rate out of range"},
      {{"--demo", "-o", out, "--param", "400=0.5"}, 2, "parameter id '400' out of range"},
      {{"--demo", "-o", out, "--param", "4=2"}, 2, "value '2' out of range"},
      {{"--midi", dir.File("none.mid"), "-o", out}, 1, dir.File("none.mid") + ": cannot open"},
      {{"--midi", garbage, "-o", out}, 1, garbage + ": not a valid MIDI file"},
      {{"--midi", endless, "-o", out}, 1, endless + ": the music lasts 14401 seconds"},
      {{"--midi", longNote, "--rate", "192000", "-o", out}, 1,
       longNote + ": the render would last 9602 seconds; a WAV file holds at most 2796 at "
                  "192000 Hz"},
      {{"--demo", "-o", out, "--tempo", "fast"}, 2, "--tempo 'fast': not a number"},
      {{"--midi", garbage, "-o", garbage}, 2, "is the --midi input; refusing to overwrite it"},
      {{"--demo", "--state", badState, "-o", out}, 1, badState + ": not a valid property list"},
      {{"--demo", "--state", dir.File("none.aupreset"), "-o", out}, 1,
       dir.File("none.aupreset") + ": cannot open state file"},
      {{"--demo", "--preset", dir.File("none.p"), "-o", out}, 1,
       dir.File("none.p") + ": cannot open preset file"},
  };
  for (const CASE& c : cases) {
    std::string joined;
    for (const std::string& a : c.args) joined += a + " ";
    SCOPED_TRACE(joined);
    const RUN_RESULT r = RunRender(dir, c.args);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_EQ(r.err.compare(0, 18, "morlavine-render: "), 0) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "not one line: " << r.err;
    EXPECT_FALSE(FileExists(out));
  }
  // Only the inputs made above are in the folder: nothing partial was left.
  EXPECT_EQ(dir.Entries(),
            (std::vector<std::string>{"bad.aupreset", "endless.mid", "garbage.mid", "long.mid"}));
}

TEST(RenderCli, HelpPrintsTheUsage) {
  CScratchDir dir;
  const RUN_RESULT r = RunRender(dir, {"--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("usage: morlavine-render [--midi FILE.mid | --demo]"), std::string::npos);
  EXPECT_NE(r.out.find("Exit status: 0 done; 1 an input could not be read, an output could not be\n"
                       "written or the render failed; 2 bad options."),
            std::string::npos);
  EXPECT_TRUE(r.err.empty());
}
