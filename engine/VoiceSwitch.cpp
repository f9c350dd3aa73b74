#include "engine/VoiceSwitch.h"

#include "engine/Voice.h"

CVoiceSwitch::CVoiceSwitch() {}
CVoiceSwitch::~CVoiceSwitch() {}
void CVoiceSwitch::SetSampleRate(float) {}
void CVoiceSwitch::Reset(CVoice*) {}
void CVoiceSwitch::UpdateState(CVoice*) {}
void CVoiceSwitch::Generate(CVoice*, float* out, unsigned int n) {
  for (unsigned int i = 0; i < n; ++i) out[i] = 1.0f;
}
