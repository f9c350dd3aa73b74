#include "engine/Random.h"

#include <atomic>
#include <chrono>

void CRandom::Seed(uint32_t seed) {
  // The C library treats 0 as 1.
  int32_t word = static_cast<int32_t>(seed == 0 ? 1u : seed);
  m_state[0] = static_cast<uint32_t>(word);
  for (unsigned int i = 1; i < WORDS; ++i) {
    // 16807 * word mod (2^31 - 1) without overflow (Schrage), with the C
    // library's truncating division for a negative start word.
    const int64_t hi = word / 127773;
    const int64_t lo = word % 127773;
    int64_t next = 16807 * lo - 2836 * hi;
    word = static_cast<int32_t>(static_cast<uint32_t>(next));
    if (word < 0) word += 2147483647;
    m_state[i] = static_cast<uint32_t>(word);
  }
  m_front = SEPARATION;
  m_rear = 0;
  for (unsigned int i = 0; i < 10 * WORDS; ++i) Next();
}

uint32_t FreshRandomSeed(const void* object) {
  static std::atomic<uint32_t> count{0};
  const uint64_t clock =
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  uint64_t x = clock ^ (static_cast<uint64_t>(reinterpret_cast<uintptr_t>(object)) << 7) ^
               (static_cast<uint64_t>(count.fetch_add(1, std::memory_order_relaxed)) * 0x9E3779B97F4A7C15ull);
  // Mix the bits (the finaliser of a 64-bit hash) so that nearby inputs give
  // unrelated seeds.
  x ^= x >> 33;
  x *= 0xff51afd7ed558ccdull;
  x ^= x >> 33;
  x *= 0xc4ceb9fe1a85ec53ull;
  x ^= x >> 33;
  return static_cast<uint32_t>(x);
}
