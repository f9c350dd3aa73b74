// Settings file of CGlobalSynth. Placeholder until the settings file lands:
// nothing is read or written.
#include "engine/GlobalSynth.h"

void CGlobalSynth::LoadConfig() {}
void CGlobalSynth::SaveConfig() {}
