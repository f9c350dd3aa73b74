#include "host/vst/VstSynth.h"

VstInt32 CVstSynth::getChunk(void** data, bool) {
  if (data) *data = nullptr;
  return 0;
}

VstInt32 CVstSynth::setChunk(void*, VstInt32, bool) { return 0; }
