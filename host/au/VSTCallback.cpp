#include "host/au/VSTCallback.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "host/au/AUSynth.h"
#include "platform/au/HostTime.h"

namespace {

// Version of the VST interface this host reports.
const VstIntPtr HOST_VST_VERSION = 2400;

// Capabilities this host answers yes to.
const char* const HOST_CAN_DO[] = {"sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo",
                                   "shellCategory", "supplyIdle"};

// MIDI clocks per quarter note.
const float CLOCKS_PER_BEAT = 24.0f;

// Truncates toward zero, clamped to the 32-bit range.
VstInt32 ToInt32(double x) {
  if (!(x > -2147483648.0)) return x != x ? 0 : INT32_MIN;
  if (!(x < 2147483647.0)) return INT32_MAX;
  return static_cast<VstInt32>(x);
}

bool HostCanDo(const void* ptr) {
  if (!ptr) return false;
  const char* text = static_cast<const char*>(ptr);
  for (const char* known : HOST_CAN_DO)
    if (strcmp(text, known) == 0) return true;
  return false;
}

}  // namespace

VstIntPtr VSTCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                      void* ptr, float opt) {
  CAUSynth* unit = effect ? static_cast<CAUSynth*>(effect->user) : nullptr;
  switch (opcode) {
    case audioMasterAutomate:
      if (unit && index >= 0) unit->OnParameterAutomated(static_cast<UInt32>(index), opt);
      return 0;
    case audioMasterVersion:
      return HOST_VST_VERSION;
    case audioMasterGetTime:
      return unit ? reinterpret_cast<VstIntPtr>(unit->OnGetTimeInfo()) : 0;
    case audioMasterCanDo:
      return HostCanDo(ptr) ? 1 : 0;
    case audioMasterBeginEdit:
      if (unit) unit->OnBeginEdit(index);
      return 0;
    case audioMasterEndEdit:
      if (unit) unit->OnEndEdit(index);
      return 0;
    default:
      return 0;
  }
}

// ---------------------------------------------------------------------------
// The unit's side of the callback

AudioUnitParameter CAUSynth::_ParameterRecord(UInt32 index) const {
  AudioUnitParameter parameter;
  memset(&parameter, 0, sizeof(parameter));
  parameter.mAudioUnit = mInstance;
  parameter.mParameterID = index;
  parameter.mScope = kAudioUnitScope_Global;
  parameter.mElement = 0;
  return parameter;
}

void CAUSynth::OnParameterAutomated(UInt32 index, float value) {
  if (!_IsParamIndex(index)) return;
  const AudioUnitParameter parameter = _ParameterRecord(index);
  // Through the Audio Unit interface: the unit's SetParameter sets the
  // instrument once more to the same value and stores it, and the parameter
  // listeners hear of it once.
  if (AUParameterSet(nullptr, nullptr, &parameter, value, 0) != noErr) {
    // An instance the interface cannot reach (a unit built without its
    // component): keep the unit's stored value in step at least.
    SetParameter(index, kAudioUnitScope_Global, 0, value, 0);
    return;
  }
  // The event listeners hear of it once too. AUParameterSet has already told
  // the parameter listeners, so they are not told a second time.
  AudioUnitEvent event;
  memset(&event, 0, sizeof(event));
  event.mEventType = kAudioUnitEvent_ParameterValueChange;
  event.mArgument.mParameter = parameter;
  AUEventListenerNotify(nullptr, nullptr, &event);
}

void CAUSynth::_SendGesture(AudioUnitEventType type, int index) {
  if (index < 0 || !_IsParamIndex(static_cast<UInt32>(index))) return;
  AudioUnitEvent event;
  memset(&event, 0, sizeof(event));
  event.mEventType = type;
  event.mArgument.mParameter = _ParameterRecord(static_cast<UInt32>(index));
  AUEventListenerNotify(nullptr, nullptr, &event);
}

// Edits come only from the instrument's editor, which is open only inside
// the unit's view, so a gesture is passed on whenever it names a parameter.
bool CAUSynth::OnBeginEdit(int index) {
  _SendGesture(kAudioUnitEvent_BeginParameterChangeGesture, index);
  return true;
}

bool CAUSynth::OnEndEdit(int index) {
  _SendGesture(kAudioUnitEvent_EndParameterChangeGesture, index);
  return true;
}

VstTimeInfo* CAUSynth::OnGetTimeInfo() {
  VstTimeInfo& info = mTimeInfo;
  info.flags = 0;
  info.sampleRate = GetStreamFormat(kAudioUnitScope_Output, 0).mSampleRate;

  CAHostTimeBase::Initialize();
  const double ticks = static_cast<double>(mach_absolute_time());
  info.nanoSeconds = static_cast<double>(static_cast<UInt64>(
      ticks / CAHostTimeBase::sToNanosDenominator * CAHostTimeBase::sToNanosNumerator));

  bool haveBeat = false;
  Float64 beat = 0.0;
  Float64 tempo = 0.0;
  if (CallHostBeatAndTempo(&beat, &tempo) == noErr) {
    haveBeat = true;
    info.ppqPos = beat;
    info.tempo = tempo;
    info.flags |= kVstPpqPosValid | kVstTempoValid;
  }

  UInt32 deltaToNextBeat = 0;
  Float32 numerator = 0.0f;
  UInt32 denominator = 0;
  Float64 downBeat = 0.0;
  if (CallHostMusicalTimeLocation(&deltaToNextBeat, &numerator, &denominator, &downBeat) ==
      noErr) {
    if (haveBeat && beat > -1.0) {
      info.barStartPos = downBeat;
      info.flags |= kVstBarsValid;
    }
    info.timeSigNumerator = ToInt32(numerator);
    info.timeSigDenominator = static_cast<VstInt32>(denominator);
    info.flags |= kVstTimeSigValid;

    const double clockTempo = haveBeat ? tempo : 0.0;
    if (clockTempo > 0.0) {
      const float samplesPerClock =
          static_cast<float>(static_cast<float>(info.sampleRate) / (clockTempo / 60.0)) /
          CLOCKS_PER_BEAT;
      if (std::isfinite(samplesPerClock) && samplesPerClock > 0.0f) {
        const double x =
            std::trunc(std::fmod(static_cast<double>(deltaToNextBeat), samplesPerClock));
        info.samplesToNextClock =
            ToInt32(x > samplesPerClock / 2.0f ? x - samplesPerClock : x);
        info.flags |= kVstClockValid;
      }
    }
  }

  Boolean playing = false;
  Boolean changed = false;
  Float64 samplePosition = 0.0;
  Boolean cycling = false;
  Float64 cycleStart = 0.0;
  Float64 cycleEnd = 0.0;
  if (CallHostTransportState(&playing, &changed, &samplePosition, &cycling, &cycleStart,
                             &cycleEnd) == noErr) {
    if (changed) info.flags |= kVstTransportChanged;
    if (playing) info.flags |= kVstTransportPlaying;
    info.samplePos = samplePosition;
    if (cycling) {
      info.cycleStartPos = cycleStart;
      info.cycleEndPos = cycleEnd;
      info.flags |= kVstTransportCycleActive | kVstCyclePosValid;
    }
  }
  return &info;
}
