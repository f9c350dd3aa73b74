#include "engine/VoiceSwitch.h"

#include "engine/Fill.h"
#include "engine/Voice.h"

CVoiceSwitch::CVoiceSwitch() {}

CVoiceSwitch::~CVoiceSwitch() {}

void CVoiceSwitch::SetSampleRate(float rate) {
  m_fadeInStep = 1.0f / (0.007f * rate);
  m_fadeOutStep = 1.0f / (rate * 0.020000001f);
}

void CVoiceSwitch::Reset(CVoice* voice) {
  VOICE_SWITCH_STATE* s = voice->GetVoiceSwitchState();
  s->releaseRequest = 0;
  s->muteRequest = 0;
  s->unmuteRequest = 0;
  s->state = VOICE_SWITCH_ON;
  s->position = 0.0f;
  s->releaseLevel = 0.0f;
  UpdateState(voice);
}

void CVoiceSwitch::UpdateState(CVoice* voice) {
  const VOICE_SWITCH_STATE src = *voice->GetVoiceSwitchState();
  unsigned int count = voice->GetUnisonCount();
  for (unsigned int k = 0; k < count; ++k) {
    CVoice* v = voice->GetVoice(k);
    if (v) *v->GetVoiceSwitchState() = src;
  }
}

void CVoiceSwitch::Generate(CVoice* voice, float* out, unsigned int n) {
  VOICE_SWITCH_STATE* s = voice->GetVoiceSwitchState();
  ENV_STATE* amp = voice->GetEnvState(AMP_ENV_INDEX);

  // At most one request per block.
  if (s->state != VOICE_SWITCH_RELEASE) {
    if (s->muteRequest) {
      if (s->state != VOICE_SWITCH_SILENT) {
        if (s->state == VOICE_SWITCH_FADING_IN) s->position = 1.0f - s->position;
        s->state = VOICE_SWITCH_FADING_OUT;
      }
      s->muteRequest = 0;
    } else if (s->unmuteRequest) {
      if (s->state != VOICE_SWITCH_ON) {
        if (s->state == VOICE_SWITCH_FADING_OUT) s->position = 1.0f - s->position;
        s->state = VOICE_SWITCH_FADING_IN;
      }
      s->unmuteRequest = 0;
    } else if (s->releaseRequest && (s->state == VOICE_SWITCH_SILENT || s->state == VOICE_SWITCH_ON)) {
      if (s->state == VOICE_SWITCH_SILENT) amp->finished = 1;
      else s->state = VOICE_SWITCH_RELEASE;
      s->releaseRequest = 0;
    }
  }

  float p = s->position;
  unsigned int state = s->state;
  if (state == VOICE_SWITCH_ON || state == VOICE_SWITCH_SILENT) {
    // Steady states hold one gain for the whole block.
    FillBlock(out, n, state == VOICE_SWITCH_ON ? 1.0f : 0.0f);
  } else {
    _Run(out, n, p, state, amp);
  }
  s->position = p;
  s->state = state;
  UpdateState(voice);
}

void CVoiceSwitch::_Run(float* out, unsigned int n, float& p, unsigned int& state, ENV_STATE* amp) const {
  for (unsigned int i = 0; i < n; ++i) {
    switch (state) {
      case VOICE_SWITCH_FADING_OUT:
        p += m_fadeOutStep;
        if (p > 1.0f) {
          out[i] = 0.0f;
          state = VOICE_SWITCH_SILENT;
          p = 0.0f;
        } else {
          float g = 1.0f - p;
          out[i] = g * g * g;
        }
        break;
      case VOICE_SWITCH_SILENT:
        out[i] = 0.0f;
        break;
      case VOICE_SWITCH_FADING_IN:
        p += m_fadeInStep;
        if (p > 1.0f) {
          out[i] = 1.0f;
          state = VOICE_SWITCH_ON;
          p = 0.0f;
        } else {
          out[i] = p;
        }
        break;
      case VOICE_SWITCH_RELEASE:
        p += m_fadeOutStep;
        if (p > 1.0f) {
          out[i] = 0.0f;
          p = 1.0f;
          amp->finished = 1;
        } else {
          float g = 1.0f - p;
          out[i] = g * g * g;
        }
        break;
      default:  // on
        out[i] = 1.0f;
        break;
    }
  }
}
