// The user wavetable: mip levels, level choice, playback in mode 55, the
// wave operations of the editor and the wavetable WAV files.
#include <fftw.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "OscFixture.h"
#include "WavFixture.h"
#include "osc/WaveLib.h"
#include "osc/WaveTable.h"

namespace {

const unsigned int N = CWaveTable::TABLE_SIZE;

std::vector<float> Wave(const std::function<double(double)>& f) {
  std::vector<float> w(N);
  for (unsigned int k = 0; k < N; ++k) w[k] = static_cast<float>(f(static_cast<double>(k) / N));
  return w;
}

double Harmonic(double x, int h) { return std::sin(2.0 * M_PI * h * x); }

// A naive saw: harmonics up to the table's Nyquist, 1/h each.
std::vector<float> SawWave() {
  return Wave([](double x) { return 1.0 - 2.0 * x; });
}

// Amplitude of harmonic h in one cycle of n points (plain DFT bin).
double TableHarmonic(const float* t, unsigned int n, int h) {
  double re = 0.0, im = 0.0;
  for (unsigned int k = 0; k < n; ++k) {
    const double ph = 2.0 * M_PI * h * k / n;
    re += t[k] * std::cos(ph);
    im -= t[k] * std::sin(ph);
  }
  return 2.0 * std::hypot(re, im) / n;
}

// Loads a wave into oscillator osc through the parameter image, as a
// wavetable load or the editor's commit does.
void LoadIntoOsc(COscFixture& f, unsigned int osc, const std::vector<float>& wave, const char* name = "Test") {
  std::memcpy(&f.params.GetPreset()->data[PARAM_WAVETABLE + WAVETABLE_LENGTH * osc], wave.data(), N * sizeof(float));
  char bytes[16] = {};
  std::strncpy(bytes, name, 15);
  std::memcpy(&f.params.GetPreset()->data[PARAM_WAVETABLE_NAME + 4 * osc], bytes, 16);
  f.osc[osc]->UpdateWaveTable();
}

std::vector<float> PlayWaveTable(COscFixture& f, const std::vector<float>& wave, int note, size_t n) {
  f.Set(PARAM_OSC_MODE, 55.0f);
  LoadIntoOsc(f, 0, wave);
  auto voice = f.NewVoice(note);
  f.Start(voice.get());
  return f.Render(voice.get(), 0, n);
}

// Power spectrum (Hann window) of the first 2^k samples of x.
std::vector<double> PowerSpectrum(const std::vector<float>& x, unsigned int n) {
  fftw_plan plan = fftw_create_plan(static_cast<int>(n), FFTW_FORWARD, FFTW_ESTIMATE);
  std::vector<fftw_complex> in(n), out(n);
  for (unsigned int i = 0; i < n; ++i) {
    const double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * i / n);
    in[i].re = w * x[i];
    in[i].im = 0.0;
  }
  fftw_one(plan, in.data(), out.data());
  fftw_destroy_plan(plan);
  std::vector<double> p(n / 2);
  for (unsigned int k = 0; k < n / 2; ++k) p[k] = out[k].re * out[k].re + out[k].im * out[k].im;
  return p;
}

// Power in bins more than `guard` bins away from every multiple of f0,
// relative to the total.
double InharmonicShare(const std::vector<double>& p, double rate, unsigned int n, double f0, int guard = 4) {
  double total = 0.0, off = 0.0;
  for (unsigned int k = 1; k < p.size(); ++k) {
    const double f = k * rate / n;
    const double h = std::round(f / f0);
    const double dist = std::fabs(f - h * f0) * n / rate;
    total += p[k];
    if (h < 1.0 || dist > guard) off += p[k];
  }
  return off / total;
}

struct TempFolder {
  std::filesystem::path dir;
  TempFolder() {
    dir = std::filesystem::temp_directory_path() / ("morlavine_wt_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
  }
  ~TempFolder() { std::filesystem::remove_all(dir); }
  std::string Path(const std::string& name) const { return (dir / name).string(); }
};

void WriteMonoFloatWav(const std::string& path, const std::vector<float>& x) {
  float* channels[1] = {const_cast<float*>(x.data())};
  ASSERT_TRUE(WaveLib::saveToFile(path.c_str(), channels, 1, 44100.0f, static_cast<uint32_t>(x.size())));
}

}  // namespace

TEST(WaveTable, SingleHarmonicTablePlaysThatHarmonicAtTheNotesPitch) {
  // Harmonic 1 and harmonic 3 tables at 220 Hz (pitch 57).
  for (int h : {1, 3}) {
    SCOPED_TRACE(h);
    COscFixture f(4, 64);
    const std::vector<float> y = PlayWaveTable(f, Wave([h](double x) { return Harmonic(x, h); }), 57, 88200);
    const double f0 = PitchHz(57);
    EXPECT_NEAR(ZeroCrossingFrequency(y, f.OscRate(), 1000), h * f0, 0.1 * h);
    EXPECT_NEAR(Amplitude(y, f.OscRate(), h * f0), 1.0, 0.01);
    for (int other = 1; other <= 5; ++other) {
      if (other == h) continue;
      EXPECT_LT(Amplitude(y, f.OscRate(), other * f0), 1e-3) << other;
    }
  }
}

TEST(WaveTable, EveryLevelOfASineIsThatSineAtPeakOne) {
  CWaveTable t;
  const std::vector<float> sine = Wave([](double x) { return 0.5 * Harmonic(x, 1); });
  char name[16] = "Sine";
  t.LoadWaveTable(sine.data(), name);
  for (unsigned int L = 0; L < CWaveTable::LEVEL_COUNT; ++L) {
    SCOPED_TRACE(L);
    const float* level = t.GetLevelTable(L);
    float peak = 0.0f;
    for (unsigned int k = 0; k < N; ++k) {
      peak = std::max(peak, std::fabs(level[k]));
      ASSERT_NEAR(level[k], 2.0f * sine[k], 1e-5f);
    }
    EXPECT_FLOAT_EQ(peak, 1.0f);
  }
  // The source keeps the wave as loaded, unscaled.
  EXPECT_EQ(t.GetSource()[N / 4], sine[N / 4]);
  EXPECT_STREQ(t.GetName(), "Sine");
}

TEST(WaveTable, LevelKeepsHarmonicsUpToItsLimitAndNoneAbove) {
  CWaveTable t;
  const std::vector<float> saw = SawWave();
  t.LoadWaveTable(saw.data(), "Saw");
  for (unsigned int L = 0; L < CWaveTable::LEVEL_COUNT; ++L) {
    SCOPED_TRACE(L);
    const int keep = 1 << (10 - L);
    const float* level = t.GetLevelTable(L);
    const double first = TableHarmonic(level, N, 1);
    // A saw's harmonic h is 1/h of the first.
    EXPECT_NEAR(TableHarmonic(level, N, keep) / first, 1.0 / keep, 0.02 / keep);
    EXPECT_LT(TableHarmonic(level, N, keep + 1) / first, 1e-5);
    EXPECT_LT(TableHarmonic(level, N, 2 * keep + 1) / first, 1e-5);
  }
}

TEST(WaveTable, FundamentalSelectsTheLevelWhoseTopHarmonicStaysBelow40kHz) {
  CWaveTable t;
  const struct {
    float hz;
    unsigned int level;
  } cases[] = {{0.0f, 0},      {39.0f, 0},    {39.0625f, 1}, {100.0f, 2},  {312.4f, 3},
               {625.0f, 5},    {2499.0f, 6},  {9999.0f, 8},  {10000.0f, 9}, {12000.0f, 9},
               {-5.0f, 0},     {1e30f, 9},    {NAN, 9},      {INFINITY, 9}};
  for (const auto& c : cases) {
    t.SetFundamental(c.hz);
    EXPECT_EQ(t.GetLevel(), c.level) << c.hz;
  }
  // Every fundamental below 20 kHz keeps its top harmonic below 40 kHz.
  for (float hz = 20.0f; hz < 20000.0f; hz *= 1.01f) {
    t.SetFundamental(hz);
    EXPECT_LT(hz * static_cast<float>(1u << (10 - t.GetLevel())), 40000.0f) << hz;
  }
}

TEST(WaveTable, SquareAtTheTopLevelIsASineAtTheFundamental) {
  CWaveTable t;
  const std::vector<float> square = Wave([](double x) { return x < 0.5 ? 1.0 : -1.0; });
  t.LoadWaveTable(square.data(), "Square");
  const float* top = t.GetLevelTable(9);
  for (unsigned int k = 0; k < N; k += 97) ASSERT_NEAR(top[k], std::sin(2.0 * M_PI * (k + 0.5) / N), 2e-3) << k;
}

TEST(WaveTable, ReadWrapsToPointZeroAtTheEndOfTheCycle) {
  CWaveTable t;
  const std::vector<float> saw = SawWave();
  t.LoadWaveTable(saw.data(), "Saw");
  t.SetFundamental(12000.0f);
  const float* level = t.GetLevelTable(9);
  EXPECT_EQ(t.GetSample(1.0f), level[0]);
  EXPECT_EQ(t.GetSample(0.0f), level[0]);
  // 0.99995 x 16384 = 16383.18: between the last point and point 0.
  const float x = 16384.0f * 0.99995f;
  const float frac = x - 16383.0f;
  EXPECT_NEAR(t.GetSample(0.99995f), (1.0f - frac) * level[16383] + frac * level[0], 1e-6f);
  for (float p : {NAN, -0.25f, 1.5f, INFINITY, -INFINITY}) EXPECT_EQ(t.GetSample(p), level[0]) << p;
}

TEST(WaveTable, HighNoteLevelRemovesTheAliasingOfANaiveTable) {
  // A saw at 2093 Hz (pitch 96) at 4x: the level keeps 16 harmonics (top
  // 33.5 kHz); a naive read of the full table folds its 1024 harmonics back
  // below the oscillator's Nyquist frequency.
  COscFixture f(4, 64);
  const std::vector<float> saw = SawWave();
  const unsigned int n = 32768;
  const std::vector<float> y = PlayWaveTable(f, saw, 96, n);
  EXPECT_EQ(f.osc[0]->GetWaveTable()->GetLevel(), 6u);

  std::vector<float> naive(n);
  std::vector<float> full(saw);
  CWaveTable::Normalize(full.data(), N);
  const double inc = PitchHz(96) / f.OscRate();
  double phase = 0.0;
  for (unsigned int i = 0; i < n; ++i) {
    const double x = phase * N;
    const unsigned int k = static_cast<unsigned int>(x);
    const double fr = x - k;
    naive[i] = static_cast<float>((1.0 - fr) * full[k] + fr * full[(k + 1) % N]);
    phase += inc;
    phase -= std::floor(phase);
  }
  const double f0 = PitchHz(96);
  const double mip = InharmonicShare(PowerSpectrum(y, n), f.OscRate(), n, f0);
  const double plain = InharmonicShare(PowerSpectrum(naive, n), f.OscRate(), n, f0);
  EXPECT_GT(plain, 1e-4);
  EXPECT_LT(mip, plain / 100.0);  // at least 20 dB less aliased power
  // Nothing above the level's top harmonic (16 x f0 = 33.5 kHz) but aliases.
  EXPECT_LT(Amplitude(y, f.OscRate(), 17 * f0), 1e-3);
}

TEST(WaveTable, QualitySettingsLeaveTheTablesAndTheSoundAlone) {
  std::vector<float> reference;
  for (unsigned int quality : {0u, 1u, 2u, 7u}) {
    SCOPED_TRACE(quality);
    COscFixture f(4, 64);
    f.osc[0]->SetWaveTableQuality(quality);
    EXPECT_EQ(f.osc[0]->GetWaveTable()->GetQuality(), quality);
    const std::vector<float> y = PlayWaveTable(f, SawWave(), 60, 4096);
    if (reference.empty())
      reference = y;
    else
      EXPECT_EQ(y, reference);
  }
}

TEST(WaveTable, OnlyTheFirstUnisonSubVoiceChoosesTheLevel) {
  COscFixture f(4, 64);
  f.Set(PARAM_OSC_MODE, 55.0f);
  LoadIntoOsc(f, 0, SawWave());
  auto high = f.NewVoice(120, 0);  // 8.4 kHz: level 8
  auto low = f.NewVoice(30, 1);    // a second sub-voice at a low note
  f.Start(high.get());
  f.Start(low.get());
  f.Block(high.get());
  EXPECT_EQ(f.osc[0]->GetWaveTable()->GetLevel(), 8u);
  f.Block(low.get());
  EXPECT_EQ(f.osc[0]->GetWaveTable()->GetLevel(), 8u);
}

TEST(WaveTable, ModeFiftyFiveRunsTheFrameButIgnoresMorph) {
  std::vector<float> plain;
  for (float morph : {0.0f, 1.0f}) {
    COscFixture f(4, 64);
    f.Set(PARAM_OSC_MORPH_X, morph);
    f.Set(PARAM_OSC_MORPH_Y, morph);
    const std::vector<float> y = PlayWaveTable(f, SawWave(), 60, 4096);
    if (plain.empty())
      plain = y;
    else
      EXPECT_EQ(y, plain);
  }
  // Invert acts as in every computed wave.
  COscFixture f(4, 64);
  f.Set(PARAM_OSC_INVERT, 1.0f);
  const std::vector<float> y = PlayWaveTable(f, SawWave(), 60, 4096);
  for (size_t i = 0; i < y.size(); ++i) ASSERT_EQ(y[i], -plain[i]);
}

TEST(WaveTable, DamagedWavesPlayFiniteAndInBounds) {
  // NaN, infinities, denormals and huge values in the image; an all-zero table.
  std::vector<float> damaged = SawWave();
  damaged[10] = NAN;
  damaged[20] = INFINITY;
  damaged[30] = -INFINITY;
  damaged[40] = 1e-42f;
  damaged[50] = 3e38f;
  for (const auto& wave : {damaged, std::vector<float>(N, 0.0f)}) {
    COscFixture f(4, 64);
    const std::vector<float> y = PlayWaveTable(f, wave, 60, 8192);
    for (float v : y) ASSERT_TRUE(std::isfinite(v) && std::fabs(v) <= 1.0f) << v;
  }
  COscFixture f(4, 64);
  const std::vector<float> y = PlayWaveTable(f, std::vector<float>(N, 0.0f), 60, 1024);
  for (float v : y) ASSERT_EQ(v, 0.0f);
}

TEST(WaveTable, UnloadedTablePlaysSilenceAndAReloadOfTheSameWaveKeepsTheLevels) {
  CWaveTable t;
  for (float p : {0.0f, 0.3f, 0.999f}) EXPECT_EQ(t.GetSample(p), 0.0f);
  const std::vector<float> saw = SawWave();
  t.LoadWaveTable(saw.data(), "Saw");
  const std::vector<float> before(t.GetLevelTable(4), t.GetLevelTable(4) + N);
  t.LoadWaveTable(saw.data(), "Renamed");
  EXPECT_STREQ(t.GetName(), "Renamed");
  EXPECT_EQ(std::vector<float>(t.GetLevelTable(4), t.GetLevelTable(4) + N), before);
  // A changed wave rebuilds, also when loaded from the source itself.
  float* source = t.GetSource();
  for (unsigned int k = 0; k < N; ++k) source[k] = static_cast<float>(Harmonic(static_cast<double>(k) / N, 2));
  t.LoadWaveTable(source, "Second");
  EXPECT_NEAR(TableHarmonic(t.GetLevelTable(4), N, 2), 1.0, 1e-4);
  // A name of 16 characters without a zero is kept whole; a null name is empty.
  t.LoadWaveTable(source, "0123456789abcdefXYZ");
  EXPECT_EQ(0, std::memcmp(t.GetName(), "0123456789abcdef", 16));
  t.LoadWaveTable(source, nullptr);
  EXPECT_EQ(t.GetName()[0], 0);
}

TEST(WaveTable, DeferredLoadBuildsTheSameLevelsWhenFirstNeededFromTheWaveAsLoaded) {
  const std::vector<float> saw = SawWave();
  CWaveTable now, later;
  now.LoadWaveTable(saw.data(), "Saw");
  later.LoadWaveTableDeferred(saw.data(), "Saw");
  EXPECT_STREQ(later.GetName(), "Saw");
  EXPECT_EQ(0, std::memcmp(later.GetSource(), saw.data(), N * sizeof(float)));
  // The source changes in place after the load; the levels still come from
  // the wave as it was loaded, as LoadWaveTable's would.
  float* source = later.GetSource();
  for (unsigned int k = 0; k < N; ++k) source[k] = 0.5f;
  later.PrepareLevels();
  for (unsigned int L = 0; L < CWaveTable::LEVEL_COUNT; ++L)
    ASSERT_EQ(0, std::memcmp(now.GetLevelTable(L), later.GetLevelTable(L), (N + 1) * sizeof(float))) << L;
  // Nothing pending: the levels stay as they are.
  later.PrepareLevels();
  EXPECT_EQ(0, std::memcmp(now.GetLevelTable(9), later.GetLevelTable(9), (N + 1) * sizeof(float)));
}

TEST(WaveTable, OscillatorsBuildTheLevelsOnlyOfAWaveTheyPlay) {
  // Every oscillator loads its preset's wave; one that never plays mode 55
  // builds no levels (they stay silent), the one that plays it hears them.
  COscFixture f(4, 64);
  const std::vector<float> sine = Wave([](double x) { return Harmonic(x, 1); });
  LoadIntoOsc(f, 1, sine);
  EXPECT_EQ(f.osc[1]->GetWaveTable()->GetLevelTable(0)[N / 4], 0.0f);
  const std::vector<float> y = PlayWaveTable(f, sine, 69, 4096);
  EXPECT_GT(*std::max_element(y.begin(), y.end()), 0.1f);
  EXPECT_NEAR(f.osc[0]->GetWaveTable()->GetLevelTable(0)[N / 4], 1.0f, 1e-6f);
  EXPECT_EQ(f.osc[1]->GetWaveTable()->GetLevelTable(0)[N / 4], 0.0f);
}

TEST(WaveTableOps, NormalizeClearsZerosDenormalsAndNonFiniteThenScalesToPeakOne) {
  float data[] = {0.5f, -2.0f, 1e-40f, NAN, INFINITY, 1.0f};
  CWaveTable::Normalize(data, 6);
  const float expected[] = {0.25f, -1.0f, 0.0f, 0.0f, 0.0f, 0.5f};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(data[i], expected[i]) << i;
  float zeros[4] = {};
  CWaveTable::Normalize(zeros, 4);
  for (float v : zeros) EXPECT_EQ(v, 0.0f);
}

TEST(WaveTableOps, InterpolateLandsOnTheEndsAndFollowsAStraightLine) {
  const float src[] = {0.0f, 1.0f, 2.0f, 3.0f, 4.0f};
  float dst[9];
  CWaveTable::Interpolate(dst, 9, src, 5);
  EXPECT_EQ(dst[0], 0.0f);
  EXPECT_EQ(dst[8], 4.0f);
  // Inside (away from the zero padding at the ends) a line stays a line.
  for (int j = 2; j <= 5; ++j) EXPECT_NEAR(dst[j], 0.5f * j, 1e-6f) << j;
  float one[1] = {7.0f};
  CWaveTable::Interpolate(one, 1, src, 5);  // a single point takes the first
  EXPECT_EQ(one[0], 0.0f);
}

TEST(WaveTableOps, SmoothingShrinksItsWindowAtTheEnds) {
  float data[] = {0.0f, 3.0f, 0.0f, 0.0f};
  CWaveTable::Smoothing(data, 4, 3);
  EXPECT_FLOAT_EQ(data[0], 0.0f);
  EXPECT_FLOAT_EQ(data[1], 1.0f);
  EXPECT_FLOAT_EQ(data[2], 1.0f / 3.0f);
  EXPECT_FLOAT_EQ(data[3], 0.0f);
  float single[] = {5.0f};
  CWaveTable::Smoothing(single, 1, 9);
  EXPECT_EQ(single[0], 5.0f);
  // A window longer than the data shrinks to stay inside it: point 1
  // averages all three, the last point only itself.
  float longWindow[] = {1.0f, 2.0f, 6.0f};
  CWaveTable::Smoothing(longWindow, 3, 100);
  EXPECT_FLOAT_EQ(longWindow[1], 3.0f);
  EXPECT_FLOAT_EQ(longWindow[2], 6.0f);
}

TEST(WaveTableOps, SharpeningLeavesLoudNeighbourhoodsAndTheEnds) {
  float data[] = {0.2f, 0.5f, 0.2f, 1.0f, 0.1f};
  CWaveTable::Sharpening(data, 5, 0.5f);
  EXPECT_EQ(data[0], 0.2f);
  EXPECT_FLOAT_EQ(data[1], (0.5f - 0.5f * (0.2f + 0.2f) / 2.0f) * 2.0f);  // 0.8
  EXPECT_EQ(data[2], 0.2f);  // its next neighbour reaches 1
  EXPECT_EQ(data[3], 1.0f);
  EXPECT_EQ(data[4], 0.1f);
  float after[] = {0.1f, 1.0f, 0.2f, 0.1f};
  CWaveTable::Sharpening(after, 4, 0.5f);
  EXPECT_EQ(after[2], 0.2f);  // its previous neighbour reaches 1
  float two[] = {0.3f, 0.4f};
  CWaveTable::Sharpening(two, 2, 0.5f);
  EXPECT_EQ(two[1], 0.4f);
  float unit[] = {0.1f, 0.2f, 0.1f};
  CWaveTable::Sharpening(unit, 3, 1.0f);  // 1 / (1 - 1): left alone
  EXPECT_EQ(unit[1], 0.2f);
}

TEST(WaveTableOps, UpAndDownSamplingByPowersOfTwo) {
  // A constant settles to the same constant through both stages each way.
  std::vector<float> data(1024, 0.0f);
  for (unsigned int i = 0; i < 256; ++i) data[i] = 1.0f;
  ASSERT_TRUE(CWaveTable::Upsample(data.data(), 256, 4));
  for (unsigned int i = 768; i < 1024; ++i) ASSERT_NEAR(data[i], 1.0f, 5e-3f) << i;
  CWaveTable::Downsample(data.data(), 1024, 4);
  for (unsigned int i = 192; i < 256; ++i) ASSERT_NEAR(data[i], 1.0f, 5e-3f) << i;
  // Data past the halved length is left as it was.
  EXPECT_NEAR(data[1023], 1.0f, 1e-3f);
}

TEST(WaveTableFile, LoadBringsAnyLengthToOneNormalisedCycle) {
  TempFolder tmp;
  struct CASE {
    unsigned int frames;
    const char* file;
  } cases[] = {{600, "short.wav"}, {65536, "long.wav"}, {16384, "exact.wav"}, {1, "one.wav"}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.frames);
    std::vector<float> x(c.frames);
    for (unsigned int i = 0; i < c.frames; ++i) x[i] = 0.5f * static_cast<float>(std::sin(2.0 * M_PI * i / c.frames));
    if (c.frames == 1) x[0] = 0.25f;
    WriteMonoFloatWav(tmp.Path(c.file), x);
    std::vector<float> wave(N, 9.0f);
    char name[16];
    ASSERT_TRUE(CWaveTable::LoadFromFile(tmp.Path(c.file).c_str(), wave.data(), name));
    float peak = 0.0f;
    for (float v : wave) peak = std::max(peak, std::fabs(v));
    EXPECT_FLOAT_EQ(peak, 1.0f);
    if (c.frames == 16384) {
      for (unsigned int k = 0; k < N; k += 101) ASSERT_FLOAT_EQ(wave[k], 2.0f * x[k]);
    } else if (c.frames != 1) {
      // One cycle of a sine: the first harmonic dominates (the resampling
      // filters delay it a little).
      EXPECT_GT(TableHarmonic(wave.data(), N, 1), 0.9);
      EXPECT_LT(TableHarmonic(wave.data(), N, 3), 0.05);
    }
  }
}

TEST(WaveTableFile, NameIsAtMostFifteenCharactersOfTheFileName) {
  TempFolder tmp;
  const std::vector<float> x(256, 0.5f);
  WriteMonoFloatWav(tmp.Path("A very long wavetable name.wav"), x);
  char name[16];
  std::memset(name, 'x', 16);
  std::vector<float> wave(N);
  ASSERT_TRUE(CWaveTable::LoadFromFile(tmp.Path("A very long wavetable name.wav").c_str(), wave.data(), name));
  EXPECT_EQ(0, std::memcmp(name, "A very long wav\0", 16));
  WriteMonoFloatWav(tmp.Path("Bell.wav"), x);
  ASSERT_TRUE(CWaveTable::LoadFromFile(tmp.Path("Bell.wav").c_str(), wave.data(), name));
  EXPECT_EQ(0, std::memcmp(name, "Bell\0\0\0\0\0\0\0\0\0\0\0\0", 16));
}

TEST(WaveTableFile, BadFilesFailAndLeaveWaveAndNameAlone) {
  TempFolder tmp;
  wavtest::WavLayout bad;
  bad.data = {1, 2, 3, 4};
  bad.tag = 2;  // not a format the reader takes
  const wavtest::Bytes bytes = wavtest::BuildWav(bad);
  std::FILE* out = std::fopen(tmp.Path("bad.wav").c_str(), "wb");
  ASSERT_TRUE(out);
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);
  std::vector<float> wave(N, 0.75f);
  char name[16] = "Kept";
  for (const std::string& path : {tmp.Path("bad.wav"), tmp.Path("missing.wav")}) {
    EXPECT_FALSE(CWaveTable::LoadFromFile(path.c_str(), wave.data(), name));
    EXPECT_STREQ(name, "Kept");
    for (float v : wave) ASSERT_EQ(v, 0.75f);
  }
  EXPECT_FALSE(CWaveTable::LoadFromFile(nullptr, wave.data(), name));
}

TEST(WaveTableFile, SaveWritesOneCycleThatLoadsBackUnchanged) {
  TempFolder tmp;
  std::vector<float> wave = SawWave();
  CWaveTable::Normalize(wave.data(), N);
  ASSERT_TRUE(CWaveTable::SaveToFile(tmp.Path("saved.wav").c_str(), wave.data()));
  EXPECT_EQ(std::filesystem::file_size(tmp.Path("saved.wav")), 65582u);
  std::vector<float> back(N);
  char name[16];
  ASSERT_TRUE(CWaveTable::LoadFromFile(tmp.Path("saved.wav").c_str(), back.data(), name));
  EXPECT_EQ(back, wave);
  EXPECT_FALSE(CWaveTable::SaveToFile((tmp.Path("no such folder") + "/x.wav").c_str(), wave.data()));
  EXPECT_FALSE(CWaveTable::SaveToFile(tmp.Path("null.wav").c_str(), nullptr));
}
