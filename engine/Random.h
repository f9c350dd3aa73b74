#pragma once
// The random generator of one instance. Every draw the engine makes (free
// oscillator phases, LFO seeds, the random controller, the arpeggiator's
// random order, grain positions and pitches) comes from its instance's own
// generator, so that instances never disturb one another and a seeded
// instance repeats itself whatever else runs in the process. No lock, no
// allocation: it is drawn from on the render thread.
//
// The sequence is the C library's additive feedback generator (31 words,
// taps 3 and 31, 310 draws discarded after seeding): the values are 0 ..
// RANDOM_MAX (2^31 - 1) as rand() gives them on this system, so the ranges
// and resolution of `Next() % n` and `Next() * 2^-31` stay what they were, and
// a seed gives the same sequence srand() gave it.

#include <cstdint>

class CRandom {
 public:
  static constexpr uint32_t RANDOM_MAX = 2147483647u;

  explicit CRandom(uint32_t seed = 1) { Seed(seed); }

  void Seed(uint32_t seed);
  // The next value, 0 .. RANDOM_MAX.
  uint32_t Next() {
    m_state[m_front] += m_state[m_rear];
    const uint32_t value = m_state[m_front] >> 1;
    m_front = m_front + 1 == WORDS ? 0 : m_front + 1;
    m_rear = m_rear + 1 == WORDS ? 0 : m_rear + 1;
    return value;
  }
  // Next() * 2^-31: uniform in [0, 1) up to float rounding (a value can round
  // to 1.0f; callers that need < 1 check for it).
  float NextUnit() { return static_cast<float>(Next()) * (1.0f / 2147483648.0f); }

 private:
  static const unsigned int WORDS = 31;
  static const unsigned int SEPARATION = 3;
  uint32_t m_state[WORDS];
  unsigned int m_front = SEPARATION;
  unsigned int m_rear = 0;
};

// A seed that differs between instances created in one process and between
// runs: the clock, a per-process count and the address of the object seeded.
uint32_t FreshRandomSeed(const void* object);
