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
}

void MODULATED_PARAM::SetUseOversamplingShift(bool use) {
  useOversamplingShift = use ? 1 : 0;
  shift = (use && synth) ? synth->GetOversamplingShift() : 0;
}

void MODULATED_PARAM::Update(unsigned int n) {
  if (synth) synth->UpdateParam(paramId, n);
  Refresh();
  constant = synth && values && list->count == 0 && synth->IsParamSettled(paramId, n) ? 1 : 0;
}

void MODULATED_PARAM::Refresh() {
  constant = 0;
  if (!synth) return;
  values = synth->GetParamPointer(paramId);
  IModulation* mod = synth->GetIModulation();
  MOD_SOURCE_LIST* l = mod ? mod->GetModulation(paramId) : nullptr;
  list = l ? l : GetEmptyModSourceList();
  shift = useOversamplingShift ? synth->GetOversamplingShift() : 0;
}
