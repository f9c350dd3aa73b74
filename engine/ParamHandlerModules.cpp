// Module presets (kinds 1-17) of the parameter store.
// Placeholder until module presets land: nothing is loaded or saved.
#include "engine/ParamHandler.h"

bool CParamHandler::_LoadModulePreset(SYNTH_PRESET*, unsigned int, unsigned int, unsigned int, unsigned int) {
  return false;
}

unsigned int CParamHandler::_SaveModulePreset(SYNTH_PRESET*, unsigned int, unsigned int) { return 0; }

void CParamHandler::SetOscWaveTable(float*, char*, unsigned int) {}
