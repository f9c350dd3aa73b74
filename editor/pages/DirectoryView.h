#pragma once
// The preset browser's folder tree: every folder below one root (never
// files), read from disk on Refresh, shown as up to 20 indented rows with a
// vertical scroll bar. A click selects a folder, a double click expands or
// collapses it; the walks to the next and previous folder in depth-first
// pre-order serve the browser's next and previous file. Every change of the
// selection tells the owner, which shows that folder's files.
//
// Reading stays bounded whatever the disk holds: folders whose names begin
// with "." are left out at every depth, a folder that is one of its own
// ancestors (a link loop) is left out, and reading stops at MAX_DEPTH
// levels and MAX_FOLDERS folders. Folders are read level by level, so the
// folder limit leaves out the deepest folders first: every folder near the
// root is listed however many folders lie below its earlier siblings.

#include <string>
#include <vector>

#include "editor/pages/DirTree.h"
#include "editor/pages/FolderListing.h"
#include "platform/vstgui/vstgui.h"

class CPresetBrowser;
class CScrollBar;

struct DISPLAY_DIR_ITEM {
  CDirNode* node;
  unsigned int depth;
};

class CDirectoryView : public CViewContainer, public CControlListener {
 public:
  static constexpr unsigned int ROW_HEIGHT = 17;
  static constexpr unsigned int VISIBLE_ROWS = 20;
  // Deep enough for any real folder tree; it bounds the recursion of the
  // walks over the tree.
  static constexpr unsigned int MAX_DEPTH = 256;
  static constexpr unsigned int MAX_FOLDERS = 10000;

  CDirectoryView(CPresetBrowser* owner, const CRect& size);
  CDirectoryView(const CDirectoryView& other);

  // Stores the root and reads the tree.
  void SetRootDirectory(const std::string& path, const std::string& name);
  // Reads the whole tree from the root again and selects the root.
  void Refresh();
  void InitSelection(const std::string& path) { ScrollToDir(path); }
  // Selects the folder of exactly this path: expands its ancestors, scrolls
  // it into view and tells the owner. Nothing when the tree lacks it.
  void ScrollToDir(const std::string& path);
  void SetSelectedNode(CDirNode* node);
  // The selected folder's path; empty with no selection.
  std::string GetSelectedDirectory() const;
  // Walks in pre-order over all folders, collapsed ones too; true when a
  // folder was selected.
  bool SelectNextDir();
  bool SelectPrevDir();
  bool SelectFirstDir();
  bool SelectLastDir();
  // Folders in the tree, the root included.
  unsigned int GetCount() const { return m_tree.GetCount(); }
  void RebuildDisplayList();

  // For the browser and tests.
  const std::vector<DISPLAY_DIR_ITEM>& GetDisplayList() const { return m_displayList; }
  unsigned int GetFirstRow() const { return m_firstRow; }
  CDirNode* GetSelectedNode() const { return m_selected; }
  CDirTree& GetTree() { return m_tree; }
  CScrollBar* GetScrollBar() const { return m_scrollBar; }
  const std::string& GetRootPath() const { return m_rootPath; }
  void SetOwner(CPresetBrowser* owner) { m_owner = owner; }

  void drawBackgroundRect(CDrawContext* context, const CRect& updateRect) override;
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  void valueChanged(CControl* control) override;
  // The wheel scrolls the list (three rows a notch), as its scroll bar does.
  bool onWheel(const CPoint& where, const float& distance, const long& buttons) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CDirectoryView(*this); }

 private:
  // Clears the tree and reads it from the root (the root expanded).
  void _readTree();
  // Adds the folders below root, breadth first, within the limits.
  void _search(CDirNode* root);
  // ScrollToDir for a node of the tree.
  void _scrollToNode(CDirNode* node);
  void _notifyOwner();
  // Row of node in the full display order (root 0); false when hidden
  // or absent.
  bool _findRow(const CDirNode* node, unsigned int& row);
  void _addRows(CDirNode* node, unsigned int depth, unsigned int& counter);

  CPresetBrowser* m_owner;
  std::string m_rootPath;
  std::string m_rootName;
  CScrollBar* m_scrollBar = nullptr;
  CDirTree m_tree;
  std::vector<DISPLAY_DIR_ITEM> m_displayList;
  unsigned int m_firstRow = 0;
  CDirNode* m_selected = nullptr;
  CRect m_listRect;
  CFontDesc m_font;
};
