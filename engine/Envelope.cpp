#include "engine/Envelope.h"

#include <cmath>

#include "engine/IGlobalSynth.h"
#include "engine/Voice.h"
#include "tables/EnvTables.h"
#include "tables/TimeScale.h"

namespace {

// Plain settings come from presets and the host; a value that is not finite
// counts as 0 so the envelope stays finite.
inline float Finite(float v) { return std::isfinite(v) ? v : 0.0f; }

const float DECLICK_TIME = 0.010000001f;

// Fall curve at position p: the decay table in exp mode; in var mode
// (1 - p)^3, bent by the slope unless it is exactly 0.5.
inline float FallCurve(bool expMode, float p, float slope) {
  if (expMode) {
    float u = p * static_cast<float>(Tables::ENV_DECAY_TABLE_SIZEM1);
    unsigned int k = u > 0.0f ? static_cast<unsigned int>(u) : 0;
    if (k > Tables::ENV_DECAY_TABLE_SIZEM1) k = Tables::ENV_DECAY_TABLE_SIZEM1;
    return Tables::ENV_DECAY_TABLE[k];
  }
  float y = 1.0f - p;
  if (slope != 0.5f) y = slope * 3.0f * p * y + y * y * y;
  return y * y * y;
}

}  // namespace

CEnvelope::CEnvelope(IGlobalSynth* synth) : m_synth(synth) {
  m_attack.Init(synth);
  m_decay.Init(synth);
  m_sustain.Init(synth);
  m_release.Init(synth);
  m_slope.Init(synth);
}

void CEnvelope::SetInstance(unsigned int instance) {
  m_instance = instance;
  m_attack.SetParamId(PARAM_ENV_ATTACK + instance);
  m_decay.SetParamId(PARAM_ENV_DECAY + instance);
  m_sustain.SetParamId(PARAM_ENV_SUSTAIN + instance);
  m_release.SetParamId(PARAM_ENV_RELEASE + instance);
  m_slope.SetParamId(PARAM_ENV_SLOPE + instance);
  m_attack.SetUseOversamplingShift(false);
  m_decay.SetUseOversamplingShift(false);
  m_sustain.SetUseOversamplingShift(false);
  m_release.SetUseOversamplingShift(false);
  m_slope.SetUseOversamplingShift(false);
}

void CEnvelope::SetSampleRate(float rate) { m_sampleRate = rate; }

void CEnvelope::UpdateParams(unsigned int n) {
  m_attack.Update(n);
  m_decay.Update(n);
  m_sustain.Update(n);
  m_release.Update(n);
  m_slope.Update(n);
}

void CEnvelope::Reset(CVoice* voice) {
  ENV_STATE* st = voice->GetEnvState(m_instance);
  st->finished = 0;
  st->position = 0.0f;
  st->level = 0.0f;
  st->stage = ENV_STAGE_ATTACK;
}

void CEnvelope::Generate(CVoice* voice, float* out, unsigned int n) {
  const unsigned int inst = m_instance;
  if (m_synth->GetParam(PARAM_ENV_ON + inst) == 0.0f) {
    for (unsigned int i = 0; i < n; ++i) out[i] = 0.0f;
    return;
  }

  const bool expMode = TruncateSetting(m_synth->GetParam(PARAM_ENV_MODE + inst)) == 0;
  const unsigned int sync = TimeScale::ClampIndex(m_synth->GetParam(PARAM_ENV_SYNC + inst));
  const float r = TimeScale::ToSeconds(sync, m_synth->GetHostTempo());
  const float keyscale = Finite(m_synth->GetParam(PARAM_ENV_KEYSCALE + inst));
  const float transpose = Finite(m_synth->GetParam(PARAM_TRANSPOSE));
  const float note = static_cast<float>(*voice->GetPitch());
  const float m = std::pow(2.0f, keyscale * ((transpose + note) / -63.0f + 1.0f) * 4.0f);
  const float step = 1.0f / (m * m_sampleRate);
  const float velscale = Finite(m_synth->GetParam(PARAM_ENV_VELSCALE + inst));
  const float peak = velscale * (*voice->GetVelocity() - 1.0f) + 1.0f;
  const float declick = m_synth->GetParam(PARAM_DECLICK) != 0.0f ? DECLICK_TIME : 0.0f;
  const bool gate = *voice->GetGate() != 0;

  ENV_STATE* st = voice->GetEnvState(inst);
  if (n == 0) {
    if (st->stage == ENV_STAGE_DONE) st->finished = 1;
    return;
  }

  float position = st->position;
  float level = st->level;
  unsigned int stage = st->stage;
  if (m_attack.constant && m_decay.constant && m_sustain.constant && m_release.constant && m_slope.constant) {
    // Settled times and levels: each stage's step is one division per block
    // instead of one per sample, with the same quotient; a held sustain and
    // the end fill the rest of the block.
    const float a = m_attack.GetConstantValue();
    const float d = m_decay.GetConstantValue();
    const float s = m_sustain.GetConstantValue();
    const float rel = m_release.GetConstantValue();
    const float slope = m_slope.GetConstantValue();
    const float sustain = peak * s * s;
    float tA = a * a * a * r + 0.0005f;
    if (expMode) tA = tA * 2.0f;
    const float incA = step / tA;
    const float incD = step / (d * d * r + 0.004f);
    float tR = rel * rel * r + 0.0005f + declick;
    if (expMode) tR = tR * 2.0f;
    const float incR = step / tR;
    for (unsigned int i = 0; i < n; ++i) {
      if (stage >= ENV_STAGE_DONE) {
        for (unsigned int j = i; j < n; ++j) out[j] = 0.0f;
        break;
      }
      switch (stage) {
        case ENV_STAGE_ATTACK:
          position += incA;
          if (position > 1.0f) {
            level = peak;
            stage = ENV_STAGE_DECAY;
            position = 0.0f;
            out[i] = peak;
          } else {
            level = position * peak;
            out[i] = level;
          }
          break;
        case ENV_STAGE_DECAY:
          position += incD;
          if (position > 1.0f) {
            level = sustain;
            stage = ENV_STAGE_SUSTAIN;
            out[i] = sustain;
          } else {
            level = sustain + (peak - sustain) * FallCurve(expMode, position, slope);
            out[i] = level;
          }
          break;
        case ENV_STAGE_SUSTAIN:
          if (gate) {
            for (unsigned int j = i; j < n; ++j) out[j] = sustain;
            level = sustain;
            i = n;
            continue;
          }
          out[i] = sustain;
          level = sustain;
          break;
        default:  // release
          position += incR;
          if (!(position > 1.0f)) {
            out[i] = FallCurve(expMode, position, slope) * level;
          } else {
            out[i] = 0.0f;
            stage = ENV_STAGE_DONE;
          }
          break;
      }
      if (stage < ENV_STAGE_RELEASE && !gate) {
        stage = ENV_STAGE_RELEASE;
        position = 0.0f;
      }
    }
    st->position = position;
    st->level = level;
    st->stage = stage;
    if (stage == ENV_STAGE_DONE) st->finished = 1;
    return;
  }
  for (unsigned int i = 0; i < n; ++i) {
    float a = m_attack.GetValue(i);
    float d = m_decay.GetValue(i);
    float s = m_sustain.GetValue(i);
    float rel = m_release.GetValue(i);
    float slope = m_slope.GetValue(i);
    if (stage >= ENV_STAGE_DONE) {
      out[i] = 0.0f;
      continue;
    }
    float sustain = peak * s * s;
    switch (stage) {
      case ENV_STAGE_ATTACK: {
        float t = a * a * a * r + 0.0005f;
        if (expMode) t = t * 2.0f;
        position += step / t;
        if (position > 1.0f) {
          level = peak;
          stage = ENV_STAGE_DECAY;
          position = 0.0f;
          out[i] = peak;
        } else {
          level = position * peak;
          out[i] = level;
        }
        break;
      }
      case ENV_STAGE_DECAY: {
        position += step / (d * d * r + 0.004f);
        if (position > 1.0f) {
          level = sustain;
          stage = ENV_STAGE_SUSTAIN;
          out[i] = sustain;
        } else {
          float f = FallCurve(expMode, position, slope);
          level = sustain + (peak - sustain) * f;
          out[i] = level;
        }
        break;
      }
      case ENV_STAGE_SUSTAIN:
        out[i] = sustain;
        level = sustain;
        break;
      default: {  // release
        float t = rel * rel * r + 0.0005f + declick;
        if (expMode) t = t * 2.0f;
        position += step / t;
        if (!(position > 1.0f)) {
          out[i] = FallCurve(expMode, position, slope) * level;
        } else {
          out[i] = 0.0f;
          stage = ENV_STAGE_DONE;
        }
        break;
      }
    }
    if (stage < ENV_STAGE_RELEASE && !gate) {
      stage = ENV_STAGE_RELEASE;
      position = 0.0f;
    }
  }
  st->position = position;
  st->level = level;
  st->stage = stage;
  if (stage == ENV_STAGE_DONE) st->finished = 1;
}
