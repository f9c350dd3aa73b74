#pragma once
// The component entry of the instrument's Audio Unit.
//
// A host reaches the unit only through CAUSynthEntry, in three steps:
//
//   1. Register the entry once per process, with the description below:
//        AudioComponent c = CAUSynthRegister();
//      (the same as AudioComponentRegister(&desc, AUSYNTH_COMPONENT_NAME,
//      AUSYNTH_COMPONENT_VERSION, CAUSynthEntry) with desc = type 'aumu',
//      subtype 'MrVn', manufacturer 'TRVL'; registering again answers the
//      same component).
//   2. Create instances: AudioComponentInstanceNew(c, &unit). The open call
//      constructs a CAUSynth, which creates and opens the VST instrument
//      (block size 1024, 44100 Hz). It fails only when memory runs out.
//   3. Drive the instance with the AudioUnit... calls: set the stream format
//      (32-bit float, packed, non-interleaved, one or two channels) and the
//      maximum frames per slice, AudioUnitInitialize, MusicDeviceMIDIEvent
//      for MIDI, AudioUnitRender with a two-buffer list for audio, parameters
//      0..332 (values 0..1) in the global scope, and
//      kAudioUnitProperty_ClassInfo to save or restore the state. Dispose of
//      the instance with AudioComponentInstanceDispose.
//
// The entry itself takes every call as a ComponentParameters record and the
// instance's storage (null before the open call), as AudioComponentEntryProc
// gives them, and answers the call's result code.

#include "host/au/AUSynth.h"
#include "platform/au/AUComponent.h"

// Name the component registers with.
extern const char* const AUSYNTH_COMPONENT_NAME;

// The one symbol the instrument's bundle exports.
extern "C" __attribute__((visibility("default"))) OSStatus CAUSynthEntry(ComponentParameters* params,
                                                                        void* storage);

// Registers CAUSynthEntry under the unit's description and version; answers
// the component (null only when registration fails).
AudioComponent CAUSynthRegister();

// The description the unit registers with.
AudioComponentDescription CAUSynthDescription();
