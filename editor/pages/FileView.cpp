#include "editor/pages/FileView.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <numeric>

#include "editor/ScrollBar.h"
#include "editor/pages/FolderListing.h"
#include "editor/pages/PresetBrowser.h"
#include "engine/FileUtils.h"

namespace {

const long SCROLL_BAR_TAG = 1;
const long long WHEEL_ROWS = 3;
const CColor SELECTED_FILL(192, 192, 192, 255);
const CColor SELECTED_TEXT(20, 20, 20, 255);
const CColor TEXT(210, 210, 210, 255);

// The extension's letters are compared without regard to case: "Upper.P"
// is listed as "Upper" (the editor finds the file's own spelling when it
// loads it).
bool EndsWith(const std::string& name, const std::string& tail) {
  return name.size() > tail.size() && strcasecmp(name.c_str() + name.size() - tail.size(), tail.c_str()) == 0;
}

}  // namespace

CFileView::CFileView(CPresetBrowser* owner, const CRect& size)
    : CViewContainer(size), m_owner(owner), m_listRect(0, 0, 534, 342), m_font("Arial", 12, kNormalFace) {
  m_scrollBar = new CScrollBar(CRect(539, 0, 552, size.height() - 3), this, SCROLL_BAR_TAG, true, nullptr, false);
  addView(m_scrollBar);
  m_scrollBar->setScrollInfo(0, static_cast<long long>(CELLS) * CELL_HEIGHT, CELL_HEIGHT);
}

CFileView::CFileView(const CFileView& other)
    : CViewContainer(other),
      CControlListener(other),
      m_owner(other.m_owner),
      m_items(other.m_items),
      m_shownNames(other.m_shownNames),
      m_directory(other.m_directory),
      m_selectedDirectory(other.m_selectedDirectory),
      m_selectedName(other.m_selectedName),
      m_listRect(other.m_listRect),
      m_firstItem(other.m_firstItem),
      m_font(other.m_font),
      m_extension(other.m_extension) {
  // The container copied the children; the copied scroll bar reports here.
  for (CView* child : children) {
    if (child->isTypeOf("CScrollBar")) m_scrollBar = static_cast<CScrollBar*>(child);
  }
  if (m_scrollBar) m_scrollBar->setListener(this);
}

bool CFileView::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "CFileView") == 0) || CViewContainer::isTypeOf(type);
}

// ---------------------------------------------------------------------------
// Reading

void CFileView::SetDirectory(const std::string& path) {
  m_directory = path;
  Refresh();
}

void CFileView::Refresh() {
  std::vector<std::string> names;
  FolderListing::List(m_directory, [this, &names](const std::string& name, FolderListing::ENTRY_KIND kind) {
    if (kind != FolderListing::ENTRY_FILE || name.empty() || name[0] == '.') return;
    if (m_extension.empty()) {
      names.push_back(FileUtils::ExtractFileName(name));
    } else if (EndsWith(name, m_extension)) {
      names.push_back(name.substr(0, name.size() - m_extension.size()));
    }
  });

  // Sort keys made once: a big folder is sorted without upper-casing a
  // name at every comparison.
  std::vector<std::string> keys(names.size());
  for (size_t i = 0; i < names.size(); ++i) keys[i] = FolderListing::SortKey(names[i]);
  std::vector<size_t> order(names.size());
  std::iota(order.begin(), order.end(), size_t(0));
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    if (keys[a] != keys[b]) return keys[a] < keys[b];
    return names[a] < names[b];
  });
  m_items.clear();
  m_shownNames.clear();
  m_items.reserve(names.size());
  m_shownNames.reserve(names.size());
  for (size_t i : order) {
    // "a.p" and "a.P" are one item.
    if (!m_items.empty() && m_items.back() == names[i]) continue;
    m_items.push_back(std::move(names[i]));
    m_shownNames.push_back(FolderListing::ShowableName(m_items.back()));
  }

  // The selection survives a rescan of its own folder while its file is
  // still there.
  if (m_selectedDirectory != m_directory || GetSelectedItemIndex() < 0) {
    m_selectedName.clear();
    m_selectedDirectory.clear();
  }
  if (m_scrollBar) {
    m_scrollBar->setScrollInfo(static_cast<long long>(m_items.size()) * CELL_HEIGHT,
                               static_cast<long long>(CELLS) * CELL_HEIGHT, CELL_HEIGHT);
  }
  invalid();
}

// ---------------------------------------------------------------------------
// Selection

long CFileView::GetSelectedItemIndex() const {
  auto at = std::find(m_items.begin(), m_items.end(), m_selectedName);
  return at == m_items.end() ? -1 : static_cast<long>(at - m_items.begin());
}

void CFileView::SetSelectedFile(const std::string& name, bool close) {
  m_selectedName = name;
  m_selectedDirectory = m_directory;
  if (m_owner) m_owner->OnFileSelected(false, close);
}

void CFileView::InitSelection(const std::string& name) {
  m_selectedName = name;
  m_selectedDirectory = m_directory;
  long index = GetSelectedItemIndex();
  if (index >= 0) MakeItemVisible(static_cast<unsigned int>(index));
  invalid();
}

void CFileView::SelectPreset(const std::string& name) {
  SetSelectedFile(name, false);
  long index = GetSelectedItemIndex();
  if (index >= 0) MakeItemVisible(static_cast<unsigned int>(index));
  invalid();
}

void CFileView::_select(unsigned int index) {
  const std::string name = m_items[index];
  SetSelectedFile(name, false);
  MakeItemVisible(index);
  invalid();
}

bool CFileView::SelectFirstFile() {
  if (m_items.empty()) return false;
  _select(0);
  return true;
}

bool CFileView::SelectLastFile() {
  if (m_items.empty()) return false;
  _select(static_cast<unsigned int>(m_items.size() - 1));
  return true;
}

bool CFileView::SelectNextFile() {
  long index = GetSelectedItemIndex();
  if (index < 0 || static_cast<size_t>(index) + 1 >= m_items.size()) return false;
  _select(static_cast<unsigned int>(index + 1));
  return true;
}

bool CFileView::SelectPrevFile() {
  long index = GetSelectedItemIndex();
  if (index < 1) return false;
  _select(static_cast<unsigned int>(index - 1));
  return true;
}

void CFileView::MakeItemVisible(unsigned int index) {
  if (index >= m_firstItem && index < m_firstItem + CELLS) return;
  m_firstItem = index < m_firstItem ? index : index - (CELLS - 1);
  if (m_scrollBar) m_scrollBar->setOffset(static_cast<long long>(m_firstItem) * CELL_HEIGHT);
}

// ---------------------------------------------------------------------------
// Drawing and the mouse

CRect CFileView::GetItemRect(unsigned int index) const {
  if (index < m_firstItem || index >= m_firstItem + CELLS || index >= m_items.size()) return CRect();
  const unsigned int k = index - m_firstItem;
  const CCoord width = _columnWidth();
  const CCoord column = static_cast<CCoord>(k / ROWS), row = static_cast<CCoord>(k % ROWS);
  const CCoord top = m_listRect.top + row * CELL_HEIGHT;
  return CRect(m_listRect.left + column * width, top, m_listRect.left + (column + 1) * width,
               top + (row == 0 ? CELL_HEIGHT : CELL_HEIGHT - 1));
}

void CFileView::drawBackgroundRect(CDrawContext* context, const CRect& updateRect) {
  CViewContainer::drawBackgroundRect(context, updateRect);
  const CColor oldFill = context->getFillColor();
  const CColor oldFont = context->getFontColor();
  context->setFont(&m_font);
  context->setFillColor(SELECTED_FILL);
  const bool selectionShown = m_selectedDirectory == m_directory;
  const size_t end = std::min(m_items.size(), static_cast<size_t>(m_firstItem) + CELLS);
  for (size_t k = m_firstItem; k < end; ++k) {
    const CRect cell = GetItemRect(static_cast<unsigned int>(k));
    if (selectionShown && m_items[k] == m_selectedName) {
      context->drawRect(cell, kDrawFilled);
      context->setFontColor(SELECTED_TEXT);
    } else {
      context->setFontColor(TEXT);
    }
    context->drawString(m_shownNames[k].c_str(), CRect(cell.left + 2, cell.top, cell.right - 2, cell.bottom), false,
                        kLeftText);
  }
  context->setFillColor(oldFill);
  context->setFontColor(oldFont);
}

CMouseEventResult CFileView::onMouseDown(CPoint& where, const long& buttons) {
  CMouseEventResult result = kMouseEventNotHandled;
  const CCoord x = where.h - size.left, y = where.v - size.top;
  // Cells are hit where they are drawn.
  if ((buttons & kLButton) && x >= 0 && x < m_listRect.right && y >= 0 && y < m_listRect.bottom) {
    const unsigned int column = static_cast<unsigned int>(x / _columnWidth());
    const unsigned int row = static_cast<unsigned int>(y / CELL_HEIGHT);
    if (column < COLUMNS && row < ROWS) {
      const size_t index = static_cast<size_t>(column) * ROWS + row + m_firstItem;
      if (index < m_items.size()) {
        const std::string name = m_items[index];
        SetSelectedFile(name, (buttons & kDoubleClick) != 0);
        invalid();
        result = kMouseEventHandled;
      }
    }
  }
  // The scroll bar takes its own clicks.
  CMouseEventResult passed = CViewContainer::onMouseDown(where, buttons);
  return passed == kMouseEventNotHandled ? result : passed;
}

bool CFileView::onWheel(const CPoint& where, const float& distance, const long& buttons) {
  if (!m_scrollBar || distance == 0.f) return false;
  const long long rows = distance > 0.f ? -WHEEL_ROWS : WHEEL_ROWS;
  m_scrollBar->setOffset(m_scrollBar->getOffset() + rows * static_cast<long long>(CELL_HEIGHT));
  valueChanged(m_scrollBar);
  return true;
}

void CFileView::valueChanged(CControl* control) {
  if (!control || control != m_scrollBar || control->getTag() != SCROLL_BAR_TAG) return;
  m_firstItem = static_cast<unsigned int>(m_scrollBar->getOffset() / CELL_HEIGHT);
  invalid();
}
