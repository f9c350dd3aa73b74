#pragma once
// Placeholders for the pages of the lower half of the window still to come
// (modulation, arpeggiator and trance gate) and the
// modulation source and target menus until those pages land. Each page is
// an empty container over the page area with the operations the editor
// calls; the menus are plain list controls over their string lists.

#include "editor/ListControl.h"
#include "editor/pages/FxMatrixPage.h"
#include "platform/vstgui/vstgui.h"

class ICommandHandler;
class IControlHandler;
struct MSEG_COPY;

class CPageView : public CViewContainer {
 public:
  CPageView(ICommandHandler* commands, IControlHandler* handler, unsigned int* selectors, const CRect& size,
            CFrame* frame, const char* title)
      : CViewContainer(size, frame), m_commands(commands), m_handler(handler), m_selectors(selectors), m_title(title) {}
  // The empty page shows its name until its controls exist.
  void drawBackgroundRect(CDrawContext* context, const CRect& updateRect) override;
  // Rereads every control of the page from the engine.
  void updateAll() { ++m_updates; }
  unsigned int GetUpdateCount() const { return m_updates; }

 protected:
  ICommandHandler* m_commands;
  IControlHandler* m_handler;
  unsigned int* m_selectors;
  unsigned int m_updates = 0;
  const char* m_title;
};

class CModView : public CPageView {
 public:
  CModView(ICommandHandler* commands, IControlHandler* handler, unsigned int* selectors, const CRect& size,
           CFrame* frame, CControlListener* listener)
      : CPageView(commands, handler, selectors, size, frame, "MODULATION") {}
  void SetMsegClipboard(MSEG_COPY* clipboard) { m_clipboard = clipboard; }

 private:
  MSEG_COPY* m_clipboard = nullptr;
};

class CArpView : public CPageView {
 public:
  CArpView(ICommandHandler* commands, IControlHandler* handler, unsigned int* selectors, const CRect& size,
           CFrame* frame, CControlListener* listener)
      : CPageView(commands, handler, selectors, size, frame, "ARPEGGIATOR / TRANCE GATE") {}
};

class CMenuModSource : public CListControl {
 public:
  CMenuModSource(const CRect& size, CControlListener* listener, long tag, const CColor& textColor);
};

class CMenuModTarget : public CListControl {
 public:
  CMenuModTarget(const CRect& size, CControlListener* listener, long tag, const CColor& textColor);
};
