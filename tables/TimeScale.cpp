#include "tables/TimeScale.h"

const float TIME_SCALE_TO_RATIO[TIME_SCALE_COUNT] = {
    1.0f,           0.5f,           0.25f,          0.125f,         0.0625f,        0.03125f,     0.015625f,
    2.0f / 3.0f,    1.0f / 3.0f,    1.0f / 6.0f,    1.0f / 12.0f,   1.0f / 24.0f,   1.0f / 48.0f, 1.0f / 96.0f,
    1.5f,           0.75f,          0.375f,         0.1875f,        0.09375f,       0.046875f,    0.0234375f,
    2.0f,           3.0f,           4.0f,           5.0f,           6.0f,           7.0f,         8.0f,
    16.0f,          64.0f,          256.0f,         0.05f,          1.0f,           10.0f,
};

namespace TimeScale {

unsigned int ClampIndex(float value) {
  if (value > -1.0f && value < static_cast<float>(TIME_SCALE_COUNT)) {
    return static_cast<unsigned int>(static_cast<int>(value));
  }
  return TIME_SCALE_COUNT - 1;
}

float ToSeconds(unsigned int index, float tempo) {
  if (index >= TIME_SCALE_COUNT) index = TIME_SCALE_COUNT - 1;
  float r = TIME_SCALE_TO_RATIO[index];
  if (index <= TIME_SCALE_LAST_NOTE_INDEX) {
    if (!(tempo > 0.0f)) tempo = 120.0f;
    r = r / (tempo / 240.0f);
  }
  return r;
}

}  // namespace TimeScale
