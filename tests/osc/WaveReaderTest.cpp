// Reading WAV files: sample conversion, format checks, truncated and corrupted
// files.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "WavFixture.h"
#include "osc/SampleLoader.h"
#include "osc/WaveLib.h"
#include "osc/WaveTableLoader.h"

using namespace wavtest;

namespace {

// Loads bytes as a wavetable (first channel, unscaled).
std::vector<float> ReadUnscaled(const ScratchDir& dir, const Bytes& bytes, bool* ok = nullptr) {
  CWaveTableLoader loader;
  const bool loaded = loader.Load(dir.Write("t.wav", bytes).c_str());
  if (ok) *ok = loaded;
  if (!loaded) return {};
  return std::vector<float>(loader.GetSamples(), loader.GetSamples() + loader.GetCount());
}

// A sample loader holding a known two-frame sample, to see whether a failed
// load keeps or drops it.
void Preload(CSampleLoader& loader) {
  const float left[2] = {0.5f, -1.0f};
  const float right[2] = {0.25f, 0.0f};
  ASSERT_TRUE(loader.LoadFromMemory(left, right, 2, 22050.0f));
}

bool HoldsPreload(const CSampleLoader& loader) {
  return loader.GetFrames() == 2 && loader.GetSampleRate() == 22050.0f &&
         loader.GetLeft()[1] == -1.0f && loader.GetRight()[0] == 0.25f;
}

// A valid 16-bit stereo fixture of three frames.
WavLayout Stereo16() {
  WavLayout s;
  s.channels = 2;
  s.data = Pcm16({1000, -2000, 16384, -16384, 32767, -32768});
  return s;
}

}  // namespace

TEST(WaveReader, ConvertsEachBitDepthExactly) {
  ScratchDir dir;
  struct Case {
    const char* name;
    uint16_t tag;
    uint16_t bits;
    Bytes data;
    std::vector<float> expected;
  };
  const Case cases[] = {
      {"8-bit", 1, 8, {0x80, 0xFF, 0x00, 0x81, 0x7F}, {0.0f, 0.9921875f, -1.0f, 0.0078125f, -0.0078125f}},
      {"16-bit", 1, 16, Pcm16({0, -32768, 32767, 16384, -1}),
       {0.0f, -1.0f, 32767.0f / 32768.0f, 0.5f, -1.0f / 32768.0f}},
      {"24-bit", 1, 24, {0x00, 0x00, 0x80, 0x00, 0x00, 0x40, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x01, 0x00, 0x00},
       {-1.0f, 0.5f, -1.0f / 8388608.0f, 8388607.0f / 8388608.0f, 1.0f / 8388608.0f}},
      {"32-bit float", 3, 32, Float32({1.5f, -0.25f, 3.0e-39f, -7.0f}), {1.5f, -0.25f, 3.0e-39f, -7.0f}},
      {"32-bit float extensible", 0xFFFE, 32, Float32({0.125f, -2.0f}), {0.125f, -2.0f}},
      {"32-bit integer", 1, 32, {0, 0, 0, 0x80, 0, 0, 0, 0x40, 0xFF, 0xFF, 0xFF, 0xFF}, {-1.0f, 0.5f, -1.0f / 2147483648.0f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WavLayout s;
    s.tag = c.tag;
    s.bits = c.bits;
    s.fmtSize = c.tag == 0xFFFE ? 40 : 16;
    s.data = c.data;
    bool ok = false;
    const std::vector<float> got = ReadUnscaled(dir, BuildWav(s), &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(got.size(), c.expected.size());
    for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], c.expected[i]) << "sample " << i;
  }
}

TEST(WaveReader, NonFiniteFloatSamplesReadAsZero) {
  ScratchDir dir;
  WavLayout s;
  s.tag = 3;
  s.bits = 32;
  s.data = Float32({0.5f, NAN, INFINITY, -INFINITY, -0.75f});
  bool ok = false;
  const std::vector<float> got = ReadUnscaled(dir, BuildWav(s), &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(got, (std::vector<float>{0.5f, 0.0f, 0.0f, 0.0f, -0.75f}));

  CSampleLoader sample;
  ASSERT_TRUE(sample.Load(dir.Write("s.wav", BuildWav(s)).c_str()));
  EXPECT_FLOAT_EQ(sample.GetLeft()[4], -1.0f);
  EXPECT_FLOAT_EQ(sample.GetLeft()[0], 0.5f / 0.75f);
}

// Header variants: which load, which fail in the header or format checks (the
// previous sample stays) and which fail at the data chunk (the loader is left
// empty).
TEST(WaveReader, AcceptsAndRefusesHeaderVariants) {
  enum Outcome { LOADS, KEEPS_PREVIOUS, LEAVES_EMPTY };
  struct Case {
    const char* name;
    Outcome outcome;
    WavLayout layout;
  };
  std::vector<Case> cases;
  auto add = [&](const char* name, Outcome o, auto mutate) {
    WavLayout s = Stereo16();
    mutate(s);
    cases.push_back({name, o, s});
  };
  Bytes list;
  PutTag(list, "LIST");
  PutU32(list, 6);
  for (int i = 0; i < 6; ++i) list.push_back('x');

  add("plain 16-bit stereo", LOADS, [](WavLayout&) {});
  add("unrelated chunk between fmt and data", LOADS, [&](WavLayout& s) { s.chunkBetween = list; });
  add("data before fmt", LEAVES_EMPTY, [](WavLayout& s) { s.dataFirst = true; });
  add("fmt of 18 bytes", LOADS, [](WavLayout& s) { s.fmtSize = 18; });
  add("extensible fmt of 40 bytes", LOADS, [](WavLayout& s) { s.tag = 0xFFFE; s.fmtSize = 40; });
  add("fmt of 14 bytes", KEEPS_PREVIOUS, [](WavLayout& s) { s.fmtSize = 14; });
  add("format tag 2", KEEPS_PREVIOUS, [](WavLayout& s) { s.tag = 2; });
  add("block align disagrees", KEEPS_PREVIOUS, [](WavLayout& s) { s.blockAlign = 6; s.avgBytes = 44100 * 6; });
  add("byte rate disagrees", KEEPS_PREVIOUS, [](WavLayout& s) { s.avgBytes = 44100 * 4 + 1; });
  add("byte rate matches only modulo 2^32", KEEPS_PREVIOUS,
      [](WavLayout& s) { s.rate = 0x40000000u + 1; s.avgBytes = 4; });
  add("no channels", KEEPS_PREVIOUS, [](WavLayout& s) { s.channels = 0; s.blockAlign = 4; });
  add("rate 0", KEEPS_PREVIOUS, [](WavLayout& s) { s.rate = 0; s.avgBytes = 0; });
  add("12 bits in 2 bytes", KEEPS_PREVIOUS, [](WavLayout& s) { s.bits = 12; s.blockAlign = 4; });
  add("64-bit float", LEAVES_EMPTY, [](WavLayout& s) {
    s.tag = 3;
    s.bits = 64;
    s.data = Bytes(32, 0);
  });
  add("data size 0", LEAVES_EMPTY, [](WavLayout& s) { s.dataSize = 0; });
  add("data size not whole frames", LEAVES_EMPTY, [](WavLayout& s) { s.dataSize = 10; });
  add("data size past the end", LEAVES_EMPTY, [](WavLayout& s) { s.dataSize = 16; });
  add("data size near 4 GiB", LEAVES_EMPTY, [](WavLayout& s) { s.dataSize = 0xFFFFFFFCu; });

  ScratchDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.Write("h.wav", BuildWav(c.layout));
    CSampleLoader sample;
    Preload(sample);
    const bool ok = sample.Load(path.c_str());
    EXPECT_EQ(ok, c.outcome == LOADS);
    if (c.outcome == LOADS) {
      ASSERT_EQ(sample.GetFrames(), 3u);
      EXPECT_FLOAT_EQ(sample.GetLeft()[0], 1000.0f / 32768.0f);
      EXPECT_FLOAT_EQ(sample.GetRight()[2], -1.0f);
    } else if (c.outcome == KEEPS_PREVIOUS) {
      EXPECT_TRUE(HoldsPreload(sample));
    } else {
      EXPECT_EQ(sample.GetFrames(), 0u);
      EXPECT_EQ(sample.GetLeft(), nullptr);
      EXPECT_EQ(sample.GetRight(), nullptr);
    }
    CWaveTableLoader table;
    EXPECT_EQ(table.Load(path.c_str()), c.outcome == LOADS);
  }
}

TEST(WaveReader, RefusesWhatIsNotRiffWave) {
  ScratchDir dir;
  Bytes good = BuildWav(Stereo16());
  Bytes noRiff = good;
  noRiff[3] = 'X';
  Bytes noWave = good;
  noWave[8] = 'w';
  for (const Bytes& b : {noRiff, noWave, Bytes(), Bytes(good.begin(), good.begin() + 11)}) {
    CSampleLoader sample;
    Preload(sample);
    EXPECT_FALSE(sample.Load(dir.Write("x.wav", b).c_str()));
    EXPECT_TRUE(HoldsPreload(sample));
  }
  CSampleLoader sample;
  Preload(sample);
  EXPECT_FALSE(sample.Load(dir.File("missing.wav").c_str()));
  EXPECT_FALSE(sample.Load(nullptr));
  EXPECT_TRUE(HoldsPreload(sample));
}

TEST(WaveReader, EveryTruncationFailsCleanly) {
  ScratchDir dir;
  WavLayout s = Stereo16();
  Bytes list;
  PutTag(list, "LIST");
  PutU32(list, 4);
  PutTag(list, "INFO");
  s.chunkBetween = list;
  const Bytes full = BuildWav(s);
  ASSERT_TRUE(CSampleLoader().Load(dir.Write("full.wav", full).c_str()));
  for (size_t len = 0; len < full.size(); ++len) {
    SCOPED_TRACE(len);
    const std::string path = dir.Write("cut.wav", Bytes(full.begin(), full.begin() + len));
    CSampleLoader sample;
    Preload(sample);
    EXPECT_FALSE(sample.Load(path.c_str()));
    // Either the previous sample stands or the loader is empty; never a part.
    EXPECT_TRUE(HoldsPreload(sample) || (sample.GetFrames() == 0 && !sample.GetLeft()));
    CWaveTableLoader table;
    EXPECT_FALSE(table.Load(path.c_str()));
    EXPECT_EQ(table.GetCount(), 0u);
  }
}

TEST(WaveReader, HeaderByteFlipsFail) {
  // Every header byte matters except the RIFF size, which is not read.
  ScratchDir dir;
  const Bytes full = BuildWav(Stereo16());
  const size_t headerBytes = 44;
  for (uint8_t mask : {uint8_t(0xFF), uint8_t(0x01), uint8_t(0x80)}) {
    for (size_t at = 0; at < headerBytes; ++at) {
      SCOPED_TRACE(testing::Message() << "offset " << at << " mask " << int(mask));
      Bytes b = full;
      b[at] ^= mask;
      const bool ignored = at >= 4 && at < 8;
      CSampleLoader sample;
      EXPECT_EQ(sample.Load(dir.Write("flip.wav", b).c_str()), ignored);
      if (ignored) {
        ASSERT_EQ(sample.GetFrames(), 3u);
      } else {
        EXPECT_EQ(sample.GetFrames(), 0u);
      }
    }
  }
}

TEST(WaveReader, ReaderStopsAtTheDataChunkEnd) {
  // Trailing bytes after the data chunk are not samples.
  ScratchDir dir;
  Bytes b = BuildWav(Stereo16());
  const Bytes trailer = Pcm16({123, 456, 789, 1011});
  b.insert(b.end(), trailer.begin(), trailer.end());
  FILE* f = fopen(dir.Write("trail.wav", b).c_str(), "rb");
  ASSERT_NE(f, nullptr);
  const uint32_t size = WaveLib::getFileSize(f);
  EXPECT_EQ(size, b.size());
  ASSERT_TRUE(WaveLib::isValidHeader(f, size));
  WAVEFORMATEX_TAG* fmt = WaveLib::readFormatChunk(f, size);
  ASSERT_NE(fmt, nullptr);
  EXPECT_EQ(fmt->extraSize, 0);
  float* ch[2] = {nullptr, nullptr};
  uint32_t frames = 99;
  float peak = 0;
  ASSERT_TRUE(WaveLib::readDataChunk(f, size, fmt, ch, frames, &peak));
  EXPECT_EQ(frames, 3u);
  EXPECT_EQ(peak, -1.0f);  // -32768 beats 32767 in magnitude
  EXPECT_EQ(ch[1][2], -1.0f);
  WaveLib::freeChannels(ch, 2);
  WaveLib::freeFormatChunk(fmt);
  fclose(f);
}

TEST(SampleLoader, MonoFileGivesEqualChannels) {
  ScratchDir dir;
  WavLayout s;
  s.rate = 48000;
  s.data = Pcm16({100, -200, 300, 50});
  CSampleLoader sample;
  ASSERT_TRUE(sample.Load(dir.Write("m.wav", BuildWav(s)).c_str()));
  ASSERT_EQ(sample.GetFrames(), 4u);
  EXPECT_EQ(sample.GetSampleRate(), 48000.0f);
  EXPECT_NE(sample.GetLeft(), sample.GetRight());
  for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(sample.GetLeft()[i], sample.GetRight()[i]);
  EXPECT_FLOAT_EQ(sample.GetLeft()[2], 1.0f);
  EXPECT_FLOAT_EQ(sample.GetLeft()[1], -200.0f / 300.0f);
}

TEST(SampleLoader, NormalisesByPeakKeepingPolarity) {
  ScratchDir dir;
  WavLayout s;
  s.tag = 3;
  s.bits = 32;
  s.channels = 2;
  s.data = Float32({0.125f, 0.0f, -0.25f, 0.1f, 0.25f, 0.0f});  // -0.25 first: it stays the peak
  CSampleLoader sample;
  ASSERT_TRUE(sample.Load(dir.Write("p.wav", BuildWav(s)).c_str()));
  EXPECT_EQ(sample.GetLeft()[1], -1.0f);
  EXPECT_EQ(sample.GetLeft()[0], 0.5f);
  EXPECT_EQ(sample.GetLeft()[2], 1.0f);
  EXPECT_FLOAT_EQ(sample.GetRight()[1], 0.4f);

  WavLayout silent;
  silent.tag = 3;
  silent.bits = 32;
  silent.data = Float32({0.0f, 1e-13f, -1e-13f});
  ASSERT_TRUE(sample.Load(dir.Write("q.wav", BuildWav(silent)).c_str()));
  EXPECT_EQ(sample.GetLeft()[1], 1e-13f);
  EXPECT_EQ(sample.GetRight()[2], -1e-13f);
}

TEST(SampleLoader, FourChannelFileKeepsItsFirstChannels) {
  ScratchDir dir;
  WavLayout s;
  s.channels = 4;
  // Channels 2 and 3 are louder; they are dropped and do not set the scale.
  s.data = Pcm16({1000, -2000, 30000, -30000, 4000, 500, 20000, 10000});
  const std::string path = dir.Write("quad.wav", BuildWav(s));
  CSampleLoader sample;
  ASSERT_TRUE(sample.Load(path.c_str()));
  ASSERT_EQ(sample.GetFrames(), 2u);
  EXPECT_FLOAT_EQ(sample.GetLeft()[0], 0.25f);
  EXPECT_FLOAT_EQ(sample.GetLeft()[1], 1.0f);
  EXPECT_FLOAT_EQ(sample.GetRight()[0], -0.5f);
  EXPECT_FLOAT_EQ(sample.GetRight()[1], 0.125f);

  CWaveTableLoader table;
  ASSERT_TRUE(table.Load(path.c_str()));
  ASSERT_EQ(table.GetCount(), 2u);
  EXPECT_EQ(table.GetSamples()[0], 1000.0f / 32768.0f);
  EXPECT_EQ(table.GetSamples()[1], 4000.0f / 32768.0f);
}

TEST(SampleLoader, LoadFromMemoryCopiesAndNormalises) {
  float left[3] = {0.1f, -0.2f, 0.05f};
  float right[3] = {0.0f, 0.1f, NAN};
  CSampleLoader sample;
  ASSERT_TRUE(sample.LoadFromMemory(left, right, 3, 96000.0f));
  left[0] = 9.0f;  // the loader keeps its own copy
  EXPECT_EQ(sample.GetFrames(), 3u);
  EXPECT_EQ(sample.GetSampleRate(), 96000.0f);
  EXPECT_FLOAT_EQ(sample.GetLeft()[0], 0.5f);
  EXPECT_FLOAT_EQ(sample.GetLeft()[1], -1.0f);
  EXPECT_FLOAT_EQ(sample.GetRight()[1], 0.5f);
  EXPECT_EQ(sample.GetRight()[2], 0.0f);

  // Refused input keeps the sample; 0 frames empties the loader.
  EXPECT_FALSE(sample.LoadFromMemory(nullptr, right, 3, 44100.0f));
  EXPECT_FALSE(sample.LoadFromMemory(left, right, 3, NAN));
  EXPECT_FALSE(sample.LoadFromMemory(left, right, 3, 0.0f));
  EXPECT_FALSE(sample.LoadFromMemory(left, right, 3, INFINITY));
  EXPECT_EQ(sample.GetFrames(), 3u);
  EXPECT_FLOAT_EQ(sample.GetLeft()[0], 0.5f);
  EXPECT_TRUE(sample.LoadFromMemory(nullptr, nullptr, 0, 0.0f));
  EXPECT_EQ(sample.GetFrames(), 0u);
  EXPECT_EQ(sample.GetLeft(), nullptr);

  // A missing right channel copies the left one.
  ASSERT_TRUE(sample.LoadFromMemory(left, nullptr, 2, 44100.0f));
  EXPECT_EQ(sample.GetRight()[0], 1.0f);
  EXPECT_FLOAT_EQ(sample.GetRight()[1], -0.2f / 9.0f);
}
