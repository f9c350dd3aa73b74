// The notch, peak and shelves at the bottom of the cutoff range (cutoff 0 to
// 0.3: 8 to 87 Hz) at every processing rate from 88.2 kHz to 1.536 MHz:
// their centre frequency and the level in their band, measured on impulse
// responses long enough to hold the whole ring-out. There the poles lie
// within 1e-5 of z = 1, and a response computed without enough precision
// moves by tens of dB or shifts its centre by octaves.
#include <gtest/gtest.h>

#include <complex>
#include <memory>

#include "FilterFixture.h"
#include "dsp/BusFilter.h"
#include "dsp/OscFilter.h"

using namespace FilterMeasure;

namespace {

struct RATE {
  unsigned int oversampling;
  float hostRate;
};
// 88.2, 96, 176.4, 192, 352.8, 384, 768 and 1536 kHz.
const RATE RATES[] = {{2, 44100.0f}, {2, 48000.0f}, {4, 44100.0f}, {2, 96000.0f},
                      {8, 44100.0f}, {4, 96000.0f}, {8, 96000.0f}, {8, 192000.0f}};

double PitchHz(double p) { return 8.177735 * std::pow(2.0, p / 12.0); }

// The response of an impulse response at hz: its discrete-time Fourier
// transform, the phasor set afresh every 4096 samples so that rounding does
// not pile up over millions of samples.
std::complex<double> ResponseAt(const std::vector<float>& h, double hz, double rate) {
  const double w = -2.0 * M_PI * hz / rate;
  const std::complex<double> step = std::polar(1.0, w);
  std::complex<double> sum = 0.0, phasor = 1.0;
  for (size_t i = 0; i < h.size(); ++i) {
    if ((i & 4095) == 0) phasor = std::polar(1.0, w * static_cast<double>(i));
    sum += static_cast<double>(h[i]) * phasor;
    phasor *= step;
  }
  return sum;
}
double LevelDb(const std::vector<float>& h, double hz, double rate) { return Db(std::abs(ResponseAt(h, hz, rate))); }

// Frequency of the largest (peak) or smallest (notch) level between lo and
// hi, by golden-section search on a response with one extreme there.
double ExtremeHzOf(const std::vector<float>& h, double lo, double hi, double rate, bool largest) {
  const double g = (std::sqrt(5.0) - 1.0) / 2.0;
  auto score = [&](double hz) { return largest ? -LevelDb(h, hz, rate) : LevelDb(h, hz, rate); };
  double a = lo, b = hi;
  double c = b - g * (b - a), d = a + g * (b - a);
  double fc = score(c), fd = score(d);
  while (b - a > 1e-3 * lo) {
    if (fc < fd) {
      b = d;
      d = c;
      fd = fc;
      c = b - g * (b - a);
      fc = score(c);
    } else {
      a = c;
      c = d;
      fc = fd;
      d = a + g * (b - a);
      fd = score(d);
    }
  }
  return 0.5 * (a + b);
}

// Frequency between lo and hi where the level crosses db, by bisection on a
// response that rises or falls through it once there.
double CrossingHz(const std::vector<float>& h, double lo, double hi, double db, double rate) {
  const bool risingAtLo = LevelDb(h, lo, rate) < db;
  for (int k = 0; k < 40 && hi - lo > 1e-5 * lo; ++k) {
    const double mid = std::sqrt(lo * hi);
    if ((LevelDb(h, mid, rate) < db) == risingAtLo)
      lo = mid;
    else
      hi = mid;
  }
  return std::sqrt(lo * hi);
}

// What the response of one setting should show. The notch and peak: the
// extreme at the cutoff with level G^2 (notch G = 0.5 - 0.437 r^2, peak
// G = 1.5 + 5 r^2). The shelves: A^2 deep in the shelved band, 0 dB deep in
// the other, and the level half-way in dB (A) at the cutoff (A = 3r^2 +
// 0.25 below r = 0.5; above it 5 (r - 0.5)^2 + 1 low, 7 (r - 0.5)^2 + 1 high).
struct SETTING {
  int mode;
  float res;
  double db;       // the notch's depth, the peak's height, the shelved band's level
  double seconds;  // impulse response length in periods of the cutoff: a dozen times its slowest decay
};
const SETTING SETTINGS[] = {
    {17, 0.0f, 40.0 * std::log10(0.5), 6.0},
    {17, 1.0f, 40.0 * std::log10(0.063), 16.0},
    {18, 0.0f, 40.0 * std::log10(1.5), 5.0},
    {18, 1.0f, 40.0 * std::log10(6.5), 16.0},
    {19, 0.0f, 40.0 * std::log10(0.25), 8.0},
    {19, 1.0f, 40.0 * std::log10(2.25), 8.0},
    {20, 0.0f, 40.0 * std::log10(0.25), 8.0},
    {20, 1.0f, 40.0 * std::log10(2.75), 8.0},
};

// Checks one impulse response of setting s with its centre expected at fc.
void ExpectResponse(const std::vector<float>& h, const SETTING& s, double fc, double rate, const std::string& what) {
  // The response has rung out: its last tenth holds nothing to speak of.
  double tail = 0.0, all = 0.0;
  for (size_t i = 0; i < h.size(); ++i) {
    const double e = static_cast<double>(h[i]) * h[i];
    all += e;
    if (i >= h.size() - h.size() / 10) tail += e;
  }
  ASSERT_LT(tail, 1e-10 * all) << what;

  if (s.mode == FilterBank::MODE_NOTCH || s.mode == FilterBank::MODE_PEAK) {
    const bool peak = s.mode == FilterBank::MODE_PEAK;
    const double centre = ExtremeHzOf(h, fc / 1.6, fc * 1.6, rate, peak);
    EXPECT_NEAR(centre / fc, 1.0, 0.02) << what << " centre " << centre << " Hz";
    EXPECT_NEAR(LevelDb(h, centre, rate), s.db, 1.0) << what;
  } else {
    const bool low = s.mode == FilterBank::MODE_LOWSHELF;
    const double shelved = low ? fc / 8.0 : fc * 8.0, open = low ? fc * 8.0 : fc / 8.0;
    EXPECT_NEAR(LevelDb(h, shelved, rate), s.db, 1.0) << what << " shelved band";
    EXPECT_NEAR(LevelDb(h, open, rate), 0.0, 1.0) << what << " open band";
    const double centre = CrossingHz(h, fc / 4.0, fc * 4.0, 0.5 * s.db, rate);
    EXPECT_NEAR(centre / fc, 1.0, 0.02) << what << " centre " << centre << " Hz";
  }
}

std::string Describe(const SETTING& s, float cutoff, double rate) {
  return "mode " + std::to_string(s.mode) + " res " + std::to_string(s.res) + " cutoff " + std::to_string(cutoff) +
         " at " + std::to_string(rate) + " Hz";
}

}  // namespace

TEST(FilterPrecision, OscillatorEqualisersAndShelvesHoldTheirCentreAndLevelAtEveryRate) {
  for (const RATE& r : RATES) {
    CFilterFixture f(r.oversampling, r.hostRate);
    const double rate = f.Rate();
    COscFilter filter(&f.synth);
    filter.SetInstance(0);
    filter.SetSampleRate(f.Rate());
    auto voice = f.NewVoice(60);
    for (const SETTING& s : SETTINGS)
      for (float cutoff : {0.0f, 0.1f, 0.2f, 0.3f}) {
        f.Set(PARAM_OSC_FILTER_MODE, static_cast<float>(s.mode));
        f.Set(PARAM_OSC_CUTOFF, cutoff);
        f.Set(PARAM_OSC_RES, s.res);
        f.Set(PARAM_OSC_CONTROL, 0.0f);
        filter.Reset(voice.get());
        filter.StartVoice(voice.get());
        const double fc = PitchHz(136.0 * cutoff);
        const size_t n = static_cast<size_t>(rate * s.seconds / fc);
        const std::vector<float> h = f.RunMono(filter, voice.get(), Impulse(n));
        ExpectResponse(h, s, fc, rate, Describe(s, cutoff, rate));
      }
  }
}

// The bus filter runs the same kernels on both channels (its notch stays at
// pitch 30 or above): the lowest and highest rates, both ends of the range.
TEST(FilterPrecision, BusEqualisersAndShelvesHoldTheirCentreAndLevelAtTheExtremeRates) {
  for (const RATE& r : {RATES[0], RATES[7]}) {
    CFilterFixture f(r.oversampling, r.hostRate);
    const double rate = f.Rate();
    CBusFilter filter(&f.synth);
    filter.SetInstance(0);
    filter.SetSampleRate(f.Rate());
    auto voice = f.NewVoice(60);
    for (const SETTING& s : SETTINGS)
      for (float cutoff : {0.0f, 0.3f}) {
        f.Set(PARAM_BUS_FILTER_MODE, static_cast<float>(s.mode));
        f.Set(PARAM_BUS_CUTOFF, cutoff);
        f.Set(PARAM_BUS_RES, s.res);
        f.Set(PARAM_BUS_CONTROL, 0.0f);
        f.Set(PARAM_BUS_STEREO, 0.5f);
        filter.Reset(voice.get());
        filter.StartVoice(voice.get());
        double pitch = 136.0 * cutoff;
        if (s.mode == FilterBank::MODE_NOTCH && pitch < 30.0) pitch = 30.0;
        const double fc = PitchHz(pitch);
        const size_t n = static_cast<size_t>(rate * s.seconds / fc);
        std::vector<float> left = Impulse(n), right = Impulse(n);
        f.RunStereo(filter, voice.get(), left, right);
        ExpectResponse(left, s, fc, rate, "bus left " + Describe(s, cutoff, rate));
        ExpectResponse(right, s, fc, rate, "bus right " + Describe(s, cutoff, rate));
      }
  }
}

// The control widens the notch and the peak: where each reaches half its
// depth or height (in dB) above its centre, in octaves, at control 0 and
// 0.5, as measured on this implementation.
TEST(FilterPrecision, ControlSetsTheWidthOfTheNotchAndPeak) {
  CFilterFixture f(RATES[0].oversampling, RATES[0].hostRate);
  const double rate = f.Rate();
  COscFilter filter(&f.synth);
  filter.SetInstance(0);
  filter.SetSampleRate(f.Rate());
  auto voice = f.NewVoice(60);
  struct CASE {
    const SETTING& s;
    float control;
    double octaves;
  } cases[] = {{SETTINGS[0], 0.0f, 0.282}, {SETTINGS[0], 0.5f, 1.256}, {SETTINGS[2], 0.0f, 1.159}, {SETTINGS[2], 0.5f, 2.224}};
  for (const CASE& c : cases) {
    f.Set(PARAM_OSC_FILTER_MODE, static_cast<float>(c.s.mode));
    f.Set(PARAM_OSC_CUTOFF, 0.5f);
    f.Set(PARAM_OSC_RES, c.s.res);
    f.Set(PARAM_OSC_CONTROL, c.control);
    filter.Reset(voice.get());
    filter.StartVoice(voice.get());
    const double fc = PitchHz(68.0);
    const std::vector<float> h = f.RunMono(filter, voice.get(), Impulse(static_cast<size_t>(rate * 16.0 / fc)));
    const double edge = CrossingHz(h, fc * 1.001, fc * 64.0, 0.5 * c.s.db, rate);
    EXPECT_NEAR(std::log2(edge / fc), c.octaves, 0.01) << "mode " << c.s.mode << " control " << c.control;
  }
}
