#pragma once
// A two-state button. A left click toggles the value between min and max
// and tells the listener. The background bitmap holds two images stacked
// vertically, off on top, on below; each is as high as the button.

#include "platform/vstgui/Control.h"

class COnOffButton : public CControl {
 public:
  // kPreListenerUpdate redraws before telling the listener,
  // kPostListenerUpdate after.
  enum { kPreListenerUpdate = 0, kPostListenerUpdate = 1 };

  COnOffButton(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
               long style = kPreListenerUpdate);

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new COnOffButton(*this); }

  long getStyle() const { return style; }
  void setStyle(long val) { style = val; }

 protected:
  long style;
};
