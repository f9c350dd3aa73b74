// The overlay panels own the clicks on their veil and close by their close
// button and by Escape.
#include <functional>

#include "EditorFixture.h"
#include "editor/pages/Overlays.h"
#include "editor/pages/PresetBrowser.h"

namespace {

struct OVERLAY_CASE {
  const char* name;
  std::function<void(CEditor*)> show;
  std::function<CView*(CEditor*)> panel;
  CCoord closeTop;
};

const OVERLAY_CASE OVERLAYS[] = {
    {"browser", [](CEditor* e) { e->ShowPresetBrowser(0); }, [](CEditor* e) { return (CView*)e->GetPresetBrowser(); },
     91},
    {"wavetable", [](CEditor* e) { e->ShowWaveTableEditor(0); },
     [](CEditor* e) { return (CView*)e->GetWaveTableEditor(); }, 94},
    {"sample", [](CEditor* e) { e->ShowSampleEditor(1); }, [](CEditor* e) { return (CView*)e->GetSampleEditor(); }, 94},
    {"recorder", [](CEditor* e) { e->ShowRecorder(); }, [](CEditor* e) { return (CView*)e->GetRecorder(); }, 94},
};

}  // namespace

class OverlayTest : public CEditorTest {};

TEST_F(OverlayTest, EachOverlaySwallowsClicksOnItsVeilAndClosesByButtonAndEscape) {
  Open();
  // The oscillator 1 cutoff knob lies under every overlay.
  const CPoint knob(193, 89);
  CView* under = frame->getViewAt(knob, true);
  ASSERT_NE(under, nullptr);
  ASSERT_TRUE(under->isTypeOf("CControl"));
  CControl* control = static_cast<CControl*>(under);
  for (const OVERLAY_CASE& o : OVERLAYS) {
    SCOPED_TRACE(o.name);
    const float before = control->getValue();
    o.show(editor);
    CView* panel = o.panel(editor);
    ASSERT_TRUE(frame->isChild(panel));
    frame->simulateDrag(knob, CPoint(knob.h, knob.v - 60));
    frame->simulateClick(knob, kRButton);
    EXPECT_TRUE(frame->onWheel(knob, 1.f, 0));
    EXPECT_EQ(control->getValue(), before);

    // The close button, pressed and released.
    frame->simulateClick(CPoint(COverlayPanel::CLOSE_BUTTON_X + 4, o.closeTop + 4));
    EXPECT_FALSE(frame->isChild(panel));

    // Escape with the mouse over the panel.
    o.show(editor);
    CPoint over(500, 400);
    frame->onMouseMoved(over, 0);
    VstKeyCode escape{0, VKEY_ESCAPE, 0};
    EXPECT_EQ(frame->onKeyDown(escape), 1);
    EXPECT_FALSE(frame->isChild(panel));

    // With the panel gone the knob takes the drag again.
    frame->simulateDrag(knob, CPoint(knob.h, knob.v - 60));
    EXPECT_NE(control->getValue(), before);
    control->setValue(before);
    editor->valueChanged(control);
  }
}
