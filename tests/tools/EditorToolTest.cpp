// The built morlavine-editor: its snapshot mode without a display, its
// errors, and its window under a virtual X server driven with synthetic X
// input (xdotool): size and pixels, a knob drag and a choice in the drawn
// pop-up menu, closing with the window manager's close message, and the
// saved state, which renders differently from the factory sound.
#include <cairo.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "ToolsTestUtil.h"
#include "editor/Editor.h"
#include "engine/ICommandHandler.h"
#include "host/au/AUCocoaView.h"
#include "host/au/AUSynth.h"
#include "host/au/AUSynthEntry.h"
#include "host/vst/VstSynth.h"
#include "platform/vstgui/vstgui.h"
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

struct RUN {
  int exitCode = -1;
  std::string out, err;
};

std::string Quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string ReadAll(const std::string& path) {
  std::vector<uint8_t> b = ReadBytes(path);
  return std::string(b.begin(), b.end());
}

RUN RunTool(const char* exe, const CScratchDir& dir, const std::vector<std::string>& args) {
  std::string command = Quoted(exe);
  for (const std::string& a : args) command += " " + Quoted(a);
  command += " >" + Quoted(dir.File("out.txt")) + " 2>" + Quoted(dir.File("err.txt"));
  RUN r;
  int status = std::system(command.c_str());
  if (status != -1 && WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
  r.out = ReadAll(dir.File("out.txt"));
  r.err = ReadAll(dir.File("err.txt"));
  return r;
}

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

  // Starts the tool with args; waits for its window.
  void Start(const std::vector<std::string>& args) {
    std::vector<std::string> argv{MORLAVINE_EDITOR_EXE};
    argv.insert(argv.end(), args.begin(), args.end());
    pid = CXvfbServer::Spawn(argv);
    ASSERT_GT(pid, 0);
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!window && std::chrono::steady_clock::now() < until) {
      window = Find(DefaultRootWindow(display));
      if (!window) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_NE(window, 0u) << "no window titled Morlavine";
    // Wait for the first picture.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  Window Find(Window w) {
    char* name = nullptr;
    if (XFetchName(display, w, &name) && name) {
      bool match = std::string(name) == "Morlavine";
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
