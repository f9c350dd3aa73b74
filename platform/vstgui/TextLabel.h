#pragma once
// A display that shows a fixed text instead of its value.

#include <string>

#include "platform/vstgui/ParamDisplay.h"

class CTextLabel : public CParamDisplay {
 public:
  CTextLabel(const CRect& size, const char* text = nullptr, CBitmap* background = nullptr, long style = 0)
      : CParamDisplay(size, background, style) {
    setText(text);
  }

  virtual void setText(const char* text) {
    label = text ? text : "";
    setDirty();
  }
  const char* getText() const { return label.c_str(); }

  void draw(CDrawContext* context) override {
    drawText(context, label.c_str());
    setDirty(false);
  }
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CTextLabel(*this); }

 protected:
  std::string label;
};
