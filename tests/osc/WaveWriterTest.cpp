// Writing 32-bit float WAV files and reading them back.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <csignal>
#include <filesystem>

#include <sys/resource.h>

#include "WavFixture.h"
#include "osc/WavFileSave.h"
#include "osc/WaveLib.h"
#include "osc/WaveTableLoader.h"

using namespace wavtest;

namespace {

uint32_t U32At(const Bytes& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

bool SameBits(float a, float b) { return memcmp(&a, &b, sizeof(float)) == 0; }

}  // namespace

TEST(WaveWriter, StereoHeaderLayout) {
  ScratchDir dir;
  float l[3] = {0.0f, 1.0f, -1.0f};
  float r[3] = {0.5f, -0.5f, 0.25f};
  float* ch[2] = {l, r};
  const std::string path = dir.File("s.wav");
  ASSERT_TRUE(WaveLib::saveToFile(path.c_str(), ch, 2, 48000.9f, 3));
  const Bytes b = ReadAll(path);
  ASSERT_EQ(b.size(), 70u);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
  EXPECT_EQ(U32At(b, 4), 62u);
  EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(U32At(b, 16), 18u);
  EXPECT_EQ(b[20] | b[21] << 8, 3);   // IEEE float
  EXPECT_EQ(b[22] | b[23] << 8, 2);   // channels
  EXPECT_EQ(U32At(b, 24), 48000u);    // rate truncated
  EXPECT_EQ(U32At(b, 28), 48000u * 8);
  EXPECT_EQ(b[32] | b[33] << 8, 8);   // block align
  EXPECT_EQ(b[34] | b[35] << 8, 32);  // bits
  EXPECT_EQ(b[36] | b[37] << 8, 0);   // extra size
  EXPECT_EQ(std::string(b.begin() + 38, b.begin() + 42), "data");
  EXPECT_EQ(U32At(b, 42), 24u);
  // Interleaved frame by frame, channel 0 first.
  float second;
  uint32_t u = U32At(b, 46 + 4);
  memcpy(&second, &u, 4);
  EXPECT_EQ(second, 0.5f);
  EXPECT_EQ(dir.EntryCount(), 1u);  // no temporary file left behind
}

TEST(WaveWriter, FloatFileReadsBackIdentical) {
  ScratchDir dir;
  const uint32_t frames = 5000;  // several read blocks
  std::vector<float> l(frames), r(frames);
  for (uint32_t i = 0; i < frames; ++i) {
    l[i] = std::sin(0.01f * float(i)) * 1.7f;
    r[i] = (i % 7 == 0) ? -0.0f : float(i) * 1e-40f;  // signed zeros and denormals survive
  }
  float* ch[2] = {l.data(), r.data()};
  const std::string path = dir.File("rt.wav");
  ASSERT_TRUE(WaveLib::saveToFile(path.c_str(), ch, 2, 44100.0f, frames));

  FILE* f = fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  const uint32_t size = WaveLib::getFileSize(f);
  ASSERT_TRUE(WaveLib::isValidHeader(f, size));
  WAVEFORMATEX_TAG* fmt = WaveLib::readFormatChunk(f, size);
  ASSERT_NE(fmt, nullptr);
  EXPECT_EQ(fmt->samplesPerSec, 44100u);
  float* back[2] = {nullptr, nullptr};
  uint32_t n = 0;
  ASSERT_TRUE(WaveLib::readDataChunk(f, size, fmt, back, n, nullptr));
  ASSERT_EQ(n, frames);
  for (uint32_t i = 0; i < frames; ++i) {
    ASSERT_TRUE(SameBits(back[0][i], l[i])) << i;
    ASSERT_TRUE(SameBits(back[1][i], r[i])) << i;
  }
  WaveLib::freeChannels(back, 2);
  WaveLib::freeFormatChunk(fmt);
  fclose(f);
}

TEST(WaveWriter, WavetableFileRoundTrip) {
  ScratchDir dir;
  std::vector<float> wave(16384);
  for (size_t i = 0; i < wave.size(); ++i) wave[i] = float(i) / 8192.0f - 1.0f;
  const std::string path = dir.File("table.wav");
  CWavFileSave saver;
  ASSERT_TRUE(saver.Save(path.c_str(), wave.data(), 16384));
  const Bytes b = ReadAll(path);
  ASSERT_EQ(b.size(), 65582u);
  EXPECT_EQ(U32At(b, 24), 44100u);
  EXPECT_EQ(U32At(b, 28), 176400u);
  EXPECT_EQ(U32At(b, 42), 65536u);
  CWaveTableLoader loader;
  ASSERT_TRUE(loader.Load(path.c_str()));
  ASSERT_EQ(loader.GetCount(), 16384u);
  EXPECT_EQ(std::vector<float>(loader.GetSamples(), loader.GetSamples() + 16384), wave);
}

TEST(WaveWriter, InvalidArgumentsCreateNothing) {
  ScratchDir dir;
  float data[4] = {0.1f, 0.2f, 0.3f, 0.4f};
  float* ch[2] = {data, nullptr};
  const std::string path = dir.File("bad.wav");
  const char* p = path.c_str();
  EXPECT_FALSE(WaveLib::saveToFile(nullptr, ch, 1, 44100.0f, 4));
  EXPECT_FALSE(WaveLib::saveToFile(p, nullptr, 1, 44100.0f, 4));
  EXPECT_FALSE(WaveLib::saveToFile(p, ch, 0, 44100.0f, 4));
  EXPECT_FALSE(WaveLib::saveToFile(p, ch, 1, 0.0f, 4));
  EXPECT_FALSE(WaveLib::saveToFile(p, ch, 1, -44100.0f, 4));
  EXPECT_FALSE(WaveLib::saveToFile(p, ch, 1, NAN, 4));
  EXPECT_FALSE(WaveLib::saveToFile(p, ch, 1, INFINITY, 4));
  EXPECT_FALSE(WaveLib::saveToFile(p, ch, 1, 0.5f, 4));  // would be written as rate 0
  EXPECT_FALSE(WaveLib::saveToFile(p, ch, 1, 44100.0f, 0));
  EXPECT_FALSE(WaveLib::saveToFile(p, ch, 2, 44100.0f, 4));  // a null channel
  EXPECT_FALSE(WaveLib::saveToFile(p, ch, 1, 44100.0f, 0x40000000u));  // sizes overflow the header
  CWavFileSave saver;
  EXPECT_FALSE(saver.Save(nullptr, data, 4));
  EXPECT_FALSE(saver.Save(p, nullptr, 4));
  EXPECT_FALSE(saver.Save(p, data, 0));
  EXPECT_EQ(dir.EntryCount(), 0u);
}

TEST(WaveWriter, FailedSaveLeavesNoFile) {
  ScratchDir dir;
  float data[4] = {0.1f, 0.2f, 0.3f, 0.4f};
  float* ch[1] = {data};
  // Into a folder that does not exist.
  const std::string missing = dir.File("no/such/folder/x.wav");
  EXPECT_FALSE(WaveLib::saveToFile(missing.c_str(), ch, 1, 44100.0f, 4));
  EXPECT_FALSE(CWavFileSave().Save(missing.c_str(), data, 4));
  EXPECT_FALSE(std::filesystem::exists(missing));
  EXPECT_EQ(dir.EntryCount(), 0u);

  // Over something that cannot be replaced (a folder): the written temporary
  // file is removed again and the folder stays.
  std::filesystem::create_directories(dir.File("taken/inner"));
  EXPECT_FALSE(WaveLib::saveToFile(dir.File("taken").c_str(), ch, 1, 44100.0f, 4));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("taken")));
  EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(WaveWriter, SaveReplacesAnExistingFile) {
  ScratchDir dir;
  const std::string path = dir.Write("old.wav", Bytes(1000, 0xAB));
  float data[2] = {0.25f, -0.5f};
  ASSERT_TRUE(CWavFileSave().Save(path.c_str(), data, 2));
  EXPECT_EQ(ReadAll(path).size(), 54u);
  EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(WaveWriter, WriteFailurePartWayKeepsTheOldFile) {
  // A file size limit makes the writes fail after the first kilobyte.
  ScratchDir dir;
  const Bytes old(600, 0x5A);
  const std::string path = dir.Write("keep.wav", old);
  std::vector<float> wave(16384, 0.5f);

  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit small = saved;
  small.rlim_cur = 1024;
  void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved1 = CWavFileSave().Save(path.c_str(), wave.data(), 16384);
  float* ch[1] = {wave.data()};
  const bool saved2 = WaveLib::saveToFile(path.c_str(), ch, 1, 44100.0f, 16384);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(saved1);
  EXPECT_FALSE(saved2);
  EXPECT_EQ(ReadAll(path), old);
  EXPECT_EQ(dir.EntryCount(), 1u);  // the partial temporary files are gone
}
