#pragma once
// The unit's private properties (global scope), for hosts that know this
// instrument: a host includes this header as it would a plug-in vendor's.

#include "platform/au/AUTypes.h"

enum : AudioUnitPropertyID {
  // The address of the unit's CAUSynth object (read-only), for the unit's
  // own editor view, which lives in the same binary.
  kAUSynthProperty_Instance = 64000,
  // A UInt32 seed for the unit's random generator (write-only): from the
  // next render on, the unit's random draws (free oscillator phases, LFO
  // seeds, random arpeggio order, grains) repeat for the same seed and the
  // same input, whatever other units do in the process.
  kAUSynthProperty_RandomSeed = 64001,
  // Preset files (".p"), read and written by the instrument's own
  // preset-file code as its editor does. Set with an AUSynthPresetFileLoad
  // record: loads the whole preset in the file (a module preset, a wavetable
  // or a damaged file is refused, with a message, and changes nothing). Get:
  // a new CFDataRef (for the caller to release) holding the bytes of a preset
  // file of the unit's current sound.
  kAUSynthProperty_PresetFile = 64002,
  // Shows a page and an overlay of the unit's open editor: set with an
  // AUSynthEditorPage record, on the thread that drives the editor's view.
  kAUSynthProperty_EditorPage = 64003,
};

struct AUSynthPresetFileLoad {
  const char* inPath;
  char* outMessage;       // why the file was refused (may be null)
  UInt32 inMessageSize;   // bytes at outMessage
};

// Pages and overlays of kAUSynthProperty_EditorPage; -1 leaves them as
// they are.
enum : SInt32 { kAUSynthEditorPage_Arp = 0, kAUSynthEditorPage_Mod = 1, kAUSynthEditorPage_FX = 2 };
enum : SInt32 {
  kAUSynthEditorOverlay_Browser = 0,
  kAUSynthEditorOverlay_WaveTable = 1,
  kAUSynthEditorOverlay_Sample = 2,
  kAUSynthEditorOverlay_Recorder = 3,
};
struct AUSynthEditorPage {
  SInt32 page;
  SInt32 overlay;
};

// The component the unit registers as, for a host that loads its bundle.
const char* const AUSYNTH_REGISTERED_NAME = "Tarvelon: Morlavine";
const OSType AUSYNTH_COMPONENT_TYPE = kAudioUnitType_MusicDevice;
const OSType AUSYNTH_COMPONENT_SUBTYPE = FourCharCode("MrVn");
const OSType AUSYNTH_COMPONENT_MANUFACTURER = FourCharCode("TRVL");
const UInt32 AUSYNTH_COMPONENT_VERSION = 0x10401;
