#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <vector>

#include "osc/2XDownSampler.h"
#include "osc/2XUpSampler.h"

namespace {

const double PI = 3.14159265358979323846;

std::vector<float> Sine(unsigned int n, double cyclesPerSample) {
  std::vector<float> x(n);
  for (unsigned int i = 0; i < n; ++i) x[i] = static_cast<float>(std::sin(2.0 * PI * cyclesPerSample * i));
  return x;
}

float PeakFrom(const std::vector<float>& x, unsigned int from, unsigned int to) {
  float p = 0.0f;
  for (unsigned int i = from; i < to; ++i) p = std::max(p, std::fabs(x[i]));
  return p;
}

}  // namespace

TEST(TwoXUpSampler, ConstantSettlesToOneOnBothPhases) {
  C2XUpSampler up;
  std::vector<float> in(400, 1.0f), out(800);
  up.Process(in.data(), out.data(), 400, nullptr);
  EXPECT_NEAR(out[798], 1.0f, 1e-5f);
  EXPECT_NEAR(out[799], 1.0f, 1e-5f);
}

TEST(TwoXDownSampler, ConstantSettlesToOne) {
  C2XDownSampler down;
  std::vector<float> data(800, 1.0f);
  down.Process(data.data(), 400);
  EXPECT_NEAR(data[399], 1.0f, 1e-5f);
}

TEST(TwoXDownSampler, LeavesUpperHalfUntouchedAndZeroCountDoesNothing) {
  C2XDownSampler down;
  std::vector<float> data(64);
  for (unsigned int i = 0; i < 64; ++i) data[i] = static_cast<float>(i) * 0.25f - 3.0f;
  std::vector<float> before = data;
  down.Process(data.data(), 0);
  EXPECT_EQ(data, before);
  for (int k = 0; k < 9; ++k) EXPECT_EQ(down.GetState()[k], 0.0f);
  down.Process(data.data(), 32);
  for (unsigned int i = 32; i < 64; ++i) EXPECT_EQ(data[i], before[i]) << i;
}

TEST(TwoXUpSampler, ExternalStateLeavesOwnStateAlone) {
  C2XUpSampler up;
  float external[14] = {};
  std::vector<float> in = Sine(100, 0.03), out(200);
  up.Process(in.data(), out.data(), 100, external);
  for (int k = 0; k < 14; ++k) EXPECT_EQ(up.GetState()[k], 0.0f);
  bool changed = false;
  for (float v : external) changed = changed || v != 0.0f;
  EXPECT_TRUE(changed);

  // The same stream through the object's own state gives the same output.
  C2XUpSampler own;
  std::vector<float> out2(200);
  own.Process(in.data(), out2.data(), 100);
  EXPECT_EQ(out, out2);
}

TEST(TwoXSamplers, BlockByBlockEqualsOneCall) {
  const unsigned int n = 1000;
  std::vector<float> in = Sine(n, 0.0123);
  for (unsigned int i = 0; i < n; ++i) in[i] += 0.3f * static_cast<float>(std::sin(0.91 * i));

  // Up-sampler.
  C2XUpSampler whole, chunks;
  std::vector<float> outWhole(2 * n), outChunks(2 * n);
  whole.Process(in.data(), outWhole.data(), n);
  const unsigned int cuts[] = {0, 1, 17, 256, 257, 700, n};
  for (unsigned int k = 0; k + 1 < sizeof(cuts) / sizeof(cuts[0]); ++k)
    chunks.Process(in.data() + cuts[k], outChunks.data() + 2 * cuts[k], cuts[k + 1] - cuts[k]);
  EXPECT_EQ(outWhole, outChunks);

  // Down-sampler on the 2n up-sampled values, in place.
  C2XDownSampler dWhole, dChunks;
  std::vector<float> a = outWhole, b = outWhole, result(n);
  dWhole.Process(a.data(), n);
  for (unsigned int k = 0; k + 1 < sizeof(cuts) / sizeof(cuts[0]); ++k) {
    const unsigned int len = cuts[k + 1] - cuts[k];
    std::vector<float> chunk(b.begin() + 2 * cuts[k], b.begin() + 2 * cuts[k + 1]);
    dChunks.Process(chunk.data(), len);
    std::memcpy(result.data() + cuts[k], chunk.data(), len * sizeof(float));
  }
  for (unsigned int i = 0; i < n; ++i) ASSERT_EQ(a[i], result[i]) << i;
}

TEST(TwoXSamplers, PassBandKeepsLevelAndStopBandIsAttenuated) {
  // A low tone keeps its level through up- then down-sampling.
  const unsigned int n = 4000;
  std::vector<float> in = Sine(n, 0.01), up(2 * n);
  C2XUpSampler u;
  u.Process(in.data(), up.data(), n);
  EXPECT_NEAR(PeakFrom(up, n, 2 * n), 1.0f, 0.02f);
  C2XDownSampler d;
  d.Process(up.data(), n);
  EXPECT_NEAR(PeakFrom(up, n / 2, n), 1.0f, 0.02f);

  // The up-sampler's image of the low tone (near the new Nyquist) is
  // suppressed: correlate the second half of the doubled stream with it.
  std::vector<float> in2 = Sine(n, 0.01), up2(2 * n);
  C2XUpSampler u2;
  u2.Process(in2.data(), up2.data(), n);
  const double image = 0.5 - 0.005;  // cycles per output sample
  double re = 0.0, im = 0.0;
  for (unsigned int i = n; i < 2 * n; ++i) {
    re += up2[i] * std::cos(2.0 * PI * image * i);
    im += up2[i] * std::sin(2.0 * PI * image * i);
  }
  const double imageLevel = 2.0 * std::sqrt(re * re + im * im) / n;
  EXPECT_LT(imageLevel, 0.005);

  // A tone in the decimator's stop band (0.45 of the input rate, which would
  // alias to 0.05 of the output rate) comes out clearly weaker.
  std::vector<float> high = Sine(2 * n, 0.45);
  C2XDownSampler d2;
  d2.Process(high.data(), n);
  EXPECT_LT(PeakFrom(high, n / 2, n), 0.05f);
}

TEST(TwoXDownSampler, ResponseMatchesItsAllPassBranches) {
  // Branch A (four sections c = 1/8, 3/8, 5/8, 7/8) takes the odd input
  // samples, branch B (c = 2/8, 4/8, 6/8) the even ones; each section is
  // (c + z^-2) / (1 + c z^-2) at the input rate, and the output
  // 0.5 (A(z^2) + z^-1 B(z^2)) is kept at every other sample. A tone of f
  // cycles per input sample thus leaves at the magnitude of that response.
  auto expected = [](double f) {
    const std::complex<double> z2 = std::polar(1.0, -4.0 * PI * f), z1 = std::polar(1.0, -2.0 * PI * f);
    std::complex<double> a = 1.0, b = 1.0;
    for (int k = 1; k <= 7; ++k) {
      const double c = k / 8.0;
      const std::complex<double> section = (c + z2) / (1.0 + c * z2);
      if (k % 2) a *= section;
      else b *= section;
    }
    return std::abs(0.5 * (a + z1 * b));
  };
  const unsigned int n = 8192;
  for (double f : {0.05, 0.18, 0.22, 0.24, 0.26, 0.28, 0.32, 0.4}) {
    SCOPED_TRACE(f);
    std::vector<float> x = Sine(2 * n, f);
    C2XDownSampler d;
    d.Process(x.data(), n);
    // The output tone runs at 2f cycles per output sample (aliased above
    // 0.25); measure it after the filter has settled.
    const double g = 2.0 * f;
    double re = 0.0, im = 0.0;
    const unsigned int from = n / 4;
    for (unsigned int i = from; i < n; ++i) {
      re += x[i] * std::cos(2.0 * PI * g * i);
      im += x[i] * std::sin(2.0 * PI * g * i);
    }
    const double level = 2.0 * std::sqrt(re * re + im * im) / (n - from);
    EXPECT_NEAR(level, expected(f), 2e-3 + 0.01 * expected(f));
  }
}

// The stereo call gives each channel what its own call gives, bit for bit,
// through silence (skipped while the filter rests), sound, and the tail.
TEST(TwoXDownSampler, StereoCallMatchesTwoMonoCallsThroughSilenceAndSound) {
  C2XDownSampler monoL, monoR, stereoL, stereoR;
  unsigned int seed = 7;
  auto noise = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<float>(seed >> 8) / 16777216.0f - 0.5f;
  };
  const unsigned int n = 64;
  for (int block = 0; block < 12; ++block) {
    std::vector<float> l(2 * n, 0.0f), r(2 * n, 0.0f);
    const bool sound = block >= 3 && block < 6;  // silence, sound, then its tail
    if (sound)
      for (unsigned int i = 0; i < 2 * n; ++i) {
        l[i] = noise();
        r[i] = block == 4 ? 0.0f : noise();  // one channel silent for a block
      }
    std::vector<float> ml = l, mr = r;
    monoL.Process(ml.data(), n);
    monoR.Process(mr.data(), n);
    C2XDownSampler::ProcessStereo(stereoL, stereoR, l.data(), r.data(), n);
    ASSERT_EQ(std::memcmp(ml.data(), l.data(), 2 * n * sizeof(float)), 0) << block;
    ASSERT_EQ(std::memcmp(mr.data(), r.data(), 2 * n * sizeof(float)), 0) << block;
    ASSERT_EQ(std::memcmp(monoL.GetState(), stereoL.GetState(), DOWNSAMPLER_STATE_SIZE * sizeof(float)), 0);
  }
}
