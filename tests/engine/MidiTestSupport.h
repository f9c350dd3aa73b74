#pragma once
// A real synth context (global services plus parameter store) for the MIDI
// tests, a modulation stub that records controller writes, and helpers that
// feed raw MIDI byte triples and collect the synth events of a block.

#include <utility>
#include <vector>

#include "engine/GlobalSynth.h"
#include "engine/IModulation.h"
#include "engine/MidiProcessor.h"
#include "engine/ParamHandler.h"
#include "platform/VstEvents.h"

class CRecordingModulation : public IModulation {
 public:
  MOD_SOURCE_LIST* GetModulation(unsigned int) override { return nullptr; }
  MOD_CONTROLLER_LIST* GetController(unsigned int) override { return nullptr; }
  void SetController(unsigned int id, float value) override { calls.emplace_back(id, value); }
  float GetControllerValue(unsigned int) override { return 0.0f; }
  float* GetPitchModulation(unsigned int) override { return nullptr; }
  float* GetVibratoModulation() override { return nullptr; }
  float* GetAmpEnv() override { return nullptr; }
  float* GetVoiceSwitch() override { return nullptr; }
  std::vector<std::pair<unsigned int, float>> calls;
};

struct CMidiTestSynth {
  CGlobalSynth synth;
  CParamHandler params{&synth};
  CRecordingModulation modulation;

  CMidiTestSynth() {
    synth.SetParamHandler(&params);
    synth.SetIModulation(&modulation);
  }
  ~CMidiTestSynth() {
    synth.SetIModulation(nullptr);
    synth.SetParamHandler(nullptr);
  }
  // Writes the live value, as the store does for settings at a block start.
  void Set(unsigned int id, float value) { (*params.GetPreset())[id] = value; }
};

inline VstMidiEvent MakeMidi(int frame, unsigned char status, unsigned char data1, unsigned char data2) {
  VstMidiEvent e{};
  e.type = kVstMidiType;
  e.byteSize = sizeof(VstMidiEvent);
  e.deltaFrames = frame;
  e.midiData[0] = static_cast<char>(status);
  e.midiData[1] = static_cast<char>(data1);
  e.midiData[2] = static_cast<char>(data2);
  return e;
}

inline void Send(CMidiProcessor& proc, int frame, unsigned char status, unsigned char data1, unsigned char data2) {
  VstMidiEvent e = MakeMidi(frame, status, data1, data2);
  proc.PushEvent(&e);
}

// Everything PopEvent hands out after Process(frames).
inline std::vector<MIDI_EVENT> RunBlock(CMidiProcessor& proc, unsigned int frames) {
  proc.Process(frames);
  std::vector<MIDI_EVENT> out;
  MIDI_EVENT e;
  while (proc.PopEvent(e)) out.push_back(e);
  return out;
}

// Events drained without a Process call (arpeggiator off: the queue as pushed).
inline std::vector<MIDI_EVENT> Drain(CMidiProcessor& proc) {
  std::vector<MIDI_EVENT> out;
  MIDI_EVENT e;
  while (proc.PopEvent(e)) out.push_back(e);
  return out;
}

#include <cstdio>
#include <string>

// Compact text of an event list: "7 9 1:60 4:60 1:62L 8:64=1" (L = legato
// note start; controller events show number and value).
inline std::string Describe(const std::vector<MIDI_EVENT>& events) {
  std::string s;
  char buf[64];
  for (const MIDI_EVENT& e : events) {
    if (!s.empty()) s += ' ';
    switch (e.kind) {
      case MIDI_EVENT_NOTE_ON:
        std::snprintf(buf, sizeof(buf), "1:%d%s", e.note, e.legato ? "L" : "");
        break;
      case MIDI_EVENT_NOTE_OFF:
      case MIDI_EVENT_MUTE:
      case MIDI_EVENT_UNMUTE:
      case MIDI_EVENT_DELETE_VOICE:
        std::snprintf(buf, sizeof(buf), "%u:%d", e.kind, e.note);
        break;
      case MIDI_EVENT_CONTROLLER:
        std::snprintf(buf, sizeof(buf), "8:%u=%g", e.controller, e.controllerValue);
        break;
      default:
        std::snprintf(buf, sizeof(buf), "%u", e.kind);
        break;
    }
    s += buf;
  }
  return s;
}

// A plain arpeggiator setting: mode UP, no octaves, 16 steps of 1/16 at full
// velocity and gate, half global gate, no shuffle, transpose or ties.
inline void SetPlainArpeggiator(CMidiTestSynth& ctx) {
  ctx.Set(180, 0.0f);   // shuffle
  ctx.Set(181, 0.5f);   // gate
  ctx.Set(490, 16.0f);  // held-key limit
  ctx.Set(528, 16.0f);  // steps
  ctx.Set(529, 4.0f);   // rate 1/16
  ctx.Set(530, 0.0f);   // mode UP
  ctx.Set(531, 0.0f);   // octaves
  for (unsigned int s = 0; s < 32; ++s) {
    ctx.Set(533 + s, 0.0f);  // transpose
    ctx.Set(565 + s, 0.0f);  // length: one rate step
    ctx.Set(597 + s, 1.0f);  // step gate
    ctx.Set(629 + s, 1.0f);  // step velocity
    ctx.Set(661 + s, 0.0f);  // tie
  }
  ctx.synth.SetHostTempo(120.0f);
}
