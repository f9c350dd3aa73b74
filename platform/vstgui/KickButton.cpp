// Push button.

#include "platform/vstgui/KickButton.h"

#include <cstring>

#include "platform/vstgui/Bitmap.h"
#include "platform/vstgui/DrawContext.h"

CKickButton::CKickButton(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                         const CPoint& off, CCoord height)
    : CControl(size, listener, tag, background), offset(off), heightOfOneImage(height) {}

void CKickButton::draw(CDrawContext* context) {
  if (pBackground && context) {
    CCoord h = heightOfOneImage > 0 ? heightOfOneImage : getHeight();
    CPoint where(offset.h, offset.v + (value == vmax ? h : 0));
    if (bTransparencyEnabled)
      pBackground->drawTransparent(context, size, where);
    else
      pBackground->draw(context, size, where);
  }
  setDirty(false);
}

// The listener hears every change of the value, whether or not it was
// drawn in between.
CMouseEventResult CKickButton::onMouseDown(CPoint& where, const long& buttons) {
  if (!(buttons & kLButton)) return kMouseEventNotHandled;
  beginEdit();
  float old = value;
  value = vmax;
  if (value != old) {
    if (listener) listener->valueChanged(this);
    invalid();
  }
  return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseMoved(CPoint& where, const long& buttons) {
  if (!(buttons & kLButton)) return kMouseEventHandled;
  float old = value;
  value = size.pointInside(where) ? vmax : vmin;
  if (value != old) {
    if (listener) listener->valueChanged(this);
    invalid();
  }
  return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseUp(CPoint& where, const long& buttons) {
  float old = value;
  value = vmin;
  if (value != old) {
    if (listener) listener->valueChanged(this);
    invalid();
  }
  endEdit();
  return kMouseEventHandled;
}

bool CKickButton::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "CKickButton") == 0) || CControl::isTypeOf(type);
}
