// Container of child views: drawing, mouse dispatch and the child list.

#include "platform/vstgui/ViewContainer.h"

#include <algorithm>
#include <cstring>

#include "platform/vstgui/Bitmap.h"
#include "platform/vstgui/DrawContext.h"
#include "platform/vstgui/Frame.h"

CViewContainer::CViewContainer(const CRect& rect, CFrame* frame, CBitmap* background) : CView(rect) {
  pParentFrame = frame;
  if (background) setBackground(background);
}

CViewContainer::CViewContainer(const CViewContainer& other)
    : CView(other), backgroundColor(other.backgroundColor), backgroundOffset(other.backgroundOffset) {
  pParentFrame = other.pParentFrame;
  for (CView* child : other.children) {
    CView* copy = child->newCopy();
    if (copy) addView(copy);
  }
}

CViewContainer::~CViewContainer() { removeAll(true); }

// ---------------------------------------------------------------------------
// Children

void CViewContainer::_setFrameRecursive(CFrame* frame) {
  for (CView* child : children) {
    child->pParentFrame = frame;
    if (CViewContainer* c = dynamic_cast<CViewContainer*>(child)) c->_setFrameRecursive(frame);
  }
}

bool CViewContainer::addView(CView* view) {
  if (!view || view == this || isChild(view)) return false;
  // A view lives in one container at a time.
  if (view->pParentView) return false;
  children.push_back(view);
  view->pParentFrame = pParentFrame;
  view->attached(this);
  if (CViewContainer* c = dynamic_cast<CViewContainer*>(view)) c->_setFrameRecursive(pParentFrame);
  view->invalidRect(view->size);
  return true;
}

bool CViewContainer::addView(CView* view, const CRect& area, bool mouseEnabled) {
  if (!addView(view)) return false;
  view->setMouseableArea(area);
  view->setMouseEnabled(mouseEnabled);
  return true;
}

bool CViewContainer::removeView(CView* view, bool withForget) {
  auto it = std::find(children.begin(), children.end(), view);
  if (it == children.end()) return false;
  view->invalidRect(view->size);
  if (pParentFrame && bAttached) pParentFrame->onViewRemoved(view);
  if (mouseDownView == view) mouseDownView = nullptr;
  children.erase(it);
  view->removed(this);
  if (CViewContainer* c = dynamic_cast<CViewContainer*>(view)) c->_setFrameRecursive(nullptr);
  if (withForget) view->forget();
  return true;
}

bool CViewContainer::removeAll(bool withForget) {
  while (!children.empty()) removeView(children.back(), withForget);
  return true;
}

bool CViewContainer::isChild(CView* view) const {
  return view && std::find(children.begin(), children.end(), view) != children.end();
}

bool CViewContainer::isChild(CView* view, bool deep) const {
  if (isChild(view)) return true;
  if (!deep) return false;
  for (CView* child : children)
    if (CViewContainer* c = dynamic_cast<CViewContainer*>(child))
      if (c->isChild(view, true)) return true;
  return false;
}

CView* CViewContainer::getView(long index) const {
  if (index < 0 || index >= (long)children.size()) return nullptr;
  return children[(size_t)index];
}

CView* CViewContainer::getViewAt(const CPoint& where, bool deep) const {
  CPoint local = where;
  local.offset(-size.left, -size.top);
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    CView* child = *it;
    if (!child->isVisible() || !child->size.pointInside(local)) continue;
    if (deep)
      if (CViewContainer* c = dynamic_cast<CViewContainer*>(child)) {
        CView* inner = c->getViewAt(local, true);
        return inner ? inner : child;
      }
    return child;
  }
  return nullptr;
}

bool CViewContainer::changeViewZOrder(CView* view, long newIndex) {
  auto it = std::find(children.begin(), children.end(), view);
  if (it == children.end()) return false;
  children.erase(it);
  if (newIndex < 0 || newIndex > (long)children.size()) newIndex = (long)children.size();
  children.insert(children.begin() + newIndex, view);
  view->invalidRect(view->size);
  return true;
}

// ---------------------------------------------------------------------------
// Drawing

void CViewContainer::drawBackgroundRect(CDrawContext* context, const CRect& updateRect) {
  if (pBackground) {
    CPoint from(updateRect.left + backgroundOffset.h, updateRect.top + backgroundOffset.v);
    if (bTransparencyEnabled)
      pBackground->drawTransparent(context, updateRect, from);
    else
      pBackground->draw(context, updateRect, from);
  } else if (backgroundColor.alpha > 0) {
    CColor old = context->getFillColor();
    context->setFillColor(backgroundColor);
    context->drawRect(updateRect, kDrawFilled);
    context->setFillColor(old);
  }
}

void CViewContainer::draw(CDrawContext* context) { drawRect(context, size); }

void CViewContainer::drawRect(CDrawContext* context, const CRect& updateRect) {
  if (!context) return;
  CRect update = updateRect;
  update.bound(size);
  if (update.isEmpty()) {
    CView::setDirty(false);
    return;
  }
  CPoint oldOffset = context->getOffset();
  CRect oldClip;
  context->getClipRect(oldClip);

  // From here on coordinates are the container's own.
  CRect clip = oldClip;
  clip.bound(update);
  clip.offset(-size.left, -size.top);
  update.offset(-size.left, -size.top);
  context->setOffset(CPoint(oldOffset.h + size.left, oldOffset.v + size.top));
  context->setClipRect(clip);

  drawBackgroundRect(context, update);
  // Drawing may add or remove views (rarely); walk a copy.
  std::vector<CView*> list = children;
  for (CView* child : list) {
    if (!child->isVisible() || !isChild(child)) continue;
    CRect childRect = child->size;
    childRect.bound(clip);
    if (childRect.isEmpty()) continue;
    context->setClipRect(childRect);
    child->drawRect(context, childRect);
    child->setDirty(false);
  }
  context->setOffset(oldOffset);
  context->setClipRect(oldClip);
  CView::setDirty(false);
}

bool CViewContainer::isDirty() const {
  if (CView::isDirty()) return true;
  for (CView* child : children)
    if (child->isVisible() && child->isDirty()) return true;
  return false;
}

void CViewContainer::setDirty(bool state) {
  CView::setDirty(state);
  if (!state)
    for (CView* child : children) child->setDirty(false);
}

// ---------------------------------------------------------------------------
// Mouse

CMouseEventResult CViewContainer::onMouseDown(CPoint& where, const long& buttons) {
  CPoint local = where;
  local.offset(-size.left, -size.top);
  mouseDownView = nullptr;
  std::vector<CView*> list = children;
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    CView* child = *it;
    if (!isChild(child) || !child->isVisible() || !child->getMouseEnabled()) continue;
    if (!child->hitTest(local, buttons)) continue;
    CPoint p = local;
    // A view that takes keyboard focus gets it with the press.
    if (child->wantsFocus() && pParentFrame && bAttached) pParentFrame->setFocusView(child);
    child->remember();
    CMouseEventResult result = child->onMouseDown(p, buttons);
    bool stillHere = isChild(child);
    child->forget();
    if (result == kMouseEventHandled) {
      if (stillHere) mouseDownView = child;
      return result;
    }
    if (result == kMouseDownEventHandledButDontNeedMovedOrUpEvents) return result;
    // Not handled: the views below get their turn.
  }
  return kMouseEventNotHandled;
}

CMouseEventResult CViewContainer::onMouseUp(CPoint& where, const long& buttons) {
  CView* target = mouseDownView;
  mouseDownView = nullptr;
  if (!target || !isChild(target)) return kMouseEventNotHandled;
  CPoint local = where;
  local.offset(-size.left, -size.top);
  target->remember();
  CMouseEventResult result = target->onMouseUp(local, buttons);
  target->forget();
  return result;
}

CMouseEventResult CViewContainer::onMouseMoved(CPoint& where, const long& buttons) {
  CPoint local = where;
  local.offset(-size.left, -size.top);
  if (mouseDownView && isChild(mouseDownView)) {
    CView* target = mouseDownView;
    target->remember();
    CMouseEventResult result = target->onMouseMoved(local, buttons);
    target->forget();
    return result;
  }
  // Hover: the view under the mouse.
  std::vector<CView*> list = children;
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    CView* child = *it;
    if (!isChild(child) || !child->isVisible() || !child->getMouseEnabled()) continue;
    if (!child->hitTest(local, buttons)) continue;
    CPoint p = local;
    child->remember();
    CMouseEventResult result = child->onMouseMoved(p, buttons);
    child->forget();
    if (result == kMouseEventHandled || result == kMouseEventNotHandled) return result;
    return kMouseEventNotHandled;
  }
  return kMouseEventNotHandled;
}

bool CViewContainer::onWheel(const CPoint& where, const float& distance, const long& buttons) {
  CPoint local = where;
  local.offset(-size.left, -size.top);
  std::vector<CView*> list = children;
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    CView* child = *it;
    if (!isChild(child) || !child->isVisible() || !child->getMouseEnabled()) continue;
    if (!child->hitTest(local, buttons)) continue;
    child->remember();
    bool used = child->onWheel(local, distance, buttons);
    child->forget();
    if (used) return true;
  }
  return false;
}

// ---------------------------------------------------------------------------
// Tree

bool CViewContainer::attached(CView* parent) {
  CView::attached(parent);
  _setFrameRecursive(pParentFrame);
  for (CView* child : children) child->attached(this);
  return true;
}

bool CViewContainer::removed(CView* parent) {
  mouseDownView = nullptr;
  for (CView* child : children) child->removed(this);
  // The children stay ours: only their frame goes.
  for (CView* child : children) child->pParentView = this;
  CView::removed(parent);
  return true;
}

CPoint& CViewContainer::localToFrame(CPoint& point) const {
  point.offset(size.left, size.top);
  if (pParentView) return pParentView->localToFrame(point);
  return point;
}

CPoint& CViewContainer::frameToLocal(CPoint& point) const {
  if (pParentView) pParentView->frameToLocal(point);
  point.offset(-size.left, -size.top);
  return point;
}

bool CViewContainer::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "CViewContainer") == 0) || CView::isTypeOf(type);
}
