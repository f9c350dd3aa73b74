#pragma once
// The morlavine-render program: options, inputs, rendering and output.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/au/AUComponent.h"

namespace RenderApp {

// Exit codes.
const int EXIT_OK = 0;
const int EXIT_FAILED = 1;  // a file could not be read or written, or rendering failed
const int EXIT_USAGE = 2;   // bad options

// The instrument the program renders with.
struct INSTRUMENT {
  AudioComponent component = nullptr;  // null: no instrument in this build, or see open
  // Loads the instrument from its bundle (path "" for the default one) when
  // component is null; the component, or null with a message.
  AudioComponent (*open)(const std::string& bundlePath, std::string& error) = nullptr;
  // Loads a preset file into an open, initialized unit; null when the
  // instrument cannot load preset files.
  bool (*loadPreset)(AudioUnit unit, const char* path, std::string& error) = nullptr;
  // The bytes of a preset file holding the unit's current sound; null when
  // the instrument cannot save preset files.
  bool (*savePreset)(AudioUnit unit, std::vector<uint8_t>& image, std::string& error) = nullptr;
};

// Runs the program with its arguments; the usage text of --help goes to
// `out`, errors, progress and the summary to `messages`.
int Run(int argc, const char* const* argv, FILE* out, FILE* messages,
        const INSTRUMENT& instrument);

}  // namespace RenderApp
