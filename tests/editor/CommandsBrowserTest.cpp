// Editor commands, the main menu, browser categories and the editor's file
// loading and saving, against a temporary data folder.
#include <sys/stat.h>

#include <cstdio>
#include <fstream>

#include "EditorFixture.h"
#include "editor/ListControl.h"
#include "editor/ModeSelector.h"
#include "editor/ModulatedKnob.h"
#include "editor/StringLists.h"
#include "editor/XYControl.h"
#include "editor/pages/MiniPresetBrowser.h"
#include "editor/pages/Overlays.h"
#include "editor/pages/Recorder.h"
#include "editor/pages/SampleEditor.h"
#include "editor/pages/Pages.h"
#include "editor/pages/PresetBrowser.h"
#include "engine/FolderLayout.h"
#include "engine/GlobalSynth.h"
#include "engine/MidiMap.h"
#include "engine/PresetFile.h"
#include "osc/WaveLib.h"

namespace {

void MakeDirs(const std::string& path) {
  std::string partial;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      if (!partial.empty()) mkdir(partial.c_str(), 0755);
    }
    if (i < path.size()) partial += path[i];
  }
}

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

void CopyFile(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  std::ofstream out(to, std::ios::binary);
  out << in.rdbuf();
}

void WriteWav(const std::string& path) {
  std::vector<float> samples(256, 0.25f);
  float* channels[2] = {samples.data(), samples.data()};
  ASSERT_TRUE(WaveLib::saveToFile(path.c_str(), channels, 2, 44100.f, 256));
}

}  // namespace

class CEditorFilesTest : public CEditorTest {
 protected:
  // Saves the engine's whole preset as a file at path (folders created).
  void SavePresetAt(const std::string& path) {
    MakeDirs(path.substr(0, path.find_last_of('/')));
    CPresetFile file(host->effect->GetGlobalSynth());
    unsigned int n = commands->SavePreset(file.GetBuffer(), 0, 0);
    ASSERT_TRUE(file.SaveToFile(commands, 0, n, path.c_str(), nullptr, nullptr, nullptr, nullptr)) << path;
  }
  std::string Name16(unsigned int osc) {
    char bytes[16];
    for (unsigned int k = 0; k < 4; ++k) {
      float w = commands->GetFloatParam(67141 + 4 * osc + k);
      std::memcpy(bytes + 4 * k, &w, 4);
    }
    return std::string(bytes, 16);
  }
};

TEST_F(CEditorTest, NewPresetLoadsTheDefaultOnReleaseOnly) {
  Open();
  const float factory = commands->GetFloatParam(132);
  commands->SetFloatParam(132, factory == 0.25f ? 0.5f : 0.25f);
  const float changed = commands->GetFloatParam(132);
  Change(TAG_LCD_NEW, 1.f);
  EXPECT_EQ(commands->GetFloatParam(132), changed);
  Change(TAG_LCD_NEW, 0.f);
  EXPECT_EQ(commands->GetFloatParam(132), factory);
  EXPECT_FLOAT_EQ(Control(132)->getValue(), factory);  // the window follows
}

TEST_F(CEditorTest, MainMenuEntriesAndTheirDefaults) {
  Open();
  IGlobalSynth* synth = host->effect->GetGlobalSynth();
  synth->SetDefaultAuthorName("");
  SetAuthorDialogResponder([](const std::string& shown, std::string& saved) {
    saved = "Ann Author";
    return true;
  });
  ChooseMenuEntry("Set default author name (not set)...");
  Kick(TAG_LCD_MENU);
  ASSERT_EQ(menusShown, 1);  // shown once, on release
  EXPECT_EQ(synth->GetDefaultAuthorName(), "Ann Author");
  const std::vector<std::string> expected = {"Set default author name (not set)...", "-", "Factory reset",
                                             "Set current preset as default", "Clear default preset", "-",
                                             "Load MidiCC map...", "Save MidiCC map...", "Reset MidiCC map"};
  EXPECT_EQ(shownMenus[0], expected);

  // Cancelled: the name stays.
  SetAuthorDialogResponder(nullptr);
  ChooseMenuEntry("Set default author name (Ann Author)...");
  Kick(TAG_LCD_MENU);
  EXPECT_EQ(synth->GetDefaultAuthorName(), "Ann Author");

  // No remembered preset: the default preset path stays.
  synth->SetDefaultPresetPath("/somewhere/keep.p");
  ChooseMenuEntry("Set current preset as default");
  Kick(TAG_LCD_MENU);
  EXPECT_EQ(synth->GetDefaultPresetPath(), "/somewhere/keep.p");
  ChooseMenuEntry("Clear default preset");
  Kick(TAG_LCD_MENU);
  EXPECT_EQ(synth->GetDefaultPresetPath(), "");

  CMidiMap* map = host->effect->GetMidiMap();
  map->AssignMidiCC(20, 36);
  synth->SetDefaultMidiMapPath("/somewhere/map.mp");
  ChooseMenuEntry("Reset MidiCC map");
  Kick(TAG_LCD_MENU);
  EXPECT_EQ(map->GetAssignedMidiCC(36), -1);
  EXPECT_EQ(map->GetParamID(1), 1577u);
  EXPECT_EQ(synth->GetDefaultMidiMapPath(), "");

  // Dismissed: nothing happens.
  ChooseMenuEntry("");
  commands->SetFloatParam(132, 0.125f);
  Kick(TAG_LCD_MENU);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(132), 0.125f);
  ChooseMenuEntry("Factory reset");
  Kick(TAG_LCD_MENU);
  EXPECT_NE(commands->GetFloatParam(132), 0.125f);
}

TEST_F(CEditorTest, EditButtonOpensTheEditorOfTheOscillatorType) {
  Open();
  commands->SetIntParam(430, 3);
  Change(TAG_OSC_EDIT, 1.f);
  EXPECT_EQ(commands->GetIntParam(430), 55u);
  EXPECT_TRUE(frame->isChild(editor->GetWaveTableEditor()));
  EXPECT_EQ(editor->GetWaveTableEditor()->GetOscInstance(), 0u);
  commands->SetIntParam(432, 56);
  Change(TAG_OSC_EDIT + 2, 1.f);
  EXPECT_TRUE(frame->isChild(editor->GetSampleEditor()));
  EXPECT_EQ(editor->GetSampleEditor()->GetOscInstance(), 2u);
  EXPECT_EQ(editor->GetCategoryInstance(), 2u);
  // Sample oscillators: pads and morph knobs off, effect lists show the
  // grain settings, loop and grain buttons.
  editor->updateMainView();
  EXPECT_FALSE(editor->GetOscPad(2)->IsEnabled());
  EXPECT_TRUE(editor->GetOscPad(1)->IsEnabled());
  CListControl* slot = static_cast<CListControl*>(Control(454 + 4 * 1 + 2));
  EXPECT_FALSE(slot->IsEnabled());
  EXPECT_STREQ(Control(428)->getBackground()->getResourceName(), "GuiOscSmpGrainButton.png");
  EXPECT_STREQ(Control(444)->getBackground()->getResourceName(), "GuiOscSmpLoopButton.png");
  EXPECT_STREQ(Control(427)->getBackground()->getResourceName(), "GuiOscInvButton.png");
  // Grain off: the slot knobs are off too; grain on turns them on.
  commands->SetFloatParam(428, 0.f);
  editor->updateMainView();
  EXPECT_FALSE(static_cast<CModulatedKnob*>(Control(14))->IsEnabled());
  commands->SetFloatParam(428, 1.f);
  editor->updateMainView();
  EXPECT_TRUE(static_cast<CModulatedKnob*>(Control(14))->IsEnabled());
  EXPECT_FALSE(static_cast<CModulatedKnob*>(Control(78))->IsEnabled());  // phase
  // The name button shows the type's wave name.
  commands->SetIntParam(431, 7);
  editor->updateMainView();
  EXPECT_STREQ(static_cast<CTextButton*>(Control(431))->getText(), "Fatty 4");
}

TEST_F(CEditorTest, PageSelectorShowsOnePageAndSurvivesReopening) {
  Open();
  EXPECT_EQ(Control(TAG_VIEW_PAGE)->getValue(), 1.f);
  EXPECT_TRUE(editor->GetModView()->isVisible());
  EXPECT_FALSE(editor->GetFxView()->isVisible());
  Change(TAG_VIEW_PAGE, 2.f);
  EXPECT_TRUE(editor->GetFxView()->isVisible());
  EXPECT_FALSE(editor->GetModView()->isVisible());
  EXPECT_FALSE(editor->GetArpView()->isVisible());
  Change(TAG_VIEW_PAGE, 0.f);
  EXPECT_TRUE(editor->GetArpView()->isVisible());
  // Reopening builds fresh controls that show the page and the shown
  // instances chosen last.
  editor->GetSelectors()[2] = 3;
  CControl* before = Control(TAG_VIEW_PAGE);
  Close();
  Open();
  EXPECT_NE(Control(TAG_VIEW_PAGE), nullptr);
  EXPECT_EQ(editor->GetViewPage(), 0);
  EXPECT_EQ(Control(TAG_VIEW_PAGE)->getValue(), 0.f);
  EXPECT_TRUE(editor->GetArpView()->isVisible());
  EXPECT_EQ(editor->GetSelectors()[2], 3u);
  (void)before;
}

TEST_F(CEditorTest, OpeningTwiceKeepsOneWindowAndClosingStopsRecording) {
  const int timersBefore = CVSTGUITimer::getRunningCount();
  Open();
  CFrame* first = frame;
  Open();
  EXPECT_NE(editor->getFrame(), nullptr);
  EXPECT_EQ(CVSTGUITimer::getRunningCount(), timersBefore + 1);
  (void)first;
  // Fresh controls hold their defaults.
  EXPECT_EQ(Control(454)->getDefaultValue(), 1.f);
  EXPECT_EQ(Control(434)->getDefaultValue(), 4.f);
  EXPECT_EQ(Control(438)->getDefaultValue(), 7.f);
  EXPECT_EQ(Control(490)->getDefaultValue(), 7.f);

  Kick(TAG_RECORD);
  EXPECT_TRUE(frame->isChild(editor->GetRecorder()));
  commands->StartRecording();
  EXPECT_TRUE(commands->IsRecordingActive());
  Close();
  EXPECT_FALSE(commands->IsRecordingActive());
  EXPECT_EQ(CVSTGUITimer::getRunningCount(), timersBefore);
  EXPECT_EQ(editor->GetRegisteredKnob(36), nullptr);
  // A mapped controller while closed changes nothing in the editor.
  host->SendMidi({{0xB0, 1, 90}});
  host->Render(64);
  EXPECT_EQ(editor->GetMorphPad(), nullptr);
}

TEST_F(CEditorFilesTest, SaveRemembersTheFolderOnlyWhenWritten) {
  Open();
  const std::string folder = editor->GetCurrentPresetFolder();
  Kick(TAG_LCD_SAVE);  // cancelled
  EXPECT_EQ(editor->GetCurrentPresetFolder(), folder);
  EXPECT_TRUE(editor->GetCategoryFile(0).empty());

  const std::string bank = FileSpec::FolderPresets + "/Bank";
  MakeDirs(bank);
  std::string askedFolder;
  SetFileDialogResponder([&](bool save, const char* f, const char*, const char*, std::string& chosen) {
    askedFolder = f ? f : "";
    chosen = bank + "/Lead.p";
    return save;
  });
  Kick(TAG_LCD_SAVE);
  EXPECT_EQ(askedFolder, folder);
  EXPECT_TRUE(Exists(bank + "/Lead.p"));
  EXPECT_EQ(editor->GetCurrentPresetFolder(), bank);
  EXPECT_EQ(editor->GetCategoryFolder(0), bank);
  EXPECT_EQ(editor->GetCategoryFile(0), "Lead");
  EXPECT_EQ(editor->GetPresetBrowser()->GetSelectedFile(), "Lead");

  // "Set current preset as default" now has a selection.
  ChooseMenuEntry("Set current preset as default");
  Kick(TAG_LCD_MENU);
  EXPECT_EQ(host->effect->GetGlobalSynth()->GetDefaultPresetPath(), bank + "/Lead.p");
  host->effect->GetGlobalSynth()->SetDefaultPresetPath("");
}

TEST_F(CEditorFilesTest, CategoriesFollowTheChosenFolder) {
  Open();
  editor->InitPresetBrowserCategory(20);
  EXPECT_EQ(editor->GetBrowserCategory(), 0u);
  EXPECT_EQ(editor->GetPresetBrowser()->GetRoot(), FileSpec::FolderPresets);
  EXPECT_EQ(editor->GetPresetBrowser()->GetTitle(), "Presets");

  // A sample picked while browsing oscillator waves loads as a sample.
  MakeDirs(FileSpec::FolderSample);
  WriteWav(FileSpec::FolderSample + "/kick.wav");
  editor->SetCategoryInstance(1);
  editor->InitPresetBrowserCategory(BROWSER_CATEGORY_OSCILLATOR);
  editor->GetPresetBrowser()->InitSelection(FileSpec::FolderSample, "kick");
  editor->OnFileSelected(false);
  EXPECT_EQ(editor->GetBrowserCategory(), BROWSER_CATEGORY_SAMPLES);
  EXPECT_EQ(commands->GetIntParam(431), 56u);
  EXPECT_EQ(std::string(commands->GetLoadedSamplePath(1)), FileSpec::FolderSample + "/kick.wav");
  EXPECT_EQ(editor->GetOscFile(1), "kick");

  // A file under the wavetables folder counts as the oscillator category;
  // the memory is per oscillator.
  editor->SetCategoryInstance(3);
  editor->InitPresetBrowserCategory(BROWSER_CATEGORY_WAVETABLES);
  editor->GetPresetBrowser()->InitSelection(FileSpec::FolderOscWaveTables2, "missing");
  editor->OnFileSelected(false);
  EXPECT_EQ(editor->GetBrowserCategory(), BROWSER_CATEGORY_OSCILLATOR);
  EXPECT_EQ(editor->GetOscFolder(3), FileSpec::FolderOscWaveTables2);
  EXPECT_EQ(editor->GetOscFile(3), "missing");
  EXPECT_EQ(editor->GetOscFile(1), "kick");
}

TEST_F(CEditorFilesTest, LoadedPresetsSetTheMemoriesTheyShould) {
  Open();
  // Oscillator 2 on computed wave 7, saved outside the presets folder.
  commands->SetIntParam(431, 7);
  const std::string outside = host->effect->GetGlobalSynth()->GetDefaultPresetPath().empty()
                                  ? FileSpec::PluginDataPath + "/Elsewhere/Out.p"
                                  : std::string();
  SavePresetAt(outside);
  editor->DoLoadPreset(FileSpec::FolderPresets + "/nothing-here.p", true, FileSpec::PresetDlgFilter, ".p");
  EXPECT_TRUE(editor->GetCategoryFile(0).empty());  // a failed load changes nothing
  commands->SetIntParam(431, 0);
  editor->DoLoadPreset(outside, true, FileSpec::PresetDlgFilter, ".p");
  EXPECT_EQ(commands->GetIntParam(431), 7u);
  EXPECT_TRUE(editor->GetCategoryFile(0).empty());  // outside the presets folder
  EXPECT_EQ(editor->GetOscFolder(1), FileSpec::FolderOscWaveTables + "/Built-In");
  EXPECT_EQ(editor->GetOscFile(1), "Fatty 4");

  const std::string inside = FileSpec::FolderPresets + "/Factory/Pad.p";
  SavePresetAt(inside);
  editor->DoLoadPreset(inside, true, FileSpec::PresetDlgFilter, ".p");
  EXPECT_EQ(editor->GetCategoryFolder(0), FileSpec::FolderPresets + "/Factory");
  EXPECT_EQ(editor->GetCategoryFile(0), "Pad");
  EXPECT_EQ(editor->GetMiniBrowser()->GetPresetName(), editor->GetPresetName());
}

TEST_F(CEditorFilesTest, WavetableNamesComeFromTheSavedFileName) {
  Open();
  const std::string before = Name16(0);
  EXPECT_FALSE(editor->SaveWaveTablePreset(0));  // cancelled
  EXPECT_EQ(Name16(0), before);
  MakeDirs(FileSpec::FolderOscWaveTables2);
  std::string name = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  SetFileDialogResponder([&](bool save, const char*, const char*, const char*, std::string& chosen) {
    chosen = FileSpec::FolderOscWaveTables2 + "/" + name + ".wav";
    return true;
  });
  EXPECT_TRUE(editor->SaveWaveTablePreset(0));
  EXPECT_EQ(Name16(0), std::string("ABCDEFGHIJKLMNO") + std::string(1, '\0'));
  name = "Pads";
  EXPECT_TRUE(editor->SaveWaveTablePreset(2));
  EXPECT_EQ(Name16(2), std::string("Pads") + std::string(12, '\0'));
}

TEST_F(CEditorFilesTest, MiniBrowserMenuHasColumnsOfTwentyFive) {
  Open();
  const std::string folder = FileSpec::FolderPresets + "/Sixty";
  SavePresetAt(folder + "/P00.p");
  for (int i = 1; i < 60; ++i) {
    char name[32];
    std::snprintf(name, sizeof(name), "/P%02d.p", i);
    CopyFile(folder + "/P00.p", folder + name);
  }
  editor->InitPresetBrowserCategorySelection(folder + "/P00.p");
  std::vector<long> breaks;
  long entries = 0;
  frame->setMenuChooser([&](COptionMenu* root, COptionMenu*& menu, long& index) {
    entries = root->getNbEntries();
    for (long i = 0; i < root->getNbEntries(); ++i) {
      if (root->getEntry(i)->isColumnBreak()) breaks.push_back(i);
    }
    return root->findEntry("P37", menu, index);
  });
  Change(TAG_MINI_BROWSER, 1.f);
  EXPECT_EQ(entries, 60);
  EXPECT_EQ(breaks, (std::vector<long>{25, 50}));
  EXPECT_EQ(editor->GetCategoryFile(0), "P37");
  EXPECT_EQ(std::string(editor->GetPresetPath()), folder + "/P37.p");
}

TEST(DefaultAuthorDialog, AnswersTheEditOnSaveAndTheGivenNameOnCancel) {
  CDlgDefaultAuthor dialog;
  EXPECT_EQ(dialog.GetDefaultAuthor(nullptr, "Given"), "Given");  // no user: cancelled
  std::string shown;
  SetAuthorDialogResponder([&](const std::string& name, std::string& saved) {
    shown = name;
    saved = "";
    return true;
  });
  EXPECT_EQ(dialog.GetDefaultAuthor(nullptr, "Given"), "");
  EXPECT_EQ(shown, "Given");
  SetAuthorDialogResponder([](const std::string&, std::string& saved) {
    saved = "Edited";
    return false;
  });
  EXPECT_EQ(dialog.GetDefaultAuthor(nullptr, "Given"), "Given");
  SetAuthorDialogResponder(nullptr);
}
