#pragma once
// "buzz" and "feed": effects that leave the audio alone and hand the
// oscillator's wave render one amount per control step instead, the sum of
// the amounts of every slot of their type. The render reads the buffer
// through IGlobalSynth::GetBuzzParam / GetFeedbackParam: buzz phase-modulates
// the wave by a fixed wave locked to its cycle, feed by its last output.

#include "dsp/IOscEffect.h"
#include "engine/Buffers.h"
#include "engine/IGlobalSynth.h"
#include "engine/ModulatedParam.h"

class COscAmountSum : public IOscEffect {
 public:
  COscAmountSum(unsigned int type, IGlobalSynth* synth, float scale);

  void SetInstance(unsigned int osc, unsigned int slot) override;
  void SetSampleRate(float rate) override { m_sampleRate = rate; }
  void SetBlockSize(unsigned int n) override;
  void Reset(CVoice*) override {}
  // Refreshes the amounts of the slots typed like this effect only.
  void UpdateParams(unsigned int n) override;
  // Publishes the output buffer, then fills n / oversampling entries.
  void Process(CVoice* voice, float* buffer, unsigned int n) override;

  const float* GetOutput() { return m_output.GetBuffer(); }

 protected:
  virtual void _Publish(float* buffer) = 0;

  IGlobalSynth* m_synth;
  unsigned int m_osc = 0;
  unsigned int m_slot = 0;
  float m_sampleRate = 0.0f;
  const float m_scale;
  // The amounts of all four slots of the oscillator, one value per control
  // step (no oversampling shift).
  MODULATED_PARAM m_amount[OSC_FX_SLOTS];
  CMonoBuffer m_output;
};

class CBuzz : public COscAmountSum {
 public:
  explicit CBuzz(IGlobalSynth* synth) : COscAmountSum(OSC_FX_BUZZ, synth, 1.0f) {}

 protected:
  void _Publish(float* buffer) override { m_synth->SetBuzzParam(m_osc, buffer); }
};

class CFmFeedback : public COscAmountSum {
 public:
  explicit CFmFeedback(IGlobalSynth* synth) : COscAmountSum(OSC_FX_FEEDBACK, synth, 0.2f) {}

 protected:
  void _Publish(float* buffer) override { m_synth->SetFeedbackParam(m_osc, buffer); }
};
