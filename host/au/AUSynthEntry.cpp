#include "host/au/AUSynthEntry.h"

#include <cstring>

const char* const AUSYNTH_COMPONENT_NAME = AUSYNTH_REGISTERED_NAME;

extern "C" OSStatus CAUSynthEntry(ComponentParameters* params, void* storage) {
  return ComponentEntryPoint<CAUSynth>::Dispatch(params, storage);
}

AudioComponentDescription CAUSynthDescription() {
  AudioComponentDescription desc;
  memset(&desc, 0, sizeof(desc));
  desc.componentType = AUSYNTH_COMPONENT_TYPE;
  desc.componentSubType = AUSYNTH_COMPONENT_SUBTYPE;
  desc.componentManufacturer = AUSYNTH_COMPONENT_MANUFACTURER;
  return desc;
}

AudioComponent CAUSynthRegister() {
  const AudioComponentDescription desc = CAUSynthDescription();
  return AudioComponentRegister(&desc, AUSYNTH_COMPONENT_NAME, AUSYNTH_COMPONENT_VERSION,
                                CAUSynthEntry);
}
