// Control messages and the control context menu: modulation depth drags,
// adding and clearing modulations, MIDI learn and the XY pads' learn menu.
#include "EditorFixture.h"
#include "editor/ControlPopupMenu.h"
#include "editor/ModulatedKnob.h"
#include "editor/XYControl.h"
#include "editor/pages/MiniPresetBrowser.h"
#include "engine/MidiMap.h"
#include "engine/Params.h"

namespace {

const unsigned int CUTOFF = 36;  // Osc1 Cutoff, a main-window knob

void ClearMatrix(ICommandHandler* commands) {
  for (unsigned int s = 0; s < 24; ++s) {
    commands->SetIntParam(362 + s, 0);
    commands->SetIntParam(392 + s, 0);
    commands->SetFloatParam(331 + s, 0.5f);
  }
}

}  // namespace

TEST_F(CEditorTest, DepthDragWritesTheSlotTheKnobShows) {
  Open();
  ClearMatrix(commands);
  const unsigned int target = static_cast<unsigned int>(Params::ParamIdToModTarget(CUTOFF));
  for (unsigned int slot : {2u, 9u}) {
    commands->SetIntParam(362 + slot, 5);
    commands->SetIntParam(392 + slot, target);
  }
  CModulatedKnob* knob = editor->GetRegisteredKnob(CUTOFF);
  ASSERT_NE(knob, nullptr);
  struct CASE {
    unsigned int index;
    unsigned int slot;
  } cases[] = {{0, 2}, {1, 9}, {4, 9}};  // beyond the matches: the last one
  for (const CASE& c : cases) {
    knob->setModIndex(c.index);
    knob->setModValue(0.5f);
    editor->OnControlMessage(knob, CONTROL_MSG_MOD_AMOUNT, 0.f);
    EXPECT_FLOAT_EQ(commands->GetFloatParam(331 + c.slot), 0.75f) << c.index;
    commands->SetFloatParam(331 + c.slot, 0.5f);
  }
  // Without a modulation nothing changes.
  ClearMatrix(commands);
  knob->setModValue(1.f);
  editor->OnControlMessage(knob, CONTROL_MSG_MOD_AMOUNT, 0.f);
  for (unsigned int s = 0; s < 24; ++s) EXPECT_FLOAT_EQ(commands->GetFloatParam(331 + s), 0.5f) << s;
}

TEST_F(CEditorTest, RightClickMidiLearnEntriesDriveTheInstrument) {
  Open();
  CModulatedKnob* knob = editor->GetRegisteredKnob(CUTOFF);
  const CRect& r = knob->getViewSize();
  const CPoint at(r.left + 20, r.top + 20);

  ChooseMenuEntry("Start Midi Learn");
  frame->simulateClick(at, kRButton);
  EXPECT_TRUE(host->effect->IsMidiLearnActive());
  // The next controller is learned by the render thread.
  host->SendMidi({{0xB0, 21, 64}});
  host->Render(64);
  EXPECT_FALSE(host->effect->IsMidiLearnActive());
  EXPECT_EQ(editor->GetAssignedMidiCC(CUTOFF), 21);

  // The learned controller shows in the menu; "Clear" removes it.
  ChooseMenuEntry("Clear");
  frame->simulateClick(at, kRButton);
  ASSERT_FALSE(shownMenus.empty());
  const std::vector<std::string>& titles = shownMenus.back();
  EXPECT_NE(std::find(titles.begin(), titles.end(), "    Assigned MidiCC"), titles.end());
  EXPECT_EQ(editor->GetAssignedMidiCC(CUTOFF), -1);

  ChooseMenuEntry("Start Midi Learn");
  frame->simulateClick(at, kRButton);
  EXPECT_TRUE(host->effect->IsMidiLearnActive());
  ChooseMenuEntry("Stop Midi Learn");
  frame->simulateClick(at, kRButton);
  EXPECT_FALSE(host->effect->IsMidiLearnActive());
  EXPECT_EQ(shownMenus.back()[3], "Stop Midi Learn");  // after the separator
}

TEST_F(CEditorTest, AddModulationFromTheMenuSetsASlotAndTheRing) {
  Open();
  ClearMatrix(commands);
  editor->RebuildModMatrixCache();
  CModulatedKnob* knob = editor->GetRegisteredKnob(CUTOFF);
  const CRect& r = knob->getViewSize();
  const CPoint at(r.left + 20, r.top + 20);
  const unsigned int target = static_cast<unsigned int>(Params::ParamIdToModTarget(CUTOFF));

  // No modulation and no learned controller: neither submenu entry.
  ChooseMenuEntry("LFO 2");
  frame->simulateClick(at, kRButton);
  std::vector<std::string> titles = shownMenus.back();
  EXPECT_EQ(std::find(titles.begin(), titles.end(), "    Assigned modulations"), titles.end());
  EXPECT_EQ(std::find(titles.begin(), titles.end(), "    Assigned MidiCC"), titles.end());
  EXPECT_EQ(commands->GetIntParam(362), 2u);
  EXPECT_EQ(commands->GetIntParam(392), target);
  EXPECT_TRUE(knob->isModulationEnabled());
  EXPECT_TRUE(knob->getBipolarMod());
  EXPECT_EQ(knob->getModIndex(), 0u);
  EXPECT_EQ(Control(362)->getValue(), 2.f);  // the matrix row follows

  ChooseMenuEntry("Env 2");
  frame->simulateClick(at, kRButton);
  EXPECT_EQ(commands->GetIntParam(363), 6u);
  EXPECT_FALSE(knob->getBipolarMod());
  EXPECT_EQ(knob->getModIndex(), 1u);
  titles = shownMenus.back();
  EXPECT_NE(std::find(titles.begin(), titles.end(), "    Assigned modulations"), titles.end());

  // Pick the first one back.
  ChooseMenuEntry("Select : LFO 2");
  frame->simulateClick(at, kRButton);
  EXPECT_EQ(knob->getModIndex(), 0u);
  EXPECT_TRUE(knob->getBipolarMod());

  // "Clear All" frees both slots and turns the ring off.
  commands->SetFloatParam(331, 0.9f);
  ChooseMenuEntry("Clear All");
  frame->simulateClick(at, kRButton);
  for (unsigned int s : {0u, 1u}) {
    EXPECT_EQ(commands->GetIntParam(362 + s), 0u);
    EXPECT_EQ(commands->GetIntParam(392 + s), 0u);
    EXPECT_FLOAT_EQ(commands->GetFloatParam(331 + s), 0.5f);
  }
  EXPECT_FALSE(knob->isModulationEnabled());
  EXPECT_EQ(knob->getModValue(), 0.f);

  // With every slot in use nothing changes.
  for (unsigned int s = 0; s < 24; ++s) {
    commands->SetIntParam(362 + s, 7);
    commands->SetIntParam(392 + s, 50);
  }
  knob->enableModulation(false);
  ChooseMenuEntry("LFO 1");
  frame->simulateClick(at, kRButton);
  EXPECT_FALSE(knob->isModulationEnabled());
  for (unsigned int s = 0; s < 24; ++s) EXPECT_EQ(commands->GetIntParam(392 + s), 50u);
}

// A modulation added after an earlier slot was cleared fills that slot,
// before the older modulations of the same knob: the ring must name it, so
// that the next ring drag sets the new depth and leaves the older one alone.
TEST_F(CEditorTest, AddedModulationRingNamesTheSlotItFilled) {
  Open();
  ClearMatrix(commands);
  const unsigned int target = static_cast<unsigned int>(Params::ParamIdToModTarget(CUTOFF));
  for (unsigned int slot : {0u, 1u}) {
    commands->SetIntParam(362 + slot, 1 + slot);
    commands->SetIntParam(392 + slot, target);
  }
  commands->SetFloatParam(331, 0.2f);
  commands->SetFloatParam(332, 0.9f);
  // Slot 0 is cleared; slot 1 keeps its depth.
  commands->SetIntParam(362, 0);
  commands->SetIntParam(392, 0);
  editor->RebuildModMatrixCache();
  CModulatedKnob* knob = editor->GetRegisteredKnob(CUTOFF);
  const CRect& r = knob->getViewSize();

  ChooseMenuEntry("Env 1");
  frame->simulateClick(CPoint(r.left + 20, r.top + 20), kRButton);
  ASSERT_EQ(commands->GetIntParam(362), 5u);  // the freed slot 0
  EXPECT_EQ(knob->getModIndex(), 0u);
  EXPECT_FLOAT_EQ(knob->getModValue(), 2.f * commands->GetFloatParam(331) - 1.f);
  EXPECT_FALSE(knob->getBipolarMod());

  knob->setModValue(0.f);
  editor->OnControlMessage(knob, CONTROL_MSG_MOD_AMOUNT, 0.f);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(331), 0.5f);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(332), 0.9f);
}

TEST_F(CEditorTest, ControlsWithoutAModulationMenuShowNone) {
  Open();
  ChooseMenuEntry("Start Midi Learn");
  for (long tag : {486L, 487L, 134L}) {
    CControl* c = Control(tag);
    ASSERT_NE(c, nullptr);
    editor->OnControlMessage(c, CONTROL_MSG_POPUP, 0.f);
  }
  EXPECT_EQ(menusShown, 0);
  EXPECT_FALSE(host->effect->IsMidiLearnActive());
  // A right click without a drag opens the menu only at release; a drag of
  // a knob with modulation changes the depth and opens nothing.
  CModulatedKnob* knob = editor->GetRegisteredKnob(CUTOFF);
  ClearMatrix(commands);
  commands->SetIntParam(362, 1);
  commands->SetIntParam(392, static_cast<unsigned int>(Params::ParamIdToModTarget(CUTOFF)));
  editor->RebuildModMatrixCache();
  ASSERT_TRUE(knob->isModulationEnabled());
  const CRect& r = knob->getViewSize();
  frame->simulateDrag(CPoint(r.left + 20, r.top + 30), CPoint(r.left + 20, r.top + 13), kRButton);
  EXPECT_EQ(menusShown, 0);
  EXPECT_NEAR(commands->GetFloatParam(331), 0.5f + 0.05f, 1e-4f);  // 17 pixels: 0.1 of the -1..1 depth
}

TEST_F(CEditorTest, PadMenuLearnsEitherAxis) {
  Open();
  CXYControl* pad = editor->GetOscPad(1);
  const CRect& r = pad->getViewSize();
  ChooseMenuEntry("Start Midi Learn for Y");
  frame->simulateClick(CPoint(r.left + 5, r.top + 5), kRButton);
  EXPECT_TRUE(host->effect->IsMidiLearnActive());
  EXPECT_EQ(pad->GetX(), 0.f);  // the pad itself is left alone
  host->SendMidi({{0xB0, 30, 100}});
  host->Render(64);
  EXPECT_EQ(editor->GetAssignedMidiCC(9), 30);
  ChooseMenuEntry("Clear");
  frame->simulateClick(CPoint(r.left + 5, r.top + 5), kRButton);
  EXPECT_EQ(shownMenus.back()[2], "    Assigned for Y : CC #30");
  EXPECT_EQ(editor->GetAssignedMidiCC(9), -1);
}

TEST_F(CEditorTest, HoverLatchesTheReadoutExceptOnPads) {
  Open();
  CMiniPresetBrowser* mini = editor->GetMiniBrowser();
  ASSERT_NE(mini, nullptr);
  editor->OnControlMessage(Control(132), CONTROL_MSG_HOVER, 0.f);
  EXPECT_EQ(mini->GetLatchedTag(), 132);
  EXPECT_NE(mini->SecondLine().find("Master Level = "), std::string::npos);
  editor->OnControlMessage(editor->GetMorphPad(), CONTROL_MSG_HOVER, 0.f);
  EXPECT_EQ(mini->GetLatchedTag(), 132);
  editor->onMouseExited(nullptr, frame);
  EXPECT_EQ(mini->GetLatchedTag(), -1);
  EXPECT_EQ(mini->SecondLine(), "Factory reset");
}

TEST(EditorWithoutInstrument, BuildsNoOverlaysAndAnswersLearnQueriesSafely) {
  CEditor editor(nullptr, nullptr, nullptr);
  EXPECT_EQ(editor.GetPresetBrowser(), nullptr);
  EXPECT_EQ(editor.GetRecorder(), nullptr);
  EXPECT_EQ(editor.GetAssignedMidiCC(36), -1);
  EXPECT_FALSE(editor.IsMidiLearnActive());
  editor.StartMidiLearn(36);
  editor.ClearAssignedMidiCC(36);
  editor.UpdateParamValue(36, 0.5f);
  editor.updateAll();
  ERect* rect = nullptr;
  EXPECT_FALSE(editor.getRect(nullptr));
  EXPECT_TRUE(editor.getRect(&rect));
}
