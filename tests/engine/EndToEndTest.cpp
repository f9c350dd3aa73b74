// A note through the whole engine at the factory preset: oscillator, bus
// router, buses, amplitude envelope, downsampler, effects matrix and master.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "engine/GlobalSynth.h"
#include "engine/ParamIds.h"
#include "engine/VoiceManager.h"
#include "tables/Tables.h"

namespace {

struct Rendered {
  std::vector<float> left, right;
};

Rendered RenderNote(int note, float seconds, unsigned int block, float rate = 44100.0f,
                    const std::vector<std::pair<unsigned int, float>>& settings = {}) {
  CGlobalSynth synth;
  CVoiceManager vm(&synth);
  synth.SetSampleRate(rate);
  vm.SetSampleRate(rate);
  vm.SetBlockSize(block);
  Rendered r;
  const unsigned int total = static_cast<unsigned int>(seconds * rate);
  r.left.assign(total, 0.0f);
  r.right.assign(total, 0.0f);
  vm.Generate(r.left.data(), r.right.data(), 0);  // applies the factory preset
  for (const auto& s : settings) synth.SetParam(s.first, s.second);
  vm.StartVoice(note, 0.8f, false);
  for (unsigned int done = 0; done < total; done += block) {
    unsigned int n = std::min(block, total - done);
    vm.Generate(r.left.data() + done, r.right.data() + done, n);
  }
  return r;
}

// Frequency from rising zero crossings between two indices, with linear
// interpolation of the crossing points.
double MeasureFrequency(const std::vector<float>& x, size_t from, size_t to, double rate) {
  double first = -1, last = -1;
  int count = 0;
  for (size_t i = from + 1; i < to; ++i) {
    if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
      double t = (i - 1) + x[i - 1] / double(x[i - 1] - x[i]);
      if (first < 0) first = t;
      last = t;
      ++count;
    }
  }
  if (count < 2) return 0.0;
  return (count - 1) * rate / (last - first);
}

double Rms(const std::vector<float>& x, size_t from, size_t to) {
  double s = 0;
  for (size_t i = from; i < to; ++i) s += double(x[i]) * x[i];
  return std::sqrt(s / double(to - from));
}

}  // namespace

TEST(EndToEnd, FactoryPresetPlaysTheNoteAtItsPitchAndASaneLevel) {
  const float rate = 44100.0f;
  Rendered r = RenderNote(69, 1.0f, 512, rate);
  for (size_t i = 0; i < r.left.size(); ++i) {
    ASSERT_TRUE(std::isfinite(r.left[i]) && std::isfinite(r.right[i])) << i;
    ASSERT_LE(std::fabs(r.left[i]), 4.0f) << i;
  }
  // Measure over the sustained part, away from the attack.
  const size_t from = size_t(0.3 * rate), to = size_t(0.9 * rate);
  double f = MeasureFrequency(r.left, from, to, rate);
  double expected = 8.177735 * std::pow(2.0, 69.0 / 12.0);  // 440.09 Hz
  EXPECT_NEAR(f, expected, 0.5);
  double rms = Rms(r.left, from, to);
  RecordProperty("rms", std::to_string(rms));
  RecordProperty("frequency", std::to_string(f));
  EXPECT_GT(rms, 0.01);  // audible
  EXPECT_LT(rms, 2.0);   // not blown up
  // Centre pan at the master: both channels carry the note.
  EXPECT_NEAR(Rms(r.right, from, to), rms, rms * 0.05);
}

TEST(EndToEnd, OctavesAndBlockSizesAgree) {
  const float rate = 48000.0f;
  Rendered low = RenderNote(57, 0.6f, 137, rate);
  Rendered high = RenderNote(69, 0.6f, 1024, rate);
  const size_t from = size_t(0.25 * rate), to = size_t(0.55 * rate);
  double fl = MeasureFrequency(low.left, from, to, rate);
  double fh = MeasureFrequency(high.left, from, to, rate);
  EXPECT_NEAR(fh / fl, 2.0, 0.01);
}

// The vibrato LFO reaches the pitch when an oscillator's vibrato depth is up
// (and is left alone, the pitch steady, at depth 0).
TEST(EndToEnd, VibratoDepthWobblesThePitch) {
  const float rate = 44100.0f;
  auto spread = [&](float depth) {
    Rendered r = RenderNote(69, 1.6f, 256, rate, {{PARAM_OSC_VIBRATO, depth}});
    double lo = 1e9, hi = 0;
    for (double t = 0.3; t + 0.05 < 1.5; t += 0.05) {
      const double f = MeasureFrequency(r.left, size_t(t * rate), size_t((t + 0.05) * rate), rate);
      lo = std::min(lo, f);
      hi = std::max(hi, f);
    }
    return hi - lo;
  };
  EXPECT_LT(spread(0.0f), 1.0);
  EXPECT_GT(spread(1.0f), 5.0);
}
