#pragma once
// The editor's single-operation interface for the program's own controls:
// a knob registers itself, a context click asks for the context menu, a
// modulation depth was dragged, or the mouse hovers over a control (the
// CONTROL_MSG_ numbers of EditorTags.h).

class CControl;

class IControlHandler {
 public:
  virtual void OnControlMessage(CControl* control, unsigned int message, float value) = 0;

 protected:
  ~IControlHandler() = default;
};
