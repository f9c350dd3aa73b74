// The program's own controls in a bare frame: knob drags and the
// modulation ring, list stepping and menus, selectors, percentages, the XY
// pad, the scroll bar and the pop-up menu.
#include <gtest/gtest.h>

#include <vector>

#include "editor/EditorTags.h"
#include "editor/IControlHandler.h"
#include "editor/ListControl.h"
#include "editor/ModeSelector.h"
#include "editor/ModulatedKnob.h"
#include "editor/PopupMenu.h"
#include "editor/ScrollBar.h"
#include "editor/XYControl.h"
#include "platform/vstgui/vstgui.h"

namespace {

struct MESSAGE {
  unsigned int message;
  float value;
};

class CRecorder : public CControlListener, public IControlHandler {
 public:
  void valueChanged(CControl* control) override { values.push_back(control->getValue()); }
  void OnControlMessage(CControl* control, unsigned int message, float value) override {
    messages.push_back({message, value});
  }
  unsigned int Count(unsigned int message) const {
    unsigned int n = 0;
    for (const MESSAGE& m : messages) n += m.message == message;
    return n;
  }
  std::vector<float> values;
  std::vector<MESSAGE> messages;
};

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFonts();
    frame = new CFrame(CRect(0, 0, 400, 300), nullptr, nullptr);
  }
  void TearDown() override { frame->forget(); }
  template <typename T>
  T* Add(T* view) {
    frame->addView(view);
    return view;
  }
  CFrame* frame = nullptr;
  CRecorder rec;
};

}  // namespace

TEST_F(ControlsTest, KnobDragsValueAndRing) {
  CModulatedKnob* knob = Add(new CModulatedKnob(CRect(100, 100, 130, 130), &rec, &rec, 36, nullptr, nullptr, 0, 0.3f));
  ASSERT_EQ(rec.Count(CONTROL_MSG_REGISTER), 1u);
  knob->setValue(0.5f);
  frame->simulateDrag(CPoint(115, 115), CPoint(115, 115 - 17));  // up 17 px of 170
  EXPECT_NEAR(knob->getValue(), 0.6f, 1e-5f);
  EXPECT_FALSE(rec.values.empty());

  // Right click without a drag: the menu at release.
  rec.messages.clear();
  frame->simulateClick(CPoint(115, 115), kRButton);
  EXPECT_EQ(rec.Count(CONTROL_MSG_POPUP), 1u);

  // Right drag without modulation: nothing changes and the menu still opens.
  rec.messages.clear();
  frame->simulateDrag(CPoint(115, 115), CPoint(140, 115), kRButton);
  EXPECT_EQ(knob->getModValue(), 0.f);
  EXPECT_EQ(rec.Count(CONTROL_MSG_MOD_AMOUNT), 0u);
  EXPECT_EQ(rec.Count(CONTROL_MSG_POPUP), 1u);

  // With modulation: the ring follows, depth messages, no menu.
  knob->enableModulation(true);
  rec.messages.clear();
  frame->simulateDrag(CPoint(115, 115), CPoint(115 + 34, 115), kRButton, 4);
  EXPECT_NEAR(knob->getModValue(), 0.2f, 1e-5f);
  EXPECT_GE(rec.Count(CONTROL_MSG_MOD_AMOUNT), 1u);
  EXPECT_EQ(rec.Count(CONTROL_MSG_POPUP), 0u);

  // Alt+Control+click resets the ring; on a clean knob at 0 it sends nothing.
  rec.messages.clear();
  frame->simulateClick(CPoint(115, 115), kAlt | kControl | kLButton);
  EXPECT_EQ(knob->getModValue(), 0.f);
  EXPECT_EQ(rec.Count(CONTROL_MSG_MOD_AMOUNT), 1u);
  frame->render();  // draws: the knob is clean
  rec.messages.clear();
  frame->simulateClick(CPoint(115, 115), kAlt | kControl | kLButton);
  EXPECT_EQ(rec.Count(CONTROL_MSG_MOD_AMOUNT), 0u);

  // Control+click: the default value.
  frame->simulateClick(CPoint(115, 115), kControl | kLButton);
  EXPECT_FLOAT_EQ(knob->getValue(), 0.3f);
}

TEST_F(ControlsTest, KnobShiftMidDragWheelAndKeys) {
  CModulatedKnob* knob = Add(new CModulatedKnob(CRect(100, 100, 130, 130), &rec, nullptr, 36, nullptr, nullptr, 0, 0.f));
  knob->setValue(0.5f);
  CPoint p(115, 115);
  frame->onMouseDown(p, kLButton);
  CPoint q(115, 115 - 17);
  frame->onMouseMoved(q, kLButton);
  EXPECT_NEAR(knob->getValue(), 0.6f, 1e-5f);
  // Shift goes down: the value does not jump, and 136 more pixels move it
  // by 0.1 at 1360 pixels per range.
  CPoint r(115, 115 - 18);
  frame->onMouseMoved(r, kLButton | kShift);
  const float atSwitch = knob->getValue();
  EXPECT_NEAR(atSwitch, 0.6f, 0.01f);
  CPoint s(115, 115 - 18 - 136);
  frame->onMouseMoved(s, kLButton | kShift);
  EXPECT_NEAR(knob->getValue(), atSwitch + 0.1f, 1e-4f);
  frame->onMouseUp(s, kLButton | kShift);

  knob->setValue(0.5f);
  knob->onWheel(p, 1.f, 0);
  EXPECT_NEAR(knob->getValue(), 0.6f, 1e-6f);
  knob->onWheel(p, 1.f, kShift);
  EXPECT_NEAR(knob->getValue(), 0.61f, 1e-6f);
  VstKeyCode key = {0, VKEY_DOWN, 0};
  EXPECT_EQ(knob->onKeyDown(key), 1);
  EXPECT_NEAR(knob->getValue(), 0.51f, 1e-6f);
  key.virt = VKEY_RETURN;
  EXPECT_EQ(knob->onKeyDown(key), -1);
}

TEST_F(ControlsTest, KnobAnglesAndRing) {
  CModulatedKnob* knob = Add(new CModulatedKnob(CRect(0, 0, 40, 40), &rec, nullptr, 36, nullptr, nullptr, 0, 0.f));
  // Lower left is 0, top is 0.5, lower right is 1; the dead zone gives the nearer end.
  EXPECT_NEAR(knob->valueFromPoint(CPoint(20 - 14, 20 + 14)), 0.f, 1e-3f);
  EXPECT_NEAR(knob->valueFromPoint(CPoint(20, 0)), 0.5f, 1e-3f);
  EXPECT_NEAR(knob->valueFromPoint(CPoint(20 + 14, 20 + 14)), 1.f, 1e-3f);
  EXPECT_NEAR(knob->valueFromPoint(CPoint(18, 39)), 0.f, 1e-3f);
  EXPECT_NEAR(knob->valueFromPoint(CPoint(22, 39)), 1.f, 1e-3f);
  // The ring at m = 0.5 is drawn: pixels of the ring colour appear.
  knob->setValue(0.5f);
  knob->enableModulation(true);
  knob->setModValue(0.5f);
  frame->render();
  int yellow = 0;
  for (long y = 0; y < 40; ++y)
    for (long x = 0; x < 40; ++x) {
      CColor c = frame->getPixel(x, y);
      yellow += (c.red > 200 && c.green > 180 && c.blue < 80);
    }
  EXPECT_GT(yellow, 10);
}

TEST_F(ControlsTest, ListControlStepsDragsAndMenu) {
  std::vector<std::string> items = {"a", "-", "b", "|", "c"};
  CListControl* list = Add(new CListControl(CRect(10, 10, 60, 24), &rec, 7, kWhiteCColor, &items, 1.f, 0));
  EXPECT_EQ(list->GetSelectableEntries(), (std::vector<std::string>{"a", "b", "c"}));
  list->setValue(2.f);
  frame->simulateClick(CPoint(20, 15), kLButton);  // mode 0 wraps
  EXPECT_EQ(list->getValue(), 0.f);
  frame->simulateClick(CPoint(20, 15), kAlt | kLButton);
  EXPECT_EQ(list->getValue(), 2.f);
  frame->simulateClick(CPoint(20, 15), kControl | kLButton);
  EXPECT_EQ(list->getValue(), 1.f);

  CListControl* back = Add(new CListControl(CRect(100, 10, 150, 24), &rec, 8, kWhiteCColor, &items, 0.f, 1));
  back->setValue(0.f);
  frame->simulateClick(CPoint(110, 15), kLButton);  // mode 1 steps back and stops
  EXPECT_EQ(back->getValue(), 0.f);
  back->setValue(2.f);
  frame->simulateClick(CPoint(110, 15), kAlt | kLButton);
  EXPECT_EQ(back->getValue(), 2.f);

  // Drags: 25 px down moves two entries; exactly 10 px moves one and the
  // release adds the click step.
  std::vector<std::string> many = {"0", "1", "2", "3", "4", "5"};
  CListControl* drag = Add(new CListControl(CRect(200, 10, 250, 24), &rec, 9, kWhiteCColor, &many, 0.f, 0));
  frame->simulateDrag(CPoint(210, 15), CPoint(210, 40), kLButton, 5);
  EXPECT_EQ(drag->getValue(), 2.f);
  drag->setValue(0.f);
  frame->simulateDrag(CPoint(210, 15), CPoint(210, 25), kLButton, 1);
  EXPECT_EQ(drag->getValue(), 2.f);

  // Menu: three entries, a separator after the first, a column break
  // before the third; choosing the third gives 2.
  std::vector<std::vector<long>> flags;
  frame->setMenuChooser([&](COptionMenu* root, COptionMenu*& menu, long& index) {
    std::vector<long> f;
    for (long i = 0; i < root->getNbEntries(); ++i) f.push_back(root->getEntry(i)->getFlags());
    flags.push_back(f);
    return root->findEntry("c", menu, index);
  });
  list->setValue(0.f);
  frame->simulateClick(CPoint(20, 15), kRButton);
  EXPECT_EQ(list->getValue(), 2.f);
  ASSERT_EQ(flags.size(), 1u);
  ASSERT_EQ(flags[0].size(), 4u);
  EXPECT_TRUE(flags[0][0] & CMenuItem::kChecked);
  EXPECT_TRUE(flags[0][1] & CMenuItem::kSeparator);
  EXPECT_TRUE(flags[0][3] & CMenuItem::kColumnBreak);

  // Disabled: its text, no mouse.
  list->Disable("dens");
  frame->simulateClick(CPoint(20, 15), kLButton);
  EXPECT_EQ(list->getValue(), 2.f);
}

TEST_F(ControlsTest, ModeSelectorSegments) {
  CModeSelector* vertical = Add(new CModeSelector(CRect(10, 10, 40, 132), &rec, 1, nullptr, 3, 1.f, true));
  struct CASE {
    CCoord y;
    float segment;
  } cases[] = {{131, 0}, {93, 0}, {91, 1}, {53, 1}, {51, 2}, {11, 2}};
  for (const CASE& c : cases) {
    frame->simulateClick(CPoint(20, c.y), kLButton);
    EXPECT_EQ(vertical->getValue(), c.segment) << c.y;
  }
  frame->simulateClick(CPoint(20, 131), kControl | kLButton);
  EXPECT_EQ(vertical->getValue(), 1.f);
  CModeSelector* narrow = Add(new CModeSelector(CRect(100, 10, 102, 20), &rec, 2, nullptr, 3, 0.f, false));
  frame->simulateClick(CPoint(101, 15), kLButton);
  EXPECT_EQ(narrow->getValue(), 0.f);
}

TEST_F(ControlsTest, NumericListFormatsAndSteps) {
  struct CASE {
    bool bipolar, decimal;
    float value;
    const char* text;
  } cases[] = {{true, false, 0.5f, " 0"},     {true, false, 1.f, "+100"},  {true, true, 0.75f, "+50.0"},
               {false, false, 0.123f, "12"},  {false, true, 0.123f, "12.3"}, {true, true, 0.f, "-100"},
               {false, false, 2.f, "100"}};
  for (const CASE& c : cases) {
    CNumericList list(CRect(0, 0, 40, 14), nullptr, nullptr, 1, kWhiteCColor, c.bipolar, 0.f, c.decimal);
    list.setValue(c.value);
    EXPECT_EQ(list.FormatValue(), c.text) << c.value;
  }
  CNumericList* list = Add(new CNumericList(CRect(10, 10, 50, 24), &rec, &rec, 1, kWhiteCColor, true, 0.5f, true));
  list->setValue(0.5f);
  frame->simulateClick(CPoint(20, 15), kLButton);
  EXPECT_NEAR(list->getValue(), 0.5005f, 1e-6f);
  EXPECT_EQ(list->FormatValue(), "+0.1");
  frame->simulateClick(CPoint(20, 15), kControl | kLButton);
  EXPECT_FLOAT_EQ(list->getValue(), 0.5f);
  // Drag: one whole unit (0.005 bipolar) per 2.5 pixels with decimal.
  frame->simulateDrag(CPoint(20, 15), CPoint(20, 5), kLButton, 2);
  EXPECT_NEAR(list->getValue(), 0.52f, 1e-5f);
  EXPECT_GT(rec.Count(CONTROL_MSG_HOVER), 0u);
}

TEST_F(ControlsTest, XYPadAxesAndMenu) {
  CXYControl* pad = Add(new CXYControl(CRect(10, 10, 170, 170), &rec, &rec, TAG_MORPH_XY));
  pad->SetX(0.5f);
  pad->SetY(0.5f);
  frame->simulateClick(CPoint(50, 50), kControl | kLButton);
  EXPECT_EQ(pad->GetX(), 0.f);
  EXPECT_EQ(pad->GetY(), 0.f);
  frame->simulateDrag(CPoint(50, 100), CPoint(80, 70), kLButton | kAlt, 1);  // X frozen
  EXPECT_EQ(pad->GetX(), 0.f);
  EXPECT_NEAR(pad->GetY(), 0.2f, 1e-6f);
  frame->simulateDrag(CPoint(50, 100), CPoint(80, 70), kLButton | kShift, 1);  // Y frozen
  EXPECT_NEAR(pad->GetX(), 0.2f, 1e-6f);
  EXPECT_NEAR(pad->GetY(), 0.2f, 1e-6f);
  frame->simulateDrag(CPoint(50, 100), CPoint(80, 70), kLButton | kShift | kAlt, 1);
  EXPECT_NEAR(pad->GetX(), 0.2f, 1e-6f);
  EXPECT_NEAR(pad->GetY(), 0.2f, 1e-6f);
  rec.messages.clear();
  frame->simulateClick(CPoint(50, 50), kRButton);
  EXPECT_EQ(rec.Count(CONTROL_MSG_POPUP), 1u);
  EXPECT_NEAR(pad->GetX(), 0.2f, 1e-6f);
  EXPECT_EQ(rec.Count(CONTROL_MSG_HOVER), 0u);
}

TEST_F(ControlsTest, ScrollBarPagesStepsAndDrags) {
  CScrollBar* bar = Add(new CScrollBar(CRect(10, 10, 30, 210), &rec, 1, true, nullptr, true));
  bar->setScrollInfo(10, 20, 1);
  EXPECT_TRUE(bar->getAllFits());
  EXPECT_EQ(bar->getPageSize(), 9);
  EXPECT_EQ(bar->getOffset(), 0);
  EXPECT_EQ(bar->getHeaderSize(200), 200);

  bar->setScrollInfo(100, 20, 19);
  bar->setOffset(20);
  EXPECT_EQ(bar->getOffset(), 38);  // up to the next multiple of the step
  bar->setOffset(1000);
  EXPECT_EQ(bar->getOffset(), 80);  // clamped to content - page

  bar->setScrollInfo(100, 20, 1);
  bar->setOffset(0);
  frame->simulateClick(CPoint(20, 200), kLButton);  // below the thumb: one page
  EXPECT_EQ(bar->getOffset(), 20);
  bar->setOffset(0);
  // Thumb 40 px of 200: a drag over the 160 free pixels covers 0..80.
  frame->simulateDrag(CPoint(20, 20), CPoint(20, 180), kLButton, 4);
  EXPECT_EQ(bar->getOffset(), 80);
}

TEST_F(ControlsTest, PopupMenuColumnsAndResults) {
  CListControl* anchor = Add(new CListControl(CRect(10, 10, 60, 24), &rec, 7, kWhiteCColor, nullptr, 0.f, 0));
  CPopupMenu menu({"one", "-", "|", "four"}, 9);
  COptionMenu* options = menu.GetMenu();
  ASSERT_EQ(options->getNbEntries(), 3);
  EXPECT_TRUE(options->getEntry(1)->isSeparator());
  EXPECT_TRUE(options->getEntry(2)->isColumnBreak());
  EXPECT_FALSE(options->getEntry(0)->isChecked());  // current beyond the entries
  frame->setMenuChooser([](COptionMenu* root, COptionMenu*& m, long& index) { return root->findEntry("four", m, index); });
  EXPECT_EQ(menu.Popup(anchor), 1);
  frame->setMenuChooser(nullptr);
  EXPECT_EQ(menu.Popup(anchor), -1);
  EXPECT_EQ(menu.Popup(nullptr), -1);
}
