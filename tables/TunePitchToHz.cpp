#include "tables/Tables.h"

namespace Tables {

float TunePitchToHz(float pitch) {
  static const float scaler = static_cast<float>(TUNE_TABLE_SIZEM1) / static_cast<float>(TUNE_TABLE_MAX_PITCH);
  float f = pitch * scaler;
  if (!(f > 0.0f)) return TUNE_TABLE[0];  // negative or NaN
  if (f >= static_cast<float>(TUNE_TABLE_SIZEM1)) return TUNE_TABLE[TUNE_TABLE_SIZEM1];
  return TUNE_TABLE[static_cast<unsigned int>(f)];
}

}  // namespace Tables
