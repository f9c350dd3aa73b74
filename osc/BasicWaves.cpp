// The four basic waves (modes 0 to 3) inside the oscillator's render frame.
// Morph X and Morph Y reshape each wave: the sine's phase is warped and its
// output saturated, the saw gains a compressed copy and a second saw, the
// square becomes two independent pulses, the triangle's phase is warped and
// its peaks folded. The saw and square correct their jumps with the
// band-limited saw residual; the triangle rounds its corners.

#include "engine/Simd.h"
#if defined(MORLAVINE_SSE2)
#include <emmintrin.h>
#endif

#include "engine/FastFloor.h"
#include "osc/Oscillator.h"
#include "osc/RenderFrame.h"

namespace {

using namespace OscFrame;

// Key ranges over which Morph X and Y fade out towards high notes.
const float SINE_FADE_LO_HZ = 7000.0f, SINE_FADE_HI_HZ = 10000.0f;
const float SAW_FADE_LO_HZ = 500.0f, SAW_FADE_HI_HZ = 4000.0f;
const float TRIANGLE_FADE_LO_HZ = 500.0f, TRIANGLE_FADE_HI_HZ = 3000.0f;

// Reads the table at the warped phase stored by the previous sample, then
// stores this sample's; Y drives a soft saturator normalised to peak 1.
struct SINE_WAVE {
  float x, y, gY, invSatX;
  void Control(const OSC_FRAME& f) {
    x = f.X * f.morphScale + 0.0001f;
    y = f.Y * f.morphScale + 0.0001f;
    gY = 1.0f / SoftSaturate(y);
    invSatX = 1.0f / SoftSaturate(x);
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float v = TableRead(Tables::SINE_TABLE, Tables::SINE_TABLE_SIZEM1, s->auxPhase1);
    s->auxPhase1 = ShapePhase(p, x, invSatX);
    return SoftSaturate(v * y) * gY;
  }
};

// A rising saw from the half-shifted phase, its cycle compressed by r into
// the part of the period that starts at p = 0.5, plus v times a saw at the
// unshifted phase.
struct SAW_WAVE {
  const float* blSaw;
  float r, v, w, wr;
  void Control(const OSC_FRAME& f) {
    r = 1.0f / (1.0f - 0.9f * f.X * f.morphScale);
    v = 0.6f * f.Y;
    w = 4.0f * f.inc;
    wr = w * r;
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE*) {
    float q = Wrap1(p + 0.5f) * r;
    float T = q <= 1.0f ? BandLimitedSaw(blSaw, q, wr) : 0.0f;
    // Without Morph Y the first saw adds nothing (it is always finite).
    if (v == 0.0f) return T;
    return T + v * BandLimitedSaw(blSaw, p, w);
  }
  // Step for phases 0..1 in order, four at a time where no sample is near
  // the jump (there the residual table is read, sample by sample).
  void StepMany(const float* p, float* out, unsigned int count, OSC_STATE* s) {
    unsigned int j = 0;
#if defined(MORLAVINE_SSE2)
    if (v == 0.0f) {
      const __m128 one = _mm_set1_ps(1.0f), two = _mm_set1_ps(2.0f), half = _mm_set1_ps(0.5f);
      const __m128 rr = _mm_set1_ps(r), width = _mm_set1_ps(wr);
      const __m128 absMask = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
      for (; j + 4 <= count; j += 4) {
        // Wrap1(p + 0.5) for p + 0.5 below 2: minus 1 past 1.
        __m128 t = _mm_add_ps(_mm_loadu_ps(p + j), half);
        const __m128 q = _mm_mul_ps(_mm_sub_ps(t, _mm_and_ps(_mm_cmpgt_ps(t, one), one)), rr);
        // BandLimitedSaw(q, wr) away from the jump, 0 past q = 1.
        const __m128 s2 = _mm_mul_ps(two, q);
        const __m128 saw = _mm_sub_ps(s2, _mm_and_ps(_mm_cmpgt_ps(s2, one), two));
        const __m128 x = _mm_sub_ps(s2, one);
        const __m128 inside = _mm_cmple_ps(q, one);
        const __m128 nearJump = _mm_and_ps(_mm_cmplt_ps(_mm_and_ps(x, absMask), width), inside);
        if (_mm_movemask_ps(_mm_or_ps(nearJump, _mm_cmpge_ps(t, two))) != 0) {
          for (unsigned int m = j; m < j + 4; ++m) out[m] = Step(p[m], OSC_FRAME(), s);
          continue;
        }
        _mm_storeu_ps(out + j, _mm_and_ps(saw, inside));
      }
    }
#endif
    for (; j < count; ++j) out[j] = Step(p[j], OSC_FRAME(), s);
  }
};

// The mean of two zero-mean pulses, each the difference of two saws: width
// w1 from X, and width w2 = w1 - 0.49 Y advanced by Y / 2 of a cycle.
struct SQUARE_WAVE {
  const float* blSaw;
  float w1, w2, shift, w;
  void Control(const OSC_FRAME& f) {
    w1 = 0.5f + 0.49f * f.X;
    w2 = w1 - 0.49f * f.Y;
    shift = 0.5f * f.Y;
    w = 4.0f * f.inc;
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE*) {
    float A = BandLimitedSaw(blSaw, p, w) - BandLimitedSaw(blSaw, Wrap1(p + w1), w);
    float p2 = Wrap1(p + shift);
    float B = BandLimitedSaw(blSaw, p2, w) - BandLimitedSaw(blSaw, Wrap1(p2 + w2), w);
    return (A + B) * 0.5f;
  }
};

// A triangle from the warped phase of the previous sample, shifted a
// quarter cycle so that it rises from 0 like the sine; its corners are
// rounded over 2 inc and its peaks folded back by Y.
struct TRIANGLE_WAVE {
  float yk, x, invSatX, d;
  void Control(const OSC_FRAME& f) {
    yk = f.Y * f.morphScale;
    x = 2.0f * f.X * f.morphScale + 0.0001f;
    invSatX = 1.0f / SoftSaturate(x);
    d = 2.0f * f.inc;
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float a = s->auxPhase1 + 0.75f;
    float r = a - FastFloor(a);
    float t = 2.0f * std::fabs(2.0f * r - 1.0f) - 1.0f;
    float e;
    bool round = true;
    if (t + d > 1.0f)
      e = 1.0f - d;
    else if (t - d <= -1.0f)
      e = d - 1.0f;
    else
      round = false;
    if (round) t = t + std::fabs(e - t) * (e - t) / (2.0f * d);
    s->auxPhase1 = ShapePhase(p, x, invSatX);
    return FoldBack(t, yk);
  }
};

}  // namespace

void COscillator::GenerateSine(CVoice* voice, float* out, unsigned int n) {
  m_morphFade.SetLimits(SINE_FADE_LO_HZ, SINE_FADE_HI_HZ);
  SINE_WAVE wave = {};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateSaw(CVoice* voice, float* out, unsigned int n) {
  m_morphFade.SetLimits(SAW_FADE_LO_HZ, SAW_FADE_HI_HZ);
  SAW_WAVE wave = {};
  wave.blSaw = m_blSaw;
  if (!wave.blSaw) {
    for (unsigned int i = 0; i < n; ++i) out[i] = 0.0f;
    return;
  }
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateSquare(CVoice* voice, float* out, unsigned int n) {
  SQUARE_WAVE wave = {};
  wave.blSaw = m_blSaw;
  if (!wave.blSaw) {
    for (unsigned int i = 0; i < n; ++i) out[i] = 0.0f;
    return;
  }
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateTriangle(CVoice* voice, float* out, unsigned int n) {
  m_morphFade.SetLimits(TRIANGLE_FADE_LO_HZ, TRIANGLE_FADE_HI_HZ);
  TRIANGLE_WAVE wave = {};
  _RenderFrame(voice, out, n, wave);
}
