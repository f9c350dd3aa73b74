#pragma once
// Turns a voice's note and one oscillator's tuning parameters into that
// oscillator's phase increment, once per control step (one host-rate sample)
// of the block: octave, semitone, transpose, pitch bend, matrix pitch
// modulation, detune, master detune, unison spread, vibrato, key scaling,
// glide between notes and a 20 ms smoothing of the coarse pitch. One module
// serves all voices of its oscillator; the glide state lives in the voice's
// OSC_STATE, the coarse smoother belongs to the module.

#include "engine/Buffers.h"
#include "engine/ModulatedParam.h"

class IGlobalSynth;
class IModulation;
class CVoice;

class CPitchModule {
 public:
  explicit CPitchModule(IGlobalSynth* synth);
  CPitchModule(const CPitchModule&) = delete;
  CPitchModule& operator=(const CPitchModule&) = delete;

  void SetInstance(unsigned int osc);
  // rate: the oscillator rate (host rate times the oversampling factor).
  void SetSampleRate(float rate);
  // n: block length at the oscillator rate.
  void SetBlockSize(unsigned int n);
  // n: host samples of the block.
  void UpdateParams(unsigned int n);
  void ResetGlide();
  void StartVoice(CVoice* voice);
  // Fills and publishes (IGlobalSynth::SetPitchModulation) the increments of
  // this voice, n / oversampling entries in cycles per oscillator sample.
  void Generate(CVoice* voice, unsigned int n);

  float* GetIncrements() { return m_increments.GetBuffer(); }

 private:
  IGlobalSynth* m_synth;
  unsigned int m_osc = 0;
  CMonoBuffer m_increments;
  IModulation* m_modulation = nullptr;
  float m_baseRate = 0.0f;
  // Coarse-pitch smoother (octaves), shared by every voice of the module.
  unsigned char m_started = 0;
  float m_steps = 20.0f;
  unsigned int m_remaining = 0;
  float m_current = 0.0f;
  float m_increment = 0.0f;
  // Read at the control index (no oversampling shift).
  MODULATED_PARAM m_detune;
  MODULATED_PARAM m_masterDetune;
  MODULATED_PARAM m_vibrato;
  MODULATED_PARAM m_keyScale;
  float m_glideRate = 0.0f;
  unsigned char m_glideArmed = 0;
  // The glide decision of the note being started, for its unison sub-voices.
  unsigned char m_noteGlides = 0;
};
