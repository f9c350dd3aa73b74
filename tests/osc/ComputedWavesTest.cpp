// What the phase-modulation, resonant, sync and formant waves (modes 4 to
// 25) share: they sound at the note's pitch, their key-faded morphs vanish
// above the key range, they take the buzz and feedback inputs of the render
// frame (null meaning none), and extreme or invalid settings leave them
// finite with every table read inside its table.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "WaveRun.h"

namespace {

const float FIRST_MODE = 4.0f, LAST_MODE = 25.0f;

typedef void (COscillator::*ROUTINE)(CVoice*, float*, unsigned int);
const ROUTINE ROUTINES[] = {
    &COscillator::GeneratePowerWave1, &COscillator::GeneratePowerWave2, &COscillator::GeneratePowerWave3,
    &COscillator::GeneratePowerWave4, &COscillator::GeneratePowerWave5, &COscillator::GeneratePowerWave6,
    &COscillator::GeneratePowerWave7, &COscillator::GenerateResonant1,  &COscillator::GenerateResonant2,
    &COscillator::GenerateResonant3,  &COscillator::GenerateResonant4,  &COscillator::GenerateResonant5,
    &COscillator::GenerateSync1,      &COscillator::GenerateSync2,      &COscillator::GenerateSync3,
    &COscillator::GenerateSync4,      &COscillator::GenerateSync5,      &COscillator::GenerateSync6,
    &COscillator::GenerateFormant1,   &COscillator::GenerateFormant2,   &COscillator::GenerateFormant3,
    &COscillator::GenerateFormant4};

ROUTINE RoutineOf(float mode) { return ROUTINES[static_cast<int>(mode) - 4]; }

double MeanSquare(const std::vector<float>& x) {
  double s = 0.0;
  for (float v : x) s += static_cast<double>(v) * v;
  return s / static_cast<double>(x.size());
}

}  // namespace

TEST(ComputedWaves, EveryModeSoundsAtTheNotesPitch) {
  // Nearly all of the energy lies on the harmonics of the note's frequency
  // (the wave repeats once per period, whatever its slave ratios), and the
  // odd harmonics carry some of it (the period is not half as long).
  for (float mode = FIRST_MODE; mode <= LAST_MODE; mode += 1.0f) {
    SCOPED_TRACE(mode);
    WAVE_RUN r = RenderMode(mode, 57, 0.5f, 0.5f, 24, 2);
    const double dc = Mean(r.y);
    const double total = MeanSquare(r.y) - dc * dc;
    ASSERT_GT(total, 0.001) << "silent";
    double grid = 0.0, odd = 0.0;
    for (int h = 1; h <= 64; ++h) {
      double a = Harmonic(r, h);
      grid += 0.5 * a * a;
      if (h % 2) odd += 0.5 * a * a;
    }
    EXPECT_GT(grid / total, 0.95);
    EXPECT_GT(odd / total, 0.01);
  }
}

TEST(ComputedWaves, KeyFadedMorphsVanishAboveTheKeyRange) {
  struct {
    float mode;
    int note;  // above the wave's upper key limit
    bool xFades, yFades;
  } cases[] = {{4, 112, true, true},  {5, 112, true, true},  {6, 112, true, true},
               {7, 112, true, true},  {8, 112, true, true},  {9, 127, true, true},
               {10, 127, true, true}, {11, 112, true, false},  // Resonant 1: Y blends r into r^2 at any pitch
               {19, 112, false, true}};                        // Sync 4: X sets the ratio at any pitch
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    WAVE_RUN plain = RenderMode(c.mode, c.note, 0.0f, 0.0f, 20);
    WAVE_RUN xOnly = RenderMode(c.mode, c.note, 1.0f, 0.0f, 20);
    WAVE_RUN yOnly = RenderMode(c.mode, c.note, 0.0f, 1.0f, 20);
    EXPECT_EQ(plain.y == xOnly.y, c.xFades);
    EXPECT_EQ(plain.y == yOnly.y, c.yFades);
    // On a low note both morphs count.
    WAVE_RUN low = RenderMode(c.mode, 48, 0.0f, 0.0f, 4);
    EXPECT_NE(low.y, RenderMode(c.mode, 48, 1.0f, 0.0f, 4).y);
    EXPECT_NE(low.y, RenderMode(c.mode, 48, 0.0f, 1.0f, 4).y);
  }
}

TEST(ComputedWaves, BuzzAndFeedbackInputsOfTheFrame) {
  // Two voices from the same start: one renders with no buzz or feedback
  // buffer, the other with the given amounts.
  COscFixture f(4, 64);
  f.Set(PARAM_OSC_MORPH_X, 0.4f);
  f.Set(PARAM_OSC_MORPH_Y, 0.4f);
  auto renderPair = [&f](float mode, int note, float buzz, float feedback) {
    f.Set(PARAM_OSC_MODE, mode);
    auto a = f.NewVoice(note), b = f.NewVoice(note);
    f.Start(a.get());
    f.Start(b.get());
    std::vector<float> buzzBuf(f.hostBlock, buzz), fbBuf(f.hostBlock, feedback);
    std::vector<float> ya(f.OscBlock()), yb(f.OscBlock());
    std::vector<float> outA, outB;
    for (int block = 0; block < 6; ++block) {
      // A block through the oscillator publishes the pitch buffer.
      f.Block(a.get());
      f.synth.SetBuzzParam(0, nullptr);
      f.synth.SetFeedbackParam(0, nullptr);
      (f.osc[0].get()->*RoutineOf(mode))(a.get(), ya.data(), f.OscBlock());
      f.Block(b.get());
      f.synth.SetBuzzParam(0, buzzBuf.data());
      f.synth.SetFeedbackParam(0, fbBuf.data());
      (f.osc[0].get()->*RoutineOf(mode))(b.get(), yb.data(), f.OscBlock());
      f.synth.SetBuzzParam(0, nullptr);
      f.synth.SetFeedbackParam(0, nullptr);
      outA.insert(outA.end(), ya.begin(), ya.end());
      outB.insert(outB.end(), yb.begin(), yb.end());
    }
    return std::make_pair(outA, outB);
  };
  for (float mode = FIRST_MODE; mode <= LAST_MODE; mode += 1.0f) {
    SCOPED_TRACE(mode);
    // Buffers of zero amounts change nothing.
    auto zero = renderPair(mode, 36, 0.0f, 0.0f);
    EXPECT_EQ(zero.first, zero.second);
    // Buzz on a low note and feedback each bend the phase, finitely.
    auto buzz = renderPair(mode, 36, 1.0f, 0.0f);
    EXPECT_NE(buzz.first, buzz.second);
    auto fb = renderPair(mode, 36, 0.0f, 0.5f);
    EXPECT_NE(fb.first, fb.second);
    for (float v : fb.second) ASSERT_TRUE(std::isfinite(v));
    // Above 350 Hz the buzz is faded out completely.
    auto highBuzz = renderPair(mode, 70, 1.0f, 0.0f);
    EXPECT_EQ(highBuzz.first, highBuzz.second);
  }
}

TEST(ComputedWaves, ExtremeAndInvalidSettingsStayFiniteAndInsideTheTables) {
  // Morph values the store does not keep in 0..1, or NaN written into the
  // value buffers, at both ends of the pitch range and both ends of the
  // oversampling range, with FM and ring modulation from a partner. Under
  // the sanitizers every table read is also checked.
  const float bad[] = {NAN, INFINITY, -INFINITY, 1e30f, -1e30f, 7.0f, -3.0f};
  struct {
    unsigned int os;
    int note;
    float octave;
  } tunings[] = {{8, 0, -5.0f}, {2, 127, 4.0f}};
  for (const auto& t : tunings) {
    COscFixture f(t.os, 64);
    for (float mode = FIRST_MODE; mode <= LAST_MODE; mode += 1.0f) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " note " << t.note << " at " << t.os << "x");
      f.Set(PARAM_OSC_MODE, mode);
      f.Set(PARAM_OSC_OCTAVE, t.octave);
      f.Set(PARAM_OSC_ON + 1, 1.0f);
      f.Set(PARAM_OSC_MODE + 1, mode);
      f.Set(PARAM_OSC_FM, 1.0f);
      f.Set(PARAM_OSC_RM, 0.5f);
      f.Set(PARAM_OSC_MORPH_X, 0.5f);
      f.Set(PARAM_OSC_MORPH_Y, 0.5f);
      auto voice = f.NewVoice(t.note);
      f.Start(voice.get());
      std::vector<float> y(f.OscBlock());
      for (float v : bad) {
        f.Block(voice.get());
        for (unsigned int id : {PARAM_OSC_MORPH_X, PARAM_OSC_MORPH_Y}) {
          float* values = f.synth.GetParamPointer(id);
          std::fill(values, values + f.hostBlock, v);
        }
        (f.osc[0].get()->*RoutineOf(mode))(voice.get(), y.data(), f.OscBlock());
        for (float s : y) ASSERT_TRUE(std::isfinite(s) && std::fabs(s) < 10.0f) << v << ": " << s;
        OSC_STATE* s = voice->GetOscState(0);
        for (float a : {s->phase, s->auxPhase1, s->auxPhase2, s->auxPhase3})
          ASSERT_TRUE(a >= 0.0f && a <= 1.0f) << v << ": " << a;
      }
      // Stored values outside 0..1 reach the waves through the whole path.
      f.Set(PARAM_OSC_MORPH_X, 1e30f);
      f.Set(PARAM_OSC_MORPH_Y, -1e30f);
      f.Block(voice.get());
      for (unsigned int i = 0; i < f.OscBlock(); ++i) ASSERT_TRUE(std::isfinite(f.outL[0][i]));
    }
  }
}

TEST(ComputedWaves, SpectrumDoesNotDependOnTheOversampling) {
  // The same note at 2x, 4x and 8x: the low harmonics keep their levels
  // (the correction widths, restart windows and key fades follow the rate).
  for (float mode = FIRST_MODE; mode <= LAST_MODE; mode += 1.0f) {
    SCOPED_TRACE(mode);
    WAVE_RUN runs[3] = {RenderMode(mode, 48, 0.6f, 0.4f, 6, 2), RenderMode(mode, 48, 0.6f, 0.4f, 6, 4),
                        RenderMode(mode, 48, 0.6f, 0.4f, 6, 8)};
    for (int h = 1; h <= 10; ++h) {
      double at4 = Harmonic(runs[1], h);
      EXPECT_NEAR(Harmonic(runs[0], h), at4, 0.01 + 0.03 * at4) << "2x, harmonic " << h;
      EXPECT_NEAR(Harmonic(runs[2], h), at4, 0.01 + 0.03 * at4) << "8x, harmonic " << h;
    }
  }
}
