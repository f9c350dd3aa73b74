#include "dsp/OscFilter.h"

namespace {

const unsigned int ID_CUTOFF = 36;
const unsigned int ID_RES = 40;
const unsigned int ID_CONTROL = 44;
const unsigned int ID_KEY_SCALE = 48;
const unsigned int ID_VEL_SCALE = 52;
const unsigned int ID_DETUNE = 72;
const unsigned int ID_OCTAVE = 434;
const unsigned int ID_SEMITONE = 438;
const unsigned int ID_MODE = 446;

// Tuning constants, set when the program is loaded.
const FilterBank::TUNING TUNING = FilterBank::ComputeTuning();
const float TUNE_TABLE_SCALER = TUNING.tuneTableScaler;
const float CONST_MAX_TIME = TUNING.maxTime;

inline float At(const float* buffer, unsigned int j) { return buffer ? buffer[j] : 0.0f; }

}  // namespace

COscFilterCore::COscFilterCore(IGlobalSynth* synth) : CFilterModule(synth) {}

void COscFilterCore::SetInstance(unsigned int osc) { m_index = osc & 3; }

void COscFilterCore::SetSampleRate(float rate) { _SetSampleRate(rate, CONST_MAX_TIME); }

void COscFilterCore::StartVoice(CVoice* voice) {
  if (voice) _StartGlide(voice, voice->GetOscFXState(m_index));
}

void COscFilterCore::Reset(CVoice* voice) {
  if (!voice) return;
  _ResetState(voice->GetOscFXState(m_index), FilterBank::ModeFromSetting(m_synth->GetParam(ID_MODE + m_index)));
}

void COscFilterCore::UpdateParams(unsigned int n) {
  m_synth->UpdateParam(ID_CUTOFF + m_index, n);
  m_synth->UpdateParam(ID_RES + m_index, n);
  m_synth->UpdateParam(ID_KEY_SCALE + m_index, n);
  m_synth->UpdateParam(ID_VEL_SCALE + m_index, n);
  m_synth->UpdateParam(ID_CONTROL + m_index, n);
}

void COscFilterCore::_Process(CVoice* voice, float* left, float* right, unsigned int n) {
  const int mode = FilterBank::ModeFromSetting(m_synth->GetParam(ID_MODE + m_index));
  if (mode == FilterBank::MODE_OFF || !voice || !left || n == 0 || !(m_rate > 0.0f)) return;
  OSC_FX_STATE* s = voice->GetOscFXState(m_index);
  if (!_Bind(s, mode, right ? 2 : 1)) return;

  const unsigned int o = m_index;
  const float unison = m_synth->GetUnisonPitchShift(voice->GetUnisonVoice());
  unsigned int K = m_synth->GetOversampling();
  if (K == 0) K = 1;
  const unsigned int shift = m_synth->GetOversamplingShift();
  const bool glide = m_synth->GetParam(ID_FILTER_GLIDE) != 0.0f;
  IModulation* mod = m_synth->GetIModulation();
  const float bend = mod ? mod->GetControllerValue(CONTROLLER_PITCH_BEND) : 0.0f;
  // The key-tracked pitch offsets: the oscillator's octave, semitone and fine
  // tune, the transpose, the master tune and pitch bend.
  const float tune = 12.0f * std::trunc(_Setting(ID_OCTAVE + o)) + std::trunc(_Setting(ID_TRANSPOSE)) +
                     _Setting(ID_MASTER_DETUNE) - 0.5f + std::trunc(_Setting(ID_SEMITONE + o)) +
                     _Setting(ID_DETUNE + o) - 0.5f +
                     (std::isfinite(bend) ? bend : 0.0f) * std::trunc(_Setting(ID_BEND_RANGE));
  float velocity = *voice->GetVelocity();
  if (!(velocity > 0.0f)) velocity = 0.0f;
  if (velocity > 1.0f) velocity = 1.0f;
  const float velTerm = 48.0f * (velocity - 0.5f);

  const float* cutoff = m_synth->GetParamPointer(ID_CUTOFF + o);
  const float* res = m_synth->GetParamPointer(ID_RES + o);
  const float* key = m_synth->GetParamPointer(ID_KEY_SCALE + o);
  const float* vel = m_synth->GetParamPointer(ID_VEL_SCALE + o);
  const float* ctl = m_synth->GetParamPointer(ID_CONTROL + o);
  const MOD_SOURCE_LIST* cutoffSrc = _Sources(ID_CUTOFF + o);
  const MOD_SOURCE_LIST* resSrc = _Sources(ID_RES + o);
  const MOD_SOURCE_LIST* keySrc = _Sources(ID_KEY_SCALE + o);
  const MOD_SOURCE_LIST* velSrc = _Sources(ID_VEL_SCALE + o);
  const MOD_SOURCE_LIST* ctlSrc = _Sources(ID_CONTROL + o);

  // The ring modulator's carrier runs two octaves below the note.
  float carrier = 0.0f;
  if (mode == FilterBank::MODE_RING_LP) {
    const int note = *voice->GetPitch();
    if (note > 24) carrier = FilterBank::PitchToHz(static_cast<float>(note - 24), TUNE_TABLE_SCALER) / m_rate;
  }

  const float rate = m_rate;
  const bool stereo = right != nullptr;
  float lastP = -1.0f, lastR = -1.0f, lastC = -1.0f;  // no tick yet this block
  auto tick = [&](unsigned int j) {
    const float r = _Value(res, resSrc, j);
    const float k = _Value(key, keySrc, j);
    const float v = _Value(vel, velSrc, j);
    const float c = _Value(ctl, ctlSrc, j);
    const float tracked = _TrackedPitch(s, glide);
    float P = At(cutoff, j) * 136.0f + unison + k * (tracked + tune) + v * velTerm;
    if (cutoffSrc->count) P += _SourceSum(cutoffSrc, j) * 136.0f;
    P = _ClampPitch(P);
    // Held settings keep the coefficients of the previous tick.
    if (P == lastP && r == lastR && c == lastC) return;
    lastP = P;
    lastR = r;
    lastC = c;
    const float f = FilterBank::PitchToHz(FilterBank::ModePitch(mode, P), TUNE_TABLE_SCALER) / rate;
    m_ch[0].Compute(mode, f, P / FilterBank::MAX_CUTOFF_PITCH, r, c, rate, carrier);
    if (stereo) m_ch[1].CopyCoefficients(m_ch[0]);
  };
  _Run(mode, left, right, n, K, shift, tick);
}
