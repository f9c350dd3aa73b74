// The view framework driven headless: a frame with containers and controls,
// mouse and key events injected at frame coordinates, listener and edit
// notifications recorded, and the window's image checked pixel by pixel.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/vst/AudioEffectX.h"
#include "platform/vstgui/vstgui.h"
#include "support/TempDataDir.h"

namespace {

struct EVENT {
  std::string what;  // "value", "begin", "end"
  long tag;
  float value;
};

// Records listener calls and the edit gestures that reach the editor.
class CRecorder : public CControlListener, public VSTGUIEditorInterface {
 public:
  void valueChanged(CControl* control) override {
    events.push_back({"value", control->getTag(), control->getValue()});
  }
  void beginEdit(long index) override { events.push_back({"begin", index, 0}); }
  void endEdit(long index) override { events.push_back({"end", index, 0}); }

  std::vector<float> values(long tag) const {
    std::vector<float> v;
    for (const EVENT& e : events)
      if (e.what == "value" && e.tag == tag) v.push_back(e.value);
    return v;
  }
  int count(const std::string& what, long tag) const {
    int n = 0;
    for (const EVENT& e : events)
      if (e.what == what && e.tag == tag) n++;
    return n;
  }
  std::vector<EVENT> events;
};

// A vertical drag control: 100 pixels for the full range, drawn as a
// filled bar and a value dot.
class CDragControl : public CControl {
 public:
  CDragControl(const CRect& size, CControlListener* listener, long tag) : CControl(size, listener, tag) {}

  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    downPoint = where;
    beginEdit();
    startValue = value;
    return kMouseEventHandled;
  }
  CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override {
    moves++;
    if (!(buttons & kLButton)) return kMouseEventHandled;
    value = startValue + (float)(downPoint.v - where.v) / 100.f;
    bounceValue();
    if (isDirty() && listener) listener->valueChanged(this);
    if (isDirty()) invalid();
    return kMouseEventHandled;
  }
  CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override {
    endEdit();
    return kMouseEventHandled;
  }
  void draw(CDrawContext* context) override {
    context->setFillColor(CColor(40, 40, 40, 255));
    context->drawRect(size, kDrawFilled);
    CRect bar = size;
    bar.top = size.bottom - std::floor(size.height() * value);
    context->setFillColor(CColor(255, 228, 0, 255));
    context->drawRect(bar, kDrawFilled);
    setDirty(false);
  }

  CPoint downPoint;
  float startValue = 0;
  int moves = 0;
};

// Artwork for the tests: a switch strip of two frames (red off, green on)
// and a plain background.
void RegisterArtwork() {
  CBitmapResources::add("TestSwitch.png", 20, 40, [](CDrawContext& c, CCoord w, CCoord h) {
    c.setFillColor(CColor(200, 0, 0, 255));
    c.drawRect(CRect(0, 0, w, h / 2), kDrawFilled);
    c.setFillColor(CColor(0, 200, 0, 255));
    c.drawRect(CRect(0, h / 2, w, h), kDrawFilled);
  });
  CBitmapResources::add("TestBackground.png", 300, 200, [](CDrawContext& c, CCoord w, CCoord h) {
    c.setFillColor(CColor(10, 20, 60, 255));
    c.drawRect(CRect(0, 0, w, h), kDrawFilled);
    c.setFrameColor(CColor(90, 110, 160, 255));
    c.setLineWidth(1);
    for (int x = 10; x < w; x += 20) c.drawLine(CPoint(x, 0), CPoint(x, h - 1));
  });
}

const long LEFT_CLICK = kLButton;

// A frame of 300 x 200 with a panel at (100, 50) holding a drag control,
// a kick button and an on/off button, plus a label directly on the frame.
class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterArtwork();
    frame = new CFrame(CRect(0, 0, 300, 200), nullptr, &recorder);
    CBitmap* background = new CBitmap("TestBackground.png");
    frame->setBackground(background);
    background->forget();

    panel = new CViewContainer(CRect(100, 50, 280, 190), frame);
    panel->setBackgroundColor(CColor(70, 70, 70, 255));
    frame->addView(panel);

    drag = new CDragControl(CRect(10, 10, 30, 110), &recorder, 7);
    panel->addView(drag);
    CBitmap* strip = new CBitmap("TestSwitch.png");
    kick = new CKickButton(CRect(50, 10, 70, 30), &recorder, 68158, strip);
    panel->addView(kick);
    onOff = new COnOffButton(CRect(80, 10, 100, 30), &recorder, 422, strip);
    panel->addView(onOff);
    strip->forget();

    label = new CTextLabel(CRect(5, 5, 95, 25), "VERSION");
    label->setFontColor(kWhiteCColor);
    label->setTextTransparency(true);
    label->setStyle(kNoFrame);
    frame->addView(label);
  }
  void TearDown() override {
    delete frame;
    CBitmapResources::clear();
  }

  void click(CPoint p, long buttons = LEFT_CLICK) {
    frame->onMouseDown(p, buttons);
    frame->onMouseUp(p, buttons);
  }

  CRecorder recorder;
  CFrame* frame = nullptr;
  CViewContainer* panel = nullptr;
  CDragControl* drag = nullptr;
  CKickButton* kick = nullptr;
  COnOffButton* onOff = nullptr;
  CTextLabel* label = nullptr;
};

TEST_F(FrameTest, DragInANestedContainerUsesParentCoordinatesAndKeepsTheMouse) {
  // Frame point (120, 150) is panel point (20, 100): inside the control.
  CPoint p(120, 150);
  EXPECT_EQ(frame->onMouseDown(p, LEFT_CLICK), kMouseEventHandled);
  EXPECT_EQ(drag->downPoint, CPoint(20, 100));
  // Moves go to the pressed control even far outside it.
  for (int y = 140; y >= 0; y -= 10) {
    CPoint m(250, y);
    frame->onMouseMoved(m, LEFT_CLICK);
  }
  CPoint up(250, 0);
  frame->onMouseUp(up, LEFT_CLICK);

  EXPECT_FLOAT_EQ(drag->getValue(), 1.f);  // 150 pixels up, clamped
  std::vector<float> v = recorder.values(7);
  ASSERT_EQ(v.size(), 10u);  // 0.1 .. 1.0, then no change while clamped
  EXPECT_NEAR(v.front(), 0.1f, 1e-6);
  EXPECT_EQ(recorder.count("begin", 7), 1);
  EXPECT_EQ(recorder.count("end", 7), 1);
  EXPECT_EQ(recorder.events.front().what, "begin");
  EXPECT_EQ(recorder.events.back().what, "end");

  // After the up, moves without a pressed view are hover moves to the view
  // under the mouse only.
  int moves = drag->moves;
  CPoint away(20, 20);
  frame->onMouseMoved(away, 0);
  EXPECT_EQ(drag->moves, moves);
  CPoint over(115, 100);
  frame->onMouseMoved(over, 0);
  EXPECT_EQ(drag->moves, moves + 1);
}

TEST_F(FrameTest, KickButtonNotifiesPressAndReleaseAndOnOffToggles) {
  click(CPoint(155, 65));
  EXPECT_EQ(recorder.values(68158), (std::vector<float>{1.f, 0.f}));
  EXPECT_EQ(recorder.count("begin", 68158), 1);
  EXPECT_EQ(recorder.count("end", 68158), 1);

  // Released outside the button: the value drops when the mouse leaves.
  CPoint down(155, 65), outside(10, 10);
  frame->onMouseDown(down, LEFT_CLICK);
  frame->onMouseMoved(outside, LEFT_CLICK);
  frame->onMouseUp(outside, LEFT_CLICK);
  EXPECT_EQ(recorder.values(68158), (std::vector<float>{1.f, 0.f, 1.f, 0.f}));

  click(CPoint(185, 65));
  click(CPoint(185, 65));
  click(CPoint(185, 65), kRButton);  // only the left button toggles
  EXPECT_EQ(recorder.values(422), (std::vector<float>{1.f, 0.f}));
  EXPECT_EQ(onOff->getValue(), 0.f);
}

TEST_F(FrameTest, ClicksOutsideEveryControlAndOnHiddenViewsReachNothing) {
  click(CPoint(250, 150));  // panel background
  click(CPoint(20, 150));   // frame background
  drag->setVisible(false);
  click(CPoint(120, 150));
  onOff->setMouseEnabled(false);
  click(CPoint(185, 65));
  EXPECT_TRUE(recorder.events.empty());
}

TEST_F(FrameTest, RendersBackgroundBitmapsControlsAndText) {
  frame->render();
  // Frame background, outside the panel and the label.
  EXPECT_EQ(frame->getPixel(5, 150), CColor(10, 20, 60, 255));
  EXPECT_EQ(frame->getPixel(10, 150), CColor(90, 110, 160, 255));  // a grid line
  // Panel colour, and the switch's "off" frame (red).
  EXPECT_EQ(frame->getPixel(250, 150), CColor(70, 70, 70, 255));
  EXPECT_EQ(frame->getPixel(190, 70), CColor(200, 0, 0, 255));
  // The drag control at 0: no bar.
  EXPECT_EQ(frame->getPixel(120, 155), CColor(40, 40, 40, 255));
  // The label's text: some white-ish pixels inside its rectangle.
  int lit = 0;
  for (int y = 5; y < 25; y++)
    for (int x = 5; x < 95; x++)
      if (frame->getPixel(x, y).red > 150) lit++;
  EXPECT_GT(lit, 20);

  // Values change: the next idle redraws them.
  EXPECT_FALSE(frame->needsRedraw());
  long redraws = frame->getRedrawCount();
  onOff->setValue(1);
  drag->setValue(0.5f);
  EXPECT_TRUE(frame->needsRedraw());
  frame->idle();
  EXPECT_EQ(frame->getRedrawCount(), redraws + 1);
  EXPECT_EQ(frame->getPixel(190, 70), CColor(0, 200, 0, 255));
  EXPECT_EQ(frame->getPixel(120, 155), CColor(255, 228, 0, 255));
  EXPECT_EQ(frame->getPixel(120, 105), CColor(40, 40, 40, 255));
  frame->idle();
  EXPECT_EQ(frame->getRedrawCount(), redraws + 1);  // nothing dirty

  // Written into the test's own temporary folder, removed afterwards.
  CTempDataDir dir;
  EXPECT_TRUE(dir.Valid());
  const std::string path = dir.Path() + "/vstgui_frame.png";
  EXPECT_TRUE(frame->writePNG(path.c_str()));
  char signature[8] = {};
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    EXPECT_EQ(std::fread(signature, 1, 8, file), 8u);
    std::fclose(file);
  }
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
}

TEST_F(FrameTest, ChildDrawingIsClippedToItsRectangle) {
  // A control that paints far beyond its own rectangle.
  class CGreedy : public CView {
   public:
    using CView::CView;
    void draw(CDrawContext* c) override {
      c->setFillColor(CColor(255, 0, 255, 255));
      c->drawRect(CRect(-1000, -1000, 1000, 1000), kDrawFilled);
      setDirty(false);
    }
  };
  panel->addView(new CGreedy(CRect(120, 60, 140, 80)));
  frame->render();
  EXPECT_EQ(frame->getPixel(225, 115), CColor(255, 0, 255, 255));
  EXPECT_EQ(frame->getPixel(219, 115), CColor(70, 70, 70, 255));
  EXPECT_EQ(frame->getPixel(240, 115), CColor(70, 70, 70, 255));
  EXPECT_EQ(frame->getPixel(225, 131), CColor(70, 70, 70, 255));
}

TEST_F(FrameTest, CoordinatesConvertBetweenFrameAndNestedViews) {
  CViewContainer* inner = new CViewContainer(CRect(20, 30, 120, 130), frame);
  CView* leaf = new CView(CRect(5, 5, 10, 10));
  inner->addView(leaf);
  panel->addView(inner);
  CPoint p(5, 5);
  leaf->localToFrame(p);
  EXPECT_EQ(p, CPoint(125, 85));
  leaf->frameToLocal(p);
  EXPECT_EQ(p, CPoint(5, 5));
  EXPECT_EQ(leaf->getFrame(), frame);
  EXPECT_EQ(leaf->getEditor(), &recorder);
  EXPECT_EQ(frame->getViewAt(CPoint(126, 86), true), leaf);
  EXPECT_TRUE(frame->isChild(leaf, true));
  EXPECT_FALSE(frame->isChild(leaf));

  // Detached (not released), the subtree leaves the frame and can return.
  inner->remember();
  panel->removeView(inner);
  EXPECT_EQ(leaf->getFrame(), nullptr);
  EXPECT_EQ(leaf->getEditor(), nullptr);
  frame->addView(inner);
  EXPECT_EQ(leaf->getFrame(), frame);
  EXPECT_EQ(inner->getNbReference(), 1);
}

TEST_F(FrameTest, ListenerThatRemovesThePressedViewsPanelIsSafe) {
  // Like a close button: on release the listener detaches and releases the
  // panel that holds the button.
  class CCloser : public CControlListener {
   public:
    void valueChanged(CControl* control) override {
      if (control->getValue() == 0 && frame->isChild(panel)) frame->removeView(panel, true);
    }
    CFrame* frame;
    CViewContainer* panel;
  } closer;
  closer.frame = frame;
  closer.panel = panel;
  kick->setListener(&closer);
  click(CPoint(155, 65));
  EXPECT_FALSE(frame->isChild(panel));
  CPoint p(155, 65);
  frame->onMouseMoved(p, 0);
  frame->render();
}

class CObserver : public IMouseObserver {
 public:
  void onMouseEntered(CView* view, CFrame*) override { log.push_back("enter " + name(view)); }
  void onMouseExited(CView* view, CFrame*) override { log.push_back("exit " + name(view)); }
  CMouseEventResult onMouseDown(CFrame*, const CPoint&, const long&) override {
    log.push_back("down");
    return kMouseEventNotHandled;
  }
  std::string name(CView* v) {
    if (v->isTypeOf("CKickButton")) return "kick";
    if (v->isTypeOf("CViewContainer")) return "panel";
    if (v->isTypeOf("CControl")) return "control";
    return "view";
  }
  std::vector<std::string> log;
};

TEST_F(FrameTest, MouseObserverSeesEnterExitAndPresses) {
  CObserver observer;
  frame->setMouseObserver(&observer);
  CPoint a(250, 150), b(155, 65), c(20, 150);
  frame->onMouseMoved(a, 0);
  frame->onMouseMoved(b, 0);
  frame->onMouseMoved(c, 0);
  frame->onMouseDown(c, LEFT_CLICK);
  frame->onMouseUp(c, LEFT_CLICK);
  EXPECT_EQ(observer.log, (std::vector<std::string>{"enter panel", "exit panel", "enter kick", "exit kick",
                                                    "down"}));
  frame->setMouseObserver(nullptr);
}

TEST(ControlTest, DirtyMeansNotDrawnSinceTheLastChange) {
  CRecorder recorder;
  CControl control(CRect(0, 0, 10, 10), &recorder, 3);
  EXPECT_TRUE(control.isDirty());  // never drawn
  control.setDirty(false);
  EXPECT_FALSE(control.isDirty());
  control.setValue(0.25f);
  EXPECT_TRUE(control.isDirty());
  control.setDirty(false);

  control.setDefaultValue(0.75f);
  EXPECT_FALSE(control.checkDefaultValue(kLButton));
  EXPECT_FALSE(control.checkDefaultValue(kControl | kLButton | kShift));
  EXPECT_TRUE(control.checkDefaultValue(kControl | kLButton));
  EXPECT_EQ(recorder.values(3), (std::vector<float>{0.75f}));
  control.setDirty(false);
  EXPECT_TRUE(control.checkDefaultValue(kControl | kLButton));  // already there: no notification
  EXPECT_EQ(recorder.values(3).size(), 1u);

  struct Case {
    float value, expected;
  } cases[] = {{-0.5f, 0.f}, {1.5f, 1.f}, {0.3f, 0.3f}, {NAN, 0.f}};
  for (const Case& c : cases) {
    control.setValue(c.value);
    control.bounceValue();
    EXPECT_FLOAT_EQ(control.getValue(), c.expected) << c.value;
  }
  EXPECT_TRUE(control.isTypeOf("CControl"));
  EXPECT_TRUE(control.isTypeOf("CView"));
  EXPECT_FALSE(control.isTypeOf("CKickButton"));
}

// ---------------------------------------------------------------------------
// Menus

class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame = new CFrame(CRect(0, 0, 200, 200), nullptr, nullptr);
    menu = new COptionMenu(CRect(0, 0, 0, 0), &recorder, -1);
    sub = new COptionMenu(CRect(0, 0, 0, 0), nullptr, 34907095);
    sub->addEntry("LFO 1");
    sub->addEntry("LFO 2");
    sub->addSeparator();
    sub->addEntry("Env 1", -1, CMenuItem::kColumnBreak);
    menu->addEntry(sub, "Add modulation");
    menu->addEntry("Clear All");
    menu->addEntry("-");
    menu->addEntry("Start Midi Learn");
    menu->addEntry("Paste", -1, CMenuItem::kDisabled);
  }
  void TearDown() override {
    sub->forget();
    menu->forget();
    delete frame;
  }

  // Shows the menu the way the editor does: attached to the frame, given
  // the focus, detached again.
  COptionMenu* show(long& tag, long& index) {
    frame->addView(menu);
    frame->setFocusView(menu);
    frame->removeView(menu, false);
    long idx = -1;
    COptionMenu* chosen = menu->getLastItemMenu(idx);
    tag = chosen ? chosen->getTag() : -1;
    index = chosen ? chosen->getCurrent(nullptr, false) : -1;
    return chosen;
  }
  void choose(const char* title) {
    std::string t = title;
    frame->setMenuChooser([t](COptionMenu* root, COptionMenu*& m, long& i) {
      return root->findEntry(t.c_str(), m, i);
    });
  }

  CRecorder recorder;
  CFrame* frame = nullptr;
  COptionMenu* menu = nullptr;
  COptionMenu* sub = nullptr;
};

TEST_F(MenuTest, ChoiceReportsHoldingMenuAndIndexWithoutSeparators) {
  struct Case {
    const char* title;
    long tag, index;
  } cases[] = {
      {"Clear All", -1, 1},
      {"Start Midi Learn", -1, 2},  // the separator before it is not counted
      {"LFO 2", 34907095, 1},
      {"Env 1", 34907095, 2},
  };
  for (const Case& c : cases) {
    choose(c.title);
    long tag = 0, index = 0;
    COptionMenu* chosen = show(tag, index);
    ASSERT_NE(chosen, nullptr) << c.title;
    EXPECT_EQ(tag, c.tag) << c.title;
    EXPECT_EQ(index, c.index) << c.title;
    char text[256];
    chosen->getCurrent(text);
    EXPECT_STREQ(text, c.title);
  }
  EXPECT_EQ(recorder.values(-1).size(), 4u);
  EXPECT_EQ(frame->getFocusView(), nullptr);
  EXPECT_EQ(menu->getNbReference(), 1);  // the frame let it go
  EXPECT_TRUE(sub->getEntry(3)->isColumnBreak());
}

TEST_F(MenuTest, DismissedDisabledOrMissingChoicesReportNothing) {
  const char* titles[] = {"Paste", "-", "No such entry", "Add modulation"};
  for (const char* title : titles) {
    choose(title);
    long tag = 0, index = 0;
    EXPECT_EQ(show(tag, index), nullptr) << title;
    EXPECT_EQ(tag, -1);
    EXPECT_EQ(index, -1);
  }
  frame->setMenuChooser(nullptr);
  long tag = 0, index = 0;
  EXPECT_EQ(show(tag, index), nullptr);
  // A chooser answering with a menu from elsewhere is refused.
  COptionMenu other;
  other.addEntry("x");
  frame->setMenuChooser([&](COptionMenu*, COptionMenu*& m, long& i) {
    m = &other;
    i = 0;
    return true;
  });
  EXPECT_EQ(show(tag, index), nullptr);
  EXPECT_TRUE(recorder.events.empty());
}

TEST_F(MenuTest, CurrentEntryAndCheckMarks) {
  EXPECT_EQ(menu->getNbEntries(), 5);
  EXPECT_TRUE(menu->setCurrent(2, false));  // "Start Midi Learn"
  EXPECT_EQ(menu->getCurrent(), 3);
  EXPECT_EQ(menu->getCurrent(nullptr, false), 2);
  EXPECT_FALSE(menu->setCurrent(2));  // the separator
  EXPECT_FALSE(menu->setCurrent(9));
  EXPECT_EQ(menu->getCurrent(), 3);
  EXPECT_TRUE(menu->checkEntry(1, true));
  EXPECT_TRUE(menu->isCheckEntry(1));
  EXPECT_TRUE(menu->checkEntryAlone(3));
  EXPECT_FALSE(menu->isCheckEntry(1));
  EXPECT_EQ(menu->getIndex("Clear All"), 1);
  EXPECT_EQ(menu->getSubMenu(0), sub);
  EXPECT_TRUE(menu->removeEntry(0));
  EXPECT_EQ(menu->getCurrent(), 2);
  menu->removeAllEntry();
  EXPECT_EQ(menu->getCurrent(), -1);
  EXPECT_EQ(sub->getNbReference(), 1);
}

// ---------------------------------------------------------------------------
// Timers

unsigned long g_now = 1000;
unsigned long FakeClock() { return g_now; }

class CTicker : public CBaseObject {
 public:
  CMessageResult notify(CBaseObject* sender, const char* message) override {
    if (message != CVSTGUITimer::kMsgTimer) return kMessageUnknown;
    ticks++;
    if (deleteOnTick) {
      deleteOnTick->forget();
      deleteOnTick = nullptr;
    }
    return kMessageNotified;
  }
  int ticks = 0;
  CVSTGUITimer* deleteOnTick = nullptr;
};

TEST(TimerTest, FiresEveryPeriodWhileRunning) {
  CVSTGUITimer::setClock(FakeClock);
  g_now = 1000;
  CTicker ticker;
  CVSTGUITimer* timer = new CVSTGUITimer(&ticker, 50);
  EXPECT_TRUE(timer->start());
  EXPECT_FALSE(timer->start());
  struct Step {
    unsigned long time;
    int ticks;
  } steps[] = {{1049, 0}, {1050, 1}, {1060, 1}, {1100, 2}, {1400, 3}, {1449, 3}, {1450, 4}};
  for (const Step& s : steps) {
    g_now = s.time;
    CVSTGUITimer::runDueTimers();
    EXPECT_EQ(ticker.ticks, s.ticks) << s.time;
  }
  timer->stop();
  g_now += 1000;
  EXPECT_EQ(CVSTGUITimer::runDueTimers(), 0);

  // A tick that releases the timer itself.
  timer->start();
  ticker.deleteOnTick = timer;
  g_now += 50;
  EXPECT_EQ(CVSTGUITimer::runDueTimers(), 1);
  EXPECT_EQ(CVSTGUITimer::getRunningCount(), 0);
  CVSTGUITimer::setClock(nullptr);
}

TEST(TimerTest, AFrameIdleRunsOnlyItsOwnTimers) {
  CVSTGUITimer::setClock(FakeClock);
  g_now = 5000;
  CTicker mine, other, loose;
  CFrame frame(CRect(0, 0, 10, 10), nullptr, nullptr);
  CFrame* second = new CFrame(CRect(0, 0, 10, 10), nullptr, nullptr);
  CVSTGUITimer timer(&mine, 50, &frame);
  CVSTGUITimer otherTimer(&other, 50, second);
  CVSTGUITimer looseTimer(&loose, 50);
  timer.start();
  otherTimer.start();
  looseTimer.start();
  EXPECT_EQ(timer.getFrame(), &frame);
  frame.idle();
  EXPECT_EQ(mine.ticks, 0);
  g_now += 50;
  frame.idle();
  EXPECT_EQ(mine.ticks, 1);
  // Neither the other frame's timer nor a timer without a frame ran.
  EXPECT_EQ(other.ticks, 0);
  EXPECT_EQ(loose.ticks, 0);
  second->idle();
  EXPECT_EQ(other.ticks, 1);
  EXPECT_EQ(mine.ticks, 1);
  EXPECT_EQ(CVSTGUITimer::runDueTimers(), 1);
  EXPECT_EQ(loose.ticks, 1);
  // A frame that goes away stops its timers.
  delete second;
  EXPECT_FALSE(otherTimer.isRunning());
  EXPECT_TRUE(timer.isRunning());
  g_now += 500;
  frame.idle();
  EXPECT_EQ(mine.ticks, 2);
  EXPECT_EQ(other.ticks, 1);
  timer.stop();
  looseTimer.stop();
  CVSTGUITimer::setClock(nullptr);
}

class CCountingTicker : public CBaseObject {
 public:
  CMessageResult notify(CBaseObject*, const char* message) override {
    if (message != CVSTGUITimer::kMsgTimer) return kMessageUnknown;
    ticks++;
    return kMessageNotified;
  }
  std::atomic<int> ticks{0};
};

// Two frames idled on two threads while timers of a third start and stop
// on another: each frame runs its own timer only, and the shared list
// survives the traffic.
TEST(TimerTest, FramesIdledOnSeveralThreadsKeepTheirOwnTimers) {
  CCountingTicker tickers[2];
  CFrame* frames[2] = {new CFrame(CRect(0, 0, 10, 10), nullptr, nullptr),
                       new CFrame(CRect(0, 0, 10, 10), nullptr, nullptr)};
  CVSTGUITimer* timers[2] = {new CVSTGUITimer(&tickers[0], 1, frames[0]), new CVSTGUITimer(&tickers[1], 1, frames[1])};
  for (CVSTGUITimer* t : timers) t->start();
  std::atomic<bool> stop{false};
  auto idle = [&](int k) {
    while (!stop.load()) frames[k]->idle();
  };
  std::thread a(idle, 0), b(idle, 1);
  CFrame third(CRect(0, 0, 10, 10), nullptr, nullptr);
  CCountingTicker churn;
  for (int k = 0; k < 2000; ++k) {
    CVSTGUITimer* t = new CVSTGUITimer(&churn, 1, &third);
    t->start();
    if (k % 3 == 0) std::this_thread::yield();
    t->forget();
  }
  // Both frames keep ticking until each has run its timer a few times.
  while (tickers[0].ticks < 3 || tickers[1].ticks < 3) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  stop = true;
  a.join();
  b.join();
  EXPECT_EQ(churn.ticks.load(), 0);
  for (int k = 0; k < 2; ++k) {
    timers[k]->forget();
    frames[k]->forget();
  }
}

// ---------------------------------------------------------------------------
// Bitmaps and contexts

TEST(BitmapTest, NamedArtworkIsDrawnOnceAndSharedUnknownNamesAreEmpty) {
  int paints = 0;
  CBitmapResources::add("Counted.png", 8, 4, [&](CDrawContext& c, CCoord w, CCoord h) {
    paints++;
    c.setFillColor(CColor(1, 2, 3, 255));
    c.drawRect(CRect(0, 0, w, h), kDrawFilled);
  });
  CBitmap a("Counted.png"), b("Counted.png");
  EXPECT_EQ(b.getWidth(), 8);  // the registered size, without drawing
  EXPECT_EQ(paints, 0);        // drawn at first use, not when made
  EXPECT_TRUE(a.isLoaded());
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(a.getWidth(), 8);
  EXPECT_EQ(a.getHeight(), 4);
  EXPECT_EQ(a.getSurface(), b.getSurface());
  EXPECT_EQ(paints, 1);

  CBitmapResources::add("Counted.png", 8, 4, [&](CDrawContext&, CCoord, CCoord) { paints += 10; });
  CBitmap c("Counted.png");
  EXPECT_TRUE(c.isLoaded());
  EXPECT_EQ(paints, 11);
  EXPECT_EQ(a.getWidth(), 8);  // the old image stays with its bitmaps

  CBitmap missing("NoSuchArtwork.png");
  EXPECT_FALSE(missing.isLoaded());
  EXPECT_EQ(missing.getWidth(), 0);
  COffscreenContext context(4, 4);
  missing.draw(&context, CRect(0, 0, 4, 4));  // draws nothing, fails nothing
  EXPECT_EQ(context.getPoint(CPoint(1, 1)).alpha, 0);
  CBitmap escape("../etc/passwd");
  EXPECT_FALSE(escape.isLoaded());

  CBitmapResources::add("Bad.png", 0, 10, nullptr);  // refused
  EXPECT_FALSE(CBitmapResources::has("Bad.png"));
  CBitmapResources::clear();
  EXPECT_FALSE(CBitmapResources::has("Counted.png"));
}

TEST(DrawContextTest, ShapesClipOffsetAndStateRestore) {
  COffscreenContext c(40, 40, kBlackCColor);
  c.setOffset(CPoint(10, 10));
  c.setClipRect(CRect(0, 0, 20, 20));  // surface 10..30
  c.setFillColor(kWhiteCColor);
  c.drawRect(CRect(-10, -10, 100, 100), kDrawFilled);
  c.setOffset(CPoint());
  EXPECT_EQ(c.getPoint(CPoint(10, 10)), kWhiteCColor);
  EXPECT_EQ(c.getPoint(CPoint(29, 29)), kWhiteCColor);
  EXPECT_EQ(c.getPoint(CPoint(30, 30)), kBlackCColor);
  EXPECT_EQ(c.getPoint(CPoint(9, 20)), kBlackCColor);
  CRect clip;
  c.getClipRect(clip);
  EXPECT_EQ(clip, CRect(10, 10, 30, 30));

  c.saveGlobalState();
  c.setFrameColor(kRedCColor);
  c.setLineWidth(3);
  c.setDrawMode(kAntialias);
  c.resetClipRect();
  c.restoreGlobalState();
  EXPECT_EQ(c.getFrameColor(), kBlackCColor);
  EXPECT_EQ(c.getLineWidth(), 1);
  EXPECT_EQ(c.getDrawMode(), kCopyMode);
  c.getClipRect(clip);
  EXPECT_EQ(clip, CRect(10, 10, 30, 30));

  // A one-pixel frame lies on the rectangle's inner edge.
  COffscreenContext f(20, 20, kBlackCColor);
  f.setFrameColor(kRedCColor);
  f.drawRect(CRect(2, 2, 12, 12));
  EXPECT_EQ(f.getPoint(CPoint(2, 2)), kRedCColor);
  EXPECT_EQ(f.getPoint(CPoint(11, 11)), kRedCColor);
  EXPECT_EQ(f.getPoint(CPoint(12, 12)), kBlackCColor);
  EXPECT_EQ(f.getPoint(CPoint(6, 6)), kBlackCColor);

  // A filled arc from 0 to 90 degrees covers the lower right quarter.
  COffscreenContext a(40, 40, kBlackCColor);
  a.setFillColor(kWhiteCColor);
  a.drawArc(CRect(0, 0, 40, 40), 90, 0, kDrawFilled);
  EXPECT_EQ(a.getPoint(CPoint(30, 30)), kWhiteCColor);
  EXPECT_EQ(a.getPoint(CPoint(10, 30)), kBlackCColor);
  EXPECT_EQ(a.getPoint(CPoint(30, 10)), kBlackCColor);

  // Copying an off-screen image into another context at an offset.
  COffscreenContext dest(40, 40, kBlackCColor);
  a.copyFrom(&dest, CRect(0, 0, 20, 20), CPoint(20, 20));
  EXPECT_EQ(dest.getPoint(CPoint(10, 10)), kWhiteCColor);
  EXPECT_EQ(dest.getPoint(CPoint(25, 25)), kBlackCColor);
}

// ---------------------------------------------------------------------------
// Editor base

std::vector<VstInt32> g_hostOpcodes;
VstIntPtr RecordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float) {
  g_hostOpcodes.push_back(opcode);
  g_hostOpcodes.push_back(index);
  return 1;
}

class CEffect : public AudioEffectX {
 public:
  CEffect() : AudioEffectX(RecordingHost, 1, 4) {}
  void processReplacing(float**, float**, VstInt32) override {}
};

class CGuiEditor : public AEffGUIEditor {
 public:
  explicit CGuiEditor(AudioEffect* effect) : AEffGUIEditor(effect) { rect = {0, 0, 100, 200}; }
  bool open(void* parent) override {
    AEffGUIEditor::open(parent);
    frame = new CFrame(CRect(0, 0, 200, 100), parent, this);
    return true;
  }
  void close() override {
    delete frame;
    frame = nullptr;
    AEffGUIEditor::close();
  }
};

TEST(EditorBaseTest, RectEditGesturesAndIdleReachEffectAndFrame) {
  CEffect effect;
  CGuiEditor editor(&effect);
  ERect* r = nullptr;
  EXPECT_FALSE(editor.getRect(nullptr));
  EXPECT_TRUE(editor.getRect(&r));
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->right, 200);
  EXPECT_EQ(r->bottom, 100);

  int window = 0;
  editor.open(&window);
  ASSERT_NE(editor.getFrame(), nullptr);
  EXPECT_TRUE(editor.isOpen());
  CRecorder listener;
  CKickButton* button = new CKickButton(CRect(0, 0, 20, 20), &listener, 3, nullptr);
  editor.getFrame()->addView(button);
  g_hostOpcodes.clear();
  CPoint p(5, 5);
  editor.getFrame()->onMouseDown(p, kLButton);
  editor.getFrame()->onMouseUp(p, kLButton);
  EXPECT_EQ(g_hostOpcodes, (std::vector<VstInt32>{audioMasterBeginEdit, 3, audioMasterEndEdit, 3}));
  long redraws = editor.getFrame()->getRedrawCount();
  editor.idle();
  EXPECT_EQ(editor.getFrame()->getRedrawCount(), redraws + 1);
  VstKeyCode key = {0, VKEY_UP, 0};
  EXPECT_FALSE(editor.onKeyDown(key));  // nobody uses keys here
  editor.close();
  EXPECT_FALSE(editor.isOpen());
  editor.idle();  // closed: nothing to do
}

// Two instances of the plug-in: a host that sets one editor's knob mode
// leaves the other's as it was.
TEST(EditorBaseTest, KnobModeBelongsToEachEditor) {
  CEffect effectA, effectB;
  CGuiEditor a(&effectA), b(&effectB);
  EXPECT_EQ(a.getKnobMode(), kLinearMode);
  EXPECT_TRUE(a.setKnobMode(kCircularMode));
  EXPECT_EQ(a.getKnobMode(), kCircularMode);
  EXPECT_EQ(b.getKnobMode(), kLinearMode);
  EXPECT_TRUE(b.setKnobMode(kRelativCircularMode));
  EXPECT_EQ(a.getKnobMode(), kCircularMode);
}

}  // namespace

namespace {

// Arrow keys step the value by the wheel increment.
class CKeyControl : public CControl {
 public:
  CKeyControl(const CRect& size, CControlListener* listener, long tag) : CControl(size, listener, tag) {
    setWantsFocus(true);
  }
  CMouseEventResult onMouseDown(CPoint&, const long&) override { return kMouseDownEventHandledButDontNeedMovedOrUpEvents; }
  long onKeyDown(VstKeyCode& key) override {
    if (key.virt != VKEY_UP && key.virt != VKEY_DOWN) return -1;
    value += (key.virt == VKEY_UP ? 1 : -1) * wheelInc;
    bounceValue();
    if (listener) listener->valueChanged(this);
    return 1;
  }
};

TEST(FocusTest, PressGivesFocusToViewsThatWantItAndKeysGoThere) {
  CRecorder recorder;
  CFrame frame(CRect(0, 0, 100, 100), nullptr, nullptr);
  CKeyControl* a = new CKeyControl(CRect(0, 0, 40, 40), &recorder, 1);
  CKeyControl* b = new CKeyControl(CRect(50, 50, 90, 90), &recorder, 2);
  CView* plain = new CView(CRect(0, 50, 40, 90));
  frame.addView(a);
  frame.addView(b);
  frame.addView(plain);
  VstKeyCode up = {0, VKEY_UP, 0}, other = {'a', 0, 0};
  // No focus and the mouse over nothing: nobody takes the key.
  EXPECT_EQ(frame.onKeyDown(up), -1);
  frame.simulateClick(CPoint(10, 10));
  EXPECT_EQ(frame.getFocusView(), a);
  EXPECT_EQ(frame.onKeyDown(up), 1);
  EXPECT_EQ(frame.onKeyDown(other), -1);
  frame.simulateClick(CPoint(10, 60));  // a plain view keeps the focus where it was
  EXPECT_EQ(frame.getFocusView(), a);
  frame.simulateClick(CPoint(60, 60));
  EXPECT_EQ(frame.getFocusView(), b);
  frame.onKeyDown(up);
  EXPECT_EQ(recorder.values(1), (std::vector<float>{0.1f}));
  EXPECT_EQ(recorder.values(2), (std::vector<float>{0.1f}));
  frame.removeView(b);
  EXPECT_EQ(frame.getFocusView(), nullptr);
}

}  // namespace
