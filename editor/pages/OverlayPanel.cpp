#include "editor/pages/OverlayPanel.h"

#include <cairo.h>

#include <cstring>

namespace {

const char* const CLOSE_BITMAP = "GuiPBCloseButton.png";

// The close button's two images (released, pressed), drawn once on first
// use in the look of the editor's other buttons.
void RegisterCloseBitmap() {
  if (CBitmapResources::has(CLOSE_BITMAP)) return;
  const int w = COverlayPanel::CLOSE_BUTTON_WIDTH, h = COverlayPanel::CLOSE_BUTTON_HEIGHT;
  CBitmapResources::add(CLOSE_BITMAP, w, 2 * h, [w, h](CDrawContext& c, CCoord, CCoord) {
    for (int pressed = 0; pressed < 2; ++pressed) {
      CRect r(0.5, h * pressed + 0.5, w - 0.5, h * (pressed + 1) - 0.5);
      c.setDrawMode(kAntialias);
      c.setFillColor(pressed ? CColor(0, 40, 64, 255) : CColor(42, 45, 50, 255));
      c.setFrameColor(pressed ? CColor(0, 120, 190, 255) : CColor(90, 95, 102, 255));
      c.drawRect(r, kDrawFilledAndStroked);
      CFontDesc font("Arial", 8, kBoldFace);
      c.setFont(&font);
      c.setFontColor(pressed ? CColor(0, 168, 255, 255) : CColor(200, 204, 210, 255));
      c.drawString("CLOSE", r, false, kCenterText);
    }
  });
}

}  // namespace

COverlayPanel::COverlayPanel(const CRect& size, CFrame* frame, CBitmap* background)
    : CViewContainer(size, frame, background) {}

COverlayPanel::~COverlayPanel() {
  // The close buttons point at the listener inside this object.
  removeAll(true);
}

void COverlayPanel::RequestClose() {
  if (m_closeHandler) m_closeHandler();
}

CKickButton* COverlayPanel::AddCloseButton(long tag, CCoord x, CCoord y) {
  RegisterCloseBitmap();
  CBitmap* bitmap = new CBitmap(CLOSE_BITMAP);
  CRect r(x, y, x + CLOSE_BUTTON_WIDTH, y + CLOSE_BUTTON_HEIGHT);
  CKickButton* button = new CKickButton(r, &m_closeListener, tag, bitmap);
  bitmap->forget();
  addView(button);
  return button;
}

void COverlayPanel::CCloseListener::valueChanged(CControl* control) {
  // Kick buttons act on the release.
  if (control && control->getValue() == 0.f) m_panel->RequestClose();
}

CMouseEventResult COverlayPanel::onMouseDown(CPoint& where, const long& buttons) {
  CMouseEventResult result = CViewContainer::onMouseDown(where, buttons);
  if (result == kMouseEventHandled || result == kMouseDownEventHandledButDontNeedMovedOrUpEvents) return result;
  // The veil: nothing beneath the panel sees the press.
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

CMouseEventResult COverlayPanel::onMouseMoved(CPoint& where, const long& buttons) {
  CViewContainer::onMouseMoved(where, buttons);
  return kMouseEventHandled;
}

bool COverlayPanel::onWheel(const CPoint& where, const float& distance, const long& buttons) {
  CViewContainer::onWheel(where, distance, buttons);
  return true;
}

long COverlayPanel::onKeyDown(VstKeyCode& keyCode) {
  if (keyCode.virt != VKEY_ESCAPE) return -1;
  RequestClose();
  return 1;
}

bool COverlayPanel::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "COverlayPanel") == 0) || CViewContainer::isTypeOf(type);
}
