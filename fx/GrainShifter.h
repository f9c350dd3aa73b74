#pragma once
// Granular pitch shifter of the effects matrix. Each channel writes into a
// three-second ring; one windowed grain per channel reads the ring from one
// grain length behind the write head at a speed equal to the pitch ratio and
// restarts there when it has covered a grain length. The grain output is
// fed back, subtracted, into the ring and mixed with the dry signal.
// Instance 0 or 1 selects the parameter block (base id + 2k + instance).

#include "engine/Buffers.h"
#include "engine/ModulatedParam.h"
#include "fx/IEffectModule.h"

class IGlobalSynth;

// Position and age are kept in double precision: in single precision the
// position would step by the pitch ratio in units of up to 1/64 sample near
// the top of a three-second ring, and the rounding, summed over a grain,
// would detune the grain by several cents depending on where in the ring it
// reads.
struct GRAIN_STATE {
  double position;         // read position in ring samples, fractional
  double age;              // ring samples covered since the grain started
  unsigned char restart;   // 1: the grain starts anew on its next sample
};

class CGrainShifter : public IEffectModule {
 public:
  CGrainShifter(IGlobalSynth* synth, unsigned int instance);
  ~CGrainShifter() override;
  CGrainShifter(const CGrainShifter&) = delete;
  CGrainShifter& operator=(const CGrainShifter&) = delete;

  void SetSampleRate(float sr) override;
  void SetBlockSize(unsigned int n) override;
  void UpdateParams(unsigned int n) override;
  void Reset() override;
  void ResetFreePhase() override;
  void OnKeyPress() override;
  void Process(float* left, float* right, unsigned int n) override;

  // One sample of one grain: grain length, pitch ratio and windowed part
  // (0.2..1) of the grain.
  float ProcessGrain(GRAIN_STATE& grain, float* ring, float length, float pitch, float width);
  // Catmull-Rom read of one ring channel at a fractional position.
  float ReadDelay(double position, float* ring) const;

 private:
  static const unsigned int PARAM_COUNT = 6;

  IGlobalSynth* m_synth;
  CStereoBuffer m_ring;
  unsigned int m_instance;
  float m_sampleRate = 0.0f;
  MODULATED_PARAM m_params[PARAM_COUNT];  // rate, width, tune, tune random, feedback, mix
  float m_randomFactor = 1.0f;            // 1 .. 1 + 3 TR^2, drawn per grain
  unsigned int m_length = 0;              // ring samples per channel
  unsigned int m_write = 0;
  GRAIN_STATE m_grain[2];                 // left, right
};
