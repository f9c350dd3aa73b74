#include "platform/au/AUMIDIBase.h"

OSStatus AUMIDIBase::MIDIEvent(UInt32 inStatus, UInt32 inData1, UInt32 inData2,
                               UInt32 inOffsetSampleFrame) {
  UInt8 status = static_cast<UInt8>(inStatus & 0xF0);
  UInt8 channel = static_cast<UInt8>(inStatus & 0x0F);
  return HandleMidiEvent(status, channel, static_cast<UInt8>(inData1 & 0x7F),
                         static_cast<UInt8>(inData2 & 0x7F), inOffsetSampleFrame);
}

OSStatus AUMIDIBase::HandleMidiEvent(UInt8 status, UInt8 channel, UInt8 data1, UInt8 data2,
                                     UInt32 inStartFrame) {
  if (!mAUBaseInstance || !mAUBaseInstance->IsInitialized()) return kAudioUnitErr_Uninitialized;
  switch (status) {
    case 0x90:
      if (data2)
        return HandleNoteOn(channel, data1, data2, inStartFrame);
      return HandleNoteOff(channel, data1, 0, inStartFrame);
    case 0x80:
      return HandleNoteOff(channel, data1, data2, inStartFrame);
    case 0xA0:
      HandlePolyPressure(channel, data1, data2, inStartFrame);
      return noErr;
    case 0xB0:
      HandleControlChange(channel, data1, data2, inStartFrame);
      return noErr;
    case 0xC0:
      HandleProgramChange(channel, data1);
      return noErr;
    case 0xD0:
      HandleChannelPressure(channel, data1, inStartFrame);
      return noErr;
    case 0xE0:
      HandlePitchWheel(channel, data1, data2, inStartFrame);
      return noErr;
    default:
      return noErr;
  }
}
