// The window drawn off-screen with each of the three lower pages: the page
// switch shows over every page with the current page lit, the effects page
// draws the selected slot's panel, and the slot buttons show their whole
// border and a light face when switched off.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "editor/EditorFixture.h"
#include "editor/pages/FxMatrixPage.h"

namespace {

const CCoord PAGE_X = 206, PAGE_Y = 537;

int Luminance(const CColor& c) { return (c.red * 3 + c.green * 6 + c.blue) / 10; }

class LowerPagesDrawTest : public CEditorTest {
 protected:
  void SetUp() override {
    CEditorTest::SetUp();
    Open();
  }
  void Draw(long page, const char* name = "") {
    Change(TAG_VIEW_PAGE, static_cast<float>(page));
    host->Dispatch(effEditIdle);
    frame->render();
    if (const char* dir = std::getenv("MORLAVINE_PAGES_PNG_DIR")) {
      EXPECT_TRUE(frame->writePNG((std::string(dir) + "/page" + std::to_string(page) + name + ".png").c_str()));
    }
  }
  // A point inside segment s of the page switch (0 = arpeggiator, at the
  // bottom), away from its label.
  CColor Segment(int s) { return frame->getPixel(213, 675 - 40 * s - 6); }
  CColor PagePixel(CCoord x, CCoord y) {
    return frame->getPixel(static_cast<long>(PAGE_X + x), static_cast<long>(PAGE_Y + y));
  }
};

TEST_F(LowerPagesDrawTest, PageSwitchShowsTheCurrentPageOnEveryPage) {
  for (long page = 0; page < 3; ++page) {
    Draw(page);
    for (int s = 0; s < 3; ++s) {
      const CColor c = Segment(s);
      if (s == page) {
        EXPECT_GT(c.blue, 150) << "page " << page << " segment " << s;
        EXPECT_LT(c.red, 60) << "page " << page << " segment " << s;
      } else {
        EXPECT_LT(c.blue, 90) << "page " << page << " segment " << s;
        EXPECT_GT(c.blue, 20) << "page " << page << " segment " << s << " is drawn, not the page behind";
      }
    }
  }
}

TEST_F(LowerPagesDrawTest, EffectsPageDrawsTheSelectedPanelAndLegibleSlots) {
  commands->SetIntParam(747 + 9, 4);  // "DLY2", selected
  commands->SetIntParam(731 + 9, 1);
  commands->SetIntParam(747 + 1, 1);  // "REV1", switched off
  commands->SetIntParam(731 + 1, 0);
  editor->GetSelectors()[4] = 9;
  editor->updateAll();
  Draw(2, "-delay");

  // The delay panel sits at (38, 17) in the page: the body of its feedback
  // knob (small, at 254, 22) and its mix knob's frame (at 43, 55) are drawn
  // over the panel's face.
  const CColor face = PagePixel(38 + 120, 17 + 118);
  const CColor body = PagePixel(38 + 254 + 8, 17 + 22 + 18);
  EXPECT_GT(Luminance(body), Luminance(face) + 40);
  const CColor mixArc = PagePixel(38 + 43 + 26, 17 + 55 + 3);
  EXPECT_NE(Luminance(mixArc), Luminance(face));

  // With an empty slot selected the empty panel shows instead.
  editor->GetSelectors()[4] = 0;
  editor->updateAll();
  Draw(2);
  EXPECT_LT(Luminance(PagePixel(38 + 254 + 8, 17 + 22 + 18)), Luminance(body) - 40);

  // Slot buttons: the bottom border row is the frame's edge, not the page
  // behind; a switched-off slot's face is light under its black label.
  CFxView* page = editor->GetFxView();
  for (unsigned int slot : {0u, 1u, 9u}) {
    const CRect r = page->GetSlotButton(slot)->getViewSize();
    const CColor border = PagePixel(r.left + r.width() / 2, r.bottom - 1);
    const CColor below = PagePixel(r.left + r.width() / 2, r.bottom + 1);
    EXPECT_NE(border, below) << slot;
    EXPECT_GT(Luminance(border), 90) << slot;
  }
  const CRect off = page->GetSlotButton(1)->getViewSize();
  EXPECT_GE(Luminance(PagePixel(off.right - 3, off.bottom - 3)), 128);
}

}  // namespace
