#pragma once
// The base of the overlay panels (view containers over the editor's
// rectangle that count their refreshes), and the wavetable editor's
// placeholder until that page lands: it keeps its oscillator and draws its
// background only. The sample editor and the recorder have their own files.

#include "platform/vstgui/vstgui.h"

class ICommandHandler;
class IGlobalSynth;

class COverlayPanel : public CViewContainer {
 public:
  COverlayPanel(const CRect& size, CFrame* frame, CBitmap* background) : CViewContainer(size, frame, background) {}

  // Rereads what the panel shows from the engine.
  void Update() { ++m_updates; }
  unsigned int GetUpdateCount() const { return m_updates; }

 private:
  unsigned int m_updates = 0;
};

class CWaveTableEditor : public COverlayPanel {
 public:
  CWaveTableEditor(ICommandHandler* commands, const CRect& size, CFrame* frame, CBitmap* background)
      : COverlayPanel(size, frame, background) {}
  void SetOscInstance(unsigned int osc) {
    m_osc = osc;
    Update();
  }
  unsigned int GetOscInstance() const { return m_osc; }

 private:
  unsigned int m_osc = 0;
};
