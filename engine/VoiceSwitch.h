#pragma once
// Turns the mute, unmute and release requests posted on a voice into
// click-free gain ramps (20 ms fade-out, 7 ms fade-in) and ends voices whose
// release fade has finished.

class CVoice;
struct ENV_STATE;

enum : unsigned int {
  VOICE_SWITCH_FADING_OUT = 0,
  VOICE_SWITCH_SILENT = 1,
  VOICE_SWITCH_FADING_IN = 2,
  VOICE_SWITCH_ON = 3,
  VOICE_SWITCH_RELEASE = 4,
};

struct VOICE_SWITCH_STATE {
  unsigned char releaseRequest;
  unsigned char muteRequest;
  unsigned char unmuteRequest;
  unsigned int state;   // VOICE_SWITCH_*
  float position;       // ramp position 0..1
  float releaseLevel;   // gain held during the release fade in legato mode
};

class CVoiceSwitch {
 public:
  CVoiceSwitch();
  ~CVoiceSwitch();

  void SetSampleRate(float rate);
  void Reset(CVoice* voice);
  // Copies the voice's whole switch state to every voice of its unison set.
  void UpdateState(CVoice* voice);
  void Generate(CVoice* voice, float* out, unsigned int n);

 private:
  // The gains of a fading or releasing block, sample by sample; the state
  // and position move on.
  void _Run(float* out, unsigned int n, float& p, unsigned int& state, ENV_STATE* amp) const;

  float m_fadeInStep = 0.0f;
  float m_fadeOutStep = 0.0f;
};
