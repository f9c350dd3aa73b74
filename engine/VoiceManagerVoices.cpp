// Voice allocation and release of the voice manager: start, stop, mute,
// unmute and delete voices, polyphony limiting and the removal of finished
// voices. All run on the render thread between two Generate slices, except
// DeleteProcessedVoices, which runs at the end of every block with voices.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "engine/IGlobalSynth.h"
#include "engine/Random.h"
#include "engine/ParamIds.h"
#include "engine/Voice.h"
#include "engine/VoiceManager.h"

namespace {

// A stored count truncated toward zero; negative and NaN give 0, huge values
// saturate (a damaged preset must not wrap the comparisons). The voice mode
// is read with TruncateSetting, as the MIDI processor and the modulation
// matrix read it, so that a damaged mode selects the same handling in all
// three: anything that does not truncate to 0 is a mono mode.
unsigned int TruncatedSetting(float v) {
  if (!(v >= 1.0f)) return 0;
  if (v >= 4294967040.0f) return 0xFFFFFF00u;
  return static_cast<unsigned int>(v);
}

void CopyEnvelopeStates(CVoice* from, CVoice* to) {
  for (unsigned int e = 0; e < 4; ++e) *to->GetEnvState(e) = *from->GetEnvState(e);
}

}  // namespace

bool CVoiceManager::_ArpOn() { return m_synth->GetParam(PARAM_ARP_ON) != 0.0f; }

CVoice* CVoiceManager::_FindOldest(int note) {
  for (CVoice* v : m_voices)
    if (*v->GetPitch() == note) return v;
  return nullptr;
}

void CVoiceManager::StartVoice(int note, float velocity, bool legato) {
  if (!m_modVoice) return;  // no sample rate yet: nothing can sound

  // Polyphony limit: the oldest voices beyond the limit are fast-released; a
  // voice already in its release fade counts as freed.
  const unsigned int maxVoices = TruncatedSetting(m_synth->GetParam(PARAM_MAX_VOICES));
  unsigned int count = static_cast<unsigned int>(m_voices.size());
  if (!m_voices.empty() && count >= maxVoices) {
    for (CVoice* v : m_voices) {
      if (v->GetVoiceSwitchState()->state != VOICE_SWITCH_RELEASE) {
        if (count < maxVoices) break;
        v->ImmediateRelease();
      }
      --count;
    }
  }

  const bool arpOn = _ArpOn();
  if (TruncateSetting(m_synth->GetParam(PARAM_VOICE_MODE)) == VOICE_MODE_LEGATO && !arpOn) {
    for (CVoice* v : m_voices) {
      v->SetVoiceSwitchReleaseLevel(m_releaseLevel);
      if (!*v->GetGate()) v->ImmediateRelease();
    }
  }

  CVoice* voice = new CVoice(m_synth, note, velocity, m_sampleRate, 0);
  m_voices.push_back(voice);

  const unsigned int unison = voice->GetUnisonCount();
  const bool perVoiceBuses = m_synth->GetParam(PARAM_BUS_MODE) != 0.0f;
  for (unsigned int i = 0; i < unison; ++i) {
    CVoice* sub = voice->GetVoice(i);
    sub->SetLegato(legato);
    // A tied arpeggiator step continues the envelopes of the previous note.
    if (arpOn && legato) CopyEnvelopeStates(m_modVoice, sub);
    for (COscillator* osc : m_oscTable) osc->Reset(sub);
    m_modMatrix.PolyReset(sub);
    if (perVoiceBuses) {
      m_bus[0].Reset(sub);
      m_bus[1].Reset(sub);
    }
  }

  if (m_voices.size() == 1) {
    m_downSampler.Reset();
    if (!perVoiceBuses) {
      m_bus[0].Reset(voice);
      m_bus[1].Reset(voice);
    }
  }

  if (!arpOn) {
    if (!legato) m_modVoice->SetVelocity(velocity);
    m_modVoice->SetGate(true);
    m_modVoice->SetLegato(legato);
    m_modMatrix.MonoReset(m_modVoice);
  }
  m_modVoice->SetPitch(note);

  CallStartVoice(voice);
  m_synth->SetLastPitch(static_cast<float>(note));
  // An armed recorder starts on the first note; it reuses the buffer that
  // arming allocated, since nothing may be allocated on the render thread.
  if (m_recorder.IsArmed() && !m_recorder.IsRecording() && m_synth->GetRecordOnMidiInputFlag())
    m_recorder.StartInPlace();
}

void CVoiceManager::CallStartVoice(CVoice* voice) {
  const unsigned int unison = voice->GetUnisonCount();
  const bool perVoiceBuses = m_synth->GetParam(PARAM_BUS_MODE) != 0.0f;

  // The key source is note / 127 held to 0..1: arpeggiator transposition
  // reaches notes above 127.
  float key = static_cast<float>(*voice->GetPitch()) / 127.0f;
  key = key < 0.0f ? 0.0f : (key > 1.0f ? 1.0f : key);
  m_modMatrix.SetController(CONTROLLER_KEY, key);
  m_modMatrix.SetController(CONTROLLER_VELOCITY, *voice->GetVelocity());
  m_modMatrix.SetController(CONTROLLER_RANDOM, static_cast<float>(m_synth->GetRandom().Next()) / 2147483648.0f);

  for (unsigned int i = 0; i < unison; ++i) {
    CVoice* sub = voice->GetVoice(i);
    for (COscillator* osc : m_oscTable) osc->StartVoice(sub);
    if (perVoiceBuses) {
      m_bus[0].StartVoice(sub);
      m_bus[1].StartVoice(sub);
    }
  }
  if (!perVoiceBuses) {
    m_bus[0].StartVoice(voice);
    m_bus[1].StartVoice(voice);
  }
  m_fxMatrix.OnKeyPress();
}

void CVoiceManager::StopVoice(int note) {
  if (!m_modVoice) return;
  CVoice* found = nullptr;
  for (CVoice* v : m_voices)
    if (*v->GetPitch() == note && *v->GetGate()) {
      found = v;
      break;
    }
  if (!found) return;

  if (!_ArpOn())
    m_modVoice->Release();
  else
    CopyEnvelopeStates(found, m_modVoice);
  found->SetVoiceSwitchReleaseLevel(m_releaseLevel);
  m_modVoice->SetVoiceSwitchReleaseLevel(m_releaseLevel);
  found->Release();
}

void CVoiceManager::DeleteVoice(int note) {
  for (CVoice* v : m_voices)
    if (*v->GetPitch() == note && !v->GetVoiceSwitchState()->releaseRequest) {
      v->SetVoiceSwitchReleaseLevel(m_releaseLevel);
      v->ImmediateRelease();
      return;
    }
}

void CVoiceManager::DeleteAllVoices() {
  for (CVoice* v : m_voices) v->ImmediateRelease();
}

void CVoiceManager::MuteVoice(int note) {
  for (CVoice* v : m_voices)
    if (*v->GetPitch() == note) v->Mute();
}

void CVoiceManager::UnMuteVoice(int note) {
  CVoice* v = _FindOldest(note);
  if (!v) return;
  v->SetLegato(true);
  v->UnMute();
  m_modMatrix.MonoReset(v);
  CallStartVoice(v);
  m_synth->SetLastPitch(static_cast<float>(note));
}

bool CVoiceManager::_IsReleasePredicate(CVoice* voice) {
  if (!voice->IsReleased()) return false;
  delete voice;
  return true;
}

void CVoiceManager::DeleteProcessedVoices() {
  // Retrigger and legato modes end every voice together once the modulator
  // voice's envelope has run out.
  if (TruncateSetting(m_synth->GetParam(PARAM_VOICE_MODE)) != VOICE_MODE_POLY && !_ArpOn() && m_modVoice &&
      m_modVoice->IsReleased()) {
    _DeleteAllVoicesNow();
    return;
  }
  size_t kept = 0;
  for (size_t i = 0; i < m_voices.size(); ++i) {
    CVoice* v = m_voices[i];
    if (!_IsReleasePredicate(v)) m_voices[kept++] = v;
  }
  m_voices.resize(kept);
}
