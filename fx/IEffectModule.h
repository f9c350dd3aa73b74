#pragma once
// The interface of the effect types that the effects matrix creates. All
// calls come from the render thread with the engine lock held, except
// SetSampleRate and SetBlockSize, which come while the host is not
// rendering. Objects are deleted through this interface.

class IEffectModule {
 public:
  virtual ~IEffectModule() = default;
  // Host sample rate; the matrix follows it with Reset().
  virtual void SetSampleRate(float sr) = 0;
  // Host block size; the matrix follows it with Reset().
  virtual void SetBlockSize(unsigned int n) = 0;
  // Once per block, before Process, while the effect's cell is switched on.
  virtual void UpdateParams(unsigned int n) = 0;
  // Clears the audio state (delay lines, filters).
  virtual void Reset() = 0;
  // Sets the phase of the effect's own modulation oscillator to 0.
  virtual void ResetFreePhase() = 0;
  // Called once for every voice start.
  virtual void OnKeyPress() = 0;
  // n host-rate frames in place.
  virtual void Process(float* left, float* right, unsigned int n) = 0;
};
