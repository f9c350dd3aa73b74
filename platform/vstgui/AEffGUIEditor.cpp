// Editor base for a frame-based editor window.

#include "platform/vstgui/AEffGUIEditor.h"

#include "platform/vst/AudioEffectX.h"
#include "platform/vstgui/Frame.h"

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect) : AEffEditor(effect) {}

AEffGUIEditor::~AEffGUIEditor() {}

bool AEffGUIEditor::getRect(ERect** ppRect) {
  if (!ppRect) return false;
  *ppRect = &rect;
  return true;
}

bool AEffGUIEditor::open(void* ptr) { return AEffEditor::open(ptr); }

void AEffGUIEditor::close() { AEffEditor::close(); }

void AEffGUIEditor::idle() {
  if (frame) frame->idle();
}

void AEffGUIEditor::doIdleStuff() {
  if (frame) frame->idle();
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& keyCode) { return frame && frame->onKeyDown(keyCode) != -1; }

bool AEffGUIEditor::onKeyUp(VstKeyCode& keyCode) { return frame && frame->onKeyUp(keyCode) != -1; }

bool AEffGUIEditor::onWheel(float distance) {
  if (!frame) return false;
  CPoint where;
  frame->getCurrentMouseLocation(where);
  return frame->onWheel(where, distance, frame->getCurrentMouseButtons());
}

bool AEffGUIEditor::setKnobMode(VstInt32 val) {
  knobMode = val;
  return true;
}

void AEffGUIEditor::beginEdit(long index) {
  if (AudioEffectX* fx = dynamic_cast<AudioEffectX*>(effect)) fx->beginEdit((VstInt32)index);
}

void AEffGUIEditor::endEdit(long index) {
  if (AudioEffectX* fx = dynamic_cast<AudioEffectX*>(effect)) fx->endEdit((VstInt32)index);
}
