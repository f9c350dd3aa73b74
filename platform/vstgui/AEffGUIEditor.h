#pragma once
// Editor base of a plug-in whose window is a CFrame: the effect, the frame
// and the editor rectangle. The derived editor builds the frame in open and
// deletes it in close. idle() lets the frame run its timers and redraw;
// beginEdit and endEdit forward an index to the effect, which tells the
// host.

#include "platform/vst/AEffEditor.h"
#include "platform/vstgui/EditorInterface.h"

class AEffGUIEditor : public AEffEditor, public VSTGUIEditorInterface {
 public:
  explicit AEffGUIEditor(AudioEffect* effect);
  ~AEffGUIEditor() override;

  // Hands out the editor rectangle; false without an out-pointer.
  bool getRect(ERect** ppRect) override;
  bool open(void* ptr) override;
  void close() override;
  void idle() override;
  bool onKeyDown(VstKeyCode& keyCode) override;
  bool onKeyUp(VstKeyCode& keyCode) override;
  bool onWheel(float distance) override;
  bool setKnobMode(VstInt32 val) override;

  // A parameter changed outside the editor.
  virtual void setParameter(long index, float value) {}
  void doIdleStuff() override;
  long getKnobMode() const override { return knobMode; }
  // Tell the host (through the effect) that index is being edited.
  void beginEdit(long index) override;
  void endEdit(long index) override;

 protected:
  ERect rect = {0, 0, 0, 0};

 private:
  // Each editor keeps its own knob mode: two instances of the plug-in (or
  // two hosts' editors on two threads) never share it.
  long knobMode = kLinearMode;
};
