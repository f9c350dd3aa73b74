#include "host/au/AUSynth.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/au/AUCocoaView.h"
#include "host/au/VSTCallback.h"
#include "host/vst/VstSynth.h"

namespace {

// The one channel configuration: no inputs, a stereo output.
const AUChannelInfo CHANNEL_INFO[] = {{0, 2}};

// Key of the instrument's state chunk in the saved state.
const char* const CHUNK_DATA_KEY = "mChunkData";

// Room for any parameter name or label the instrument writes (it writes at
// most kVstMaxParamStrLen characters and a terminator).
const size_t PARAM_TEXT_SIZE = 64;

}  // namespace

CAUSynth::CAUSynth(ComponentInstance instance)
    : MusicDeviceBase(instance, 0, 1, 0, 0),
      mEffect(nullptr),
      mEffectObject(nullptr),
      mCocoaView(nullptr),
      mCarbonView(nullptr),
      mInstance(instance) {
  memset(&mTimeInfo, 0, sizeof(mTimeInfo));

  AudioEffect* object = createEffectInstance(VSTCallback);
  if (!object) return;
  AEffect* effect = object->getAeffect();
  if (!effect) {
    // Without its interface the object cannot be closed the usual way.
    delete object;
    return;
  }
  mEffectObject = dynamic_cast<AudioEffectX*>(object);
  mEffect = effect;
  mEffect->user = this;

  _Dispatch(effOpen);
  _Dispatch(effSetBlockSize, 0, static_cast<VstIntPtr>(kDefaultMaxFramesPerSlice));
  _Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(kDefaultSampleRate));

  CreateElements();
  UInt32 count = mEffect->numParams > 0 ? static_cast<UInt32>(mEffect->numParams) : 0;
  Globals()->UseIndexedParameters(count);
  for (UInt32 id = 0; id < count; ++id)
    Globals()->SetParameter(id, mEffect->getParameter(mEffect, static_cast<VstInt32>(id)));
}

CAUSynth::~CAUSynth() {
  // An editor view the host still holds is torn down while the instrument
  // exists (timer stopped, running tick awaited, editor closed) and keeps
  // no way back to this unit: its later ticks and its destruction do
  // nothing. The view itself belongs to the host.
  if (CAUCocoaView* view = mCocoaView.load()) view->Detach();
  if (mEffect) {
    AEffect* effect = mEffect;
    // Cleared first, so that a request the instrument makes while closing
    // finds no unit behind it.
    mEffect = nullptr;
    mEffectObject = nullptr;
    effect->user = nullptr;
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
  }
  mCarbonView = nullptr;
}

VstIntPtr CAUSynth::_Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt) {
  if (!mEffect || !mEffect->dispatcher) return 0;
  return mEffect->dispatcher(mEffect, opcode, index, value, ptr, opt);
}

bool CAUSynth::_IsParamIndex(UInt32 id) const {
  return mEffect && mEffect->numParams > 0 && id < static_cast<UInt32>(mEffect->numParams);
}

// ---------------------------------------------------------------------------
// Life cycle

OSStatus CAUSynth::Initialize() {
  OSStatus err = MusicDeviceBase::Initialize();
  if (err != noErr) return err;
  Inputs().SetNumberOfElements(0);
  Outputs().SetNumberOfElements(1);
  AUOutputElement* output = GetOutput(0);
  if (output && output->GetStreamFormat().NumberChannels() != 2) {
    CAStreamBasicDescription format = output->GetStreamFormat();
    format.ChangeNumberChannels(2, false);
    output->SetStreamFormat(format);
  }
  if (!mEffect) return kAudioUnitErr_Uninitialized;
  _Dispatch(effMainsChanged, 0, 0);
  _Dispatch(effMainsChanged, 0, 1);
  return noErr;
}

OSStatus CAUSynth::Reset(AudioUnitScope scope, AudioUnitElement element) {
  _Dispatch(effMainsChanged, 0, 0);
  _Dispatch(effMainsChanged, 0, 1);
  return MusicDeviceBase::Reset(scope, element);
}

OSStatus CAUSynth::SetMaxFramesPerSlice(UInt32 n) {
  // A size the base refuses never reaches the instrument.
  if (n == 0 || n > kMaxFramesPerSliceLimit) return kAudioUnitErr_InvalidPropertyValue;
  _Dispatch(effSetBlockSize, 0, static_cast<VstIntPtr>(n));
  return MusicDeviceBase::SetMaxFramesPerSlice(n);
}

// ---------------------------------------------------------------------------
// Formats

bool CAUSynth::StreamFormatWritable(AudioUnitScope, AudioUnitElement) { return true; }

UInt32 CAUSynth::SupportedNumChannels(const AUChannelInfo** outInfo) {
  if (outInfo) *outInfo = CHANNEL_INFO;
  return 1;
}

OSStatus CAUSynth::ChangeStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                      const CAStreamBasicDescription& prevFormat,
                                      const CAStreamBasicDescription& newFormat) {
  if (!mEffect) return kAudioUnitErr_Uninitialized;
  if (newFormat.NumberChannels() > 2) return kAudioUnitErr_InvalidScope;
  const AudioFormatFlags required =
      kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
  if (!newFormat.IsPCM() || newFormat.mBytesPerFrame == 0 ||
      (newFormat.IsInterleaved() && newFormat.NumberChannels() == 0) ||
      newFormat.SampleWordSize() != 4 || (newFormat.mFormatFlags & required) != required)
    return kAudioUnitErr_FormatNotSupported;
  OSStatus err = MusicDeviceBase::ChangeStreamFormat(scope, element, prevFormat, newFormat);
  if (err != noErr) return err;
  if (newFormat.mSampleRate != prevFormat.mSampleRate)
    _Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(newFormat.mSampleRate));
  return noErr;
}

// ---------------------------------------------------------------------------
// Render and MIDI

OSStatus CAUSynth::Render(AudioUnitRenderActionFlags&, const AudioTimeStamp&,
                          UInt32 inNumberFrames) {
  for (UInt32 k = 0; k < Outputs().GetNumberOfElements(); ++k) {
    AudioBufferList& list = GetOutput(k)->GetBufferList();
    for (UInt32 b = 0; b < list.mNumberBuffers; ++b)
      if (list.mBuffers[b].mData) memset(list.mBuffers[b].mData, 0, list.mBuffers[b].mDataByteSize);
  }
  AUOutputElement* output = GetOutput(0);
  if (!output) return AUSYNTH_ERR_BUFFER_COUNT;
  AudioBufferList& list = output->GetBufferList();
  if (list.mNumberBuffers != 2) return AUSYNTH_ERR_BUFFER_COUNT;

  float* left = static_cast<float*>(list.mBuffers[0].mData);
  float* right = static_cast<float*>(list.mBuffers[1].mData);
  if (!left || !right || !mEffect || !mEffect->processReplacing) return noErr;
  // The instrument writes inNumberFrames floats into each buffer.
  const UInt32 capacity = (list.mBuffers[0].mDataByteSize < list.mBuffers[1].mDataByteSize
                               ? list.mBuffers[0].mDataByteSize
                               : list.mBuffers[1].mDataByteSize) /
                          sizeof(float);
  if (inNumberFrames > capacity) return kAudioUnitErr_TooManyFramesToProcess;
  float* inputs[2] = {nullptr, nullptr};
  float* outputs[2] = {left, right};
  mEffect->processReplacing(mEffect, inputs, outputs, static_cast<VstInt32>(inNumberFrames));
  return noErr;
}

OSStatus CAUSynth::HandleMidiEvent(UInt8 status, UInt8 channel, UInt8 data1, UInt8 data2,
                                   UInt32 inStartFrame) {
  VstMidiEvent event;
  memset(&event, 0, sizeof(event));
  event.type = kVstMidiType;
  event.byteSize = sizeof(VstMidiEvent);
  event.deltaFrames = inStartFrame > static_cast<UInt32>(INT32_MAX)
                          ? INT32_MAX
                          : static_cast<VstInt32>(inStartFrame);
  event.midiData[0] = static_cast<char>(status | channel);
  event.midiData[1] = static_cast<char>(data1);
  event.midiData[2] = static_cast<char>(data2);

  VstEventsBlock<1> events;
  memset(&events, 0, sizeof(events));
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<VstEvent*>(&event);
  if (mEffectObject)
    mEffectObject->processEvents(events.get());
  else if (mEffect)
    _Dispatch(effProcessEvents, 0, 0, events.get());

  return MusicDeviceBase::HandleMidiEvent(status, channel, data1, data2, inStartFrame);
}

OSStatus CAUSynth::HandleNoteOn(UInt8, UInt8, UInt8, UInt32) { return noErr; }
OSStatus CAUSynth::HandleNoteOff(UInt8, UInt8, UInt8, UInt32) { return noErr; }
void CAUSynth::HandleControlChange(UInt8, UInt8, UInt8, UInt32) {}
void CAUSynth::HandlePitchWheel(UInt8, UInt8, UInt8, UInt32) {}

OSStatus CAUSynth::PrepareInstrument(MusicDeviceInstrumentID) { return noErr; }
OSStatus CAUSynth::ReleaseInstrument(MusicDeviceInstrumentID) { return noErr; }
OSStatus CAUSynth::StartNote(MusicDeviceInstrumentID, MusicDeviceGroupID, NoteInstanceID*, UInt32,
                             const MusicDeviceNoteParams&) {
  return noErr;
}
OSStatus CAUSynth::StopNote(MusicDeviceGroupID, NoteInstanceID, UInt32) { return noErr; }

// ---------------------------------------------------------------------------
// Parameters

OSStatus CAUSynth::GetParameterInfo(AudioUnitScope scope, AudioUnitParameterID id,
                                    AudioUnitParameterInfo& outInfo) {
  if (!mEffect) return kAudioUnitErr_Uninitialized;
  if (scope != kAudioUnitScope_Global || !_IsParamIndex(id)) return kAudioUnitErr_InvalidParameter;
  const VstInt32 index = static_cast<VstInt32>(id);

  memset(&outInfo, 0, sizeof(outInfo));
  outInfo.flags = kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable;

  char name[PARAM_TEXT_SIZE] = {};
  _Dispatch(effGetParamName, index, 0, name);
  name[PARAM_TEXT_SIZE - 1] = 0;
  CFStringRef nameString = CFStringCreateWithCString(nullptr, name, kCFStringEncodingMacRoman);
  if (nameString) {
    outInfo.cfNameString = nameString;
    outInfo.flags |= kAudioUnitParameterFlag_HasCFNameString | kAudioUnitParameterFlag_CFNameRelease;
    CFStringGetCString(nameString, outInfo.name, sizeof(outInfo.name), kCFStringEncodingUTF8);
  }

  char label[PARAM_TEXT_SIZE] = {};
  _Dispatch(effGetParamLabel, index, 0, label);
  label[PARAM_TEXT_SIZE - 1] = 0;
  outInfo.unit = kAudioUnitParameterUnit_Generic;
  if (label[0]) {
    CFStringRef unitName = CFStringCreateWithCString(nullptr, label, kCFStringEncodingMacRoman);
    if (unitName) {
      outInfo.unit = kAudioUnitParameterUnit_CustomUnit;
      outInfo.unitName = unitName;
      // The receiver releases the unit name along with the name string.
      outInfo.flags |= kAudioUnitParameterFlag_CFNameRelease;
    }
  }

  outInfo.minValue = 0.0f;
  outInfo.maxValue = 1.0f;
  outInfo.defaultValue = mEffect->getParameter(mEffect, index);
  return noErr;
}

OSStatus CAUSynth::GetParameterValueStrings(AudioUnitScope, AudioUnitParameterID, CFArrayRef*) {
  return kAudioUnitErr_InvalidProperty;
}

OSStatus CAUSynth::GetParameter(AudioUnitParameterID id, AudioUnitScope scope,
                                AudioUnitElement element, AudioUnitParameterValue& outValue) {
  if (!mEffect) return kAudioUnitErr_Uninitialized;
  OSStatus err = MusicDeviceBase::GetParameter(id, scope, element, outValue);
  if (err != noErr) return err;
  if (scope == kAudioUnitScope_Global) {
    if (!_IsParamIndex(id)) return kAudioUnitErr_InvalidParameter;
    outValue = mEffect->getParameter(mEffect, static_cast<VstInt32>(id));
  }
  return noErr;
}

OSStatus CAUSynth::SetParameter(AudioUnitParameterID id, AudioUnitScope scope,
                                AudioUnitElement element, AudioUnitParameterValue value,
                                UInt32 bufferOffsetInFrames) {
  if (!mEffect) return kAudioUnitErr_Uninitialized;
  if (scope == kAudioUnitScope_Global) {
    if (!_IsParamIndex(id)) return kAudioUnitErr_InvalidParameter;
    if (element != 0) return kAudioUnitErr_InvalidElement;
    mEffect->setParameter(mEffect, static_cast<VstInt32>(id), value);
  }
  return MusicDeviceBase::SetParameter(id, scope, element, value, bufferOffsetInFrames);
}

// ---------------------------------------------------------------------------
// Properties

OSStatus CAUSynth::GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope,
                                   AudioUnitElement element, UInt32& outDataSize,
                                   Boolean& outWritable) {
  if (!mEffect) return kAudioUnitErr_Uninitialized;
  if (scope == kAudioUnitScope_Global) {
    switch (id) {
      case kMusicDeviceProperty_InstrumentCount:
        outDataSize = sizeof(UInt32);
        outWritable = false;
        return noErr;
      case kAudioUnitProperty_CocoaUI:
        outDataSize = sizeof(AudioUnitCocoaViewInfo);
        outWritable = true;
        return noErr;
      case kAUSynthProperty_Instance:
        outDataSize = sizeof(CAUSynth*);
        outWritable = false;
        return noErr;
      case kAUSynthProperty_RandomSeed:
        outDataSize = sizeof(UInt32);
        outWritable = true;
        return noErr;
      case kAUSynthProperty_PresetFile:
        outDataSize = sizeof(CFDataRef);
        outWritable = true;
        return noErr;
      case kAUSynthProperty_EditorPage:
        outDataSize = sizeof(AUSynthEditorPage);
        outWritable = true;
        return noErr;
      case kAudioUnitProperty_ParameterStringFromValue:
        outDataSize = sizeof(AudioUnitParameterStringFromValue);
        outWritable = false;
        return noErr;
      default:
        break;
    }
  }
  return MusicDeviceBase::GetPropertyInfo(id, scope, element, outDataSize, outWritable);
}

OSStatus CAUSynth::GetProperty(AudioUnitPropertyID id, AudioUnitScope scope,
                               AudioUnitElement element, void* outData) {
  if (!mEffect) return kAudioUnitErr_Uninitialized;
  if (scope == kAudioUnitScope_Global && outData) {
    switch (id) {
      case kMusicDeviceProperty_InstrumentCount: {
        const UInt32 count = 0;
        memcpy(outData, &count, sizeof(count));
        return noErr;
      }
      case kAudioUnitProperty_CocoaUI: {
        AudioUnitCocoaViewInfo info;
        if (!CAUCocoaViewFactory::GetViewInfo(info)) return kAudioUnitErr_InvalidProperty;
        memcpy(outData, &info, sizeof(info));
        return noErr;
      }
      case kAUSynthProperty_Instance: {
        CAUSynth* self = this;
        memcpy(outData, &self, sizeof(self));
        return noErr;
      }
      case kAUSynthProperty_PresetFile:
        return _SavePresetImage(static_cast<CFDataRef*>(outData));
      case kAudioUnitProperty_ParameterStringFromValue:
        return _ParameterStringFromValue(*static_cast<AudioUnitParameterStringFromValue*>(outData));
      default:
        break;
    }
  }
  return MusicDeviceBase::GetProperty(id, scope, element, outData);
}

// The text the instrument shows for a value: the value in percent with two
// decimals, without the unit.
OSStatus CAUSynth::_ParameterStringFromValue(AudioUnitParameterStringFromValue& request) {
  request.outString = nullptr;
  if (!_IsParamIndex(request.inParamID)) return kAudioUnitErr_InvalidParameter;
  const float value = request.inValue
                          ? *request.inValue
                          : mEffect->getParameter(mEffect, static_cast<VstInt32>(request.inParamID));
  if (!std::isfinite(value)) return kAudioUnitErr_InvalidPropertyValue;
  char text[64];
  snprintf(text, sizeof(text), "%.2f", static_cast<double>(value * 100.0f));
  request.outString = CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
  return request.outString ? noErr : memFullErr;
}

OSStatus CAUSynth::SetProperty(AudioUnitPropertyID id, AudioUnitScope scope,
                               AudioUnitElement element, const void* inData, UInt32 inDataSize) {
  if (scope == kAudioUnitScope_Global && id == kAUSynthProperty_RandomSeed) {
    if (!mEffect) return kAudioUnitErr_Uninitialized;
    if (element != 0) return kAudioUnitErr_InvalidElement;
    if (!inData || inDataSize != sizeof(UInt32)) return kAudioUnitErr_InvalidPropertyValue;
    UInt32 seed;
    memcpy(&seed, inData, sizeof(seed));
    static_cast<CVstSynth*>(static_cast<AudioEffect*>(mEffect->object))->SetRandomSeed(seed);
    return noErr;
  }
  if (scope == kAudioUnitScope_Global && id == kAUSynthProperty_PresetFile) {
    if (!mEffect) return kAudioUnitErr_Uninitialized;
    if (element != 0) return kAudioUnitErr_InvalidElement;
    if (!inData || inDataSize != sizeof(AUSynthPresetFileLoad)) return kAudioUnitErr_InvalidPropertyValue;
    return _LoadPresetFile(*static_cast<const AUSynthPresetFileLoad*>(inData));
  }
  if (scope == kAudioUnitScope_Global && id == kAUSynthProperty_EditorPage) {
    if (!mEffect) return kAudioUnitErr_Uninitialized;
    if (element != 0) return kAudioUnitErr_InvalidElement;
    if (!inData || inDataSize != sizeof(AUSynthEditorPage)) return kAudioUnitErr_InvalidPropertyValue;
    return _ShowEditorPage(*static_cast<const AUSynthEditorPage*>(inData));
  }
  return MusicDeviceBase::SetProperty(id, scope, element, inData, inDataSize);
}

// No separate editor component exists: the unit announces none.
int CAUSynth::GetNumCustomUIComponents() { return 0; }
void CAUSynth::GetUIComponentDescs(ComponentDescription*) {}

// ---------------------------------------------------------------------------
// Saved state

OSStatus CAUSynth::SaveState(CFPropertyListRef* outData) {
  if (!mEffect) return kAudioUnitErr_Uninitialized;
  if (!outData) return kAudioUnitErr_InvalidPropertyValue;

  // The unit's stored values follow the instrument's current ones.
  const UInt32 count = static_cast<UInt32>(mEffect->numParams > 0 ? mEffect->numParams : 0);
  for (UInt32 id = 0; id < count; ++id)
    MusicDeviceBase::SetParameter(id, kAudioUnitScope_Global, 0,
                                  mEffect->getParameter(mEffect, static_cast<VstInt32>(id)), 0);

  CFPropertyListRef state = nullptr;
  OSStatus err = MusicDeviceBase::SaveState(&state);
  if (err != noErr) return err;
  if (CFGetTypeID(state) != CFDictionaryGetTypeID()) {
    if (state) CFRelease(state);
    return kAudioUnitErr_InvalidPropertyValue;
  }
  CFMutableDictionaryRef dict =
      const_cast<CFMutableDictionaryRef>(static_cast<CFDictionaryRef>(state));

  // A state without the chunk could not be restored (RestoreState needs
  // it): when the instrument cannot give one (its samples take more than
  // 2 GB, or memory ran out), saving fails instead of handing out a state
  // that loses the sound.
  void* chunk = nullptr;
  VstIntPtr size = _Dispatch(effGetChunk, 1, 0, &chunk);
  bool stored = false;
  if (chunk && size > 0 && size <= static_cast<VstIntPtr>(INT32_MAX)) {
    CFMutableDataRef data = CFDataCreateMutable(nullptr, 0);
    if (data) {
      CFDataAppendBytes(data, static_cast<const UInt8*>(chunk), static_cast<CFIndex>(size));
      stored = CFDataGetLength(data) == static_cast<CFIndex>(size);
      if (stored) CFDictionarySetValue(dict, CFStringMakeConstantString(CHUNK_DATA_KEY), data);
      CFRelease(data);
    }
  }
  if (!stored) {
    CFRelease(state);
    return kAudioUnitErr_InvalidPropertyValue;
  }
  *outData = dict;
  return noErr;
}

OSStatus CAUSynth::RestoreState(CFPropertyListRef inData) {
  if (!mEffect) return kAudioUnitErr_Uninitialized;
  if (!inData || CFGetTypeID(inData) != CFDictionaryGetTypeID())
    return kAudioUnitErr_InvalidPropertyValue;
  CFDictionaryRef dict = static_cast<CFDictionaryRef>(inData);
  // A state saved by another kind of unit is not ours to load, whatever
  // chunk it carries.
  if (!IsOwnState(dict)) return kAudioUnitErr_InvalidPropertyValue;
  CFTypeRef item = CFDictionaryGetValue(dict, CFStringMakeConstantString(CHUNK_DATA_KEY));
  if (!item || CFGetTypeID(item) != CFDataGetTypeID()) return kAudioUnitErr_InvalidPropertyValue;
  CFDataRef data = static_cast<CFDataRef>(item);
  const CFIndex length = CFDataGetLength(data);
  const UInt8* bytes = CFDataGetBytePtr(data);
  if (!bytes || length <= 0 || length > static_cast<CFIndex>(INT32_MAX))
    return kAudioUnitErr_InvalidPropertyValue;

  // The chunk goes first: a chunk the instrument refuses leaves the whole
  // unit, its own stored values included, as it was.
  if (_Dispatch(effSetChunk, 1, static_cast<VstIntPtr>(length),
                const_cast<UInt8*>(bytes)) == 0)
    return kAudioUnitErr_InvalidPropertyValue;

  // The unit's own part.
  MusicDeviceBase::RestoreState(inData);
  return noErr;
}
