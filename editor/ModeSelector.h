#pragma once
// Small controls of the program's own: a segmented selector (CModeSelector),
// a percentage display edited by clicks and drags (CNumericList), and a
// clickable caption (CTextButton).

#include <string>

#include "platform/vstgui/vstgui.h"

class IControlHandler;

// A row (or column) of segments drawn from one bitmap that holds one image
// per segment value, stacked vertically; the value is the segment index,
// segment 0 at the left (horizontal) or at the bottom (vertical).
class CModeSelector : public CControl {
 public:
  CModeSelector(const CRect& size, CControlListener* listener, long tag, CBitmap* background, long segments,
                float defaultValue, bool vertical);
  CModeSelector(const CModeSelector& other) = default;

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CModeSelector(*this); }

  long GetSegmentCount() const { return m_segments; }

 private:
  long m_segments;
  bool m_vertical;
};

// A 0..1 parameter shown as a percentage: 0..100 or, bipolar, -100..+100;
// whole numbers or with one decimal. A click steps one unit of the last
// digit (Alt+click back, Control+click default); a vertical drag moves one
// unit per 3 pixels (whole numbers) or one whole unit per 2.5 pixels.
class CNumericList : public CParamDisplay {
 public:
  CNumericList(const CRect& size, CControlListener* listener, IControlHandler* handler, long tag,
               const CColor& textColor, bool bipolar, float defaultValue, bool decimal);
  CNumericList(const CNumericList& other) = default;

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CNumericList(*this); }

  void clipValue();
  // The text the control shows for its value.
  std::string FormatValue() const;

 private:
  IControlHandler* m_handler;
  CPoint m_startPoint;
  bool m_bipolar;
  bool m_decimal;
  float m_startValue = 0.f;
  bool m_dragged = false;
  long m_buttons = 0;
};

// A caption in white that tells its listener of every click.
class CTextButton : public CControl {
 public:
  CTextButton(const CRect& size, CControlListener* listener, long tag, const char* caption);
  CTextButton(const CTextButton& other);
  ~CTextButton() override;
  CTextButton& operator=(const CTextButton&) = delete;

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CTextButton(*this); }

  void setText(const char* text);
  const char* getText() const { return m_caption.c_str(); }
  void setFontSize(long size, long style = kNormalFace);

 private:
  std::string m_caption;
  CFontDesc* m_font;
};
