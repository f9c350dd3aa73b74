#pragma once
// Scalar types, constants and plain records of the Audio Unit interface as
// this project's units and hosts exchange them. Error codes and the property
// ids that saved projects and our units depend on carry the platform's
// public values; the rest only need to agree inside this project.

#include <cstddef>

#include "platform/cf/CoreFoundation.h"
#include "platform/cf/MacTypes.h"

constexpr OSType FourCharCode(const char (&code)[5]) {
  return (static_cast<OSType>(static_cast<unsigned char>(code[0])) << 24) |
         (static_cast<OSType>(static_cast<unsigned char>(code[1])) << 16) |
         (static_cast<OSType>(static_cast<unsigned char>(code[2])) << 8) |
         static_cast<OSType>(static_cast<unsigned char>(code[3]));
}

typedef UInt32 AudioUnitPropertyID;
typedef UInt32 AudioUnitScope;
typedef UInt32 AudioUnitElement;
typedef UInt32 AudioUnitParameterID;
typedef Float32 AudioUnitParameterValue;
typedef UInt32 AudioUnitRenderActionFlags;
typedef UInt32 AudioFormatID;
typedef UInt32 AudioFormatFlags;

struct ComponentInstanceRecord;
typedef ComponentInstanceRecord* ComponentInstance;
typedef ComponentInstance AudioComponentInstance;
typedef ComponentInstance AudioUnit;

// ---------------------------------------------------------------------------
// Result codes

constexpr OSStatus kAudio_ParamError = -50;
constexpr OSStatus memFullErr = -108;
constexpr OSStatus kAudioUnitErr_InvalidProperty = -10879;
constexpr OSStatus kAudioUnitErr_InvalidParameter = -10878;
constexpr OSStatus kAudioUnitErr_InvalidElement = -10877;
constexpr OSStatus kAudioUnitErr_NoConnection = -10876;
constexpr OSStatus kAudioUnitErr_FailedInitialization = -10875;
constexpr OSStatus kAudioUnitErr_TooManyFramesToProcess = -10874;
constexpr OSStatus kAudioUnitErr_InvalidFile = -10871;
constexpr OSStatus kAudioUnitErr_FormatNotSupported = -10868;
constexpr OSStatus kAudioUnitErr_Uninitialized = -10867;
constexpr OSStatus kAudioUnitErr_InvalidScope = -10866;
constexpr OSStatus kAudioUnitErr_PropertyNotWritable = -10865;
constexpr OSStatus kAudioUnitErr_CannotDoInCurrentContext = -10863;
constexpr OSStatus kAudioUnitErr_InvalidPropertyValue = -10851;
constexpr OSStatus kAudioUnitErr_PropertyNotInUse = -10850;
constexpr OSStatus kAudioUnitErr_Initialized = -10849;
constexpr OSStatus badComponentInstance = static_cast<OSStatus>(0x80008001u);
constexpr OSStatus badComponentSelector = static_cast<OSStatus>(0x80008002u);

// ---------------------------------------------------------------------------
// Scopes and properties

enum : AudioUnitScope {
  kAudioUnitScope_Global = 0,
  kAudioUnitScope_Input = 1,
  kAudioUnitScope_Output = 2,
  kAudioUnitScope_Group = 3,
  kAudioUnitScope_Part = 4,
};

enum : AudioUnitPropertyID {
  kAudioUnitProperty_ClassInfo = 0,  // CFPropertyListRef: the saved state
  kAudioUnitProperty_SampleRate = 2,  // Float64
  kAudioUnitProperty_ParameterList = 3,  // AudioUnitParameterID[]
  kAudioUnitProperty_ParameterInfo = 4,  // AudioUnitParameterInfo; element = parameter id
  kAudioUnitProperty_StreamFormat = 8,  // AudioStreamBasicDescription
  kAudioUnitProperty_ElementCount = 11,  // UInt32
  kAudioUnitProperty_Latency = 12,  // Float64 seconds
  kAudioUnitProperty_SupportedNumChannels = 13,  // AUChannelInfo[]
  kAudioUnitProperty_MaximumFramesPerSlice = 14,  // UInt32
  kAudioUnitProperty_ParameterValueStrings = 16,  // CFArrayRef; element = parameter id
  kAudioUnitProperty_GetUIComponentList = 18,  // ComponentDescription[]
  kAudioUnitProperty_TailTime = 20,  // Float64 seconds
  kAudioUnitProperty_HostCallbacks = 27,  // HostCallbackInfo
  kAudioUnitProperty_CocoaUI = 31,  // AudioUnitCocoaViewInfo
  kAudioUnitProperty_ParameterStringFromValue = 33,
  kMusicDeviceProperty_InstrumentCount = 1000,  // UInt32
};

// Four-character codes of unit kinds.
enum : OSType {
  kAudioUnitType_MusicDevice = FourCharCode("aumu"),
  kAudioUnitType_Effect = FourCharCode("aufx"),
  kAudioUnitType_Generator = FourCharCode("augn"),
};

// ---------------------------------------------------------------------------
// Stream formats and buffers

enum : AudioFormatID { kAudioFormatLinearPCM = FourCharCode("lpcm") };

enum : AudioFormatFlags {
  kAudioFormatFlagIsFloat = 1u << 0,
  kAudioFormatFlagIsBigEndian = 1u << 1,
  kAudioFormatFlagIsSignedInteger = 1u << 2,
  kAudioFormatFlagIsPacked = 1u << 3,
  kAudioFormatFlagIsAlignedHigh = 1u << 4,
  kAudioFormatFlagIsNonInterleaved = 1u << 5,
  kAudioFormatFlagIsNonMixable = 1u << 6,
  kAudioFormatFlagsNativeFloatPacked = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked,
};

struct AudioStreamBasicDescription {
  Float64 mSampleRate;
  AudioFormatID mFormatID;
  AudioFormatFlags mFormatFlags;
  UInt32 mBytesPerPacket;
  UInt32 mFramesPerPacket;
  UInt32 mBytesPerFrame;  // of one buffer: one channel when non-interleaved
  UInt32 mChannelsPerFrame;
  UInt32 mBitsPerChannel;
  UInt32 mReserved;
};

struct AudioBuffer {
  UInt32 mNumberChannels;
  UInt32 mDataByteSize;
  void* mData;
};

// Variable length: mNumberBuffers entries follow, declared as one.
struct AudioBufferList {
  UInt32 mNumberBuffers;
  AudioBuffer mBuffers[1];
};

// Bytes an AudioBufferList with n buffers needs.
constexpr size_t AudioBufferListSize(UInt32 n) {
  return offsetof(AudioBufferList, mBuffers) + (n ? n : 1) * sizeof(AudioBuffer);
}

enum : UInt32 {
  kAudioTimeStampSampleTimeValid = 1u << 0,
  kAudioTimeStampHostTimeValid = 1u << 1,
  kAudioTimeStampRateScalarValid = 1u << 2,
};

struct AudioTimeStamp {
  Float64 mSampleTime;
  UInt64 mHostTime;
  Float64 mRateScalar;
  UInt64 mWordClockTime;
  UInt32 mFlags;
  UInt32 mReserved;
};

enum : AudioUnitRenderActionFlags {
  kAudioUnitRenderAction_PreRender = 1u << 2,
  kAudioUnitRenderAction_PostRender = 1u << 3,
  kAudioUnitRenderAction_OutputIsSilence = 1u << 4,
};

// One supported channel configuration; -1 means any count.
struct AUChannelInfo {
  SInt16 inChannels;
  SInt16 outChannels;
};

// ---------------------------------------------------------------------------
// Components

struct AudioComponentDescription {
  OSType componentType;
  OSType componentSubType;
  OSType componentManufacturer;
  UInt32 componentFlags;
  UInt32 componentFlagsMask;
};
typedef AudioComponentDescription ComponentDescription;

// ---------------------------------------------------------------------------
// Parameters

enum : UInt32 {
  kAudioUnitParameterUnit_Generic = 0,
  kAudioUnitParameterUnit_Indexed = 1,
  kAudioUnitParameterUnit_Boolean = 2,
  kAudioUnitParameterUnit_Percent = 3,
  kAudioUnitParameterUnit_Seconds = 4,
  kAudioUnitParameterUnit_Hertz = 8,
  kAudioUnitParameterUnit_Decibels = 13,
  kAudioUnitParameterUnit_CustomUnit = 26,
};
typedef UInt32 AudioUnitParameterUnit;

enum : UInt32 {
  kAudioUnitParameterFlag_HasCFNameString = 1u << 4,
  // The receiver releases cfNameString and unitName.
  kAudioUnitParameterFlag_CFNameRelease = 1u << 27,
  kAudioUnitParameterFlag_IsReadable = 1u << 30,
  kAudioUnitParameterFlag_IsWritable = 1u << 31,
};

struct AudioUnitParameterInfo {
  char name[52];
  CFStringRef unitName;  // text of a custom unit
  UInt32 clumpID;
  CFStringRef cfNameString;
  AudioUnitParameterUnit unit;
  AudioUnitParameterValue minValue;
  AudioUnitParameterValue maxValue;
  AudioUnitParameterValue defaultValue;
  UInt32 flags;
};

// Property kAudioUnitProperty_ParameterStringFromValue: the caller fills in
// the parameter and the value (null: the current value) and receives a new
// string it releases.
struct AudioUnitParameterStringFromValue {
  AudioUnitParameterID inParamID;
  const AudioUnitParameterValue* inValue;
  CFStringRef outString;
};

struct AudioUnitParameter {
  AudioUnit mAudioUnit;
  AudioUnitParameterID mParameterID;
  AudioUnitScope mScope;
  AudioUnitElement mElement;
};

struct AudioUnitProperty {
  AudioUnit mAudioUnit;
  AudioUnitPropertyID mPropertyID;
  AudioUnitScope mScope;
  AudioUnitElement mElement;
};

typedef UInt32 AudioUnitEventType;
enum : AudioUnitEventType {
  kAudioUnitEvent_ParameterValueChange = 0,
  kAudioUnitEvent_BeginParameterChangeGesture = 1,
  kAudioUnitEvent_EndParameterChangeGesture = 2,
  kAudioUnitEvent_PropertyChange = 3,
};

struct AudioUnitEvent {
  AudioUnitEventType mEventType;
  union {
    AudioUnitParameter mParameter;  // parameter events
    AudioUnitProperty mProperty;    // property events
  } mArgument;
};

// ---------------------------------------------------------------------------
// Editor view, host callbacks, music device

struct AudioUnitCocoaViewInfo {
  CFURLRef mCocoaAUViewBundleLocation;
  CFStringRef mCocoaAUViewClass[1];
};

typedef OSStatus (*HostCallback_GetBeatAndTempo)(void* inHostUserData, Float64* outCurrentBeat,
                                                 Float64* outCurrentTempo);
typedef OSStatus (*HostCallback_GetMusicalTimeLocation)(void* inHostUserData,
                                                        UInt32* outDeltaSampleOffsetToNextBeat,
                                                        Float32* outTimeSig_Numerator,
                                                        UInt32* outTimeSig_Denominator,
                                                        Float64* outCurrentMeasureDownBeat);
typedef OSStatus (*HostCallback_GetTransportState)(void* inHostUserData, Boolean* outIsPlaying,
                                                   Boolean* outTransportStateChanged,
                                                   Float64* outCurrentSampleInTimeLine,
                                                   Boolean* outIsCycling,
                                                   Float64* outCycleStartBeat,
                                                   Float64* outCycleEndBeat);

// The host's time callbacks; each procedure may be null.
struct HostCallbackInfo {
  void* hostUserData;
  HostCallback_GetBeatAndTempo beatAndTempoProc;
  HostCallback_GetMusicalTimeLocation musicalTimeLocationProc;
  HostCallback_GetTransportState transportStateProc;
};

typedef UInt32 MusicDeviceInstrumentID;
typedef UInt32 MusicDeviceGroupID;
typedef UInt32 NoteInstanceID;

struct MusicDeviceNoteParams {
  UInt32 argCount;
  Float32 mPitch;
  Float32 mVelocity;
};
