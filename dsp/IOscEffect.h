#pragma once
// The interface of the oscillator effects that fill an oscillator's four
// effect slots. One object serves every voice of its oscillator; per-voice
// state lives in the voice's OSC_FX_STATE record for that oscillator.

class CVoice;

// Effect type numbers: the values of the slot type settings (ids 454-469)
// and the entries of the slot menu.
const unsigned int OSC_FX_BUZZ = 0;
const unsigned int OSC_FX_SCISSOR = 1;
const unsigned int OSC_FX_SUB = 2;
const unsigned int OSC_FX_BRILLIANCE = 3;
const unsigned int OSC_FX_FEEDBACK = 4;
const unsigned int OSC_FX_RINGER = 5;
const unsigned int OSC_FX_CHIP = 6;
const unsigned int OSC_FX_TYPE_COUNT = 7;
const unsigned int OSC_FX_SLOTS = 4;

class IOscEffect {
 public:
  explicit IOscEffect(unsigned int type) : m_type(type) {}
  virtual ~IOscEffect() = default;
  IOscEffect(const IOscEffect&) = delete;
  IOscEffect& operator=(const IOscEffect&) = delete;

  virtual void SetInstance(unsigned int osc, unsigned int slot) = 0;
  // The oscillator's (oversampled) rate.
  virtual void SetSampleRate(float rate) = 0;
  // Samples per block at the oscillator's rate.
  virtual void SetBlockSize(unsigned int n) = 0;
  // Per note: sets the effect's per-voice state.
  virtual void Reset(CVoice* voice) = 0;
  // Once per block, n host-rate samples.
  virtual void UpdateParams(unsigned int n) = 0;
  // n samples at the oscillator's rate, in place.
  virtual void Process(CVoice* voice, float* buffer, unsigned int n) = 0;

  unsigned int GetType() const { return m_type; }

 protected:
  const unsigned int m_type;
};

// The slot type of a stored setting: truncated toward zero; a value outside
// 0..6 (NaN included) gives -1, an empty slot.
inline int OscFxTypeOf(float value) {
  return (value > -1.0f && value < static_cast<float>(OSC_FX_TYPE_COUNT)) ? static_cast<int>(value) : -1;
}
