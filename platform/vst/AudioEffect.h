#pragma once
// Base class of a VST 2.x effect object. It owns the AEffect record the host
// sees, turns the host's dispatcher opcodes into virtual calls, and wraps the
// host callback for the requests an effect makes. Derived classes override
// the virtuals; every default here is harmless (no output, empty strings).

#include "platform/vst/AEffEditor.h"
#include "platform/vst/AEffect.h"

class AudioEffect {
 public:
  AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
  virtual ~AudioEffect();

  AudioEffect(const AudioEffect&) = delete;
  AudioEffect& operator=(const AudioEffect&) = delete;

  // Host side ---------------------------------------------------------------

  // Handles one dispatcher opcode. effClose deletes the object.
  virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt);

  virtual void open() {}
  virtual void close() {}
  virtual void suspend() {}
  virtual void resume() {}

  virtual void setSampleRate(float newSampleRate) { sampleRate = newSampleRate; }
  virtual void setBlockSize(VstInt32 newBlockSize) { blockSize = newBlockSize; }

  // Renders sampleFrames frames into outputs, overwriting them.
  virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;

  virtual void setParameter(VstInt32 index, float value) {}
  virtual float getParameter(VstInt32 index) { return 0.0f; }
  // Reports a parameter change to the host (audioMasterAutomate) and changes
  // nothing in the effect itself.
  virtual void setParameterAutomated(VstInt32 index, float value);

  virtual VstInt32 getProgram() { return curProgram; }
  virtual void setProgram(VstInt32 program) { curProgram = program; }
  virtual void setProgramName(char* name) {}
  virtual void getProgramName(char* name);

  virtual void getParameterLabel(VstInt32 index, char* label);
  virtual void getParameterDisplay(VstInt32 index, char* text);
  virtual void getParameterName(VstInt32 index, char* text);

  // Whole state as one block; the returned memory stays owned by the effect.
  virtual VstInt32 getChunk(void** data, bool isPreset = false) { return 0; }
  virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset = false) { return 0; }

  // Set-up for derived constructors ----------------------------------------

  virtual void setUniqueID(VstInt32 iD) { cEffect.uniqueID = iD; }
  virtual void setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }
  virtual void setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }
  virtual void canProcessReplacing(bool state = true) { _setFlag(effFlagsCanReplacing, state); }
  virtual void programsAreChunks(bool state = true) { _setFlag(effFlagsProgramChunks, state); }
  virtual void setInitialDelay(VstInt32 delay) { cEffect.initialDelay = delay; }

  // Registers the editor (not owned); a null editor clears the editor flag.
  virtual void setEditor(AEffEditor* newEditor);
  virtual AEffEditor* getEditor() { return editor; }

  virtual AEffect* getAeffect() { return &cEffect; }
  virtual float getSampleRate() { return sampleRate; }
  virtual VstInt32 getBlockSize() { return blockSize; }

  // Requests to the host ----------------------------------------------------

  virtual VstInt32 getMasterVersion();
  virtual VstInt32 getCurrentUniqueId();
  virtual void masterIdle();

  // The C entries stored in the AEffect record. They look the object up
  // through AEffect::object and refuse parameter indices outside numParams.
  static VstIntPtr dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index,
                                       VstIntPtr value, void* ptr, float opt);
  static float getParameterClass(AEffect* e, VstInt32 index);
  static void setParameterClass(AEffect* e, VstInt32 index, float value);
  static void processReplacingClass(AEffect* e, float** inputs, float** outputs,
                                    VstInt32 sampleFrames);

 protected:
  // Calls the host callback; 0 when there is none.
  VstIntPtr _callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                      void* ptr = nullptr, float opt = 0.0f);
  void _setFlag(VstInt32 flag, bool state);
  bool _isParamIndex(VstInt32 index) const { return index >= 0 && index < numParams; }

  audioMasterCallback audioMaster;
  AEffEditor* editor;
  float sampleRate;
  VstInt32 blockSize;
  VstInt32 numPrograms;
  VstInt32 numParams;
  VstInt32 curProgram;
  AEffect cEffect;
};

// Copies text into a caller buffer of maxLen + 1 bytes: at most maxLen
// characters, terminated at index maxLen at the latest. Null buffers are skipped.
void vst_strncpy(char* dst, const char* src, VstInt32 maxLen);

// The plug-in's factory; defined by the plug-in, called by the host wrapper.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);
