// The editor window: an off-screen image, event entry and idle.

#include "platform/vstgui/Frame.h"

#include <cairo.h>

#include <cmath>
#include <cstring>

#include "platform/vstgui/DrawContext.h"
#include "platform/vstgui/OptionMenu.h"
#include "platform/vstgui/VSTGUITimer.h"
#include "platform/x11/X11PopupMenu.h"
#include "platform/x11/X11Window.h"

static cairo_surface_t* NewWindowImage(const CRect& size) {
  int w = (int)std::ceil(size.width()), h = (int)std::ceil(size.height());
  if (w < 1) w = 1;
  if (h < 1) h = 1;
  if (w > 8192) w = 8192;
  if (h > 8192) h = 8192;
  return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
}

CFrame::CFrame(const CRect& rect, void* window, VSTGUIEditorInterface* editor)
    : CViewContainer(CRect(0, 0, rect.width(), rect.height()), nullptr, nullptr),
      systemWindow(window),
      pEditor(editor) {
  pParentFrame = this;
  bAttached = true;
  surface = NewWindowImage(size);
  invalidArea = size;
  platformWindow = CX11Window::Create(this, window);
}

CFrame::~CFrame() {
  CVSTGUITimer::stopFrameTimers(this);
  delete platformWindow;
  platformWindow = nullptr;
  setFocusView(nullptr);
  pMouseOverView = nullptr;
  removeAll(true);
  cairo_surface_destroy(surface);
}

// ---------------------------------------------------------------------------
// Drawing

void CFrame::idle() {
  // The input first: a click's effect shows in the same idle.
  if (platformWindow) platformWindow->ProcessEvents();
  CVSTGUITimer::runDueTimers(this, CVSTGUITimer::now());
  if (!needsRedraw()) return;
  if (!platformWindow) {
    render();
    return;
  }
  CRect damage = getDamage();
  _renderRect(damage);
  platformWindow->Show(damage);
}

void CFrame::render() {
  _renderRect(size);
  if (platformWindow) platformWindow->Show(size);
}

void CFrame::_renderRect(const CRect& rect) {
  CRect area = rect;
  area.bound(size);
  if (!area.isEmpty()) {
    CDrawContext context(surface);
    context.setClipRect(area);
    cairo_t* cr = context.getCairo();
    cairo_save(cr);
    cairo_rectangle(cr, area.left, area.top, area.width(), area.height());
    cairo_clip(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
    cairo_paint(cr);
    cairo_restore(cr);
    drawRect(&context, area);
  }
  cairo_surface_flush(surface);
  invalidArea = CRect();
  setDirty(false);
  redrawCount++;
}

// Adds the frame rectangles of the dirty views below container (whose
// top-left corner is at offset in frame coordinates).
static void CollectDamage(const CViewContainer* container, const CPoint& offset, CRect& damage) {
  for (long i = 0; i < container->getNbViews(); ++i) {
    CView* child = container->getView(i);
    if (!child->isVisible()) continue;
    CRect r = child->getViewSize();
    r.offset(offset.h, offset.v);
    const CViewContainer* inner = dynamic_cast<const CViewContainer*>(child);
    if (child->CView::isDirty() || (!inner && child->isDirty())) {
      damage.unite(r);
    } else if (inner) {
      CollectDamage(inner, CPoint(r.left, r.top), damage);
    }
  }
}

CRect CFrame::getDamage() const {
  if (CView::isDirty()) return size;
  CRect damage = invalidArea;
  CollectDamage(this, CPoint(0, 0), damage);
  damage.bound(size);
  return damage;
}

void CFrame::invalidRect(const CRect& rect) {
  CRect r = rect;
  r.normalize();
  r.bound(size);
  invalidArea.unite(r);
}

CColor CFrame::getPixel(long x, long y) const {
  cairo_surface_flush(surface);
  long w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  if (!data || x < 0 || y < 0 || x >= w || y >= h) return CColor(0, 0, 0, 0);
  uint32_t px;
  std::memcpy(&px, data + y * cairo_image_surface_get_stride(surface) + x * 4, 4);
  unsigned a = px >> 24, r = (px >> 16) & 255, g = (px >> 8) & 255, b = px & 255;
  if (a == 0) return CColor(0, 0, 0, 0);
  // Cairo keeps premultiplied colour.
  return CColor((r * 255 + a / 2) / a, (g * 255 + a / 2) / a, (b * 255 + a / 2) / a, a);
}

bool CFrame::writePNG(const char* path) const {
  if (!path) return false;
  cairo_surface_flush(surface);
  return cairo_surface_write_to_png(surface, path) == CAIRO_STATUS_SUCCESS;
}

// ---------------------------------------------------------------------------
// Events

static bool IsInside(const CView* view, const CView* ancestor) {
  for (const CView* v = view; v; v = v->getParentView())
    if (v == ancestor) return true;
  return false;
}

void CFrame::_updateMouseOver(const CPoint& where, const long& buttons) {
  CView* over = getViewAt(where, true);
  if (over == pMouseOverView) return;
  CView* old = pMouseOverView;
  pMouseOverView = over;
  if (old) {
    CPoint p = where;
    if (old->getParentView()) old->getParentView()->frameToLocal(p);
    old->onMouseExited(p, buttons);
    if (pMouseObserver) pMouseObserver->onMouseExited(old, this);
  }
  // The exit handlers may have changed the tree.
  if (pMouseOverView == over && over) {
    CPoint p = where;
    if (over->getParentView()) over->getParentView()->frameToLocal(p);
    over->onMouseEntered(p, buttons);
    if (pMouseObserver) pMouseObserver->onMouseEntered(over, this);
  }
}

CMouseEventResult CFrame::onMouseDown(CPoint& where, const long& buttons) {
  mouseLocation = where;
  mouseButtons = buttons;
  _updateMouseOver(where, buttons);
  if (pMouseObserver && pMouseObserver->onMouseDown(this, where, buttons) == kMouseEventHandled)
    return kMouseEventHandled;
  CPoint p = where;
  return CViewContainer::onMouseDown(p, buttons);
}

CMouseEventResult CFrame::onMouseUp(CPoint& where, const long& buttons) {
  mouseLocation = where;
  mouseButtons = 0;
  CPoint p = where;
  return CViewContainer::onMouseUp(p, buttons);
}

CMouseEventResult CFrame::onMouseMoved(CPoint& where, const long& buttons) {
  mouseLocation = where;
  mouseButtons = buttons;
  if (pMouseObserver) pMouseObserver->onMouseMoved(this, where, buttons);
  _updateMouseOver(where, buttons);
  CPoint p = where;
  return CViewContainer::onMouseMoved(p, buttons);
}

bool CFrame::onWheel(const CPoint& where, const float& distance, const long& buttons) {
  mouseLocation = where;
  return CViewContainer::onWheel(where, distance, buttons);
}

CMouseEventResult CFrame::simulateClick(const CPoint& where, long buttons) {
  CPoint p = where;
  CMouseEventResult result = onMouseDown(p, buttons);
  p = where;
  onMouseUp(p, buttons);
  return result;
}

void CFrame::simulateDrag(const CPoint& from, const CPoint& to, long buttons, int steps) {
  if (steps < 1) steps = 1;
  CPoint p = from;
  onMouseDown(p, buttons);
  for (int i = 1; i <= steps; i++) {
    p = CPoint(from.h + (to.h - from.h) * i / steps, from.v + (to.v - from.v) * i / steps);
    onMouseMoved(p, buttons);
  }
  p = to;
  onMouseUp(p, buttons);
}

long CFrame::onKeyDown(VstKeyCode& keyCode) {
  if (pFocusView) {
    long result = pFocusView->onKeyDown(keyCode);
    if (result != -1) return result;
  }
  if (pMouseOverView && pMouseOverView != pFocusView && pMouseOverView->getMouseEnabled()) {
    long result = pMouseOverView->onKeyDown(keyCode);
    if (result != -1) return result;
  }
  // A key no view took goes to the containers holding the view under the
  // mouse, innermost first (an overlay panel closes on Escape).
  CView* start = pMouseOverView ? pMouseOverView : pFocusView;
  for (CView* v = start ? start->getParentView() : nullptr; v && v != this; v = v->getParentView()) {
    // The handlers may remove views; stop when the chain is no longer ours.
    if (!isChild(v, true)) break;
    long result = v->onKeyDown(keyCode);
    if (result != -1) return result;
  }
  return -1;
}

long CFrame::onKeyUp(VstKeyCode& keyCode) {
  if (pFocusView) {
    long result = pFocusView->onKeyUp(keyCode);
    if (result != -1) return result;
  }
  if (pMouseOverView && pMouseOverView != pFocusView && pMouseOverView->getMouseEnabled())
    return pMouseOverView->onKeyUp(keyCode);
  return -1;
}

void CFrame::setFocusView(CView* view) {
  if (view == pFocusView) return;
  CView* old = pFocusView;
  pFocusView = view;
  if (old) old->looseFocus();
  // looseFocus may already have moved the focus on.
  if (view && pFocusView == view) view->takeFocus();
}

bool CFrame::runPopupMenu(COptionMenu* root, COptionMenu*& menu, long& index) {
  if (!root) return false;
  if (menuChooser) return menuChooser(root, menu, index);
  if (!platformWindow) return false;
  CRect place = root->getViewSize();
  CPoint corner(place.left, place.bottom);
  if (root->getParentView()) root->getParentView()->localToFrame(corner);
  return X11RunPopupMenu(platformWindow, root, platformWindow->ToScreen(corner), menu, index);
}

// ---------------------------------------------------------------------------
// Tree

void CFrame::onViewRemoved(CView* view) {
  if (!view) return;
  if (pFocusView && IsInside(pFocusView, view)) pFocusView = nullptr;
  if (pMouseOverView && IsInside(pMouseOverView, view)) pMouseOverView = nullptr;
}

bool CFrame::removeView(CView* view, bool withForget) {
  return CViewContainer::removeView(view, withForget);
}

bool CFrame::removeAll(bool withForget) { return CViewContainer::removeAll(withForget); }

bool CFrame::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "CFrame") == 0) || CViewContainer::isTypeOf(type);
}
