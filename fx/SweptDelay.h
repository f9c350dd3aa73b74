#pragma once
// What the chorus and the flanger share: on each channel a low-shelf cut at
// 1 kHz feeding its own delay line, whose read position a sine LFO (up to
// 5 Hz) sweeps, the right channel's LFO running ahead by a Stereo offset.
// Each effect keeps its own parameters, sweep range and mix.

#include "fx/DelayLine.h"
#include "fx/EffectHelpers.h"
#include "fx/IEffectModule.h"
#include "fx/ShelfCut.h"

class IGlobalSynth;

class CSweptDelay : public IEffectModule {
 public:
  CSweptDelay(const CSweptDelay&) = delete;
  CSweptDelay& operator=(const CSweptDelay&) = delete;

  // Sizes both lines to the effect's longest delay.
  void SetSampleRate(float sr) override;
  void SetBlockSize(unsigned int n) override;
  void Reset() override;
  void ResetFreePhase() override;
  void OnKeyPress() override;

  float GetPhase() const { return m_phase; }

 protected:
  // lineSeconds: the longest delay either line holds.
  CSweptDelay(IGlobalSynth* synth, unsigned int instance, float lineSeconds);

  // Starts a block on both lines; false while no sample rate is set.
  bool _BeginBlock() {
    if (!(m_sampleRate > 0.0f)) return false;
    m_line[0].Begin();
    m_line[1].Begin();
    return true;
  }

  // The LFO of both channels for this sample, then one step on at rate
  // 5 x rt^2 Hz; the right channel reads spread x st^2 of a cycle ahead.
  void _StepLfo(float rt, float st, float spread, float& lfoL, float& lfoR) {
    using namespace FxHelpers;
    lfoL = SineOfPhase(m_phase);
    float pR = m_phase + spread * st * st;
    WrapPhase(pR);
    lfoR = SineOfPhase(pR);
    m_phase += 5.0f * rt * rt / m_sampleRate;
    WrapPhase(m_phase);
  }

  // Both channels through the shelf cut set by hp.
  void _Shelf(float hp, float xL, float xR, float& fL, float& fR) {
    using namespace FxHelpers;
    LowShelfCut1k(m_shelf, hp, m_sampleRate);
    fL = Biquad(m_shelf, m_state[0], xL);
    fR = Biquad(m_shelf, m_state[1], xR);
  }

  IGlobalSynth* m_synth;
  CDelayLine m_line[2];
  unsigned int m_instance;
  float m_sampleRate = 0.0f;

 private:
  FxHelpers::BIQUAD_COEFFS m_shelf;
  FxHelpers::BIQUAD_STATE m_state[2];
  float m_lineSeconds;
  float m_phase = 0.0f;
};
