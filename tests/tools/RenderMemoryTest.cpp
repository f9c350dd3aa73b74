// Memory of the built program, read from the kernel's accounting of each
// child process (peak resident set), not from timings: a long render holds
// no more than a short one, and hostile state files are refused without
// growing.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstring>

#include "MidiTestUtil.h"
#include "ToolsTestUtil.h"

extern char** environ;

namespace {

struct CHILD_RUN {
  int exitCode = -1;
  long peakKb = 0;  // peak resident set size
};

// Runs the built program with its output streams sent to /dev/null.
CHILD_RUN RunMeasured(const std::vector<std::string>& args) {
  std::vector<std::string> all = {MORLAVINE_RENDER_EXE};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  CHILD_RUN run;
  pid_t child = 0;
  if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return run;
  }
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  struct rusage usage;
  std::memset(&usage, 0, sizeof(usage));
  if (wait4(child, &status, 0, &usage) == child && WIFEXITED(status))
    run.exitCode = WEXITSTATUS(status);
  run.peakKb = usage.ru_maxrss;
  return run;
}

// A note at the start and a controller message at `seconds`, which sets the
// length of the render.
void WriteSparseFile(const std::string& path, double seconds) {
  smf_t* smf = smf_new();
  ASSERT_NE(smf, nullptr);
  smf_track_t* track = smf_track_new();
  smf_add_track(smf, track);
  smf_track_add_event_seconds(track, smf_event_new_from_bytes(0x90, 60, 100), 0.0);
  smf_track_add_event_seconds(track, smf_event_new_from_bytes(0x80, 60, 0), 0.1);
  smf_track_add_event_seconds(track, smf_event_new_from_bytes(0xB0, 7, 100), seconds);
  ASSERT_EQ(smf_save(smf, path.c_str()), 0);
  smf_delete(smf);
}

}  // namespace

// Thirty minutes at the lowest rate: the whole render held in memory would
// take 318 MB more than ten seconds of it.
TEST(RenderMemory, LongRenderPeaksWithinAFewMegabytesOfAShortOne) {
  CScratchDir dir;
  const std::string shortMidi = dir.File("short.mid"), longMidi = dir.File("long.mid");
  WriteSparseFile(shortMidi, 10.0);
  WriteSparseFile(longMidi, 1800.0);
  const CHILD_RUN shortRun =
      RunMeasured({"--midi", shortMidi, "--rate", "22050", "--tail", "0", "-o", "/dev/null"});
  const CHILD_RUN longRun =
      RunMeasured({"--midi", longMidi, "--rate", "22050", "--tail", "0", "-o", "/dev/null"});
  ASSERT_EQ(shortRun.exitCode, 0);
  ASSERT_EQ(longRun.exitCode, 0);
  ASSERT_GT(shortRun.peakKb, 0);
  EXPECT_LT(longRun.peakKb, shortRun.peakKb + 4 * 1024)
      << "short " << shortRun.peakKb << " KB, long " << longRun.peakKb << " KB";
}

// A billion-laughs state (nine levels of ten) is refused, and the program
// peaks no higher than with a state file it cannot open at all.
TEST(RenderMemory, BillionLaughsStateIsRefusedWithoutGrowing) {
  CScratchDir dir;
  std::string entities = "<!ENTITY lol \"lol\">";
  for (int level = 1; level <= 9; ++level) {
    entities += "<!ENTITY lol" + std::to_string(level) + " \"";
    for (int k = 0; k < 10; ++k)
      entities += level == 1 ? "&lol;" : "&lol" + std::to_string(level - 1) + ";";
    entities += "\">";
  }
  const std::string laughs = dir.File("laughs.aupreset");
  WriteText(laughs, "<?xml version=\"1.0\"?>\n<!DOCTYPE plist [" + entities +
                        "]>\n<plist version=\"&lol9;\"><dict><key>name</key><string>&lol9;"
                        "</string></dict></plist>\n");
  const CHILD_RUN missing =
      RunMeasured({"--demo", "--state", dir.File("none.aupreset"), "-o", dir.File("a.wav")});
  const CHILD_RUN refused = RunMeasured({"--demo", "--state", laughs, "-o", dir.File("b.wav")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_LT(refused.peakKb, missing.peakKb + 4 * 1024)
      << "missing " << missing.peakKb << " KB, refused " << refused.peakKb << " KB";
  EXPECT_FALSE(FileExists(dir.File("b.wav")));
}
