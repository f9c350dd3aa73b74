#include "editor/pages/StepControl.h"

#include <cstring>

namespace {

float Limit01(float v) { return v < 0.f ? 0.f : (v > 1.f ? 1.f : v); }

}  // namespace

CArpSlider::CArpSlider(const CRect& size, CControlListener* listener, long tag, CBitmap* bitmap, bool vertical)
    : CControl(size, listener, tag, nullptr), m_bitmap(bitmap), m_vertical(vertical) {
  if (m_bitmap) m_bitmap->remember();
}

CArpSlider::CArpSlider(const CArpSlider& other)
    : CControl(other),
      m_bitmap(other.m_bitmap),
      m_vertical(other.m_vertical),
      m_anchor(other.m_anchor),
      m_anchorValue(other.m_anchorValue),
      m_shift(other.m_shift) {
  if (m_bitmap) m_bitmap->remember();
}

CArpSlider::~CArpSlider() {
  if (m_bitmap) m_bitmap->forget();
}

void CArpSlider::draw(CDrawContext* context) {
  if (m_bitmap && context) {
    CRect fill = size;
    const float v = Limit01(value);
    if (m_vertical)
      fill.top = static_cast<CCoord>(static_cast<long>(size.top + m_bitmap->getHeight() * (1.f - v)));
    else
      fill.right = static_cast<CCoord>(static_cast<long>(size.left + v * m_bitmap->getWidth()));
    CRect old;
    context->getClipRect(old);
    CRect clip = fill;
    clip.bound(old);
    context->setClipRect(clip);
    m_bitmap->draw(context, size, CPoint(0, 0));
    context->setClipRect(old);
  }
  setDirty(false);
}

float CArpSlider::_ValueAt(const CPoint& where) const {
  if (!m_bitmap) return value;
  const double h = m_bitmap->getHeight(), w = m_bitmap->getWidth();
  if (m_vertical) return h > 0 ? Limit01(static_cast<float>(1.0 - (where.y - size.top) / h)) : value;
  return w > 0 ? Limit01(static_cast<float>((where.x - size.left) / w)) : value;
}

CMouseEventResult CArpSlider::onMouseDown(CPoint& where, const long& buttons) {
  if (!(buttons & kLButton)) return kMouseEventNotHandled;
  beginEdit();
  const float before = value;
  if (buttons & kDoubleClick) {
    value = 0.f;
    if (listener) listener->valueChanged(this);
    if (isDirty()) invalid();
    endEdit();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
  }
  value = _ValueAt(where);
  if (value != before && listener) listener->valueChanged(this);
  if (isDirty()) invalid();
  m_anchor = where;
  m_anchorValue = value;
  m_shift = (buttons & kShift) != 0;
  return kMouseEventHandled;
}

CMouseEventResult CArpSlider::onMouseMoved(CPoint& where, const long& buttons) {
  if (!(buttons & kLButton) || !m_bitmap) return kMouseEventHandled;
  const bool shift = (buttons & kShift) != 0;
  // A change of the fine mode continues from where the bar stands now.
  if (shift != m_shift) {
    m_anchor = where;
    m_anchorValue = value;
  }
  m_shift = shift;
  double range = m_vertical ? m_bitmap->getHeight() : m_bitmap->getWidth();
  if (shift) range *= 10.0;
  if (range <= 0) return kMouseEventHandled;
  const float before = value;
  if (m_vertical)
    value = Limit01(static_cast<float>(m_anchorValue + (m_anchor.y - where.y) / range));
  else
    value = Limit01(static_cast<float>(m_anchorValue - (m_anchor.x - where.x) / range));
  if (value != before && listener) listener->valueChanged(this);
  if (isDirty()) invalid();
  return kMouseEventHandled;
}

CMouseEventResult CArpSlider::onMouseUp(CPoint& where, const long& buttons) {
  if (isDirty()) invalid();
  endEdit();
  return kMouseEventHandled;
}

bool CArpSlider::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "CArpSlider") == 0) || CControl::isTypeOf(type);
}

CGateStepButton::CGateStepButton(const CRect& size, CControlListener* listener, long tag)
    : COnOffButton(size, listener, tag, nullptr) {}

void CGateStepButton::draw(CDrawContext* context) {
  if (context && value != 0.f) {
    CRect r = size;
    r.inset(2, 2);
    const CColor old = context->getFillColor();
    context->setFillColor(CColor(10, 10, 10, 220));
    context->drawRect(r, kDrawFilled);
    context->setFillColor(old);
  }
  setDirty(false);
}

void CGateStepButton::setValue(float v) {
  value = v;
  setDirty(true);
}

bool CGateStepButton::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "CGateStepButton") == 0) || COnOffButton::isTypeOf(type);
}
