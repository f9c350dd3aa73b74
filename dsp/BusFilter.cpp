#include "dsp/BusFilter.h"

namespace {

const unsigned int ID_CUTOFF = 93;
const unsigned int ID_RES = 95;
const unsigned int ID_CONTROL = 97;
const unsigned int ID_KEY_SCALE = 99;
const unsigned int ID_VEL_SCALE = 101;
const unsigned int ID_STEREO = 105;
const unsigned int ID_MODE = 473;

// Tuning constants, set when the program is loaded.
const FilterBank::TUNING TUNING = FilterBank::ComputeTuning();
const float TUNE_TABLE_SCALER = TUNING.tuneTableScaler;
const float CONST_MAX_TIME = TUNING.maxTime;

// The notch never goes below this pitch on a bus (about 46 Hz).
const float BUS_NOTCH_LOWEST_PITCH = 30.0f;

inline float At(const float* buffer, unsigned int j) { return buffer ? buffer[j] : 0.0f; }
inline float Clamp01(float v) {
  if (!(v > 0.0f)) return 0.0f;
  return v < 1.0f ? v : 1.0f;
}

}  // namespace

CBusFilter::CBusFilter(IGlobalSynth* synth) : CFilterModule(synth) {
  m_ch[0].SetGains(2.0f, 0.5f, true);
  m_ch[1].SetGains(2.0f, 0.5f, true);
}

void CBusFilter::SetInstance(unsigned int bus) { m_index = bus > 1 ? 1 : bus; }

void CBusFilter::SetSampleRate(float rate) { _SetSampleRate(rate, CONST_MAX_TIME); }

void CBusFilter::StartVoice(CVoice* voice) {
  if (voice) _StartGlide(voice, voice->GetBusState(m_index));
}

void CBusFilter::Reset(CVoice* voice) {
  if (!voice) return;
  _ResetState(voice->GetBusState(m_index), FilterBank::ModeFromSetting(m_synth->GetParam(ID_MODE + m_index)));
}

void CBusFilter::UpdateParams(unsigned int n) {
  m_synth->UpdateParam(ID_CUTOFF + m_index, n);
  m_synth->UpdateParam(ID_RES + m_index, n);
  m_synth->UpdateParam(ID_KEY_SCALE + m_index, n);
  m_synth->UpdateParam(ID_VEL_SCALE + m_index, n);
  m_synth->UpdateParam(ID_STEREO + m_index, n);
  m_synth->UpdateParam(ID_CONTROL + m_index, n);
}

void CBusFilter::Process(CVoice* voice, float* left, float* right, unsigned int n) {
  using namespace FilterBank;
  const int mode = ModeFromSetting(m_synth->GetParam(ID_MODE + m_index));
  if (mode == MODE_OFF || !voice || !left || !right || n == 0 || !(m_rate > 0.0f)) return;
  BUS_STATE* s = voice->GetBusState(m_index);
  if (!_Bind(s, mode, 2)) return;

  const unsigned int b = m_index;
  const bool perVoice = m_synth->GetParam(ID_BUS_MODE) != 0.0f;
  const float unison = perVoice ? m_synth->GetUnisonPitchShift(voice->GetUnisonVoice()) : 0.0f;
  unsigned int K = m_synth->GetOversampling();
  if (K == 0) K = 1;
  const unsigned int shift = m_synth->GetOversamplingShift();
  const bool glide = m_synth->GetParam(ID_FILTER_GLIDE) != 0.0f;
  IModulation* mod = m_synth->GetIModulation();
  const float bend = mod ? mod->GetControllerValue(CONTROLLER_PITCH_BEND) : 0.0f;
  const float tune = std::trunc(_Setting(ID_TRANSPOSE)) + _Setting(ID_MASTER_DETUNE) - 0.5f +
                     (std::isfinite(bend) ? bend : 0.0f) * std::trunc(_Setting(ID_BEND_RANGE));
  float velocity = *voice->GetVelocity();
  if (!(velocity > 0.0f)) velocity = 0.0f;
  if (velocity > 1.0f) velocity = 1.0f;
  const float velTerm = 48.0f * (velocity - 0.5f);

  const float* cutoff = m_synth->GetParamPointer(ID_CUTOFF + b);
  const float* res = m_synth->GetParamPointer(ID_RES + b);
  const float* key = m_synth->GetParamPointer(ID_KEY_SCALE + b);
  const float* vel = m_synth->GetParamPointer(ID_VEL_SCALE + b);
  const float* spread = m_synth->GetParamPointer(ID_STEREO + b);
  const float* ctl = m_synth->GetParamPointer(ID_CONTROL + b);
  const MOD_SOURCE_LIST* cutoffSrc = _Sources(ID_CUTOFF + b);
  const MOD_SOURCE_LIST* resSrc = _Sources(ID_RES + b);
  const MOD_SOURCE_LIST* keySrc = _Sources(ID_KEY_SCALE + b);
  const MOD_SOURCE_LIST* velSrc = _Sources(ID_VEL_SCALE + b);
  const MOD_SOURCE_LIST* spreadSrc = _Sources(ID_STEREO + b);
  const MOD_SOURCE_LIST* ctlSrc = _Sources(ID_CONTROL + b);

  // How far each mode's channels may be spread, as pitches.
  float hi = MAX_CUTOFF_PITCH, lo = 0.0f;
  if (IsCombMode(mode)) {
    hi = 140.0f;
    lo = LOWEST_COMB_PITCH;
  }
  if (mode == MODE_NOTCH) lo = BUS_NOTCH_LOWEST_PITCH;
  if (mode == MODE_ACID_LP) lo = 50.0f;
  if (mode == MODE_ACID_BP) lo = 40.0f;
  if (mode == MODE_ACID_LP || mode == MODE_ACID_BP) hi = 150.0f;
  if (mode == MODE_ANALOG_LP2) {
    hi = 160.0f;
    lo = 50.0f;
  }
  const float rate = m_rate;
  const float fHi = PitchToHz(hi, TUNE_TABLE_SCALER) / rate;
  const float fLo = PitchToHz(lo, TUNE_TABLE_SCALER) / rate;

  // The ring modulator's carrier runs two octaves below the note.
  float carrier = 0.0f;
  if (mode == MODE_RING_LP) {
    const int note = *voice->GetPitch();
    if (note > 24) carrier = PitchToHz(static_cast<float>(note - 24), TUNE_TABLE_SCALER) / rate;
  }

  float lastP = -1.0f, lastR = -1.0f, lastC = -1.0f, lastS = -1.0f;  // no tick yet this block
  auto tick = [&](unsigned int j) {
    const float r = _Value(res, resSrc, j);
    const float k = _Value(key, keySrc, j);
    const float v = _Value(vel, velSrc, j);
    const float st = _Value(spread, spreadSrc, j);
    const float c = _Value(ctl, ctlSrc, j);
    const float tracked = _TrackedPitch(s, glide);
    float P = At(cutoff, j) * 136.0f + unison + k * (tracked + tune) + v * velTerm;
    if (cutoffSrc->count) P += _SourceSum(cutoffSrc, j) * 136.0f;
    P = _ClampPitch(P);
    // Held settings keep the coefficients of the previous tick.
    if (P == lastP && r == lastR && c == lastC && st == lastS) return;
    lastP = P;
    lastR = r;
    lastC = c;
    lastS = st;
    float sp = 2.0f * st - 1.0f;
    sp *= std::fabs(sp);
    float p = ModePitch(mode, P);
    if (mode == MODE_NOTCH && p < BUS_NOTCH_LOWEST_PITCH) p = BUS_NOTCH_LOWEST_PITCH;
    const float f = PitchToHz(p, TUNE_TABLE_SCALER) / rate;
    float fl, fr;
    if (sp <= 0.0f) {
      fl = (1.0f - 3.0f * sp) * f;
      if (fl > fHi) fl = fHi;
      fr = (1.0f + 0.75f * sp) * f;
      if (fr < fLo) fr = fLo;
    } else {
      fr = (1.0f + 3.0f * sp) * f;
      if (fr > fHi) fr = fHi;
      fl = (1.0f - 0.75f * sp) * f;
      if (fl < fLo) fl = fLo;
    }
    const float vowel = P / MAX_CUTOFF_PITCH;
    m_ch[0].Compute(mode, fl, Clamp01(vowel - 0.25f * sp), r, c, rate, carrier);
    m_ch[1].Compute(mode, fr, Clamp01(vowel + 0.25f * sp), r, c, rate, carrier);
  };
  _Run(mode, left, right, n, K, shift, tick);
}
