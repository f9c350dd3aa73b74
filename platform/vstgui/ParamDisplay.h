#pragma once
// A control that shows its value as text: background (bitmap or back
// colour), an optional frame, and the text in a font, colour and
// alignment. The value becomes text through a string converter, by default
// "%2.2f".

#include "platform/vstgui/Control.h"
#include "platform/vstgui/Font.h"

class CParamDisplay : public CControl {
 public:
  // value -> text; the buffer holds 256 characters.
  typedef void (*StringConvert)(float value, char* string, void* userData);

  CParamDisplay(const CRect& size, CBitmap* background = nullptr, long style = 0);
  CParamDisplay(const CParamDisplay& other);
  ~CParamDisplay() override;

  void draw(CDrawContext* context) override;

  // The font is shared (remembered); null keeps the current one.
  virtual void setFont(CFontRef fontID);
  CFontRef getFont() const { return fontID; }
  void setFontColor(const CColor& color) { fontColor = color; }
  CColor getFontColor() const { return fontColor; }
  void setBackColor(const CColor& color) { backColor = color; }
  CColor getBackColor() const { return backColor; }
  void setFrameColor(const CColor& color) { frameColor = color; }
  CColor getFrameColor() const { return frameColor; }
  void setShadowColor(const CColor& color) { shadowColor = color; }
  CColor getShadowColor() const { return shadowColor; }
  void setHoriAlign(CHoriTxtAlign align) { horiTxtAlign = align; }
  CHoriTxtAlign getHoriAlign() const { return horiTxtAlign; }
  // A transparent text background (or a transparent view) leaves the back
  // colour and the frame unpainted.
  void setTextTransparency(bool state) { bTextTransparencyEnabled = state; }
  bool getTextTransparency() const { return bTextTransparencyEnabled; }
  void setStyle(long val) { style = val; }
  long getStyle() const { return style; }
  void setStringConvert(StringConvert convert, void* userData = nullptr) {
    stringConvert = convert;
    stringConvertUserData = userData;
  }

  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CParamDisplay(*this); }

 protected:
  // Background, frame and the text, as the style says.
  virtual void drawText(CDrawContext* context, const char* string);

  StringConvert stringConvert = nullptr;
  void* stringConvertUserData = nullptr;
  CHoriTxtAlign horiTxtAlign = kCenterText;
  long style;
  CFontRef fontID;
  CColor fontColor = kWhiteCColor;
  CColor backColor = kBlackCColor;
  CColor frameColor = kBlackCColor;
  CColor shadowColor = kRedCColor;
  bool bTextTransparencyEnabled = false;
};
