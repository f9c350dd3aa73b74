#include "fx/Distortion.h"

#include <cmath>

#include "engine/IGlobalSynth.h"
#include "engine/ParamIds.h"
#include "tables/EffectCurves.h"

namespace {

enum { CURVE_CLASSIC = 0, CURVE_TUBE1 = 1, CURVE_TUBE2 = 2 };

// The classic soft clip: v (|v| + 3) / (|v| (|v| + 3) + 6), odd, 0 at 0,
// approaching +-1.
inline float ClassicCurve(float v) {
  const float a = std::fabs(v);
  return v * (a + 3.0f) / (a * (a + 3.0f) + 6.0f);
}

// A tube curve read at table position p: the end entries outside the table,
// linear interpolation inside. NaN reads entry 0.
inline float CurveRead(const float* table, unsigned int size, float p) {
  if (!(p > 0.0f)) return table[0];
  if (p >= static_cast<float>(size - 1)) return table[size - 1];
  const unsigned int i = static_cast<unsigned int>(p);
  const float phi = p - static_cast<float>(i);
  return (1.0f - phi) * table[i] + phi * table[i + 1];
}

inline float Tube1(float v) {
  return CurveRead(Tables::TUBE_TABLE, Tables::TUBE_TABLE_SIZE, (v + 1.0f) * (0.5f * Tables::TUBE_TABLE_SIZE));
}

inline float Tube2(float v) {
  return CurveRead(Tables::TUBE2_TABLE, Tables::TUBE2_TABLE_SIZE, (v + 1.0f) * (0.5f * Tables::TUBE2_TABLE_SIZE));
}

// Keeps a sample that left the number range (an input of inf or NaN) out of
// the filter memories downstream.
inline float Finite(float v) { return std::isfinite(v) ? v : 0.0f; }

}  // namespace

CDistortion::CDistortion(IGlobalSynth* synth, unsigned int instance) : m_synth(synth), m_instance(instance) {
  const unsigned int base = PARAM_FX_DISTORTION + instance;
  const unsigned int ids[REC_COUNT] = {
      base + 2 * FxParam::DIST_ASYM,   base + 2 * FxParam::DIST_BASS,  base + 2 * FxParam::DIST_TREBLE,
      base + 2 * FxParam::DIST_OUTPUT, base + 2 * FxParam::DIST_DRIVE, base + 2 * FxParam::DIST_MIX};
  for (unsigned int k = 0; k < REC_COUNT; ++k) m_params[k].Init(synth, ids[k]);
  // The shaper's records follow the oversampled index; mix is read per host sample.
  for (unsigned int k = 0; k < REC_MIX; ++k) m_params[k].SetUseOversamplingShift(true);
  m_params[REC_MIX].SetUseOversamplingShift(false);
  m_dc[0] = {0.0f, 0.0f, 0.0f};
  m_dc[1] = {0.0f, 0.0f, 0.0f};
  m_lastBassA = m_lastTrebleA = m_lastRate = std::nanf("");
  for (auto& channel : m_upState)
    for (auto& stage : channel)
      for (float& s : stage) s = 0.0f;
}

CDistortion::~CDistortion() {}

void CDistortion::SetSampleRate(float sr) {
  m_sampleRate = sr;
  // A blocker with its corner near 50 Hz; never a negative pole.
  float r = (sr > 0.0f) ? 1.0f - 314.15927f / sr : 0.0f;
  if (!(r >= 0.0f)) r = 0.0f;
  m_dc[0].r = r;
  m_dc[1].r = r;
}

void CDistortion::SetBlockSize(unsigned int n) {
  const unsigned int os = m_synth ? m_synth->GetOversampling() : 1;
  const unsigned int frames = n * (os ? os : 1);
  if (frames == 0) return;
  m_work[0].SetSamplesCount(frames);
  m_work[1].SetSamplesCount(frames);
  m_scratch.SetSamplesCount(frames);
  m_capacity = frames;
}

void CDistortion::UpdateParams(unsigned int n) {
  for (auto& p : m_params) p.Update(n);
}

void CDistortion::Reset() {
  for (auto& channel : m_upState)
    for (auto& stage : channel)
      for (float& s : stage) s = 0.0f;
  for (auto& channel : m_downSampler)
    for (auto& stage : channel) stage = C2XDownSampler();
  m_treble.Reset();
  m_bass.Reset();
  DcClear(m_dc[0]);
  DcClear(m_dc[1]);
}

void CDistortion::ResetFreePhase() {}
void CDistortion::OnKeyPress() {}

void CDistortion::Process(float* left, float* right, unsigned int n) {
  if (n == 0 || !(m_sampleRate > 0.0f) || !m_synth) return;
  // stages = log2 of the factor (2, 4 or 8); anything else is held to 1..3 stages.
  const unsigned int os = m_synth->GetOversampling();
  unsigned int stages = 1;
  while (stages < MAX_STAGES && (2u << stages) <= os) ++stages;
  const unsigned int factor = 1u << stages;
  // The work buffers were sized for the block; a longer call (or a factor
  // raised without a new block size) runs in pieces that fit them.
  const unsigned int chunk = m_capacity / factor;
  if (chunk == 0) return;
  for (unsigned int first = 0; first < n; first += chunk) {
    const unsigned int count = (n - first < chunk) ? n - first : chunk;
    _ProcessChunk(left + first, right + first, first, count, stages);
  }
}

void CDistortion::_ProcessChunk(float* left, float* right, unsigned int first, unsigned int n, unsigned int stages) {
  const unsigned int os = 1u << stages;
  // The stored curve setting, truncated; anything but 1 and 2 (a damaged
  // preset) plays the classic curve.
  const float setting = m_synth->GetParam(PARAM_DIST_CURVE + m_instance);
  const unsigned int curve = (setting >= 1.0f && setting < 2.0f)   ? CURVE_TUBE1
                             : (setting >= 2.0f && setting < 3.0f) ? CURVE_TUBE2
                                                                   : CURVE_CLASSIC;
  float* work[2] = {m_work[0].GetBuffer(), m_work[1].GetBuffer()};
  float* scratch = m_scratch.GetBuffer();
  float* io[2] = {left, right};

  // Up-sampling: stage 1 from the input into the work buffer, each further
  // stage through the scratch buffer and back.
  for (unsigned int ch = 0; ch < 2; ++ch) m_upSampler.Process(io[ch], work[ch], n, m_upState[ch][0]);
  unsigned int m = 2 * n;
  for (unsigned int k = 1; k < stages; ++k) {
    for (unsigned int ch = 0; ch < 2; ++ch) {
      m_upSampler.Process(work[ch], scratch, m, m_upState[ch][k]);
      for (unsigned int j = 0; j < 2 * m; ++j) work[ch][j] = scratch[j];
    }
    m *= 2;
  }

  // The shaper at the oversampled rate; parameters, coefficients and gains
  // once per host sample.
  const float rate = static_cast<float>(os) * m_sampleRate;
  const float trebleF = 2000.0f / rate;
  const float bassF = 300.0f / rate;
  const unsigned int N = os * n;
  float pre = 0.0f, out = 0.0f, bias = 0.0f, asym = 0.0f;
  for (unsigned int j = 0; j < N; ++j) {
    if ((j & (os - 1)) == 0) {
      // The records' shift turns an oversampled index into its host sample.
      const unsigned int h = first + j / os;
      asym = FxHelpers::ReadParam(m_params[REC_ASYM], h << m_params[REC_ASYM].shift);
      const float bass = FxHelpers::ReadParam(m_params[REC_BASS], h << m_params[REC_BASS].shift);
      const float treble = FxHelpers::ReadParam(m_params[REC_TREBLE], h << m_params[REC_TREBLE].shift);
      const float level = FxHelpers::ReadParam(m_params[REC_OUTPUT], h << m_params[REC_OUTPUT].shift);
      const float D = FxHelpers::ReadParam(m_params[REC_DRIVE], h << m_params[REC_DRIVE].shift);
      const float trebleA = 1.0f + 3.0f * treble * treble;
      const float bassA = 1.0f + 3.0f * bass * bass;
      if (trebleA != m_lastTrebleA || bassA != m_lastBassA || rate != m_lastRate) {
        m_treble.SetParams(trebleF, trebleA, 0.0f);
        m_bass.SetParams(bassF, bassA, 0.0f);
        m_lastTrebleA = trebleA;
        m_lastBassA = bassA;
        m_lastRate = rate;
      }
      const float outLevel = 0.125f * 4.0f * level * level;
      if (curve == CURVE_TUBE1) {
        const float d = 10.0f * D * D * D + 0.01f;
        pre = 8.0f * d;
        out = outLevel / Tube1(d);
      } else if (curve == CURVE_TUBE2) {
        const float d = 10.0f * D * D * D + 0.01f;
        pre = 8.0f * d;
        out = ((d + 1.0f) * (D + 1.0f) * 0.35f / d) * outLevel;
      } else {
        const float g = 0.85f * D + 0.125f;
        const float s = 4.0f * g * g;
        pre = 8.0f * s;
        out = outLevel / ClassicCurve(s);
      }
      bias = 0.1f * pre * asym;
    }
    float x[2] = {work[0][j], work[1][j]};
    m_treble.Process(x[0], x[1]);
    m_bass.Process(x[0], x[1]);
    for (unsigned int ch = 0; ch < 2; ++ch) {
      float v = pre * x[ch];
      if (curve == CURVE_TUBE1) {
        v = Tube1(v + bias);
      } else if (curve == CURVE_TUBE2) {
        v = Tube2(v + bias);
      } else {
        // Only the negative half is bent by Asym: v + v^3 at 0, v^3 - v at 1.
        if (v < 0.0f) v = v * (v * v + 1.0f - 2.0f * asym);
        v = ClassicCurve(v);
      }
      work[ch][j] = Finite(v * out);
    }
  }
  if (!m_treble.IsFinite()) m_treble.Reset();
  if (!m_bass.IsFinite()) m_bass.Reset();

  // Down-sampling in place, stage by stage.
  m = N;
  for (unsigned int k = 0; k < stages; ++k) {
    m /= 2;
    m_downSampler[0][k].Process(work[0], m);
    m_downSampler[1][k].Process(work[1], m);
  }

  // Linear mix with the dry signal, then the DC blocker.
  for (unsigned int i = 0; i < n; ++i) {
    const float mix = FxHelpers::ReadParam(m_params[REC_MIX], first + i);
    for (unsigned int ch = 0; ch < 2; ++ch) {
      const float y = work[ch][i] * mix + io[ch][i] * (1.0f - mix);
      io[ch][i] = DcBlock(m_dc[ch], Finite(y));
    }
  }
}
