#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "FxTestUtil.h"
#include "engine/ParamIds.h"
#include "fx/Delay.h"
#include "fx/ReverseDelay.h"

using namespace FxTest;

namespace {

// Parameter k of delay instance 0.
unsigned int Id(unsigned int k, unsigned int instance = 0) { return PARAM_FX_DELAY + 2 * k + instance; }
enum { TIME_L, TIME_R, REVERSE, FEEDBACK, SHAPE, LOWPASS, HIGHPASS, MONO, MIX };

class DelayTest : public ::testing::Test {
 protected:
  DelayTest() : fx(&synth, 0) {
    // Wet only, open filters, no feedback, free 1 s times.
    synth.Set(Id(MIX), 1.0f);
    synth.Set(Id(LOWPASS), 1.0f);
    synth.Set(Id(HIGHPASS), 0.0f);
    synth.Set(PARAM_DELAY_SYNC_L, 32.0f);
    synth.Set(PARAM_DELAY_SYNC_R, 32.0f);
    synth.Set(Id(TIME_L), 0.1f);
    synth.Set(Id(TIME_R), 0.1f);
    fx.SetSampleRate(kRate);
    fx.SetBlockSize(256);
    fx.Reset();
  }
  CFxSynthDouble synth;
  CDelay fx;
};

}  // namespace

TEST_F(DelayTest, EchoTimesFollowTheTimeScaleAtTheHostTempo) {
  struct CASE {
    float setting, tempo, time;
    double seconds;
  } cases[] = {
      {2, 120, 0.5f, 0.25},      // quarter note at 120 BPM = 0.5 s, half of it
      {2, 90, 1.0f, 2.0 / 3.0},  // quarter note at 90 BPM
      {15, 120, 1.0f, 1.5},      // dotted half
      {8, 140, 1.0f, 4.0 / 7.0}, // triplet half
      {31, 60, 1.0f, 0.05},      // free 0.05 s whatever the tempo
  };
  for (const CASE& c : cases) {
    CDelay d(&synth, 0);
    d.SetSampleRate(kRate);
    d.Reset();
    synth.Set(PARAM_DELAY_SYNC_L, c.setting);
    synth.Set(PARAM_DELAY_SYNC_R, c.setting);
    synth.Set(Id(TIME_L), c.time);
    synth.Set(Id(TIME_R), c.time);
    synth.SetHostTempo(c.tempo);
    const size_t expected = static_cast<size_t>(std::lround(c.seconds * kRate));
    STEREO s = Impulse(expected + 2000);
    RunFx(d, s);
    // A whole-sample delay of d reads d - 1 samples back on the ring; the
    // lowpass adds a fraction of a sample.
    size_t peak = PeakIndex(s.l, 1, s.size());
    EXPECT_NEAR(double(peak), double(expected), 2.0) << c.setting << " @ " << c.tempo;
    EXPECT_EQ(PeakIndex(s.r, 1, s.size()), peak);
    EXPECT_GT(s.l[peak], 0.5f);
    EXPECT_LT(Rms(s.l, 2, expected - 3), 1e-6);  // nothing before the echo
  }
}

TEST_F(DelayTest, FeedbackDecaysByItsGainPerRepeat) {
  for (float fb : {0.25f, 0.5f, 0.9f}) {
    CDelay d(&synth, 0);
    d.SetSampleRate(kRate);
    d.Reset();
    synth.Set(Id(FEEDBACK), fb);
    synth.Set(Id(TIME_L), 0.1f);  // 4410 samples
    // A 1 kHz burst of 20 ms, then silence.
    STEREO s(6 * 4410);
    std::vector<float> burst = Sine(882, 1000.0f);
    std::copy(burst.begin(), burst.end(), s.l.begin());
    s.r = s.l;
    RunFx(d, s);
    double prev = 0.0;
    for (int k = 1; k <= 5; ++k) {
      size_t from = k * 4410 + 40, to = from + 800;
      double a = ToneAmplitude(s.l, 1000.0, from, to);
      if (k > 1) {
        EXPECT_NEAR(a / prev, fb, 0.02) << "fb " << fb << " repeat " << k;
      }
      prev = a;
    }
  }
}

TEST_F(DelayTest, MixZeroPassesTheInputUnchanged) {
  synth.Set(Id(MIX), 0.0f);
  synth.Set(Id(FEEDBACK), 0.7f);
  STEREO in = StereoSine(5000, 440.0f);
  in.r = Sine(5000, 550.0f);
  STEREO s = in;
  RunFx(fx, s);
  EXPECT_EQ(s.l, in.l);
  EXPECT_EQ(s.r, in.r);
}

TEST_F(DelayTest, ShapeOneFeedsBothLinesHalfOfTheRightInput) {
  synth.Set(Id(SHAPE), 1.0f);
  STEREO s(6000);
  s.r = Sine(6000, 1000.0f);
  RunFx(fx, s);
  // Both lines repeat (0 + xR) / 2 after 0.1 s.
  double aL = ToneAmplitude(s.l, 1000.0, 4500, 5823);
  double aR = ToneAmplitude(s.r, 1000.0, 4500, 5823);
  EXPECT_NEAR(aL, 0.25, 0.01);
  EXPECT_NEAR(aR, 0.25, 0.01);
}

TEST_F(DelayTest, MonoOneGivesBothOutputsTheSameWetSignal) {
  synth.Set(Id(MONO), 1.0f);
  synth.Set(Id(TIME_R), 0.05f);
  STEREO s(6000);
  s.l = Sine(6000, 700.0f);
  RunFx(fx, s);
  EXPECT_GT(Rms(s.l, 4500, 6000), 0.05);
  for (size_t i = 0; i < s.size(); ++i) ASSERT_FLOAT_EQ(s.l[i], s.r[i]) << i;
}

TEST_F(DelayTest, LongestTimeIsCutToTheLine) {
  // 10 s free time: the delay is limited to the line (5 s) less one sample.
  synth.Set(PARAM_DELAY_SYNC_L, 33.0f);
  synth.Set(Id(TIME_L), 1.0f);
  const size_t size = fx.GetLineSize();
  EXPECT_EQ(size, 220500u);
  STEREO s = Impulse(size + 100);
  RunFx(fx, s, 1024);
  EXPECT_NEAR(double(PeakIndex(s.l, 1, s.size())), double(size - 2), 1.0);
}

TEST_F(DelayTest, KeyPressRestartsTheReverseReading) {
  synth.Set(Id(REVERSE), 1.0f);
  synth.Set(Id(TIME_L), 0.05f);
  synth.Set(Id(TIME_R), 0.05f);
  STEREO s = StereoSine(20000, 1000.0f);
  RunFx(fx, s);
  // Let the output settle, then find a stretch away from a head crossing.
  STEREO t = StereoSine(1200, 1000.0f);
  fx.OnKeyPress();
  RunFx(fx, t, 64);
  EXPECT_LT(Rms(t.l, 230, 400), 0.01);  // silent while the heads are held together
  EXPECT_LT(Rms(t.r, 230, 400), 0.01);
  EXPECT_GT(Rms(t.l, 700, 1100), 0.2);  // and reading again afterwards
}

TEST(ReverseDelay, NormalReadDelaysByTheWantedTime) {
  struct CASE {
    float delay;
    float expectedLag;
  } cases[] = {{0.0f, 0.0f}, {0.5f, 1.5f}, {10.5f, 10.5f}, {10.0f, 9.0f}, {5000.0f, 998.0f}, {NAN, 0.0f}};
  for (const CASE& c : cases) {
    std::vector<float> line(1000, 0.0f);
    CReverseDelay r;
    r.Bind(line.data(), 1000);
    r.Reset();
    float out = 0.0f, rev = 0.0f;
    for (int k = 0; k < 3000; ++k) {
      float io = static_cast<float>(k);
      float d = c.delay;
      r.Process2(io, rev, d);
      out = io;
    }
    EXPECT_NEAR(out, 2999.0f - c.expectedLag, 0.1) << c.delay;
  }
}

TEST(ReverseDelay, FractionalDelayLetsNothingThroughBeforeTheEcho) {
  std::vector<float> line(1000, 0.0f);
  CReverseDelay r;
  r.Bind(line.data(), 1000);
  r.Reset();
  std::vector<float> out(40);
  for (int k = 0; k < 40; ++k) {
    float io = k == 0 ? 1.0f : 0.0f, rev = 0.0f, d = 10.5f;
    r.Process2(io, rev, d);
    out[k] = io;
  }
  for (int k = 0; k < 9; ++k) EXPECT_EQ(out[k], 0.0f) << k;
  EXPECT_NEAR(out[10] + out[11], 1.0f, 0.15f);
}

TEST(ReverseDelay, ReadsBackwardsWithDipsWhereTheHeadsCross) {
  std::vector<float> line(5000, 0.0f);
  CReverseDelay r;
  r.Bind(line.data(), 5000);
  r.Reset();
  std::vector<float> rev(6000);
  for (int k = 0; k < 6000; ++k) {
    float io = 1000.0f + static_cast<float>(k % 3000);  // a rising ramp
    float d = 1000.0f;
    r.Process2(io, rev[k], d);
  }
  // Between crossings (every 500 samples) the ramp plays backwards at full
  // level; at each crossing the window dips to silence.
  int backwards = 0, silent = 0;
  for (int k = 2001; k < 6000; ++k) {
    if (rev[k] - rev[k - 1] == -1.0f) ++backwards;
    if (std::fabs(rev[k]) < 1.0f) ++silent;
  }
  EXPECT_GT(backwards, 4000 * 0.4);
  EXPECT_GE(silent, 8);  // one or two samples at each of the eight crossings
  float dip = 1e9f;
  for (int k = 3000; k < 3600; ++k) dip = std::min(dip, std::fabs(rev[k]));
  EXPECT_LT(dip, 1.0f);
}

TEST(ReverseDelay, RestartFadesOutHoldsAndReturnsFromTheNewestAudio) {
  std::vector<float> line(5000, 0.0f);
  CReverseDelay r;
  r.Bind(line.data(), 5000);
  r.Reset();
  float rev = 0.0f;
  auto step = [&](int k) {
    float io = 1.0f + 0.0001f * static_cast<float>(k);  // slowly rising: newest audio is largest
    float d = 2000.0f;
    r.Process2(io, rev, d);
    return rev;
  };
  int k = 0;
  for (; k < 4000; ++k) step(k);
  // Advance to a point well away from a crossing (full level).
  while (std::fabs(step(k) - (1.0f + 0.0001f * (k - 1000))) > 0.2f) ++k;
  for (int j = 0; j < 50; ++j) step(++k);
  r.Restart();
  std::vector<float> out(700);
  for (int j = 0; j < 700; ++j) out[j] = step(++k);
  EXPECT_GT(out[0], 0.5f);
  EXPECT_NEAR(out[104] / out[0], 0.5f, 0.1f);  // half way down the fade
  for (int j = 212; j < 420; ++j) EXPECT_LT(std::fabs(out[j]), 0.05f) << j;
  EXPECT_FALSE(r.IsRestarting());
  // Back within ~105 samples of the release, reading the newest audio.
  const float newest = 1.0f + 0.0001f * static_cast<float>(k);
  EXPECT_NEAR(out[600], newest, 0.05f);
}

TEST_F(DelayTest, ShapeBlendsEachInputIntoTheLinesByItsWeight) {
  // One input side at a time, no feedback: the echo amplitude of a 0.5
  // sine on each line. Shape 0 keeps the sides apart; shape 1 feeds both
  // lines half of the sum; in between the left line takes
  // (1 - s) xL + s (xL + xR) / 2 and the right line s of that plus
  // (1 - s) xR.
  struct CASE {
    float shape;
    bool leftInput;
    double left, right;
  } cases[] = {
      {0.0f, true, 0.5, 0.0},     {0.0f, false, 0.0, 0.5},    {0.5f, true, 0.375, 0.1875},
      {0.5f, false, 0.125, 0.3125}, {1.0f, true, 0.25, 0.25}, {1.0f, false, 0.25, 0.25},
  };
  for (const CASE& c : cases) {
    synth.Set(Id(SHAPE), c.shape);
    fx.Reset();
    STEREO s(6000);
    (c.leftInput ? s.l : s.r) = Sine(6000, 1000.0f);
    RunFx(fx, s);
    EXPECT_NEAR(ToneAmplitude(s.l, 1000.0, 4500, 5823), c.left, 0.004) << c.shape << " " << c.leftInput;
    EXPECT_NEAR(ToneAmplitude(s.r, 1000.0, 4500, 5823), c.right, 0.004) << c.shape << " " << c.leftInput;
  }
}

const int RESTART_SAMPLES = 500;

TEST(ReverseDelay, RestartFadeStartsWithoutAStepAndIsSilentWhereTheHeadJumps) {
  // Two channels fed alike, one of them restarted: the restarted output over
  // the undisturbed one is the fade. It starts at full level (no step), is
  // half way down a quarter of the way through, and reaches silence where
  // the reverse head jumps to the newest audio, so the jump makes no click.
  std::vector<float> lineA(5000, 0.0f), lineB(5000, 0.0f);
  CReverseDelay a, b;
  a.Bind(lineA.data(), 5000);
  b.Bind(lineB.data(), 5000);
  a.Reset();
  b.Reset();
  float revA = 0.0f, revB = 0.0f;
  auto step = [&](int k) {
    const float in = 1.0f + 0.0001f * static_cast<float>(k);
    float ioA = in, ioB = in, dA = 2000.0f, dB = 2000.0f;
    a.Process2(ioA, revA, dA);
    b.Process2(ioB, revB, dB);
  };
  int k = 0;
  for (; k < 4000; ++k) step(k);
  // Well away from a crossing of the heads (full level).
  while (std::fabs(revB - (1.0f + 0.0001f * static_cast<float>(k - 1000))) > 0.05f) step(k++);
  for (int j = 0; j < 50; ++j) step(k++);
  a.Restart();
  std::vector<float> out(RESTART_SAMPLES), ref(RESTART_SAMPLES);
  for (int j = 0; j < RESTART_SAMPLES; ++j) {
    step(k++);
    out[j] = revA;
    ref[j] = revB;
  }
  EXPECT_NEAR(out[0] / ref[0], 1.0f, 0.005f);
  EXPECT_NEAR(out[CReverseDelay::RESTART_LENGTH / 4] / ref[CReverseDelay::RESTART_LENGTH / 4], 0.5f, 0.02f);
  // Silent (below -55 dB) from just before the jump at the middle of the
  // fade until the reverse read sets off again.
  const int jump = CReverseDelay::RESTART_LENGTH / 2;
  for (int j = jump - 4; j < jump + 6; ++j) EXPECT_LT(std::fabs(out[j]), 0.0018f * ref[j]) << j;
}
