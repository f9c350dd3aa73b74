#pragma once
// The effects-matrix page: sixteen slot buttons in eight columns, the
// splitter that sets how many columns run as two parallel lanes, the
// parameter panel of the selected slot's effect (FxModules.h) and the
// load, save and reset buttons of the whole matrix. The page reads and
// writes the matrix only through ICommandHandler; the selected slot lives
// in word 4 of the editor's selector array so it survives the window.

#include <string>
#include <vector>

#include "platform/vstgui/vstgui.h"

class CFxModule;
class ICommandHandler;
class IControlHandler;

const long TAG_FX_SLOT = 68194;  // + slot 0-15
const long TAG_FX_SPLITTER = 68210;
const long TAG_FXMTX_LOAD = 68266;
const long TAG_FXMTX_SAVE = 68267;
const long TAG_FXMTX_RESET = 68268;

const unsigned int FX_SLOT_COUNT = 16;
const unsigned int FX_SELECTOR_WORD = 4;
const unsigned int FX_PANEL_COUNT = 11;

// Draws the page's artwork under its resource names (once).
void RegisterFxMatrixArtwork();

// The button of one matrix slot. Its value is the selection state; it
// keeps the slot's effect id and on flag as last read by the page and
// flags the click that changed either.
class CFxMtxButton : public CParamDisplay {
 public:
  CFxMtxButton(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
               const std::vector<std::string>* labels);
  ~CFxMtxButton() override;

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CFxMtxButton(*this); }

  // Clamps the effect id to the label range.
  void clipID();

  long long m_effectId = 0;
  bool m_on = true;
  std::vector<std::string> m_labels;
  bool m_idChanged = false;
  bool m_onToggled = false;

 private:
  void _report();
  void _showEffectMenu();
};

// The split control: value = split count - 1, 0..6 by mouse; dragging
// sideways moves one position per step pixels.
class CFxMtxSplitter : public CControl {
 public:
  CFxMtxSplitter(const CRect& size, CControlListener* listener, long tag, long step, float defaultValue);
  ~CFxMtxSplitter() override;

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CFxMtxSplitter(*this); }

  void clipValue();

 private:
  long m_step;
  CPoint m_press;
  float m_pressValue = 0.f;
};

class CFxView : public CViewContainer, private CControlListener {
 public:
  CFxView(ICommandHandler* commands, IControlHandler* handler, unsigned int* selectors, const CRect& size,
          CFrame* frame, CControlListener* listener);
  ~CFxView() override;

  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CFxView(*this); }
  void valueChanged(CControl* control) override;

  void updateAll() { UpdateMatrix(); }
  void UpdateMatrix();
  void UpdateFxView();
  // The instance (0 or 1) of the effect in the selected slot; 0 for an
  // empty slot or an id outside 1-20.
  unsigned int GetActiveFxInstance();
  // The effect panel shown for the selected slot's effect (null for an id
  // above 20).
  CViewContainer* GetActiveViewContainer();

  CFxMtxButton* GetSlotButton(unsigned int slot) const { return slot < FX_SLOT_COUNT ? m_buttons[slot] : nullptr; }
  CFxMtxSplitter* GetSplitter() const { return m_splitter; }
  // The panels in the order None, Reverb, Delay, Echoes, Chorus, Flanger,
  // Phaser, Tremolo, Eq, Distortion, GrainShifter.
  CFxModule* GetPanel(unsigned int index) const { return index < FX_PANEL_COUNT ? m_panels[index] : nullptr; }
  unsigned int GetUpdateCount() const { return m_updates; }


 private:
  CFxView(const CFxView& other);
  unsigned int _selected() const;
  void _moveEffect(unsigned int slot, CFxMtxButton* button);
  void _reset();
  CFxModule* _panelForId(long long id) const;

  ICommandHandler* m_commands;
  IControlHandler* m_handler;
  CFxMtxButton* m_buttons[FX_SLOT_COUNT] = {};
  CFxMtxSplitter* m_splitter = nullptr;
  unsigned int* m_selectors;
  CFxModule* m_panels[FX_PANEL_COUNT] = {};
  bool m_ownsChildren = true;
  unsigned int m_updates = 0;
};
