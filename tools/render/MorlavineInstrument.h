#pragma once
// The Morlavine instrument as the command-line tools use it: loaded from its
// bundle and driven through the Audio Unit calls and the unit's private
// properties alone, as any host would; nothing of the instrument is linked
// into the tools.

#include <string>
#include <vector>

#include "tools/render/RenderApp.h"

namespace MorlavineInstrument {

// The instrument, loaded from its bundle when the program opens it.
RenderApp::INSTRUMENT Get();

// Loads the bundle (see InstrumentBundle::Load) and answers its component.
AudioComponent Open(const std::string& bundlePath, std::string& error);

// Loads a whole-preset file (".p") into an open unit through the unit's
// preset-file property. A module preset, a wavetable or a damaged file is
// refused and changes nothing.
bool LoadPreset(AudioUnit unit, const char* path, std::string& error);

// A whole-preset file image of the unit's current sound, as the editor's
// "save preset" writes it.
bool SavePreset(AudioUnit unit, std::vector<uint8_t>& image, std::string& error);

}  // namespace MorlavineInstrument
