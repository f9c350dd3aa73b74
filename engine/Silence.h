#pragma once
// Tests for blocks of exact silence, which stages use to skip work whose
// result they know: +0.0 into a filter whose memories are all +0.0 gives
// +0.0 and leaves the memories as they were.
#include <cstdint>
#include <cstring>

// Every sample of the block is +0.0 (all bits clear).
inline bool IsPositiveZeroBlock(const float* x, unsigned int n) {
  uint32_t bits = 0;
  for (unsigned int i = 0; i < n; ++i) {
    uint32_t b;
    std::memcpy(&b, &x[i], sizeof(b));
    bits |= b;
  }
  return bits == 0;
}
