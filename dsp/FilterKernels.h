#pragma once
// The named kernels of the filter bank: the normalised biquad shared by the
// equalisers and shelves, the peaking notch and peak equalisers, and the
// bell comb (a damped comb wrapped in two Schroeder all-pass delays).

#include <cstring>

// Normalised direct-form-I biquad (a0 = 1), computed in double precision.
// Low in the cutoff range at high processing rates its poles lie within
// 1e-5 of z = 1: single precision can hold neither coefficients that close
// to -2 and 1 nor outputs that the recursion amplifies by 1e9, and the
// response moves by tens of dB. The coefficient rules write the small
// distances from -2 and 1 directly (no 1 - cos), and the outputs are kept in
// double.
//
// State words of the voice's block: the inputs x1, x2 (0, 1), the outputs
// y1, y2 rounded to float (2, 3), which a kernel taking over the block reads
// like any state of its own, and y1, y2 in double (words 15-16 and 17-18,
// which no other kernel but the combs' delay lines uses).
struct BIQUAD_COEFS {
  double b0, b1, b2, a1, a2;

  enum : unsigned int { X1 = 0, X2 = 1, Y1 = 2, Y2 = 3, Y1_DOUBLE = 15, Y2_DOUBLE = 17, WORDS = 19 };

  // Before a biquad runs on a block: outputs in double that do not round to
  // the float words were left by another kernel (or never written), so the
  // float words hold the state and the doubles start from them.
  static void Enter(float* s) {
    double y1, y2;
    std::memcpy(&y1, s + Y1_DOUBLE, sizeof(y1));
    std::memcpy(&y2, s + Y2_DOUBLE, sizeof(y2));
    if (static_cast<float>(y1) == s[Y1] && static_cast<float>(y2) == s[Y2]) return;
    y1 = static_cast<double>(s[Y1]);
    y2 = static_cast<double>(s[Y2]);
    std::memcpy(s + Y1_DOUBLE, &y1, sizeof(y1));
    std::memcpy(s + Y2_DOUBLE, &y2, sizeof(y2));
  }
  // Before a comb takes the block as its delay line: the halves of a double
  // read as samples could be anything, so a biquad's doubles become silence.
  static void Leave(float* s) {
    double y1, y2;
    std::memcpy(&y1, s + Y1_DOUBLE, sizeof(y1));
    std::memcpy(&y2, s + Y2_DOUBLE, sizeof(y2));
    if (static_cast<float>(y1) != s[Y1] || static_cast<float>(y2) != s[Y2]) return;
    for (unsigned int k = Y1_DOUBLE; k < WORDS; ++k) s[k] = 0.0f;
  }

  // n samples of x in place, each scaled by inGain before the recursion and
  // by outGain after it. The state lives in locals for the stretch.
  inline void Run(float* s, float* __restrict x, unsigned int n, float inGain, float outGain) const {
    float x1 = s[X1], x2 = s[X2];
    double y1, y2;
    std::memcpy(&y1, s + Y1_DOUBLE, sizeof(y1));
    std::memcpy(&y2, s + Y2_DOUBLE, sizeof(y2));
    for (unsigned int i = 0; i < n; ++i) {
      const float in = x[i] * inGain;
      // The term of the previous output last: the loop waits on one
      // multiply and one add per sample.
      const double y = ((b0 * in + b1 * x1) + (b2 * x2 - a2 * y2)) - a1 * y1;
      x2 = x1;
      x1 = in;
      y2 = y1;
      y1 = y;
      x[i] = static_cast<float>(y) * outGain;
    }
    s[X1] = x1;
    s[X2] = x2;
    s[Y1] = static_cast<float>(y1);
    s[Y2] = static_cast<float>(y2);
    std::memcpy(s + Y1_DOUBLE, &y1, sizeof(y1));
    std::memcpy(s + Y2_DOUBLE, &y2, sizeof(y2));
  }
};

// Peaking equaliser with cut ("notch"): f in cycles per sample, r and c 0..1.
class CEqNotch {
 public:
  void SetParams(float f, float r, float c);
  BIQUAD_COEFS coefs = {1.0, 0.0, 0.0, 0.0, 0.0};
};

// Peaking equaliser with boost ("peak").
class CEqPeak {
 public:
  void SetParams(float f, float r, float c);
  BIQUAD_COEFS coefs = {1.0, 0.0, 0.0, 0.0, 0.0};
};

// Comb of line 1 followed by all-pass delays on lines 2 and 3. The three
// lines lie back to back in one state block, the damping state after them;
// the write indices live in the voice record.
class CBellComb {
 public:
  // block holds 3 * len + 1 floats; index points at three write indices.
  void Bind(float* block, unsigned int* index, unsigned int len) {
    m_line[0] = block;
    m_line[1] = block + len;
    m_line[2] = block + 2 * len;
    m_damp = block + 3 * len;
    m_index = index;
    m_len = len;
  }
  // Delays from the comb frequency f (cycles per sample), feedback r and
  // control c; every delay is reduced into the line.
  void SetParams(float f, float r, float c);
  // Takes another bell comb's delays and gains, keeping this one's lines.
  void CopyParams(const CBellComb& o) {
    for (unsigned int j = 0; j < 3; ++j) {
      m_delay[j] = o.m_delay[j] < m_len ? o.m_delay[j] : 0;
      m_frac[j] = o.m_frac[j];
    }
    m_feedback = o.m_feedback;
    m_damping = o.m_damping;
  }

  inline void Filter(float& x) {
    const unsigned int len = m_len;
    float t[3];
    for (unsigned int j = 0; j < 3; ++j) {
      const float* line = m_line[j];
      int i = static_cast<int>(m_index[j]) - static_cast<int>(m_delay[j]);
      if (i < 0) i += static_cast<int>(len);
      const int older = i == 0 ? static_cast<int>(len) - 1 : i - 1;
      t[j] = line[i] + (line[older] - line[i]) * m_frac[j];
    }
    const float u = t[1] - 0.63f * t[0];
    const float y = t[2] - 0.63f * u;
    const float z = (1.0f - m_damping) * y + m_damping * *m_damp;
    *m_damp = z;
    m_line[0][m_index[0]] = x - m_feedback * z;
    m_line[1][m_index[1]] = t[0] + 0.63f * u;
    m_line[2][m_index[2]] = u + 0.63f * y;
    for (unsigned int j = 0; j < 3; ++j)
      if (++m_index[j] >= len) m_index[j] = 0;
    x = y;
  }

 private:
  float* m_line[3] = {nullptr, nullptr, nullptr};
  float* m_damp = nullptr;
  unsigned int* m_index = nullptr;
  unsigned int m_len = 0;
  unsigned int m_delay[3] = {0, 0, 0};
  float m_frac[3] = {0.0f, 0.0f, 0.0f};
  float m_feedback = 0.0f;
  float m_damping = 0.2f;
};
