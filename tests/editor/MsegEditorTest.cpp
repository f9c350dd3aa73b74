// The MSEG editor against a real instrument: the points it writes are the
// parameters the envelope generator reads (sorted by time, -1 ends the
// list), mouse gestures add, move and erase points, and the curve draws.

#include <cmath>
#include <cstdlib>

#include "editor/pages/MsegEditor.h"
#include "editor/pages/Pages.h"
#include "tests/editor/EditorFixture.h"

namespace {

const unsigned int T = CMsegControl::PARAM_TIME, L = CMsegControl::PARAM_LEVEL, C = CMsegControl::PARAM_CURVE;
const unsigned int STRIDE = CMsegControl::POINT_STRIDE;

class CMsegEditorTest : public CEditorTest {
 protected:
  void SetUp() override {
    CEditorTest::SetUp();
    mseg = new CMsegControl(commands, CRect(0, 0, 288, 86), nullptr, 68269);
  }
  void TearDown() override {
    mseg->forget();
    CEditorTest::TearDown();
  }
  // Writes the given times (levels rising 0.1 per point) into MSEG m, then
  // lets the control read them.
  void Load(unsigned int m, const std::vector<float>& times, int loopStart = 0, int loopEnd = 1) {
    for (unsigned int k = 0; k < 64; k++) {
      commands->SetFloatParam(T + STRIDE * m + k, k < times.size() ? times[k] : -1.f);
      commands->SetFloatParam(L + STRIDE * m + k, k < times.size() ? 0.1f * k : 0.f);
      commands->SetFloatParam(C + STRIDE * m + k, 0.f);
    }
    commands->SetIntParam(CMsegControl::PARAM_LOOP_START + m, loopStart);
    commands->SetIntParam(CMsegControl::PARAM_LOOP_END + m, loopEnd);
    mseg->SetInstance(m);
  }
  // The times stored in the parameters up to the -1 terminator; checks the
  // terminator and the cleared tail.
  std::vector<float> StoredTimes(unsigned int m) {
    std::vector<float> out;
    unsigned int k = 0;
    for (; k < 64; k++) {
      float t = commands->GetFloatParam(T + STRIDE * m + k);
      if (t == -1.f) break;
      out.push_back(t);
    }
    for (; k < 64; k++) EXPECT_EQ(commands->GetFloatParam(T + STRIDE * m + k), -1.f) << k;
    return out;
  }
  CPoint At(float time, float level) { return CPoint(mseg->TimeToX(time), mseg->LevelToY(level)); }
  void Drag(CPoint from, CPoint to, long buttons = kLButton) {
    mseg->onMouseDown(from, buttons);
    mseg->onMouseMoved(to, buttons);
    mseg->onMouseUp(to, 0);
  }

  CMsegControl* mseg = nullptr;
};

TEST_F(CMsegEditorTest, ReadsUpToTheTerminatorAndSortsByTime) {
  Load(2, {0.f, 4.f, -1.f, 3.f, 2.f});
  ASSERT_EQ(mseg->GetPoints().size(), 2u);
  Load(1, {0.f, 5.f, 2.f});
  ASSERT_EQ(mseg->GetPoints().size(), 3u);
  EXPECT_EQ(mseg->GetPoints()[1].time, 2.f);
  EXPECT_FLOAT_EQ(mseg->GetPoints()[1].level, 0.2f);  // the level travels with its time
  // Another instance's parameters are untouched by storing this one.
  mseg->StoreMseg();
  EXPECT_EQ(StoredTimes(1), (std::vector<float>{0.f, 2.f, 5.f}));
  EXPECT_EQ(commands->GetFloatParam(T + STRIDE * 2 + 3), 3.f);
}

TEST_F(CMsegEditorTest, HostileValuesAreClampedAndDrawSafely) {
  Load(0, {0.f, 1e30f, NAN, -5.f}, 40, 900);
  const std::vector<MSEG_POINT>& p = mseg->GetPoints();
  ASSERT_EQ(p.size(), 4u);
  for (const MSEG_POINT& q : p) {
    EXPECT_GE(q.time, 0.f);
    EXPECT_LE(q.time, 16.f);
  }
  EXPECT_EQ(p.back().time, 16.f);
  COffscreenContext context(288, 86);
  mseg->draw(&context);  // loop markers naming no point draw no loop
  CPoint where(mseg->TimeToX(8.f), 60);
  Drag(where, CPoint(where.h + 30, where.v));
  SUCCEED();
}

TEST_F(CMsegEditorTest, RightClickAddsSortedPointsAndMovesTheLoop) {
  Load(3, {0.f, 2.f, 8.f}, 1, 2);
  CPoint where = At(4.f, 0.5f);
  mseg->onMouseDown(where, kRButton);
  mseg->onMouseUp(where, 0);
  std::vector<float> times = StoredTimes(3);
  ASSERT_EQ(times.size(), 4u);
  EXPECT_EQ(times[0], 0.f);
  EXPECT_EQ(times[1], 2.f);
  EXPECT_NEAR(times[2], 4.f, 0.1f);
  EXPECT_EQ(times[3], 8.f);
  EXPECT_NEAR(commands->GetFloatParam(L + STRIDE * 3 + 2), 0.5f, 0.05f);
  // Inserted inside the loop: only its end moves.
  EXPECT_EQ(mseg->GetLoopStart(), 1);
  EXPECT_EQ(mseg->GetLoopEnd(), 3);
  EXPECT_EQ(commands->GetIntParam(CMsegControl::PARAM_LOOP_END + 3), 3u);

  // A point of an existing time goes after that point; before the loop
  // both markers move.
  MSEG_POINT p = {2.f, 0.9f, 0.f};
  mseg->AddPoint(p);
  EXPECT_EQ(mseg->GetPoints()[1].level, 0.1f);
  EXPECT_EQ(mseg->GetPoints()[2].level, 0.9f);
  EXPECT_EQ(mseg->GetLoopStart(), 1);
  EXPECT_EQ(mseg->GetLoopEnd(), 4);
  MSEG_POINT first = {0.f, 0.7f, 0.f};
  mseg->AddPoint(first);
  EXPECT_EQ(mseg->GetLoopStart(), 2);
  EXPECT_EQ(mseg->GetLoopEnd(), 5);
}

TEST_F(CMsegEditorTest, SixtyFourPointsTakeNoMore) {
  std::vector<float> times;
  for (int k = 0; k < 64; k++) times.push_back(k * 0.25f);
  Load(0, times);
  ASSERT_EQ(mseg->GetPoints().size(), 64u);
  commands->SetFloatParam(T + 5, 1.3f);  // a marker: a store would overwrite it
  CPoint empty = At(15.9f, 0.95f);
  mseg->onMouseDown(empty, kRButton);
  EXPECT_EQ(mseg->GetPoints().size(), 64u);
  EXPECT_EQ(commands->GetFloatParam(T + 5), 1.3f);
}

TEST_F(CMsegEditorTest, RemovingKeepsEndsAndAdjustsTheLoop) {
  Load(0, {0.f, 1.f, 2.f, 3.f, 4.f}, 2, 3);
  // First and last points stay; the gesture still becomes an erase.
  for (float t : {0.f, 4.f}) {
    CPoint where = At(t, 0.1f * t);
    mseg->onMouseDown(where, kRButton);
    EXPECT_EQ(mseg->GetDragMode(), CMsegControl::DRAG_ERASE);
    EXPECT_EQ(mseg->GetPoints().size(), 5u);
  }
  // Removing the loop start moves both markers down.
  mseg->RemovePoint(2);
  EXPECT_EQ(StoredTimes(0), (std::vector<float>{0.f, 1.f, 3.f, 4.f}));
  EXPECT_EQ(mseg->GetLoopStart(), 1);
  EXPECT_EQ(mseg->GetLoopEnd(), 2);
  // Removing the loop end leaves its index alone.
  mseg->RemovePoint(2);
  EXPECT_EQ(StoredTimes(0), (std::vector<float>{0.f, 1.f, 4.f}));
  EXPECT_EQ(mseg->GetLoopStart(), 1);
  EXPECT_EQ(mseg->GetLoopEnd(), 2);
}

TEST_F(CMsegEditorTest, RightDragErasesThePointsItPasses) {
  Load(0, {0.f, 1.f, 2.f, 3.f});
  CPoint down = At(3.5f, 0.9f);
  CPoint p1(mseg->TimeToX(1.f), mseg->LevelToY(0.1f));
  CPoint p2(mseg->TimeToX(2.f), mseg->LevelToY(0.2f));
  mseg->onMouseDown(p2, kRButton);
  mseg->onMouseMoved(p1, kRButton);
  mseg->onMouseUp(down, 0);
  EXPECT_EQ(StoredTimes(0), (std::vector<float>{0.f, 3.f}));
}

TEST_F(CMsegEditorTest, DraggingPointsShiftsTheTailUpToTheEnd) {
  int pps = mseg->GetPixelsPerStep();
  ASSERT_EQ(pps, 18);
  // Unlocked: the following points move along; the shift stops at 16.
  Load(0, {0.f, 1.f, 2.f, 15.f});
  CPoint from(mseg->TimeToX(2.f), mseg->LevelToY(0.2f));
  Drag(from, CPoint(from.h + 2 * pps, from.v));
  EXPECT_EQ(StoredTimes(0), (std::vector<float>{0.f, 1.f, 3.f, 16.f}));
  // Locked: the point stays between its neighbours.
  Load(0, {0.f, 1.f, 2.f, 15.f});
  mseg->SetLock(true);
  Drag(from, CPoint(from.h + 20 * pps, from.v));
  EXPECT_EQ(StoredTimes(0), (std::vector<float>{0.f, 1.f, 15.f, 15.f}));
  Drag(CPoint(mseg->TimeToX(15.f), mseg->LevelToY(0.2f)), CPoint(0, mseg->LevelToY(0.2f)));
  EXPECT_EQ(StoredTimes(0), (std::vector<float>{0.f, 1.f, 1.f, 15.f}));
  // Point 0 keeps its time; only its level follows.
  Load(0, {0.f, 1.f, 2.f});
  CPoint zero(mseg->TimeToX(0.f), mseg->LevelToY(0.f));
  Drag(zero, CPoint(zero.h + 3 * pps, mseg->LevelToY(0.5f)));
  EXPECT_EQ(StoredTimes(0), (std::vector<float>{0.f, 1.f, 2.f}));
  EXPECT_NEAR(commands->GetFloatParam(L), 0.5f, 0.03f);
}

TEST_F(CMsegEditorTest, SnappingTakesTheFloor) {
  mseg->SetTimeSnapping(3);  // 1/4
  EXPECT_FLOAT_EQ(mseg->QuantizePosition(1.3f), 1.25f);
  mseg->SetLevelSnapping(7);  // one octave: twelve steps
  EXPECT_FLOAT_EQ(mseg->QuantizeLevel(0.5f), 6.f / 12.f);
  EXPECT_FLOAT_EQ(mseg->QuantizeLevel(0.49f), 5.f / 12.f);
  mseg->SetTimeSnapping(0);
  EXPECT_FLOAT_EQ(mseg->QuantizePosition(1.3f), 1.3f);
  // A dragged time snaps as well.
  Load(0, {0.f, 1.f, 4.f});
  mseg->SetTimeSnapping(3);
  mseg->SetLock(true);
  CPoint from(mseg->TimeToX(1.f), mseg->LevelToY(0.1f));
  Drag(from, CPoint(from.h + 6, from.v));  // 1 + 6/18 = 1.33
  EXPECT_EQ(StoredTimes(0), (std::vector<float>{0.f, 1.25f, 4.f}));
}

TEST_F(CMsegEditorTest, LoopMarkersAndBends) {
  Load(0, {0.f, 1.f, 2.f, 3.f, 4.f}, 1, 2);
  // The loop end follows the mouse but never reaches the start.
  CPoint end(mseg->TimeToX(2.f), mseg->LevelToY(0.9f));  // above the point
  Drag(end, CPoint(mseg->TimeToX(3.5f), end.v));
  EXPECT_EQ(mseg->GetLoopEnd(), 3);
  EXPECT_EQ(commands->GetIntParam(CMsegControl::PARAM_LOOP_END), 3u);
  CPoint start(mseg->TimeToX(1.f), mseg->LevelToY(0.9f));
  Drag(start, CPoint(mseg->TimeToX(4.5f), start.v));
  EXPECT_EQ(mseg->GetLoopStart(), 2);
  // Dragging a rising segment down bends it; a double click straightens it.
  CPoint seg(mseg->TimeToX(3.5f), mseg->LevelToY(0.8f));
  Drag(seg, CPoint(seg.h, seg.v + 20));
  EXPECT_GT(commands->GetFloatParam(C + 4), 0.f);
  mseg->onMouseDown(seg, kLButton | kDoubleClick);
  EXPECT_EQ(commands->GetFloatParam(C + 4), 0.f);
}

TEST_F(CMsegEditorTest, ZoomAndFitWidth) {
  Load(0, {0.f, 1.f, 4.f});
  CPoint bar(100, 5);
  Drag(bar, CPoint(100, -145));
  EXPECT_FLOAT_EQ(mseg->GetZoom(), 1.f);
  EXPECT_EQ(mseg->GetPixelsPerStep(), 144);
  EXPECT_LE(mseg->GetScroll(), 16 * 144 - 288);
  mseg->onMouseDown(bar, kLButton | kDoubleClick);
  EXPECT_EQ(mseg->GetScroll(), 0);
  EXPECT_EQ(mseg->GetPixelsPerStep(), 72);  // four steps fill the width
}

TEST_F(CMsegEditorTest, DrawsTheFilledCurveAndTheLoop) {
  Load(0, {0.f, 4.f, 8.f, 12.f, 16.f}, 1, 2);
  commands->SetFloatParam(L + 1, 0.9f);
  commands->SetFloatParam(L + 2, 0.6f);
  commands->SetFloatParam(C + 2, 0.7f);
  mseg->Update();
  for (unsigned int mode : {0u, 1u}) {
    mseg->SetCurveMode(mode);
    COffscreenContext context(288, 86, CColor(120, 124, 130, 255));
    mseg->draw(&context);
    EXPECT_FALSE(mseg->isDirty());
    // Under the curve darker than the background, above it unchanged; the
    // loop region is orange.
    CColor under = context.getPoint(CPoint(mseg->TimeToX(13.f), 80));
    CColor above = context.getPoint(CPoint(mseg->TimeToX(13.f) + 1, 25));
    CColor loop = context.getPoint(CPoint(mseg->TimeToX(6.f), 80));
    EXPECT_LT(under.red, 120) << mode;
    EXPECT_EQ(above.red, 120) << mode;
    EXPECT_GT(loop.red, 150) << mode;
    EXPECT_LT(loop.blue, 120) << mode;
    if (const char* out = std::getenv("MORLAVINE_MSEG_PNG")) {
      std::string path = std::string(out) + (mode ? "_steps.png" : "_curve.png");
      EXPECT_TRUE(context.writePNG(path.c_str()));
    }
  }
}

TEST_F(CMsegEditorTest, CopyPastesIntoAnotherInstance) {
  MSEG_COPY clip;
  mseg->Paste(clip);  // empty clipboard: nothing written
  EXPECT_EQ(mseg->GetPoints().size(), 0u);
  Load(0, {0.f, 2.f, 6.f}, 1, 2);
  mseg->SetCurveMode(2);
  mseg->SetTimeSnapping(4);
  commands->SetFloatParam(CMsegControl::PARAM_RATE, 0.25f);
  commands->SetIntParam(CMsegControl::PARAM_TRIGGER, 1);
  commands->SetIntParam(CMsegControl::PARAM_SYNC, 3);
  mseg->Copy(clip);
  Load(2, {0.f, 9.f, 10.f, 11.f, 12.f}, 3, 4);
  mseg->Paste(clip);
  delete clip.points;
  EXPECT_EQ(StoredTimes(2), (std::vector<float>{0.f, 2.f, 6.f}));
  EXPECT_EQ(commands->GetIntParam(CMsegControl::PARAM_CURVE_MODE + 2), 2u);
  EXPECT_EQ(commands->GetIntParam(CMsegControl::PARAM_TIME_SNAP + 2), 4u);
  EXPECT_EQ(commands->GetIntParam(CMsegControl::PARAM_LOOP_START + 2), 1u);
  EXPECT_EQ(commands->GetIntParam(CMsegControl::PARAM_LOOP_END + 2), 2u);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(CMsegControl::PARAM_RATE + 2), 0.25f);
  EXPECT_EQ(commands->GetIntParam(CMsegControl::PARAM_TRIGGER + 2), 1u);
  EXPECT_EQ(commands->GetIntParam(CMsegControl::PARAM_SYNC + 2), 3u);
}

TEST_F(CMsegEditorTest, ModulationPageHoldsTheEditor) {
  Load(0, {0.f, 3.f, 7.f});
  Open();
  ASSERT_NE(editor->GetModView(), nullptr);
  CMsegControl* c = editor->GetModView()->GetMsegControl();
  ASSERT_NE(c, nullptr);
  EXPECT_TRUE(c->isTypeOf("CMsegControl"));
  EXPECT_EQ(c->getTag(), 68269);
  EXPECT_EQ(c->GetPoints().size(), 3u);
  // A preset change rereads the page: the editor shows the new points.
  commands->SetFloatParam(T + 3, 9.f);
  editor->GetModView()->updateAll();
  EXPECT_EQ(c->GetPoints().size(), 4u);
  Close();
}

}  // namespace
