// Value shown as text.

#include "platform/vstgui/ParamDisplay.h"

#include <cstdio>
#include <cstring>

#include "platform/vstgui/Bitmap.h"
#include "platform/vstgui/DrawContext.h"

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* background, long s)
    : CControl(size, nullptr, 0, background), style(s), fontID(kNormalFont) {
  fontID->remember();
  bTransparencyEnabled = false;
}

CParamDisplay::CParamDisplay(const CParamDisplay& other)
    : CControl(other),
      stringConvert(other.stringConvert),
      stringConvertUserData(other.stringConvertUserData),
      horiTxtAlign(other.horiTxtAlign),
      style(other.style),
      fontID(other.fontID),
      fontColor(other.fontColor),
      backColor(other.backColor),
      frameColor(other.frameColor),
      shadowColor(other.shadowColor),
      bTextTransparencyEnabled(other.bTextTransparencyEnabled) {
  fontID->remember();
}

CParamDisplay::~CParamDisplay() { fontID->forget(); }

void CParamDisplay::setFont(CFontRef font) {
  if (!font || font == fontID) return;
  font->remember();
  fontID->forget();
  fontID = font;
  setDirty();
}

void CParamDisplay::draw(CDrawContext* context) {
  if (!context) return;
  if (style & kNoDrawStyle) {
    setDirty(false);
    return;
  }
  char text[256] = {0};
  if (!(style & kNoTextStyle)) {
    if (stringConvert)
      stringConvert(value, text, stringConvertUserData);
    else
      std::snprintf(text, sizeof(text), "%2.2f", value);
    text[255] = 0;
  }
  drawText(context, text);
  setDirty(false);
}

void CParamDisplay::drawText(CDrawContext* context, const char* string) {
  if (!context || (style & kNoDrawStyle)) return;
  CColor oldFill = context->getFillColor(), oldFrame = context->getFrameColor();
  CColor oldFont = context->getFontColor();
  CCoord oldWidth = context->getLineWidth();

  if (pBackground) {
    pBackground->drawTransparent(context, size);
  } else if (!bTextTransparencyEnabled && !bTransparencyEnabled && backColor.alpha > 0) {
    context->setFillColor(backColor);
    context->drawRect(size, kDrawFilled);
  }
  if (!(style & kNoFrame) && !bTextTransparencyEnabled && !bTransparencyEnabled) {
    context->setLineWidth(1);
    if (style & (k3DIn | k3DOut)) {
      // Light and dark edges: lit from the top left when raised.
      CColor light(255, 255, 255, 128), dark(0, 0, 0, 128);
      bool raised = (style & k3DOut) != 0;
      context->setFrameColor(raised ? light : dark);
      context->drawLine(CPoint(size.left, size.bottom - 1), CPoint(size.left, size.top));
      context->drawLine(CPoint(size.left, size.top), CPoint(size.right - 1, size.top));
      context->setFrameColor(raised ? dark : light);
      context->drawLine(CPoint(size.right - 1, size.top), CPoint(size.right - 1, size.bottom - 1));
      context->drawLine(CPoint(size.right - 1, size.bottom - 1), CPoint(size.left, size.bottom - 1));
    } else {
      context->setFrameColor(frameColor);
      context->drawRect(size, kDrawStroked);
    }
  }
  if (string && *string && !(style & kNoTextStyle)) {
    context->setFont(fontID);
    CRect textRect = size;
    textRect.inset(1, 0);
    if (style & kShadowText) {
      CRect shadow = textRect;
      shadow.offset(1, 1);
      context->setFontColor(shadowColor);
      context->drawString(string, shadow, false, horiTxtAlign);
    }
    context->setFontColor(fontColor);
    context->drawString(string, textRect, false, horiTxtAlign);
  }
  context->setFillColor(oldFill);
  context->setFrameColor(oldFrame);
  context->setFontColor(oldFont);
  context->setLineWidth(oldWidth);
}

bool CParamDisplay::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "CParamDisplay") == 0) || CControl::isTypeOf(type);
}
