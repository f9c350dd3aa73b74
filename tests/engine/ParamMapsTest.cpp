// Host index, modulation target and version-1 word maps.
#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <vector>

#include "engine/ParamIds.h"
#include "engine/Params.h"

namespace {

struct ID_RANGE {
  unsigned int first, last;
};

std::set<unsigned int> Expand(const std::vector<ID_RANGE>& ranges) {
  std::set<unsigned int> ids;
  for (const ID_RANGE& r : ranges)
    for (unsigned int id = r.first; id <= r.last; ++id) ids.insert(id);
  return ids;
}

// The host-visible ids, as listed independently of the host index order.
const std::vector<ID_RANGE> HOST_VISIBLE = {{4, 28},    {30, 30},   {32, 32},   {34, 34},     {36, 88},
                                            {93, 102},  {105, 110}, {113, 132}, {135, 167},   {176, 354},
                                            {486, 487}, {1577, 1578}};

}  // namespace

TEST(ParamMaps, EveryHostIndexRoundTripsThroughItsSynthId) {
  std::set<int> ids;
  for (int h = 0; h < Params::HOST_PARAM_COUNT; ++h) {
    int id = Params::VstParamToSynthParam(h);
    ASSERT_GE(id, 0) << "host index " << h;
    ASSERT_LT(id, static_cast<int>(Params::PARAM_COUNT_V2)) << "host index " << h;
    EXPECT_EQ(Params::SynthParamToVstParam(static_cast<unsigned int>(id)), h) << "host index " << h;
    ids.insert(id);
  }
  EXPECT_EQ(ids.size(), 333u) << "two host indices share an id";

  // Exactly the host-visible ids have a host index; every other id gives -1.
  std::set<unsigned int> visible = Expand(HOST_VISIBLE);
  ASSERT_EQ(visible.size(), 333u);
  for (unsigned int id = 0; id < Params::PARAM_COUNT_V2; ++id)
    EXPECT_EQ(Params::SynthParamToVstParam(id) != -1, visible.count(id) == 1) << "id " << id;
}

TEST(ParamMaps, SynthIdToHostIndexCases) {
  struct CASE {
    unsigned int id;
    int index;
  };
  const CASE cases[] = {
      {0, -1},     {4, 0},        {28, 24},     {29, -1},  {30, 25},    {88, 80},   {89, -1},
      {131, 115},  {132, 116},    {133, -1},    {152, 317}, {155, 320},  {156, 134}, {168, -1},
      {318, 288},  {319, 321},    {330, 332},   {331, 289}, {349, 311},  {354, 316}, {355, -1},
      {360, -1},   {361, -1},     {486, 307},   {487, 308}, {1577, 309}, {1578, 310}, {1579, -1},
      {1604, -1},  {1605, -1},    {67157, -1},  {68158, -1}, {UINT_MAX, -1},
  };
  for (const CASE& c : cases) EXPECT_EQ(Params::SynthParamToVstParam(c.id), c.index) << "id " << c.id;
}

TEST(ParamMaps, HostIndexToSynthIdCasesAndOutOfRange) {
  struct CASE {
    int index;
    int id;
  };
  const CASE cases[] = {
      {0, 4},     {24, 28},   {25, 30},   {26, 32},   {27, 34},   {28, 36},  {80, 88},
      {81, 93},   {288, 318}, {306, 348}, {307, 486}, {310, 1578}, {311, 349}, {316, 354},
      {317, 152}, {320, 155}, {321, 319}, {332, 330},
      // Outside the host's 333 parameters: no id, and no table read.
      {-1, -1},   {333, -1},  {INT_MIN, -1}, {INT_MAX, -1},
  };
  for (const CASE& c : cases) EXPECT_EQ(Params::VstParamToSynthParam(c.index), c.id) << "index " << c.index;
}

TEST(ParamMaps, TargetsRoundTripAndCoverTheModulatableIds) {
  for (unsigned int t = 6; t < MOD_TARGET_COUNT; ++t) {
    int id = Params::ModTargetToParamId(t);
    ASSERT_GE(id, 4) << "target " << t;
    ASSERT_LT(id, 361) << "target " << t;
    EXPECT_EQ(Params::ParamIdToModTarget(static_cast<unsigned int>(id)), static_cast<int>(t)) << "target " << t;
  }

  // The modulatable ids that are not targets; bus send (88) is one.
  std::set<unsigned int> notTargets = Expand({{29, 29},   {31, 31},   {33, 33},   {35, 35},   {48, 55},
                                              {80, 87},   {89, 92},   {99, 104},  {111, 112}, {133, 134},
                                              {152, 155}, {168, 175}, {180, 181}, {331, 360}});
  int targets = 0;
  for (unsigned int id = 0; id < MODULATABLE_PARAM_COUNT; ++id) {
    bool isTarget = Params::ParamIdToModTarget(id) != 0;
    EXPECT_EQ(isTarget, notTargets.count(id) == 0) << "id " << id;
    targets += isTarget ? 1 : 0;
  }
  EXPECT_EQ(targets, 283);
}

TEST(ParamMaps, TargetCases) {
  struct CASE {
    unsigned int from;
    int to;
  };
  // Target -> id: 0 and 1 are none and unused, 2-5 (oscillator pitch) have no
  // stored value; out-of-range targets from a corrupt preset give 0.
  const CASE toId[] = {{0, 0},     {1, 0},     {2, 0},      {5, 0},      {6, 72},      {10, 4},
                       {22, 28},   {23, 30},   {25, 34},    {70, 88},    {101, 132},   {102, 131},
                       {136, 182}, {284, 330}, {285, 0},    {1000, 0},   {UINT_MAX, 0}};
  for (const CASE& c : toId) EXPECT_EQ(Params::ModTargetToParamId(c.from), c.to) << "target " << c.from;

  // Id -> target: ids 0-3 are the pitch targets 2-5 (one way only); ids from
  // 361 up reach target 0.
  const CASE toTarget[] = {{0, 2},    {3, 5},   {4, 10},   {28, 22},   {29, 0},  {88, 70},
                           {131, 102}, {132, 101}, {330, 284}, {331, 0}, {360, 0}, {361, 0},
                           {1604, 0},  {67157, 0}, {UINT_MAX, 0}};
  for (const CASE& c : toTarget) EXPECT_EQ(Params::ParamIdToModTarget(c.from), c.to) << "id " << c.from;
}

TEST(ParamMaps, VersionOneWordsFollowTheCurrentIdsWithoutGaps) {
  // Every version-1 word is reached by exactly one id, in increasing order.
  int next = 0;
  for (unsigned int id = 0; id < Params::PARAM_COUNT_V2; ++id) {
    int w = Params::Convert_Param_v2_to_Param_v1(id);
    if (w == -1) continue;
    ASSERT_EQ(w, next) << "id " << id;
    ++next;
  }
  EXPECT_EQ(next, static_cast<int>(Params::PARAM_COUNT_V1));

  // The parameters the version-1 layout did not have.
  std::set<unsigned int> missing = Expand({{152, 155}, {319, 330}, {351, 360}, {382, 391},
                                           {412, 421}, {454, 469}, {523, 526}, {771, 772}});
  for (unsigned int id = 0; id < Params::PARAM_COUNT_V2; ++id)
    EXPECT_EQ(Params::Convert_Param_v2_to_Param_v1(id) == -1, missing.count(id) == 1) << "id " << id;
}

TEST(ParamMaps, VersionOneCases) {
  struct CASE {
    unsigned int id;
    int word;
  };
  const CASE cases[] = {{0, 0},     {151, 151}, {152, -1},  {156, 152},  {318, 314},  {331, 315},
                        {350, 334}, {361, 335}, {362, 336}, {381, 355},  {392, 356},  {411, 375},
                        {422, 376}, {470, 408}, {527, 461}, {770, 704},  {773, 705},  {1604, 1536},
                        {1605, -1}, {67157, -1}, {UINT_MAX, -1}};
  for (const CASE& c : cases) EXPECT_EQ(Params::Convert_Param_v2_to_Param_v1(c.id), c.word) << "id " << c.id;
}
