#pragma once
// Plain records and constants of the VST 2.x plug-in interface, as our
// instrument object and our hosts (the Audio Unit wrapper, the command-line
// host, the tests) exchange them. Written for this project; the layouts are
// ours, the field names follow the interface's vocabulary.

#include <cstdint>

typedef int16_t VstInt16;
typedef int32_t VstInt32;
typedef int64_t VstInt64;
typedef intptr_t VstIntPtr;

// Largest string each answer may write, not counting the terminating zero:
// the caller's buffer always holds one byte more.
enum VstStringLimits {
  kVstMaxProgNameLen = 24,
  kVstMaxParamStrLen = 8,
  kVstMaxVendorStrLen = 64,
  kVstMaxProductStrLen = 64,
  kVstMaxEffectNameLen = 32,
  kVstMaxNameLen = 64,
  kVstMaxLabelLen = 64,
  kVstMaxShortLabelLen = 8,
};

// Editor rectangle in pixels.
struct ERect {
  VstInt16 top;
  VstInt16 left;
  VstInt16 bottom;
  VstInt16 right;
};

// A key press handed to the editor.
struct VstKeyCode {
  VstInt32 character;
  unsigned char virt;
  unsigned char modifier;
};

// ---------------------------------------------------------------------------
// Events

enum VstEventTypes {
  kVstMidiType = 1,
  kVstSysExType = 6,
};

// Generic event header; every event record starts with these four words.
struct VstEvent {
  VstInt32 type;
  VstInt32 byteSize;     // size of the record after these first two words
  VstInt32 deltaFrames;  // frame offset inside the current block
  VstInt32 flags;
  char data[16];
};

enum VstMidiEventFlags {
  kVstMidiEventIsRealtime = 1 << 0,
};

// One short MIDI message (type kVstMidiType); 32 bytes.
struct VstMidiEvent {
  VstInt32 type;
  VstInt32 byteSize;
  VstInt32 deltaFrames;
  VstInt32 flags;
  VstInt32 noteLength;
  VstInt32 noteOffset;
  char midiData[4];  // status (with channel), data 1, data 2, unused
  char detune;
  char noteOffVelocity;
  char reserved1;
  char reserved2;
};

// A list of events for one block. The array is declared with two entries but
// holds numEvents; VstEventsBlock below gives a fixed-capacity form.
struct VstEvents {
  VstInt32 numEvents;
  VstIntPtr reserved;
  VstEvent* events[2];
};

// A VstEvents record with room for N event pointers, for senders that build
// the list on the stack.
template <int N>
struct VstEventsBlock {
  VstInt32 numEvents;
  VstIntPtr reserved;
  VstEvent* events[N < 2 ? 2 : N];

  VstEvents* get() { return reinterpret_cast<VstEvents*>(this); }
};

// ---------------------------------------------------------------------------
// Time information

enum VstTimeInfoFlags {
  kVstTransportChanged = 1,
  kVstTransportPlaying = 1 << 1,
  kVstTransportCycleActive = 1 << 2,
  kVstTransportRecording = 1 << 3,
  kVstAutomationWriting = 1 << 6,
  kVstAutomationReading = 1 << 7,
  kVstNanosValid = 1 << 8,
  kVstPpqPosValid = 1 << 9,
  kVstTempoValid = 1 << 10,
  kVstBarsValid = 1 << 11,
  kVstCyclePosValid = 1 << 12,
  kVstTimeSigValid = 1 << 13,
  kVstSmpteValid = 1 << 14,
  kVstClockValid = 1 << 15,
};

struct VstTimeInfo {
  double samplePos;        // current position in samples
  double sampleRate;
  double nanoSeconds;      // system time
  double ppqPos;           // musical position in quarter notes
  double tempo;            // beats per minute
  double barStartPos;      // quarter-note position of the last bar start
  double cycleStartPos;    // quarter-note positions of the cycle
  double cycleEndPos;
  VstInt32 timeSigNumerator;
  VstInt32 timeSigDenominator;
  VstInt32 smpteOffset;
  VstInt32 smpteFrameRate;
  VstInt32 samplesToNextClock;  // MIDI clock (24 per quarter note) distance
  VstInt32 flags;               // VstTimeInfoFlags
};

// ---------------------------------------------------------------------------
// Pins and categories

enum VstPinPropertiesFlags {
  kVstPinIsActive = 1 << 0,
  kVstPinIsStereo = 1 << 1,
  kVstPinUseSpeaker = 1 << 2,
};

struct VstPinProperties {
  char label[kVstMaxLabelLen];
  VstInt32 flags;  // VstPinPropertiesFlags
  VstInt32 arrangementType;
  char shortLabel[kVstMaxShortLabelLen];
  char future[48];
};

enum VstPlugCategory {
  kPlugCategUnknown = 0,
  kPlugCategEffect,
  kPlugCategSynth,
  kPlugCategAnalysis,
  kPlugCategMastering,
  kPlugCategSpacializer,
  kPlugCategRoomFx,
  kPlugSurroundFx,
  kPlugCategRestoration,
  kPlugCategOfflineProcess,
  kPlugCategShell,
  kPlugCategGenerator,
  kPlugCategMaxCount
};
