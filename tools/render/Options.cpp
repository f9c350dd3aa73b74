#include "tools/render/Options.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A finite decimal number (no hexadecimal, infinities or NaN).
bool ParseNumber(const std::string& text, double& out) {
  if (text.empty()) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
      return false;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (*end != '\0' || !std::isfinite(v)) return false;
  out = v;
  return true;
}

// What is wrong with a whole-number value, or nothing: "not a number" for
// text that is no number at all, "not a whole number" for a fraction, else
// empty and the value (which the caller checks against its range; values
// beyond 64 bits come back as the largest value).
std::string ParseWhole(const std::string& text, uint64_t& out) {
  double v = 0.0;
  if (!ParseNumber(text, v)) return "not a number";
  const bool digitsOnly = text.find_first_not_of("0123456789") == std::string::npos;
  if (!digitsOnly) {
    if (v != std::floor(v)) return "not a whole number";
    // A negative or signed number is out of every range.
    out = v < 0.0 || v >= 1.8e19 ? UINT64_MAX : static_cast<uint64_t>(v);
    return "";
  }
  errno = 0;
  const unsigned long long u = std::strtoull(text.c_str(), nullptr, 10);
  out = errno == ERANGE ? UINT64_MAX : u;
  return "";
}

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

std::string FormatNumber(double v) {
  char text[32];
  std::snprintf(text, sizeof(text), "%g", v);
  return text;
}

}  // namespace

const char* COptions::Usage() {
  return "usage: morlavine-render [--midi FILE.mid | --demo] [--preset FILE.p]\n"
         "                        [--state FILE.aupreset] [--param ID=VALUE ...]\n"
         "                        [--rate HZ] [--block FRAMES] [--tempo BPM]\n"
         "                        [--tail SECONDS] [--save-state FILE.aupreset]\n"
         "                        [--save-preset FILE.p] [--seed N] [--bundle PATH]\n"
         "                        -o OUT.wav\n"
         "       morlavine-render --list-params [--preset FILE.p] [--state FILE.aupreset]\n"
         "                        [--param ID=VALUE ...]\n"
         "\n"
         "Renders MIDI through the Morlavine instrument to a 32-bit float stereo WAV.\n"
         "  --midi FILE.mid     play a Standard MIDI File (with its tempo map)\n"
         "  --demo              play the built-in demo phrase\n"
         "  --preset FILE.p     load a preset file before rendering\n"
         "  --state FILE        restore a saved unit state (.aupreset)\n"
         "  --param ID=VALUE    set host parameter ID (0..332, see --list-params) to\n"
         "                      VALUE (0..1); applied after --state and --preset\n"
         "  --rate HZ           sample rate, 22050..192000 (default 44100)\n"
         "  --block FRAMES      frames per render call, 1..8192 (default 512)\n"
         "  --tempo BPM         host tempo, and the demo's (default 120)\n"
         "  --tail SECONDS      render time after the last event (default 2)\n"
         "  --save-state FILE   also write the unit's state the render starts from\n"
         "                      (.aupreset)\n"
         "  --save-preset FILE  also write that sound as a preset file (.p)\n"
         "  --seed N            seed the instrument's random generator for repeatable\n"
         "                      renders\n"
         "  --bundle PATH       the instrument bundle to load (default: the one built\n"
         "                      with this program)\n"
         "  -o OUT.wav          the output file; - for standard output. A device or a\n"
         "                      pipe is written as the render goes, any other file\n"
         "                      only once the render is complete\n"
         "  --list-params       print each host parameter's id, name and value in the\n"
         "                      loaded sound, and render nothing\n"
         "  -h, --help          print this text\n"
         "\n"
         "The sound set by --state, --preset and --param is in place before the\n"
         "music starts. Nothing is written unless every output can be written.\n"
         "\n"
         "Exit status: 0 done; 1 an input could not be read, an output could not be\n"
         "written or the render failed; 2 bad options.\n";
}

namespace {

// Names of the options that take a value.
bool TakesValue(const std::string& arg) {
  return arg == "--midi" || arg == "--preset" || arg == "--state" || arg == "--param" ||
         arg == "--rate" || arg == "--block" || arg == "--tempo" || arg == "--tail" ||
         arg == "--save-state" || arg == "--save-preset" || arg == "--seed" || arg == "-o" ||
         arg == "--output" || arg == "--bundle";
}

bool IsFileOption(const std::string& arg) {
  return arg == "--midi" || arg == "--preset" || arg == "--state" || arg == "--save-state" ||
         arg == "--save-preset" || arg == "-o" || arg == "--output" || arg == "--bundle";
}

// A whole number option in [min, max]; on failure `error` says whether the
// value is no number or out of range.
bool ParseRanged(const std::string& option, const std::string& value, uint64_t min, uint64_t max,
                 const std::string& what, uint64_t& out, std::string& error) {
  uint64_t v = 0;
  const std::string problem = ParseWhole(value, v);
  if (!problem.empty()) {
    error = option + " " + Quoted(value) + ": " + problem;
    return false;
  }
  if (v < min || v > max) {
    error = option + " " + Quoted(value) + ": " + what;
    return false;
  }
  out = v;
  return true;
}

bool ParseDecimal(const std::string& option, const std::string& value, double min, double max,
                  const std::string& what, double& out, std::string& error) {
  double v = 0.0;
  if (!ParseNumber(value, v)) {
    error = option + " " + Quoted(value) + ": not a number";
    return false;
  }
  if (v < min || v > max) {
    error = option + " " + Quoted(value) + ": " + what;
    return false;
  }
  out = v;
  return true;
}

}  // namespace

bool COptions::Parse(int argc, const char* const* argv, RENDER_OPTIONS& options,
                     std::string& error) {
  RENDER_OPTIONS result;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i] ? argv[i] : "";
    std::string value;
    bool hasInlineValue = false;
    if (arg.compare(0, 2, "--") == 0) {
      const size_t eq = arg.find('=');
      if (eq != std::string::npos) {
        value = arg.substr(eq + 1);
        arg = arg.substr(0, eq);
        hasInlineValue = true;
      }
    }
    if (arg == "--help" || arg == "-h" || arg == "--demo" || arg == "--list-params") {
      if (hasInlineValue) {
        error = "option " + arg + " takes no value";
        return false;
      }
      if (arg == "--demo") result.demo = true;
      else if (arg == "--list-params") result.listParams = true;
      else result.help = true;
      continue;
    }
    if (!TakesValue(arg)) {
      if (!arg.empty() && arg[0] == '-' && arg != "-")
        error = "unknown option " + Quoted(arg) + " (see --help)";
      else
        error = "unexpected argument " + Quoted(arg) + " (see --help)";
      return false;
    }
    if (!hasInlineValue) {
      if (i + 1 >= argc || !argv[i + 1]) {
        error = "option " + arg + " needs a value";
        return false;
      }
      value = argv[++i];
    }

    if (IsFileOption(arg)) {
      if (value.empty()) {
        error = "option " + arg + " needs a file name";
        return false;
      }
      if (arg == "--midi") result.midiPath = value;
      else if (arg == "--preset") result.presetPath = value;
      else if (arg == "--state") result.statePath = value;
      else if (arg == "--save-state") result.saveStatePath = value;
      else if (arg == "--save-preset") result.savePresetPath = value;
      else if (arg == "--bundle") result.bundlePath = value;
      else result.outPath = value;
    } else if (arg == "--param") {
      const size_t eq = value.find('=');
      if (eq == std::string::npos) {
        error = "--param " + Quoted(value) + ": expected ID=VALUE";
        return false;
      }
      const std::string idText = value.substr(0, eq), valueText = value.substr(eq + 1);
      uint64_t index = 0;
      const std::string idProblem = ParseWhole(idText, index);
      if (!idProblem.empty()) {
        error = "--param " + Quoted(value) + ": parameter id " + Quoted(idText) + " is " +
                idProblem;
        return false;
      }
      if (index >= PARAM_COUNT) {
        error = "--param " + Quoted(value) + ": parameter id " + Quoted(idText) +
                " out of range (0.." + std::to_string(PARAM_COUNT - 1) + ")";
        return false;
      }
      double v = 0.0;
      if (!ParseNumber(valueText, v)) {
        error = "--param " + Quoted(value) + ": value " + Quoted(valueText) + " is not a number";
        return false;
      }
      if (v < 0.0 || v > 1.0) {
        error = "--param " + Quoted(value) + ": value " + Quoted(valueText) +
                " out of range (0..1)";
        return false;
      }
      result.params.push_back({static_cast<uint32_t>(index), static_cast<float>(v)});
    } else if (arg == "--rate") {
      uint64_t rate = 0;
      if (!ParseRanged(arg, value, MIN_RATE, MAX_RATE,
                       "sample rate out of range (" + std::to_string(MIN_RATE) + ".." +
                           std::to_string(MAX_RATE) + " Hz)",
                       rate, error))
        return false;
      result.sampleRate = static_cast<uint32_t>(rate);
    } else if (arg == "--block") {
      uint64_t block = 0;
      if (!ParseRanged(arg, value, MIN_BLOCK, MAX_BLOCK,
                       "block size out of range (" + std::to_string(MIN_BLOCK) + ".." +
                           std::to_string(MAX_BLOCK) + " frames)",
                       block, error))
        return false;
      result.blockFrames = static_cast<uint32_t>(block);
    } else if (arg == "--tempo") {
      if (!ParseDecimal(arg, value, MIN_TEMPO, MAX_TEMPO,
                        "tempo out of range (" + FormatNumber(MIN_TEMPO) + ".." +
                            FormatNumber(MAX_TEMPO) + " BPM)",
                        result.tempo, error))
        return false;
    } else if (arg == "--tail") {
      if (!ParseDecimal(arg, value, 0.0, MAX_TAIL,
                        "tail out of range (0.." + FormatNumber(MAX_TAIL) + " seconds)",
                        result.tailSeconds, error))
        return false;
    } else if (arg == "--seed") {
      uint64_t seed = 0;
      if (!ParseRanged(arg, value, 0, UINT32_MAX, "out of range (0..4294967295)", seed, error))
        return false;
      result.seed = static_cast<uint32_t>(seed);
      result.seedGiven = true;
    }
  }

  if (result.help) {
    options = result;
    return true;
  }
  if (result.listParams) {
    // Listing reads the sound and stops: nothing is played or written.
    const char* renderOnly = !result.outPath.empty()          ? "-o"
                             : result.demo                     ? "--demo"
                             : !result.midiPath.empty()        ? "--midi"
                             : !result.saveStatePath.empty()   ? "--save-state"
                             : !result.savePresetPath.empty()  ? "--save-preset"
                                                               : nullptr;
    if (renderOnly) {
      error = std::string("--list-params renders nothing: leave out ") + renderOnly;
      return false;
    }
    options = result;
    return true;
  }
  if (result.demo && !result.midiPath.empty()) {
    error = "--midi and --demo exclude each other";
    return false;
  }
  if (!result.demo && result.midiPath.empty()) {
    error = "nothing to play: give --midi FILE.mid or --demo (see --help)";
    return false;
  }
  if (result.outPath.empty()) {
    error = "no output file: give -o OUT.wav (or -o - for standard output)";
    return false;
  }
  const std::string* outputs[] = {&result.outPath, &result.saveStatePath, &result.savePresetPath};
  for (size_t a = 0; a < 3; ++a)
    for (size_t b = a + 1; b < 3; ++b)
      if (!outputs[a]->empty() && *outputs[a] == *outputs[b]) {
        error = "two outputs name the same file " + Quoted(*outputs[a]);
        return false;
      }
  options = result;
  return true;
}
