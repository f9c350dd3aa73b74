#pragma once
// Base of the editor's overlay panels (preset browser, wavetable editor,
// sample editor, recorder). An open overlay owns every mouse event inside
// its rectangle: a press, move or wheel step that none of its own controls
// takes stops at the panel (its veil) and never reaches the dimmed views
// beneath. Closing: the panel's close control (AddCloseButton) and the
// Escape key ask the editor to close the panel through the handler the
// editor sets (its Close... operation for that panel).

#include <functional>

#include "platform/vstgui/vstgui.h"

class COverlayPanel : public CViewContainer {
 public:
  // Left edge and top of the close button the panels share, and its size.
  static const int CLOSE_BUTTON_X = 883;
  static const int CLOSE_BUTTON_Y = 94;
  static const int CLOSE_BUTTON_WIDTH = 80;
  static const int CLOSE_BUTTON_HEIGHT = 16;

  COverlayPanel(const CRect& size, CFrame* frame, CBitmap* background);
  ~COverlayPanel() override;

  // Rereads what the panel shows from the engine.
  void Update() { ++m_updates; }
  unsigned int GetUpdateCount() const { return m_updates; }

  // What closing the panel does (set by the editor); RequestClose runs it.
  void SetCloseHandler(std::function<void()> handler) { m_closeHandler = std::move(handler); }
  void RequestClose();
  // Adds the panel's close kick button ("GuiPBCloseButton.png") with its
  // tag at (x, y); its release closes the panel.
  CKickButton* AddCloseButton(long tag, CCoord x = CLOSE_BUTTON_X, CCoord y = CLOSE_BUTTON_Y);

  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
  bool onWheel(const CPoint& where, const float& distance, const long& buttons) override;
  // Escape closes the panel.
  long onKeyDown(VstKeyCode& keyCode) override;
  bool isTypeOf(const char* type) const override;

 private:
  class CCloseListener : public CControlListener {
   public:
    explicit CCloseListener(COverlayPanel* panel) : m_panel(panel) {}
    void valueChanged(CControl* control) override;

   private:
    COverlayPanel* m_panel;
  };

  unsigned int m_updates = 0;
  std::function<void()> m_closeHandler;
  CCloseListener m_closeListener{this};
};
