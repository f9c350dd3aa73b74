#pragma once
// Base of an instrument unit: an AUBase that also takes MIDI and the
// instrument and note calls of a music device.

#include "platform/au/AUMIDIBase.h"

class MusicDeviceBase : public AUBase, public AUMIDIBase {
 public:
  MusicDeviceBase(AudioComponentInstance instance, UInt32 numInputs, UInt32 numOutputs,
                  UInt32 numGroups = 0, UInt32 numParts = 0);

  // Property kMusicDeviceProperty_InstrumentCount (global): 0 instruments.
  OSStatus GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                           UInt32& outDataSize, Boolean& outWritable) override;
  OSStatus GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                       void* outData) override;

  virtual OSStatus PrepareInstrument(MusicDeviceInstrumentID instrument) { return noErr; }
  virtual OSStatus ReleaseInstrument(MusicDeviceInstrumentID instrument) { return noErr; }
  virtual OSStatus StartNote(MusicDeviceInstrumentID instrument, MusicDeviceGroupID groupID,
                             NoteInstanceID* outNoteInstanceID, UInt32 inOffsetSampleFrame,
                             const MusicDeviceNoteParams& inParams) { return noErr; }
  virtual OSStatus StopNote(MusicDeviceGroupID groupID, NoteInstanceID inNoteInstanceID,
                            UInt32 inOffsetSampleFrame) { return noErr; }

  OSStatus ComponentEntryDispatch(ComponentParameters* params) override;
};
