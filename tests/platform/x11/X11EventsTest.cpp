// Translation of X11 input into the view framework's words, the drawn
// menu's layout and the file dialog's helpers: no X server needed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/FileDialogs.h"
#include "platform/vstgui/vstgui.h"
#include "platform/x11/X11Dialog.h"
#include "platform/x11/X11Events.h"
#include "platform/x11/X11PopupMenu.h"
#include "support/TempDataDir.h"

// The X headers last: their macros would clash with the others.
#include <X11/X.h>
#include <X11/keysym.h>

TEST(X11Events, ButtonsAndModifiersMapToTheButtonWord) {
  struct CASE {
    unsigned state, button;
    long word;
  } cases[] = {
      {0, Button1, kLButton},
      {0, Button2, kMButton},
      {0, Button3, kRButton},
      {ShiftMask, Button1, kLButton | kShift},
      {ControlMask, Button1, kLButton | kControl},
      {Mod1Mask, Button1, kLButton | kAlt},
      {Mod4Mask, Button1, kLButton | kApple},
      {ShiftMask | ControlMask | Mod1Mask | Mod4Mask, Button3, kRButton | kShift | kControl | kAlt | kApple},
      // A motion keeps the held button; Caps Lock and Num Lock mean nothing.
      {Button1Mask, 0, kLButton},
      {Button3Mask | ShiftMask, 0, kRButton | kShift},
      {LockMask | Mod2Mask, Button1, kLButton},
      {0, 0, 0},
  };
  for (const CASE& c : cases) EXPECT_EQ(X11ButtonWord(c.state, c.button), c.word) << c.state << " " << c.button;
  EXPECT_EQ(X11WheelDistance(Button4), 1.f);
  EXPECT_EQ(X11WheelDistance(Button5), -1.f);
  EXPECT_EQ(X11WheelDistance(Button1), 0.f);
}

TEST(X11Events, KeysMapToVirtualKeysCharactersAndModifiers) {
  struct CASE {
    unsigned long sym;
    unsigned state;
    int virt, character, modifier;
  } cases[] = {
      {XK_Up, 0, VKEY_UP, 0, 0},
      {XK_Down, ShiftMask, VKEY_DOWN, 0, MODIFIER_SHIFT},
      {XK_Left, 0, VKEY_LEFT, 0, 0},
      {XK_KP_Right, 0, VKEY_RIGHT, 0, 0},
      {XK_Return, 0, VKEY_RETURN, 0, 0},
      {XK_Escape, 0, VKEY_ESCAPE, 0, 0},
      {XK_BackSpace, 0, VKEY_BACK, 0, 0},
      {XK_Delete, 0, VKEY_DELETE, 0, 0},
      {XK_Tab, 0, VKEY_TAB, 0, 0},
      {XK_space, 0, VKEY_SPACE, ' ', 0},
      {XK_a, ControlMask, 0, 'a', MODIFIER_COMMAND},
      {XK_A, ShiftMask | Mod1Mask, 0, 'A', MODIFIER_SHIFT | MODIFIER_ALTERNATE},
      {XK_eacute, Mod4Mask, 0, 0xe9, MODIFIER_CONTROL},
  };
  for (const CASE& c : cases) {
    VstKeyCode key;
    ASSERT_TRUE(X11TranslateKey(c.sym, c.state, key)) << c.sym;
    EXPECT_EQ(key.virt, c.virt) << c.sym;
    EXPECT_EQ(key.character, c.character) << c.sym;
    EXPECT_EQ(key.modifier, c.modifier) << c.sym;
  }
  VstKeyCode key;
  EXPECT_FALSE(X11TranslateKey(XK_Shift_L, 0, key));
  EXPECT_FALSE(X11TranslateKey(XK_F5, 0, key));
}

TEST(X11Events, DoubleClicksNeedTheSameButtonSoonAndNearby) {
  struct CASE {
    unsigned button2;
    unsigned long dt;
    int dx;
    bool isDouble;
  } cases[] = {
      {Button1, 200, 0, true},
      {Button1, CX11ClickCounter::DOUBLE_CLICK_MS, CX11ClickCounter::DOUBLE_CLICK_DISTANCE, true},
      {Button1, CX11ClickCounter::DOUBLE_CLICK_MS + 1, 0, false},
      {Button1, 100, CX11ClickCounter::DOUBLE_CLICK_DISTANCE + 1, false},
      {Button3, 100, 0, false},
  };
  for (const CASE& c : cases) {
    CX11ClickCounter counter;
    EXPECT_FALSE(counter.Press(Button1, 1000, 50, 50));
    EXPECT_EQ(counter.Press(c.button2, 1000 + c.dt, 50 + c.dx, 50), c.isDouble) << c.dt << " " << c.dx;
  }
  // A third quick press starts over; the fourth completes a new double.
  CX11ClickCounter counter;
  counter.Press(Button1, 0, 0, 0);
  EXPECT_TRUE(counter.Press(Button1, 100, 0, 0));
  EXPECT_FALSE(counter.Press(Button1, 200, 0, 0));
  EXPECT_TRUE(counter.Press(Button1, 300, 0, 0));
}

TEST(X11PopupMenu, LayoutPutsColumnBreaksSideBySideAndSeparatorsThin) {
  COptionMenu menu;
  menu.addEntry("first");
  menu.addSeparator();
  menu.addEntry("second");
  menu.addEntry("top of column two", -1, CMenuItem::kColumnBreak);
  menu.addEntry("below it");
  MENU_LAYOUT layout = X11LayoutMenu(&menu);
  ASSERT_EQ(layout.items.size(), 5u);
  const std::vector<CRect>& r = layout.items;
  EXPECT_LT(r[1].height(), r[0].height());  // the separator
  EXPECT_EQ(r[2].top, r[1].bottom);
  EXPECT_EQ(r[3].top, r[0].top);  // a new column starts at the top...
  EXPECT_GE(r[3].left, r[0].right);  // ...to the right
  EXPECT_EQ(r[4].left, r[3].left);
  for (const CRect& item : r) {
    EXPECT_GE(item.left, 0);
    EXPECT_LE(item.right, layout.size.right);
    EXPECT_LE(item.bottom, layout.size.bottom);
  }
  // A long title widens its column.
  COptionMenu wide;
  wide.addEntry("a rather long entry title that needs room");
  EXPECT_GT(X11LayoutMenu(&wide).size.width(), X11LayoutMenu(&menu).size.width() / 2);

  // Drawing marks the lit entry.
  COffscreenContext image(static_cast<long>(layout.size.width()), static_cast<long>(layout.size.height()));
  X11DrawMenu(&image, &menu, layout, 2);
  CPoint lit(r[2].left + 2, r[2].top + 2), unlit(r[0].left + 2, r[0].top + 2);
  EXPECT_NE(image.getPoint(lit), image.getPoint(unlit));
}

TEST(FileDialogs, DesktopProgramsGetTheFilterAndStartWithoutAShell) {
  std::vector<std::string> z = DesktopDialogCommand("/usr/bin/zenity", true, "p", "/x/y/name.p");
  EXPECT_EQ(z, (std::vector<std::string>{"/usr/bin/zenity", "--file-selection", "--save", "--confirm-overwrite",
                                         "--title=Save", "--filename=/x/y/name.p", "--file-filter=*.p"}));
  z = DesktopDialogCommand("/usr/bin/zenity", false, nullptr, "/a b/; rm -rf x/");
  EXPECT_EQ(z, (std::vector<std::string>{"/usr/bin/zenity", "--file-selection", "--title=Open",
                                         "--filename=/a b/; rm -rf x/"}));
  std::vector<std::string> k = DesktopDialogCommand("/opt/kde/kdialog", false, "wav", "/data/");
  EXPECT_EQ(k, (std::vector<std::string>{"/opt/kde/kdialog", "--getopenfilename", "/data/", "*.wav", "--title",
                                         "Open"}));
}

TEST(FileDialogs, TheDrawnDialogListsFoldersFirstAndFiltersFiles) {
  CTempDataDir dir;
  ASSERT_TRUE(dir.Valid());
  const std::string root = dir.Path() + "/";
  mkdir((root + "zeta").c_str(), 0700);
  mkdir((root + "alpha").c_str(), 0700);
  for (const char* name : {"b.p", "a.p", "c.wav", ".hidden.p"}) {
    FILE* f = std::fopen((root + name).c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  EXPECT_EQ(X11ListFolder(root, "p"), (std::vector<std::string>{"../", "alpha/", "zeta/", "a.p", "b.p"}));
  EXPECT_EQ(X11ListFolder(root + "partly typed", nullptr),
            (std::vector<std::string>{"../", "alpha/", "zeta/", "a.p", "b.p", "c.wav"}));
  EXPECT_EQ(X11ListFolder(root + "missing/", "p"), (std::vector<std::string>{"../"}));

  // FIFOs and devices (here a link to one) are never offered: opening one
  // would block or never end. A name that is not UTF-8 is listed as it is.
  ASSERT_EQ(mkfifo((root + "pipe.p").c_str(), 0600), 0);
  ASSERT_EQ(symlink("/dev/zero", (root + "zero.p").c_str()), 0);
  FILE* f = std::fopen((root + "bad\xff\xfe.p").c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_EQ(X11ListFolder(root, "p"),
            (std::vector<std::string>{"../", "alpha/", "zeta/", "a.p", "b.p", "bad\xff\xfe.p"}));
}

namespace {

// Sets an environment variable for one scope.
struct ENV_VAR {
  std::string name, old;
  bool had;
  ENV_VAR(const char* n, const std::string& value) : name(n) {
    const char* v = getenv(n);
    had = v != nullptr;
    if (v) old = v;
    setenv(n, value.c_str(), 1);
  }
  ~ENV_VAR() {
    if (had)
      setenv(name.c_str(), old.c_str(), 1);
    else
      unsetenv(name.c_str());
  }
};

std::string ReadAll(const std::string& path) {
  std::string text;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    int c;
    while ((c = std::fgetc(f)) != EOF) text += static_cast<char>(c);
    std::fclose(f);
  }
  return text;
}

}  // namespace

// A desktop dialog program's answer is used as the user typed it, with the
// category's extension added when it lacks one (whatever its case).
TEST(FileDialogs, ADesktopProgramsAnswerGetsTheCategorysExtension) {
  CTempDataDir dir;
  ASSERT_TRUE(dir.Valid());
  const std::string bin = dir.Path() + "/bin";
  ASSERT_EQ(mkdir(bin.c_str(), 0755), 0);
  const std::string answerFile = dir.Path() + "/answer";
  const std::string argsFile = dir.Path() + "/args";
  const std::string script = bin + "/zenity";
  {
    FILE* f = std::fopen(script.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fprintf(f, "#!/bin/sh\nprintf '%%s\\n' \"$@\" > '%s'\n/bin/cat '%s'\n", argsFile.c_str(), answerFile.c_str());
    std::fclose(f);
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);
  }
  ENV_VAR path("PATH", bin);
  ENV_VAR display("DISPLAY", ":79");  // the stand-in needs no server
  struct CASE {
    bool save;
    const char* type;
    const char* answer;
    const char* chosen;
  } cases[] = {
      {true, "wav", "mywave", "mywave.wav"},
      {true, "mp", "myrev", "myrev.mp"},
      {true, "p", "Kept.P", "Kept.P"},
      {true, "p", "two.words.p", "two.words.p"},
      {false, "p", "loaded", "loaded"},  // an open answer names an existing file as it is
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.answer);
    {
      FILE* f = std::fopen(answerFile.c_str(), "w");
      ASSERT_NE(f, nullptr);
      std::fprintf(f, "%s/%s\n", dir.Path().c_str(), c.answer);
      std::fclose(f);
    }
    char out[2048] = "unchanged";
    const bool ok = c.save ? CocoaShowSaveFileDialog(out, sizeof(out), dir.Path().c_str(), c.type, "Proposed")
                           : CocoaShowLoadFileDialog(out, sizeof(out), c.type, dir.Path().c_str());
    ASSERT_TRUE(ok);
    EXPECT_EQ(std::string(out), dir.Path() + "/" + c.chosen);
    const std::string args = ReadAll(argsFile);
    // Saves ask before replacing; both start in the category's folder.
    EXPECT_EQ(args.find("--confirm-overwrite") != std::string::npos, c.save) << args;
    const std::string start = "--filename=" + dir.Path() + "/" + (c.save ? std::string("Proposed.") + c.type : "");
    EXPECT_NE(args.find(start + "\n"), std::string::npos) << args;
  }
}
