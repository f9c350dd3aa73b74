// The editor's commands (the main window's command tags), its main menu and
// the modal pop-up menu runner shared by every menu of the editor.
#include <string>

#include "editor/DlgDefaultAuthor.h"
#include "editor/Editor.h"
#include "engine/PresetFile.h"
#include "editor/EditorTags.h"
#include "editor/ValueMaps.h"
#include "editor/XYControl.h"
#include "editor/pages/MiniPresetBrowser.h"
#include "editor/pages/PresetBrowser.h"
#include "engine/FolderLayout.h"
#include "engine/FileUtils.h"
#include "engine/ICommandHandler.h"
#include "engine/IGlobalSynth.h"
#include "engine/MidiMap.h"
#include "platform/FileDialogs.h"

namespace {

const long MAIN_MENU_TAG = -1;

// Main menu entries, by index without separators.
enum MAIN_MENU_ENTRY {
  MAIN_MENU_AUTHOR = 0,
  MAIN_MENU_FACTORY_RESET = 1,
  MAIN_MENU_SET_DEFAULT_PRESET = 2,
  MAIN_MENU_CLEAR_DEFAULT_PRESET = 3,
  MAIN_MENU_LOAD_CC_MAP = 4,
  MAIN_MENU_SAVE_CC_MAP = 5,
  MAIN_MENU_RESET_CC_MAP = 6,
};

bool IsUnder(const std::string& path, const std::string& folder) {
  if (folder.empty() || path.size() <= folder.size()) return false;
  return path.compare(0, folder.size(), folder) == 0 && (path[folder.size()] == '/' || path[folder.size()] == '\\');
}

}  // namespace

void CEditor::_runCommand(CControl* control, long tag, float value) {
  const bool released = value == 0.f;
  if (tag == TAG_LCD_NEW) {
    if (released) DoLoadPreset(PRESET_LOAD_FROM_DEFAULT_PRESET, true, FileSpec::PresetDlgFilter, nullptr);
  } else if (tag == TAG_LCD_LOAD) {
    if (released) DoLoadPreset("", true, FileSpec::PresetDlgFilter, FileSpec::PresetExtension, m_presetFolder.c_str());
  } else if (tag == TAG_LCD_SAVE) {
    if (released) _savePreset();
  } else if (tag == TAG_LCD_NEXT || tag == TAG_LCD_PREV) {
    if (released) {
      InitPresetBrowserCategory(0);
      if (tag == TAG_LCD_NEXT) SelectNextPreset();
      else SelectPrevPreset();
    }
  } else if (tag == TAG_LCD_BROWSE) {
    if (released) ShowPresetBrowser(0);
  } else if (tag == TAG_MINI_BROWSER) {
    if (value == 1.f) ShowMiniBrowserMenu();
  } else if (tag == TAG_PANIC) {
    if (released && m_commands) m_commands->Panic();
  } else if (tag == TAG_RECORD) {
    if (released) ShowRecorder();
  } else if (tag >= TAG_OSC_NEXT && tag < TAG_OSC_NEXT + 4) {
    if (released) SelectNextOscPreset(static_cast<unsigned int>(tag - TAG_OSC_NEXT), false);
  } else if (tag >= TAG_OSC_PREV && tag < TAG_OSC_PREV + 4) {
    if (released) SelectPrevOscPreset(static_cast<unsigned int>(tag - TAG_OSC_PREV), false);
  } else if (tag >= TAG_OSC_EDIT && tag < TAG_OSC_EDIT + 4) {
    unsigned int osc = static_cast<unsigned int>(tag - TAG_OSC_EDIT);
    if (m_commands && m_commands->GetIntParam(430 + osc) == 56) ShowSampleEditor(osc);
    else ShowWaveTableEditor(osc);
  } else if (tag >= TAG_OSC_XY && tag < TAG_OSC_XY + 4) {
    unsigned int osc = static_cast<unsigned int>(tag - TAG_OSC_XY);
    if (control->isTypeOf("CXYControl") && m_commands) {
      CXYControl* pad = static_cast<CXYControl*>(control);
      m_commands->SetFloatParam(4 + osc, pad->GetX());
      m_commands->SetFloatParam(8 + osc, pad->GetY());
      m_pendingPad = static_cast<long>(osc);
    }
  } else if (tag == TAG_MORPH_XY) {
    if (control->isTypeOf("CXYControl") && m_commands) {
      CXYControl* pad = static_cast<CXYControl*>(control);
      m_commands->SetFloatParam(1577, pad->GetX());
      m_commands->SetFloatParam(1578, pad->GetY());
    }
  } else if (tag == TAG_OVERSAMPLING) {
    if (m_commands) m_commands->SetIntParam(1581, static_cast<unsigned int>(EditorMaps::OversamplingToStored(value)));
  } else if (tag == TAG_MODMTX_PAGE) {
    unsigned int page = EditorMaps::ControlIndex(value);
    m_modMatrixPage = page < 4 ? static_cast<long>(page) : 0;
    updateMainView();
    RebuildModMatrixCache();
  } else if (tag == TAG_VIEW_PAGE) {
    unsigned int page = EditorMaps::ControlIndex(value);
    m_viewPage = page < 3 ? static_cast<long>(page) : 1;
    updateMainView();
  }
}

void CEditor::ReportSaveFailure(const std::string& error) {
  if (!error.empty()) ShowMessage("Not saved. " + error);
}

void CEditor::_savePreset() {
  if (!m_commands) return;
  unsigned int size = m_commands->SavePreset(m_file.GetBuffer(), PRESET_KIND_SYNTH, 0);
  if (m_synth) m_file.SetAuthor(m_synth->GetDefaultAuthorName());
  std::string name = m_file.GetName();
  if (!m_file.SaveToFile(m_commands, PRESET_KIND_SYNTH, size, nullptr, m_presetFolder.c_str(),
                         FileSpec::PresetDlgFilter, FileSpec::PresetExtension, name.empty() ? nullptr : name.c_str())) {
    ReportSaveFailure(m_file.GetSaveError());
    return;
  }
  const std::string& path = m_file.GetPath();
  m_presetFolder = FileUtils::ExtractDirPath(path);
  if (IsUnder(path, FileSpec::FolderPresets)) {
    m_categoryFolders[0] = m_presetFolder;
    m_categoryFiles[0] = FileUtils::ExtractFileName(path);
    InitPresetBrowserCategory(0);
  }
  _showMiniBrowserTexts();
}

void CEditor::_showMainMenu(CControl* anchor) {
  std::string author = m_synth ? m_synth->GetDefaultAuthorName() : std::string();
  std::string first = "Set default author name (" + (author.empty() ? std::string("not set") : author) + ")...";
  COptionMenu* menu = new COptionMenu(CRect(0, 0, 0, 0), this, MAIN_MENU_TAG);
  menu->addEntry(first.c_str());
  menu->addSeparator();
  menu->addEntry("Factory reset");
  menu->addEntry("Set current preset as default");
  menu->addEntry("Clear default preset");
  menu->addSeparator();
  menu->addEntry("Load MidiCC map...");
  menu->addEntry("Save MidiCC map...");
  menu->addEntry("Reset MidiCC map");

  long tag = -1;
  long index = -1;
  CMenuItem* chosen = ShowPopupMenu(anchor, menu, tag, index);
  menu->forget();
  if (!chosen) return;

  switch (index) {
    case MAIN_MENU_AUTHOR: {
      CDlgDefaultAuthor dialog;
      std::string answer = dialog.GetDefaultAuthor(frame, author);
      if (m_synth) m_synth->SetDefaultAuthorName(answer);
      break;
    }
    case MAIN_MENU_FACTORY_RESET:
      DoLoadPreset(PRESET_LOAD_FACTORY_RESET, true, FileSpec::PresetDlgFilter, nullptr);
      break;
    case MAIN_MENU_SET_DEFAULT_PRESET:
      InitPresetBrowserCategory(0);
      if (m_presetBrowser && m_synth && !m_presetBrowser->GetSelectedDirectory().empty() &&
          !m_presetBrowser->GetSelectedFile().empty()) {
        m_synth->SetDefaultPresetPath(FileUtils::ResolveExtensionCase(m_presetBrowser->GetSelectedDirectory() + "/" +
                                                                      m_presetBrowser->GetSelectedFile() +
                                                                      m_presetBrowser->GetExtension()));
      }
      break;
    case MAIN_MENU_CLEAR_DEFAULT_PRESET:
      if (m_synth) m_synth->SetDefaultPresetPath("");
      break;
    case MAIN_MENU_LOAD_CC_MAP:
      ShowPresetBrowser(PRESET_KIND_CC_MAP);
      break;
    case MAIN_MENU_SAVE_CC_MAP:
      OnSaveModulePreset(PRESET_KIND_CC_MAP, 0);
      break;
    case MAIN_MENU_RESET_CC_MAP:
      if (m_synth) {
        if (CMidiMap* map = static_cast<CMidiMap*>(m_synth->GetMidiMap())) map->ResetMidiMap();
        m_synth->SetDefaultMidiMapPath("");
      }
      break;
    default:
      break;
  }
  OnSetParameterAutomated(anchor->getTag());
}

CMenuItem* CEditor::ShowPopupMenu(CControl* anchor, COptionMenu* menu, long& tag, long& index) {
  tag = -1;
  index = -1;
  if (!anchor || !menu || !frame) return nullptr;
  // The anchor's rectangle in frame coordinates.
  CRect place = anchor->getViewSize();
  CPoint corner(place.left, place.top);
  anchor->localToFrame(corner);
  place.moveTo(corner);
  menu->setViewSize(place, false);
  menu->setMouseableArea(place);

  menu->remember();  // the frame's reference, dropped by removeView
  frame->addView(menu);
  frame->setFocusView(menu);
  frame->removeView(menu, true);

  CMenuItem* chosen = nullptr;
  long indexInMenu = -1;
  if (COptionMenu* holder = menu->getLastItemMenu(indexInMenu)) {
    tag = holder->getTag();
    index = holder->getCurrent(nullptr, false);
    chosen = holder->getEntry(indexInMenu);
  }
  anchor->invalid();
  return chosen;
}
