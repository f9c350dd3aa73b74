#pragma once
// What the frame and its controls need of the editor that owns them: the
// frame pointer, the knob mode, idle work and the begin/end of an edit
// gesture on a control's tag.

class CFrame;

// Knob modes the host may ask for.
enum CKnobMode {
  kCircularMode = 0,
  kRelativCircularMode,
  kLinearMode,
};

class VSTGUIEditorInterface {
 public:
  virtual ~VSTGUIEditorInterface() {}

  virtual void doIdleStuff() {}
  virtual long getKnobMode() const { return kLinearMode; }
  // A control's edit gesture; index is the control's tag.
  virtual void beginEdit(long index) {}
  virtual void endEdit(long index) {}
  virtual CFrame* getFrame() const { return frame; }

 protected:
  CFrame* frame = nullptr;
};
