#pragma once
// The wavetable editor: the overlay panel on which the user edits the
// 16,384-sample user wavetable of one oscillator, as a waveform or as a
// spectrum, through eight offline wave effects with one knob each, a tools
// menu of wave operations, copy and paste, and the table's name with
// browse, next, previous, load, save and reset.
//
// Two waves per oscillator: the committed table, and the work wave = the
// committed table with the eight effects at that oscillator's knob
// settings. Both views edit the work wave. Every change is heard at once:
// the work wave goes to the engine through ICommandHandler::SetOscWaveTable
// (which copies it into the parameter store under the engine lock; the
// oscillator rebuilds its band-limited levels at the next block). A knob
// move leaves the committed table alone; apply, close and every drawing or
// tool operation commit the work wave and zero the knobs.
//
// Everything runs on the editor's thread; the effects, the transforms and
// the copies run outside the engine lock, so a knob drag never holds up
// the audio.

#include "editor/pages/Overlays.h"
#include "editor/pages/WTEditorEffects.h"

class AEffGUIEditor;
class CEditor;
class CListControl;
class CModeSelector;
class CModulatedKnob;
class CScrollBar;
class CSpectrumControl;
class CTextButton;
class CWaveformControl;
class ICommandHandler;

class CWaveTableEditor : public COverlayPanel, private CControlListener {
 public:
  static const unsigned int OSC_COUNT = 4;
  static const unsigned int EFFECT_COUNT = CWTEditorEffects::EFFECT_COUNT;
  static const unsigned int WAVE_SIZE = CWTEditorEffects::WAVE_SIZE;

  CWaveTableEditor(AEffGUIEditor* editor, ICommandHandler* commands, const CRect& size, CFrame* frame,
                   CBitmap* background);
  ~CWaveTableEditor() override;
  CWaveTableEditor(const CWaveTableEditor&) = delete;
  CWaveTableEditor& operator=(const CWaveTableEditor&) = delete;

  // Shows an oscillator (its knobs and its table); the editor has set the
  // oscillator to its user wavetable first.
  void SetOscInstance(unsigned int osc);
  unsigned int GetOscInstance() const { return m_osc; }
  // Rereads the shown oscillator's name and table from the engine. A table
  // that still holds the work wave this panel sent stays as committed; any
  // other (a load, a reset, a preset) becomes the committed table.
  void Update();

  // The committed table plus the effects into the work wave, sent to the
  // engine.
  void RenderEffects();
  // The work wave becomes the committed table and is sent.
  void CommitEffects();
  // The shown oscillator's effect amounts and knobs to 0.
  void ResetEffects();
  // Commits the work wave and zeroes the knobs, so that a wave edited with
  // effects stays as heard; the editor calls it whenever it closes the
  // panel.
  void CommitOnClose() { _Commit(); }

  void valueChanged(CControl* control) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return nullptr; }

  // State, for the editor and tests.
  const float* GetWorkWave() const { return m_work; }
  const float* GetCommittedTable(unsigned int osc) const { return m_table[osc % OSC_COUNT]; }
  float GetEffectAmount(unsigned int effect, unsigned int osc) const {
    return m_amount[effect % EFFECT_COUNT][osc % OSC_COUNT];
  }
  bool HasClipboard() const { return m_clipboard != nullptr; }
  const char* GetTableName() const;
  bool IsSpectrumShown() const;
  CWaveformControl* GetWaveformControl() const { return m_waveform; }
  CSpectrumControl* GetSpectrumControl() const { return m_spectrum; }
  CModulatedKnob* GetEffectKnob(unsigned int effect) const { return m_knobs[effect % EFFECT_COUNT]; }
  CControl* GetControl(long tag) const;

 private:
  void _BuildControls();
  // Commit and zero the knobs (apply, close, drawing, tools).
  void _Commit();
  // Sends a wave for the shown oscillator; unless forced, only when it
  // differs from what was sent last.
  void _Send(const float* wave, bool force);
  void _ShowWorkInViews();
  void _SetViewMode(bool spectrum);
  void _ToolsMenu(CControl* anchor);

  AEffGUIEditor* m_owner;
  CEditor* m_editor;
  ICommandHandler* m_commands;
  unsigned int m_osc = 0;
  CWTEditorEffects m_effects[EFFECT_COUNT];
  float m_amount[EFFECT_COUNT][OSC_COUNT];
  float* m_table[OSC_COUNT];
  // Per oscillator the wave last sent to the engine, and whether there was
  // one.
  float* m_sent[OSC_COUNT];
  bool m_sentValid[OSC_COUNT];
  float* m_work;
  float* m_clipboard = nullptr;

  CWaveformControl* m_waveform = nullptr;
  CSpectrumControl* m_spectrum = nullptr;
  CTextButton* m_nameButton = nullptr;
  CModeSelector* m_viewMode = nullptr;
  CScrollBar* m_scrollBar = nullptr;
  CListControl* m_zoomList = nullptr;
  CModulatedKnob* m_knobs[EFFECT_COUNT];
};
