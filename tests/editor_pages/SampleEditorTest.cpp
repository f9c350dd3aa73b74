// The sample editor panel and the sample view it shares with the recorder:
// root key, loop markers that stay inside the sample and never cross, the
// waveform outline, and saving with the remembered folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/EditorFixture.h"
#include "editor/ListControl.h"
#include "editor/ModeSelector.h"
#include "editor/pages/SampleEditor.h"
#include "editor/pages/SampleView.h"
#include "support/TempDataDir.h"
#include "tests/tools/WavTestUtil.h"

namespace {

class SampleEditorTest : public CEditorTest {
 protected:
  void SetUp() override {
    CEditorTest::SetUp();
    Open();
    // A 1000-frame sample in oscillator 2: a ramp from -1 to 1.
    std::vector<float> l(1000), r(1000);
    for (unsigned int i = 0; i < 1000; ++i) l[i] = r[i] = -1.f + 2.f * static_cast<float>(i) / 999.f;
    char name[] = "Ramp";
    ASSERT_TRUE(commands->LoadSampleFromMemory(1, l.data(), r.data(), 1000, 44100.f, name));
    editor->ShowSampleEditor(1);
    panel = editor->GetSampleEditor();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(frame->isChild(panel));
  }
  CControl* PanelControl(long tag) { return CEditor::getViewControlByTag(panel, tag); }
  void Set(long tag, float value) {
    CControl* c = PanelControl(tag);
    ASSERT_NE(c, nullptr) << tag;
    c->setValue(value);
    panel->valueChanged(c);
  }

  CSampleEditor* panel = nullptr;
};

TEST_F(SampleEditorTest, RootKeyListsWriteAndShowTheRootPitch) {
  Set(CSampleEditor::TAG_ROOT_NOTE, 2.f);  // "D"
  Set(CSampleEditor::TAG_ROOT_OCTAVE, 5.f);
  EXPECT_EQ(commands->GetSampleRootPitch(1), 62u);

  Set(CSampleEditor::TAG_ROOT_NOTE, 0.f);
  EXPECT_EQ(commands->GetSampleRootPitch(1), 60u);
  commands->SetSampleRootPitch(1, 62);
  panel->Update();
  EXPECT_EQ(panel->GetRootNoteList()->getValue(), 2.f);
  EXPECT_EQ(panel->GetRootOctaveList()->getValue(), 5.f);
  EXPECT_STREQ(panel->GetNameButton()->getText(), "Ramp");
}

TEST_F(SampleEditorTest, MarkersStayInsideTheSampleAndNeverCross) {
  CSampleView* view = panel->GetSampleView();
  ASSERT_EQ(view->GetLength(), 1000);
  const CRect area = view->getViewSize();
  // The view x of the middle of a frame's span; -1 and 1000 lie outside.
  auto x = [&](int frame) { return area.left + (frame + 0.5) * area.width() / 1000.0; };
  struct CASE {
    const char* what;
    unsigned int start, end;  // markers before the press
    int press, release;       // frames under the press and the release
    unsigned int wantStart, wantEnd;
  } cases[] = {
      {"start past the end stops one before it", 100, 500, 110, 900, 499, 500},
      {"end before the start stops one after it", 100, 500, 490, 0, 100, 101},
      {"a press between the markers takes the end", 200, 400, 300, 300, 200, 300},
      {"beyond the right edge: the last frame", 200, 400, 450, 1300, 200, 999},
      {"left of the view: frame 0", 200, 400, 150, -300, 0, 400},
      {"meeting markers at the last frame stay inside", 999, 999, 999, 1300, 999, 999},
      // A tie takes the marker on the side the pointer moves to, so markers
      // that meet can always be pulled apart again.
      {"meeting at the last frame: a move left takes the start", 999, 999, 999, 200, 200, 999},
      {"meeting at the last frame: a press left of them takes the start", 999, 999, 600, 500, 500, 999},
      {"meeting at frame 0: a move right takes the end", 0, 0, 0, 300, 0, 300},
      {"meeting in the middle: a move left takes the start", 500, 500, 500, 450, 450, 500},
      {"meeting in the middle: a move right takes the end", 500, 500, 500, 550, 500, 550},
      {"meeting in the middle: a press right of them takes the end", 500, 500, 700, 700, 500, 700},
      {"midway between markers: a move left takes the start", 400, 600, 500, 480, 480, 600},
      {"midway between markers: a move right takes the end", 400, 600, 500, 520, 400, 520},
      {"midway between markers, released in place: the end", 400, 600, 500, 500, 400, 500},
  };
  for (const CASE& c : cases) {
    view->SetLoop(c.start, c.end);
    CPoint press(x(c.press), area.top + 5);
    CPoint release(x(c.release), area.top + 5);
    view->onMouseDown(press, kLButton);
    view->onMouseMoved(release, kLButton);
    view->onMouseUp(release, kLButton);
    EXPECT_EQ(view->GetLoopStart(), c.wantStart) << c.what;
    EXPECT_EQ(view->GetLoopEnd(), c.wantEnd) << c.what;
    // The oscillator's loop follows every move.
    EXPECT_EQ(commands->GetSampleLoopStart(1), view->GetLoopStart()) << c.what;
  }
  // Values from elsewhere are kept inside the sample and in order.
  view->SetLoop(5, 0);
  EXPECT_EQ(view->GetLoopStart(), 0u);
  EXPECT_EQ(view->GetLoopEnd(), 0u);
  view->SetLoop(2000, 4000);
  EXPECT_EQ(view->GetLoopStart(), 999u);
  EXPECT_EQ(view->GetLoopEnd(), 999u);
}

TEST_F(SampleEditorTest, DisabledLoopIgnoresTheMouse) {
  CSampleView* view = panel->GetSampleView();
  view->SetLoop(100, 200);
  view->EnableLoop(false);
  const CRect area = view->getViewSize();
  CPoint p(area.left + 10, area.top + 5);
  view->onMouseDown(p, kLButton);
  view->onMouseUp(p, kLButton);
  EXPECT_EQ(view->GetLoopStart(), 100u);
  EXPECT_EQ(view->GetLoopEnd(), 200u);
}

TEST(SampleView, OutlineOfAKnownBufferAndAnEmptySource) {
  // 100 frames over a 50-pixel view: a column every 2 frames. Left at +0.5
  // and right at +0.1 mix to 0.3; the lower outline follows the minimum,
  // the upper one never dips below the middle.
  CSampleView view(CRect(10, 20, 60, 120), nullptr);
  std::vector<float> l(100, 0.5f), r(100, 0.1f);
  l[51] = -0.9f, r[51] = -0.9f;
  view.SetSource(l.data(), r.data(), 100);
  const auto& up = view.GetUpperOutline();
  const auto& down = view.GetLowerOutline();
  ASSERT_GE(up.size(), 40u);
  const CCoord middle = 20 + 50 + 1;
  EXPECT_EQ(up.front().h, 10);
  EXPECT_EQ(up.front().v, middle);
  EXPECT_EQ(up.back().h, 60);
  EXPECT_EQ(up[5].v, middle - 15);    // 0.3 x half the height
  EXPECT_EQ(down[5].v, middle - 15);  // the column's minimum is 0.3 too
  bool dip = false;
  for (size_t i = 0; i < down.size(); ++i) {
    if (down[i].v == middle + 45) dip = true;  // -0.9 x 50
    EXPECT_LE(up[i].v, middle);
  }
  EXPECT_TRUE(dip);
  EXPECT_EQ(view.GetGridLineCount(), 0);  // 100 frames: no 11025-frame line

  std::vector<float> long1(44100, 0.f);
  view.SetSource(long1.data(), long1.data(), 44100);
  EXPECT_EQ(view.GetGridLineCount(), 4);

  // An empty source: no outline, no grid, no markers; drawing it is safe.
  view.SetSource(l.data(), r.data(), -5);
  EXPECT_EQ(view.GetLength(), 0);
  EXPECT_TRUE(view.GetUpperOutline().empty());
  EXPECT_EQ(view.GetGridLineCount(), 0);
  view.SetLoop(3, 7);
  EXPECT_EQ(view.GetLoopEnd(), 0u);
  CBitmap image(80, 140);
  CDrawContext context(image.getSurface());
  view.EnableLoop(true);
  view.draw(&context);
  EXPECT_FALSE(view.isDirty());
}

TEST_F(SampleEditorTest, SaveWritesTheSampleAndRemembersItsFolder) {
  CTempDataDir dir;
  const std::string folder = dir.Path() + "/mine";
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  std::vector<std::string> offeredFolders, offeredNames;
  std::string answer = folder + "/ramp copy.wav";
  SetFileDialogResponder([&](bool save, const char* from, const char*, const char* name, std::string& chosen) {
    offeredFolders.push_back(from ? from : "");
    offeredNames.push_back(name ? name : "");
    chosen = answer;
    return save;
  });
  Set(CSampleEditor::TAG_SAVE, 1.f);
  Set(CSampleEditor::TAG_SAVE, 0.f);  // acts on release only
  ASSERT_EQ(offeredFolders.size(), 1u);
  EXPECT_EQ(offeredNames[0], "Ramp");
  const STEREO_WAV wav = ReadStereoWav(answer);
  ASSERT_TRUE(wav.ok);
  EXPECT_EQ(wav.left.size(), 1000u);
  EXPECT_EQ(CSampleEditor::GetDefaultSaveFolder(), folder);

  // A failed write keeps the remembered folder.
  answer = dir.Path() + "/missing/x.wav";
  Set(CSampleEditor::TAG_SAVE, 0.f);
  ASSERT_EQ(offeredFolders.size(), 2u);
  EXPECT_EQ(offeredFolders[1], folder);
  EXPECT_EQ(CSampleEditor::GetDefaultSaveFolder(), folder);
}

TEST_F(SampleEditorTest, CloseAndNameButtonsActOnRelease) {
  Set(CSampleEditor::TAG_CLOSE, 1.f);
  EXPECT_TRUE(frame->isChild(panel));
  Set(CSampleEditor::TAG_CLOSE, 0.f);
  EXPECT_FALSE(frame->isChild(panel));
}

}  // namespace
