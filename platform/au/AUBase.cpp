#include "platform/au/AUBase.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

void PutBigEndian(std::vector<UInt8>& out, UInt32 word) {
  out.push_back(static_cast<UInt8>(word >> 24));
  out.push_back(static_cast<UInt8>(word >> 16));
  out.push_back(static_cast<UInt8>(word >> 8));
  out.push_back(static_cast<UInt8>(word));
}

UInt32 GetBigEndian(const UInt8* p) {
  return (static_cast<UInt32>(p[0]) << 24) | (static_cast<UInt32>(p[1]) << 16) |
         (static_cast<UInt32>(p[2]) << 8) | static_cast<UInt32>(p[3]);
}

void SetNumber(CFMutableDictionaryRef dict, const char* key, SInt32 value) {
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &value);
  CFDictionarySetValue(dict, CFStringMakeConstantString(key), number);
  CFRelease(number);
}

// The number under key as 32 bits, when it is a number.
bool GetNumber(CFDictionaryRef dict, const char* key, UInt32& value) {
  CFTypeRef item = CFDictionaryGetValue(dict, CFStringMakeConstantString(key));
  if (CFGetTypeID(item) != CFNumberGetTypeID()) return false;
  SInt64 wide = 0;
  CFNumberGetValue(static_cast<CFNumberRef>(item), kCFNumberSInt64Type, &wide);
  value = static_cast<UInt32>(wide);
  return true;
}

struct SAVED_PARAM {
  AudioUnitScope scope;
  AudioUnitElement element;
  AudioUnitParameterID id;
  AudioUnitParameterValue value;
};

// Reads the parameter records of a saved "data" item; false when malformed.
bool ParseSavedParams(const UInt8* p, size_t n, std::vector<SAVED_PARAM>& out) {
  size_t pos = 0;
  while (pos < n) {
    if (n - pos < 12) return false;
    UInt32 scope = GetBigEndian(p + pos);
    UInt32 element = GetBigEndian(p + pos + 4);
    UInt32 count = GetBigEndian(p + pos + 8);
    pos += 12;
    if (count > (n - pos) / 8) return false;
    for (UInt32 k = 0; k < count; ++k, pos += 8) {
      UInt32 bits = GetBigEndian(p + pos + 4);
      Float32 value;
      memcpy(&value, &bits, sizeof(value));
      out.push_back({scope, element, GetBigEndian(p + pos), value});
    }
  }
  return true;
}

const AudioUnitScope SAVED_SCOPES[] = {kAudioUnitScope_Global, kAudioUnitScope_Input,
                                       kAudioUnitScope_Output, kAudioUnitScope_Group};

}  // namespace

AUBase::AUBase(AudioComponentInstance instance, UInt32 numInputElements,
               UInt32 numOutputElements, UInt32 numGroupElements)
    : ComponentBase(instance),
      mInitialInputs(numInputElements),
      mInitialOutputs(numOutputElements),
      mInitialGroups(numGroupElements) {
  memset(&mHostCallbackInfo, 0, sizeof(mHostCallbackInfo));
  CAStreamBasicDescription defaultFormat(kDefaultSampleRate, 2, false);
  mGlobal.Initialize(kAudioUnitScope_Global, defaultFormat);
  mInputs.Initialize(kAudioUnitScope_Input, defaultFormat);
  mOutputs.Initialize(kAudioUnitScope_Output, defaultFormat);
  mGroups.Initialize(kAudioUnitScope_Group, defaultFormat);
}

AUBase::~AUBase() {}

void AUBase::CreateElements() {
  if (mElementsCreated) return;
  mElementsCreated = true;
  mInputs.SetNumberOfElements(mInitialInputs);
  mOutputs.SetNumberOfElements(mInitialOutputs);
  mGroups.SetNumberOfElements(mInitialGroups);
}

// ---------------------------------------------------------------------------
// Life cycle

OSStatus AUBase::DoInitialize() {
  if (mInitialized) return noErr;
  CreateElements();
  OSStatus err = Initialize();
  if (err != noErr) return err;
  err = _ReallocateBuffers();
  if (err != noErr) {
    Cleanup();
    return err;
  }
  mInitialized = true;
  return noErr;
}

void AUBase::DoCleanup() {
  if (!mInitialized) return;
  Cleanup();
  for (UInt32 k = 0; k < mOutputs.GetNumberOfElements(); ++k) GetOutput(k)->DeallocateBuffers();
  mInitialized = false;
}

OSStatus AUBase::_ReallocateBuffers() {
  for (UInt32 k = 0; k < mOutputs.GetNumberOfElements(); ++k)
    if (!GetOutput(k)->AllocateBuffers(mMaxFramesPerSlice)) return kAudioUnitErr_FormatNotSupported;
  return noErr;
}

// ---------------------------------------------------------------------------
// Access

AUScope& AUBase::GetScope(AudioUnitScope scope) {
  switch (scope) {
    case kAudioUnitScope_Input:
      return mInputs;
    case kAudioUnitScope_Output:
      return mOutputs;
    case kAudioUnitScope_Group:
      return mGroups;
    default:
      return mGlobal;
  }
}

AUElement* AUBase::GetElement(AudioUnitScope scope, AudioUnitElement element) {
  if (!IsValidScope(scope)) return nullptr;
  return GetScope(scope).GetElement(element);
}

AUIOElement* AUBase::GetIOElement(AudioUnitScope scope, AudioUnitElement element) {
  if (scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output) return nullptr;
  return GetScope(scope).GetIOElement(element);
}

const CAStreamBasicDescription& AUBase::GetStreamFormat(AudioUnitScope scope,
                                                        AudioUnitElement element) {
  AUIOElement* io = GetIOElement(scope, element);
  return io ? io->GetStreamFormat() : mNoFormat;
}

// ---------------------------------------------------------------------------
// Parameters

OSStatus AUBase::GetParameter(AudioUnitParameterID id, AudioUnitScope scope,
                              AudioUnitElement element, AudioUnitParameterValue& outValue) {
  if (!IsValidScope(scope)) return kAudioUnitErr_InvalidScope;
  AUElement* e = GetElement(scope, element);
  if (!e) return kAudioUnitErr_InvalidElement;
  return e->GetParameter(id, outValue);
}

OSStatus AUBase::SetParameter(AudioUnitParameterID id, AudioUnitScope scope,
                              AudioUnitElement element, AudioUnitParameterValue value,
                              UInt32 bufferOffsetInFrames) {
  if (!IsValidScope(scope)) return kAudioUnitErr_InvalidScope;
  AUElement* e = GetElement(scope, element);
  if (!e) return kAudioUnitErr_InvalidElement;
  return e->SetParameter(id, value);
}

OSStatus AUBase::GetParameterInfo(AudioUnitScope, AudioUnitParameterID, AudioUnitParameterInfo&) {
  return kAudioUnitErr_InvalidParameter;
}

OSStatus AUBase::GetParameterValueStrings(AudioUnitScope, AudioUnitParameterID, CFArrayRef*) {
  return kAudioUnitErr_InvalidProperty;
}

// ---------------------------------------------------------------------------
// Formats and sizes

bool AUBase::StreamFormatWritable(AudioUnitScope, AudioUnitElement) { return !mInitialized; }

OSStatus AUBase::ChangeStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                    const CAStreamBasicDescription&,
                                    const CAStreamBasicDescription& newFormat) {
  AUIOElement* io = GetIOElement(scope, element);
  if (!io) return IsValidScope(scope) ? kAudioUnitErr_InvalidElement : kAudioUnitErr_InvalidScope;
  if (!newFormat.IsUsable()) return kAudioUnitErr_FormatNotSupported;
  io->SetStreamFormat(newFormat);
  if (mInitialized && scope == kAudioUnitScope_Output &&
      !io->AllocateBuffers(mMaxFramesPerSlice))
    return kAudioUnitErr_FormatNotSupported;
  return noErr;
}

OSStatus AUBase::SetMaxFramesPerSlice(UInt32 n) {
  if (n == 0 || n > kMaxFramesPerSliceLimit) return kAudioUnitErr_InvalidPropertyValue;
  mMaxFramesPerSlice = n;
  return mInitialized ? _ReallocateBuffers() : noErr;
}

// ---------------------------------------------------------------------------
// Properties

OSStatus AUBase::GetPropertyInfo(AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, UInt32&,
                                 Boolean&) {
  return kAudioUnitErr_InvalidProperty;
}

OSStatus AUBase::GetProperty(AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, void*) {
  return kAudioUnitErr_InvalidProperty;
}

OSStatus AUBase::SetProperty(AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, const void*,
                             UInt32) {
  return kAudioUnitErr_InvalidProperty;
}

OSStatus AUBase::DispatchGetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope,
                                         AudioUnitElement element, UInt32& outDataSize,
                                         Boolean& outWritable) {
  outWritable = false;
  bool global = scope == kAudioUnitScope_Global;
  switch (id) {
    case kAudioUnitProperty_ClassInfo:
      if (!global) return kAudioUnitErr_InvalidScope;
      outDataSize = sizeof(CFPropertyListRef);
      outWritable = true;
      return noErr;
    case kAudioUnitProperty_SampleRate:
    case kAudioUnitProperty_StreamFormat:
      if (scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output)
        return kAudioUnitErr_InvalidScope;
      if (!GetIOElement(scope, element)) return kAudioUnitErr_InvalidElement;
      outDataSize = id == kAudioUnitProperty_SampleRate ? sizeof(Float64)
                                                        : sizeof(AudioStreamBasicDescription);
      outWritable = StreamFormatWritable(scope, element);
      return noErr;
    case kAudioUnitProperty_ParameterList: {
      if (!IsValidScope(scope)) return kAudioUnitErr_InvalidScope;
      AUElement* e = GetElement(scope, 0);
      outDataSize = e ? e->GetNumberOfParameters() * sizeof(AudioUnitParameterID) : 0;
      return noErr;
    }
    case kAudioUnitProperty_ParameterInfo:
      if (!IsValidScope(scope)) return kAudioUnitErr_InvalidScope;
      outDataSize = sizeof(AudioUnitParameterInfo);
      return noErr;
    case kAudioUnitProperty_ElementCount:
      if (!IsValidScope(scope)) return kAudioUnitErr_InvalidScope;
      outDataSize = sizeof(UInt32);
      return noErr;
    case kAudioUnitProperty_Latency:
    case kAudioUnitProperty_TailTime:
      if (!global) return kAudioUnitErr_InvalidScope;
      outDataSize = sizeof(Float64);
      return noErr;
    case kAudioUnitProperty_SupportedNumChannels: {
      if (!global) return kAudioUnitErr_InvalidScope;
      UInt32 n = SupportedNumChannels(nullptr);
      if (n == 0) return kAudioUnitErr_InvalidProperty;
      outDataSize = n * sizeof(AUChannelInfo);
      return noErr;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice:
      if (!global) return kAudioUnitErr_InvalidScope;
      outDataSize = sizeof(UInt32);
      outWritable = true;
      return noErr;
    case kAudioUnitProperty_ParameterValueStrings: {
      OSStatus err = GetParameterValueStrings(scope, element, nullptr);
      if (err != noErr) return err;
      outDataSize = sizeof(CFArrayRef);
      return noErr;
    }
    case kAudioUnitProperty_GetUIComponentList: {
      if (!global) return kAudioUnitErr_InvalidScope;
      int n = GetNumCustomUIComponents();
      if (n <= 0) return kAudioUnitErr_InvalidProperty;
      outDataSize = static_cast<UInt32>(n) * sizeof(ComponentDescription);
      return noErr;
    }
    case kAudioUnitProperty_HostCallbacks:
      if (!global) return kAudioUnitErr_InvalidScope;
      outDataSize = sizeof(HostCallbackInfo);
      outWritable = true;
      return noErr;
    default:
      return GetPropertyInfo(id, scope, element, outDataSize, outWritable);
  }
}

OSStatus AUBase::DispatchGetProperty(AudioUnitPropertyID id, AudioUnitScope scope,
                                     AudioUnitElement element, void* outData) {
  switch (id) {
    case kAudioUnitProperty_ClassInfo:
      return SaveState(static_cast<CFPropertyListRef*>(outData));
    case kAudioUnitProperty_SampleRate: {
      Float64 rate = GetStreamFormat(scope, element).mSampleRate;
      memcpy(outData, &rate, sizeof(rate));
      return noErr;
    }
    case kAudioUnitProperty_StreamFormat: {
      const AudioStreamBasicDescription& format = GetStreamFormat(scope, element);
      memcpy(outData, &format, sizeof(format));
      return noErr;
    }
    case kAudioUnitProperty_ParameterList: {
      AUElement* e = GetElement(scope, 0);
      if (e) e->GetParameterList(static_cast<AudioUnitParameterID*>(outData));
      return noErr;
    }
    case kAudioUnitProperty_ParameterInfo: {
      AudioUnitParameterInfo* info = static_cast<AudioUnitParameterInfo*>(outData);
      memset(info, 0, sizeof(*info));
      return GetParameterInfo(scope, element, *info);
    }
    case kAudioUnitProperty_ElementCount: {
      UInt32 count = GetScope(scope).GetNumberOfElements();
      memcpy(outData, &count, sizeof(count));
      return noErr;
    }
    case kAudioUnitProperty_Latency:
    case kAudioUnitProperty_TailTime: {
      Float64 zero = 0.0;
      memcpy(outData, &zero, sizeof(zero));
      return noErr;
    }
    case kAudioUnitProperty_SupportedNumChannels: {
      const AUChannelInfo* info = nullptr;
      UInt32 n = SupportedNumChannels(&info);
      if (!info) return kAudioUnitErr_InvalidProperty;
      memcpy(outData, info, n * sizeof(AUChannelInfo));
      return noErr;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice:
      memcpy(outData, &mMaxFramesPerSlice, sizeof(UInt32));
      return noErr;
    case kAudioUnitProperty_ParameterValueStrings:
      return GetParameterValueStrings(scope, element, static_cast<CFArrayRef*>(outData));
    case kAudioUnitProperty_GetUIComponentList:
      GetUIComponentDescs(static_cast<ComponentDescription*>(outData));
      return noErr;
    case kAudioUnitProperty_HostCallbacks:
      memcpy(outData, &mHostCallbackInfo, sizeof(mHostCallbackInfo));
      return noErr;
    default:
      return GetProperty(id, scope, element, outData);
  }
}

OSStatus AUBase::DispatchSetProperty(AudioUnitPropertyID id, AudioUnitScope scope,
                                     AudioUnitElement element, const void* inData,
                                     UInt32 inDataSize) {
  bool global = scope == kAudioUnitScope_Global;
  switch (id) {
    case kAudioUnitProperty_ClassInfo: {
      if (!global) return kAudioUnitErr_InvalidScope;
      if (inDataSize != sizeof(CFPropertyListRef)) return kAudio_ParamError;
      CFPropertyListRef state;
      memcpy(&state, inData, sizeof(state));
      return RestoreState(state);
    }
    case kAudioUnitProperty_SampleRate:
    case kAudioUnitProperty_StreamFormat: {
      if (scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output)
        return kAudioUnitErr_InvalidScope;
      AUIOElement* io = GetIOElement(scope, element);
      if (!io) return kAudioUnitErr_InvalidElement;
      CAStreamBasicDescription prev = io->GetStreamFormat();
      CAStreamBasicDescription next = prev;
      if (id == kAudioUnitProperty_SampleRate) {
        if (inDataSize != sizeof(Float64)) return kAudio_ParamError;
        memcpy(&next.mSampleRate, inData, sizeof(Float64));
      } else {
        if (inDataSize < sizeof(AudioStreamBasicDescription)) return kAudio_ParamError;
        memcpy(static_cast<AudioStreamBasicDescription*>(&next), inData,
               sizeof(AudioStreamBasicDescription));
      }
      if (!StreamFormatWritable(scope, element)) return kAudioUnitErr_PropertyNotWritable;
      if (next == prev) return noErr;
      return ChangeStreamFormat(scope, element, prev, next);
    }
    case kAudioUnitProperty_MaximumFramesPerSlice: {
      if (!global) return kAudioUnitErr_InvalidScope;
      if (inDataSize != sizeof(UInt32)) return kAudio_ParamError;
      UInt32 n;
      memcpy(&n, inData, sizeof(n));
      // Checked here so that no override ever sees a size it cannot allocate.
      if (n == 0 || n > kMaxFramesPerSliceLimit) return kAudioUnitErr_InvalidPropertyValue;
      return SetMaxFramesPerSlice(n);
    }
    case kAudioUnitProperty_HostCallbacks: {
      if (!global) return kAudioUnitErr_InvalidScope;
      HostCallbackInfo info;
      memset(&info, 0, sizeof(info));
      memcpy(&info, inData, inDataSize < sizeof(info) ? inDataSize : sizeof(info));
      mHostCallbackInfo = info;
      return noErr;
    }
    case kAudioUnitProperty_ParameterList:
    case kAudioUnitProperty_ParameterInfo:
    case kAudioUnitProperty_ElementCount:
    case kAudioUnitProperty_Latency:
    case kAudioUnitProperty_TailTime:
    case kAudioUnitProperty_SupportedNumChannels:
    case kAudioUnitProperty_ParameterValueStrings:
    case kAudioUnitProperty_GetUIComponentList:
      return kAudioUnitErr_PropertyNotWritable;
    default:
      return SetProperty(id, scope, element, inData, inDataSize);
  }
}

OSStatus AUBase::_DispatchGetPropertyCall(ComponentParameters* p) {
  if (!p->ioDataSize) return kAudio_ParamError;
  UInt32 size = 0;
  Boolean writable = false;
  OSStatus err = DispatchGetPropertyInfo(p->propertyID, p->scope, p->element, size, writable);
  if (err != noErr) return err;
  if (!p->outData) {
    *p->ioDataSize = size;
    return noErr;
  }
  if (*p->ioDataSize < size) return kAudio_ParamError;
  err = DispatchGetProperty(p->propertyID, p->scope, p->element, p->outData);
  if (err == noErr) *p->ioDataSize = size;
  return err;
}

// ---------------------------------------------------------------------------
// Render

OSStatus AUBase::DoRender(AudioUnitRenderActionFlags& ioActionFlags,
                          const AudioTimeStamp& inTimeStamp, UInt32 inBusNumber,
                          UInt32 inNumberFrames, AudioBufferList& ioData) {
  if (!mInitialized) return kAudioUnitErr_Uninitialized;
  if (inNumberFrames > mMaxFramesPerSlice) return kAudioUnitErr_TooManyFramesToProcess;
  AUOutputElement* output = GetOutput(inBusNumber);
  if (!output) return kAudioUnitErr_InvalidElement;
  OSStatus err = output->PrepareBuffers(inNumberFrames, &ioData);
  if (err != noErr) return err;
  // The other outputs render into their own buffers.
  for (UInt32 k = 0; k < mOutputs.GetNumberOfElements(); ++k)
    if (k != inBusNumber) GetOutput(k)->PrepareBuffers(inNumberFrames, nullptr);
  err = Render(ioActionFlags, inTimeStamp, inNumberFrames);
  output->CopyBufferListTo(&ioData);
  return err;
}

OSStatus AUBase::Render(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp&,
                        UInt32) {
  for (UInt32 k = 0; k < mOutputs.GetNumberOfElements(); ++k) {
    AudioBufferList& list = GetOutput(k)->GetBufferList();
    for (UInt32 b = 0; b < list.mNumberBuffers; ++b)
      if (list.mBuffers[b].mData) memset(list.mBuffers[b].mData, 0, list.mBuffers[b].mDataByteSize);
  }
  ioActionFlags |= kAudioUnitRenderAction_OutputIsSilence;
  return noErr;
}

// ---------------------------------------------------------------------------
// State

OSStatus AUBase::SaveState(CFPropertyListRef* outData) {
  if (!outData) return kAudio_ParamError;
  CFMutableDictionaryRef dict = CFDictionaryCreateMutable(
      nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  AudioComponentDescription desc = GetComponentDescription();
  SetNumber(dict, "version", Version());
  SetNumber(dict, "type", static_cast<SInt32>(desc.componentType));
  SetNumber(dict, "subtype", static_cast<SInt32>(desc.componentSubType));
  SetNumber(dict, "manufacturer", static_cast<SInt32>(desc.componentManufacturer));

  std::vector<UInt8> bytes;
  std::vector<AudioUnitParameterID> ids;
  for (AudioUnitScope scope : SAVED_SCOPES) {
    AUScope& s = GetScope(scope);
    for (UInt32 e = 0; e < s.GetNumberOfElements(); ++e) {
      AUElement* element = s.GetElement(e);
      UInt32 count = element->GetNumberOfParameters();
      if (count == 0) continue;
      ids.resize(count);
      element->GetParameterList(ids.data());
      PutBigEndian(bytes, scope);
      PutBigEndian(bytes, e);
      PutBigEndian(bytes, count);
      for (AudioUnitParameterID id : ids) {
        AudioUnitParameterValue value = 0.0f;
        element->GetParameter(id, value);
        UInt32 bits;
        memcpy(&bits, &value, sizeof(bits));
        PutBigEndian(bytes, id);
        PutBigEndian(bytes, bits);
      }
    }
  }
  CFDataRef data = CFDataCreate(nullptr, bytes.data(), static_cast<CFIndex>(bytes.size()));
  CFDictionarySetValue(dict, CFSTR("data"), data);
  CFRelease(data);

  const char* name = AudioComponentGetName(AudioComponentInstanceGetComponent(mComponentInstance));
  if (!name[0]) name = "Untitled";
  CFStringRef nameString = CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8);
  if (!nameString) nameString = CFStringCreateWithCString(nullptr, name, kCFStringEncodingMacRoman);
  CFDictionarySetValue(dict, CFSTR("name"), nameString);
  CFRelease(nameString);

  *outData = dict;
  return noErr;
}

bool AUBase::IsOwnState(CFDictionaryRef dict) const {
  if (!dict) return false;
  AudioComponentDescription desc = GetComponentDescription();
  const struct {
    const char* key;
    UInt32 expected;
  } identity[] = {{"type", desc.componentType},
                  {"subtype", desc.componentSubType},
                  {"manufacturer", desc.componentManufacturer}};
  for (const auto& item : identity) {
    UInt32 value = 0;
    if (!GetNumber(dict, item.key, value) || value != item.expected) return false;
  }
  return true;
}

OSStatus AUBase::RestoreState(CFPropertyListRef inData) {
  if (CFGetTypeID(inData) != CFDictionaryGetTypeID()) return kAudioUnitErr_InvalidPropertyValue;
  CFDictionaryRef dict = static_cast<CFDictionaryRef>(inData);

  if (!IsOwnState(dict)) return kAudioUnitErr_InvalidPropertyValue;

  CFTypeRef data = CFDictionaryGetValue(dict, CFSTR("data"));
  if (!data) return noErr;
  if (CFGetTypeID(data) != CFDataGetTypeID()) return kAudioUnitErr_InvalidPropertyValue;
  std::vector<SAVED_PARAM> params;
  CFDataRef bytes = static_cast<CFDataRef>(data);
  if (!ParseSavedParams(CFDataGetBytePtr(bytes), static_cast<size_t>(CFDataGetLength(bytes)),
                        params))
    return kAudioUnitErr_InvalidPropertyValue;
  // Values of elements or parameters this unit does not have are skipped.
  for (const SAVED_PARAM& p : params) {
    AUElement* element = GetElement(p.scope, p.element);
    if (element && std::isfinite(p.value)) element->SetParameter(p.id, p.value);
  }
  return noErr;
}

// ---------------------------------------------------------------------------
// Host callbacks

OSStatus AUBase::CallHostBeatAndTempo(Float64* outCurrentBeat, Float64* outCurrentTempo) {
  if (!mHostCallbackInfo.beatAndTempoProc) return kAudioUnitErr_CannotDoInCurrentContext;
  return mHostCallbackInfo.beatAndTempoProc(mHostCallbackInfo.hostUserData, outCurrentBeat,
                                            outCurrentTempo);
}

OSStatus AUBase::CallHostMusicalTimeLocation(UInt32* outDeltaSampleOffsetToNextBeat,
                                             Float32* outTimeSig_Numerator,
                                             UInt32* outTimeSig_Denominator,
                                             Float64* outCurrentMeasureDownBeat) {
  if (!mHostCallbackInfo.musicalTimeLocationProc) return kAudioUnitErr_CannotDoInCurrentContext;
  return mHostCallbackInfo.musicalTimeLocationProc(
      mHostCallbackInfo.hostUserData, outDeltaSampleOffsetToNextBeat, outTimeSig_Numerator,
      outTimeSig_Denominator, outCurrentMeasureDownBeat);
}

OSStatus AUBase::CallHostTransportState(Boolean* outIsPlaying, Boolean* outTransportStateChanged,
                                        Float64* outCurrentSampleInTimeLine, Boolean* outIsCycling,
                                        Float64* outCycleStartBeat, Float64* outCycleEndBeat) {
  if (!mHostCallbackInfo.transportStateProc) return kAudioUnitErr_CannotDoInCurrentContext;
  return mHostCallbackInfo.transportStateProc(mHostCallbackInfo.hostUserData, outIsPlaying,
                                              outTransportStateChanged, outCurrentSampleInTimeLine,
                                              outIsCycling, outCycleStartBeat, outCycleEndBeat);
}

// ---------------------------------------------------------------------------
// Component calls

OSStatus AUBase::ComponentEntryDispatch(ComponentParameters* p) {
  switch (p->what) {
    case kAudioUnitInitializeSelect:
      return DoInitialize();
    case kAudioUnitUninitializeSelect:
      DoCleanup();
      return noErr;
    case kAudioUnitGetPropertyInfoSelect: {
      UInt32 size = 0;
      Boolean writable = false;
      OSStatus err = DispatchGetPropertyInfo(p->propertyID, p->scope, p->element, size, writable);
      if (err == noErr) {
        if (p->ioDataSize) *p->ioDataSize = size;
        if (p->outWritable) *p->outWritable = writable;
      }
      return err;
    }
    case kAudioUnitGetPropertySelect:
      return _DispatchGetPropertyCall(p);
    case kAudioUnitSetPropertySelect:
      if (!p->inData) return kAudio_ParamError;
      return DispatchSetProperty(p->propertyID, p->scope, p->element, p->inData, p->inDataSize);
    case kAudioUnitGetParameterSelect:
      if (!p->outValue) return kAudio_ParamError;
      return GetParameter(p->parameterID, p->scope, p->element, *p->outValue);
    case kAudioUnitSetParameterSelect:
      return SetParameter(p->parameterID, p->scope, p->element, p->value, p->bufferOffset);
    case kAudioUnitRenderSelect:
      if (!p->ioActionFlags || !p->timeStamp || !p->ioData) return kAudio_ParamError;
      return DoRender(*p->ioActionFlags, *p->timeStamp, p->busNumber, p->numberFrames, *p->ioData);
    case kAudioUnitResetSelect:
      return Reset(p->scope, p->element);
    default:
      return ComponentBase::ComponentEntryDispatch(p);
  }
}
