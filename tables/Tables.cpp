// Builds the tables of Tables.h (run by the build, see TableBuild.h).

#include <cmath>
#include <vector>

#include "tables/TableBuild.h"
#include "tables/Tables.h"

namespace Tables {

namespace {

void BuildTuneTable(ITableSink& sink) {
  std::vector<float> t(TUNE_TABLE_SIZE + 1);
  for (unsigned int i = 0; i < TUNE_TABLE_SIZE; ++i)
    t[i] = static_cast<float>(8.177735 * std::exp2(static_cast<double>(i) / 18000.0));
  t[TUNE_TABLE_SIZE] = t[0];
  sink.Put("Tables::TUNE_TABLE", t.data(), TUNE_TABLE_SIZE + 1);
}

void BuildSineTable(ITableSink& sink) {
  std::vector<float> t(SINE_TABLE_SIZE + 4);
  for (unsigned int i = 0; i < SINE_TABLE_SIZE; ++i)
    t[i] = static_cast<float>(std::sin(2.0 * M_PI * static_cast<double>(i) / SINE_TABLE_SIZEM1));
  // sin(2 pi) is not exactly 0 in floating point: close the cycle exactly.
  t[SINE_TABLE_SIZEM1] = t[0];
  for (unsigned int i = 0; i < 4; ++i) t[SINE_TABLE_SIZE + i] = 0.0f;
  sink.Put("Tables::SINE_TABLE", t.data(), SINE_TABLE_SIZE + 4);
}

void BuildExpTable(ITableSink& sink) {
  std::vector<float> t(EXP_TABLE_SIZE + 1);
  for (unsigned int i = 0; i < EXP_TABLE_SIZE; ++i) {
    if (i >= 100000) {
      t[i] = 1.0f;
      continue;
    }
    double x = static_cast<double>(i) / 100000.0;
    t[i] = static_cast<float>(x * std::pow(10.0, 2.0 * x - 2.0));
  }
  t[EXP_TABLE_SIZE] = t[0];
  sink.Put("Tables::EXP_TABLE", t.data(), EXP_TABLE_SIZE + 1);
}

void BuildFastFadeInTable(ITableSink& sink) {
  std::vector<float> t(FASTFADEIN_TABLE_SIZE + 1);
  for (unsigned int i = 0; i < FASTFADEIN_TABLE_SIZE; ++i) {
    t[i] = i >= 48 ? 1.0f : static_cast<float>(0.5 - 0.5 * std::cos(M_PI * static_cast<double>(i) / 48.0));
  }
  t[FASTFADEIN_TABLE_SIZE] = t[0];
  sink.Put("Tables::FASTFADEIN_TABLE", t.data(), FASTFADEIN_TABLE_SIZE + 1);
}

void BuildBuzzTable(ITableSink& sink) {
  // Sixteen equal cosine harmonics under a raised-cosine taper: a narrow,
  // zero-mean pulse at the cycle start, normalised to a peak of 1.
  const int harmonics = 16;
  double taper[harmonics + 1];  // each harmonic's weight, worked out once
  for (int h = 1; h <= harmonics; ++h) taper[h] = 0.5 + 0.5 * std::cos(M_PI * h / (harmonics + 1));
  double peak = 0.0;
  std::vector<double> tmp(BUZZ_TABLE_SIZE);
  for (unsigned int i = 0; i < BUZZ_TABLE_SIZE; ++i) {
    double x = 2.0 * M_PI * static_cast<double>(i) / BUZZ_TABLE_SIZE;
    double s = 0.0;
    for (int h = 1; h <= harmonics; ++h) s += taper[h] * std::cos(h * x);
    tmp[i] = s;
    if (std::fabs(s) > peak) peak = std::fabs(s);
  }
  std::vector<float> t(BUZZ_TABLE_SIZE + 1);
  for (unsigned int i = 0; i < BUZZ_TABLE_SIZE; ++i) t[i] = static_cast<float>(tmp[i] / peak);
  t[BUZZ_TABLE_SIZE] = t[0];
  sink.Put("Tables::BUZZ_TABLE", t.data(), BUZZ_TABLE_SIZE + 1);
}

void BuildLogScaleTables(ITableSink& sink) {
  std::vector<float> log(LOG_SCALE_TABLE_SIZE + 1), ilog(LOG_SCALE_TABLE_SIZE + 1);
  for (unsigned int i = 0; i <= LOG_SCALE_TABLE_SIZE; ++i) {
    const double x = i >= LOG_SCALE_TABLE_SIZEM1 ? 1.0 : static_cast<double>(i) / LOG_SCALE_TABLE_SIZEM1;
    const double db = x > 0.0 ? 1.0 + std::log10(x) / 4.0 : 0.0;
    log[i] = static_cast<float>(db > 0.0 ? db : 0.0);
    ilog[i] = i == 0 ? 0.0f : static_cast<float>(std::pow(10.0, 4.0 * (x - 1.0)));
  }
  sink.Put("Tables::LOG_SCALE_TABLE", log.data(), LOG_SCALE_TABLE_SIZE + 1);
  sink.Put("Tables::ILOG_SCALE_TABLE", ilog.data(), LOG_SCALE_TABLE_SIZE + 1);
}

}  // namespace

void BuildMainTables(ITableSink& sink) {
  BuildTuneTable(sink);
  BuildSineTable(sink);
  BuildExpTable(sink);
  BuildFastFadeInTable(sink);
  BuildBuzzTable(sink);
  BuildLogScaleTables(sink);
}

}  // namespace Tables
