// Harmonic (40-43), inharmonic (36-39), organ (34-35) and instrument
// (26-33) waves: pitch, spectra, morph laws and edge cases, measured on
// rendered signals.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "Waves2Fixture.h"
#include "tables/InstrumentTables.h"
#include "osc/RenderFrame.h"
#include "tables/ToneTables.h"

namespace {

const int LOW = 36;  // 65.4 Hz: below every key range, below the buzz fade

struct PARTIAL_CASE {
  const char* name;
  float mode, x, y;
  std::vector<std::pair<unsigned int, double>> expected;  // harmonic: amplitude
};

void CheckPartials(const PARTIAL_CASE& c, double tolerance = 0.004) {
  SCOPED_TRACE(c.name);
  WAVE_TAKE t = RenderTake(c.mode, LOW, c.x, c.y, 24);
  unsigned int top = 0;
  for (const auto& e : c.expected) top = std::max(top, e.first);
  std::vector<double> a = Partials(t, top);
  for (const auto& e : c.expected) EXPECT_NEAR(a[e.first], e.second, tolerance) << "harmonic " << e.first;
}

float Peak(const std::vector<float>& y) {
  float p = 0.0f;
  for (float v : y) p = std::max(p, std::fabs(v));
  return p;
}

}  // namespace

TEST(ToneWaves, EveryPitchedModeRepeatsAtTheNotesPitch) {
  // Nearly all of the power lies in harmonics of the note, at both ends of
  // the morph range, at a low or a middle note.
  // (Some settings leave the fundamental itself weak or empty, as in Syn
  // Flute 2, which runs at twice the phase: the wave still repeats at the
  // note's period.)
  for (int mode = 26; mode <= 43; ++mode)
    for (float xy : {0.0f, 1.0f}) {
      const int note = mode % 2 ? 62 : 48;
      SCOPED_TRACE(::testing::Message() << "mode " << mode << " note " << note << " xy " << xy);
      const double inc = PitchHz(note) / 176400.0;
      WAVE_TAKE t = RenderTake(static_cast<float>(mode), note, xy, 1.0f - xy, 1.0 + 32768 * inc);
      EXPECT_GT(HarmonicShare(t), 0.999);
    }
}

TEST(ToneWaves, HarmonicSpectra) {
  const PARTIAL_CASE cases[] = {
      // (0.9 + 0.1 S2) S1: a sine with a tenth of second-partial modulation.
      {"H1 X0 Y0", 40, 0, 0, {{1, 0.9014}, {2, 0.0}, {3, 0.05}}},
      // Fundamental and second partial in equal shares.
      {"H1 X1 Y0", 40, 1, 0, {{1, 0.4507}, {2, 0.45}, {3, 0.025}, {4, 0.025}}},
      {"H2 X1 Y0", 41, 1, 0, {{1, 0.45}, {3, 0.025}, {4, 0.45}, {5, 0.025}, {8, 0.025}}},
      // Third partial at a share of 1/6, fifth-partial modulation of depth 0.1.
      {"H3 X0 Y0", 42, 0, 0, {{1, 0.75}, {2, 0.0083}, {3, 0.15}, {4, 0.0417}, {5, 0.0}, {6, 0.0417}, {8, 0.0083}}},
      // Share 4/9, depth 0.9: the modulation sidebands dominate.
      {"H3 X1 Y1", 42, 1, 1, {{1, 0.0556}, {2, 0.2}, {3, 0.0444}, {4, 0.25}, {6, 0.25}, {8, 0.2}}},
      // No fundamental in the mix: second partial, modulated by the fundamental.
      {"H4 X0 Y0", 43, 0, 0, {{1, 0.135}, {2, 0.63}, {3, 0.12}, {4, 0.07}, {5, 0.015}}},
      {"H4 X1 Y0", 43, 1, 0, {{1, 0.0075}, {2, 0.035}, {3, 0.135}, {4, 0.665}, {5, 0.1425}}},
  };
  for (const auto& c : cases) CheckPartials(c);
}

TEST(ToneWaves, HarmonicEdgeCases) {
  // Harmonic 1, X = 1, Y = 0 at p = 0.25: (1 - 0.1) x 1/2.
  WAVE_TAKE t = RenderTake(40, LOW, 1, 0, 1.5);
  EXPECT_NEAR(t.y[static_cast<size_t>(std::lround(0.25 / t.inc))], 0.45, 1e-3);
  // Harmonic 3's partials start from phase 0: its second sample is
  // (1 - w) S1 / (1 + h); Y = 1 gives w = 0.9, X = 0 gives h = 0.2.
  t = RenderTake(42, 60, 0, 1, 1.5);
  EXPECT_NEAR(t.y[1], 0.1 * std::sin(2.0 * M_PI * t.inc) / 1.2, 1e-4);
  // Every member stays within +-1.
  for (float mode = 40; mode <= 43; ++mode)
    for (float x : {0.0f, 1.0f})
      for (float y : {0.0f, 1.0f}) EXPECT_LE(Peak(RenderTake(mode, LOW, x, y, 2).y), 1.0f) << mode;
}

TEST(ToneWaves, InharmonicSpectra) {
  const PARTIAL_CASE cases[] = {
      // The plain average of the bell and INHARM1 at three times the phase.
      {"I4 X0 Y0", 39, 0, 0, {{1, 0.399}, {3, 0.458}, {10, 0.0559}, {11, 0.0249}, {21, 0.0255}, {25, 0.0182}}},
      // Y = 0: the bell alone under a modulation of depth 0.1 by INHARM1 at 3x.
      {"I3 X0 Y0", 38, 0, 0, {{1, 0.718}, {2, 0.0366}, {4, 0.0366}, {10, 0.1005}}},
      // Y = 1: INHARM2 at eight times the phase in equal share.
      {"I3 X0 Y1", 38, 0, 1, {{1, 0.359}, {8, 0.2215}}},
      // Depth 0.5 at X = 0: the bell at 3x modulates INHARM1 strongly.
      {"I1 X0 Y0", 36, 0, 0, {{1, 0.458}, {2, 0.183}, {4, 0.183}}},
      // Depth 0.01: nearly INHARM1 plus INHARM2 at six times the phase.
      {"I2 X0 Y1", 37, 0, 1, {{1, 0.4535}, {6, 0.2437}}},
  };
  for (const auto& c : cases) CheckPartials(c, 0.006);
}

TEST(ToneWaves, InharmonicEdgeCases) {
  // The first sample reads the modulating and mixed tables at phase 0,
  // where they are not 0: with the frame's phase at 0, Inharmonic 3 gives
  // (1 - w + w INHARM1(0)) (BELL(0) + Y INHARM2(0)) / (1 + Y).
  WAVE_TAKE t = RenderTake(38, 60, 1, 1, 1.5);
  const double expected = (Tables::INHARM1_TABLE[0]) * (Tables::BELL_TABLE[0] + Tables::INHARM2_TABLE[0]) / 2.0;
  EXPECT_NEAR(t.y[0], expected, 1e-5);
  EXPECT_NEAR(expected, 0.0899 * (0.1081 + 0.2820) / 2.0, 1e-4);
  // Within the tables' peak magnitude in every member.
  for (float mode = 36; mode <= 39; ++mode)
    for (float x : {0.0f, 1.0f})
      for (float y : {0.0f, 1.0f}) EXPECT_LE(Peak(RenderTake(mode, LOW, x, y, 2).y), 0.98856f) << mode;
}

TEST(ToneWaves, OrganSpectra) {
  const PARTIAL_CASE cases[] = {
      // X = 0, Y = 0: the first registration.
      {"O1 X0 Y0", 34, 0, 0, {{1, 0.44917}, {2, 0.28639}, {3, 0.0}, {4, 0.14149}, {8, 0.21196}, {16, 0.12604}}},
      // X = 1: the second registration.
      {"O1 X1 Y0", 34, 1, 0, {{1, 0.74547}, {2, 0.0}, {3, 0.29436}, {6, 0.17503}, {12, 0.0826}}},
      // Y = 1: gain 0.6 plus 0.4 of a sine at four times the phase.
      {"O1 X0 Y1", 34, 0, 1, {{1, 0.2695}, {3, 0.0898}, {5, 0.0898}}},
      // Organ 2, X = 1, Y = 0: half the first registration plus half a sine
      // of phase 0.5 sin(4 theta + pi): odd harmonics of 4 theta, J1(pi) and
      // J3(pi), so 12 carries J3(pi) = 0.3334 and 8 only the organ's 0.106.
      {"O2 X1 Y0", 35, 1, 0, {{1, 0.2246}, {8, 0.106}, {12, 0.3334}}},
  };
  for (const auto& c : cases) CheckPartials(c);
  // Organ 2 at X = 0: the sine's phase is centred on a quarter cycle, a
  // cosine of pi sin(...): its mean is J0(pi) / 2.
  std::vector<double> a = Partials(RenderTake(35, LOW, 0, 0, 24), 1);
  EXPECT_NEAR(a[0], -0.3042 / 2.0, 2e-3);
}

TEST(ToneWaves, OrganEdgeCases) {
  // Organ 1's first sample: the sine at 4x starts at 0, so the output is
  // (1 - 0.4 Y) times the crossfade at p = 0; the second sample still reads
  // the sine at the four-times phase of the first, 0.
  using OscFrame::TableRead;
  WAVE_TAKE t = RenderTake(34, 60, 0.5f, 1, 1.5);
  EXPECT_NEAR(t.y[0], 0.6 * 0.5 * (Tables::ORGAN_TABLE[0] + Tables::ORGAN2_TABLE[0]), 1e-6);
  float p = static_cast<float>(t.inc);
  EXPECT_NEAR(t.y[1],
              0.6 * 0.5 *
                  (TableRead(Tables::ORGAN_TABLE, Tables::ORGAN_TABLE_SIZEM1, p) +
                   TableRead(Tables::ORGAN2_TABLE, Tables::ORGAN2_TABLE_SIZEM1, p)),
              1e-5);
  // The output never leaves +-1.
  for (float mode : {34.0f, 35.0f})
    for (float x : {0.0f, 1.0f})
      for (float y : {0.0f, 1.0f}) EXPECT_LE(Peak(RenderTake(mode, LOW, x, y, 2).y), 1.0f) << mode;
}

TEST(ToneWaves, InstrumentWavesAboveTheirKeyRangePlayTheirCarrier) {
  // At or above the key range's top (k = 0) the bend depth is gone: Morph X
  // changes nothing, and the waves whose second control is key-tracked
  // ignore Y as well.
  const int HIGH = 108;  // 4186 Hz
  const int HIGHEST = 118;  // 7459 Hz
  struct {
    float mode;
    int note;
    bool yTracked;
  } cases[] = {{26, HIGH, true},     {27, HIGH, true},     {28, HIGH, true},     {29, HIGHEST, false},
               {30, HIGHEST, false}, {31, HIGHEST, true},  {32, HIGHEST, false}, {33, HIGHEST, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    std::vector<float> plain = RenderTake(c.mode, c.note, 0, 0, 20).y;
    EXPECT_EQ(plain, RenderTake(c.mode, c.note, 1, 0, 20).y);
    if (c.yTracked)
      EXPECT_EQ(plain, RenderTake(c.mode, c.note, 1, 1, 20).y);
    else
      EXPECT_NE(plain, RenderTake(c.mode, c.note, 0, 1, 20).y);
  }
  // The carriers' spectra: Syn Brass 1 plays the second brass table, Syn
  // Brass 2 the first, Syn Cello the cello table (its fixed 0.4 offset is a
  // phase shift), Syn Flute 2 the weak triangle at twice the frequency.
  const double TOL = 0.006;
  std::vector<double> a = Partials(RenderTake(27, HIGH, 1, 1, 200), 4);
  EXPECT_NEAR(a[2], 0.282, TOL);
  EXPECT_NEAR(a[3], 0.28, TOL);
  a = Partials(RenderTake(28, HIGH, 1, 1, 200), 4);
  EXPECT_NEAR(a[3], 0.253, TOL);
  EXPECT_NEAR(a[4], 0.237, TOL);
  a = Partials(RenderTake(26, HIGH, 1, 1, 200), 4);
  EXPECT_NEAR(a[1], 0.686, TOL);
  EXPECT_NEAR(a[2], 0.346, TOL);
  a = Partials(RenderTake(33, HIGHEST, 1, 1, 200), 4);
  EXPECT_NEAR(a[1], 0.0, TOL);
  EXPECT_GT(a[2], 0.8);
}

TEST(ToneWaves, InstrumentMorphBendsTheSpectrumAtLowNotes) {
  // Below the key range (k = 1) Morph X (Syn Flute 2: Y) deepens the phase
  // bend: the harmonic amplitudes move away from the unbent carrier's.
  for (int mode = 26; mode <= 33; ++mode) {
    SCOPED_TRACE(mode);
    bool swapped = mode == 33;
    std::vector<double> flat = Partials(RenderTake(static_cast<float>(mode), LOW, swapped ? 1 : 0, 0.5f, 12), 24);
    std::vector<double> bent =
        Partials(RenderTake(static_cast<float>(mode), LOW, 1, swapped ? 1 : 0.5f, 12), 24);
    double moved = 0.0;
    for (unsigned int h = 1; h <= 24; ++h) moved += std::fabs(bent[h] - flat[h]);
    EXPECT_GT(moved, 0.02);
  }
  // Syn Guitar 1 with Y = 1 at the top of the range: (0.4 M + 0.6) c, an
  // amplitude modulation by GUITARMOD1 that spreads energy to the upper
  // harmonics that GUITAR1 lacks.
  std::vector<double> plain = Partials(RenderTake(29, 118, 0, 0, 200), 12);
  std::vector<double> shaded = Partials(RenderTake(29, 118, 0, 1, 200), 12);
  EXPECT_LT(plain[10], 0.01);
  EXPECT_GT(shaded[10], 0.02);
}

TEST(ToneWaves, ExtremeAndInvalidMorphValuesStayFiniteAndBounded) {
  for (float bad : {1e30f, -1e30f, -5.0f, 3.0f, NAN, INFINITY}) {
    SCOPED_TRACE(bad);
    for (int mode = 26; mode <= 43; ++mode) {
      COscFixture& f = SharedFixture(2);
      f.Neutral();
      f.Set(PARAM_OSC_MODE, static_cast<float>(mode));
      f.Set(PARAM_OSC_MORPH_X, bad);
      f.Set(PARAM_OSC_MORPH_Y, bad);
      f.Set(PARAM_OSC_PHASE, bad);
      auto voice = f.NewVoice(127);
      f.Start(voice.get());
      for (int b = 0; b < 3; ++b) {
        f.Block(voice.get());
        for (unsigned int i = 0; i < f.OscBlock(); ++i)
          ASSERT_TRUE(std::isfinite(f.outL[0][i]) && std::fabs(f.outL[0][i]) <= 1.0f) << mode;
      }
      OSC_STATE* s = voice->GetOscState(0);
      for (float phase : {s->auxPhase1, s->auxPhase2}) EXPECT_TRUE(phase >= 0.0f && phase <= 1.0f) << mode;
    }
  }
}
