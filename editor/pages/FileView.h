#pragma once
// The preset browser's file list: the files of the folder the folder tree
// selected, names without extension, in three columns of 19 cells filled
// top to bottom and then left to right, with a vertical scroll bar. Only
// regular files with the browser's extension are listed (so that every
// item loads by name + extension); names beginning with "." are left out.
// A click selects a file and has the owner load it, a double click also
// closes the browser; first, last, next and previous serve the browser's
// next and previous file.
//
// A folder with tens of thousands of files is read once per rescan and
// drawn 57 cells at a time; a folder that cannot be read shows no files.

#include <string>
#include <vector>

#include "platform/vstgui/vstgui.h"

class CPresetBrowser;
class CScrollBar;

class CFileView : public CViewContainer, public CControlListener {
 public:
  static constexpr unsigned int COLUMNS = 3;
  static constexpr unsigned int ROWS = 19;
  static constexpr unsigned int CELLS = COLUMNS * ROWS;
  static constexpr unsigned int CELL_HEIGHT = 18;

  CFileView(CPresetBrowser* owner, const CRect& size);
  CFileView(const CFileView& other);

  // Files shown: their extension (empty: every file).
  void SetExtension(const std::string& extension) { m_extension = extension; }
  const std::string& GetExtension() const { return m_extension; }

  // Shows the folder (rescans it).
  void SetDirectory(const std::string& path);
  void Refresh();
  unsigned int GetCount() const { return static_cast<unsigned int>(m_items.size()); }
  // Index of the first item equal to the selected name; -1 for none.
  long GetSelectedItemIndex() const;
  // Selects name in the shown folder and tells the owner (which loads it,
  // and closes the browser when close is set).
  void SetSelectedFile(const std::string& name, bool close);
  // Marks name as selected in the shown folder without telling anyone.
  void InitSelection(const std::string& name);
  // Selects name and tells the owner; scrolls it into view when listed.
  void SelectPreset(const std::string& name);
  // Each selects (and so loads) a file; false, changing nothing, when it
  // cannot move.
  bool SelectFirstFile();
  bool SelectLastFile();
  bool SelectNextFile();
  bool SelectPrevFile();
  // Scrolls so that item index is in one of the 57 cells.
  void MakeItemVisible(unsigned int index);

  const std::vector<std::string>& GetItems() const { return m_items; }
  const std::string& GetDirectory() const { return m_directory; }
  const std::string& GetSelectedDirectory() const { return m_selectedDirectory; }
  const std::string& GetSelectedName() const { return m_selectedName; }
  unsigned int GetFirstItem() const { return m_firstItem; }
  CScrollBar* GetScrollBar() const { return m_scrollBar; }
  void SetOwner(CPresetBrowser* owner) { m_owner = owner; }
  // The cell rectangle of item index in the pane (empty when not shown).
  CRect GetItemRect(unsigned int index) const;

  void drawBackgroundRect(CDrawContext* context, const CRect& updateRect) override;
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  void valueChanged(CControl* control) override;
  // The wheel scrolls the list (three rows a notch), as its scroll bar does.
  bool onWheel(const CPoint& where, const float& distance, const long& buttons) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CFileView(*this); }

 private:
  CCoord _columnWidth() const { return m_listRect.width() / COLUMNS; }
  void _select(unsigned int index);

  CPresetBrowser* m_owner;
  CScrollBar* m_scrollBar = nullptr;
  std::vector<std::string> m_items;      // names as on disk, without extension
  std::vector<std::string> m_shownNames; // the same, safe to draw
  std::string m_directory;
  std::string m_selectedDirectory;
  std::string m_selectedName;
  CRect m_listRect;
  unsigned int m_firstItem = 0;
  CFontDesc m_font;
  std::string m_extension;
};
