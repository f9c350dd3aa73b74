// The base of every component object. It is part of the plug-in (the
// component's own code), not of the host side in AUComponent.cpp.
#include <cstring>

#include "platform/au/AUComponent.h"

OSStatus ComponentBase::ComponentEntryDispatch(ComponentParameters* params) {
  if (params->what == kComponentVersionSelect) return Version();
  return badComponentSelector;
}

AudioComponentDescription ComponentBase::GetComponentDescription() const {
  AudioComponentDescription desc;
  memset(&desc, 0, sizeof(desc));
  AudioComponentGetDescription(AudioComponentInstanceGetComponent(mComponentInstance), &desc);
  return desc;
}
