#include "editor/PopupMenu.h"

#include <cstring>
#include <mutex>

#include "editor/StringLists.h"

char listFontName[50] = "";
int listFontSize = 0;

// Once per process: editors may be constructed on several threads.
void InitFonts() {
  static std::once_flag once;
  std::call_once(once, [] {
    std::strncpy(listFontName, "Arial", sizeof(listFontName) - 1);
    listFontName[sizeof(listFontName) - 1] = 0;
    listFontSize = 9;
  });
}

int IsCalibriPresent() { return 0; }

CPopupMenu::CPopupMenu(const std::vector<std::string>& items, long current)
    : m_menu(new COptionMenu(CRect(0, 0, 0, 0), this, -1)) {
  bool columnBreak = false;
  long selectable = 0;
  for (const std::string& item : items) {
    if (item == POPUP_MENU_SEPARATOR) {
      m_menu->addSeparator();
    } else if (item == POPUP_MENU_PAGE_BREAK) {
      columnBreak = true;
    } else {
      long flags = CMenuItem::kNoFlags;
      if (selectable == current) flags |= CMenuItem::kChecked;
      if (columnBreak) flags |= CMenuItem::kColumnBreak;
      columnBreak = false;
      m_menu->addEntry(item.c_str(), -1, flags);
      ++selectable;
    }
  }
}

CPopupMenu::~CPopupMenu() { m_menu->forget(); }

long CPopupMenu::Popup(CControl* control) {
  if (!control) return -1;
  CFrame* frame = control->getFrame();
  if (!frame) return -1;
  // The mouse position, in frame coordinates.
  CPoint where;
  frame->getCurrentMouseLocation(where);
  CRect place(where.x, where.y, where.x + 1, where.y + 1);
  m_menu->setViewSize(place, false);
  m_menu->setMouseableArea(place);
  m_menu->remember();  // the frame's reference; removeView below drops it
  frame->addView(m_menu);
  frame->setFocusView(m_menu);
  frame->removeView(m_menu, true);

  long result = -1;
  long indexInMenu = -1;
  if (COptionMenu* chosen = m_menu->getLastItemMenu(indexInMenu)) result = chosen->getCurrent(nullptr, false);
  control->invalid();
  return result;
}
