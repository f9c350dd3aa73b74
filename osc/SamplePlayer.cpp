#include "osc/SamplePlayer.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "engine/FastFloor.h"
#include "engine/IGlobalSynth.h"
#include "engine/Random.h"
#include "engine/ParamIds.h"
#include "engine/Voice.h"
#include "osc/OscState.h"
#include "tables/GrainTables.h"
#include "tables/Tables.h"

namespace {

// In sample mode the effect-slot amounts (id 12 + 4 x slot + oscillator)
// carry the grain settings.
const unsigned int ID_GRAIN_DENSITY = PARAM_OSC_FX_AMOUNT + 0;
const unsigned int ID_GRAIN_SPREAD = PARAM_OSC_FX_AMOUNT + 4;
const unsigned int ID_GRAIN_SIZE = PARAM_OSC_FX_AMOUNT + 8;
const unsigned int ID_GRAIN_WIDTH = PARAM_OSC_FX_AMOUNT + 12;
const unsigned int ID_GRAIN_MODE = PARAM_OSC_INVERT;   // grains on when not 0
const unsigned int ID_LOOP = PARAM_OSC_FREE_PHASE;     // loop on when not 0

const unsigned int MAX_GRAINS = OSC_GRAIN_COUNT;
const unsigned int MAX_UPSAMPLER_STAGES = OSC_UPSAMPLER_STAGES;
const unsigned int MAX_ROOT_PITCH = 127;
// A draw * 2^-31: uniform in 0..1 for the generator's 0 .. 2^31 - 1.
const float RAND_SCALE = 1.0f / 2147483648.0f;
// Grain length in ms: 230 at size 0 down to 2 at size 1.
const float GRAIN_LONGEST_MS = 230.0f;
const float GRAIN_SIZE_RANGE_MS = 228.0f;
// Unison sub-voices after the first start up to this many frames apart.
const float UNISON_START_SPREAD = 100.0f;
// The sample path's gain on top of the 4 l^2 of the other modes.
const float SAMPLE_GAIN = 3.0f;

inline float Random01(IGlobalSynth* synth) { return static_cast<float>(synth->GetRandom().Next()) * RAND_SCALE; }

// 0..1, NaN to `otherwise`.
inline float Clamp01(float v, float otherwise = 0.0f) {
  if (!(v == v)) return otherwise;
  return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

// Frames per host sample; a damaged pitch (NaN, infinite) stops the
// playhead for that sample instead of losing its position for good.
inline float SafeStep(float step) { return std::fabs(step) < 1e9f ? step : 0.0f; }

inline unsigned int GrainCount(float density) {
  const float g = FastFloor(Clamp01(density) * 7.0f) + 1.0f;
  const unsigned int count = static_cast<unsigned int>(g);
  return count > MAX_GRAINS ? MAX_GRAINS : count;
}

// Wraps a position that ran past the region (loop on). One subtraction in
// the normal case; a position far past it (the loop was shortened under a
// held note) is folded back in one go.
inline void WrapPosition(double& p, double length) {
  p -= length;
  if (p >= length) p = std::fmod(p, length);
}

}  // namespace

struct CSamplePlayer::REGION {
  const float* left;   // frame 0 of the region (the loop start)
  const float* right;
  unsigned int length;  // L = end - start
  unsigned int last;    // the last readable frame, from the loop start
  float lengthF;

  // The frame pair at p frames from the loop start; p is clamped to
  // 0..L - 1 and stored back. The second point of the interpolation never
  // passes the sample's last frame.
  inline void Read(double& p, float& l, float& r) const {
    const double top = static_cast<double>(length - 1);
    if (!(p >= 0.0)) p = 0.0;
    if (p > top) p = top;
    const float x = (static_cast<float>(p) / lengthF) * (lengthF - 1.0f);
    unsigned int i = static_cast<unsigned int>(x);
    if (i > last) i = last;
    const unsigned int i1 = i < last ? i + 1 : last;
    const float f = x - static_cast<float>(i);
    l = left[i] + (left[i1] - left[i]) * f;
    r = right[i] + (right[i1] - right[i]) * f;
  }
};

CSamplePlayer::CSamplePlayer(IGlobalSynth* synth)
    : m_filter(synth), m_drive(synth), m_synth(synth), m_sample(new CSampleLoader) {
  MODULATED_PARAM* records[] = {&m_level, &m_pan, &m_ring, &m_density, &m_spread, &m_size, &m_width};
  for (MODULATED_PARAM* p : records) p->Init(synth, 0);
}

CSamplePlayer::~CSamplePlayer() {}

void CSamplePlayer::SetInstance(unsigned int osc) {
  m_osc = osc & 3;
  m_level.SetParamId(PARAM_OSC_LEVEL + m_osc);
  m_pan.SetParamId(PARAM_OSC_PAN + m_osc);
  m_ring.SetParamId(PARAM_OSC_RM + m_osc);
  m_density.SetParamId(ID_GRAIN_DENSITY + m_osc);
  m_spread.SetParamId(ID_GRAIN_SPREAD + m_osc);
  m_size.SetParamId(ID_GRAIN_SIZE + m_osc);
  m_width.SetParamId(ID_GRAIN_WIDTH + m_osc);
  m_level.SetUseOversamplingShift(true);
  m_pan.SetUseOversamplingShift(true);
  m_ring.SetUseOversamplingShift(true);
  m_density.SetUseOversamplingShift(false);
  m_spread.SetUseOversamplingShift(false);
  m_size.SetUseOversamplingShift(false);
  m_width.SetUseOversamplingShift(false);
  m_filter.SetInstance(m_osc);
  m_drive.SetInstance(m_osc);
}

void CSamplePlayer::SetSampleRate(float rate) {
  m_sampleRate = rate;
  const unsigned int factor = m_synth ? m_synth->GetOversampling() : 1;
  m_hostRate = rate / static_cast<float>(factor ? factor : 1);
  m_filter.SetSampleRate(rate);
}

void CSamplePlayer::SetBlockSize(unsigned int n) {
  m_blockSize = n;
  const unsigned int factor = m_synth ? m_synth->GetOversampling() : 1;
  const unsigned int count = n * (factor ? factor : 1);
  m_scratchLeft.SetSamplesCount(count);
  m_scratchRight.SetSamplesCount(count);
  m_scratchStage.SetSamplesCount(count);
  const bool ok = m_scratchLeft.GetBuffer() && m_scratchRight.GetBuffer() && m_scratchStage.GetBuffer();
  m_scratchCount = ok ? count : 0;
}

void CSamplePlayer::UpdateParams(unsigned int n) {
  MODULATED_PARAM* records[] = {&m_level, &m_pan, &m_ring, &m_density, &m_spread, &m_size, &m_width};
  for (MODULATED_PARAM* p : records) p->Update(n);
  m_filter.UpdateParams(n);
  m_drive.UpdateParams(n);
}

void CSamplePlayer::_Take(std::unique_ptr<CSampleLoader>& loaded) {
  m_sample.swap(loaded);
  const unsigned int frames = m_sample->GetFrames();
  m_loopStart = 0;
  m_loopEnd = frames > 0 ? frames - 1 : 0;
}

bool CSamplePlayer::LoadSample(const char* path) {
  // Read into a fresh loader so that a failure part-way keeps the old sample.
  std::unique_ptr<CSampleLoader> loaded(new (std::nothrow) CSampleLoader);
  if (!loaded || !loaded->Load(path)) return false;
  _Take(loaded);
  return true;
}

bool CSamplePlayer::LoadSampleFromMemory(const float* left, const float* right, unsigned int frames, float rate) {
  std::unique_ptr<CSampleLoader> loaded(new (std::nothrow) CSampleLoader);
  if (!loaded || !loaded->LoadFromMemory(left, right, frames, rate)) return false;
  _Take(loaded);
  return true;
}

void CSamplePlayer::GetSample(float** left, float** right, unsigned int& frames, float* rate) {
  if (left) *left = m_sample->GetLeft();
  if (right) *right = m_sample->GetRight();
  frames = m_sample->GetFrames();
  if (rate) *rate = m_sample->GetSampleRate();
}

void CSamplePlayer::SetLoop(unsigned int start, unsigned int end) {
  const unsigned int frames = m_sample->GetFrames();
  const unsigned int last = frames > 0 ? frames - 1 : 0;
  if (start > last) start = last;
  if (end > last)
    end = last;
  else if (end < start + 1)
    end = start + 1;
  if (start >= end) {
    start = 0;
    end = last;
  }
  m_loopStart = start;
  m_loopEnd = end;
}

bool CSamplePlayer::_Region(REGION& r) const {
  const unsigned int frames = m_sample->GetFrames();
  if (frames == 0 || !m_sample->GetLeft() || !m_sample->GetRight()) return false;
  const unsigned int last = frames - 1;
  const unsigned int start = m_loopStart < last ? m_loopStart : last;
  // A one-frame loop at the last frame ends one past it: the region still
  // reads only that frame.
  const unsigned int end = m_loopEnd < frames ? m_loopEnd : frames;
  r.left = m_sample->GetLeft() + start;
  r.right = m_sample->GetRight() + start;
  r.length = end > start ? end - start : 0;
  r.last = last - start;
  r.lengthF = static_cast<float>(r.length);
  return true;
}

void CSamplePlayer::_InitializeGrain(OSC_GRAIN_STATE* grain, double position, float spread, float size,
                                     float width) const {
  const float r = Random01(m_synth);
  float length = FastFloor(m_hostRate * (GRAIN_LONGEST_MS - GRAIN_SIZE_RANGE_MS * Clamp01(size)) * 0.001f);
  grain->length = length >= 1.0f ? length : 1.0f;
  grain->readPosition = position;
  const float e = Tables::EXP_TABLE[static_cast<unsigned int>(
      static_cast<float>(Tables::EXP_TABLE_SIZEM1) * Clamp01(spread))];
  // Up to 1 + 4E above, down to 1 / (1 + E) below.
  grain->pitchRatio = r > 0.5f ? (r - 0.5f) * 8.0f * e + 1.0f : 1.0f / (1.0f + 2.0f * r * e);
  grain->pan = 0.5f - (Random01(m_synth) - 0.5f) * Clamp01(width);
}

void CSamplePlayer::Reset(CVoice* voice) {
  OSC_STATE* s = voice->GetOscState(m_osc);
  std::memset(s->upSamplerLeft, 0, sizeof(s->upSamplerLeft));
  std::memset(s->upSamplerRight, 0, sizeof(s->upSamplerRight));
  m_filter.Reset(voice);
  std::memset(s->grains, 0, sizeof(s->grains));
  s->playPosition = 0.0;
}

void CSamplePlayer::StartVoice(CVoice* voice) {
  m_filter.StartVoice(voice);
  OSC_STATE* s = voice->GetOscState(m_osc);
  if (voice->GetUnisonVoice() != 0) {
    REGION region;
    const double top = _Region(region) && region.length > 0 ? static_cast<double>(region.length - 1) : 0.0;
    const double p = static_cast<double>(UNISON_START_SPREAD * Random01(m_synth));
    s->playPosition = p < top ? p : top;
  }
  const float density = m_synth->GetParam(ID_GRAIN_DENSITY + m_osc);
  const float spread = m_synth->GetParam(ID_GRAIN_SPREAD + m_osc);
  const float size = m_synth->GetParam(ID_GRAIN_SIZE + m_osc);
  const float width = m_synth->GetParam(ID_GRAIN_WIDTH + m_osc);
  const unsigned int count = GrainCount(density);
  // The active grains start evenly staggered; the others start at phases
  // of 1 or more and are reduced when first used.
  for (unsigned int g = 0; g < MAX_GRAINS; ++g) {
    _InitializeGrain(&s->grains[g], s->playPosition, spread, size, width);
    s->grains[g].windowPhase = static_cast<float>(g) / static_cast<float>(count);
  }
}

void CSamplePlayer::Generate(CVoice* voice, const float* pitch, float* left, float* right, const float* ring,
                             unsigned int n) {
  REGION region;
  const unsigned int factor = m_synth->GetOversampling();
  const float fileRate = m_sample->GetSampleRate();
  if (!_Region(region) || !pitch || factor == 0 || n > m_scratchCount || !(fileRate > 0.0f) ||
      !(m_hostRate > 0.0f)) {
    std::memset(left, 0, n * sizeof(float));
    std::memset(right, 0, n * sizeof(float));
    return;
  }
  OSC_STATE* s = voice->GetOscState(m_osc);
  const unsigned int m = n / factor;
  const bool grains = m_synth->GetParam(ID_GRAIN_MODE + m_osc) != 0.0f;
  const bool loop = m_synth->GetParam(ID_LOOP + m_osc) != 0.0f;
  const double length = static_cast<double>(region.length);
  const unsigned int root = m_rootPitch < MAX_ROOT_PITCH ? m_rootPitch : MAX_ROOT_PITCH;
  const float rootFreq = Tables::TunePitchToHz(static_cast<float>(root));
  // Frames per host sample for a phase increment of one cycle per sample.
  const float stepScale = (m_sampleRate / rootFreq) * (fileRate / m_hostRate);
  const double recordedSpeed = static_cast<double>(fileRate / m_hostRate);
  double P = s->playPosition;

  if (!grains) {
    for (unsigned int j = 0; j < m; ++j) {
      float l = 0.0f, r = 0.0f;
      if (P < length) region.Read(P, l, r);
      P += static_cast<double>(SafeStep(pitch[j] * stepScale));
      // Without loop the position stays past the end: silence until the
      // next note.
      if (P >= length && loop && region.length > 0) WrapPosition(P, length);
      left[j] = l;
      right[j] = r;
    }
  } else {
    for (unsigned int j = 0; j < m; ++j) {
      float outL = 0.0f, outR = 0.0f;
      if (P < length) {
        const float step = SafeStep(pitch[j] * stepScale);
        const float spread = m_spread.GetValue(j);
        const float size = m_size.GetValue(j);
        const float width = m_width.GetValue(j);
        const unsigned int count = GrainCount(m_density.GetValue(j));
        for (unsigned int g = 0; g < count; ++g) {
          OSC_GRAIN_STATE* grain = &s->grains[g];
          float l, r;
          region.Read(grain->readPosition, l, r);
          float phase = grain->windowPhase;
          if (!(phase == phase)) phase = 0.0f;
          if (phase >= 1.0f) phase -= FastFloor(phase);
          float v = 0.0f;
          if (phase >= 0.0f) {
            const float x = phase * static_cast<float>(Tables::GRAINWND2_TABLE_SIZEM1);
            unsigned int i = static_cast<unsigned int>(x);
            if (i > Tables::GRAINWND2_TABLE_SIZEM1) i = Tables::GRAINWND2_TABLE_SIZEM1;
            v = Tables::GRAINWND2_TABLE[i] +
                (Tables::GRAINWND2_TABLE[i + 1] - Tables::GRAINWND2_TABLE[i]) * (x - static_cast<float>(i));
          }
          const float pan = grain->pan;
          phase += 1.0f / (grain->length >= 1.0f ? grain->length : 1.0f);
          if (phase >= 1.0f) {
            phase -= FastFloor(phase);
            _InitializeGrain(grain, P, spread, size, width);
          }
          grain->windowPhase = phase;
          grain->readPosition += static_cast<double>(grain->pitchRatio * step);
          // Grains always wrap inside the region.
          if (grain->readPosition >= length) WrapPosition(grain->readPosition, length);
          outL += l * (1.0f - pan) * v;
          outR += r * v * pan;
        }
      }
      // The playhead moves at the recorded speed whatever the pitch.
      P += recordedSpeed;
      if (P >= length && loop && region.length > 0) WrapPosition(P, length);
      left[j] = outL;
      right[j] = outR;
    }
  }
  s->playPosition = P;

  // Up to the oscillator rate: stage 0 from the outputs into the scratch
  // buffers, each further stage through the intermediate buffer.
  float* scratchL = m_scratchLeft.GetBuffer();
  float* scratchR = m_scratchRight.GetBuffer();
  float* stage = m_scratchStage.GetBuffer();
  unsigned int stages = m_synth->GetOversamplingShift();
  if (stages > MAX_UPSAMPLER_STAGES) stages = MAX_UPSAMPLER_STAGES;
  unsigned int count = m;
  if (stages == 0) {
    std::memcpy(scratchL, left, m * sizeof(float));
    std::memcpy(scratchR, right, m * sizeof(float));
  } else {
    m_upSampler[0].Process(left, scratchL, m, s->upSamplerLeft[0]);
    m_upSampler[MAX_UPSAMPLER_STAGES].Process(right, scratchR, m, s->upSamplerRight[0]);
    count = 2 * m;
    for (unsigned int k = 1; k < stages; ++k) {
      m_upSampler[k].Process(scratchL, stage, count, s->upSamplerLeft[k]);
      std::memcpy(scratchL, stage, 2 * count * sizeof(float));
      m_upSampler[MAX_UPSAMPLER_STAGES + k].Process(scratchR, stage, count, s->upSamplerRight[k]);
      std::memcpy(scratchR, stage, 2 * count * sizeof(float));
      count *= 2;
    }
  }
  if (count > n) count = n;
  std::memcpy(left, scratchL, count * sizeof(float));
  std::memcpy(right, scratchR, count * sizeof(float));
  if (count < n) {
    std::memset(left + count, 0, (n - count) * sizeof(float));
    std::memset(right + count, 0, (n - count) * sizeof(float));
  }
  _ProcessFilterAndDrive(voice, left, right, count);

  // Level, pan and ring modulation, recomputed once per control step.
  const float panShift = 0.5f * m_synth->GetUnisonPanShift(voice->GetUnisonVoice());
  float gain = 0.0f, pan = 0.5f, depth = 0.0f;
  unsigned int counter = 1;
  for (unsigned int i = 0; i < count; ++i) {
    if (--counter == 0) {
      counter = factor;
      const float level = Clamp01(m_level.GetValue(i));
      pan = Clamp01(Clamp01(m_pan.GetValue(i), 0.5f) + panShift, 0.5f);
      depth = Clamp01(m_ring.GetValue(i));
      gain = SAMPLE_GAIN * 4.0f * level * level;
    }
    float g = gain;
    if (ring) g *= depth * ring[i] + (1.0f - depth);
    left[i] = (1.0f - pan) * g * left[i];
    right[i] = pan * g * right[i];
  }
}

void CSamplePlayer::_ProcessFilterAndDrive(CVoice* voice, float* left, float* right, unsigned int n) {
  m_filter.Process(voice, left, right, n);
  m_drive.Process(voice, left, right, n);
}
