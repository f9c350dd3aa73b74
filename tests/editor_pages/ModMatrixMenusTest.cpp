// The modulation matrix's source and target fields in an open editor: a
// right or Apple click opens their own menus (23 sources in columns, 283
// targets in 16 submenus), the choice becomes the row's value and the
// engine's source or target, and the current entry carries the check mark.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "editor/EditorFixture.h"
#include "editor/StringLists.h"
#include "editor/pages/ModMatrixMenus.h"

namespace {

class ModMatrixMenusTest : public CEditorTest {
 protected:
  void SetUp() override {
    CEditorTest::SetUp();
    Open();
    for (unsigned int s = 0; s < 24; ++s) {
      commands->SetIntParam(362 + s, 0);
      commands->SetIntParam(392 + s, 0);
    }
    editor->updateAll();
  }

  // A click on the field of the first matrix row.
  void Click(long tag, long buttons) {
    CControl* c = Control(tag);
    ASSERT_NE(c, nullptr);
    const CRect& r = c->getViewSize();
    frame->simulateClick(CPoint(r.left + r.width() / 2, r.top + r.height() / 2), buttons);
  }
  // Picks title; records the titles that carried the check mark, anywhere
  // in the menu tree.
  void Choose(const std::string& title) {
    frame->setMenuChooser([this, title](COptionMenu* root, COptionMenu*& menu, long& index) {
      ++menusShown;
      checked.clear();
      Checked(root);
      shownRoot = root;
      if (title.empty()) return false;
      return root->findEntry(title.c_str(), menu, index);
    });
  }
  void Checked(COptionMenu* menu) {
    for (long i = 0; i < menu->getNbEntries(); ++i) {
      CMenuItem* item = menu->getEntry(i);
      if (item->getSubmenu()) Checked(item->getSubmenu());
      else if (item->isChecked()) checked.push_back(item->getTitle());
    }
  }
  // The text the field shows.
  std::string ShownText(long tag) {
    CListControl* c = static_cast<CListControl*>(Control(tag));
    return c->GetSelectableEntries()[static_cast<size_t>(c->getValue())];
  }

  std::vector<std::string> checked;
  COptionMenu* shownRoot = nullptr;
};

TEST_F(ModMatrixMenusTest, TargetMenuChoicesGiveTheirListValues) {
  struct CASE {
    const char* title;
    float value;
    const char* shown;  // the field's text afterwards
  } cases[] = {
      {"GrainShifter 2 Mix", 283.f, "GRS2 MIX"}, {"Osc 1 Pitch", 1.f, "OSC 1 PITCH"},
      {"Osc 4 Filter Control", 68.f, "OSC 4 CTRL"}, {"Bus Send", 69.f, "BUS SEND"},
      {"Bus 2 Out Pan", 99.f, "BUS 2 OUT PAN"},    {"Env 1 Attack", 100.f, "ENV 1 ATTACK"},
      {"MSEG 4 Rate", 131.f, "MSEG 4 RATE"},       {"TranceGate Rate", 132.f, "TG RATE"},
      {"Master Level", 135.f, "MASTER LEVEL"},     {"Master Mono", 137.f, "MASTER MONO"},
      {"Reverb 1 Pre Delay", 138.f, "REV 1 PREDELAY"}, {"Chorus 1 Delay", 154.f, "CHR 1 DELAY"},
      {"Flanger 1 Delay", 166.f, "FLNG 1 DELAY"},  {"Phaser 2 Mix", 193.f, "PHS 2 MIX"},
      {"Tremolo 1 Rate", 194.f, "TRM 1 RATE"},     {"EQ 2 Band4 Bandwidth", 227.f, "EQ 2 B4 BW"},
      {"Delay 1 Time L", 228.f, "DLY 1 TIME L"},   {"Echoes 2 Mix", 259.f, "ECO 2 MIX"},
      {"Distortion 1 Drive", 260.f, "DIST 1 DRIVE"}, {"GrainShifter 1 Rate", 272.f, "GRS1 RATE"},
      {"Off", 0.f, "---"},
  };
  for (const CASE& c : cases) {
    Choose(c.title);
    Click(392, kRButton);
    EXPECT_EQ(Control(392)->getValue(), c.value) << c.title;
    EXPECT_EQ(commands->GetIntParam(392), CEditor::_valueToModTarget(c.value)) << c.title;
    EXPECT_EQ(ShownText(392), c.shown) << c.title;
  }
}

TEST_F(ModMatrixMenusTest, TargetTreeHoldsEveryValueOnceUnderItsTags) {
  Choose("");
  Click(392, kRButton);
  ASSERT_NE(shownRoot, nullptr);
  std::vector<std::string> root;
  for (long i = 0; i < shownRoot->getNbEntries(); ++i) root.push_back(shownRoot->getEntry(i)->getTitle());
  EXPECT_EQ(root, (std::vector<std::string>{"Off", "-", "Osc", "Bus", "Modulators", "TranceGate", "Master", "FX"}));
  EXPECT_EQ(shownRoot->getTag(), -1);

  const CMenuModTarget* field = static_cast<const CMenuModTarget*>(Control(392));
  struct SUB {
    const char* title;
    long tag;
    long count;
  };
  const SUB top[5] = {{"Osc", 5923591, 68}, {"Bus", 5923592, 31}, {"Modulators", 5923593, 32},
                      {"TranceGate", 5923594, 3}, {"Master", 5923595, 3}};
  const SUB fx[10] = {{"Reverb", 5923597, 16}, {"Chorus", 5923598, 12},  {"GrainShifter", 5923599, 12},
                      {"Flanger", 5923601, 14}, {"Phaser", 5923602, 14}, {"Tremolo", 5923603, 10},
                      {"EQ", 5923604, 24},      {"Delay", 5923600, 18},  {"Echoes", 5923605, 14},
                      {"Distortion", 5923606, 12}};
  std::set<long> values;
  auto walk = [&](COptionMenu* menu, const SUB& s) {
    ASSERT_NE(menu, nullptr) << s.title;
    EXPECT_EQ(menu->getTag(), s.tag) << s.title;
    long selectable = 0;
    for (long i = 0; i < menu->getNbEntries(); ++i) {
      if (menu->getEntry(i)->isSeparator()) continue;
      values.insert(field->ValueOfChoice(menu->getTag(), selectable++));
    }
    EXPECT_EQ(selectable, s.count) << s.title;
  };
  for (int k = 0; k < 5; ++k) walk(shownRoot->getEntry(2 + k)->getSubmenu(), top[k]);
  COptionMenu* fxMenu = shownRoot->getEntry(7)->getSubmenu();
  ASSERT_NE(fxMenu, nullptr);
  EXPECT_EQ(fxMenu->getTag(), 5923596);
  ASSERT_EQ(fxMenu->getNbEntries(), 10);
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(std::string(fxMenu->getEntry(k)->getTitle()), fx[k].title);
    walk(fxMenu->getEntry(k)->getSubmenu(), fx[k]);
  }
  // 283 entries give the 283 values 1..283 of the list, each once.
  ASSERT_EQ(values.size(), 283u);
  EXPECT_EQ(*values.begin(), 1);
  EXPECT_EQ(*values.rbegin(), 283);
  EXPECT_EQ(CountSelectable(slModTarget), 284u);
  // Columns start where the list starts them.
  COptionMenu* osc = shownRoot->getEntry(2)->getSubmenu();
  EXPECT_TRUE(osc->getEntry(24)->isColumnBreak());
  EXPECT_EQ(std::string(osc->getEntry(24)->getTitle()), "Osc 1 FX1");
  EXPECT_FALSE(osc->getEntry(23)->isColumnBreak());
}

TEST_F(ModMatrixMenusTest, OnlyRightOrAppleClicksOpenTheMenus) {
  for (long tag : {362L, 392L}) {
    menusShown = 0;
    Choose("");
    const float before = Control(tag)->getValue();
    Click(tag, kLButton);  // a plain click steps through the list instead
    EXPECT_EQ(menusShown, 0) << tag;
    EXPECT_EQ(Control(tag)->getValue(), before + 1.f) << tag;
    Click(tag, kRButton | kShift);
    EXPECT_EQ(menusShown, 0) << tag;
    Click(tag, kRButton);
    EXPECT_EQ(menusShown, 1) << tag;
    Click(tag, kLButton | kApple);
    EXPECT_EQ(menusShown, 2) << tag;
  }
}

TEST_F(ModMatrixMenusTest, ChoosingTheCurrentEntryOrDismissingCallsNoListener) {
  for (long tag : {362L, 392L}) {
    const unsigned int id = static_cast<unsigned int>(tag);
    Choose(tag == 362 ? "LFO 2" : "Osc 2 Pitch");
    Click(tag, kRButton);
    ASSERT_EQ(Control(tag)->getValue(), 2.f) << tag;
    // The engine moves behind the field's back: a listener call would
    // write the field's value again.
    commands->SetIntParam(id, 9);
    Choose(tag == 362 ? "LFO 2" : "Osc 2 Pitch");
    Click(tag, kRButton);
    EXPECT_EQ(commands->GetIntParam(id), 9u) << tag;
    Choose("");
    Click(tag, kRButton);
    EXPECT_EQ(commands->GetIntParam(id), 9u) << tag;
    EXPECT_EQ(Control(tag)->getValue(), 2.f) << tag;
  }
}

TEST_F(ModMatrixMenusTest, SourceMenuListsTheSourcesInColumnsAndChecksTheCurrent) {
  Choose("Expression");
  Click(362, kRButton);
  EXPECT_EQ(Control(362)->getValue(), 17.f);
  EXPECT_EQ(commands->GetIntParam(362), CEditor::_valueToModSource(17.f));
  EXPECT_EQ(ShownText(362), "EXPRESS");
  EXPECT_EQ(checked, (std::vector<std::string>{"Off"}));

  Choose("Morph Y");
  Click(362, kRButton);
  EXPECT_EQ(Control(362)->getValue(), 22.f);
  EXPECT_EQ(checked, (std::vector<std::string>{"Expression"}));
  ASSERT_NE(shownRoot, nullptr);
  ASSERT_EQ(shownRoot->getNbEntries(), 23);
  const std::vector<long> columns = {1, 5, 9, 13, 18};
  for (long i = 0; i < 23; ++i) {
    const bool starts = std::find(columns.begin(), columns.end(), i) != columns.end();
    EXPECT_EQ(shownRoot->getEntry(i)->isColumnBreak(), starts) << i;
  }
  EXPECT_EQ(std::string(shownRoot->getEntry(13)->getTitle()), "ModWheel");

  Choose("Off");
  Click(362, kRButton);
  EXPECT_EQ(Control(362)->getValue(), 0.f);
  EXPECT_EQ(commands->GetIntParam(362), 0u);
  EXPECT_EQ(checked, (std::vector<std::string>{"Morph Y"}));
}

TEST_F(ModMatrixMenusTest, TargetMenuChecksOnlyTheCurrentTarget) {
  Choose("Echoes 1 Time");
  Click(393, kRButton);
  EXPECT_EQ(checked, (std::vector<std::string>{"Off"}));
  Choose("Osc 3 Detune");
  Click(393, kRButton);
  EXPECT_EQ(checked, (std::vector<std::string>{"Echoes 1 Time"}));
  Choose("");
  Click(393, kRButton);
  EXPECT_EQ(checked, (std::vector<std::string>{"Osc 3 Detune"}));
  // The second row's field writes the second slot of the shown page.
  EXPECT_EQ(commands->GetIntParam(393), CEditor::_valueToModTarget(7.f));
}

}  // namespace
