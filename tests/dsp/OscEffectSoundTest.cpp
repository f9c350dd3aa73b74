// What each audio oscillator effect does to a signal, measured: the sub's
// octaves, the scissor's gate, the brilliance shelf, the ring modulator's
// sidebands, the chip's pitch- and signal-driven gate; and robustness
// against damaged pitch and amount values.
#include <gtest/gtest.h>

#include "StageFixture.h"
#include "dsp/Brilliance.h"
#include "dsp/Chip.h"
#include "dsp/Ringer.h"
#include "dsp/Scissor.h"
#include "dsp/SubOsc.h"

namespace {

const unsigned int OSC = 2;

class OscEffectSoundTest : public StageFixture {
 protected:
  void SetUp() override {
    for (unsigned int s = 0; s < 4; ++s) {
      Set(PARAM_OSC_FX_TYPE + 4 * s + OSC, 99.0f);
      Set(PARAM_OSC_FX_AMOUNT + 4 * s + OSC, 0.0f);
    }
  }
  // Types the slot (for the same-type count) and sets its amount.
  void Slot(unsigned int slot, unsigned int type, float amount) {
    Set(PARAM_OSC_FX_TYPE + 4 * slot + OSC, static_cast<float>(type));
    Set(PARAM_OSC_FX_AMOUNT + 4 * slot + OSC, amount);
  }
  void Prepare(IOscEffect& e, unsigned int slot, CVoice* v) {
    e.SetInstance(OSC, slot);
    e.SetSampleRate(Rate());
    e.SetBlockSize(N());
    e.Reset(v);
  }
  // Runs x through e in blocks, as the chain does.
  std::vector<float> Run(IOscEffect& e, CVoice* v, std::vector<float> x) {
    for (size_t at = 0; at + N() <= x.size(); at += N()) {
      e.UpdateParams(HOST_N);
      e.Process(v, x.data() + at, N());
    }
    return x;
  }
  size_t Len(size_t blocks) { return blocks * N(); }
};

// Rising crossings of a level per second.
double RisingRate(const std::vector<float>& x, float level, double rate, size_t skip = 0) {
  size_t first = 0, last = 0, count = 0;
  for (size_t i = skip + 1; i < x.size(); ++i)
    if (x[i - 1] < level && x[i] >= level) {
      if (!count) first = i;
      last = i;
      ++count;
    }
  return count < 2 ? 0.0 : (count - 1) * rate / double(last - first);
}

TEST_F(OscEffectSoundTest, SubAddsABandLimitedSquareOneAndTwoOctavesDown) {
  SetPitchHz(441.0f);
  Slot(0, OSC_FX_SUB, 1.0f);
  Slot(1, OSC_FX_SUB, 1.0f);
  auto v = NewVoice();
  CSubOsc first(&f.synth), second(&f.synth);
  Prepare(first, 0, v.get());
  Prepare(second, 1, v.get());
  const std::vector<float> silence(Len(40), 0.0f);
  const std::vector<float> a = Run(first, v.get(), silence);
  const std::vector<float> b = Run(second, v.get(), silence);
  EXPECT_NEAR(CrossingHz(a, Rate()), 220.5, 0.5);
  EXPECT_NEAR(CrossingHz(b, Rate()), 110.25, 0.3);
  // Amount 1 halves the mix: a +-0.5 square, odd harmonics only.
  EXPECT_NEAR(LevelAt(a, Rate(), 220.5), 0.5 * 4.0 / M_PI, 0.02);
  EXPECT_NEAR(LevelAt(a, Rate(), 3 * 220.5), 0.5 * 4.0 / (3.0 * M_PI), 0.01);
  EXPECT_LT(LevelAt(a, Rate(), 441.0), 0.005);
  EXPECT_LE(*std::max_element(a.begin(), a.end()), 0.56f);  // band-limited edges, small overshoot

  // The dry signal is scaled by 1 / (1 + a).
  auto w = NewVoice();
  Set(PARAM_OSC_FX_AMOUNT + OSC, 0.25f);
  CSubOsc sub(&f.synth);
  Prepare(sub, 0, w.get());
  const std::vector<float> y = Run(sub, w.get(), Sine(Len(40), 441.0, Rate()));
  EXPECT_NEAR(LevelAt(y, Rate(), 441.0), 1.0 / 1.25, 0.01);
  EXPECT_NEAR(LevelAt(y, Rate(), 220.5), 0.25 / 1.25 * 4.0 / M_PI, 0.01);
}

TEST_F(OscEffectSoundTest, ScissorChopsAtFourTimesThePitchAndTheAmountWidensTheCut) {
  SetPitchHz(110.25f);  // gate at 441 Hz: 400 samples per gate cycle at 4x
  struct CASE {
    float amount;
    double shut;  // fraction of the gate cycle that is shut: 1 - 1 / (a^3 + 1)
  };
  for (CASE c : {CASE{1.0f, 0.5}, CASE{0.5f, 1.0 - 1.0 / 1.125}, CASE{0.8f, 1.0 - 1.0 / 1.512}}) {
    SCOPED_TRACE(c.amount);
    Slot(0, OSC_FX_SCISSOR, c.amount);
    auto v = NewVoice();
    CScissor sc(&f.synth);
    Prepare(sc, 0, v.get());
    const std::vector<float> y = Run(sc, v.get(), std::vector<float>(Len(50), 1.0f));
    size_t shut = std::count_if(y.begin(), y.end(), [](float s) { return s < 0.5f; });
    EXPECT_NEAR(double(shut) / y.size(), c.shut, 0.015);
    EXPECT_NEAR(RisingRate(y, 0.5f, Rate()), 441.0, 1.0);
    for (float s : y) ASSERT_TRUE(s >= -0.01f && s <= 1.01f);
  }
}

TEST_F(OscEffectSoundTest, TwoScissorSlotsStartAQuarterGateCycleApart) {
  SetPitchHz(110.25f);
  Slot(0, OSC_FX_SCISSOR, 1.0f);
  Slot(1, OSC_FX_SCISSOR, 1.0f);
  auto v = NewVoice();
  v->GetOscState(OSC)->phase = 0.3f;
  CScissor a(&f.synth), b(&f.synth);
  Prepare(a, 0, v.get());
  Prepare(b, 1, v.get());
  const std::vector<float> ones(Len(10), 1.0f);
  const std::vector<float> ya = Run(a, v.get(), ones), yb = Run(b, v.get(), ones);
  for (size_t i = 0; i + 100 < ya.size(); ++i) ASSERT_NEAR(yb[i], ya[i + 100], 0.02f) << i;
}

TEST_F(OscEffectSoundTest, BrillianceShelfRisesFromUnityToTheSquareOfItsGain) {
  struct CASE {
    float amount;
    double top;  // (1 + 7 a^2)^2
  };
  for (CASE c : {CASE{1.0f, 64.0}, CASE{0.5f, 7.5625}, CASE{0.0f, 1.0}}) {
    SCOPED_TRACE(c.amount);
    Slot(1, OSC_FX_BRILLIANCE, c.amount);
    if (c.amount == 0.0f) mod.AddSource(PARAM_OSC_FX_AMOUNT + 4 + OSC, 1.0f, 0.5f);
    auto v = NewVoice();
    CBrilliance br(&f.synth);
    Prepare(br, 1, v.get());
    const size_t n = Len(20);
    std::vector<float> dc(n, 1.0f), nyquist(n);
    for (size_t i = 0; i < n; ++i) nyquist[i] = (i & 1) ? -1.0f : 1.0f;
    const std::vector<float> yd = Run(br, v.get(), dc);
    br.Reset(v.get());
    const std::vector<float> yn = Run(br, v.get(), nyquist);
    EXPECT_NEAR(yd.back(), 1.0, 1e-3);
    EXPECT_NEAR(std::fabs(yn.back()), c.top, c.top * 1e-3);
    double g1 = 0, g10 = 0, g40 = 0;
    for (auto [hz, g] : {std::pair<double, double*>{1000.0, &g1}, {10000.0, &g10}, {40000.0, &g40}}) {
      br.Reset(v.get());
      *g = LevelAt(Run(br, v.get(), Sine(n, hz, Rate())), Rate(), hz, N());
    }
    // The corner: gain A = sqrt(top) at 10 kHz; below it the gain falls
    // toward 1, above it rises toward the top.
    EXPECT_NEAR(g10, std::sqrt(c.top), 0.01 * std::sqrt(c.top));
    EXPECT_LE(g1, g10 + 1e-3);
    EXPECT_GE(g40, g10 - 1e-3);
    EXPECT_LE(g40, c.top + 1e-3);
    if (c.amount > 0.0f) {
      EXPECT_LT(g1, 1.3);
    }
    mod.Clear();
  }
}

TEST_F(OscEffectSoundTest, RingerAddsSidebandsFourTimesThePitchAway) {
  SetPitchHz(441.0f);
  Slot(0, OSC_FX_RINGER, 1.0f);
  auto v = NewVoice();
  CRinger r(&f.synth);
  Prepare(r, 0, v.get());
  const std::vector<float> y = Run(r, v.get(), Sine(Len(40), 441.0, Rate()));
  EXPECT_GT(LevelAt(y, Rate(), 3 * 441.0), 0.05);
  EXPECT_GT(LevelAt(y, Rate(), 5 * 441.0), 0.05);
  EXPECT_LT(LevelAt(y, Rate(), 441.0), 1.0);
  EXPECT_LE(*std::max_element(y.begin(), y.end()), 2.1f);

  // Start phases follow the oscillator: saw at 4x, gate at 16x its phase.
  auto w = NewVoice();
  w->GetOscState(OSC)->phase = 0.9f;
  r.Reset(w.get());
  EXPECT_NEAR(w->GetOscFXState(OSC)->ringer[0][1], 0.6f, 1e-5f);
  EXPECT_NEAR(w->GetOscFXState(OSC)->ringer[0][0], 0.4f, 1e-4f);
}

TEST_F(OscEffectSoundTest, ChipGateRateFollowsThePitchAndTheSignal) {
  for (unsigned int os : {2u, 4u, 8u}) {
    SCOPED_TRACE(os);
    SetOversampling(os);
    SetPitchHz(55.125f);
    Slot(0, OSC_FX_CHIP, 0.5f);  // d = 0.5: gate at 32 x the pitch
    auto v = NewVoice();
    CChip chip(&f.synth);
    Prepare(chip, 0, v.get());
    const std::vector<float> quiet = Run(chip, v.get(), std::vector<float>(Len(30), 0.0f));
    EXPECT_NEAR(RisingRate(quiet, 0.25f, Rate()), 32.0 * 55.125, 20.0);
    EXPECT_NEAR(*std::max_element(quiet.begin(), quiet.end()), 0.5f, 1e-3f);
    // A steady input of 1 speeds the gate by the same 882 Hz at every
    // oversampling factor.
    chip.Reset(v.get());
    const std::vector<float> loud = Run(chip, v.get(), std::vector<float>(Len(30), 1.0f));
    EXPECT_NEAR(RisingRate(loud, 1.0f, Rate()), 32.0 * 55.125 + 882.0, 25.0);
  }
}

TEST_F(OscEffectSoundTest, ChipWithItsIncrementClampedToZeroHoldsItsPhaseAndOpens) {
  SetPitchHz(55.125f);
  Slot(1, OSC_FX_CHIP, 0.5f);
  auto v = NewVoice();
  CChip chip(&f.synth);
  Prepare(chip, 1, v.get());
  v->GetOscFXState(OSC)->chipPhase[1] = 0.7f;  // inside the shut span
  const std::vector<float> y = Run(chip, v.get(), std::vector<float>(Len(2), -1000.0f));
  EXPECT_EQ(v->GetOscFXState(OSC)->chipPhase[1], 0.7f);
  for (float s : y) ASSERT_NEAR(s, -999.5f, 1e-3f);  // (1 - d)(x + 1) + d x
}

TEST_F(OscEffectSoundTest, DamagedPitchAndAmountsStayFiniteAndInsideTheTables) {
  const float pitches[] = {NAN, INFINITY, -1.0f, 1e30f, 0.0f, 0.4999f, 3.0f};
  const float sources[] = {NAN, 1e30f, -1e30f, INFINITY};
  const unsigned int types[] = {OSC_FX_SCISSOR, OSC_FX_SUB, OSC_FX_BRILLIANCE, OSC_FX_RINGER, OSC_FX_CHIP};
  for (unsigned int type : types)
    for (float p : pitches)
      for (float s : sources) {
        SCOPED_TRACE(testing::Message() << type << " " << p << " " << s);
        std::fill(pitch.begin(), pitch.end(), p);
        mod.Clear();
        mod.AddSource(PARAM_OSC_FX_AMOUNT + 12 + OSC, s, 1.0f);
        Slot(3, type, 1.0f);
        auto v = NewVoice();
        std::unique_ptr<IOscEffect> e;
        switch (type) {
          case OSC_FX_SCISSOR: e.reset(new CScissor(&f.synth)); break;
          case OSC_FX_SUB: e.reset(new CSubOsc(&f.synth)); break;
          case OSC_FX_BRILLIANCE: e.reset(new CBrilliance(&f.synth)); break;
          case OSC_FX_RINGER: e.reset(new CRinger(&f.synth)); break;
          default: e.reset(new CChip(&f.synth)); break;
        }
        Prepare(*e, 3, v.get());
        const std::vector<float> y = Run(*e, v.get(), Sine(Len(2), 1000.0, Rate(), 3.0));
        ASSERT_TRUE(AllFinite(y));
      }
}

}  // namespace
