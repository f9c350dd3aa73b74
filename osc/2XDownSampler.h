#pragma once
// Halves the sample rate of a block in place with a polyphase half-band
// filter: odd input samples feed a branch of four first-order all-pass
// sections, even ones a branch of three, and the two branches are averaged.
// The object is nothing but its filter state (nine floats, zero at start);
// an owner that needs a fresh start assigns a new object.

#include "engine/DcBlocker.h"

const unsigned int DOWNSAMPLER_STATE_SIZE = 9;

class C2XDownSampler {
 public:
  C2XDownSampler() = default;

  // Reads 2n samples of data and writes n samples to data[0 .. n - 1];
  // data[n .. 2n - 1] are left as they were.
  void Process(float* data, unsigned int n);
  // Process for a left and a right channel at once (each with its own
  // filter): the same results, faster.
  static void ProcessStereo(C2XDownSampler& left, C2XDownSampler& right, float* l, float* r, unsigned int n);
  // ProcessStereo (l and r distinct) followed by DcBlock of every output
  // sample, left through dcL and right through dcR, in one pass: the same
  // results bit for bit. Unlike ProcessStereo it runs even on silence at
  // rest.
  static void ProcessStereoDcBlock(C2XDownSampler& left, C2XDownSampler& right, float* l, float* r, unsigned int n,
                                   DC_BLOCKER& dcL, DC_BLOCKER& dcR);

  const float* GetState() const { return m_state; }
  // Every state value is +0.0.
  bool IsAtRest() const;

 private:
  // The filter and all 2n input samples are +0.0: nothing would change.
  bool _SilentAtRest(const float* data, unsigned int n) const;
  // Both filters over their blocks (l and r distinct), without a silence test.
  static void _Stereo(C2XDownSampler& left, C2XDownSampler& right, float* l, float* r, unsigned int n);

  // A-in, B-in, A1-out, B1-out, A2-out, B2-out, A3-out, B3-out, A4-out. Each
  // section's previous input is the previous output of the section before it.
  float m_state[DOWNSAMPLER_STATE_SIZE] = {};
};
