#pragma once
// A push button: the value is max while the left button holds it down over
// the button and returns to min on release, so one click tells the
// listener twice (max, then min). The background bitmap holds two images
// stacked vertically, released on top, pressed below.

#include "platform/vstgui/Control.h"

class CKickButton : public CControl {
 public:
  // heightOfOneImage 0: the button's height.
  CKickButton(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
              const CPoint& offset = CPoint(), CCoord heightOfOneImage = 0);

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CKickButton(*this); }

  CCoord getHeightOfOneImage() const { return heightOfOneImage; }
  void setHeightOfOneImage(CCoord height) { heightOfOneImage = height; }

 protected:
  CPoint offset;
  CCoord heightOfOneImage;
};
