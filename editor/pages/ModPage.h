#pragma once
// The modulation page of the main window's lower area. One set of controls
// edits the shown LFO (LFO 1-3 or the vibrato LFO), the shown envelope
// (envelopes 1-3 or the amplitude envelope) and the shown MSEG (1-4): every
// control carries the parameter id of instance 0 of its setting as tag and
// the page adds the shown instance, chosen by three selectors, when it reads
// or writes the engine. The page also holds the MSEG editor with its lock,
// loop and menu buttons; the menu copies and pastes through the editor's
// MSEG clipboard, snaps, loads, saves and resets the shown MSEG.

#include "editor/pages/MsegEditor.h"
#include "platform/vstgui/vstgui.h"

class CEditor;
class ICommandHandler;
class IControlHandler;
struct MSEG_COPY;

class CModView : public CViewContainer, private CControlListener {
 public:
  // Words of the editor's selector array that the page uses.
  enum { SELECTOR_LFO = 0, SELECTOR_ENV = 1, SELECTOR_MSEG = 2, SELECTOR_MSEG_LOCK = 3 };
  // Tags of the page's own controls.
  enum : long {
    TAG_LFO_ON = 68188,
    TAG_ENV_ON = 68189,
    TAG_MSEG_ON = 68190,
    TAG_LFO_SELECTOR = 68191,
    TAG_ENV_SELECTOR = 68192,
    TAG_MSEG_SELECTOR = 68193,
    TAG_MSEG_EDITOR = 68269,
    TAG_MSEG_LOCK = 68270,
    TAG_MSEG_LOOP = 68271,
    TAG_MSEG_MENU = 68272,
  };
  // Tags of the MSEG menu's two submenus.
  static const long TAG_TIME_SNAPPING = 323471;
  static const long TAG_LEVEL_SNAPPING = 323472;

  // selectors is the editor's selector array; listener is the editor that
  // owns the page.
  CModView(ICommandHandler* commands, IControlHandler* handler, unsigned int* selectors, const CRect& size,
           CFrame* frame, CControlListener* listener);
  CModView(const CModView& other);
  // Keeps the MSEG lock in the editor's selector word, so that it survives
  // the window being closed and opened again.
  ~CModView() override;

  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CModView(*this); }
  void valueChanged(CControl* control) override;

  // Rereads the MSEG editor and every control of the page from the engine.
  void updateAll();

  // The editor's MSEG clipboard (null = none).
  void SetMsegClipboard(MSEG_COPY* clipboard) { m_clipboard = clipboard; }
  CMsegControl* GetMsegControl() const { return m_mseg; }
  // The control of the page that shows parameter id. isPageParam tells
  // whether the id is one of the page's own settings that have no knob
  // (the envelope slopes and scalings, the MSEG rates); the result is then
  // the control, or null while another instance is shown.
  CControl* GetControlForParam(unsigned int id, bool& isPageParam);

 private:
  void _BuildControls();
  unsigned int _Shown(unsigned int word) const;
  CControl* _Control(long tag) const;
  // Shows the MSEG menu at the button; false when it closed without a
  // choice.
  bool _MsegMenu(CControl* button);
  void _ResetMseg();

  unsigned int* m_lfoSelector;
  unsigned int* m_envSelector;
  unsigned int* m_msegSelector;
  unsigned int* m_msegLock;
  ICommandHandler* m_commands;
  IControlHandler* m_handler;
  CMsegControl* m_mseg = nullptr;
  MSEG_COPY* m_clipboard = nullptr;
  CEditor* m_editor;
};
