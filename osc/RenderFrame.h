#pragma once
// The render frame shared by the computed oscillator modes and the user
// wavetable: control values once per control step (one host-rate sample),
// the modulated phase per oscillator sample, then the wave's own step, ring
// modulation, invert, the feedback memory and the phase advance. A wave
// supplies a small functor with
//   void Control(const OSC_FRAME& f);              // once per control step
//   float Step(float p, const OSC_FRAME& f, OSC_STATE* s);  // per sample
// and calls _RenderFrame from its COscillator::Generate<Wave> routine.

#include "engine/Simd.h"
#if defined(MORLAVINE_SSE2)
#include <emmintrin.h>
#endif

#include <cmath>
#include <type_traits>
#include <utility>

#include "engine/FastFloor.h"
#include "engine/IGlobalSynth.h"
#include "engine/IModulation.h"
#include "engine/Voice.h"
#include "osc/OscState.h"
#include "osc/Oscillator.h"
#include "osc/PhaseRun.h"
#include "tables/Tables.h"

namespace OscFrame {

// x (|x| + 3) / (x^2 + 3|x| + 6): odd, slope 1/2 at 0, tends to +-1.
inline float SoftSaturate(float x) {
  float a = std::fabs(x);
  return x * (a + 3.0f) / (x * x + 3.0f * a + 6.0f);
}

// Maps 0..1 onto 0..1 with 0, 1/2 and 1 fixed, steeper around 1/2 as d
// grows; invSatD = 1 / SoftSaturate(d), computed at the control step.
inline float ShapePhase(float p, float d, float invSatD) {
  return (SoftSaturate((2.0f * p - 1.0f) * d) * invSatD + 1.0f) * 0.5f;
}

// Linear interpolation in a table with a guard point; x in 0..1.
inline float TableRead(const float* table, unsigned int sizeM1, float x) {
  float f = x * static_cast<float>(sizeM1);
  unsigned int i = f > 0.0f ? static_cast<unsigned int>(f) : 0u;
  if (i > sizeM1) i = sizeM1;
  return table[i] + (table[i + 1] - table[i]) * (f - static_cast<float>(i));
}

// A saw rising 0 .. +1 over q in 0..0.5, falling by 2 at q = 0.5, rising
// -1 .. 0 to q = 1; within w (in units of 2q - 1) of the jump the
// band-limited residual is subtracted.
const unsigned int BL_SAW_LAST = 108000;
inline float BandLimitedSaw(const float* blSaw, float q, float w) {
  float s = 2.0f * q;
  bool after = s > 1.0f;
  if (after) s -= 2.0f;
  float x = 2.0f * q - 1.0f;
  if (std::fabs(x) < w) {
    float c = after ? 54001.0f : 53999.0f;
    float f = FastFloor(x * c / w) + c;
    unsigned int index = f > 0.0f ? static_cast<unsigned int>(f) : 0u;
    if (index > BL_SAW_LAST) index = BL_SAW_LAST;
    s -= blSaw[index];
  }
  return s;
}

// Folds w back from the threshold th = 1 - (0.499 y + 0.001), rescaled by 1/th.
inline float FoldBack(float w, float y) {
  float th = 1.0f - (0.499f * y + 0.001f);
  if (w > th)
    w = 2.0f * th - w;
  else if (w < -th)
    w = -2.0f * th - w;
  return w / th;
}

// x - floor(x) when x > 1, else x.
inline float Wrap1(float x) { return x > 1.0f ? x - FloorPastOne(x) : x; }

// Modulated value of a frame parameter at control index k: the stored
// (ramped) value plus the audio-rate sources, clamped to 0..1 only when
// there are sources (NaN gives 0).
inline float ModulatedValue(const float* values, const MOD_SOURCE_LIST* list, unsigned int k) {
  float v = values ? values[k] : 0.0f;
  if (!list || list->count == 0) return v;
  unsigned int count = list->count < MOD_SLOT_COUNT ? list->count : MOD_SLOT_COUNT;
  double acc = v;
  for (unsigned int j = 0; j < count; ++j) {
    double d = 2.0 * static_cast<double>(list->amount[j][k]) - 1.0;
    acc += static_cast<double>(list->source[j][k]) * std::fabs(d) * d;
    acc = static_cast<float>(acc);
  }
  v = static_cast<float>(acc);
  // An invalid source value counts as 0, as in every modulated parameter.
  return !(v >= 0.0f) ? 0.0f : (v > 1.0f ? 1.0f : v);
}

// The phase a wave reads from the accumulator's phase plus the offsets:
// wrapped into 0..1, inf or NaN (from a modulation input) as 0.
inline float OffsetPhase(float p) {
  if (p > 1.0f || p < 0.0f) {
    p -= FloorPastOne(p);
    if (!(p >= 0.0f && p <= 1.0f)) p = 0.0f;
  } else if (p != p) {
    p = 0.0f;
  }
  return p;
}
// OffsetPhase(offset + phase) for count stored phases, in place.
inline void OffsetPhases(float* phases, unsigned int count, float offset) {
  unsigned int j = 0;
#if defined(MORLAVINE_SSE2)
  // Four at a time while every sum lies in 0..1 (the usual case: nothing to
  // wrap or replace).
  const __m128 o = _mm_set1_ps(offset), zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f);
  for (; j + 4 <= count; j += 4) {
    const __m128 p = _mm_add_ps(o, _mm_loadu_ps(phases + j));
    if (_mm_movemask_ps(_mm_and_ps(_mm_cmpge_ps(p, zero), _mm_cmple_ps(p, one))) != 15) {
      for (unsigned int m = j; m < j + 4; ++m) phases[m] = OffsetPhase(offset + phases[m]);
      continue;
    }
    _mm_storeu_ps(phases + j, p);
  }
#endif
  for (; j < count; ++j) phases[j] = OffsetPhase(offset + phases[j]);
}

// True when a frame parameter is exactly zero at control steps 0..count-1:
// no audio-rate source and a stored value of 0 (or no value buffer).
inline bool IsZero(const float* values, const MOD_SOURCE_LIST* list, unsigned int count) {
  if (list && list->count != 0) return false;
  if (!values) return true;
  for (unsigned int k = 0; k < count; ++k)
    if (values[k] != 0.0f) return false;
  return true;
}

// Steps the wave through count phases in order: its own block step when it
// has one (same results, several samples at once), else sample by sample.
template <class WAVE, class = void>
struct HAS_STEP_MANY : std::false_type {};
template <class WAVE>
struct HAS_STEP_MANY<WAVE, std::void_t<decltype(std::declval<WAVE&>().StepMany(
                                  std::declval<const float*>(), std::declval<float*>(), 0u, std::declval<OSC_STATE*>()))>>
    : std::true_type {};

template <class WAVE>
inline void StepMany(WAVE& wave, const float* p, float* out, unsigned int count, const OSC_FRAME& f, OSC_STATE* s) {
  if constexpr (HAS_STEP_MANY<WAVE>::value) {
    wave.StepMany(p, out, count, s);
  } else {
    for (unsigned int j = 0; j < count; ++j) out[j] = wave.Step(p[j], f, s);
  }
}

}  // namespace OscFrame

template <class WAVE>
void COscillator::_RenderFrame(CVoice* voice, float* __restrict out, unsigned int n, WAVE& waveIn) {
  using namespace OscFrame;
  // A local copy keeps the wave's control values in registers across the
  // stores to out.
  WAVE wave = waveIn;
  OSC_STATE* s = voice->GetOscState(m_osc);
  const float* pitch = m_synth->GetPitchModulation(m_osc);
  if (!pitch) {
    for (unsigned int i = 0; i < n; ++i) out[i] = 0.0f;
    return;
  }
  const float* values[OSC_FRAME_PARAMS];
  const MOD_SOURCE_LIST* lists[OSC_FRAME_PARAMS];
  for (unsigned int j = 0; j < OSC_FRAME_PARAMS; ++j) {
    unsigned int id = OSC_FRAME_PARAM_IDS[j] + m_osc;
    values[j] = m_synth->GetParamPointer(id);
    lists[j] = m_modulation ? m_modulation->GetModulation(id) : nullptr;
  }
  const float* buzz = m_synth->GetBuzzParam(m_osc);
  const float* feedback = m_synth->GetFeedbackParam(m_osc);
  const float* fm = m_fmSource;
  unsigned int N = m_synth->GetOversampling();
  if (N == 0) N = 1;
  unsigned int shift = m_synth->GetOversamplingShift();
  bool invert = m_synth->GetParam(ID_INVERT + m_osc) != 0.0f;

  OSC_FRAME f = {};
  float phase = s->phase;
  float lastOutput = s->lastOutput;
  auto control = [&](unsigned int k) {
    f.inc = pitch[k];
    f.X = ModulatedValue(values[0], lists[0], k);
    f.Y = ModulatedValue(values[1], lists[1], k);
    f.FM = ModulatedValue(values[2], lists[2], k);
    f.RM = ModulatedValue(values[3], lists[3], k);
    f.PH = ModulatedValue(values[4], lists[4], k);
    float b = buzz ? buzz[k] : 0.0f;
    f.feedbackAmount = feedback ? feedback[k] : 0.0f;
    float buzzFade = m_buzzFade.Fade(f.inc);
    float morphFade = m_morphFade.Fade(f.inc);
    f.morphScale = (1.0f - morphFade) * (1.0f - morphFade);
    f.fmDepth = fm ? f.FM * f.FM * f.FM * 5.0f : 0.0f;
    f.buzzAmount = b * (1.0f - buzzFade) * 0.1f;
    wave.Control(f);
  };

  // FM, ring modulation, buzz and feedback at exactly zero for the whole
  // block add zero to the phase and multiply by one: the plain loop below
  // leaves them out (their inputs are finite audio). A parameter whose ramp
  // has ended holds one value for the block.
  const unsigned int controls = n ? ((n - 1) >> shift) + 1 : 0;
  bool settled[OSC_FRAME_PARAMS];
  for (unsigned int j = 0; j < OSC_FRAME_PARAMS; ++j)
    settled[j] = (!lists[j] || lists[j]->count == 0) &&
                 (!values[j] || m_synth->IsParamSettled(OSC_FRAME_PARAM_IDS[j] + m_osc, controls));
  auto zero = [&](unsigned int j) {
    if (settled[j]) return !values[j] || values[j][0] == 0.0f;
    return IsZero(values[j], lists[j], controls);
  };
  const bool fmUsed = fm && (!zero(2) || !zero(3));
  const bool buzzUsed = buzz && !IsZero(buzz, nullptr, controls);
  const bool feedbackUsed = feedback && !IsZero(feedback, nullptr, controls);
  if (!fmUsed && !buzzUsed && !feedbackUsed) {
    // With every control input but the pitch held for the block (buzz and
    // feedback are zero throughout here), a control step at the same
    // increment as the one before gives the same frame.
    bool held = true;
    for (unsigned int j = 0; j < OSC_FRAME_PARAMS && held; ++j) held = settled[j];
    // The phases of a stretch go to a small buffer first, then the wave
    // steps through them (a wave with a block step takes several at once).
    const unsigned int CHUNK = 64;
    float phases[CHUNK];
    for (unsigned int i = 0; i < n;) {
      const unsigned int k = i >> shift;
      if (!held || i == 0 || !(pitch[k] == f.inc)) control(k);
      // The control steps that follow at the same pitch join the stretch.
      unsigned int end = i + N;
      if (held)
        while (end < n && pitch[end >> shift] == f.inc) end += N;
      if (end > n) end = n;
      while (i < end) {
        const unsigned int count = end - i < CHUNK ? end - i : CHUNK;
        phase = PhaseRun::Fill(phases, count, phase, f.inc);
        OffsetPhases(phases, count, f.PH);
        StepMany(wave, phases, out + i, count, f, s);
        if (invert)
          for (unsigned int j = 0; j < count; ++j) out[i + j] = -out[i + j];
        i += count;
      }
    }
    if (n) lastOutput = out[n - 1];
  } else {
    unsigned int counter = 1;
    for (unsigned int i = 0; i < n; ++i) {
      if (--counter == 0) {
        counter = N;
        control(i >> shift);
      }

      float p = f.PH + phase;
      if (fm) p += fm[i] * f.fmDepth;
      if (buzz) p += TableRead(Tables::BUZZ_TABLE, Tables::BUZZ_TABLE_SIZEM1, phase) * f.buzzAmount;
      if (feedback) p += lastOutput * f.feedbackAmount;
      p = OffsetPhase(p);

      float y = wave.Step(p, f, s);

      if (fm) y *= fm[i] * f.RM + (1.0f - f.RM);
      if (invert) y = -y;
      out[i] = y;
      lastOutput = y;

      phase = PhaseRun::Step(phase, f.inc);
    }
  }
  s->phase = phase;
  s->lastOutput = lastOutput;
  waveIn = wave;
}
