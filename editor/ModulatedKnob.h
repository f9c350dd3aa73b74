#pragma once
// The program's rotary control for continuous parameters. Besides its value
// it shows and edits the depth of one modulation-matrix slot that targets
// its parameter, drawn as an arc (the modulation ring) around the knob.
// Left drags change the value; right, Alt or Apple drags change the ring's
// depth; a right click without a drag asks for the context menu. It talks
// to the editor through IControlHandler (register, context menu, depth,
// hover).

#include "platform/vstgui/vstgui.h"

class IControlHandler;

class CModulatedKnob : public CControl {
 public:
  // background and handle are not used; ringStyle 0-9 picks the ring's
  // geometry and colours.
  CModulatedKnob(const CRect& size, CControlListener* listener, IControlHandler* handler, long tag,
                 CBitmap* background, CBitmap* handle, long ringStyle, float defaultValue);
  CModulatedKnob(const CModulatedKnob& other);
  ~CModulatedKnob() override;

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
  bool onWheel(const CPoint& where, const float& distance, const long& buttons) override;
  long onKeyDown(VstKeyCode& keyCode) override;
  bool checkDefaultValue(long button) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CModulatedKnob(*this); }

  virtual void setStartAngle(float angle);
  virtual float getStartAngle() const { return m_startAngle; }
  virtual void setRangeAngle(float angle);
  virtual float getRangeAngle() const { return m_rangeAngle; }
  virtual void setZoomFactor(float factor);
  virtual float getZoomFactor() const { return m_zoomFactor; }
  virtual void setModValue(float value);
  virtual float getModValue() const { return m_modValue; }
  virtual void setBipolarMod(bool bipolar);
  virtual bool getBipolarMod() const { return m_bipolar; }
  virtual void enableModulation(bool enable);
  virtual bool isModulationEnabled() const { return m_modEnabled; }
  virtual void setModIndex(unsigned int index);
  virtual unsigned int getModIndex() const { return m_modIndex; }
  // The value at a point (the control's coordinates of its parent) by its
  // angle around the centre; points in the dead zone give the nearer end.
  virtual float valueFromPoint(const CPoint& point) const;

  void Enable();
  void Disable();
  bool IsEnabled() const { return m_enabled; }
  void compute();

  // The frame strip drawn by value (frames stacked vertically); the knob
  // takes over the caller's reference.
  void SetFrameBitmap(CBitmap* bitmap, int frames);
  CBitmap* GetFrameBitmap() const { return m_frameBitmap; }

 private:
  void _send(unsigned int message, float value);
  void _setDragScale(long buttons);

  IControlHandler* m_handler;
  unsigned int m_modIndex = 0;
  bool m_dragged = false;
  bool m_enabled = true;
  CBitmap* m_frameBitmap = nullptr;
  int m_frameCount = 0;
  float m_startAngle;
  float m_rangeAngle;
  float m_halfAngle = 0.f;
  float m_aCoef = 0.f;
  float m_bCoef = 0.f;
  float m_radius;
  float m_zoomFactor = 8.f;
  long m_ringStyle;
  CPoint m_firstPoint;
  CPoint m_lastPoint;
  float m_startValue = 0.f;
  float m_pixelsPerRange = 170.f;
  float m_valuePerPixel = 1.f / 170.f;
  long m_dragButtons = 0;
  bool m_modEnabled = false;
  bool m_modDrag = false;
  bool m_bipolar = false;
  float m_modValue = 0.f;
  float m_prevModValue = 0.f;
};
