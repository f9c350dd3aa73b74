// The editor window as a host opens it: the main window's controls for
// every parameter, and the drawn window.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "editor/Editor.h"
#include "editor/EditorLayout.h"
#include "editor/EditorTags.h"
#include "host/vst/VstTestHost.h"
#include "platform/vstgui/vstgui.h"

TEST(EditorWindow, OpenBuildsEveryControlAndDrawsTheWindow) {
  CVstTestHost host;
  host.Start();
  CEditor* editor = host.effect->GetEditorObject();
  ERect* rect = nullptr;
  ASSERT_EQ(host.Dispatch(effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right - rect->left, 977);
  EXPECT_EQ(rect->bottom - rect->top, 695);

  int window = 0;
  ASSERT_EQ(host.Dispatch(effEditOpen, 0, 0, &window), 1);
  CFrame* frame = editor->getFrame();
  ASSERT_NE(frame, nullptr);
  // Every control of the layout exists once, with its tag.
  std::set<long> tags;
  for (const CONTROL_PLACE& p : MainWindowLayout()) {
    EXPECT_TRUE(tags.insert(p.tag).second) << "duplicate tag " << p.tag;
    CControl* c = editor->getControlByTag(p.tag);
    ASSERT_NE(c, nullptr) << p.tag;
    EXPECT_TRUE(c->getViewSize().left >= 0 && c->getViewSize().right <= 977) << p.tag;
    EXPECT_TRUE(c->getViewSize().top >= 0 && c->getViewSize().bottom <= 695) << p.tag;
  }
  // Every modulatable parameter of the main window has its knob registered.
  for (long id : {4L, 11L, 12L, 27L, 28L, 30L, 32L, 34L, 36L, 39L, 40L, 56L, 60L, 64L, 68L, 76L, 79L, 88L, 93L,
                  94L, 95L, 105L, 109L, 125L, 126L, 127L, 130L, 131L, 132L, 134L, 135L}) {
    EXPECT_NE(editor->GetRegisteredKnob(static_cast<unsigned int>(id)), nullptr) << id;
  }

  host.Dispatch(effEditIdle);  // the frame redraws what is dirty
  frame->render();
  std::set<unsigned int> colours;
  for (long y = 0; y < 695; y += 3) {
    for (long x = 0; x < 977; x += 3) {
      CColor c = frame->getPixel(x, y);
      colours.insert((c.red << 24) | (c.green << 16) | (c.blue << 8) | c.alpha);
    }
  }
  EXPECT_GT(colours.size(), 200u);
  // The oscillator panels are light, the bus panels dark.
  CColor osc = frame->getPixel(330, 172);
  CColor bus = frame->getPixel(300, 520);
  EXPECT_GT(osc.red, 150);
  EXPECT_LT(bus.red, 80);
  if (const char* out = std::getenv("MORLAVINE_EDITOR_PNG")) {
    EXPECT_TRUE(frame->writePNG(out));
  }
  host.Dispatch(effEditClose);
  EXPECT_EQ(editor->getFrame(), nullptr);
}
