// Files and names the tools must survive: a state holding a minute-long
// stereo sample saves and reads back in both tools; FIFOs and devices given
// as preset, state, sample, wavetable, settings file or remembered MIDI CC
// map are refused at once with a message; a preset whose file name is not
// UTF-8 leaves the editor drawing all its texts.
#include <cairo.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>

#include "host/au/AUSynthEntry.h"
#include "ToolsTestUtil.h"
#include "engine/ConfigFile.h"
#include "engine/FolderLayout.h"
#include "engine/ICommandHandler.h"
#include "engine/PresetFile.h"
#include "engine/VoiceManager.h"
#include "host/au/AUSynth.h"
#include "host/vst/VstSynth.h"
#include "osc/SampleLoader.h"
#include "osc/WaveTableLoader.h"
#include "support/TempDataDir.h"
#include "support/XvfbServer.h"
#include "tools/render/AuHost.h"
#include "tools/render/AuPresetFile.h"
#include "tools/render/MorlavineInstrument.h"

// The X headers last: their macros would clash with the others.
#include <X11/Xlib.h>

namespace {

// Runs call in a child process under a watchdog like RunTool's: true when it
// ended by itself, with its result in result.
bool ReturnsInChild(const std::function<bool()>& call, bool& result) {
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) _exit(call() ? 1 : 0);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < until) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      result = WIFEXITED(status) && WEXITSTATUS(status) == 1;
      return WIFEXITED(status);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return false;
}

// A 16-bit stereo PCM WAV file: a 220 Hz sine on the left, 330 Hz on the
// right.
void WriteStereoWav(const std::string& path, uint32_t rate, uint32_t frames) {
  std::vector<uint8_t> b;
  auto u32 = [&b](uint32_t v) {
    for (int k = 0; k < 4; ++k) b.push_back(static_cast<uint8_t>(v >> (8 * k)));
  };
  auto u16 = [&b](uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
  };
  const uint32_t dataBytes = frames * 4;
  b.insert(b.end(), {'R', 'I', 'F', 'F'});
  u32(36 + dataBytes);
  b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  u32(16);
  u16(1);
  u16(2);
  u32(rate);
  u32(rate * 4);
  u16(4);
  u16(16);
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  u32(dataBytes);
  b.reserve(b.size() + dataBytes);
  for (uint32_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    u16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(12000.0 * std::sin(2 * M_PI * 220.0 * t)))));
    u16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(9000.0 * std::sin(2 * M_PI * 330.0 * t)))));
  }
  WriteBytes(path, b.data(), b.size());
}

CVstSynth* InstrumentOf(AudioUnit unit) {
  CAUSynth* synth = nullptr;
  UInt32 size = sizeof(synth);
  if (AudioUnitGetProperty(unit, kAUSynthProperty_Instance, kAudioUnitScope_Global, 0, &synth, &size) != noErr ||
      !synth || !synth->GetEffect())
    return nullptr;
  return static_cast<CVstSynth*>(static_cast<AudioEffect*>(synth->GetEffect()->object));
}

// An open instrument in this process.
struct INSTRUMENT {
  HOST_TRANSPORT transport;
  CAuHost host{&transport};
  CVstSynth* vst = nullptr;
  bool Open() {
    std::string error;
    if (!host.Open(CAUSynthRegister(), error) || !host.Configure(44100, 512, error) ||
        !host.Initialize(error))
      return false;
    vst = InstrumentOf(host.Unit());
    return vst && vst->GetVoiceManager();
  }
  ~INSTRUMENT() { host.Close(); }
};

const PLIST_VALUE* ChunkOf(const PLIST_VALUE& state) { return state.Find("mChunkData"); }

// Waits (a bounded while) for a top-level window titled Morlavine.
bool WaitForEditorWindow(Display* display) {
  std::function<bool(Window)> find = [&](Window w) {
    char* name = nullptr;
    if (XFetchName(display, w, &name) && name) {
      const bool match = std::string(name) == "Morlavine";
      XFree(name);
      if (match) return true;
    }
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    bool found = false;
    if (XQueryTree(display, w, &root, &parent, &children, &count)) {
      for (unsigned int i = 0; i < count && !found; ++i) found = find(children[i]);
      if (children) XFree(children);
    }
    return found;
  };
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < until) {
    if (find(DefaultRootWindow(display))) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

}  // namespace

// A minute of stereo sound in an oscillator makes a state of about 29 MB:
// written in process, then opened in the editor and saved from there, read
// by the renderer, and every byte of the instrument's chunk comes back.
TEST(HostileFilesTool, AStateWithAMinuteLongStereoSampleRoundTripsThroughBothTools) {
  CTempDataDir data;
  CScratchDir dir;
  const std::string wav = dir.File("minute.wav");
  WriteStereoWav(wav, 44100, 60 * 44100);
  const std::string first = dir.File("first.aupreset");
  PLIST_VALUE written;
  {
    INSTRUMENT instrument;
    ASSERT_TRUE(instrument.Open());
    ASSERT_TRUE(instrument.vst->GetVoiceManager()->LoadSample(wav.c_str(), 0));
    std::string error;
    ASSERT_TRUE(instrument.host.SaveState(written, error)) << error;
    ASSERT_TRUE(CAuPresetFile::Write(first.c_str(), written, error)) << error;
  }
  ASSERT_NE(ChunkOf(written), nullptr);
  // Both channels of every frame as 32-bit floats.
  EXPECT_GT(ChunkOf(written)->bytes.size(), 60u * 44100u * 8u);
  struct stat info;
  ASSERT_EQ(stat(first.c_str(), &info), 0);
  EXPECT_GT(info.st_size, 25 * 1024 * 1024);

  PLIST_VALUE read;
  std::string error;
  ASSERT_TRUE(CAuPresetFile::Read(first.c_str(), read, error)) << error;
  EXPECT_TRUE(read == written);

  RUN render = RunTool(MORLAVINE_RENDER_EXE, dir,
                       {"--demo", "--seed", "1", "--state", first, "-o", dir.File("render.wav")}, 60);
  EXPECT_EQ(render.exitCode, 0) << render.err;

  // The editor's window: opened on the state, closed by SIGTERM, which saves.
  CXvfbServer server;
  if (!server.Available()) GTEST_SKIP() << "Xvfb is not installed or did not start";
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  const std::string second = dir.File("second.aupreset");
  const pid_t pid = CXvfbServer::Spawn({MORLAVINE_EDITOR_EXE, "--state", first, "--save-state", second});
  ASSERT_GT(pid, 0);
  const bool opened = WaitForEditorWindow(display);
  XCloseDisplay(display);
  if (opened) kill(pid, SIGTERM);
  EXPECT_EQ(CXvfbServer::Wait(pid, 60), 0);
  ASSERT_TRUE(opened);
  PLIST_VALUE saved;
  ASSERT_TRUE(CAuPresetFile::Read(second.c_str(), saved, error)) << error;
  ASSERT_NE(ChunkOf(saved), nullptr);
  EXPECT_TRUE(ChunkOf(saved)->bytes == ChunkOf(written)->bytes);
}

// Anything that is not a regular file is refused without waiting on it: a
// FIFO nobody writes to would block an ordinary open() for ever, a device
// would never end.
TEST(HostileFilesTool, FifosAndDevicesAreRefusedAtOnceWithAMessage) {
  CTempDataDir data;
  CScratchDir dir;
  const std::string fifo = dir.File("pipe.p");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

  struct CASE {
    const char* label;
    const char* exe;
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {"render preset FIFO", MORLAVINE_RENDER_EXE, {"--demo", "--preset", fifo, "-o", dir.File("a.wav")},
       "not a regular file"},
      {"render state FIFO", MORLAVINE_RENDER_EXE, {"--demo", "--state", fifo, "-o", dir.File("b.wav")},
       "not a regular file"},
      {"render preset device", MORLAVINE_RENDER_EXE,
       {"--demo", "--preset", "/dev/zero", "-o", dir.File("c.wav")}, "not a regular file"},
      {"editor preset FIFO", MORLAVINE_EDITOR_EXE, {"--preset", fifo, "--snapshot", dir.File("d.png")},
       "cannot be opened"},
      {"editor state FIFO", MORLAVINE_EDITOR_EXE, {"--state", fifo, "--snapshot", dir.File("e.png")},
       "not a regular file"},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.label);
    RUN r = RunTool(c.exe, dir, c.args, 60);
    EXPECT_NE(r.exitCode, 137) << "still blocked when the watchdog ended it";
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }

  // The engine's own readers, each in a child process under a watchdog.
  struct CALL {
    const char* label;
    std::function<bool()> call;
  } calls[] = {
      {"sample", [&] { return CSampleLoader().Load(fifo.c_str()); }},
      {"wavetable WAV", [&] { return CWaveTableLoader().Load(fifo.c_str()); }},
      {"preset", [&] { return CPresetFile(nullptr).LoadFromFile(nullptr, fifo.c_str(), nullptr, nullptr); }},
      {"wavetable", [&] { return CPresetFile(nullptr).LoadWaveTable(fifo.c_str()); }},
      {"settings", [&] {
         CONFIG_SETTINGS s;
         return ConfigFile::Read(fifo, s);
       }},
      {"state", [&] {
         PLIST_VALUE state;
         std::string error;
         return CAuPresetFile::Read(fifo.c_str(), state, error);
       }},
  };
  for (const CALL& c : calls) {
    SCOPED_TRACE(c.label);
    bool result = true;
    EXPECT_TRUE(ReturnsInChild(c.call, result)) << "still blocked when the watchdog ended it";
    EXPECT_FALSE(result);
  }

  // A settings file that is a FIFO, and then a remembered MIDI CC map that
  // is one: the instrument still opens in both tools.
  {
    CScratchDir work;
    const std::string& config = FileSpec::PathConfigFile;
    std::remove(config.c_str());
    ASSERT_EQ(mkfifo(config.c_str(), 0600), 0) << config;
    RUN editor = RunTool(MORLAVINE_EDITOR_EXE, work, {"--snapshot", work.File("f.png")}, 60);
    EXPECT_EQ(editor.exitCode, 0) << editor.err;
    RUN render = RunTool(MORLAVINE_RENDER_EXE, work, {"--demo", "-o", work.File("f.wav")}, 60);
    EXPECT_EQ(render.exitCode, 0) << render.err;
    std::remove(config.c_str());
  }
  {
    CScratchDir work;
    CONFIG_SETTINGS settings;
    settings.midiMapPath = fifo;
    ASSERT_TRUE(ConfigFile::Write(FileSpec::PathConfigFile, settings));
    RUN editor = RunTool(MORLAVINE_EDITOR_EXE, work, {"--snapshot", work.File("g.png")}, 60);
    EXPECT_EQ(editor.exitCode, 0) << editor.err;
    RUN render = RunTool(MORLAVINE_RENDER_EXE, work, {"--demo", "-o", work.File("g.wav")}, 60);
    EXPECT_EQ(render.exitCode, 0) << render.err;
  }
}

// A preset file whose name is not UTF-8 draws like any other: the editor's
// picture differs from the one with a well-formed name only where the name
// is drawn (before, every text after the name was lost).
TEST(HostileFilesTool, APresetNameThatIsNotUtf8LeavesEveryOtherTextDrawn) {
  CTempDataDir data;
  CScratchDir dir;
  std::vector<uint8_t> image;
  {
    INSTRUMENT instrument;
    ASSERT_TRUE(instrument.Open());
    std::string error;
    ASSERT_TRUE(MorlavineInstrument::SavePreset(instrument.host.Unit(), image, error)) << error;
  }
  const std::string good = dir.File("goodname.p");
  const std::string bad = dir.File("bad\xff\xfe" "name.p");
  WriteBytes(good, image.data(), image.size());
  WriteBytes(bad, image.data(), image.size());
  // No display: the pictures are drawn off-screen.
  const char* display = getenv("DISPLAY");
  const std::string oldDisplay = display ? display : "";
  unsetenv("DISPLAY");
  RUN g = RunTool(MORLAVINE_EDITOR_EXE, dir, {"--preset", good, "--snapshot", dir.File("good.png")}, 60);
  RUN b = RunTool(MORLAVINE_EDITOR_EXE, dir, {"--preset", bad, "--snapshot", dir.File("bad.png")}, 60);
  if (display) setenv("DISPLAY", oldDisplay.c_str(), 1);
  ASSERT_EQ(g.exitCode, 0) << g.err;
  ASSERT_EQ(b.exitCode, 0) << b.err;

  cairo_surface_t* x = cairo_image_surface_create_from_png(dir.File("good.png").c_str());
  cairo_surface_t* y = cairo_image_surface_create_from_png(dir.File("bad.png").c_str());
  ASSERT_EQ(cairo_surface_status(x), CAIRO_STATUS_SUCCESS);
  ASSERT_EQ(cairo_surface_status(y), CAIRO_STATUS_SUCCESS);
  const int width = cairo_image_surface_get_width(x), height = cairo_image_surface_get_height(x);
  ASSERT_EQ(width, cairo_image_surface_get_width(y));
  ASSERT_EQ(height, cairo_image_surface_get_height(y));
  const int stride = cairo_image_surface_get_stride(x);
  const unsigned char* a = cairo_image_surface_get_data(x);
  const unsigned char* c = cairo_image_surface_get_data(y);
  // The box around every differing pixel.
  int left = width, right = -1, top = height, bottom = -1;
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < width; ++col) {
      if (std::memcmp(a + row * stride + col * 4, c + row * stride + col * 4, 4) != 0) {
        left = std::min(left, col);
        right = std::max(right, col);
        top = std::min(top, row);
        bottom = std::max(bottom, row);
      }
    }
  }
  cairo_surface_destroy(x);
  cairo_surface_destroy(y);
  // The names differ, so something differs: one line of text, no more.
  ASSERT_GE(right, 0);
  EXPECT_LE(bottom - top, 20) << "rows " << top << ".." << bottom;
  EXPECT_LE(right - left, 300) << "columns " << left << ".." << right;
}
