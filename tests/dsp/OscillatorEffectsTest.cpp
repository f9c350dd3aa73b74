// The effect chain inside the oscillator: the buzz and feedback amounts it
// publishes reach the wave render of the same block, and the audio slots
// shape the oscillator's output.
#include <gtest/gtest.h>

#include "../osc/OscFixture.h"
#include "dsp/IOscEffect.h"
#include "tables/Tables.h"

namespace {

void Slots(COscFixture& f, unsigned int osc, const float (&types)[4], const float (&amounts)[4]) {
  for (unsigned int s = 0; s < 4; ++s) {
    f.Set(PARAM_OSC_FX_TYPE + 4 * s + osc, types[s]);
    f.Set(PARAM_OSC_FX_AMOUNT + 4 * s + osc, amounts[s]);
  }
  f.osc[osc]->RebuildOscFX();
}

// Summed level of harmonics 2..8 over the fundamental's.
double Distortion(const std::vector<float>& y, double rate, double hz, size_t skip) {
  double h = 0.0;
  for (int k = 2; k <= 8; ++k) h += Amplitude(y, rate, k * hz, skip);
  return h / Amplitude(y, rate, hz, skip);
}

TEST(OscillatorEffects, BuzzAndFeedbackBuffersArePublishedForTheRenderOrNull) {
  COscFixture f(4, 64);
  Slots(f, 0, {0, 4, 1, 99}, {0.5f, 0.25f, 0.0f, 0.0f});
  auto v = f.NewVoice(40);
  f.Start(v.get());
  f.Block(v.get());
  const float* buzz = f.synth.GetBuzzParam(0);
  const float* feed = f.synth.GetFeedbackParam(0);
  ASSERT_NE(buzz, nullptr);
  ASSERT_NE(feed, nullptr);
  EXPECT_NEAR(buzz[63], 0.5f, 1e-6f);
  EXPECT_NEAR(feed[0], 0.05f, 1e-6f);
  // Oscillators without such slots see null.
  EXPECT_EQ(f.synth.GetBuzzParam(1), nullptr);
  EXPECT_EQ(f.synth.GetFeedbackParam(1), nullptr);

  Slots(f, 0, {1, 2, 3, 6}, {0, 0, 0, 0});
  f.Block(v.get());
  EXPECT_EQ(f.synth.GetBuzzParam(0), nullptr);
  EXPECT_EQ(f.synth.GetFeedbackParam(0), nullptr);
}

TEST(OscillatorEffects, BuzzAndFeedbackBendALowSineAndBuzzFadesOutAboveItsRange) {
  struct CASE {
    float type;
    int note;
    bool bends;
  };
  // Note 36 is 65 Hz, below the buzz fade range; note 84 is 1047 Hz, above.
  for (CASE c : {CASE{0, 36, true}, CASE{0, 84, false}, CASE{4, 36, true}, CASE{4, 84, true}}) {
    SCOPED_TRACE(testing::Message() << c.type << " " << c.note);
    COscFixture plain(4, 64), fx(4, 64);
    Slots(fx, 0, {c.type, 99, 99, 99}, {1.0f, 0, 0, 0});
    auto a = plain.NewVoice(c.note), b = fx.NewVoice(c.note);
    plain.Start(a.get());
    fx.Start(b.get());
    const size_t n = 64 * 4 * 60;
    const std::vector<float> ya = plain.Render(a.get(), 0, n), yb = fx.Render(b.get(), 0, n);
    const double hz = PitchHz(c.note), rate = plain.OscRate();
    EXPECT_LT(Distortion(ya, rate, hz, 0), 0.01);
    if (c.bends)
      EXPECT_GT(Distortion(yb, rate, hz, 0), 0.1);
    else
      EXPECT_EQ(ya, yb);
  }
}

TEST(OscillatorEffects, SubSlotPutsAnOctaveUnderTheOscillator) {
  COscFixture f(4, 64);
  Slots(f, 0, {2, 99, 99, 99}, {1.0f, 0, 0, 0});
  auto v = f.NewVoice(57);
  f.Start(v.get());
  const std::vector<float> y = f.Render(v.get(), 0, 64 * 4 * 60);
  const double hz = PitchHz(57);
  EXPECT_NEAR(Amplitude(y, f.OscRate(), hz / 2), 0.5 * 4.0 / M_PI, 0.03);
  EXPECT_NEAR(Amplitude(y, f.OscRate(), hz), 0.5, 0.03);
}

TEST(OscillatorEffects, BuzzTableIsOneClosedCycle) {
  EXPECT_EQ(Tables::BUZZ_TABLE_SIZEM1, 16383u);
  EXPECT_EQ(Tables::BUZZ_TABLE[Tables::BUZZ_TABLE_SIZE], Tables::BUZZ_TABLE[0]);
  for (unsigned int i = 0; i <= Tables::BUZZ_TABLE_SIZE; ++i) ASSERT_TRUE(std::isfinite(Tables::BUZZ_TABLE[i]));
}

}  // namespace
