// Noise and texture modes (44-54): loop speed and gain laws, unison shifts,
// FM, ring modulation, feedback and buzz inputs, the click's burst and
// repeat, and robustness; plus the buzz and feedback inputs of the pitched
// harmonic, inharmonic, organ and instrument waves.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "Waves2Fixture.h"
#include "tables/NoiseLoopTables.h"
#include "tables/NoiseTables.h"

namespace {

const float WHITE = 44, BROWN = 45, DRONE1 = 46, DRONE3 = 48, DRONE5 = 50, CRACKLE3 = 53, CLICK = 54;

struct LOOP_MODE {
  float mode;
  const float* table;
  unsigned int sizeM1;
  double r0, r1;  // passes per second at X = 0 and X = 1
  double g0, g1;  // gain at X = 0 and X = 1
};

const LOOP_MODE LOOPS[] = {
    {44, Tables::NOISE_WHITE_TABLE, Tables::NOISE_WHITE_TABLE_SIZEM1, 0.5, 0.01, 1, 1},
    {45, Tables::NOISE_BROWN_TABLE, Tables::NOISE_BROWN_TABLE_SIZEM1, 0.5, 0.01, 1.5, 9.5},
    {46, Tables::NOISE_DRONE1_TABLE, Tables::NOISE_DRONE1_TABLE_SIZEM1, 0.5, 0.1, 1.5, 7.5},
    {47, Tables::NOISE_DRONE2_TABLE, Tables::NOISE_DRONE2_TABLE_SIZEM1, 0.5, 0.1, 1, 1},
    {48, Tables::NOISE_DRONE3_TABLE, Tables::NOISE_DRONE3_TABLE_SIZEM1, 0.5, 0.1, 1, 2},
    {49, Tables::NOISE_DRONE4_TABLE, Tables::NOISE_DRONE4_TABLE_SIZEM1, 0.5, 0.1, 1.5, 5.5},
    {50, Tables::NOISE_DRONE5_TABLE, Tables::NOISE_DRONE5_TABLE_SIZEM1, 0.5, 0.15, 1.5, 3.5},
    {51, Tables::NOISE_CRACKLE1_TABLE, Tables::NOISE_CRACKLE1_TABLE_SIZEM1, 0.5, 0.1, 1.5, 1.5},
    {52, Tables::NOISE_CRACKLE2_TABLE, Tables::NOISE_CRACKLE2_TABLE_SIZEM1, 0.5, 0.1, 3, 3},
    {53, Tables::NOISE_CRACKLE3_TABLE, Tables::NOISE_CRACKLE3_TABLE_SIZEM1, 0.5, 0.2, 2, 2},
};

double TableAt(const float* table, unsigned int sizeM1, double x) {
  double f = x * sizeM1;
  unsigned int i = static_cast<unsigned int>(f);
  if (i >= sizeM1) return table[sizeM1];
  return table[i] + (table[i + 1] - table[i]) * (f - i);
}

double Rms(const float* x, size_t n) {
  double s = 0.0;
  for (size_t i = 0; i < n; ++i) s += static_cast<double>(x[i]) * x[i];
  return std::sqrt(s / n);
}

// Renders `hostSamples` host-rate samples of Osc1 for a fresh voice.
std::vector<float> RenderNoise(COscFixture& f, CVoice* voice, size_t hostSamples) {
  f.Start(voice);
  return f.Render(voice, 0, hostSamples * f.oversampling);
}

COscFixture& Noise(float mode, float x, unsigned int os = 4) {
  COscFixture& f = SharedFixture(os);
  f.Neutral();
  f.Set(PARAM_OSC_MODE, mode);
  f.Set(PARAM_OSC_MORPH_X, x);
  return f;
}

}  // namespace

TEST(NoiseModes, OnePassTakesOneOverRSecondsWhateverTheNote) {
  const size_t HOST = 64 * 40;
  for (const LOOP_MODE& m : LOOPS)
    for (float x : {0.0f, 1.0f})
      for (int note : {30, 90}) {
        SCOPED_TRACE(::testing::Message() << "mode " << m.mode << " X " << x << " note " << note);
        COscFixture& f = Noise(m.mode, x);
        auto voice = f.NewVoice(note);
        RenderNoise(f, voice.get(), HOST);
        double expected = (x == 0.0f ? m.r0 : m.r1) * HOST / 44100.0;
        EXPECT_NEAR(voice->GetOscState(0)->phase, expected, 1e-4 * expected);
      }
  // At 8x the slowest step (0.01 passes per second) is below a float's
  // resolution near the end of the recording: the position still moves on.
  COscFixture& f = Noise(WHITE, 1.0f, 8);
  auto voice = f.NewVoice(60);
  f.Start(voice.get());
  voice->GetOscState(0)->phase = 0.75f;
  f.Render(voice.get(), 0, 64 * 8 * 40);
  EXPECT_NEAR(voice->GetOscState(0)->phase, 0.75 + 0.01 * 64 * 40 / 44100.0, 6e-8);  // one float step
}

TEST(NoiseModes, GainFollowsMorphX) {
  // Output level over a stretch = g(X) times the level of the part of the
  // recording read (smooth recordings, where interpolation keeps the level).
  for (const LOOP_MODE& m : LOOPS) {
    if (m.mode != BROWN && m.mode != DRONE1 && m.mode != DRONE3 && m.mode != DRONE5) continue;
    for (float x : {0.0f, 1.0f}) {
      SCOPED_TRACE(::testing::Message() << "mode " << m.mode << " X " << x);
      COscFixture& f = Noise(m.mode, x);
      auto voice = f.NewVoice(60);
      const size_t host = 11025;  // a quarter second
      std::vector<float> y = RenderNoise(f, voice.get(), host);
      double portion = (x == 0.0f ? m.r0 : m.r1) * 0.25;
      size_t values = static_cast<size_t>(portion * m.sizeM1);
      double expected = (x == 0.0f ? m.g0 : m.g1) * Rms(m.table, values);
      EXPECT_NEAR(Rms(y.data(), y.size()), expected, 0.05 * expected);
    }
  }
}

TEST(NoiseModes, UnisonSubVoicesReadShiftedAndScaled) {
  COscFixture& f = Noise(DRONE1, 0.0f);
  f.synth.SetUnisonNsPhaseShift(1, 0.3f);
  f.synth.SetUnisonNsPitchShift(1, 0.25f);
  auto first = f.NewVoice(60, 0);
  auto second = f.NewVoice(60, 1);
  std::vector<float> a = RenderNoise(f, first.get(), 2560);
  std::vector<float> b = RenderNoise(f, second.get(), 2560);
  // Sub-voice 0 keeps shift 0: it starts at the recording's start.
  EXPECT_NEAR(a[0], 1.5 * Tables::NOISE_DRONE1_TABLE[0], 1e-6);
  EXPECT_NEAR(b[0], 1.5 * TableAt(Tables::NOISE_DRONE1_TABLE, Tables::NOISE_DRONE1_TABLE_SIZEM1, 0.3), 1e-5);
  // Positions advance at r and (1 - 0.25) r.
  EXPECT_NEAR(first->GetOscState(0)->phase, 0.5 * 2560 / 44100.0, 1e-6);
  EXPECT_NEAR(second->GetOscState(0)->phase, 0.75 * 0.5 * 2560 / 44100.0, 1e-6);
  f.synth.SetUnisonNsPhaseShift(1, 0.0f);
  f.synth.SetUnisonNsPitchShift(1, 0.0f);
}

TEST(NoiseModes, RingModulationFmAndClickIgnoringFm) {
  // Osc2 a sine, on, at 200 Hz; Osc1 noise.
  auto render = [](float mode, float fm, float rm) {
    COscFixture& f = Noise(mode, 0.3f);
    f.Set(PARAM_OSC_ON + 1, 1.0f);
    f.Set(PARAM_OSC_FM, fm);
    f.Set(PARAM_OSC_RM, rm);
    auto voice = f.NewVoice(55);
    f.Start(voice.get());
    std::vector<float> y, partner;
    for (int b = 0; b < 20; ++b) {
      f.Block(voice.get());
      y.insert(y.end(), f.outL[0].begin(), f.outL[0].end());
      partner.insert(partner.end(), f.outL[1].begin(), f.outL[1].end());
    }
    return std::make_pair(y, partner);
  };
  for (float mode : {BROWN, CRACKLE3, CLICK}) {
    SCOPED_TRACE(mode);
    auto plain = render(mode, 0, 0);
    // RM = 1: the noise times the partner's wave.
    auto ring = render(mode, 0, 1);
    for (size_t i = 0; i < plain.first.size(); ++i)
      ASSERT_NEAR(ring.first[i], plain.first[i] * plain.second[i], 1e-5) << i;
    // FM moves the read position of the looping modes; Click reads no FM.
    auto fm = render(mode, 1, 0);
    if (mode == CLICK)
      EXPECT_EQ(fm.first, plain.first);
    else
      EXPECT_NE(fm.first, plain.first);
  }
}

TEST(NoiseModes, ClickPlaysOneBurstPerNoteAtXZero) {
  std::vector<float> bursts[9];
  for (unsigned int os : {2u, 4u, 8u}) {
    SCOPED_TRACE(os);
    COscFixture& f = Noise(CLICK, 0.0f, os);
    f.Set(PARAM_DECLICK, 1.0f);
    auto voice = f.NewVoice(60);
    std::vector<float> y = RenderNoise(f, voice.get(), 44100 + 2000);
    // The burst lasts 200 host-rate samples (silent before its table's
    // value 1034).
    const size_t burst = 200 * os;
    size_t first = y.size(), last = 0;
    for (size_t i = 0; i < y.size(); ++i)
      if (y[i] != 0.0f) {
        first = std::min(first, i);
        last = i;
      }
    EXPECT_GE(first, static_cast<size_t>(std::floor(1034.0 / 16384.0 * burst)));
    EXPECT_LE(first, static_cast<size_t>(std::ceil(1034.0 / 16384.0 * burst)) + 1);
    EXPECT_LT(last, burst);
    bursts[os].assign(y.begin(), y.begin() + burst);
    // After a second the time rests at 1 s, silent; the note-start declick
    // neither faded the burst nor advanced.
    EXPECT_EQ(voice->GetOscState(0)->phase, 1.0f);
    EXPECT_EQ(*voice->GetOscDeclicker(), 0.0f);
    f.Set(PARAM_DECLICK, 0.0f);
  }
  // The gain is 4 per oversampling step: twice the rate reads the same
  // table values at every other sample, twice as loud.
  for (unsigned int os : {2u, 4u}) {
    size_t same = 0, count = bursts[os].size();
    for (size_t i = 0; i < count; ++i)
      if (std::fabs(bursts[2 * os][2 * i] - 2.0f * bursts[os][i]) <= 1e-6f) ++same;
    EXPECT_GT(same, count * 98 / 100) << os;
    EXPECT_GT(Rms(bursts[os].data(), count), 0.005 * os);  // audible
  }
}

TEST(NoiseModes, ClickBurstIsItsTableAtFourTimesTheOversampling) {
  // Sample i of a one-shot burst of 200 host-rate samples reads table value
  // trunc(i x 16384 / (200 N)) without interpolation, times 4 N.
  for (unsigned int os : {2u, 4u}) {
    SCOPED_TRACE(os);
    COscFixture& f = Noise(CLICK, 0.0f, os);
    auto voice = f.NewVoice(60);
    std::vector<float> y = RenderNoise(f, voice.get(), 400);
    const size_t burst = 200 * os;
    size_t same = 0;
    double sumY = 0.0, sumRef = 0.0;
    for (size_t i = 0; i < burst; ++i) {
      const size_t index = static_cast<size_t>(static_cast<double>(i) * 16384.0 / static_cast<double>(burst));
      const double want = Tables::NOISE_CLICK_TABLE[index] * 4.0 * os;
      if (std::fabs(y[i] - want) <= 1e-5 * (1.0 + std::fabs(want))) ++same;
      sumY += static_cast<double>(y[i]) * y[i];
      sumRef += want * want;
    }
    EXPECT_GT(same, burst * 97 / 100);
    EXPECT_NEAR(std::sqrt(sumY / sumRef), 1.0, 0.02);
  }
}

TEST(NoiseModes, ClickRepeatsAtThePeriodMorphXSets) {
  struct {
    float x;
    double period;  // 0.025 + 0.475 (1 - X)^2 s
  } cases[] = {{0.001f, 0.025 + 0.475 * 0.999 * 0.999}, {0.5f, 0.025 + 0.475 * 0.25}, {1.0f, 0.025}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.x);
    COscFixture& f = Noise(CLICK, c.x);
    auto voice = f.NewVoice(60);
    std::vector<float> y = RenderNoise(f, voice.get(), static_cast<size_t>(2.2 * c.period * 44100));
    // Burst onsets: a sounding sample after at least 200 silent ones.
    std::vector<size_t> onsets;
    size_t silent = 1000;
    for (size_t i = 0; i < y.size(); ++i) {
      if (y[i] != 0.0f && silent >= 200) onsets.push_back(i);
      silent = y[i] == 0.0f ? silent + 1 : 0;
    }
    ASSERT_EQ(onsets.size(), 3u);
    for (size_t k = 1; k < onsets.size(); ++k)
      EXPECT_NEAR(static_cast<double>(onsets[k] - onsets[k - 1]), c.period * 176400.0, 2.0);
  }
}

TEST(BuzzAndFeedback, PitchedWavesReadBothNoiseLoopsOnlyFeedbackClickNeither) {
  using ROUTINE = void (COscillator::*)(CVoice*, float*, unsigned int);
  const ROUTINE ROUTINES[] = {
      &COscillator::GenerateSynCello,    &COscillator::GenerateSynBrass1,   &COscillator::GenerateSynBrass2,
      &COscillator::GenerateSynGuitar1,  &COscillator::GenerateSynGuitar2,  &COscillator::GenerateSynOboe,
      &COscillator::GenerateSynFlute1,   &COscillator::GenerateSynFlute2,   &COscillator::GenerateOrgan1,
      &COscillator::GenerateOrgan2,      &COscillator::GenerateInharmonic1, &COscillator::GenerateInharmonic2,
      &COscillator::GenerateInharmonic3, &COscillator::GenerateInharmonic4, &COscillator::GenerateHarmonic1,
      &COscillator::GenerateHarmonic2,   &COscillator::GenerateHarmonic3,   &COscillator::GenerateHarmonic4,
      &COscillator::GenerateWhite,       &COscillator::GenerateBrown,       &COscillator::GenerateDrone1,
      &COscillator::GenerateDrone2,      &COscillator::GenerateDrone3,      &COscillator::GenerateDrone4,
      &COscillator::GenerateDrone5,      &COscillator::GenerateCrackle1,    &COscillator::GenerateCrackle2,
      &COscillator::GenerateCrackle3,    &COscillator::GenerateClick};
  std::vector<float> ones(64, 1.0f);
  // One block rendered the normal way (pitch and frame values), then the
  // routine again with a buzz or feedback buffer as an effect chain would
  // publish it.
  auto take = [&](int mode, int note, float* buzz, float* feedback) {
    COscFixture& f = Noise(static_cast<float>(mode), 0.4f);
    f.Set(PARAM_OSC_MORPH_Y, 0.4f);
    auto voice = f.NewVoice(note);
    f.Start(voice.get());
    f.Block(voice.get());
    f.synth.SetBuzzParam(0, buzz);
    f.synth.SetFeedbackParam(0, feedback);
    std::vector<float> out(f.OscBlock());
    (f.osc[0].get()->*ROUTINES[mode - 26])(voice.get(), out.data(), f.OscBlock());
    f.synth.SetBuzzParam(0, nullptr);
    f.synth.SetFeedbackParam(0, nullptr);
    return out;
  };
  for (int mode = 26; mode <= 54; ++mode) {
    SCOPED_TRACE(mode);
    bool pitched = mode <= 43, loop = mode >= 44 && mode <= 53;
    std::vector<float> plain = take(mode, 30, nullptr, nullptr);
    std::vector<float> buzzed = take(mode, 30, ones.data(), nullptr);
    std::vector<float> fed = take(mode, 30, nullptr, ones.data());
    EXPECT_EQ(plain != buzzed, pitched);
    EXPECT_EQ(plain != fed, pitched || loop);
    if (pitched) {
      // Buzz fades out between 100 Hz and 350 Hz: none at 523 Hz.
      EXPECT_EQ(take(mode, 72, nullptr, nullptr), take(mode, 72, ones.data(), nullptr));
    }
  }
}

TEST(NoiseModes, ExtremeSettingsAndDamagedStateStayFiniteAndInside) {
  for (float bad : {1e30f, -1e30f, -5.0f, 3.0f, NAN, INFINITY}) {
    SCOPED_TRACE(bad);
    for (int mode = 44; mode <= 54; ++mode) {
      COscFixture& f = Noise(static_cast<float>(mode), bad, 2);
      f.Set(PARAM_OSC_FM, bad);
      f.Set(PARAM_OSC_ON + 1, 1.0f);
      auto voice = f.NewVoice(60);
      f.synth.SetUnisonNsPhaseShift(0, bad);
      f.Start(voice.get());
      voice->GetOscState(0)->phase = bad;
      voice->GetOscState(0)->lastOutput = bad;
      for (int b = 0; b < 3; ++b) {
        f.Block(voice.get());
        for (unsigned int i = 0; i < f.OscBlock(); ++i) ASSERT_TRUE(std::isfinite(f.outL[0][i])) << mode;
      }
      float phase = voice->GetOscState(0)->phase;
      EXPECT_TRUE(phase >= 0.0f && phase <= 1.0f) << mode;
      f.synth.SetUnisonNsPhaseShift(0, 0.0f);
    }
  }
}
