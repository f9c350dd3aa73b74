// The pitch-free noise and texture modes (44 to 54). Ten loop through a
// stored noise recording at a speed Morph X sets, whatever the note: one
// pass through the recording takes 1 / r(X) seconds (2 s at X = 0), and
// Morph X also sets the gain. Unison sub-voices read the same recording
// from shifted positions at scaled speeds. Click plays one short burst at
// the note start, or repeats it at a period Morph X sets.
// They take only part of the render frame: Morph X, a weak FM and a
// squared feedback on the read position, ring modulation and invert; no
// pitch, Morph Y, phase offset or buzz.

#include <cmath>

#include "engine/FastFloor.h"
#include "engine/IGlobalSynth.h"
#include "engine/IModulation.h"
#include "engine/Voice.h"
#include "osc/OscState.h"
#include "osc/Oscillator.h"
#include "osc/RenderFrame.h"
#include "tables/NoiseLoopTables.h"
#include "tables/NoiseTables.h"

// One looping mode: its recording and the laws of its speed
// r(X) = r0 + r1 X + r2 (1 - X)^2 passes per second and gain
// g(X) = g2 X^2 + g0.
struct NOISE_LOOP {
  const float* table;
  unsigned int sizeM1;
  float r0, r1, r2;
  float g2, g0;
};

namespace {

const unsigned int ID_MORPH_X = 4;
const unsigned int ID_FM = 28;
const unsigned int ID_RM = 32;
const unsigned int ID_INVERT = 426;

using OscFrame::ModulatedValue;

inline float Unit(float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }

// Linear interpolation at a position 0..1 of the recording. The index stays
// below sizeM1, so the read never needs the guard value (a position of
// exactly 1 reads the last value with full weight instead of the last value
// plus the guard with none: the same value).
inline float LoopRead(const float* table, unsigned int sizeM1, float x) {
  float f = x * static_cast<float>(sizeM1);
  unsigned int i = f > 0.0f ? static_cast<unsigned int>(f) : 0u;
  if (i >= sizeM1) i = sizeM1 - 1;
  return table[i] + (table[i + 1] - table[i]) * (f - static_cast<float>(i));
}

// Speeds: White and Brown slow down quadratically to 0.01 passes per
// second, the drones and crackles linearly.
const float QUADRATIC_R0 = 0.01f, QUADRATIC_R2 = 0.49f;

const NOISE_LOOP WHITE = {Tables::NOISE_WHITE_TABLE, Tables::NOISE_WHITE_TABLE_SIZEM1, QUADRATIC_R0, 0.0f,
                          QUADRATIC_R2, 0.0f, 1.0f};
const NOISE_LOOP BROWN = {Tables::NOISE_BROWN_TABLE, Tables::NOISE_BROWN_TABLE_SIZEM1, QUADRATIC_R0, 0.0f,
                          QUADRATIC_R2, 8.0f, 1.5f};
const NOISE_LOOP DRONE1 = {Tables::NOISE_DRONE1_TABLE, Tables::NOISE_DRONE1_TABLE_SIZEM1, 0.5f, -0.4f, 0.0f, 6.0f, 1.5f};
const NOISE_LOOP DRONE2 = {Tables::NOISE_DRONE2_TABLE, Tables::NOISE_DRONE2_TABLE_SIZEM1, 0.5f, -0.4f, 0.0f, 0.0f, 1.0f};
const NOISE_LOOP DRONE3 = {Tables::NOISE_DRONE3_TABLE, Tables::NOISE_DRONE3_TABLE_SIZEM1, 0.5f, -0.4f, 0.0f, 1.0f, 1.0f};
const NOISE_LOOP DRONE4 = {Tables::NOISE_DRONE4_TABLE, Tables::NOISE_DRONE4_TABLE_SIZEM1, 0.5f, -0.4f, 0.0f, 4.0f, 1.5f};
const NOISE_LOOP DRONE5 = {Tables::NOISE_DRONE5_TABLE, Tables::NOISE_DRONE5_TABLE_SIZEM1, 0.5f, -0.35f, 0.0f, 2.0f,
                           1.5f};
const NOISE_LOOP CRACKLE1 = {Tables::NOISE_CRACKLE1_TABLE, Tables::NOISE_CRACKLE1_TABLE_SIZEM1, 0.5f, -0.4f, 0.0f,
                             0.0f, 1.5f};
const NOISE_LOOP CRACKLE2 = {Tables::NOISE_CRACKLE2_TABLE, Tables::NOISE_CRACKLE2_TABLE_SIZEM1, 0.5f, -0.4f, 0.0f,
                             0.0f, 3.0f};
const NOISE_LOOP CRACKLE3 = {Tables::NOISE_CRACKLE3_TABLE, Tables::NOISE_CRACKLE3_TABLE_SIZEM1, 0.5f, -0.3f, 0.0f,
                             0.0f, 2.0f};

// Click: the burst lasts 200 host-rate samples at a gain of 4 per
// oversampling step; the repeat period runs from 0.5 s (X = 0) to 0.025 s.
const float CLICK_BURST_HOST_SAMPLES = 200.0f;
const float CLICK_GAIN_PER_OVERSAMPLING = 4.0f;
const float CLICK_PERIOD_MIN = 0.025f, CLICK_PERIOD_RANGE = 0.475f;
const double CLICK_TIME_LIMIT = 1.0;

}  // namespace

void COscillator::_RenderNoiseLoop(CVoice* voice, float* out, unsigned int n, const NOISE_LOOP& loop) {
  OSC_STATE* s = voice->GetOscState(m_osc);
  unsigned int u = voice->GetUnisonVoice();
  const double phaseShift = m_synth->GetUnisonNsPhaseShift(u);
  const double speedScale = 1.0 - static_cast<double>(m_synth->GetUnisonNsPitchShift(u));
  const unsigned int ids[3] = {ID_MORPH_X + m_osc, ID_FM + m_osc, ID_RM + m_osc};
  const float* values[3];
  const MOD_SOURCE_LIST* lists[3];
  for (unsigned int j = 0; j < 3; ++j) {
    values[j] = m_synth->GetParamPointer(ids[j]);
    lists[j] = m_modulation ? m_modulation->GetModulation(ids[j]) : nullptr;
  }
  const float* feedback = m_synth->GetFeedbackParam(m_osc);
  const float* fm = m_fmSource;
  unsigned int N = m_synth->GetOversampling();
  if (N == 0) N = 1;
  const unsigned int shift = m_synth->GetOversamplingShift();
  const bool invert = m_synth->GetParam(ID_INVERT + m_osc) != 0.0f;
  const double rate = m_sampleRate > 0.0f ? m_sampleRate : 1.0;

  // The position runs in double precision: at the slowest speeds one
  // sample's step lies below a float's resolution near 1 and a float
  // position would stall. What the stored float position leaves out is kept
  // in auxPhase1 (which the looping modes use for nothing else, and which
  // a note start clears).
  double phase = s->phase;
  if (!(phase >= 0.0 && phase <= 1.0)) phase = WrapPosition(phase);
  const float remainder = s->auxPhase1;
  if (std::fabs(remainder) < 1e-6f) phase += remainder;
  float lastOutput = s->lastOutput;
  float gain = 0.0f, f = 0.0f, F = 0.0f, RM = 0.0f;
  double step = 0.0;
  unsigned int counter = 1;
  for (unsigned int i = 0; i < n; ++i) {
    if (--counter == 0) {
      counter = N;
      unsigned int k = i >> shift;
      float X = Unit(ModulatedValue(values[0], lists[0], k));
      float fmAmount = ModulatedValue(values[1], lists[1], k);
      RM = ModulatedValue(values[2], lists[2], k);
      float fb = feedback ? feedback[k] : 0.0f;
      f = fb * fb * 0.05f;
      F = fm ? fmAmount * fmAmount * fmAmount * 0.1f : 0.0f;
      float slow = 1.0f - X;
      double passes = loop.r0 + loop.r1 * X + loop.r2 * slow * slow;
      step = speedScale * passes / rate;
      if (!std::isfinite(step)) step = 0.0;
      gain = loop.g2 * X * X + loop.g0;
    }
    double q = phase + phaseShift;
    if (fm) q += static_cast<double>(fm[i]) * F;
    if (feedback) q += static_cast<double>(lastOutput) * f;
    q = WrapPosition(q);
    float y = gain * LoopRead(loop.table, loop.sizeM1, static_cast<float>(q));
    if (fm) y *= fm[i] * RM + (1.0f - RM);
    if (invert) y = -y;
    out[i] = y;
    lastOutput = y;
    phase += step;
    if (phase > 1.0 || phase < 0.0) phase = WrapPosition(phase);
  }
  s->phase = static_cast<float>(phase);
  s->auxPhase1 = static_cast<float>(phase - static_cast<double>(s->phase));
  s->lastOutput = lastOutput;
}

void COscillator::GenerateWhite(CVoice* voice, float* out, unsigned int n) { _RenderNoiseLoop(voice, out, n, WHITE); }
void COscillator::GenerateBrown(CVoice* voice, float* out, unsigned int n) { _RenderNoiseLoop(voice, out, n, BROWN); }
void COscillator::GenerateDrone1(CVoice* voice, float* out, unsigned int n) { _RenderNoiseLoop(voice, out, n, DRONE1); }
void COscillator::GenerateDrone2(CVoice* voice, float* out, unsigned int n) { _RenderNoiseLoop(voice, out, n, DRONE2); }
void COscillator::GenerateDrone3(CVoice* voice, float* out, unsigned int n) { _RenderNoiseLoop(voice, out, n, DRONE3); }
void COscillator::GenerateDrone4(CVoice* voice, float* out, unsigned int n) { _RenderNoiseLoop(voice, out, n, DRONE4); }
void COscillator::GenerateDrone5(CVoice* voice, float* out, unsigned int n) { _RenderNoiseLoop(voice, out, n, DRONE5); }
void COscillator::GenerateCrackle1(CVoice* voice, float* out, unsigned int n) {
  _RenderNoiseLoop(voice, out, n, CRACKLE1);
}
void COscillator::GenerateCrackle2(CVoice* voice, float* out, unsigned int n) {
  _RenderNoiseLoop(voice, out, n, CRACKLE2);
}
void COscillator::GenerateCrackle3(CVoice* voice, float* out, unsigned int n) {
  _RenderNoiseLoop(voice, out, n, CRACKLE3);
}

void COscillator::GenerateClick(CVoice* voice, float* out, unsigned int n) {
  OSC_STATE* s = voice->GetOscState(m_osc);
  const unsigned int idX = ID_MORPH_X + m_osc, idRM = ID_RM + m_osc;
  // A Morph X of exactly 0 with nothing modulating it plays one burst per
  // note; anything else repeats it.
  bool repeat = m_synth->GetParam(idX) != 0.0f;
  const MOD_SOURCE_LIST* listX = m_modulation ? m_modulation->GetModulation(idX) : nullptr;
  const MOD_SOURCE_LIST* listRM = m_modulation ? m_modulation->GetModulation(idRM) : nullptr;
  if (!repeat && m_modulation) {
    const MOD_CONTROLLER_LIST* controllers = m_modulation->GetController(idX);
    repeat = (listX && listX->count) || (controllers && controllers->count);
  }
  const float* valuesX = m_synth->GetParamPointer(idX);
  const float* valuesRM = m_synth->GetParamPointer(idRM);
  const float* fm = m_fmSource;
  unsigned int N = m_synth->GetOversampling();
  if (N == 0) N = 1;
  const unsigned int shift = m_synth->GetOversamplingShift();
  const bool invert = m_synth->GetParam(ID_INVERT + m_osc) != 0.0f;
  const double rate = m_sampleRate > 0.0f ? m_sampleRate : 1.0;
  const double burst = CLICK_BURST_HOST_SAMPLES * static_cast<float>(N) / rate;  // seconds
  const double toIndex = Tables::NOISE_CLICK_TABLE_SIZE / burst;
  const float gain = CLICK_GAIN_PER_OVERSAMPLING * static_cast<float>(N);
  const double dt = 1.0 / rate;

  // Time since the burst started, in seconds, held at 1 s; double precision
  // within the block keeps the period exact.
  double t = s->phase;
  if (!(t >= 0.0 && t <= CLICK_TIME_LIMIT)) t = t > CLICK_TIME_LIMIT ? CLICK_TIME_LIMIT : 0.0;
  double period = CLICK_PERIOD_MIN + CLICK_PERIOD_RANGE;
  float RM = 0.0f;
  unsigned int counter = 1;
  for (unsigned int i = 0; i < n; ++i) {
    if (--counter == 0) {
      counter = N;
      unsigned int k = i >> shift;
      float slow = 1.0f - Unit(ModulatedValue(valuesX, listX, k));
      period = CLICK_PERIOD_MIN + CLICK_PERIOD_RANGE * slow * slow;
      RM = ModulatedValue(valuesRM, listRM, k);
    }
    float y = 0.0f;
    if (t < burst) {
      unsigned int index = static_cast<unsigned int>(t * toIndex);
      if (index > Tables::NOISE_CLICK_TABLE_SIZEM1) index = Tables::NOISE_CLICK_TABLE_SIZEM1;
      y = Tables::NOISE_CLICK_TABLE[index] * gain;
    }
    t += dt;
    if (repeat && t > period) t = 0.0;
    if (t > CLICK_TIME_LIMIT) t = CLICK_TIME_LIMIT;
    if (fm) y *= fm[i] * RM + (1.0f - RM);
    if (invert) y = -y;
    out[i] = y;
  }
  s->phase = static_cast<float>(t);
}
