// MIDI CC map: default binding, MIDI learn moves, refusals for controllers
// without an entry, clearing, and the 480-byte raw form.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/MidiMap.h"

namespace {

TEST(MidiMapTest, DefaultMapBindsTheModWheelToTheFirstMacro) {
  CMidiMap map;
  EXPECT_EQ(map.GetParamID(1), 1577u);
  EXPECT_EQ(map.GetParamID(2), 0u);
  EXPECT_EQ(map.GetAssignedMidiCC(1577), 1);
  EXPECT_EQ(map.GetAssignedMidiCC(300), -1);
  EXPECT_EQ(map.GetAssignedMidiCC(0), 0);  // lowest unassigned cc
  for (unsigned int cc : {120u, 121u, 127u, 1000u, 0xFFFFFFFFu}) EXPECT_EQ(map.GetParamID(cc), 0u) << cc;
}

TEST(MidiMapTest, AssignMovesTheParameterAndReplacesTheControllersBinding) {
  CMidiMap map;
  EXPECT_TRUE(map.AssignMidiCC(7, 1577));
  EXPECT_EQ(map.GetParamID(1), 0u);
  EXPECT_EQ(map.GetParamID(7), 1577u);

  EXPECT_TRUE(map.AssignMidiCC(7, 300));
  EXPECT_EQ(map.GetParamID(7), 300u);
  EXPECT_EQ(map.GetAssignedMidiCC(1577), -1);

  map.ResetMidiMap();
  EXPECT_EQ(map.GetParamID(7), 0u);
  EXPECT_EQ(map.GetParamID(1), 1577u);
}

TEST(MidiMapTest, ControllersWithoutAnEntryAreRefusedAndChangeNothing) {
  // Bend (121), pressure (122) and channel-mode messages reach MIDI learn
  // as controller events; learning goes on and the binding stays.
  for (unsigned int cc : {120u, 121u, 122u, 127u, 5000u}) {
    CMidiMap map;
    EXPECT_FALSE(map.AssignMidiCC(cc, 1577)) << cc;
    EXPECT_EQ(map.GetAssignedMidiCC(1577), 1) << cc;
    EXPECT_EQ(map.GetParamID(1), 1577u) << cc;
  }
}

TEST(MidiMapTest, LoadedDuplicatesResolveToTheLowestController) {
  std::vector<uint8_t> block(CMidiMap::RAW_BYTES, 0);
  for (unsigned int cc : {3u, 9u}) block[cc * 4] = 300 & 0xFF, block[cc * 4 + 1] = 300 >> 8;
  CMidiMap map;
  map.LoadMidiMap(block.data());
  EXPECT_EQ(map.GetParamID(1), 0u);  // the whole table is replaced
  EXPECT_EQ(map.GetAssignedMidiCC(300), 3);
  map.ClearAssignedMidiCC(300);
  EXPECT_EQ(map.GetParamID(3), 0u);
  EXPECT_EQ(map.GetParamID(9), 300u);
  EXPECT_EQ(map.GetAssignedMidiCC(300), 9);
  map.ClearAssignedMidiCC(12345);  // not bound: nothing happens
  EXPECT_EQ(map.GetParamID(9), 300u);
}

TEST(MidiMapTest, RawFormRoundTripsAsLittleEndianWords) {
  CMidiMap map;
  EXPECT_TRUE(map.AssignMidiCC(119, 0x01020304));
  EXPECT_TRUE(map.AssignMidiCC(0, 67157));
  std::vector<uint8_t> block(CMidiMap::RAW_BYTES + 4, 0xEE);
  ASSERT_EQ(map.SaveMidiMap(block.data()), 480u);
  EXPECT_EQ(block[480], 0xEE);  // nothing written past the table
  // Entry 1 (1577 = 0x629) and entry 119, little-endian.
  EXPECT_EQ(block[4], 0x29);
  EXPECT_EQ(block[5], 0x06);
  EXPECT_EQ(block[476], 0x04);
  EXPECT_EQ(block[479], 0x01);

  CMidiMap copy;
  copy.AssignMidiCC(50, 9);
  copy.LoadMidiMap(block.data());
  std::vector<uint8_t> again(CMidiMap::RAW_BYTES, 0);
  ASSERT_EQ(copy.SaveMidiMap(again.data()), 480u);
  EXPECT_TRUE(std::equal(again.begin(), again.end(), block.begin()));
  EXPECT_EQ(copy.GetParamID(0), 67157u);
  EXPECT_EQ(copy.GetParamID(50), 0u);

  // A missing block changes nothing and saves nothing.
  copy.LoadMidiMap(nullptr);
  EXPECT_EQ(copy.GetParamID(0), 67157u);
  EXPECT_EQ(copy.SaveMidiMap(nullptr), 0u);
}

}  // namespace
