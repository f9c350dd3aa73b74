#include "tables/EffectTables.h"

#include <cmath>

namespace Tables {

float DRYWET_TABLE[DRYWET_TABLE_SIZE + 1];

namespace {

void BuildDryWetTable() {
  const double norm = std::atan(3.0);
  for (unsigned int i = 0; i < DRYWET_TABLE_SIZEM1; ++i) {
    double x = static_cast<double>(i) / static_cast<double>(DRYWET_TABLE_SIZE) - 0.5;
    DRYWET_TABLE[i] = static_cast<float>(0.5 + 0.5 * std::atan(6.0 * x) / norm);
  }
  DRYWET_TABLE[DRYWET_TABLE_SIZEM1] = 1.0f;
  DRYWET_TABLE[DRYWET_TABLE_SIZE] = 1.0f;
}

bool BuildAll() {
  BuildDryWetTable();
  return true;
}

const bool EFFECT_TABLES_BUILT_AT_LOAD = (InitEffectTables(), true);

}  // namespace

void InitEffectTables() {
  static const bool built = BuildAll();
  (void)built;
}

}  // namespace Tables
