#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/StringLists.h"

namespace {

struct LIST_SHAPE {
  const char* name;
  const STRING_LIST* list;
  unsigned int entries;
  unsigned int selectable;
};

std::vector<LIST_SHAPE> AllLists() {
  return {{"slFilterMode", &slFilterMode, 31, 25},        {"slDriveMode", &slDriveMode, 7, 7},
          {"slBusMode", &slBusMode, 2, 2},                {"slGlideMode", &slGlideMode, 2, 2},
          {"slOnOff", &slOnOff, 2, 2},                    {"slInverseOnOff", &slInverseOnOff, 2, 2},
          {"slPolyMode", &slPolyMode, 3, 3},              {"slMaxVoices", &slMaxVoices, 12, 12},
          {"slUnisonCount", &slUnisonCount, 8, 8},        {"slMasterTune", &slMasterTune, 51, 49},
          {"slOscOctave", &slOscOctave, 12, 10},          {"slOscSemitone", &slOscSemitone, 17, 15},
          {"slExciter", &slExciter, 3, 3},                {"slGenWaveformFiles", &slGenWaveformFiles, 55, 55},
          {"slWaveform", &slWaveform, 56, 56},            {"slSpectrumZoom", &slSpectrumZoom, 4, 4},
          {"slOscFX", &slOscFX, 7, 7},                    {"slLfoShape", &slLfoShape, 12, 11},
          {"slLfoTriggerMode", &slLfoTriggerMode, 3, 3},  {"slEnvMode", &slEnvMode, 2, 2},
          {"slTimeSync", &slTimeSync, 38, 34},            {"slTimeSync2", &slTimeSync2, 23, 21},
          {"slTimeSync3", &slTimeSync3, 14, 12},          {"slModSource", &slModSource, 29, 23},
          {"slModTarget", &slModTarget, 306, 284},        {"slFxIDs", &slFxIDs, 21, 21},
          {"slDistCurve", &slDistCurve, 3, 3},            {"slGateSteps", &slGateSteps, 16, 16},
          {"slArpSteps", &slArpSteps, 32, 32},            {"slArpMode", &slArpMode, 8, 7},
          {"slArpOctaves", &slArpOctaves, 4, 4},          {"slMsegMode", &slMsegMode, 3, 3},
          {"slMsegReset", &slMsegReset, 3, 3},            {"slMidiCCName", &slMidiCCName, 120, 120},
          {"slRootKetNote", &slRootKetNote, 12, 12},      {"slRootKetOctave", &slRootKetOctave, 9, 9}};
}

std::string Value(const STRING_LIST& list, unsigned int index) {
  const std::string* entry = GetSelectableEntry(list, index);
  return entry ? *entry : std::string("<none>");
}

unsigned int Count(const STRING_LIST& list, const std::string& mark) {
  unsigned int n = 0;
  for (const std::string& e : list) n += (e == mark);
  return n;
}

}  // namespace

TEST(StringLists, EveryListHasItsEntriesAndValuesAlsoAfterASecondFill) {
  InitStringLists();
  InitStringLists();  // a second editor in the same process
  std::vector<LIST_SHAPE> lists = AllLists();
  ASSERT_EQ(lists.size(), 36u);
  for (const LIST_SHAPE& shape : lists) {
    EXPECT_EQ(shape.list->size(), shape.entries) << shape.name;
    EXPECT_EQ(CountSelectable(*shape.list), shape.selectable) << shape.name;
  }
}

TEST(StringLists, ValuesSkipTheLayoutMarks) {
  InitStringLists();
  EXPECT_EQ(Value(slMasterTune, 0), "+24");
  EXPECT_EQ(Value(slMasterTune, 23), "+1");
  EXPECT_EQ(Value(slMasterTune, 24), "0");
  EXPECT_EQ(Value(slMasterTune, 25), "-1");
  EXPECT_EQ(Value(slMasterTune, 48), "-24");
  EXPECT_EQ(Value(slModSource, 0), "---");
  EXPECT_EQ(Value(slModSource, 10), "MSEG 2");
  EXPECT_EQ(Value(slModSource, 22), "MORPH Y");
  EXPECT_EQ(slModSource.back(), POPUP_MENU_PAGE_BREAK);
  EXPECT_EQ(Value(slTimeSync, 31), "50ms");
  EXPECT_EQ(Value(slTimeSync, 33), "10s");
  EXPECT_EQ(Value(slTimeSync, 34), "<none>");
  EXPECT_EQ(Value(slOscOctave, 4), "0");
  EXPECT_EQ(Value(slOscSemitone, 7), "0");
  EXPECT_EQ(Value(slFilterMode, 24), "bell comb");
  EXPECT_EQ(Value(slLfoShape, 8), "rand step");
  EXPECT_EQ(Value(slArpMode, 4), "RAND");
  EXPECT_EQ(Value(slWaveform, 55), "Wavetable");
  EXPECT_EQ(Value(slGenWaveformFiles, 7), "Fatty 4");
  EXPECT_EQ(Value(slGenWaveformFiles, 54), "Noise Click");
  EXPECT_EQ(Value(slGateSteps, 15), "16");
  EXPECT_EQ(Value(slArpSteps, 31), "32");
  EXPECT_EQ(Value(slFxIDs, 20), "EQ2");
}

TEST(StringLists, TimeSync2IsTimeSyncCutAfterTheDottedDivisions) {
  InitStringLists();
  ASSERT_EQ(slTimeSync2.size(), 23u);
  EXPECT_EQ(std::vector<std::string>(slTimeSync.begin(), slTimeSync.begin() + 23), slTimeSync2);
  EXPECT_EQ(slTimeSync2.back(), "1/64D");
}

TEST(StringLists, ModTargetHasTwelveColumnsInMenuOrder) {
  InitStringLists();
  EXPECT_EQ(Count(slModTarget, POPUP_MENU_PAGE_BREAK), 11u);
  EXPECT_EQ(Count(slModTarget, POPUP_MENU_SEPARATOR), 11u);
  EXPECT_EQ(Value(slModTarget, 0), "---");
  EXPECT_EQ(Value(slModTarget, 1), "OSC 1 PITCH");
  EXPECT_EQ(Value(slModTarget, 24), "OSC 3 RM");
  EXPECT_EQ(Value(slModTarget, 53), "OSC 1 CUTOFF");  // filters after level, pan and bus
  EXPECT_EQ(Value(slModTarget, 135), "MASTER LEVEL");
  EXPECT_EQ(Value(slModTarget, 138), "REV 1 PREDELAY");
  EXPECT_EQ(Value(slModTarget, 283), "GRS2 MIX");
  // Every column break stands between two entries, never at the ends.
  EXPECT_NE(slModTarget.front(), POPUP_MENU_PAGE_BREAK);
  EXPECT_NE(slModTarget.back(), POPUP_MENU_PAGE_BREAK);
}

TEST(StringLists, MidiControllerNames) {
  InitStringLists();
  EXPECT_EQ(slMidiCCName[0], "CC #0 - Bank Select MSB");
  EXPECT_EQ(slMidiCCName[1], "CC #1 - ModWheel");
  EXPECT_EQ(slMidiCCName[3], "CC #3");
  EXPECT_EQ(slMidiCCName[64], "CC #64 - Sustain Pedal");
  EXPECT_EQ(slMidiCCName[84], "CC #84 - Portamento Control");
  EXPECT_EQ(slMidiCCName[119], "CC #119");
  unsigned int named = 0;
  for (const std::string& e : slMidiCCName) named += (e.find(" - ") != std::string::npos);
  EXPECT_EQ(named, 27u);
}
