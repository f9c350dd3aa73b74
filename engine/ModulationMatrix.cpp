#include "engine/ModulationMatrix.h"

#include <cstring>

#include "engine/IGlobalSynth.h"
#include "engine/Params.h"
#include "engine/Voice.h"

namespace {

// Targets 120 to 131 are the amount, rate and phase of the four LFOs; target
// mod 4 is the LFO's index (3 = vibrato).
const unsigned int TARGET_LFO_FIRST = 120;
const unsigned int TARGET_LFO_LAST = 131;
// Targets 132 to 135 are the rates of MSEG 1 to 4.
const unsigned int TARGET_MSEG_RATE_FIRST = 132;
const unsigned int TARGET_MSEG_RATE_LAST = 135;

// Truncates a stored slot setting; values that are negative or NaN map to a
// number no list accepts, so the slot counts as empty.
unsigned int SlotValue(float v) {
  if (!(v >= 0.0f) || v >= 4294967296.0f) return 0xFFFFFFFFu;
  return static_cast<unsigned int>(v);
}

}  // namespace

CModulationMatrix::CModulationMatrix(IGlobalSynth* synth)
    : m_synth(synth),
      m_lfo{CLfo(synth), CLfo(synth), CLfo(synth), CLfo(synth)},
      m_env{CEnvelope(synth), CEnvelope(synth), CEnvelope(synth), CEnvelope(synth)},
      m_mseg{CMseg(synth), CMseg(synth), CMseg(synth), CMseg(synth)} {
  std::memset(m_controllers, 0, sizeof(m_controllers));
  std::memset(m_sourceLists, 0, sizeof(m_sourceLists));
  std::memset(m_controllerLists, 0, sizeof(m_controllerLists));
  m_controllers[CONTROLLER_EXPRESSION - CONTROLLER_FIRST] = 1.0f;
  for (unsigned int s = 0; s < MOD_SOURCE_TABLE_SIZE; ++s) m_sourceBuffers[s] = nullptr;
  for (unsigned int k = 0; k < 3; ++k) m_lfoOut[k] = m_envOut[k] = nullptr;
  for (unsigned int k = 0; k < 4; ++k) m_msegOut[k] = nullptr;
  for (unsigned int k = 0; k < 4; ++k) {
    m_generators[k] = &m_lfo[k];
    m_generators[4 + k] = &m_env[k];
    m_generators[8 + k] = &m_mseg[k];
  }
  for (unsigned int k = 0; k < 4; ++k) {
    m_lfo[k].SetInstance(k);
    m_env[k].SetInstance(k);
    m_mseg[k].SetInstance(k);
  }
}

CModulationMatrix::~CModulationMatrix() {}

MOD_SOURCE_LIST* CModulationMatrix::GetModulation(unsigned int paramId) {
  int t = Params::ParamIdToModTarget(paramId);
  if (t < 0 || static_cast<unsigned int>(t) >= MOD_TARGET_COUNT) t = 0;
  return &m_sourceLists[t];
}

MOD_CONTROLLER_LIST* CModulationMatrix::GetController(unsigned int paramId) {
  int t = Params::ParamIdToModTarget(paramId);
  if (t < 0 || static_cast<unsigned int>(t) >= MOD_TARGET_COUNT) t = 0;
  return &m_controllerLists[t];
}

MOD_SOURCE_LIST* CModulationMatrix::GetSourceListOfTarget(unsigned int target) {
  return target < MOD_TARGET_COUNT ? &m_sourceLists[target] : &m_sourceLists[0];
}

MOD_CONTROLLER_LIST* CModulationMatrix::GetControllerListOfTarget(unsigned int target) {
  return target < MOD_TARGET_COUNT ? &m_controllerLists[target] : &m_controllerLists[0];
}

float* CModulationMatrix::GetSourceBuffer(unsigned int source) {
  return source < MOD_SOURCE_TABLE_SIZE ? m_sourceBuffers[source] : nullptr;
}

void CModulationMatrix::SetController(unsigned int id, float value) {
  if (id == 1) id = CONTROLLER_WHEEL;
  else if (id == 2) id = CONTROLLER_BREATH;
  else if (id == 11) id = CONTROLLER_EXPRESSION;
  if (id < CONTROLLER_FIRST || id > CONTROLLER_LAST) return;
  m_controllers[id - CONTROLLER_FIRST] = value;
}

float CModulationMatrix::GetControllerValue(unsigned int id) {
  if (id < CONTROLLER_FIRST || id > CONTROLLER_LAST) return 0.0f;
  return m_controllers[id - CONTROLLER_FIRST];
}

float* CModulationMatrix::GetPitchModulation(unsigned int osc) { return m_synth->GetPitchModulation(osc); }

void CModulationMatrix::SetSampleRate(float rate) {
  for (unsigned int k = 0; k < 4; ++k) {
    m_lfo[k].SetSampleRate(rate);
    m_env[k].SetSampleRate(rate);
    m_mseg[k].SetSampleRate(rate);
  }
  m_voiceSwitch.SetSampleRate(rate);
}

void CModulationMatrix::SetBlockSize(unsigned int n) {
  for (unsigned int i = 0; i < MOD_SLOT_COUNT; ++i) {
    m_slotBuffers[i].SetSamplesCount(n);
    m_slotBuffers[i].Clear(n);
  }
  m_vibratoBuffer.SetSamplesCount(n);
  m_vibratoBuffer.Clear(n);
  m_ampEnvBuffer.SetSamplesCount(n);
  m_ampEnvBuffer.Clear(n);
  m_voiceSwitchBuffer.SetSamplesCount(n);
  m_voiceSwitchBuffer.Clear(n);
  RebuildMatrix();
}

void CModulationMatrix::RebuildMatrix() {
  for (unsigned int s = 0; s < MOD_SOURCE_TABLE_SIZE; ++s) m_sourceBuffers[s] = nullptr;
  for (unsigned int t = 0; t < MOD_TARGET_COUNT; ++t) {
    m_sourceLists[t].count = 0;
    m_controllerLists[t].count = 0;
  }

  for (unsigned int i = 0; i < MOD_SLOT_COUNT; ++i) {
    unsigned int s = SlotValue(m_synth->GetParam(PARAM_MOD_SOURCE + i));
    unsigned int t = SlotValue(m_synth->GetParam(PARAM_MOD_TARGET + i));
    if (s == 0 || t == 0) continue;
    // A stored value outside the source and target ranges (a damaged preset)
    // leaves the slot empty.
    if (t >= MOD_TARGET_COUNT || s > MOD_SOURCE_LAST || s == MOD_SOURCE_CONTROLLER - 1) continue;

    if (t >= TARGET_LFO_FIRST && t <= TARGET_LFO_LAST && s >= MOD_SOURCE_LFO1 && s <= MOD_SOURCE_VIBRATO &&
        s - 1 <= t % 4) {
      continue;  // an LFO modulates only LFOs of lower index
    }
    if (t >= TARGET_MSEG_RATE_FIRST && t <= TARGET_MSEG_RATE_LAST && s >= MOD_SOURCE_MSEG1 &&
        s <= MOD_SOURCE_MSEG1 + 3 && s - MOD_SOURCE_MSEG1 <= t - TARGET_MSEG_RATE_FIRST) {
      continue;  // an MSEG modulates only the rate of MSEGs of lower index
    }

    if (s > 16) {
      MOD_CONTROLLER_LIST& l = m_controllerLists[t];
      l.value[l.count] = &m_controllers[s - MOD_SOURCE_CONTROLLER];
      l.slot[l.count] = i;
      ++l.count;
    } else {
      float* depth = m_synth->GetParamPointer(PARAM_MOD_DEPTH + i);
      float* buffer = m_sourceBuffers[s];
      if (!buffer) {
        if (s == MOD_SOURCE_AMP_ENV) buffer = m_ampEnvBuffer.GetBuffer();
        else if (s == MOD_SOURCE_VIBRATO) buffer = m_vibratoBuffer.GetBuffer();
        else buffer = m_slotBuffers[i].GetBuffer();
        if (!buffer || !depth) continue;  // no block size or parameter store yet
        m_sourceBuffers[s] = buffer;
      }
      if (!depth) continue;
      MOD_SOURCE_LIST& l = m_sourceLists[t];
      l.source[l.count] = buffer;
      l.amount[l.count] = depth;
      ++l.count;
    }
  }

  for (unsigned int k = 0; k < 3; ++k) {
    m_lfoOut[k] = m_sourceBuffers[MOD_SOURCE_LFO1 + k];
    m_envOut[k] = m_sourceBuffers[MOD_SOURCE_ENV1 + k];
  }
  for (unsigned int k = 0; k < 4; ++k) m_msegOut[k] = m_sourceBuffers[MOD_SOURCE_MSEG1 + k];
}

void CModulationMatrix::UpdateParams(unsigned int n) {
  for (unsigned int k = 0; k < 4; ++k) m_lfo[k].UpdateParams(n);
  for (unsigned int k = 0; k < 4; ++k) m_env[k].UpdateParams(n);
  for (unsigned int k = 0; k < 4; ++k) m_mseg[k].UpdateParams(n);
  for (unsigned int i = 0; i < MOD_SLOT_COUNT; ++i) m_synth->UpdateParam(PARAM_MOD_DEPTH + i, n);
}

bool CModulationMatrix::_MonoEnvelopes() {
  return TruncateSetting(m_synth->GetParam(PARAM_VOICE_MODE)) == VOICE_MODE_LEGATO &&
         m_synth->GetParam(PARAM_ARP_ON) == 0.0f;
}

unsigned int CModulationMatrix::_ClampBlock(unsigned int n) {
  unsigned int size = m_vibratoBuffer.GetSamplesCount();
  return n < size ? n : size;
}

void CModulationMatrix::MonoGenerate(CVoice* voice, unsigned int n) {
  n = _ClampBlock(n);
  for (unsigned int k = 0; k < 4; ++k) m_mseg[k].BeforeProcessFirstVoice();
  if (_MonoEnvelopes()) {
    for (unsigned int k = 0; k < 3; ++k) {
      if (m_envOut[k]) m_env[k].Generate(voice, m_envOut[k], n);
    }
    m_env[3].Generate(voice, m_ampEnvBuffer.GetBuffer(), n);
  }
}

bool CModulationMatrix::_VibratoRead(unsigned int n) {
  // A slot that takes the vibrato LFO as its source reads it.
  if (m_sourceBuffers[MOD_SOURCE_VIBRATO]) return true;
  // The pitch modules read it unless their vibrato depth is 0 and stays 0
  // for the block (the finite LFO then adds nothing).
  for (unsigned int osc = 0; osc < 4; ++osc) {
    const unsigned int id = PARAM_OSC_VIBRATO + osc;
    const MOD_SOURCE_LIST* sources = GetModulation(id);
    if (m_synth->GetParam(id) != 0.0f || !m_synth->IsParamSettled(id, n) || (sources && sources->count != 0))
      return true;
  }
  return false;
}

void CModulationMatrix::PolyGenerate(CVoice* voice, unsigned int n) {
  n = _ClampBlock(n);
  m_lfo[3].Generate(voice, _VibratoRead(n) ? m_vibratoBuffer.GetBuffer() : nullptr, n);
  for (int k = 2; k >= 0; --k) {
    if (m_lfoOut[k]) m_lfo[k].Generate(voice, m_lfoOut[k], n);
  }
  for (int k = 3; k >= 0; --k) {
    if (m_msegOut[k]) m_mseg[k].Generate(voice, m_msegOut[k], n);
  }
  if (!_MonoEnvelopes()) {
    for (unsigned int k = 0; k < 3; ++k) {
      if (m_envOut[k]) m_env[k].Generate(voice, m_envOut[k], n);
    }
    m_env[3].Generate(voice, m_ampEnvBuffer.GetBuffer(), n);
  }
}

void CModulationMatrix::GenerateVoiceSwitch(CVoice* voice, unsigned int n) {
  n = _ClampBlock(n);
  m_voiceSwitch.Generate(voice, m_voiceSwitchBuffer.GetBuffer(), n);
}

void CModulationMatrix::PolyReset(CVoice* voice) {
  for (unsigned int k = 0; k < 4; ++k) m_lfo[k].Reset(voice);
  for (unsigned int k = 0; k < 4; ++k) m_mseg[k].Reset(voice);
  m_voiceSwitch.Reset(voice);
  if (TruncateSetting(m_synth->GetParam(PARAM_VOICE_MODE)) != VOICE_MODE_LEGATO) {
    bool arpOn = m_synth->GetParam(PARAM_ARP_ON) != 0.0f;
    if (!(arpOn && *voice->GetLegato())) {
      for (unsigned int k = 0; k < 4; ++k) m_env[k].Reset(voice);
    }
  }
}

void CModulationMatrix::MonoReset(CVoice* voice) {
  const int mode = TruncateSetting(m_synth->GetParam(PARAM_VOICE_MODE));
  bool arpOn = m_synth->GetParam(PARAM_ARP_ON) != 0.0f;
  if (mode == VOICE_MODE_POLY || arpOn) return;
  if (mode == VOICE_MODE_LEGATO && *voice->GetLegato()) return;
  unsigned int count = voice->GetUnisonCount();
  for (unsigned int v = 0; v < count; ++v) {
    CVoice* u = voice->GetVoice(v);
    if (!u) continue;
    for (unsigned int k = 0; k < 4; ++k) m_env[k].Reset(u);
  }
}

void CModulationMatrix::FirstKeyPress() {
  for (unsigned int k = 0; k < 4; ++k) m_lfo[k].FirstKeyPress();
  for (unsigned int k = 0; k < 4; ++k) m_mseg[k].FirstKeyPress();
}

void CModulationMatrix::ResetFreePhase() {
  for (unsigned int k = 0; k < 4; ++k) m_lfo[k].ResetFreePhase();
}

void CModulationMatrix::FreePhaseRun(unsigned int n) {
  for (unsigned int k = 0; k < 4; ++k) m_lfo[k].FreePhaseRun(n);
}
