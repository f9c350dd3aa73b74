// The factory default preset image and the default user wavetable.
//
// The image is written down as runs of equal values over ids 0-1604 (every
// other word of that range is 0), followed by the four wavetable blocks
// (1605-67140), each one sine cycle, and their names (67141-67156), each
// "Default Wave". All of it is built at compile time, so the image is
// complete before any code runs, whatever is constructed first.
#include "tables/PresetFactory.h"

namespace {

struct FACTORY_RUN {
  unsigned int first;  // first id of the run
  unsigned int last;   // last id of the run, inclusive
  float value;
};

// Factory values of ids 0-1604 that are not 0, in increasing id order.
constexpr FACTORY_RUN FACTORY_RUNS[] = {
    {36, 39, 0.7f}, {60, 67, 0.5f}, {72, 75, 0.5f}, {84, 87, 1.0f}, {93, 94, 0.7f}, {105, 106, 0.5f},
    {111, 112, 0.5f}, {127, 133, 0.5f}, {144, 147, 1.0f}, {151, 151, 0.05f}, {152, 155, 0.5f},
    {156, 162, 1.0f}, {163, 163, 0.6f}, {176, 179, 1.0f}, {181, 181, 0.5f}, {182, 182, 1.0f},
    {184, 184, 1.0f}, {187, 190, 0.7f}, {193, 194, 0.6f}, {195, 198, 0.5f}, {199, 200, 0.4f},
    {201, 202, 0.75f}, {203, 204, 0.35f}, {205, 206, 0.7f}, {209, 210, 0.3f}, {211, 212, 0.5f},
    {213, 214, 0.75f}, {215, 216, 0.15f}, {219, 220, 0.35f}, {221, 222, 0.45f}, {223, 224, 0.3f},
    {225, 228, 0.5f}, {231, 232, 0.2f}, {233, 234, 0.35f}, {235, 236, 0.5f}, {237, 238, 0.3f},
    {239, 240, 0.5f}, {241, 242, 1.0f}, {245, 246, 1.0f}, {247, 248, 0.35f}, {249, 250, 0.8f},
    {251, 252, 0.2f}, {253, 254, 0.5f}, {257, 258, 0.37f}, {259, 260, 0.5f}, {261, 262, 0.1f},
    {263, 264, 0.58f}, {265, 266, 0.5f}, {267, 268, 0.25f}, {269, 270, 0.8f}, {271, 272, 0.5f},
    {275, 278, 1.0f}, {281, 282, 0.3f}, {285, 286, 1.0f}, {291, 292, 0.35f}, {293, 294, 1.0f},
    {295, 298, 0.5f}, {299, 300, 0.25f}, {303, 304, 1.0f}, {305, 306, 0.35f}, {307, 310, 0.5f},
    {317, 318, 1.0f}, {319, 320, 0.75f}, {323, 324, 0.5f}, {329, 360, 0.5f}, {422, 422, 1.0f},
    {430, 433, 1.0f}, {442, 445, 1.0f}, {454, 457, 6.0f}, {458, 461, 1.0f}, {462, 465, 2.0f},
    {466, 469, 3.0f}, {470, 472, 1.0f}, {482, 482, 1.0f}, {485, 485, 1.0f}, {488, 488, 1.0f},
    {490, 490, 8.0f}, {494, 502, 1.0f}, {506, 506, 31.0f}, {510, 510, 1.0f}, {518, 518, 1.0f},
    {519, 522, 33.0f}, {528, 528, 16.0f}, {529, 529, 3.0f}, {597, 660, 1.0f}, {694, 694, 16.0f},
    {695, 695, 5.0f}, {697, 697, 1.0f}, {699, 699, 1.0f}, {701, 703, 1.0f}, {705, 705, 1.0f},
    {707, 709, 1.0f}, {711, 711, 1.0f}, {713, 713, 1.0f}, {715, 715, 1.0f}, {717, 719, 1.0f},
    {721, 721, 1.0f}, {723, 725, 1.0f}, {727, 727, 1.0f}, {729, 729, 4.0f}, {763, 764, 4.0f},
    {765, 768, 2.0f}, {769, 772, 1.0f}, {777, 780, 1.0f}, {785, 788, 2.0f}, {793, 796, 4.0f},
    {810, 810, 1.0f}, {811, 811, 8.0f}, {812, 872, -1.0f}, {874, 874, 1.0f}, {1002, 1002, 1.0f},
    {1003, 1003, 8.0f}, {1004, 1064, -1.0f}, {1066, 1066, 1.0f}, {1194, 1194, 1.0f},
    {1195, 1195, 8.0f}, {1196, 1256, -1.0f}, {1258, 1258, 1.0f}, {1386, 1386, 1.0f},
    {1387, 1387, 8.0f}, {1388, 1448, -1.0f}, {1450, 1450, 1.0f}, {1581, 1581, 2.0f},
    {1582, 1582, 1.0f}, {1583, 1583, 2.0f}
};

// Ids covered by the runs: the parameter words of the preset image.
const unsigned int FACTORY_ID_COUNT = 1605;

constexpr bool RunsAreOrdered() {
  unsigned int next = 0;
  for (const FACTORY_RUN& r : FACTORY_RUNS) {
    if (r.first < next || r.last < r.first || r.last >= FACTORY_ID_COUNT) return false;
    next = r.last + 1;
  }
  return true;
}
static_assert(RunsAreOrdered(), "factory runs must be ascending, disjoint and below 1605");

// sin(x) for x in [0, pi/2] by its Taylor series; the terms up to x^29 bring
// the error far below double precision, so the table matches the C library's
// sine after rounding to float.
constexpr double SineQuarter(double x) {
  double term = x;
  double sum = x;
  const double x2 = x * x;
  for (int n = 1; n < 15; ++n) {
    term *= -x2 / ((2.0 * n) * (2.0 * n + 1.0));
    sum += term;
  }
  return sum;
}

struct WAVE_TABLE {
  float v[WAVETABLE_LENGTH];
};

// One sine cycle: sample k is sin(2 pi k / 16384), built from the first
// quarter by symmetry so that the zero crossings and peaks are exact.
constexpr WAVE_TABLE BuildSineCycle() {
  WAVE_TABLE w{};
  const unsigned int quarter = WAVETABLE_LENGTH / 4;
  const double pi = 3.14159265358979323846;
  for (unsigned int k = 0; k < WAVETABLE_LENGTH; ++k) {
    unsigned int q = k / quarter;
    unsigned int r = k % quarter;
    unsigned int m = (q == 0 || q == 2) ? r : quarter - r;  // position within the first quarter
    double s = SineQuarter(pi * 0.5 * static_cast<double>(m) / static_cast<double>(quarter));
    w.v[k] = static_cast<float>(q < 2 ? s : -s);
  }
  return w;
}

constexpr WAVE_TABLE DEFAULT_SINE_CYCLE = BuildSineCycle();

// The float whose bit pattern is b, for a normal number or 0 (a constant
// expression cannot reinterpret bits; every other pattern stops the build).
constexpr float FloatFromBits(unsigned int b) {
  if (b == 0) return 0.0f;
  const unsigned int exponent = (b >> 23) & 0xFF;
  if (exponent == 0 || exponent == 0xFF) throw "not a normal number";
  double v = 1.0 + static_cast<double>(b & 0x7FFFFF) / 8388608.0;
  for (unsigned int e = exponent; e > 127; --e) v *= 2.0;
  for (unsigned int e = exponent; e < 127; ++e) v *= 0.5;
  return static_cast<float>((b >> 31) ? -v : v);
}

// The word that holds four characters of a name in memory order.
constexpr unsigned int PackName(const char* c) {
  unsigned int w = 0;
  for (unsigned int k = 0; k < 4; ++k) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    w |= static_cast<unsigned int>(static_cast<unsigned char>(c[k])) << (8 * (3 - k));
#else
    w |= static_cast<unsigned int>(static_cast<unsigned char>(c[k])) << (8 * k);
#endif
  }
  return w;
}

// The wavetable name: 16 bytes, zero-padded.
constexpr char DEFAULT_WAVE_NAME[16] = "Default Wave";

constexpr SYNTH_PRESET BuildFactoryImage() {
  SYNTH_PRESET p{};
  for (const FACTORY_RUN& r : FACTORY_RUNS)
    for (unsigned int id = r.first; id <= r.last; ++id) p.data[id] = r.value;
  for (unsigned int osc = 0; osc < 4; ++osc) {
    for (unsigned int k = 0; k < WAVETABLE_LENGTH; ++k)
      p.data[PARAM_WAVETABLE + WAVETABLE_LENGTH * osc + k] = DEFAULT_SINE_CYCLE.v[k];
    for (unsigned int w = 0; w < 4; ++w)
      p.data[PARAM_WAVETABLE_NAME + 4 * osc + w] = FloatFromBits(PackName(DEFAULT_WAVE_NAME + 4 * w));
  }
  return p;
}

}  // namespace

SYNTH_PRESET PRESET_FACTORY_RESET = BuildFactoryImage();

namespace Tables {
const float* DEFAULT_WAVEFORM_TABLE = DEFAULT_SINE_CYCLE.v;
}
