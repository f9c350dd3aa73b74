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

// What a block's stages need besides the five controls: the time scale in
// seconds, the per-sample step, the peak level, the declick time and the
// curve mode.
struct STAGE_SETTINGS {
  float r;
  float step;
  float peak;
  float declick;
  bool expMode;
};

// Each stage's position step per sample for the settings A, D, R; the
// attack and release last twice as long in exp mode.
inline float AttackIncrement(float a, const STAGE_SETTINGS& k) {
  float t = a * a * a * k.r + 0.0005f;
  if (k.expMode) t = t * 2.0f;
  return k.step / t;
}
inline float DecayIncrement(float d, const STAGE_SETTINGS& k) { return k.step / (d * d * k.r + 0.004f); }
inline float ReleaseIncrement(float rel, const STAGE_SETTINGS& k) {
  float t = rel * rel * k.r + 0.0005f + k.declick;
  if (k.expMode) t = t * 2.0f;
  return k.step / t;
}

// The controls of a block whose settings hold still: every step is one
// division per block instead of one per sample (the same quotient), and a
// held sustain fills the rest of the block at once.
class CSettledControls {
 public:
  static const bool SETTLED = true;
  CSettledControls(float a, float d, float s, float rel, float slope, const STAGE_SETTINGS& k)
      : m_incA(AttackIncrement(a, k)),
        m_incD(DecayIncrement(d, k)),
        m_incR(ReleaseIncrement(rel, k)),
        m_sustain(k.peak * s * s),
        m_slope(slope) {}
  float Attack(unsigned int) const { return m_incA; }
  float Decay(unsigned int) const { return m_incD; }
  float Release(unsigned int) const { return m_incR; }
  float Sustain(unsigned int) const { return m_sustain; }
  float Slope(unsigned int) const { return m_slope; }

 private:
  float m_incA, m_incD, m_incR, m_sustain, m_slope;
};

// The controls of a block in which a setting moves: each read at its sample.
class CMovingControls {
 public:
  static const bool SETTLED = false;
  CMovingControls(const MODULATED_PARAM& a, const MODULATED_PARAM& d, const MODULATED_PARAM& s,
                  const MODULATED_PARAM& rel, const MODULATED_PARAM& slope, const STAGE_SETTINGS& k)
      : m_a(a), m_d(d), m_s(s), m_rel(rel), m_slope(slope), m_k(k) {}
  float Attack(unsigned int i) const { return AttackIncrement(m_a.GetValue(i), m_k); }
  float Decay(unsigned int i) const { return DecayIncrement(m_d.GetValue(i), m_k); }
  float Release(unsigned int i) const { return ReleaseIncrement(m_rel.GetValue(i), m_k); }
  float Sustain(unsigned int i) const {
    const float s = m_s.GetValue(i);
    return m_k.peak * s * s;
  }
  float Slope(unsigned int i) const { return m_slope.GetValue(i); }

 private:
  const MODULATED_PARAM &m_a, &m_d, &m_s, &m_rel, &m_slope;
  const STAGE_SETTINGS& m_k;
};

// The state machine, once for both kinds of controls: n samples of the
// voice's envelope from its stored state, written back at the end.
template <class CONTROLS>
void RunStages(const CONTROLS& c, const STAGE_SETTINGS& k, bool gate, ENV_STATE* st, float* out, unsigned int n) {
  const float peak = k.peak;
  float position = st->position;
  float level = st->level;
  unsigned int stage = st->stage;
  for (unsigned int i = 0; i < n; ++i) {
    if (stage >= ENV_STAGE_DONE) {
      for (unsigned int j = i; j < n; ++j) out[j] = 0.0f;
      break;
    }
    switch (stage) {
      case ENV_STAGE_ATTACK:
        position += c.Attack(i);
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
      case ENV_STAGE_DECAY: {
        position += c.Decay(i);
        const float sustain = c.Sustain(i);
        if (position > 1.0f) {
          level = sustain;
          stage = ENV_STAGE_SUSTAIN;
          out[i] = sustain;
        } else {
          level = sustain + (peak - sustain) * FallCurve(k.expMode, position, c.Slope(i));
          out[i] = level;
        }
        break;
      }
      case ENV_STAGE_SUSTAIN: {
        const float sustain = c.Sustain(i);
        level = sustain;
        if (CONTROLS::SETTLED && gate) {
          for (unsigned int j = i; j < n; ++j) out[j] = sustain;
          i = n;
          continue;
        }
        out[i] = sustain;
        break;
      }
      default:  // release
        position += c.Release(i);
        if (!(position > 1.0f)) {
          out[i] = FallCurve(k.expMode, position, c.Slope(i)) * level;
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

  const STAGE_SETTINGS k = {r, step, peak, declick, expMode};
  if (m_attack.constant && m_decay.constant && m_sustain.constant && m_release.constant && m_slope.constant) {
    const CSettledControls controls(m_attack.GetConstantValue(), m_decay.GetConstantValue(),
                                    m_sustain.GetConstantValue(), m_release.GetConstantValue(),
                                    m_slope.GetConstantValue(), k);
    RunStages(controls, k, gate, st, out, n);
  } else {
    const CMovingControls controls(m_attack, m_decay, m_sustain, m_release, m_slope, k);
    RunStages(controls, k, gate, st, out, n);
  }
}
