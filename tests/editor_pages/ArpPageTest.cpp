// The arpeggiator and trance-gate page in an open editor: its controls write
// the engine's parameters through the command handler and show them back,
// and the step controls answer the mouse.
#include <gtest/gtest.h>

#include <cstdlib>

#include "editor/EditorFixture.h"
#include "editor/pages/ArpPage.h"
#include "editor/pages/StepControl.h"

namespace {

// The page's top-left corner in the window.
const CCoord PAGE_X = 206, PAGE_Y = 537;

class ArpPageTest : public CEditorTest {
 protected:
  void SetUp() override {
    CEditorTest::SetUp();
    Open();
    page = editor->GetArpView();
    ASSERT_NE(page, nullptr);
    Change(TAG_VIEW_PAGE, 0.f);  // the arpeggiator page is page 0 of the selector
    ASSERT_TRUE(page->isVisible());
  }

  CControl* PageControl(long tag) {
    for (long i = 0; i < page->getNbViews(); ++i) {
      CView* v = page->getView(i);
      if (v && v->isTypeOf("CControl") && static_cast<CControl*>(v)->getTag() == tag) return static_cast<CControl*>(v);
    }
    return nullptr;
  }
  // The user sets a control of the page.
  void Set(long tag, float value) {
    CControl* c = PageControl(tag);
    ASSERT_NE(c, nullptr) << tag;
    c->setValue(value);
    page->valueChanged(c);
  }
  void Press(long tag) {
    Set(tag, 1.f);
    Set(tag, 0.f);
  }
  int Int(unsigned int id) { return static_cast<int>(commands->GetIntParam(id)); }
  float Shown(long tag) {
    CControl* c = PageControl(tag);
    return c ? c->getValue() : -1000.f;
  }

  CArpView* page = nullptr;
};

TEST_F(ArpPageTest, ControlsWriteTheirParametersWithTheValueMapping) {
  struct CASE {
    long tag;
    float value;
    unsigned int id;
    float stored;
  };
  const CASE cases[] = {
      {533, 12.f, 533, 12.f},   // pitch list index 12 is +12 semitones
      {540, 30.f, 540, -6.f},   // index 30 is -6
      {541, 60.f, 541, 0.f},    // an index past the list stores 0
      {565, 4.f, 565, 7.f},     // fifth length entry is ratio index 7
      {566, 11.f, 566, 17.f},   // last entry
      {597, 0.25f, 597, 0.25f}, // step gate
      {629, 0.5f, 629, 0.5f},   // step velocity
      {661, 1.f, 661, 1.f},     // tie
      {528, 7.f, 528, 8.f},     // arp steps: list index + 1
      {694, 3.f, 694, 4.f},     // gate steps: list index + 1
      {529, 6.f, 529, 6.f},     {530, 2.f, 530, 2.f},     {531, 1.f, 531, 1.f},
      {180, 0.3f, 180, 0.3f},   {181, 0.7f, 181, 0.7f},   {182, 0.2f, 182, 0.2f},
      {183, 0.4f, 183, 0.4f},   {184, 0.6f, 184, 0.6f},   {695, 2.f, 695, 2.f},
  };
  for (const CASE& c : cases) {
    Set(c.tag, c.value);
    EXPECT_FLOAT_EQ(commands->GetFloatParam(c.id), c.stored) << c.tag;
  }
  // And back: updateAll shows the list index of each stored value.
  page->updateAll();
  EXPECT_EQ(Shown(533), 12.f);
  EXPECT_EQ(Shown(540), 30.f);
  EXPECT_EQ(Shown(565), 4.f);
  EXPECT_EQ(Shown(566), 11.f);
  EXPECT_EQ(Shown(528), 7.f);
  EXPECT_EQ(Shown(694), 3.f);
  // A pitch outside -24..24 shows as "0", a length that is no list entry as
  // the first entry; a kick of the editor's own refresh reaches the page.
  commands->SetIntParam(534, 40);
  commands->SetIntParam(567, 5);
  editor->updateAll();
  EXPECT_EQ(Shown(534), 24.f);
  EXPECT_EQ(Shown(567), 0.f);
  // Every change went on to host automation.
  EXPECT_FALSE(Calls(audioMasterAutomate).empty());
}

TEST_F(ArpPageTest, SecondStepPageEditsSteps17To32) {
  Set(68213, 1.f);
  Set(533, 20.f);  // +4 on step 17
  Set(629, 0.125f);
  EXPECT_EQ(Int(549), 4);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(645), 0.125f);
  EXPECT_EQ(Int(533), 0);
  commands->SetIntParam(550, static_cast<unsigned int>(-3));
  page->updateAll();
  EXPECT_EQ(Shown(534), 27.f);
  Set(68213, 0.f);
  EXPECT_EQ(Shown(534), 24.f);
}

TEST_F(ArpPageTest, GateRowsMirrorWithoutStereo) {
  Set(696, 0.f);
  Set(700, 0.f);
  EXPECT_EQ(Int(700), 0);
  EXPECT_EQ(Int(716), 0);
  Set(720, 1.f);  // the right row leads too, and the left follows
  EXPECT_EQ(Int(704), 1);
  // With stereo on the rows are independent, and the right row shows its own.
  Set(696, 1.f);
  Set(701, 0.f);
  Set(717, 1.f);
  EXPECT_EQ(Int(701), 0);
  EXPECT_EQ(Int(717), 1);
  EXPECT_EQ(Shown(717), 1.f);
  // Stereo off again: the right row shows the left row.
  Set(696, 0.f);
  EXPECT_EQ(Shown(717), 0.f);
  EXPECT_EQ(Int(717), 1);
}

TEST_F(ArpPageTest, ShiftsRotateTheFirstStepsOnAnyPage) {
  commands->SetIntParam(528, 4);
  for (unsigned int s = 0; s < 5; ++s) {
    commands->SetIntParam(533 + s, s + 1);
    commands->SetIntParam(565 + s, s);
    commands->SetFloatParam(629 + s, 0.1f * (s + 1));
  }
  Set(68211, 1.f);  // a press alone does nothing
  EXPECT_EQ(Int(533), 1);
  Set(68211, 0.f);
  const int right[5] = {4, 1, 2, 3, 5};
  for (unsigned int s = 0; s < 5; ++s) EXPECT_EQ(Int(533 + s), right[s]) << s;
  EXPECT_EQ(Int(565), 3);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(629), 0.4f);
  Set(68213, 1.f);  // the shown page does not matter
  Press(68212);
  for (unsigned int s = 0; s < 5; ++s) EXPECT_EQ(Int(533 + s), static_cast<int>(s + 1)) << s;
  EXPECT_FLOAT_EQ(commands->GetFloatParam(629 + 3), 0.4f);
  // One step: nothing moves; a damaged count stays within the step arrays.
  commands->SetIntParam(528, 1);
  Press(68211);
  Press(68212);
  for (unsigned int s = 0; s < 5; ++s) EXPECT_EQ(Int(533 + s), static_cast<int>(s + 1)) << s;
  commands->SetFloatParam(528, 1e9f);
  const unsigned int after = 693;
  const int gateOn = Int(after);
  Press(68211);
  EXPECT_EQ(Int(after), gateOn);
  EXPECT_EQ(Int(534), 1);
}

TEST_F(ArpPageTest, ResetsRestoreTheFactoryBlocks) {
  Set(528, 3.f);
  Set(529, 7.f);
  Set(540, 0.f);
  Set(629, 0.2f);
  Set(661, 1.f);
  commands->SetFloatParam(532, 5.f);
  Press(68259);
  EXPECT_EQ(Int(528), 16);
  EXPECT_EQ(Int(529), 3);
  EXPECT_EQ(Int(532), 0);
  for (unsigned int s = 0; s < 32; ++s) {
    EXPECT_EQ(Int(533 + s), 0);
    EXPECT_EQ(Int(565 + s), 0);
    EXPECT_FLOAT_EQ(commands->GetFloatParam(597 + s), 1.f);
    EXPECT_FLOAT_EQ(commands->GetFloatParam(629 + s), 1.f);
    EXPECT_EQ(Int(661 + s), 0);
  }
  EXPECT_EQ(Shown(528), 15.f);

  Set(696, 1.f);
  Set(694, 2.f);
  Set(697, 0.f);
  Set(714, 1.f);
  Press(68262);
  EXPECT_EQ(Int(694), 16);
  EXPECT_EQ(Int(695), 5);
  EXPECT_EQ(Int(696), 0);
  const int pattern[16] = {1, 0, 1, 0, 1, 1, 1, 0, 1, 0, 1, 1, 1, 0, 1, 0};
  for (unsigned int s = 0; s < 16; ++s) {
    EXPECT_EQ(Int(697 + s), pattern[s]) << s;
    EXPECT_EQ(Int(713 + s), pattern[s]) << s;
  }
}

TEST_F(ArpPageTest, MouseDragsOnVelocityBarsAndClicksOnGateSteps) {
  // Step 3's bar: column x = 279 + 54, bar at x + 10, 79, 8 x 29 pixels.
  const CCoord left = PAGE_X + 279 + 54 + 10, top = PAGE_Y + 79;
  CPoint p(left + 4, top + 29 - 29 * 3 / 4);  // three quarters up
  frame->onMouseDown(p, kLButton);
  EXPECT_NEAR(commands->GetFloatParam(631), 0.75f, 0.04f);
  CPoint q(left + 4, p.y + 10);  // 10 pixels down
  frame->onMouseMoved(q, kLButton);
  const float coarse = commands->GetFloatParam(631);
  EXPECT_NEAR(coarse, 0.75f - 10.f / 29.f, 0.04f);
  // Shift mid-drag: no jump, then ten times finer.
  frame->onMouseMoved(q, kLButton | kShift);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(631), coarse);
  CPoint r(left + 4, q.y - 29);
  frame->onMouseMoved(r, kLButton | kShift);
  EXPECT_NEAR(commands->GetFloatParam(631), coarse + 0.1f, 0.01f);
  frame->onMouseUp(r, kLButton | kShift);
  // Far past the top holds at 1.
  CPoint high(left + 4, top + 20);
  frame->onMouseDown(high, kLButton);
  CPoint beyond(left + 4, top - 200);
  frame->onMouseMoved(beyond, kLButton);
  frame->onMouseUp(beyond, kLButton);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(631), 1.f);
  // A double click empties the bar.
  frame->onMouseDown(high, kLButton | kDoubleClick);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(631), 0.f);
  frame->onMouseUp(high, kLButton);

  // A click on a gate step toggles it, and the right row follows.
  Set(696, 0.f);
  const int before = Int(698);
  CPoint gate(PAGE_X + 41 + 12 + 6, PAGE_Y + 58);
  frame->onMouseDown(gate, kLButton);
  frame->onMouseUp(gate, kLButton);
  EXPECT_EQ(Int(698), before ? 0 : 1);
  EXPECT_EQ(Int(714), before ? 0 : 1);
}

TEST_F(ArpPageTest, PageDrawsItsControls) {
  ASSERT_NE(frame, nullptr);
  // A gate step with any non-zero value draws as on; one at 0 shows the page.
  Set(696, 1.f);
  commands->SetFloatParam(697, 0.5f);
  commands->SetIntParam(698, 0);
  page->updateAll();
  EXPECT_EQ(Shown(697), 0.f);  // GetIntParam truncates 0.5 to 0
  CControl* step = PageControl(699);
  ASSERT_NE(step, nullptr);
  step->setValue(0.5f);
  host->Dispatch(effEditIdle);
  frame->render();
  const CColor on = frame->getPixel(static_cast<long>(PAGE_X + 41 + 24 + 6), static_cast<long>(PAGE_Y + 60));
  const CColor off = frame->getPixel(static_cast<long>(PAGE_X + 41 + 12 + 6), static_cast<long>(PAGE_Y + 60));
  EXPECT_LT(on.red, 60);
  EXPECT_GT(off.red, 150);
  // A full velocity bar is lit at its top, an empty one is not.
  Set(629, 1.f);
  Set(630, 0.f);
  host->Dispatch(effEditIdle);
  frame->render();
  const CColor full = frame->getPixel(static_cast<long>(PAGE_X + 279 + 10 + 4), static_cast<long>(PAGE_Y + 81));
  const CColor empty = frame->getPixel(static_cast<long>(PAGE_X + 279 + 27 + 10 + 4), static_cast<long>(PAGE_Y + 81));
  EXPECT_GT(full.blue, 150);
  EXPECT_LT(empty.blue, 60);
  if (const char* out = std::getenv("MORLAVINE_ARP_PAGE_PNG")) {
    EXPECT_TRUE(frame->writePNG(out));
  }
}

TEST(StepControls, CopiesAndTypes) {
  CGateStepButton button(CRect(0, 0, 12, 19), nullptr, 697);
  button.setValue(7.f);  // kept as it is, beyond the control's range
  EXPECT_EQ(button.getValue(), 7.f);
  EXPECT_TRUE(button.isTypeOf("CGateStepButton"));
  EXPECT_TRUE(button.isTypeOf("COnOffButton"));
  CBitmap* fill = new CBitmap("ArpVelocityFill.png");
  CArpSlider slider(CRect(0, 0, 8, 29), nullptr, 629, fill, true);
  fill->forget();
  CView* copy = slider.newCopy();
  EXPECT_TRUE(copy->isTypeOf("CArpSlider"));
  copy->forget();
}

}  // namespace
