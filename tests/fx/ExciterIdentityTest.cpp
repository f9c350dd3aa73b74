// The exciter against its plain statement: per channel, the peak section
// then the shelf section, sample by sample (FxHelpers::Biquad). Its lanes,
// its settled-silence fill and its runs of a settled channel beside a
// sounding one must give the same bits.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "FxTestUtil.h"
#include "engine/ParamIds.h"
#include "fx/Exciter.h"

using namespace FxTest;

TEST(ExciterIdentity, MatchesThePlainSectionsInEveryBlockLength) {
  for (float mode : {1.0f, 2.0f}) {
    CFxSynthDouble synth;
    synth.Set(PARAM_EXCITER, mode);
    CExciter ex(&synth);
    ex.SetSampleRate(kRate);
    float none = 0.0f;
    ex.Process(&none, &none, 0);  // takes up the mode
    const FxHelpers::BIQUAD_COEFFS peak = ex.GetPeak(), shelf = ex.GetShelf();
    FxHelpers::BIQUAD_STATE peakState[2] = {}, shelfState[2] = {};

    unsigned int seed = 3;
    auto next = [&seed] {
      seed = seed * 1664525u + 1013904223u;
      return seed >> 8;
    };
    const unsigned int n = 60000;
    std::vector<float> in[2];
    for (auto& v : in) v.assign(n, 0.0f);
    // Sound, silence long enough to settle, one channel alone, -0.0.
    for (unsigned int i = 0; i < n; ++i) {
      const unsigned int part = i / 5000;
      const float s = static_cast<float>(next()) / 16777216.0f - 0.5f;
      if (part % 4 == 1) in[0][i] = s;
      if (part % 4 == 3) in[1][i] = s;
      if (part == 5) in[0][i] = in[1][i] = 0.4f * s;
      if (part == 9 && i % 7 == 0) in[1][i] = -0.0f;
    }
    std::vector<float> ref[2] = {in[0], in[1]};
    for (unsigned int ch = 0; ch < 2; ++ch)
      for (unsigned int i = 0; i < n; ++i)
        ref[ch][i] = FxHelpers::Biquad(shelf, shelfState[ch], FxHelpers::Biquad(peak, peakState[ch], ref[ch][i]));

    const unsigned int lengths[] = {1, 2, 3, 4, 5, 8, 13, 64, 257, 512};
    for (unsigned int block : lengths) {
      CExciter cut(&synth);
      cut.SetSampleRate(kRate);
      std::vector<float> l = in[0], r = in[1];
      for (unsigned int i = 0; i < n; i += block) {
        const unsigned int m = std::min(block, n - i);
        cut.Process(l.data() + i, r.data() + i, m);
      }
      EXPECT_EQ(0, std::memcmp(l.data(), ref[0].data(), n * sizeof(float))) << "mode " << mode << " block " << block;
      EXPECT_EQ(0, std::memcmp(r.data(), ref[1].data(), n * sizeof(float))) << "mode " << mode << " block " << block;
    }
  }
}

TEST(ExciterIdentity, OneBufferForBothChannelsRunsThemInTurn) {
  CFxSynthDouble synth;
  synth.Set(PARAM_EXCITER, 1.0f);
  CExciter ex(&synth);
  ex.SetSampleRate(kRate);
  float none = 0.0f;
  ex.Process(&none, &none, 0);
  const FxHelpers::BIQUAD_COEFFS peak = ex.GetPeak(), shelf = ex.GetShelf();
  FxHelpers::BIQUAD_STATE peakState[2] = {}, shelfState[2] = {};
  std::vector<float> x = Sine(3000, 1000.0f), ref = x;
  for (unsigned int ch = 0; ch < 2; ++ch)
    for (float& v : ref) v = FxHelpers::Biquad(shelf, shelfState[ch], FxHelpers::Biquad(peak, peakState[ch], v));
  for (unsigned int i = 0; i < 3000; i += 100) ex.Process(x.data() + i, x.data() + i, 100);
  EXPECT_EQ(0, std::memcmp(x.data(), ref.data(), x.size() * sizeof(float)));
}
