#pragma once
// The arpeggiator and trance-gate page of the main window's lower area. It
// edits both modules' parameters through the command handler, converting
// between the list controls' indices and the stored values both ways; the
// arpeggiator's per-step controls show steps 1-16 or 17-32 as chosen by the
// editor's step-page word.

#include "editor/pages/StepControl.h"
#include "platform/vstgui/vstgui.h"

class CEditor;
class ICommandHandler;
class IControlHandler;

class CArpView : public CViewContainer, private CControlListener {
 public:
  // selectors is the editor's selector array; element 5 is the step page.
  // listener is the editor that owns the page.
  CArpView(ICommandHandler* commands, IControlHandler* handler, unsigned int* selectors, const CRect& size,
           CFrame* frame, CControlListener* listener);
  CArpView(const CArpView& other);

  // Rereads every control of the page from the engine.
  void updateAll();
  // Rotate the first n arpeggiator steps (n = the step count) by one.
  void ArpShiftRight();
  void ArpShiftLeft();

  void valueChanged(CControl* control) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CArpView(*this); }

 private:
  void _BuildControls();
  unsigned int _Page() const;
  void _ResetArp();
  void _ResetGate();
  // Copies the five step values of step from to step to.
  void _CopyStep(unsigned int from, unsigned int to);

  ICommandHandler* m_commands;
  IControlHandler* m_handler;
  unsigned int* m_pageWord;
  CEditor* m_editor;
};
