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
  unsigned int K, shift;
  _ControlStep(K, shift);
  const bool glide = m_synth->GetParam(ID_FILTER_GLIDE) != 0.0f;
  // The key-tracked pitch offsets: the oscillator's octave, semitone and fine
  // tune, the transpose, the master tune and pitch bend.
  const float tune = 12.0f * std::trunc(_Setting(ID_OCTAVE + o)) + std::trunc(_Setting(ID_TRANSPOSE)) +
                     _Setting(ID_MASTER_DETUNE) - 0.5f + std::trunc(_Setting(ID_SEMITONE + o)) +
                     _Setting(ID_DETUNE + o) - 0.5f + _BendPitch();
  const float velFull = _VelocityTerm(voice);

  CONTROL cutoff = _Control(ID_CUTOFF + o);
  CONTROL res = _Control(ID_RES + o);
  CONTROL key = _Control(ID_KEY_SCALE + o);
  CONTROL vel = _Control(ID_VEL_SCALE + o);
  CONTROL ctl = _Control(ID_CONTROL + o);

  const float carrier = _RingCarrier(mode, voice, TUNE_TABLE_SCALER);

  // Settled controls without sources are read once for the block; when all
  // are and the key tracking rests, every tick of the block finds the same
  // inputs.
  const unsigned int reads = _ControlReads(n, K, shift);
  bool held = !_Gliding(s, glide);
  held = _Hold(cutoff, ID_CUTOFF + o, reads) && held;
  held = _Hold(res, ID_RES + o, reads) && held;
  held = _Hold(key, ID_KEY_SCALE + o, reads) && held;
  held = _Hold(vel, ID_VEL_SCALE + o, reads) && held;
  held = _Hold(ctl, ID_CONTROL + o, reads) && held;

  const float rate = m_rate;
  const bool stereo = right != nullptr;
  // The inputs of a chunk of ticks.
  float pitches[TICK_CHUNK], resonances[TICK_CHUNK], controls[TICK_CHUNK];
  auto read = [&](unsigned int j0, unsigned int count) {
    float keyTerm[TICK_CHUNK], velTerm[TICK_CHUNK];
    _Values(res, j0, count, resonances);
    _Values(ctl, j0, count, controls);
    _Values(key, j0, count, keyTerm);
    _Values(vel, j0, count, velTerm);
    _TrackingTerms(s, glide, tune, velFull, count, keyTerm, velTerm);
    _CutoffPitches(cutoff, j0, count, unison, keyTerm, velTerm, pitches);
  };
  float lastP = -1.0f, lastR = -1.0f, lastC = -1.0f;  // no tick yet this block
  auto apply = [&](unsigned int t) {
    const float P = pitches[t], r = resonances[t], c = controls[t];
    // Held settings keep the coefficients of the previous tick.
    if (P == lastP && r == lastR && c == lastC) return;
    lastP = P;
    lastR = r;
    lastC = c;
    const float f = FilterBank::PitchToHz(FilterBank::ModePitch(mode, P), TUNE_TABLE_SCALER) / rate;
    m_ch[0].Compute(mode, f, P / FilterBank::MAX_CUTOFF_PITCH, r, c, rate, carrier);
    if (stereo) m_ch[1].CopyCoefficients(m_ch[0]);
  };
  _Run(mode, left, right, n, K, shift, held, read, apply);
}
