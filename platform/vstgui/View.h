#pragma once
// Base of everything shown in a frame: a rectangle in its parent's
// coordinates, a mouse area, visibility, a dirty flag, an optional
// background bitmap and the mouse, wheel and key handlers.

#include <string>

#include "platform/vst/VstTypes.h"
#include "platform/vstgui/BaseObject.h"

class CBitmap;
class CDrawContext;
class CFrame;
class CViewContainer;
class VSTGUIEditorInterface;

class CView : public CBaseObject {
 public:
  explicit CView(const CRect& size);
  CView(const CView& other);
  ~CView() override;

  // Drawing. drawRect is called by the container with the part to redraw;
  // by default it calls draw, which draws the background bitmap.
  virtual void draw(CDrawContext* context);
  virtual void drawRect(CDrawContext* context, const CRect& updateRect) { draw(context); }
  // Background drawn by views that have one ("transparency" makes the
  // bitmap's own alpha count).
  virtual void setBackground(CBitmap* background);
  CBitmap* getBackground() const { return pBackground; }
  virtual void setTransparency(bool state) { bTransparencyEnabled = state; }
  bool getTransparency() const { return bTransparencyEnabled; }

  // Mouse, in the parent's coordinates. Buttons are the CButton bits.
  virtual CMouseEventResult onMouseDown(CPoint& where, const long& buttons) { return kMouseEventNotImplemented; }
  virtual CMouseEventResult onMouseUp(CPoint& where, const long& buttons) { return kMouseEventNotImplemented; }
  virtual CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) { return kMouseEventNotImplemented; }
  virtual CMouseEventResult onMouseEntered(CPoint& where, const long& buttons) { return kMouseEventNotImplemented; }
  virtual CMouseEventResult onMouseExited(CPoint& where, const long& buttons) { return kMouseEventNotImplemented; }
  // Wheel: true when used.
  virtual bool onWheel(const CPoint& where, const float& distance, const long& buttons) { return false; }
  // Keys: 1 when used, -1 when not.
  virtual long onKeyDown(VstKeyCode& keyCode) { return -1; }
  virtual long onKeyUp(VstKeyCode& keyCode) { return -1; }
  // True when the point (parent's coordinates) lies in the mouse area.
  virtual bool hitTest(const CPoint& where, const long buttons = 0) { return mouseableArea.pointInside(where); }

  // Redrawing. A dirty view is redrawn at the frame's next idle; invalid
  // asks for a redraw of the view's rectangle and marks it clean.
  virtual void setDirty(bool state = true) { bDirty = state; }
  virtual bool isDirty() const { return bDirty; }
  virtual void invalid();
  virtual void invalidRect(const CRect& rect);

  // Geometry, in the parent's coordinates.
  CRect& getViewSize(CRect& rect) const {
    rect = size;
    return rect;
  }
  const CRect& getViewSize() const { return size; }
  // Moves or resizes the view; the mouse area stays as it is (set it too
  // when the view moves).
  virtual void setViewSize(const CRect& rect, bool invalidate = true);
  CRect& getMouseableArea(CRect& rect) const {
    rect = mouseableArea;
    return rect;
  }
  const CRect& getMouseableArea() const { return mouseableArea; }
  virtual void setMouseableArea(const CRect& rect) { mouseableArea = rect; }
  CCoord getWidth() const { return size.width(); }
  CCoord getHeight() const { return size.height(); }
  // Converts between the parent's coordinates and the frame's.
  virtual CPoint& localToFrame(CPoint& point) const;
  virtual CPoint& frameToLocal(CPoint& point) const;

  virtual void setVisible(bool state);
  bool isVisible() const { return bVisible; }
  virtual void setMouseEnabled(bool state = true) { bMouseEnabled = state; }
  bool getMouseEnabled() const { return bMouseEnabled; }
  void setWantsFocus(bool state) { bWantsFocus = state; }
  bool wantsFocus() const { return bWantsFocus; }
  // Keyboard focus, given and taken by the frame.
  virtual void takeFocus() {}
  virtual void looseFocus() {}

  // Tooltip text shown while the mouse rests on the view (stored only).
  void setTooltipText(const char* text) { tooltip = text ? text : ""; }
  const char* getTooltipText() const { return tooltip.c_str(); }

  // Place in the view tree.
  CFrame* getFrame() const { return pParentFrame; }
  CView* getParentView() const { return pParentView; }
  bool isAttached() const { return bAttached; }
  // Called by a container when the view is added to or removed from it.
  virtual bool attached(CView* parent);
  virtual bool removed(CView* parent);
  // The editor of the frame the view is in, or null.
  VSTGUIEditorInterface* getEditor() const;

  // Class test by name, walking up the class chain.
  virtual bool isTypeOf(const char* type) const;
  // A copy of the view (null when the class does not copy).
  virtual CView* newCopy() const { return nullptr; }

 protected:
  friend class CViewContainer;
  friend class CFrame;

  CRect size;
  CRect mouseableArea;
  CFrame* pParentFrame = nullptr;
  CView* pParentView = nullptr;
  CBitmap* pBackground = nullptr;
  bool bDirty = false;
  bool bMouseEnabled = true;
  bool bTransparencyEnabled = false;
  bool bWantsFocus = false;
  bool bVisible = true;
  bool bAttached = false;
  std::string tooltip;
};
