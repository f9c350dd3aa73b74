#pragma once
// The C face of a VST 2.x effect: the AEffect record that a host holds, the
// opcodes it sends through the record's dispatcher, and the host callback
// (audioMaster) with the opcodes the effect sends back. Numbers the host side
// and the plug-in side of this project both rely on are fixed here.

#include "platform/vst/VstTypes.h"

struct AEffect;

// Host callback: effect, opcode, index, value, pointer, float argument.
typedef VstIntPtr (*audioMasterCallback)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                         VstIntPtr value, void* ptr, float opt);

typedef VstIntPtr (*AEffectDispatcherProc)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                           VstIntPtr value, void* ptr, float opt);
typedef void (*AEffectProcessProc)(AEffect* effect, float** inputs, float** outputs,
                                   VstInt32 sampleFrames);
typedef void (*AEffectSetParameterProc)(AEffect* effect, VstInt32 index, float parameter);
typedef float (*AEffectGetParameterProc)(AEffect* effect, VstInt32 index);

// 'VstP': every valid AEffect carries it in its magic field.
const VstInt32 kEffectMagic = ('V' << 24) | ('s' << 16) | ('t' << 8) | 'P';

enum VstAEffectFlags {
  effFlagsHasEditor = 1 << 0,
  effFlagsCanReplacing = 1 << 4,
  effFlagsProgramChunks = 1 << 5,
  effFlagsIsSynth = 1 << 8,
  effFlagsNoSoundInStop = 1 << 9,
};

struct AEffect {
  VstInt32 magic;  // kEffectMagic

  AEffectDispatcherProc dispatcher;
  AEffectProcessProc process;  // accumulating process; unused by this project
  AEffectSetParameterProc setParameter;
  AEffectGetParameterProc getParameter;

  VstInt32 numPrograms;
  VstInt32 numParams;
  VstInt32 numInputs;
  VstInt32 numOutputs;
  VstInt32 flags;  // VstAEffectFlags

  VstInt32 initialDelay;  // latency in samples
  void* object;           // the AudioEffect behind this record
  void* user;             // free for the host's own use
  VstInt32 uniqueID;
  VstInt32 version;

  AEffectProcessProc processReplacing;  // block render that overwrites outputs
};

// Opcodes the host sends through AEffect::dispatcher.
enum AEffectOpcodes {
  effOpen = 0,
  effClose = 1,
  effSetProgram = 2,
  effGetProgram = 3,
  effSetProgramName = 4,
  effGetProgramName = 5,
  effGetParamLabel = 6,
  effGetParamDisplay = 7,
  effGetParamName = 8,
  effSetSampleRate = 10,  // opt: the rate
  effSetBlockSize = 11,   // value: the block size
  effMainsChanged = 12,   // value: 0 off (suspend), 1 on (resume)
  effEditGetRect = 13,    // ptr: ERect** to fill
  effEditOpen = 14,       // ptr: the parent window
  effEditClose = 15,
  effEditIdle = 19,
  effGetChunk = 23,  // ptr: void** to fill; index: 1 for a single program; returns the size
  effSetChunk = 24,  // ptr: the data; value: its size; index: 1 for a single program
  effProcessEvents = 25,  // ptr: VstEvents*
  effCanBeAutomated = 26,
  effGetProgramNameIndexed = 29,  // index: program; value: category; ptr: text
  effGetInputProperties = 33,     // index: pin; ptr: VstPinProperties*
  effGetOutputProperties = 34,
  effGetPlugCategory = 35,
  effGetEffectName = 45,
  effGetVendorString = 47,
  effGetProductString = 48,
  effGetVendorVersion = 49,
  effCanDo = 51,  // ptr: the capability text; answers 1 yes, -1 no, 0 unknown
  effGetVstVersion = 58,
  effGetNumMidiInputChannels = 78,
  effGetNumMidiOutputChannels = 79,
};

// Opcodes the effect sends through its host callback.
enum AudioMasterOpcodes {
  audioMasterAutomate = 0,  // index: parameter; opt: new value
  audioMasterVersion = 1,
  audioMasterCurrentId = 2,
  audioMasterIdle = 3,
  audioMasterWantMidi = 6,  // value: filter
  audioMasterGetTime = 7,   // value: VstTimeInfoFlags filter; answers VstTimeInfo*
  audioMasterProcessEvents = 8,
  audioMasterIOChanged = 13,
  audioMasterSizeWindow = 15,
  audioMasterGetSampleRate = 16,
  audioMasterGetBlockSize = 17,
  audioMasterCanDo = 37,  // ptr: the capability text
  audioMasterUpdateDisplay = 42,
  audioMasterBeginEdit = 43,  // index: parameter
  audioMasterEndEdit = 44,    // index: parameter
};

// Version this interface reports as its own (effGetVstVersion).
const VstInt32 kVstVersion = 2400;
