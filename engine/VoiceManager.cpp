#include "engine/VoiceManager.h"

#include <cmath>
#include <cstring>

#include "dsp/FilterBank.h"
#include "engine/IGlobalSynth.h"
#include "engine/MemoryPool.h"
#include "engine/ParamIds.h"
#include "engine/Silence.h"
#include "engine/Vectorize.h"
#include "engine/Voice.h"

namespace {

// The period of pitch 15 of the tuning table (about 19.449 Hz): the longest
// comb delay of the filter stages, which sizes the filter memory blocks.
const float CONST_MAX_TIME = FilterBank::ComputeTuning().maxTime;

// Filter memory blocks taken at every sample-rate change.
const unsigned int FILTER_POOL_BLOCKS = 768;

// Room for this many voices without growing the list at a note start.
const unsigned int VOICE_LIST_RESERVE = 256;

// Oscillator render order: oscillators 2 and 4 leave their raw wave in the
// FM source for oscillators 1 and 3.
const unsigned int OSC_RENDER_ORDER[4] = {1, 0, 3, 2};

// Factor selected by parameter 1581 truncated toward zero: 0 gives 4, 1
// gives 8, anything else 2. Values between -1 and 0 truncate to 0 as well.
unsigned int OversamplingFromParam(float v) {
  if (v > -1.0f && v < 1.0f) return 4;
  if (v >= 1.0f && v < 2.0f) return 8;
  return 2;
}

// Adds a sub-voice's bus input into the mix (distinct buffers).
MORLAVINE_VECTORIZE void AddInto(float* __restrict ml, float* __restrict mr, const float* __restrict il, const float* __restrict ir,
             unsigned int n) {
  for (unsigned int j = 0; j < n; ++j) {
    ml[j] += il[j];
    mr[j] += ir[j];
  }
}

// The first sub-voice's bus input into a mix that holds nothing yet: what
// AddInto gives on a cleared mix (0 + x, which turns -0 into +0), without
// the clear.
MORLAVINE_VECTORIZE void StoreInto(float* __restrict ml, float* __restrict mr, const float* __restrict il,
                                   const float* __restrict ir, unsigned int n) {
  for (unsigned int j = 0; j < n; ++j) {
    ml[j] = il[j] + 0.0f;
    mr[j] = ir[j] + 0.0f;
  }
}

// Clears the first frames samples of both channels of a mix, unless they
// hold +0.0 already (an idle engine's mixes stay silent from slice to slice).
void ClearMix(CStereoBuffer& mix, unsigned int frames) {
  const unsigned int n = frames < mix.GetSamplesCount() ? frames : mix.GetSamplesCount();
  if (mix.GetLeftBuffer() && IsPositiveZeroBlock(mix.GetLeftBuffer(), n) && IsPositiveZeroBlock(mix.GetRightBuffer(), n))
    return;
  mix.Clear(frames);
}

}  // namespace

CVoiceManager::CVoiceManager(IGlobalSynth* synth)
    : m_synth(synth),
      m_params(synth),
      m_modMatrix(synth),
      m_fxMatrix(synth),
      m_osc{COscillator(synth), COscillator(synth), COscillator(synth), COscillator(synth)},
      m_router(synth),
      m_bus{CBusProcessor(synth), CBusProcessor(synth)},
      m_tranceGate(synth),
      m_master(synth),
      m_ampEnv(synth),
      m_downSampler(synth),
      m_unisonMapper(synth),
      m_exciter{CExciter(synth), CExciter(synth)} {
  m_voices.reserve(VOICE_LIST_RESERVE);
  for (unsigned int k = 0; k < 4; ++k) {
    m_oscTable[k] = &m_osc[k];
    m_oscTable[k]->SetInstance(k);
  }
  m_synth->SetParamHandler(&m_params);
  m_params.SetWaveTablePreparer(this);
  m_synth->SetIModulation(static_cast<IModulation*>(&m_modMatrix));
  m_bus[0].SetInstance(0);
  m_bus[1].SetInstance(1);
  m_unisonMapper.Map();
}

CVoiceManager::~CVoiceManager() {
  delete m_modVoice;
  delete m_busVoice;
  m_modVoice = m_busVoice = nullptr;
  _DeleteAllVoicesNow();
  // The global services outlive this object: leave them no pointers into it.
  if (m_synth->GetIModulation() == static_cast<IModulation*>(&m_modMatrix)) m_synth->SetIModulation(nullptr);
  m_synth->SetParamHandler(nullptr);
}

void CVoiceManager::PrepareWaveTable(unsigned int osc, const float* wave) {
  if (osc < 4) m_oscTable[osc]->GetWaveTable()->PrepareWave(wave);
}

void CVoiceManager::_DeleteAllVoicesNow() {
  for (CVoice* v : m_voices) delete v;
  m_voices.clear();
}

void CVoiceManager::SetSampleRate(float sr) {
  if (!(sr > 0.0f && sr <= MAX_ENGINE_SAMPLE_RATE)) return;  // also NaN
  // Resizing the pool frees every block; no voice may still hold one.
  _DeleteAllVoicesNow();

  const float osRate = sr * static_cast<float>(m_synth->GetOversampling());
  const unsigned int m = static_cast<unsigned int>(std::ceil(CONST_MAX_TIME * osRate));
  unsigned int floats = 3 * m + 39;
  if (floats < 20) floats = 20;

  delete m_modVoice;
  delete m_busVoice;
  m_modVoice = m_busVoice = nullptr;
  if (CMemoryPool* pool = m_synth->GetFilterMemoryPool()) pool->SetCapacity(floats * 4 + 8, FILTER_POOL_BLOCKS);
  m_modVoice = new CVoice(m_synth, osRate);
  m_busVoice = new CVoice(m_synth, osRate);
  m_sampleRate = sr;

  for (COscillator* osc : m_oscTable) osc->SetSampleRate(osRate);
  for (auto& bus : m_bus) bus.SetMonoVoice(m_busVoice);
  for (auto& bus : m_bus) bus.SetSampleRate(osRate);

  m_modMatrix.SetSampleRate(sr);
  m_params.SetSampleRate(sr);
  m_downSampler.SetSampleRate(sr);
  m_tranceGate.SetSampleRate(sr);
  m_fxMatrix.SetSampleRate(sr);
  m_master.SetSampleRate(sr);
  m_exciter[0].SetSampleRate(sr);
  m_exciter[1].SetSampleRate(sr);
}

void CVoiceManager::SetBlockSize(unsigned int n) {
  if (n == 0) return;
  if (n > MAX_ENGINE_BLOCK_SIZE) n = MAX_ENGINE_BLOCK_SIZE;
  m_blockSize = n;
  const unsigned int frames = n * m_synth->GetOversampling();
  for (unsigned int k = 0; k < 4; ++k) {
    m_oscOut[k].SetSamplesCount(frames);
    m_oscTable[k]->SetBlockSize(frames);
  }
  m_busIn[0].SetSamplesCount(frames);
  m_busMix[0].SetSamplesCount(frames);
  m_busIn[1].SetSamplesCount(frames);
  m_busMix[1].SetSamplesCount(frames);
  m_params.SetBlockSize(n);
  m_modMatrix.SetBlockSize(n);
  m_fxMatrix.SetBlockSize(n);
}

void CVoiceManager::Reset() {
  _DeleteAllVoicesNow();
  if (m_blockSize) {
    const unsigned int frames = m_blockSize * m_synth->GetOversampling();
    m_busIn[0].Clear(frames);
    m_busIn[1].Clear(frames);
    for (auto& out : m_oscOut) out.Clear(frames);
  }
  m_tranceGate.Reset();
  m_fxMatrix.Reset();
  m_downSampler.Reset();
  m_master.Reset();
  m_exciter[0].Reset();
  m_exciter[1].Reset();
}

bool CVoiceManager::TakeOversamplingSetting() {
  // The value last set: a change not yet applied at a block start counts.
  const unsigned int factor = OversamplingFromParam(m_params.GetParamDeffered(PARAM_OVERSAMPLING));
  if (factor == m_synth->GetOversampling()) return false;
  m_synth->SetOversampling(factor);
  return true;
}

void CVoiceManager::_ChangeOversampling() {
  const unsigned int factor = OversamplingFromParam(m_synth->GetParam(PARAM_OVERSAMPLING));
  if (factor == m_synth->GetOversampling()) return;
  Reset();
  m_synth->SetOversampling(factor);
  if (m_sampleRate > 0.0f) {
    m_synth->SetSampleRate(m_sampleRate);
    SetSampleRate(m_sampleRate);
  }
  if (m_blockSize) SetBlockSize(m_blockSize);
}

void CVoiceManager::HandleParams() {
  m_params.Update();
  unsigned int argument = 0;
  const unsigned int status = m_params.GetStatus(argument);
  // Each bit that carries an argument keeps its own in the store.
  const unsigned int cellMask = m_params.GetFxCellResetMask();
  const unsigned int oscMask = m_params.GetWaveTableOscMask();
  const unsigned int quality = m_params.GetWaveTableQualityArgument();

  if (status & STATUS_RESET) Reset();
  if (status & STATUS_UNISON) m_unisonMapper.Map();
  if (status & STATUS_MOD_MATRIX) m_modMatrix.RebuildMatrix();
  if (status & STATUS_FX_MATRIX) m_fxMatrix.RebuildMatrix();
  if (status & STATUS_FX_BYPASS) m_fxMatrix.Reset();
  if (status & STATUS_FX_CELL) {
    for (unsigned int c = 0; c < FX_MATRIX_CELLS; ++c)
      if (cellMask & (1u << c)) m_fxMatrix.ResetCell(c);
  }
  if (status & STATUS_EXCITER) {
    m_exciter[0].Reset();
    m_exciter[1].Reset();
  }
  if (status & STATUS_OSC_FX)
    for (COscillator* osc : m_oscTable) osc->RebuildOscFX();
  if (status & STATUS_GLIDE)
    for (COscillator* osc : m_oscTable) osc->ResetGlide();
  if (status & STATUS_WT_QUALITY)
    for (COscillator* osc : m_oscTable) osc->SetWaveTableQuality(quality);
  if (status & STATUS_OVERSAMPLING) _ChangeOversampling();
  if (status & STATUS_ALL_WAVETABLES)
    for (COscillator* osc : m_oscTable) osc->UpdateWaveTable();
  if (status & STATUS_WAVETABLE) {
    for (unsigned int k = 0; k < 4; ++k)
      if (oscMask & (1u << k)) m_oscTable[k]->UpdateWaveTable();
  }
  m_params.ClearStatus();
}

void CVoiceManager::Generate(float* left, float* right, unsigned int n) {
  CAutoLock lock(m_params.GetLock());
  HandleParams();
  if (n == 0 || m_blockSize == 0 || !m_modVoice) return;
  while (n > 0) {
    const unsigned int slice = n < m_blockSize ? n : m_blockSize;
    _RenderSlice(left, right, slice);
    left += slice;
    right += slice;
    n -= slice;
  }
}

void CVoiceManager::_RenderSlice(float* left, float* right, unsigned int n) {
  const bool perVoiceBuses = m_synth->GetParam(PARAM_BUS_MODE) != 0.0f;
  const unsigned int frames = n * m_synth->GetOversampling();

  // Every parameter ramp advances once in this slice, whoever reads it.
  m_params.BeginBlock();
  m_modMatrix.UpdateParams(n);
  for (COscillator* osc : m_oscTable) osc->UpdateParams(n);
  m_bus[0].UpdateParams(n);
  m_bus[1].UpdateParams(n);
  m_router.UpdateParams(n);

  if (!m_voices.empty()) {
    _RenderVoices(n, frames, perVoiceBuses);
    m_downSampler.Process(m_busMix, frames);
    DeleteProcessedVoices();
  } else {
    ClearMix(m_busMix[0], frames);
    ClearMix(m_busMix[1], frames);
  }

  m_modMatrix.FreePhaseRun(n);
  m_exciter[0].Process(m_busMix[0].GetLeftBuffer(), m_busMix[0].GetRightBuffer(), n);
  m_exciter[1].Process(m_busMix[1].GetLeftBuffer(), m_busMix[1].GetRightBuffer(), n);
  m_tranceGate.UpdateParams(n);
  m_tranceGate.Generate(m_busMix, n);
  m_fxMatrix.UpdateParams(n);
  m_fxMatrix.Process(m_busMix, left, right, n);
  m_master.UpdateParams(n);
  m_master.Process(nullptr, left, right, n);
  m_params.EndBlock();
  // The recorder captures the final outputs, or replaces them while it plays.
  m_recorder.Process(left, right, n);
}

void CVoiceManager::_RenderVoices(unsigned int n, unsigned int frames, bool perVoiceBuses) {
  m_modMatrix.MonoGenerate(m_modVoice, n);
  if (const float* amp = m_modMatrix.GetAmpEnv()) m_releaseLevel = amp[n - 1];

  float* fmSource = m_busIn[0].GetLeftBuffer();
  // The first sub-voice that sounds stores into the mixes, the others add.
  bool mixed = false;
  for (CVoice* voice : m_voices) {
    VOICE_SWITCH_STATE* vs = voice->GetVoiceSwitchState();
    const unsigned int s0 = vs->state;
    m_modMatrix.GenerateVoiceSwitch(voice, n);
    const unsigned int s1 = vs->state;
    // Silent throughout the block: only the voice switch ran.
    if (s0 == VOICE_SWITCH_SILENT && (s1 == VOICE_SWITCH_SILENT || s1 == VOICE_SWITCH_RELEASE)) continue;

    const unsigned int count = voice->GetUnisonCount();
    for (unsigned int i = 0; i < count; ++i) {
      CVoice* sub = voice->GetVoice(i);
      m_modMatrix.PolyGenerate(sub, n);
      std::memset(fmSource, 0, frames * sizeof(float));
      for (unsigned int k : OSC_RENDER_ORDER)
        m_oscTable[k]->Generate(sub, m_oscOut[k].GetLeftBuffer(), m_oscOut[k].GetRightBuffer(), fmSource, frames);
      m_router.Route(m_oscOut, m_busIn, frames);
      if (perVoiceBuses) {
        m_bus[0].Process(sub, m_busIn, frames);
        m_bus[1].Process(sub, m_busIn, frames);
        m_bus[0].ProcessOutput(sub, m_busIn, frames);
        m_bus[1].ProcessOutput(sub, m_busIn, frames);
      }
      m_ampEnv.Process(sub, m_busIn[0].GetLeftBuffer(), m_busIn[0].GetRightBuffer(), frames);
      m_ampEnv.Process(sub, m_busIn[1].GetLeftBuffer(), m_busIn[1].GetRightBuffer(), frames);
      for (unsigned int b = 0; b < 2; ++b)
        (mixed ? AddInto : StoreInto)(m_busMix[b].GetLeftBuffer(), m_busMix[b].GetRightBuffer(),
                                      m_busIn[b].GetLeftBuffer(), m_busIn[b].GetRightBuffer(), frames);
      mixed = true;
    }
  }
  if (!mixed) {
    ClearMix(m_busMix[0], frames);
    ClearMix(m_busMix[1], frames);
  }

  if (!perVoiceBuses) {
    // Shared buses: once on the mixes, with their state in the bus voice.
    m_bus[0].Process(m_busVoice, m_busMix, frames);
    m_bus[1].Process(m_busVoice, m_busMix, frames);
    m_bus[0].ProcessOutput(m_busVoice, m_busMix, frames);
    m_bus[1].ProcessOutput(m_busVoice, m_busMix, frames);
  }
}

void CVoiceManager::FirstKeyPress() {
  m_modMatrix.FirstKeyPress();
  m_tranceGate.FirstKeyPress();
}

void CVoiceManager::ResetFreePhase() {
  m_modMatrix.ResetFreePhase();
  m_fxMatrix.ResetFreePhase();
}

void CVoiceManager::MidiControlChange(unsigned int controller, float value) {
  m_modMatrix.SetController(controller, value);
}
