#pragma once
// Pop-up menus: entries with titles and flags (checked, disabled,
// separator, column break), submenus, the current entry and the result of
// the last time the menu was shown.
//
// A menu shows itself when it takes the frame's focus (or on a click): the
// frame's menu chooser stands in for the user (see CFrame::MenuChooser).
// After a choice, getLastItemMenu tells which menu (the root or a submenu)
// holds the chosen entry and that menu's current entry is the chosen one;
// the root's listener is told. A dismissed menu leaves everything as it
// was and getLastItemMenu answers null.
//
// Entry indices count separators unless a call says otherwise. A title of
// exactly "-" adds a separator.

#include <string>
#include <vector>

#include "platform/vstgui/ParamDisplay.h"

class COptionMenu;

class CMenuItem : public CBaseObject {
 public:
  enum Flags {
    kNoFlags = 0,
    kDisabled = 1 << 0,
    kTitle = 1 << 1,
    kChecked = 1 << 2,      // 4
    kSeparator = 1 << 3,
    kColumnBreak = 1 << 4,  // 16: the entry starts a new column
  };

  // The item remembers the submenu.
  CMenuItem(const char* title, long flags = kNoFlags, COptionMenu* submenu = nullptr);
  CMenuItem(const CMenuItem& other);
  ~CMenuItem() override;

  const char* getTitle() const { return title.c_str(); }
  void setTitle(const char* text) { title = text ? text : ""; }
  long getFlags() const { return flags; }
  void setFlags(long val) { flags = val; }
  bool isChecked() const { return (flags & kChecked) != 0; }
  void setChecked(bool state) { flags = state ? (flags | kChecked) : (flags & ~kChecked); }
  bool isEnabled() const { return (flags & kDisabled) == 0; }
  void setEnabled(bool state) { flags = state ? (flags & ~kDisabled) : (flags | kDisabled); }
  bool isSeparator() const { return (flags & kSeparator) != 0; }
  bool isTitle() const { return (flags & kTitle) != 0; }
  bool isColumnBreak() const { return (flags & kColumnBreak) != 0; }
  COptionMenu* getSubmenu() const { return submenu; }
  void setSubmenu(COptionMenu* menu);

 private:
  std::string title;
  long flags;
  COptionMenu* submenu = nullptr;
};

class COptionMenu : public CParamDisplay {
 public:
  // Style bits: show check marks (kCheckStyle); several may be checked
  // (kMultipleCheckStyle); otherwise the current entry carries the mark.
  enum { kCheckStyle = 1 << 15, kMultipleCheckStyle = (1 << 16) | (1 << 15) };

  COptionMenu(const CRect& size, CControlListener* listener, long tag, CBitmap* background = nullptr,
              CBitmap* backgroundWhenClicked = nullptr, long style = 0);
  COptionMenu();
  COptionMenu(const COptionMenu& other);
  ~COptionMenu() override;

  // Entries. index -1 appends; the menu takes over the item's reference.
  CMenuItem* addEntry(CMenuItem* item, long index = -1);
  // A submenu entry; the item remembers the submenu (the caller keeps its
  // own reference).
  CMenuItem* addEntry(COptionMenu* submenu, const char* title);
  CMenuItem* addEntry(const char* title, long index = -1, long itemFlags = CMenuItem::kNoFlags);
  CMenuItem* addSeparator();
  CMenuItem* getEntry(long index) const;
  long getNbEntries() const { return (long)items.size(); }
  bool removeEntry(long index);
  bool removeAllEntry();
  // Index of the first entry with the title (separators counted), or -1.
  long getIndex(const char* title) const;
  // Finds an entry by title here or in any submenu (depth first).
  bool findEntry(const char* title, COptionMenu*& menu, long& index);
  COptionMenu* getSubMenu(long index) const;

  bool checkEntry(long index, bool state);
  bool checkEntryAlone(long index);
  bool isCheckEntry(long index) const;
  void setNbItemsPerColumn(long count) { nbItemsPerColumn = count; }
  long getNbItemsPerColumn() const { return nbItemsPerColumn; }

  // Current entry; without countSeparator the index skips separators.
  // setCurrent answers false for an index out of range.
  bool setCurrent(long index, bool countSeparator = true);
  // Copies the current title into txt (when given, up to 255 characters);
  // -1 when there is no current entry.
  long getCurrent(char* txt = nullptr, bool countSeparator = true) const;
  void setValue(float val) override;

  // The last time the menu was shown: the chosen entry's index in the menu
  // holding it, and that menu; -1 and null when nothing was chosen.
  long getLastResult() const { return lastResult; }
  COptionMenu* getLastItemMenu(long& idxInMenu) const;

  // Shows the menu (through the frame's chooser); true when an entry was
  // chosen.
  bool popup();
  void takeFocus() override;
  void looseFocus() override;

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new COptionMenu(*this); }

 private:
  bool _contains(const COptionMenu* menu) const;
  void _clearResults();

  std::vector<CMenuItem*> items;
  long currentIndex = -1;
  long lastResult = -1;
  COptionMenu* lastMenu = nullptr;
  long nbItemsPerColumn = -1;
  CBitmap* bgWhenClick = nullptr;
  bool inPopup = false;
};
