// The wavetable editor's two views on their own: the spectrum's analysis
// and resynthesis, its operations and drawing with the mouse, and the
// waveform's time-domain operations and drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "editor/pages/HarmonicsView.h"
#include "editor/pages/WaveformControl.h"
#include "osc/WaveTable.h"

namespace {

const unsigned int N = CSpectrumControl::WAVE_SIZE;
const CRect VIEW(0, 0, 555, 326);

std::vector<float> Harmonics(const std::vector<std::pair<int, double>>& parts, double phaseStep = 0.0) {
  std::vector<float> w(N, 0.0f);
  double p = 0.3;
  for (auto& h : parts) {
    for (unsigned int i = 0; i < N; ++i) w[i] += static_cast<float>(h.second * std::sin(2 * M_PI * h.first * i / N + p));
    p += phaseStep;
  }
  return w;
}

// Counts the notifications of a view.
struct LISTENER : CControlListener {
  void valueChanged(CControl*) override { ++count; }
  int count = 0;
};

TEST(SpectrumControl, ASineOfThreeCyclesIsOneBinAtSinePhase) {
  std::vector<float> wave = Harmonics({{3, 0.7}});
  for (unsigned int i = 0; i < N; ++i) wave[i] = static_cast<float>(0.7 * std::sin(2 * M_PI * 3 * i / N));
  CSpectrumControl spectrum(VIEW, nullptr, 0, nullptr);
  spectrum.SetWaveTable(wave.data());
  EXPECT_NEAR(spectrum.GetMagnitudes()[3], 1.0f, 1e-6f);
  EXPECT_NEAR(spectrum.GetPhases()[3], 0.0f, 1e-5f);
  for (unsigned int k = 0; k <= N / 2; ++k) {
    if (k == 3) continue;
    ASSERT_LT(spectrum.GetMagnitudes()[k], 1e-5f) << k;
  }
  // A cosine is a quarter turn later.
  for (unsigned int i = 0; i < N; ++i) wave[i] = static_cast<float>(std::cos(2 * M_PI * 5 * i / N));
  spectrum.SetWaveTable(wave.data());
  EXPECT_NEAR(spectrum.GetPhases()[5], 0.25f, 1e-5f);
}

TEST(SpectrumControl, AnalysisThenResynthesisGivesBackTheNormalisedWave) {
  std::vector<float> wave = Harmonics({{1, 1.0}, {2, 0.5}, {7, 0.3}, {40, 0.2}, {900, 0.05}, {8191, 0.01}}, 1.1);
  CWaveTable::Normalize(wave.data(), N);
  std::vector<float> original = wave;
  LISTENER listener;
  CSpectrumControl spectrum(VIEW, &listener, 68221, nullptr);
  spectrum.SetWaveTable(wave.data());
  spectrum.ApplyChanges();
  EXPECT_EQ(listener.count, 1);
  for (unsigned int i = 0; i < N; ++i) ASSERT_NEAR(wave[i], original[i], 1e-5f) << i;
}

TEST(SpectrumControl, ASilentWaveAnalysesToSilence) {
  std::vector<float> wave(N, 0.0f);
  CSpectrumControl spectrum(VIEW, nullptr, 0, nullptr);
  spectrum.SetWaveTable(wave.data());
  for (unsigned int k = 0; k < N; ++k) {
    ASSERT_EQ(spectrum.GetMagnitudes()[k], 0.0f);
    ASSERT_EQ(spectrum.GetPhases()[k], 0.0f);
  }
  spectrum.ApplyChanges();
  for (float v : wave) ASSERT_EQ(v, 0.0f);
}

TEST(SpectrumControl, HarmonicOperations) {
  std::vector<float> wave = Harmonics({{1, 1.0}, {2, 0.8}, {3, 0.6}, {4, 0.4}});
  LISTENER listener;
  CSpectrumControl spectrum(VIEW, &listener, 68221, nullptr);
  CSpectrumControl probe(VIEW, nullptr, 0, nullptr);

  spectrum.SetWaveTable(wave.data());
  spectrum.RemoveOdd();
  EXPECT_EQ(listener.count, 1);
  probe.SetWaveTable(wave.data());
  EXPECT_LT(probe.GetMagnitudes()[1], 1e-5f);  // the fundamental is gone
  EXPECT_LT(probe.GetMagnitudes()[3], 1e-5f);
  EXPECT_NEAR(probe.GetMagnitudes()[2], 1.0f, 1e-4f);
  EXPECT_NEAR(probe.GetMagnitudes()[4], 0.5f, 1e-4f);

  wave = Harmonics({{1, 1.0}, {2, 0.8}, {3, 0.6}, {4, 0.4}});
  spectrum.SetWaveTable(wave.data());
  spectrum.RemoveEven();
  probe.SetWaveTable(wave.data());
  EXPECT_NEAR(probe.GetMagnitudes()[1], 1.0f, 1e-4f);
  EXPECT_LT(probe.GetMagnitudes()[2], 1e-5f);
  EXPECT_NEAR(probe.GetMagnitudes()[3], 0.6f, 1e-4f);

  // Organ: the octaves 1, 2, 4 .. 2048 dominate.
  spectrum.MakeOrgran();
  probe.SetWaveTable(wave.data());
  for (unsigned int k = 1; k <= 2048; k *= 2) EXPECT_GT(probe.GetMagnitudes()[k], 1e-4f) << k;
  EXPECT_LT(probe.GetMagnitudes()[3], 1e-3f);

  spectrum.ResetPhase();
  probe.SetWaveTable(wave.data());
  EXPECT_NEAR(probe.GetPhases()[1], 0.0f, 1e-4f);

  // Balance lifts the lowest harmonics against the upper ones.
  wave = Harmonics({{1, 0.5}, {200, 1.0}});
  spectrum.SetWaveTable(wave.data());
  spectrum.Balance();
  probe.SetWaveTable(wave.data());
  // Harmonic 1 at 0.5 gains 1.5 - 0.5 * (display scale of 0.01 = 0.5).
  EXPECT_NEAR(probe.GetMagnitudes()[1], 0.625f, 1e-3f);
  EXPECT_NEAR(probe.GetMagnitudes()[200], 1.0f, 1e-4f);
}

TEST(SpectrumControl, DrawingOntoASilentBinStartsItAtSinePhase) {
  std::vector<float> wave = Harmonics({{1, 1.0}}, 0.0);  // phase 0.3 rad on bin 1
  CSpectrumControl spectrum(VIEW, nullptr, 0, nullptr);
  spectrum.SetWaveTable(wave.data());
  const float phase1 = spectrum.GetPhases()[1];
  ASSERT_GT(phase1, 0.01f);
  // Zoom 1: bars of 4 pixels at a pitch of 5; bin b covers x in (5(b-1), 5b].
  const CCoord middle = 1 + std::floor((VIEW.height() - 3) / 2);
  auto press = [&](unsigned int bin, CCoord y) {
    CPoint p(VIEW.left + 1 + 5 * bin - 2, y);
    spectrum.onMouseDown(p, kLButton);
    spectrum.onMouseUp(p, kLButton);
  };
  // Draw a phase onto silent bin 5 (below the line), then a magnitude.
  press(5, middle + 80);
  EXPECT_GT(spectrum.GetPhases()[5], 0.3f);
  press(5, middle - 100);
  EXPECT_GT(spectrum.GetMagnitudes()[5], 0.0f);
  EXPECT_EQ(spectrum.GetPhases()[5], 0.0f);
  // A sounding bin keeps its phase when its magnitude is drawn.
  press(1, middle - 50);
  EXPECT_NEAR(spectrum.GetPhases()[1], phase1, 1e-6f);
  // The drawn bin is heard: the wave now holds harmonic 5 in sine phase.
  CSpectrumControl probe(VIEW, nullptr, 0, nullptr);
  probe.SetWaveTable(wave.data());
  EXPECT_GT(probe.GetMagnitudes()[5], 0.01f);
  EXPECT_NEAR(probe.GetPhases()[5], 0.0f, 1e-3f);
}

TEST(SpectrumControl, AltDrawsOneBinAndEditsStopAtTheScrollRange) {
  std::vector<float> wave(N, 0.0f);
  CSpectrumControl spectrum(VIEW, nullptr, 0, nullptr);
  spectrum.SetWaveTable(wave.data());
  const CCoord middle = 1 + std::floor((VIEW.height() - 3) / 2);
  CPoint a(VIEW.left + 1 + 5 * 10 - 2, middle - 60);
  spectrum.onMouseDown(a, kLButton);
  CPoint b(VIEW.left + 1 + 5 * 30 - 2, middle - 60);
  spectrum.onMouseMoved(b, kLButton | kAlt);
  spectrum.onMouseUp(b, kLButton | kAlt);
  for (unsigned int k = 11; k < 30; ++k) EXPECT_EQ(spectrum.GetMagnitudes()[k], 0.0f) << k;
  EXPECT_GT(spectrum.GetMagnitudes()[10], 0.0f);
  // Far right, beyond the control: the last bin of the range, never past 512
  // bars of scroll range.
  CPoint far(5000, middle - 60);
  spectrum.onMouseDown(far, kLButton);
  spectrum.onMouseUp(far, kLButton);
  EXPECT_GT(spectrum.GetMagnitudes()[512], 0.0f);
  for (unsigned int k = 513; k < N; ++k) ASSERT_EQ(spectrum.GetMagnitudes()[k], 0.0f) << k;
}

TEST(WaveformControl, TimeOperations) {
  std::vector<float> wave = Harmonics({{1, 0.6}, {5, 0.2}}, 0.7);
  const std::vector<float> original = wave;
  LISTENER listener;
  CWaveformControl view(VIEW, &listener, 68220, nullptr);
  view.SetWaveTable(wave.data());

  view.Reverse();
  EXPECT_EQ(wave[0], original[N - 1]);
  view.Reverse();
  EXPECT_EQ(wave, original);
  EXPECT_EQ(listener.count, 2);

  view.Invert();
  EXPECT_EQ(wave[100], -original[100]);

  // Shift to zero crossing: the wave starts at its first strict sign change.
  view.ShiftToZero();
  EXPECT_LT(wave[N - 1] * wave[0], 0.0f);
  std::vector<float> positive(N, 0.5f);
  positive[7] = 0.0f;  // a zero sample is no crossing
  const std::vector<float> positiveBefore = positive;
  view.SetWaveTable(positive.data());
  view.ShiftToZero();
  EXPECT_EQ(positive, positiveBefore);

  // Remove DC then normalise: zero mean, peak 1.
  view.RemoveDC();
  double sum = 0, peak = 0;
  for (float v : positive) {
    sum += v;
    peak = std::fmax(peak, std::fabs(v));
  }
  EXPECT_NEAR(sum / N, 0.0, 1e-6);
  EXPECT_NEAR(peak, 1.0, 1e-6);

  // A silent wave stays silent through Normalize.
  view.Clear();
  view.Normalize();
  for (float v : positive) ASSERT_EQ(v, 0.0f);
}

TEST(WaveformControl, DrawingFollowsTheMouseAndAltDrawsZeros) {
  std::vector<float> wave(N, 0.5f);
  CWaveformControl view(VIEW, nullptr, 68220, nullptr);
  view.SetWaveTable(wave.data());
  const CCoord h2 = std::floor((VIEW.height() - 3) / 2);
  const CCoord middle = VIEW.top + 1 + h2;
  const double spp = N / (VIEW.width() - 2.0);
  // A level line at the top from x 100 to x 200.
  CPoint a(VIEW.left + 1 + 100, middle - h2);
  CPoint b(VIEW.left + 1 + 200, middle - h2);
  view.onMouseDown(a, kLButton);
  view.onMouseMoved(b, kLButton);
  for (unsigned int i = static_cast<unsigned int>(101 * spp); i < static_cast<unsigned int>(199 * spp); ++i) {
    ASSERT_NEAR(wave[i], 1.0f, 1e-5f) << i;
  }
  // Alt: zeros between the two points, whatever the height.
  CPoint c(VIEW.left + 1 + 300, middle - h2 / 2);
  CPoint d(VIEW.left + 1 + 400, middle + h2 / 3);
  view.onMouseDown(c, kLButton);
  view.onMouseMoved(d, kLButton | kAlt);
  for (unsigned int i = static_cast<unsigned int>(300 * spp); i <= static_cast<unsigned int>(400 * spp); ++i) {
    ASSERT_EQ(wave[i], 0.0f) << i;
  }
  EXPECT_EQ(wave[static_cast<unsigned int>(450 * spp)], 0.5f);
  // Right drag rotates: 10 pixels to the right move the wave later.
  std::vector<float> ramp(N);
  for (unsigned int i = 0; i < N; ++i) ramp[i] = static_cast<float>(i) / N;
  view.SetWaveTable(ramp.data());
  CPoint e(200, 100), f(210, 100);
  view.onMouseDown(e, kRButton);
  view.onMouseMoved(f, kRButton);
  const long offset = static_cast<long>(-10 * spp);
  EXPECT_FLOAT_EQ(ramp[0], static_cast<float>((N + offset) % N) / N);
}

}  // namespace
