#pragma once
// The named kernels of the filter bank: the normalised biquad shared by the
// equalisers and shelves, the peaking notch and peak equalisers, and the
// bell comb (a damped comb wrapped in two Schroeder all-pass delays).

// Normalised direct-form-I biquad; state words x1, x2, y1, y2.
struct BIQUAD_COEFS {
  float b0, b1, b2, a1, a2, n;

  inline float Step(float x, float* s) const {
    float y = (b0 * x + b1 * s[0] + b2 * s[1] - a1 * s[2] - a2 * s[3]) * n;
    s[1] = s[0];
    s[0] = x;
    s[3] = s[2];
    s[2] = y;
    return y;
  }
};

// Peaking equaliser with cut ("notch"): f in cycles per sample, r and c 0..1.
class CEqNotch {
 public:
  void SetParams(float f, float r, float c);
  BIQUAD_COEFS coefs = {1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f};
};

// Peaking equaliser with boost ("peak").
class CEqPeak {
 public:
  void SetParams(float f, float r, float c);
  BIQUAD_COEFS coefs = {1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f};
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
