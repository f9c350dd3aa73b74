#pragma once
// Base of a plug-in editor: the effect it belongs to, its rectangle and the
// open/close/idle life cycle the host drives through the effect's dispatcher.
// The editor framework derives its own editor base from this one.

#include "platform/vst/VstTypes.h"

class AudioEffect;

class AEffEditor {
 public:
  explicit AEffEditor(AudioEffect* effect = nullptr) : effect(effect) {}
  virtual ~AEffEditor() {}

  virtual AudioEffect* getEffect() { return effect; }
  // Hands out the editor's rectangle; false when there is none or no out-pointer.
  virtual bool getRect(ERect** rect) {
    if (rect) *rect = nullptr;
    return false;
  }
  virtual bool open(void* ptr) {
    systemWindow = ptr;
    return true;
  }
  virtual void close() { systemWindow = nullptr; }
  virtual bool isOpen() { return systemWindow != nullptr; }
  virtual void idle() {}

  // Key and wheel events: true when the editor used them.
  virtual bool onKeyDown(VstKeyCode& keyCode) { return false; }
  virtual bool onKeyUp(VstKeyCode& keyCode) { return false; }
  virtual bool onWheel(float distance) { return false; }
  virtual bool setKnobMode(VstInt32 mode) { return false; }

 protected:
  AudioEffect* effect;
  void* systemWindow = nullptr;
};
