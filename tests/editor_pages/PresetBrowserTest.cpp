// The preset browser window in an open editor, on a fresh data folder per
// test: the folder tree, the file list, picking and loading files, the
// next/previous walk across folders, the categories' folders, and a disk
// that changes, lies or loops under the browser.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "editor/EditorFixture.h"
#include "editor/ScrollBar.h"
#include "editor/pages/ArpPage.h"
#include "editor/pages/DirectoryView.h"
#include "editor/pages/FileView.h"
#include "editor/pages/FolderListing.h"
#include "editor/pages/PresetBrowser.h"
#include "engine/FolderLayout.h"
#include "engine/GlobalSynth.h"
#include "engine/MidiMap.h"
#include "engine/ParamHandler.h"
#include "engine/PresetFile.h"
#include "engine/VoiceManager.h"
#include "support/TempDataDir.h"

namespace {

// Where the panes sit in the window (the browser covers the window).
const CPoint TREE(105, 137);
const CPoint LIST(340, 139);
const unsigned int MARK = 132;  // the parameter that tells the presets apart

void MakeDirs(const std::string& path) {
  std::string partial;
  for (size_t i = 0; i <= path.size(); ++i) {
    if ((i == path.size() || path[i] == '/') && !partial.empty()) mkdir(partial.c_str(), 0755);
    if (i < path.size()) partial += path[i];
  }
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  MakeDirs(path.substr(0, path.find_last_of('/')));
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Names(const CDirNode* node) {
  std::vector<std::string> names;
  for (const CDirNode* child : node->GetChildren()) names.push_back(child->GetName());
  return names;
}

class PresetBrowserTest : public CEditorTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(data.Valid());
    CEditorTest::SetUp();
    Open();
    browser = editor->GetPresetBrowser();
    ASSERT_NE(browser, nullptr);
    tree = browser->GetDirectoryView();
    list = browser->GetFileView();
  }
  void TearDown() override {
    FolderListing::SetReadObserver(nullptr, nullptr);
    CEditorTest::TearDown();
  }

  // A whole preset whose marker parameter holds mark.
  void SavePreset(const std::string& path, float mark) {
    MakeDirs(path.substr(0, path.find_last_of('/')));
    const float before = commands->GetFloatParam(MARK);
    commands->SetFloatParam(MARK, mark);
    CPresetFile file(host->effect->GetGlobalSynth());
    const unsigned int n = commands->SavePreset(file.GetBuffer(), 0, 0);
    ASSERT_TRUE(file.SaveToFile(commands, 0, n, path.c_str(), nullptr, nullptr, nullptr, nullptr)) << path;
    commands->SetFloatParam(MARK, before);
  }
  // The whole engine image, to see that nothing changed.
  std::vector<unsigned char> Image() {
    CPresetFile file(host->effect->GetGlobalSynth());
    const unsigned int n = commands->SavePreset(file.GetBuffer(), 0, 0);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(file.GetBuffer());
    return std::vector<unsigned char>(bytes, bytes + n);
  }
  bool Shown() const { return frame->isChild(browser); }
  void Browse() {
    Kick(TAG_LCD_BROWSE);
    ASSERT_TRUE(Shown());
  }
  // Mouse presses in window coordinates.
  void Press(const CPoint& where, long buttons = kLButton) {
    CPoint p = where;
    frame->onMouseDown(p, buttons);
    p = where;
    frame->onMouseUp(p, 0);
  }
  CPoint Cell(unsigned int index) const {
    const CRect r = list->GetItemRect(index);
    return CPoint(LIST.h + r.left + 20, LIST.v + r.top + 9);
  }
  CPoint Row(unsigned int row) const { return CPoint(TREE.h + 40, TREE.v + 17 * row + 8); }
  // The browser's own buttons, by tag: pressed, then released.
  void Button(long tag) {
    CControl* button = CEditor::getViewControlByTag(browser, tag);
    ASSERT_NE(button, nullptr);
    button->setValue(1.f);
    browser->valueChanged(button);
    button->setValue(0.f);
    browser->valueChanged(button);
  }
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (const DISPLAY_DIR_ITEM& item : tree->GetDisplayList()) rows.push_back(item.node->GetName());
    return rows;
  }

  CTempDataDir data;
  CPresetBrowser* browser = nullptr;
  CDirectoryView* tree = nullptr;
  CFileView* list = nullptr;
};

TEST_F(PresetBrowserTest, TreeListsFoldersInNameOrderWithoutHiddenOnes) {
  const std::string& root = FileSpec::FolderPresets;
  for (const char* d : {"Zeta", "alpha/sub", "alpha/.secret/deep", "Beta/.git/objects", ".hidden/inside"})
    MakeDirs(root + "/" + d);
  WriteBytes(root + "/alpha/file.p", "");  // files never appear in the tree
  Browse();

  CDirNode* top = tree->GetTree().GetRoot();
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->GetName(), "Presets");
  EXPECT_EQ(top->GetPath(), root);
  EXPECT_EQ(Names(top), (std::vector<std::string>{"alpha", "Beta", "Zeta"}));
  EXPECT_EQ(Names(top->GetChildren()[0]), (std::vector<std::string>{"sub"}));
  EXPECT_TRUE(top->GetChildren()[1]->GetChildren().empty());
  EXPECT_EQ(tree->GetCount(), 5u);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"Presets", "alpha", "Beta", "Zeta"}));

  // A click selects a folder, a double click expands it; the list follows
  // the selection.
  Press(Row(1));
  EXPECT_EQ(tree->GetSelectedDirectory(), root + "/alpha");
  EXPECT_EQ(list->GetDirectory(), root + "/alpha");
  Press(Row(1), kLButton | kDoubleClick);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"Presets", "alpha", "sub", "Beta", "Zeta"}));
  EXPECT_EQ(tree->GetSelectedDirectory(), root + "/alpha");

  // Next and previous folder walk in pre-order, also into collapsed
  // branches, and stop at the ends.
  Press(Row(1), kLButton | kDoubleClick);  // collapsed again
  const std::vector<std::string> order = {root, root + "/alpha", root + "/alpha/sub", root + "/Beta", root + "/Zeta"};
  ASSERT_TRUE(tree->SelectFirstDir());
  for (size_t i = 1; i < order.size(); ++i) {
    ASSERT_TRUE(tree->SelectNextDir());
    EXPECT_EQ(tree->GetSelectedDirectory(), order[i]);
  }
  EXPECT_FALSE(tree->SelectNextDir());
  for (size_t i = order.size() - 1; i > 0; --i) {
    ASSERT_TRUE(tree->SelectPrevDir());
    EXPECT_EQ(tree->GetSelectedDirectory(), order[i - 1]);
  }
  EXPECT_FALSE(tree->SelectPrevDir());
  EXPECT_TRUE(tree->GetTree().GetRoot()->GetChildren()[0]->IsExpanded());  // opened on the way
}

TEST_F(PresetBrowserTest, TreeScrollsTheSelectedFolderIntoView) {
  // 24 folders: 25 rows with the root, 20 shown.
  for (int i = 0; i < 24; ++i) {
    char name[16];
    std::snprintf(name, sizeof(name), "/F%02d", i);
    MakeDirs(FileSpec::FolderPresets + name);
  }
  Browse();
  EXPECT_EQ(tree->GetDisplayList().size(), 20u);
  EXPECT_FALSE(tree->GetScrollBar()->getAllFits());
  tree->ScrollToDir(FileSpec::FolderPresets + "/F21");  // row 22
  EXPECT_EQ(tree->GetFirstRow(), 3u);
  EXPECT_EQ(tree->GetScrollBar()->getOffset(), 3 * 17);
  EXPECT_EQ(tree->GetDisplayList().back().node->GetName(), "F21");
  // A click on the bar above the thumb pages back to the top.
  Press(CPoint(TREE.h + 211, TREE.v + 2));
  EXPECT_EQ(tree->GetFirstRow(), 0u);
  EXPECT_EQ(tree->GetDisplayList().front().node->GetName(), "Presets");
}

TEST_F(PresetBrowserTest, FileListShowsTheCategoryFilesColumnMajor) {
  const std::string folder = FileSpec::FolderPresets + "/Bank";
  for (const char* f : {"Bass.p", "bass2.p", ".hidden", ".hidden.p", "Lead.mp", "notes.txt", "Pad.p.bak"})
    WriteBytes(folder + "/" + f, "");
  MakeDirs(folder + "/Folder.p");  // a folder is not a file
  Browse();
  tree->ScrollToDir(folder);
  EXPECT_EQ(list->GetItems(), (std::vector<std::string>{"Bass", "bass2"}));

  // 60 files: three columns of 19, filled top to bottom.
  const std::string sixty = FileSpec::FolderPresets + "/Sixty";
  for (int i = 0; i < 60; ++i) {
    char name[16];
    std::snprintf(name, sizeof(name), "/P%02d.p", i);
    WriteBytes(sixty + name, "");
  }
  Button(TAG_BROWSER_REFRESH);
  tree->ScrollToDir(sixty);
  ASSERT_EQ(list->GetCount(), 60u);
  const CRect first = list->GetItemRect(0);
  EXPECT_EQ(list->GetItemRect(18).left, first.left);
  EXPECT_EQ(list->GetItemRect(18).top, first.top + 18 * 18);
  EXPECT_EQ(list->GetItemRect(19).left, first.left + 178);
  EXPECT_EQ(list->GetItemRect(19).top, first.top);
  EXPECT_EQ(list->GetItemRect(56).left, first.left + 2 * 178);
  EXPECT_TRUE(list->GetItemRect(57).isEmpty());  // beyond the page

  // The last file brings the first item to 3; a click on the top-left
  // cell then picks item 3, one in the second column item 22.
  ASSERT_TRUE(list->SelectLastFile());
  EXPECT_EQ(list->GetFirstItem(), 3u);
  Press(Cell(3));
  EXPECT_EQ(list->GetSelectedName(), "P03");
  Press(Cell(22));
  EXPECT_EQ(list->GetSelectedName(), "P22");
  // Below the last row of a column there is no cell (not the next
  // column's first item).
  Press(CPoint(LIST.h + 20, LIST.v + 342 + 1));
  EXPECT_EQ(list->GetSelectedName(), "P22");
  // First, next and previous stop at the ends without moving.
  ASSERT_TRUE(list->SelectFirstFile());
  EXPECT_FALSE(list->SelectPrevFile());
  EXPECT_EQ(list->GetSelectedName(), "P00");
  ASSERT_TRUE(list->SelectLastFile());
  EXPECT_FALSE(list->SelectNextFile());
  EXPECT_EQ(list->GetSelectedName(), "P59");
  // A rescan after the selected file went keeps no selection.
  std::remove((sixty + "/P59.p").c_str());
  list->Refresh();
  EXPECT_EQ(list->GetSelectedName(), "");
  EXPECT_EQ(list->GetSelectedItemIndex(), -1);
}

TEST_F(PresetBrowserTest, ClickLoadsDoubleClickLoadsAndCloses) {
  const std::string folder = FileSpec::FolderPresets + "/Bank";
  SavePreset(folder + "/One.p", 0.25f);
  SavePreset(folder + "/Two.p", 0.75f);
  Browse();
  tree->ScrollToDir(folder);
  ASSERT_EQ(list->GetCount(), 2u);

  Press(Cell(0));
  EXPECT_FLOAT_EQ(commands->GetFloatParam(MARK), 0.25f);
  EXPECT_TRUE(Shown());
  EXPECT_EQ(std::string(editor->GetPresetPath()), folder + "/One.p");

  Press(Cell(1), kLButton | kDoubleClick);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(MARK), 0.75f);
  EXPECT_FALSE(Shown());
  EXPECT_EQ(editor->GetCategoryFolder(0), folder);
  EXPECT_EQ(editor->GetCategoryFile(0), "Two");

  // Reopened, the browser shows the remembered file; the buttons act on
  // their release only, and close closes.
  Browse();
  EXPECT_EQ(list->GetDirectory(), folder);
  EXPECT_EQ(list->GetSelectedName(), "Two");
  CControl* prev = CEditor::getViewControlByTag(browser, TAG_BROWSER_PREV);
  prev->setValue(1.f);
  browser->valueChanged(prev);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(MARK), 0.75f);
  prev->setValue(0.f);
  browser->valueChanged(prev);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(MARK), 0.25f);
  // The close button, clicked with the mouse.
  frame->simulateClick(CPoint(893, 101));
  EXPECT_FALSE(Shown());
  EXPECT_EQ(editor->GetCategoryFile(0), "One");
}

TEST_F(PresetBrowserTest, NextAndPreviousWalkEveryFolderInPreOrderAndWrap) {
  // Pre-order: the root, a (no files), a/x, b.
  const std::string& root = FileSpec::FolderPresets;
  MakeDirs(root + "/a");
  SavePreset(root + "/r1.p", 0.125f);
  SavePreset(root + "/a/x/x1.p", 0.25f);
  SavePreset(root + "/a/x/x2.p", 0.375f);
  SavePreset(root + "/b/b1.p", 0.5f);
  struct STEP {
    const char* folder;
    const char* file;
    float mark;
  };
  const STEP walk[] = {{"", "r1", 0.125f}, {"/a/x", "x1", 0.25f}, {"/a/x", "x2", 0.375f}, {"/b", "b1", 0.5f}};

  // From the last file of the last folder on: the root's file comes next,
  // and every file landed on is loaded.
  editor->InitPresetBrowserCategory(0);
  browser->InitSelection(root + "/b", "b1");
  for (int i = 0; i < 8; ++i) {
    const STEP& s = walk[i % 4];
    ASSERT_TRUE(browser->SelectNextPreset());
    EXPECT_EQ(browser->GetSelectedDirectory(), root + s.folder) << i;
    EXPECT_EQ(browser->GetSelectedFile(), s.file) << i;
    EXPECT_FLOAT_EQ(commands->GetFloatParam(MARK), s.mark) << i;
  }
  // Previous runs the other way round, wrapping from the root to the last
  // folder.
  for (int i = 8; i > 0; --i) {
    const STEP& s = walk[(i + 2) % 4];
    ASSERT_TRUE(browser->SelectPrevPreset());
    EXPECT_EQ(browser->GetSelectedFile(), s.file) << i;
    EXPECT_FLOAT_EQ(commands->GetFloatParam(MARK), s.mark) << i;
  }

  // The window's own next/previous buttons do the same with the browser
  // closed, starting from the remembered preset.
  editor->DoLoadPreset(root + "/a/x/x2.p", true, FileSpec::PresetDlgFilter, ".p");
  Kick(TAG_LCD_NEXT);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(MARK), 0.5f);
  Kick(TAG_LCD_NEXT);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(MARK), 0.125f);
  Kick(TAG_LCD_PREV);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(MARK), 0.5f);
  EXPECT_EQ(editor->GetCategoryFile(0), "b1");
}

TEST_F(PresetBrowserTest, FoldersWithoutFilesVisitEachFolderOnceAndLoadNothing) {
  const std::string& root = FileSpec::FolderPresets;
  for (const char* d : {"a/b", "c"}) MakeDirs(root + "/" + d);
  WriteBytes(root + "/c/readme.txt", "not a preset");
  std::vector<std::string> reads;
  FolderListing::SetReadObserver([](const std::string& path, void* context) {
    static_cast<std::vector<std::string>*>(context)->push_back(path);
  }, &reads);
  editor->InitPresetBrowserCategory(0);
  const std::vector<unsigned char> before = Image();
  reads.clear();
  EXPECT_FALSE(browser->SelectNextPreset());
  // One list read per folder: a, a/b, c and back at the root.
  EXPECT_EQ(reads, (std::vector<std::string>{root + "/a", root + "/a/b", root + "/c", root}));
  EXPECT_FALSE(browser->SelectPrevPreset());
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(browser->GetSelectedFile(), "");
}

TEST_F(PresetBrowserTest, DiskChangesAndBadFilesLeaveTheBrowserUsableAndTheSoundUnchanged) {
  const std::string& root = FileSpec::FolderPresets;
  SavePreset(root + "/Gone/g1.p", 0.25f);
  SavePreset(root + "/Keep/k1.p", 0.5f);
  SavePreset(root + "/Keep/k2.p", 0.625f);
  WriteBytes(root + "/Keep/k0 damaged.p", "MORLAVINE? no: a truncated file");
  MakeDirs(root + "/Plain");
  Browse();
  ASSERT_EQ(tree->GetCount(), 4u);

  // A damaged file: its load fails and the engine keeps its sound; the
  // list stays, and the walk goes on past it.
  tree->ScrollToDir(root + "/Keep");
  ASSERT_EQ(list->GetItems(), (std::vector<std::string>{"k0 damaged", "k1", "k2"}));
  std::vector<unsigned char> before = Image();
  Press(Cell(0));
  EXPECT_EQ(Image(), before);
  EXPECT_TRUE(browser->SelectNextPreset());
  EXPECT_FLOAT_EQ(commands->GetFloatParam(MARK), 0.5f);

  // A file deleted between listing and loading.
  std::remove((root + "/Keep/k2.p").c_str());
  before = Image();
  Press(Cell(2));
  EXPECT_EQ(Image(), before);
  EXPECT_TRUE(Shown());

  // A folder that vanishes while shown, another that turns into a file
  // (it cannot be read): both show no files, and the walk passes them.
  std::remove((root + "/Gone/g1.p").c_str());
  rmdir((root + "/Gone").c_str());
  rmdir((root + "/Plain").c_str());
  WriteBytes(root + "/Plain", "a file now");
  for (const char* f : {"/Gone", "/Plain"}) {
    tree->ScrollToDir(root + f);
    EXPECT_EQ(tree->GetSelectedDirectory(), root + f);
    EXPECT_EQ(list->GetCount(), 0u) << f;
  }
  tree->ScrollToDir(root + "/Keep");
  ASSERT_TRUE(list->SelectFirstFile());  // the damaged one again
  before = Image();
  ASSERT_TRUE(browser->SelectNextPreset());
  EXPECT_EQ(browser->GetSelectedFile(), "k1");
  EXPECT_FLOAT_EQ(commands->GetFloatParam(MARK), 0.5f);
  ASSERT_TRUE(browser->SelectNextPreset());  // past the end: wraps through Plain and the root
  EXPECT_EQ(browser->GetSelectedFile(), "k0 damaged");
  Button(TAG_BROWSER_REFRESH);  // the tree now knows what is left
  EXPECT_EQ(tree->GetCount(), 2u);
  EXPECT_EQ(tree->GetSelectedDirectory(), root);
  EXPECT_TRUE(Shown());

  // The remembered folder of a closed browser vanished: opening shows the
  // root.
  Button(TAG_BROWSER_CLOSE);
  std::remove((root + "/Keep/k0 damaged.p").c_str());
  std::remove((root + "/Keep/k1.p").c_str());
  rmdir((root + "/Keep").c_str());
  Browse();
  EXPECT_EQ(list->GetDirectory(), root);
  EXPECT_EQ(tree->GetCount(), 1u);
}

TEST_F(PresetBrowserTest, NamesThatAreNotUtf8AreShownSafelyAndStillLoad) {
  const std::string& root = FileSpec::FolderPresets;
  const std::string folder = root + "/Bad\xff\xfe";
  SavePreset(folder + "/Lat\xe9n\xc3.p", 0.25f);
  SavePreset(folder + "/Zz.p", 0.5f);
  Browse();
  browser->InitSelection(folder, "");
  ASSERT_EQ(list->GetCount(), 2u);
  EXPECT_EQ(list->GetItems()[0], "Lat\xe9n\xc3");
  EXPECT_EQ(FolderListing::ShowableName(list->GetItems()[0]), "Lat\xef\xbf\xbdn\xef\xbf\xbd");
  EXPECT_EQ(tree->GetSelectedNode()->GetShownName(), "Bad\xef\xbf\xbd\xef\xbf\xbd");
  // The name as on disk loads.
  Press(Cell(0));
  EXPECT_FLOAT_EQ(commands->GetFloatParam(MARK), 0.25f);
  // Drawn, and everything drawn after it too: the cell after the broken
  // name still holds text.
  Press(Cell(1));
  frame->render();
  const CRect second = list->GetItemRect(1);
  bool selectedFill = false;
  for (CCoord x = second.left; x < second.right; x += 4) {
    if (frame->getPixel(static_cast<long>(LIST.h + x), static_cast<long>(LIST.v + second.top + 2)) ==
        CColor(192, 192, 192, 255))
      selectedFill = true;
  }
  EXPECT_TRUE(selectedFill);
}

TEST_F(PresetBrowserTest, LinkLoopsAndFanOutsListInBoundedTime) {
  const std::string& root = FileSpec::FolderPresets;
  MakeDirs(root + "/A/B");
  ASSERT_EQ(symlink("..", (root + "/A/loop").c_str()), 0);        // back to the root
  ASSERT_EQ(symlink("../..", (root + "/A/B/up").c_str()), 0);     // back to the root again
  ASSERT_EQ(symlink("A", (root + "/L").c_str()), 0);              // a second way into A
  ASSERT_EQ(symlink("nowhere", (root + "/dangling").c_str()), 0); // neither file nor folder
  Browse();
  // A through the link is listed once more, but no folder inside itself.
  CDirNode* top = tree->GetTree().GetRoot();
  EXPECT_EQ(Names(top), (std::vector<std::string>{"A", "L"}));
  EXPECT_EQ(Names(top->GetChildren()[0]), (std::vector<std::string>{"B"}));
  EXPECT_EQ(Names(top->GetChildren()[1]), (std::vector<std::string>{"B"}));
  EXPECT_EQ(tree->GetCount(), 5u);

  // Links that double the folders at each of 20 levels: reading stops at
  // the folder limit.
  const std::string store = root + "/.store";
  for (int level = 0; level < 20; ++level) {
    const std::string d = store + "/D" + std::to_string(level);
    MakeDirs(d);
    if (level < 19) {
      for (const char* link : {"/x", "/y"})
        ASSERT_EQ(symlink(("../D" + std::to_string(level + 1)).c_str(), (d + link).c_str()), 0);
    }
  }
  ASSERT_EQ(symlink(".store/D0", (root + "/Fan").c_str()), 0);
  Button(TAG_BROWSER_REFRESH);
  EXPECT_EQ(tree->GetCount(), CDirectoryView::MAX_FOLDERS);
  // A walk over all of them, none with a file, ends.
  EXPECT_FALSE(browser->SelectNextPreset());
}

// The folder limit is spent level by level: a folder whose links fan out
// below it cannot hide the folders next to it, and a deep folder is reached.
TEST_F(PresetBrowserTest, TheFolderLimitKeepsFoldersNearTheRootListed) {
  const std::string& root = FileSpec::FolderPresets;
  const std::string store = root + "/.store";
  for (int level = 0; level < 20; ++level) {
    const std::string d = store + "/D" + std::to_string(level);
    MakeDirs(d);
    if (level < 19) {
      for (const char* link : {"/x", "/y"})
        ASSERT_EQ(symlink(("../D" + std::to_string(level + 1)).c_str(), (d + link).c_str()), 0);
    }
  }
  ASSERT_EQ(symlink(".store/D0", (root + "/A Fan").c_str()), 0);
  MakeDirs(root + "/B Later/Inside");
  MakeDirs(root + "/C Last");
  Browse();
  EXPECT_EQ(tree->GetCount(), CDirectoryView::MAX_FOLDERS);
  CDirNode* top = tree->GetTree().GetRoot();
  EXPECT_EQ(Names(top), (std::vector<std::string>{"A Fan", "B Later", "C Last"}));
  EXPECT_EQ(Names(top->GetChildren()[1]), (std::vector<std::string>{"Inside"}));

  // Forty levels down, without the fan.
  ASSERT_EQ(unlink((root + "/A Fan").c_str()), 0);
  std::string deep = root + "/C Last";
  for (int level = 1; level <= 40; ++level) deep += "/L" + std::to_string(level);
  MakeDirs(deep);
  Button(TAG_BROWSER_REFRESH);
  tree->ScrollToDir(deep);
  ASSERT_NE(tree->GetSelectedNode(), nullptr);
  EXPECT_EQ(tree->GetSelectedNode()->GetPath(), deep);
}

TEST_F(PresetBrowserTest, AFolderOfTwentyThousandFilesListsScrollsAndDraws) {
  const std::string folder = FileSpec::FolderPresets + "/Huge";
  MakeDirs(folder);
  for (int i = 0; i < 20000; ++i) {
    char name[32];
    std::snprintf(name, sizeof(name), "/Preset %05d.p", i);
    std::ofstream(folder + name);
  }
  Browse();
  tree->ScrollToDir(folder);
  ASSERT_EQ(list->GetCount(), 20000u);
  EXPECT_EQ(list->GetItems()[19999], "Preset 19999");
  // A click below the thumb pages down by 57 items.
  Press(CPoint(LIST.h + 545, LIST.v + 300));
  EXPECT_EQ(list->GetFirstItem(), 57u);
  // The thumb can be grabbed and dragged to the end.
  CScrollBar* bar = list->GetScrollBar();
  EXPECT_EQ(bar->getHeaderSize(342), CScrollBar::MIN_THUMB);
  const CCoord thumbTop = LIST.v + (342 - CScrollBar::MIN_THUMB) * bar->getOffset() /
                                       (bar->getContentSize() - bar->getPageSize());
  frame->simulateDrag(CPoint(LIST.h + 545, thumbTop + 4), CPoint(LIST.h + 545, LIST.v + 400));
  EXPECT_EQ(list->GetFirstItem(), 20000u - 57u);
  ASSERT_TRUE(list->SelectLastFile());
  EXPECT_EQ(list->GetFirstItem(), 20000u - 57u);
  frame->render();
  const CRect last = list->GetItemRect(19999);
  EXPECT_EQ(frame->getPixel(static_cast<long>(LIST.h + last.right - 3), static_cast<long>(LIST.v + last.top + 2)),
            CColor(192, 192, 192, 255));
}

TEST_F(PresetBrowserTest, EveryCategoryOpensAtItsOwnFolder) {
  struct CASE {
    unsigned int category;
    const std::string* folder;
    const char* title;
    const char* file;  // listed; the same name with the other extension is not
    const char* other;
  };
  const CASE cases[] = {
      {0, &FileSpec::FolderPresets, "Presets", "p.p", "p.mp"},
      {1, &FileSpec::FolderMseg, "MSEG Presets", "m.mp", "m.p"},
      {2, &FileSpec::FolderArp, "Arpeggiator Presets", "m.mp", "m.p"},
      {3, &FileSpec::FolderGate, "Trancegate Presets", "m.mp", "m.p"},
      {4, &FileSpec::FolderFxMatrix, "FX Matrix Presets", "m.mp", "m.p"},
      {5, &FileSpec::FolderReverb, "Reverb Presets", "m.mp", "m.p"},
      {6, &FileSpec::FolderDelay, "Delay Presets", "m.mp", "m.p"},
      {7, &FileSpec::FolderEchoes, "Echoes Presets", "m.mp", "m.p"},
      {8, &FileSpec::FolderChorus, "Chorus Presets", "m.mp", "m.p"},
      {9, &FileSpec::FolderFlanger, "Flanger Presets", "m.mp", "m.p"},
      {10, &FileSpec::FolderPhaser, "Phaser Presets", "m.mp", "m.p"},
      {11, &FileSpec::FolderDistortion, "Distortion Presets", "m.mp", "m.p"},
      {12, &FileSpec::FolderTremolo, "Tremolo Presets", "m.mp", "m.p"},
      {13, &FileSpec::FolderEq, "EQ Presets", "m.mp", "m.p"},
      {14, &FileSpec::FolderCCMap, "MidiCC Maps", "m.mp", "m.p"},
      {15, &FileSpec::FolderGrainShifter, "GrainShifter Presets", "m.mp", "m.p"},
      {BROWSER_CATEGORY_OSCILLATOR, &FileSpec::FolderOscWaveTables, "Oscillator", "w.wav", "w.mp"},
      {BROWSER_CATEGORY_WAVETABLES, &FileSpec::FolderOscWaveTables2, "Wavetables", "w.wav", "w.mp"},
      {BROWSER_CATEGORY_SAMPLES, &FileSpec::FolderSample, "Samples", "w.wav", "w.mp"},
  };
  for (const CASE& c : cases) {
    WriteBytes(*c.folder + "/" + c.file, "");
    WriteBytes(*c.folder + "/" + c.other, "");
  }
  for (const CASE& c : cases) {
    editor->ShowPresetBrowser(c.category);
    EXPECT_TRUE(Shown());
    EXPECT_EQ(tree->GetTree().GetRoot()->GetPath(), *c.folder) << c.category;
    EXPECT_EQ(tree->GetTree().GetRoot()->GetName(), c.title) << c.category;
    if (c.category == BROWSER_CATEGORY_OSCILLATOR) {
      // An oscillator playing a built-in wave is browsed from its built-in
      // wave file, in the folder the instrument laid out.
      EXPECT_EQ(list->GetDirectory(), FileSpec::BuiltInWaveFolder());
      EXPECT_EQ(list->GetItems().size(), size_t(FileSpec::BUILT_IN_WAVE_COUNT));
      Button(TAG_BROWSER_CLOSE);
      continue;
    }
    EXPECT_EQ(list->GetDirectory(), *c.folder) << c.category;
    const std::string name = std::string(c.file).substr(0, 1);
    EXPECT_EQ(list->GetItems(), std::vector<std::string>{name}) << c.category;
    Button(TAG_BROWSER_CLOSE);
  }
}

TEST_F(PresetBrowserTest, PageLoadsAndTheMidiMapLoadGoThroughTheBrowser) {
  // An arpeggiator module preset: saved with mode 6, loaded back over 2.
  commands->SetIntParam(529, 6);
  {
    CPresetFile file(host->effect->GetGlobalSynth());
    const unsigned int n = commands->SavePreset(file.GetBuffer(), PRESET_KIND_ARP, 0);
    MakeDirs(FileSpec::FolderArp + "/Up");
    ASSERT_TRUE(file.SaveToFile(commands, PRESET_KIND_ARP, n, (FileSpec::FolderArp + "/Up/Six.mp").c_str(), nullptr,
                                nullptr, nullptr, nullptr));
  }
  commands->SetIntParam(529, 2);
  CArpView* arp = editor->GetArpView();
  CControl* load = CEditor::getViewControlByTag(arp, 68257);
  ASSERT_NE(load, nullptr);
  load->setValue(1.f);
  arp->valueChanged(load);
  load->setValue(0.f);
  arp->valueChanged(load);
  ASSERT_TRUE(Shown());
  EXPECT_EQ(browser->GetRoot(), FileSpec::FolderArp);
  Press(Row(1));  // the folder Up
  Press(Cell(0), kLButton | kDoubleClick);
  EXPECT_EQ(commands->GetIntParam(529), 6u);
  EXPECT_FALSE(Shown());

  // "Load MidiCC map..." opens the maps' folder; the chosen map is loaded
  // and becomes the default map.
  CMidiMap* map = host->effect->GetMidiMap();
  map->AssignMidiCC(20, 36);
  {
    CPresetFile file(host->effect->GetGlobalSynth());
    const unsigned int n = commands->SavePreset(file.GetBuffer(), PRESET_KIND_CC_MAP, 0);
    MakeDirs(FileSpec::FolderCCMap);
    ASSERT_TRUE(file.SaveToFile(commands, PRESET_KIND_CC_MAP, n, (FileSpec::FolderCCMap + "/Mine.mp").c_str(),
                                nullptr, nullptr, nullptr, nullptr));
  }
  map->ResetMidiMap();
  ASSERT_EQ(map->GetAssignedMidiCC(36), -1);
  ChooseMenuEntry("Load MidiCC map...");
  Kick(TAG_LCD_MENU);
  ASSERT_TRUE(Shown());
  EXPECT_EQ(browser->GetTitle(), "MidiCC Maps");
  Press(Cell(0));
  EXPECT_EQ(map->GetAssignedMidiCC(36), 20);
  EXPECT_EQ(host->effect->GetGlobalSynth()->GetDefaultMidiMapPath(), FileSpec::FolderCCMap + "/Mine.mp");
  host->effect->GetGlobalSynth()->SetDefaultMidiMapPath("");
}

TEST_F(PresetBrowserTest, OpenBrowserDrawsTheTreeAndTheFilesFromTheDataFolder) {
  const std::string& root = FileSpec::FolderPresets;
  SavePreset(root + "/Basses/Deep.p", 0.25f);
  for (const char* f : {"Acid.p", "Round.p", "Sub.p"}) WriteBytes(root + "/Basses/" + f, "");
  MakeDirs(root + "/Leads");
  editor->DoLoadPreset(root + "/Basses/Deep.p", true, FileSpec::PresetDlgFilter, ".p");
  Browse();
  frame->render();
  // The selected folder's row and the selected file's cell are filled.
  EXPECT_EQ(Rows(), (std::vector<std::string>{"Presets", "Basses", "Leads"}));
  EXPECT_EQ(frame->getPixel(static_cast<long>(TREE.h + 190), static_cast<long>(TREE.v + 17 + 8)),
            CColor(192, 192, 192, 255));
  ASSERT_EQ(list->GetSelectedItemIndex(), 1);
  const CRect selected = list->GetItemRect(1);
  EXPECT_EQ(frame->getPixel(static_cast<long>(LIST.h + selected.right - 3), static_cast<long>(LIST.v + selected.top + 2)),
            CColor(192, 192, 192, 255));
  // Names are drawn: light text in the other cells and rows.
  auto hasText = [this](const CRect& r) {
    for (long y = static_cast<long>(r.top); y < static_cast<long>(r.bottom); ++y)
      for (long x = static_cast<long>(r.left); x < static_cast<long>(r.right); ++x)
        if (frame->getPixel(x, y).red > 150) return true;
    return false;
  };
  CRect cell = list->GetItemRect(0);
  cell.offset(LIST.h, LIST.v);
  EXPECT_TRUE(hasText(CRect(cell.left, cell.top, cell.left + 60, cell.bottom)));
  EXPECT_TRUE(hasText(CRect(TREE.h + 15, TREE.v + 34, TREE.h + 80, TREE.v + 50)));  // "Leads"
  // An empty cell stays the well's colour.
  EXPECT_FALSE(hasText(CRect(LIST.h + 200, LIST.v + 100, LIST.h + 260, LIST.v + 115)));
}

TEST_F(PresetBrowserTest, FoldersAreReadOnTheEditorThreadWithoutTheEngineLock) {
  const std::string& root = FileSpec::FolderPresets;
  SavePreset(root + "/A/a1.p", 0.25f);
  SavePreset(root + "/B/b1.p", 0.5f);
  struct WATCH {
    CAccessLock* engine;
    std::thread::id thread;
    int reads = 0;
    int offThread = 0;
    int locked = 0;
  } watch{&host->effect->GetVoiceManager()->GetParamHandler()->GetLock(), std::this_thread::get_id()};
  FolderListing::SetReadObserver([](const std::string&, void* context) {
    WATCH* w = static_cast<WATCH*>(context);
    ++w->reads;
    if (std::this_thread::get_id() != w->thread) ++w->offThread;
    // Free for another thread (the render thread) while the folder is read.
    bool free = false;
    std::thread([&] {
      free = w->engine->TryLock();
      if (free) w->engine->Unlock();
    }).join();
    if (!free) ++w->locked;
  }, &watch);

  editor->DoLoadPreset(root + "/A/a1.p", true, FileSpec::PresetDlgFilter, ".p");
  void* chunk = nullptr;
  const VstInt32 size = host->effect->getChunk(&chunk, false);
  std::vector<unsigned char> state(static_cast<unsigned char*>(chunk), static_cast<unsigned char*>(chunk) + size);
  Browse();
  Kick(TAG_LCD_NEXT);
  Button(TAG_BROWSER_PREV);
  Button(TAG_BROWSER_REFRESH);
  Press(Cell(0));
  EXPECT_GT(watch.reads, 0);

  // A state restored on another thread reads no folder; the browser shows
  // the restored preset from the editor's next tick.
  tree->ScrollToDir(root + "/B");
  const int reads = watch.reads;
  std::thread([&] { host->effect->setChunk(state.data(), static_cast<VstInt32>(state.size()), false); }).join();
  EXPECT_EQ(watch.reads, reads);
  EXPECT_EQ(list->GetDirectory(), root + "/B");
  editor->notify(nullptr, CVSTGUITimer::kMsgTimer);
  EXPECT_GT(watch.reads, reads);
  EXPECT_EQ(list->GetDirectory(), root + "/A");
  EXPECT_EQ(list->GetSelectedName(), "a1");
  EXPECT_EQ(watch.offThread, 0);
  EXPECT_EQ(watch.locked, 0);
}

TEST(FolderListing, NamesBecomeValidUtf8AndSortAsTheBrowserOrdersThem) {
  const std::string R = "\xEF\xBF\xBD";  // U+FFFD
  const struct {
    std::string name, shown;
  } names[] = {
      {"Plain", "Plain"},
      {"Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB9", "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB9"},
      {"L\xE9n", "L" + R + "n"},                  // Latin-1
      {"\xC0\xAFx", R + R + "x"},                 // overlong
      {"\xED\xA0\x80", R + R + R},               // surrogate
      {"end\xE2\x82", "end" + R + R},             // cut short
      {"\xF4\x90\x80\x80", R + R + R + R},      // beyond U+10FFFF
  };
  for (const auto& n : names) EXPECT_EQ(FolderListing::ShowableName(n.name), n.shown) << n.shown;

  std::vector<std::string> order = {"bass2", "Zeta", "Bass", "alpha", "BASS", "Beta", "\xC3\xA9t\xC3\xA9", "_x", "9"};
  std::sort(order.begin(), order.end(), FolderListing::SortPredicate);
  EXPECT_EQ(order, (std::vector<std::string>{"9", "alpha", "BASS", "Bass", "bass2", "Beta", "Zeta", "_x",
                                             "\xC3\xA9t\xC3\xA9"}));
}

}  // namespace
