// Formant 1 to 4 (modes 22 to 25): the source wave's spectrum at the plain
// setting, Morph X bringing in the second wave (the other way round in
// Formant 4), Morph Y turning the source into its square, and the first
// samples of a voice.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "WaveRun.h"
#include "osc/RenderFrame.h"
#include "tables/WaveTables.h"

namespace {

const int LOW = 36;

float Read(const float* table, float x) {
  return OscFrame::TableRead(table, Tables::WAVE_TABLE_SIZEM1, x);
}

}  // namespace

TEST(FormantWaves, PlainSettingPlaysTheSourceWave) {
  struct {
    float mode, x;
    std::vector<std::pair<int, double>> harmonics;
  } cases[] = {
      {22, 1.0f, {{1, 0.297}, {2, 0.684}, {3, 0.123}, {4, 0.030}}},                 // VOWEL1
      {23, 1.0f, {{1, 0.804}, {2, 0.175}, {5, 0.117}, {6, 0.088}}},                 // VOWEL2
      {24, 1.0f, {{9, 0.149}, {10, 0.293}, {11, 0.298}, {12, 0.149}}},              // RESONANT1
      {25, 0.0f, {{6, 0.230}, {7, 0.366}, {8, 0.206}, {9, 0.122}, {15, 0.033}}},  // RESONANT4
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    WAVE_RUN r = RenderMode(c.mode, LOW, c.x, 0.0f, 12);
    for (const auto& h : c.harmonics) EXPECT_NEAR(Harmonic(r, h.first), h.second, 0.004) << "harmonic " << h.first;
  }
}

TEST(FormantWaves, MorphXBringsInTheSecondWave) {
  // Formant 1 at X = 0 is VOWEL1 times VOWEL3 at the same phase; with Y = 1
  // the VOWEL1 factor is squared.
  WAVE_RUN r = RenderMode(22, LOW, 0.0f, 1.0f, 1);
  for (size_t i = 0; i < r.y.size(); i += 37) {
    float a = Read(Tables::VOWEL1_TABLE, r.phase[i]), c = Read(Tables::VOWEL3_TABLE, r.phase[i]);
    ASSERT_NEAR(r.y[i], a * a * c, 1e-5) << i;
  }
  // Formant 3 at X = 0 multiplies RESONANT1 by a sine at 8 times the note:
  // the resonance at harmonics 10 and 11 moves to 2, 3 and 18, 19.
  WAVE_RUN f3 = RenderMode(24, LOW, 0.0f, 0.0f, 12);
  EXPECT_LT(Harmonic(f3, 10), 0.03);
  EXPECT_LT(Harmonic(f3, 11), 0.03);
  EXPECT_NEAR(Harmonic(f3, 18), 0.293 / 2, 0.02);
  EXPECT_NEAR(Harmonic(f3, 19), 0.298 / 2, 0.02);
  EXPECT_NEAR(Harmonic(f3, 3), 0.298 / 2, 0.02);
  // Formant 4 runs the other way: X = 1 multiplies RESONANT4 by a sine at 6
  // times the note, moving the resonance at 7 to 1 and 13.
  WAVE_RUN f4 = RenderMode(25, LOW, 1.0f, 0.0f, 12);
  EXPECT_LT(Harmonic(f4, 7), 0.03);
  EXPECT_NEAR(Harmonic(f4, 13), 0.366 / 2, 0.02);
  EXPECT_NEAR(Harmonic(f4, 1), 0.366 / 2, 0.03);
}

TEST(FormantWaves, MorphYTurnsTheSourceIntoItsSquare) {
  // Formant 2 at X = 1, Y = 1 is VOWEL2 squared: never negative, with the
  // mean of the square.
  WAVE_RUN r = RenderMode(23, LOW, 1.0f, 1.0f, 4);
  double sq = 0.0;
  for (unsigned int i = 0; i < Tables::WAVE_TABLE_SIZE; ++i) sq += Tables::VOWEL2_TABLE[i] * Tables::VOWEL2_TABLE[i];
  sq /= Tables::WAVE_TABLE_SIZE;
  size_t whole = r.CycleStart(4);
  EXPECT_NEAR(Mean(std::vector<float>(r.y.begin(), r.y.begin() + whole)), sq, 1e-3);
  EXPECT_GE(*std::min_element(r.y.begin(), r.y.end()), 0.0f);
}

TEST(FormantWaves, FirstSamplesOfAVoice) {
  // The first sample reads the partial sine at phase 0: Formant 3 gives the
  // source times X, Formant 4 the source times 1 - X.
  const float x = 0.3f, y = 0.6f;
  const float a1 = Tables::RESONANT1_TABLE[0], a4 = Tables::RESONANT4_TABLE[0];
  EXPECT_NEAR(RenderMode(24, LOW, x, y, 0.01).y[0], a1 * (1 - y + y * a1) * x, 1e-6);
  EXPECT_NEAR(RenderMode(25, LOW, x, y, 0.01).y[0], a4 * (1 - y + y * a4) * (1 - x), 1e-6);

  // A modulated phase of exactly 1 is not wrapped: the last point is read.
  COscFixture& f = WaveRig(4);
  f.Set(PARAM_OSC_PHASE, 1.0f);
  WAVE_RUN r = RenderMode(22, LOW, 1.0f, 0.0f, 0.01);
  EXPECT_EQ(r.y[0], Tables::VOWEL1_TABLE[Tables::WAVE_TABLE_SIZEM1]);
  EXPECT_NE(r.y[0], Tables::VOWEL1_TABLE[0]);
  // 8 p exactly 1 (p = 0.125) leaves the partial phase at 1, which reads the
  // sine's last point, 0: the next sample is the source times X.
  f.Set(PARAM_OSC_PHASE, 0.125f);
  r = RenderMode(24, LOW, x, y, 0.01);
  float a = Read(Tables::RESONANT1_TABLE, 0.125f + r.phase[1]);
  EXPECT_NEAR(r.y[1], a * (1 - y + y * a) * x, 1e-6);
  f.Set(PARAM_OSC_PHASE, 0.0f);
}
