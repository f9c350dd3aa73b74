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
  unsigned int K, shift;
  _ControlStep(K, shift);
  const bool glide = m_synth->GetParam(ID_FILTER_GLIDE) != 0.0f;
  const float tune = std::trunc(_Setting(ID_TRANSPOSE)) + _Setting(ID_MASTER_DETUNE) - 0.5f + _BendPitch();
  const float velFull = _VelocityTerm(voice);

  CONTROL cutoff = _Control(ID_CUTOFF + b);
  CONTROL res = _Control(ID_RES + b);
  CONTROL key = _Control(ID_KEY_SCALE + b);
  CONTROL vel = _Control(ID_VEL_SCALE + b);
  CONTROL spread = _Control(ID_STEREO + b);
  CONTROL ctl = _Control(ID_CONTROL + b);

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

  const float carrier = _RingCarrier(mode, voice, TUNE_TABLE_SCALER);

  // Settled controls without sources are read once for the block; when all
  // are and the key tracking rests, every tick of the block finds the same
  // inputs.
  const unsigned int reads = _ControlReads(n, K, shift);
  bool held = !_Gliding(s, glide);
  held = _Hold(cutoff, ID_CUTOFF + b, reads) && held;
  held = _Hold(res, ID_RES + b, reads) && held;
  held = _Hold(key, ID_KEY_SCALE + b, reads) && held;
  held = _Hold(vel, ID_VEL_SCALE + b, reads) && held;
  held = _Hold(spread, ID_STEREO + b, reads) && held;
  held = _Hold(ctl, ID_CONTROL + b, reads) && held;

  // The inputs of a chunk of ticks.
  float pitches[TICK_CHUNK], resonances[TICK_CHUNK], controls[TICK_CHUNK], spreads[TICK_CHUNK];
  auto read = [&](unsigned int j0, unsigned int count) {
    float keyTerm[TICK_CHUNK], velTerm[TICK_CHUNK];
    _Values(res, j0, count, resonances);
    _Values(spread, j0, count, spreads);
    _Values(ctl, j0, count, controls);
    _Values(key, j0, count, keyTerm);
    _Values(vel, j0, count, velTerm);
    _TrackingTerms(s, glide, tune, velFull, count, keyTerm, velTerm);
    _CutoffPitches(cutoff, j0, count, unison, keyTerm, velTerm, pitches);
  };
  float lastP = -1.0f, lastR = -1.0f, lastC = -1.0f, lastS = -1.0f;  // no tick yet this block
  auto apply = [&](unsigned int t) {
    const float P = pitches[t], r = resonances[t], c = controls[t], st = spreads[t];
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
  _Run(mode, left, right, n, K, shift, held, read, apply);
}
