#pragma once
// The Morlavine instrument as the render program uses it: its Audio Unit
// component (registered once per process) and its preset files.

#include <string>

#include "tools/render/RenderApp.h"

namespace MorlavineInstrument {

// The registered component and the preset loader.
RenderApp::INSTRUMENT Get();

// Loads a whole-preset file (".p") into an open unit through the engine's
// preset-file code, as the instrument's editor does. A module preset, a
// wavetable or a damaged file is refused and changes nothing.
bool LoadPreset(AudioUnit unit, const char* path, std::string& error);

// A whole-preset file image of the unit's current sound, written by the
// engine's preset-file code as the editor's "save preset" writes it.
bool SavePreset(AudioUnit unit, std::vector<uint8_t>& image, std::string& error);

}  // namespace MorlavineInstrument
