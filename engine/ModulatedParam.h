#pragma once
// The record every modulatable stage keeps for each of its modulatable
// parameters: the parameter's per-sample value buffer from the parameter
// store plus the audio-rate modulation sources routed to it.
//
// Life cycle inside a stage:
//   constructor:   param.Init(synth);            (id 0, oversampling shift on)
//   SetInstance:   param.SetParamId(id);  param.SetUseOversamplingShift(false) for host-rate stages
//   UpdateParams:  param.Update(n);              (store fills the buffer, list and shift refreshed)
//   per sample i:  float v = param.GetValue(i);  (i at the stage's own rate)

#include "engine/IGlobalSynth.h"
#include "engine/IModulation.h"

struct MODULATED_PARAM {
  IGlobalSynth* synth;
  unsigned int paramId;
  float* values;                      // per-sample buffer, one value per host-rate sample
  unsigned int shift;                 // i >> shift indexes values and the source buffers
  unsigned char useOversamplingShift;  // 1: shift = oversampling shift, 0: shift = 0
  MOD_SOURCE_LIST* list;              // never null after Init
  // Set by Update: the value is the same at every sample of the block
  // (values[0]): the ramp has ended and no audio-rate source is routed.
  unsigned char constant;
  // The controllers routed to the parameter (null when there is no
  // modulation matrix), and the store's change count and block length when
  // Update last found the value constant: while neither moves and nothing
  // is routed, the next Update has nothing to do.
  MOD_CONTROLLER_LIST* controllers;
  const unsigned int* changes;
  unsigned int seenChanges;
  unsigned int seenFrames;

  // Binds the record to the synth; id 0, flag set, shift = current
  // oversampling shift, an empty source list and no value buffer yet.
  void Init(IGlobalSynth* s, unsigned int id = 0);
  void SetParamId(unsigned int id) {
    paramId = id;
    constant = 0;
  }
  void SetUseOversamplingShift(bool use);
  // Once per block: lets the parameter store fill n samples of the buffer,
  // then takes the buffer, the source list and the shift again.
  void Update(unsigned int n);
  // Takes the buffer, list and shift again without asking the store to fill
  // the buffer (for stages whose buffer another stage has just filled).
  void Refresh();

  // Value at sample i of the stage's block: the buffered value plus, per
  // source, source x |2d - 1| x (2d - 1) for depth d, clamped to 0..1 when
  // the parameter has at least one source.
  inline float GetValue(unsigned int i) const {
    unsigned int j = i >> shift;
    if (!values) return 0.0f;
    float v = values[j];
    unsigned int count = list->count;
    if (count == 0) return v;
    for (unsigned int k = 0; k < count; ++k) {
      double a = 2.0 * static_cast<double>(list->amount[k][j]) - 1.0;
      v = static_cast<float>(static_cast<double>(v) + (a < 0.0 ? -a : a) * static_cast<double>(list->source[k][j]) * a);
    }
    if (v > 1.0f) return 1.0f;
    if (!(v >= 0.0f)) return 0.0f;  // also maps NaN to 0
    return v;
  }

  // The block's one value when constant is set.
  float GetConstantValue() const { return values ? values[0] : 0.0f; }

  // Whether the parameter has audio-rate sources in the current routing.
  bool IsModulated() const { return list->count != 0; }
};

// The list handed out for parameters that are no modulation target; always
// empty.
MOD_SOURCE_LIST* GetEmptyModSourceList();
