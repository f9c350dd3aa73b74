#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "OscFixture.h"
#include "engine/Params.h"

namespace {
const double A4 = 440.09;
const double A1 = A4 / 8.0;  // pitch 33: three octaves below, exactly an eighth in the table
}  // namespace

TEST(Oscillator, PartnerOffAndUnneededRendersNothingAndLeavesScratchAlone) {
  COscFixture f(4, 64);
  auto voice = f.NewVoice(69);
  f.Start(voice.get());
  f.osc[0]->UpdateParams(f.hostBlock);
  f.osc[1]->UpdateParams(f.hostBlock);
  std::vector<float> scratch(f.OscBlock(), 7.0f);
  std::vector<float> l(f.OscBlock(), 3.0f), r(f.OscBlock(), 3.0f);
  float phaseBefore = voice->GetOscState(1)->phase = 0.25f;
  f.osc[1]->Generate(voice.get(), l.data(), r.data(), scratch.data(), f.OscBlock());
  for (unsigned int i = 0; i < f.OscBlock(); ++i) {
    ASSERT_EQ(l[i], 0.0f);
    ASSERT_EQ(r[i], 0.0f);
    ASSERT_EQ(scratch[i], 7.0f);
  }
  EXPECT_EQ(voice->GetOscState(1)->phase, phaseBefore);

  // Osc1 then hears no partner: a plain sine, no sidebands.
  std::vector<float> y = f.Render(voice.get(), 0, 88200);
  EXPECT_NEAR(Amplitude(y, f.OscRate(), A4), 1.0, 0.01);
  EXPECT_LT(Amplitude(y, f.OscRate(), A4 + A1), 1e-3);
}

TEST(Oscillator, FmFromAnOffPartnerPushesThePhaseByItsRawWave) {
  COscFixture f(4, 64);
  f.Set(PARAM_OSC_OCTAVE + 1, -3.0f);  // Osc2 at pitch 33, switched off
  f.Set(PARAM_OSC_FM + 0, 0.5f);       // depth 0.5^3 x 5 = 0.625 cycles
  auto voice = f.NewVoice(69);
  f.Start(voice.get());
  std::vector<float> y = f.Render(voice.get(), 0, 88200);
  // Osc2 rendered for its partner, but its own output is silent.
  for (unsigned int i = 0; i < f.OscBlock(); ++i) {
    ASSERT_EQ(f.outL[1][i], 0.0f);
    ASSERT_EQ(f.outR[1][i], 0.0f);
  }
  // Phase modulation of index 2 pi x 0.625: sidebands at A4 + n A1 of |J_n|.
  const double beta = 2.0 * M_PI * 0.625;
  for (int n = -4; n <= 4; ++n) {
    SCOPED_TRACE(n);
    EXPECT_NEAR(Amplitude(y, f.OscRate(), A4 + n * A1), std::fabs(std::cyl_bessel_j(std::abs(n), beta)), 0.01);
  }
}

TEST(Oscillator, RingModulationByThePartnerSine) {
  for (float rm : {1.0f, 0.0f}) {
    SCOPED_TRACE(rm);
    COscFixture f(4, 64);
    f.Set(PARAM_OSC_ON + 1, 1.0f);
    f.Set(PARAM_OSC_OCTAVE + 1, -3.0f);
    f.Set(PARAM_OSC_RM + 0, rm);
    auto voice = f.NewVoice(69);
    f.Start(voice.get());
    std::vector<float> y = f.Render(voice.get(), 0, 88200);
    if (rm == 1.0f) {
      // sin(a) sin(b): the sum and difference tones at half level, no carrier.
      EXPECT_LT(Amplitude(y, f.OscRate(), A4), 0.005);
      EXPECT_NEAR(Amplitude(y, f.OscRate(), A4 - A1), 0.5, 0.01);
      EXPECT_NEAR(Amplitude(y, f.OscRate(), A4 + A1), 0.5, 0.01);
    } else {
      EXPECT_NEAR(Amplitude(y, f.OscRate(), A4), 1.0, 0.01);
      EXPECT_LT(Amplitude(y, f.OscRate(), A4 + A1), 1e-3);
    }
  }
}

TEST(Oscillator, DeclickFadesTheVoiceInOverSevenMilliseconds) {
  for (unsigned int os : {2u, 8u}) {
    SCOPED_TRACE(os);
    COscFixture f(os, 512);  // 11.6 ms blocks: longer than the fade
    f.Set(PARAM_DECLICK, 1.0f);
    for (unsigned int k = 0; k < 2; ++k) {
      f.Set(PARAM_OSC_ON + k, 1.0f);
      f.Set(PARAM_OSC_MODE + k, 2.0f);    // square: a constant level of 1 between edges
      f.Set(PARAM_OSC_PHASE + k, 0.25f);  // start between the edges at phases 0 and 0.5
      f.Set(PARAM_OSC_OCTAVE + k, -4.0f);
    }
    auto voice = f.NewVoice(45);  // clamps at pitch 0, 8.2 Hz: no edge in the first block
    f.Start(voice.get());
    const double rate = f.OscRate();
    f.Block(voice.get());
    const std::vector<float>& osc2 = f.outL[1];
    const std::vector<float>& osc1 = f.outL[0];
    // Osc2 renders first and takes the whole fade: linear, ending at 7 ms.
    size_t end = 0;
    while (end < osc2.size() && std::fabs(osc2[end]) < 1.0f - 1e-5f) ++end;
    EXPECT_NEAR(end / rate, 0.007, 1.5 / rate);
    EXPECT_NEAR(std::fabs(osc2[0]), 1.0 / (0.007 * rate), 1e-6);
    EXPECT_NEAR(std::fabs(osc2[static_cast<size_t>(0.0035 * rate)]), 0.5, 0.01);
    for (size_t i = end; i < osc2.size(); ++i) ASSERT_NEAR(std::fabs(osc2[i]), 1.0f, 1e-5f) << i;
    // The gain is the voice's: Osc1, rendered next, starts at full level.
    EXPECT_NEAR(std::fabs(osc1[0]), 1.0f, 1e-5f);
    EXPECT_EQ(*voice->GetOscDeclicker(), 1.0f);
  }
}

TEST(Oscillator, DeclickOffStartsAtFullLevel) {
  COscFixture f(4, 64);
  f.Set(PARAM_OSC_MODE, 2.0f);
  f.Set(PARAM_OSC_PHASE, 0.25f);
  auto voice = f.NewVoice(45);
  f.Start(voice.get());
  std::vector<float> y = f.Render(voice.get(), 0, 16);
  EXPECT_NEAR(y[0], 1.0f, 1e-5f);
}

TEST(Oscillator, FreePhaseStartsFromTheVoiceSeed) {
  COscFixture f(4, 64);
  auto voice = f.NewVoice(69);
  voice->GetOscState(0)->randomPhase = 0.5f;
  voice->GetOscState(0)->phase = 0.3f;
  f.osc[0]->Reset(voice.get());
  EXPECT_EQ(voice->GetOscState(0)->phase, 0.0f);  // free phase off

  f.Set(PARAM_OSC_FREE_PHASE, 1.0f);
  f.osc[0]->Reset(voice.get());
  EXPECT_FLOAT_EQ(voice->GetOscState(0)->phase, 0.5f);  // octave 0, semitone 0, detune 0.5: frac(0.5)

  // A tuning change moves the start phase; a nonsense tuning still gives a phase in 0..1.
  f.Set(PARAM_OSC_SEMITONE, 5.0f);
  f.osc[0]->Reset(voice.get());
  float moved = voice->GetOscState(0)->phase;
  EXPECT_GT(std::fabs(moved - 0.5f), 0.01f);
  EXPECT_GE(moved, 0.0f);
  EXPECT_LT(moved, 1.0f);
  for (float bad : {1e9f, NAN, INFINITY}) {
    f.Poke(PARAM_OSC_OCTAVE, bad);
    f.osc[0]->Reset(voice.get());
    EXPECT_EQ(voice->GetOscState(0)->phase, 0.0f) << bad;
  }

  // The sine starts from its first table point: the output begins at 0 with
  // a one-sample lag behind the phase.
  f.Set(PARAM_OSC_OCTAVE, 0.0f);
  f.Set(PARAM_OSC_SEMITONE, 0.0f);
  f.osc[0]->Reset(voice.get());
  f.osc[0]->StartVoice(voice.get());
  std::vector<float> y = f.Render(voice.get(), 0, 4);
  EXPECT_EQ(y[0], 0.0f);
  EXPECT_NEAR(y[1], 0.0f, 1e-3);  // sin(2 pi x 0.5)
  EXPECT_LT(y[2], 0.0f);  // sine from half a cycle: falling below zero
}

TEST(Oscillator, InvertFlipsEverySample) {
  COscFixture a(4, 64), b(4, 64);
  a.Set(PARAM_OSC_MODE, 1.0f);
  b.Set(PARAM_OSC_MODE, 1.0f);
  b.Set(PARAM_OSC_INVERT, 1.0f);
  auto va = a.NewVoice(57), vb = b.NewVoice(57);
  a.Start(va.get());
  b.Start(vb.get());
  std::vector<float> ya = a.Render(va.get(), 0, 4096), yb = b.Render(vb.get(), 0, 4096);
  for (size_t i = 0; i < ya.size(); ++i) ASSERT_EQ(yb[i], -ya[i]) << i;
  EXPECT_EQ(vb->GetOscState(0)->lastOutput, -va->GetOscState(0)->lastOutput);
}

TEST(Oscillator, CentrePanGivesBothChannelsTheSameSignal) {
  COscFixture f(4, 64);
  f.Set(PARAM_OSC_MODE, 3.0f);
  f.Set(PARAM_OSC_PAN, 0.5f);
  auto voice = f.NewVoice(60);
  f.Start(voice.get());
  f.Block(voice.get());
  EXPECT_EQ(f.outL[0], f.outR[0]);
  EXPECT_GT(*std::max_element(f.outL[0].begin(), f.outL[0].end()), 0.1f);
}

TEST(Oscillator, ModesWithoutARoutineAndBadModeValuesAreSilent) {
  for (float mode : {55.0f, 56.0f, 57.0f, 1000.0f, -3.0f, NAN, INFINITY, 1e20f}) {
    SCOPED_TRACE(mode);
    COscFixture f(4, 64);
    f.Set(PARAM_OSC_FREE_PHASE, 1.0f);
    f.Poke(PARAM_OSC_MODE, mode);
    auto voice = f.NewVoice(60);
    f.Start(voice.get());
    f.Block(voice.get());
    for (unsigned int i = 0; i < f.OscBlock(); ++i) {
      ASSERT_EQ(f.outL[0][i], 0.0f);
      ASSERT_EQ(f.outR[0][i], 0.0f);
    }
  }
}

TEST(Oscillator, OutOfRangeMorphPhaseAndFmValuesStayFinite) {
  for (float bad : {1e30f, -1e30f, -5.0f, 3.0f}) {
    SCOPED_TRACE(bad);
    for (float mode : {0.0f, 1.0f, 2.0f, 3.0f}) {
      COscFixture f(2, 64);
      f.Set(PARAM_OSC_MODE, mode);
      f.Set(PARAM_OSC_PHASE, bad);
      f.Set(PARAM_OSC_MORPH_X, bad);
      f.Set(PARAM_OSC_MORPH_Y, bad);
      f.Set(PARAM_OSC_FM, bad);
      f.Set(PARAM_OSC_ON + 1, 1.0f);
      auto voice = f.NewVoice(100);
      f.Start(voice.get());
      f.Block(voice.get());
      f.Block(voice.get());
      float phase = voice->GetOscState(0)->phase;
      EXPECT_TRUE(phase >= 0.0f && phase <= 1.0f) << mode;
    }
  }
}

TEST(Oscillator, WaveTableSourceAndNameComeFromTheParameterImage) {
  COscFixture f(4, 64);
  for (unsigned int k = 0; k < 4; ++k) f.osc[k]->UpdateWaveTable();
  EXPECT_STREQ(f.osc[2]->GetOscWaveTableName(), "Default Wave");
  EXPECT_EQ(f.osc[2]->GetOscWaveTableLength(), 16384);
  const float* t = f.osc[2]->GetOscWaveTable();
  EXPECT_EQ(t[100], f.synth.GetParam(PARAM_WAVETABLE + 2 * WAVETABLE_LENGTH + 100));
  // A name word with a zero byte in its middle ends the name there.
  float word;
  char bytes[4] = {'A', 0, 'B', 'C'};
  std::memcpy(&word, bytes, 4);
  f.params.GetPreset()->data[PARAM_WAVETABLE_NAME + 4 * 1] = word;
  f.osc[1]->UpdateWaveTable();
  const char* name = f.osc[1]->GetOscWaveTableName();
  EXPECT_EQ(name[0], 'A');
  EXPECT_EQ(name[2], 0);
  EXPECT_EQ(name[3], 0);
  // The wavetable keeps the name up to its first zero byte: the rest of
  // "Default Wave" after the damaged first word is dropped.
  EXPECT_EQ(name[4], 0);
}

TEST(Oscillator, AnInvalidModulationValueCountsAsZero) {
  // A modulation source that yields NaN (the vibrato LFO's buffer, routed to
  // Morph X) is read as 0, as every modulated parameter reads it: the wave
  // stays finite, so no NaN reaches the filters and buses after it. (The
  // same buffer drives the vibrato, whose NaN pitch falls back to pitch 0.)
  for (float mode : {0.0f, 1.0f, 2.0f, 3.0f}) {
    SCOPED_TRACE(mode);
    COscFixture f(4, 64);
    f.Set(PARAM_OSC_MODE, mode);
    f.Set(PARAM_MOD_DEPTH, 1.0f);
    f.Set(PARAM_MOD_SOURCE, MOD_SOURCE_VIBRATO);
    f.Set(PARAM_MOD_TARGET, static_cast<float>(Params::ParamIdToModTarget(PARAM_OSC_MORPH_X)));
    f.mod.RebuildMatrix();
    auto voice = f.NewVoice(48);
    f.Start(voice.get());
    float* vib = f.mod.GetVibratoModulation();
    std::fill(vib, vib + f.hostBlock, NAN);
    std::vector<float> y = f.Render(voice.get(), 0, 2 * f.OscBlock());
    for (size_t i = 0; i < y.size(); ++i) ASSERT_TRUE(std::isfinite(y[i])) << i;
  }
}
