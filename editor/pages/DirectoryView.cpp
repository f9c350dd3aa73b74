#include "editor/pages/DirectoryView.h"

#include <algorithm>
#include <cstring>

#include "editor/ScrollBar.h"
#include "editor/pages/PresetBrowser.h"

namespace {

const long SCROLL_BAR_TAG = 1;
const long long WHEEL_ROWS = 3;
const CCoord LIST_WIDTH = 198;
const CCoord LIST_HEIGHT = 340;
const CColor SELECTED_FILL(192, 192, 192, 255);
const CColor SELECTED_TEXT(20, 20, 20, 255);
const CColor TEXT(210, 210, 210, 255);
const CColor MARK_FRAME(20, 20, 20, 255);
const CColor MARK_FILL(55, 55, 55, 255);

}  // namespace

CDirectoryView::CDirectoryView(CPresetBrowser* owner, const CRect& size)
    : CViewContainer(size),
      m_owner(owner),
      m_listRect(0, 0, LIST_WIDTH, LIST_HEIGHT),
      m_font("Arial", 12, kBoldFace) {
  m_scrollBar = new CScrollBar(CRect(205, 0, 218, size.height() - 3), this, SCROLL_BAR_TAG, true, nullptr, true);
  addView(m_scrollBar);
  RebuildDisplayList();  // empty until a root is given: the bar hides
}

CDirectoryView::CDirectoryView(const CDirectoryView& other)
    : CViewContainer(other),
      CControlListener(other),
      m_owner(other.m_owner),
      m_rootPath(other.m_rootPath),
      m_rootName(other.m_rootName),
      m_listRect(other.m_listRect),
      m_font(other.m_font) {
  // The container copied the children; the copied scroll bar reports here.
  for (CView* child : children) {
    if (child->isTypeOf("CScrollBar")) m_scrollBar = static_cast<CScrollBar*>(child);
  }
  if (m_scrollBar) m_scrollBar->setListener(this);
  if (!m_rootPath.empty()) {
    _readTree();
    m_selected = m_tree.GetRoot();
    RebuildDisplayList();
  }
}

bool CDirectoryView::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "CDirectoryView") == 0) || CViewContainer::isTypeOf(type);
}

// ---------------------------------------------------------------------------
// Reading

void CDirectoryView::SetRootDirectory(const std::string& path, const std::string& name) {
  m_rootPath = path;
  m_rootName = name;
  Refresh();
}

void CDirectoryView::Refresh() {
  _readTree();
  // The tree comes back collapsed: show it from the top.
  m_firstRow = 0;
  if (m_scrollBar) m_scrollBar->setOffset(0);
  RebuildDisplayList();
  m_selected = m_tree.GetRoot();
  _notifyOwner();
  invalid();
}

void CDirectoryView::_readTree() {
  m_selected = nullptr;
  m_displayList.clear();
  CDirNode* root = new CDirNode(m_rootName, m_rootPath);
  root->SetExpanded(true);
  m_tree.SetRoot(root);
  _search(root);
}

void CDirectoryView::_search(CDirNode* root) {
  // Every folder read or to be read, in the order they are read (breadth
  // first): a folder's identity and the entry of its parent, through which
  // its ancestors are found.
  struct FOUND {
    CDirNode* node;
    FolderListing::FOLDER_ID id;
    long parent;
    unsigned int depth;
  };
  std::vector<FOUND> found;
  FOUND top{root, FolderListing::FOLDER_ID(), -1, 0};
  if (!FolderListing::GetFolderId(m_rootPath, top.id)) return;
  found.push_back(top);
  unsigned int count = 1;
  for (size_t next = 0; next < found.size() && count < MAX_FOLDERS; ++next) {
    const FOUND here = found[next];
    if (here.depth + 1 >= MAX_DEPTH) continue;
    std::vector<std::string> names;
    FolderListing::List(here.node->GetPath(), [&names](const std::string& name, FolderListing::ENTRY_KIND kind) {
      if (kind == FolderListing::ENTRY_FOLDER && !name.empty() && name[0] != '.') names.push_back(name);
    });
    // Sorted once, so that every insertion below lands at the end.
    std::sort(names.begin(), names.end(), FolderListing::SortPredicate);
    for (const std::string& name : names) {
      if (count >= MAX_FOLDERS) return;
      const std::string path = here.node->GetPath() + "/" + name;
      FolderListing::FOLDER_ID id;
      const bool known = FolderListing::GetFolderId(path, id);
      // A link back to a folder on the way here would repeat the tree forever.
      bool loop = false;
      for (long a = static_cast<long>(next); known && a >= 0 && !loop; a = found[static_cast<size_t>(a)].parent)
        loop = found[static_cast<size_t>(a)].id == id;
      if (loop) continue;
      CDirNode* child = m_tree.AddChild(here.node, new CDirNode(name, path));
      ++count;
      // A folder gone since it was listed is shown, empty.
      if (known) found.push_back(FOUND{child, id, static_cast<long>(next), here.depth + 1});
    }
  }
}

// ---------------------------------------------------------------------------
// Display list and selection

void CDirectoryView::RebuildDisplayList() {
  m_displayList.clear();
  CDirNode* root = m_tree.GetRoot();
  if (root) {
    unsigned int counter = 1;
    if (m_firstRow == 0) m_displayList.push_back({root, 0});
    if (root->IsExpanded()) _addRows(root, 1, counter);
  }
  if (m_scrollBar) {
    m_scrollBar->setScrollInfo(static_cast<long long>(m_tree.GetVisibleCount()) * ROW_HEIGHT,
                               static_cast<long long>(LIST_HEIGHT), ROW_HEIGHT);
  }
}

// Only the expanded part of the tree is walked, up to the last row shown.
void CDirectoryView::_addRows(CDirNode* node, unsigned int depth, unsigned int& counter) {
  for (CDirNode* child : node->GetChildren()) {
    if (m_displayList.size() >= VISIBLE_ROWS) return;
    const unsigned int row = counter++;
    if (row >= m_firstRow) m_displayList.push_back({child, depth});
    if (child->IsExpanded()) _addRows(child, depth + 1, counter);
  }
}

namespace {

// Counts rows in display order (below expanded nodes) until target.
bool CountRows(const CDirNode* node, const CDirNode* target, unsigned int& counter) {
  if (!node->IsExpanded()) return false;
  for (const CDirNode* child : node->GetChildren()) {
    ++counter;
    if (child == target) return true;
    if (CountRows(child, target, counter)) return true;
  }
  return false;
}

}  // namespace

bool CDirectoryView::_findRow(const CDirNode* node, unsigned int& row) {
  const CDirNode* root = m_tree.GetRoot();
  if (!root || !node) return false;
  row = 0;
  if (node == root) return true;
  return CountRows(root, node, row);
}

void CDirectoryView::ScrollToDir(const std::string& path) {
  if (CDirNode* node = m_tree.FindDir(path)) _scrollToNode(node);
}

void CDirectoryView::_scrollToNode(CDirNode* node) {
  bool expanded = false;
  for (CDirNode* p = node->GetParent(); p; p = p->GetParent()) {
    if (!p->IsExpanded()) {
      p->SetExpanded(true);
      expanded = true;
    }
  }
  // The scroll range grows with the rows just shown.
  if (expanded) RebuildDisplayList();
  unsigned int row = 0;
  if (_findRow(node, row)) {
    unsigned int first = m_firstRow;
    if (row < first) first = row;
    else if (row >= first + VISIBLE_ROWS) first = row - (VISIBLE_ROWS - 1);
    if (first != m_firstRow) {
      m_firstRow = first;
      if (m_scrollBar) m_scrollBar->setOffset(static_cast<long long>(first) * ROW_HEIGHT);
      RebuildDisplayList();
    }
  }
  m_selected = node;
  _notifyOwner();
  invalid();
}

void CDirectoryView::SetSelectedNode(CDirNode* node) {
  m_selected = node;
  _notifyOwner();
  invalid();
}

std::string CDirectoryView::GetSelectedDirectory() const { return m_selected ? m_selected->GetPath() : std::string(); }

bool CDirectoryView::SelectNextDir() {
  if (!m_selected) return false;
  m_tree.TraverseToNode(m_selected);
  // The selected folder's first child, else the sibling after the way up.
  for (CDirNode* node = m_selected; node; node = node->GetParent()) {
    if (CDirNode* next = node->GetNextChild()) {
      _scrollToNode(next);
      return true;
    }
  }
  return false;
}

bool CDirectoryView::SelectPrevDir() {
  if (!m_selected || !m_selected->GetParent()) return false;
  CDirNode* previous = m_selected->GetPrevChild();
  if (!previous) return false;
  _scrollToNode(previous);
  return true;
}

bool CDirectoryView::SelectFirstDir() {
  CDirNode* root = m_tree.GetRoot();
  if (!root) return false;
  _scrollToNode(root);
  return true;
}

bool CDirectoryView::SelectLastDir() {
  CDirNode* root = m_tree.GetRoot();
  CDirNode* last = root ? root->GetLastChild() : nullptr;
  if (!last) return false;
  _scrollToNode(last);
  return true;
}

void CDirectoryView::_notifyOwner() {
  if (m_owner) m_owner->OnDirectorySelected();
}

// ---------------------------------------------------------------------------
// Drawing and the mouse

void CDirectoryView::drawBackgroundRect(CDrawContext* context, const CRect& updateRect) {
  CViewContainer::drawBackgroundRect(context, updateRect);
  const CColor oldFrame = context->getFrameColor();
  const CColor oldFill = context->getFillColor();
  const CDrawMode oldMode = context->getDrawMode();
  context->setFont(&m_font);
  for (size_t i = 0; i < m_displayList.size(); ++i) {
    const DISPLAY_DIR_ITEM& item = m_displayList[i];
    const CCoord top = m_listRect.top + ROW_HEIGHT * static_cast<CCoord>(i);
    const CRect row(m_listRect.left, top, m_listRect.right - 1, top + (i == 0 ? ROW_HEIGHT : ROW_HEIGHT - 1));
    context->setFillColor(SELECTED_FILL);
    if (item.node == m_selected) {
      context->setFontColor(SELECTED_TEXT);
      context->drawRect(row, kDrawFilled);
    } else {
      context->setFontColor(TEXT);
    }
    context->setFrameColor(MARK_FRAME);
    context->setFillColor(MARK_FILL);
    const CCoord x = row.left + static_cast<CCoord>(item.depth) * 15 + 15;
    if (item.node->HasChildren()) {
      const CCoord middle = top + ROW_HEIGHT / 2;
      context->setDrawMode(kAntialias);
      // A light disc under the mark: on the pane's dark background the dark
      // mark alone cannot be told filled (expanded) from framed (collapsed).
      const CRect mark(x - 10, middle - 2, x - 3, middle + 5);
      CRect halo = mark;
      halo.inset(-1, -1);
      context->setFillColor(TEXT);
      context->drawEllipse(halo, kDrawFilled);
      context->setFillColor(MARK_FILL);
      context->drawEllipse(mark, item.node->IsExpanded() ? kDrawFilledAndStroked : kDrawStroked);
      context->setDrawMode(oldMode);
    }
    if (x < row.right) {
      context->drawString(item.node->GetShownName().c_str(), CRect(x, row.top, row.right, row.bottom), false,
                          kLeftText);
    }
  }
  context->setFrameColor(oldFrame);
  context->setFillColor(oldFill);
}

CMouseEventResult CDirectoryView::onMouseDown(CPoint& where, const long& buttons) {
  CMouseEventResult result = kMouseEventNotHandled;
  if ((buttons & kLButton) && where.h - size.left < m_listRect.right) {
    const CCoord y = where.v - size.top;
    if (y >= 0) {
      const size_t row = static_cast<size_t>(y / ROW_HEIGHT);
      if (row < m_displayList.size()) {
        CDirNode* node = m_displayList[row].node;
        if (buttons & kDoubleClick) {
          node->SetExpanded(!node->IsExpanded());
          RebuildDisplayList();
        } else {
          SetSelectedNode(node);
        }
        result = kMouseEventHandled;
      }
    }
    invalid();
  }
  // The scroll bar takes its own clicks.
  CMouseEventResult passed = CViewContainer::onMouseDown(where, buttons);
  return passed == kMouseEventNotHandled ? result : passed;
}

bool CDirectoryView::onWheel(const CPoint& where, const float& distance, const long& buttons) {
  if (!m_scrollBar || distance == 0.f) return false;
  const long long rows = distance > 0.f ? -WHEEL_ROWS : WHEEL_ROWS;
  m_scrollBar->setOffset(m_scrollBar->getOffset() + rows * static_cast<long long>(ROW_HEIGHT));
  valueChanged(m_scrollBar);
  return true;
}

void CDirectoryView::valueChanged(CControl* control) {
  if (!control || control != m_scrollBar || control->getTag() != SCROLL_BAR_TAG) return;
  m_firstRow = static_cast<unsigned int>(m_scrollBar->getOffset() / ROW_HEIGHT);
  RebuildDisplayList();
  invalid();
}
