#pragma once
// Doubles the sample rate of a block with a polyphase half-band filter: two
// branches of first-order all-pass sections (four in branch A, three in
// branch B) whose outputs are interleaved. The object is nothing but its
// filter state; a fresh object starts zeroed.

const unsigned int UPSAMPLER_STATE_SIZE = 14;

class C2XUpSampler {
 public:
  C2XUpSampler() = default;

  // Reads n samples from in and writes 2n samples to out (in and out must be
  // different arrays). When state is not null its 14 words are used (and left
  // updated) instead of the object's own, so one object can serve many
  // streams whose states live elsewhere.
  void Process(const float* in, float* out, unsigned int n, float* state = nullptr);

  const float* GetState() const { return m_state; }

 private:
  // A-in, B-in, A1-out, B1-out, A2-in, B2-in, A2-out, B2-out, A3-in, B3-in,
  // A3-out, B3-out, A4-in, A4-out.
  float m_state[UPSAMPLER_STATE_SIZE] = {};
};
