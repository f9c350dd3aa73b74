#pragma once
// Placeholders for the wavetable editor, sample editor and recorder panels
// until those pages land: view containers over the editor's rectangle that
// keep their oscillator and count their refreshes. They draw their
// background and their close button only.

#include "editor/EditorTags.h"
#include "editor/pages/OverlayPanel.h"

class ICommandHandler;
class IGlobalSynth;

class CWaveTableEditor : public COverlayPanel {
 public:
  CWaveTableEditor(ICommandHandler* commands, const CRect& size, CFrame* frame, CBitmap* background)
      : COverlayPanel(size, frame, background) {
    AddCloseButton(TAG_WT_CLOSE);
  }
  void SetOscInstance(unsigned int osc) {
    m_osc = osc;
    Update();
  }
  unsigned int GetOscInstance() const { return m_osc; }

 private:
  unsigned int m_osc = 0;
};

class CSampleEditor : public COverlayPanel {
 public:
  CSampleEditor(ICommandHandler* commands, const CRect& size, CFrame* frame, CBitmap* background)
      : COverlayPanel(size, frame, background) {
    AddCloseButton(TAG_SMP_CLOSE);
  }
  void SetOscInstance(unsigned int osc) {
    m_osc = osc;
    Update();
  }
  unsigned int GetOscInstance() const { return m_osc; }

 private:
  unsigned int m_osc = 0;
};

class CRecorder : public COverlayPanel {
 public:
  CRecorder(ICommandHandler* commands, IGlobalSynth* synth, const CRect& size, CFrame* frame, CBitmap* background)
      : COverlayPanel(size, frame, background) {
    AddCloseButton(TAG_REC_CLOSE);
  }
};
