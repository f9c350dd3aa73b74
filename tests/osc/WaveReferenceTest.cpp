// Reference points of the computed waves: each wave's own step is worked
// out here, independently of the oscillator, from its per-sample formula
// (tables read by linear interpolation, the saturating phase warp, the
// parabolic shaper, the key fade of the morphs), and compared sample by
// sample with what the routine renders, for a few morph settings on a low
// note (morphs at full strength) and a note inside the key range (morphs
// partly faded). A wrong coefficient, gain, ratio or key limit shows as a
// departure far above the rounding of single precision.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "WaveRun.h"
#include "tables/InstrumentTables.h"
#include "tables/Tables.h"
#include "tables/ToneTables.h"
#include "tables/WaveTables.h"

namespace {

// ---- the pieces of the formulas, written out on their own ----------------

double Read(const float* table, unsigned int sizeM1, double x) {
  double f = x * sizeM1;
  unsigned int i = f > 0.0 ? static_cast<unsigned int>(f) : 0u;
  if (i > sizeM1) i = sizeM1;
  return table[i] + (table[i + 1] - table[i]) * (f - i);
}
double SINE(double q) { return Read(Tables::SINE_TABLE, 1023, q); }
double WSAW(double q) { return Read(Tables::WEAKSAW_TABLE, 16383, q); }
double WTRI(double q) { return Read(Tables::WEAKTRIANGLE_TABLE, 16383, q); }
double RES2(double q) { return Read(Tables::RESONANT2_TABLE, 16383, q); }
double FLUTE(double q) { return Read(Tables::SYN_FLUTE1_TABLE, 16383, q); }
double W16(const float* t, double q) { return Read(t, 16383, q); }
double BELL(double q) { return Read(Tables::BELL_TABLE, 32768, q); }
double INH1(double q) { return Read(Tables::INHARM1_TABLE, 32768, q); }
double INH2(double q) { return Read(Tables::INHARM2_TABLE, 32768, q); }

double WrapR(double x) { return (x > 1.0 || x < 0.0) ? x - std::floor(x) : x; }
double Wrap1R(double x) { return x > 1.0 ? x - std::floor(x) : x; }
double Sat(double x) { return x * (std::fabs(x) + 3.0) / (x * x + 3.0 * std::fabs(x) + 6.0); }
double Warp(double p, double d) { return (Sat((2.0 * p - 1.0) * d) / Sat(d) + 1.0) / 2.0; }
double Fold(double w, double y) {
  double th = 1.0 - (0.499 * y + 0.001);
  if (w > th) w = 2.0 * th - w;
  if (w < -th) w = -2.0 * th - w;
  return w / th;
}
double Parab(double v, double y) {
  double g = y >= 0.5 ? 1.0 : 1.0 / ((1.0 - y) * y * 4.0);
  return 4.0 * g * v * (1.0 - std::fabs(v));
}
// The rectangular pulse without its band-limiting: -2o from q = 0.5 to
// 1.5 - o, 2 - 2o elsewhere. NaN within w (in units of 2q - 1) of either
// jump, where the band-limited step takes over: no reference there.
double NaivePulse(double q, double o, double w) {
  double q2 = Wrap1R(q + o);
  if (std::fabs(2.0 * q - 1.0) < w * 1.5 || std::fabs(2.0 * q2 - 1.0) < w * 1.5) return NAN;
  auto saw = [](double x) { return x > 0.5 ? 2.0 * x - 2.0 : 2.0 * x; };
  return saw(q) - saw(q2);
}

// ---- the waves -------------------------------------------------------------

struct AUX {
  double a1 = 0.0, a2 = 0.0, a3 = 0.0;
};
// Per sample: p, the control values (X, Y, k, inc) and the aux phases.
typedef std::function<double(double p, double X, double Y, double k, double inc, AUX& a)> STEP;

struct WAVE {
  float mode;
  float loHz, hiHz;  // key range of the morphs (0, 0: none)
  STEP step;
};

// Instrument waves: a modulator read at p bends the carrier's phase.
// Two-stage (cello, oboe): the bent phase is warped once more before the
// carrier reads it, two samples late.
STEP TwoStage(const float* mod, const float* car, double dx, double d0, double dy, double offset) {
  return [=](double p, double X, double Y, double k, double, AUX& a) {
    double d = (dx * X + d0) * k, D = dy * Y * k + 0.01;
    double M = W16(mod, p), c = W16(car, a.a2);
    a.a2 = Warp(a.a1, D);
    a.a1 = WrapR(p + d * M + offset);
    return c;
  };
}
STEP Brass(const float* mod, const float* car) {
  return [=](double p, double X, double Y, double k, double, AUX& a) {
    double d = (0.03 * X + 0.01) * k, m = 0.85 * Y * k + 0.0001;
    double g = m < 0.5 ? 1.0 / (4 * m * (1 - m)) : 1.0;
    double c = W16(car, a.a1);
    double r = m * W16(mod, p);
    if (r > 1 || r < -1) r -= std::floor(r);
    a.a1 = WrapR(p + d * g * 4 * r * (1 - std::fabs(r)));
    return c;
  };
}
// Plain modulator; shape(c, M, W, Y) gives the output.
STEP Plain(const float* mod, const float* car, double dx, double d0, double (*shape)(double, double, double, double)) {
  return [=](double p, double X, double Y, double k, double, AUX& a) {
    double d = (dx * X + d0) * k;
    double c = W16(car, a.a1), M = W16(mod, p);
    a.a1 = WrapR(p + d * M);
    return shape(c, M, WSAW(p), Y);
  };
}
// Inharmonic 1 to 3: base b at p, depth table m at mm p, mix n at nm p.
STEP Inharmonic(double (*b)(double), double (*mt)(double), double (*nt)(double), double mm, double nm, double ws,
                double w0) {
  return [=](double p, double X, double Y, double, double, AUX& a) {
    double w = ws * X + w0;
    double B = b(p), m = mt(a.a1), n = nt(a.a2);
    a.a1 = Wrap1R(mm * p);
    a.a2 = Wrap1R(nm * p);
    return (1 - w + w * m) * (B + Y * n) / (1 + Y);
  };
}

const WAVE WAVES[] = {
    {4, 300, 5000,
     [](double p, double X, double Y, double k, double, AUX& a) {
       double d = (46 * X + 18) * k + 2, m = (0.6 * Y + 0.2) * k + 0.2;
       double c = SINE(a.a1);
       a.a1 = Warp(p, d);
       double y = SINE(a.a2);
       a.a2 = WrapR(c * m + p);
       return y;
     }},
    {5, 300, 3500,
     [](double p, double X, double Y, double k, double, AUX& a) {
       double d = (42 * X + 5) * k * k + 1, f = Y * k;
       double w = WTRI(a.a1);
       a.a1 = Warp(p, d);
       return Fold(w, f);
     }},
    {6, 500, 3500,
     [](double p, double X, double Y, double k, double, AUX& a) {
       double d = (40 * X + 20) * k + 0.1, f = 0.5 * Y * k * k + 0.05;
       double w = WSAW(a.a1), c = SINE(a.a1);
       a.a1 = Warp(p, d);
       return 0.6 * c + Fold(w, f);
     }},
    {7, 300, 3500,
     [](double p, double X, double Y, double k, double, AUX& a) {
       double d = (60 * X + 30) * k + 0.1, f = (0.5 * X + 0.5 * Y) * k * k;
       double w = WSAW(a.a1) * WSAW(a.a1);
       a.a1 = Warp(p, d);
       return 2.0 * (Fold(w, f) - 0.5);
     }},
    {8, 500, 5000,
     [](double p, double X, double Y, double k, double, AUX& a) {
       double d = (25 * X + 5) * k + 1, f = 0.85 * Y * k + 0.0001;
       double v = f * SINE(a.a1);
       a.a1 = Warp(p, d);
       return Parab(v, f);
     }},
    {9, 500, 7000,
     [](double p, double X, double Y, double k, double, AUX& a) {
       double m = (0.65 * X + 0.15) * k, f = 0.9 * Y * k + 0.0001;
       double w = WSAW(p), v = f * WTRI(a.a1);
       a.a1 = WrapR(m * w + p + 0.75);
       return 0.5 * w + Parab(v, f);
     }},
    {10, 500, 10000,
     [](double p, double X, double Y, double k, double, AUX& a) {
       double m = 0.35 * X * k, f = (0.45 * Y + 0.45 * X) * k + 0.0001;
       double c = SINE(p), v = f * WSAW(a.a1);
       a.a1 = WrapR(m * c + p + 0.25);
       return Parab(v, f);
     }},
    // Resonant 4 and 5, away from the pulses' jumps.
    {14, 0, 0,
     [](double p, double X, double Y, double, double inc, AUX& a) {
       double o = 0.49 * X + 0.5, mix = 1 - 0.7 * Y;
       double R = NaivePulse(a.a1, o, 32 * inc);
       a.a1 = WrapR(8 * p);
       double q = RES2(p);
       return R * q * mix + (1 - mix) * q;
     }},
    {15, 0, 0,
     [](double p, double X, double Y, double, double inc, AUX& a) {
       double mix = 1 - 0.8 * X, o = 0.4 * Y + 0.5;
       double R = NaivePulse(a.a1, o, 20 * inc);
       a.a1 = WrapR(5 * p);
       double q = FLUTE(p);
       return q * R * mix + (1 - mix) * R;
     }},
    {19, 300, 4000,
     [](double p, double X, double Y, double k, double, AUX& a) {
       double r = 14.5 * X + 1.5, d = k * Y * 4 + 2;
       double sa = SINE(a.a1);
       a.a1 = Warp(p, d);
       double sb = SINE(a.a2);
       a.a2 = Warp(Wrap1R(r * p), d);
       return sa * (sb + 1) * 0.5;
     }},
    {20, 0, 0,
     [](double p, double X, double Y, double, double, AUX& a) {
       double r = 13.9 * X + 2.1, d = 4 * Y + 0.01, delta = 0.15 * Y;
       double sa = SINE(a.a1), sb = SINE(a.a2);
       a.a1 = Warp(WrapR(p + 0.75 - delta), d);
       a.a2 = Wrap1R(r * p);
       double g = (sa + 1) * 0.5;
       return sb * g * g;
     }},
    {21, 0, 0,
     [](double p, double X, double Y, double, double, AUX& a) {
       double r = 15 * X + 1.1, d = 2 * Y + 0.01;
       double sa = SINE(a.a1);
       a.a1 = Warp(Wrap1R(r * p), d);
       double sb = SINE(a.a2), sc = SINE(a.a3);
       a.a2 = Wrap1R(16 * p);
       a.a3 = Wrap1R(p + 0.75);
       return sa * (sb + 1) * (sc + 1) * 0.325;
     }},
    {26, 500, 4000, TwoStage(Tables::RESONANT2_TABLE, Tables::SYN_CELLO_TABLE, 0.2, 0.03, 5, 0.4)},
    {27, 500, 4000, Brass(Tables::RESONANT1_TABLE, Tables::SYN_BRASS2_TABLE)},
    {28, 500, 4000, Brass(Tables::RESONANT4_TABLE, Tables::SYN_BRASS1_TABLE)},
    {29, 1000, 6000,
     Plain(Tables::SYN_GUITARMOD1_TABLE, Tables::SYN_GUITAR1_TABLE, 0.15, 0.0,
           [](double c, double M, double, double Y) { return (0.4 * Y * M + 1 - 0.4 * Y) * c; })},
    {30, 2000, 7000,
     Plain(Tables::SYN_GUITARMOD2_TABLE, Tables::SYN_GUITAR2_TABLE, 0.08, 0.005,
           [](double c, double, double W, double Y) { return (Y * W + 1 - Y) * c; })},
    {31, 2000, 7000, TwoStage(Tables::RESONANT2_TABLE, Tables::SYN_OBOE_TABLE, 0.1, 0.02, 2, 0.0)},
    {32, 2000, 7000,
     Plain(Tables::RESONANT1_TABLE, Tables::SYN_FLUTE1_TABLE, 0.03, 0.005,
           [](double c, double, double, double Y) { return (0.25 * Y * c + 1 - 0.25 * Y) * c; })},
    {33, 2000, 7000,
     [](double p, double X, double Y, double k, double, AUX& a) {
       double d = (0.025 * Y + 0.005) * k;
       double c = W16(Tables::SYN_FLUTE2_TABLE, a.a1), T = WTRI(a.a1);
       double M = W16(Tables::RESONANT3_TABLE, a.a2);
       double P = 2 * p;
       if (P > 1) P -= std::floor(P);
       a.a2 = P;
       a.a1 = WrapR(P + d * M);
       return T + (c - T) * X * k;
     }},
    {36, 0, 0, Inharmonic(INH1, BELL, BELL, 3, 7, 0.5, 0.5)},
    {37, 0, 0, Inharmonic(INH1, INH2, INH2, 2, 6, 0.99, 0.01)},
    {38, 0, 0, Inharmonic(BELL, INH1, INH2, 3, 8, 0.9, 0.1)},
    {39, 0, 0,
     [](double p, double X, double Y, double, double, AUX& a) {
       double b = BELL(p), m = INH1(a.a1);
       a.a1 = Wrap1R(3 * p);
       double u = b * (1 - Y + Y * m);
       return 0.5 * (u + m * (1 - X + X * m * u));
     }},
};

typedef void (COscillator::*ROUTINE)(CVoice*, float*, unsigned int);
ROUTINE RoutineOf(float mode) {
  if (mode == 0.0f) return &COscillator::GenerateSine;
  static const ROUTINE ROUTINES[] = {
      &COscillator::GeneratePowerWave1, &COscillator::GeneratePowerWave2, &COscillator::GeneratePowerWave3,
      &COscillator::GeneratePowerWave4, &COscillator::GeneratePowerWave5, &COscillator::GeneratePowerWave6,
      &COscillator::GeneratePowerWave7, &COscillator::GenerateResonant1,  &COscillator::GenerateResonant2,
      &COscillator::GenerateResonant3,  &COscillator::GenerateResonant4,  &COscillator::GenerateResonant5,
      &COscillator::GenerateSync1,      &COscillator::GenerateSync2,      &COscillator::GenerateSync3,
      &COscillator::GenerateSync4,      &COscillator::GenerateSync5,      &COscillator::GenerateSync6,
      &COscillator::GenerateFormant1,   &COscillator::GenerateFormant2,   &COscillator::GenerateFormant3,
      &COscillator::GenerateFormant4,   &COscillator::GenerateSynCello,   &COscillator::GenerateSynBrass1,
      &COscillator::GenerateSynBrass2,  &COscillator::GenerateSynGuitar1, &COscillator::GenerateSynGuitar2,
      &COscillator::GenerateSynOboe,    &COscillator::GenerateSynFlute1,  &COscillator::GenerateSynFlute2,
      &COscillator::GenerateOrgan1,     &COscillator::GenerateOrgan2,     &COscillator::GenerateInharmonic1,
      &COscillator::GenerateInharmonic2, &COscillator::GenerateInharmonic3, &COscillator::GenerateInharmonic4,
      &COscillator::GenerateHarmonic1,  &COscillator::GenerateHarmonic2,  &COscillator::GenerateHarmonic3,
      &COscillator::GenerateHarmonic4};
  return ROUTINES[static_cast<int>(mode) - 4];
}

// Renders the wave's own output (before filter, drive and the downsampler)
// for the first cycles of a note: one voice publishes the pitch buffer
// through the normal block, a second, freshly started voice is rendered by
// the routine alone.
struct RAW_RUN {
  std::vector<float> y;
  float inc;
  float rate;
};
RAW_RUN RenderRaw(float mode, int note, float x, float y, double cycles) {
  COscFixture& f = WaveRig(2);
  f.Set(PARAM_OSC_MODE, mode);
  f.Set(PARAM_OSC_MORPH_X, x);
  f.Set(PARAM_OSC_MORPH_Y, y);
  auto pitchVoice = f.NewVoice(note), voice = f.NewVoice(note);
  f.Start(pitchVoice.get());
  f.Block(pitchVoice.get());
  f.Start(voice.get());
  RAW_RUN run;
  run.inc = f.synth.GetPitchModulation(0)[0];
  run.rate = f.OscRate();
  const size_t n = static_cast<size_t>(cycles / run.inc) + 1;
  std::vector<float> block(f.OscBlock());
  while (run.y.size() < n) {
    (f.osc[0].get()->*RoutineOf(mode))(voice.get(), block.data(), f.OscBlock());
    run.y.insert(run.y.end(), block.begin(), block.end());
  }
  run.y.resize(n);
  return run;
}

// Renders the wave for three cycles of the note and compares every sample
// with its step worked out here, the key fade taken from the wave's limits.
void ExpectFollows(const WAVE& w, int note, float x, float y) {
  SCOPED_TRACE(testing::Message() << "mode " << w.mode << " note " << note << " X " << x << " Y " << y);
  const float m[2] = {x, y};
  RAW_RUN r = RenderRaw(w.mode, note, m[0], m[1], 3.0);
  double k = 1.0;
  if (w.hiHz > 0.0f) {
    double fade = (r.inc - w.loHz / r.rate) / (w.hiHz / r.rate - w.loHz / r.rate);
    fade = fade < 0.0 ? 0.0 : (fade > 1.0 ? 1.0 : fade);
    k = (1.0 - fade) * (1.0 - fade);
  }
  if (note == 100 && w.hiHz > 0.0f) {
    ASSERT_GT(k, 0.0);
    ASSERT_LT(k, 1.0);
  }
  AUX aux;
  float phase = 0.0f;
  size_t compared = 0, off = 0;
  double worst = 0.0;
  for (size_t i = 0; i < r.y.size(); ++i) {
    double want = w.step(phase, m[0], m[1], k, r.inc, aux);
    phase += r.inc;
    if (phase > 1.0f) phase -= std::floor(phase);
    if (std::isnan(want)) continue;
    ++compared;
    double e = std::fabs(r.y[i] - want);
    worst = std::max(worst, e);
    if (e > 2e-3) ++off;
  }
  EXPECT_GT(compared, r.y.size() / 2);
  EXPECT_EQ(off, 0u) << "worst departure " << worst;
}

}  // namespace

TEST(WaveReference, ComputedWavesFollowTheirFormulas) {
  const float MORPHS[][2] = {{0.0f, 0.0f}, {0.3f, 0.8f}, {1.0f, 0.4f}, {0.7f, 1.0f}};
  const int NOTES[] = {36, 100};  // 65 Hz: full morphs; 2637 Hz: inside every key range
  for (const WAVE& w : WAVES)
    for (int note : NOTES)
      for (const auto& m : MORPHS) {
        // The resonant pulses run at 5 and 8 times the note: on a high note
        // their band-limited jumps leave no plain stretch to compare.
        if (note == 100 && (w.mode == 14 || w.mode == 15)) continue;
        ExpectFollows(w, note, m[0], m[1]);
      }
}

TEST(WaveReference, SineMorphsFadeOutFrom7To10kHz) {
  // X' = X k + 0.0001 warps the phase, Y' = Y k + 0.0001 drives the
  // saturator (normalised by 1 / Sat(Y')); k = (1 - fade)^2 over 7..10 kHz.
  const WAVE SINE_WAVE = {0, 7000, 10000, [](double p, double X, double Y, double k, double, AUX& a) {
                            double x = X * k + 0.0001, yy = Y * k + 0.0001;
                            double s = SINE(a.a1);
                            a.a1 = Warp(p, x);
                            return Sat(s * yy) / Sat(yy);
                          }};
  const float MORPHS[][2] = {{0.0f, 0.0f}, {1.0f, 1.0f}, {0.6f, 0.3f}};
  // 65 Hz and 6645 Hz: full morphs; 8372 Hz: inside the fade.
  for (int note : {36, 116, 120})
    for (const auto& m : MORPHS) ExpectFollows(SINE_WAVE, note, m[0], m[1]);
}
