#pragma once
// The effect chain of one oscillator: four effect slots, each empty or
// holding one of the seven effect types, and the oscillator's level and pan.
// One chain serves every voice of its oscillator; per-voice state lives in
// the voice's OSC_FX_STATE record.
//
// It runs in two phases around the oscillator's wave render:
//   PreProcess    before the render: "buzz" and "feed" publish their amounts
//                 (null when the chain holds neither);
//   ProcessSlots  after the render: "sciss", "sub", "erose" and "chip" in
//                 slot order, in place on the mono signal;
//   (the oscillator's filter and drive run here)
//   ProcessOutput "brill" in slot order, then level and pan turn the mono
//                 signal into the oscillator's stereo output.
//
// Rebuilding the slots happens inside the audio block when a slot type
// changes, so the chain keeps one object of every type per slot (one buzz
// and one feed object per oscillator: only the first slot of those types
// holds it) and a rebuild only chooses among them: no allocation.

#include "dsp/IOscEffect.h"
#include "engine/ModulatedParam.h"

class IGlobalSynth;
class CVoice;

class COscEffects {
 public:
  explicit COscEffects(IGlobalSynth* synth);
  ~COscEffects();
  COscEffects(const COscEffects&) = delete;
  COscEffects& operator=(const COscEffects&) = delete;

  void SetInstance(unsigned int osc);
  // Fills the four slots from the slot type settings (ids 454-469).
  void RebuildOscFX();
  // The oscillator's (oversampled) rate and block length.
  void SetSampleRate(float rate);
  void SetBlockSize(unsigned int n);
  // Once per block, n host-rate samples.
  void UpdateParams(unsigned int n);
  // Per note, after the oscillator has set its start phase.
  void Reset(CVoice* voice);
  void StartVoice(CVoice* voice);

  // Before the render; the second buffer is not used.
  void PreProcess(CVoice* voice, float* buffer, float* unused, unsigned int n);
  // After the render, ahead of the oscillator filter and drive.
  void ProcessSlots(CVoice* voice, float* buffer, unsigned int n);
  // After the filter and drive: brilliance, then level and pan; buffer
  // becomes the left output and right receives the right output.
  void ProcessOutput(CVoice* voice, float* buffer, float* right, unsigned int n);

  // The effect in a slot, null when the slot is empty.
  IOscEffect* GetSlot(unsigned int slot) const { return slot < OSC_FX_SLOTS ? m_slot[slot] : nullptr; }

 private:
  IOscEffect* _Object(unsigned int slot, unsigned int type);

  IGlobalSynth* m_synth;
  unsigned int m_osc = 0;
  float m_sampleRate = 0.0f;
  unsigned int m_blockSize = 0;
  IOscEffect* m_slot[OSC_FX_SLOTS];
  // Owned: the audio effects per slot and type (null for buzz and feed),
  // and the oscillator's one buzz and one feed object.
  IOscEffect* m_audio[OSC_FX_SLOTS][OSC_FX_TYPE_COUNT];
  IOscEffect* m_buzz;
  IOscEffect* m_feedback;
  MODULATED_PARAM m_level;
  MODULATED_PARAM m_pan;
};
