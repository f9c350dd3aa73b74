#pragma once
// Placeholders for the wavetable editor, sample editor and recorder panels
// until those pages land: view containers over the editor's rectangle that
// keep their oscillator and count their refreshes. They draw their
// background only.

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

class CSampleEditor : public COverlayPanel {
 public:
  CSampleEditor(ICommandHandler* commands, const CRect& size, CFrame* frame, CBitmap* background)
      : COverlayPanel(size, frame, background) {}
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
      : COverlayPanel(size, frame, background) {}
};

// The wavetable editor panel has its own files.
#include "editor/pages/WaveTableEditor.h"
