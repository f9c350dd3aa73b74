#include "osc/Oscillator.h"

#include <cmath>
#include <cstring>

#include "engine/FastFloor.h"
#include "engine/IGlobalSynth.h"
#include "engine/IModulation.h"
#include "engine/SynthTypes.h"
#include "engine/Voice.h"
#include "osc/OscState.h"

namespace {

// Parameter ids (per-oscillator ids are base + oscillator).
const unsigned int ID_FM = 28;
const unsigned int ID_RM = 32;
const unsigned int ID_DETUNE = 72;
const unsigned int ID_ON = 422;
const unsigned int ID_MODE = 430;
const unsigned int ID_OCTAVE = 434;
const unsigned int ID_SEMITONE = 438;
const unsigned int ID_FREE_PHASE = 442;
const unsigned int ID_DECLICK = 485;

// 2^(1/12) as the nearest float.
const float TUNE_SEMITONE_DELTA = static_cast<float>(std::pow(2.0, 1.0 / 12.0));

const float DECLICK_TIME = 0.007f;
const float BUZZ_FADE_LO_HZ = 100.0f;
const float BUZZ_FADE_HI_HZ = 350.0f;
const float MORPH_FADE_LO_HZ = 500.0f;
const float MORPH_FADE_HI_HZ = 10000.0f;

// An integer setting stored as a float, truncated toward zero; values that
// cannot be a setting (NaN, huge, negative) give -1.
int IntSetting(float v) { return (v >= 0.0f && v < 65536.0f) ? static_cast<int>(v) : -1; }

}  // namespace

const unsigned int COscillator::OSC_FRAME_PARAM_IDS[COscillator::OSC_FRAME_PARAMS] = {4, 8, 28, 32, 76};

COscillator::COscillator(IGlobalSynth* synth)
    : m_synth(synth), m_pitch(synth), m_effects(synth), m_samplePlayer(synth), m_filter(synth), m_drive(synth) {
  m_buzzFade = {};
  m_morphFade = {};
  m_morphFade.loHz = MORPH_FADE_LO_HZ;
  m_morphFade.hiHz = MORPH_FADE_HI_HZ;
}

COscillator::~COscillator() {}

void COscillator::SetInstance(unsigned int index) {
  m_osc = index & 3;
  m_pitch.SetInstance(m_osc);
  m_samplePlayer.SetInstance(m_osc);
  m_effects.SetInstance(m_osc);
  m_filter.SetInstance(m_osc);
  m_drive.SetInstance(m_osc);
}

void COscillator::SetSampleRate(float rate) {
  m_sampleRate = rate;
  m_modulation = m_synth->GetIModulation();
  m_pitch.SetSampleRate(rate);
  m_effects.SetSampleRate(rate);
  m_declickStep = rate > 0.0f ? 1.0f / (DECLICK_TIME * rate) : 1.0f;
  m_morphFade.sampleRate = rate;
  m_morphFade.Normalise();
  m_blImp = m_synth->GetBlImpTable();
  m_blSaw = m_synth->GetBlSawTable();
  m_blStep = m_synth->GetBlStepTable();
  m_buzzFade.Set(rate, BUZZ_FADE_LO_HZ, BUZZ_FADE_HI_HZ);
  m_samplePlayer.SetSampleRate(rate);
  m_filter.SetSampleRate(rate);
}

void COscillator::SetBlockSize(unsigned int n) {
  // The output buffers may have been made anew.
  m_silentLeft = m_silentRight = nullptr;
  m_silentCount = 0;
  m_pitch.SetBlockSize(n);
  m_effects.SetBlockSize(n);
  m_samplePlayer.SetBlockSize(n);
}

void COscillator::SetWaveTableQuality(unsigned int quality) { m_wavetable.SetQuality(quality); }

void COscillator::ResetGlide() { m_pitch.ResetGlide(); }

void COscillator::RebuildOscFX() { m_effects.RebuildOscFX(); }

void COscillator::StartVoice(CVoice* voice) {
  m_pitch.StartVoice(voice);
  m_effects.StartVoice(voice);
  m_samplePlayer.StartVoice(voice);
  m_filter.StartVoice(voice);
}

void COscillator::Reset(CVoice* voice) {
  *voice->GetOscDeclicker() = 0.0f;
  OSC_STATE* s = voice->GetOscState(m_osc);
  int mode = IntSetting(m_synth->GetParam(ID_MODE + m_osc));
  float phase = 0.0f;
  if (m_synth->GetParam(ID_FREE_PHASE + m_osc) != 0.0f && mode != static_cast<int>(MODE_CLICK) &&
      mode != static_cast<int>(MODE_SAMPLE)) {
    // The voice's one seed gives each oscillator a different but repeatable
    // start phase that moves with its tuning.
    float e = 12.0f * m_synth->GetParam(ID_OCTAVE + m_osc) + m_synth->GetParam(ID_SEMITONE + m_osc) +
              m_synth->GetParam(ID_DETUNE + m_osc) - 0.5f;
    float scale = static_cast<float>(std::pow(static_cast<double>(TUNE_SEMITONE_DELTA), static_cast<double>(e)));
    float x = scale * s->randomPhase;
    phase = x - FastFloor(x);
    if (!(phase >= 0.0f && phase < 1.0f)) phase = 0.0f;  // a corrupt tuning or seed
  }
  s->phase = phase;
  s->lastOutput = 0.0f;
  s->auxPhase1 = 0.0f;
  s->auxPhase2 = 0.0f;
  s->auxPhase3 = 0.0f;
  m_samplePlayer.Reset(voice);
  // The effects follow the start phase just set.
  m_effects.Reset(voice);
  m_filter.Reset(voice);
}

void COscillator::UpdateParams(unsigned int hostFrames) {
  if (!m_modulation) m_modulation = m_synth->GetIModulation();
  m_pitch.UpdateParams(hostFrames);
  m_effects.UpdateParams(hostFrames);
  m_samplePlayer.UpdateParams(hostFrames);
  for (unsigned int j = 0; j < OSC_FRAME_PARAMS; ++j) m_synth->UpdateParam(OSC_FRAME_PARAM_IDS[j] + m_osc, hostFrames);
  m_filter.UpdateParams(hostFrames);
  m_drive.UpdateParams(hostFrames);
}

void COscillator::UpdateWaveTable() {
  // The table is read in place from the preset image; only without an image
  // (never in the engine) is it gathered word by word into the source.
  SYNTH_PRESET* preset = m_synth->GetPreset();
  const unsigned int base = PARAM_WAVETABLE + WAVETABLE_LENGTH * m_osc;
  const float* wave = preset ? &preset->data[base] : m_wavetable.GetSource();
  if (!preset) {
    float* source = m_wavetable.GetSource();
    for (unsigned int k = 0; k < WAVETABLE_LENGTH; ++k) source[k] = m_synth->GetParam(base + k);
  }
  // Each name word's four bytes in memory order; a zero byte ends the word.
  char name[CWaveTable::NAME_BYTES];
  for (unsigned int j = 0; j < 4; ++j) {
    const unsigned int id = PARAM_WAVETABLE_NAME + 4 * m_osc + j;
    const float word = preset ? (*preset)[id] : m_synth->GetParam(id);
    char bytes[4];
    std::memcpy(bytes, &word, 4);
    bool ended = false;
    for (unsigned int b = 0; b < 4; ++b) {
      if (bytes[b] == 0) ended = true;
      name[4 * j + b] = ended ? 0 : bytes[b];
    }
  }
  // The levels of a wave that the oscillator plays were built when the wave
  // or the mode was set (the engine's PrepareWaveTable, on the setting's
  // thread): the load finds the same wave and keeps them. The build here
  // and in the wavetable mode only serves an oscillator driven without the
  // engine; the others build theirs when their mode is set to play it.
  m_wavetable.LoadWaveTableDeferred(wave, name);
  if (IntSetting(m_synth->GetParam(ID_MODE + m_osc)) == static_cast<int>(MODE_WAVETABLE)) m_wavetable.PrepareLevels();
}

bool COscillator::_Matters(unsigned int id) {
  if (m_synth->GetParam(id) != 0.0f) return true;
  if (!m_modulation) return false;
  const MOD_SOURCE_LIST* list = m_modulation->GetModulation(id);
  if (list && list->count) return true;
  const MOD_CONTROLLER_LIST* controllers = m_modulation->GetController(id);
  return controllers && controllers->count;
}

bool COscillator::_RendersForPartner() {
  if ((m_osc & 1) == 0) return false;  // Osc1 and Osc3 modulate nobody
  unsigned int partner = m_osc - 1;
  if (m_synth->GetParam(ID_ON + partner) == 0.0f) return false;
  return _Matters(ID_FM + partner) || _Matters(ID_RM + partner);
}

void COscillator::Generate(CVoice* voice, float* left, float* right, float* scratch, unsigned int n) {
  if (!m_modulation) m_modulation = m_synth->GetIModulation();
  int mode = IntSetting(m_synth->GetParam(ID_MODE + m_osc));
  bool on = m_synth->GetParam(ID_ON + m_osc) != 0.0f;
  if (!on && !_RendersForPartner()) {
    // Only this oscillator writes its output buffers: silence written by
    // the last call is still there.
    if (left == m_silentLeft && right == m_silentRight && n <= m_silentCount) return;
    std::memset(left, 0, n * sizeof(float));
    std::memset(right, 0, n * sizeof(float));
    m_silentLeft = left;
    m_silentRight = right;
    m_silentCount = n;
    return;
  }
  m_silentLeft = m_silentRight = nullptr;
  m_silentCount = 0;
  m_fmSource = (m_osc & 1) == 0 ? scratch : nullptr;
  m_pitch.Generate(voice, n);
  m_auxPhase = &voice->GetOscState(m_osc)->auxPhase1;
  if (mode != static_cast<int>(MODE_SAMPLE)) _PreProcessEffects(voice, left, right, n);
  if (mode == static_cast<int>(MODE_WAVETABLE) && voice->GetUnisonVoice() == 0) {
    // The level chosen by the first sub-voice serves the voice's others.
    if (const float* pitch = m_synth->GetPitchModulation(m_osc)) m_wavetable.SetFundamental(pitch[0] * m_sampleRate);
  }

  _Dispatch(static_cast<unsigned int>(mode), voice, left, right, scratch, n);

  if ((m_osc & 1) && scratch) std::memcpy(scratch, left, n * sizeof(float));

  if (mode != static_cast<int>(MODE_CLICK) && mode != static_cast<int>(MODE_SAMPLE) &&
      m_synth->GetParam(ID_DECLICK) != 0.0f) {
    float* gain = voice->GetOscDeclicker();
    float g = *gain;
    for (unsigned int i = 0; i < n && g < 1.0f; ++i) {
      g += m_declickStep;
      if (g > 1.0f) g = 1.0f;
      left[i] *= g;
    }
    *gain = g;
  }

  if (!on) {
    std::memset(left, 0, n * sizeof(float));
    std::memset(right, 0, n * sizeof(float));
    return;
  }
  if (mode == static_cast<int>(MODE_SAMPLE)) return;
  _ProcessEffects(voice, left, right, n);
}

void COscillator::_Dispatch(unsigned int mode, CVoice* voice, float* left, float* right, float* scratch,
                            unsigned int n) {
  switch (mode) {
    case 0:
      GenerateSine(voice, left, n);
      return;
    case 1:
      GenerateSaw(voice, left, n);
      return;
    case 2:
      GenerateSquare(voice, left, n);
      return;
    case 3:
      GenerateTriangle(voice, left, n);
      return;
    // Phase-modulation, resonant, sync and formant waves.
    case 4: GeneratePowerWave1(voice, left, n); return;
    case 5: GeneratePowerWave2(voice, left, n); return;
    case 6: GeneratePowerWave3(voice, left, n); return;
    case 7: GeneratePowerWave4(voice, left, n); return;
    case 8: GeneratePowerWave5(voice, left, n); return;
    case 9: GeneratePowerWave6(voice, left, n); return;
    case 10: GeneratePowerWave7(voice, left, n); return;
    case 11: GenerateResonant1(voice, left, n); return;
    case 12: GenerateResonant2(voice, left, n); return;
    case 13: GenerateResonant3(voice, left, n); return;
    case 14: GenerateResonant4(voice, left, n); return;
    case 15: GenerateResonant5(voice, left, n); return;
    case 16: GenerateSync1(voice, left, n); return;
    case 17: GenerateSync2(voice, left, n); return;
    case 18: GenerateSync3(voice, left, n); return;
    case 19: GenerateSync4(voice, left, n); return;
    case 20: GenerateSync5(voice, left, n); return;
    case 21: GenerateSync6(voice, left, n); return;
    case 22: GenerateFormant1(voice, left, n); return;
    case 23: GenerateFormant2(voice, left, n); return;
    case 24: GenerateFormant3(voice, left, n); return;
    case 25: GenerateFormant4(voice, left, n); return;
    // Instrument, organ, inharmonic, harmonic and noise modes.
    case 26: GenerateSynCello(voice, left, n); return;
    case 27: GenerateSynBrass1(voice, left, n); return;
    case 28: GenerateSynBrass2(voice, left, n); return;
    case 29: GenerateSynGuitar1(voice, left, n); return;
    case 30: GenerateSynGuitar2(voice, left, n); return;
    case 31: GenerateSynOboe(voice, left, n); return;
    case 32: GenerateSynFlute1(voice, left, n); return;
    case 33: GenerateSynFlute2(voice, left, n); return;
    case 34: GenerateOrgan1(voice, left, n); return;
    case 35: GenerateOrgan2(voice, left, n); return;
    case 36: GenerateInharmonic1(voice, left, n); return;
    case 37: GenerateInharmonic2(voice, left, n); return;
    case 38: GenerateInharmonic3(voice, left, n); return;
    case 39: GenerateInharmonic4(voice, left, n); return;
    case 40: GenerateHarmonic1(voice, left, n); return;
    case 41: GenerateHarmonic2(voice, left, n); return;
    case 42: GenerateHarmonic3(voice, left, n); return;
    case 43: GenerateHarmonic4(voice, left, n); return;
    case 44: GenerateWhite(voice, left, n); return;
    case 45: GenerateBrown(voice, left, n); return;
    case 46: GenerateDrone1(voice, left, n); return;
    case 47: GenerateDrone2(voice, left, n); return;
    case 48: GenerateDrone3(voice, left, n); return;
    case 49: GenerateDrone4(voice, left, n); return;
    case 50: GenerateDrone5(voice, left, n); return;
    case 51: GenerateCrackle1(voice, left, n); return;
    case 52: GenerateCrackle2(voice, left, n); return;
    case 53: GenerateCrackle3(voice, left, n); return;
    case 54: GenerateClick(voice, left, n); return;
    case MODE_WAVETABLE:
      GenerateWaveTable(voice, left, n);
      return;
    case MODE_SAMPLE:
      // The sample player writes both channels, its output final.
      m_samplePlayer.Generate(voice, m_synth->GetPitchModulation(m_osc), left, right, scratch, n);
      return;
    default:
      // Modes without a routine, and mode values outside the known range,
      // are silent.
      std::memset(left, 0, n * sizeof(float));
      return;
  }
}

void COscillator::_PreProcessEffects(CVoice* voice, float* left, float* right, unsigned int n) {
  // Publishes this block's buzz and feedback amounts (null without such a
  // slot) before the wave renders.
  m_effects.PreProcess(voice, left, right, n);
}

void COscillator::_ProcessEffects(CVoice* voice, float* left, float* right, unsigned int n) {
  // 1. Effect slots on the raw wave: scissor, sub, ring and chip, in slot
  //    order, in place on the mono signal.
  m_effects.ProcessSlots(voice, left, n);

  // 2. Oscillator filter and drive, mono, in place on left.
  _ProcessFilterAndDrive(voice, left, n);

  // 3. Brilliance slots, then level and pan: left becomes the left output,
  //    right receives the right output.
  m_effects.ProcessOutput(voice, left, right, n);
}

void COscillator::_ProcessFilterAndDrive(CVoice* voice, float* buffer, unsigned int n) {
  m_filter.Process(voice, buffer, n);
  m_drive.Process(voice, buffer, n);
}

float* COscillator::GetOscWaveTable() { return m_wavetable.GetSource(); }

char* COscillator::GetOscWaveTableName() { return m_wavetable.GetName(); }

void COscillator::GetSample(float** left, float** right, unsigned int& frames, float* rate) {
  m_samplePlayer.GetSample(left, right, frames, rate);
}

const char* COscillator::GetSamplePath() { return m_samplePath.c_str(); }

bool COscillator::LoadSample(const char* path) {
  if (!path || !m_samplePlayer.LoadSample(path)) return false;
  m_samplePath = path;
  return true;
}

void COscillator::TakeSample(std::unique_ptr<CSampleLoader>& loaded, const std::string& path) {
  m_samplePlayer.TakeSample(loaded);
  m_samplePath = path;
}

bool COscillator::LoadSampleFromMemory(float* left, float* right, unsigned int frames, float rate, const char* name) {
  if (!m_samplePlayer.LoadSampleFromMemory(left, right, frames, rate)) return false;
  m_samplePath = name ? name : "";
  return true;
}
