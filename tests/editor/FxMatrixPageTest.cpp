// The effects-matrix page driven by the mouse through the open window: slot
// layout for each split, the effect menu moving effects between slots, the
// on switches, the splitter and the reset button, all written to the engine
// through its command handler.

#include <cmath>
#include <cstdlib>

#include "EditorFixture.h"
#include "editor/pages/FxMatrixPage.h"
#include "engine/EffectsMatrix.h"

namespace {

class FxPageTest : public CEditorTest {
 protected:
  void OpenPage() {
    Open();
    page = editor->GetFxView();
    ASSERT_NE(page, nullptr);
    Change(TAG_VIEW_PAGE, 2.f);
    ASSERT_TRUE(page->isVisible());
    origin = CPoint(page->getViewSize().left, page->getViewSize().top);
  }
  CFxMtxButton* Slot(unsigned int s) { return page->GetSlotButton(s); }
  CPoint Centre(CView* v) {
    const CRect& r = v->getViewSize();
    return CPoint(origin.x + (r.left + r.right) / 2, origin.y + (r.top + r.bottom) / 2);
  }
  void Click(unsigned int s, long buttons) { frame->simulateClick(Centre(Slot(s)), buttons); }
  // Right-clicks slot s and picks the menu entry titled title.
  void ChooseEffect(unsigned int s, const std::string& title) {
    ChooseMenuEntry(title);
    Click(s, kRButton);
  }
  unsigned int Int(unsigned int id) { return commands->GetIntParam(id); }

  CFxView* page = nullptr;
  CPoint origin;
};

TEST_F(FxPageTest, LayoutFollowsTheSplitCount) {
  OpenPage();
  // Factory state: split 4, every slot empty and drawn on.
  EXPECT_EQ(Int(729), 4u);
  struct CASE {
    unsigned int split;
  } cases[] = {{4}, {0}, {8}, {1}, {200}};
  for (const CASE& c : cases) {
    commands->SetIntParam(729, c.split);
    editor->updateAll();
    const unsigned int n = c.split > 8 ? 8 : c.split;
    for (unsigned int col = 0; col < 8; ++col) {
      CFxMtxButton* low = Slot(col);
      CFxMtxButton* high = Slot(col + 8);
      EXPECT_TRUE(page->isChild(low)) << c.split << " " << col;
      EXPECT_EQ(page->isChild(high), col < n) << c.split << " " << col;
      EXPECT_TRUE(low->m_on);
      if (col < n) {
        EXPECT_LT(high->getViewSize().bottom, low->getViewSize().top) << "row 1 above row 0";
        EXPECT_EQ(high->getViewSize().left, low->getViewSize().left);
      }
      if (col > 0) {
        EXPECT_GT(low->getViewSize().left, Slot(col - 1)->getViewSize().right);
      }
      EXPECT_LE(low->getViewSize().right, page->getViewSize().width());
    }
  }
  // A single slot sits between the two rows.
  commands->SetIntParam(729, 4);
  editor->updateAll();
  EXPECT_GT(Slot(5)->getViewSize().top, Slot(8)->getViewSize().top);
  EXPECT_LT(Slot(5)->getViewSize().top, Slot(0)->getViewSize().top);
}

// A damaged stored split is shown as the engine plays it: -1 or a value
// that is not a number plays all eight columns in series (none split).
TEST_F(FxPageTest, ADamagedSplitShowsAsTheEnginePlaysIt) {
  OpenPage();
  const struct {
    float stored;
    unsigned int shown;
  } cases[] = {{-1.0f, 0}, {NAN, 0}, {-1e9f, 0}, {3.7f, 3}, {1e9f, 8}, {8.0f, 8}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    commands->SetFloatParam(729, c.stored);
    editor->updateAll();
    EXPECT_EQ(CEffectsMatrix::SplitOf(commands->GetFloatParam(729)), c.shown);
    for (unsigned int col = 0; col < 8; ++col) EXPECT_EQ(page->isChild(Slot(col + 8)), col < c.shown) << col;
  }
}

TEST_F(FxPageTest, EffectMenuMovesEffectsBetweenSlots) {
  OpenPage();
  // Slot 2 holds "Delay 1", switched off.
  commands->SetIntParam(747 + 2, 3);
  commands->SetIntParam(731 + 2, 0);
  editor->updateAll();
  EXPECT_FALSE(Slot(2)->m_on);

  ChooseEffect(5, "Delay 1");
  EXPECT_EQ(menusShown, 1);
  ASSERT_FALSE(shownMenus.empty());
  EXPECT_EQ(shownMenus[0].front(), "Off");
  EXPECT_EQ(Int(747 + 2), 0u);
  EXPECT_EQ(Int(731 + 2), 0u);
  EXPECT_EQ(Int(747 + 5), 3u);
  EXPECT_EQ(Int(731 + 5), 0u) << "arrives with the on state it had";
  EXPECT_EQ(editor->GetSelectors()[4], 5u);
  EXPECT_EQ(Slot(5)->getValue(), 1.f);
  EXPECT_EQ(Slot(0)->getValue(), 0.f);

  // An effect no slot holds arrives switched on; the instance is shown.
  ChooseEffect(5, "Chorus 2");
  EXPECT_EQ(Int(747 + 5), 10u);
  EXPECT_EQ(Int(731 + 5), 1u);
  EXPECT_EQ(page->GetActiveFxInstance(), 1u);
  EXPECT_EQ(editor->TagToSynthParam(211), 212);

  // Choosing what the slot holds changes nothing, not even the selection.
  editor->GetSelectors()[4] = 0;
  page->UpdateMatrix();
  ChooseEffect(5, "Chorus 2");
  EXPECT_EQ(Int(747 + 5), 10u);
  EXPECT_EQ(editor->GetSelectors()[4], 0u);

  // Command-click empties the slot.
  Click(5, kControl | kLButton);
  EXPECT_EQ(Int(747 + 5), 0u);
  EXPECT_EQ(page->GetActiveFxInstance(), 0u);
  // None of these are host parameters: the host hears nothing.
  EXPECT_TRUE(Calls(audioMasterAutomate).empty());
}

TEST_F(FxPageTest, AltClickSwitchesOnlyOccupiedSlots) {
  OpenPage();
  commands->SetIntParam(747 + 1, 19);
  commands->SetIntParam(731 + 1, 1);
  editor->updateAll();
  Click(1, kAlt | kLButton);
  EXPECT_EQ(Int(731 + 1), 0u);
  EXPECT_FALSE(Slot(1)->m_on);
  Click(1, kAlt | kLButton);
  EXPECT_EQ(Int(731 + 1), 1u);
  EXPECT_EQ(editor->GetSelectors()[4], 0u) << "switching does not select";

  // An empty slot: no parameter changes and it still shows on.
  Click(3, kAlt | kLButton);
  EXPECT_EQ(Int(731 + 3), 0u);
  EXPECT_TRUE(Slot(3)->m_on);

  // A plain click on the selected slot keeps it selected.
  Click(3, kLButton);
  EXPECT_EQ(Slot(3)->getValue(), 1.f);
  Click(3, kLButton);
  EXPECT_EQ(Slot(3)->getValue(), 1.f);
  EXPECT_EQ(editor->GetSelectors()[4], 3u);
}

TEST_F(FxPageTest, SplitterWritesTheSplitCount) {
  OpenPage();
  CFxMtxSplitter* splitter = page->GetSplitter();
  const CRect r = splitter->getViewSize();
  const CCoord y = origin.y + (r.top + r.bottom) / 2;
  // Far right: 7 columns split; far left: 1.
  frame->simulateClick(CPoint(origin.x + r.right - 2, y), kLButton);
  EXPECT_EQ(Int(729), 7u);
  frame->simulateClick(CPoint(origin.x + r.left + 1, y), kLButton);
  EXPECT_EQ(Int(729), 1u);
  EXPECT_FALSE(page->isChild(Slot(9)));
  // Command-click restores four.
  frame->simulateClick(CPoint(origin.x + r.left + 1, y), kControl | kLButton);
  EXPECT_EQ(Int(729), 4u);
  EXPECT_TRUE(page->isChild(Slot(11)));
  // Dragging right by two slot widths moves two positions, and the drag
  // stops at seven.
  const CCoord step = Slot(0)->getViewSize().width();
  CPoint p(origin.x + r.left + 1, y);
  frame->onMouseDown(p, kControl | kLButton);
  CPoint q(p.x + 2 * step + 1, y);
  frame->onMouseMoved(q, kLButton);
  EXPECT_EQ(Int(729), 6u);
  CPoint far(p.x + 20 * step, y);
  frame->onMouseMoved(far, kLButton);
  EXPECT_EQ(Int(729), 7u);
  frame->onMouseUp(far, 0);
  // A stored split of 0 draws as the first position.
  commands->SetIntParam(729, 0);
  editor->updateAll();
  host->Dispatch(effEditIdle);
  EXPECT_EQ(splitter->getValue(), 0.f);
}

TEST_F(FxPageTest, ResetRestoresTheFactoryMatrix) {
  OpenPage();
  commands->SetIntParam(729, 7);
  commands->SetIntParam(747 + 4, 5);
  commands->SetIntParam(731 + 4, 1);
  editor->GetSelectors()[4] = 4;
  editor->updateAll();
  EXPECT_EQ(Slot(4)->m_effectId, 5);
  CControl* reset = editor->getViewControlByTag(page, TAG_FXMTX_RESET);
  ASSERT_NE(reset, nullptr);
  frame->simulateClick(Centre(reset), kLButton);
  EXPECT_EQ(Int(729), 4u);
  EXPECT_EQ(Int(747 + 4), 0u);
  EXPECT_EQ(Int(731 + 4), 0u);
  EXPECT_EQ(Slot(4)->m_effectId, 0);
}

TEST_F(FxPageTest, PageRenders) {
  OpenPage();
  commands->SetIntParam(747 + 0, 1);
  commands->SetIntParam(731 + 0, 1);
  commands->SetIntParam(747 + 8, 4);
  commands->SetIntParam(731 + 8, 0);
  commands->SetIntParam(747 + 6, 19);
  commands->SetIntParam(731 + 6, 1);
  editor->GetSelectors()[4] = 6;
  editor->updateAll();
  host->Dispatch(effEditIdle);
  frame->render();
  // The selected slot is lit, the others dark.
  CColor selected = frame->getPixel(static_cast<long>(Centre(Slot(6)).x - 12), static_cast<long>(Centre(Slot(6)).y + 4));
  CColor other = frame->getPixel(static_cast<long>(Centre(Slot(5)).x - 12), static_cast<long>(Centre(Slot(5)).y + 4));
  EXPECT_GT(selected.blue, 200);
  EXPECT_LT(other.blue, 100);
  if (const char* out = std::getenv("MORLAVINE_FXPAGE_PNG")) {
    EXPECT_TRUE(frame->writePNG(out));
  }
}

}  // namespace
