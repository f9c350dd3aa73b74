#include "platform/au/MusicDeviceBase.h"

#include <cstring>

MusicDeviceBase::MusicDeviceBase(AudioComponentInstance instance, UInt32 numInputs,
                                 UInt32 numOutputs, UInt32 numGroups, UInt32 /*numParts*/)
    : AUBase(instance, numInputs, numOutputs, numGroups), AUMIDIBase(this) {}

OSStatus MusicDeviceBase::GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope,
                                          AudioUnitElement element, UInt32& outDataSize,
                                          Boolean& outWritable) {
  if (id == kMusicDeviceProperty_InstrumentCount && scope == kAudioUnitScope_Global) {
    outDataSize = sizeof(UInt32);
    outWritable = false;
    return noErr;
  }
  return AUBase::GetPropertyInfo(id, scope, element, outDataSize, outWritable);
}

OSStatus MusicDeviceBase::GetProperty(AudioUnitPropertyID id, AudioUnitScope scope,
                                      AudioUnitElement element, void* outData) {
  if (id == kMusicDeviceProperty_InstrumentCount && scope == kAudioUnitScope_Global) {
    UInt32 count = 0;
    memcpy(outData, &count, sizeof(count));
    return noErr;
  }
  return AUBase::GetProperty(id, scope, element, outData);
}

OSStatus MusicDeviceBase::ComponentEntryDispatch(ComponentParameters* params) {
  if (params->what == kMusicDeviceMIDIEventSelect)
    return MIDIEvent(params->status, params->data1, params->data2, params->offsetSampleFrame);
  return AUBase::ComponentEntryDispatch(params);
}
