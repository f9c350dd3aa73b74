#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "SynthFixture.h"
#include "engine/Buffers.h"
#include "engine/DownSampler.h"
#include "engine/ParamIds.h"

namespace {

const double PI = 3.14159265358979323846;

class DownSamplerTest : public SynthFixture {
 protected:
  DownSamplerTest() : down(&synth) {
    for (auto& m : mixes) m.SetSamplesCount(8 * 256);
    down.SetSampleRate(44100.0f);
  }

  // Fills both channels of both mixes (frames oversampled samples) from f.
  template <typename F>
  void Fill(unsigned int frames, unsigned int offset, F f) {
    for (auto& m : mixes)
      for (unsigned int i = 0; i < frames; ++i) {
        m.GetLeftBuffer()[i] = f(offset + i);
        m.GetRightBuffer()[i] = f(offset + i);
      }
  }

  CDownSampler down;
  CStereoBuffer mixes[2];
};

TEST_F(DownSamplerTest, OneStagePerDoublingOfTheFactor) {
  Set(PARAM_DC_BLOCK_OFF, 1.0f);
  for (unsigned int factor : {2u, 4u, 8u}) {
    synth.SetOversampling(factor);
    down.Reset();
    // A tone of 32 host samples per period, at the oversampled rate.
    const unsigned int hostFrames = 256, frames = hostFrames * factor;
    Fill(frames, 0, [&](unsigned int i) { return static_cast<float>(std::sin(2.0 * PI * i / (32.0 * factor))); });
    down.Process(mixes, frames);
    // After the filters settle, the host-rate block has period 32 and full level.
    const float* l = mixes[1].GetRightBuffer();
    int crossings = 0;
    float peak = 0.0f;
    for (unsigned int i = 64; i < hostFrames; ++i) {
      if ((l[i - 1] < 0.0f) != (l[i] < 0.0f)) ++crossings;
      peak = std::max(peak, std::fabs(l[i]));
    }
    EXPECT_EQ(crossings, 12) << "factor " << factor;  // 192 samples = 6 periods
    EXPECT_NEAR(peak, 1.0f, 0.02f) << "factor " << factor;
  }
}

TEST_F(DownSamplerTest, DcBlockerDecaysConstantUnlessSwitchedOff) {
  synth.SetOversampling(4);
  const unsigned int frames = 4 * 256;
  std::vector<float> out;
  for (int block = 0; block < 20; ++block) {  // about 116 ms
    Fill(frames, 0, [](unsigned int) { return 1.0f; });
    down.Process(mixes, frames);
    out.insert(out.end(), mixes[0].GetLeftBuffer(), mixes[0].GetLeftBuffer() + 256);
  }
  EXPECT_GT(out[40], 0.9f);         // passes at first
  EXPECT_LT(std::fabs(out.back()), 0.01f);  // then decays (15 Hz corner)

  Set(PARAM_DC_BLOCK_OFF, 1.0f);
  down.Reset();
  for (int block = 0; block < 20; ++block) {
    Fill(frames, 0, [](unsigned int) { return 1.0f; });
    down.Process(mixes, frames);
  }
  EXPECT_NEAR(mixes[0].GetLeftBuffer()[255], 1.0f, 1e-4f);
}

TEST_F(DownSamplerTest, NonFiniteInputCostsOnlyThatSample) {
  synth.SetOversampling(2);
  const unsigned int frames = 2 * 256;
  auto tone = [](unsigned int i) { return static_cast<float>(0.5 * std::sin(0.05 * i)); };
  CDownSampler reference(&synth);
  reference.SetSampleRate(44100.0f);
  CStereoBuffer ref[2];
  for (auto& m : ref) m.SetSamplesCount(frames);

  for (unsigned int block = 0; block < 4; ++block) {
    Fill(frames, block * frames, tone);
    for (unsigned int m = 0; m < 2; ++m) {
      std::copy(mixes[m].GetLeftBuffer(), mixes[m].GetLeftBuffer() + frames, ref[m].GetLeftBuffer());
      std::copy(mixes[m].GetRightBuffer(), mixes[m].GetRightBuffer() + frames, ref[m].GetRightBuffer());
    }
    if (block == 1) {
      // NaN and infinity in the synth path; the reference gets silence there.
      mixes[0].GetLeftBuffer()[100] = NAN;
      mixes[1].GetRightBuffer()[7] = INFINITY;
      ref[0].GetLeftBuffer()[100] = 0.0f;
      ref[1].GetRightBuffer()[7] = 0.0f;
    }
    down.Process(mixes, frames);
    reference.Process(ref, frames);
    for (unsigned int m = 0; m < 2; ++m)
      for (unsigned int i = 0; i < 256; ++i) {
        ASSERT_EQ(mixes[m].GetLeftBuffer()[i], ref[m].GetLeftBuffer()[i]) << block << " " << i;
        ASSERT_EQ(mixes[m].GetRightBuffer()[i], ref[m].GetRightBuffer()[i]) << block << " " << i;
      }
  }
  EXPECT_GT(std::fabs(mixes[0].GetLeftBuffer()[200]), 0.01f);
}

TEST_F(DownSamplerTest, OverflowInsideTheFiltersDoesNotSilenceLaterBlocks) {
  synth.SetOversampling(8);
  const unsigned int frames = 8 * 64;
  // Alternating extreme values overflow the all-pass sections to infinity.
  Fill(frames, 0, [](unsigned int i) { return (i & 1) ? 3.0e38f : -3.0e38f; });
  down.Process(mixes, frames);
  for (unsigned int i = 0; i < 64; ++i) ASSERT_TRUE(std::isfinite(mixes[0].GetLeftBuffer()[i])) << i;
  // A normal tone afterwards is heard again.
  for (int block = 0; block < 4; ++block) {
    Fill(frames, block * frames, [](unsigned int i) { return static_cast<float>(std::sin(0.01 * i)); });
    down.Process(mixes, frames);
  }
  float peak = 0.0f;
  for (unsigned int i = 0; i < 64; ++i) {
    ASSERT_TRUE(std::isfinite(mixes[0].GetLeftBuffer()[i]));
    peak = std::max(peak, std::fabs(mixes[0].GetLeftBuffer()[i]));
  }
  EXPECT_GT(peak, 0.3f);
}

}  // namespace
