#include "engine/AmpEnv.h"

#include "engine/IGlobalSynth.h"
#include "engine/IModulation.h"
#include "engine/ModulationMatrix.h"
#include "engine/Vectorize.h"
#include "engine/Voice.h"

CAmpEnv::CAmpEnv(IGlobalSynth* synth) : m_synth(synth) {}

CAmpEnv::~CAmpEnv() {}

namespace {

// The envelope times the voice switch, one value per control step, on the
// oversampled samples.
MORLAVINE_VECTORIZE void ApplyEnvelope(float* __restrict left, float* __restrict right, const float* __restrict env,
                                       const float* __restrict sw, unsigned int shift, unsigned int n) {
  for (unsigned int i = 0; i < n; ++i) {
    const float gain = env[i >> shift] * sw[i >> shift];
    left[i] *= gain;
    right[i] *= gain;
  }
}

}  // namespace

void CAmpEnv::Process(CVoice* voice, float* left, float* right, unsigned int n) {
  IModulation* mod = m_synth->GetIModulation();
  if (!mod) return;
  const unsigned int shift = m_synth->GetOversamplingShift();
  const float* env = mod->GetAmpEnv();
  const float* sw = mod->GetVoiceSwitch();
  if (!env || !sw) return;

  const VOICE_SWITCH_STATE* vs = voice->GetVoiceSwitchState();
  if (vs->state == VOICE_SWITCH_RELEASE &&
      TruncateSetting(m_synth->GetParam(PARAM_VOICE_MODE)) == VOICE_MODE_LEGATO &&
      m_synth->GetParam(PARAM_ARP_ON) == 0.0f) {
    // Legato release fade: the shared envelope belongs to the newest note,
    // so this voice fades from the level it was released at.
    const float level = vs->releaseLevel;
    for (unsigned int i = 0; i < n; ++i) {
      float gain = sw[i >> shift] * level;
      left[i] *= gain;
      right[i] *= gain;
    }
    return;
  }
  ApplyEnvelope(left, right, env, sw, shift, n);
}
