// The oscillator and bus filters, measured: frequency responses of the
// filter modes from impulse responses, cutoff tracking of key, velocity and
// tuning, the bus filter's stereo spread, glide, state handling and
// robustness against extreme settings.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>

#include "FilterFixture.h"
#include "dsp/BusFilter.h"
#include "dsp/OscFilter.h"
#include "engine/VoiceManager.h"

using namespace FilterMeasure;

namespace {

// Cutoff pitch 84 (1046.5 Hz) as the cutoff parameter.
const float P84 = 84.0f / 136.0f;
const double FC = 8.177735 * std::pow(2.0, 84.0 / 12.0);

double PitchHz(double p) { return 8.177735 * std::pow(2.0, p / 12.0); }

std::vector<float> Noise(size_t n, float amplitude, unsigned int seed = 1) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> d(-amplitude, amplitude);
  std::vector<float> x(n);
  for (auto& v : x) v = d(rng);
  return x;
}

// An oscillator filter with one voice, started as the voice manager does.
struct OscRig {
  CFilterFixture& f;
  COscFilter filter;
  std::unique_ptr<CVoice> voice;
  explicit OscRig(CFilterFixture& fx, int note = 60, float velocity = 0.5f, unsigned int unisonIndex = 0)
      : f(fx), filter(&fx.synth) {
    filter.SetInstance(0);
    filter.SetSampleRate(f.Rate());
    voice = std::make_unique<CVoice>(&f.synth, note, velocity, f.hostRate, unisonIndex);
    filter.Reset(voice.get());
    filter.StartVoice(voice.get());
  }
  std::vector<float> Run(std::vector<float> x) { return f.RunMono(filter, voice.get(), std::move(x)); }
  // Magnitude response from an impulse of the given size (small for the
  // saturating modes), normalised to the impulse.
  std::vector<double> Response(size_t n = 32768, float amplitude = 1.0f) {
    std::vector<double> s = Spectrum(Run(Impulse(n, amplitude)));
    for (auto& v : s) v /= amplitude;
    return s;
  }
};

struct BusRig {
  CFilterFixture& f;
  CBusFilter filter;
  std::unique_ptr<CVoice> voice;
  explicit BusRig(CFilterFixture& fx, int note = 60, float velocity = 0.5f, unsigned int unisonIndex = 0)
      : f(fx), filter(&fx.synth) {
    filter.SetInstance(0);
    filter.SetSampleRate(f.Rate());
    voice = std::make_unique<CVoice>(&f.synth, note, velocity, f.hostRate, unisonIndex);
    filter.Reset(voice.get());
    filter.StartVoice(voice.get());
  }
  void Run(std::vector<float>& l, std::vector<float>& r) { f.RunStereo(filter, voice.get(), l, r); }
  void Responses(std::vector<double>& left, std::vector<double>& right, size_t n = 32768) {
    std::vector<float> l = Impulse(n), r = Impulse(n);
    Run(l, r);
    left = Spectrum(l);
    right = Spectrum(r);
  }
};

void SetOsc(CFilterFixture& f, int mode, float cutoff, float res, float control) {
  f.Set(PARAM_OSC_FILTER_MODE, static_cast<float>(mode));
  f.Set(PARAM_OSC_CUTOFF, cutoff);
  f.Set(PARAM_OSC_RES, res);
  f.Set(PARAM_OSC_CONTROL, control);
}

void SetBus(CFilterFixture& f, int mode, float cutoff, float res, float control, float stereo = 0.5f) {
  f.Set(PARAM_BUS_FILTER_MODE, static_cast<float>(mode));
  f.Set(PARAM_BUS_CUTOFF, cutoff);
  f.Set(PARAM_BUS_RES, res);
  f.Set(PARAM_BUS_CONTROL, control);
  f.Set(PARAM_BUS_STEREO, stereo);
}

// Frequency of the oscillator filter's notch (mode 17, deep) in Hz.
double NotchHz(OscRig& rig) {
  return ExtremeHz(rig.Response(65536), 5.0, 30000.0, rig.f.Rate(), false);
}

// Where the equalisers' notch of a cutoff pitch lies: their cosine term is
// the second-order series of cos(2 pi f), which sits a little high near the
// top of the band.
double NotchHzOfPitch(double pitch, double rate) {
  const double f = PitchHz(pitch) / rate;
  return std::acos(1.0 - 2.0 * M_PI * M_PI * f * f) / (2.0 * M_PI) * rate;
}

}  // namespace

TEST(OscFilter, OffAndUnknownModesLeaveTheSignalBitExact) {
  CFilterFixture f;
  const std::vector<float> in = Noise(2048, 1.0f);
  for (float mode : {0.0f, 25.0f, 99.0f, -3.0f, std::numeric_limits<float>::quiet_NaN()}) {
    f.Poke(PARAM_OSC_FILTER_MODE, mode);
    f.Poke(PARAM_BUS_FILTER_MODE, mode);
    OscRig osc(f);
    EXPECT_EQ(osc.Run(in), in) << mode;
    BusRig bus(f);
    std::vector<float> l = in, r = in;
    bus.Run(l, r);
    EXPECT_EQ(l, in) << mode;
    EXPECT_EQ(r, in) << mode;
  }
}

TEST(OscFilter, LowPassModesPassLowsAndFallAtTheirSlope) {
  struct Case {
    int mode;
    float impulse;
    double slope;  // dB per octave between 8 and 16 kHz
    double tolerance;
    bool flatPassband;
    double reject;  // dB from three octaves below to three above the cutoff
  } cases[] = {
      {1, 0.01f, 24.0, 3.0, true, 30.0},   // analog lp1: two sections
      {2, 0.01f, 24.0, 3.0, false, 30.0},  // analog lp2: four one-poles
      {3, 1.0f, 24.0, 2.0, true, 30.0},    // lp 24db
      {6, 1.0f, 12.0, 1.5, true, 30.0},    // lp 12db
      {12, 0.01f, 18.0, 2.0, true, 30.0},  // ring lp: section and smoother
      {21, 1.0f, 6.0, 1.0, true, 15.0},    // lp 6db
  };
  CFilterFixture f;
  const double rate = f.Rate();
  for (const Case& c : cases) {
    SetOsc(f, c.mode, P84, 0.0f, 0.0f);
    OscRig rig(f, 20);  // a low note keeps the ring carrier slow
    const std::vector<double> h = rig.Response(32768, c.impulse);
    const double slope = Db(At(h, 8000.0, rate)) - Db(At(h, 16000.0, rate));
    EXPECT_NEAR(slope, c.slope, c.tolerance) << "mode " << c.mode;
    if (c.flatPassband) {
      EXPECT_NEAR(Db(At(h, FC / 8.0, rate)), 0.0, 1.5) << "mode " << c.mode;
    }
    EXPECT_LT(Db(At(h, 8.0 * FC, rate)), Db(At(h, FC / 8.0, rate)) - c.reject) << "mode " << c.mode;
  }
}

TEST(OscFilter, CutoffFollowsTheTuningTableSemitoneForSemitone) {
  // An octave up on the cutoff moves the whole response an octave up.
  CFilterFixture f;
  const double rate = f.Rate();
  for (int mode : {3, 6, 21}) {
    SetOsc(f, mode, P84, 0.0f, 0.0f);
    OscRig a(f);
    const std::vector<double> h1 = a.Response();
    SetOsc(f, mode, 96.0f / 136.0f, 0.0f, 0.0f);
    OscRig b(f);
    const std::vector<double> h2 = b.Response();
    for (double hz : {FC / 2.0, FC, 2.0 * FC})
      EXPECT_NEAR(Db(At(h1, hz, rate)), Db(At(h2, 2.0 * hz, rate)), 0.5) << "mode " << mode << " at " << hz;
  }
  // The 6 dB low-pass is 3 dB down at its cutoff.
  SetOsc(f, 21, P84, 0.0f, 0.0f);
  OscRig c(f);
  EXPECT_NEAR(Db(At(c.Response(), FC, rate)), -3.0, 0.3);
}

TEST(OscFilter, HighPassModesPassHighsAndCutLows) {
  CFilterFixture f;
  const double rate = f.Rate();
  for (int mode : {5, 8}) {
    SetOsc(f, mode, P84, 0.0f, 0.0f);
    OscRig rig(f);
    const std::vector<double> h = rig.Response();
    EXPECT_NEAR(Db(At(h, 8.0 * FC, rate)), 0.0, 1.0) << mode;
    EXPECT_LT(Db(At(h, FC / 8.0, rate)), mode == 5 ? -30.0 : -15.0) << mode;
  }
}

TEST(OscFilter, ResonanceRaisesAPeakAtTheCutoff) {
  CFilterFixture f;
  const double rate = f.Rate();
  for (int mode : {3, 5, 6, 8, 4, 7}) {
    SetOsc(f, mode, P84, 0.0f, 0.0f);
    OscRig flat(f);
    const std::vector<double> h0 = flat.Response();
    SetOsc(f, mode, P84, 0.9f, 0.0f);
    OscRig res(f);
    const std::vector<double> h1 = res.Response();
    const double peakHz = ExtremeHz(h1, 100.0, 10000.0, rate, true);
    EXPECT_NEAR(Semitones(peakHz, FC), 0.0, 0.7) << "mode " << mode;
    EXPECT_GT(Db(At(h1, peakHz, rate)), 10.0) << "mode " << mode;
    EXPECT_GT(Db(At(h1, peakHz, rate)) - Db(At(h0, peakHz, rate)), 10.0) << "mode " << mode;
  }
}

TEST(OscFilter, BandPassModesPeakAroundTheCutoff) {
  struct Case {
    int mode;
    double loHz, hiHz;  // where the peak lies
    double reject;      // dB below the peak three octaves away
  } cases[] = {{4, FC * 0.9, FC * 1.1, 40.0}, {7, FC * 0.9, FC * 1.1, 25.0}, {11, FC * 0.95, FC * 2.05, 40.0}};
  CFilterFixture f;
  const double rate = f.Rate();
  for (const Case& c : cases) {
    SetOsc(f, c.mode, P84, 0.9f, 0.0f);
    OscRig rig(f);
    const std::vector<double> h = rig.Response();
    const double peakHz = ExtremeHz(h, 20.0, 20000.0, rate, true);
    EXPECT_GE(peakHz, c.loHz) << c.mode;
    EXPECT_LE(peakHz, c.hiHz) << c.mode;
    const double peak = Db(At(h, peakHz, rate));
    EXPECT_LT(Db(At(h, FC / 8.0, rate)), peak - c.reject) << c.mode;
    EXPECT_LT(Db(At(h, FC * 8.0, rate)), peak - c.reject) << c.mode;
  }
}

TEST(OscFilter, NotchPeakAndShelfGainsFollowTheResonance) {
  struct Case {
    int mode;
    float res;
    double hz;  // 0: the extreme of the response
    double db;
  } cases[] = {
      {17, 0.0f, 0.0, 20.0 * std::log10(0.25)},                 // notch depth G^2, G = 0.5
      {17, 0.5f, 0.0, 40.0 * std::log10(0.5 - 0.437 * 0.25)},  // G = 0.391
      {18, 0.0f, 0.0, 40.0 * std::log10(1.5)},                  // peak height G^2
      {18, 1.0f, 0.0, 40.0 * std::log10(6.5)},
      {19, 0.0f, 20.0, 40.0 * std::log10(0.25)},  // low shelf: A^2 at the bottom
      {19, 1.0f, 20.0, 40.0 * std::log10(2.25)},
      {19, 1.0f, 40000.0, 0.0},
      {20, 1.0f, 40000.0, 40.0 * std::log10(2.75)},  // high shelf: A^2 at the top
      {20, 1.0f, 20.0, 0.0},
  };
  CFilterFixture f;
  const double rate = f.Rate();
  for (const Case& c : cases) {
    SetOsc(f, c.mode, P84, c.res, 0.0f);
    OscRig rig(f);
    const std::vector<double> h = rig.Response(65536);
    double hz = c.hz;
    if (hz == 0.0) {
      hz = ExtremeHz(h, 100.0, 10000.0, rate, c.mode == 18);
      EXPECT_NEAR(Semitones(hz, FC), 0.0, 0.2) << c.mode;
    }
    EXPECT_NEAR(Db(At(h, hz, rate)), c.db, 0.6) << "mode " << c.mode << " r " << c.res;
  }
}

TEST(OscFilter, CombsPeakAtMultiplesOrHalfMultiplesOfTheirPitch) {
  // Comb pitch 69 (440 Hz): positive feedback peaks on the harmonics,
  // negative feedback between them; the echo comes one period late.
  CFilterFixture f;
  const double rate = f.Rate();
  const float cutoff = (69.0f - 15.0f) * 136.0f / 125.0f / 136.0f;
  const double F = PitchHz(69.0);
  for (int mode : {22, 23}) {
    SetOsc(f, mode, cutoff, 0.9f, 0.0f);
    OscRig rig(f);
    const std::vector<float> y = rig.Run(Impulse(32768));
    size_t first = 0;
    while (first < y.size() && std::fabs(y[first]) < 0.05f) ++first;
    EXPECT_NEAR(static_cast<double>(first), rate / F, 2.0) << mode;
    const std::vector<double> h = Spectrum(y);
    for (int k = 1; k <= 4; ++k) {
      const double on = Db(At(h, k * F, rate)), between = Db(At(h, (k + 0.5) * F, rate));
      if (mode == 23)
        EXPECT_GT(on, between + 15.0) << k;
      else
        EXPECT_LT(on, between - 15.0) << k;
    }
  }
}

TEST(OscFilter, CombAtItsLowestPitchReachesTheWholeLine) {
  // Cutoff 0 is comb pitch 15, whose period is the whole line: the echo of
  // an impulse comes back a line length later.
  CFilterFixture f;
  const unsigned int len = FilterBank::LineLength(FilterBank::ComputeTuning().maxTime, f.Rate());
  for (int mode : {22, 23, 24}) {
    SetOsc(f, mode, 0.0f, 0.5f, 0.0f);
    OscRig rig(f);
    const std::vector<float> y = rig.Run(Impulse(len + len / 2));
    size_t loudest = 1;
    for (size_t i = 1; i < y.size(); ++i)
      if (std::fabs(y[i]) > std::fabs(y[loudest])) loudest = i;
    EXPECT_GE(loudest + 2, static_cast<size_t>(len)) << mode;
    EXPECT_LE(loudest, static_cast<size_t>(len) + 1) << mode;
  }
}

TEST(OscFilter, BellCombAnswersAfterOnePeriodThroughBothAllPasses) {
  // The impulse leaves the comb line after one period and reaches the
  // output through both all-pass stages: 0.63 x 0.63 of it.
  CFilterFixture f;
  const double rate = f.Rate();
  const float cutoff = (69.0f - 15.0f) / 125.0f;
  SetOsc(f, 24, cutoff, 0.5f, 0.5f);
  OscRig rig(f);
  const std::vector<float> y = rig.Run(Impulse(4096));
  size_t first = 0;
  while (first < y.size() && std::fabs(y[first]) < 1e-3f) ++first;
  const double D = rate / PitchHz(69.0);
  EXPECT_NEAR(static_cast<double>(first), D, 1.5);
  const float peak = std::max(std::fabs(y[first]), std::fabs(y[first + 1]));
  EXPECT_NEAR(peak, 0.63f * 0.63f, 0.2f);
  EXPECT_TRUE(AllFinite(y, 10.0f));
}

TEST(OscFilter, AllPassChainsNotchWhereTheirPhaseWraps) {
  // x - allpass(x) vanishes wherever the chain's phase is a whole turn:
  // 2 sections have no such point inside the band, 4 have one, and the
  // "allpass 8" mode, with six sections, two.
  CFilterFixture f;
  const double rate = f.Rate();
  const unsigned int expected[3] = {0, 1, 2};
  for (int mode = 14; mode <= 16; ++mode) {
    SetOsc(f, mode, P84, 0.0f, 0.5f);
    OscRig rig(f);
    const std::vector<double> h = rig.Response(65536);
    const double N = 2.0 * static_cast<double>(h.size() - 1);
    unsigned int notches = 0;
    for (size_t k = static_cast<size_t>(10.0 * N / rate); k < static_cast<size_t>(0.45 * N); ++k)
      if (h[k] < h[k - 1] && h[k] <= h[k + 1] && Db(h[k]) < -25.0) ++notches;
    EXPECT_EQ(notches, expected[mode - 14]) << "mode " << mode;
  }
}

TEST(OscFilter, FortyEightDbBandPassDelaysThroughItsPipeline) {
  CFilterFixture f;
  SetOsc(f, 11, P84, 0.5f, 0.5f);
  OscRig rig(f);
  const std::vector<float> y = rig.Run(Impulse(64));
  EXPECT_EQ(y[0], 0.0f);
  EXPECT_EQ(y[1], 0.0f);
  EXPECT_NE(y[2], 0.0f);
}

TEST(OscFilter, RingLowPassCarrierStandsStillAtOrBelowNote24) {
  CFilterFixture f;
  const double rate = f.Rate();
  SetOsc(f, 12, P84, 0.0f, 1.0f);
  // Silent input: the output is the smoothed carrier alone.
  OscRig still(f, 24);
  const std::vector<float> a = still.Run(std::vector<float>(8192, 0.0f));
  EXPECT_NEAR(a.back(), 1.0f, 1e-4f);
  EXPECT_NEAR(a[4000], 1.0f, 1e-4f);
  // Note 60: the carrier runs at pitch 36.
  OscRig moving(f, 60);
  const std::vector<float> b = moving.Run(std::vector<float>(65536, 0.0f));
  const double hz = ExtremeHz(Spectrum(b), 20.0, 1000.0, rate, true);
  EXPECT_NEAR(hz, PitchHz(36.0), 3.0);
}

TEST(OscFilter, FormantModeShapesVowelsInTheVoiceBand) {
  CFilterFixture f;
  const double rate = f.Rate();
  std::vector<double> peaks;
  for (float v : {0.0f, 1.0f}) {
    SetOsc(f, 13, v, 0.5f, 0.0f);
    OscRig rig(f);
    const std::vector<double> h = rig.Response();
    const double peakHz = ExtremeHz(h, 20.0, 40000.0, rate, true);
    EXPECT_GT(peakHz, 250.0);
    EXPECT_LT(peakHz, 6000.0);
    EXPECT_LT(Db(At(h, 30.0, rate)), Db(At(h, peakHz, rate)) - 10.0);
    peaks.push_back(peakHz);
  }
  EXPECT_NE(peaks[0], peaks[1]);
}

TEST(OscFilter, KeyTrackingFollowsNoteTuningAndBend) {
  CFilterFixture f;
  const float base = 58.0f / 136.0f;
  SetOsc(f, 17, base, 1.0f, 0.0f);
  struct Case {
    int note;
    float key;
    unsigned int id;  // an extra setting, 0 for none
    float value;
    double pitch;  // expected cutoff pitch
  } cases[] = {
      {48, 0.0f, 0, 0.0f, 58.0},                   // no key tracking: the note does nothing
      {60, 0.0f, 0, 0.0f, 58.0},
      {48, 1.0f, 0, 0.0f, 106.0},                  // semitone for semitone
      {60, 1.0f, 0, 0.0f, 118.0},
      {48, 0.5f, 0, 0.0f, 82.0},
      {48, 1.0f, PARAM_OSC_OCTAVE, 1.0f, 118.0},  // an octave: 12 semitones
      {48, 1.0f, PARAM_OSC_SEMITONE, 3.0f, 109.0},
      {48, 1.0f, PARAM_TRANSPOSE, -5.0f, 101.0},
      {48, 1.0f, PARAM_OSC_DETUNE, 1.0f, 106.5},
      {48, 1.0f, PARAM_MASTER_DETUNE, 0.0f, 105.5},
      {48, 0.0f, PARAM_OSC_OCTAVE, 1.0f, 58.0},
  };
  for (const Case& c : cases) {
    f.Set(PARAM_OSC_FILTER_KEYSCALE, c.key);
    if (c.id) f.Set(c.id, c.value);
    OscRig rig(f, c.note);
    EXPECT_NEAR(Semitones(NotchHz(rig), NotchHzOfPitch(c.pitch, f.Rate())), 0.0, 0.15) << c.note << " " << c.id;
    f.Neutral();
    SetOsc(f, 17, base, 1.0f, 0.0f);
  }
  // Pitch bend times the bend range.
  f.Set(PARAM_OSC_FILTER_KEYSCALE, 1.0f);
  f.mod.SetController(121, 1.0f);
  OscRig bent(f, 48);
  EXPECT_NEAR(Semitones(NotchHz(bent), NotchHzOfPitch(108.0, f.Rate())), 0.0, 0.15);
}

TEST(OscFilter, VelocityAndUnisonShiftMoveTheCutoff) {
  CFilterFixture f;
  SetOsc(f, 17, P84, 1.0f, 0.0f);
  f.Set(PARAM_OSC_FILTER_VELSCALE, 1.0f);
  struct Case {
    float velocity;
    double pitch;
  } cases[] = {{0.5f, 84.0}, {1.0f, 108.0}, {0.0f, 60.0}};
  for (const Case& c : cases) {
    OscRig rig(f, 60, c.velocity);
    EXPECT_NEAR(Semitones(NotchHz(rig), NotchHzOfPitch(c.pitch, f.Rate())), 0.0, 0.15) << c.velocity;
  }
  f.Set(PARAM_OSC_FILTER_VELSCALE, 0.0f);
  f.synth.SetUnisonPitchShift(1, 7.0f);
  OscRig sub(f, 60, 0.5f, 1);
  EXPECT_NEAR(Semitones(NotchHz(sub), NotchHzOfPitch(91.0, f.Rate())), 0.0, 0.15);
}

TEST(OscFilter, AudioRateCutoffModulationIsClampedAfterTheSum) {
  // A source pushing the cutoff past the top lands exactly on pitch 136;
  // one pushing it below lands on pitch 0.
  CFilterFixture f;
  const std::vector<float> in = Noise(4096, 0.5f);
  SetOsc(f, 6, 1.0f, 0.3f, 0.0f);
  OscRig top(f);
  const std::vector<float> ref = top.Run(in);
  SetOsc(f, 6, 0.9f, 0.3f, 0.0f);
  f.mod.AddSource(PARAM_OSC_CUTOFF, 1.0f, 1.0f);
  OscRig up(f);
  EXPECT_EQ(up.Run(in), ref);
  f.mod.ClearSources();

  SetOsc(f, 6, 0.0f, 0.3f, 0.0f);
  OscRig bottom(f);
  const std::vector<float> ref0 = bottom.Run(in);
  SetOsc(f, 6, 0.2f, 0.3f, 0.0f);
  f.mod.AddSource(PARAM_OSC_CUTOFF, -1.0f, 1.0f);
  OscRig down(f);
  EXPECT_EQ(down.Run(in), ref0);
}

TEST(OscFilter, KeyTrackingGlidesOnlyWhenAskedAndNeverOnTheFirstNote) {
  CFilterFixture f;
  SetOsc(f, 17, 0.0f, 1.0f, 0.0f);
  f.Set(PARAM_OSC_FILTER_KEYSCALE, 1.0f);
  f.Set(PARAM_MASTER_GLIDE, 0.1f);
  // Control ticks as at the 2x rate (the fixture runs at 4x).
  const unsigned int steps = static_cast<unsigned int>(std::floor(0.1f * 0.1f * 0.1f * f.Rate() * 0.5f));
  COscFilter filter(&f.synth);
  filter.SetInstance(0);
  filter.SetSampleRate(f.Rate());
  auto first = f.NewVoice(48);
  filter.StartVoice(first.get());
  EXPECT_EQ(first->GetOscFXState(0)->filterGlideSteps, 0u);  // the first note never glides
  f.synth.SetLastPitch(48.0f);

  // Glide mode 0: a non-legato note does not glide, a legato one does.
  auto plain = f.NewVoice(72);
  filter.StartVoice(plain.get());
  EXPECT_EQ(plain->GetOscFXState(0)->filterGlideSteps, 0u);
  auto legato = f.NewVoice(72);
  legato->SetLegato(true);
  filter.StartVoice(legato.get());
  EXPECT_EQ(legato->GetOscFXState(0)->filterGlideSteps, steps);

  // Filter glide off: the key tracking jumps to the note although a glide
  // is set up; on: after half the glide the cutoff sits half way.
  auto jump = f.NewVoice(72);
  jump->SetLegato(true);
  filter.Reset(jump.get());
  filter.StartVoice(jump.get());
  auto fresh = f.NewVoice(72);
  COscFilter other(&f.synth);
  other.SetInstance(0);
  other.SetSampleRate(f.Rate());
  other.Reset(fresh.get());
  other.StartVoice(fresh.get());
  const std::vector<float> in = Noise(2048, 0.5f);
  EXPECT_EQ(f.RunMono(filter, jump.get(), in), f.RunMono(other, fresh.get(), in));

  f.Set(PARAM_FILTER_GLIDE, 1.0f);
  auto glide = f.NewVoice(72);
  glide->SetLegato(true);
  filter.Reset(glide.get());
  filter.StartVoice(glide.get());
  f.RunMono(filter, glide.get(), std::vector<float>(4 * (steps / 2), 0.0f));
  EXPECT_NEAR(glide->GetOscFXState(0)->filterGlidePitch, 60.0f, 0.2f);
  EXPECT_EQ(glide->GetOscFXState(0)->filterGlideSteps, steps - steps / 2);
}

// The glide's steps are control ticks, one per host sample: counted at the
// oversampled rate they made the same preset glide 2, 4 or 8 times as long
// as at 2x, depending on the oversampling switch.
TEST(OscFilter, KeyTrackingGlideTakesTheSameTimeAtEveryOversampling) {
  const float glide = 0.3f;  // 0.027 s per unit; at 2x twice that: 2381 host samples at 44.1 kHz
  for (unsigned int os : {2u, 4u, 8u}) {
    CFilterFixture f(os, 44100.0f);
    SetOsc(f, 6, 0.0f, 0.0f, 0.0f);
    f.Set(PARAM_OSC_FILTER_KEYSCALE, 1.0f);
    f.Set(PARAM_MASTER_GLIDE, glide);
    f.Set(PARAM_FILTER_GLIDE, 1.0f);
    OscRig rig(f, 48);  // the first note never glides
    f.synth.SetLastPitch(48.0f);
    auto voice = f.NewVoice(72);
    voice->SetLegato(true);
    rig.filter.Reset(voice.get());
    rig.filter.StartVoice(voice.get());
    OSC_FX_STATE* s = voice->GetOscFXState(0);
    // Host blocks of silence until the tracked pitch reaches the note.
    unsigned int hostSamples = 0;
    float halfWay = 0.0f;
    while (s->filterGlideSteps > 0 && hostSamples < 20000) {
      f.RunMono(rig.filter, voice.get(), std::vector<float>(f.Block(), 0.0f));
      hostSamples += CFilterFixture::HOST_BLOCK;
      if (hostSamples == 1216) halfWay = s->filterGlidePitch;  // 19 blocks, about half the glide
    }
    const double expected = 2.0 * glide * glide * glide * 44100.0;
    EXPECT_NEAR(hostSamples, expected, CFilterFixture::HOST_BLOCK) << os << "x";
    EXPECT_NEAR(halfWay, 48.0f + 24.0f * 1216.0f / static_cast<float>(expected), 0.05f) << os << "x";
  }
}

TEST(OscFilter, ResetClearsTheKernelWordsOrTheWholeCombBlock) {
  CFilterFixture f;
  COscFilter filter(&f.synth);
  filter.SetInstance(0);
  filter.SetSampleRate(f.Rate());
  auto voice = f.NewVoice();
  OSC_FX_STATE* s = voice->GetOscFXState(0);
  const unsigned int words = s->blockSize / 4;
  for (int mode : {3, 22}) {
    for (unsigned int c = 0; c < 2; ++c) std::fill_n(static_cast<float*>(s->memory[c]), words, 1.0f);
    s->combIndex[0] = 7;
    s->bellIndex[1][2] = 9;
    f.Set(PARAM_OSC_FILTER_MODE, static_cast<float>(mode));
    filter.Reset(voice.get());
    const float* block = static_cast<float*>(s->memory[1]);
    EXPECT_EQ(block[19], 0.0f);
    EXPECT_EQ(block[20], mode == 22 ? 0.0f : 1.0f);
    EXPECT_EQ(block[words - 1], mode == 22 ? 0.0f : 1.0f);
    EXPECT_EQ(s->combIndex[0], 0u);
    EXPECT_EQ(s->bellIndex[1][2], 0u);
  }
}

TEST(OscFilter, CombEnteredDuringANoteNeverReadsStaleBlockMemory) {
  // The blocks come from a pool and are not cleared between owners: a comb
  // switched on during a note, or a voice whose filter was never reset,
  // must not replay what an earlier owner left (here NaN).
  CFilterFixture f;
  COscFilter filter(&f.synth);
  filter.SetInstance(0);
  filter.SetSampleRate(f.Rate());
  auto voice = f.NewVoice();
  OSC_FX_STATE* s = voice->GetOscFXState(0);
  for (unsigned int c = 0; c < 2; ++c)
    std::fill_n(static_cast<float*>(s->memory[c]), s->blockSize / 4, std::numeric_limits<float>::quiet_NaN());
  SetOsc(f, 6, P84, 0.5f, 0.0f);
  EXPECT_TRUE(AllFinite(f.RunMono(filter, voice.get(), Noise(1024, 0.5f)), 100.0f));  // never reset
  filter.Reset(voice.get());
  for (int mode : {22, 24, 6, 23}) {
    SetOsc(f, mode, 0.1f, 0.9f, 0.5f);
    EXPECT_TRUE(AllFinite(f.RunMono(filter, voice.get(), Noise(20000, 0.5f)), 100.0f)) << mode;
  }
}

TEST(OscFilterStereo, ChannelsMatchForMatchingInputsAndNeverShareState) {
  CFilterFixture f;
  for (int mode : {3, 9, 12, 22, 24}) {
    SetOsc(f, mode, P84, 0.7f, 0.3f);
    COscFilterStereo filter(&f.synth);
    filter.SetInstance(0);
    filter.SetSampleRate(f.Rate());
    auto voice = f.NewVoice();
    filter.Reset(voice.get());
    filter.StartVoice(voice.get());
    std::vector<float> l = Noise(4096, 0.5f), r = l;
    f.RunStereo(filter, voice.get(), l, r);
    EXPECT_EQ(l, r) << mode;
    // A silent left channel gives what a mono filter gives on silence,
    // whatever the right channel carries.
    filter.Reset(voice.get());
    filter.StartVoice(voice.get());
    std::vector<float> silent(4096, 0.0f), loud = Noise(4096, 0.5f, 7);
    f.RunStereo(filter, voice.get(), silent, loud);
    OscRig mono(f);
    EXPECT_EQ(silent, mono.Run(std::vector<float>(4096, 0.0f))) << mode;
  }
}

TEST(BusFilter, StereoSpreadMovesTheChannelsApart) {
  CFilterFixture f;
  struct Case {
    float stereo, cutoffPitch;
    double left, right;  // expected notch pitches
  } cases[] = {
      {0.5f, 84.0f, 84.0, 84.0},
      {1.0f, 84.0f, 84.0 - 24.0, 84.0 + 24.0},  // a quarter and four times the frequency
      {0.0f, 84.0f, 84.0 + 24.0, 84.0 - 24.0},
      {0.75f, 84.0f, 84.0 + 12.0 * std::log2(0.8125), 84.0 + 12.0 * std::log2(1.75)},  // signed square 0.25
      {1.0f, 130.0f, 130.0 - 24.0, 136.0},  // the raised channel stops at the top
      {0.0f, 36.0f, 60.0, 30.0},            // the bus notch stops at pitch 30
  };
  for (const Case& c : cases) {
    SetBus(f, 17, c.cutoffPitch / 136.0f, 1.0f, 0.0f, c.stereo);
    BusRig rig(f);
    std::vector<double> hl, hr;
    rig.Responses(hl, hr, 65536);
    EXPECT_NEAR(Semitones(ExtremeHz(hl, 10.0, 30000.0, f.Rate(), false), NotchHzOfPitch(c.left, f.Rate())), 0.0, 0.3)
        << c.stereo;
    EXPECT_NEAR(Semitones(ExtremeHz(hr, 10.0, 30000.0, f.Rate(), false), NotchHzOfPitch(c.right, f.Rate())), 0.0,
                0.3)
        << c.stereo;
  }
}

TEST(BusFilter, NotchNeverGoesBelowPitch30UnlikeTheOscillatorFilter) {
  CFilterFixture f;
  SetBus(f, 17, 0.0f, 1.0f, 0.0f);
  SetOsc(f, 17, 0.0f, 1.0f, 0.0f);
  BusRig bus(f);
  std::vector<double> hl, hr;
  bus.Responses(hl, hr, 131072);
  EXPECT_NEAR(Semitones(ExtremeHz(hl, 5.0, 1000.0, f.Rate(), false), PitchHz(30.0)), 0.0, 0.5);
  OscRig osc(f);
  EXPECT_LT(ExtremeHz(osc.Response(131072), 2.0, 1000.0, f.Rate(), false), 20.0);
}

TEST(BusFilter, LinearKernelsMatchTheOscillatorFilterAndSaturatorsClipEarlier) {
  CFilterFixture f;
  const std::vector<float> in = Noise(4096, 0.8f);
  for (int mode : {3, 6, 17, 19, 15, 22, 24}) {
    SetOsc(f, mode, P84, 0.6f, 0.0f);
    SetBus(f, mode, P84, 0.6f, 0.0f);
    OscRig osc(f);
    const std::vector<float> mono = osc.Run(in);
    BusRig bus(f);
    std::vector<float> l = in, r = in;
    bus.Run(l, r);
    for (size_t i = 0; i < in.size(); ++i) ASSERT_NEAR(l[i], mono[i], 1e-4f * (1.0f + std::fabs(mono[i]))) << mode;
  }
  SetOsc(f, 2, P84, 0.0f, 0.5f);
  SetBus(f, 2, P84, 0.0f, 0.5f);
  const std::vector<float> loud = FilterMeasure::Sine(8192, 200.0, f.Rate(), 1.0f);
  OscRig osc(f);
  const std::vector<float> mono = osc.Run(loud);
  BusRig bus(f);
  std::vector<float> l = loud, r = loud;
  bus.Run(l, r);
  EXPECT_LT(Rms(l, 4096, 8192), 0.9 * Rms(mono, 4096, 8192));
}

TEST(BusFilter, UnisonShiftMovesTheCutoffOnlyWhenBusesRunPerVoice) {
  CFilterFixture f;
  SetBus(f, 17, P84, 1.0f, 0.0f);
  f.synth.SetUnisonPitchShift(1, 12.0f);
  for (float busMode : {1.0f, 0.0f}) {
    f.Set(PARAM_BUS_MODE, busMode);
    BusRig rig(f, 60, 0.5f, 1);
    std::vector<double> hl, hr;
    rig.Responses(hl, hr, 65536);
    const double expected = busMode != 0.0f ? 96.0 : 84.0;
    EXPECT_NEAR(Semitones(ExtremeHz(hl, 10.0, 30000.0, f.Rate(), false), NotchHzOfPitch(expected, f.Rate())), 0.0, 0.3)
        << busMode;
  }
}

TEST(BusFilter, KeyAndVelocityTrackWithoutOscillatorTuning) {
  CFilterFixture f;
  SetBus(f, 17, 34.0f / 136.0f, 1.0f, 0.0f);
  f.Set(PARAM_BUS_KEYSCALE, 1.0f);
  f.Set(PARAM_BUS_VELSCALE, 1.0f);
  f.Set(PARAM_OSC_OCTAVE, 2.0f);  // oscillator tuning is not the bus's business
  f.Set(PARAM_TRANSPOSE, 2.0f);
  BusRig rig(f, 60, 0.75f);
  std::vector<double> hl, hr;
  rig.Responses(hl, hr, 65536);
  EXPECT_NEAR(Semitones(ExtremeHz(hl, 10.0, 30000.0, f.Rate(), false), NotchHzOfPitch(34.0 + 62.0 + 12.0, f.Rate())),
              0.0, 0.3);
}

namespace {

struct Extreme {
  unsigned int oversampling;
  float hostRate;
  float cutoff, res, control, key, vel;
  int note;
};

}  // namespace

TEST(Filters, EveryModeStaysFiniteAndBoundedAtExtremeSettings) {
  const Extreme setups[] = {
      {4, 44100.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 60},
      {4, 44100.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 127},
      {4, 44100.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0},
      {2, 22050.0f, 1.0f, 1.0f, 0.5f, 1.0f, 1.0f, 127},  // a low processing rate
      {2, 22050.0f, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f, 127},
      {2, 44100.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 127},
      {8, 96000.0f, 0.5f, 1.0f, 0.0f, 0.0f, 0.0f, 60},
  };
  for (const Extreme& e : setups) {
    CFilterFixture f(e.oversampling, e.hostRate);
    const std::vector<float> in = Noise(2048, 2.0f);
    for (int mode = 1; mode <= 24; ++mode) {
      SetOsc(f, mode, e.cutoff, e.res, e.control);
      f.Set(PARAM_OSC_FILTER_KEYSCALE, e.key);
      f.Set(PARAM_OSC_FILTER_VELSCALE, e.vel);
      SetBus(f, mode, e.cutoff, e.res, e.control, 1.0f);
      f.Set(PARAM_BUS_KEYSCALE, e.key);
      f.Set(PARAM_BUS_VELSCALE, e.vel);
      OscRig osc(f, e.note, 1.0f);
      EXPECT_TRUE(AllFinite(osc.Run(in), 1e4f)) << "osc mode " << mode << " rate " << f.Rate();
      BusRig bus(f, e.note, 1.0f);
      std::vector<float> l = in, r = in;
      bus.Run(l, r);
      EXPECT_TRUE(AllFinite(l, 1e4f) && AllFinite(r, 1e4f)) << "bus mode " << mode << " rate " << f.Rate();
    }
  }
}

TEST(Filters, DamagedSettingsAndSourcesGiveFiniteOutput) {
  CFilterFixture f;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const std::vector<float> in = Noise(1024, 1.0f);
  for (float bad : {nan, inf, -inf, 1e30f}) {
    for (int mode : {1, 3, 9, 12, 13, 17, 19, 22, 24}) {
      SetOsc(f, mode, P84, 0.5f, 0.5f);
      SetBus(f, mode, P84, 0.5f, 0.5f, 0.5f);
      for (unsigned int id : {PARAM_OSC_OCTAVE, PARAM_OSC_SEMITONE, PARAM_TRANSPOSE, PARAM_BEND_RANGE,
                              PARAM_MASTER_GLIDE, PARAM_GLIDE_MODE})
        f.Poke(id, bad);
      f.Set(PARAM_OSC_FILTER_KEYSCALE, 1.0f);
      f.Set(PARAM_BUS_KEYSCALE, 1.0f);
      f.mod.AddSource(PARAM_OSC_CUTOFF, bad, 1.0f);
      f.mod.AddSource(PARAM_OSC_RES, bad, 0.0f);
      f.mod.AddSource(PARAM_BUS_CUTOFF, bad, 1.0f);
      f.mod.AddSource(PARAM_BUS_STEREO, bad, 1.0f);
      f.mod.SetController(121, bad);
      f.synth.SetLastPitch(bad);
      OscRig osc(f);
      EXPECT_TRUE(AllFinite(osc.Run(in), 1e4f)) << mode << " " << bad;
      BusRig bus(f);
      std::vector<float> l = in, r = in;
      bus.Run(l, r);
      EXPECT_TRUE(AllFinite(l, 1e4f) && AllFinite(r, 1e4f)) << mode << " " << bad;
      f.mod.ClearSources();
      f.Neutral();
    }
  }
}

TEST(Filters, VoiceManagerSizesPoolBlocksForThreeCombLines) {
  TestDataDir dir;
  CGlobalSynth synth;
  CVoiceManager vm(&synth);
  const FilterBank::TUNING t = FilterBank::ComputeTuning();
  EXPECT_NEAR(t.maxTime, 0.051416f, 2e-6f);
  EXPECT_NEAR(1.0f / t.maxTime, 19.449f, 1e-3f);
  for (float rate : {44100.0f, 48000.0f, 96000.0f}) {
    vm.SetSampleRate(rate);
    const float osRate = rate * static_cast<float>(synth.GetOversampling());
    const unsigned int len = FilterBank::LineLength(t.maxTime, osRate);
    EXPECT_GE(synth.GetFilterMemoryPool()->GetBlockSize(), (3 * len + 39) * sizeof(float)) << rate;
  }
}

TEST(OscFilter, AcidResonanceGrowsAboveItsKneeFrequency) {
  // Below 2 kHz ("acid lp") or 1 kHz ("acid bp") the resonance is held at
  // half; well above, it is full: the peak over the pass band grows.
  struct Case {
    int mode;
    double lowHz, highHz;
    double base, span;  // the mode's pitch range
  } cases[] = {{9, 1000.0, 8000.0, 50.0, 100.0}, {10, 500.0, 4000.0, 40.0, 110.0}};
  CFilterFixture f;
  const double rate = f.Rate();
  for (const Case& c : cases) {
    double ratio[2];
    const double hz[2] = {c.lowHz, c.highHz};
    for (int k = 0; k < 2; ++k) {
      const double p = 12.0 * std::log2(hz[k] / 8.177735);
      SetOsc(f, c.mode, static_cast<float>((p - c.base) / c.span), 1.0f, 0.0f);
      OscRig rig(f, 20);
      const std::vector<double> h = rig.Response(32768, 0.001f);
      const double peak = Db(At(h, ExtremeHz(h, hz[k] / 8.0, hz[k] * 4.0, rate, true), rate));
      ratio[k] = peak - Db(At(h, hz[k] / 8.0, rate));
    }
    EXPECT_GT(ratio[1], ratio[0] + 3.0) << "mode " << c.mode;
  }
}

TEST(OscFilter, AcidResonanceFollowsItsTaperAcrossTheKnee) {
  // Full resonance, control 0: the height of the resonant peak over the
  // level six octaves below the cutoff, at cutoffs below, through and above
  // the knee where the resonance rises from half to full ("acid lp" 2 to
  // 10 kHz, "acid bp" 1 to 4 kHz), as measured on this implementation. A
  // knee moved by a tenth, a changed taper or resonance weight moves one of
  // them by 0.9 dB or more.
  struct Case {
    int mode;
    double hz;
    double peakDb;  // peak over the level at hz / 64
  } cases[] = {
      {9, 1500.0, -1.34}, {9, 3000.0, 2.97}, {9, 5000.0, 12.04},
      {9, 7000.0, 20.29}, {9, 9000.0, 25.15}, {9, 12000.0, 25.57},
      {10, 700.0, 27.73}, {10, 1500.0, 38.74}, {10, 2500.0, 58.16},
      {10, 3500.0, 66.75}, {10, 5000.0, 67.31},
  };
  CFilterFixture f;
  const double rate = f.Rate();
  for (const Case& c : cases) {
    const double base = c.mode == 9 ? 50.0 : 40.0, span = c.mode == 9 ? 100.0 : 110.0;
    const double p = 12.0 * std::log2(c.hz / 8.177735);
    SetOsc(f, c.mode, static_cast<float>((p - base) / span), 1.0f, 0.0f);
    OscRig rig(f, 20);
    const std::vector<double> h = rig.Response(32768, 0.001f);
    const double peak = Db(At(h, ExtremeHz(h, c.hz / 8.0, c.hz * 4.0, rate, true), rate));
    const double height = peak - Db(At(h, c.hz / 64.0, rate));
    EXPECT_NEAR(height, c.peakDb, 0.3) << "mode " << c.mode << " at " << c.hz << " Hz";
  }
}
