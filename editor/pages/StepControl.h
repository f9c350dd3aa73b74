#pragma once
// The arpeggiator page's two step controls: a velocity bar that fills a
// bitmap in proportion to its value, and a trance-gate step switch drawn as
// a dark square when on.

#include "platform/vstgui/vstgui.h"

class CArpSlider : public CControl {
 public:
  CArpSlider(const CRect& size, CControlListener* listener, long tag, CBitmap* bitmap, bool vertical);
  CArpSlider(const CArpSlider& other);
  ~CArpSlider() override;

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CArpSlider(*this); }

 private:
  float _ValueAt(const CPoint& where) const;
  void _NotifyIfChanged();

  CBitmap* m_bitmap;
  bool m_vertical;
  CPoint m_anchor;
  float m_anchorValue = 0.f;
  bool m_shift = false;
};

class CGateStepButton : public COnOffButton {
 public:
  CGateStepButton(const CRect& size, CControlListener* listener, long tag);

  void draw(CDrawContext* context) override;
  // Any value is kept as it is; a non-zero value draws as on.
  void setValue(float value) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CGateStepButton(*this); }
};
