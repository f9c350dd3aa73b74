#include "engine/ModulatedParam.h"

namespace {
MOD_SOURCE_LIST g_emptyList = {};
}

// Shared by every engine instance and never written, so instances rendering
// on different threads do not race on it.
MOD_SOURCE_LIST* GetEmptyModSourceList() { return &g_emptyList; }

void MODULATED_PARAM::Init(IGlobalSynth* s, unsigned int id) {
  synth = s;
  paramId = id;
  values = nullptr;
  constant = 0;
  useOversamplingShift = 1;
  shift = s ? s->GetOversamplingShift() : 0;
  list = GetEmptyModSourceList();
  controllers = nullptr;
  changes = nullptr;
  seenChanges = 0;
  seenFrames = 0;
}

void MODULATED_PARAM::SetUseOversamplingShift(bool use) {
  useOversamplingShift = use ? 1 : 0;
  shift = (use && synth) ? synth->GetOversamplingShift() : 0;
}

void MODULATED_PARAM::Update(unsigned int n) {
  // Settled at the last block and nothing has moved since: no ramp started,
  // no change of block size, rate or oversampling, no source or controller
  // routed here, and this block is no longer than that one. The buffer
  // still holds the value and the parameter store has nothing to advance.
  if (constant && changes && *changes == seenChanges && n > 0 && n <= seenFrames && list->count == 0 &&
      controllers && controllers->count == 0)
    return;
  if (synth) synth->UpdateParam(paramId, n);
  Refresh();
  constant = synth && values && list->count == 0 && synth->IsParamSettled(paramId, n) ? 1 : 0;
  changes = constant ? synth->GetParamChangeCount() : nullptr;
  if (changes) {
    seenChanges = *changes;
    seenFrames = n;
  }
}

void MODULATED_PARAM::Refresh() {
  constant = 0;
  if (!synth) return;
  values = synth->GetParamPointer(paramId);
  IModulation* mod = synth->GetIModulation();
  MOD_SOURCE_LIST* l = mod ? mod->GetModulation(paramId) : nullptr;
  list = l ? l : GetEmptyModSourceList();
  controllers = mod ? mod->GetController(paramId) : nullptr;
  shift = useOversamplingShift ? synth->GetOversamplingShift() : 0;
}
