#include "platform/au/AudioToolbox.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/au/HostTime.h"

struct OpaqueAUListener {
  bool isEvent;
  AUParameterListenerProc paramProc;
  AUEventListenerProc eventProc;
  void* refCon;
};

namespace {

struct REGISTRATION {
  OpaqueAUListener* listener;
  void* object;
  AudioUnitEvent event;  // for parameter listeners: type value change with the parameter
};

struct DELIVERY {
  OpaqueAUListener listener;  // copied, so a dispose during delivery frees nothing in use
  void* object;
};

std::mutex& Lock() {
  static std::mutex lock;
  return lock;
}

std::vector<REGISTRATION>& Registrations() {
  static std::vector<REGISTRATION>* list = new std::vector<REGISTRATION>;
  return *list;
}

std::vector<OpaqueAUListener*>& Listeners() {
  static std::vector<OpaqueAUListener*>* list = new std::vector<OpaqueAUListener*>;
  return *list;
}

bool SameParameter(const AudioUnitParameter& a, const AudioUnitParameter& b) {
  return a.mAudioUnit == b.mAudioUnit && a.mParameterID == b.mParameterID &&
         a.mScope == b.mScope && a.mElement == b.mElement;
}

bool SameProperty(const AudioUnitProperty& a, const AudioUnitProperty& b) {
  return a.mAudioUnit == b.mAudioUnit && a.mPropertyID == b.mPropertyID && a.mScope == b.mScope &&
         a.mElement == b.mElement;
}

bool SameTarget(const AudioUnitEvent& a, const AudioUnitEvent& b) {
  if (a.mEventType != b.mEventType) return false;
  if (a.mEventType == kAudioUnitEvent_PropertyChange)
    return SameProperty(a.mArgument.mProperty, b.mArgument.mProperty);
  return SameParameter(a.mArgument.mParameter, b.mArgument.mParameter);
}

bool IsKnownListener(OpaqueAUListener* listener) {
  auto& all = Listeners();
  return std::find(all.begin(), all.end(), listener) != all.end();
}

AudioUnitEvent ValueChangeOf(const AudioUnitParameter& parameter) {
  AudioUnitEvent event;
  event.mEventType = kAudioUnitEvent_ParameterValueChange;
  event.mArgument.mParameter = parameter;
  return event;
}

// The listeners of the given kind registered for the event, less the sender.
std::vector<DELIVERY> Collect(bool events, const AudioUnitEvent& event,
                              OpaqueAUListener* sendingListener, void* sendingObject) {
  std::vector<DELIVERY> out;
  std::lock_guard<std::mutex> guard(Lock());
  for (const REGISTRATION& r : Registrations()) {
    if (r.listener->isEvent != events || !SameTarget(r.event, event)) continue;
    if (sendingListener && r.listener == sendingListener &&
        (!sendingObject || r.object == sendingObject))
      continue;
    out.push_back({*r.listener, r.object});
  }
  return out;
}

void DeliverValue(const AudioUnitParameter& parameter, AudioUnitParameterValue value,
                  OpaqueAUListener* sendingListener, void* sendingObject) {
  for (const DELIVERY& d : Collect(false, ValueChangeOf(parameter), sendingListener, sendingObject))
    d.listener.paramProc(d.listener.refCon, d.object, &parameter, value);
}

OSStatus Create(OpaqueAUListener* listener, OpaqueAUListener** out) {
  std::lock_guard<std::mutex> guard(Lock());
  Listeners().push_back(listener);
  *out = listener;
  return noErr;
}

OSStatus Register(OpaqueAUListener* listener, void* object, const AudioUnitEvent& event) {
  std::lock_guard<std::mutex> guard(Lock());
  if (!IsKnownListener(listener)) return kAudio_ParamError;
  for (const REGISTRATION& r : Registrations())
    if (r.listener == listener && r.object == object && SameTarget(r.event, event)) return noErr;
  Registrations().push_back({listener, object, event});
  return noErr;
}

OSStatus Unregister(OpaqueAUListener* listener, void* object, const AudioUnitEvent& event) {
  std::lock_guard<std::mutex> guard(Lock());
  if (!IsKnownListener(listener)) return kAudio_ParamError;
  auto& regs = Registrations();
  regs.erase(std::remove_if(regs.begin(), regs.end(),
                            [&](const REGISTRATION& r) {
                              return r.listener == listener && r.object == object &&
                                     SameTarget(r.event, event);
                            }),
             regs.end());
  return noErr;
}

}  // namespace

OSStatus AUListenerCreate(AUParameterListenerProc proc, void* refCon,
                          AUParameterListenerRef* outListener) {
  if (!proc || !outListener) return kAudio_ParamError;
  return Create(new OpaqueAUListener{false, proc, nullptr, refCon}, outListener);
}

OSStatus AUEventListenerCreate(AUEventListenerProc proc, void* refCon,
                               AUEventListenerRef* outListener) {
  if (!proc || !outListener) return kAudio_ParamError;
  return Create(new OpaqueAUListener{true, nullptr, proc, refCon}, outListener);
}

OSStatus AUListenerDispose(AUParameterListenerRef listener) {
  std::lock_guard<std::mutex> guard(Lock());
  auto& all = Listeners();
  auto it = std::find(all.begin(), all.end(), listener);
  if (it == all.end()) return kAudio_ParamError;
  all.erase(it);
  auto& regs = Registrations();
  regs.erase(std::remove_if(regs.begin(), regs.end(),
                            [&](const REGISTRATION& r) { return r.listener == listener; }),
             regs.end());
  delete listener;
  return noErr;
}

OSStatus AUListenerAddParameter(AUParameterListenerRef listener, void* object,
                                const AudioUnitParameter* parameter) {
  if (!listener || !parameter || listener->isEvent) return kAudio_ParamError;
  return Register(listener, object, ValueChangeOf(*parameter));
}

OSStatus AUListenerRemoveParameter(AUParameterListenerRef listener, void* object,
                                   const AudioUnitParameter* parameter) {
  if (!listener || !parameter || listener->isEvent) return kAudio_ParamError;
  return Unregister(listener, object, ValueChangeOf(*parameter));
}

OSStatus AUEventListenerAddEventType(AUEventListenerRef listener, void* object,
                                     const AudioUnitEvent* event) {
  if (!listener || !event || !listener->isEvent) return kAudio_ParamError;
  if (event->mEventType > kAudioUnitEvent_PropertyChange) return kAudio_ParamError;
  return Register(listener, object, *event);
}

OSStatus AUEventListenerRemoveEventType(AUEventListenerRef listener, void* object,
                                        const AudioUnitEvent* event) {
  if (!listener || !event || !listener->isEvent) return kAudio_ParamError;
  return Unregister(listener, object, *event);
}

OSStatus AUParameterSet(AUParameterListenerRef sendingListener, void* sendingObject,
                        const AudioUnitParameter* parameter, AudioUnitParameterValue value,
                        UInt32 bufferOffsetInFrames) {
  if (!parameter) return kAudio_ParamError;
  OSStatus err = AudioUnitSetParameter(parameter->mAudioUnit, parameter->mParameterID,
                                       parameter->mScope, parameter->mElement, value,
                                       bufferOffsetInFrames);
  if (err != noErr) return err;
  DeliverValue(*parameter, value, sendingListener, sendingObject);
  return noErr;
}

OSStatus AUParameterListenerNotify(AUParameterListenerRef sendingListener, void* sendingObject,
                                   const AudioUnitParameter* parameter) {
  if (!parameter) return kAudio_ParamError;
  AudioUnitParameterValue value = 0.0f;
  OSStatus err = AudioUnitGetParameter(parameter->mAudioUnit, parameter->mParameterID,
                                       parameter->mScope, parameter->mElement, &value);
  if (err != noErr) return err;
  DeliverValue(*parameter, value, sendingListener, sendingObject);
  return noErr;
}

OSStatus AUEventListenerNotify(AUEventListenerRef sendingListener, void* sendingObject,
                               const AudioUnitEvent* event) {
  if (!event) return kAudio_ParamError;
  AudioUnitParameterValue value = 0.0f;
  if (event->mEventType == kAudioUnitEvent_ParameterValueChange) {
    const AudioUnitParameter& p = event->mArgument.mParameter;
    AudioUnitGetParameter(p.mAudioUnit, p.mParameterID, p.mScope, p.mElement, &value);
  }
  UInt64 now = mach_absolute_time();
  for (const DELIVERY& d : Collect(true, *event, sendingListener, sendingObject))
    d.listener.eventProc(d.listener.refCon, d.object, event, now, value);
  return noErr;
}
