#include "platform/vst/AudioEffectX.h"

AudioEffectX::AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms,
                           VstInt32 numParams)
    : AudioEffect(audioMaster, numPrograms, numParams) {}

AudioEffectX::~AudioEffectX() {}

void AudioEffectX::resume() {
  wantEvents();
  AudioEffect::resume();
}

void AudioEffectX::isSynth(bool state) { _setFlag(effFlagsIsSynth, state); }

VstPlugCategory AudioEffectX::getPlugCategory() {
  return (cEffect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter) {
  return reinterpret_cast<VstTimeInfo*>(_callHost(audioMasterGetTime, 0, filter));
}

bool AudioEffectX::canHostDo(char* text) {
  return text && _callHost(audioMasterCanDo, 0, 0, text) != 0;
}

bool AudioEffectX::beginEdit(VstInt32 index) {
  return _callHost(audioMasterBeginEdit, index) != 0;
}

bool AudioEffectX::endEdit(VstInt32 index) { return _callHost(audioMasterEndEdit, index) != 0; }

bool AudioEffectX::updateDisplay() { return _callHost(audioMasterUpdateDisplay) != 0; }

bool AudioEffectX::ioChanged() { return _callHost(audioMasterIOChanged) != 0; }

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height) {
  return _callHost(audioMasterSizeWindow, width, height) != 0;
}

bool AudioEffectX::sendVstEventsToHost(VstEvents* events) {
  return events && _callHost(audioMasterProcessEvents, 0, 0, events) == 1;
}

void AudioEffectX::wantEvents(VstInt32 filter) { _callHost(audioMasterWantMidi, 0, filter); }

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
  switch (opcode) {
    case effProcessEvents:
      return ptr ? processEvents(static_cast<VstEvents*>(ptr)) : 0;
    case effCanBeAutomated:
      return _isParamIndex(index) && canParameterBeAutomated(index) ? 1 : 0;
    case effGetProgramNameIndexed:
      return getProgramNameIndexed(static_cast<VstInt32>(value), index, static_cast<char*>(ptr))
                 ? 1
                 : 0;
    case effGetInputProperties:
      return ptr && getInputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetOutputProperties:
      return ptr && getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetPlugCategory:
      return getPlugCategory();
    // The name queries hand a null buffer on: the effect decides how to answer it.
    case effGetEffectName:
      return getEffectName(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorString:
      return getVendorString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetProductString:
      return getProductString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorVersion:
      return getVendorVersion();
    case effCanDo:
      return ptr ? canDo(static_cast<char*>(ptr)) : 0;
    case effGetVstVersion:
      return getVstVersion();
    case effGetNumMidiInputChannels:
      return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels:
      return getNumMidiOutputChannels();
    default:
      return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
  }
}
