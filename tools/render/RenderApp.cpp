#include "tools/render/RenderApp.h"

#include <chrono>
#include <cerrno>
#include <new>
#include <vector>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "host/au/AUSynthProperties.h"
#include "tools/render/AuHost.h"
#include "tools/render/AuPresetFile.h"
#include "tools/render/DemoScore.h"
#include "tools/render/MidiFileReader.h"
#include "tools/render/Options.h"
#include "tools/render/OutputFile.h"
#include "tools/render/RenderSession.h"
#include "tools/render/WavOut.h"
#include "platform/RegularFile.h"

namespace RenderApp {

namespace {

const char PROGRAM[] = "morlavine-render";
// Longest render accepted (score and tail).
const double MAX_RENDER_SECONDS = 3 * 3600.0;
// Silence rendered after the sound is loaded and before the music starts:
// longer than the instrument's parameter glides (30 ms) and the block that
// applies its settings.
const double SETTLE_SECONDS = 0.25;
// Renders that run longer than this show their progress.
const double PROGRESS_AFTER_SECONDS = 2.0;

int Fail(FILE* messages, int code, const std::string& message) {
  std::fprintf(messages, "%s: %s\n", PROGRAM, message.c_str());
  return code;
}

bool CheckReadable(const std::string& path, const char* what, std::string& error) {
  FILE* file = Platform::OpenRegularFile(path.c_str());
  if (!file) {
    error = path + ": cannot open " + what + ": " + Platform::OpenErrorText(errno);
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

namespace {

struct INPUT_FILE {
  const char* option;
  const std::string* path;
};

// Every output is opened (a temporary file made, or a stream opened) before
// the render, and every file output renamed into place only after all of
// them were written: all of them appear, or none.
class COutputs {
 public:
  bool Commit(std::string& error) {
    for (COutputFile* file : m_files)
      if (!file->Finish(error)) return false;
    for (COutputFile* file : m_files)
      if (!file->Commit(error)) return false;
    return true;
  }
  void Add(COutputFile* file) { m_files.push_back(file); }

 private:
  std::vector<COutputFile*> m_files;
};

int RunChecked(int argc, const char* const* argv, FILE* out, FILE* messages,
               const INSTRUMENT& instrument) {
  RENDER_OPTIONS options;
  std::string error;
  if (!COptions::Parse(argc, argv, options, error)) return Fail(messages, EXIT_USAGE, error);
  if (options.help) {
    std::fputs(COptions::Usage(), out);
    return EXIT_OK;
  }

  // An output may replace only an input of its own kind (a state saved over
  // the state it was read from); the WAV never replaces an input.
  const INPUT_FILE inputs[] = {{"--midi", &options.midiPath},
                               {"--state", &options.statePath},
                               {"--preset", &options.presetPath}};
  const struct {
    const char* option;
    const std::string* path;
    const char* sameKind;
  } outputs[] = {{"-o", &options.outPath, nullptr},
                 {"--save-state", &options.saveStatePath, "--state"},
                 {"--save-preset", &options.savePresetPath, "--preset"}};
  for (const auto& o : outputs) {
    for (const INPUT_FILE& in : inputs) {
      if (o.sameKind && std::strcmp(o.sameKind, in.option) == 0) continue;
      if (IsSameFile(*o.path, *in.path))
        return Fail(messages, EXIT_USAGE,
                    std::string(o.option) + " " + *o.path + " is the " + in.option +
                        " input; refusing to overwrite it");
    }
  }
  for (size_t a = 0; a < 3; ++a)
    for (size_t b = a + 1; b < 3; ++b)
      if (IsSameFile(*outputs[a].path, *outputs[b].path))
        return Fail(messages, EXIT_USAGE,
                    std::string(outputs[a].option) + " and " + outputs[b].option +
                        " name the same file " + *outputs[a].path);
  if (!options.savePresetPath.empty() && options.savePresetPath.size() >= 4 &&
      options.savePresetPath.compare(options.savePresetPath.size() - 4, 4, ".wav") == 0)
    return Fail(messages, EXIT_USAGE,
                "--save-preset " + options.savePresetPath + ": a preset file cannot end in .wav");

  // Every input is read and checked before the instrument is opened.
  CMidiScore score;
  if (options.listParams) {
    // Nothing is played.
  } else if (options.demo) {
    CDemoScore::Build(options.tempo, score);
  } else if (!CMidiFileReader::Read(options.midiPath.c_str(), options.tempo, score, error)) {
    return Fail(messages, EXIT_FAILED, error);
  }
  const std::string scoreName = options.demo ? "demo" : options.midiPath;
  CRenderSession session(options.sampleRate, options.blockFrames);
  const uint64_t totalFrames = session.TotalFrames(score, options.tailSeconds);
  if (!options.listParams) {
    const double seconds = score.EndSeconds() + options.tailSeconds;
    if (seconds > MAX_RENDER_SECONDS) {
      char text[160];
      std::snprintf(text, sizeof(text),
                    "the music lasts %.0f seconds; at most %.0f can be rendered",
                    score.EndSeconds(), MAX_RENDER_SECONDS);
      return Fail(messages, EXIT_FAILED, scoreName + ": " + text);
    }
    if (totalFrames > WavOut::MaxFrames()) {
      char text[200];
      std::snprintf(text, sizeof(text),
                    "the render would last %.0f seconds; a WAV file holds at most %.0f at %u Hz",
                    seconds, WavOut::MaxFrames() / static_cast<double>(options.sampleRate),
                    options.sampleRate);
      return Fail(messages, EXIT_FAILED, scoreName + ": " + text);
    }
  }
  PLIST_VALUE state;
  if (!options.statePath.empty() &&
      !CAuPresetFile::Read(options.statePath.c_str(), state, error))
    return Fail(messages, EXIT_FAILED, error);
  if (!options.presetPath.empty() && !CheckReadable(options.presetPath, "preset file", error))
    return Fail(messages, EXIT_FAILED, error);

  // An instrument in a bundle is loaded now (--bundle, or the built one).
  AudioComponent component = instrument.component;
  if (!component && instrument.open) {
    component = instrument.open(options.bundlePath, error);
    if (!component) return Fail(messages, EXIT_FAILED, error);
  } else if (!options.bundlePath.empty()) {
    return Fail(messages, EXIT_FAILED, options.bundlePath + ": this program's instrument is built in");
  }
  if (!component)
    return Fail(messages, EXIT_FAILED, "the instrument is not available in this build");
  if (!options.statePath.empty() &&
      !CheckStateIdentity(state, component, options.statePath, error))
    return Fail(messages, EXIT_FAILED, error);
  if (!options.presetPath.empty() && !instrument.loadPreset)
    return Fail(messages, EXIT_FAILED, options.presetPath + ": this instrument loads no presets");
  if (!options.savePresetPath.empty() && !instrument.savePreset)
    return Fail(messages, EXIT_FAILED,
                options.savePresetPath + ": this instrument saves no presets");

  // Every output is checked and opened before the render, which may take
  // minutes.
  COutputFile wavFile, stateFile, presetFile;
  COutputs all;
  if (!options.listParams) {
    if (!wavFile.Open(options.outPath, out, error)) return Fail(messages, EXIT_FAILED, error);
    all.Add(&wavFile);
  }
  if (!options.saveStatePath.empty()) {
    if (!stateFile.Open(options.saveStatePath, out, error))
      return Fail(messages, EXIT_FAILED, error);
    all.Add(&stateFile);
  }
  if (!options.savePresetPath.empty()) {
    if (!presetFile.Open(options.savePresetPath, out, error))
      return Fail(messages, EXIT_FAILED, error);
    all.Add(&presetFile);
  }

  // The unit, set up in a music host's order.
  CAuHost host(&session.Transport());
  if (!host.Open(component, error) ||
      !host.Configure(options.sampleRate, options.blockFrames, error) ||
      !host.Initialize(error))
    return Fail(messages, EXIT_FAILED, error);
  if (!options.statePath.empty() && !host.RestoreState(state, error))
    return Fail(messages, EXIT_FAILED, options.statePath + ": " + error);
  if (!options.presetPath.empty() &&
      !instrument.loadPreset(host.Unit(), options.presetPath.c_str(), error))
    return Fail(messages, EXIT_FAILED, error);
  for (const PARAM_SETTING& p : options.params)
    if (!host.SetParameter(p.index, p.value, error)) return Fail(messages, EXIT_FAILED, error);

  if (options.listParams) {
    std::vector<CAuHost::PARAMETER> list;
    if (!host.ListParameters(list, error)) return Fail(messages, EXIT_FAILED, error);
    for (const CAuHost::PARAMETER& p : list)
      std::fprintf(out, "%3u  %-8s  %.6f\n", p.id, p.name.c_str(), static_cast<double>(p.value));
    if (std::fflush(out) != 0)
      return Fail(messages, EXIT_FAILED,
                  std::string("cannot write the list: ") + std::strerror(errno));
    return EXIT_OK;
  }

  // The seed goes to the unit's own generator: other units in the process
  // neither disturb it nor are disturbed by it. A unit without the property
  // draws nothing to seed.
  if (options.seedGiven) {
    const UInt32 seed = options.seed;
    const OSStatus status = AudioUnitSetProperty(host.Unit(), kAUSynthProperty_RandomSeed,
                                                 kAudioUnitScope_Global, 0, &seed, sizeof(seed));
    if (status != noErr && status != kAudioUnitErr_InvalidProperty)
      return Fail(messages, EXIT_FAILED, DescribeStatus("the unit's random seed", status));
  }

  // As a host does before playback: the loaded sound settles (its parameter
  // glides end and the settings it applies at a block's start are in place)
  // before the first note, so the music starts from the sound asked for
  // whatever the block size.
  if (!session.Settle(host, SETTLE_SECONDS, error)) return Fail(messages, EXIT_FAILED, error);

  // The sound the render starts from is what --save-state and --save-preset
  // keep, so that rendering again from either gives the same audio.
  std::string stateText;
  if (!options.saveStatePath.empty()) {
    PLIST_VALUE savedState;
    if (!host.SaveState(savedState, error)) return Fail(messages, EXIT_FAILED, error);
    if (!CAuPresetFile::Format(savedState, stateText))
      return Fail(messages, EXIT_FAILED,
                  options.saveStatePath + ": cannot format the state as a property list");
  }
  std::vector<uint8_t> presetImage;
  if (!options.savePresetPath.empty() &&
      !instrument.savePreset(host.Unit(), presetImage, error))
    return Fail(messages, EXIT_FAILED, options.savePresetPath + ": " + error);

  const auto started = std::chrono::steady_clock::now();
  CProgress progress(messages, options.sampleRate);
  CWavSink sink(wavFile);
  if (!sink.Begin(totalFrames, options.sampleRate, error) ||
      !session.Run(score, options.tailSeconds, host, sink, error,
                   [&](uint64_t done, uint64_t total) { progress.Update(done, total); }))
    return Fail(messages, EXIT_FAILED, error);
  host.Close();
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  const RENDER_LEVELS levels = sink.Levels().Levels();
  if (!levels.finite)
    return Fail(messages, EXIT_FAILED,
                wavFile.IsStream()
                    ? "the instrument produced non-finite samples"
                    : "the instrument produced non-finite samples; nothing was written");
  if (!stateText.empty() && !stateFile.Write(stateText.data(), stateText.size(), error))
    return Fail(messages, EXIT_FAILED, error);
  if (!presetImage.empty() && !presetFile.Write(presetImage.data(), presetImage.size(), error))
    return Fail(messages, EXIT_FAILED, error);
  if (!all.Commit(error)) return Fail(messages, EXIT_FAILED, error);

  const double seconds = sink.FramesWritten() / static_cast<double>(options.sampleRate);
  char factor[32];
  if (elapsed > 0.0)
    std::snprintf(factor, sizeof(factor), "%.1fx real time", seconds / elapsed);
  else
    std::snprintf(factor, sizeof(factor), "faster than measurable");
  const std::string written = options.outPath == "-" ? "standard output" : options.outPath;
  std::fprintf(messages,
               "%s: wrote %s: %.2f s of stereo 32-bit float at %u Hz, peak %.1f dBFS, "
               "RMS %.1f dBFS, rendered in %.2f s (%s)\n",
               PROGRAM, written.c_str(), seconds, options.sampleRate, levels.peakDb,
               levels.rmsDb, elapsed, factor);
  return EXIT_OK;
}

}  // namespace

int Run(int argc, const char* const* argv, FILE* out, FILE* messages,
        const INSTRUMENT& instrument) {
  // No input may stop the program: running out of memory is one more
  // failure, reported in one line.
  try {
    return RunChecked(argc, argv, out, messages, instrument);
  } catch (const std::bad_alloc&) {
    return Fail(messages, EXIT_FAILED, "out of memory");
  }
}

}  // namespace RenderApp
