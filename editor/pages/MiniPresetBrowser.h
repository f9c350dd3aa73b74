#pragma once
// The preset-name strip of the main window: the preset's name over its
// author, or over a readout of the control last hovered or changed (its
// long parameter name and value as a percentage). A click tells the
// listener (the editor opens its preset menu). Readout redraws are
// throttled to the editor's timer.

#include <string>

#include "platform/vstgui/vstgui.h"

class ICommandHandler;

class CMiniPresetBrowser : public CParamDisplay {
 public:
  CMiniPresetBrowser(ICommandHandler* commands, const CRect& size, CControlListener* listener, long tag);
  CMiniPresetBrowser(const CMiniPresetBrowser& other);
  ~CMiniPresetBrowser() override;
  CMiniPresetBrowser& operator=(const CMiniPresetBrowser&) = delete;

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CMiniPresetBrowser(*this); }

  void SetPresetName(const std::string& name);
  void SetAuthorName(const std::string& author);
  void LatchControlTag(long tag);
  // From the editor's timer: redraws when a latch asked for it.
  void Update();

  const std::string& GetPresetName() const { return m_name; }
  const std::string& GetAuthorName() const { return m_author; }
  long GetLatchedTag() const { return m_latchedTag; }
  // The second line as the next draw shows it (may clear the latch).
  std::string SecondLine();

 private:
  std::string m_author = "Factory reset";
  std::string m_name = "Default";
  CFontDesc* m_nameFont;
  CFontDesc* m_readoutFont;
  ICommandHandler* m_commands;
  long m_latchedTag = -1;
  bool m_redrawRequest = false;
  char m_readout[100] = {0};
};
