// Browser categories and the editor's file loading and saving: which folder,
// title and extension the browser shows per category, the remembered
// selection of every category and oscillator, and the loads and saves that
// go through the editor's file object.
#include <cstring>
#include <string>

#include "editor/Editor.h"
#include "engine/PresetFile.h"
#include "editor/EditorTags.h"
#include "editor/PopupMenu.h"
#include "editor/StringLists.h"
#include "editor/pages/FolderListing.h"
#include "editor/pages/MiniPresetBrowser.h"
#include "editor/pages/PresetBrowser.h"
#include "engine/FolderLayout.h"
#include "engine/FileUtils.h"
#include "engine/ICommandHandler.h"
#include "engine/IGlobalSynth.h"
#include "tables/PresetFactory.h"
#include "platform/vst/AudioEffectX.h"
#include "platform/Utf8.h"

namespace {

struct CATEGORY {
  const char* title;  // null: the browser keeps its root, title and extension
  const std::string* folder;
  const char* extension;
};

const CATEGORY CATEGORIES[BROWSER_CATEGORY_COUNT] = {
    {"Presets", &FileSpec::FolderPresets, FileSpec::PresetExtension},
    {"MSEG Presets", &FileSpec::FolderMseg, FileSpec::ModuleExtension},
    {"Arpeggiator Presets", &FileSpec::FolderArp, FileSpec::ModuleExtension},
    {"Trancegate Presets", &FileSpec::FolderGate, FileSpec::ModuleExtension},
    {"FX Matrix Presets", &FileSpec::FolderFxMatrix, FileSpec::ModuleExtension},
    {"Reverb Presets", &FileSpec::FolderReverb, FileSpec::ModuleExtension},
    {"Delay Presets", &FileSpec::FolderDelay, FileSpec::ModuleExtension},
    {"Echoes Presets", &FileSpec::FolderEchoes, FileSpec::ModuleExtension},
    {"Chorus Presets", &FileSpec::FolderChorus, FileSpec::ModuleExtension},
    {"Flanger Presets", &FileSpec::FolderFlanger, FileSpec::ModuleExtension},
    {"Phaser Presets", &FileSpec::FolderPhaser, FileSpec::ModuleExtension},
    {"Distortion Presets", &FileSpec::FolderDistortion, FileSpec::ModuleExtension},
    {"Tremolo Presets", &FileSpec::FolderTremolo, FileSpec::ModuleExtension},
    {"EQ Presets", &FileSpec::FolderEq, FileSpec::ModuleExtension},
    {"MidiCC Maps", &FileSpec::FolderCCMap, FileSpec::ModuleExtension},
    {"GrainShifter Presets", &FileSpec::FolderGrainShifter, FileSpec::ModuleExtension},
    {"Oscillator", &FileSpec::FolderOscWaveTables, FileSpec::WaveTableExtension},
    {nullptr, nullptr, nullptr},
    {"Wavetables", &FileSpec::FolderOscWaveTables2, FileSpec::WaveTableExtension},
    {"Samples", &FileSpec::FolderSample, FileSpec::SampleExtension},
};

bool IsOscCategory(unsigned int category) {
  return category == BROWSER_CATEGORY_OSCILLATOR || category == BROWSER_CATEGORY_WAVETABLES ||
         category == BROWSER_CATEGORY_SAMPLES;
}

// True when path lies inside folder (a non-empty folder).
bool IsUnder(const std::string& path, const std::string& folder) {
  if (folder.empty() || path.size() <= folder.size()) return false;
  return path.compare(0, folder.size(), folder) == 0 && (path[folder.size()] == '/' || path[folder.size()] == '\\');
}

const unsigned int MINI_MENU_NAMES_PER_COLUMN = 25;

}  // namespace

void CEditor::InitPresetBrowserCategory(unsigned int category) {
  if (category >= BROWSER_CATEGORY_COUNT) category = 0;
  m_category = category;
  if (!m_presetBrowser) return;
  const CATEGORY& c = CATEGORIES[category];
  if (c.title) {
    m_presetBrowser->SetExtension(c.extension);
    m_presetBrowser->InitRoot(*c.folder, c.title);
  }
  unsigned int osc = m_categoryInstance % OSC_COUNT;
  if (IsOscCategory(category)) {
    m_presetBrowser->InitSelection(m_oscFolders[osc], m_oscFiles[osc]);
  } else {
    m_presetBrowser->InitSelection(m_categoryFolders[category], m_categoryFiles[category]);
  }
}

void CEditor::ShowPresetBrowser(unsigned int category) {
  _detach(m_presetBrowser);
  InitPresetBrowserCategory(category);
  _attach(m_presetBrowser);
}

// Only a browser on screen is closed: the memory takes what it shows. (A
// browser not shown may hold an older selection than the memory, which a
// restored state sets without reading folders.)
void CEditor::ClosePresetBrowser(bool save) {
  if (!m_presetBrowser || !_isAttached(m_presetBrowser)) return;
  const std::string& folder = m_presetBrowser->GetSelectedDirectory();
  const std::string& file = m_presetBrowser->GetSelectedFile();
  m_categoryFolders[m_category] = folder;
  m_categoryFiles[m_category] = file;
  if (IsOscCategory(m_category)) {
    unsigned int osc = m_categoryInstance % OSC_COUNT;
    m_oscFolders[osc] = folder;
    m_oscFiles[osc] = file;
  }
  _detach(m_presetBrowser);
}

std::string CEditor::_categoryPath() const {
  const char* extension = m_presetBrowser ? m_presetBrowser->GetExtension().c_str() : "";
  // The browser lists names whatever the case of their extension; the file
  // keeps its own spelling.
  return FileUtils::ResolveExtensionCase(m_presetBrowser->GetSelectedDirectory() + "/" +
                                         m_presetBrowser->GetSelectedFile() + extension);
}

void CEditor::OnFileSelected(bool updateBrowser) {
  if (!m_presetBrowser) return;
  const std::string folder = m_presetBrowser->GetSelectedDirectory();
  const std::string file = m_presetBrowser->GetSelectedFile();

  if (folder == FileSpec::FolderSample || IsUnder(folder, FileSpec::FolderSample)) {
    m_category = BROWSER_CATEGORY_SAMPLES;
  } else if (folder == FileSpec::FolderOscWaveTables || IsUnder(folder, FileSpec::FolderOscWaveTables)) {
    m_category = BROWSER_CATEGORY_OSCILLATOR;
  }

  m_categoryFolders[m_category] = folder;
  m_categoryFiles[m_category] = file;
  unsigned int osc = m_categoryInstance % OSC_COUNT;
  if (IsOscCategory(m_category)) {
    m_oscFolders[osc] = folder;
    m_oscFiles[osc] = file;
  }

  const std::string path = _categoryPath();
  if (m_category == BROWSER_CATEGORY_SAMPLES) {
    if (m_commands) m_commands->LoadSample(path.c_str(), m_categoryInstance);
    if (m_miniBrowser) updateAll();
    if (AudioEffectX* fx = _effectX()) fx->updateDisplay();
    return;
  }
  const CATEGORY& c = CATEGORIES[m_category];
  DoLoadPreset(path, updateBrowser, FileSpec::PresetDlgFilter, c.extension);
}

void CEditor::DoLoadPreset(std::string path, bool updateBrowser, const char* dialogFilter, const char* extension,
                           const char* folder) {
  if (!m_file.LoadFromFile(m_commands, path.empty() ? nullptr : path.c_str(), dialogFilter, extension, folder))
    return;
  if (m_commands) m_commands->LoadPreset(m_file.GetBuffer(), m_file.GetVersion(), m_file.GetKind(), m_categoryInstance);

  const unsigned int kind = m_file.GetKind();
  if (kind == PRESET_KIND_SYNTH) {
    const std::string& loaded = m_file.GetPath();
    if (IsUnder(loaded, FileSpec::FolderPresets)) {
      m_categoryFolders[0] = FileUtils::ExtractDirPath(loaded);
      m_categoryFiles[0] = FileUtils::ExtractFileName(loaded);
      if (updateBrowser) InitPresetBrowserCategory(0);
    }
    _showMiniBrowserTexts();
    // Browsing an oscillator with a computed wave starts at its built-in
    // wave file.
    for (unsigned int o = 0; o < OSC_COUNT && m_commands; ++o) {
      float type = m_commands->GetFloatParam(430 + o);
      if (!(type >= 0.f && type < 55.f)) continue;
      const std::string* file = GetSelectableEntry(slGenWaveformFiles, static_cast<unsigned int>(type));
      if (!file) continue;
      m_oscFolders[o] = FileSpec::FolderOscWaveTables + "/" + "Built-In";
      m_oscFiles[o] = *file;
    }
  } else if (kind == PRESET_KIND_CC_MAP) {
    if (m_synth) m_synth->SetDefaultMidiMapPath(m_file.GetPath());
  }
  if (m_miniBrowser) updateAll();
  if (AudioEffectX* fx = _effectX()) fx->updateDisplay();
}

void CEditor::OnLoadModulePreset(unsigned int kind, unsigned int instance) {
  m_categoryInstance = instance;
  ShowPresetBrowser(kind);
}

void CEditor::OnSaveModulePreset(unsigned int kind, unsigned int instance) {
  if (!m_commands || kind > 15) return;
  unsigned int size = m_commands->SavePreset(m_file.GetBuffer(), kind, instance);
  if (size == 0) return;
  // The proposed name: the file last chosen in the category, else the
  // category's title without " Presets" ("Reverb", "MSEG").
  std::string name = m_categoryFiles[kind];
  if (name.empty()) {
    name = CATEGORIES[kind].title;
    const size_t cut = name.rfind(" Presets");
    if (cut != std::string::npos) name.erase(cut);
    if (name == "MidiCC Maps") name = "MidiCC Map";
  }
  bool written = m_file.SaveToFile(m_commands, kind, size, nullptr, CATEGORIES[kind].folder->c_str(),
                                   FileSpec::ModulePresetDlgFilter, FileSpec::ModuleExtension, name.c_str());
  if (!written) {
    ReportSaveFailure(m_file.GetSaveError());
    return;
  }
  if (kind == PRESET_KIND_CC_MAP && m_synth) m_synth->SetDefaultMidiMapPath(m_file.GetPath());
}

bool CEditor::SaveWaveTablePreset(unsigned int osc) {
  if (!m_commands || osc >= OSC_COUNT) return false;
  unsigned int size = m_commands->SavePreset(m_file.GetBuffer(), PRESET_KIND_WAVETABLE, osc);
  // The proposed name: the wavetable's own.
  char current[17] = {0};
  for (unsigned int k = 0; k < 4; ++k) {
    const float word = m_commands->GetFloatParam(PARAM_WAVETABLE_NAME + 4 * osc + k);
    std::memcpy(current + 4 * k, &word, 4);
  }
  std::string proposed(current);
  if (proposed.empty() || proposed.find('/') != std::string::npos) proposed = "Wavetable";
  if (!m_file.SaveToFile(m_commands, PRESET_KIND_WAVETABLE, size, nullptr, FileSpec::FolderOscWaveTables2.c_str(),
                         FileSpec::OscWaveTableDlgFilter, FileSpec::WaveTableExtension, proposed.c_str())) {
    ReportSaveFailure(m_file.GetSaveError());
    return false;
  }
  // The name: the file's name cut to 15 bytes on a character boundary,
  // zero-padded to 16 bytes.
  std::string name = FileUtils::ExtractFileName(m_file.GetPath());
  name.resize(Platform::Utf8PrefixLength(name.data(), name.size(), 15));
  char bytes[16] = {0};
  std::memcpy(bytes, name.data(), name.size());
  for (unsigned int k = 0; k < 4; ++k) {
    float word;
    std::memcpy(&word, bytes + 4 * k, 4);
    m_commands->SetFloatParam(PARAM_WAVETABLE_NAME + 4 * osc + k, word);
  }
  updateMainView();
  return true;
}

void CEditor::ResetOscWaveTable(unsigned int osc) {
  if (!m_commands || osc >= OSC_COUNT) return;
  float* table = &PRESET_FACTORY_RESET[PARAM_WAVETABLE + WAVETABLE_LENGTH * osc];
  char name[16];
  std::memcpy(name, &PRESET_FACTORY_RESET[PARAM_WAVETABLE_NAME + 4 * osc], sizeof(name));
  m_commands->SetOscWaveTable(table, name, osc);
  updateMainView();
}

void CEditor::SelectNextPreset() {
  if (m_presetBrowser) m_presetBrowser->SelectNextPreset();
}

void CEditor::SelectPrevPreset() {
  if (m_presetBrowser) m_presetBrowser->SelectPrevPreset();
}

void CEditor::SelectNextOscPreset(unsigned int osc, bool wavetables) {
  m_categoryInstance = osc;
  InitPresetBrowserCategory(wavetables ? BROWSER_CATEGORY_WAVETABLES : BROWSER_CATEGORY_OSCILLATOR);
  SelectNextPreset();
  updateMainView();
}

void CEditor::SelectPrevOscPreset(unsigned int osc, bool wavetables) {
  m_categoryInstance = osc;
  InitPresetBrowserCategory(wavetables ? BROWSER_CATEGORY_WAVETABLES : BROWSER_CATEGORY_OSCILLATOR);
  SelectPrevPreset();
  updateMainView();
}

void CEditor::SelectNextOscSample(unsigned int osc) {
  m_categoryInstance = osc;
  InitPresetBrowserCategory(BROWSER_CATEGORY_SAMPLES);
  SelectNextPreset();
}

void CEditor::SelectPrevOscSample(unsigned int osc) {
  m_categoryInstance = osc;
  InitPresetBrowserCategory(BROWSER_CATEGORY_SAMPLES);
  SelectPrevPreset();
}

void CEditor::ShowMiniBrowserMenu() {
  InitPresetBrowserCategory(0);
  if (!m_presetBrowser || !m_miniBrowser) return;
  const std::vector<std::string> names = m_presetBrowser->GetFileNames();
  std::vector<std::string> items;
  long current = -1;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0 && i % MINI_MENU_NAMES_PER_COLUMN == 0) items.push_back(POPUP_MENU_PAGE_BREAK);
    if (names[i] == m_presetBrowser->GetSelectedFile()) current = static_cast<long>(i);
    // Shown safely; the choice maps back to the name as on disk.
    items.push_back(FolderListing::ShowableName(names[i]));
  }
  CPopupMenu menu(items, current);
  long chosen = menu.Popup(m_miniBrowser);
  if (chosen >= 0 && chosen < static_cast<long>(names.size())) {
    m_presetBrowser->SelectPreset(names[static_cast<size_t>(chosen)]);
  }
}

// The restored path is kept whatever folder it lies in, so that the next
// saved state carries it again; only a path under the presets folder
// becomes the browser's remembered preset. A state may be restored on any
// thread, so the folders are not read here: a browser on screen shows the
// preset from the editor's next tick, and every other way into the browser
// reads the folders anew anyway.
void CEditor::InitPresetBrowserCategorySelection(std::string path) {
  m_file.SetPath(path);
  _selectBrowserPath(path);
}

void CEditor::_selectBrowserPath(const std::string& path) {
  if (IsUnder(path, FileSpec::FolderPresets)) {
    m_categoryFolders[0] = FileUtils::ExtractDirPath(path);
    m_categoryFiles[0] = FileUtils::ExtractFileName(path);
    if (m_presetBrowser) m_browserStale = true;
  }
  _showMiniBrowserTexts();
}

void CEditor::_refreshStaleBrowser() {
  if (m_browserStale.exchange(false) && _isAttached(m_presetBrowser)) InitPresetBrowserCategory(0);
}

void CEditor::_showMiniBrowserTexts() {
  if (!m_miniBrowser) return;
  m_miniBrowser->SetPresetName(m_file.GetName());
  m_miniBrowser->SetAuthorName(m_file.GetAuthor());
}
