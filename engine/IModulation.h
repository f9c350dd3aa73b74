#pragma once
// Modulation routing records and the interface through which every
// modulatable stage finds the sources of its parameters.

#include "engine/ParamIds.h"

class IGlobalSynth;

const unsigned int MOD_SLOT_COUNT = 24;

// Audio-rate sources of one modulation target, in slot order.
struct MOD_SOURCE_LIST {
  unsigned int count;
  float* source[MOD_SLOT_COUNT];  // per-sample source output buffers
  float* amount[MOD_SLOT_COUNT];  // per-sample buffers of the slots' depth parameters
};

// Controller sources of one modulation target, in slot order.
struct MOD_CONTROLLER_LIST {
  unsigned int count;
  const float* value[MOD_SLOT_COUNT];  // controller values held by the matrix
  unsigned int slot[MOD_SLOT_COUNT];   // slot whose depth (331 + slot) scales it
};

class IModulation {
 public:
  // A parameter's lists keep their place for the object's life (a routing
  // change rewrites them in place): stages and the parameter store look
  // them up once and read their counts from then on.
  virtual MOD_SOURCE_LIST* GetModulation(unsigned int paramId) = 0;
  virtual MOD_CONTROLLER_LIST* GetController(unsigned int paramId) = 0;
  virtual void SetController(unsigned int id, float value) = 0;
  virtual float GetControllerValue(unsigned int id) = 0;
  virtual float* GetPitchModulation(unsigned int osc) = 0;
  virtual float* GetVibratoModulation() = 0;
  virtual float* GetAmpEnv() = 0;
  virtual float* GetVoiceSwitch() = 0;

 protected:
  ~IModulation() = default;
};
