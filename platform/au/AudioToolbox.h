#pragma once
// Parameter changes with notification, and the listeners hosts and tests
// register to hear about them. Notifications are delivered synchronously on
// the thread that sends them.
//
// Two kinds of listener:
// - parameter listeners (AUListener...) hear AUParameterSet and
//   AUParameterListenerNotify for the parameters they added, with the value;
// - event listeners (AUEventListener...) hear AUEventListenerNotify for the
//   event types and parameters (or properties) they added: value changes and
//   the begin and end of a change gesture.
// So a change announced once through each call reaches each listener once.

#include "platform/au/AUComponent.h"

struct OpaqueAUListener;
typedef OpaqueAUListener* AUParameterListenerRef;
typedef AUParameterListenerRef AUEventListenerRef;

typedef void (*AUParameterListenerProc)(void* inRefCon, void* inObject,
                                        const AudioUnitParameter* inParameter,
                                        AudioUnitParameterValue inValue);
typedef void (*AUEventListenerProc)(void* inCallbackRefCon, void* inObject,
                                    const AudioUnitEvent* inEvent, UInt64 inEventHostTime,
                                    AudioUnitParameterValue inParameterValue);

OSStatus AUListenerCreate(AUParameterListenerProc proc, void* refCon,
                          AUParameterListenerRef* outListener);
OSStatus AUEventListenerCreate(AUEventListenerProc proc, void* refCon,
                               AUEventListenerRef* outListener);
// Removes every registration of the listener and frees it.
OSStatus AUListenerDispose(AUParameterListenerRef listener);

// object is handed back to the listener's procedure with each notification.
OSStatus AUListenerAddParameter(AUParameterListenerRef listener, void* object,
                                const AudioUnitParameter* parameter);
OSStatus AUListenerRemoveParameter(AUParameterListenerRef listener, void* object,
                                   const AudioUnitParameter* parameter);
OSStatus AUEventListenerAddEventType(AUEventListenerRef listener, void* object,
                                     const AudioUnitEvent* event);
OSStatus AUEventListenerRemoveEventType(AUEventListenerRef listener, void* object,
                                        const AudioUnitEvent* event);

// Sets the parameter on its unit (AudioUnitSetParameter) and, when that
// succeeds, notifies the parameter listeners with the new value. The sending
// listener (with the sending object, or any object when that is null) is left out.
OSStatus AUParameterSet(AUParameterListenerRef sendingListener, void* sendingObject,
                        const AudioUnitParameter* parameter, AudioUnitParameterValue value,
                        UInt32 bufferOffsetInFrames);
// Notifies the parameter listeners with the parameter's current value.
OSStatus AUParameterListenerNotify(AUParameterListenerRef sendingListener, void* sendingObject,
                                   const AudioUnitParameter* parameter);
// Notifies the event listeners registered for the event's type and target.
OSStatus AUEventListenerNotify(AUEventListenerRef sendingListener, void* sendingObject,
                               const AudioUnitEvent* event);
