#pragma once
// Host time: a monotonic tick counter and its conversion to nanoseconds.
// One tick is 125/3 ns (a 24 MHz clock), so code that forgets the conversion
// shows it at once.

#include <cstdint>

#include "platform/cf/MacTypes.h"

struct mach_timebase_info_data_t {
  uint32_t numer;
  uint32_t denom;
};

// Ticks since an arbitrary start; never goes backwards.
uint64_t mach_absolute_time();
// nanoseconds = ticks * numer / denom. Answers 0 (success).
int mach_timebase_info(mach_timebase_info_data_t* info);

// Conversion helper with the timebase cached on first use.
class CAHostTimeBase {
 public:
  static void Initialize();  // idempotent and thread-safe
  static UInt64 GetCurrentTime();
  static UInt64 ConvertToNanos(UInt64 hostTime);
  static UInt64 ConvertFromNanos(UInt64 nanos);
  static UInt64 GetCurrentTimeInNanos() { return ConvertToNanos(GetCurrentTime()); }

  // Valid after Initialize.
  static UInt32 sToNanosNumerator;
  static UInt32 sToNanosDenominator;
};
