#pragma once
// One sounding note: note, velocity, legato, gate, the unison sub-voices it
// owns and the per-voice state areas of every shared engine stage. The
// stages reach their state through the voice pointer they are handed.
//
// Setters and request operations act on the whole unison set of a main
// voice and do nothing on a sub-voice.

#include "dsp/BusState.h"
#include "dsp/OscFxState.h"
#include "engine/Envelope.h"
#include "engine/ParamIds.h"
#include "engine/Lfo.h"
#include "engine/Mseg.h"
#include "engine/VoiceSwitch.h"
#include "osc/OscState.h"

class IGlobalSynth;

const unsigned int MAX_UNISON = 8;
const unsigned int MONO_VOICE_UNISON_INDEX = 0xEEEEEEEE;
// Index of the amplitude envelope among the four envelope states.
const unsigned int AMP_ENV_INDEX = 3;

// Unison count from the stored setting: truncated and clamped to 1..8 (a
// damaged preset must not size the unison set beyond its eight entries).
unsigned int ClampUnisonCount(float value);

class CVoice {
 public:
  // A note voice; the sample rate is only handed on to the sub-voices. A main
  // voice (unisonIndex 0) builds unison count - 1 sub-voices.
  CVoice(IGlobalSynth* synth, int note, float velocity, float sampleRate, unsigned int unisonIndex);
  // A mono voice (modulator voice, bus voice).
  CVoice(IGlobalSynth* synth, float sampleRate);
  ~CVoice();
  CVoice(const CVoice&) = delete;
  CVoice& operator=(const CVoice&) = delete;

  // Takes the twelve pool blocks and clears the envelope states.
  void DoAllocation(float sampleRate);

  OSC_STATE* GetOscState(unsigned int osc) { return &m_oscState[osc]; }
  OSC_FX_STATE* GetOscFXState(unsigned int osc) { return &m_oscFxState[osc]; }
  BUS_STATE* GetBusState(unsigned int bus) { return &m_busState[bus]; }
  LFO_STATE* GetLfoState(unsigned int i) { return &m_lfoState[i]; }
  ENV_STATE* GetEnvState(unsigned int i) { return &m_envState[i]; }
  MSEG_STATE* GetMsegState(unsigned int i) { return &m_msegState[i]; }
  VOICE_SWITCH_STATE* GetVoiceSwitchState() { return &m_voiceSwitchState; }
  float* GetOscDeclicker() { return &m_oscDeclicker; }
  int* GetPitch() { return &m_note; }
  float* GetVelocity() { return &m_velocity; }
  unsigned char* GetLegato() { return &m_legato; }
  unsigned char* GetGate() { return &m_gate; }

  // The unison index; 0 for a mono voice.
  unsigned int GetUnisonVoice() const { return m_unisonIndex == MONO_VOICE_UNISON_INDEX ? 0 : m_unisonIndex; }
  unsigned int GetUnisonCount() const { return m_unisonCount; }
  // Entry i of the unison set (0 = the voice itself); i below GetUnisonCount.
  CVoice* GetVoice(unsigned int i) { return m_unison[i]; }

  void SetPitch(int note);
  void SetVelocity(float velocity);
  void SetLegato(bool legato);
  void SetGate(bool gate);
  void Release();
  void SetVoiceSwitchReleaseLevel(float level);

  void Mute();
  void UnMute();
  void ImmediateRelease();
  bool IsReleased() const { return m_envState[AMP_ENV_INDEX].finished != 0; }
  bool IsMuted() const {
    return m_voiceSwitchState.state < VOICE_SWITCH_FADING_IN || m_voiceSwitchState.muteRequest != 0;
  }

 private:
  IGlobalSynth* m_synth;
  CVoice* m_unison[MAX_UNISON];
  unsigned int m_unisonCount;
  int m_note;
  float m_velocity;
  unsigned char m_gate;
  unsigned char m_legato;
  unsigned int m_unisonIndex;
  OSC_STATE m_oscState[4];
  OSC_FX_STATE m_oscFxState[4];
  BUS_STATE m_busState[2];
  LFO_STATE m_lfoState[4];
  ENV_STATE m_envState[4];
  MSEG_STATE m_msegState[4];
  VOICE_SWITCH_STATE m_voiceSwitchState;
  float m_oscDeclicker;
};
