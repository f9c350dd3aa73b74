#pragma once
// A two-dimensional pad editing two 0..1 values at once (X to the right, Y
// upward); 150 pixels of drag cover the whole range. Alt freezes X, Shift
// freezes Y, Control+click resets both to 0, a right or Apple click asks the
// handler for the context menu.

#include "platform/vstgui/vstgui.h"

class IControlHandler;

class CXYControl : public CControl {
 public:
  CXYControl(const CRect& size, CControlListener* listener, IControlHandler* handler, long tag);
  CXYControl(const CXYControl& other);
  ~CXYControl() override;
  CXYControl& operator=(const CXYControl&) = delete;

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CXYControl(*this); }

  void Enable();
  void Disable();
  bool IsEnabled() const { return m_enabled; }
  void clipValue();

  float GetX() const { return m_x; }
  float GetY() const { return m_y; }
  void SetX(float x) { m_x = x; }
  void SetY(float y) { m_y = y; }
  // The pad draws this bitmap under its cross hair; takes over the caller's
  // reference.
  void SetPadBitmap(CBitmap* bitmap);

  // The axis values the editor reported last (see CEditor::TagToSynthParam).
  float GetReportedX() const { return m_reportedX; }
  float GetReportedY() const { return m_reportedY; }
  void SetReportedX(float x) { m_reportedX = x; }
  void SetReportedY(float y) { m_reportedY = y; }

 private:
  IControlHandler* m_handler;
  CPoint m_startPoint;
  bool m_enabled = true;
  CBitmap* m_bitmap = nullptr;
  float m_startX = 0.f;
  float m_startY = 0.f;
  float m_x = 0.f;
  float m_y = 0.f;
  float m_reportedX = 0.f;
  float m_reportedY = 0.f;
};
