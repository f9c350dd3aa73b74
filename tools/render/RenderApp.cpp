#include "tools/render/RenderApp.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "tools/render/AuPresetFile.h"
#include "tools/render/DemoScore.h"
#include "tools/render/MidiFileReader.h"
#include "tools/render/Options.h"

namespace RenderApp {

namespace {

const char PROGRAM[] = "morlavine-render";
// Longest render accepted (score and tail): the whole render is held in
// memory before it is written.
const double MAX_RENDER_SECONDS = 3 * 3600.0;

int Fail(FILE* messages, int code, const std::string& message) {
  std::fprintf(messages, "%s: %s\n", PROGRAM, message.c_str());
  return code;
}

bool CheckReadable(const std::string& path, const char* what, std::string& error) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    error = path + ": cannot open " + what + ": " + std::strerror(errno);
    return false;
  }
  std::fclose(file);
  return true;
}

}  // namespace

int Run(int argc, const char* const* argv, FILE* out, FILE* messages) {
  RENDER_OPTIONS options;
  std::string error;
  if (!COptions::Parse(argc, argv, options, error)) return Fail(messages, EXIT_USAGE, error);
  if (options.help) {
    std::fputs(COptions::Usage(), out);
    return EXIT_OK;
  }

  // Every input is read and checked before anything is rendered or written.
  CMidiScore score;
  if (options.demo) {
    CDemoScore::Build(options.tempo, score);
  } else if (!CMidiFileReader::Read(options.midiPath.c_str(), options.tempo, score, error)) {
    return Fail(messages, EXIT_FAILED, error);
  }
  if (score.EndSeconds() + options.tailSeconds > MAX_RENDER_SECONDS) {
    char text[160];
    std::snprintf(text, sizeof(text), "%s: the music lasts %.0f seconds; at most %.0f can be rendered",
                  options.demo ? "demo" : options.midiPath.c_str(), score.EndSeconds(),
                  MAX_RENDER_SECONDS);
    return Fail(messages, EXIT_FAILED, text);
  }
  PLIST_VALUE state;
  if (!options.statePath.empty() &&
      !CAuPresetFile::Read(options.statePath.c_str(), state, error))
    return Fail(messages, EXIT_FAILED, error);
  if (!options.presetPath.empty() && !CheckReadable(options.presetPath, "preset file", error))
    return Fail(messages, EXIT_FAILED, error);

  return Fail(messages, EXIT_FAILED, "the instrument is not available yet");
}

}  // namespace RenderApp
