#include "engine/Voice.h"

#include <cstdlib>
#include <cstring>

#include "engine/IGlobalSynth.h"
#include "engine/Random.h"
#include "engine/MemoryPool.h"

unsigned int ClampUnisonCount(float value) {
  if (!(value >= 1.0f)) return 1;  // also NaN
  if (value >= static_cast<float>(MAX_UNISON)) return MAX_UNISON;
  return static_cast<unsigned int>(value);
}

CVoice::CVoice(IGlobalSynth* synth, int note, float velocity, float sampleRate, unsigned int unisonIndex) {
  // The state areas not written here belong to the stages, which reset them
  // before use; start them zeroed so nothing reads indeterminate memory.
  std::memset(m_oscState, 0, sizeof(m_oscState));
  std::memset(m_oscFxState, 0, sizeof(m_oscFxState));
  std::memset(m_busState, 0, sizeof(m_busState));
  std::memset(m_lfoState, 0, sizeof(m_lfoState));
  std::memset(m_msegState, 0, sizeof(m_msegState));
  std::memset(&m_voiceSwitchState, 0, sizeof(m_voiceSwitchState));
  m_voiceSwitchState.state = VOICE_SWITCH_ON;
  m_oscDeclicker = 0.0f;

  m_synth = synth;
  m_note = note;
  m_velocity = velocity;
  m_unisonCount = 0;
  m_gate = 1;
  m_legato = 0;
  m_unisonIndex = unisonIndex;
  for (unsigned int k = 0; k < MAX_UNISON; ++k) m_unison[k] = nullptr;

  if (unisonIndex == 0) {
    m_unisonCount = ClampUnisonCount(synth->GetParam(PARAM_UNISON_COUNT));
    m_unison[0] = this;
    for (unsigned int k = 1; k < m_unisonCount; ++k) {
      m_unison[k] = new CVoice(synth, note, velocity, sampleRate, k);
    }
  }

  DoAllocation(sampleRate);

  float r = static_cast<float>(synth->GetRandom().Next()) * 4.656613e-10f;
  if (r >= 1.0f) r = 0.0f;
  for (unsigned int osc = 0; osc < 4; ++osc) m_oscState[osc].randomPhase = r;
}

CVoice::CVoice(IGlobalSynth* synth, float sampleRate) {
  std::memset(m_oscState, 0, sizeof(m_oscState));
  std::memset(m_oscFxState, 0, sizeof(m_oscFxState));
  std::memset(m_busState, 0, sizeof(m_busState));
  std::memset(m_lfoState, 0, sizeof(m_lfoState));
  std::memset(m_msegState, 0, sizeof(m_msegState));
  std::memset(&m_voiceSwitchState, 0, sizeof(m_voiceSwitchState));
  m_voiceSwitchState.state = VOICE_SWITCH_ON;
  m_oscDeclicker = 0.0f;

  m_synth = synth;
  m_unisonCount = 1;
  m_note = 0;
  m_velocity = 0.0f;
  m_gate = 1;
  m_legato = 0;
  m_unisonIndex = MONO_VOICE_UNISON_INDEX;
  DoAllocation(sampleRate);
  m_unison[0] = this;
  for (unsigned int k = 1; k < MAX_UNISON; ++k) m_unison[k] = nullptr;
}

CVoice::~CVoice() {
  CMemoryPool* pool = m_synth->GetFilterMemoryPool();
  if (pool) {
    for (unsigned int osc = 0; osc < 4; ++osc) {
      pool->Release(m_oscFxState[osc].memory[0]);
      pool->Release(m_oscFxState[osc].memory[1]);
    }
    for (unsigned int bus = 0; bus < 2; ++bus) {
      pool->Release(m_busState[bus].memory[0]);
      pool->Release(m_busState[bus].memory[1]);
    }
  }
  if (m_unisonIndex == 0) {
    for (unsigned int k = 1; k < m_unisonCount; ++k) {
      delete m_unison[k];
      m_unison[k] = nullptr;
    }
  }
}

void CVoice::DoAllocation(float) {
  CMemoryPool* pool = m_synth->GetFilterMemoryPool();
  for (unsigned int osc = 0; osc < 4; ++osc) {
    OSC_FX_STATE& s = m_oscFxState[osc];
    s.blockSize = pool ? pool->GetBlockSize() : 0;
    s.memory[0] = pool ? pool->Allocate() : nullptr;
    s.memory[1] = pool ? pool->Allocate() : nullptr;
  }
  for (unsigned int bus = 0; bus < 2; ++bus) {
    BUS_STATE& s = m_busState[bus];
    s.blockSize = pool ? pool->GetBlockSize() : 0;
    s.memory[0] = pool ? pool->Allocate() : nullptr;
    s.memory[1] = pool ? pool->Allocate() : nullptr;
  }
  for (unsigned int i = 0; i < 4; ++i) {
    m_envState[i].finished = 0;
    m_envState[i].position = 0.0f;
    m_envState[i].level = 0.0f;
    m_envState[i].stage = ENV_STAGE_ATTACK;
  }
}

void CVoice::SetPitch(int note) {
  for (unsigned int k = 0; k < m_unisonCount; ++k) m_unison[k]->m_note = note;
}

void CVoice::SetVelocity(float velocity) {
  for (unsigned int k = 0; k < m_unisonCount; ++k) m_unison[k]->m_velocity = velocity;
}

void CVoice::SetLegato(bool legato) {
  for (unsigned int k = 0; k < m_unisonCount; ++k) m_unison[k]->m_legato = legato ? 1 : 0;
}

void CVoice::SetGate(bool gate) {
  for (unsigned int k = 0; k < m_unisonCount; ++k) m_unison[k]->m_gate = gate ? 1 : 0;
}

void CVoice::Release() { SetGate(false); }

void CVoice::SetVoiceSwitchReleaseLevel(float level) {
  for (unsigned int k = 0; k < m_unisonCount; ++k) m_unison[k]->m_voiceSwitchState.releaseLevel = level;
}

void CVoice::Mute() {
  for (unsigned int k = 0; k < m_unisonCount; ++k) {
    VOICE_SWITCH_STATE& s = m_unison[k]->m_voiceSwitchState;
    if (!s.releaseRequest) {
      s.muteRequest = 1;
      s.unmuteRequest = 0;
    }
  }
}

void CVoice::UnMute() {
  for (unsigned int k = 0; k < m_unisonCount; ++k) {
    VOICE_SWITCH_STATE& s = m_unison[k]->m_voiceSwitchState;
    if (!s.releaseRequest) {
      s.muteRequest = 0;
      s.unmuteRequest = 1;
    }
  }
}

void CVoice::ImmediateRelease() {
  for (unsigned int k = 0; k < m_unisonCount; ++k) {
    VOICE_SWITCH_STATE& s = m_unison[k]->m_voiceSwitchState;
    s.unmuteRequest = 0;
    s.muteRequest = 0;
    s.releaseRequest = 1;
  }
}
