#pragma once
// Common ground of the oscillator effects that process the oscillator's
// audio ("sciss", "sub", "brill", "erose", "chip"): instance, rate, the
// slot's amount record and the helpers their algorithms share.

#include <cmath>

#include "dsp/IOscEffect.h"
#include "engine/FastFloor.h"
#include "engine/IGlobalSynth.h"
#include "engine/ModulatedParam.h"

class COscAudioEffect : public IOscEffect {
 public:
  COscAudioEffect(unsigned int type, IGlobalSynth* synth);

  void SetInstance(unsigned int osc, unsigned int slot) override;
  void SetSampleRate(float rate) override { m_sampleRate = rate; }
  void SetBlockSize(unsigned int) override {}
  void UpdateParams(unsigned int n) override { m_amount.Update(n); }

 protected:
  // The amount is zero and unmodulated: the effect leaves the signal alone.
  bool _Bypassed() const;
  // Counts the slots 0..own slot typed like this effect, minus one: 0 for
  // the first slot of a type, 1 for the next...
  unsigned int _SameTypeIndex() const;
  // The oscillator's phase increments of this block, one per control step
  // (cycles per oscillator sample); null before the pitch module ran.
  const float* _PitchBuffer() const;
  // The amount at oscillator sample i, 0..1.
  float _Amount(unsigned int i) const;
  unsigned int _Oversampling() const;

  IGlobalSynth* m_synth;
  unsigned int m_osc = 0;
  unsigned int m_slot = 0;
  float m_sampleRate = 0.0f;
  MODULATED_PARAM m_amount;
};

// Largest phase increment an effect accepts (cycles per sample); larger
// values, NaN and negative ones come only from damaged settings.
const float OSC_FX_MAX_INCREMENT = 64.0f;
inline float SanitizeIncrement(float inc) {
  return inc > 0.0f ? (inc < OSC_FX_MAX_INCREMENT ? inc : OSC_FX_MAX_INCREMENT) : 0.0f;
}

// p - floor(p) for a phase that has passed 1; a phase of exactly 1 stays.
inline float WrapPhase(float p) {
  if (p > 1.0f) p -= FloorPastOne(p);
  return p;
}

// The end of the stretch of control steps that starts at control step
// `control` (oscillator sample i) and shares its pitch: the samples of
// these steps move a phase alike. Advances control past the stretch.
inline unsigned int SamePitchStretch(const float* pitch, unsigned int& control, unsigned int i, unsigned int K,
                                     unsigned int n) {
  unsigned int end = i + K;
  ++control;
  if (pitch)
    while (end < n && pitch[control] == pitch[control - 1]) {
      end += K;
      ++control;
    }
  return end < n ? end : n;
}

// x - floor(x), in 0..1, for start phases.
float Frac(float x);

const unsigned int BL_IMP_LAST = 108000;

// A gate that is open for 0 < p m < 1 and shut for p m >= 1, with edges
// about four samples wide read from the band-limited step (BlImp); an
// increment of 0 leaves it fully open.
inline float BandLimitedGate(const float* blImp, float p, float m, float inc) {
  if (!(inc > 0.0f)) return 1.0f;
  float q = p * m;
  q = (q < 1.0f ? q : 1.0f) + 0.5f;
  if (q > 1.0f) q -= 1.0f;
  float d = 2.0f * q - 1.0f;
  float y = (d < 0.0f ? -d : d) / (8.0f * m * inc);
  if (!(y < 1.0f)) return 1.0f;
  float f = y * 108001.0f;
  unsigned int index = f > 0.0f ? static_cast<unsigned int>(f) : 0u;
  if (index > BL_IMP_LAST) index = BL_IMP_LAST;
  return blImp[index];
}
