#pragma once
// Extended effect base: events, identity strings, pins, capabilities, and the
// host requests of the extended interface (time information, edit gestures,
// capability queries, MIDI wish).

#include "platform/vst/AudioEffect.h"

class AudioEffectX : public AudioEffect {
 public:
  AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
  ~AudioEffectX() override;

  VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                       float opt) override;

  // Asks the host for MIDI, then runs the base resume.
  void resume() override;

  // Plug-in side -------------------------------------------------------------

  // Events of the coming block; answers 1 when they were taken.
  virtual VstInt32 processEvents(VstEvents* events) { return 0; }
  virtual bool canParameterBeAutomated(VstInt32 index) { return true; }

  virtual bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) {
    return false;
  }
  virtual bool getInputProperties(VstInt32 index, VstPinProperties* properties) { return false; }
  virtual bool getOutputProperties(VstInt32 index, VstPinProperties* properties) { return false; }
  virtual VstPlugCategory getPlugCategory();

  virtual bool getEffectName(char* name) { return false; }
  virtual bool getVendorString(char* text) { return false; }
  virtual bool getProductString(char* text) { return false; }
  virtual VstInt32 getVendorVersion() { return 0; }
  // 1 yes, -1 no, 0 don't know.
  virtual VstInt32 canDo(char* text) { return 0; }
  virtual VstInt32 getVstVersion() { return kVstVersion; }

  virtual VstInt32 getNumMidiInputChannels() { return 0; }
  virtual VstInt32 getNumMidiOutputChannels() { return 0; }

  // Set-up for derived constructors.
  virtual void isSynth(bool state = true);
  virtual void noTail(bool state = true) { _setFlag(effFlagsNoSoundInStop, state); }

  // Requests to the host -----------------------------------------------------

  // The host's time information (audioMasterGetTime with the wanted flags);
  // null when the host gives none. The record belongs to the host.
  virtual VstTimeInfo* getTimeInfo(VstInt32 filter);
  virtual bool canHostDo(char* text);
  virtual bool beginEdit(VstInt32 index);
  virtual bool endEdit(VstInt32 index);
  virtual bool updateDisplay();
  virtual bool ioChanged();
  virtual bool sizeWindow(VstInt32 width, VstInt32 height);
  virtual bool sendVstEventsToHost(VstEvents* events);
  virtual void wantEvents(VstInt32 filter = 1);
};
