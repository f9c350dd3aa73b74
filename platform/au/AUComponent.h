#pragma once
// Component plumbing: a unit is reached through one entry function that
// receives every call as a ComponentParameters record. Hosts register entry
// functions under a description, create instances and call them through the
// AudioUnit... functions below; ComponentEntryPoint<T> is the entry body that
// constructs a T on open, deletes it on close and hands everything else to it.

#include <new>

#include "platform/au/AUTypes.h"

// Call selectors.
enum : SInt16 {
  kComponentOpenSelect = -1,
  kComponentCloseSelect = -2,
  kComponentVersionSelect = -4,
  kAudioUnitInitializeSelect = 1,
  kAudioUnitUninitializeSelect = 2,
  kAudioUnitGetPropertyInfoSelect = 3,
  kAudioUnitGetPropertySelect = 4,
  kAudioUnitSetPropertySelect = 5,
  kAudioUnitGetParameterSelect = 6,
  kAudioUnitSetParameterSelect = 7,
  kAudioUnitResetSelect = 9,
  kAudioUnitRenderSelect = 14,
  kMusicDeviceMIDIEventSelect = 0x0101,
};

// One call: the selector and the arguments it uses.
struct ComponentParameters {
  SInt16 what;
  ComponentInstance instance;  // the instance being opened (open only)

  AudioUnitPropertyID propertyID;
  AudioUnitScope scope;
  AudioUnitElement element;
  const void* inData;
  void* outData;
  UInt32 inDataSize;
  UInt32* ioDataSize;
  Boolean* outWritable;

  AudioUnitParameterID parameterID;
  AudioUnitParameterValue value;
  AudioUnitParameterValue* outValue;
  UInt32 bufferOffset;

  AudioUnitRenderActionFlags* ioActionFlags;
  const AudioTimeStamp* timeStamp;
  UInt32 busNumber;
  UInt32 numberFrames;
  AudioBufferList* ioData;

  UInt32 status;
  UInt32 data1;
  UInt32 data2;
  UInt32 offsetSampleFrame;
};

// The entry a component exports; storage is what open stored (null before).
typedef OSStatus (*AudioComponentEntryProc)(ComponentParameters* params, void* storage);

struct OpaqueAudioComponent;
typedef OpaqueAudioComponent* AudioComponent;

// Registers an entry; registering the same entry and description again
// answers the earlier registration. Registrations live as long as the process.
AudioComponent AudioComponentRegister(const AudioComponentDescription* desc, const char* name,
                                      UInt32 version, AudioComponentEntryProc entry);
// The next registration after `after` (null: the first) whose fields match
// desc; zero fields of desc match anything.
AudioComponent AudioComponentFindNext(AudioComponent after, const AudioComponentDescription* desc);
OSStatus AudioComponentGetDescription(AudioComponent component, AudioComponentDescription* out);
// The registered name, "" for none.
const char* AudioComponentGetName(AudioComponent component);
OSStatus AudioComponentGetVersion(AudioComponent component, UInt32* out);

OSStatus AudioComponentInstanceNew(AudioComponent component, AudioComponentInstance* out);
OSStatus AudioComponentInstanceDispose(AudioComponentInstance instance);
AudioComponent AudioComponentInstanceGetComponent(AudioComponentInstance instance);

void* GetComponentInstanceStorage(ComponentInstance instance);
void SetComponentInstanceStorage(ComponentInstance instance, void* storage);

// Host calls on an instance.
OSStatus AudioUnitInitialize(AudioUnit unit);
OSStatus AudioUnitUninitialize(AudioUnit unit);
OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                  AudioUnitElement element, UInt32* outDataSize,
                                  Boolean* outWritable);
// *ioDataSize holds the buffer's size and receives the property's size; a
// buffer smaller than the property is refused with kAudio_ParamError.
OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                              AudioUnitElement element, void* outData, UInt32* ioDataSize);
OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                              AudioUnitElement element, const void* inData, UInt32 inDataSize);
OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue* outValue);
OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue value,
                               UInt32 bufferOffsetInFrames);
OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* ioActionFlags,
                         const AudioTimeStamp* inTimeStamp, UInt32 inOutputBusNumber,
                         UInt32 inNumberFrames, AudioBufferList* ioData);
OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope scope, AudioUnitElement element);
OSStatus MusicDeviceMIDIEvent(AudioUnit unit, UInt32 status, UInt32 data1, UInt32 data2,
                              UInt32 offsetSampleFrame);

// Base of every component object.
class ComponentBase {
 public:
  explicit ComponentBase(AudioComponentInstance instance) : mComponentInstance(instance) {}
  virtual ~ComponentBase() {}
  ComponentBase(const ComponentBase&) = delete;
  ComponentBase& operator=(const ComponentBase&) = delete;

  // Runs once right after construction, before any other call.
  virtual void PostConstructor() {}
  virtual OSStatus Version() { return 0; }
  // Handles one call other than open and close.
  virtual OSStatus ComponentEntryDispatch(ComponentParameters* params);

  AudioComponentInstance GetComponentInstance() const { return mComponentInstance; }
  // The description the component was registered with; zero when unregistered.
  AudioComponentDescription GetComponentDescription() const;

 protected:
  AudioComponentInstance mComponentInstance;
};

template <class T>
class ComponentEntryPoint {
 public:
  static OSStatus Dispatch(ComponentParameters* params, void* storage) {
    if (!params) return kAudio_ParamError;
    if (params->what == kComponentOpenSelect) {
      if (storage || !params->instance) return badComponentInstance;
      T* object = new (std::nothrow) T(params->instance);
      if (!object) return memFullErr;
      ComponentBase* base = object;
      base->PostConstructor();
      SetComponentInstanceStorage(params->instance, base);
      return noErr;
    }
    ComponentBase* base = static_cast<ComponentBase*>(storage);
    if (!base) return badComponentInstance;
    if (params->what == kComponentCloseSelect) {
      delete base;
      return noErr;
    }
    return base->ComponentEntryDispatch(params);
  }
};
