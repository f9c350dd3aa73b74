// Base view: geometry, background, dirty state and place in the tree.

#include "platform/vstgui/View.h"

#include <cstring>

#include "platform/vstgui/Bitmap.h"
#include "platform/vstgui/DrawContext.h"
#include "platform/vstgui/Frame.h"

CView::CView(const CRect& rect) : size(rect), mouseableArea(rect) {}

CView::CView(const CView& other)
    : CBaseObject(other),
      size(other.size),
      mouseableArea(other.mouseableArea),
      pBackground(other.pBackground),
      bDirty(other.bDirty),
      bMouseEnabled(other.bMouseEnabled),
      bTransparencyEnabled(other.bTransparencyEnabled),
      bWantsFocus(other.bWantsFocus),
      bVisible(other.bVisible),
      tooltip(other.tooltip) {
  if (pBackground) pBackground->remember();
}

CView::~CView() {
  if (pBackground) pBackground->forget();
}

void CView::draw(CDrawContext* context) {
  if (pBackground && context) {
    if (bTransparencyEnabled)
      pBackground->drawTransparent(context, size);
    else
      pBackground->draw(context, size);
  }
  setDirty(false);
}

void CView::setBackground(CBitmap* background) {
  if (background == pBackground) return;
  if (background) background->remember();
  if (pBackground) pBackground->forget();
  pBackground = background;
  setDirty(true);
}

void CView::invalid() {
  setDirty(false);
  invalidRect(size);
}

void CView::invalidRect(const CRect& rect) {
  if (pParentView) {
    // rect is in the parent's coordinates; the parent passes it on in its
    // own parent's coordinates.
    CRect r = rect;
    if (pParentView != (CView*)pParentFrame) r.offset(pParentView->size.left, pParentView->size.top);
    pParentView->invalidRect(r);
  }
}

void CView::setViewSize(const CRect& rect, bool invalidate) {
  if (invalidate) invalidRect(size);
  size = rect;
  if (invalidate) invalid();
  else setDirty(true);
}

CPoint& CView::localToFrame(CPoint& point) const {
  if (pParentView) return pParentView->localToFrame(point);
  return point;
}

CPoint& CView::frameToLocal(CPoint& point) const {
  if (pParentView) return pParentView->frameToLocal(point);
  return point;
}

void CView::setVisible(bool state) {
  if (bVisible == state) return;
  bVisible = state;
  // Both showing and hiding change what the parent shows there.
  invalidRect(size);
  if (state) setDirty(true);
}

bool CView::attached(CView* parent) {
  pParentView = parent;
  if (parent) pParentFrame = parent->pParentFrame ? parent->pParentFrame : pParentFrame;
  bAttached = true;
  setDirty(true);
  return true;
}

bool CView::removed(CView* parent) {
  pParentView = nullptr;
  pParentFrame = nullptr;
  bAttached = false;
  return true;
}

VSTGUIEditorInterface* CView::getEditor() const { return pParentFrame ? pParentFrame->getEditor() : nullptr; }

bool CView::isTypeOf(const char* type) const { return type && std::strcmp(type, "CView") == 0; }
