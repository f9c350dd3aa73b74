// The render program with the Morlavine instrument, end to end.
#include <algorithm>
#include <cmath>

#include "MidiTestUtil.h"
#include "ToolsTestUtil.h"
#include "WavTestUtil.h"
#include "engine/GlobalSynth.h"
#include "engine/ParamIds.h"
#include "engine/Params.h"
#include "engine/PresetFile.h"
#include "tools/render/AuPresetFile.h"
#include "tools/render/DemoScore.h"
#include "tools/render/MorlavineInstrument.h"
#include "tools/render/RenderApp.h"
#include "tools/render/RenderSession.h"

namespace {

int Render(std::vector<std::string> args, std::string* messages = nullptr) {
  args.insert(args.begin(), "morlavine-render");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  FILE* log = std::tmpfile();
  const int code = RenderApp::Run(static_cast<int>(argv.size()), argv.data(), log, log,
                                  MorlavineInstrument::Get());
  if (messages) {
    std::rewind(log);
    char line[1024];
    messages->clear();
    while (std::fgets(line, sizeof(line), log)) *messages += line;
  }
  std::fclose(log);
  return code;
}

// Fundamental of a stretch of signal from its autocorrelation: the first lag
// whose normalised correlation comes close to the best one, refined by a
// parabola through its neighbours.
double Pitch(const std::vector<float>& x, size_t from, size_t count, double rate) {
  const size_t minLag = static_cast<size_t>(rate / 2000.0), maxLag = static_cast<size_t>(rate / 100.0);
  std::vector<double> r(maxLag + 2, 0.0);
  for (size_t lag = minLag - 1; lag <= maxLag + 1; ++lag) {
    double sum = 0.0, e1 = 0.0, e2 = 0.0;
    for (size_t i = from; i < from + count; ++i) {
      sum += double(x[i]) * x[i + lag];
      e1 += double(x[i]) * x[i];
      e2 += double(x[i + lag]) * x[i + lag];
    }
    r[lag] = e1 > 0 && e2 > 0 ? sum / std::sqrt(e1 * e2) : 0.0;
  }
  double best = 0.0;
  for (size_t lag = minLag; lag <= maxLag; ++lag) best = std::max(best, r[lag]);
  for (size_t lag = minLag; lag <= maxLag; ++lag) {
    if (r[lag] >= 0.9 * best && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]) {
      const double a = r[lag - 1], b = r[lag], c = r[lag + 1];
      const double shift = (a - 2 * b + c) != 0.0 ? 0.5 * (a - c) / (a - 2 * b + c) : 0.0;
      return rate / (lag + shift);
    }
  }
  return 0.0;
}

double MidiToHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

bool AllFinite(const STEREO_WAV& wav) {
  for (const std::vector<float>* c : {&wav.left, &wav.right})
    for (float s : *c)
      if (!std::isfinite(s)) return false;
  return true;
}

}  // namespace

TEST(InstrumentRender, DemoSoundsAtThePitchesItPlays) {
  CScratchDir dir;
  const std::string out = dir.File("demo.wav");
  std::string messages;
  ASSERT_EQ(Render({"--demo", "--seed", "1", "--tail", "0.5", "-o", out}, &messages), 0)
      << messages;
  const STEREO_WAV wav = ReadStereoWav(out);
  ASSERT_TRUE(wav.ok);
  EXPECT_EQ(wav.rate, 44100u);
  EXPECT_EQ(wav.left.size(), 8.5 * 44100);  // four bars at 120 BPM and the tail
  ASSERT_TRUE(AllFinite(wav));

  RENDER_RESULT audio;
  audio.frames = wav.left.size();
  audio.left = wav.left;
  audio.right = wav.right;
  const RENDER_LEVELS levels = MeasureLevels(audio);
  EXPECT_GT(levels.rmsDb, -40.0);
  EXPECT_LT(levels.peakDb, 0.0);

  // Each solo note of the opening bar, measured in its second half (after
  // the attack, before the release).
  CMidiScore score;
  CDemoScore::Build(120.0, score);
  int count = 0;
  const DEMO_SOLO_NOTE* solo = CDemoScore::SoloNotes(count);
  for (int i = 0; i < count; ++i) {
    SCOPED_TRACE(int(solo[i].note));
    const double start = score.SecondsOfBeat((solo[i].startBeat + solo[i].endBeat) / 2);
    const double hz = Pitch(wav.left, static_cast<size_t>(start * 44100), 4096, 44100);
    EXPECT_NEAR(1200.0 * std::log2(hz / MidiToHz(solo[i].note)), 0.0, 5.0) << hz << " Hz";
  }
}

TEST(InstrumentRender, SameSeedIsBitIdenticalAndSavedStateReproducesTheRender) {
  CScratchDir dir;
  const std::string midi = dir.File("phrase.mid");
  WriteShortPhrase(midi);
  const std::string state = dir.File("state.aupreset");
  const std::string a = dir.File("a.wav"), b = dir.File("b.wav"), c = dir.File("c.wav");
  const std::string d = dir.File("d.wav"), e = dir.File("e.wav");
  std::string messages;
  // Parameters changed from the factory sound, kept in the saved state.
  ASSERT_EQ(Render({"--midi", midi, "--seed", "42", "--tail", "0.1", "--param", "0=0.8",
                    "--param", "5=0.3", "--save-state", state, "-o", a},
                   &messages),
            0)
      << messages;
  ASSERT_EQ(Render({"--midi", midi, "--seed", "42", "--tail", "0.1", "--param", "0=0.8",
                    "--param", "5=0.3", "-o", b}),
            0);
  EXPECT_EQ(ReadBytes(a), ReadBytes(b)) << "same seed, same render";

  ASSERT_EQ(Render({"--midi", midi, "--seed", "42", "--tail", "0.1", "--state", state, "-o", c},
                   &messages),
            0)
      << messages;
  EXPECT_EQ(ReadBytes(a), ReadBytes(c)) << "the saved state gives the same render";

  // The state round trip is also bit for bit at the level of the file.
  PLIST_VALUE saved;
  std::string error;
  ASSERT_TRUE(CAuPresetFile::Read(state.c_str(), saved, error)) << error;
  ASSERT_NE(saved.Find("mChunkData"), nullptr);
  EXPECT_EQ(saved.Find("mChunkData")->kind, PLIST_VALUE::kData);
  EXPECT_EQ(saved.Find("subtype")->integer, CAuPresetFile::FourCharCode("MrVn"));

  // A state without the instrument's chunk is refused, and nothing written.
  PLIST_VALUE chunkless = PLIST_VALUE::Dict();
  for (size_t i = 0; i < saved.keys.size(); ++i)
    if (saved.keys[i] != "mChunkData") chunkless.Set(saved.keys[i], saved.items[i]);
  const std::string partial = dir.File("partial.aupreset"), f = dir.File("f.wav");
  ASSERT_TRUE(CAuPresetFile::Write(partial.c_str(), chunkless, error)) << error;
  EXPECT_EQ(Render({"--midi", midi, "--state", partial, "-o", f}, &messages), 1);
  EXPECT_EQ(messages.find("morlavine-render: " + partial + ": the instrument refused the state"),
            0u)
      << messages;
  EXPECT_FALSE(FileExists(f));

  // Without the state the sound is the factory one; with another seed the
  // random start phases differ.
  ASSERT_EQ(Render({"--midi", midi, "--seed", "42", "--tail", "0.1", "-o", d}), 0);
  EXPECT_NE(ReadBytes(a), ReadBytes(d));
  ASSERT_EQ(Render({"--midi", midi, "--seed", "43", "--tail", "0.1", "--state", state, "-o", e}),
            0);
  EXPECT_NE(ReadBytes(a), ReadBytes(e));
}

TEST(InstrumentRender, EveryBlockSizeAndRateRendersFiniteSound) {
  CScratchDir dir;
  const std::string midi = dir.File("note.mid");
  WriteNotesFile(midi, {{69, 0.0, 0.04}});
  const std::string out = dir.File("out.wav");
  // Each block size at 44100 Hz and each rate at 137 frames (a size that
  // divides nothing evenly).
  const std::pair<const char*, const char*> setups[] = {
      {"44100", "1"}, {"44100", "137"}, {"44100", "4096"}, {"48000", "137"}, {"96000", "137"}};
  for (const auto& setup : setups) {
    const char* rate = setup.first;
    const char* block = setup.second;
    {
      SCOPED_TRACE(std::string(rate) + " Hz, block " + block);
      std::string messages;
      ASSERT_EQ(Render({"--midi", midi, "--seed", "3", "--tail", "0.02", "--rate", rate,
                        "--block", block, "-o", out},
                       &messages),
                0)
          << messages;
      const STEREO_WAV wav = ReadStereoWav(out);
      ASSERT_TRUE(wav.ok);
      EXPECT_EQ(wav.rate, static_cast<uint32_t>(std::atoi(rate)));
      EXPECT_TRUE(AllFinite(wav));
      float peak = 0.0f;
      for (float s : wav.left) peak = std::max(peak, std::fabs(s));
      EXPECT_GT(peak, 0.01f);
    }
  }
}

TEST(InstrumentRender, PresetFileIsLoadedThroughTheEnginesPresetCode) {
  CScratchDir dir;
  const std::string midi = dir.File("note.mid");
  WriteNotesFile(midi, {{60, 0.0, 0.05}});
  // A preset file from the engine's own preset code, with one host-visible
  // parameter changed from the factory sound.
  const int hostIndex = 7;
  const int id = Params::VstParamToSynthParam(hostIndex);
  const std::string preset = dir.File("changed.p");
  {
    CPresetFile file(nullptr);
    const float factory = (*file.GetBuffer())[id];
    (*file.GetBuffer())[id] = factory > 0.5f ? 0.125f : 0.875f;
    ASSERT_TRUE(file.SaveToFile(nullptr, 0, sizeof(SYNTH_PRESET), preset.c_str(), nullptr, nullptr,
                                nullptr, nullptr));
  }
  const float expected = [&] {
    CPresetFile file(nullptr);
    std::string ignored;
    return (*file.GetBuffer())[id] > 0.5f ? 0.125f : 0.875f;
  }();
  const std::string state = dir.File("state.aupreset"), out = dir.File("out.wav");
  std::string messages;
  ASSERT_EQ(Render({"--midi", midi, "--tail", "0", "--preset", preset, "--save-state", state,
                    "-o", out},
                   &messages),
            0)
      << messages;
  // The unit's saved parameter values hold the preset's value.
  PLIST_VALUE saved;
  std::string error;
  ASSERT_TRUE(CAuPresetFile::Read(state.c_str(), saved, error)) << error;
  const std::vector<uint8_t>& data = saved.Find("data")->bytes;
  auto word = [&](size_t at) {
    return (uint32_t(data[at]) << 24) | (uint32_t(data[at + 1]) << 16) |
           (uint32_t(data[at + 2]) << 8) | uint32_t(data[at + 3]);
  };
  ASSERT_GE(data.size(), 12u + 8u * 333u);
  bool found = false;
  for (size_t at = 12; at + 8 <= data.size(); at += 8) {
    if (word(at) != static_cast<uint32_t>(hostIndex)) continue;
    const uint32_t bits = word(at + 4);
    float value;
    std::memcpy(&value, &bits, 4);
    EXPECT_FLOAT_EQ(value, expected);
    found = true;
  }
  EXPECT_TRUE(found);

  // A damaged preset and a file that is not a whole preset are refused by
  // name, and nothing is written.
  const std::string damaged = dir.File("damaged.p");
  std::vector<uint8_t> bytes = ReadBytes(preset);
  bytes.resize(bytes.size() / 3);
  WriteBytes(damaged, bytes.data(), bytes.size());
  const std::string out2 = dir.File("out2.wav");
  EXPECT_EQ(Render({"--midi", midi, "--preset", damaged, "-o", out2}, &messages), 1);
  EXPECT_EQ(messages, "morlavine-render: " + damaged +
                          ": not a readable preset file (cut short: the parameter block is "
                          "incomplete)\n");
  EXPECT_FALSE(FileExists(out2));
}

namespace {

// Level in dB (both channels) every millisecond from `start` over `ms`, each
// over a window of four periods of A4 (401 frames at 44100 Hz, 4.0009
// periods), so that the oscillators' start phases do not show in it.
std::vector<double> LevelEnvelope(const STEREO_WAV& wav, size_t start, double ms, double rate) {
  const size_t window = 401;
  const size_t step = static_cast<size_t>(rate * 0.001);
  std::vector<double> db;
  for (size_t w = 0; w < static_cast<size_t>(ms); ++w) {
    double sum = 0.0;
    for (size_t i = start + w * step; i < start + w * step + window && i < wav.left.size(); ++i)
      sum += double(wav.left[i]) * wav.left[i] + double(wav.right[i]) * wav.right[i];
    db.push_back(10.0 * std::log10(sum / (2.0 * window) + 1e-30));
  }
  return db;
}

double LevelDb(const STEREO_WAV& wav, size_t from, size_t to) {
  double sum = 0.0;
  for (size_t i = from; i < to && i < wav.left.size(); ++i)
    sum += double(wav.left[i]) * wav.left[i] + double(wav.right[i]) * wav.right[i];
  return 10.0 * std::log10(sum / (2.0 * (to - from)) + 1e-30);
}

// A whole preset with some parameters changed from the factory sound.
void WritePreset(const std::string& path, const std::vector<std::pair<int, float>>& changes) {
  CPresetFile file(nullptr);
  for (const auto& c : changes) (*file.GetBuffer())[c.first] = c.second;
  ASSERT_TRUE(file.SaveToFile(nullptr, 0, sizeof(SYNTH_PRESET), path.c_str(), nullptr, nullptr,
                              nullptr, nullptr));
}

const int AMP_ATTACK_ID = 139;  // the amplitude envelope's attack
const int MAX_VOICES_ID = 490;  // index into 1..8, 12, 16, 32, 64
const float MAX_VOICES_64 = 11.0f;

}  // namespace

// A host loads the sound before playback starts: a note on the first frame
// sounds as the same note half a second later does, whichever way the
// sound came (parameters, a preset, a saved state). The factory sound's
// oscillators run freely from the instrument's start, and A4 runs through
// a whole number of cycles in half a second; the preset and the state
// start their oscillators' phases with each note instead.
TEST(InstrumentRender, NoteAtTimeZeroSoundsLikeTheSameNoteLater) {
  CScratchDir dir;
  const std::string first = dir.File("first.mid"), later = dir.File("later.mid");
  const size_t laterFrame = 22050;
  WriteNotesFile(first, {{69, 0.0, 0.3}});
  WriteNotesFile(later, {{69, 0.5, 0.8}});
  const std::vector<std::pair<int, float>> notFree = {{PARAM_OSC_FREE_PHASE, 0.0f},
                                                      {PARAM_OSC_FREE_PHASE + 1, 0.0f},
                                                      {PARAM_OSC_FREE_PHASE + 2, 0.0f},
                                                      {PARAM_OSC_FREE_PHASE + 3, 0.0f}};
  const std::string preset = dir.File("slow.p"), base = dir.File("base.p");
  std::vector<std::pair<int, float>> slow = notFree;
  slow.push_back({AMP_ATTACK_ID, 0.3f});
  slow.push_back({PARAM_MASTER_LEVEL, 0.3f});
  WritePreset(preset, slow);
  WritePreset(base, notFree);
  const std::string state = dir.File("soft.aupreset");
  ASSERT_EQ(Render({"--midi", first, "--tail", "0", "--preset", base, "--param", "121=0.25",
                    "--param", "116=0.2", "--save-state", state, "-o", dir.File("ignored.wav")}),
            0);

  const std::vector<std::vector<std::string>> sounds = {
      {"--param", "116=0.1"}, {"--preset", preset}, {"--state", state}};
  for (const auto& sound : sounds) {
    SCOPED_TRACE(sound[0] + " " + sound[1]);
    STEREO_WAV wavs[2];
    for (int k = 0; k < 2; ++k) {
      const std::string out = dir.File("out.wav");
      std::vector<std::string> args = {"--midi", k == 0 ? first : later, "--seed", "5", "--tail",
                                       "0.1", "-o", out};
      args.insert(args.end(), sound.begin(), sound.end());
      std::string messages;
      ASSERT_EQ(Render(args, &messages), 0) << messages;
      wavs[k] = ReadStereoWav(out);
      ASSERT_TRUE(wavs[k].ok);
    }
    const std::vector<double> atZero = LevelEnvelope(wavs[0], 0, 50.0, 44100);
    const std::vector<double> atHalf = LevelEnvelope(wavs[1], laterFrame, 50.0, 44100);
    for (size_t w = 0; w < atZero.size(); ++w) {
      SCOPED_TRACE(testing::Message() << w << " ms");
      if (atHalf[w] < -90.0) {
        EXPECT_LT(atZero[w], -90.0);
        continue;
      }
      EXPECT_NEAR(atZero[w], atHalf[w], 0.1);
    }
  }
}

// Settings the instrument applies at a block's start are in place before the
// music: a chord 5 ms in gets the preset's 64 voices at every block size.
TEST(InstrumentRender, EarlyChordHasItsVoicesAtEveryBlockSize) {
  CScratchDir dir;
  std::vector<TEST_NOTE> chord, laterChord;
  for (int k = 0; k < 16; ++k) {
    chord.push_back({36 + 3 * k, 0.005, 0.4});
    laterChord.push_back({36 + 3 * k, 0.505, 0.9});
  }
  const std::string midi = dir.File("chord.mid"), laterMidi = dir.File("later.mid");
  WriteNotesFile(midi, chord);
  WriteNotesFile(laterMidi, laterChord);
  const std::string many = dir.File("many.p"), few = dir.File("few.p");
  WritePreset(many, {{MAX_VOICES_ID, MAX_VOICES_64}});
  WritePreset(few, {{MAX_VOICES_ID, 7.0f}});  // 8 voices

  auto level = [&](const std::string& score, const std::string& preset, const char* block,
                   double start) {
    const std::string out = dir.File("out.wav");
    std::string messages;
    EXPECT_EQ(Render({"--midi", score, "--preset", preset, "--seed", "9", "--block", block,
                      "--tail", "0", "-o", out},
                     &messages),
              0)
        << messages;
    const STEREO_WAV wav = ReadStereoWav(out);
    const size_t from = static_cast<size_t>((start + 0.05) * 44100);
    return LevelDb(wav, from, from + 13230);  // 300 ms of the held chord
  };
  const double reference = level(midi, many, "512", 0.005);
  for (const char* block : {"64", "4096"}) {
    SCOPED_TRACE(block);
    EXPECT_NEAR(level(midi, many, block, 0.005), reference, 0.1);
  }
  // The same chord later (its oscillators start at other phases).
  EXPECT_NEAR(level(laterMidi, many, "512", 0.505), reference, 1.0);
  // Eight voices of the sixteen sound clearly softer: the level tells the
  // number of voices apart.
  EXPECT_LT(level(midi, few, "512", 0.005), reference - 1.5);
}

namespace {

// The program's standard output of a run that must succeed.
std::string StandardOutput(std::vector<std::string> args) {
  args.insert(args.begin(), "morlavine-render");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  FILE* out = std::tmpfile();
  FILE* messages = std::tmpfile();
  const int code = RenderApp::Run(static_cast<int>(argv.size()), argv.data(), out, messages,
                                  MorlavineInstrument::Get());
  std::string text, errors;
  char line[1024];
  std::rewind(out);
  while (std::fgets(line, sizeof(line), out)) text += line;
  std::rewind(messages);
  while (std::fgets(line, sizeof(line), messages)) errors += line;
  std::fclose(out);
  std::fclose(messages);
  EXPECT_EQ(code, 0) << errors;
  return text;
}

}  // namespace

// A preset saved from a sound renders bit for bit as the sound it came from,
// and lists the same parameters.
TEST(InstrumentRender, SavedPresetRendersAndListsAsTheStateItCameFrom) {
  CScratchDir dir;
  const std::string midi = dir.File("phrase.mid");
  WriteShortPhrase(midi);
  const std::string state = dir.File("state.aupreset"), preset = dir.File("saved.p");
  std::string messages;
  ASSERT_EQ(Render({"--midi", midi, "--tail", "0", "--param", "116=0.2", "--param", "28=0.35",
                    "--param", "121=0.1", "--save-state", state, "-o", dir.File("first.wav")},
                   &messages),
            0)
      << messages;
  const std::string a = dir.File("a.wav"), b = dir.File("b.wav");
  ASSERT_EQ(Render({"--midi", midi, "--seed", "3", "--tail", "0.1", "--state", state,
                    "--save-preset", preset, "-o", a},
                   &messages),
            0)
      << messages;
  ASSERT_TRUE(FileExists(preset));
  ASSERT_EQ(Render({"--midi", midi, "--seed", "3", "--tail", "0.1", "--preset", preset, "-o", b},
                   &messages),
            0)
      << messages;
  EXPECT_EQ(ReadBytes(a), ReadBytes(b));

  const std::string fromState = StandardOutput({"--list-params", "--state", state});
  EXPECT_EQ(StandardOutput({"--list-params", "--preset", preset}), fromState);
  // One line per host parameter: id, short name, value.
  EXPECT_EQ(std::count(fromState.begin(), fromState.end(), '\n'), 333);
  EXPECT_NE(fromState.find("116  M Level   0.200000\n"), std::string::npos) << fromState;
  EXPECT_NE(fromState.find(" 28  O1 Cut    0.350000\n"), std::string::npos);
  // --param applies over the loaded sound.
  EXPECT_NE(StandardOutput({"--list-params", "--state", state, "--param", "116=0.75"})
                .find("116  M Level   0.750000\n"),
            std::string::npos);
}
