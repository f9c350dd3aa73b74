// Pop-up menu entries, submenus and the modal choice.

#include "platform/vstgui/OptionMenu.h"

#include <cstring>

#include "platform/vstgui/Bitmap.h"
#include "platform/vstgui/DrawContext.h"
#include "platform/vstgui/Frame.h"

CMenuItem::CMenuItem(const char* text, long f, COptionMenu* menu) : title(text ? text : ""), flags(f) {
  setSubmenu(menu);
}

CMenuItem::CMenuItem(const CMenuItem& other) : CBaseObject(), title(other.title), flags(other.flags) {
  setSubmenu(other.submenu);
}

CMenuItem::~CMenuItem() { setSubmenu(nullptr); }

void CMenuItem::setSubmenu(COptionMenu* menu) {
  if (menu == submenu) return;
  if (menu) menu->remember();
  if (submenu) submenu->forget();
  submenu = menu;
}

// ---------------------------------------------------------------------------

COptionMenu::COptionMenu(const CRect& size, CControlListener* l, long t, CBitmap* background,
                         CBitmap* backgroundWhenClicked, long s)
    : CParamDisplay(size, background, s), bgWhenClick(backgroundWhenClicked) {
  listener = l;
  tag = t;
  if (bgWhenClick) bgWhenClick->remember();
}

COptionMenu::COptionMenu() : COptionMenu(CRect(0, 0, 0, 0), nullptr, -1) {}

COptionMenu::COptionMenu(const COptionMenu& other)
    : CParamDisplay(other),
      currentIndex(other.currentIndex),
      nbItemsPerColumn(other.nbItemsPerColumn),
      bgWhenClick(other.bgWhenClick) {
  if (bgWhenClick) bgWhenClick->remember();
  for (CMenuItem* item : other.items) items.push_back(new CMenuItem(*item));
}

COptionMenu::~COptionMenu() {
  removeAllEntry();
  if (bgWhenClick) bgWhenClick->forget();
}

// ---------------------------------------------------------------------------
// Entries

CMenuItem* COptionMenu::addEntry(CMenuItem* item, long index) {
  if (!item) return nullptr;
  if (std::strcmp(item->getTitle(), "-") == 0) item->setFlags(item->getFlags() | CMenuItem::kSeparator);
  if (index < 0 || index >= (long)items.size()) {
    items.push_back(item);
  } else {
    items.insert(items.begin() + index, item);
    if (currentIndex >= index) currentIndex++;
  }
  return item;
}

CMenuItem* COptionMenu::addEntry(COptionMenu* submenu, const char* title) {
  if (!submenu || submenu == this) return nullptr;
  return addEntry(new CMenuItem(title, CMenuItem::kNoFlags, submenu));
}

CMenuItem* COptionMenu::addEntry(const char* title, long index, long itemFlags) {
  return addEntry(new CMenuItem(title, itemFlags), index);
}

CMenuItem* COptionMenu::addSeparator() { return addEntry(new CMenuItem("-", CMenuItem::kSeparator)); }

CMenuItem* COptionMenu::getEntry(long index) const {
  if (index < 0 || index >= (long)items.size()) return nullptr;
  return items[(size_t)index];
}

bool COptionMenu::removeEntry(long index) {
  if (index < 0 || index >= (long)items.size()) return false;
  CMenuItem* item = items[(size_t)index];
  items.erase(items.begin() + index);
  if (item->getSubmenu() == lastMenu) _clearResults();
  item->forget();
  if (currentIndex == index)
    currentIndex = -1;
  else if (currentIndex > index)
    currentIndex--;
  setDirty();
  return true;
}

bool COptionMenu::removeAllEntry() {
  for (CMenuItem* item : items) item->forget();
  items.clear();
  currentIndex = -1;
  _clearResults();
  setDirty();
  return true;
}

long COptionMenu::getIndex(const char* title) const {
  if (!title) return -1;
  for (size_t i = 0; i < items.size(); i++)
    if (std::strcmp(items[i]->getTitle(), title) == 0) return (long)i;
  return -1;
}

bool COptionMenu::findEntry(const char* title, COptionMenu*& menu, long& index) {
  if (!title) return false;
  for (size_t i = 0; i < items.size(); i++) {
    CMenuItem* item = items[i];
    if (item->isSeparator()) continue;
    if (!item->getSubmenu() && std::strcmp(item->getTitle(), title) == 0) {
      menu = this;
      index = (long)i;
      return true;
    }
  }
  for (CMenuItem* item : items)
    if (item->getSubmenu() && item->getSubmenu()->findEntry(title, menu, index)) return true;
  return false;
}

COptionMenu* COptionMenu::getSubMenu(long index) const {
  CMenuItem* item = getEntry(index);
  return item ? item->getSubmenu() : nullptr;
}

bool COptionMenu::checkEntry(long index, bool state) {
  CMenuItem* item = getEntry(index);
  if (!item || item->isSeparator()) return false;
  item->setChecked(state);
  return true;
}

bool COptionMenu::checkEntryAlone(long index) {
  if (!getEntry(index)) return false;
  for (size_t i = 0; i < items.size(); i++) items[i]->setChecked((long)i == index);
  return true;
}

bool COptionMenu::isCheckEntry(long index) const {
  CMenuItem* item = getEntry(index);
  return item && item->isChecked();
}

// ---------------------------------------------------------------------------
// Current entry

bool COptionMenu::setCurrent(long index, bool countSeparator) {
  long raw = index;
  if (!countSeparator) {
    raw = -1;
    long n = 0;
    for (size_t i = 0; i < items.size(); i++) {
      if (items[i]->isSeparator()) continue;
      if (n++ == index) {
        raw = (long)i;
        break;
      }
    }
  }
  CMenuItem* item = getEntry(raw);
  if (!item || item->isSeparator()) return false;
  currentIndex = raw;
  value = (float)raw;
  if (style & kCheckStyle && !(style & (1 << 16))) checkEntryAlone(raw);
  setDirty();
  return true;
}

long COptionMenu::getCurrent(char* txt, bool countSeparator) const {
  CMenuItem* item = getEntry(currentIndex);
  if (!item) {
    if (txt) txt[0] = 0;
    return -1;
  }
  if (txt) {
    std::strncpy(txt, item->getTitle(), 255);
    txt[255] = 0;
  }
  if (countSeparator) return currentIndex;
  long n = 0;
  for (long i = 0; i < currentIndex; i++)
    if (!items[(size_t)i]->isSeparator()) n++;
  return n;
}

void COptionMenu::setValue(float val) {
  if (!(val >= 0.f) || val >= (float)items.size()) return;
  setCurrent((long)val);
}

COptionMenu* COptionMenu::getLastItemMenu(long& idxInMenu) const {
  idxInMenu = lastMenu ? lastMenu->currentIndex : -1;
  return lastMenu;
}

void COptionMenu::_clearResults() {
  lastResult = -1;
  lastMenu = nullptr;
}

bool COptionMenu::_contains(const COptionMenu* menu) const {
  if (menu == this) return true;
  for (CMenuItem* item : items)
    if (item->getSubmenu() && item->getSubmenu()->_contains(menu)) return true;
  return false;
}

// ---------------------------------------------------------------------------
// Showing

bool COptionMenu::popup() {
  if (inPopup) return false;
  inPopup = true;
  _clearResults();
  CFrame* frame = getFrame();
  COptionMenu* menu = nullptr;
  long index = -1;
  bool chosen = false;
  if (frame && frame->runPopupMenu(this, menu, index) && menu && _contains(menu)) {
    CMenuItem* item = menu->getEntry(index);
    chosen = item && !item->isSeparator() && !item->isTitle() && item->isEnabled() && !item->getSubmenu();
  }
  if (chosen) {
    menu->currentIndex = index;
    menu->value = (float)index;
    lastMenu = menu;
    lastResult = index;
    if (menu != this) {
      menu->lastMenu = menu;
      menu->lastResult = index;
    }
    invalid();
    if (listener) listener->valueChanged(this);
  }
  inPopup = false;
  return chosen;
}

void COptionMenu::takeFocus() {
  popup();
  CFrame* frame = getFrame();
  if (frame && frame->getFocusView() == this) frame->setFocusView(nullptr);
}

void COptionMenu::looseFocus() {}

void COptionMenu::draw(CDrawContext* context) {
  CMenuItem* item = getEntry(currentIndex);
  drawText(context, item ? item->getTitle() : "");
  setDirty(false);
}

CMouseEventResult COptionMenu::onMouseDown(CPoint& where, const long& buttons) {
  if (!(buttons & (kLButton | kRButton | kApple))) return kMouseEventNotHandled;
  beginEdit();
  if (getFrame())
    getFrame()->setFocusView(this);
  else
    popup();
  endEdit();
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

bool COptionMenu::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "COptionMenu") == 0) || CParamDisplay::isTypeOf(type);
}
