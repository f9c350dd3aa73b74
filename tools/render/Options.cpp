#include "tools/render/Options.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool ParseUnsigned(const std::string& text, uint64_t max, uint64_t& out) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long long v = std::strtoull(text.c_str(), &end, 10);
  if (*end != '\0' || errno == ERANGE || v > max) return false;
  out = v;
  return true;
}

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
         "                        [--seed N] -o OUT.wav\n"
         "\n"
         "Renders MIDI through the Morlavine instrument to a 32-bit float stereo WAV.\n"
         "  --midi FILE.mid     play a Standard MIDI File (with its tempo map)\n"
         "  --demo              play the built-in demo phrase\n"
         "  --preset FILE.p     load a preset file before rendering\n"
         "  --state FILE        restore a saved unit state (.aupreset)\n"
         "  --param ID=VALUE    set host parameter ID (0..332) to VALUE (0..1)\n"
         "  --rate HZ           sample rate, 22050..192000 (default 44100)\n"
         "  --block FRAMES      frames per render call, 1..8192 (default 512)\n"
         "  --tempo BPM         host tempo, and the demo's (default 120)\n"
         "  --tail SECONDS      render time after the last event (default 2)\n"
         "  --save-state FILE   write the unit's state after rendering (.aupreset)\n"
         "  --seed N            seed the random generator for repeatable renders\n"
         "  -o OUT.wav          the output file\n";
}

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
    if (arg == "--help" || arg == "-h") {
      result.help = true;
      continue;
    }
    if (arg == "--demo") {
      if (hasInlineValue) {
        error = "option --demo takes no value";
        return false;
      }
      result.demo = true;
      continue;
    }
    const bool known = arg == "--midi" || arg == "--preset" || arg == "--state" ||
                       arg == "--param" || arg == "--rate" || arg == "--block" ||
                       arg == "--tempo" || arg == "--tail" || arg == "--save-state" ||
                       arg == "--seed" || arg == "-o" || arg == "--output";
    if (!known) {
      if (!arg.empty() && arg[0] == '-')
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

    if (arg == "--midi" || arg == "--preset" || arg == "--state" || arg == "--save-state" ||
        arg == "-o" || arg == "--output") {
      if (value.empty()) {
        error = "option " + arg + " needs a file name";
        return false;
      }
      if (arg == "--midi") result.midiPath = value;
      else if (arg == "--preset") result.presetPath = value;
      else if (arg == "--state") result.statePath = value;
      else if (arg == "--save-state") result.saveStatePath = value;
      else result.outPath = value;
    } else if (arg == "--param") {
      const size_t eq = value.find('=');
      uint64_t index = 0;
      double v = 0.0;
      if (eq == std::string::npos) {
        error = "--param " + Quoted(value) + ": expected ID=VALUE";
        return false;
      }
      const std::string idText = value.substr(0, eq), valueText = value.substr(eq + 1);
      if (!ParseUnsigned(idText, UINT32_MAX, index) || index >= PARAM_COUNT) {
        error = "--param " + Quoted(value) + ": parameter id " + Quoted(idText) +
                " out of range (0.." + std::to_string(PARAM_COUNT - 1) + ")";
        return false;
      }
      if (!ParseNumber(valueText, v) || v < 0.0 || v > 1.0) {
        error = "--param " + Quoted(value) + ": value " + Quoted(valueText) +
                " out of range (0..1)";
        return false;
      }
      result.params.push_back({static_cast<uint32_t>(index), static_cast<float>(v)});
    } else if (arg == "--rate") {
      uint64_t rate = 0;
      if (!ParseUnsigned(value, UINT32_MAX, rate) || rate < MIN_RATE || rate > MAX_RATE) {
        error = "--rate " + Quoted(value) + ": sample rate out of range (" +
                std::to_string(MIN_RATE) + ".." + std::to_string(MAX_RATE) + " Hz)";
        return false;
      }
      result.sampleRate = static_cast<uint32_t>(rate);
    } else if (arg == "--block") {
      uint64_t block = 0;
      if (!ParseUnsigned(value, UINT32_MAX, block) || block < MIN_BLOCK || block > MAX_BLOCK) {
        error = "--block " + Quoted(value) + ": block size out of range (" +
                std::to_string(MIN_BLOCK) + ".." + std::to_string(MAX_BLOCK) + " frames)";
        return false;
      }
      result.blockFrames = static_cast<uint32_t>(block);
    } else if (arg == "--tempo") {
      double bpm = 0.0;
      if (!ParseNumber(value, bpm) || bpm < MIN_TEMPO || bpm > MAX_TEMPO) {
        error = "--tempo " + Quoted(value) + ": tempo out of range (" + FormatNumber(MIN_TEMPO) +
                ".." + FormatNumber(MAX_TEMPO) + " BPM)";
        return false;
      }
      result.tempo = bpm;
    } else if (arg == "--tail") {
      double tail = 0.0;
      if (!ParseNumber(value, tail) || tail < 0.0 || tail > MAX_TAIL) {
        error = "--tail " + Quoted(value) + ": tail out of range (0.." + FormatNumber(MAX_TAIL) +
                " seconds)";
        return false;
      }
      result.tailSeconds = tail;
    } else if (arg == "--seed") {
      uint64_t seed = 0;
      if (!ParseUnsigned(value, UINT32_MAX, seed)) {
        error = "--seed " + Quoted(value) + ": expected a whole number 0..4294967295";
        return false;
      }
      result.seed = static_cast<uint32_t>(seed);
      result.seedGiven = true;
    }
  }

  if (result.help) {
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
    error = "no output file: give -o OUT.wav";
    return false;
  }
  if (result.outPath == result.saveStatePath) {
    error = "-o and --save-state name the same file " + Quoted(result.outPath);
    return false;
  }
  options = result;
  return true;
}
