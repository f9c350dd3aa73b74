#pragma once
// The instrument as an Audio Unit music device: no inputs, one stereo output.
// CAUSynth is a thin adapter around the VST instrument object. It creates the
// object through the VST factory with its own host callback (VSTCallback),
// and turns every Audio Unit request into the matching VST call: render and
// parameters through the object's AEffect record, MIDI through the object's
// processEvents, the saved state through the state chunk stored under
// "mChunkData". Requests the instrument makes of its host (automation, edit
// gestures, time information) come back through VSTCallback to the On...
// operations below.

#include <atomic>

#include "platform/au/AudioToolbox.h"
#include "platform/au/MusicDeviceBase.h"
#include "platform/vst/AudioEffectX.h"

class CAUCocoaView;
class CAUCarbonView;

// Private properties: host/au/AUSynthProperties.h.
#include "host/au/AUSynthProperties.h"


// Render error when the output does not hold exactly two buffers: '!dat'.
const OSStatus AUSYNTH_ERR_BUFFER_COUNT = static_cast<OSStatus>(0x21646174);

class CAUSynth : public MusicDeviceBase {
 public:
  explicit CAUSynth(ComponentInstance instance);
  ~CAUSynth() override;

  OSStatus Version() override { return static_cast<OSStatus>(AUSYNTH_COMPONENT_VERSION); }
  OSStatus Initialize() override;
  OSStatus Reset(AudioUnitScope scope, AudioUnitElement element) override;

  OSStatus GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                           UInt32& outDataSize, Boolean& outWritable) override;
  OSStatus GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                       void* outData) override;
  OSStatus SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                       const void* inData, UInt32 inDataSize) override;

  OSStatus GetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                        AudioUnitParameterValue& outValue) override;
  OSStatus SetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                        AudioUnitParameterValue value, UInt32 bufferOffsetInFrames) override;

  OSStatus Render(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& inTimeStamp,
                  UInt32 inNumberFrames) override;

  OSStatus GetParameterInfo(AudioUnitScope scope, AudioUnitParameterID id,
                            AudioUnitParameterInfo& outInfo) override;
  OSStatus SaveState(CFPropertyListRef* outData) override;
  OSStatus RestoreState(CFPropertyListRef inData) override;
  OSStatus GetParameterValueStrings(AudioUnitScope scope, AudioUnitParameterID id,
                                    CFArrayRef* outStrings) override;
  int GetNumCustomUIComponents() override;
  void GetUIComponentDescs(ComponentDescription* inDescArray) override;

  bool StreamFormatWritable(AudioUnitScope scope, AudioUnitElement element) override;
  UInt32 SupportedNumChannels(const AUChannelInfo** outInfo) override;
  OSStatus ChangeStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                              const CAStreamBasicDescription& prevFormat,
                              const CAStreamBasicDescription& newFormat) override;
  OSStatus SetMaxFramesPerSlice(UInt32 n) override;

  // Notes reach the instrument only as MIDI: these do nothing.
  OSStatus PrepareInstrument(MusicDeviceInstrumentID instrument) override;
  OSStatus ReleaseInstrument(MusicDeviceInstrumentID instrument) override;
  OSStatus StartNote(MusicDeviceInstrumentID instrument, MusicDeviceGroupID groupID,
                     NoteInstanceID* outNoteInstanceID, UInt32 inOffsetSampleFrame,
                     const MusicDeviceNoteParams& inParams) override;
  OSStatus StopNote(MusicDeviceGroupID groupID, NoteInstanceID inNoteInstanceID,
                    UInt32 inOffsetSampleFrame) override;

  // Hands every message to the instrument (also before Initialize), then to
  // the base dispatch, whose answer is returned.
  OSStatus HandleMidiEvent(UInt8 status, UInt8 channel, UInt8 data1, UInt8 data2,
                           UInt32 inStartFrame) override;
  void HandlePitchWheel(UInt8 channel, UInt8 pitch1, UInt8 pitch2, UInt32 inStartFrame) override;
  OSStatus HandleNoteOn(UInt8 channel, UInt8 noteNumber, UInt8 velocity,
                        UInt32 inStartFrame) override;
  OSStatus HandleNoteOff(UInt8 channel, UInt8 noteNumber, UInt8 velocity,
                         UInt32 inStartFrame) override;
  void HandleControlChange(UInt8 channel, UInt8 controller, UInt8 value,
                           UInt32 inStartFrame) override;

  // The open editor view registers itself; the answer is the view
  // registered before (null for none).
  CAUCocoaView* SetEditorView(CAUCocoaView* view) { return mCocoaView.exchange(view); }
  void SetEditorView(CAUCarbonView* view) { mCarbonView = view; }
  // Unregisters view when it is the registered one (true then).
  bool ClearEditorView(CAUCocoaView* view) { return mCocoaView.compare_exchange_strong(view, nullptr); }
  CAUCocoaView* GetCocoaView() const { return mCocoaView.load(); }

  // The instrument's C interface; null when it could not be created.
  AEffect* GetEffect() const { return mEffect; }

  // Requests of the instrument, reached through VSTCallback --------------------

  // The editor changed a parameter: set it on the unit through the Audio
  // Unit interface and tell the listeners.
  void OnParameterAutomated(UInt32 index, float value);
  // Begin and end of an edit gesture on a parameter.
  bool OnBeginEdit(int index);
  bool OnEndEdit(int index);
  // Time information from the host's callbacks; the record stays valid until
  // the next call. Called on the unit's render thread.
  VstTimeInfo* OnGetTimeInfo();

 private:
  bool _IsParamIndex(UInt32 id) const;
  VstIntPtr _Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                      void* ptr = nullptr, float opt = 0.0f);
  OSStatus _ParameterStringFromValue(AudioUnitParameterStringFromValue& request);
  // Preset files and editor pages for the private properties
  // (AUSynthPresets.cpp).
  OSStatus _LoadPresetFile(const AUSynthPresetFileLoad& request);
  OSStatus _SavePresetImage(CFDataRef* outData);
  OSStatus _ShowEditorPage(const AUSynthEditorPage& request);
  void _SendGesture(AudioUnitEventType type, int index);
  AudioUnitParameter _ParameterRecord(UInt32 index) const;

  AEffect* mEffect;
  AudioEffectX* mEffectObject;
  // Read by a view's teardown, which may run on another thread.
  std::atomic<CAUCocoaView*> mCocoaView;
  CAUCarbonView* mCarbonView;
  ComponentInstance mInstance;
  VstTimeInfo mTimeInfo;
};
