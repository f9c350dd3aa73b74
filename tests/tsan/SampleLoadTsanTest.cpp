// A sample file is read on the editor's thread outside the engine lock and
// handed to the oscillator under it, while the render thread plays the
// previous sample. Meant to run under ThreadSanitizer (MORLAVINE_TSAN=ON).

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "engine/GlobalSynth.h"
#include "engine/ParamIds.h"
#include "engine/VoiceManager.h"
#include "support/TempDataDir.h"

namespace {

// A mono 16-bit WAV file of a sine.
bool WriteSineWav(const std::string& path, uint32_t frames) {
  std::vector<uint8_t> b;
  auto u32 = [&b](uint32_t v) {
    for (int k = 0; k < 4; ++k) b.push_back(static_cast<uint8_t>(v >> (8 * k)));
  };
  auto u16 = [&b](uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
  };
  b.insert(b.end(), {'R', 'I', 'F', 'F'});
  u32(36 + frames * 2);
  b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  u32(16);
  u16(1);
  u16(1);
  u32(44100);
  u32(88200);
  u16(2);
  u16(16);
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  u32(frames * 2);
  for (uint32_t i = 0; i < frames; ++i)
    u16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(10000.0 * std::sin(0.05 * i)))));
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
  return std::fclose(f) == 0 && ok;
}

TEST(SampleLoadTsan, LoadsWhileTheRenderPlaysTheOldSample) {
  CTempDataDir dir;
  const std::string shortWav = dir.Path() + "/short.wav", longWav = dir.Path() + "/long.wav";
  ASSERT_TRUE(WriteSineWav(shortWav, 4000));
  ASSERT_TRUE(WriteSineWav(longWav, 90000));
  CGlobalSynth synth;
  CVoiceManager vm(&synth);
  vm.SetSampleRate(44100.0f);
  vm.SetBlockSize(64);
  ASSERT_TRUE(vm.LoadSample(shortWav.c_str(), 0));
  std::vector<float> left(64), right(64);
  vm.Generate(left.data(), right.data(), 0);

  std::atomic<bool> done{false};
  std::atomic<int> loads{0};
  std::thread editor([&] {
    for (int i = 0; i < 20 && !done.load(); ++i)
      if (vm.LoadSample(i % 2 ? shortWav.c_str() : longWav.c_str(), 0)) ++loads;
  });
  for (int block = 0; block < 400; ++block) {
    if (block % 40 == 0) vm.StartVoice(60 + block % 12, 0.8f, false);
    vm.Generate(left.data(), right.data(), 64);
  }
  done = true;
  editor.join();
  EXPECT_GT(loads.load(), 0);
  float* l = nullptr;
  float* r = nullptr;
  unsigned int frames = 0;
  vm.GetSample(0, &l, &r, frames, nullptr);
  EXPECT_TRUE(frames == 4000u || frames == 90000u);
  EXPECT_EQ(std::string(vm.GetLoadedSamplePath(0)), loads.load() % 2 ? longWav : shortWav);
}

}  // namespace
