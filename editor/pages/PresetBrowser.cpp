#include "editor/pages/PresetBrowser.h"

#include <dirent.h>

#include <algorithm>
#include <cstring>

#include "editor/Editor.h"
#include "editor/EditorTags.h"

CPresetBrowser::CPresetBrowser(CEditor* editor, ICommandHandler* commands, const CRect& size, CFrame* frame,
                               CBitmap* background)
    : COverlayPanel(size, frame, background), m_editor(editor), m_commands(commands) {
  AddCloseButton(TAG_PB_CLOSE, CLOSE_BUTTON_X, 91);
}

bool CPresetBrowser::isTypeOf(const char* type) const {
  if (type && std::strcmp(type, "CPresetBrowser") == 0) return true;
  return COverlayPanel::isTypeOf(type);
}

void CPresetBrowser::InitRoot(const std::string& path, const std::string& name) {
  m_root = path;
  m_title = name;
}

void CPresetBrowser::InitSelection(const std::string& directory, const std::string& file) {
  if (!directory.empty()) m_directory = directory;
  if (!file.empty()) m_file = file;
}

std::vector<std::string> CPresetBrowser::GetFileNames() const {
  std::vector<std::string> names;
  DIR* dir = opendir(_shownFolder().c_str());
  if (!dir) return names;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name.empty() || name[0] == '.') continue;
    if (m_extension.empty() || name.size() <= m_extension.size()) continue;
    if (name.compare(name.size() - m_extension.size(), m_extension.size(), m_extension) != 0) continue;
    names.push_back(name.substr(0, name.size() - m_extension.size()));
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

bool CPresetBrowser::SelectPreset(const std::string& name) {
  std::vector<std::string> names = GetFileNames();
  if (std::find(names.begin(), names.end(), name) == names.end()) return false;
  m_directory = _shownFolder();
  m_file = name;
  if (m_editor) m_editor->OnFileSelected(false);
  return true;
}

bool CPresetBrowser::_select(long step) {
  std::vector<std::string> names = GetFileNames();
  if (names.empty()) return false;
  long count = static_cast<long>(names.size());
  long at = static_cast<long>(std::find(names.begin(), names.end(), m_file) - names.begin());
  long next;
  if (at >= count) {
    next = step > 0 ? 0 : count - 1;
  } else {
    next = ((at + step) % count + count) % count;
  }
  return SelectPreset(names[static_cast<size_t>(next)]);
}

bool CPresetBrowser::SelectNextPreset() { return _select(1); }

bool CPresetBrowser::SelectPrevPreset() { return _select(-1); }
