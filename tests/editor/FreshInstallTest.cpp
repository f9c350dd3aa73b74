// The editor on a data folder nothing has been written to yet: the built-in
// waves can be stepped through and browsed, every save either writes its
// file or tells the user why not, the dialogs start in the category's
// folder and module saves propose a name; the browser lists files whatever
// the case of their extension and scrolls with the wheel.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "EditorFixture.h"
#include "editor/StringLists.h"
#include "editor/pages/DirectoryView.h"
#include "editor/pages/FileView.h"
#include "editor/pages/PresetBrowser.h"
#include "engine/FolderLayout.h"
#include "engine/GlobalSynth.h"
#include "engine/PresetFile.h"
#include "support/TempDataDir.h"

namespace {

// The user's answers to the save and open dialogs, and the messages shown.
struct DIALOGS {
  std::vector<std::string> folders;  // where each dialog started
  std::vector<std::string> names;    // the proposed names
  std::vector<std::string> messages;
  std::string answer;                // the path chosen ("" cancels)
};

}  // namespace

class FreshInstallTest : public CEditorTest {
 protected:
  void SetUp() override {
    // The data root is this test's own, fresh one (made before the
    // instrument, which lays it out).
    ASSERT_TRUE(data.Valid());
    CEditorTest::SetUp();
    SetFileDialogResponder([this](bool, const char* folder, const char*, const char* name, std::string& chosen) {
      dialogs.folders.push_back(folder ? folder : "");
      dialogs.names.push_back(name ? name : "");
      chosen = dialogs.answer;
      return !chosen.empty();
    });
    SetMessageResponder([this](const std::string& text) { dialogs.messages.push_back(text); });
  }
  void TearDown() override {
    SetMessageResponder(nullptr);
    CEditorTest::TearDown();
  }
  unsigned int Osc1Mode() { return commands->GetIntParam(430); }

  CTempDataDir data;
  DIALOGS dialogs;
};

TEST_F(FreshInstallTest, Osc1StepsThroughAllBuiltInWavesAndBackAndTheBrowserListsThem) {
  Open();
  const unsigned int first = Osc1Mode();
  ASSERT_LT(first, 55u);
  // Forward: every built-in wave once, in the browser's name order, the
  // stored mode following the file's wave number; then round to the start.
  std::vector<unsigned int> forward;
  for (int i = 0; i < 55; ++i) {
    Kick(TAG_OSC_NEXT);
    forward.push_back(Osc1Mode());
  }
  EXPECT_EQ(forward.back(), first);
  std::set<unsigned int> seen(forward.begin(), forward.end());
  EXPECT_EQ(seen.size(), 55u);
  EXPECT_EQ(*seen.rbegin(), 54u);
  // The name the browser selected is the wave's file name.
  EXPECT_EQ(editor->GetPresetBrowser()->GetSelectedFile(), slGenWaveformFiles[Osc1Mode()]);
  // Back: the same waves in reverse order.
  std::vector<unsigned int> backward;
  for (int i = 0; i < 55; ++i) {
    Kick(TAG_OSC_PREV);
    backward.push_back(Osc1Mode());
  }
  std::vector<unsigned int> expected(forward.rbegin() + 1, forward.rend());
  expected.push_back(first);
  EXPECT_EQ(backward, expected);

  // The name button opens the "Oscillator" browser at the built-in folder,
  // which lists the 55 names.
  Change(430, 1.f);
  CPresetBrowser* browser = editor->GetPresetBrowser();
  EXPECT_EQ(browser->GetTitle(), "Oscillator");
  EXPECT_EQ(browser->GetSelectedDirectory(), FileSpec::BuiltInWaveFolder());
  std::vector<std::string> names = browser->GetFileNames();
  std::vector<std::string> all(slGenWaveformFiles.begin(), slGenWaveformFiles.end());
  std::sort(names.begin(), names.end());
  std::sort(all.begin(), all.end());
  EXPECT_EQ(names, all);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FreshInstallTest, SavesOnAFreshFolderWriteAndFailedSavesSayWhy) {
  Open();
  struct SAVE {
    const char* what;
    std::string folder;  // where its dialog should start
    std::function<void()> run;
    const char* file;
  } saves[] = {
      {"preset", FileSpec::FolderPresets, [this] { Kick(TAG_LCD_SAVE); }, "a.p"},
      {"reverb module", FileSpec::FolderReverb, [this] { editor->OnSaveModulePreset(PRESET_KIND_REVERB, 0); },
       "a.mp"},
      {"MSEG module", FileSpec::FolderMseg, [this] { editor->OnSaveModulePreset(PRESET_KIND_MSEG, 0); }, "a.mp"},
      {"wavetable", FileSpec::FolderOscWaveTables2, [this] { editor->SaveWaveTablePreset(0); }, "a.wav"},
  };
  for (SAVE& s : saves) {
    SCOPED_TRACE(s.what);
    dialogs = DIALOGS();
    dialogs.answer = s.folder + "/" + s.file;
    s.run();
    ASSERT_EQ(dialogs.folders.size(), 1u);
    EXPECT_EQ(dialogs.folders[0], s.folder);
    // Every save proposes a name.
    EXPECT_FALSE(dialogs.names[0].empty());
    struct stat st;
    EXPECT_EQ(stat(dialogs.answer.c_str(), &st), 0);
    EXPECT_TRUE(dialogs.messages.empty());

    // Into a folder that is not there: nothing written, and the user is told.
    dialogs = DIALOGS();
    dialogs.answer = s.folder + "/gone/" + s.file;
    s.run();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find(dialogs.answer), std::string::npos) << dialogs.messages[0];

    // Cancelled: no message.
    dialogs = DIALOGS();
    s.run();
    EXPECT_TRUE(dialogs.messages.empty());
  }
  EXPECT_EQ(dialogs.names.size(), 1u);
  dialogs = DIALOGS();
  editor->OnSaveModulePreset(PRESET_KIND_REVERB, 0);
  EXPECT_EQ(dialogs.names, (std::vector<std::string>{"Reverb"}));
}

TEST_F(FreshInstallTest, OpenDialogsStartInTheCategoryFolderAndAFailedLoadChangesNothing) {
  Open();
  const float before = commands->GetFloatParam(132);
  dialogs.answer = FileSpec::FolderPresets + "/missing.p";
  Kick(TAG_LCD_LOAD);
  ASSERT_EQ(dialogs.folders.size(), 1u);
  EXPECT_EQ(dialogs.folders[0], FileSpec::FolderPresets);
  EXPECT_EQ(commands->GetFloatParam(132), before);
  EXPECT_EQ(editor->GetCategoryFile(0), "");
}

TEST_F(FreshInstallTest, FilesAreListedAndLoadedWhateverTheCaseOfTheirExtension) {
  Open();
  const std::string bank = FileSpec::FolderPresets + "/Case";
  ASSERT_EQ(mkdir(bank.c_str(), 0755), 0);
  // A preset saved under an upper-case extension, with a changed knob.
  commands->SetFloatParam(132, 0.125f);
  CPresetFile file(host->effect->GetGlobalSynth());
  const unsigned int n = commands->SavePreset(file.GetBuffer(), 0, 0);
  ASSERT_TRUE(file.SaveToFile(commands, 0, n, (bank + "/Upper.P").c_str(), nullptr, nullptr, nullptr, nullptr));
  commands->SetFloatParam(132, 0.75f);
  editor->InitPresetBrowserCategorySelection(bank + "/Upper.P");
  editor->ShowPresetBrowser(0);
  CPresetBrowser* browser = editor->GetPresetBrowser();
  browser->GetFileView()->SetDirectory(bank);
  EXPECT_EQ(browser->GetFileNames(), (std::vector<std::string>{"Upper"}));
  browser->GetFileView()->SelectPreset("Upper");
  EXPECT_FLOAT_EQ(commands->GetFloatParam(132), 0.125f);
}

TEST_F(FreshInstallTest, TheWheelScrollsTheFileListAndTheFolderTree) {
  Open();
  const std::string many = FileSpec::FolderPresets + "/Many";
  ASSERT_EQ(mkdir(many.c_str(), 0755), 0);
  for (int i = 0; i < 120; ++i) {
    char name[64];
    std::snprintf(name, sizeof(name), "/P%03d.p", i);
    FILE* f = std::fopen((many + name).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    std::snprintf(name, sizeof(name), "/F%03d", i);
    ASSERT_EQ(mkdir((FileSpec::FolderPresets + name).c_str(), 0755), 0);
  }
  editor->ShowPresetBrowser(0);
  CPresetBrowser* browser = editor->GetPresetBrowser();
  browser->InitRoot(FileSpec::FolderPresets, "Presets");
  ASSERT_GT(browser->GetDirectoryView()->GetCount(), CDirectoryView::VISIBLE_ROWS);
  browser->GetFileView()->SetDirectory(many);
  struct PANE {
    CView* view;
    std::function<unsigned int()> first;
  } panes[] = {
      {browser->GetFileView(), [browser] { return browser->GetFileView()->GetFirstItem(); }},
      {browser->GetDirectoryView(), [browser] { return browser->GetDirectoryView()->GetFirstRow(); }},
  };
  for (PANE& p : panes) {
    // The wheel over the pane's middle, in frame coordinates.
    CRect r = p.view->getViewSize();
    CPoint at((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    p.view->getParentView()->localToFrame(at);
    ASSERT_EQ(p.first(), 0u);
    frame->onWheel(at, -1.f, 0);
    const unsigned int down = p.first();
    EXPECT_GT(down, 0u);
    frame->onWheel(at, -1.f, 0);
    EXPECT_GT(p.first(), down);
    frame->onWheel(at, 1.f, 0);
    frame->onWheel(at, 1.f, 0);
    frame->onWheel(at, 1.f, 0);
    EXPECT_EQ(p.first(), 0u);
  }
}
