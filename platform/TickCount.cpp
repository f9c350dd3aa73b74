#include "platform/TickCount.h"

#include <time.h>

uint32_t TickCount() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint32_t>(ts.tv_sec * 60ull + ts.tv_nsec / 16666667ull);
}
