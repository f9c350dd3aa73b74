// Base control: value, range, listener and edit gesture.

#include "platform/vstgui/Control.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "platform/vstgui/EditorInterface.h"
#include "platform/vstgui/Frame.h"

// The value "last drawn" before any drawing: differs from every value.
static const float NOT_DRAWN = std::numeric_limits<float>::quiet_NaN();

CControl::CControl(const CRect& size, CControlListener* l, long t, CBitmap* background)
    : CView(size), listener(l), tag(t), oldValue(NOT_DRAWN) {
  if (background) setBackground(background);
  bDirty = true;
}

CControl::CControl(const CControl& other)
    : CView(other),
      listener(other.listener),
      tag(other.tag),
      value(other.value),
      oldValue(NOT_DRAWN),
      defaultValue(other.defaultValue),
      vmin(other.vmin),
      vmax(other.vmax),
      wheelInc(other.wheelInc) {}

CControl::~CControl() {}

void CControl::bounceValue() {
  if (value > vmax)
    value = vmax;
  else if (value < vmin)
    value = vmin;
  else if (std::isnan(value))
    value = vmin;
}

bool CControl::checkDefaultValue(long button) {
  if (button == (kControl | kLButton)) {
    value = defaultValue;
    if (isDirty() && listener) listener->valueChanged(this);
    return true;
  }
  return false;
}

void CControl::beginEdit() {
  editing++;
  if (listener) listener->controlBeginEdit(this);
  if (VSTGUIEditorInterface* editor = getEditor()) editor->beginEdit(tag);
}

void CControl::endEdit() {
  if (editing > 0) editing--;
  if (VSTGUIEditorInterface* editor = getEditor()) editor->endEdit(tag);
  if (listener) listener->controlEndEdit(this);
}

void CControl::setDirty(bool state) {
  CView::setDirty(state);
  oldValue = state ? NOT_DRAWN : value;
}

bool CControl::isDirty() const {
  // A NaN value never equals itself: such a control stays dirty.
  return !(oldValue == value) || CView::isDirty();
}

bool CControl::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "CControl") == 0) || CView::isTypeOf(type);
}
