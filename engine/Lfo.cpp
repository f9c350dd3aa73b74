#include "engine/Lfo.h"

#include <cmath>
#include <cstdlib>

#include "engine/FastFloor.h"
#include "engine/IGlobalSynth.h"
#include "engine/Random.h"
#include "engine/Voice.h"
#include "osc/PhaseRun.h"
#include "tables/EnvTables.h"
#include "tables/LfoTables.h"
#include "tables/NoiseTables.h"
#include "tables/TimeScale.h"

namespace {

const float RAND_SCALE = 4.656613e-10f;  // 2^-31
const unsigned int SHAPE_RAND_STEP = 8;
const unsigned int SHAPE_RAND_SLIDE = 9;
const unsigned int SHAPE_CRACKLES = 10;
const float CRACKLE_SAMPLES = 800.0f;

const float* const SHAPE_TABLES[8] = {
    LfoTables::SINE_TABLE,   LfoTables::TRIANGLE_TABLE, LfoTables::SAW_TABLE,       LfoTables::LOG_TABLE,
    LfoTables::EXP_TABLE,    LfoTables::SQUARE_TABLE,   LfoTables::LOGSQUARE_TABLE, LfoTables::EXPSQUARE_TABLE,
};

// A stored shape, trigger or sync setting truncated toward zero; anything
// outside 0..last (negative, NaN, too large) becomes last.
unsigned int ClampSetting(float v, unsigned int last) {
  if (v > -1.0f && v < static_cast<float>(last) + 1.0f) return static_cast<unsigned int>(static_cast<int>(v));
  return last;
}

// n steps of the phase at rate r (step r^2 inc), each taken by advance,
// which also handles the wraps. A settled, unmodulated rate is read once for
// the block, and the stretches between wraps are jumped over, landing on the
// same float.
template <class ADVANCE>
void RunPhase(const MODULATED_PARAM& rate, float& phase, float inc, unsigned int n, ADVANCE&& advance) {
  if (rate.constant) {
    const float r = rate.GetConstantValue();
    const float step = r * r * inc;
    for (unsigned int i = 0; i < n;) {
      float d = 0.0f;
      const unsigned int k = PhaseRun::Stretch(phase, step, n - i, d);
      if (k > 0) {
        phase = phase + static_cast<float>(k) * d;
        i += k;
        continue;
      }
      advance(step);
      ++i;
    }
  } else {
    for (unsigned int i = 0; i < n; ++i) {
      const float r = rate.GetValue(i);
      advance(r * r * inc);
    }
  }
}

float DrawSeed(IGlobalSynth* synth) {
  float s = static_cast<float>(synth->GetRandom().Next()) * RAND_SCALE;
  return s < 1.0f ? s : 0.0f;
}

inline float Frac(float v) { return v - FastFloor(v); }

// White-noise value picked by a position in [0, 1).
inline float NoiseAt(float f) {
  float u = f * static_cast<float>(Tables::NOISE_WHITE_TABLE_SIZEM1);
  unsigned int k = u > 0.0f ? static_cast<unsigned int>(u) : 0;
  if (k > Tables::NOISE_WHITE_TABLE_SIZEM1) k = Tables::NOISE_WHITE_TABLE_SIZEM1;
  return Tables::NOISE_WHITE_TABLE[k];
}

}  // namespace

CLfo::CLfo(IGlobalSynth* synth) : m_synth(synth) {
  m_amount.Init(synth);
  m_rate.Init(synth);
  m_phase.Init(synth);
}

void CLfo::SetInstance(unsigned int instance) {
  m_instance = instance;
  m_amount.SetParamId(PARAM_LFO_AMOUNT + instance);
  m_rate.SetParamId(PARAM_LFO_RATE + instance);
  m_phase.SetParamId(PARAM_LFO_PHASE + instance);
  m_amount.SetUseOversamplingShift(false);
  m_rate.SetUseOversamplingShift(false);
  m_phase.SetUseOversamplingShift(false);
}

void CLfo::SetSampleRate(float rate) { m_sampleRate = rate; }

void CLfo::UpdateParams(unsigned int n) {
  m_amount.Update(n);
  m_rate.Update(n);
  m_phase.Update(n);
}

float CLfo::_GetIncrement(unsigned int shape) {
  unsigned int sync = TimeScale::ClampIndex(m_synth->GetParam(PARAM_LFO_SYNC + m_instance));
  float t = TimeScale::ToSeconds(sync, m_synth->GetHostTempo());
  if (shape == SHAPE_RAND_STEP || shape == SHAPE_RAND_SLIDE) t = t * 0.5f;
  else if (shape == SHAPE_CRACKLES) t = t * 0.125f;
  float inc = 1.0f / (t * m_sampleRate);
  // Before the first sample rate the phase stands still.
  return std::isfinite(inc) ? inc : 0.0f;
}

void CLfo::Reset(CVoice* voice) {
  LFO_STATE* st = voice->GetLfoState(m_instance);
  if (voice->GetUnisonVoice() == 0) m_seed = DrawSeed(m_synth);
  unsigned int trigger = ClampSetting(m_synth->GetParam(PARAM_LFO_TRIGGER + m_instance), LFO_TRIGGER_FIRST_KEY);
  if (trigger != LFO_TRIGGER_POLY) {
    st->current = m_current;
    st->previous = m_previous;
  } else {
    st->phase = 0.0f;
    st->current = NoiseAt(Frac(m_seed));
    st->previous = 0.0f;
  }
}

void CLfo::Generate(CVoice* voice, float* out, unsigned int n) {
  if (m_synth->GetParam(PARAM_LFO_ON + m_instance) == 0.0f) {
    if (out)
      for (unsigned int i = 0; i < n; ++i) out[i] = 0.0f;
    return;
  }
  const unsigned int trigger = ClampSetting(m_synth->GetParam(PARAM_LFO_TRIGGER + m_instance), LFO_TRIGGER_FIRST_KEY);
  const unsigned int shape = ClampSetting(m_synth->GetParam(PARAM_LFO_SHAPE + m_instance), LFO_SHAPE_COUNT - 1);
  LFO_STATE* st = voice->GetLfoState(m_instance);

  float phase = trigger == LFO_TRIGGER_POLY ? st->phase : m_freePhase;
  const float inc = _GetIncrement(shape);
  const float sizeM1 = static_cast<float>(LfoTables::SINE_TABLE_SIZEM1);
  const float* table = shape < 8 ? SHAPE_TABLES[shape] : nullptr;
  float current = st->current;
  float previous = st->previous;

  // One step of the phase; each wrap draws the next random value.
  auto advance = [&](float d) {
    phase = phase + d;
    if (phase >= 1.0f) {
      previous = current;
      current = NoiseAt(Frac(phase * 1000.0f + m_seed));
      phase = phase - FastFloor(phase);
    }
  };

  // One loop for both cases below; the values come from the getters.
  auto run = [&](auto amountAt, auto rateAt, auto phaseAt) {
    for (unsigned int i = 0; i < n; ++i) {
      const float a = amountAt(i);
      const float r = rateAt(i);
      const float po = phaseAt(i);
      float x = po + phase;
      if (x > 1.0f) x = x - FastFloor(x);
      const float d = r * r * inc;
      float y;
      if (table) {
        float u = x * sizeM1;
        // Keeps a damaged phase or offset (negative, NaN) inside the table.
        if (!(u >= 0.0f)) u = 0.0f;
        if (u > sizeM1) u = sizeM1;
        unsigned int k = static_cast<unsigned int>(u);
        y = table[k] + (table[k + 1] - table[k]) * (u - static_cast<float>(k));
      } else if (shape == SHAPE_RAND_STEP) {
        y = current;
      } else if (shape == SHAPE_RAND_SLIDE) {
        y = previous + x * (current - previous);
      } else {
        const float w = CRACKLE_SAMPLES * d;
        if (w > x) {
          float t = static_cast<float>(static_cast<double>(x) * std::fabs(static_cast<double>(current)) /
                                       static_cast<double>(w));
          float u = t * static_cast<float>(Tables::ENV_DECAY_TABLE_SIZEM1);
          if (!(u >= 0.0f)) u = 0.0f;
          const float lastK = static_cast<float>(Tables::ENV_DECAY_TABLE_SIZEM1 - 1);
          if (u > lastK) u = lastK;
          unsigned int k = static_cast<unsigned int>(u);
          const float* e = Tables::ENV_DECAY_TABLE;
          y = (e[k] + (e[k + 1] - e[k]) * (u - static_cast<float>(k))) * current;
        } else {
          y = 0.0f;
        }
      }
      out[i] = a * a * y;
      advance(d);
    }
  };
  if (!out) {
    // Nobody reads the output: only the phase and the random values move on,
    // as they would below.
    RunPhase(m_rate, phase, inc, n, advance);
  } else if (m_amount.constant && m_rate.constant && m_phase.constant && table) {
    // Settled controls and a table shape (the usual case, e.g. the vibrato
    // LFO at rest): the phases run first, alone, in chunks; the table reads
    // then depend on nothing but their own phase.
    const float a = m_amount.GetConstantValue();
    const float r = m_rate.GetConstantValue();
    const float po = m_phase.GetConstantValue();
    const float d = r * r * inc;
    const float gain = a * a;
    const unsigned int CHUNK = 128;
    float phases[CHUNK];
    for (unsigned int i = 0; i < n; i += CHUNK) {
      const unsigned int count = n - i < CHUNK ? n - i : CHUNK;
      for (unsigned int j = 0; j < count; ++j) {
        phases[j] = phase;
        advance(d);
      }
      for (unsigned int j = 0; j < count; ++j) {
        float x = po + phases[j];
        if (x > 1.0f) x = x - FastFloor(x);
        float u = x * sizeM1;
        if (!(u >= 0.0f)) u = 0.0f;
        if (u > sizeM1) u = sizeM1;
        const unsigned int k = static_cast<unsigned int>(u);
        out[i + j] = gain * (table[k] + (table[k + 1] - table[k]) * (u - static_cast<float>(k)));
      }
    }
  } else if (m_amount.constant && m_rate.constant && m_phase.constant) {
    // Settled and unmodulated controls: each value is read once for the
    // block instead of per sample.
    const float a = m_amount.GetConstantValue();
    const float r = m_rate.GetConstantValue();
    const float po = m_phase.GetConstantValue();
    run([a](unsigned int) { return a; }, [r](unsigned int) { return r; }, [po](unsigned int) { return po; });
  } else {
    run([this](unsigned int i) { return m_amount.GetValue(i); }, [this](unsigned int i) { return m_rate.GetValue(i); },
        [this](unsigned int i) { return m_phase.GetValue(i); });
  }

  // A damaged rate (not finite) must not leave the phase stuck at NaN.
  if (!(phase >= 0.0f && phase < 1.0f)) phase = 0.0f;
  st->current = current;
  st->previous = previous;
  if (trigger == LFO_TRIGGER_POLY) st->phase = phase;
  m_current = current;
  m_previous = previous;
}

void CLfo::FreePhaseRun(unsigned int n) {
  const unsigned int shape = ClampSetting(m_synth->GetParam(PARAM_LFO_SHAPE + m_instance), LFO_SHAPE_COUNT - 1);
  const float inc = _GetIncrement(shape);
  float phase = m_freePhase;
  // One step; each wrap draws a new seed.
  auto advance = [&](float d) {
    phase = phase + d;
    if (phase >= 1.0f) {
      m_seed = DrawSeed(m_synth);
      phase = phase - FastFloor(phase);
    }
  };
  RunPhase(m_rate, phase, inc, n, advance);
  if (!(phase >= 0.0f && phase < 1.0f)) phase = 0.0f;
  m_freePhase = phase;
}

void CLfo::FirstKeyPress() {
  unsigned int trigger = ClampSetting(m_synth->GetParam(PARAM_LFO_TRIGGER + m_instance), LFO_TRIGGER_FIRST_KEY);
  if (trigger != LFO_TRIGGER_FIRST_KEY) return;
  m_freePhase = 0.0f;
  m_seed = DrawSeed(m_synth);
  m_current = NoiseAt(Frac(m_seed));
  m_previous = 0.0f;
}

void CLfo::ResetFreePhase() { m_freePhase = 0.0f; }
