#pragma once
// One line of the echoes effect: two rings in series inside one buffer, so
// a period gives two taps, the second at the full echo time. The line's
// output passes seven first-order all-pass stages and a one-pole highpass
// and is fed back, inverted, into the line.

// Coefficients shared by the three lines of one echoes object for one
// sample: a1 of the all-pass stages, a0 and b1 of the highpass's lowpass.
struct ECHO_COEFFS {
  float a0;
  float a1;
  float b1;
};

class CEchoDelay {
 public:
  static const unsigned int ALLPASS_COUNT = 7;

  // Binds the two rings to a buffer of size samples: ring A at the start,
  // ring B at floor(size / 2), both floor(size / 2) long. Call at the start
  // of every Process; positions outside the rings restart at 0.
  void Bind(float* buffer, unsigned int size);
  // Clears both rings and the filter memories; positions stay.
  void Reset();

  // One sample: io carries the input in and the line output out; time is
  // the echo time in samples, split (-1..1) divides it between the rings.
  void Process2(float& io, float& time, float& feedback, float& split, const ECHO_COEFFS& c);

 private:
  float* m_ringA = nullptr;
  unsigned int m_lengthA = 0;
  unsigned int m_writeA = 0;
  float* m_ringB = nullptr;
  unsigned int m_lengthB = 0;
  unsigned int m_writeB = 0;
  float m_feedbackSample = 0.0f;
  float m_lpMem = 0.0f;
  float m_allpass[ALLPASS_COUNT] = {};
  unsigned int m_offsetB = 0;
};
