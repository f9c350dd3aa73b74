#include "dsp/Drive.h"

#include <cmath>

#include "dsp/StageCommon.h"
#include "engine/FastFloor.h"
#include "engine/IGlobalSynth.h"
#include "engine/IModulation.h"
#include "engine/Vectorize.h"
#include "tables/Tables.h"

namespace Drive {

namespace {

// The amount as a curve input: a stored value outside 0..1 is used as it
// stands, but NaN counts as 0 and the magnitude stays small enough for the
// coefficients to remain finite.
inline float AmountSquared(float a) {
  if (!(a == a)) return 0.0f;
  if (a > 16.0f) a = 16.0f;
  if (a < -16.0f) a = -16.0f;
  return a * a;
}

// Beyond this the hyperbolic curve equals its limit in single precision;
// holding the argument there keeps its cubic terms from overflowing.
const float HYPERBOLIC_LIMIT = 1e6f;

inline float Hyperbolic(const DRIVE_COEFS& k, float x) {
  float t = k.g * x + k.b;
  t = t > HYPERBOLIC_LIMIT ? HYPERBOLIC_LIMIT : (t < -HYPERBOLIC_LIMIT ? -HYPERBOLIC_LIMIT : t);
  const float u = std::fabs(t);
  const float P = ((u + 3.0f) * u + 6.0f) * u + 12.0f;
  return k.N * t * P / (P * u + 24.0f);
}
inline float SoftClip(const DRIVE_COEFS& k, float x) {
  const float t = k.k * x;
  return k.N * 2.0f * t / (t * t + 1.0f);
}
inline float HardClip(const DRIVE_COEFS& k, float x) {
  const double t = static_cast<double>(k.g * x);
  return k.N * static_cast<float>(t / (std::fabs(t) + 1.0));
}
inline float Asym1(const DRIVE_COEFS& k, float x) {
  float v = x;
  if (x > 0.0f) {
    const float gx = k.g * x;
    v = k.N * gx / (gx + 1.0f);
  }
  const double dv = static_cast<double>(v);
  return static_cast<float>((dv - 1.0) + 1.0 / (1.0 + static_cast<double>(k.k) * std::fabs(dv)));
}
inline float Asym2(const DRIVE_COEFS& k, float x) {
  const double dx = static_cast<double>(x);
  return static_cast<float>((dx - 1.0) + 1.0 / (1.0 + static_cast<double>(k.k) * std::fabs(dx) * dx * dx));
}
inline float Asym3(const DRIVE_COEFS& k, float x) {
  const double dx = static_cast<double>(x);
  return static_cast<float>((dx - 1.0) + 1.0 / (1.0 + static_cast<double>(k.k) * std::fabs(dx)));
}
inline float Sine(const DRIVE_COEFS& k, float x) { return k.N * TableSine(k.k * x); }

template <int TYPE>
inline float Shape(const DRIVE_COEFS& k, float x) {
  if constexpr (TYPE == TYPE_HYPERBOLIC) return Hyperbolic(k, x);
  if constexpr (TYPE == TYPE_SOFT_CLIP) return SoftClip(k, x);
  if constexpr (TYPE == TYPE_HARD_CLIP) return HardClip(k, x);
  if constexpr (TYPE == TYPE_ASYM1) return Asym1(k, x);
  if constexpr (TYPE == TYPE_ASYM2) return Asym2(k, x);
  if constexpr (TYPE == TYPE_ASYM3) return Asym3(k, x);
  if constexpr (TYPE == TYPE_SINE) return Sine(k, x);
  return x;
}

// One channel through the curve with fixed coefficients: element-wise, so
// the vectorised loop gives the same samples as the plain one.
template <int TYPE>
MORLAVINE_VECTORIZE void ShapeRun(const DRIVE_COEFS k, float inScale, float outScale, float* __restrict x,
                                  unsigned int n) {
  for (unsigned int i = 0; i < n; ++i) x[i] = Shape<TYPE>(k, inScale * x[i]) * outScale;
}

template <int TYPE>
void RunType(const MODULATED_PARAM& amount, float inScale, float outScale, float* a, float* b, unsigned int n,
             unsigned int K) {
  if (amount.constant) {
    // One amount for the whole block: one set of coefficients.
    const DRIVE_COEFS k = Coefficients(TYPE, AmountSquared(amount.GetConstantValue()));
    ShapeRun<TYPE>(k, inScale, outScale, a, n);
    if (b) ShapeRun<TYPE>(k, inScale, outScale, b, n);
    return;
  }
  // The coefficients follow the amount; a control step that finds the
  // previous step's amount keeps its coefficients.
  DRIVE_COEFS k = {1.0f, 0.0f, 1.0f, 1.0f};
  float lastA = 0.0f;
  for (unsigned int i = 0; i < n;) {
    const float A = AmountSquared(amount.GetValue(i));
    if (i == 0 || A != lastA) {
      k = Coefficients(TYPE, A);
      lastA = A;
    }
    const unsigned int end = n - i > K ? i + K : n;
    if (b) {
      for (; i < end; ++i) {
        a[i] = Shape<TYPE>(k, inScale * a[i]) * outScale;
        b[i] = Shape<TYPE>(k, inScale * b[i]) * outScale;
      }
    } else {
      for (; i < end; ++i) a[i] = Shape<TYPE>(k, inScale * a[i]) * outScale;
    }
  }
}

}  // namespace

DRIVE_COEFS Coefficients(int type, float A) {
  DRIVE_COEFS k = {1.0f, 0.0f, 1.0f, 1.0f};
  switch (type) {
    case TYPE_HYPERBOLIC:
      k.g = 400.0f * A + 0.01f;
      k.b = 0.05f * k.g;
      k.N = (k.g + 1.0f) / k.g;
      break;
    case TYPE_SOFT_CLIP:
      k.k = 3.0f * A + 0.01f;
      k.N = k.k < 1.0f ? (k.k * k.k + 1.0f) / (2.0f * k.k) : 1.0f;
      break;
    case TYPE_HARD_CLIP:
      k.g = 100.0f * A + 0.01f;
      k.N = (k.g + 1.0f) / k.g;
      break;
    case TYPE_ASYM1:
      k.k = 10.0f * A + 0.2f;
      k.g = 40.0f * A + 0.01f;
      k.N = (k.g + 1.0f) / k.g;
      break;
    case TYPE_ASYM2:
    case TYPE_ASYM3:
      k.k = 20.0f * A + 0.01f;
      break;
    case TYPE_SINE:
      k.k = 0.9997f * A + 0.0003f;
      k.N = k.k < 0.25f ? 1.0f / (TableSine(k.k) + 1e-12f) : 1.0f;
      break;
    default:
      break;
  }
  return k;
}

float TableSine(float p) {
  if (std::fabs(p) > 1.0f) p -= FastFloor(p);
  const float f = std::fabs(p) * static_cast<float>(Tables::SINE_TABLE_SIZEM1);
  if (!(f >= 0.0f && f <= static_cast<float>(Tables::SINE_TABLE_SIZEM1))) return 0.0f;  // NaN, infinity
  const unsigned int i = static_cast<unsigned int>(f);
  const float s = Tables::SINE_TABLE[i] + (Tables::SINE_TABLE[i + 1] - Tables::SINE_TABLE[i]) * (f - static_cast<float>(i));
  return p < 0.0f ? -s : s;
}

float Curve(int type, const DRIVE_COEFS& k, float x) {
  switch (type) {
    case TYPE_HYPERBOLIC:
      return Shape<TYPE_HYPERBOLIC>(k, x);
    case TYPE_SOFT_CLIP:
      return Shape<TYPE_SOFT_CLIP>(k, x);
    case TYPE_HARD_CLIP:
      return Shape<TYPE_HARD_CLIP>(k, x);
    case TYPE_ASYM1:
      return Shape<TYPE_ASYM1>(k, x);
    case TYPE_ASYM2:
      return Shape<TYPE_ASYM2>(k, x);
    case TYPE_ASYM3:
      return Shape<TYPE_ASYM3>(k, x);
    case TYPE_SINE:
      return Shape<TYPE_SINE>(k, x);
    default:
      return x;
  }
}

bool IsBypassed(IGlobalSynth* synth, unsigned int amountId) { return IsZeroAndUnmodulated(synth, amountId); }

int TypeFromSetting(float v) {
  if (!(v > -1.0f && v < static_cast<float>(TYPE_COUNT))) return TYPE_COUNT;
  return static_cast<int>(v);
}

void Run(const MODULATED_PARAM& amount, int type, float inScale, float outScale, float* a, float* b, unsigned int n,
         unsigned int K) {
  if (!a || n == 0) return;
  if (K == 0) K = 1;
  switch (type) {
    case TYPE_HYPERBOLIC:
      return RunType<TYPE_HYPERBOLIC>(amount, inScale, outScale, a, b, n, K);
    case TYPE_SOFT_CLIP:
      return RunType<TYPE_SOFT_CLIP>(amount, inScale, outScale, a, b, n, K);
    case TYPE_HARD_CLIP:
      return RunType<TYPE_HARD_CLIP>(amount, inScale, outScale, a, b, n, K);
    case TYPE_ASYM1:
      return RunType<TYPE_ASYM1>(amount, inScale, outScale, a, b, n, K);
    case TYPE_ASYM2:
      return RunType<TYPE_ASYM2>(amount, inScale, outScale, a, b, n, K);
    case TYPE_ASYM3:
      return RunType<TYPE_ASYM3>(amount, inScale, outScale, a, b, n, K);
    case TYPE_SINE:
      return RunType<TYPE_SINE>(amount, inScale, outScale, a, b, n, K);
    default:
      return;
  }
}

}  // namespace Drive

CDriveStage::CDriveStage(IGlobalSynth* synth, unsigned int amountBase, unsigned int typeBase)
    : m_synth(synth), m_amountBase(amountBase), m_typeBase(typeBase) {
  m_amount.Init(synth, 0);
}

void CDriveStage::_SetInstance(unsigned int instance) {
  m_instance = instance;
  m_amount.SetParamId(m_amountBase + m_instance);
  m_amount.SetUseOversamplingShift(true);
}

void CDriveStage::_Run(float inScale, float outScale, float* a, float* b, unsigned int n) {
  if (Drive::IsBypassed(m_synth, m_amountBase + m_instance)) return;
  const int type = Drive::TypeFromSetting(m_synth->GetParam(m_typeBase + m_instance));
  Drive::Run(m_amount, type, inScale, outScale, a, b, n, m_synth->GetOversampling());
}
