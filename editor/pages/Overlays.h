#pragma once
// The base of the overlay panels: view containers over the editor's
// rectangle that count their refreshes. The wavetable editor, the sample
// editor and the recorder have their own files.

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
