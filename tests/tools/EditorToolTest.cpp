// The built morlavine-editor: its snapshot mode without a display, its
// errors, and its window under a virtual X server driven with synthetic X
// input (xdotool): size and pixels, a knob drag and a choice in the drawn
// pop-up menu, closing with the window manager's close message, and the
// saved state, which renders differently from the factory sound. Then the
// editor playing with --audio none: a knob drag heard in --audio-out, the
// recorder's take saved as exactly the frames played, and a sound device
// that is not there.
#include <cairo.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <map>
#include <cstring>
#include <memory>
#include <thread>

#include "MidiTestUtil.h"
#include "ToolsTestUtil.h"
#include "WavTestUtil.h"
#include "editor/Editor.h"
#include "editor/EditorTags.h"
#include "engine/FolderLayout.h"
#include "engine/PresetFile.h"
#include "engine/VoiceManager.h"
#include "engine/ICommandHandler.h"
#include "host/au/AUCocoaView.h"
#include "host/au/AUSynth.h"
#include "host/au/AUSynthEntry.h"
#include "host/vst/VstSynth.h"
#include "platform/vstgui/vstgui.h"
#include "platform/x11/X11Dialog.h"
#include "platform/x11/X11PopupMenu.h"
#include "support/TempDataDir.h"
#include "support/XvfbServer.h"
#include "tools/render/AuHost.h"
#include "tools/render/AuPresetFile.h"
#include "tools/render/MorlavineInstrument.h"

// The X headers last: their macros would clash with the others.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

bool SameImage(const std::string& a, const std::string& b) {
  cairo_surface_t* x = cairo_image_surface_create_from_png(a.c_str());
  cairo_surface_t* y = cairo_image_surface_create_from_png(b.c_str());
  bool same = cairo_surface_status(x) == CAIRO_STATUS_SUCCESS && cairo_surface_status(y) == CAIRO_STATUS_SUCCESS &&
              cairo_image_surface_get_height(x) == cairo_image_surface_get_height(y) &&
              cairo_image_surface_get_stride(x) == cairo_image_surface_get_stride(y) &&
              std::memcmp(cairo_image_surface_get_data(x), cairo_image_surface_get_data(y),
                          static_cast<size_t>(cairo_image_surface_get_stride(x) * cairo_image_surface_get_height(x))) == 0;
  cairo_surface_destroy(x);
  cairo_surface_destroy(y);
  return same;
}

// Unsets DISPLAY while it lives.
struct NO_DISPLAY {
  std::string old;
  bool had;
  NO_DISPLAY() {
    const char* d = getenv("DISPLAY");
    had = d != nullptr;
    if (d) old = d;
    unsetenv("DISPLAY");
  }
  ~NO_DISPLAY() {
    if (had) setenv("DISPLAY", old.c_str(), 1);
  }
};

}  // namespace

TEST(EditorTool, SnapshotsNeedNoDisplayAndShowThePageAndOverlayAsked) {
  CTempDataDir data;
  CScratchDir dir;
  NO_DISPLAY noDisplay;
  struct SHOT {
    std::vector<std::string> args;
    std::string file;
  } shots[] = {
      {{}, "main.png"},
      {{"--page", "fx"}, "fx.png"},
      {{"--page", "arp"}, "arp.png"},
      {{"--overlay", "recorder"}, "recorder.png"},
      {{"--overlay", "browser"}, "browser.png"},
  };
  for (SHOT& s : shots) {
    s.args.push_back("--snapshot");
    s.args.push_back(dir.File(s.file));
    RUN r = RunTool(MORLAVINE_EDITOR_EXE, dir, s.args);
    ASSERT_EQ(r.exitCode, 0) << s.file << ": " << r.err;
    cairo_surface_t* image = cairo_image_surface_create_from_png(dir.File(s.file).c_str());
    ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(image), 977);
    EXPECT_EQ(cairo_image_surface_get_height(image), 695);
    cairo_surface_destroy(image);
  }
  for (size_t i = 1; i < sizeof(shots) / sizeof(shots[0]); ++i)
    EXPECT_FALSE(SameImage(dir.File(shots[0].file), dir.File(shots[i].file))) << shots[i].file;
  // The same state draws the same picture.
  RunTool(MORLAVINE_EDITOR_EXE, dir, {"--snapshot", dir.File("again.png")});
  EXPECT_TRUE(SameImage(dir.File("main.png"), dir.File("again.png")));
}

TEST(EditorTool, WithoutADisplayOrWithBadOptionsItSaysSoInOneLine) {
  CTempDataDir data;
  CScratchDir dir;
  NO_DISPLAY noDisplay;
  struct CASE {
    std::vector<std::string> args;
    int exitCode;
  } cases[] = {
      {{}, 1},
      {{"--page", "sample"}, 2},
      {{"--overlay", "mixer"}, 2},
      {{"--state"}, 2},
      {{"--bogus"}, 2},
      {{"--state", dir.File("missing.aupreset"), "--snapshot", dir.File("x.png")}, 1},
      {{"--audio", "pulse"}, 2},
      {{"--audio", "none", "--audio-device", "hw:0"}, 2},
      {{"--rate", "5"}, 2},
      {{"--rate", "44.1k"}, 2},
      {{"--block", "0"}, 2},
      {{"--bpm", "0"}, 2},
      {{"--loop"}, 2},
      {{"--play"}, 2},
  };
  for (const CASE& c : cases) {
    RUN r = RunTool(MORLAVINE_EDITOR_EXE, dir, c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << (c.args.empty() ? "" : c.args[0]);
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.rfind("morlavine-editor: ", 0), 0u) << r.err;
  }
  EXPECT_FALSE(FileExists(dir.File("x.png")));
}

namespace {

class EditorWindowToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    xdotool = CXvfbServer::FindProgram("xdotool");
    if (xdotool.empty()) GTEST_SKIP() << "xdotool is not installed";
    server.reset(new CXvfbServer());
    if (!server->Available()) GTEST_SKIP() << "Xvfb is not installed or did not start";
    display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
  }
  void TearDown() override {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    if (display) XCloseDisplay(display);
    server.reset();
  }

  // Starts the tool with args (its messages into `messages` when given);
  // waits for its window.
  void Start(const std::vector<std::string>& args, const std::string& messages = std::string()) {
    std::vector<std::string> argv{MORLAVINE_EDITOR_EXE};
    argv.insert(argv.end(), args.begin(), args.end());
    std::string said;
    if (!messages.empty()) {
      said = messages + ".out";
      std::string command = "exec";
      for (const std::string& a : argv) command += " " + Quoted(a);
      argv = {"/bin/sh", "-c", command + " >" + Quoted(said) + " 2>" + Quoted(messages)};
    }
    pid = CXvfbServer::Spawn(argv);
    ASSERT_GT(pid, 0);
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!window && std::chrono::steady_clock::now() < until) {
      window = Find(DefaultRootWindow(display));
      if (!window) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_NE(window, 0u) << "no window titled Morlavine";
    // Wait for the first picture (the tool says when it is drawn; on a busy
    // machine that may take a while).
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (int i = 0; !said.empty() && i < 400 && ReadAll(said).find(" open (") == std::string::npos; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  Window Find(Window w) {
    char* name = nullptr;
    if (XFetchName(display, w, &name) && name) {
      // Dropouts are counted in the title after the name.
      bool match = std::string(name).rfind("Morlavine", 0) == 0 && std::string(name) != X11_MENU_WINDOW_NAME;
      XFree(name);
      if (match) return w;
    }
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, w, &root, &parent, &children, &count)) {
      for (unsigned int i = 0; i < count && !found; ++i) found = Find(children[i]);
      if (children) XFree(children);
    }
    return found;
  }
  void Xdo(const std::vector<std::string>& args) {
    std::vector<std::string> argv{xdotool};
    argv.insert(argv.end(), args.begin(), args.end());
    EXPECT_EQ(CXvfbServer::Wait(CXvfbServer::Spawn(argv), 20), 0);
  }
  // Exit status of the tool, waiting a few seconds.
  int WaitForExit() {
    for (int i = 0; i < 200; ++i) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        pid = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -2;
  }
  void SendClose() {
    XEvent e;
    std::memset(&e, 0, sizeof(e));
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &e);
    XFlush(display);
  }

  std::string xdotool;
  std::unique_ptr<CXvfbServer> server;
  Display* display = nullptr;
  Window window = 0;
  pid_t pid = 0;
};

// The parameters of the controls at two points of the main window, found
// in an editor opened off-screen, and their values in a saved state.
struct EDITED {
  long knobTag = -1, listTag = -1;
  float knob = 0;
  int list = 0;
};

bool ReadEdited(const std::string& statePath, CPoint knobAt, CPoint listAt, EDITED& out) {
  HOST_TRANSPORT transport;
  CAuHost host(&transport);
  std::string error;
  // The instrument linked into this test (not its bundle): its editor is
  // read directly.
  if (!host.Open(CAUSynthRegister(), error) || !host.Configure(44100, 512, error) ||
      !host.Initialize(error))
    return false;
  if (!statePath.empty()) {
    PLIST_VALUE state;
    if (!CAuPresetFile::Read(statePath.c_str(), state, error) || !host.RestoreState(state, error)) return false;
  }
  CAUSynth* synth = nullptr;
  UInt32 size = sizeof(synth);
  AudioUnitGetProperty(host.Unit(), kAUSynthProperty_Instance, kAudioUnitScope_Global, 0, &synth, &size);
  CVstSynth* vst = static_cast<CVstSynth*>(static_cast<AudioEffect*>(synth->GetEffect()->object));
  CAUCocoaViewFactory factory;
  std::unique_ptr<CAUCocoaView> view(factory.UiViewForAudioUnit(host.Unit(), 0, 0));
  CFrame* frame = vst->GetEditorObject()->getFrame();
  CView* knob = frame->getViewAt(knobAt, true);
  CView* list = frame->getViewAt(listAt, true);
  if (!knob || !list || !knob->isTypeOf("CControl") || !list->isTypeOf("CControl")) return false;
  out.knobTag = static_cast<CControl*>(knob)->getTag();
  out.listTag = static_cast<CControl*>(list)->getTag();
  ICommandHandler* commands = vst->GetEditorObject()->GetCommandHandler();
  out.knob = commands->GetFloatParam(static_cast<unsigned int>(out.knobTag));
  out.list = static_cast<int>(commands->GetIntParam(static_cast<unsigned int>(out.listTag)));
  view.reset();
  host.Close();
  return true;
}

}  // namespace

TEST_F(EditorWindowToolTest, AKnobDragAndAMenuChoiceReachTheStateSavedOnClose) {
  CTempDataDir data;
  CScratchDir dir;
  const std::string state = dir.File("edited.aupreset");
  RUN shot = RunTool(MORLAVINE_EDITOR_EXE, dir, {"--snapshot", dir.File("offscreen.png")});
  ASSERT_EQ(shot.exitCode, 0) << shot.err;
  Start({"--save-state", state});

  // The window: the editor's size, and the off-screen drawing's pixels.
  XWindowAttributes a;
  ASSERT_TRUE(XGetWindowAttributes(display, window, &a));
  EXPECT_EQ(a.width, 977);
  EXPECT_EQ(a.height, 695);
  {
    cairo_surface_t* png = cairo_image_surface_create_from_png(dir.File("offscreen.png").c_str());
    const unsigned char* data = cairo_image_surface_get_data(png);
    const int stride = cairo_image_surface_get_stride(png);
    long differing = -1;
    // The first picture takes a moment (the artwork is drawn on first use).
    for (int attempt = 0; attempt < 50 && differing != 0; ++attempt) {
      if (attempt) std::this_thread::sleep_for(std::chrono::milliseconds(100));
      XImage* image = XGetImage(display, window, 0, 0, 977, 695, AllPlanes, ZPixmap);
      ASSERT_NE(image, nullptr);
      differing = 0;
      for (int y = 0; y < 695; ++y)
        for (int x = 0; x < 977; ++x) {
          uint32_t px;
          std::memcpy(&px, data + y * stride + x * 4, 4);
          if ((XGetPixel(image, x, y) & 0xffffff) != (px & 0xffffff)) ++differing;
        }
      XDestroyImage(image);
    }
    EXPECT_EQ(differing, 0);
    cairo_surface_destroy(png);
  }

  // Oscillator 1: drag its cutoff knob up, and choose the filter list's
  // second entry in the drawn pop-up menu (a right click opens it).
  const CPoint knob(193, 89), list(188, 133);
  EDITED factory;
  ASSERT_TRUE(ReadEdited("", knob, list, factory));
  Xdo({"mousemove", "193", "89", "mousedown", "1", "sleep", "0.1", "mousemove", "193", "70", "sleep", "0.1",
       "mousemove", "193", "40", "sleep", "0.1", "mouseup", "1"});
  // The menu opens below the mouse: the rows "off", a separator, then the
  // entry wanted.
  COptionMenu rows;
  rows.addEntry("off");
  rows.addSeparator();
  rows.addEntry("second");
  MENU_LAYOUT layout = X11LayoutMenu(&rows);
  const int entryY = 133 + 1 + static_cast<int>((layout.items[2].top + layout.items[2].bottom) / 2);
  Xdo({"sleep", "0.2", "mousemove", "188", "133", "click", "3"});
  // Wait (a bounded while) until the menu is on screen, then choose.
  Xdo({"search", "--sync", "--onlyvisible", "--name", X11_MENU_WINDOW_NAME});
  Xdo({"sleep", "0.3", "mousemove", "200", std::to_string(entryY), "sleep", "0.3", "click", "1"});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  SendClose();
  ASSERT_EQ(WaitForExit(), 0);
  ASSERT_TRUE(FileExists(state));
  EDITED edited;
  ASSERT_TRUE(ReadEdited(state, knob, list, edited));
  EXPECT_EQ(edited.knobTag, factory.knobTag);
  EXPECT_NE(edited.knob, factory.knob);
  EXPECT_EQ(factory.list, 0);
  EXPECT_EQ(edited.list, 1);

  // The saved state sounds different from the factory sound.
  RUN plain = RunTool(MORLAVINE_RENDER_EXE, dir, {"--demo", "--seed", "1", "-o", dir.File("factory.wav")});
  RUN withState = RunTool(MORLAVINE_RENDER_EXE, dir,
                          {"--demo", "--seed", "1", "--state", state, "-o", dir.File("edited.wav")});
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  ASSERT_EQ(withState.exitCode, 0) << withState.err;
  EXPECT_NE(ReadBytes(dir.File("factory.wav")), ReadBytes(dir.File("edited.wav")));
}

TEST_F(EditorWindowToolTest, SigtermClosesTheEditorAndWritesTheState) {
  CTempDataDir data;
  CScratchDir dir;
  const std::string state = dir.File("s.aupreset");
  Start({"--save-state", state, "--page", "fx", "--overlay", "wavetable"});
  // The overlay owns the window: a drag over the knob beneath changes nothing.
  Xdo({"mousemove", "193", "89", "mousedown", "1", "mousemove", "193", "30", "mouseup", "1"});
  kill(pid, SIGTERM);
  ASSERT_EQ(WaitForExit(), 0);
  EDITED factory, saved;
  ASSERT_TRUE(ReadEdited("", CPoint(193, 89), CPoint(188, 133), factory));
  ASSERT_TRUE(ReadEdited(state, CPoint(193, 89), CPoint(188, 133), saved));
  EXPECT_EQ(saved.knob, factory.knob);
}

namespace {

// Root-window position of the first window named `name` (0 when none).
Window FindNamed(Display* display, Window w, const char* name) {
  char* found = nullptr;
  if (XFetchName(display, w, &found) && found) {
    const bool match = std::string(found) == name;
    XFree(found);
    if (match) return w;
  }
  Window root, parent, *children = nullptr;
  unsigned int count = 0;
  Window hit = 0;
  if (XQueryTree(display, w, &root, &parent, &children, &count)) {
    for (unsigned int i = 0; i < count && !hit; ++i) hit = FindNamed(display, children[i], name);
    if (children) XFree(children);
  }
  return hit;
}

// Frames the editor has written so far into the --audio-out file `name` in
// `dir`: it is written under a temporary name beside the file until the
// editor closes (the header first, then eight bytes a frame).
uint64_t FramesWritten(const CScratchDir& dir, const std::string& name) {
  for (const std::string& entry : dir.Entries()) {
    if (entry.rfind(name + ".partial-", 0) != 0) continue;
    struct stat info;
    if (stat(dir.File(entry).c_str(), &info) != 0 || info.st_size < 46) return 0;
    return static_cast<uint64_t>(info.st_size - 46) / 8;
  }
  return 0;
}

// Waits (a bounded while) until `frames` frames have been written; the
// time it takes depends on the machine's load, not on the test.
bool WaitForFrames(const CScratchDir& dir, const std::string& name, uint64_t frames) {
  for (int i = 0; i < 600; ++i) {
    if (FramesWritten(dir, name) >= frames) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// RMS in dB of frames [from, to) of both channels.
double RmsDb(const STEREO_WAV& wav, size_t from, size_t to) {
  double sum = 0.0;
  for (size_t i = from; i < to; ++i) sum += wav.left[i] * wav.left[i] + wav.right[i] * wav.right[i];
  return 10.0 * std::log10(sum / (2.0 * static_cast<double>(to - from)) + 1e-30);
}

// A chord held for most of a second: one pass of the loop.
std::vector<TEST_NOTE> Chord() { return {{48, 0.0, 0.8}, {55, 0.0, 0.8}, {64, 0.0, 0.8}, {60, 0.8, 0.9}}; }

}  // namespace

TEST_F(EditorWindowToolTest, AKnobDraggedWhileAScorePlaysIsHeardInTheAudioOut) {
  CTempDataDir data;
  CScratchDir dir;
  WriteNotesFile(dir.File("chord.mid"), Chord());
  const std::string out = dir.File("out.wav");
  Start({"--audio", "none", "--play", dir.File("chord.mid"), "--loop", "--audio-out", out}, dir.File("err.txt"));
  // The loop's passes (the score's last message ends one).
  const size_t pass = CMidiScore::FrameOf(0.9, 44100.0) + 1;
  ASSERT_TRUE(WaitForFrames(dir, "out.wav", 3 * pass));
  // The master level knob, dragged all the way down.
  Xdo({"mousemove", "450", "50", "mousedown", "1", "sleep", "0.1", "mousemove", "450", "100", "sleep", "0.1",
       "mousemove", "450", "200", "sleep", "0.1", "mousemove", "450", "400", "sleep", "0.1", "mouseup", "1"});
  // The drag has been handled once a tick has run after it; then two more
  // passes.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ASSERT_TRUE(WaitForFrames(dir, "out.wav", FramesWritten(dir, "out.wav") + 3 * pass));
  SendClose();
  ASSERT_EQ(WaitForExit(), 0);

  STEREO_WAV wav = ReadStereoWav(out);
  ASSERT_TRUE(wav.ok);
  EXPECT_EQ(wav.rate, 44100u);
  ASSERT_GT(wav.left.size(), 5 * pass);
  const double before = RmsDb(wav, pass, 2 * pass);
  const double after = RmsDb(wav, wav.left.size() / pass * pass - pass, wav.left.size() / pass * pass);
  EXPECT_GT(before, -40.0);
  EXPECT_LT(after, before - 10.0) << "before " << before << " dB, after " << after << " dB";
}

TEST_F(EditorWindowToolTest, ARecordedTakeSavedAsWavHoldsExactlyTheFramesPlayed) {
  CTempDataDir data;
  CScratchDir dir;
  const std::string out = dir.File("out.wav"), take = dir.File("take.wav");
  // The save dialog: a stand-in for the desktop's that answers at once.
  mkdir(dir.File("bin").c_str(), 0700);
  WriteText(dir.File("bin/zenity"), "#!/bin/sh\necho " + Quoted(take) + "\n");
  chmod(dir.File("bin/zenity").c_str(), 0700);
  const std::string oldPath = getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin";
  setenv("PATH", (dir.File("bin") + ":" + oldPath).c_str(), 1);
  // One long chord, played once. The recorder panel is open from the start
  // and "Start recording on MIDI input" is on (as it is by default), so the
  // chord's first note starts a recording at once.
  WriteNotesFile(dir.File("long.mid"), {{48, 0.0, 4.0}, {55, 0.0, 4.0}, {64, 0.0, 4.0}});
  Start({"--audio", "none", "--play", dir.File("long.mid"), "--audio-out", out, "--overlay", "recorder"},
        dir.File("err.txt"));
  setenv("PATH", oldPath.c_str(), 1);

  // Half a second in, STOP that recording; then REC, a second of playing
  // (the chord goes on, no new note restarts the take), and STOP.
  ASSERT_TRUE(WaitForFrames(dir, "out.wav", 44100 / 2));
  Xdo({"mousemove", "473", "511", "click", "1"});
  ASSERT_TRUE(WaitForFrames(dir, "out.wav", FramesWritten(dir, "out.wav") + 44100 / 4));
  Xdo({"click", "1"});
  const uint64_t recordFrom = FramesWritten(dir, "out.wav");
  ASSERT_TRUE(WaitForFrames(dir, "out.wav", recordFrom + 44100));
  Xdo({"click", "1", "sleep", "0.3"});
  // TOOLS, then "Save As..." (the menu's first entry).
  Xdo({"mousemove", "907", "511", "click", "1"});
  Xdo({"search", "--sync", "--onlyvisible", "--name", X11_MENU_WINDOW_NAME});
  Window menu = FindNamed(display, DefaultRootWindow(display), X11_MENU_WINDOW_NAME);
  ASSERT_NE(menu, 0u);
  int x = 0, y = 0;
  Window child;
  XTranslateCoordinates(display, menu, DefaultRootWindow(display), 0, 0, &x, &y, &child);
  COptionMenu rows;
  rows.addEntry("Save As...");
  MENU_LAYOUT layout = X11LayoutMenu(&rows);
  const CRect first = layout.items[0];
  Xdo({"sleep", "0.3", "mousemove", std::to_string(x + static_cast<int>((first.left + first.right) / 2)),
       std::to_string(y + static_cast<int>((first.top + first.bottom) / 2)), "sleep", "0.3", "click", "1"});
  for (int i = 0; i < 100 && !FileExists(take); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  // A menu whose entries stayed greyed out (still recording) is closed.
  if (!FileExists(take)) Xdo({"key", "Escape"});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  SendClose();
  ASSERT_EQ(WaitForExit(), 0);

  STEREO_WAV played = ReadStereoWav(out), saved = ReadStereoWav(take);
  ASSERT_TRUE(played.ok);
  ASSERT_TRUE(saved.ok) << "the take was not saved";
  EXPECT_EQ(saved.rate, played.rate);
  // About the second between REC and STOP, and not silence.
  ASSERT_GT(saved.left.size(), 44100u / 2);
  ASSERT_LT(saved.left.size(), played.left.size());
  EXPECT_GT(RmsDb(saved, 0, saved.left.size()), -40.0);
  // Where the take begins in what was played: the one place its first
  // frames match.
  const size_t n = saved.left.size(), probe = 64;
  std::vector<size_t> starts;
  for (size_t at = 0; at + n <= played.left.size(); ++at) {
    bool same = true;
    for (size_t i = 0; i < probe && same; ++i)
      same = played.left[at + i] == saved.left[i] && played.right[at + i] == saved.right[i];
    if (same) starts.push_back(at);
  }
  ASSERT_EQ(starts.size(), 1u) << "the take's start is not (only once) in what was played";
  size_t differing = 0;
  for (size_t i = 0; i < n; ++i)
    if (played.left[starts[0] + i] != saved.left[i] || played.right[starts[0] + i] != saved.right[i]) ++differing;
  EXPECT_EQ(differing, 0u);
}

TEST_F(EditorWindowToolTest, AMissingSoundDeviceIsSaidInOneLineAndTheEditorPlaysOnSilently) {
  CTempDataDir data;
  CScratchDir dir;
  const std::string out = dir.File("out.wav"), state = dir.File("s.aupreset");
  Start({"--audio-device", "no such card", "--audio-out", out, "--save-state", state}, dir.File("err.txt"));
  ASSERT_TRUE(WaitForFrames(dir, "out.wav", 44100 / 4)) << "the loop did not go on without the device";
  // SIGINT stops the audio, closes the editor and writes both files.
  kill(pid, SIGINT);
  ASSERT_EQ(WaitForExit(), 0);
  const std::string err = ReadAll(dir.File("err.txt"));
  EXPECT_NE(err.find("morlavine-editor: no audio output device called \"no such card\""), std::string::npos) << err;
  // Every line is the program's own (the sound libraries' chatter is not
  // shown).
  size_t at = 0;
  while (at < err.size()) {
    const size_t end = err.find('\n', at);
    EXPECT_EQ(err.compare(at, 18, "morlavine-editor: "), 0) << err.substr(at, end - at);
    at = end == std::string::npos ? err.size() : end + 1;
  }
  EXPECT_TRUE(FileExists(state));
  STEREO_WAV wav = ReadStereoWav(out);
  ASSERT_TRUE(wav.ok);
  EXPECT_GE(wav.left.size(), 44100u / 4);
}

TEST_F(EditorWindowToolTest, AScoreOrOutputThatCannotBeHadStopsItBeforeTheWindowOpens) {
  CTempDataDir data;
  CScratchDir dir;
  WriteText(dir.File("bad.mid"), "MThd but not really");
  struct CASE {
    std::vector<std::string> args;
    std::string names;
  } cases[] = {
      {{"--audio", "none", "--play", dir.File("missing.mid")}, "missing.mid"},
      {{"--audio", "none", "--play", dir.File("bad.mid")}, "bad.mid"},
      {{"--audio", "none", "--audio-out", dir.File("no/folder/out.wav")}, "out.wav"},
  };
  for (const CASE& c : cases) {
    RUN r = RunTool(MORLAVINE_EDITOR_EXE, dir, c.args);
    EXPECT_EQ(r.exitCode, 1) << c.names;
    EXPECT_EQ(r.err.rfind("morlavine-editor: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.names), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("window"), std::string::npos) << r.out;
  }
}

// ---------------------------------------------------------------------------
// Files from the window: saves on a fresh data folder, questions before a
// file is replaced, double clicks in the drawn dialog, a desktop dialog
// program's answers, and dialogs that end at once when the program must.

namespace {

// Where a control of the main window lies (frame coordinates), and the
// values a few steps of osc 1's ">" button give, from an editor opened
// off-screen in this process.
struct LAYOUT {
  std::map<long, CPoint> centres;
  std::map<long, CRect> rects;
  std::vector<unsigned int> osc1Steps;  // osc 1's stored mode after each ">"
};

bool ReadLayout(const std::vector<long>& tags, int steps, LAYOUT& out) {
  HOST_TRANSPORT transport;
  CAuHost host(&transport);
  std::string error;
  if (!host.Open(CAUSynthRegister(), error) || !host.Configure(44100, 512, error) ||
      !host.Initialize(error))
    return false;
  CAUSynth* synth = nullptr;
  UInt32 size = sizeof(synth);
  AudioUnitGetProperty(host.Unit(), kAUSynthProperty_Instance, kAudioUnitScope_Global, 0, &synth, &size);
  CVstSynth* vst = static_cast<CVstSynth*>(static_cast<AudioEffect*>(synth->GetEffect()->object));
  CAUCocoaViewFactory factory;
  std::unique_ptr<CAUCocoaView> view(factory.UiViewForAudioUnit(host.Unit(), 0, 0));
  CEditor* editor = vst->GetEditorObject();
  for (long tag : tags) {
    CControl* control = editor->getControlByTag(tag);
    if (!control) return false;
    CRect r = control->getViewSize();
    CPoint centre((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    if (control->getParentView()) control->getParentView()->localToFrame(centre);
    out.centres[tag] = centre;
    CPoint corner(r.left, r.top);
    if (control->getParentView()) control->getParentView()->localToFrame(corner);
    out.rects[tag] = CRect(corner.h, corner.v, corner.h + r.width(), corner.v + r.height());
  }
  for (int i = 0; i < steps; ++i) {
    CControl* next = editor->getControlByTag(TAG_OSC_NEXT);
    next->setValue(1.f);
    editor->valueChanged(next);
    next->setValue(0.f);
    editor->valueChanged(next);
    out.osc1Steps.push_back(editor->GetCommandHandler()->GetIntParam(430));
  }
  view.reset();
  host.Close();
  return true;
}

// Sets PATH for one scope (the editor started meanwhile inherits it).
struct PATH_VAR {
  std::string old;
  explicit PATH_VAR(const std::string& value) {
    const char* p = getenv("PATH");
    old = p ? p : "";
    setenv("PATH", value.c_str(), 1);
  }
  ~PATH_VAR() { setenv("PATH", old.c_str(), 1); }
};

std::string Head(const std::string& path, size_t n) {
  std::string text = ReadAll(path);
  return text.substr(0, n);
}

void MakeFolders(const std::string& path) {
  ASSERT_EQ(std::system(("/bin/mkdir -p " + Quoted(path)).c_str()), 0);
}

}  // namespace

class EditorFilesWindowTest : public EditorWindowToolTest {
 protected:
  void SetUp() override {
    EditorWindowToolTest::SetUp();
    if (IsSkipped()) return;
    ASSERT_TRUE(ReadLayout({TAG_LCD_SAVE, TAG_LCD_LOAD, TAG_LCD_MENU, TAG_OSC_NEXT}, 3, layout));
  }
  void Click(long tag) {
    const CPoint at = layout.centres[tag];
    Xdo({"mousemove", std::to_string(static_cast<int>(at.h)), std::to_string(static_cast<int>(at.v)), "click", "1"});
  }
  // Waits for a top-level window of that name to be shown (true) or gone.
  bool WaitWindow(const std::string& title, bool shown, int seconds = 20) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < until) {
      if ((FindNamed(DefaultRootWindow(display), title) != 0) == shown) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  Window FindNamed(Window w, const std::string& title) {
    char* name = nullptr;
    if (XFetchName(display, w, &name) && name) {
      bool match = title == name;
      XFree(name);
      if (match) {
        XWindowAttributes a;
        if (XGetWindowAttributes(display, w, &a) && a.map_state == IsViewable) return w;
      }
    }
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, w, &root, &parent, &children, &count)) {
      for (unsigned int i = 0; i < count && !found; ++i) found = FindNamed(children[i], title);
      if (children) XFree(children);
    }
    return found;
  }
  // Keys into the dialog of that title once it is shown; waits until it is gone.
  void AnswerDialog(const char* title, const std::vector<std::string>& keys) {
    std::vector<std::string> args{"search", "--sync", "--onlyvisible", "--name", title, "windowfocus", "--sync", "%1",
                                  "sleep", "0.3"};
    args.insert(args.end(), keys.begin(), keys.end());
    args.insert(args.begin(), xdotool);
    // Its exit status is not asked: the key that closes the dialog leaves
    // xdotool a window that is gone.
    CXvfbServer::Wait(CXvfbServer::Spawn(args), 20);
    EXPECT_TRUE(WaitWindow(title, false)) << title << " still open";
    // An xdotool that lost its window between a key's press and release
    // leaves the key down (and repeating into the next dialog): release.
    CXvfbServer::Wait(CXvfbServer::Spawn({xdotool, "keyup", "Return", "Escape"}), 20);
  }

  LAYOUT layout;
};

TEST_F(EditorFilesWindowTest, ASaveOnAFreshDataFolderWritesAndASaveOntoAnExistingFileAsks) {
  CTempDataDir data;
  CScratchDir dir;
  PATH_VAR path(dir.Path());  // no desktop dialog program: the drawn dialog asks
  Start({"--save-state", dir.File("s.aupreset")});
  const std::string saved = FileSpec::FolderPresets + "/Default.p";

  // The proposed name in the presets folder, which the first use made.
  // (The file is written just after the dialog closes.)
  auto written = [&saved] {
    for (int i = 0; i < 100 && Head(saved, 2) != "WP"; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return Head(saved, 2) == "WP";
  };
  Click(TAG_LCD_SAVE);
  AnswerDialog(X11_DIALOG_TITLE_SAVE, {"key", "Return"});
  ASSERT_TRUE(written());

  // Again: Return asks; Escape goes back to the name, Escape cancels.
  WriteText(saved, "old");
  Click(TAG_LCD_SAVE);
  AnswerDialog(X11_DIALOG_TITLE_SAVE, {"key", "Return", "sleep", "0.4", "key", "Escape", "sleep", "0.3", "key", "Escape"});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(ReadAll(saved), "old");
  // Replace confirmed.
  Click(TAG_LCD_SAVE);
  AnswerDialog(X11_DIALOG_TITLE_SAVE, {"key", "Return", "sleep", "0.4", "key", "Return"});
  EXPECT_TRUE(written());

  SendClose();
  EXPECT_EQ(WaitForExit(), 0);
}

TEST_F(EditorFilesWindowTest, ADoubleClickOnAFolderNeitherWritesNorLoads) {
  CTempDataDir data;
  CScratchDir dir;
  PATH_VAR path(dir.Path());
  // Bass/B1.p: a preset whose knob differs from the factory sound.
  const CPoint knob(193, 89), list(188, 133);
  EDITED factory;
  ASSERT_TRUE(ReadEdited("", knob, list, factory));
  const std::string bank = FileSpec::FolderPresets + "/Bass";
  MakeFolders(bank);
  {
    CPresetFile file(nullptr);
    (*file.GetBuffer())[factory.knobTag] = factory.knob > 0.5f ? 0.1f : 0.9f;
    ASSERT_TRUE(file.SaveToFile(nullptr, 0, PRESET_BYTES, (bank + "/B1.p").c_str(), nullptr, nullptr, nullptr,
                                nullptr));
  }
  const std::vector<uint8_t> before = ReadBytes(bank + "/B1.p");
  const std::string state = dir.File("s.aupreset");
  Start({"--save-state", state});

  // Rows of the dialog's list: "../", "Bass/"; in Bass: "../", "B1.p". The
  // second click of the double click lands on B1.p.
  const std::vector<std::string> doubleClick{"mousemove", "--window", "%1", "60", "82", "click", "--repeat", "2",
                                             "--delay", "80", "1", "sleep", "0.5", "key", "Escape"};
  Click(TAG_LCD_SAVE);
  AnswerDialog(X11_DIALOG_TITLE_SAVE, doubleClick);
  Click(TAG_LCD_LOAD);
  AnswerDialog(X11_DIALOG_TITLE_OPEN, doubleClick);

  SendClose();
  ASSERT_EQ(WaitForExit(), 0);
  EXPECT_EQ(ReadBytes(bank + "/B1.p"), before);
  EDITED after;
  ASSERT_TRUE(ReadEdited(state, knob, list, after));
  EXPECT_EQ(after.knob, factory.knob);
}

TEST_F(EditorFilesWindowTest, ADesktopProgramsAnswerWithoutExtensionIsSavedWithIt) {
  CTempDataDir data;
  CScratchDir dir;
  const std::string bin = dir.File("bin");
  MakeFolders(bin);
  const std::string args = dir.File("args");
  WriteText(bin + "/zenity", "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + Quoted(args) + "\necho " +
                                 Quoted(FileSpec::FolderPresets + "/mine") + "\n");
  ASSERT_EQ(chmod((bin + "/zenity").c_str(), 0755), 0);
  PATH_VAR path(bin);
  Start({"--save-state", dir.File("s.aupreset")});
  Click(TAG_LCD_SAVE);
  const std::string saved = FileSpec::FolderPresets + "/mine.p";
  for (int i = 0; i < 100 && !FileExists(saved); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(FileExists(saved));
  EXPECT_EQ(Head(saved, 2), "WP");
  EXPECT_FALSE(FileExists(FileSpec::FolderPresets + "/mine"));
  const std::string asked = ReadAll(args);
  EXPECT_NE(asked.find("--confirm-overwrite"), std::string::npos) << asked;
  EXPECT_NE(asked.find("--filename=" + FileSpec::FolderPresets + "/Default.p"), std::string::npos) << asked;
  SendClose();
  EXPECT_EQ(WaitForExit(), 0);
}

TEST_F(EditorFilesWindowTest, SignalsAndACloseEndAnOpenDialogOrMenuAtOnceAndTheStateIsSaved) {
  CTempDataDir data;
  CScratchDir dir;
  const std::string bin = dir.File("bin");
  MakeFolders(bin);
  // A desktop dialog program that would keep its dialog open for long.
  WriteText(bin + "/zenity", "#!/bin/sh\nexec /bin/sleep 30\n");
  ASSERT_EQ(chmod((bin + "/zenity").c_str(), 0755), 0);
  struct CASE {
    const char* what;
    std::string path;  // PATH for the editor
    long button;
    const char* window;  // shown once the button was clicked (null: the program's)
    int signal;          // 0: the window's close button
  } cases[] = {
      {"drawn save dialog, SIGTERM", dir.Path(), TAG_LCD_SAVE, X11_DIALOG_TITLE_SAVE, SIGTERM},
      {"drawn open dialog, close", dir.Path(), TAG_LCD_LOAD, X11_DIALOG_TITLE_OPEN, 0},
      {"desktop program, SIGINT", bin, TAG_LCD_SAVE, nullptr, SIGINT},
      {"main menu, SIGTERM", dir.Path(), TAG_LCD_MENU, X11_MENU_WINDOW_NAME, SIGTERM},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string state = dir.File("s.aupreset");
    unlink(state.c_str());
    PATH_VAR path(c.path);
    window = 0;
    Start({"--save-state", state});
    Click(c.button);
    if (c.window)
      ASSERT_TRUE(WaitWindow(c.window, true));
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto asked = std::chrono::steady_clock::now();
    if (c.signal)
      kill(pid, c.signal);
    else
      SendClose();
    EXPECT_EQ(WaitForExit(), 0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - asked).count();
    EXPECT_LT(seconds, 5.0);
    EXPECT_TRUE(FileExists(state));
    if (c.window) {
      EXPECT_TRUE(WaitWindow(c.window, false, 5));
    }
  }
}

TEST_F(EditorFilesWindowTest, Osc1StepsThroughTheBuiltInWavesOnAFreshDataFolder) {
  CTempDataDir data;
  CScratchDir dir;
  const std::string state = dir.File("s.aupreset");
  Start({"--save-state", state});
  for (int i = 0; i < 3; ++i) {
    Click(TAG_OSC_NEXT);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  SendClose();
  ASSERT_EQ(WaitForExit(), 0);
  // The stored mode of osc 1 follows the steps.
  HOST_TRANSPORT transport;
  CAuHost host(&transport);
  std::string error;
  ASSERT_TRUE(host.Open(CAUSynthRegister(), error) && host.Configure(44100, 512, error) &&
              host.Initialize(error));
  PLIST_VALUE plist;
  ASSERT_TRUE(CAuPresetFile::Read(state.c_str(), plist, error) && host.RestoreState(plist, error)) << error;
  CAUSynth* synth = nullptr;
  UInt32 size = sizeof(synth);
  AudioUnitGetProperty(host.Unit(), kAUSynthProperty_Instance, kAudioUnitScope_Global, 0, &synth, &size);
  CVstSynth* vst = static_cast<CVstSynth*>(static_cast<AudioEffect*>(synth->GetEffect()->object));
  EXPECT_EQ(vst->GetVoiceManager()->GetIntParam(430), layout.osc1Steps[2]);
  EXPECT_NE(layout.osc1Steps[0], layout.osc1Steps[1]);
  host.Close();
}

TEST(EditorTool, AnUnwritableSaveStateIsToldBeforeTheSessionStarts) {
  CTempDataDir data;
  CScratchDir dir;
  NO_DISPLAY noDisplay;
  struct CASE {
    std::string path;
    const char* says;
  } cases[] = {
      {dir.File("no-such-folder/s.aupreset"), "does not exist"},
      {dir.Path(), "folder"},
  };
  for (const CASE& c : cases) {
    RUN r = RunTool(MORLAVINE_EDITOR_EXE, dir, {"--save-state", c.path});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("display"), std::string::npos) << r.err;
  }
}

TEST_F(EditorFilesWindowTest, AClosedMenuDoesNotStayPaintedOverTheEditorWhileADialogIsOpen) {
  CTempDataDir data;
  CScratchDir dir;
  PATH_VAR path(dir.Path());
  RUN shot = RunTool(MORLAVINE_EDITOR_EXE, dir, {"--snapshot", dir.File("offscreen.png")});
  ASSERT_EQ(shot.exitCode, 0) << shot.err;
  Start({"--save-state", dir.File("s.aupreset")});
  // The main menu, then its first entry, which opens the author dialog.
  Click(TAG_LCD_MENU);
  ASSERT_TRUE(WaitWindow(X11_MENU_WINDOW_NAME, true));
  Window menu = FindNamed(DefaultRootWindow(display), X11_MENU_WINDOW_NAME);
  XWindowAttributes m;
  ASSERT_TRUE(XGetWindowAttributes(display, menu, &m));
  Xdo({"mousemove", std::to_string(m.x + 20), std::to_string(m.y + 8), "sleep", "0.3", "click", "1"});
  ASSERT_TRUE(WaitWindow(X11_DIALOG_TITLE_AUTHOR, true));
  Window dialog = FindNamed(DefaultRootWindow(display), X11_DIALOG_TITLE_AUTHOR);
  XWindowAttributes d;
  ASSERT_TRUE(XGetWindowAttributes(display, dialog, &d));
  const CRect dialogRect(d.x, d.y, d.x + d.width, d.y + d.height);
  CRect button = layout.rects[TAG_LCD_MENU];
  button.inset(-2, -2);

  // Where the menu was, the editor shows its own picture again (the dialog
  // and the button that opened the menu aside).
  cairo_surface_t* png = cairo_image_surface_create_from_png(dir.File("offscreen.png").c_str());
  const unsigned char* pixels = cairo_image_surface_get_data(png);
  const int stride = cairo_image_surface_get_stride(png);
  long differing = -1;
  for (int attempt = 0; attempt < 40 && differing != 0; ++attempt) {
    if (attempt) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    XImage* image = XGetImage(display, window, 0, 0, 977, 695, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    differing = 0;
    for (int y = std::max(0, m.y); y < std::min(695, m.y + m.height); ++y)
      for (int x = std::max(0, m.x); x < std::min(977, m.x + m.width); ++x) {
        CPoint p(x, y);
        if (dialogRect.pointInside(p) || button.pointInside(p)) continue;
        uint32_t px;
        std::memcpy(&px, pixels + y * stride + x * 4, 4);
        if ((XGetPixel(image, x, y) & 0xffffff) != (px & 0xffffff)) ++differing;
      }
    XDestroyImage(image);
  }
  EXPECT_EQ(differing, 0);
  cairo_surface_destroy(png);
  AnswerDialog(X11_DIALOG_TITLE_AUTHOR, {"key", "Escape"});
  SendClose();
  EXPECT_EQ(WaitForExit(), 0);
}
