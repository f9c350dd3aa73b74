#include "engine/FastFloor.h"
#include "dsp/LoFi.h"

#include <cmath>

#include "dsp/StageCommon.h"
#include "engine/ParamIds.h"
#include "engine/Voice.h"
#include "tables/Tables.h"

namespace {

// Table entries per semitone of the tuning table.
const float TUNE_TABLE_SCALER =
    static_cast<float>(Tables::TUNE_TABLE_SIZEM1) / static_cast<float>(Tables::TUNE_TABLE_MAX_PITCH);

const unsigned int BL_STEP_CENTRE = 75000;
const unsigned int BL_STEP_LAST = 150000;

// x on a grid of levels steps (q = 1 / levels), rounded half away from zero;
// small positive values below one step are lifted to one step.
inline float Quantise(float x, float levels, float q) {
  if (x > 1e-5f && x < q) return q;
  const float v = x * levels;
  float r = v + (v < 0.0f ? -0.5f : 0.5f);
  // Beyond the 32-bit range (and NaN) the grid no longer matters.
  if (!(r > -2147483520.0f)) r = r < 0.0f ? -2147483520.0f : 0.0f;
  if (r > 2147483520.0f) r = 2147483520.0f;
  return q * static_cast<float>(static_cast<int>(r));
}

// Sample-and-hold state of one channel, kept in registers for the block.
struct LOFI_CHANNEL {
  float holdPhase;
  float step;  // position along the smoothing step
  float held;
  float previous;

  // A new held value every time the hold phase passes 1, reached from the
  // old one along the second half of the band-limited step over 1 / (8 inc)
  // samples.
  inline float Run(const float* blStep, float y, float inc) {
    float t;
    holdPhase += inc;
    if (holdPhase >= 1.0f) {
      previous = held;
      held = y;
      holdPhase -= FastFloor(holdPhase);
      t = 0.0f;
    } else if (step < 1.0f) {
      t = step;
    } else {
      return held;
    }
    const float f = t * 75000.0f;
    unsigned int index = BL_STEP_CENTRE + (f > 0.0f ? static_cast<unsigned int>(f < 75000.0f ? f : 75000.0f) : 0u);
    if (index > BL_STEP_LAST) index = BL_STEP_LAST;
    step = t + 8.0f * inc;
    return previous + (held - previous) * blStep[index];
  }
};

}  // namespace

CLoFi::CLoFi(IGlobalSynth* synth) : CBusStage(synth) {
  _AddParam(m_rate, PARAM_BUS_LF_RATE);
  _AddParam(m_keyScale, PARAM_BUS_LF_KEYSCALE);
  _AddParam(m_bit, PARAM_BUS_LF_BIT);
  _AddParam(m_noise, PARAM_BUS_LF_NOISE);
  _AddParam(m_stereo, PARAM_BUS_LF_STEREO);
}

void CLoFi::Reset(CVoice* voice) {
  BUS_STATE* s = voice->GetBusState(m_bus);
  s->lofiLeftHoldPhase = s->lofiLeftStep = s->lofiLeftHeld = s->lofiLeftPrevious = 0.0f;
  s->lofiNoisePhase = s->lofiLeftNoise = 0.0f;
  s->lofiRightHoldPhase = s->lofiRightStep = s->lofiRightHeld = s->lofiRightPrevious = 0.0f;
  s->lofiRightNoise = 0.0f;
}

void CLoFi::Process(CVoice* voice, float* left, float* right, unsigned int n) {
  const bool rateActive = !IsZeroAndUnmodulated(m_synth, m_rate.paramId);
  const bool bitActive = !IsZeroAndUnmodulated(m_synth, m_bit.paramId);
  if (!rateActive && !bitActive) return;
  if (!(m_sampleRate > 0.0f)) return;
  // The noise only moves the right channel's flip threshold by itself.
  const bool noiseActive = !IsZeroAndUnmodulated(m_synth, m_noise.paramId);

  BUS_STATE* s = voice->GetBusState(m_bus);
  const float* blStep = m_synth->GetBlStepTable();
  const unsigned int K = m_synth->GetOversampling() ? m_synth->GetOversampling() : 1;

  // Key pitch and the note's frequency in cycles per sample, once per block.
  float pitch = static_cast<float>(*voice->GetPitch()) + m_synth->GetParam(PARAM_TRANSPOSE) +
                m_synth->GetParam(PARAM_MASTER_DETUNE) - 0.5f;
  pitch = pitch > 0.0f ? (pitch < 127.0f ? pitch : 127.0f) : 0.0f;  // NaN too
  unsigned int tuneIndex = static_cast<unsigned int>(pitch * TUNE_TABLE_SCALER);
  if (tuneIndex > Tables::TUNE_TABLE_SIZEM1) tuneIndex = Tables::TUNE_TABLE_SIZEM1;
  const float f = Tables::TUNE_TABLE[tuneIndex] / m_sampleRate;

  LOFI_CHANNEL cl = {s->lofiLeftHoldPhase, s->lofiLeftStep, s->lofiLeftHeld, s->lofiLeftPrevious};
  LOFI_CHANNEL cr = {s->lofiRightHoldPhase, s->lofiRightStep, s->lofiRightHeld, s->lofiRightPrevious};
  float noisePhase = s->lofiNoisePhase, noiseL = s->lofiLeftNoise, noiseR = s->lofiRightNoise;

  float L = 4096.0f, Lr = 4096.0f, q = 1.0f / 4096.0f, qr = 1.0f / 4096.0f;
  float nz = 0.0f, o = 0.0f, m = 0.0f, inc = 0.0f, incR = 0.0f;
  unsigned int step = 0;
  for (unsigned int i = 0; i < n; ++i) {
    if (step == 0) {
      step = K;
      const float r = ClampUnit(m_rate.GetValue(i));
      const float ks = ClampUnit(m_keyScale.GetValue(i));
      const float bt = ClampUnit(m_bit.GetValue(i));
      nz = ClampUnit(m_noise.GetValue(i));
      const float st = ClampUnit(m_stereo.GetValue(i));
      const float S = st * st * st;
      o = noiseActive ? 0.05f * S : 0.0f;
      if (bitActive) {
        // 4096 levels at bt = 0 down to 2 at bt = 1.
        const float e = 1.0f - bt;
        const float e2 = e * e;
        L = e2 * e2 * e2 * 4094.0f + 2.0f;
        Lr = (1.0f + 0.19f * S) * L;
        q = 1.0f / L;
        qr = 1.0f / Lr;
      }
      if (rateActive) {
        m = FastFadeIn(r);
        const float slow = 1.0f - r;
        // 12 x the note frequency x ks^2, plus 75 Hz to 13,075 Hz.
        inc = 12.0f * f * ks * ks + (13000.0f * slow * slow + 75.0f) / m_sampleRate;
        incR = (1.0f + 0.25f * S) * inc;
      }
    }
    --step;
    const float x = left[i];
    const float xr = right[i];
    float y = x, yr = xr;
    if (bitActive) {
      y = Quantise(x, L, q);
      yr = Quantise(xr, Lr, qr);
      if (nz > 0.0f) {
        // A dither square at twice the note frequency that turns into
        // alternation at the sample rate as the noise grows.
        noisePhase += 4.0f * f;
        const float w = noisePhase * (1.0f + nz * nz);
        if (w >= 1.0f) noiseL = noiseL > 0.0f ? -0.5f * q : 0.5f * q;
        if (w + o >= 1.0f) noiseR = noiseR > 0.0f ? -0.5f * qr : 0.5f * qr;
        y += noiseL * nz;
        yr += noiseR * nz;
        if (noisePhase > 1.0f) noisePhase -= FastFloor(noisePhase);
      }
    }
    if (rateActive) {
      const float sl = cl.Run(blStep, y, inc);
      const float sr = cr.Run(blStep, yr, incR);
      left[i] = sl * m + x * (1.0f - m);
      right[i] = sr * m + xr * (1.0f - m);
    } else {
      left[i] = y;
      right[i] = yr;
    }
  }
  s->lofiLeftHoldPhase = cl.holdPhase;
  s->lofiLeftStep = cl.step;
  s->lofiLeftHeld = cl.held;
  s->lofiLeftPrevious = cl.previous;
  s->lofiRightHoldPhase = cr.holdPhase;
  s->lofiRightStep = cr.step;
  s->lofiRightHeld = cr.held;
  s->lofiRightPrevious = cr.previous;
  s->lofiNoisePhase = noisePhase;
  s->lofiLeftNoise = noiseL;
  s->lofiRightNoise = noiseR;
}
