#pragma once
// The rest of the modulation page around its MSEG editor, and the
// modulation source and target menus, are placeholders until they land: an
// empty container over the page area with the operations the editor calls,
// and plain list controls over their string lists. The arpeggiator and
// trance-gate page is ArpPage.h, the effects-matrix page FxMatrixPage.h.

#include "editor/ListControl.h"
#include "editor/pages/ArpPage.h"
#include "editor/pages/FxMatrixPage.h"
#include "editor/pages/MsegEditor.h"
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
  virtual void updateAll() { ++m_updates; }
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
      : CPageView(commands, handler, selectors, size, frame, "MODULATION") {
    m_mseg = new CMsegControl(commands, CRect(452, 49, 740, 117), listener, 68269);
    addView(m_mseg);
    m_mseg->SetInstance(selectors ? selectors[2] : 0);
    m_mseg->SetLock(selectors && selectors[3] != 0);
  }
  void SetMsegClipboard(MSEG_COPY* clipboard) { m_clipboard = clipboard; }
  CMsegControl* GetMsegControl() const { return m_mseg; }
  // Also rereads the shown MSEG and its lock.
  void updateAll() override {
    CPageView::updateAll();
    m_mseg->SetInstance(m_selectors ? m_selectors[2] : 0);
    m_mseg->SetLock(m_selectors && m_selectors[3] != 0);
  }

 private:
  MSEG_COPY* m_clipboard = nullptr;
  CMsegControl* m_mseg = nullptr;
};

class CMenuModSource : public CListControl {
 public:
  CMenuModSource(const CRect& size, CControlListener* listener, long tag, const CColor& textColor);
};

class CMenuModTarget : public CListControl {
 public:
  CMenuModTarget(const CRect& size, CControlListener* listener, long tag, const CColor& textColor);
};
