#include "engine/AmpEnv.h"

#include "engine/Simd.h"
#if defined(MORLAVINE_SSE2)
#include <emmintrin.h>
#endif

#include "engine/IGlobalSynth.h"
#include "engine/IModulation.h"
#include "engine/ModulationMatrix.h"
#include "engine/Vectorize.h"
#include "engine/Voice.h"

CAmpEnv::CAmpEnv(IGlobalSynth* synth) : m_synth(synth) {}

CAmpEnv::~CAmpEnv() {}

namespace {

// The envelope times the voice switch, one value per control step, on the
// oversampled samples. The gain is formed once per control step and spread
// over its samples four at a time (SSE2, the x86-64 baseline); the products
// are the same as sample by sample.
MORLAVINE_VECTORIZE void ApplyEnvelope(float* __restrict left, float* __restrict right, const float* __restrict env,
                                       const float* __restrict sw, unsigned int shift, unsigned int n) {
  unsigned int i = 0;
#if defined(MORLAVINE_SSE2)
  if (shift == 1) {
    // Two control steps per four samples: gains g0 g0 g1 g1.
    for (; i + 4 <= n; i += 4) {
      const unsigned int k = i >> 1;
      const __m128 e = _mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(env + k)));
      const __m128 v = _mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(sw + k)));
      const __m128 g = _mm_mul_ps(e, v);
      const __m128 gain = _mm_unpacklo_ps(g, g);
      _mm_storeu_ps(left + i, _mm_mul_ps(_mm_loadu_ps(left + i), gain));
      _mm_storeu_ps(right + i, _mm_mul_ps(_mm_loadu_ps(right + i), gain));
    }
  } else if (shift >= 2) {
    // Four or more samples per control step: one gain, broadcast.
    const unsigned int step = 1u << shift;
    for (; i + step <= n; i += step) {
      const __m128 gain = _mm_set1_ps(env[i >> shift] * sw[i >> shift]);
      for (unsigned int j = i; j < i + step; j += 4) {
        _mm_storeu_ps(left + j, _mm_mul_ps(_mm_loadu_ps(left + j), gain));
        _mm_storeu_ps(right + j, _mm_mul_ps(_mm_loadu_ps(right + j), gain));
      }
    }
  }
#endif
  for (; i < n; ++i) {
    const float gain = env[i >> shift] * sw[i >> shift];
    left[i] *= gain;
    right[i] *= gain;
  }
}

}  // namespace

void CAmpEnv::Process(CVoice* voice, float* left, float* right, unsigned int n) {
  IModulation* mod = m_synth->GetIModulation();
  if (!mod) return;
  const unsigned int shift = m_synth->GetOversamplingShift();
  const float* env = mod->GetAmpEnv();
  const float* sw = mod->GetVoiceSwitch();
  if (!env || !sw) return;

  const VOICE_SWITCH_STATE* vs = voice->GetVoiceSwitchState();
  if (vs->state == VOICE_SWITCH_RELEASE &&
      TruncateSetting(m_synth->GetParam(PARAM_VOICE_MODE)) == VOICE_MODE_LEGATO &&
      m_synth->GetParam(PARAM_ARP_ON) == 0.0f) {
    // Legato release fade: the shared envelope belongs to the newest note,
    // so this voice fades from the level it was released at.
    const float level = vs->releaseLevel;
    for (unsigned int i = 0; i < n; ++i) {
      float gain = sw[i >> shift] * level;
      left[i] *= gain;
      right[i] *= gain;
    }
    return;
  }
  ApplyEnvelope(left, right, env, sw, shift, n);
}
