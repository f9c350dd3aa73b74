// The frame in a real X11 window under a virtual X server: the window's
// size and pixels, input reaching the views as the controls expect it, the
// drawn pop-up menu and the drawn dialogs, driven by xdotool. Skipped when
// Xvfb or xdotool is not installed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "editor/DlgDefaultAuthor.h"
#include "editor/Editor.h"
#include "host/vst/VstTestHost.h"
#include "platform/FileDialogs.h"
#include "platform/vstgui/vstgui.h"
#include "platform/x11/X11Dialog.h"
#include "platform/x11/X11HostView.h"
#include "platform/x11/X11PopupMenu.h"
#include "platform/x11/X11Window.h"
#include "support/TempDataDir.h"
#include "support/XvfbServer.h"

// The X headers last: their macros would clash with the others.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// Runs an action if it is not dismissed within the given seconds: closes a
// drawn dialog or menu that missed its synthetic input, so the test fails
// instead of waiting forever.
class CWatchdog {
 public:
  CWatchdog(int seconds, std::function<void()> action) {
    m_thread = std::thread([this, seconds, action] {
      std::unique_lock<std::mutex> lock(m_mutex);
      if (m_cv.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_done; })) return;
      lock.unlock();
      action();
      fired = true;
    });
  }
  ~CWatchdog() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_done = true;
    }
    m_cv.notify_all();
    m_thread.join();
  }
  std::atomic<bool> fired{false};

 private:
  std::mutex m_mutex;
  std::condition_variable m_cv;
  bool m_done = false;
  std::thread m_thread;
};

// Asks every top-level window of that name to close, as a window manager's
// close button does.
void CloseWindowsNamed(const std::string& title) {
  Display* d = XOpenDisplay(nullptr);
  if (!d) return;
  Window root = 0, up = 0, *list = nullptr;
  unsigned int count = 0;
  if (XQueryTree(d, DefaultRootWindow(d), &root, &up, &list, &count)) {
    Atom protocols = XInternAtom(d, "WM_PROTOCOLS", False);
    Atom del = XInternAtom(d, "WM_DELETE_WINDOW", False);
    for (unsigned int i = 0; i < count; ++i) {
      char* name = nullptr;
      if (!XFetchName(d, list[i], &name) || !name) continue;
      const bool match = title == name;
      XFree(name);
      if (!match) continue;
      XEvent e{};
      e.xclient.type = ClientMessage;
      e.xclient.window = list[i];
      e.xclient.message_type = protocols;
      e.xclient.format = 32;
      e.xclient.data.l[0] = static_cast<long>(del);
      XSendEvent(d, list[i], False, NoEventMask, &e);
    }
  }
  if (list) XFree(list);
  XSync(d, False);
  XCloseDisplay(d);
}

// A view that records what reaches it.
class CRecordingView : public CView {
 public:
  explicit CRecordingView(const CRect& size) : CView(size) {}
  void draw(CDrawContext* c) override {
    c->setFillColor(CColor(200, 40, 40, 255));
    c->fillRect(size);
  }
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override {
    downs.push_back(buttons);
    return kMouseEventHandled;
  }
  CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override {
    ++ups;
    return kMouseEventHandled;
  }
  bool onWheel(const CPoint& where, const float& distance, const long& buttons) override {
    wheel += distance;
    return true;
  }
  long onKeyDown(VstKeyCode& key) override {
    keys.push_back(key.virt ? key.virt : key.character);
    return 1;
  }
  std::vector<long> downs;
  int ups = 0;
  float wheel = 0;
  std::vector<int> keys;
};

class X11WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    xdotool = CXvfbServer::FindProgram("xdotool");
    if (xdotool.empty()) GTEST_SKIP() << "xdotool is not installed";
    server.reset(new CXvfbServer());
    if (!server->Available()) GTEST_SKIP() << "Xvfb is not installed or did not start";
  }
  void TearDown() override {
    if (frame) frame->forget();
    X11UnregisterHostView(&handle);
    server.reset();
  }

  void OpenFrame(CCoord width, CCoord height) {
    X11RegisterHostView(&handle, 0, "x11-window-test");
    frame = new CFrame(CRect(0, 0, width, height), &handle, nullptr);
    frame->setBackgroundColor(CColor(20, 60, 120, 255));
    ASSERT_NE(frame->getPlatformWindow(), nullptr);
    view = new CRecordingView(CRect(20, 20, 120, 80));
    frame->addView(view);
    frame->idle();
  }

  // Runs xdotool with args in the background.
  pid_t Xdo(std::vector<std::string> args) {
    args.insert(args.begin(), xdotool);
    return CXvfbServer::Spawn(args);
  }
  // Idles the frame until done() holds or a few seconds pass.
  bool IdleUntil(const std::function<bool()>& done) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < until) {
      frame->idle();
      if (done()) return true;
      usleep(10000);
    }
    return false;
  }
  std::string WindowId() const { return std::to_string(frame->getPlatformWindow()->GetWindow()); }

  std::string xdotool;
  std::unique_ptr<CXvfbServer> server;
  int handle = 0;
  CFrame* frame = nullptr;
  CRecordingView* view = nullptr;
};

}  // namespace

TEST_F(X11WindowTest, TheWindowHasTheFrameSizeAndShowsItsPixels) {
  OpenFrame(300, 200);
  X11_HOST_VIEW entry;
  ASSERT_TRUE(X11FindHostView(&handle, entry));
  EXPECT_EQ(entry.window, frame->getPlatformWindow()->GetWindow());

  Display* d = XOpenDisplay(nullptr);
  ASSERT_NE(d, nullptr);
  XWindowAttributes a;
  ASSERT_TRUE(XGetWindowAttributes(d, static_cast<Window>(entry.window), &a));
  EXPECT_EQ(a.width, 300);
  EXPECT_EQ(a.height, 200);
  XImage* image = XGetImage(d, static_cast<Window>(entry.window), 0, 0, 300, 200, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  for (CPoint p : {CPoint(5, 5), CPoint(50, 50), CPoint(119, 79), CPoint(299, 199)}) {
    unsigned long px = XGetPixel(image, static_cast<int>(p.h), static_cast<int>(p.v));
    CColor expected = frame->getPixel(static_cast<long>(p.h), static_cast<long>(p.v));
    EXPECT_EQ((px >> 16) & 255, expected.red) << p.h << "," << p.v;
    EXPECT_EQ((px >> 8) & 255, expected.green) << p.h << "," << p.v;
    EXPECT_EQ(px & 255, expected.blue) << p.h << "," << p.v;
  }
  XDestroyImage(image);
  XCloseDisplay(d);

  // Only what changed is redrawn at the next idle.
  view->setDirty(true);
  EXPECT_EQ(frame->getDamage(), view->getViewSize());
  frame->idle();
  EXPECT_FALSE(frame->needsRedraw());
}

TEST_F(X11WindowTest, ClicksModifiersDoubleClicksWheelAndKeysReachTheViews) {
  OpenFrame(300, 200);
  std::string w = WindowId();
  CXvfbServer::Wait(Xdo({"mousemove", "--window", w, "50", "50", "click", "1"}));
  ASSERT_TRUE(IdleUntil([&] { return view->ups == 1; }));
  EXPECT_EQ(view->downs.back(), kLButton);

  CXvfbServer::Wait(Xdo({"keydown", "ctrl", "click", "3", "keyup", "ctrl"}));
  ASSERT_TRUE(IdleUntil([&] { return view->ups == 2; }));
  EXPECT_EQ(view->downs.back(), kRButton | kControl);

  CXvfbServer::Wait(Xdo({"click", "--repeat", "2", "--delay", "80", "1"}));
  ASSERT_TRUE(IdleUntil([&] { return view->ups == 4; }));
  EXPECT_EQ(view->downs.back(), kLButton | kDoubleClick);

  CXvfbServer::Wait(Xdo({"click", "4", "click", "4", "click", "5"}));
  ASSERT_TRUE(IdleUntil([&] { return view->wheel == 1.f; }));

  CXvfbServer::Wait(Xdo({"key", "Up", "Escape", "x"}));
  ASSERT_TRUE(IdleUntil([&] { return view->keys.size() == 3; }));
  EXPECT_EQ(view->keys, (std::vector<int>{VKEY_UP, VKEY_ESCAPE, 'x'}));
}

TEST_F(X11WindowTest, TheDrawnMenuOpensASubmenuChoosesAndDismissesOnAnOutsideClick) {
  OpenFrame(400, 300);
  COptionMenu* sub = new COptionMenu();
  sub->addEntry("inner one");
  sub->addEntry("inner two");
  COptionMenu* menu = new COptionMenu(CRect(10, 10, 11, 11), nullptr, -1);
  menu->addEntry("plain");
  menu->addEntry("disabled", -1, CMenuItem::kDisabled);
  menu->addSeparator();
  menu->addEntry(sub, "more");
  frame->addView(menu);
  frame->idle();

  MENU_LAYOUT root = X11LayoutMenu(menu);
  MENU_LAYOUT inner = X11LayoutMenu(sub);
  CPoint origin = frame->getPlatformWindow()->ToScreen(CPoint(10, 11));
  auto centre = [](const CPoint& o, const CRect& r) {
    return std::vector<std::string>{std::to_string(static_cast<int>(o.h + (r.left + r.right) / 2)),
                                    std::to_string(static_cast<int>(o.v + (r.top + r.bottom) / 2))};
  };
  std::vector<std::string> more = centre(origin, root.items[3]);
  // The submenu opens beside its entry.
  CPoint subOrigin(origin.h + root.items[3].right + 3, origin.v + root.items[3].top - 3);
  std::vector<std::string> two = centre(subOrigin, inner.items[1]);

  // Each run waits until the menu's window is on screen. A menu that missed
  // its input is dismissed with Escape after a while (it holds the keyboard).
  const std::string xdotool = this->xdotool;
  auto afterMenu = [&](const std::vector<std::string>& args) {
    std::string script = xdotool + " search --sync --onlyvisible --name '" + X11_MENU_WINDOW_NAME + "' >/dev/null && " +
                         xdotool + " sleep 0.2";
    for (const std::string& a : args) script += " " + a;
    return CXvfbServer::Spawn({"/bin/sh", "-c", script});
  };
  auto escape = [xdotool] { CXvfbServer::Wait(CXvfbServer::Spawn({xdotool, "key", "Escape"}), 10); };
  COptionMenu* chosen = nullptr;
  long index = -1;
  {
    pid_t pid = afterMenu({"mousemove", more[0], more[1], "sleep", "0.3", "mousemove", two[0], more[1], "sleep", "0.2",
                           "mousemove", two[0], two[1], "sleep", "0.2", "click", "1"});
    CWatchdog watchdog(20, escape);
    EXPECT_TRUE(frame->runPopupMenu(menu, chosen, index));
    EXPECT_EQ(chosen, sub);
    EXPECT_EQ(index, 1);
    CXvfbServer::Wait(pid, 10);
  }
  // Keys: Down skips the disabled entry and the separator; Right opens the
  // submenu; Return chooses.
  {
    pid_t pid = afterMenu({"key", "Down", "Down", "Right", "Return"});
    CWatchdog watchdog(20, escape);
    chosen = nullptr;
    EXPECT_TRUE(frame->runPopupMenu(menu, chosen, index));
    EXPECT_EQ(chosen, sub);
    EXPECT_EQ(index, 0);
    CXvfbServer::Wait(pid, 10);
  }
  // A click outside every menu dismisses; so does Escape.
  {
    pid_t pid = afterMenu({"mousemove", "1000", "900", "click", "1"});
    CWatchdog watchdog(20, escape);
    chosen = nullptr;
    EXPECT_FALSE(frame->runPopupMenu(menu, chosen, index));
    EXPECT_FALSE(watchdog.fired);
    CXvfbServer::Wait(pid, 10);
  }
  {
    pid_t pid = afterMenu({"key", "Escape"});
    CWatchdog watchdog(20, escape);
    EXPECT_FALSE(frame->runPopupMenu(menu, chosen, index));
    EXPECT_FALSE(watchdog.fired);
    CXvfbServer::Wait(pid, 10);
  }
  sub->forget();
}

// With no desktop dialog program on PATH the drawn dialogs ask. (xdotool's
// "type" takes every argument after it as text, so it comes last.)
TEST_F(X11WindowTest, FileAndAuthorDialogsFallBackToTheDrawnDialogs) {
  CTempDataDir dir;
  ASSERT_TRUE(dir.Valid());
  const char* oldPath = getenv("PATH");
  std::string savedPath = oldPath ? oldPath : "";
  setenv("PATH", dir.Path().c_str(), 1);  // an empty folder: no zenity, no kdialog
  EXPECT_EQ(FindDesktopDialogProgram(), "");

  // xdotool waits in the background until the dialog's window is mapped and
  // has the keyboard focus, then types into it.
  auto drive = [&](const char* title, std::vector<std::string> keys) {
    std::vector<std::string> args{"search", "--sync", "--onlyvisible", "--name", title, "windowfocus", "--sync", "%1",
                                  "sleep", "0.2"};
    args.insert(args.end(), keys.begin(), keys.end());
    return Xdo(args);
  };
  char path[2048] = "unchanged";
  {
    pid_t pid = drive(X11_DIALOG_TITLE_SAVE, {"type", "mine\n"});
    CWatchdog watchdog(20, [] { CloseWindowsNamed(X11_DIALOG_TITLE_SAVE); });
    EXPECT_TRUE(CocoaShowSaveFileDialog(path, sizeof(path), dir.Path().c_str(), "p", nullptr));
    EXPECT_EQ(std::string(path), dir.Path() + "/mine.p");
    CXvfbServer::Wait(pid, 10);
  }
  {
    pid_t pid = drive(X11_DIALOG_TITLE_SAVE, {"key", "o", "t", "Escape"});
    CWatchdog watchdog(20, [] { CloseWindowsNamed(X11_DIALOG_TITLE_SAVE); });
    std::strcpy(path, "unchanged");
    EXPECT_FALSE(CocoaShowSaveFileDialog(path, sizeof(path), dir.Path().c_str(), "p", nullptr));
    EXPECT_STREQ(path, "unchanged");
    EXPECT_FALSE(watchdog.fired);
    CXvfbServer::Wait(pid, 10);
  }
  CDlgDefaultAuthor dialog;
  {
    pid_t pid = drive(X11_DIALOG_TITLE_AUTHOR, {"key", "BackSpace", "BackSpace", "type", "Zed\n"});
    CWatchdog watchdog(20, [] { CloseWindowsNamed(X11_DIALOG_TITLE_AUTHOR); });
    EXPECT_EQ(dialog.GetDefaultAuthor(nullptr, "Al"), "Zed");
    CXvfbServer::Wait(pid, 10);
  }
  {
    pid_t pid = drive(X11_DIALOG_TITLE_AUTHOR, {"key", "j", "Escape"});
    CWatchdog watchdog(20, [] { CloseWindowsNamed(X11_DIALOG_TITLE_AUTHOR); });
    EXPECT_EQ(dialog.GetDefaultAuthor(nullptr, "Al"), "Al");
    EXPECT_FALSE(watchdog.fired);
    CXvfbServer::Wait(pid, 10);
  }
  setenv("PATH", savedPath.c_str(), 1);
}

namespace {

// Owns the clipboard with a text on a connection of its own and answers
// requests for it as UTF-8 until destroyed (what an editor program does
// after Ctrl+C).
class CClipboardOwner {
 public:
  explicit CClipboardOwner(const std::string& text) : m_text(text) {
    m_display = XOpenDisplay(nullptr);
    if (!m_display) return;
    m_window = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(m_display, XInternAtom(m_display, "CLIPBOARD", False), m_window, CurrentTime);
    XSync(m_display, False);
    m_thread = std::thread([this] { _Serve(); });
  }
  ~CClipboardOwner() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    if (m_display) XCloseDisplay(m_display);
  }
  // Waits until the text has been handed to a requestor; false after the
  // given number of seconds.
  bool WaitDelivered(int seconds) const {
    for (int i = 0; i < seconds * 100 && m_delivered.load() == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return m_delivered.load() > 0;
  }

 private:
  void _Serve() {
    const Atom utf8 = XInternAtom(m_display, "UTF8_STRING", False);
    while (!m_stop) {
      if (!XPending(m_display)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        continue;
      }
      XEvent e;
      XNextEvent(m_display, &e);
      if (e.type != SelectionRequest) continue;
      const XSelectionRequestEvent& r = e.xselectionrequest;
      XEvent reply{};
      reply.xselection.type = SelectionNotify;
      reply.xselection.requestor = r.requestor;
      reply.xselection.selection = r.selection;
      reply.xselection.target = r.target;
      reply.xselection.time = r.time;
      reply.xselection.property = None;
      if (r.target == utf8 && r.property != None) {
        XChangeProperty(m_display, r.requestor, r.property, utf8, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(m_text.data()), static_cast<int>(m_text.size()));
        reply.xselection.property = r.property;
      }
      XSendEvent(m_display, r.requestor, False, NoEventMask, &reply);
      XFlush(m_display);
      if (reply.xselection.property != None) ++m_delivered;
    }
  }

  std::string m_text;
  Display* m_display = nullptr;
  Window m_window = 0;
  std::atomic<bool> m_stop{false};
  std::atomic<int> m_delivered{0};
  std::thread m_thread;
};


// Gives the letters a test types key codes of their own for as long as it
// lives, so that xdotool finds them mapped and types them without
// remapping a spare key code per letter (a remap can land between a key
// press and the dialog's look-up of it when the machine is busy, and the
// letter is lost). Each letter is mapped under its legacy and its Unicode
// key symbol, whichever xdotool asks for.
class CMappedLetters {
 public:
  explicit CMappedLetters(const std::vector<std::pair<const char*, unsigned long>>& letters) {
    m_display = XOpenDisplay(nullptr);
    if (!m_display) return;
    int low = 0, high = 0, per = 0;
    XDisplayKeycodes(m_display, &low, &high);
    KeySym* map = XGetKeyboardMapping(m_display, static_cast<KeyCode>(low), high - low + 1, &per);
    if (!map) return;
    std::vector<KeySym> wanted;
    for (const auto& letter : letters) {
      wanted.push_back(XStringToKeysym(letter.first));
      wanted.push_back(0x01000000ul | letter.second);
    }
    size_t next = 0;
    for (int code = high; code >= low && next < wanted.size(); --code) {
      const KeySym* syms = map + (code - low) * per;
      bool unused = true;
      for (int k = 0; k < per; ++k) unused = unused && syms[k] == NoSymbol;
      if (!unused) continue;
      if (wanted[next] != NoSymbol) {
        KeySym both[2] = {wanted[next], wanted[next]};
        XChangeKeyboardMapping(m_display, code, 2, both, 1);
        m_codes.push_back(code);
      }
      ++next;
    }
    XFree(map);
    XSync(m_display, False);
  }
  ~CMappedLetters() {
    if (!m_display) return;
    for (int code : m_codes) {
      KeySym none[2] = {NoSymbol, NoSymbol};
      XChangeKeyboardMapping(m_display, code, 2, none, 1);
    }
    XCloseDisplay(m_display);
  }

 private:
  Display* m_display = nullptr;
  std::vector<int> m_codes;
};
}  // namespace

// The drawn dialogs take any text the keyboard sends (through the input
// method), a paste with Ctrl+V, and an empty author name; a save over an
// existing file asks first; a double click counts only on one entry.
TEST_F(X11WindowTest, DrawnDialogsTakeUnicodePastesAndEmptyAnswersAndAskBeforeReplacing) {
  CTempDataDir dir;
  ASSERT_TRUE(dir.Valid());
  const char* oldPath = getenv("PATH");
  std::string savedPath = oldPath ? oldPath : "";
  setenv("PATH", dir.Path().c_str(), 1);  // no zenity, no kdialog
  auto drive = [&](const char* title, std::vector<std::string> keys) {
    std::vector<std::string> args{"search", "--sync", "--onlyvisible", "--name", title, "windowfocus", "--sync", "%1",
                                  "sleep", "0.2"};
    args.insert(args.end(), keys.begin(), keys.end());
    return Xdo(args);
  };
  CDlgDefaultAuthor dialog;
  {
    // Letters beyond ASCII, each on a key code of its own.
    CMappedLetters letters({{"ediaeresis", 0xEB},
                            {"Greek_OMEGA", 0x3A9},
                            {"Greek_mu", 0x3BC},
                            {"Greek_epsilonaccent", 0x3AD},
                            {"Greek_gamma", 0x3B3},
                            {"Greek_alpha", 0x3B1}});
    pid_t pid = drive(X11_DIALOG_TITLE_AUTHOR, {"key", "BackSpace", "BackSpace", "type", "Zoë Ωμέγα\n"});
    CWatchdog watchdog(20, [] { CloseWindowsNamed(X11_DIALOG_TITLE_AUTHOR); });
    EXPECT_EQ(dialog.GetDefaultAuthor(nullptr, "Al"), "Zoë Ωμέγα");
    CXvfbServer::Wait(pid, 10);
  }
  {
    pid_t pid = drive(X11_DIALOG_TITLE_AUTHOR, {"key", "BackSpace", "BackSpace", "Return"});
    CWatchdog watchdog(20, [] { CloseWindowsNamed(X11_DIALOG_TITLE_AUTHOR); });
    EXPECT_EQ(dialog.GetDefaultAuthor(nullptr, "Al"), "");
    EXPECT_FALSE(watchdog.fired);
    CXvfbServer::Wait(pid, 10);
  }
  {
    CClipboardOwner clipboard("Ünïcode\nauthor");
    pid_t pid = drive(X11_DIALOG_TITLE_AUTHOR, {"key", "BackSpace", "BackSpace", "ctrl+v"});
    // Return goes only once the text has been handed over (on a busy
    // machine that can take longer than any fixed pause); the dialog gets
    // the text before the key.
    std::thread enter([&] {
      CXvfbServer::Wait(pid, 10);
      clipboard.WaitDelivered(15);
      CXvfbServer::Wait(drive(X11_DIALOG_TITLE_AUTHOR, {"key", "Return"}), 10);
    });
    CWatchdog watchdog(20, [] { CloseWindowsNamed(X11_DIALOG_TITLE_AUTHOR); });
    EXPECT_EQ(dialog.GetDefaultAuthor(nullptr, "Al"), "Ünïcodeauthor");
    enter.join();
  }

  // Saving over an existing file: Return asks, Escape goes back to the
  // name, Escape again cancels; Return twice replaces.
  const std::string existing = dir.Path() + "/mine.p";
  FILE* f = std::fopen(existing.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  char path[2048] = "unchanged";
  {
    pid_t pid = drive(X11_DIALOG_TITLE_SAVE,
                      {"key", "m", "i", "n", "e", "Return", "sleep", "0.3", "key", "Escape", "sleep", "0.3", "key", "Escape"});
    CWatchdog watchdog(20, [] { CloseWindowsNamed(X11_DIALOG_TITLE_SAVE); });
    EXPECT_FALSE(CocoaShowSaveFileDialog(path, sizeof(path), dir.Path().c_str(), "p", nullptr));
    EXPECT_STREQ(path, "unchanged");
    EXPECT_FALSE(watchdog.fired);
    CXvfbServer::Wait(pid, 10);
  }
  {
    pid_t pid = drive(X11_DIALOG_TITLE_SAVE, {"key", "M", "I", "N", "E", "period", "P", "Return"});
    CWatchdog watchdog(20, [] { CloseWindowsNamed(X11_DIALOG_TITLE_SAVE); });
    // A name the file system tells apart is a new file: no question.
    EXPECT_TRUE(CocoaShowSaveFileDialog(path, sizeof(path), dir.Path().c_str(), "p", nullptr));
    EXPECT_EQ(std::string(path), dir.Path() + "/MINE.P");
    CXvfbServer::Wait(pid, 10);
  }
  {
    pid_t pid = drive(X11_DIALOG_TITLE_SAVE, {"key", "m", "i", "n", "e", "Return", "sleep", "0.3", "key", "Return"});
    CWatchdog watchdog(20, [] { CloseWindowsNamed(X11_DIALOG_TITLE_SAVE); });
    EXPECT_TRUE(CocoaShowSaveFileDialog(path, sizeof(path), dir.Path().c_str(), "p", nullptr));
    EXPECT_EQ(std::string(path), existing);
    EXPECT_FALSE(watchdog.fired);
    CXvfbServer::Wait(pid, 10);
  }

  // A double click whose first click opens a folder does not accept the
  // entry the second lands on. Rows: "../", "Bass/"; in Bass: "../", "B1.p".
  ASSERT_EQ(mkdir((dir.Path() + "/Bass").c_str(), 0755), 0);
  f = std::fopen((dir.Path() + "/Bass/B1.p").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  ASSERT_EQ(unlink(existing.c_str()), 0);
  const std::string row1y = "82";  // list top 56, 2 px inset, 16 px rows: row 1's middle
  for (bool save : {false, true}) {
    const char* title = save ? X11_DIALOG_TITLE_SAVE : X11_DIALOG_TITLE_OPEN;
    pid_t pid = drive(title, {"mousemove", "--window", "%1", "60", row1y, "click", "--repeat", "2", "--delay", "80",
                              "1", "sleep", "0.5", "key", "Escape"});
    CWatchdog watchdog(20, [title] { CloseWindowsNamed(title); });
    std::strcpy(path, "unchanged");
    const bool accepted = save ? CocoaShowSaveFileDialog(path, sizeof(path), dir.Path().c_str(), "p", nullptr)
                               : CocoaShowLoadFileDialog(path, sizeof(path), "p", dir.Path().c_str());
    EXPECT_FALSE(accepted) << path;
    EXPECT_STREQ(path, "unchanged");
    EXPECT_FALSE(watchdog.fired);
    CXvfbServer::Wait(pid, 10);
  }
  {
    // Two clicks on the same file do accept it.
    pid_t pid = drive(X11_DIALOG_TITLE_OPEN, {"mousemove", "--window", "%1", "60", row1y, "click", "1", "sleep",
                                              "0.7", "click", "--repeat", "2", "--delay", "80", "1"});
    CWatchdog watchdog(20, [] { CloseWindowsNamed(X11_DIALOG_TITLE_OPEN); });
    EXPECT_TRUE(CocoaShowLoadFileDialog(path, sizeof(path), "p", dir.Path().c_str()));
    EXPECT_EQ(std::string(path), dir.Path() + "/Bass/B1.p");
    CXvfbServer::Wait(pid, 10);
  }
  setenv("PATH", savedPath.c_str(), 1);
}

// A VST 2.x host on Linux passes the id of its own X11 window to
// effEditOpen: the editor opens as a child window of it, at the editor's
// size, and goes away with effEditClose.
TEST_F(X11WindowTest, TheEditorOpensInsideTheWindowAVstHostPasses) {
  Display* d = XOpenDisplay(nullptr);
  ASSERT_NE(d, nullptr);
  const Window parent = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1000, 720, 0, 0, 0);
  XSync(d, False);
  auto children = [&] {
    Window root = 0, up = 0, *list = nullptr;
    unsigned int count = 0;
    std::vector<Window> found;
    if (XQueryTree(d, parent, &root, &up, &list, &count)) found.assign(list, list + count);
    if (list) XFree(list);
    return found;
  };
  {
    CVstTestHost host;
    host.Start();
    ASSERT_EQ(host.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(parent))), 1);
    host.Dispatch(effEditIdle);
    const std::vector<Window> inside = children();
    ASSERT_EQ(inside.size(), 1u);
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(d, inside[0], &a));
    EXPECT_EQ(a.width, static_cast<int>(CEditor::EDITOR_WIDTH));
    EXPECT_EQ(a.height, static_cast<int>(CEditor::EDITOR_HEIGHT));
    host.Dispatch(effEditClose);
    XSync(d, False);
    EXPECT_TRUE(children().empty());
  }
  XDestroyWindow(d, parent);
  XCloseDisplay(d);
}

namespace {

std::atomic<int> g_hostErrors{0};
int HostErrorHandler(Display*, XErrorEvent*) {
  g_hostErrors.fetch_add(1);
  return 0;
}

// A window id no client has made (below the 29 bits X11 ids use).
const unsigned long NO_SUCH_WINDOW = 0x1FFFFF00ul;

}  // namespace

// Inside a host, Xlib's one error handler belongs to the host: the editor's
// failing requests are dropped without it, the host's own connection's
// errors still reach it (also while our code runs), and when our code
// returns the host's handler is the one in place, as it was found.
TEST(X11ErrorTrapTest, TheHostsHandlerIsLeftAsFoundAndHearsItsOwnErrors) {
  CXvfbServer server;
  if (!server.Available()) GTEST_SKIP() << "Xvfb is not installed or did not start";
  g_hostErrors.store(0);
  XErrorHandler before = XSetErrorHandler(HostErrorHandler);
  Display* host = XOpenDisplay(nullptr);
  ASSERT_NE(host, nullptr);

  const unsigned long droppedBefore = CX11ErrorTrap::GetDroppedErrorCount();
  // A parent id that names no window: asking the server about it fails on
  // our own connection.
  {
    CFrame frame(CRect(0, 0, 100, 80), reinterpret_cast<void*>(NO_SUCH_WINDOW), nullptr);
    EXPECT_EQ(frame.getPlatformWindow(), nullptr);
  }
  EXPECT_GT(CX11ErrorTrap::GetDroppedErrorCount(), droppedBefore);
  EXPECT_EQ(g_hostErrors.load(), 0);

  // A window of our own, driven and closed.
  int handle = 0;
  X11RegisterHostView(&handle, 0, "x11-error-trap-test");
  CFrame* frame = new CFrame(CRect(0, 0, 100, 80), &handle, nullptr);
  ASSERT_NE(frame->getPlatformWindow(), nullptr);
  frame->idle();
  Display* ours = frame->getPlatformWindow()->GetDisplay();
  {
    CX11ErrorTrap trap(ours);
    XMapWindow(ours, NO_SUCH_WINDOW);  // ours fails: dropped
    XMapWindow(host, NO_SUCH_WINDOW);  // the host's fails: its handler hears it
    XSync(host, False);
  }
  EXPECT_EQ(g_hostErrors.load(), 1);
  frame->idle();
  frame->forget();
  X11UnregisterHostView(&handle);

  // Nothing of ours runs: the host's handler is in place.
  XMapWindow(host, NO_SUCH_WINDOW);
  XSync(host, False);
  EXPECT_EQ(g_hostErrors.load(), 2);
  EXPECT_EQ(XSetErrorHandler(before), &HostErrorHandler);
  XCloseDisplay(host);
}

// A handler the host installs while our trap is in place stays when the
// trap ends.
TEST(X11ErrorTrapTest, AHandlerInstalledDuringTheTrapIsKept) {
  CXvfbServer server;
  if (!server.Available()) GTEST_SKIP() << "Xvfb is not installed or did not start";
  Display* ours = X11OpenDisplay();
  ASSERT_NE(ours, nullptr);
  XErrorHandler before = XSetErrorHandler(nullptr);
  {
    CX11ErrorTrap outer(ours);
    {
      CX11ErrorTrap inner(ours);
      XSetErrorHandler(HostErrorHandler);
    }
  }
  EXPECT_EQ(XSetErrorHandler(before), &HostErrorHandler);
  X11CloseDisplay(ours);
}
