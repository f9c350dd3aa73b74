#pragma once
// Writes the rendered audio as a 32-bit float stereo WAV file.

#include <cstdint>
#include <string>

#include "tools/render/RenderSession.h"

namespace WavOut {

// Nothing is left behind on failure; `error` names the file and the problem.
bool WriteStereo(const char* path, const RENDER_RESULT& audio, uint32_t sampleRate,
                 std::string& error);

}  // namespace WavOut
