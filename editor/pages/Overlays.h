#pragma once
// The wavetable editor's placeholder until that page lands: it keeps its
// oscillator and draws its background and its close button only. The
// overlay base is in OverlayPanel.h; the sample editor and the recorder
// have their own files.

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
