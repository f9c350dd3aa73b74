#include "tables/Tables.h"

#include <cmath>

namespace Tables {

float TUNE_TABLE[TUNE_TABLE_SIZE + 1];
float SINE_TABLE[SINE_TABLE_SIZE + 4];
float EXP_TABLE[EXP_TABLE_SIZE + 1];
float FASTFADEIN_TABLE[FASTFADEIN_TABLE_SIZE + 1];
float BUZZ_TABLE[BUZZ_TABLE_SIZE + 1];
float LOG_SCALE_TABLE[LOG_SCALE_TABLE_SIZE + 1];
float ILOG_SCALE_TABLE[LOG_SCALE_TABLE_SIZE + 1];

namespace {

void BuildTuneTable() {
  for (unsigned int i = 0; i < TUNE_TABLE_SIZE; ++i)
    TUNE_TABLE[i] = static_cast<float>(8.177735 * std::exp2(static_cast<double>(i) / 18000.0));
  TUNE_TABLE[TUNE_TABLE_SIZE] = TUNE_TABLE[0];
}

void BuildSineTable() {
  for (unsigned int i = 0; i < SINE_TABLE_SIZE; ++i)
    SINE_TABLE[i] = static_cast<float>(std::sin(2.0 * M_PI * static_cast<double>(i) / SINE_TABLE_SIZEM1));
  // sin(2 pi) is not exactly 0 in floating point: close the cycle exactly.
  SINE_TABLE[SINE_TABLE_SIZEM1] = SINE_TABLE[0];
  for (unsigned int i = 0; i < 4; ++i) SINE_TABLE[SINE_TABLE_SIZE + i] = 0.0f;
}

void BuildExpTable() {
  for (unsigned int i = 0; i < EXP_TABLE_SIZE; ++i) {
    if (i >= 100000) {
      EXP_TABLE[i] = 1.0f;
      continue;
    }
    double x = static_cast<double>(i) / 100000.0;
    EXP_TABLE[i] = static_cast<float>(x * std::pow(10.0, 2.0 * x - 2.0));
  }
  EXP_TABLE[EXP_TABLE_SIZE] = EXP_TABLE[0];
}

void BuildFastFadeInTable() {
  for (unsigned int i = 0; i < FASTFADEIN_TABLE_SIZE; ++i) {
    FASTFADEIN_TABLE[i] =
        i >= 48 ? 1.0f : static_cast<float>(0.5 - 0.5 * std::cos(M_PI * static_cast<double>(i) / 48.0));
  }
  FASTFADEIN_TABLE[FASTFADEIN_TABLE_SIZE] = FASTFADEIN_TABLE[0];
}

void BuildBuzzTable() {
  // Sixteen equal cosine harmonics under a raised-cosine taper: a narrow,
  // zero-mean pulse at the cycle start, normalised to a peak of 1.
  const int harmonics = 16;
  double taper[harmonics + 1];  // each harmonic's weight, worked out once
  for (int h = 1; h <= harmonics; ++h) taper[h] = 0.5 + 0.5 * std::cos(M_PI * h / (harmonics + 1));
  double peak = 0.0;
  double* tmp = new double[BUZZ_TABLE_SIZE];
  for (unsigned int i = 0; i < BUZZ_TABLE_SIZE; ++i) {
    double x = 2.0 * M_PI * static_cast<double>(i) / BUZZ_TABLE_SIZE;
    double s = 0.0;
    for (int h = 1; h <= harmonics; ++h) s += taper[h] * std::cos(h * x);
    tmp[i] = s;
    if (std::fabs(s) > peak) peak = std::fabs(s);
  }
  for (unsigned int i = 0; i < BUZZ_TABLE_SIZE; ++i) BUZZ_TABLE[i] = static_cast<float>(tmp[i] / peak);
  BUZZ_TABLE[BUZZ_TABLE_SIZE] = BUZZ_TABLE[0];
  delete[] tmp;
}

void BuildLogScaleTables() {
  for (unsigned int i = 0; i <= LOG_SCALE_TABLE_SIZE; ++i) {
    const double x = i >= LOG_SCALE_TABLE_SIZEM1 ? 1.0 : static_cast<double>(i) / LOG_SCALE_TABLE_SIZEM1;
    const double db = x > 0.0 ? 1.0 + std::log10(x) / 4.0 : 0.0;
    LOG_SCALE_TABLE[i] = static_cast<float>(db > 0.0 ? db : 0.0);
    ILOG_SCALE_TABLE[i] = i == 0 ? 0.0f : static_cast<float>(std::pow(10.0, 4.0 * (x - 1.0)));
  }
}

bool BuildAll() {
  BuildTuneTable();
  BuildSineTable();
  BuildExpTable();
  BuildFastFadeInTable();
  BuildBuzzTable();
  BuildLogScaleTables();
  return true;
}

// Built when the program is loaded; Init() covers readers that run from
// other static initialisers before this one.
const bool TABLES_BUILT_AT_LOAD = (Init(), true);

}  // namespace

void Init() {
  static const bool built = BuildAll();
  (void)built;
}

float TunePitchToHz(float pitch) {
  static const float scaler = static_cast<float>(TUNE_TABLE_SIZEM1) / static_cast<float>(TUNE_TABLE_MAX_PITCH);
  float f = pitch * scaler;
  if (!(f > 0.0f)) return TUNE_TABLE[0];  // negative or NaN
  if (f >= static_cast<float>(TUNE_TABLE_SIZEM1)) return TUNE_TABLE[TUNE_TABLE_SIZEM1];
  return TUNE_TABLE[static_cast<unsigned int>(f)];
}

}  // namespace Tables
