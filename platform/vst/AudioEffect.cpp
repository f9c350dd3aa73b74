#include "platform/vst/AudioEffect.h"

#include <cmath>
#include <cstring>

void vst_strncpy(char* dst, const char* src, VstInt32 maxLen) {
  if (!dst || maxLen < 0) return;
  if (!src) src = "";
  strncpy(dst, src, static_cast<size_t>(maxLen));
  dst[maxLen] = 0;
}

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms,
                         VstInt32 numParams)
    : audioMaster(audioMaster),
      editor(nullptr),
      sampleRate(44100.0f),
      blockSize(1024),
      numPrograms(numPrograms > 0 ? numPrograms : 0),
      numParams(numParams > 0 ? numParams : 0),
      curProgram(0) {
  memset(&cEffect, 0, sizeof(cEffect));
  cEffect.magic = kEffectMagic;
  cEffect.dispatcher = dispatchEffectClass;
  cEffect.setParameter = setParameterClass;
  cEffect.getParameter = getParameterClass;
  cEffect.processReplacing = processReplacingClass;
  cEffect.numPrograms = this->numPrograms;
  cEffect.numParams = this->numParams;
  cEffect.numInputs = 1;
  cEffect.numOutputs = 2;
  cEffect.object = this;
  cEffect.uniqueID = ('N' << 24) | ('o' << 16) | ('E' << 8) | 'f';
  cEffect.version = 1;
}

AudioEffect::~AudioEffect() {
  // The editor belongs to the derived effect, which deletes it itself.
  editor = nullptr;
  cEffect.object = nullptr;
  cEffect.magic = 0;
}

VstIntPtr AudioEffect::_callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt) {
  if (!audioMaster) return 0;
  return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}

void AudioEffect::_setFlag(VstInt32 flag, bool state) {
  if (state)
    cEffect.flags |= flag;
  else
    cEffect.flags &= ~flag;
}

void AudioEffect::setEditor(AEffEditor* newEditor) {
  editor = newEditor;
  _setFlag(effFlagsHasEditor, newEditor != nullptr);
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
  _callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::getProgramName(char* name) { vst_strncpy(name, "", kVstMaxProgNameLen); }
void AudioEffect::getParameterLabel(VstInt32, char* label) {
  vst_strncpy(label, "", kVstMaxParamStrLen);
}
void AudioEffect::getParameterDisplay(VstInt32, char* text) {
  vst_strncpy(text, "", kVstMaxParamStrLen);
}
void AudioEffect::getParameterName(VstInt32, char* text) {
  vst_strncpy(text, "", kVstMaxParamStrLen);
}

VstInt32 AudioEffect::getMasterVersion() {
  VstInt32 version = static_cast<VstInt32>(_callHost(audioMasterVersion));
  return version ? version : 1;  // hosts that do not answer are version 1
}

VstInt32 AudioEffect::getCurrentUniqueId() {
  return static_cast<VstInt32>(_callHost(audioMasterCurrentId));
}

void AudioEffect::masterIdle() { _callHost(audioMasterIdle); }

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt) {
  switch (opcode) {
    case effOpen:
      open();
      return 0;
    case effClose:
      close();
      delete this;  // the record goes with the object; nothing may touch it after
      return 1;

    case effSetProgram:
      if (value >= 0 && value < numPrograms) setProgram(static_cast<VstInt32>(value));
      return 0;
    case effGetProgram:
      return getProgram();
    case effSetProgramName:
      if (ptr) setProgramName(static_cast<char*>(ptr));
      return 0;
    case effGetProgramName:
      if (ptr) getProgramName(static_cast<char*>(ptr));
      return 0;

    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName: {
      if (!ptr) return 0;
      char* text = static_cast<char*>(ptr);
      if (!_isParamIndex(index)) {
        text[0] = 0;
        return 0;
      }
      if (opcode == effGetParamLabel)
        getParameterLabel(index, text);
      else if (opcode == effGetParamDisplay)
        getParameterDisplay(index, text);
      else
        getParameterName(index, text);
      return 0;
    }

    case effSetSampleRate:
      // A rate that could not drive a clock is refused, not passed on.
      if (!std::isfinite(opt) || opt <= 0.0f) return 0;
      setSampleRate(opt);
      return 0;
    case effSetBlockSize:
      if (value <= 0 || value > 0x7fffffff) return 0;
      setBlockSize(static_cast<VstInt32>(value));
      return 0;
    case effMainsChanged:
      if (value)
        resume();
      else
        suspend();
      return 0;

    case effEditGetRect:
      if (!ptr) return 0;
      if (!editor) {
        *static_cast<ERect**>(ptr) = nullptr;
        return 0;
      }
      return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
    case effEditOpen:
      return editor && editor->open(ptr) ? 1 : 0;
    case effEditClose:
      if (editor) editor->close();
      return 0;
    case effEditIdle:
      if (editor) editor->idle();
      return 0;

    case effGetChunk:
      if (!ptr) return 0;
      return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
      if (value < 0 || value > 0x7fffffff) return 0;
      return setChunk(ptr, static_cast<VstInt32>(value), index != 0);

    default:
      return 0;
  }
}

static AudioEffect* EffectOf(AEffect* e) {
  if (!e || e->magic != kEffectMagic) return nullptr;
  return static_cast<AudioEffect*>(e->object);
}

VstIntPtr AudioEffect::dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index,
                                           VstIntPtr value, void* ptr, float opt) {
  AudioEffect* effect = EffectOf(e);
  return effect ? effect->dispatcher(opcode, index, value, ptr, opt) : 0;
}

float AudioEffect::getParameterClass(AEffect* e, VstInt32 index) {
  AudioEffect* effect = EffectOf(e);
  if (!effect || !effect->_isParamIndex(index)) return 0.0f;
  return effect->getParameter(index);
}

void AudioEffect::setParameterClass(AEffect* e, VstInt32 index, float value) {
  AudioEffect* effect = EffectOf(e);
  if (!effect || !effect->_isParamIndex(index)) return;
  effect->setParameter(index, value);
}

void AudioEffect::processReplacingClass(AEffect* e, float** inputs, float** outputs,
                                        VstInt32 sampleFrames) {
  AudioEffect* effect = EffectOf(e);
  if (!effect || sampleFrames < 0) return;
  effect->processReplacing(inputs, outputs, sampleFrames);
}
