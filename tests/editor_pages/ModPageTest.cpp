// The modulation page in an open editor: its selectors move one set of
// controls between the four LFOs, envelopes and MSEGs, the controls write and
// show the shown instance's parameters, the MSEG menu copies, pastes, snaps
// and resets through the editor's clipboard, changes from the host reach the
// page, and the page draws its own artwork.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/EditorFixture.h"
#include "editor/ModulatedKnob.h"
#include "editor/pages/ModPage.h"
#include "engine/Params.h"
#include "engine/SynthTypes.h"
#include "tables/PresetFactory.h"

namespace {

// The page's top-left corner in the window.
const CCoord PAGE_X = 206, PAGE_Y = 537;

const unsigned int MSEG_TIME = 809, MSEG_LEVEL = 873, MSEG_STRIDE = 192;

// A control and the parameter it edits while the instance of the test is
// shown: a value read from the engine and one written through the control.
struct BOUND {
  long tag;
  unsigned int id;
  bool isFloat;
  float read;
  float written;
};

class ModPageTest : public CEditorTest {
 protected:
  void SetUp() override {
    CEditorTest::SetUp();
    OpenPage();
  }
  void OpenPage() {
    Open();
    page = editor->GetModView();
    ASSERT_NE(page, nullptr);
    Change(TAG_VIEW_PAGE, 1.f);  // the modulation page is page 1 of the selector
    ASSERT_TRUE(page->isVisible());
  }

  CControl* PageControl(long tag) {
    for (long i = 0; i < page->getNbViews(); ++i) {
      CView* v = page->getView(i);
      if (v && v->isTypeOf("CControl") && static_cast<CControl*>(v)->getTag() == tag) return static_cast<CControl*>(v);
    }
    return nullptr;
  }
  // The user sets a control of the page.
  void Set(long tag, float value) {
    CControl* c = PageControl(tag);
    ASSERT_NE(c, nullptr) << tag;
    c->setValue(value);
    page->valueChanged(c);
  }
  void Press(long tag) {
    Set(tag, 1.f);
    Set(tag, 0.f);
  }
  float Shown(long tag) {
    CControl* c = PageControl(tag);
    return c ? c->getValue() : -1000.f;
  }
  // The points of MSEG m: times (levels 0.5), the rest of the 64 unused.
  void StoreMseg(unsigned int m, const std::vector<float>& times) {
    for (unsigned int k = 0; k < 64; ++k) {
      commands->SetFloatParam(MSEG_TIME + MSEG_STRIDE * m + k, k < times.size() ? times[k] : -1.f);
      commands->SetFloatParam(MSEG_LEVEL + MSEG_STRIDE * m + k, k < times.size() ? 0.5f : 0.f);
    }
  }
  std::vector<float> StoredTimes(unsigned int m) {
    std::vector<float> times;
    for (unsigned int k = 0; k < 64; ++k) {
      const float t = commands->GetFloatParam(MSEG_TIME + MSEG_STRIDE * m + k);
      if (t == -1.f) break;
      times.push_back(t);
    }
    return times;
  }

  // Every control edits and shows its setting of the shown instance only;
  // instance 0 (id - offset) keeps its own.
  void ExpectControlsBound(const std::vector<BOUND>& cases, unsigned int offset) {
    for (const BOUND& b : cases) {
      if (b.isFloat) commands->SetFloatParam(b.id, b.read);
      else commands->SetIntParam(b.id, static_cast<unsigned int>(b.read));
    }
    page->updateAll();
    for (const BOUND& b : cases) EXPECT_FLOAT_EQ(Shown(b.tag), b.read) << b.tag;
    for (const BOUND& b : cases) {
      const float before = commands->GetFloatParam(b.id - offset);
      Set(b.tag, b.written);
      EXPECT_FLOAT_EQ(commands->GetFloatParam(b.id), b.written) << b.tag;
      EXPECT_EQ(commands->GetFloatParam(b.id - offset), before) << b.tag;
    }
  }

  CModView* page = nullptr;
};

}  // namespace

TEST_F(ModPageTest, LfoSelectorMovesTheLfoControlsToTheFourthLfo) {
  EXPECT_EQ(Shown(CModView::TAG_LFO_SELECTOR), 0.f);
  Set(CModView::TAG_LFO_SELECTOR, 3.f);
  EXPECT_EQ(editor->GetSelectors()[0], 3u);
  const std::vector<BOUND> cases = {
      {156, 159, true, 0.7f, 0.25f}, {160, 163, true, 0.6f, 0.25f}, {164, 167, true, 0.4f, 0.25f},
      {495, 498, false, 5.f, 2.f},   {499, 502, false, 2.f, 0.f},   {503, 506, false, 9.f, 3.f},
      {CModView::TAG_LFO_ON, 494, false, 0.f, 1.f},
  };
  ExpectControlsBound(cases, 3);
}

TEST_F(ModPageTest, AmplitudeEnvelopeIsShownFirstAndEditable) {
  // The envelope selector starts on the amplitude envelope.
  EXPECT_EQ(Shown(CModView::TAG_ENV_SELECTOR), 3.f);
  const std::vector<BOUND> cases = {
      {136, 139, true, 0.1f, 0.25f}, {140, 143, true, 0.2f, 0.25f}, {144, 147, true, 0.3f, 0.25f},
      {148, 151, true, 0.4f, 0.25f}, {152, 155, true, 0.6f, 0.25f}, {511, 514, true, 0.7f, 0.25f},
      {515, 518, true, 0.8f, 0.25f}, {519, 522, false, 12.f, 3.f},  {523, 526, false, 1.f, 0.f},
      {CModView::TAG_ENV_ON, 510, false, 0.f, 1.f},
  };
  ExpectControlsBound(cases, 3);
}

TEST_F(ModPageTest, EnvelopeThreeAttackWritesItsOwnParameterAndTheHostHearsIt) {
  Set(CModView::TAG_ENV_SELECTOR, 2.f);
  host->calls.clear();
  Set(136, 0.375f);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(138), 0.375f);
  std::vector<HOST_CALL> automate = Calls(audioMasterAutomate);
  ASSERT_EQ(automate.size(), 1u);
  EXPECT_EQ(automate[0].index, Params::SynthParamToVstParam(138));
  EXPECT_FLOAT_EQ(automate[0].opt, 0.375f);
  commands->SetFloatParam(138, 0.5f);
  page->updateAll();
  EXPECT_FLOAT_EQ(Shown(136), 0.5f);
}

TEST_F(ModPageTest, MsegSelectorSwitchesTheEditorAndItsSettings) {
  StoreMseg(2, {0.f, 4.f, 9.f, 16.f});
  commands->SetIntParam(795, 6);
  commands->SetFloatParam(178, 0.3f);
  commands->SetIntParam(775, 1);
  Set(CModView::TAG_MSEG_SELECTOR, 2.f);
  CMsegControl* mseg = page->GetMsegControl();
  EXPECT_EQ(mseg->GetInstance(), 2u);
  EXPECT_EQ(mseg->GetPoints().size(), 4u);
  EXPECT_EQ(Shown(793), 6.f);
  EXPECT_FLOAT_EQ(Shown(176), 0.3f);
  EXPECT_EQ(Shown(CModView::TAG_MSEG_ON), 1.f);
  // The settings below the editor write MSEG 3's parameters.
  Set(797, 2.f);
  Set(176, 0.8f);
  Set(789, 1.f);
  Set(CModView::TAG_MSEG_LOOP, 0.f);
  EXPECT_EQ(commands->GetIntParam(799), 2u);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(178), 0.8f);
  EXPECT_EQ(commands->GetIntParam(791), 1u);
  EXPECT_EQ(mseg->GetCurveMode(), 1u);
  EXPECT_EQ(commands->GetIntParam(779), 0u);
  EXPECT_FALSE(mseg->IsLoopEnabled());
  // A hostile selector value still names one of the four.
  Set(CModView::TAG_MSEG_SELECTOR, 1e9f);
  EXPECT_LT(editor->GetSelectors()[2], 4u);
}

TEST_F(ModPageTest, MsegCopyPastesPointsRateTriggerAndSyncIntoAnotherMseg) {
  StoreMseg(0, {0.f, 2.f, 5.f});
  commands->SetFloatParam(176, 0.3f);
  commands->SetIntParam(797, 2);
  commands->SetIntParam(793, 7);
  StoreMseg(3, {0.f, 8.f, 10.f, 12.f, 16.f});
  page->updateAll();

  // Paste with an empty clipboard changes nothing.
  Set(CModView::TAG_MSEG_SELECTOR, 3.f);
  ChooseMenuEntry("Paste");
  Press(CModView::TAG_MSEG_MENU);
  EXPECT_EQ(StoredTimes(3), (std::vector<float>{0.f, 8.f, 10.f, 12.f, 16.f}));

  Set(CModView::TAG_MSEG_SELECTOR, 0.f);
  ChooseMenuEntry("Copy");
  Press(CModView::TAG_MSEG_MENU);
  Set(CModView::TAG_MSEG_SELECTOR, 3.f);
  ChooseMenuEntry("Paste");
  Press(CModView::TAG_MSEG_MENU);
  EXPECT_EQ(StoredTimes(3), (std::vector<float>{0.f, 2.f, 5.f}));
  EXPECT_FLOAT_EQ(commands->GetFloatParam(179), 0.3f);
  EXPECT_EQ(commands->GetIntParam(800), 2u);
  EXPECT_EQ(commands->GetIntParam(796), 7u);
  // The page shows what was pasted.
  EXPECT_FLOAT_EQ(Shown(176), 0.3f);
  EXPECT_EQ(Shown(797), 2.f);
  EXPECT_EQ(Shown(793), 7.f);
  EXPECT_EQ(page->GetMsegControl()->GetPoints().size(), 3u);

  // The clipboard belongs to the editor: it survives closing the window.
  Close();
  OpenPage();
  StoreMseg(1, {0.f, 1.f});
  Set(CModView::TAG_MSEG_SELECTOR, 1.f);
  ChooseMenuEntry("Paste");
  Press(CModView::TAG_MSEG_MENU);
  EXPECT_EQ(StoredTimes(1), (std::vector<float>{0.f, 2.f, 5.f}));
}

TEST_F(ModPageTest, MsegMenuActsOnReleaseAndADismissedMenuChangesNothing) {
  StoreMseg(0, {0.f, 3.f});
  page->updateAll();
  ChooseMenuEntry("Reset");
  Set(CModView::TAG_MSEG_MENU, 1.f);
  EXPECT_EQ(menusShown, 0);
  ChooseMenuEntry("");
  host->calls.clear();
  Set(CModView::TAG_MSEG_MENU, 0.f);
  EXPECT_EQ(menusShown, 1);
  EXPECT_EQ(StoredTimes(0), (std::vector<float>{0.f, 3.f}));
  EXPECT_TRUE(Calls(audioMasterAutomate).empty());
  // The root menu as the user sees it.
  ASSERT_EQ(shownMenus.size(), 1u);
  EXPECT_EQ(shownMenus[0], (std::vector<std::string>{"Copy", "Paste", "-", "Time snapping", "Level snapping", "-",
                                                     "Load...", "Save...", "Reset"}));
}

TEST_F(ModPageTest, MsegResetRestoresTheFactoryCurveButKeepsTheOnSwitch) {
  const SYNTH_PRESET& factory = PRESET_FACTORY_RESET;
  Set(CModView::TAG_MSEG_SELECTOR, 1.f);
  for (unsigned int on : {0u, 1u}) {
    StoreMseg(1, {0.f, 1.f, 2.f, 3.f, 4.f, 5.f});
    commands->SetFloatParam(177, 0.123f);
    commands->SetIntParam(794, 9);
    commands->SetIntParam(774, on);
    page->updateAll();
    ChooseMenuEntry("Reset");
    Press(CModView::TAG_MSEG_MENU);
    EXPECT_EQ(commands->GetIntParam(774), on);
    EXPECT_FLOAT_EQ(commands->GetFloatParam(177), factory[177]);
    EXPECT_EQ(commands->GetFloatParam(794), factory[794]);
    for (unsigned int k = 0; k < 64; ++k) {
      ASSERT_EQ(commands->GetFloatParam(MSEG_TIME + MSEG_STRIDE + k), factory[MSEG_TIME + MSEG_STRIDE + k]) << k;
    }
    // MSEG 1 is untouched.
    EXPECT_EQ(page->GetMsegControl()->GetPoints().size(), StoredTimes(1).size());
  }
}

TEST_F(ModPageTest, SnappingSubmenusSetAndCheckTheShownSnapping) {
  // Chooses title and records which entries carried the check mark.
  std::vector<std::string> checked;
  auto choose = [&](const std::string& title) {
    frame->setMenuChooser([&checked, title](COptionMenu* root, COptionMenu*& menu, long& index) {
      checked.clear();
      for (long i = 0; i < root->getNbEntries(); ++i) {
        COptionMenu* sub = root->getEntry(i)->getSubmenu();
        for (long k = 0; sub && k < sub->getNbEntries(); ++k) {
          if (sub->getEntry(k)->isChecked()) checked.push_back(sub->getEntry(k)->getTitle());
        }
      }
      return root->findEntry(title.c_str(), menu, index);
    });
  };
  Set(CModView::TAG_MSEG_SELECTOR, 2.f);
  choose("1/4 Step");
  Press(CModView::TAG_MSEG_MENU);
  EXPECT_EQ(commands->GetIntParam(807), 3u);
  EXPECT_EQ(checked, (std::vector<std::string>{"None", "None"}));
  choose("1 octave");
  Press(CModView::TAG_MSEG_MENU);
  EXPECT_EQ(commands->GetIntParam(803), 7u);
  EXPECT_EQ(checked, (std::vector<std::string>{"1/4 Step", "None"}));
  choose("6 octaves");
  Press(CModView::TAG_MSEG_MENU);
  EXPECT_EQ(checked, (std::vector<std::string>{"1/4 Step", "1 octave"}));
  EXPECT_EQ(commands->GetIntParam(803), 12u);
}

TEST_F(ModPageTest, MsegLockSurvivesClosingAndReopeningTheWindow) {
  Set(CModView::TAG_MSEG_LOCK, 1.f);
  EXPECT_TRUE(page->GetMsegControl()->IsLocked());
  Close();
  OpenPage();
  EXPECT_TRUE(page->GetMsegControl()->IsLocked());
  EXPECT_EQ(Shown(CModView::TAG_MSEG_LOCK), 1.f);
  Set(CModView::TAG_MSEG_LOCK, 0.f);
  Close();
  OpenPage();
  EXPECT_FALSE(page->GetMsegControl()->IsLocked());
}

TEST_F(ModPageTest, HostChangesShowOnlyForTheShownInstance) {
  CModulatedKnob* rate = static_cast<CModulatedKnob*>(PageControl(160));
  ASSERT_NE(rate, nullptr);
  EXPECT_EQ(editor->GetRegisteredKnob(160), rate);
  struct CASE {
    long selector;
    float shown;  // the instance on the page
    long tag;     // the page control
    unsigned int id;
    bool moves;   // the change belongs to the shown instance
  } cases[] = {
      {CModView::TAG_LFO_SELECTOR, 1.f, 160, 161, true},  {CModView::TAG_LFO_SELECTOR, 0.f, 160, 161, false},
      {CModView::TAG_LFO_SELECTOR, 3.f, 156, 159, true},  {CModView::TAG_ENV_SELECTOR, 0.f, 140, 140, true},
      {CModView::TAG_ENV_SELECTOR, 1.f, 140, 140, false}, {CModView::TAG_ENV_SELECTOR, 2.f, 152, 154, true},
      {CModView::TAG_ENV_SELECTOR, 3.f, 152, 154, false}, {CModView::TAG_MSEG_SELECTOR, 2.f, 176, 178, true},
      {CModView::TAG_MSEG_SELECTOR, 1.f, 176, 178, false},
  };
  float value = 0.1f;
  for (const CASE& c : cases) {
    Set(c.selector, c.shown);
    const int index = Params::SynthParamToVstParam(c.id);
    ASSERT_GE(index, 0) << c.id;
    const float before = Shown(c.tag);
    value += 0.07f;
    host->effect->setParameter(index, value);
    EXPECT_FLOAT_EQ(commands->GetFloatParam(c.id), value) << c.id;
    EXPECT_FLOAT_EQ(Shown(c.tag), c.moves ? value : before) << c.id << " shown " << c.shown;
  }
  // Settings without a host index follow the same rule when mirrored.
  Set(CModView::TAG_ENV_SELECTOR, 1.f);
  editor->UpdateParamValue(512, 0.9f);
  EXPECT_FLOAT_EQ(Shown(511), 0.9f);
  editor->UpdateParamValue(513, 0.2f);
  EXPECT_FLOAT_EQ(Shown(511), 0.9f);
}

TEST_F(ModPageTest, SelectorChangeMovesTheModulationRingsToTheShownLfo) {
  for (unsigned int s = 0; s < 24; ++s) {
    commands->SetIntParam(362 + s, 0);
    commands->SetIntParam(392 + s, 0);
  }
  // Slot 0: env 1 modulates LFO 2's amount.
  commands->SetIntParam(362, 5);
  commands->SetIntParam(392, static_cast<unsigned int>(Params::ParamIdToModTarget(157)));
  commands->SetFloatParam(331, 0.75f);
  CModulatedKnob* amount = static_cast<CModulatedKnob*>(PageControl(156));
  Set(CModView::TAG_LFO_SELECTOR, 0.f);
  EXPECT_FALSE(amount->isModulationEnabled());
  Set(CModView::TAG_LFO_SELECTOR, 1.f);
  EXPECT_TRUE(amount->isModulationEnabled());
  EXPECT_FLOAT_EQ(amount->getModValue(), 0.5f);
  // The ring's drag writes the slot of LFO 2's amount.
  amount->setModValue(-0.5f);
  editor->OnControlMessage(amount, CONTROL_MSG_MOD_AMOUNT, 0.f);
  EXPECT_FLOAT_EQ(commands->GetFloatParam(331), 0.25f);
}

TEST_F(ModPageTest, PageDrawsItsArtworkAndSelectorsOffScreen) {
  ASSERT_TRUE(CBitmapResources::has("GuiViewMod.png"));
  frame->render();
  auto pixel = [&](CCoord x, CCoord y) { return frame->getPixel(PAGE_X + x, PAGE_Y + y); };
  // The three sections' panels, the MSEG editor's light area.
  const CColor panel = pixel(10, 140);
  EXPECT_EQ(panel.red, 30);
  EXPECT_EQ(panel.blue, 38);
  EXPECT_EQ(pixel(300, 140), panel);
  EXPECT_EQ(pixel(430, 140), panel);
  const CColor area = pixel(454, 112);
  EXPECT_GT(area.red, 90);
  // Each selector lights its shown segment in its section's colour.
  const CColor lfoLit = pixel(56, 24), lfoOff = pixel(56 + 36, 24);
  EXPECT_GT(lfoLit.blue, lfoOff.blue + 40);
  const CColor envLit = pixel(258 + 3 * 36 + 4, 24), envOff = pixel(262, 24);
  EXPECT_GT(envLit.green, envOff.green + 40);
  const CColor msegLit = pixel(582, 24), msegOff = pixel(582 + 40, 24);
  EXPECT_GT(msegLit.red, msegOff.red + 40);
  // Choosing the second LFO moves the light.
  Set(CModView::TAG_LFO_SELECTOR, 1.f);
  frame->render();
  EXPECT_EQ(pixel(56 + 36, 24), lfoLit);
  EXPECT_EQ(pixel(56, 24), lfoOff);
  if (const char* out = std::getenv("MORLAVINE_MOD_PAGE_PNG")) {
    EXPECT_TRUE(frame->writePNG(out));
  }
}
