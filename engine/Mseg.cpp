#include "engine/Mseg.h"

#include <cmath>

#include "engine/IGlobalSynth.h"
#include "engine/Voice.h"
#include "tables/TimeScale.h"

namespace {

const float SMOOTHING_OMEGA = 314.15927f;  // 2 pi x 50 Hz
const int LAST_POINT = static_cast<int>(MSEG_POINT_COUNT) - 1;
const unsigned int LAST_CURVE_MODE = MSEG_SMOOTH_STEPS;

// Stored integer settings truncated toward zero; values no int can hold
// (NaN, huge) become INT_MIN-like -2^31, which every caller treats as "none".
int ToInt(float v) {
  if (v > -2147483648.0f && v < 2147483648.0f) return static_cast<int>(v);
  return -2147483647 - 1;
}

}  // namespace

CMseg::CMseg(IGlobalSynth* synth) : m_synth(synth), m_shared() { m_rate.Init(synth); }

void CMseg::SetInstance(unsigned int instance) {
  m_instance = instance;
  m_rate.SetParamId(PARAM_MSEG_RATE + instance);
  m_rate.SetUseOversamplingShift(false);
}

void CMseg::SetSampleRate(float rate) {
  m_sampleRate = rate;
  float e = std::exp(-SMOOTHING_OMEGA / rate);
  m_a = 1.0f - e;
  m_b = -e;
}

void CMseg::UpdateParams(unsigned int n) { m_rate.Update(n); }

void CMseg::BeforeProcessFirstVoice() { m_firstVoice = 1; }

void CMseg::FirstKeyPress() { m_firstKeyRequest = 1; }

// A point time that is not a finite number ends the list like time -1.
float CMseg::_PointTime(int k) {
  float t = m_synth->GetParam(PARAM_MSEG_POINT_TIME + PARAM_MSEG_POINT_STRIDE * m_instance + static_cast<unsigned int>(k));
  return std::isfinite(t) ? t : -1.0f;
}

float CMseg::_PointLevel(int k) {
  float l = m_synth->GetParam(PARAM_MSEG_POINT_LEVEL + PARAM_MSEG_POINT_STRIDE * m_instance + static_cast<unsigned int>(k));
  return std::isfinite(l) ? l : 0.0f;
}

float CMseg::_PointCurve(int k) {
  float c = m_synth->GetParam(PARAM_MSEG_POINT_CURVE + PARAM_MSEG_POINT_STRIDE * m_instance + static_cast<unsigned int>(k));
  return std::isfinite(c) ? c : 0.0f;
}

void CMseg::Reset(CVoice* voice) {
  MSEG_STATE* st = voice->GetMsegState(m_instance);
  int trigger = ToInt(m_synth->GetParam(PARAM_MSEG_TRIGGER + m_instance));
  if (trigger == static_cast<int>(MSEG_TRIGGER_MONO)) m_restartRequest = 1;
  if (trigger == static_cast<int>(MSEG_TRIGGER_POLY) || trigger == static_cast<int>(MSEG_TRIGGER_MONO)) {
    st->position = 0.0f;
    st->pointIndex = 0;
    st->smoothed = 0.0f;
  } else if (trigger == static_cast<int>(MSEG_TRIGGER_FIRST_KEY)) {
    st->position = m_shared.position;
    st->pointIndex = m_shared.pointIndex;
    st->smoothed = m_shared.smoothed;
  }
  st->finished = 0;
}

int CMseg::GetNextPoint(int index, bool gate) {
  if (index == -1) return -1;
  float loop = m_synth->GetParam(PARAM_MSEG_LOOP + m_instance);
  int loopStart = ToInt(m_synth->GetParam(PARAM_MSEG_LOOP_START + m_instance));
  int loopEnd = ToInt(m_synth->GetParam(PARAM_MSEG_LOOP_END + m_instance));
  long long next = (loop != 0.0f && gate && loopEnd <= index) ? loopStart : static_cast<long long>(index) + 1;
  if (next < 0 || next > LAST_POINT) return -1;
  if (_PointTime(static_cast<int>(next)) == -1.0f) return -1;
  return static_cast<int>(next);
}

void CMseg::Generate(CVoice* voice, float* out, unsigned int n) {
  const unsigned int m = m_instance;
  if (m_synth->GetParam(PARAM_MSEG_ON + m) == 0.0f) {
    for (unsigned int i = 0; i < n; ++i) out[i] = 0.0f;
    return;
  }
  const int trigger = ToInt(m_synth->GetParam(PARAM_MSEG_TRIGGER + m));
  MSEG_STATE* st = voice->GetMsegState(m);
  const bool gate = *voice->GetGate() == 1;

  if (trigger != static_cast<int>(MSEG_TRIGGER_POLY)) {
    if (m_firstVoice && !st->finished) {
      m_firstVoice = 0;
      m_shared.position = st->position;
      m_shared.pointIndex = st->pointIndex;
      m_shared.smoothed = st->smoothed;
    }
    if (m_restartRequest) {
      m_restartRequest = 0;
      st->finished = 0;
      m_shared.position = 0.0f;
      m_shared.pointIndex = 0;
      m_shared.smoothed = 0.0f;
    }
    if (m_firstKeyRequest) {
      m_firstKeyRequest = 0;
      m_shared.position = 0.0f;
      m_shared.pointIndex = 0;
      m_shared.smoothed = 0.0f;
    }
    if (!st->finished) {
      st->position = m_shared.position;
      st->pointIndex = m_shared.pointIndex;
      st->smoothed = m_shared.smoothed;
    }
  }

  const int modeValue = ToInt(m_synth->GetParam(PARAM_MSEG_CURVE_MODE + m));
  const unsigned int mode =
      (modeValue >= 0 && modeValue <= static_cast<int>(LAST_CURVE_MODE)) ? static_cast<unsigned int>(modeValue)
                                                                         : LAST_CURVE_MODE;
  const int snap = ToInt(m_synth->GetParam(PARAM_MSEG_LEVEL_SNAP + m));
  const float scale = (snap >= 7 && snap <= 12) ? static_cast<float>(snap - 6) / 8.0f : 1.0f;

  int c = st->pointIndex;
  if (c < 0 || c > LAST_POINT) c = 0;  // the state holds only indices it was given
  st->pointIndex = c;
  float t0 = _PointTime(c);
  float l0 = _PointLevel(c);
  int next = GetNextPoint(c, gate);
  if (next == -1) {
    st->finished = 1;
    for (unsigned int i = 0; i < n; ++i) out[i] = l0 * scale;
    return;
  }
  float t1 = _PointTime(next);
  float l1 = _PointLevel(next);
  float k1 = _PointCurve(next);

  const unsigned int sync = TimeScale::ClampIndex(m_synth->GetParam(PARAM_MSEG_SYNC + m));
  const float cycle = TimeScale::ToSeconds(sync, m_synth->GetHostTempo());
  float inc = 1.0f / (cycle * m_sampleRate);
  if (!std::isfinite(inc)) inc = 0.0f;  // no sample rate yet: stand still
  if (n == 0) return;

  float position = st->position;
  if (!std::isfinite(position)) position = t0;
  float smoothed = st->smoothed;
  for (unsigned int s = 0; s < n; ++s) {
    const float r = m_rate.GetValue(s);
    float y;
    if (t1 == t0) {
      y = l1;
    } else if (mode == MSEG_STEPS) {
      y = l0;
    } else if (mode == MSEG_CURVE) {
      float x = (position - t0) * (1.0f / (t1 - t0));
      float h = 0.5f * ((l1 + l0) - (l1 - l0) * k1);
      float ix = 1.0f - x;
      y = x * x * x * l1 + 3.0f * h * x * ix + ix * ix * ix * l0;
    } else {
      smoothed = m_a * l0 - m_b * smoothed;
      y = smoothed;
    }
    out[s] = y * scale;
    position = position + r * r * inc;
    if (position >= t1) {
      c = GetNextPoint(c, gate);
      st->pointIndex = c;
      next = GetNextPoint(c, gate);
      if (next == -1) {
        st->finished = 1;
        for (unsigned int j = s + 1; j < n; ++j) out[j] = l1 * scale;
        break;
      }
      float overshoot = position - t1;
      if (next < c) {
        c = GetNextPoint(c, gate);
        st->pointIndex = c;
        next = GetNextPoint(c, gate);
        if (next == -1) {  // only when the settings are contradictory
          st->finished = 1;
          for (unsigned int j = s + 1; j < n; ++j) out[j] = l1 * scale;
          break;
        }
      }
      t0 = _PointTime(c);
      l0 = _PointLevel(c);
      t1 = _PointTime(next);
      l1 = _PointLevel(next);
      k1 = _PointCurve(next);
      position = overshoot + t0;
    }
  }
  st->position = position;
  st->smoothed = smoothed;
}
