#pragma once
// Stereo, cross-coupled, modulated all-pass reverb of the effects matrix:
// per channel a pre-delay line, three modulated diffusers (Schroeder
// all-passes with damping shelves inside their loops), a damping shelf
// pair and a modulated tank line whose output, scaled by Decay, feeds the
// other channel's input on the next sample; then an output shelf pair and
// the dry/wet mix. Every coefficient is recomputed each sample, so all
// parameters may be modulated at audio rate. Instance 0 or 1 selects the
// parameter block (base id + 2k + instance).

#include "engine/ModulatedParam.h"
#include "fx/DelayLine.h"
#include "fx/IEffectModule.h"

class IGlobalSynth;

// First-order shelves of the reverb. Both take a factor g: the high shelf
// keeps DC at 1 and has gain g^2 at the Nyquist frequency (corner 4000 g
// Hz); the low shelf has gain g^2 at DC and 1 at the Nyquist frequency
// (corner 65 / g Hz). The state is the last input and the last output.
struct REVERB_SHELF_STATE {
  float x1;
  float y1;
};

// Coefficients of one shelf: y = b y1 + cx1 x1 + cx x.
struct REVERB_SHELF {
  float b;
  float cx1;
  float cx;
};

REVERB_SHELF ReverbHighShelf(float g, float invRate);
REVERB_SHELF ReverbLowShelf(float g, float invRate);

inline float ReverbShelfStep(const REVERB_SHELF& c, REVERB_SHELF_STATE& s, float x) {
  const float y = c.b * s.y1 + c.cx1 * s.x1 + c.cx * x;
  s.x1 = x;
  s.y1 = y;
  return y;
}

// One diffuser: a delay line read at a fractional (modulated) delay, with a
// high and a low shelf inside the all-pass loop.
class CDiffuseDelay {
 public:
  void SetSampleRate(float sr, unsigned int length);
  void Reset();
  void Begin() { m_line.Begin(); }
  // One sample in place: the sample, the delay in samples, the all-pass
  // gain, and the low and high shelves (made from the two factors).
  void Process2(float& sample, float& delay, float& gain, const REVERB_SHELF& low, const REVERB_SHELF& high);

 private:
  CDelayLine m_line;
  float m_sampleRate = 0.0f;
  float m_invRate = 0.0f;
  REVERB_SHELF_STATE m_high = {};
  REVERB_SHELF_STATE m_low = {};
};

// A high shelf followed by a low shelf on each channel.
class CReverbShelfPair {
 public:
  void SetSampleRate(float sr);
  void Reset();
  void Process(float& left, float& right, const REVERB_SHELF& high, const REVERB_SHELF& low);

 private:
  float m_sampleRate = 0.0f;
  float m_invRate = 0.0f;
  REVERB_SHELF_STATE m_highLeft = {}, m_highRight = {}, m_lowLeft = {}, m_lowRight = {};
};

class CReverb : public IEffectModule {
 public:
  static const unsigned int DIFFUSER_COUNT = 6;

  CReverb(IGlobalSynth* synth, unsigned int instance);
  ~CReverb() override;
  CReverb(const CReverb&) = delete;
  CReverb& operator=(const CReverb&) = delete;

  void SetSampleRate(float sr) override;
  void SetBlockSize(unsigned int n) override;
  void UpdateParams(unsigned int n) override;
  void Reset() override;
  void ResetFreePhase() override;
  void OnKeyPress() override;
  void Process(float* left, float* right, unsigned int n) override;

 private:
  static const unsigned int PARAM_COUNT = 8;

  IGlobalSynth* m_synth;
  // Predelay, size, decay, lo damp, hi damp, rate, depth, mix.
  MODULATED_PARAM m_params[PARAM_COUNT];
  float m_sampleRate = 0.0f;
  unsigned int m_length = 0;                  // samples in every line
  CDiffuseDelay m_diffuser[DIFFUSER_COUNT];   // D0, D2, D4 left; D1, D3, D5 right
  CDelayLine m_preDelay[2];                   // left, right
  CDelayLine m_tank[2];                       // left, right
  CReverbShelfPair m_damping;
  CReverbShelfPair m_output;
  float m_phase = 0.0f;                       // modulation LFO, 0..1
  float m_feedbackRight = 0.0f;               // Decay x left tank output of the last sample
  float m_feedbackLeft = 0.0f;                // Decay x right tank output of the last sample
};
