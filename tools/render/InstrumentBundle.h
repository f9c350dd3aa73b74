#pragma once
// Loads the instrument's bundle as a host does: the shared object is opened
// by path with dlopen (its symbols kept to itself), its one entry,
// CAUSynthEntry, is looked up and registered as an Audio Unit component.
// Used by both command-line tools.

#include <string>

#include "platform/au/AUComponent.h"

namespace InstrumentBundle {

// The bundle built with the tools: Morlavine.component in the folder above
// the program's own ("" when the program's path is unknown).
std::string DefaultPath();

// Loads the bundle at path (the bundle folder, or the shared object itself;
// empty: DefaultPath()) and registers its entry. A missing or damaged
// bundle, or one without the entry, is refused: null, and a one-line
// message naming the path in `error`. Loading the same bundle again answers
// the same component. A loaded bundle stays for the life of the process.
AudioComponent Load(const std::string& path, std::string& error);

}  // namespace InstrumentBundle
