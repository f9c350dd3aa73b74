#pragma once
// A view with a value: tag, value in min..max, default value, wheel
// increment and a listener that is told of every change the user makes.
//
// "Dirty" for a control also means "its value differs from the value last
// drawn": setDirty(false) (done by drawing and by invalid) records the
// value as drawn, so isDirty() after a change tells whether the listener
// has something new to hear.

#include "platform/vstgui/View.h"

class CControl;

class CControlListener {
 public:
  virtual ~CControlListener() {}
  virtual void valueChanged(CControl* control) = 0;
  virtual long controlModifierClicked(CControl* control, long button) { return 0; }
  virtual void controlBeginEdit(CControl* control) {}
  virtual void controlEndEdit(CControl* control) {}
};

class CControl : public CView {
 public:
  CControl(const CRect& size, CControlListener* listener = nullptr, long tag = 0,
           CBitmap* background = nullptr);
  CControl(const CControl& other);
  ~CControl() override;

  virtual void setValue(float val) { value = val; }
  virtual float getValue() const { return value; }
  virtual void setMin(float val) { vmin = val; }
  virtual float getMin() const { return vmin; }
  virtual void setMax(float val) { vmax = val; }
  virtual float getMax() const { return vmax; }
  virtual void setOldValue(float val) { oldValue = val; }
  virtual float getOldValue() const { return oldValue; }
  virtual void setDefaultValue(float val) { defaultValue = val; }
  virtual float getDefaultValue() const { return defaultValue; }
  // Clamps the value to min..max.
  virtual void bounceValue();
  // Control+left click restores the default value (and tells the listener
  // when that changed the value); true when it acted.
  virtual bool checkDefaultValue(long button);

  virtual void setTag(long val) { tag = val; }
  long getTag() const { return tag; }
  virtual void setListener(CControlListener* l) { listener = l; }
  CControlListener* getListener() const { return listener; }

  // Edit gesture: tells the listener and the frame's editor (which tells
  // the host) that the user starts or ends changing the value.
  virtual void beginEdit();
  virtual void endEdit();
  bool isEditing() const { return editing > 0; }

  void setWheelInc(float val) { wheelInc = val; }
  float getWheelInc() const { return wheelInc; }

  void setDirty(bool state = true) override;
  bool isDirty() const override;
  bool isTypeOf(const char* type) const override;

 protected:
  CControlListener* listener;
  long tag;
  float value = 0.f;
  float oldValue;  // not a number until first drawn
  float defaultValue = 0.5f;
  float vmin = 0.f;
  float vmax = 1.f;
  float wheelInc = 0.1f;
  long editing = 0;
};
