#pragma once
// A view holding child views. Children's rectangles are relative to the
// container's top-left corner. The container owns one reference to each
// child: removeView with withForget (the default) releases it.
//
// Mouse events go to the topmost visible, mouse-enabled child whose mouse
// area holds the point; the child that took a mouse-down receives the
// following moves and the up, unless it answered
// kMouseDownEventHandledButDontNeedMovedOrUpEvents. Moves without a pressed
// child go to the child under the mouse (hover). A pressed child that wants
// focus (setWantsFocus) becomes the frame's focus view, which receives the
// keys first.

#include <vector>

#include "platform/vstgui/View.h"

class CViewContainer : public CView {
 public:
  CViewContainer(const CRect& size, CFrame* frame = nullptr, CBitmap* background = nullptr);
  CViewContainer(const CViewContainer& other);
  ~CViewContainer() override;

  // Children. addView takes over the caller's reference.
  virtual bool addView(CView* view);
  virtual bool addView(CView* view, const CRect& mouseableArea, bool mouseEnabled = true);
  virtual bool removeView(CView* view, bool withForget = true);
  virtual bool removeAll(bool withForget = true);
  bool isChild(CView* view) const;
  // Also searches the children's containers.
  bool isChild(CView* view, bool deep) const;
  long getNbViews() const { return (long)children.size(); }
  CView* getView(long index) const;
  // Topmost visible child at a point (parent's coordinates); deep: the
  // innermost view.
  CView* getViewAt(const CPoint& where, bool deep = false) const;
  // Brings a child to the top of the drawing order.
  bool changeViewZOrder(CView* view, long newIndex);

  // Background: the bitmap when set, else the background colour (nothing
  // for a fully transparent colour).
  void setBackgroundColor(const CColor& color) { backgroundColor = color; }
  CColor getBackgroundColor() const { return backgroundColor; }
  void setBackgroundOffset(const CPoint& p) { backgroundOffset = p; }
  const CPoint& getBackgroundOffset() const { return backgroundOffset; }
  // Draws the background of the update rectangle (container coordinates,
  // the context's offset at the container's corner).
  virtual void drawBackgroundRect(CDrawContext* context, const CRect& updateRect);

  void draw(CDrawContext* context) override;
  void drawRect(CDrawContext* context, const CRect& updateRect) override;
  // True when the container or any child is dirty.
  bool isDirty() const override;
  // Marks every child clean as well.
  void setDirty(bool state = true) override;

  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
  bool onWheel(const CPoint& where, const float& distance, const long& buttons) override;

  bool attached(CView* parent) override;
  bool removed(CView* parent) override;
  CPoint& localToFrame(CPoint& point) const override;
  CPoint& frameToLocal(CPoint& point) const override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CViewContainer(*this); }

  // The child that took the last mouse-down and still wants events.
  CView* getMouseDownView() const { return mouseDownView; }

 protected:
  friend class CFrame;
  void _setFrameRecursive(CFrame* frame);

  std::vector<CView*> children;
  CColor backgroundColor = kTransparentCColor;
  CPoint backgroundOffset;
  CView* mouseDownView = nullptr;
};
