// The wavetable editor panel in an open editor: knobs, apply, reset, the
// tools menu with copy and paste, the views, oscillator switching, closing,
// and what the engine hears at each step.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "editor/EditorFixture.h"
#include "editor/ModulatedKnob.h"
#include "editor/pages/HarmonicsView.h"
#include "editor/pages/WaveTableEditor.h"
#include "editor/pages/WaveformControl.h"
#include "engine/CommandHandlerDouble.h"
#include "engine/SynthTypes.h"
#include "tables/PresetFactory.h"

namespace {

const unsigned int N = CWaveTableEditor::WAVE_SIZE;
const long FOLD = TAG_WT_EFFECT_KNOB + CWTEditorEffects::EFFECT_FOLD;
const long DRIVE = TAG_WT_EFFECT_KNOB + CWTEditorEffects::EFFECT_DRIVE;

std::vector<float> Wave(double seed) {
  std::vector<float> w(N);
  for (unsigned int i = 0; i < N; ++i) {
    const double x = 2 * M_PI * i / N;
    w[i] = static_cast<float>(0.6 * std::sin(x + seed) + 0.3 * std::sin(3 * x) + 0.1 * std::cos(7 * x + seed));
  }
  return w;
}

class WaveTableEditorTest : public CEditorTest {
 protected:
  void SetUp() override {
    CEditorTest::SetUp();
    Open();
    for (unsigned int o = 0; o < 4; ++o) {
      waves[o] = Wave(0.5 * o + 0.2);
      char name[16] = "Test";
      name[4] = static_cast<char>('0' + o);
      commands->SetOscWaveTable(waves[o].data(), name, o);
    }
    Change(TAG_OSC_EDIT, 1.f);
    panel = editor->GetWaveTableEditor();
    ASSERT_TRUE(frame->isChild(panel));
  }

  CControl* PanelControl(long tag) {
    CControl* c = panel->GetControl(tag);
    EXPECT_NE(c, nullptr) << tag;
    return c;
  }
  void Set(long tag, float value) {
    CControl* c = PanelControl(tag);
    if (!c) return;
    c->setValue(value);
    panel->valueChanged(c);
  }
  void Press(long tag) {
    Set(tag, 1.f);
    Set(tag, 0.f);
  }
  void Tool(const char* entry) {
    ChooseMenuEntry(entry);
    Press(TAG_WT_TOOLS);
  }
  std::vector<float> Engine(unsigned int osc) {
    std::vector<float> w(N);
    for (unsigned int k = 0; k < N; ++k) w[k] = commands->GetFloatParam(PARAM_WAVETABLE + osc * N + k);
    return w;
  }
  std::vector<float> Work() { return std::vector<float>(panel->GetWorkWave(), panel->GetWorkWave() + N); }
  std::vector<float> Committed(unsigned int osc) {
    return std::vector<float>(panel->GetCommittedTable(osc), panel->GetCommittedTable(osc) + N);
  }
  // The wave with one effect applied once.
  static std::vector<float> WithEffect(std::vector<float> w, unsigned int type, float amount) {
    CWTEditorEffects fx;
    fx.SetType(type);
    fx.Process(w.data(), amount);
    return w;
  }

  CWaveTableEditor* panel = nullptr;
  std::vector<float> waves[4];
};

TEST_F(WaveTableEditorTest, OpensOnTheOscillatorsTableWithItsName) {
  EXPECT_EQ(panel->GetOscInstance(), 0u);
  EXPECT_STREQ(panel->GetTableName(), "Test0");
  EXPECT_EQ(Committed(0), waves[0]);
  EXPECT_EQ(Work(), waves[0]);  // no effects: the work wave is the table
  EXPECT_FALSE(panel->IsSpectrumShown());
  EXPECT_EQ(commands->GetIntParam(430), 55u);
}

TEST_F(WaveTableEditorTest, AKnobMoveIsHeardWhileTheCommittedTableStaysAndApplyCommits) {
  Set(FOLD, 0.6f);
  const std::vector<float> folded = WithEffect(waves[0], CWTEditorEffects::EFFECT_FOLD, 0.6f);
  EXPECT_EQ(Work(), folded);
  EXPECT_EQ(Engine(0), folded);
  EXPECT_EQ(Committed(0), waves[0]);
  // Effects run in type order on the committed table, not on each other's
  // last result.
  Set(DRIVE, 0.2f);
  EXPECT_EQ(Engine(0), WithEffect(WithEffect(waves[0], CWTEditorEffects::EFFECT_DRIVE, 0.2f),
                                  CWTEditorEffects::EFFECT_FOLD, 0.6f));
  Set(DRIVE, 0.f);
  EXPECT_EQ(Engine(0), folded);

  Press(TAG_WT_APPLY);
  EXPECT_EQ(Committed(0), folded);
  EXPECT_EQ(Engine(0), folded);
  EXPECT_EQ(panel->GetEffectAmount(CWTEditorEffects::EFFECT_FOLD, 0), 0.f);
  EXPECT_EQ(PanelControl(FOLD)->getValue(), 0.f);
  // A refresh now finds the committed table in the engine: nothing doubles.
  editor->updateMainView();
  EXPECT_EQ(Work(), folded);
}

TEST_F(WaveTableEditorTest, ResetEffectsReturnsToTheCommittedTable) {
  Set(FOLD, 0.6f);
  Set(TAG_WT_EFFECT_KNOB + CWTEditorEffects::EFFECT_WIDTH, 0.3f);
  Press(TAG_WT_RESET_EFFECTS);
  for (unsigned int k = 0; k < CWaveTableEditor::EFFECT_COUNT; ++k) {
    EXPECT_EQ(panel->GetEffectAmount(k, 0), 0.f);
    EXPECT_EQ(PanelControl(TAG_WT_EFFECT_KNOB + k)->getValue(), 0.f);
  }
  EXPECT_EQ(Work(), waves[0]);
  EXPECT_EQ(Engine(0), waves[0]);
}

TEST_F(WaveTableEditorTest, EachOscillatorKeepsItsAmountsAndTheyApplyOnlyOnce) {
  Set(FOLD, 0.4f);
  editor->ShowWaveTableEditor(1);
  EXPECT_EQ(panel->GetOscInstance(), 1u);
  EXPECT_EQ(PanelControl(FOLD)->getValue(), 0.f);
  EXPECT_EQ(Work(), waves[1]);
  Set(DRIVE, 0.7f);

  editor->ShowWaveTableEditor(0);
  EXPECT_FLOAT_EQ(PanelControl(FOLD)->getValue(), 0.4f);
  EXPECT_EQ(PanelControl(DRIVE)->getValue(), 0.f);
  // The engine held oscillator 0's work wave all along; reopening keeps the
  // table as committed instead of folding the folded wave again.
  EXPECT_EQ(Committed(0), waves[0]);
  EXPECT_EQ(Engine(0), WithEffect(waves[0], CWTEditorEffects::EFFECT_FOLD, 0.4f));
  EXPECT_EQ(Engine(1), WithEffect(waves[1], CWTEditorEffects::EFFECT_DRIVE, 0.7f));

  // A table changed from outside becomes the committed table; the knob's
  // effect then applies to it.
  const std::vector<float> other = Wave(2.5);
  commands->SetOscWaveTable(const_cast<float*>(other.data()), nullptr, 0);
  editor->updateMainView();
  EXPECT_EQ(Committed(0), other);
  EXPECT_EQ(Engine(0), WithEffect(other, CWTEditorEffects::EFFECT_FOLD, 0.4f));
}

TEST_F(WaveTableEditorTest, CloseCommitsWhatIsHeard) {
  Set(FOLD, 0.5f);
  const std::vector<float> heard = Engine(0);
  Press(TAG_WT_CLOSE);
  EXPECT_FALSE(frame->isChild(panel));
  EXPECT_EQ(Committed(0), heard);
  EXPECT_EQ(Engine(0), heard);
  EXPECT_EQ(panel->GetEffectAmount(CWTEditorEffects::EFFECT_FOLD, 0), 0.f);
  // Reopened: the same wave, no effect left to apply.
  Change(TAG_OSC_EDIT, 1.f);
  EXPECT_EQ(Work(), heard);
  // Closed by the editor itself (any other way of closing): committed too.
  Set(DRIVE, 0.5f);
  const std::vector<float> driven = Engine(0);
  editor->CloseWaveTableEditor();
  EXPECT_FALSE(frame->isChild(panel));
  EXPECT_EQ(Committed(0), driven);
  EXPECT_EQ(panel->GetEffectAmount(CWTEditorEffects::EFFECT_DRIVE, 0), 0.f);
}

TEST_F(WaveTableEditorTest, ToolsMenuEntriesDependOnTheViewAndPasteWaitsForACopy) {
  std::vector<long> pasteFlags;
  frame->setMenuChooser([&](COptionMenu* root, COptionMenu*& menu, long& index) {
    shownMenus.push_back(Titles(root));
    long i = root->getIndex("Paste");
    pasteFlags.push_back(i >= 0 ? root->getEntry(i)->getFlags() : -1);
    return false;
  });
  Press(TAG_WT_TOOLS);
  ASSERT_EQ(shownMenus.size(), 1u);
  EXPECT_EQ(shownMenus[0], (std::vector<std::string>{"Normalize", "Remove DC offset", "Invert", "Reverse",
                                                      "Shift to zero crossing", "-", "Clear", "-", "Copy", "Paste"}));
  EXPECT_TRUE(pasteFlags[0] & CMenuItem::kDisabled);

  // Paste before any copy does nothing.
  Set(FOLD, 0.5f);
  const std::vector<float> before = Engine(0);
  Tool("Paste");
  EXPECT_EQ(Engine(0), before);
  EXPECT_EQ(Committed(0), waves[0]);
  EXPECT_FALSE(panel->HasClipboard());

  Tool("Copy");
  EXPECT_TRUE(panel->HasClipboard());
  Set(TAG_WT_VIEW_MODE, 1.f);
  frame->setMenuChooser([&](COptionMenu* root, COptionMenu*&, long&) {
    shownMenus.push_back(Titles(root));
    long i = root->getIndex("Paste");
    pasteFlags.push_back(i >= 0 ? root->getEntry(i)->getFlags() : -1);
    return false;
  });
  Press(TAG_WT_TOOLS);
  EXPECT_EQ(shownMenus.back(),
            (std::vector<std::string>{"Normalize", "-", "Remove even harmonics", "Remove odd harmonics",
                                      "Make organ sound", "-", "Clear", "Reset phase", "Randomize phase", "-", "Copy",
                                      "Paste"}));
  EXPECT_FALSE(pasteFlags.back() & CMenuItem::kDisabled);

  // Clear in the spectrum view clears the wave (and commits); paste brings
  // the copy back and commits it.
  Tool("Clear");
  for (float v : Engine(0)) ASSERT_EQ(v, 0.0f);
  for (float v : Committed(0)) ASSERT_EQ(v, 0.0f);
  Tool("Paste");
  EXPECT_EQ(Engine(0), before);
  EXPECT_EQ(Committed(0), before);
  EXPECT_EQ(panel->GetEffectAmount(CWTEditorEffects::EFFECT_FOLD, 0), 0.f);
}

TEST_F(WaveTableEditorTest, WaveOperationsCommitAtOnce) {
  Set(FOLD, 0.3f);
  const std::vector<float> folded = Engine(0);
  Tool("Reverse");
  std::vector<float> reversed(folded.rbegin(), folded.rend());
  EXPECT_EQ(Committed(0), reversed);
  EXPECT_EQ(Engine(0), reversed);
  EXPECT_EQ(PanelControl(FOLD)->getValue(), 0.f);
  Tool("Reverse");
  EXPECT_EQ(Engine(0), folded);

  // Spectrum operations in the spectrum view.
  Set(TAG_WT_VIEW_MODE, 1.f);
  EXPECT_TRUE(panel->IsSpectrumShown());
  Tool("Remove odd harmonics");
  CSpectrumControl probe(CRect(0, 0, 100, 100), nullptr, 0, nullptr);
  std::vector<float> heard = Engine(0);
  probe.SetWaveTable(heard.data());
  EXPECT_LT(probe.GetMagnitudes()[1], 1e-4f);
  EXPECT_EQ(Committed(0), heard);
}

TEST_F(WaveTableEditorTest, BalanceWorksOnTheWaveAsItStands) {
  // The spectrum view analyses the table; back in the waveform view the
  // wave is inverted, which leaves the spectrum's bins as they were.
  Set(TAG_WT_VIEW_MODE, 1.f);
  Set(TAG_WT_VIEW_MODE, 0.f);
  Tool("Invert");
  std::vector<float> inverted = Engine(0);
  for (unsigned int i = 0; i < N; ++i) ASSERT_EQ(inverted[i], -waves[0][i]);

  Press(TAG_WT_BALANCE);
  CSpectrumControl reference(CRect(0, 0, 100, 100), nullptr, 0, nullptr);
  reference.SetWaveTable(inverted.data());
  reference.Balance();  // Balance of the inverted wave, in place
  const std::vector<float> heard = Engine(0);
  for (unsigned int i = 0; i < N; ++i) ASSERT_NEAR(heard[i], inverted[i], 1e-5f) << i;
  EXPECT_EQ(Committed(0), heard);
  // The inversion survived: the wave still opposes the original.
  double dot = 0;
  for (unsigned int i = 0; i < N; ++i) dot += heard[i] * waves[0][i];
  EXPECT_LT(dot, 0.0);
}

TEST_F(WaveTableEditorTest, OneClickOnSmoothSmoothsOnce) {
  std::vector<float> expected = waves[0];
  CWaveformControl once(CRect(0, 0, 100, 100), nullptr, 0, nullptr);
  once.SetWaveTable(expected.data());
  once.Smooth();
  Press(TAG_WT_SMOOTH);
  EXPECT_EQ(Engine(0), expected);
  EXPECT_EQ(Committed(0), expected);
}

TEST_F(WaveTableEditorTest, ResetTableRestoresTheFactoryWaveAndZeroesTheKnobs) {
  Set(FOLD, 0.5f);
  Press(TAG_WT_RESET_TABLE);
  EXPECT_EQ(PanelControl(FOLD)->getValue(), 0.f);
  const std::vector<float> factory(&PRESET_FACTORY_RESET[PARAM_WAVETABLE], &PRESET_FACTORY_RESET[PARAM_WAVETABLE] + N);
  EXPECT_EQ(Engine(0), factory);
  EXPECT_EQ(Committed(0), factory);
  EXPECT_EQ(Work(), factory);
}

TEST_F(WaveTableEditorTest, TheOpenPanelDrawsBothViews) {
  auto orangePixels = [&](CCoord bottom) {
    int n = 0;
    for (long y = 135; y < bottom; y += 2) {
      for (long x = 340; x < 895; x += 2) {
        CColor c = frame->getPixel(x, y);
        if (c.red > 120 && c.red > c.blue + 60 && c.green > 40) ++n;
      }
    }
    return n;
  };
  host->Dispatch(effEditIdle);
  frame->render();
  const int waveform = orangePixels(483);
  EXPECT_GT(waveform, 2000);
  // The first effect knob's body, grey on the dark effects box.
  const CColor knob = frame->getPixel(131, 149);
  EXPECT_GT(knob.red, 50);
  EXPECT_LT(knob.red, 100);
  if (const char* out = std::getenv("MORLAVINE_WTEDITOR_PNG")) {
    EXPECT_TRUE(frame->writePNG(out));
  }

  Set(TAG_WT_VIEW_MODE, 1.f);
  host->Dispatch(effEditIdle);
  frame->render();
  EXPECT_GT(orangePixels(461), 200);
  EXPECT_NE(orangePixels(461), waveform);
  if (const char* out = std::getenv("MORLAVINE_WTSPECTRUM_PNG")) {
    EXPECT_TRUE(frame->writePNG(out));
  }
}

// Counts what reaches the engine.
struct COUNTING_COMMANDS : CCommandHandlerDouble {
  float GetFloatParam(unsigned int id) override {
    ++reads;
    return CCommandHandlerDouble::GetFloatParam(id);
  }
  void SetOscWaveTable(float* table, char*, unsigned int osc) override {
    ++sends;
    lastOsc = osc;
    sent.assign(table, table + N);
  }
  int reads = 0, sends = 0;
  unsigned int lastOsc = 99;
  std::vector<float> sent;
};

TEST(WaveTableEditorPanel, AKnobMoveReachesTheEngineAsOneWaveCopyAndNothingElse) {
  // The effects and the analysis run on the editor's side; the engine only
  // receives the finished wave (copied under its lock), so a drag never
  // makes the audio wait for the effects.
  COUNTING_COMMANDS commands;
  const std::vector<float> wave = Wave(0.3);
  for (unsigned int k = 0; k < N; ++k) commands.params[PARAM_WAVETABLE + 2 * N + k] = wave[k];
  CWaveTableEditor* panel = new CWaveTableEditor(nullptr, &commands, CRect(0, 0, 977, 695), nullptr, nullptr);
  panel->SetOscInstance(2);
  EXPECT_EQ(commands.sends, 0);  // opening sends nothing the engine holds already
  commands.reads = 0;
  for (int move = 1; move <= 5; ++move) {
    CControl* knob = panel->GetEffectKnob(CWTEditorEffects::EFFECT_WIDTH);
    knob->setValue(0.1f * move);
    panel->valueChanged(knob);
    EXPECT_EQ(commands.sends, move);
  }
  EXPECT_EQ(commands.reads, 0);
  EXPECT_EQ(commands.lastOsc, 2u);
  EXPECT_EQ(commands.sent, std::vector<float>(panel->GetWorkWave(), panel->GetWorkWave() + N));
  panel->forget();
}

}  // namespace
