#include "editor/XYControl.h"

#include <cstring>

#include "editor/EditorTags.h"
#include "editor/IControlHandler.h"

namespace {

float Clamp01(float v) { return v >= 0.f ? (v > 1.f ? 1.f : v) : 0.f; }

const float PAD_PIXELS = 150.f;

}  // namespace

CXYControl::CXYControl(const CRect& size, CControlListener* listener, IControlHandler* handler, long tag)
    : CControl(size, listener, tag, nullptr), m_handler(handler) {}

CXYControl::CXYControl(const CXYControl& other)
    : CControl(other),
      m_handler(other.m_handler),
      m_startPoint(other.m_startPoint),
      m_enabled(other.m_enabled),
      m_bitmap(other.m_bitmap),
      m_startX(other.m_startX),
      m_startY(other.m_startY),
      m_x(other.m_x),
      m_y(other.m_y),
      m_reportedX(other.m_reportedX),
      m_reportedY(other.m_reportedY) {
  if (m_bitmap) m_bitmap->remember();
}

CXYControl::~CXYControl() {
  if (m_bitmap) m_bitmap->forget();
}

bool CXYControl::isTypeOf(const char* type) const {
  if (type && std::strcmp(type, "CXYControl") == 0) return true;
  return CControl::isTypeOf(type);
}

void CXYControl::SetPadBitmap(CBitmap* bitmap) {
  if (m_bitmap) m_bitmap->forget();
  m_bitmap = bitmap;
  setDirty(true);
}

void CXYControl::Enable() {
  m_enabled = true;
  setDirty(true);
}

void CXYControl::Disable() {
  m_enabled = false;
  setDirty(true);
}

void CXYControl::clipValue() {
  m_x = Clamp01(m_x);
  m_y = Clamp01(m_y);
}

void CXYControl::draw(CDrawContext* context) {
  const CRect& r = getViewSize();
  CCoord oldWidth = context->getLineWidth();
  CColor oldColor = context->getFrameColor();
  context->setLineWidth(1);
  if (m_bitmap) m_bitmap->drawTransparent(context, r);
  if (m_enabled) {
    float x = Clamp01(m_x);
    float y = Clamp01(m_y);
    CCoord px = static_cast<int>(x * ((r.right - r.left) - 15) + (r.left + 7));
    CCoord py = static_cast<int>((r.bottom - 8) - y * ((r.bottom - 15) - r.top));
    const CColor colours[3] = {CColor(255, 255, 255, 170), CColor(0, 0, 0, 15), CColor(0, 0, 0, 5)};
    for (int k = 0; k < 3; ++k) {
      context->setFrameColor(colours[k]);
      context->drawLine(CPoint(r.left + 3 + k, py + k), CPoint(r.right - 4 + k, py + k));
      context->drawLine(CPoint(px + k, r.top + 3 + k), CPoint(px + k, r.bottom - 4 + k));
    }
  }
  context->setLineWidth(oldWidth);
  context->setFrameColor(oldColor);
  setDirty(false);
}

CMouseEventResult CXYControl::onMouseDown(CPoint& where, const long& buttons) {
  if (!m_enabled) return kMouseEventHandled;
  if ((buttons & kRButton) || (buttons & kApple)) {
    if (m_handler) m_handler->OnControlMessage(this, CONTROL_MSG_POPUP, 0.f);
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
  }
  beginEdit();
  if (buttons == (kControl | kLButton)) {
    bool wasNonZero = m_x != 0.f || m_y != 0.f;
    m_x = 0.f;
    m_y = 0.f;
    if ((wasNonZero || isDirty()) && listener) listener->valueChanged(this);
    setDirty(true);
  }
  m_startX = m_x;
  m_startY = m_y;
  m_startPoint = where;
  return kMouseEventHandled;
}

CMouseEventResult CXYControl::onMouseMoved(CPoint& where, const long& buttons) {
  if (!m_enabled || !(buttons & kLButton)) return kMouseEventHandled;
  float dx = static_cast<float>(where.x - m_startPoint.x);
  if (buttons & kAlt) {
    m_startX = m_x;
    m_startPoint.x = where.x;
    dx = 0.f;
  }
  float dy = static_cast<float>(m_startPoint.y - where.y);
  if (buttons & kShift) {
    m_startY = m_y;
    m_startPoint.y = where.y;
    dy = 0.f;
  }
  float oldX = m_x;
  float oldY = m_y;
  m_x = Clamp01(m_startX + dx / PAD_PIXELS);
  m_y = Clamp01(m_startY + dy / PAD_PIXELS);
  if (m_x != oldX || m_y != oldY) {
    if (listener) listener->valueChanged(this);
    invalid();
  } else if (isDirty()) {
    invalid();
  }
  return kMouseEventHandled;
}

CMouseEventResult CXYControl::onMouseUp(CPoint& where, const long& buttons) {
  if (m_enabled) endEdit();
  return kMouseEventHandled;
}
