#include "fx/GrainShifter.h"

#include <cmath>
#include <cstdlib>

#include "engine/IGlobalSynth.h"
#include "engine/Random.h"
#include "engine/ParamIds.h"
#include "fx/EffectHelpers.h"
#include "tables/EffectCurves.h"

namespace {
const float RING_SECONDS = 3.0f;
}  // namespace

CGrainShifter::CGrainShifter(IGlobalSynth* synth, unsigned int instance) : m_synth(synth), m_instance(instance) {
  FxHelpers::InitEffectParams(m_params, PARAM_COUNT, synth, PARAM_FX_GRAINSHIFTER, instance);
  for (GRAIN_STATE& g : m_grain) g = {0.0, 0.0, 1};
}

CGrainShifter::~CGrainShifter() {}

void CGrainShifter::SetSampleRate(float sr) {
  m_sampleRate = sr;
  const unsigned int length = FxHelpers::LineLength(RING_SECONDS, sr);
  m_ring.SetSamplesCount(length);
  m_length = m_ring.GetLeftBuffer() ? length : 0;
  if (m_length) m_ring.Clear(m_length);
  // A shorter ring: the write head and the grains come back inside it.
  if (m_write >= m_length) m_write = 0;
  for (GRAIN_STATE& g : m_grain)
    if (!(g.position < static_cast<double>(m_length))) g = {0.0, 0.0, 1};
}

void CGrainShifter::SetBlockSize(unsigned int) {}
void CGrainShifter::UpdateParams(unsigned int n) { FxHelpers::UpdateEffectParams(m_params, PARAM_COUNT, n); }

void CGrainShifter::Reset() {
  for (GRAIN_STATE& g : m_grain) g = {0.0, 0.0, 1};
  if (m_length) m_ring.Clear(m_length);
}

void CGrainShifter::ResetFreePhase() {}
void CGrainShifter::OnKeyPress() {}

float CGrainShifter::ReadDelay(double position, float* ring) const {
  const unsigned int length = m_length;
  const double fi = std::floor(position);
  float f = static_cast<float>(position - fi);
  long i = static_cast<long>(fi);
  if (i < 0 || i >= static_cast<long>(length)) {
    // Only a position pushed off the ring by hostile numbers gets here.
    i = 0;
    f = 0.0f;
  }
  const unsigned int i0 = static_cast<unsigned int>(i);
  const unsigned int im = i0 ? i0 - 1 : length - 1;
  const unsigned int i1 = (i0 + 1 < length) ? i0 + 1 : i0 + 1 - length;
  const unsigned int i2 = (i1 + 1 < length) ? i1 + 1 : i1 + 1 - length;
  const float ym = ring[im], y0 = ring[i0], y1 = ring[i1], y2 = ring[i2];
  const float c1 = (y1 - ym) * 0.5f;
  const float c3 = (y2 - y0) * 0.5f + 2.0f * (y0 - y1) + c1;
  const float c2 = -(y0 - y1 + c1) - c3;
  return ((c3 * f + c2) * f + c1) * f + y0;
}

float CGrainShifter::ProcessGrain(GRAIN_STATE& grain, float* ring, float length, float pitch, float width) {
  const double ringLength = static_cast<double>(m_length);
  if (grain.restart) {
    grain.position = static_cast<double>(m_write) - static_cast<double>(length);
    if (grain.position < 0.0) grain.position += ringLength;
    if (!(grain.position >= 0.0 && grain.position < ringLength)) grain.position = 0.0;
    grain.restart = 0;
    grain.age = 0.0;
  }
  const float y = ReadDelay(grain.position, ring);
  // The window rises and falls over width x length ring samples and then
  // holds its last (silent) entry for the rest of the grain.
  float phi = static_cast<float>(grain.age / static_cast<double>(width * length));
  if (phi > 1.0f) phi = 1.0f;
  const float window = FxHelpers::TableLookup(Tables::GRAINWND_TABLE, Tables::GRAINWND_TABLE_SIZEM1, phi);
  grain.position += pitch;
  if (grain.position >= ringLength) grain.position -= ringLength;
  grain.age += pitch;
  if (grain.age > static_cast<double>(length)) grain.restart = 1;
  return y * window;
}

void CGrainShifter::Process(float* left, float* right, unsigned int n) {
  if (n == 0 || m_length == 0 || !(m_sampleRate > 0.0f)) return;
  float* ring[2] = {m_ring.GetLeftBuffer(), m_ring.GetRightBuffer()};
  if (!ring[0]) return;
  if (m_write >= m_length) m_write = 0;
  using namespace FxParam;
  for (unsigned int i = 0; i < n; ++i) {
    const float Rt = FxHelpers::ReadParam(m_params[GRAINSHIFTER_RATE], i);
    const float Wd = FxHelpers::ReadParam(m_params[GRAINSHIFTER_WIDTH], i);
    const float Tn = FxHelpers::ReadParam(m_params[GRAINSHIFTER_TUNE], i);
    const float TR = FxHelpers::ReadParam(m_params[GRAINSHIFTER_TUNE_RANDOM], i);
    const float Fb = FxHelpers::ReadParam(m_params[GRAINSHIFTER_FEEDBACK], i);
    const float Mx = FxHelpers::ReadParam(m_params[GRAINSHIFTER_MIX], i);

    const float m = FxHelpers::DryWetGain(Mx);
    // Pitch ratio: 0.125 (three octaves down) at Tune 0, 1 at 0.5, 2 at 1,
    // linear on each half.
    float t = 2.0f * Tn;
    if (t < 1.0f) t = 0.125f + 0.875f * t;
    const float pitch = t * m_randomFactor;
    // Grain length from 1.5005 s (Rate 0) down to 0.5 ms (Rate 1).
    unsigned int e = static_cast<unsigned int>((1.0f - Rt) * static_cast<float>(Tables::EXP_TABLE_SIZEM1));
    if (e > Tables::EXP_TABLE_SIZEM1) e = Tables::EXP_TABLE_SIZEM1;
    const float L = (Tables::EXP_TABLE[e] * 1.5f + 0.0005f) * m_sampleRate;

    const float dryL = left[i];
    const float dryR = right[i];
    if (m_grain[0].restart) {
      // A new random pitch factor per grain, 1 .. 1 + 3 TR^2 (only upwards);
      // it takes effect from the next sample.
      const double draw = static_cast<double>(m_synth->GetRandom().Next()) * (-1.0 / 2147483648.0);
      m_randomFactor = static_cast<float>((draw * static_cast<double>(TR * TR) + 1.0) * -3.0 + 4.0);
    }
    const float w = 1.0f - 0.8f * Wd;
    const float gL = ProcessGrain(m_grain[0], ring[0], L, pitch, w);
    const float gR = ProcessGrain(m_grain[1], ring[1], L, pitch, w);
    float fbL = dryL - Fb * gL;
    float fbR = dryR - Fb * gR;
    // A sample that is not a number would stay in the ring for three seconds.
    ring[0][m_write] = std::isfinite(fbL) ? fbL : 0.0f;
    ring[1][m_write] = std::isfinite(fbR) ? fbR : 0.0f;
    left[i] = gL * m + dryL * (1.0f - m);
    right[i] = gR * m + dryR * (1.0f - m);
    if (++m_write >= m_length) m_write = 0;
  }
}
