#include "editor/ModulatedKnob.h"

#include <cmath>
#include <cstring>

#include "editor/EditorTags.h"
#include "editor/IControlHandler.h"

namespace {

const float PI = 3.14159265358979f;
// Pixels of vertical or horizontal travel for the whole range.
const float DRAG_PIXELS = 170.f;

struct RING_STYLE {
  CCoord insetLeft, insetTop, insetRight, insetBottom;
  CCoord dotInset;
  CCoord lineWidth;
  CColor ring;
  CColor darkDot;
  CColor lightDot;
};

const CColor YELLOW(255, 228, 0);
const CColor BLUE(0, 168, 255);
const CColor INVISIBLE(0, 0, 0, 0);

const RING_STYLE RING_STYLES[10] = {
    {3, 3, 4, 4, 9, 3, YELLOW, CColor(20, 20, 20, 200), CColor(255, 255, 255, 50)},
    {3, 1, 3, 5, 9, 3, YELLOW, INVISIBLE, INVISIBLE},
    {3, 2, 3, 5, 9, 3, YELLOW, INVISIBLE, INVISIBLE},
    {2, 1, 4, 5, 9, 3, YELLOW, INVISIBLE, INVISIBLE},
    {2, 2, 4, 5, 9, 3, YELLOW, INVISIBLE, INVISIBLE},
    {2, 2, 1, 1, 8, 3, BLUE, CColor(20, 20, 20, 255), CColor(255, 255, 255, 40)},
    {2, 2, 3, 4, 9, 2, BLUE, CColor(20, 20, 20, 255), CColor(255, 255, 255, 70)},
    {2, 2, 3, 3, 8, 3, BLUE, CColor(20, 20, 20, 255), CColor(255, 255, 255, 40)},
    {1, 1, 2, 2, 9, 2, BLUE, CColor(20, 20, 20, 255), CColor(255, 255, 255, 70)},
    {1, 1, 4, 4, 9, 2, BLUE, CColor(20, 20, 20, 255), CColor(255, 255, 255, 70)},
};
const RING_STYLE OTHER_RING_STYLE = {2, 2, 3, 3, 9, 3, YELLOW, INVISIBLE, INVISIBLE};

float Clamp(float v, float lo, float hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace

CModulatedKnob::CModulatedKnob(const CRect& size, CControlListener* listener, IControlHandler* handler, long tag,
                               CBitmap* background, CBitmap* handle, long ringStyle, float defaultValue)
    : CControl(size, listener, tag, nullptr),
      m_handler(handler),
      m_startAngle(5.f * PI / 4.f),
      m_rangeAngle(0.f),
      m_radius(static_cast<float>(size.width() / 2)),
      m_ringStyle(ringStyle) {
  setRangeAngle(-3.f * PI / 2.f);
  setDefaultValue(defaultValue);
  setDirty(true);
  setWantsFocus(true);
  if (m_handler) m_handler->OnControlMessage(this, CONTROL_MSG_REGISTER, 0.f);
}

CModulatedKnob::CModulatedKnob(const CModulatedKnob& other)
    : CControl(other),
      m_handler(other.m_handler),
      m_modIndex(other.m_modIndex),
      m_dragged(other.m_dragged),
      m_enabled(other.m_enabled),
      m_frameBitmap(other.m_frameBitmap),
      m_frameCount(other.m_frameCount),
      m_startAngle(other.m_startAngle),
      m_rangeAngle(other.m_rangeAngle),
      m_halfAngle(other.m_halfAngle),
      m_aCoef(other.m_aCoef),
      m_bCoef(other.m_bCoef),
      m_radius(other.m_radius),
      m_zoomFactor(other.m_zoomFactor),
      m_ringStyle(other.m_ringStyle),
      m_firstPoint(other.m_firstPoint),
      m_lastPoint(other.m_lastPoint),
      m_startValue(other.m_startValue),
      m_pixelsPerRange(other.m_pixelsPerRange),
      m_valuePerPixel(other.m_valuePerPixel),
      m_dragButtons(other.m_dragButtons),
      m_modEnabled(other.m_modEnabled),
      m_modDrag(other.m_modDrag),
      m_bipolar(other.m_bipolar),
      m_modValue(other.m_modValue),
      m_prevModValue(other.m_prevModValue) {
  if (m_frameBitmap) m_frameBitmap->remember();
}

CModulatedKnob::~CModulatedKnob() {
  if (m_frameBitmap) m_frameBitmap->forget();
}

bool CModulatedKnob::isTypeOf(const char* type) const {
  if (type && std::strcmp(type, "CModulatedKnob") == 0) return true;
  return CControl::isTypeOf(type);
}

void CModulatedKnob::SetFrameBitmap(CBitmap* bitmap, int frames) {
  if (m_frameBitmap) m_frameBitmap->forget();
  m_frameBitmap = bitmap;
  m_frameCount = frames;
  setDirty(true);
}

void CModulatedKnob::_send(unsigned int message, float value) {
  if (m_handler) m_handler->OnControlMessage(this, message, value);
}

void CModulatedKnob::compute() {
  m_aCoef = (getMax() - getMin()) / m_rangeAngle;
  m_bCoef = getMin() - m_aCoef * m_startAngle;
  m_halfAngle = (2.f * PI - std::fabs(m_rangeAngle)) / 2.f;
  setDirty(true);
}

void CModulatedKnob::setStartAngle(float angle) {
  m_startAngle = angle;
  compute();
}

void CModulatedKnob::setRangeAngle(float angle) {
  m_rangeAngle = angle;
  compute();
}

void CModulatedKnob::setZoomFactor(float factor) {
  m_zoomFactor = factor;
  setDirty(true);
}

void CModulatedKnob::setModValue(float value) {
  m_modValue = value;
  setDirty(true);
}

void CModulatedKnob::setBipolarMod(bool bipolar) {
  m_bipolar = bipolar;
  setDirty(true);
}

void CModulatedKnob::enableModulation(bool enable) {
  m_modEnabled = enable;
  setDirty(true);
}

void CModulatedKnob::setModIndex(unsigned int index) {
  m_modIndex = index;
  setDirty(true);
}

void CModulatedKnob::Enable() {
  m_enabled = true;
  setDirty(true);
}

void CModulatedKnob::Disable() {
  m_enabled = false;
  setDirty(true);
}

float CModulatedKnob::valueFromPoint(const CPoint& point) const {
  const CRect& r = getViewSize();
  float x = static_cast<float>(point.x - r.left);
  float y = static_cast<float>(point.y - r.top);
  float alpha = std::atan2(m_radius - y, x - m_radius);
  if (alpha < 0.f) alpha += 2.f * PI;
  // Angle travelled from the start, clockwise on screen (the range angle is
  // negative): 0 at the start, |range| at the end, the rest is dead zone.
  float travelled = m_startAngle - alpha;
  while (travelled < 0.f) travelled += 2.f * PI;
  while (travelled >= 2.f * PI) travelled -= 2.f * PI;
  float range = std::fabs(m_rangeAngle);
  if (travelled > range) {
    // In the dead zone: the nearer end.
    travelled = (travelled - range < m_halfAngle) ? range : 0.f;
  }
  float angle = m_startAngle - travelled;
  return Clamp(m_aCoef * angle + m_bCoef, getMin(), getMax());
}

void CModulatedKnob::_setDragScale(long buttons) {
  m_pixelsPerRange = (buttons & kShift) ? DRAG_PIXELS * m_zoomFactor : DRAG_PIXELS;
  m_valuePerPixel = (getMax() - getMin()) / m_pixelsPerRange;
}

bool CModulatedKnob::checkDefaultValue(long button) {
  if (button == (kControl | kLButton) || button == (kDoubleClick | kLButton)) {
    setValue(getDefaultValue());
    if (isDirty() && listener) listener->valueChanged(this);
    return true;
  }
  if (button == (kAlt | kControl | kLButton) || button == (kDoubleClick | kAlt | kLButton)) {
    float old = m_modValue;
    m_modValue = 0.f;
    if (old != 0.f || isDirty()) _send(CONTROL_MSG_MOD_AMOUNT, 0.f);
    return true;
  }
  return false;
}

CMouseEventResult CModulatedKnob::onMouseDown(CPoint& where, const long& buttons) {
  if (!m_enabled) return kMouseEventHandled;
  beginEdit();
  if (checkDefaultValue(buttons)) {
    endEdit();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
  }
  m_modDrag = (buttons & kAlt) || (buttons & kRButton) || (buttons & kApple);
  m_firstPoint = where;
  m_lastPoint = CPoint(-1, -1);
  _setDragScale(buttons);
  m_startValue = m_modDrag ? m_modValue : getValue();
  m_prevModValue = m_modValue;
  m_dragButtons = buttons;
  m_lastPoint = where;
  m_dragged = false;
  CMouseEventResult moved = onMouseMoved(where, buttons);
  return moved == kMouseEventNotImplemented ? kMouseEventHandled : moved;
}

CMouseEventResult CModulatedKnob::onMouseMoved(CPoint& where, const long& buttons) {
  if (!m_enabled) return kMouseEventHandled;
  _send(CONTROL_MSG_HOVER, 0.f);
  bool left = (buttons & kLButton) != 0;
  bool context = (buttons & (kRButton | kApple)) != 0 && m_modDrag;
  if (!left && !context) return kMouseEventHandled;
  if (where == m_lastPoint) return kMouseEventHandled;
  m_lastPoint = where;

  float delta = static_cast<float>((where.x - m_firstPoint.x) + (m_firstPoint.y - where.y));
  if (buttons != m_dragButtons) {
    // Shift went down or up during the drag: continue from the current
    // value at the new scale.
    float oldPerPixel = m_valuePerPixel;
    _setDragScale(buttons);
    m_startValue += (oldPerPixel - m_valuePerPixel) * delta;
    m_dragButtons = buttons;
  }

  if (!m_modDrag) {
    setValue(m_startValue + delta * m_valuePerPixel);
    bounceValue();
  } else if (m_modEnabled) {
    if (std::fabs(delta) >= 2.f) m_dragged = true;
    m_prevModValue = m_modValue;
    m_modValue = Clamp(m_startValue + delta * m_valuePerPixel, -1.f, 1.f);
  }

  bool changed = isDirty() || m_modValue != m_prevModValue;
  if (m_modDrag && m_modEnabled) {
    if (changed) _send(CONTROL_MSG_MOD_AMOUNT, m_modValue);
  } else if (changed && listener) {
    listener->valueChanged(this);
  }
  if (changed || isDirty()) invalid();
  return kMouseEventHandled;
}

CMouseEventResult CModulatedKnob::onMouseUp(CPoint& where, const long& buttons) {
  if (m_enabled) endEdit();
  if ((m_dragButtons & (kRButton | kApple)) && !m_dragged) {
    _send(CONTROL_MSG_POPUP, 0.f);
  }
  return kMouseEventHandled;
}

bool CModulatedKnob::onWheel(const CPoint& where, const float& distance, const long& buttons) {
  if (!m_enabled) return true;
  if (!getMouseEnabled()) return false;
  float d = (buttons & kShift) ? distance * 0.1f : distance;
  setValue(getValue() + d * getWheelInc());
  bounceValue();
  if (isDirty() && listener) {
    beginEdit();
    listener->valueChanged(this);
    endEdit();
  }
  return true;
}

long CModulatedKnob::onKeyDown(VstKeyCode& keyCode) {
  if (!m_enabled) return -1;
  float d;
  switch (keyCode.virt) {
    case VKEY_UP:
    case VKEY_RIGHT:
      d = 1.f;
      break;
    case VKEY_DOWN:
    case VKEY_LEFT:
      d = -1.f;
      break;
    default:
      return -1;
  }
  if (keyCode.modifier & MODIFIER_SHIFT) d *= 0.1f;
  setValue(getValue() + d * getWheelInc());
  bounceValue();
  if (isDirty() && listener) {
    beginEdit();
    listener->valueChanged(this);
    endEdit();
  }
  return 1;
}

void CModulatedKnob::draw(CDrawContext* context) {
  const CRect& r = getViewSize();
  bool frameDrawn = false;
  if (m_frameBitmap && m_frameCount >= 1 && m_frameBitmap->isLoaded()) {
    CCoord frameHeight = m_frameBitmap->getHeight() / m_frameCount;
    float v = Clamp(getValue(), 0.f, 1.f);
    int frame = static_cast<int>((m_frameCount - 1) * v);
    CRect dest(r.left, r.top, r.left + m_frameBitmap->getWidth(), r.top + frameHeight);
    m_frameBitmap->drawTransparent(context, dest, CPoint(0, frame * frameHeight));
    frameDrawn = true;
  }

  const RING_STYLE& style =
      (m_ringStyle >= 0 && m_ringStyle < 10) ? RING_STYLES[m_ringStyle] : OTHER_RING_STYLE;
  CRect ring(r.left + style.insetLeft, r.top + style.insetTop, r.right - style.insetRight,
             r.bottom - style.insetBottom);

  CColor oldFrame = context->getFrameColor();
  CColor oldFill = context->getFillColor();
  CCoord oldWidth = context->getLineWidth();
  CDrawMode oldMode = context->getDrawMode();
  context->setDrawMode(kAntialias);

  float value = Clamp(getValue(), 0.f, 1.f);
  if (m_modValue != 0.f && m_modEnabled && m_enabled) {
    context->setLineWidth(style.lineWidth);
    float a = 135.f + 270.f * value;
    float sweep = 270.f * m_modValue * std::fabs(m_modValue);
    if (m_bipolar) {
      float end = Clamp(a - sweep, 135.f, 405.f);
      CColor c = style.ring;
      c.alpha = 180;
      context->setFrameColor(c);
      context->drawArc(ring, a < end ? a : end, a < end ? end : a, kDrawStroked);
    }
    float end = Clamp(a + sweep, 135.f, 405.f);
    CColor c = style.ring;
    c.alpha = 255;
    context->setFrameColor(c);
    context->drawArc(ring, a < end ? a : end, a < end ? end : a, kDrawStroked);
  }

  if (!frameDrawn && m_enabled) {
    CCoord w = (r.right - 2) - r.left;
    CCoord h = (r.bottom - 2) - r.top;
    CPoint centre(r.left + w / 2, r.top + h / 2);
    double radius = h / 2 - style.dotInset;
    double theta = (270.0 * value - 45.0) * PI / 180.0;
    CPoint dot(centre.x - std::cos(theta) * radius, centre.y - std::sin(theta) * radius);
    CRect ellipse(dot.x - 2, dot.y - 2, dot.x + 2, dot.y + 2);
    context->setFillColor(style.darkDot);
    context->drawEllipse(ellipse, kDrawFilled);
    ellipse.offset(1, 1);
    context->setFillColor(style.lightDot);
    context->drawEllipse(ellipse, kDrawFilled);
  }

  context->setFrameColor(oldFrame);
  context->setFillColor(oldFill);
  context->setLineWidth(oldWidth);
  context->setDrawMode(oldMode);
  setDirty(false);
}
