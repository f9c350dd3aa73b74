#include "editor/ListControl.h"

#include <cstring>

#include "editor/PopupMenu.h"
#include "editor/StringLists.h"

CListControl::CListControl(const CRect& size, CControlListener* listener, long tag, const CColor& textColor,
                           const std::vector<std::string>* list, float defaultValue, long clickMode)
    : CParamDisplay(size, nullptr, kNoFrame), m_clickMode(clickMode) {
  setListener(listener);
  setTag(tag);
  setTextTransparency(true);
  CFontDesc* font = new CFontDesc(listFontName, listFontSize);
  setFont(font);
  font->forget();
  setFontColor(textColor);
  setBackColor(CColor(0, 0, 0, 0));
  if (list) {
    for (const std::string& item : *list) addListItem(item.c_str());
  }
  setDefaultValue(defaultValue);
  setValue(0.f);
}

CListControl::CListControl(const CListControl& other)
    : CParamDisplay(other),
      m_clickMode(other.m_clickMode),
      m_enabled(other.m_enabled),
      m_allEntries(other.m_allEntries),
      m_entries(other.m_entries),
      m_disabledText(other.m_disabledText),
      m_startPoint(other.m_startPoint),
      m_startValue(other.m_startValue),
      m_dragged(other.m_dragged),
      m_buttons(other.m_buttons) {}

bool CListControl::isTypeOf(const char* type) const {
  if (type && std::strcmp(type, "CListControl") == 0) return true;
  return CParamDisplay::isTypeOf(type);
}

void CListControl::addListItem(const char* item) {
  if (!item) return;
  m_allEntries.push_back(item);
  if (!IsMenuMark(item)) m_entries.push_back(item);
}

void CListControl::clipValue() {
  float last = m_entries.empty() ? 0.f : static_cast<float>(m_entries.size() - 1);
  if (!(value >= 0.f)) value = 0.f;  // also NaN
  if (value > last) value = last;
}

void CListControl::Disable(const char* text) {
  m_enabled = false;
  m_disabledText = text ? text : "";
  setDirty(true);
}

void CListControl::Enable() {
  m_enabled = true;
  setDirty(true);
}

void CListControl::draw(CDrawContext* context) {
  clipValue();
  const char* text = "";
  if (!m_enabled) {
    text = m_disabledText.c_str();
  } else if (!m_entries.empty()) {
    text = m_entries[static_cast<size_t>(value)].c_str();
  }
  drawText(context, text);
  setDirty(false);
}

CMouseEventResult CListControl::onMouseDown(CPoint& where, const long& buttons) {
  if (!m_enabled) return kMouseEventHandled;
  beginEdit();
  if (buttons == kRButton || (buttons & kApple)) {
    clipValue();
    CPopupMenu menu(m_allEntries, static_cast<long>(value));
    long result = menu.Popup(this);
    if (result != -1 && result != static_cast<long>(value)) {
      setValue(static_cast<float>(result));
      clipValue();
      if (listener) listener->valueChanged(this);
      invalid();
    }
    if (CFrame* frame = getFrame()) frame->setFocusView(nullptr);
    endEdit();
    m_dragged = false;
    m_startValue = value;
    m_startPoint = where;
    m_buttons = buttons;
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
  }
  m_dragged = false;
  m_startValue = value;
  m_startPoint = where;
  m_buttons = buttons;
  return kMouseEventHandled;
}

CMouseEventResult CListControl::onMouseMoved(CPoint& where, const long& buttons) {
  if (!m_enabled || buttons != kLButton) return kMouseEventHandled;
  int dy = static_cast<int>(where.y - m_startPoint.y);
  if (m_clickMode == 2) dy = -dy;
  if (dy >= 11 || dy <= -11) m_dragged = true;
  value = m_startValue + static_cast<float>(dy / 10);
  clipValue();
  if (isDirty()) {
    if (listener) listener->valueChanged(this);
    invalid();
  }
  return kMouseEventHandled;
}

CMouseEventResult CListControl::onMouseUp(CPoint& where, const long& buttons) {
  if (!m_enabled) return kMouseEventHandled;
  if (!m_dragged) {
    float last = m_entries.empty() ? 0.f : static_cast<float>(m_entries.size() - 1);
    long pressed = m_buttons & ~kDoubleClick;
    bool forward = pressed == kLButton;
    bool backward = pressed == (kAlt | kLButton);
    if (forward || backward) {
      if (m_clickMode == 0 || m_clickMode == 2) {
        if (forward) {
          value += 1.f;
          if (value > last) value = 0.f;
        } else {
          value -= 1.f;
          if (value < 0.f) value = last;
        }
      } else if (m_clickMode == 1) {
        value += forward ? -1.f : 1.f;
        clipValue();
      }
    } else if (pressed == (kControl | kLButton)) {
      value = getDefaultValue();
    }
  }
  if (isDirty()) {
    if (listener) listener->valueChanged(this);
    invalid();
  }
  endEdit();
  return kMouseEventHandled;
}
