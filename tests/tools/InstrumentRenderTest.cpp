// The render program with the Morlavine instrument, end to end.
#include <cmath>

#include "MidiTestUtil.h"
#include "ToolsTestUtil.h"
#include "WavTestUtil.h"
#include "engine/GlobalSynth.h"
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
