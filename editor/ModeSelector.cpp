#include "editor/ModeSelector.h"

#include <cstdio>
#include <cstring>

#include "editor/EditorTags.h"
#include "editor/IControlHandler.h"
#include "editor/PopupMenu.h"

// ---------------------------------------------------------------------------
// CModeSelector

CModeSelector::CModeSelector(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                             long segments, float defaultValue, bool vertical)
    : CControl(size, listener, tag, background), m_segments(segments), m_vertical(vertical) {
  setValue(defaultValue);
  setDefaultValue(defaultValue);
}

bool CModeSelector::isTypeOf(const char* type) const {
  if (type && std::strcmp(type, "CModeSelector") == 0) return true;
  return CControl::isTypeOf(type);
}

void CModeSelector::draw(CDrawContext* context) {
  CBitmap* bitmap = getBackground();
  if (bitmap && m_segments > 0) {
    float v = getValue();
    if (!(v >= 0.f)) v = 0.f;
    if (v > m_segments - 1) v = static_cast<float>(m_segments - 1);
    CPoint offset;
    if (m_vertical) {
      offset = CPoint(static_cast<int>(v * bitmap->getWidth() / m_segments), 0);
    } else {
      offset = CPoint(0, static_cast<int>(v * bitmap->getHeight() / m_segments));
    }
    if (getTransparency()) {
      bitmap->drawTransparent(context, getViewSize(), offset);
    } else {
      bitmap->draw(context, getViewSize(), offset);
    }
  }
  setDirty(false);
}

CMouseEventResult CModeSelector::onMouseDown(CPoint& where, const long& buttons) {
  if (!(buttons & kLButton)) return kMouseEventHandled;
  const CRect& r = getViewSize();
  long extent = static_cast<long>(m_vertical ? r.height() : r.width());
  if (m_segments <= 0) return kMouseEventHandled;
  long segment = extent / m_segments;
  if (segment <= 0) return kMouseEventHandled;  // narrower than its segment count
  long index;
  if (buttons & kControl) {
    index = static_cast<long>(getDefaultValue());
  } else if (m_vertical) {
    index = static_cast<long>(r.bottom - where.y) / segment;
  } else {
    index = static_cast<long>(where.x - r.left) / segment;
  }
  if (index < 0) index = 0;
  if (index > m_segments - 1) index = m_segments - 1;
  setValue(static_cast<float>(index));
  if (!isDirty()) return kMouseEventHandled;
  invalid();
  beginEdit();
  if (listener) listener->valueChanged(this);
  endEdit();
  return kMouseEventHandled;
}

// ---------------------------------------------------------------------------
// CNumericList

CNumericList::CNumericList(const CRect& size, CControlListener* listener, IControlHandler* handler, long tag,
                           const CColor& textColor, bool bipolar, float defaultValue, bool decimal)
    : CParamDisplay(size, nullptr, kNoFrame), m_handler(handler), m_bipolar(bipolar), m_decimal(decimal) {
  setListener(listener);
  setTag(tag);
  setTextTransparency(true);
  CFontDesc* font = new CFontDesc(listFontName, listFontSize);
  setFont(font);
  font->forget();
  setFontColor(textColor);
  setBackColor(CColor(0, 0, 0, 0));
  setDefaultValue(defaultValue);
}

bool CNumericList::isTypeOf(const char* type) const {
  if (type && std::strcmp(type, "CNumericList") == 0) return true;
  return CParamDisplay::isTypeOf(type);
}

void CNumericList::clipValue() {
  if (!(value >= 0.f)) value = 0.f;
  if (value > 1.f) value = 1.f;
}

std::string CNumericList::FormatValue() const {
  float v = value;
  if (!(v >= 0.f)) v = 0.f;
  if (v > 1.f) v = 1.f;
  float d = m_bipolar ? 2.f * v - 1.f : v;
  float scale = m_decimal ? 10.f : 1.f;
  float x = d * scale * 100.f;
  // Halves go away from zero.
  float shown = (x >= 0.f ? static_cast<float>(static_cast<int>(x + 0.5f))
                          : static_cast<float>(static_cast<int>(x - 0.5f))) /
                scale;
  const char* format;
  if (!m_bipolar) {
    format = m_decimal ? "%2.1f" : "%2.0f";
  } else if (shown == 0.f) {
    format = "%2.0f";
  } else if (shown <= 99.999f && shown >= -99.999f) {
    format = m_decimal ? "%+2.1f" : "%+2.0f";
  } else {
    format = "%+2.0f";
  }
  char text[32];
  std::snprintf(text, sizeof(text), format, shown);
  return text;
}

void CNumericList::draw(CDrawContext* context) {
  clipValue();
  drawText(context, FormatValue().c_str());
  setDirty(false);
}

CMouseEventResult CNumericList::onMouseDown(CPoint& where, const long& buttons) {
  beginEdit();
  m_dragged = false;
  m_startValue = value;
  m_startPoint = where;
  m_buttons = buttons;
  return kMouseEventHandled;
}

CMouseEventResult CNumericList::onMouseMoved(CPoint& where, const long& buttons) {
  if (m_handler) m_handler->OnControlMessage(this, CONTROL_MSG_HOVER, 0.f);
  if (buttons != kLButton) return kMouseEventHandled;
  float dy = static_cast<float>(m_startPoint.y - where.y);
  int steps = m_decimal ? static_cast<int>(dy / 2.5f) : static_cast<int>(dy / 3.f);
  if (dy > 3.f || dy < -3.f) m_dragged = true;
  float step = m_bipolar ? 0.005f : 0.01f;
  value = m_startValue + step * steps;
  clipValue();
  if (isDirty()) {
    if (listener) listener->valueChanged(this);
    invalid();
  }
  return kMouseEventHandled;
}

CMouseEventResult CNumericList::onMouseUp(CPoint& where, const long& buttons) {
  if (m_dragged) {
    endEdit();
    return kMouseEventHandled;
  }
  float step = (m_bipolar ? 0.005f : 0.01f) * (m_decimal ? 0.1f : 1.f);
  long pressed = m_buttons & ~kDoubleClick;
  if (pressed == kLButton) {
    value += step;
  } else if (pressed == (kControl | kLButton)) {
    value = getDefaultValue();
  } else if (pressed == (kAlt | kLButton)) {
    value -= step;
  }
  clipValue();
  if (isDirty()) {
    if (listener) listener->valueChanged(this);
    invalid();
  }
  endEdit();
  return kMouseEventHandled;
}

// ---------------------------------------------------------------------------
// CTextButton

CTextButton::CTextButton(const CRect& size, CControlListener* listener, long tag, const char* caption)
    : CControl(size, listener, tag, nullptr),
      m_caption(caption ? caption : ""),
      m_font(new CFontDesc(listFontName, listFontSize)) {}

CTextButton::CTextButton(const CTextButton& other)
    : CControl(other), m_caption(other.m_caption), m_font(new CFontDesc(*other.m_font)) {}

CTextButton::~CTextButton() { m_font->forget(); }

bool CTextButton::isTypeOf(const char* type) const {
  if (type && std::strcmp(type, "CTextButton") == 0) return true;
  return CControl::isTypeOf(type);
}

void CTextButton::setText(const char* text) {
  m_caption = text ? text : "";
  setDirty(true);
}

void CTextButton::setFontSize(long size, long style) {
  m_font->forget();
  m_font = new CFontDesc(listFontName, size, style);
  setDirty(true);
}

void CTextButton::draw(CDrawContext* context) {
  if (!m_caption.empty()) {
    context->setFont(m_font);
    context->setFontColor(CColor(255, 255, 255, 255));
    context->drawString(m_caption.c_str(), getViewSize(), false, kCenterText);
  }
  setDirty(false);
}

CMouseEventResult CTextButton::onMouseDown(CPoint& where, const long& buttons) {
  if (listener) listener->valueChanged(this);
  return kMouseEventHandled;
}
