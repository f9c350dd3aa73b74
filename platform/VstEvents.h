#pragma once
// Event records of the VST 2.x instrument interface that the MIDI input
// path reads: one MIDI message with its frame offset, and the host's list
// of events for a block.

#include <cstdint>

enum : int32_t {
  kVstMidiType = 1,
  kVstSysExType = 6,
};

// Common header of every event in a VstEvents list.
struct VstEvent {
  int32_t type;         // kVstMidiType, ...
  int32_t byteSize;     // size of the record after this field
  int32_t deltaFrames;  // sample offset within the current block
  int32_t flags;
  char data[16];
};

// One MIDI channel message.
struct VstMidiEvent {
  int32_t type;         // kVstMidiType
  int32_t byteSize;     // sizeof(VstMidiEvent)
  int32_t deltaFrames;  // sample offset within the current block
  int32_t flags;
  int32_t noteLength;   // 0 when unknown
  int32_t noteOffset;
  char midiData[4];     // status with channel, data1, data2, 0
  char detune;
  char noteOffVelocity;
  char reserved1;
  char reserved2;
};

// The host's events for one block.
struct VstEvents {
  int32_t numEvents;
  intptr_t reserved;
  VstEvent* events[2];  // numEvents pointers; the host allocates more
};
