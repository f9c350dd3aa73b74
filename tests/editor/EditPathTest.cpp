// The edit path: a control's change reaches the engine through the command
// interface and the host through automation with the host index; changes
// from outside reach the control that shows the parameter now.
#include <atomic>
#include <thread>

#include "EditorFixture.h"
#include "editor/ListControl.h"
#include "editor/ModeSelector.h"
#include "editor/ModulatedKnob.h"
#include "editor/XYControl.h"
#include "editor/pages/Pages.h"
#include "engine/Params.h"

TEST_F(CEditorTest, KnobDragReachesTheEngineAndTheHostWithTheHostIndex) {
  Open();
  CControl* cutoff = Control(36);
  ASSERT_NE(cutoff, nullptr);
  const float before = commands->GetFloatParam(36);
  host->calls.clear();
  const CRect& r = cutoff->getViewSize();
  CPoint centre(r.left + 25, r.top + 25);
  frame->simulateDrag(centre, CPoint(centre.x, centre.y - 34));  // up 34 pixels: +0.2
  const float after = commands->GetFloatParam(36);
  EXPECT_NEAR(after, before + 0.2f, 1e-4f);
  EXPECT_FLOAT_EQ(cutoff->getValue(), after);

  const int index = Params::SynthParamToVstParam(36);
  ASSERT_GE(index, 0);
  std::vector<HOST_CALL> automate = Calls(audioMasterAutomate);
  ASSERT_FALSE(automate.empty());
  for (const HOST_CALL& c : automate) EXPECT_EQ(c.index, index);
  EXPECT_FLOAT_EQ(automate.back().opt, after);
  // The drag is bracketed as one gesture on the same host index.
  ASSERT_EQ(Calls(audioMasterBeginEdit).size(), 1u);
  ASSERT_EQ(Calls(audioMasterEndEdit).size(), 1u);
  EXPECT_EQ(Calls(audioMasterBeginEdit)[0].index, index);
}

TEST_F(CEditorTest, PlainSettingsAutomateTheNewValueAndRemapTheirLists) {
  Open();
  struct CASE {
    long tag;
    float index;
    int stored;
  } cases[] = {
      {434, 0, 4},  {434, 9, -5}, {434, 12, 0},  // octave; beyond the list: 0
      {438, 14, -7}, {438, 15, 0},                // semitone
      {483, 0, 24}, {483, 49, 0},                 // transpose
      {1583, 48, -24},                            // bend range
      {490, 8, 12}, {490, 12, 8},                 // maximum voices
      {488, 3, 4},                                // unison count
      {479, 0, 1},  {479, 1, 0},                  // stage order
      {489, 2, 2},                                // plain list
  };
  for (const CASE& c : cases) {
    host->calls.clear();
    Change(c.tag, c.index);
    EXPECT_EQ(static_cast<int>(commands->GetFloatParam(static_cast<unsigned int>(c.tag))), c.stored) << c.tag;
    int index = Params::SynthParamToVstParam(static_cast<unsigned int>(c.tag));
    std::vector<HOST_CALL> automate = Calls(audioMasterAutomate);
    if (index < 0) {
      EXPECT_TRUE(automate.empty()) << c.tag;
    } else {
      ASSERT_EQ(automate.size(), 1u) << c.tag;
      EXPECT_EQ(automate[0].index, index);
      EXPECT_FLOAT_EQ(automate[0].opt, static_cast<float>(c.stored)) << c.tag;  // not the last block's value
    }
  }
  // Backward: a stored value outside the table shows the neutral entry.
  commands->SetIntParam(490, 10);
  editor->updateMainView();
  EXPECT_EQ(Control(490)->getValue(), 7.f);
  commands->SetIntParam(434, static_cast<unsigned int>(-3));
  editor->updateMainView();
  EXPECT_EQ(Control(434)->getValue(), 7.f);
}

TEST_F(CEditorTest, OversamplingSegmentsAndMatrixMenus) {
  Open();
  const int stored[3] = {2, 0, 1};
  for (int s = 0; s < 3; ++s) {
    Change(TAG_OVERSAMPLING, static_cast<float>(s));
    EXPECT_EQ(commands->GetIntParam(1581), static_cast<unsigned int>(stored[s]));
  }
  // Matrix page 1 (slots 6-11): the first row edits slot 6.
  Change(TAG_MODMTX_PAGE, 1.f);
  Change(392, 1.f);  // target menu position 1 -> target 2
  EXPECT_EQ(commands->GetIntParam(398), 2u);
  Change(362, 13.f);  // source menu position 13 -> source 18
  EXPECT_EQ(commands->GetIntParam(368), 18u);
  Change(331, 0.75f);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(337), 0.75f);
  // A stored target 1 has no menu entry: the row shows position 0.
  commands->SetIntParam(398, 1);
  editor->updateMainView();
  EXPECT_EQ(Control(392)->getValue(), 0.f);
}

TEST_F(CEditorTest, OutsideChangesMoveTheControlShownForTheParameterNow) {
  Open();
  // Page knobs register with the tag of instance 0 of their group.
  CModulatedKnob* attack = new CModulatedKnob(CRect(0, 0, 30, 30), editor, editor, 136, nullptr, nullptr, 0, 0.f);
  CModulatedKnob* reverb = new CModulatedKnob(CRect(40, 0, 70, 30), editor, editor, 185, nullptr, nullptr, 0, 0.f);
  editor->GetModView()->addView(attack);
  editor->GetModView()->addView(reverb);
  ASSERT_EQ(editor->GetRegisteredKnob(136), attack);
  editor->GetSelectors()[1] = 2;  // the third envelope
  editor->UpdateParamValue(138, 0.625f);
  EXPECT_FLOAT_EQ(attack->getValue(), 0.625f);
  editor->UpdateParamValue(137, 0.125f);
  EXPECT_FLOAT_EQ(attack->getValue(), 0.625f);
  // The effects page shows instance 1 (slot 0 holds delay 2).
  commands->SetIntParam(747, 4);
  editor->updateAll();  // a preset load ends with the editor rereading its pages
  editor->UpdateParamValue(186, 0.375f);
  EXPECT_FLOAT_EQ(reverb->getValue(), 0.375f);
  editor->UpdateParamValue(185, 0.875f);
  EXPECT_FLOAT_EQ(reverb->getValue(), 0.375f);

  // Matrix rows follow the shown page.
  Change(TAG_MODMTX_PAGE, 2.f);
  editor->UpdateParamValue(374, 5.f);  // slot 12: first row of page 2
  EXPECT_EQ(Control(362)->getValue(), 5.f);
  Change(TAG_MODMTX_PAGE, 1.f);
  CControl* row = Control(362);
  float shown = row->getValue();
  editor->UpdateParamValue(374, 7.f);
  EXPECT_EQ(row->getValue(), shown);

  // A host change of a main-window knob.
  host->effect->setParameter(Params::SynthParamToVstParam(132), 0.25f);
  EXPECT_FLOAT_EQ(Control(132)->getValue(), 0.25f);
  EXPECT_TRUE(Control(132)->isDirty());
  // Parameters without a control on screen move nothing and do not fail.
  editor->UpdateParamValue(134, 0.3f);
  editor->UpdateParamValue(67157, 0.3f);
  editor->UpdateParamValue(99999, 0.3f);
}

TEST_F(CEditorTest, ShownInstancesOffsetThePageTags) {
  Open();
  unsigned int* sel = editor->GetSelectors();
  sel[1] = 2;  // third envelope
  sel[0] = 1;  // second LFO
  sel[2] = 3;  // fourth MSEG
  EXPECT_EQ(editor->TagToSynthParam(136), 138);
  EXPECT_EQ(editor->TagToSynthParam(148), 150);
  EXPECT_EQ(editor->TagToSynthParam(160), 161);
  EXPECT_EQ(editor->TagToSynthParam(176), 179);
  EXPECT_EQ(editor->TagToSynthParam(134), -1);
  EXPECT_EQ(editor->TagToSynthParam(483), -1);
  EXPECT_EQ(editor->TagToSynthParam(486), 486);
  Change(TAG_MODMTX_PAGE, 3.f);
  EXPECT_EQ(editor->TagToSynthParam(331), 349);
  // Effects page: the selected slot's effect instance offsets 185-330.
  sel[4] = 5;
  commands->SetIntParam(747 + 5, 4);  // delay, instance 1
  editor->updateAll();
  EXPECT_EQ(editor->TagToSynthParam(185), 186);
  commands->SetIntParam(747 + 5, 21);  // no effect
  editor->updateAll();
  EXPECT_EQ(editor->TagToSynthParam(185), 185);
}

TEST_F(CEditorTest, MorphPadDragAutomatesBothAxesXFirst) {
  Open();
  CXYControl* pad = editor->GetMorphPad();
  ASSERT_NE(pad, nullptr);
  const int xIndex = Params::SynthParamToVstParam(1577);
  const int yIndex = Params::SynthParamToVstParam(1578);
  host->calls.clear();
  const CRect& r = pad->getViewSize();
  frame->simulateDrag(CPoint(r.left + 10, r.bottom - 10), CPoint(r.left + 40, r.bottom - 40), kLButton, 1);
  EXPECT_NEAR(commands->GetFloatParam(1577), 0.2f, 1e-5f);
  EXPECT_NEAR(commands->GetFloatParam(1578), 0.2f, 1e-5f);
  std::vector<HOST_CALL> automate = Calls(audioMasterAutomate);
  if (xIndex >= 0 && yIndex >= 0) {
    ASSERT_EQ(automate.size(), 2u);
    EXPECT_EQ(automate[0].index, xIndex);
    EXPECT_EQ(automate[1].index, yIndex);
  }
  // A pad's axis report: X first, then Y, then nothing.
  pad->SetX(0.5f);
  pad->SetY(0.6f);
  EXPECT_EQ(editor->TagToSynthParam(TAG_MORPH_XY), 1577);
  EXPECT_EQ(editor->TagToSynthParam(TAG_MORPH_XY), 1578);
  EXPECT_EQ(editor->TagToSynthParam(TAG_MORPH_XY), -1);
}

TEST_F(CEditorTest, OscillatorPadMovesItsKnobsOnlyAtTheNextTick) {
  Open();
  CXYControl* pad0 = editor->GetOscPad(0);
  CXYControl* pad2 = editor->GetOscPad(2);
  const float x0 = Control(4)->getValue();
  pad0->SetX(0.9f);
  pad0->SetY(0.8f);
  editor->valueChanged(pad0);
  pad2->SetX(0.3f);
  pad2->SetY(0.4f);
  editor->valueChanged(pad2);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(4), 0.9f);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(10), 0.4f);
  EXPECT_EQ(Control(4)->getValue(), x0);  // not yet
  EXPECT_EQ(editor->GetPendingPadRefresh(), 2);
  editor->notify(nullptr, CVSTGUITimer::kMsgTimer);
  EXPECT_FLOAT_EQ(Control(6)->getValue(), 0.3f);
  EXPECT_FLOAT_EQ(Control(10)->getValue(), 0.4f);
  EXPECT_EQ(Control(4)->getValue(), x0);  // only the last oscillator moved
  EXPECT_EQ(editor->GetPendingPadRefresh(), -1);
  // Outside changes of the morph parameters move the pads.
  editor->UpdateParamValue(1578, 0.7f);
  EXPECT_FLOAT_EQ(editor->GetMorphPad()->GetY(), 0.7f);
  editor->UpdateParamValue(5, 0.25f);
  EXPECT_FLOAT_EQ(editor->GetOscPad(1)->GetX(), 0.25f);
}

TEST_F(CEditorTest, RenderThreadUpdatesAreSafeAcrossOpenAndClose) {
  // Closed: nothing happens and nothing fails.
  editor->UpdateParamValue(1577, 0.5f);
  editor->UpdateParamValue(36, 0.5f);
  EXPECT_EQ(editor->GetUpdateCount(), 0u);

  std::atomic<bool> stop{false};
  std::atomic<unsigned int> sent{0};
  std::thread render([&] {
    unsigned int k = 0;
    while (!stop.load()) {
      editor->UpdateParamValue(36 + (k % 4), static_cast<float>(k % 100) / 100.f);
      editor->UpdateParamValue(1577, 0.5f);
      ++k;
      sent.store(k);
    }
  });
  while (sent.load() == 0) std::this_thread::yield();
  for (int i = 0; i < 8; ++i) {
    Open();
    Close();
  }
  Open();
  const unsigned int before = sent.load();
  while (sent.load() < before + 100) std::this_thread::yield();  // some updates meet the open window
  stop.store(true);
  render.join();
  EXPECT_GT(sent.load(), 0u);
  editor->UpdateParamValue(37, 0.125f);
  EXPECT_FLOAT_EQ(Control(37)->getValue(), 0.125f);
  Close();
}
