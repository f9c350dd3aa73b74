#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "CommandHandlerDouble.h"
#include "support/TempDataDir.h"
#include "engine/GlobalSynth.h"
#include "engine/ParamHandler.h"
#include "engine/ParamIds.h"
#include "engine/PresetFile.h"
#include "engine/PresetKinds.h"
#include "osc/WaveLib.h"
#include "tables/PresetFactory.h"

namespace {

typedef std::vector<unsigned char> Bytes;

Bytes ReadAll(const std::string& path) {
  Bytes b;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return b;
  unsigned char chunk[65536];
  size_t n;
  while ((n = fread(chunk, 1, sizeof(chunk), f)) > 0) b.insert(b.end(), chunk, chunk + n);
  fclose(f);
  return b;
}

void WriteAll(const std::string& path, const Bytes& b) {
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, f);
  if (!b.empty()) {
    ASSERT_EQ(b.size(), fwrite(b.data(), 1, b.size(), f));
  }
  fclose(f);
}

// The folder's entries; the data folder layout the instrument lays out in
// its root ("Library") does not count.
unsigned int EntryCount(const std::string& folder) {
  unsigned int n = 0;
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* e = readdir(d))
      if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0 &&
          std::strcmp(e->d_name, "Library") != 0)
        ++n;
    closedir(d);
  }
  return n;
}

void PutWord(Bytes& b, uint32_t w) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(w >> (8 * i)));
}

void SetWord(Bytes& b, size_t at, uint32_t w) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(w >> (8 * i));
}

uint32_t FloatWord(float f) {
  uint32_t w;
  std::memcpy(&w, &f, 4);
  return w;
}

// Everything a load may change in the file object.
struct FILE_STATE {
  std::vector<float> image;
  unsigned int version, kind;
  std::string author, name, path;
  bool operator==(const FILE_STATE& o) const {
    return std::memcmp(image.data(), o.image.data(), image.size() * 4) == 0 && version == o.version &&
           kind == o.kind && author == o.author && name == o.name && path == o.path;
  }
};

class PresetFileTest : public ::testing::Test {
 protected:
  PresetFileTest() : file(&synth) {}

  std::string Path(const std::string& name) { return dir.Path() + "/" + name; }
  FILE_STATE State() {
    FILE_STATE s;
    s.image.assign(file.GetBuffer()->data, file.GetBuffer()->data + PARAM_COUNT);
    s.version = file.GetVersion();
    s.kind = file.GetKind();
    s.author = file.GetAuthor();
    s.name = file.GetName();
    s.path = file.GetPath();
    return s;
  }
  // Gives the double a sample of n frames in oscillator osc, in sample mode.
  void GiveSample(unsigned int osc, unsigned int n, const char* path) {
    std::vector<float> l(n), r(n);
    for (unsigned int i = 0; i < n; ++i) {
      l[i] = 0.1f * static_cast<float>(i + 1);
      r[i] = -0.05f * static_cast<float>(i + 1);
    }
    std::vector<char> name(path, path + std::strlen(path) + 1);
    handler.LoadSampleFromMemory(osc, l.data(), r.data(), n, 22050.0f, name.data());
    handler.SetSampleLoop(osc, 1, n - 1);
    handler.SetSampleRootPitch(osc, 48);
    handler.SetIntParam(PARAM_OSC_MODE + osc, CPresetFile::OSC_MODE_SAMPLE);
  }
  void MarkBuffer() {
    for (unsigned int i = 0; i < PARAM_COUNT; ++i) (*file.GetBuffer())[i] = static_cast<float>(i % 977) * 0.001f;
  }

  CTempDataDir dir;
  CGlobalSynth synth;
  CPresetFile file;
  CCommandHandlerDouble handler;
};

TEST_F(PresetFileTest, ConstructionHoldsTheFactoryPreset) {
  EXPECT_EQ(0, std::memcmp(file.GetBuffer(), &PRESET_FACTORY_RESET, PRESET_BYTES));
  EXPECT_EQ(PRESET_VERSION_V3, file.GetVersion());
  EXPECT_EQ(0u, file.GetKind());
  EXPECT_EQ("Factory reset", file.GetAuthor());
  EXPECT_EQ("Default", file.GetName());
}

TEST_F(PresetFileTest, PresetWithoutSamplesHasTheDocumentedLength) {
  file.SetAuthor("Ann");
  ASSERT_TRUE(file.SaveToFile(&handler, 0, PRESET_BYTES, Path("plain.p").c_str(), nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(268688u, ReadAll(Path("plain.p")).size());
  EXPECT_EQ("plain", file.GetName());
  EXPECT_EQ(Path("plain.p"), file.GetPath());
}

TEST_F(PresetFileTest, AuthorIsCutToItsFieldAndAnEmptyOneReadsAsUnknown) {
  struct Case {
    std::string written, read;
  } cases[] = {{"Ann", "Ann"},
               {"abcdefghijklmnopqrstuvwxyz1234", "abcdefghijklmnopqrstuvwx"},
               {"", "Unknown author"}};
  for (const Case& c : cases) {
    file.SetAuthor(c.written);
    ASSERT_TRUE(file.SaveToFile(&handler, 0, PRESET_BYTES, Path("a.p").c_str(), nullptr, nullptr, nullptr, nullptr));
    file.SetAuthor("other");
    ASSERT_TRUE(file.LoadFromFile(&handler, Path("a.p").c_str(), nullptr, nullptr));
    EXPECT_EQ(c.read, file.GetAuthor());
  }
}

TEST_F(PresetFileTest, SamplesTravelWithThePreset) {
  GiveSample(1, 5, "/some/folder/a_rather_long_sample_name.wav");
  GiveSample(3, 3, "short.wav");
  MarkBuffer();
  const FILE_STATE saved = State();
  ASSERT_TRUE(file.SaveToFile(&handler, 0, PRESET_BYTES, Path("s.p").c_str(), nullptr, nullptr, nullptr, nullptr));

  CCommandHandlerDouble fresh;
  file.Reset(nullptr, true);
  ASSERT_TRUE(file.LoadFromFile(&fresh, Path("s.p").c_str(), nullptr, nullptr));
  EXPECT_EQ(0, std::memcmp(saved.image.data(), file.GetBuffer(), PRESET_BYTES));
  for (unsigned int osc : {1u, 3u}) {
    CCommandHandlerDouble::SAMPLE expected = handler.samples[osc];
    expected.path = expected.path == "short.wav" ? "short" : "a_rather_long_sa";  // 16 bytes of the name
    EXPECT_TRUE(fresh.samples[osc] == expected) << osc;
  }
  EXPECT_TRUE(fresh.samples[0].left.empty());
  EXPECT_EQ(60u, fresh.samples[0].rootPitch);  // untouched
}

TEST_F(PresetFileTest, PresetWithoutSampleBlocksResetsRootPitchesOnly) {
  ASSERT_TRUE(file.SaveToFile(nullptr, 0, PRESET_BYTES, Path("n.p").c_str(), nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(268664u, ReadAll(Path("n.p")).size());
  GiveSample(2, 4, "keep.wav");
  const std::vector<float> kept = handler.samples[2].left;
  ASSERT_TRUE(file.LoadFromFile(&handler, Path("n.p").c_str(), nullptr, nullptr));
  for (unsigned int osc = 0; osc < 4; ++osc) EXPECT_EQ(60u, handler.samples[osc].rootPitch);
  EXPECT_EQ(kept, handler.samples[2].left);
  EXPECT_EQ("keep.wav", handler.samples[2].path);
}

TEST_F(PresetFileTest, OlderVersionsReadTheirShorterBodies) {
  struct Case {
    uint32_t version;
    unsigned int body;
  } cases[] = {{PRESET_VERSION_V1, 6148}, {PRESET_VERSION_V2, 6420}};
  for (const Case& c : cases) {
    Bytes b;
    PutWord(b, c.version);
    PutWord(b, 0);
    b.resize(b.size() + 24, 0);
    for (unsigned int i = 0; i < c.body / 4; ++i) PutWord(b, FloatWord(static_cast<float>(i)));
    WriteAll(Path("old.p"), b);
    ASSERT_TRUE(file.LoadFromFile(&handler, Path("old.p").c_str(), nullptr, nullptr)) << c.body;
    EXPECT_EQ(c.version, file.GetVersion());
    EXPECT_EQ(static_cast<float>(c.body / 4 - 1), (*file.GetBuffer())[c.body / 4 - 1]);
    b.pop_back();  // one byte short of the body
    WriteAll(Path("old.p"), b);
    EXPECT_FALSE(file.LoadFromFile(&handler, Path("old.p").c_str(), nullptr, nullptr)) << c.body;
  }
}

TEST_F(PresetFileTest, FactoryPathGivesTheFactoryImage) {
  MarkBuffer();
  file.SetAuthor("x");
  ASSERT_TRUE(file.LoadFromFile(&handler, PRESET_LOAD_FACTORY_RESET, nullptr, nullptr));
  EXPECT_EQ(0, std::memcmp(file.GetBuffer(), &PRESET_FACTORY_RESET, PRESET_BYTES));
  EXPECT_EQ("Factory reset", file.GetAuthor());
  EXPECT_EQ("Default", file.GetName());
  EXPECT_EQ("", file.GetPath());
  EXPECT_EQ(0u, file.GetKind());
}

TEST_F(PresetFileTest, DefaultPathLoadsTheDefaultPresetOrFallsBackToFactory) {
  MarkBuffer();
  file.SetAuthor("Bea");
  ASSERT_TRUE(file.SaveToFile(&handler, 0, PRESET_BYTES, Path("mine.p").c_str(), nullptr, nullptr, nullptr, nullptr));
  const FILE_STATE mine = State();
  ASSERT_TRUE(file.SaveToFile(&handler, PRESET_KIND_REVERB, 32, Path("rev.mp").c_str(), nullptr, nullptr, nullptr,
                              nullptr));

  struct Case {
    std::string defaultPath;
    bool factory;
  } cases[] = {
      {Path("mine.p"), false},
      {"", true},
      {"?", true},  // must not load itself without end
      {"??", true},
      {Path("missing.p"), true},
      {Path("rev.mp"), true},  // not a whole preset
  };
  for (const Case& c : cases) {
    synth.SetDefaultPresetPath(c.defaultPath);
    file.Reset(nullptr, true);
    file.SetAuthor("x");
    ASSERT_TRUE(file.LoadFromFile(&handler, PRESET_LOAD_FROM_DEFAULT_PRESET, nullptr, nullptr)) << c.defaultPath;
    EXPECT_EQ("", file.GetPath());
    EXPECT_EQ(0u, file.GetKind());
    if (c.factory) {
      EXPECT_EQ(0, std::memcmp(file.GetBuffer(), &PRESET_FACTORY_RESET, PRESET_BYTES)) << c.defaultPath;
      EXPECT_EQ("Factory reset", file.GetAuthor());
    } else {
      EXPECT_EQ(0, std::memcmp(file.GetBuffer(), mine.image.data(), PRESET_BYTES));
      EXPECT_EQ("Bea", file.GetAuthor());
      EXPECT_EQ("mine", file.GetName());
    }
  }
  synth.SetDefaultPresetPath("");
}

TEST_F(PresetFileTest, ModulePresetsCarryOnlyTheirBlock) {
  MarkBuffer();
  file.SetName("Keep");
  ASSERT_TRUE(file.SaveToFile(&handler, PRESET_KIND_REVERB, 32, Path("r.mp").c_str(), nullptr, nullptr, nullptr,
                              nullptr));
  EXPECT_EQ(40u, ReadAll(Path("r.mp")).size());
  const std::vector<float> block(file.GetBuffer()->data, file.GetBuffer()->data + 8);
  file.Reset(nullptr, true);
  file.SetName("Keep");
  ASSERT_TRUE(file.LoadFromFile(&handler, Path("r.mp").c_str(), nullptr, nullptr));
  EXPECT_EQ(PRESET_KIND_REVERB, file.GetKind());
  EXPECT_EQ("", file.GetAuthor());
  EXPECT_EQ("Keep", file.GetName());
  EXPECT_EQ(block, std::vector<float>(file.GetBuffer()->data, file.GetBuffer()->data + 8));
  // The rest of the buffer keeps what it held.
  EXPECT_EQ(PRESET_FACTORY_RESET[8], (*file.GetBuffer())[8]);
  EXPECT_EQ(0u, handler.changes);
}

TEST_F(PresetFileTest, BuiltInWaveReferenceLoadsAsKind17) {
  Bytes b;
  PutWord(b, PRESET_VERSION_V3);
  PutWord(b, PRESET_KIND_WAVE_REF);
  PutWord(b, 7);
  WriteAll(Path("ref.wav"), b);
  ASSERT_TRUE(file.LoadFromFile(&handler, Path("ref.wav").c_str(), nullptr, nullptr));
  EXPECT_EQ(PRESET_KIND_WAVE_REF, file.GetKind());
  EXPECT_EQ(7.0f, (*file.GetBuffer())[0]);

  SetWord(b, 8, 55);  // not a built-in wave
  WriteAll(Path("ref.wav"), b);
  const FILE_STATE before = State();
  EXPECT_FALSE(file.LoadFromFile(&handler, Path("ref.wav").c_str(), nullptr, nullptr));
  EXPECT_TRUE(State() == before);
}

TEST_F(PresetFileTest, WavPathsSaveAndLoadUserWavetables) {
  for (unsigned int k = 0; k < WAVETABLE_LENGTH; ++k)
    (*file.GetBuffer())[k] = 0.5f * std::sin(2.0f * 3.14159265f * static_cast<float>(k) / WAVETABLE_LENGTH);
  // The kind argument does not matter for a ".wav" path.
  ASSERT_TRUE(file.SaveToFile(&handler, PRESET_KIND_ARP, 668, Path("Sine Wave Table Long.wav").c_str(), nullptr,
                              nullptr, nullptr, nullptr));
  EXPECT_EQ(PRESET_KIND_WAVETABLE, file.GetKind());
  file.Reset(nullptr, true);
  ASSERT_TRUE(file.LoadFromFile(&handler, Path("Sine Wave Table Long.wav").c_str(), nullptr, nullptr));
  EXPECT_EQ(PRESET_KIND_WAVETABLE, file.GetKind());
  const float* t = file.GetBuffer()->data;
  EXPECT_NEAR(1.0f, t[WAVETABLE_LENGTH / 4], 1e-4f);  // normalised to a peak of 1
  EXPECT_NEAR(-1.0f, t[3 * WAVETABLE_LENGTH / 4], 1e-4f);
  char name[17] = {0};
  std::memcpy(name, &t[WAVETABLE_LENGTH], 16);
  EXPECT_STREQ("Sine Wave Table", name);  // 15 characters and a zero
}

// The extension decides the format whatever the case of its letters: a
// ".WAV" path is a wavetable, never a preset file under a wave's name.
TEST_F(PresetFileTest, AnUpperCaseWavExtensionStillWritesAWavetable) {
  for (unsigned int k = 0; k < WAVETABLE_LENGTH; ++k) (*file.GetBuffer())[k] = (k % 64) < 32 ? 0.5f : -0.5f;
  ASSERT_TRUE(file.SaveToFile(&handler, PRESET_KIND_SYNTH, PRESET_BYTES, Path("SQUARE.WAV").c_str(), nullptr,
                              nullptr, nullptr, nullptr));
  EXPECT_EQ(PRESET_KIND_WAVETABLE, file.GetKind());
  FILE* f = std::fopen(Path("SQUARE.WAV").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  char head[4] = {0};
  ASSERT_EQ(std::fread(head, 1, 4, f), 4u);
  std::fclose(f);
  EXPECT_EQ(std::string(head, 4), "RIFF");
  ASSERT_TRUE(file.LoadFromFile(&handler, Path("SQUARE.WAV").c_str(), nullptr, nullptr));
  EXPECT_EQ(PRESET_KIND_WAVETABLE, file.GetKind());
}

// Saves go through the shared writer: a failure says why, and a replaced
// file keeps its permission bits and its link.
TEST_F(PresetFileTest, SavesKeepPermissionsAndLinksAndSayWhyTheyFailed) {
  const struct {
    const char* name;
    unsigned int kind;
  } targets[] = {{"p.p", PRESET_KIND_SYNTH}, {"w.wav", PRESET_KIND_WAVETABLE}};
  for (const auto& t : targets) {
    const std::string real = Path(std::string("real-") + t.name);
    ASSERT_TRUE(file.SaveToFile(&handler, t.kind, PRESET_BYTES, real.c_str(), nullptr, nullptr, nullptr, nullptr));
    ASSERT_EQ(chmod(real.c_str(), 0600), 0);
    const std::string link = Path(std::string("link-") + t.name);
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
    ASSERT_TRUE(file.SaveToFile(&handler, t.kind, PRESET_BYTES, link.c_str(), nullptr, nullptr, nullptr, nullptr))
        << file.GetSaveError();
    EXPECT_TRUE(file.GetSaveError().empty());
    struct stat st;
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << t.name;
    ASSERT_EQ(stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u) << t.name;
  }
  ASSERT_EQ(mkfifo(Path("pipe.p").c_str(), 0644), 0);
  const std::string refused[] = {Path("pipe.p"), Path("missing/x.p"), Path("missing/x.wav"), "/dev/null"};
  for (const std::string& path : refused) {
    EXPECT_FALSE(file.SaveToFile(&handler, PRESET_KIND_SYNTH, PRESET_BYTES, path.c_str(), nullptr, nullptr, nullptr,
                                 nullptr))
        << path;
    EXPECT_NE(file.GetSaveError().find(path), std::string::npos) << path << ": " << file.GetSaveError();
  }
  struct stat st;
  ASSERT_EQ(lstat(Path("pipe.p").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(PresetFileTest, ShortWavetablesAreStretchedToTheFullTable) {
  // 600 frames of one sine cycle: interpolated to 1024, then up-sampled.
  std::vector<float> wave(600);
  for (unsigned int i = 0; i < 600; ++i) wave[i] = std::sin(2.0f * 3.14159265f * static_cast<float>(i) / 600.0f);
  float* ch[1] = {wave.data()};
  ASSERT_TRUE(WaveLib::saveToFile(Path("short.wav").c_str(), ch, 1, 44100.0f, 600));
  ASSERT_TRUE(file.LoadWaveTable(Path("short.wav").c_str()));
  const float* t = file.GetBuffer()->data;
  float peak = 0.0f;
  unsigned int peakAt = 0;
  for (unsigned int k = 0; k < WAVETABLE_LENGTH; ++k)
    if (t[k] > peak) peak = t[k], peakAt = k;
  EXPECT_FLOAT_EQ(1.0f, peak);
  // One cycle: the maximum near a quarter of the table (the up-sampler delays
  // a little).
  EXPECT_NEAR(WAVETABLE_LENGTH / 4.0, peakAt, WAVETABLE_LENGTH / 32.0);
}

// A file of a module kind with every byte count short of its block.
TEST_F(PresetFileTest, TruncatedModulePresetsAreRefusedWithoutChange) {
  MarkBuffer();
  ASSERT_TRUE(file.SaveToFile(&handler, PRESET_KIND_DELAY, 44, Path("d.mp").c_str(), nullptr, nullptr, nullptr,
                              nullptr));
  const Bytes whole = ReadAll(Path("d.mp"));
  ASSERT_EQ(52u, whole.size());
  file.Reset(nullptr, true);
  const FILE_STATE before = State();
  for (size_t n = 0; n < whole.size(); ++n) {
    WriteAll(Path("t.mp"), Bytes(whole.begin(), whole.begin() + n));
    EXPECT_FALSE(file.LoadFromFile(&handler, Path("t.mp").c_str(), nullptr, nullptr)) << n;
    EXPECT_TRUE(State() == before) << n;
  }
  EXPECT_EQ(0u, handler.changes);
}

class PresetFileDamageTest : public PresetFileTest {
 protected:
  // A preset with samples in oscillators 1 (3 frames) and 3 (2 frames).
  // Offsets: header 16, osc 0 block 16-19, osc 1 block 20-83 (name 24,
  // loop 40, 44, root 48, rate 52, frames 56, left 60, right 72), osc 2 at
  // 84, osc 3 block 88-143 (rate 120, frames 124), author 144, body 168.
  void SetUp() override {
    GiveSample(1, 3, "one.wav");
    GiveSample(3, 2, "three.wav");
    MarkBuffer();
    ASSERT_TRUE(file.SaveToFile(&handler, 0, PRESET_BYTES, Path("whole.p").c_str(), nullptr, nullptr, nullptr,
                                nullptr));
    whole = ReadAll(Path("whole.p"));
    ASSERT_EQ(168u + PRESET_BYTES, whole.size());
    file.Reset(nullptr, true);
    target.samples[0] = handler.samples[3];  // something to keep
    stateBefore = State();
  }
  void ExpectRefusedWithoutChange(const Bytes& b, const std::string& what) {
    WriteAll(Path("bad.p"), b);
    EXPECT_FALSE(file.LoadFromFile(&target, Path("bad.p").c_str(), nullptr, nullptr)) << what;
    EXPECT_EQ(0u, target.changes) << what;
    EXPECT_TRUE(target.samples[0] == handler.samples[3]) << what;
    EXPECT_TRUE(State() == stateBefore) << what;
  }

  Bytes whole;
  CCommandHandlerDouble target;
  FILE_STATE stateBefore;
};

TEST_F(PresetFileDamageTest, TruncationAnywhereIsRefused) {
  std::vector<size_t> lengths;
  for (size_t n = 0; n <= 172; ++n) lengths.push_back(n);
  for (size_t n : {1000u, 6148u + 168u, 6420u + 168u, 100000u}) lengths.push_back(n);
  lengths.push_back(whole.size() - 1);
  for (size_t n : lengths) ExpectRefusedWithoutChange(Bytes(whole.begin(), whole.begin() + n), std::to_string(n));
  // The whole file loads.
  WriteAll(Path("ok.p"), whole);
  EXPECT_TRUE(file.LoadFromFile(&target, Path("ok.p").c_str(), nullptr, nullptr));
}

TEST_F(PresetFileDamageTest, DamagedFieldsAreRefused) {
  const float nan = std::nanf("");
  struct Case {
    size_t at;
    uint32_t word;
    const char* what;
  } cases[] = {
      {0, 0x04005057, "unknown version"},
      {0, 0, "no version"},
      {4, 18, "unknown kind"},
      {4, 0xFFFFFFFF, "huge kind"},
      {16, 2, "isSample neither 0 nor 1"},
      {56, 4, "frames beyond the left channel's end"},
      {56, 0x10000000, "frames beyond the file"},
      {56, 0xFFFFFFFF, "frames whose byte count overflows 32 bits"},
      {52, FloatWord(nan), "NaN rate"},
      {52, FloatWord(INFINITY), "infinite rate"},
      {52, FloatWord(0.0f), "zero rate"},
      {52, FloatWord(-44100.0f), "negative rate"},
      {88, 7, "isSample of oscillator 3"},
      {124, 0x7FFFFFFF, "frames of oscillator 3"},
      {120, FloatWord(nan), "rate of oscillator 3"},
  };
  for (const Case& c : cases) {
    Bytes b = whole;
    SetWord(b, c.at, c.word);
    ExpectRefusedWithoutChange(b, c.what);
  }
}

TEST_F(PresetFileDamageTest, RefusalsSayWhy) {
  struct Case {
    Bytes bytes;
    PRESET_LOAD_ERROR reason;
    const char* what;
  };
  Bytes badVersion = whole, badKind = whole, badBlock = whole, badRate = whole;
  SetWord(badVersion, 0, 0x04005057);
  SetWord(badKind, 4, 18);
  SetWord(badBlock, 16, 2);
  SetWord(badRate, 52, FloatWord(0.0f));
  Bytes module;
  PutWord(module, PRESET_VERSION_V3);
  PutWord(module, 5);  // a reverb module preset, whole
  module.resize(8 + CParamHandler::GetModuleBlockBytes(PRESET_VERSION_V3, 5));
  const Case cases[] = {
      {Bytes(whole.begin(), whole.begin() + 3), PRESET_LOAD_TOO_SHORT, "three bytes"},
      {badVersion, PRESET_LOAD_BAD_VERSION, "unknown version"},
      {badKind, PRESET_LOAD_BAD_KIND, "unknown kind"},
      {badBlock, PRESET_LOAD_BAD_SAMPLE_BLOCK, "isSample 2"},
      {badRate, PRESET_LOAD_BAD_SAMPLE_BLOCK, "zero rate"},
      {Bytes(whole.begin(), whole.begin() + 70), PRESET_LOAD_BAD_SAMPLE_BLOCK, "cut in a sample"},
      {Bytes(whole.begin(), whole.end() - 1), PRESET_LOAD_SHORT_BODY, "cut in the body"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteAll(Path("bad.p"), c.bytes);
    EXPECT_FALSE(file.LoadFromFile(&target, Path("bad.p").c_str(), nullptr, nullptr));
    EXPECT_EQ(file.GetLoadError(), c.reason);
    EXPECT_FALSE(file.LoadFromMemory(&target, c.bytes.data(), c.bytes.size(), "mem.p"));
    EXPECT_EQ(file.GetLoadError(), c.reason);
    EXPECT_GT(std::strlen(CPresetFile::DescribeLoadError(c.reason)), 5u);
  }
  EXPECT_FALSE(file.LoadFromFile(&target, Path("missing.p").c_str(), nullptr, nullptr));
  EXPECT_EQ(file.GetLoadError(), PRESET_LOAD_CANNOT_OPEN);
  // A module preset is a readable file; only where a whole preset is asked
  // for (the default preset) is it refused as one.
  WriteAll(Path("reverb.mp"), module);
  EXPECT_TRUE(file.LoadFromFile(&target, Path("reverb.mp").c_str(), nullptr, nullptr));
  EXPECT_EQ(file.GetLoadError(), PRESET_LOAD_OK);
  // A good load clears the reason.
  WriteAll(Path("ok.p"), whole);
  EXPECT_FALSE(file.LoadFromFile(&target, Path("missing.p").c_str(), nullptr, nullptr));
  EXPECT_TRUE(file.LoadFromFile(&target, Path("ok.p").c_str(), nullptr, nullptr));
  EXPECT_EQ(file.GetLoadError(), PRESET_LOAD_OK);
}

// The image written to memory is the file SaveToFile writes.
TEST_F(PresetFileDamageTest, SaveToMemoryWritesTheFilesBytes) {
  MarkBuffer();
  ASSERT_TRUE(file.SaveToFile(&handler, 0, PRESET_BYTES, Path("again.p").c_str(), nullptr, nullptr, nullptr,
                              nullptr));
  std::vector<unsigned char> image;
  ASSERT_TRUE(file.SaveToMemory(&handler, 0, PRESET_BYTES, image));
  EXPECT_TRUE(image == ReadAll(Path("again.p")));
}

TEST_F(PresetFileDamageTest, UnterminatedSampleNameStaysInItsField) {
  // A 16-byte name without a zero, followed by loop words that are not text.
  Bytes b = whole;
  std::memset(&b[24], 'N', 16);
  WriteAll(Path("name.p"), b);
  ASSERT_TRUE(file.LoadFromFile(&target, Path("name.p").c_str(), nullptr, nullptr));
  EXPECT_EQ(std::string(16, 'N'), target.samples[1].path);
}

TEST_F(PresetFileTest, FailedSaveKeepsTheOldFileAndReportsIt) {
  const Bytes old(600, 0x5A);
  WriteAll(Path("keep.p"), old);
  struct rlimit saved;
  ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &saved));
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &small));
  const bool ok = file.SaveToFile(&handler, 0, PRESET_BYTES, Path("keep.p").c_str(), nullptr, nullptr, nullptr,
                                  nullptr);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(ok);
  EXPECT_EQ(old, ReadAll(Path("keep.p")));
  EXPECT_EQ(1u, EntryCount(dir.Path()));  // no temporary file left behind
  EXPECT_FALSE(file.SaveToFile(&handler, 0, PRESET_BYTES, Path("no/such/folder.p").c_str(), nullptr, nullptr,
                               nullptr, nullptr));
}

TEST_F(PresetFileTest, CancelledDialogsChangeNothing) {
  const FILE_STATE before = State();
  EXPECT_FALSE(file.LoadFromFile(&handler, nullptr, nullptr, ".p"));
  EXPECT_TRUE(State() == before);
  EXPECT_FALSE(file.SaveToFile(&handler, 0, PRESET_BYTES, nullptr, nullptr, nullptr, ".p", "x"));
  EXPECT_EQ(0u, handler.changes);
}

}  // namespace
