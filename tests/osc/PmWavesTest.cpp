// Fatty 1 to 7 (modes 4 to 10): levels, the brightening by Morph X and Y on
// low notes, Fatty 5's parabolic bend, the plain forms of Fatty 6 and 7
// above their key ranges, and the first sample of a voice.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "WaveRun.h"
#include "osc/RenderFrame.h"
#include "tables/WaveTables.h"

namespace {

const int LOW = 36;

double Centroid(const WAVE_RUN& r) {
  double num = 0.0, den = 0.0;
  for (int h = 1; h <= 40; ++h) {
    double a = Harmonic(r, h);
    num += h * a * a;
    den += a * a;
  }
  return num / den;
}

float Peak(const std::vector<float>& y) {
  float p = 0.0f;
  for (float v : y) p = std::max(p, std::fabs(v));
  return p;
}

float Read(const float* table, float x) { return OscFrame::TableRead(table, Tables::WAVE_TABLE_SIZEM1, x); }

}  // namespace

TEST(PmWaves, LevelsAndBrighteningOnLowNotes) {
  struct {
    float mode;
    float bound;  // greatest possible magnitude
  } cases[] = {{4, 1.0f}, {5, 1.0f}, {6, 1.6f}, {7, 1.0f}, {8, 1.0f}, {9, 1.5f}, {10, 1.0f}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    for (float x : {0.0f, 0.5f, 1.0f})
      for (float y : {0.0f, 0.5f, 1.0f}) {
        float peak = Peak(RenderMode(c.mode, LOW, x, y, 1.2).y);
        EXPECT_LE(peak, c.bound + 2e-3f) << x << " " << y;
        EXPECT_GT(peak, 0.3f) << x << " " << y;
      }
    // Stronger bending and shaping put more energy into higher harmonics.
    EXPECT_GT(Centroid(RenderMode(c.mode, LOW, 1.0f, 1.0f, 6, 2)), Centroid(RenderMode(c.mode, LOW, 0.0f, 0.0f, 6, 2)));
  }
}

TEST(PmWaves, Fatty5BendsTheSinesPeaksDown) {
  // Y = 1 on a low note: the shaper's depth is 0.8501, so the sine's peaks
  // come down to 4 x 0.8501 x 0.1499 = 0.51 between two peaks of 1.
  WAVE_RUN r = RenderMode(8, LOW, 0.0f, 1.0f, 1);
  EXPECT_NEAR(*std::max_element(r.y.begin(), r.y.end()), 1.0f, 2e-3f);
  EXPECT_NEAR(*std::min_element(r.y.begin(), r.y.end()), -1.0f, 2e-3f);
  int dips = 0;
  for (size_t i = 1; i + 1 < r.y.size(); ++i) {
    if (r.y[i] > 0.3f && r.y[i] < r.y[i - 1] && r.y[i] <= r.y[i + 1]) {
      EXPECT_NEAR(r.y[i], 4.0f * 0.8501f * 0.1499f, 2e-3f);
      ++dips;
    }
  }
  EXPECT_EQ(dips, 1);
}

TEST(PmWaves, PlainFormsAboveTheKeyRange) {
  // Fatty 6 above 7 kHz: half the weak saw at p plus very nearly the weak
  // triangle three quarters of a cycle ahead, one sample late. Fatty 7
  // above 10 kHz: very nearly the weak saw a quarter cycle ahead, one
  // sample late.
  WAVE_RUN six = RenderMode(9, 127, 0.7f, 0.7f, 3);
  WAVE_RUN seven = RenderMode(10, 127, 0.7f, 0.7f, 3);
  for (size_t i = 1; i < six.y.size(); ++i) {
    float ahead = six.phase[i - 1] + 0.75f;
    if (ahead > 1.0f) ahead -= 1.0f;
    float expected = 0.5f * Read(Tables::WEAKSAW_TABLE, six.phase[i]) + Read(Tables::WEAKTRIANGLE_TABLE, ahead);
    ASSERT_NEAR(six.y[i], expected, 1e-3f) << i;
    float quarter = seven.phase[i - 1] + 0.25f;
    if (quarter > 1.0f) quarter -= 1.0f;
    ASSERT_NEAR(seven.y[i], Read(Tables::WEAKSAW_TABLE, quarter), 1e-3f) << i;
  }
}

TEST(PmWaves, Fatty1StartsAtZero) {
  // Both of its own phases start at 0, so the first value is SINE(0) = 0,
  // whatever the frame's start phase.
  COscFixture& f = WaveRig(4);
  for (float start : {0.0f, 0.3f}) {
    f.Set(PARAM_OSC_PHASE, start);
    EXPECT_EQ(RenderMode(4, LOW, 0.5f, 0.5f, 0.01).y[0], 0.0f);
  }
  f.Set(PARAM_OSC_PHASE, 0.0f);
}
