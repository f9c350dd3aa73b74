#include "editor/pages/PresetBrowser.h"

#include <cstring>

#include "editor/Editor.h"
#include "editor/EditorTags.h"
#include "editor/pages/BrowserArtwork.h"
#include "editor/pages/DirectoryView.h"
#include "editor/pages/FileView.h"

namespace {

// A kick button at a top-left point, as large as one of the two images its
// bitmap holds.
void AddKick(CPresetBrowser* browser, const char* bitmapName, CCoord left, CCoord top, long tag) {
  CBitmap* bitmap = new CBitmap(bitmapName);
  const CRect size(left, top, left + bitmap->getWidth(), top + bitmap->getHeight() / 2);
  browser->addView(new CKickButton(size, browser, tag, bitmap));
  bitmap->forget();
}

const std::string EMPTY;
const std::vector<std::string> NO_NAMES;

}  // namespace

CPresetBrowser::CPresetBrowser(CEditor* editor, ICommandHandler* commands, const CRect& size, CFrame* frame,
                               CBitmap* background)
    : COverlayPanel(size, frame, background), m_editor(editor), m_commands(commands) {
  RegisterBrowserArtwork();
  AddKick(this, "GuiPBCloseButton.png", 883, 91, TAG_BROWSER_CLOSE);
  AddKick(this, "GuiPBPrev.png", 495, 504, TAG_BROWSER_PREV);
  AddKick(this, "GuiPBRefresh.png", 597, 502, TAG_BROWSER_REFRESH);
  AddKick(this, "GuiPBNext.png", 700, 504, TAG_BROWSER_NEXT);
  m_dirView = new CDirectoryView(this, CRect(105, 137, 376, 480));
  addView(m_dirView);
  m_fileView = new CFileView(this, CRect(340, 139, 904, 484));
  addView(m_fileView);
}

CPresetBrowser::CPresetBrowser(const CPresetBrowser& other)
    : COverlayPanel(other),
      CControlListener(other),
      m_editor(other.m_editor),
      m_commands(other.m_commands),
      m_root(other.m_root),
      m_title(other.m_title) {
  // The container copied the children: they report to this copy.
  for (CView* child : children) {
    if (child->isTypeOf("CDirectoryView")) {
      m_dirView = static_cast<CDirectoryView*>(child);
      m_dirView->SetOwner(this);
    } else if (child->isTypeOf("CFileView")) {
      m_fileView = static_cast<CFileView*>(child);
      m_fileView->SetOwner(this);
    } else if (child->isTypeOf("CControl")) {
      static_cast<CControl*>(child)->setListener(this);
    }
  }
}

bool CPresetBrowser::isTypeOf(const char* type) const {
  if (type && std::strcmp(type, "CPresetBrowser") == 0) return true;
  return COverlayPanel::isTypeOf(type);
}

void CPresetBrowser::InitRoot(const std::string& path, const std::string& name) {
  m_root = path;
  m_title = name;
  if (m_dirView) m_dirView->SetRootDirectory(path, name);
}

void CPresetBrowser::InitSelection(const std::string& directory, const std::string& file) {
  if (!directory.empty() && m_dirView) m_dirView->InitSelection(directory);
  if (!file.empty() && m_fileView) m_fileView->InitSelection(file);
}

void CPresetBrowser::SetExtension(const std::string& extension) {
  if (m_fileView) m_fileView->SetExtension(extension);
}

const std::string& CPresetBrowser::GetExtension() const { return m_fileView ? m_fileView->GetExtension() : EMPTY; }

const std::string& CPresetBrowser::GetSelectedDirectory() const {
  return m_fileView ? m_fileView->GetSelectedDirectory() : EMPTY;
}

const std::string& CPresetBrowser::GetSelectedFile() const {
  return m_fileView ? m_fileView->GetSelectedName() : EMPTY;
}

const std::vector<std::string>& CPresetBrowser::GetFileNames() const {
  return m_fileView ? m_fileView->GetItems() : NO_NAMES;
}

void CPresetBrowser::OnDirectorySelected() {
  if (m_fileView && m_dirView) m_fileView->SetDirectory(m_dirView->GetSelectedDirectory());
}

void CPresetBrowser::OnFileSelected(bool flag, bool close) {
  if (!m_editor) return;
  m_editor->OnFileSelected(flag);
  if (close) m_editor->ClosePresetBrowser(false);
}

void CPresetBrowser::SelectPreset(const std::string& name) {
  if (m_fileView) m_fileView->SelectPreset(name);
}

void CPresetBrowser::_showSelectedFolder() {
  const std::string folder = m_fileView->GetSelectedDirectory();
  if (!folder.empty()) m_dirView->ScrollToDir(folder);
}

bool CPresetBrowser::SelectNextPreset() {
  if (!m_fileView || !m_dirView) return false;
  if (m_fileView->GetSelectedName().empty() && m_fileView->SelectFirstFile()) return true;
  _showSelectedFolder();
  if (m_fileView->SelectNextFile()) return true;
  // On through the folders in pre-order, wrapping to the root; every folder
  // is visited at most once.
  const unsigned int folders = m_dirView->GetCount();
  for (unsigned int i = 0; i < folders; ++i) {
    if (!m_dirView->SelectNextDir()) m_dirView->SelectFirstDir();
    if (m_fileView->SelectFirstFile()) return true;
  }
  return false;
}

bool CPresetBrowser::SelectPrevPreset() {
  if (!m_fileView || !m_dirView) return false;
  _showSelectedFolder();
  if (m_fileView->SelectPrevFile()) return true;
  const unsigned int folders = m_dirView->GetCount();
  for (unsigned int i = 0; i < folders; ++i) {
    if (!m_dirView->SelectPrevDir()) m_dirView->SelectLastDir();
    if (m_fileView->SelectLastFile()) return true;
  }
  return false;
}

void CPresetBrowser::valueChanged(CControl* control) {
  // Every button acts on its release.
  if (!control || control->getValue() != 0.f) return;
  switch (control->getTag()) {
    case TAG_BROWSER_CLOSE:
      if (m_editor) m_editor->ClosePresetBrowser(false);
      break;
    case TAG_BROWSER_PREV:
      SelectPrevPreset();
      break;
    case TAG_BROWSER_NEXT:
      SelectNextPreset();
      break;
    case TAG_BROWSER_REFRESH:
      if (m_dirView) m_dirView->Refresh();
      break;
    default:
      break;
  }
}
