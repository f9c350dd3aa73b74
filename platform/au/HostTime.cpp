#include "platform/au/HostTime.h"

#include <time.h>

#include <mutex>

namespace {
const uint32_t TICK_NUMER = 125;
const uint32_t TICK_DENOM = 3;
}  // namespace

uint64_t mach_absolute_time() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  uint64_t nanos = static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + ts.tv_nsec;
  return nanos / TICK_NUMER * TICK_DENOM + (nanos % TICK_NUMER) * TICK_DENOM / TICK_NUMER;
}

int mach_timebase_info(mach_timebase_info_data_t* info) {
  if (!info) return 1;
  info->numer = TICK_NUMER;
  info->denom = TICK_DENOM;
  return 0;
}

UInt32 CAHostTimeBase::sToNanosNumerator = 0;
UInt32 CAHostTimeBase::sToNanosDenominator = 0;

void CAHostTimeBase::Initialize() {
  static std::once_flag once;
  std::call_once(once, [] {
    mach_timebase_info_data_t info;
    mach_timebase_info(&info);
    sToNanosNumerator = info.numer;
    sToNanosDenominator = info.denom;
  });
}

UInt64 CAHostTimeBase::GetCurrentTime() {
  Initialize();
  return mach_absolute_time();
}

UInt64 CAHostTimeBase::ConvertToNanos(UInt64 hostTime) {
  Initialize();
  return static_cast<UInt64>(static_cast<double>(hostTime) / sToNanosDenominator *
                             sToNanosNumerator);
}

UInt64 CAHostTimeBase::ConvertFromNanos(UInt64 nanos) {
  Initialize();
  return static_cast<UInt64>(static_cast<double>(nanos) / sToNanosNumerator *
                             sToNanosDenominator);
}
