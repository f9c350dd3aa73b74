#pragma once
// MIDI input of a unit: splits each short message into status and channel and
// hands it to HandleMidiEvent, whose default dispatches to the per-message
// handlers (all empty here).

#include "platform/au/AUBase.h"

class AUMIDIBase {
 public:
  explicit AUMIDIBase(AUBase* base) : mAUBaseInstance(base) {}
  virtual ~AUMIDIBase() {}

  // One short message as the host sends it (status byte with channel).
  OSStatus MIDIEvent(UInt32 inStatus, UInt32 inData1, UInt32 inData2,
                     UInt32 inOffsetSampleFrame);

  // status: the status byte without channel (0x80..0xF0); channel 0..15.
  // Default: kAudioUnitErr_Uninitialized before the unit is initialized; else
  // note on (velocity 0 counts as note off), note off, controller, pitch
  // wheel, channel and key pressure and program change reach their handlers.
  virtual OSStatus HandleMidiEvent(UInt8 status, UInt8 channel, UInt8 data1, UInt8 data2,
                                   UInt32 inStartFrame);

  virtual OSStatus HandleNoteOn(UInt8 channel, UInt8 noteNumber, UInt8 velocity,
                                UInt32 inStartFrame) { return noErr; }
  virtual OSStatus HandleNoteOff(UInt8 channel, UInt8 noteNumber, UInt8 velocity,
                                 UInt32 inStartFrame) { return noErr; }
  virtual void HandleControlChange(UInt8 channel, UInt8 controller, UInt8 value,
                                   UInt32 inStartFrame) {}
  virtual void HandlePitchWheel(UInt8 channel, UInt8 pitch1, UInt8 pitch2, UInt32 inStartFrame) {}
  virtual void HandleChannelPressure(UInt8 channel, UInt8 value, UInt32 inStartFrame) {}
  virtual void HandlePolyPressure(UInt8 channel, UInt8 key, UInt8 value, UInt32 inStartFrame) {}
  virtual void HandleProgramChange(UInt8 channel, UInt8 program) {}

 protected:
  AUBase* mAUBaseInstance;
};
