// The whole program, run in this process with the test instrument.
#include "tools/render/RenderApp.h"

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "MidiTestUtil.h"
#include "ToneUnit.h"
#include "ToolsTestUtil.h"
#include "WavTestUtil.h"
#include "tools/render/DemoScore.h"

namespace {

struct APP_RUN {
  int exitCode = -1;
  std::string messages;
};

APP_RUN RunApp(std::vector<std::string> args, const RenderApp::INSTRUMENT& instrument) {
  args.insert(args.begin(), "morlavine-render");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  FILE* messages = std::tmpfile();
  FILE* out = std::tmpfile();
  APP_RUN run;
  run.exitCode = RenderApp::Run(static_cast<int>(argv.size()), argv.data(), out, messages,
                                instrument);
  std::rewind(messages);
  char line[1024];
  while (std::fgets(line, sizeof(line), messages)) run.messages += line;
  std::fclose(messages);
  std::fclose(out);
  return run;
}

RenderApp::INSTRUMENT ToneInstrument() {
  RenderApp::INSTRUMENT instrument;
  instrument.component = ToneComponent();
  return instrument;
}

}  // namespace

TEST(RenderApp, DemoRendersToAFloatStereoWavWithASummary) {
  CScratchDir dir;
  const std::string out = dir.File("demo.wav");
  const APP_RUN run =
      RunApp({"--demo", "--param", "0=0.5", "--tail", "0.5", "--rate", "48000", "-o", out},
             ToneInstrument());
  ASSERT_EQ(run.exitCode, 0) << run.messages;
  const STEREO_WAV wav = ReadStereoWav(out);
  ASSERT_TRUE(wav.ok);
  EXPECT_EQ(wav.format, 3);  // IEEE float
  EXPECT_EQ(wav.rate, 48000u);
  // Four bars at 120 BPM and the tail.
  EXPECT_EQ(wav.left.size(), 8.5 * 48000);
  // The first solo note, measured from the file.
  int count = 0;
  const DEMO_SOLO_NOTE* solo = CDemoScore::SoloNotes(count);
  EXPECT_NEAR(MeasureFrequency(&wav.left[4800], 24000, 48000),
              440.0 * std::pow(2.0, (solo[0].note - 69) / 12.0), 1.0);

  // The summary: the file, the duration, the levels, the speed, on one line
  // (this render is too short to show progress).
  EXPECT_EQ(run.messages.find("morlavine-render: wrote " + out + ": 8.50 s"), 0u) << run.messages;
  EXPECT_NE(run.messages.find("peak -6.0 dBFS"), std::string::npos) << run.messages;
  EXPECT_NE(run.messages.find("RMS -"), std::string::npos);
  EXPECT_NE(run.messages.find("real time"), std::string::npos);
  EXPECT_EQ(run.messages.find('\n'), run.messages.size() - 1);
}

TEST(RenderApp, SavedStateRendersTheSameAudioAgain) {
  CScratchDir dir;
  const std::string state = dir.File("setup.aupreset");
  const std::string first = dir.File("first.wav"), second = dir.File("second.wav");
  const std::string plain = dir.File("plain.wav");
  ASSERT_EQ(RunApp({"--demo", "--tail", "0", "--param", "0=0.3", "--seed", "7", "--save-state",
                    state, "-o", first},
                   ToneInstrument())
                .exitCode,
            0);
  ASSERT_TRUE(FileExists(state));
  const APP_RUN again =
      RunApp({"--demo", "--tail", "0", "--state", state, "--seed", "7", "-o", second},
             ToneInstrument());
  ASSERT_EQ(again.exitCode, 0) << again.messages;
  EXPECT_EQ(ReadBytes(first), ReadBytes(second));
  // Without the state the level parameter stays at 0: silence.
  ASSERT_EQ(RunApp({"--demo", "--tail", "0", "-o", plain}, ToneInstrument()).exitCode, 0);
  EXPECT_NE(ReadBytes(first), ReadBytes(plain));
}

TEST(RenderApp, RefusalsAfterTheInputsWriteNothing) {
  CScratchDir dir;
  const std::string out = dir.File("out.wav");
  const std::string saved = dir.File("saved.aupreset");
  // A state saved by another unit kind.
  RenderApp::INSTRUMENT other;
  other.component = ToneComponent("Othr");
  const std::string foreign = dir.File("foreign.aupreset");
  ASSERT_EQ(RunApp({"--demo", "--tail", "0", "--save-state", foreign, "-o", out}, other).exitCode,
            0);
  std::remove(out.c_str());

  struct CASE {
    std::vector<std::string> args;
    RenderApp::INSTRUMENT instrument;
    std::string message;
  };
  const CASE cases[] = {
      {{"--demo", "--state", foreign, "--save-state", saved, "-o", out}, ToneInstrument(),
       foreign + ": the state is for another unit (subtype 'Othr', expected 'Tone')"},
      {{"--demo", "--preset", foreign, "--save-state", saved, "-o", out}, ToneInstrument(),
       foreign + ": this instrument loads no presets"},
      {{"--demo", "--param", "3=0.5", "--param", "200=0.5", "-o", out}, ToneInstrument(),
       "setting parameter 200 failed"},
      {{"--demo", "-o", out}, RenderApp::INSTRUMENT(),
       "the instrument is not available in this build"},
      {{"--demo", "--save-state", saved, "-o", dir.File("missing/out.wav")}, ToneInstrument(),
       dir.File("missing/out.wav") + ": cannot write file: No such file or directory"},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.message);
    const APP_RUN run = RunApp(c.args, c.instrument);
    EXPECT_EQ(run.exitCode, RenderApp::EXIT_FAILED);
    EXPECT_EQ(run.messages.find("morlavine-render: " + c.message), 0u) << run.messages;
    EXPECT_EQ(run.messages.find('\n'), run.messages.size() - 1) << run.messages;
    EXPECT_FALSE(FileExists(out));
    EXPECT_FALSE(FileExists(saved));
  }
}

TEST(RenderApp, EveryRateAndBlockSizeRendersTheWholePiece) {
  CScratchDir dir;
  const std::string out = dir.File("out.wav");
  const std::string midi = dir.File("short.mid");
  WriteNotesFile(midi, {{72, 0.01, 0.1}});
  for (const char* rate : {"44100", "48000", "96000"}) {
    for (const char* block : {"1", "137", "4096"}) {
      SCOPED_TRACE(std::string(rate) + " Hz, block " + block);
      const APP_RUN run = RunApp({"--midi", midi, "--param", "0=1", "--tail", "0.05", "--rate",
                                  rate, "--block", block, "-o", out},
                                 ToneInstrument());
      ASSERT_EQ(run.exitCode, 0) << run.messages;
      const STEREO_WAV wav = ReadStereoWav(out);
      ASSERT_TRUE(wav.ok);
      EXPECT_EQ(wav.rate, static_cast<uint32_t>(std::atoi(rate)));
      EXPECT_EQ(wav.left.size(), static_cast<size_t>(0.15 * std::atoi(rate) + 0.5));
      // The note (C5) sounds through to the end.
      const size_t n = wav.left.size();
      EXPECT_NEAR(MeasureFrequency(&wav.left[n / 2], n / 2, std::atoi(rate)), 523.25, 4.0);
    }
  }
}

namespace {

// Runs the program with standard output captured.
APP_RUN RunAppCapturing(std::vector<std::string> args, const RenderApp::INSTRUMENT& instrument,
                        std::vector<uint8_t>& standardOutput) {
  args.insert(args.begin(), "morlavine-render");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  FILE* messages = std::tmpfile();
  FILE* out = std::tmpfile();
  APP_RUN run;
  run.exitCode = RenderApp::Run(static_cast<int>(argv.size()), argv.data(), out, messages,
                                instrument);
  std::rewind(messages);
  char line[1024];
  while (std::fgets(line, sizeof(line), messages)) run.messages += line;
  std::rewind(out);
  standardOutput.clear();
  int c;
  while ((c = std::fgetc(out)) != EOF) standardOutput.push_back(static_cast<uint8_t>(c));
  std::fclose(messages);
  std::fclose(out);
  return run;
}

}  // namespace

TEST(RenderApp, DashWritesTheWavToStandardOutput) {
  CScratchDir dir;
  std::vector<uint8_t> stdoutBytes;
  const APP_RUN run = RunAppCapturing({"--demo", "--param", "0=0.5", "--tail", "0", "-o", "-"},
                                      ToneInstrument(), stdoutBytes);
  ASSERT_EQ(run.exitCode, 0) << run.messages;
  EXPECT_EQ(run.messages.find("morlavine-render: wrote standard output: 8.00 s"), 0u)
      << run.messages;
  // The same bytes as a file written by name.
  const std::string file = dir.File("named.wav");
  ASSERT_EQ(RunApp({"--demo", "--param", "0=0.5", "--tail", "0", "-o", file}, ToneInstrument())
                .exitCode,
            0);
  EXPECT_EQ(stdoutBytes, ReadBytes(file));
  // Its header's sizes hold the whole file.
  const STEREO_WAV wav = ReadStereoWav(file);
  ASSERT_TRUE(wav.ok);
  EXPECT_EQ(wav.left.size(), 8u * 44100u + 1u);  // up to the frame of the last message
  uint32_t riff = 0;
  std::memcpy(&riff, &stdoutBytes[4], 4);
  EXPECT_EQ(riff + 8u, stdoutBytes.size());
}

TEST(RenderApp, OutputsKeepLinksAndDevicesAndNeverReplaceAnInput) {
  CScratchDir dir;
  const std::string midi = dir.File("song.mid");
  WriteNotesFile(midi, {{60, 0.0, 0.05}});
  const std::vector<uint8_t> midiBytes = ReadBytes(midi);

  // A link keeps its link; the file it points to gets the audio.
  ASSERT_EQ(mkdir(dir.File("real").c_str(), 0755), 0);
  const std::string target = dir.File("real/take.wav"), link = dir.File("take.wav");
  WriteText(target, "old");
  ASSERT_EQ(symlink("real/take.wav", link.c_str()), 0);
  APP_RUN run = RunApp({"--midi", midi, "--param", "0=1", "--tail", "0", "-o", link},
                       ToneInstrument());
  ASSERT_EQ(run.exitCode, 0) << run.messages;
  struct stat info;
  ASSERT_EQ(lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_TRUE(ReadStereoWav(target).ok);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"real", "song.mid", "take.wav"}));

  // A device is written to, not replaced; a full device is an error.
  run = RunApp({"--midi", midi, "--tail", "0", "-o", "/dev/null"}, ToneInstrument());
  EXPECT_EQ(run.exitCode, 0) << run.messages;
  ASSERT_EQ(stat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
  if (stat("/dev/full", &info) == 0) {
    run = RunApp({"--midi", midi, "--tail", "0", "-o", "/dev/full"}, ToneInstrument());
    EXPECT_EQ(run.exitCode, RenderApp::EXIT_FAILED);
    EXPECT_NE(run.messages.find("/dev/full: cannot write file: No space left on device"),
              std::string::npos)
        << run.messages;
    ASSERT_EQ(stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
  }

  // An output naming an input, however it is spelt, is refused before
  // anything is read or written.
  ASSERT_EQ(symlink("song.mid", dir.File("alias.mid").c_str()), 0);
  const std::string state = dir.File("state.aupreset");
  ASSERT_EQ(RunApp({"--midi", midi, "--tail", "0", "--save-state", state, "-o",
                    dir.File("first.wav")},
                   ToneInstrument())
                .exitCode,
            0);
  const std::vector<uint8_t> stateBytes = ReadBytes(state);
  const std::vector<std::vector<std::string>> refused = {
      {"--midi", midi, "-o", midi},
      {"--midi", midi, "-o", dir.Path() + "/./song.mid"},
      {"--midi", midi, "-o", dir.File("alias.mid")},
      {"--midi", midi, "--state", state, "-o", state},
      {"--midi", midi, "--save-state", midi, "-o", dir.File("x.wav")},
  };
  for (const auto& args : refused) {
    SCOPED_TRACE(args[args.size() - 1] + " / " + args[args.size() - 3]);
    g_toneLog = TONE_LOG();
    run = RunApp(args, ToneInstrument());
    EXPECT_EQ(run.exitCode, RenderApp::EXIT_USAGE) << run.messages;
    EXPECT_NE(run.messages.find("refusing to overwrite it"), std::string::npos) << run.messages;
    EXPECT_TRUE(g_toneLog.blockBeats.empty());
    EXPECT_EQ(ReadBytes(midi), midiBytes);
    EXPECT_EQ(ReadBytes(state), stateBytes);
    EXPECT_FALSE(FileExists(dir.File("x.wav")));
  }
  // Saving the state over the state it was read from is allowed.
  EXPECT_EQ(RunApp({"--midi", midi, "--state", state, "--save-state", state, "-o",
                    dir.File("again.wav")},
                   ToneInstrument())
                .exitCode,
            0);
}

TEST(RenderApp, AnOutputThatCannotBeWrittenStopsEverythingBeforeTheRender) {
  CScratchDir dir;
  const std::string out = dir.File("out.wav");
  ASSERT_EQ(mkdir(dir.File("folder").c_str(), 0755), 0);
  struct CASE {
    std::vector<std::string> args;
    std::string message;
  };
  const CASE cases[] = {
      {{"--demo", "--save-state", dir.File("missing/s.aupreset"), "-o", out},
       dir.File("missing/s.aupreset") + ": cannot write file: No such file or directory"},
      {{"--demo", "--save-state", dir.File("s.aupreset"), "-o", dir.File("folder")},
       dir.File("folder") + ": cannot write: it is a folder"},
      {{"--demo", "--save-preset", dir.File("s.p"), "-o", out},
       dir.File("s.p") + ": this instrument saves no presets"},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.message);
    g_toneLog = TONE_LOG();
    const APP_RUN run = RunApp(c.args, ToneInstrument());
    EXPECT_EQ(run.exitCode, RenderApp::EXIT_FAILED);
    EXPECT_EQ(run.messages, "morlavine-render: " + c.message + "\n");
    EXPECT_TRUE(g_toneLog.blockBeats.empty()) << "rendered before the refusal";
    // Nothing is left behind: no WAV, no state, no temporary file.
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"folder"});
  }
}
