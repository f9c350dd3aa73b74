#include "tools/render/RenderApp.h"

#include <chrono>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "tools/render/AuHost.h"
#include "tools/render/AuPresetFile.h"
#include "tools/render/DemoScore.h"
#include "tools/render/MidiFileReader.h"
#include "tools/render/Options.h"
#include "tools/render/RenderSession.h"
#include "tools/render/WavOut.h"

namespace RenderApp {

namespace {

const char PROGRAM[] = "morlavine-render";
// Longest render accepted (score and tail): the whole render is held in
// memory before it is written.
const double MAX_RENDER_SECONDS = 3 * 3600.0;
// Renders that run longer than this show their progress.
const double PROGRESS_AFTER_SECONDS = 2.0;

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

std::string CodeText(int64_t code) {
  const uint32_t v = static_cast<uint32_t>(code);
  std::string text = "'";
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((v >> shift) & 0xFF);
    text += (c >= 32 && c < 127) ? c : '?';
  }
  return text + "'";
}

// A state file must be for this unit: its restore would otherwise take only
// part of it.
bool CheckStateIdentity(const PLIST_VALUE& state, AudioComponent component,
                        const std::string& path, std::string& error) {
  AudioComponentDescription desc;
  if (AudioComponentGetDescription(component, &desc) != noErr) return true;
  const struct {
    const char* key;
    OSType expected;
  } identity[] = {{"type", desc.componentType},
                  {"subtype", desc.componentSubType},
                  {"manufacturer", desc.componentManufacturer}};
  for (const auto& item : identity) {
    const int64_t value = state.Find(item.key)->integer;
    if (static_cast<uint32_t>(value) != item.expected) {
      error = path + ": the state is for another unit (" + item.key + " " + CodeText(value) +
              ", expected " + CodeText(item.expected) + ")";
      return false;
    }
  }
  return true;
}

// Progress of a render that takes more than a few seconds: on a terminal one
// line updated in place, in a log a line per quarter.
class CProgress {
 public:
  CProgress(FILE* messages, double rate)
      : m_messages(messages), m_rate(rate), m_terminal(isatty(fileno(messages)) != 0),
        m_started(std::chrono::steady_clock::now()) {}

  void Update(uint64_t done, uint64_t total) {
    if (total == 0) return;
    if (!m_shown) {
      // Checking the clock every block would cost more than it tells.
      if (++m_calls % 64 != 0 && done != total) return;
      const double elapsed =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - m_started).count();
      if (elapsed < PROGRESS_AFTER_SECONDS) return;
      m_shown = true;
    }
    const int percent = static_cast<int>(done * 100 / total);
    const int step = m_terminal ? 1 : 25;
    if (percent / step == m_lastShown / step) return;
    m_lastShown = percent;
    if (m_terminal) {
      std::fprintf(m_messages, "\r%s: rendering %3d%% (%.1f of %.1f s)", PROGRAM, percent,
                   done / m_rate, total / m_rate);
      if (done == total) std::fputc('\n', m_messages);
    } else if (percent < 100) {
      std::fprintf(m_messages, "%s: rendering %d%% (%.1f of %.1f s)\n", PROGRAM, percent,
                   done / m_rate, total / m_rate);
    }
    std::fflush(m_messages);
  }

 private:
  FILE* m_messages;
  double m_rate;
  bool m_terminal;
  std::chrono::steady_clock::time_point m_started;
  bool m_shown = false;
  uint64_t m_calls = 0;
  int m_lastShown = -1;
};

}  // namespace

int Run(int argc, const char* const* argv, FILE* out, FILE* messages,
        const INSTRUMENT& instrument) {
  RENDER_OPTIONS options;
  std::string error;
  if (!COptions::Parse(argc, argv, options, error)) return Fail(messages, EXIT_USAGE, error);
  if (options.help) {
    std::fputs(COptions::Usage(), out);
    return EXIT_OK;
  }

  // Every input is read and checked before the instrument is opened, and
  // nothing is written before the render has succeeded.
  CMidiScore score;
  if (options.demo) {
    CDemoScore::Build(options.tempo, score);
  } else if (!CMidiFileReader::Read(options.midiPath.c_str(), options.tempo, score, error)) {
    return Fail(messages, EXIT_FAILED, error);
  }
  if (score.EndSeconds() + options.tailSeconds > MAX_RENDER_SECONDS) {
    char text[160];
    std::snprintf(text, sizeof(text), "the music lasts %.0f seconds; at most %.0f can be rendered",
                  score.EndSeconds(), MAX_RENDER_SECONDS);
    return Fail(messages, EXIT_FAILED, (options.demo ? "demo" : options.midiPath) + ": " + text);
  }
  PLIST_VALUE state;
  if (!options.statePath.empty() &&
      !CAuPresetFile::Read(options.statePath.c_str(), state, error))
    return Fail(messages, EXIT_FAILED, error);
  if (!options.presetPath.empty() && !CheckReadable(options.presetPath, "preset file", error))
    return Fail(messages, EXIT_FAILED, error);

  if (!instrument.component)
    return Fail(messages, EXIT_FAILED, "the instrument is not available in this build");
  if (!options.statePath.empty() &&
      !CheckStateIdentity(state, instrument.component, options.statePath, error))
    return Fail(messages, EXIT_FAILED, error);

  // The unit, set up in a music host's order.
  CRenderSession session(options.sampleRate, options.blockFrames);
  CAuHost host(&session.Transport());
  if (!host.Open(instrument.component, error) ||
      !host.Configure(options.sampleRate, options.blockFrames, error) ||
      !host.Initialize(error))
    return Fail(messages, EXIT_FAILED, error);
  if (!options.statePath.empty() && !host.RestoreState(state, error))
    return Fail(messages, EXIT_FAILED, options.statePath + ": " + error);
  if (!options.presetPath.empty()) {
    if (!instrument.loadPreset)
      return Fail(messages, EXIT_FAILED, options.presetPath + ": this instrument loads no presets");
    if (!instrument.loadPreset(host.Unit(), options.presetPath.c_str(), error))
      return Fail(messages, EXIT_FAILED, error);
  }
  for (const PARAM_SETTING& p : options.params)
    if (!host.SetParameter(p.index, p.value, error)) return Fail(messages, EXIT_FAILED, error);

  // The state the render starts from is what --save-state keeps, so that
  // rendering again from it gives the same audio.
  PLIST_VALUE savedState;
  if (!options.saveStatePath.empty() && !host.SaveState(savedState, error))
    return Fail(messages, EXIT_FAILED, error);

  if (options.seedGiven) std::srand(options.seed);

  const auto started = std::chrono::steady_clock::now();
  CProgress progress(messages, options.sampleRate);
  RENDER_RESULT audio;
  if (!session.Run(score, options.tailSeconds, host, audio, error,
                   [&](uint64_t done, uint64_t total) { progress.Update(done, total); }))
    return Fail(messages, EXIT_FAILED, error);
  host.Close();
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  const RENDER_LEVELS levels = MeasureLevels(audio);
  if (!levels.finite)
    return Fail(messages, EXIT_FAILED,
                "the instrument produced non-finite samples; nothing was written");
  if (!WavOut::WriteStereo(options.outPath.c_str(), audio, options.sampleRate, error))
    return Fail(messages, EXIT_FAILED, error);
  if (!options.saveStatePath.empty() &&
      !CAuPresetFile::Write(options.saveStatePath.c_str(), savedState, error))
    return Fail(messages, EXIT_FAILED, error);

  const double seconds = audio.frames / static_cast<double>(options.sampleRate);
  char factor[32];
  if (elapsed > 0.0)
    std::snprintf(factor, sizeof(factor), "%.1fx real time", seconds / elapsed);
  else
    std::snprintf(factor, sizeof(factor), "faster than measurable");
  std::fprintf(messages,
               "%s: wrote %s: %.2f s of stereo 32-bit float at %u Hz, peak %.1f dBFS, "
               "RMS %.1f dBFS, rendered in %.2f s (%s)\n",
               PROGRAM, options.outPath.c_str(), seconds, options.sampleRate, levels.peakDb,
               levels.rmsDb, elapsed, factor);
  return EXIT_OK;
}

}  // namespace RenderApp
