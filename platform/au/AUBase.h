#pragma once
// Base class of an Audio Unit: scopes and elements, stream formats, maximum
// frames per render, the standard properties, parameters, render buffer
// handling, saved state and the host's time callbacks. A unit derives from
// it (or from MusicDeviceBase) and overrides the virtuals it needs.
//
// Saved state (kAudioUnitProperty_ClassInfo) is a dictionary with the keys
// "type", "subtype", "manufacturer" and "version" (numbers), "name" (string)
// and "data": the parameter values of every scope and element, as records of
// big-endian words (scope, element, count, then count pairs of parameter id
// and float bits). Derived units add their own keys to the same dictionary.

#include "platform/au/AUComponent.h"
#include "platform/au/AUScope.h"

class AUBase : public ComponentBase {
 public:
  static constexpr UInt32 kDefaultMaxFramesPerSlice = 1024;
  static constexpr UInt32 kMaxFramesPerSliceLimit = 32768;
  static constexpr double kDefaultSampleRate = 44100.0;

  AUBase(AudioComponentInstance instance, UInt32 numInputElements, UInt32 numOutputElements,
         UInt32 numGroupElements = 0);
  ~AUBase() override;

  void PostConstructor() override { CreateElements(); }
  // Builds the scopes' elements once; later calls do nothing.
  void CreateElements();

  // Life cycle -----------------------------------------------------------------

  OSStatus DoInitialize();  // Initialize, then the output buffers
  void DoCleanup();
  bool IsInitialized() const { return mInitialized; }
  virtual OSStatus Initialize() { return noErr; }
  virtual void Cleanup() {}
  virtual OSStatus Reset(AudioUnitScope scope, AudioUnitElement element) { return noErr; }

  // Properties -------------------------------------------------------------------
  // The Dispatch functions answer the standard properties and pass every other
  // id to the virtuals, whose defaults answer kAudioUnitErr_InvalidProperty.

  OSStatus DispatchGetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope,
                                   AudioUnitElement element, UInt32& outDataSize,
                                   Boolean& outWritable);
  OSStatus DispatchGetProperty(AudioUnitPropertyID id, AudioUnitScope scope,
                               AudioUnitElement element, void* outData);
  OSStatus DispatchSetProperty(AudioUnitPropertyID id, AudioUnitScope scope,
                               AudioUnitElement element, const void* inData, UInt32 inDataSize);

  virtual OSStatus GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope,
                                   AudioUnitElement element, UInt32& outDataSize,
                                   Boolean& outWritable);
  virtual OSStatus GetProperty(AudioUnitPropertyID id, AudioUnitScope scope,
                               AudioUnitElement element, void* outData);
  virtual OSStatus SetProperty(AudioUnitPropertyID id, AudioUnitScope scope,
                               AudioUnitElement element, const void* inData, UInt32 inDataSize);

  // Parameters ---------------------------------------------------------------------

  virtual OSStatus GetParameter(AudioUnitParameterID id, AudioUnitScope scope,
                                AudioUnitElement element, AudioUnitParameterValue& outValue);
  virtual OSStatus SetParameter(AudioUnitParameterID id, AudioUnitScope scope,
                                AudioUnitElement element, AudioUnitParameterValue value,
                                UInt32 bufferOffsetInFrames);
  // Default: kAudioUnitErr_InvalidParameter.
  virtual OSStatus GetParameterInfo(AudioUnitScope scope, AudioUnitParameterID id,
                                    AudioUnitParameterInfo& outInfo);
  // Null outStrings asks only whether there are strings. Default: invalid property.
  virtual OSStatus GetParameterValueStrings(AudioUnitScope scope, AudioUnitParameterID id,
                                            CFArrayRef* outStrings);

  // Formats and sizes ------------------------------------------------------------------

  // Default: writable while not initialized.
  virtual bool StreamFormatWritable(AudioUnitScope scope, AudioUnitElement element);
  // The supported channel configurations; 0 when any is accepted.
  virtual UInt32 SupportedNumChannels(const AUChannelInfo** outInfo) { return 0; }
  // Default: stores the format in the element (it must be usable) and, when
  // initialized, reallocates the element's buffers.
  virtual OSStatus ChangeStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                      const CAStreamBasicDescription& prevFormat,
                                      const CAStreamBasicDescription& newFormat);
  const CAStreamBasicDescription& GetStreamFormat(AudioUnitScope scope, AudioUnitElement element);
  // Default: stores n and, when initialized, reallocates the output buffers.
  virtual OSStatus SetMaxFramesPerSlice(UInt32 n);
  UInt32 GetMaxFramesPerSlice() const { return mMaxFramesPerSlice; }

  // Render -------------------------------------------------------------------------------

  // Refuses renders before initialization and of more frames than the maximum,
  // readies the output element's buffers, runs Render and hands the buffers
  // back in ioData.
  OSStatus DoRender(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& inTimeStamp,
                    UInt32 inBusNumber, UInt32 inNumberFrames, AudioBufferList& ioData);
  // Renders into the output elements' buffer lists. Default: silence.
  virtual OSStatus Render(AudioUnitRenderActionFlags& ioActionFlags,
                          const AudioTimeStamp& inTimeStamp, UInt32 inNumberFrames);

  // State ----------------------------------------------------------------------------------

  // A new mutable dictionary (a CFMutableDictionaryRef; the caller releases
  // it) as described at the top. Overrides add their keys to it.
  virtual OSStatus SaveState(CFPropertyListRef* outData);
  // Takes the parameter values of a state saved by the same kind of unit.
  // A state of another unit kind, or one that is not a dictionary or holds
  // malformed data, is refused with kAudioUnitErr_InvalidPropertyValue and
  // changes nothing.
  virtual OSStatus RestoreState(CFPropertyListRef inData);
  // Whether a saved state names this unit's type, subtype and manufacturer.
  bool IsOwnState(CFDictionaryRef state) const;

  // Editor components --------------------------------------------------------------------------

  virtual int GetNumCustomUIComponents() { return 0; }
  virtual void GetUIComponentDescs(ComponentDescription* inDescArray) {}

  // Access -----------------------------------------------------------------------------------

  AUScope& GetScope(AudioUnitScope scope);  // unknown scopes give the global scope
  bool IsValidScope(AudioUnitScope scope) const { return scope <= kAudioUnitScope_Group; }
  AUElement* Globals() { return mGlobal.GetElement(0); }
  AUScope& Inputs() { return mInputs; }
  AUScope& Outputs() { return mOutputs; }
  AUElement* GetElement(AudioUnitScope scope, AudioUnitElement element);  // null when none
  AUIOElement* GetIOElement(AudioUnitScope scope, AudioUnitElement element);
  AUOutputElement* GetOutput(AudioUnitElement element) { return mOutputs.GetIOElement(element); }
  AUInputElement* GetInput(AudioUnitElement element) { return mInputs.GetIOElement(element); }

  // The host's time callbacks; kAudioUnitErr_CannotDoInCurrentContext when the
  // host gave none, else the callback's own result.
  OSStatus CallHostBeatAndTempo(Float64* outCurrentBeat, Float64* outCurrentTempo);
  OSStatus CallHostMusicalTimeLocation(UInt32* outDeltaSampleOffsetToNextBeat,
                                       Float32* outTimeSig_Numerator,
                                       UInt32* outTimeSig_Denominator,
                                       Float64* outCurrentMeasureDownBeat);
  OSStatus CallHostTransportState(Boolean* outIsPlaying, Boolean* outTransportStateChanged,
                                  Float64* outCurrentSampleInTimeLine, Boolean* outIsCycling,
                                  Float64* outCycleStartBeat, Float64* outCycleEndBeat);

  OSStatus ComponentEntryDispatch(ComponentParameters* params) override;

 protected:
  HostCallbackInfo mHostCallbackInfo;

 private:
  OSStatus _ReallocateBuffers();
  OSStatus _DispatchGetPropertyCall(ComponentParameters* params);

  bool mElementsCreated = false;
  bool mInitialized = false;
  UInt32 mInitialInputs;
  UInt32 mInitialOutputs;
  UInt32 mInitialGroups;
  UInt32 mMaxFramesPerSlice = kDefaultMaxFramesPerSlice;
  AUScope mGlobal;
  AUScope mInputs;
  AUScope mOutputs;
  AUScope mGroups;
  CAStreamBasicDescription mNoFormat;
};
