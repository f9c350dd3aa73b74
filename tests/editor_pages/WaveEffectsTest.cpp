// The wavetable editor's eight offline wave effects, measured on whole
// waves: what amount 0 leaves, the comb's offset, the squeeze of Width, the
// steps of Decimate, the read runs of Sync, and Fold on damaged input.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <vector>

#include "editor/pages/WTEditorEffects.h"

namespace {

const unsigned int N = CWTEditorEffects::WAVE_SIZE;

std::vector<float> Sine(double cycles, double amplitude = 1.0, double phase = 0.0) {
  std::vector<float> w(N);
  for (unsigned int i = 0; i < N; ++i) w[i] = static_cast<float>(amplitude * std::sin(2 * M_PI * cycles * i / N + phase));
  return w;
}

std::vector<float> Process(unsigned int type, std::vector<float> wave, float amount) {
  CWTEditorEffects fx;
  fx.SetType(type);
  fx.Process(wave.data(), amount);
  return wave;
}

float Peak(const std::vector<float>& w) {
  float p = 0;
  for (float v : w) p = std::fmax(p, std::fabs(v));
  return p;
}

TEST(WaveEffects, AmountZeroLeavesEveryWaveUntouched) {
  // Over-range samples, which Fold would divide and Decimate quantise or
  // rescale, survive bit for bit.
  std::vector<float> wave = Sine(3, 1.7);
  wave[10] = 0.123456f;
  for (unsigned int type = 0; type < CWTEditorEffects::EFFECT_COUNT; ++type) {
    EXPECT_EQ(Process(type, wave, 0.0f), wave) << type;
  }
  // A type out of range does nothing at any amount.
  EXPECT_EQ(Process(8, wave, 1.0f), wave);
}

TEST(WaveEffects, EveryTypeGivesAFiniteBoundedWaveAtEveryAmount) {
  const std::vector<float> wave = Sine(2, 0.8, 0.3);
  for (unsigned int type = 0; type < CWTEditorEffects::EFFECT_COUNT; ++type) {
    for (float a : {0.01f, 0.5f, 1.0f}) {
      std::vector<float> out = Process(type, wave, a);
      for (float v : out) ASSERT_TRUE(std::isfinite(v)) << type << " " << a;
      EXPECT_LE(Peak(out), 1.0f + 1e-5f) << type << " " << a;
      EXPECT_GT(Peak(out), 0.05f) << type << " " << a;
      EXPECT_NE(out, wave) << type << " " << a;
    }
  }
}

TEST(WaveEffects, CombAtFullAmountUsesAnOffsetOf500) {
  EXPECT_EQ(CWTEditorEffects::CombOffset(1.0f), 500u);
  EXPECT_EQ(CWTEditorEffects::CombOffset(0.0f), 8000u);
  // An impulse at 1000 echoes back to 500 and on every 500 samples.
  std::vector<float> wave(N, 0.0f);
  wave[1000] = 1.0f;
  std::vector<float> out = Process(CWTEditorEffects::EFFECT_COMB, wave, 1.0f);
  unsigned int first = N;
  for (unsigned int i = 0; i < N; ++i) {
    if (out[i] == 0.0f) continue;
    if (first == N) first = i;
    EXPECT_EQ(i % 500, 0u) << i;
  }
  EXPECT_EQ(first, 500u);
  // Indices before the start read sample 0 (already changed in place).
  std::vector<float> flat = Process(CWTEditorEffects::EFFECT_COMB, std::vector<float>(N, 0.5f), 1.0f);
  EXPECT_FLOAT_EQ(flat[0], -1.0f);  // 0.5 - (0.5 + 0.5), normalised
  EXPECT_FLOAT_EQ(flat[1], 1.0f);   // 0.5 - (-0.5 + 0.5), normalised
}

TEST(WaveEffects, WidthAtFullAmountKeeps163Samples) {
  EXPECT_EQ(CWTEditorEffects::WidthLength(1.0f), 163u);
  EXPECT_EQ(CWTEditorEffects::WidthLength(0.5f), static_cast<unsigned int>((1.0f - 0.495f) * N));
  const std::vector<float> wave = Sine(1, 0.9, 0.4);
  std::vector<float> out = Process(CWTEditorEffects::EFFECT_WIDTH, wave, 1.0f);
  EXPECT_FLOAT_EQ(out[0], wave[0]);
  EXPECT_FLOAT_EQ(out[162], wave[N - 1]);
  // The squeezed copy still holds one cycle: it reaches both peaks.
  float hi = -2, lo = 2;
  for (unsigned int i = 0; i < 163; ++i) {
    hi = std::fmax(hi, out[i]);
    lo = std::fmin(lo, out[i]);
  }
  EXPECT_NEAR(hi, 0.9f, 0.01f);
  EXPECT_NEAR(lo, -0.9f, 0.01f);
  for (unsigned int i = 163; i < N; ++i) ASSERT_EQ(out[i], 0.0f) << i;
}

TEST(WaveEffects, DecimateAtFullAmountGivesMinusOneZeroAndOne) {
  const std::vector<float> wave = Sine(1, 0.9);
  std::vector<float> out = Process(CWTEditorEffects::EFFECT_DECIMATE, wave, 1.0f);
  std::set<float> values(out.begin(), out.end());
  EXPECT_EQ(values, (std::set<float>{-1.0f, 0.0f, 1.0f}));
  // Halves go away from zero; below half a step is zero.
  for (unsigned int i = 0; i < N; ++i) {
    const float expected = std::fabs(wave[i]) >= 0.5f ? std::copysign(1.0f, wave[i]) : 0.0f;
    ASSERT_EQ(out[i], expected) << i;
  }
  // At a small amount the steps are 1/128 (then rescaled to the peak).
  std::vector<float> fine = Process(CWTEditorEffects::EFFECT_DECIMATE, Sine(1, 1.0), 1e-6f);
  for (float v : fine) ASSERT_NEAR(v * 128.0f, std::round(v * 128.0f), 0.02f);
}

TEST(WaveEffects, SyncReadsInOrderAtSmallAmountsAnd16TimesAtFull) {
  std::vector<float> ramp(N);
  for (unsigned int i = 0; i < N; ++i) ramp[i] = static_cast<float>(i) / N;
  auto wraps = [](const std::vector<float>& w) {
    int n = 0;
    for (unsigned int i = 1; i < N; ++i) n += w[i] < w[i - 1] ? 1 : 0;
    return n;
  };
  std::vector<float> full = Process(CWTEditorEffects::EFFECT_SYNC, ramp, 1.0f);
  EXPECT_GE(wraps(full), 15);
  EXPECT_LE(wraps(full), 16);
  std::vector<float> small = Process(CWTEditorEffects::EFFECT_SYNC, ramp, 0.001f);
  EXPECT_LE(wraps(small), 2);  // only near the very end
  for (unsigned int i = 0; i < N / 2; ++i) ASSERT_NEAR(small[i], ramp[i], 0.01f) << i;
}

// Reflection at +-t, one step at a time: the definition the closed form
// must match.
float FoldByReflection(float x, float t) {
  while (x > t || x < -t) x = x > t ? 2 * t - x : -2 * t - x;
  return x / t;
}

TEST(WaveEffects, FoldMatchesRepeatedReflection) {
  for (float a : {0.1f, 0.5f, 1.0f}) {
    const float t = 1.0f - 0.95f * a;
    for (float x = -7.3f; x <= 7.3f; x += 0.0173f) {
      ASSERT_NEAR(CWTEditorEffects::FoldSample(x, t), FoldByReflection(x, t), 2e-4f) << x << " " << t;
    }
  }
  // Inside the threshold the sample is only rescaled.
  EXPECT_FLOAT_EQ(CWTEditorEffects::FoldSample(0.025f, 0.05f), 0.5f);
}

TEST(WaveEffects, FoldOfADamagedWaveEndsAtOnceWithNonFiniteReadAsZero) {
  const float inf = std::numeric_limits<float>::infinity();
  std::vector<float> wave = Sine(1, 0.5);
  wave[1] = inf;
  wave[2] = -inf;
  wave[3] = std::numeric_limits<float>::quiet_NaN();
  wave[4] = 3.0e38f;
  wave[5] = -1.0e30f;
  std::vector<float> out = Process(CWTEditorEffects::EFFECT_FOLD, wave, 1.0f);
  EXPECT_EQ(out[1], 0.0f);
  EXPECT_EQ(out[2], 0.0f);
  EXPECT_EQ(out[3], 0.0f);
  for (float v : out) {
    ASSERT_TRUE(std::isfinite(v));
    ASSERT_LE(std::fabs(v), 1.0f);
  }
  // The rest of the wave folds as usual: 0.5 at t = 0.05 reflects to 0.
  EXPECT_NEAR(out[N / 4], FoldByReflection(0.5f, 0.05f), 1e-4f);
}

}  // namespace
