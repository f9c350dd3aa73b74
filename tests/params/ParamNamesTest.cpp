// Long and short parameter names.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "engine/ParamIds.h"
#include "engine/Params.h"

namespace {

bool IsCleanAscii(const std::string& s) {
  for (char c : s)
    if (c < 0x20 || c > 0x7e) return false;
  return s.empty() || (s.front() != ' ' && s.back() != ' ');
}

// What the host interface shows for a host index: at most 8 characters.
std::string HostName(int index) {
  char buffer[9] = {0};
  std::strncpy(buffer, Params::GetParamShortName(static_cast<unsigned int>(Params::VstParamToSynthParam(index))), 8);
  buffer[8] = 0;
  return buffer;
}

}  // namespace

// Two threads race for the first fill; exits 0 when both see the complete
// lists and the same texts.
void FillFromTwoThreadsAndExit() {
  std::atomic<bool> go{false};
  const char* seen[2] = {nullptr, nullptr};
  auto run = [&](int i) {
    while (!go.load()) std::this_thread::yield();
    Params::InitParamNames();
    seen[i] = Params::GetParamShortName(315);
  };
  std::thread a(run, 0), b(run, 1);
  go = true;
  a.join();
  b.join();
  bool ok = Params::ParamNames.size() == 361 && Params::ShortParamNames.size() == 1605 && seen[0] == seen[1] &&
            std::strcmp(seen[0], "Ds1 Trebl") == 0 && Params::ParamNames[360] == "Mod Depth 30";
  std::exit(ok ? 0 : 1);
}

TEST(ParamNames, FirstFillFromTwoThreadsAtOnce) {
  // The threadsafe style runs the check in a fresh copy of the test program,
  // where the lists are still empty.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(FillFromTwoThreadsAndExit(), ::testing::ExitedWithCode(0), "");
}

TEST(ParamNames, RepeatedInitKeepsTheListsAndTheirTexts) {
  Params::InitParamNames();
  const char* before = Params::GetParamShortName(4);
  const std::string* firstLong = &Params::ParamNames[0];
  std::thread t([] { Params::InitParamNames(); });
  Params::InitParamNames();
  t.join();
  Params::InitParamNames();
  EXPECT_EQ(Params::ParamNames.size(), 361u);
  EXPECT_EQ(Params::ShortParamNames.size(), 1605u);
  EXPECT_EQ(Params::GetParamShortName(4), before) << "a handed-out text was replaced";
  EXPECT_EQ(&Params::ParamNames[0], firstLong);
  EXPECT_STREQ(before, "O1 X");
}

TEST(ParamNames, ShortNamesCoverTheHostParameters) {
  Params::InitParamNames();
  // Every host parameter has a short name of 4 to 9 characters.
  for (int h = 0; h < Params::HOST_PARAM_COUNT; ++h) {
    size_t n = std::strlen(Params::GetParamShortName(static_cast<unsigned int>(Params::VstParamToSynthParam(h))));
    EXPECT_GE(n, 4u) << "host index " << h;
    EXPECT_LE(n, 9u) << "host index " << h;
  }

  // Besides the 333 host-visible ids only master detune and glide and the
  // modulation depths 25-30 are named; they are never shown to the host.
  int named = 0;
  std::vector<std::string> longerThan8;
  for (unsigned int id = 0; id < Params::PARAM_COUNT_V2; ++id) {
    const std::string& s = Params::ShortParamNames[id];
    EXPECT_TRUE(IsCleanAscii(s)) << "id " << id;
    if (s.empty()) continue;
    ++named;
    if (s.size() > 8) longerThan8.push_back(s);
    bool hidden = id == PARAM_MASTER_DETUNE || id == PARAM_MASTER_GLIDE || (id >= 355 && id <= 360);
    EXPECT_EQ(Params::SynthParamToVstParam(id) == -1, hidden) << "id " << id;
  }
  EXPECT_EQ(named, 341);
  EXPECT_EQ(longerThan8, (std::vector<std::string>{"Ds1 Trebl", "Ds2 Trebl"}));

  // The host sees those two cut to 8 characters.
  EXPECT_EQ(Params::VstParamToSynthParam(285), 315);
  EXPECT_EQ(HostName(285), "Ds1 Treb");
  EXPECT_EQ(HostName(286), "Ds2 Treb");
  EXPECT_EQ(HostName(0), "O1 X");
}

TEST(ParamNames, ShortNameCases) {
  struct CASE {
    unsigned int id;
    const char* name;
  };
  const CASE cases[] = {
      {0, ""},           {4, "O1 X"},          {29, ""},           {48, "O1 KeySc"},  {84, "O1 KeySc"},
      {88, "B Send"},    {89, ""},             {105, "B1 St"},     {123, "B1 St"},    {99, "B1 KeySc"},
      {133, "M Fine"},   {168, ""},            {315, "Ds1 Trebl"}, {360, "Mod D30"},  {361, ""},
      {486, "Uni Dtn"},  {487, "Uni Spr"},     {1577, "Morph X"},  {1578, "Morph Y"}, {1579, ""},
      {125, "B1 KeySc"}, {126, "B2 KeySc"},    {1604, ""},         {1605, ""},        {67157, ""},
      {UINT_MAX, ""},
  };
  for (const CASE& c : cases) EXPECT_STREQ(Params::GetParamShortName(c.id), c.name) << "id " << c.id;
}

TEST(ParamNames, LongNames) {
  Params::InitParamNames();
  ASSERT_EQ(Params::ParamNames.size(), 361u);
  for (unsigned int id = 0; id < MODULATABLE_PARAM_COUNT; ++id) {
    const std::string& s = Params::ParamNames[id];
    EXPECT_TRUE(IsCleanAscii(s)) << "id " << id;
    if (id < 4) {
      EXPECT_TRUE(s.empty()) << "id " << id;
    } else {
      EXPECT_GE(s.size(), 3u) << "id " << id;
      EXPECT_LE(s.size(), 16u) << "id " << id;
    }
    EXPECT_STREQ(Params::GetParamName(id), s.c_str());
  }
  for (unsigned int id : {89u, 90u, 91u, 92u, 103u, 104u, 111u, 112u}) EXPECT_EQ(Params::ParamNames[id], "n/a");
  EXPECT_STREQ(Params::GetParamName(361), "");
  EXPECT_STREQ(Params::GetParamName(UINT_MAX), "");

  // Filter and pitch key scaling share their names.
  for (unsigned int osc = 0; osc < OSC_COUNT; ++osc)
    EXPECT_EQ(Params::ParamNames[PARAM_OSC_FILTER_KEYSCALE + osc], Params::ParamNames[PARAM_OSC_PITCH_KEYSCALE + osc]);
}

TEST(ParamNames, IdConstantsNameTheirParameters) {
  // The id constants and interleaving helpers land on the parameters their
  // names say.
  struct CASE {
    unsigned int id;
    const char* name;
  };
  using namespace FxParam;
  const CASE cases[] = {
      {PARAM_OSC_MORPH_Y + 3, "Osc4 Morph Y"},
      {OscFxParamId(PARAM_OSC_FX_AMOUNT, 1, 0), "Osc1 FX2"},
      {OscFxParamId(PARAM_OSC_FX_AMOUNT, 3, 3), "Osc4 FX4"},
      {PARAM_OSC_RM + 2, "Osc3 RM"},
      {PARAM_OSC_BUS + 1, "Osc2 Bus"},
      {PARAM_OSC_VIBRATO + 3, "Osc4 Vibrato"},
      {PARAM_BUS_SEND, "Bus Send"},
      {PARAM_BUS_VELSCALE + 1, "Bus2 VelScale"},
      {PARAM_BUS_DS_COLOR, "Bus1 DS Color"},
      {PARAM_BUS_LF_KEYSCALE + 1, "Bus2 LF KeySc"},
      {PARAM_BUS_PAN + 1, "Bus2 Pan"},
      {PARAM_MASTER_MONO, "Master Mono"},
      {PARAM_ENV_ATTACK + 3, "AEnv Attack"},
      {PARAM_ENV_SLOPE, "Env1 Slope"},
      {PARAM_LFO_PHASE + 3, "Vibrato Phase"},
      {PARAM_LFO_VELSCALE + 2, "Lfo3 VelScale"},
      {PARAM_MSEG_RATE + 3, "Mseg4 Rate"},
      {PARAM_ARP_GATE, "Arp Gate"},
      {PARAM_TG_SMOOTH, "TG Smooth"},
      {FxParamId(PARAM_FX_REVERB, REVERB_SIZE, 0), "Rev1 Size"},
      {FxParamId(PARAM_FX_REVERB, REVERB_MIX, 1), "Rev2 Mix"},
      {FxParamId(PARAM_FX_CHORUS, CHORUS_HIGHPASS, 0), "Chr1 Highpass"},
      {FxParamId(PARAM_FX_FLANGER, FLANGER_RATE, 1), "Flg2 Rate"},
      {FxParamId(PARAM_FX_PHASER, PHASER_MOUTH, 0), "Phs1 Mouth"},
      {FxParamId(PARAM_FX_TREMOLO, TREMOLO_STEREO, 1), "Trm2 Stereo"},
      {FxParamId(PARAM_FX_EQ, 3 * 1 + EQ_BOOST, 1), "Eq2 B2 Boost"},
      {FxParamId(PARAM_FX_EQ, 3 * 3 + EQ_BANDWIDTH, 1), "Eq2 B4 BW"},
      {FxParamId(PARAM_FX_DELAY, DELAY_MONO, 0), "Dly1 Mono"},
      {FxParamId(PARAM_FX_ECHOES, ECHOES_ALLPASS, 1), "Eco2 Allpass"},
      {FxParamId(PARAM_FX_DISTORTION, DIST_TREBLE, 0), "Dst1 Treble"},
      {FxParamId(PARAM_FX_GRAINSHIFTER, GRAINSHIFTER_TUNE_RANDOM, 1), "Grs2 Tune Rnd"},
      {PARAM_MOD_DEPTH + 23, "Mod Depth 24"},
  };
  for (const CASE& c : cases) EXPECT_STREQ(Params::GetParamName(c.id), c.name) << "id " << c.id;
}
