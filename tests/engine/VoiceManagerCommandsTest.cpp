#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/TempDataDir.h"
#include "engine/GlobalSynth.h"
#include "engine/ParamIds.h"
#include "engine/Params.h"
#include "engine/PresetFile.h"
#include "engine/PresetKinds.h"
#include "engine/VoiceManager.h"
#include "osc/WaveLib.h"
#include "tables/PresetFactory.h"

namespace {

typedef std::vector<unsigned char> Bytes;

// One engine as the host builds it, without the host object.
struct ENGINE {
  CGlobalSynth synth;
  CVoiceManager vm{&synth};
  ENGINE() {
    vm.SetSampleRate(1000.0f);  // a small rate keeps the recorder's buffer small
    vm.SetBlockSize(64);
  }
  void Block(unsigned int n = 64) {
    std::vector<float> out(2 * n, 0.0f);
    vm.Generate(out.data(), out.data() + n, n);
  }
};

// What a load may change in the engine: the image (values last set) and
// the four oscillators' samples.
struct ENGINE_STATE {
  std::vector<float> image;
  struct OSC {
    std::vector<float> left, right;
    float rate;
    unsigned int loopStart, loopEnd, root;
    std::string path;
  } osc[4];
  bool operator==(const ENGINE_STATE& o) const {
    if (std::memcmp(image.data(), o.image.data(), PRESET_BYTES) != 0) return false;
    for (int k = 0; k < 4; ++k) {
      const OSC &a = osc[k], &b = o.osc[k];
      if (a.left != b.left || a.right != b.right || a.rate != b.rate || a.loopStart != b.loopStart ||
          a.loopEnd != b.loopEnd || a.root != b.root || a.path != b.path)
        return false;
    }
    return true;
  }
};

ENGINE_STATE StateOf(CVoiceManager& vm) {
  ENGINE_STATE s;
  s.image.resize(PARAM_COUNT);
  vm.SavePreset(reinterpret_cast<SYNTH_PRESET*>(s.image.data()), 0, 0);
  for (unsigned int k = 0; k < 4; ++k) {
    float *l = nullptr, *r = nullptr;
    unsigned int n = 0;
    vm.GetSample(k, &l, &r, n, &s.osc[k].rate);
    if (n) {
      s.osc[k].left.assign(l, l + n);
      s.osc[k].right.assign(r, r + n);
    }
    s.osc[k].loopStart = vm.GetSampleLoopStart(k);
    s.osc[k].loopEnd = vm.GetSampleLoopEnd(k);
    s.osc[k].root = vm.GetSampleRootPitch(k);
    s.osc[k].path = vm.GetLoadedSamplePath(k);
  }
  return s;
}

void PutWord(Bytes& b, uint32_t w) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(w >> (8 * i)));
}

void WriteAll(const std::string& path, const Bytes& b) {
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, f);
  if (!b.empty()) {
    ASSERT_EQ(b.size(), fwrite(b.data(), 1, b.size(), f));
  }
  fclose(f);
}

Bytes ReadAll(const std::string& path) {
  Bytes b;
  if (FILE* f = fopen(path.c_str(), "rb")) {
    int c;
    while ((c = fgetc(f)) != EOF) b.push_back(static_cast<unsigned char>(c));
    fclose(f);
  }
  return b;
}

class VoiceManagerCommandsTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) { return dir.Path() + "/" + name; }
  // A stereo WAV of n frames: left rises to 0.5, right falls to -0.25.
  std::string WriteSample(const std::string& name, unsigned int n) {
    std::vector<float> l(n), r(n);
    for (unsigned int i = 0; i < n; ++i) {
      l[i] = 0.5f * static_cast<float>(i + 1) / n;
      r[i] = -0.25f * static_cast<float>(i + 1) / n;
    }
    float* ch[2] = {l.data(), r.data()};
    const std::string path = Path(name);
    EXPECT_TRUE(WaveLib::saveToFile(path.c_str(), ch, 2, 32000.0f, n));
    return path;
  }

  CTempDataDir dir;
};

TEST_F(VoiceManagerCommandsTest, ParameterReadsGiveTheValueSetLast) {
  ENGINE e;
  e.vm.SetIntParam(PARAM_MAX_VOICES, 3);
  EXPECT_EQ(3u, e.vm.GetIntParam(PARAM_MAX_VOICES));
  e.vm.SetFloatParam(500, 0.7f);
  EXPECT_FLOAT_EQ(0.7f, e.vm.GetFloatParam(500));
  EXPECT_NE(0.7f, e.synth.GetParam(500));  // reaches the engine at the next block
  e.Block(0);
  EXPECT_FLOAT_EQ(0.7f, e.synth.GetParam(500));
  e.vm.SetFloatParam(500, 2.9f);
  EXPECT_EQ(2u, e.vm.GetIntParam(500));
  e.vm.SetFloatParam(500, -0.9f);
  EXPECT_EQ(0u, e.vm.GetIntParam(500));
  e.vm.SetFloatParam(500, std::nanf(""));
  EXPECT_EQ(0u, e.vm.GetIntParam(500));
  e.vm.ResetParamToFactory(PARAM_MAX_VOICES);
  EXPECT_EQ(8u, e.vm.GetIntParam(PARAM_MAX_VOICES));
}

int g_panics = 0;
void CountPanic(AudioEffectX*) { ++g_panics; }

TEST_F(VoiceManagerCommandsTest, PresetLoadsAndPanicResetTheHostMidiFirst) {
  ENGINE e;
  std::unique_ptr<SYNTH_PRESET> image(new SYNTH_PRESET());
  e.vm.SavePreset(image.get(), 0, 0);
  g_panics = 0;
  EXPECT_TRUE(e.vm.LoadPreset(image.get(), PRESET_VERSION_V3, 0, 0));  // no host object yet
  EXPECT_EQ(0, g_panics);
  e.vm.SetEffect(reinterpret_cast<AudioEffectX*>(&e));
  e.vm.SetHostPanic(CountPanic);
  EXPECT_TRUE(e.vm.LoadPreset(image.get(), PRESET_VERSION_V3, 0, 0));
  e.vm.Panic();
  EXPECT_EQ(2, g_panics);
}

TEST_F(VoiceManagerCommandsTest, SampleLoadSwitchesModeOnlyWhenTheFileWasRead) {
  ENGINE e;
  const std::string good = WriteSample("kick.wav", 100);
  EXPECT_FALSE(e.vm.LoadSample(good.c_str(), 4));
  EXPECT_TRUE(e.vm.LoadSample(good.c_str(), 2));
  EXPECT_EQ(56u, e.vm.GetIntParam(PARAM_OSC_MODE + 2));
  EXPECT_EQ(good, e.vm.GetLoadedSamplePath(2));
  e.vm.SetSampleLoop(2, 10, 20);
  e.vm.SetIntParam(PARAM_OSC_MODE + 1, 3);
  const ENGINE_STATE before = StateOf(e.vm);
  EXPECT_EQ(100u, before.osc[2].left.size());
  EXPECT_FLOAT_EQ(1.0f, before.osc[2].left[99]);  // scaled to a peak of 1
  EXPECT_EQ(32000.0f, before.osc[2].rate);

  WriteAll(Path("broken.wav"), Bytes(60, 'x'));
  Bytes truncated = ReadAll(good);
  truncated.resize(truncated.size() - 100);
  WriteAll(Path("cut.wav"), truncated);
  for (const std::string& bad : {Path("missing.wav"), Path("broken.wav"), Path("cut.wav")}) {
    EXPECT_FALSE(e.vm.LoadSample(bad.c_str(), 2)) << bad;
    EXPECT_FALSE(e.vm.LoadSample(bad.c_str(), 1)) << bad;
    EXPECT_TRUE(StateOf(e.vm) == before) << bad;  // sample, name, loop and modes kept
  }
}

TEST_F(VoiceManagerCommandsTest, SampleOperationsIgnoreOscillatorsAboveThree) {
  ENGINE e;
  float* l = reinterpret_cast<float*>(8);
  unsigned int n = 77;
  e.vm.GetSample(7, &l, &l, n, nullptr);
  EXPECT_EQ(77u, n);
  EXPECT_EQ(0u, e.vm.GetSampleRootPitch(7));
  EXPECT_EQ(0u, e.vm.GetSampleLoopEnd(7));
  EXPECT_EQ(nullptr, e.vm.GetLoadedSamplePath(7));
  float data[4] = {1, 2, 3, 4};
  char name[] = "x";
  EXPECT_FALSE(e.vm.LoadSampleFromMemory(4, data, data, 4, 44100.0f, name));
  EXPECT_TRUE(e.vm.LoadSampleFromMemory(0, data, data, 4, 44100.0f, name));
  EXPECT_EQ(1u, e.vm.GetIntParam(PARAM_OSC_MODE));  // the mode is left alone
  EXPECT_EQ(60u, e.vm.GetSampleRootPitch(0));
}

TEST_F(VoiceManagerCommandsTest, WavetableOfAnOscillatorComesWithItsName) {
  ENGINE e;
  e.Block(0);  // the oscillators take their wavetables from the store
  std::vector<float> table(WAVETABLE_LENGTH, 0.25f);
  char name[16] = "Flat";
  e.vm.SetOscWaveTable(table.data(), name, 1);
  float* own = nullptr;
  char got[16];
  std::memset(got, 'x', sizeof(got));
  e.vm.GetOscWaveTable(&own, got, 1);
  float* before = own;
  EXPECT_EQ(0, std::memcmp(got, "Default Wave\0\0\0\0", 16));  // not reloaded before the next block
  e.Block(0);
  e.vm.GetOscWaveTable(&own, got, 1);
  EXPECT_EQ(before, own);
  EXPECT_EQ(0, std::memcmp(got, "Flat\0\0\0\0\0\0\0\0\0\0\0\0", 16));
  EXPECT_EQ(0.25f, own[123]);
}

TEST_F(VoiceManagerCommandsTest, PresetWithASampleReloadsIntoAFreshEngine) {
  ENGINE a;
  ASSERT_TRUE(a.vm.LoadSample(WriteSample("Pad Loop.wav", 300).c_str(), 1));
  a.vm.SetSampleLoop(1, 40, 250);
  a.vm.SetSampleRootPitch(1, 67);
  a.vm.SetFloatParam(PARAM_MASTER_LEVEL, 0.33f);
  a.vm.SetIntParam(PARAM_OSC_ON + 1, 1);
  a.Block();
  CPresetFile file(&a.synth);
  const unsigned int size = a.vm.SavePreset(file.GetBuffer(), 0, 0);
  file.SetAuthor("Tester");
  ASSERT_TRUE(file.SaveToFile(&a.vm, 0, size, Path("with sample.p").c_str(), nullptr, nullptr, nullptr, nullptr));
  const ENGINE_STATE saved = StateOf(a.vm);

  ENGINE b;
  CPresetFile reader(&b.synth);
  ASSERT_TRUE(reader.LoadFromFile(&b.vm, Path("with sample.p").c_str(), nullptr, nullptr));
  EXPECT_EQ("Tester", reader.GetAuthor());
  EXPECT_EQ("with sample", reader.GetName());
  ASSERT_TRUE(b.vm.LoadPreset(reader.GetBuffer(), reader.GetVersion(), reader.GetKind(), 0));
  ENGINE_STATE loaded = StateOf(b.vm);
  EXPECT_EQ("Pad Loop", loaded.osc[1].path);  // the stored name, without folder and extension
  loaded.osc[1].path = saved.osc[1].path;
  EXPECT_TRUE(loaded == saved);
  EXPECT_EQ(300u, loaded.osc[1].left.size());
  EXPECT_EQ(40u, loaded.osc[1].loopStart);
  EXPECT_EQ(250u, loaded.osc[1].loopEnd);
  EXPECT_EQ(67u, loaded.osc[1].root);
  EXPECT_EQ(56u, b.vm.GetIntParam(PARAM_OSC_MODE + 1));
}

TEST_F(VoiceManagerCommandsTest, BrokenPresetFilesLeaveTheEngineAsItWas) {
  ENGINE a;
  ASSERT_TRUE(a.vm.LoadSample(WriteSample("s.wav", 50).c_str(), 1));
  CPresetFile file(&a.synth);
  a.vm.SavePreset(file.GetBuffer(), 0, 0);
  ASSERT_TRUE(file.SaveToFile(&a.vm, 0, PRESET_BYTES, Path("p.p").c_str(), nullptr, nullptr, nullptr, nullptr));
  const Bytes whole = ReadAll(Path("p.p"));
  ASSERT_TRUE(file.SaveToFile(&a.vm, PRESET_KIND_MSEG, a.vm.SavePreset(file.GetBuffer(), PRESET_KIND_MSEG, 0),
                              Path("m.mp").c_str(), nullptr, nullptr, nullptr, nullptr));
  const Bytes module = ReadAll(Path("m.mp"));
  ASSERT_EQ(8u + 804u, module.size());

  ENGINE b;
  ASSERT_TRUE(b.vm.LoadSample(WriteSample("other.wav", 20).c_str(), 1));
  b.vm.SetSampleRootPitch(3, 70);
  const ENGINE_STATE before = StateOf(b.vm);
  CPresetFile reader(&b.synth);
  // Every field boundary of the preset (sample block of oscillator 1 from 20
  // to 443, author, body) and of the module preset.
  struct Case {
    const Bytes* file;
    std::vector<size_t> lengths;
  } cases[] = {
      {&whole, {0, 4, 8, 12, 16, 20, 24, 40, 52, 56, 60, 100, 259, 260, 443, 444, 448, 452, 476, 477, 5000,
                whole.size() - 1}},
      {&module, {0, 4, 8, 9, 400, 811}},
  };
  for (const Case& c : cases) {
    for (size_t n : c.lengths) {
      WriteAll(Path("cut.p"), Bytes(c.file->begin(), c.file->begin() + n));
      EXPECT_FALSE(reader.LoadFromFile(&b.vm, Path("cut.p").c_str(), nullptr, nullptr)) << n;
      EXPECT_TRUE(StateOf(b.vm) == before) << n;
    }
  }
}

TEST_F(VoiceManagerCommandsTest, OlderPresetVersionsLoadThroughConversion) {
  ENGINE e;
  CPresetFile file(&e.synth);
  struct Case {
    uint32_t version;
    unsigned int words;
    float level;  // version 1 stored the master level at twice its scale
  } cases[] = {{PRESET_VERSION_V1, 1537, 0.1f}, {PRESET_VERSION_V2, 1605, 0.2f}};
  for (const Case& c : cases) {
    // Master level 0.2 at its place in the version's layout.
    std::vector<float> body(c.words, 0.0f);
    const int at = c.version == PRESET_VERSION_V1 ? Params::Convert_Param_v2_to_Param_v1(PARAM_MASTER_LEVEL)
                                                  : static_cast<int>(PARAM_MASTER_LEVEL);
    ASSERT_GE(at, 0);
    body[at] = 0.2f;
    Bytes b;
    PutWord(b, c.version);
    PutWord(b, 0);
    b.resize(b.size() + 24, 0);
    const unsigned char* raw = reinterpret_cast<const unsigned char*>(body.data());
    b.insert(b.end(), raw, raw + 4 * body.size());
    WriteAll(Path("old.p"), b);
    ASSERT_TRUE(file.LoadFromFile(&e.vm, Path("old.p").c_str(), nullptr, nullptr));
    ASSERT_TRUE(e.vm.LoadPreset(file.GetBuffer(), file.GetVersion(), file.GetKind(), 0));
    EXPECT_FLOAT_EQ(c.level, e.vm.GetFloatParam(PARAM_MASTER_LEVEL)) << std::hex << c.version;
    // The conversion completes the image with the factory wavetables.
    EXPECT_FLOAT_EQ(PRESET_FACTORY_RESET[PARAM_WAVETABLE + 100], e.vm.GetFloatParam(PARAM_WAVETABLE + 100));
  }
}

TEST_F(VoiceManagerCommandsTest, BuiltInWaveReferenceSetsTheOscillatorMode) {
  ENGINE e;
  Bytes b;
  PutWord(b, PRESET_VERSION_V3);
  PutWord(b, PRESET_KIND_WAVE_REF);
  PutWord(b, 7);
  WriteAll(Path("Saw.wav"), b);
  CPresetFile file(&e.synth);
  ASSERT_TRUE(file.LoadFromFile(&e.vm, Path("Saw.wav").c_str(), nullptr, nullptr));
  EXPECT_EQ(17u, file.GetKind());
  ASSERT_TRUE(e.vm.LoadPreset(file.GetBuffer(), file.GetVersion(), file.GetKind(), 2));
  EXPECT_EQ(7u, e.vm.GetIntParam(PARAM_OSC_MODE + 2));
}

TEST_F(VoiceManagerCommandsTest, RecordingGoesIntoAnOscillatorAsACopy) {
  ENGINE e;
  e.vm.ArmRecording();
  e.vm.StartRecording();
  std::vector<float> l(64), r(64);
  e.vm.GetRecorder()->Process(l.data(), r.data(), 0);  // an empty slice is not a full buffer
  for (unsigned int i = 0; i < 64; ++i) l[i] = r[i] = 0.01f * static_cast<float>(i);
  e.vm.GetRecorder()->Process(l.data(), r.data(), 64);
  e.vm.StopRecording();
  e.vm.InsertRecordedSampleToOsc(4);
  EXPECT_EQ(0u, e.vm.GetIntParam(PARAM_OSC_ON + 3));
  e.vm.InsertRecordedSampleToOsc(1);
  EXPECT_EQ(1u, e.vm.GetIntParam(PARAM_OSC_ON + 1));
  EXPECT_EQ(56u, e.vm.GetIntParam(PARAM_OSC_MODE + 1));
  EXPECT_STREQ("Recording", e.vm.GetLoadedSamplePath(1));
  e.vm.DeleteRecordedSample();
  float *sl = nullptr, *sr = nullptr;
  unsigned int n = 0;
  float rate = 0.0f;
  e.vm.GetSample(1, &sl, &sr, n, &rate);
  ASSERT_EQ(64u, n);
  EXPECT_FLOAT_EQ(1.0f, sl[63]);  // the oscillator's copy, scaled to a peak of 1
  EXPECT_EQ(1000.0f, rate);
  // With nothing recorded, inserting changes nothing.
  e.vm.InsertRecordedSampleToOsc(2);
  EXPECT_EQ(0u, e.vm.GetIntParam(PARAM_OSC_ON + 2));
}

TEST_F(VoiceManagerCommandsTest, ArmedRecorderStartsOnANoteAndCapturesTheOutput) {
  ENGINE e;
  e.Block();
  e.vm.StartVoice(60, 1.0f, false);
  EXPECT_FALSE(e.vm.IsRecordingActive());  // not armed
  e.vm.ArmRecording();
  e.synth.SetRecordOnMidiInputFlag(false);
  e.vm.StartVoice(62, 1.0f, false);
  EXPECT_FALSE(e.vm.IsRecordingActive());
  e.synth.SetRecordOnMidiInputFlag(true);
  e.vm.StartVoice(64, 1.0f, false);
  EXPECT_TRUE(e.vm.IsRecordingActive());
  e.Block(64);
  e.Block(32);
  float *l, *r;
  unsigned int n;
  e.vm.GetRecordedSample(&l, &r, n);
  EXPECT_EQ(96u, n);
  e.vm.StartPlayback();
  EXPECT_TRUE(e.vm.IsPlaybackActive());
  e.Block(64);
  e.Block(64);  // the pass of 96 frames ends in this block
  EXPECT_FALSE(e.vm.IsPlaybackActive());
  e.vm.GetRecordedSample(&l, &r, n);
  EXPECT_EQ(96u, n);  // nothing recorded while playing
}

}  // namespace
