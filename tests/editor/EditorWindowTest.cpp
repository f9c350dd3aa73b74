// The editor window as a host opens it: the main window's controls for
// every parameter, the drawn window, and the life cycle of open and close.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "editor/Editor.h"
#include "editor/EditorLayout.h"
#include "editor/EditorTags.h"
#include "editor/ModulatedKnob.h"
#include "host/vst/VstTestHost.h"
#include "platform/vstgui/vstgui.h"

TEST(EditorWindow, OpenBuildsEveryControlAndDrawsTheWindow) {
  CVstTestHost host;
  host.Start();
  CEditor* editor = host.effect->GetEditorObject();
  int window = 0;
  ASSERT_EQ(host.Dispatch(effEditOpen, 0, 0, &window), 1);
  CFrame* frame = editor->getFrame();
  ASSERT_NE(frame, nullptr);
  for (const CONTROL_PLACE& p : MainWindowLayout()) {
    EXPECT_NE(editor->getControlByTag(p.tag), nullptr) << p.tag;
  }
  frame->render();
  const char* out = std::getenv("MORLAVINE_EDITOR_PNG");
  EXPECT_TRUE(frame->writePNG(out ? out : "/tmp/morlavine_editor_test.png"));
  host.Dispatch(effEditClose);
}
