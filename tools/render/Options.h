#pragma once
// Command-line options of morlavine-render.

#include <cstdint>
#include <string>
#include <vector>

struct PARAM_SETTING {
  uint32_t index;  // host parameter index, 0..332
  float value;     // 0..1
};

struct RENDER_OPTIONS {
  std::string midiPath;       // --midi
  bool demo = false;          // --demo
  std::string presetPath;     // --preset
  std::string statePath;      // --state
  std::string saveStatePath;  // --save-state
  std::string savePresetPath; // --save-preset
  std::string outPath;        // -o ("-" for standard output)
  std::string bundlePath;     // --bundle ("": the built one)
  std::vector<PARAM_SETTING> params;  // --param, in the order given
  uint32_t sampleRate = 44100;
  uint32_t blockFrames = 512;
  double tempo = 120.0;
  double tailSeconds = 2.0;
  bool seedGiven = false;
  uint32_t seed = 0;
  bool help = false;          // --help: print the usage and stop
  bool listParams = false;    // --list-params: print the parameters and stop
};

class COptions {
 public:
  // Limits of the numeric options.
  static const uint32_t MIN_RATE = 22050;
  static const uint32_t MAX_RATE = 192000;
  static const uint32_t MIN_BLOCK = 1;
  static const uint32_t MAX_BLOCK = 8192;
  static const uint32_t PARAM_COUNT = 333;
  static constexpr double MIN_TEMPO = 10.0;
  static constexpr double MAX_TEMPO = 999.0;
  static constexpr double MAX_TAIL = 600.0;

  // Parses argv[1..argc-1]. On failure `error` holds one line naming the
  // option and the problem. Options take their value as the next argument or
  // after "=" (--rate=48000).
  static bool Parse(int argc, const char* const* argv, RENDER_OPTIONS& options,
                    std::string& error);

  static const char* Usage();
};
