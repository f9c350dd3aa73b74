#include "osc/PitchModule.h"

#include <cmath>

#include "engine/Fill.h"
#include "engine/IGlobalSynth.h"
#include "engine/IModulation.h"
#include "engine/Voice.h"
#include "osc/OscState.h"
#include "tables/Tables.h"

namespace {

// Parameter ids (per-oscillator ids are base + oscillator).
const unsigned int ID_OSC_PITCH = 0;  // modulation target only
const unsigned int ID_DETUNE = 72;
const unsigned int ID_VIBRATO = 80;
const unsigned int ID_KEY_SCALE = 84;
const unsigned int ID_MASTER_DETUNE = 133;
const unsigned int ID_MASTER_GLIDE = 134;
const unsigned int ID_MOD_DEPTH = 331;  // + matrix slot
const unsigned int ID_OCTAVE = 434;
const unsigned int ID_SEMITONE = 438;
const unsigned int ID_GLIDE_MODE = 481;
const unsigned int ID_TRANSPOSE = 483;
const unsigned int ID_BEND_RANGE = 1583;
const unsigned int CONTROLLER_PITCH_BEND = 121;
const unsigned int MOD_DEPTH_SLOTS = 30;  // depth parameters 331..360

const float MAX_PITCH = 127.0f;

// A stored setting that should be finite; anything else counts as 0.
float Finite(float v) { return std::isfinite(v) ? v : 0.0f; }

}  // namespace

CPitchModule::CPitchModule(IGlobalSynth* synth) : m_synth(synth) {
  m_detune.Init(synth, ID_DETUNE);
  m_masterDetune.Init(synth, ID_MASTER_DETUNE);
  m_vibrato.Init(synth, ID_VIBRATO);
  m_keyScale.Init(synth, ID_KEY_SCALE);
}

void CPitchModule::SetInstance(unsigned int osc) {
  m_osc = osc & 3;
  m_detune.SetParamId(ID_DETUNE + m_osc);
  m_masterDetune.SetParamId(ID_MASTER_DETUNE);
  m_vibrato.SetParamId(ID_VIBRATO + m_osc);
  m_keyScale.SetParamId(ID_KEY_SCALE + m_osc);
  m_detune.SetUseOversamplingShift(false);
  m_masterDetune.SetUseOversamplingShift(false);
  m_vibrato.SetUseOversamplingShift(false);
  m_keyScale.SetUseOversamplingShift(false);
}

void CPitchModule::SetSampleRate(float rate) {
  unsigned int N = m_synth->GetOversampling();
  if (N == 0) N = 1;
  m_baseRate = rate / static_cast<float>(N);
  m_steps = 0.02f * m_baseRate;
  m_glideRate = m_baseRate;
  m_modulation = m_synth->GetIModulation();
}

void CPitchModule::SetBlockSize(unsigned int n) {
  unsigned int N = m_synth->GetOversampling();
  if (N == 0) N = 1;
  m_increments.SetSamplesCount(n / N);
}

void CPitchModule::UpdateParams(unsigned int n) {
  if (!m_modulation) m_modulation = m_synth->GetIModulation();
  m_detune.Update(n);
  m_masterDetune.Update(n);
  m_vibrato.Update(n);
  m_keyScale.Update(n);
}

void CPitchModule::ResetGlide() {
  m_glideArmed = 0;
  m_started = 0;
}

void CPitchModule::StartVoice(CVoice* voice) {
  OSC_STATE* state = voice->GetOscState(m_osc);
  bool legato = *voice->GetLegato() != 0;
  float mode = m_synth->GetParam(ID_GLIDE_MODE);
  bool legatoMode = !(mode >= 1.0f || mode <= -1.0f);  // truncates to 0 ("legato")
  // Whether a note glides is decided once per note, by its first unison
  // sub-voice; the other sub-voices follow. Otherwise the note that arms
  // the glide would glide on all its sub-voices but the first.
  bool glides;
  if (voice->GetUnisonVoice() == 0) {
    if (!legato && legatoMode) m_glideArmed = 0;
    glides = m_glideArmed != 0;
    m_noteGlides = m_glideArmed;
    m_glideArmed = 1;
  } else {
    glides = m_noteGlides != 0;
  }

  float note = static_cast<float>(*voice->GetPitch());
  if (glides) {
    float g = m_synth->GetParam(ID_MASTER_GLIDE);
    g = g > 0.0f ? (g < 1.0f ? g : 1.0f) : 0.0f;  // NaN gives 0
    float last = Finite(m_synth->GetLastPitch());
    float t = std::floor(g * g * g * m_glideRate);
    unsigned int steps = t > 0.0f ? static_cast<unsigned int>(t) : 0u;
    state->glideCurrent = last;
    state->glideTarget = note;
    state->glideStepsLeft = steps;
    // With no steps the note sounds at once and the step is never applied.
    state->glideStep = steps ? (note - last) / static_cast<float>(steps) : 0.0f;
  } else {
    state->glideCurrent = note;
    state->glideTarget = note;
    state->glideStepsLeft = 0;
    state->glideStep = 0.0f;
  }
}

void CPitchModule::Generate(CVoice* voice, unsigned int n) {
  unsigned int N = m_synth->GetOversampling();
  if (N == 0) N = 1;
  float* increments = m_increments.GetBuffer();
  unsigned int count = n / N;
  if (count * N < n) ++count;  // a partial control step at the block's end
  if (count > m_increments.GetSamplesCount()) count = m_increments.GetSamplesCount();
  m_synth->SetPitchModulation(m_osc, increments);
  if (!increments || count == 0) return;
  if (!m_modulation) m_modulation = m_synth->GetIModulation();

  OSC_STATE* state = voice->GetOscState(m_osc);
  unsigned int u = voice->GetUnisonVoice();

  // Controller pitch modulation, in octaves, linear in the slot depth.
  float c = 0.0f;
  const MOD_CONTROLLER_LIST* controllers = m_modulation ? m_modulation->GetController(ID_OSC_PITCH + m_osc) : nullptr;
  if (controllers) {
    unsigned int cc = controllers->count < MOD_SLOT_COUNT ? controllers->count : MOD_SLOT_COUNT;
    for (unsigned int j = 0; j < cc; ++j) {
      unsigned int slot = controllers->slot[j];
      float a = slot < MOD_DEPTH_SLOTS ? m_synth->GetParam(ID_MOD_DEPTH + slot) : 0.5f;
      float value = controllers->value[j] ? *controllers->value[j] : 0.0f;
      c += (2.0f * a - 1.0f) * value * 6.0f;
    }
  }

  // Coarse target in octaves, followed by a linear ramp restarted per call.
  float bend = m_modulation ? m_modulation->GetControllerValue(CONTROLLER_PITCH_BEND) : 0.0f;
  float target = m_synth->GetParam(ID_OCTAVE + m_osc) + bend * (m_synth->GetParam(ID_BEND_RANGE) / 12.0f) + c;
  target = Finite(target);
  if (!m_started || !std::isfinite(m_current)) {
    m_current = target;
    m_started = 1;
    m_increment = 0.0f;
    m_remaining = 0;
  } else {
    float steps = std::floor(m_steps);
    m_remaining = steps >= 1.0f ? static_cast<unsigned int>(steps) : 0u;
    if (m_remaining > 0) {
      m_increment = (target - m_current) / static_cast<float>(m_remaining);
    } else {
      m_current = target;
      m_increment = 0.0f;
    }
  }

  float uniShift = Finite(m_synth->GetUnisonPitchShift(u));
  float fixedSemis = Finite(m_synth->GetParam(ID_SEMITONE + m_osc)) + Finite(m_synth->GetParam(ID_TRANSPOSE));
  const float* vibrato = m_modulation ? m_modulation->GetVibratoModulation() : nullptr;
  const MOD_SOURCE_LIST* pitchMod = m_modulation ? m_modulation->GetModulation(ID_OSC_PITCH + m_osc) : nullptr;
  unsigned int pitchModCount = 0;
  if (pitchMod) pitchModCount = pitchMod->count < MOD_SLOT_COUNT ? pitchMod->count : MOD_SLOT_COUNT;
  float oscRate = static_cast<float>(N) * m_baseRate;

  // Nothing moves in this block: the coarse ramp has no way to go, no glide, settled and
  // unmodulated controls, no pitch modulation and a vibrato depth of 0 (the
  // vibrato LFO's output is finite, so it adds 0; the modulation matrix does
  // not even compute it when no depth reads it). The first step's pitch
  // serves them all.
  const float vibratoDepth = m_vibrato.constant ? m_vibrato.GetConstantValue() : 1.0f;
  const bool still = m_increment == 0.0f && state->glideStepsLeft == 0 && pitchModCount == 0 && m_detune.constant &&
                     m_masterDetune.constant && m_vibrato.constant && m_keyScale.constant && vibratoDepth == 0.0f;
  if (still) {
    // The ramp's steps add 0: only its count runs down.
    m_remaining = m_remaining > count ? m_remaining - count : 0;
    const float S = m_current;
    const float d = m_detune.GetConstantValue();
    const float m = m_masterDetune.GetConstantValue();
    const float s = m_keyScale.GetConstantValue();
    const float g = state->glideTarget;
    float pitch = m + d + uniShift - 1.0f + 0.0f + fixedSemis + 12.0f * S + s * (g - 64.0f) + 64.0f;
    pitch = pitch > 0.0f ? (pitch < MAX_PITCH ? pitch : MAX_PITCH) : 0.0f;  // NaN gives 0
    const float inc = oscRate > 0.0f ? Tables::TunePitchToHz(pitch) / oscRate : 0.0f;
    FillBlock(increments, count, inc);
    return;
  }

  for (unsigned int k = 0; k < count; ++k) {
    if (m_remaining > 0) {
      m_remaining -= 1;
      m_current += m_increment;
    } else {
      m_increment = 0.0f;
    }
    float S = m_current;

    float d = m_detune.GetValue(k);
    float m = m_masterDetune.GetValue(k);
    float v = m_vibrato.GetValue(k);
    float s = m_keyScale.GetValue(k);
    float vib = vibrato ? vibrato[k] : 0.0f;

    if (pitchModCount) {
      double acc = S;
      for (unsigned int j = 0; j < pitchModCount; ++j) {
        double e = 2.0 * static_cast<double>(pitchMod->amount[j][k]) - 1.0;
        acc += static_cast<double>(pitchMod->source[j][k]) * std::fabs(e) * e * 8.0;
      }
      S = static_cast<float>(acc);
    }

    float g;
    if (state->glideStepsLeft > 0) {
      // Measured back from the target rather than summed step by step, so
      // that float rounding cannot pile up over a long glide: the ramp
      // stays linear and lands on the target at its last step.
      state->glideStepsLeft -= 1;
      state->glideCurrent = state->glideTarget - static_cast<float>(state->glideStepsLeft) * state->glideStep;
      g = state->glideCurrent;
    } else {
      g = state->glideTarget;
    }

    float pitch = m + d + uniShift - 1.0f + v * vib + fixedSemis + 12.0f * S + s * (g - 64.0f) + 64.0f;
    pitch = pitch > 0.0f ? (pitch < MAX_PITCH ? pitch : MAX_PITCH) : 0.0f;  // NaN gives 0
    increments[k] = oscRate > 0.0f ? Tables::TunePitchToHz(pitch) / oscRate : 0.0f;
  }
}
