// Two-state button.

#include "platform/vstgui/OnOffButton.h"

#include <cstring>

#include "platform/vstgui/Bitmap.h"
#include "platform/vstgui/DrawContext.h"

COnOffButton::COnOffButton(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                           long s)
    : CControl(size, listener, tag, background), style(s) {}

void COnOffButton::draw(CDrawContext* context) {
  if (pBackground && context) {
    CCoord off = (value == vmax) ? getHeight() : 0;
    if (bTransparencyEnabled)
      pBackground->drawTransparent(context, size, CPoint(0, off));
    else
      pBackground->draw(context, size, CPoint(0, off));
  }
  setDirty(false);
}

CMouseEventResult COnOffButton::onMouseDown(CPoint& where, const long& buttons) {
  if (!(buttons & kLButton)) return kMouseEventNotHandled;
  value = (value == vmax) ? vmin : vmax;
  if (style == kPreListenerUpdate) invalid();
  if (listener) {
    beginEdit();
    listener->valueChanged(this);
    endEdit();
  }
  if (style != kPreListenerUpdate) invalid();
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

bool COnOffButton::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "COnOffButton") == 0) || CControl::isTypeOf(type);
}
