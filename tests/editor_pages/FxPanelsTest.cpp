// The effect panels of the effects-matrix page in an open editor: the panel
// of the selected slot's effect is the one shown, its controls write the
// shown instance (and its switch the shown slot), its load, save and reset
// buttons act on release for that instance, and changes from the host and
// from loaded module presets reach its controls.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "editor/EditorFixture.h"
#include "editor/pages/FxMatrixPage.h"
#include "editor/pages/FxModules.h"
#include "editor/pages/PresetBrowser.h"
#include "engine/FolderLayout.h"
#include "engine/Params.h"
#include "tables/PresetFactory.h"

namespace {

void MakeDirs(const std::string& path) {
  for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1)) {
    mkdir(path.substr(0, at).c_str(), 0755);
  }
  mkdir(path.c_str(), 0755);
}

class FxPanelsTest : public CEditorTest {
 protected:
  void SetUp() override {
    CEditorTest::SetUp();
    Open();
    page = editor->GetFxView();
    ASSERT_NE(page, nullptr);
    Change(TAG_VIEW_PAGE, 2.f);
  }

  // Puts effect id into slot s (switched on) and selects the slot.
  void Show(unsigned int slot, unsigned int id) {
    commands->SetIntParam(747 + slot, id);
    commands->SetIntParam(731 + slot, 1);
    editor->GetSelectors()[4] = slot;
    editor->updateAll();
  }
  CFxModule* Panel() { return static_cast<CFxModule*>(page->GetActiveViewContainer()); }
  // The user sets a control of the shown panel.
  void Set(long tag, float value) {
    CControl* c = Panel()->GetControl(tag);
    ASSERT_NE(c, nullptr) << tag;
    c->setValue(value);
    Panel()->valueChanged(c);
  }
  void Press(long tag) { Set(tag, 1.f); }
  void Release(long tag) { Set(tag, 0.f); }
  float Shown(long tag) {
    CControl* c = Panel()->GetControl(tag);
    return c ? c->getValue() : -1.f;
  }
  float Float(unsigned int id) { return commands->GetFloatParam(id); }
  unsigned int Int(unsigned int id) { return commands->GetIntParam(id); }
  // The panels attached to the page.
  int AttachedPanels() {
    int n = 0;
    for (unsigned int p = 0; p < FX_PANEL_COUNT; ++p) n += page->isChild(page->GetPanel(p)) ? 1 : 0;
    return n;
  }
  bool HostHeard(unsigned int id, float value) {
    const int index = Params::SynthParamToVstParam(id);
    for (const HOST_CALL& c : Calls(audioMasterAutomate)) {
      if (c.index == index && c.opt == value) return true;
    }
    return false;
  }

  CFxView* page = nullptr;
};

TEST_F(FxPanelsTest, DelayPanelWritesTheShownInstanceAndSlot) {
  Show(9, 4);  // "DLY2"
  ASSERT_NE(Panel(), nullptr);
  EXPECT_TRUE(Panel()->isTypeOf("CFxModuleDelay"));
  EXPECT_TRUE(page->isChild(Panel()));
  EXPECT_EQ(AttachedPanels(), 1);
  EXPECT_EQ(Panel()->GetInstance(), 1u);
  EXPECT_EQ(Panel()->GetSlot(), 9u);

  const float before281 = Float(281);
  Set(281, 0.7f);
  EXPECT_FLOAT_EQ(Float(282), 0.7f);
  EXPECT_FLOAT_EQ(Float(281), before281);
  EXPECT_TRUE(HostHeard(282, 0.7f)) << "the host hears the shown instance's parameter";

  Set(765, 5.f);
  EXPECT_EQ(Int(766), 5u);
  EXPECT_EQ(Int(765), 2u) << "instance 0 keeps its factory setting";
  Set(767, 3.9f);
  EXPECT_EQ(Int(768), 3u) << "settings are stored truncated";

  // The switch edits the slot's on flag, whatever the instance.
  Set(731, 0.f);
  EXPECT_EQ(Int(740), 0u);
  EXPECT_EQ(Int(731), 0u);
  Set(731, 1.f);
  EXPECT_EQ(Int(740), 1u);

  // And through the mouse: the switch is reachable on the open page.
  CControl* onOff = Panel()->GetControl(731);
  CRect r = onOff->getViewSize();
  CPoint where((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  Panel()->localToFrame(where);
  frame->simulateClick(where, kLButton);
  EXPECT_EQ(Int(740), 0u);

  // Control+click on the feedback knob restores the knob's own default.
  r = Panel()->GetControl(281)->getViewSize();
  where = CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  Panel()->localToFrame(where);
  host->Dispatch(effEditIdle);  // the user sees the knob at 0.7 first
  frame->simulateClick(where, kControl | kLButton);
  EXPECT_FLOAT_EQ(Float(282), 0.3f);
}

TEST_F(FxPanelsTest, EveryPanelEditsAndShowsItsOwnInstance) {
  for (unsigned int type = 0; type < FX_TYPE_COUNT; ++type) {
    const FX_PANEL_DESC& desc = FxPanelDesc(type);
    for (unsigned int instance = 0; instance < 2; ++instance) {
      const unsigned int id = 2 * type + 1 + instance;
      Show(3, id);
      ASSERT_NE(Panel(), nullptr) << id;
      EXPECT_TRUE(Panel()->isTypeOf(desc.className)) << id;
      EXPECT_EQ(AttachedPanels(), 1) << id;
      EXPECT_EQ(Panel()->GetInstance(), instance);
      for (unsigned int i = 0; i < desc.controlCount; ++i) {
        const FX_PANEL_CONTROL& c = desc.controls[i];
        const unsigned int mine = static_cast<unsigned int>(c.tag) + instance;
        const unsigned int other = static_cast<unsigned int>(c.tag) + 1 - instance;
        const float otherBefore = Float(other);
        if (c.kind == FX_CONTROL_LIST) {
          Set(c.tag, 1.f);
          EXPECT_EQ(Int(mine), 1u) << c.tag;
          commands->SetIntParam(mine, 0);
        } else {
          Set(c.tag, 0.25f);
          EXPECT_FLOAT_EQ(Float(mine), 0.25f) << c.tag;
          commands->SetFloatParam(mine, 0.75f);
        }
        EXPECT_EQ(Float(other), otherBefore) << c.tag << " the other instance is untouched";
      }
      // The panel rereads its instance when it is shown again.
      editor->updateAll();
      for (unsigned int i = 0; i < desc.controlCount; ++i) {
        const FX_PANEL_CONTROL& c = desc.controls[i];
        EXPECT_FLOAT_EQ(Shown(c.tag), c.kind == FX_CONTROL_LIST ? 0.f : 0.75f) << id << " " << c.tag;
      }
      EXPECT_EQ(Shown(731), 1.f);
    }
  }
}

TEST_F(FxPanelsTest, SlotAndEffectChangesSwapThePanel) {
  commands->SetIntParam(747 + 2, 1);  // REV1
  commands->SetIntParam(747 + 5, 16);  // DST2
  Show(5, 16);
  EXPECT_TRUE(Panel()->isTypeOf("CFxModuleDistortion"));

  // Clicking another slot shows its effect.
  CFxMtxButton* slot2 = page->GetSlotButton(2);
  CRect r = slot2->getViewSize();
  CPoint where((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  page->localToFrame(where);
  frame->simulateClick(where, kLButton);
  EXPECT_EQ(editor->GetSelectors()[4], 2u);
  EXPECT_TRUE(Panel()->isTypeOf("CFxModuleReverb"));
  EXPECT_EQ(Panel()->GetInstance(), 0u);
  EXPECT_EQ(Panel()->GetSlot(), 2u);
  EXPECT_EQ(AttachedPanels(), 1);

  // Choosing another effect for the slot swaps the panel.
  ChooseMenuEntry("Chorus 2");
  frame->simulateClick(where, kRButton);
  EXPECT_TRUE(Panel()->isTypeOf("CFxModuleChorus"));
  EXPECT_EQ(Panel()->GetInstance(), 1u);
  EXPECT_EQ(AttachedPanels(), 1);

  // Emptied: the empty slot's panel, which edits nothing.
  frame->simulateClick(where, kControl | kLButton);
  EXPECT_TRUE(Panel()->isTypeOf("CFxModuleNone"));
  EXPECT_EQ(Panel()->getNbViews(), 0);
  EXPECT_EQ(AttachedPanels(), 1);

  // A damaged id shows no panel at all.
  Show(2, 25);
  EXPECT_EQ(page->GetActiveViewContainer(), nullptr);
  EXPECT_EQ(AttachedPanels(), 0);
  EXPECT_EQ(page->GetActiveFxInstance(), 0u);
}

TEST_F(FxPanelsTest, DistortionResetRestoresItsInstanceOnly) {
  Show(2, 16);  // "DST2"
  for (unsigned int id = 307; id <= 318; ++id) commands->SetFloatParam(id, 0.123f);
  commands->SetIntParam(771, 2);
  commands->SetIntParam(772, 2);
  editor->updateAll();

  Press(TAG_FX_RESET);
  EXPECT_FLOAT_EQ(Float(308), 0.123f) << "nothing happens on press";
  Release(TAG_FX_RESET);
  for (unsigned int id = 308; id <= 318; id += 2) {
    EXPECT_FLOAT_EQ(Float(id), PRESET_FACTORY_RESET[id]) << id;
    EXPECT_FLOAT_EQ(Float(id - 1), 0.123f) << id - 1;
  }
  EXPECT_EQ(Int(772), static_cast<unsigned int>(PRESET_FACTORY_RESET[772]));
  EXPECT_EQ(Int(771), 2u);
  EXPECT_EQ(Int(733), 1u) << "the slot's on flag is left alone";
  // The panel shows the restored values.
  EXPECT_FLOAT_EQ(Shown(307), PRESET_FACTORY_RESET[308]);
  EXPECT_FLOAT_EQ(Shown(771), static_cast<float>(static_cast<int>(PRESET_FACTORY_RESET[772])));
}

TEST_F(FxPanelsTest, LoadAndSaveActOnReleaseAndRoundTripTheInstance) {
  Show(9, 4);  // "DLY2"
  MakeDirs(FileSpec::FolderDelay);
  const std::string path = FileSpec::FolderDelay + "/Slap.mp";
  int dialogs = 0;
  SetFileDialogResponder([&](bool save, const char*, const char*, const char*, std::string& chosen) {
    ++dialogs;
    chosen = path;
    return save;
  });
  Set(281, 0.61f);
  Set(765, 7.f);

  Press(TAG_FX_SAVE);
  EXPECT_EQ(dialogs, 0);
  Release(TAG_FX_SAVE);
  EXPECT_EQ(dialogs, 1);

  commands->SetFloatParam(282, 0.1f);
  commands->SetIntParam(766, 1);
  CPresetBrowser* browser = editor->GetPresetBrowser();
  Press(TAG_FX_LOAD);
  EXPECT_FALSE(frame->isChild(browser)) << "nothing happens on press";
  Release(TAG_FX_LOAD);
  EXPECT_TRUE(frame->isChild(browser));
  EXPECT_EQ(editor->GetBrowserCategory(), 6u);
  EXPECT_EQ(editor->GetCategoryInstance(), 1u);

  // The browser hands back the chosen file; the values reach the panel.
  editor->DoLoadPreset(path, false, FileSpec::ModulePresetDlgFilter, FileSpec::ModuleExtension);
  EXPECT_FLOAT_EQ(Float(282), 0.61f);
  EXPECT_EQ(Int(766), 7u);
  EXPECT_FLOAT_EQ(Shown(281), 0.61f);
  EXPECT_EQ(Shown(765), 7.f);
}

TEST_F(FxPanelsTest, HostChangesMoveTheShownInstancesKnob) {
  Show(9, 4);  // "DLY2"
  AEffect* fx = host->effect->getAeffect();
  CControl* feedback = Panel()->GetControl(281);
  ASSERT_NE(feedback, nullptr);
  const float before = feedback->getValue();
  fx->setParameter(fx, Params::SynthParamToVstParam(281), 0.9f);
  EXPECT_EQ(feedback->getValue(), before) << "instance 0 is not shown";
  fx->setParameter(fx, Params::SynthParamToVstParam(282), 0.42f);
  EXPECT_FLOAT_EQ(feedback->getValue(), 0.42f);

  // The mix knob of instance 1 too, and after a slot change to instance 0
  // the host moves the instance-0 knob.
  fx->setParameter(fx, Params::SynthParamToVstParam(292), 0.33f);
  EXPECT_FLOAT_EQ(Panel()->GetControl(291)->getValue(), 0.33f);
  Show(4, 3);  // "DLY1"
  EXPECT_FLOAT_EQ(Panel()->GetControl(281)->getValue(), Float(281));
  fx->setParameter(fx, Params::SynthParamToVstParam(281), 0.2f);
  EXPECT_FLOAT_EQ(Panel()->GetControl(281)->getValue(), 0.2f);
}

}  // namespace
