#pragma once
// Output stage of a bus: level and pan, gains held for one oversampling step.

#include "engine/ModulatedParam.h"

class CBusOutput {
 public:
  explicit CBusOutput(IGlobalSynth* synth);
  void SetInstance(unsigned int bus);
  void UpdateParams(unsigned int n);
  // In place; n oversampled frames. g = 4 x level^2, left x (1 - pan) x g,
  // right x pan x g.
  void Process(float* left, float* right, unsigned int n);

 private:
  IGlobalSynth* m_synth;
  unsigned int m_bus = 0;
  MODULATED_PARAM m_level;
  MODULATED_PARAM m_pan;
};
