#include "platform/au/AUComponent.h"

#include <cstring>
#include <deque>
#include <mutex>
#include <string>

struct OpaqueAudioComponent {
  AudioComponentDescription desc;
  std::string name;
  UInt32 version;
  AudioComponentEntryProc entry;
};

struct ComponentInstanceRecord {
  OpaqueAudioComponent* component;
  void* storage;
};

namespace {

std::mutex& RegistryLock() {
  static std::mutex lock;
  return lock;
}

// Registrations are never removed, so their addresses stay valid.
std::deque<OpaqueAudioComponent>& Registry() {
  static std::deque<OpaqueAudioComponent>* registry = new std::deque<OpaqueAudioComponent>;
  return *registry;
}

bool Matches(const AudioComponentDescription& have, const AudioComponentDescription& want) {
  return (!want.componentType || want.componentType == have.componentType) &&
         (!want.componentSubType || want.componentSubType == have.componentSubType) &&
         (!want.componentManufacturer || want.componentManufacturer == have.componentManufacturer);
}

ComponentParameters NewCall(SInt16 what) {
  ComponentParameters p;
  memset(&p, 0, sizeof(p));
  p.what = what;
  return p;
}

// A call addressed to one element of one scope (properties, parameters,
// reset).
ComponentParameters NewElementCall(SInt16 what, AudioUnitScope scope, AudioUnitElement element) {
  ComponentParameters p = NewCall(what);
  p.scope = scope;
  p.element = element;
  return p;
}

OSStatus Call(ComponentInstance unit, ComponentParameters& p) {
  if (!unit || !unit->component || !unit->storage) return badComponentInstance;
  return unit->component->entry(&p, unit->storage);
}

}  // namespace

AudioComponent AudioComponentRegister(const AudioComponentDescription* desc, const char* name,
                                      UInt32 version, AudioComponentEntryProc entry) {
  if (!desc || !entry) return nullptr;
  std::lock_guard<std::mutex> guard(RegistryLock());
  for (OpaqueAudioComponent& c : Registry())
    if (c.entry == entry && memcmp(&c.desc, desc, sizeof(*desc)) == 0) return &c;
  Registry().push_back({*desc, name ? name : "", version, entry});
  return &Registry().back();
}

AudioComponent AudioComponentFindNext(AudioComponent after, const AudioComponentDescription* desc) {
  AudioComponentDescription any;
  memset(&any, 0, sizeof(any));
  const AudioComponentDescription& want = desc ? *desc : any;
  std::lock_guard<std::mutex> guard(RegistryLock());
  bool passed = after == nullptr;
  for (OpaqueAudioComponent& c : Registry()) {
    if (!passed) {
      passed = &c == after;
      continue;
    }
    if (Matches(c.desc, want)) return &c;
  }
  return nullptr;
}

OSStatus AudioComponentGetDescription(AudioComponent component, AudioComponentDescription* out) {
  if (!component || !out) return kAudio_ParamError;
  *out = component->desc;
  return noErr;
}

const char* AudioComponentGetName(AudioComponent component) {
  return component ? component->name.c_str() : "";
}

OSStatus AudioComponentGetVersion(AudioComponent component, UInt32* out) {
  if (!component || !out) return kAudio_ParamError;
  *out = component->version;
  return noErr;
}

OSStatus AudioComponentInstanceNew(AudioComponent component, AudioComponentInstance* out) {
  if (!component || !out) return kAudio_ParamError;
  *out = nullptr;
  ComponentInstanceRecord* record = new ComponentInstanceRecord{component, nullptr};
  ComponentParameters p = NewCall(kComponentOpenSelect);
  p.instance = record;
  OSStatus err = component->entry(&p, nullptr);
  if (err == noErr && !record->storage) err = badComponentInstance;
  if (err != noErr) {
    delete record;
    return err;
  }
  *out = record;
  return noErr;
}

OSStatus AudioComponentInstanceDispose(AudioComponentInstance instance) {
  if (!instance) return badComponentInstance;
  ComponentParameters p = NewCall(kComponentCloseSelect);
  OSStatus err = Call(instance, p);
  delete instance;
  return err;
}

AudioComponent AudioComponentInstanceGetComponent(AudioComponentInstance instance) {
  return instance ? instance->component : nullptr;
}

void* GetComponentInstanceStorage(ComponentInstance instance) {
  return instance ? instance->storage : nullptr;
}

void SetComponentInstanceStorage(ComponentInstance instance, void* storage) {
  if (instance) instance->storage = storage;
}

// ---------------------------------------------------------------------------

OSStatus AudioUnitInitialize(AudioUnit unit) {
  ComponentParameters p = NewCall(kAudioUnitInitializeSelect);
  return Call(unit, p);
}

OSStatus AudioUnitUninitialize(AudioUnit unit) {
  ComponentParameters p = NewCall(kAudioUnitUninitializeSelect);
  return Call(unit, p);
}

OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                  AudioUnitElement element, UInt32* outDataSize,
                                  Boolean* outWritable) {
  ComponentParameters p = NewElementCall(kAudioUnitGetPropertyInfoSelect, scope, element);
  p.propertyID = id;
  p.ioDataSize = outDataSize;
  p.outWritable = outWritable;
  return Call(unit, p);
}

OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                              AudioUnitElement element, void* outData, UInt32* ioDataSize) {
  ComponentParameters p = NewElementCall(kAudioUnitGetPropertySelect, scope, element);
  p.propertyID = id;
  p.outData = outData;
  p.ioDataSize = ioDataSize;
  return Call(unit, p);
}

OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                              AudioUnitElement element, const void* inData, UInt32 inDataSize) {
  ComponentParameters p = NewElementCall(kAudioUnitSetPropertySelect, scope, element);
  p.propertyID = id;
  p.inData = inData;
  p.inDataSize = inDataSize;
  return Call(unit, p);
}

OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue* outValue) {
  ComponentParameters p = NewElementCall(kAudioUnitGetParameterSelect, scope, element);
  p.parameterID = id;
  p.outValue = outValue;
  return Call(unit, p);
}

OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue value,
                               UInt32 bufferOffsetInFrames) {
  ComponentParameters p = NewElementCall(kAudioUnitSetParameterSelect, scope, element);
  p.parameterID = id;
  p.value = value;
  p.bufferOffset = bufferOffsetInFrames;
  return Call(unit, p);
}

OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* ioActionFlags,
                         const AudioTimeStamp* inTimeStamp, UInt32 inOutputBusNumber,
                         UInt32 inNumberFrames, AudioBufferList* ioData) {
  ComponentParameters p = NewCall(kAudioUnitRenderSelect);
  p.ioActionFlags = ioActionFlags;
  p.timeStamp = inTimeStamp;
  p.busNumber = inOutputBusNumber;
  p.numberFrames = inNumberFrames;
  p.ioData = ioData;
  return Call(unit, p);
}

OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope scope, AudioUnitElement element) {
  ComponentParameters p = NewElementCall(kAudioUnitResetSelect, scope, element);
  return Call(unit, p);
}

OSStatus MusicDeviceMIDIEvent(AudioUnit unit, UInt32 status, UInt32 data1, UInt32 data2,
                              UInt32 offsetSampleFrame) {
  ComponentParameters p = NewCall(kMusicDeviceMIDIEventSelect);
  p.status = status;
  p.data1 = data1;
  p.data2 = data2;
  p.offsetSampleFrame = offsetSampleFrame;
  return Call(unit, p);
}
