#pragma once
// Conversion between the saved-state values of an ".aupreset" file and the
// CoreFoundation property-list objects a unit saves and restores through
// kAudioUnitProperty_ClassInfo.

#include <string>

#include "platform/cf/CoreFoundation.h"
#include "tools/render/AuPresetFile.h"

namespace StateCF {

// A new CF object for the value (the caller releases it), or null when a
// string is not valid UTF-8 or the value is nested too deep.
CFPropertyListRef Create(const PLIST_VALUE& value);

// Reads a CF property list. Fails, naming the problem, for objects that have
// no property-list form (URLs, dictionaries with non-string keys).
bool Read(CFPropertyListRef object, PLIST_VALUE& value, std::string& problem);

}  // namespace StateCF
