// The recorder panel in an open editor: its switches drive and mirror the
// engine's recorder, its tools menu acts on the take as the panel shows it,
// and what the markers select is exactly what the engine plays, trims and
// saves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/EditorFixture.h"
#include "editor/pages/Recorder.h"
#include "editor/pages/SampleView.h"
#include "engine/IGlobalSynth.h"
#include "engine/SampleRecorder.h"
#include "engine/VoiceManager.h"
#include "support/TempDataDir.h"
#include "tests/tools/WavTestUtil.h"

namespace {

// Forwards every command to the engine and notes the recorder's calls in
// order.
class CRecorderCallLog : public ICommandHandler {
 public:
  explicit CRecorderCallLog(ICommandHandler* engine) : e(engine) {}
  std::vector<std::string> log;

  unsigned int GetIntParam(unsigned int id) override { return e->GetIntParam(id); }
  float GetFloatParam(unsigned int id) override { return e->GetFloatParam(id); }
  void SetIntParam(unsigned int id, unsigned int v) override { e->SetIntParam(id, v); }
  void SetFloatParam(unsigned int id, float v) override { e->SetFloatParam(id, v); }
  void ResetParamToFactory(unsigned int id) override { e->ResetParamToFactory(id); }
  bool LoadPreset(SYNTH_PRESET* b, unsigned int v, unsigned int k, unsigned int i) override {
    return e->LoadPreset(b, v, k, i);
  }
  unsigned int SavePreset(SYNTH_PRESET* b, unsigned int k, unsigned int i) override { return e->SavePreset(b, k, i); }
  void SetOscWaveTable(float* t, char* n, unsigned int o) override { e->SetOscWaveTable(t, n, o); }
  void GetOscWaveTable(float** t, char* n, unsigned int o) override { e->GetOscWaveTable(t, n, o); }
  void Panic() override { e->Panic(); }
  bool LoadSample(char const* p, unsigned int o) override { return e->LoadSample(p, o); }
  bool LoadSampleFromMemory(unsigned int o, float* l, float* r, unsigned int f, float rate, char* n) override {
    return e->LoadSampleFromMemory(o, l, r, f, rate, n);
  }
  const char* GetLoadedSamplePath(unsigned int o) override { return e->GetLoadedSamplePath(o); }
  void GetSample(unsigned int o, float** l, float** r, unsigned int& f, float* rate) override {
    e->GetSample(o, l, r, f, rate);
  }
  void SetSampleLoop(unsigned int o, unsigned int s, unsigned int end) override { e->SetSampleLoop(o, s, end); }
  void SetRecSampleLoop(float s, float end) override {
    log.push_back("SetRecSampleLoop " + std::to_string(s) + " " + std::to_string(end));
    e->SetRecSampleLoop(s, end);
  }
  void SetSampleRootPitch(unsigned int o, unsigned int p) override { e->SetSampleRootPitch(o, p); }
  unsigned int GetSampleLoopStart(unsigned int o) override { return e->GetSampleLoopStart(o); }
  unsigned int GetSampleLoopEnd(unsigned int o) override { return e->GetSampleLoopEnd(o); }
  unsigned int GetSampleRootPitch(unsigned int o) override { return e->GetSampleRootPitch(o); }
  void StartRecording() override { log.push_back("StartRecording"), e->StartRecording(); }
  void StopRecording() override { log.push_back("StopRecording"), e->StopRecording(); }
  void ArmRecording() override { e->ArmRecording(); }
  void DisarmRecording() override { e->DisarmRecording(); }
  void StartPlayback() override { log.push_back("StartPlayback"), e->StartPlayback(); }
  void StopPlayback() override { log.push_back("StopPlayback"), e->StopPlayback(); }
  bool IsPlaybackActive() override { return e->IsPlaybackActive(); }
  void DeleteRecordedSample() override { e->DeleteRecordedSample(); }
  bool IsRecordingActive() override { return e->IsRecordingActive(); }
  void GetRecordedSample(float** l, float** r, unsigned int& f) override { e->GetRecordedSample(l, r, f); }
  unsigned int CopyRecordedSample(unsigned int first, unsigned int count, float* l, float* r, unsigned int& f,
                                  unsigned int& g) override {
    return e->CopyRecordedSample(first, count, l, r, f, g);
  }
  void CropRecordedSample() override { e->CropRecordedSample(); }
  void TrimRecordedSample() override { e->TrimRecordedSample(); }
  void ReverseRecordedSample() override { e->ReverseRecordedSample(); }
  void InsertRecordedSampleToOsc(unsigned int o) override { e->InsertRecordedSampleToOsc(o); }

 private:
  ICommandHandler* e;
};

class RecorderTest : public CEditorTest {
 protected:
  void SetUp() override {
    CEditorTest::SetUp();
    Open();
    editor->ShowRecorder();
    recorder = editor->GetRecorder();
    ASSERT_NE(recorder, nullptr);
    ASSERT_TRUE(frame->isChild(recorder));
  }

  CControl* PanelControl(long tag) { return CEditor::getViewControlByTag(recorder, tag); }
  void Set(long tag, float value) {
    CControl* c = PanelControl(tag);
    ASSERT_NE(c, nullptr) << tag;
    c->setValue(value);
    recorder->valueChanged(c);
  }
  void Tick() { editor->notify(nullptr, CVSTGUITimer::kMsgTimer); }

  // A take of n frames whose left channel counts 1, 2, 3, ... and right
  // channel is its negation, recorded with the record switch through the
  // engine's capture.
  void MakeTake(unsigned int n) {
    Set(CRecorder::TAG_RECORD, 1.f);
    std::vector<float> l(n), r(n);
    for (unsigned int i = 0; i < n; ++i) l[i] = static_cast<float>(i + 1), r[i] = -l[i];
    static_cast<CVoiceManager*>(commands)->GetRecorder()->Process(l.data(), r.data(), n);
    Set(CRecorder::TAG_RECORD, 0.f);
  }
  std::vector<float> EngineTake() {
    float *l = nullptr, *r = nullptr;
    unsigned int n = 0;
    commands->GetRecordedSample(&l, &r, n);
    return n ? std::vector<float>(l, l + n) : std::vector<float>();
  }

  // Opens the tools menu, noting each entry's title and whether it is
  // enabled, and picks the entry titled choice (none for "").
  std::vector<std::pair<std::string, bool>> ToolsMenu(const std::string& choice) {
    std::vector<std::pair<std::string, bool>> entries;
    frame->setMenuChooser([&](COptionMenu* root, COptionMenu*& menu, long& index) {
      for (long i = 0; i < root->getNbEntries(); ++i) {
        CMenuItem* item = root->getEntry(i);
        if (!item->isSeparator()) entries.push_back({item->getTitle(), item->isEnabled()});
      }
      return !choice.empty() && root->findEntry(choice.c_str(), menu, index);
    });
    Set(CRecorder::TAG_TOOLS, 1.f);
    Set(CRecorder::TAG_TOOLS, 0.f);
    return entries;
  }

  CRecorder* recorder = nullptr;
};

TEST_F(RecorderTest, RecordSwitchResetsTheRegionBeforeStartingAndPlayStopsRecording) {
  CRecorderCallLog spy(commands);
  CRecorder panel(editor, &spy, editor->GetSynth(), CRect(0, 0, 977, 695), nullptr, nullptr);
  ASSERT_EQ(spy.log, (std::vector<std::string>{"SetRecSampleLoop 0.000000 1.000000"}));
  spy.log.clear();

  CControl* record = CEditor::getViewControlByTag(&panel, CRecorder::TAG_RECORD);
  CControl* play = CEditor::getViewControlByTag(&panel, CRecorder::TAG_PLAY);
  ASSERT_TRUE(record && play);
  record->setValue(1.f);
  panel.valueChanged(record);
  EXPECT_EQ(spy.log, (std::vector<std::string>{"SetRecSampleLoop 0.000000 1.000000", "StartRecording"}));
  EXPECT_TRUE(commands->IsRecordingActive());

  spy.log.clear();
  play->setValue(1.f);
  panel.valueChanged(play);
  EXPECT_EQ(spy.log, (std::vector<std::string>{"StopRecording", "StartPlayback"}));
  EXPECT_FALSE(commands->IsRecordingActive());
  spy.log.clear();
  play->setValue(0.f);
  panel.valueChanged(play);
  EXPECT_EQ(spy.log, (std::vector<std::string>{"StopRecording", "StopPlayback"}));
}

TEST_F(RecorderTest, SwitchesAndMarkersFollowTheEngineAtEveryTick) {
  struct STEP {
    const char* what;
    bool recording, playing;
  } steps[] = {{"start", true, false}, {"stop", false, false}, {"play", false, true}, {"stop play", false, false}};
  MakeTake(100);
  for (const STEP& s : steps) {
    if (s.recording) commands->StartRecording();
    else commands->StopRecording();
    if (s.playing) commands->StartPlayback();
    else commands->StopPlayback();
    Tick();
    EXPECT_EQ(recorder->GetRecordSwitch()->getValue(), s.recording ? 1.f : 0.f) << s.what;
    EXPECT_EQ(recorder->GetPlaySwitch()->getValue(), s.playing ? 1.f : 0.f) << s.what;
    EXPECT_EQ(recorder->GetSampleView()->IsLoopEnabled(), !s.recording) << s.what;
  }
}

TEST_F(RecorderTest, MenuOffersEditsOnlyForAFinishedTakeAndTogglesRecordOnMidi) {
  IGlobalSynth* synth = editor->GetSynth();
  const bool before = synth->GetRecordOnMidiInputFlag();
  auto entries = ToolsMenu("Start recording on MIDI input");
  ASSERT_EQ(entries.size(), 10u);
  for (const auto& e : entries) EXPECT_EQ(e.second, e.first == "Start recording on MIDI input") << e.first;
  EXPECT_EQ(synth->GetRecordOnMidiInputFlag(), !before);
  ToolsMenu("Start recording on MIDI input");
  EXPECT_EQ(synth->GetRecordOnMidiInputFlag(), before);

  MakeTake(50);
  for (const auto& e : ToolsMenu("")) EXPECT_TRUE(e.second) << e.first;
  commands->StartRecording();  // while recording, the same as without a take
  for (const auto& e : ToolsMenu("Clear"))
    EXPECT_EQ(e.second, e.first == "Start recording on MIDI input") << e.first;
  EXPECT_TRUE(commands->IsRecordingActive());  // a disabled entry did nothing
}

// Both markers dragged onto the take's last frame stay movable: a press
// there and a move to the left takes the start marker, and the engine's
// loop follows.
TEST_F(RecorderTest, MarkersThatMeetAtTheEndCanBePulledApart) {
  MakeTake(1000);
  CSampleView* view = recorder->GetSampleView();
  const CRect area = view->getViewSize();
  auto drag = [&](CCoord fromX, CCoord toX) {
    CPoint p(fromX, area.top + 10);
    view->onMouseDown(p, kLButton);
    CPoint q(toX, area.top + 10);
    view->onMouseMoved(q, kLButton);
    view->onMouseUp(q, kLButton);
  };
  drag(area.left + 1, area.right + 50);  // the start marker onto the end one
  ASSERT_EQ(view->GetLoopStart(), 999u);
  ASSERT_EQ(view->GetLoopEnd(), 999u);
  drag(area.right - 1, area.left + area.width() / 2);
  EXPECT_LT(view->GetLoopStart(), 600u);
  EXPECT_EQ(view->GetLoopEnd(), 999u);
  drag(area.left + area.width() / 2 - 1, area.right + 50);  // together again
  ASSERT_EQ(view->GetLoopStart(), 999u);
  drag(area.left + 10, area.left + 20);  // a press left of them takes the start
  EXPECT_LT(view->GetLoopStart(), 30u);
  EXPECT_EQ(view->GetLoopEnd(), 999u);
}

TEST_F(RecorderTest, MarkersTrimAndSaveAgreeFrameForFrame) {
  CTempDataDir dir;
  MakeTake(1000);
  CSampleView* view = recorder->GetSampleView();
  EXPECT_EQ(view->GetLoopStart(), 0u);
  EXPECT_EQ(view->GetLoopEnd(), 999u);

  // Drag the start marker to about a quarter and the end marker to about
  // two thirds of the view.
  const CRect area = view->getViewSize();
  auto drag = [&](CCoord fromX, CCoord toX) {
    CPoint p(fromX, area.top + 10);
    view->onMouseDown(p, kLButton);
    CPoint q(toX, area.top + 10);
    view->onMouseMoved(q, kLButton);
    view->onMouseUp(q, kLButton);
  };
  drag(area.left + 1, area.left + area.width() / 4);
  drag(area.right - 1, area.left + area.width() * 2 / 3);
  const unsigned int s = view->GetLoopStart(), e = view->GetLoopEnd();
  ASSERT_GT(s, 200u);
  ASSERT_LT(e, 700u);

  ToolsMenu("Trim");
  std::vector<float> expected;
  for (unsigned int i = s; i <= e; ++i) expected.push_back(static_cast<float>(i + 1));
  EXPECT_EQ(EngineTake(), expected);
  // The markers cover the new take.
  EXPECT_EQ(view->GetLoopStart(), 0u);
  EXPECT_EQ(view->GetLoopEnd(), e - s);

  const std::string path = dir.Path() + "/take.wav";
  SetFileDialogResponder([&](bool save, const char*, const char*, const char*, std::string& chosen) {
    chosen = path;
    return save;
  });
  ToolsMenu("Save As...");
  const STEREO_WAV wav = ReadStereoWav(path);
  ASSERT_TRUE(wav.ok);
  EXPECT_EQ(wav.format, 3);
  EXPECT_EQ(wav.rate, 44100u);
  EXPECT_EQ(wav.left, expected);
  EXPECT_EQ(wav.right[0], -expected[0]);
  EXPECT_EQ(CRecorder::GetDefaultSaveFolder(), dir.Path());
  EXPECT_EQ(CRecorder::GetDefaultSaveName(), "take");
}

TEST_F(RecorderTest, EditsRefreshTheViewAndInsertClosesThePanel) {
  MakeTake(8);
  ToolsMenu("Reverse");
  EXPECT_EQ(EngineTake(), (std::vector<float>{8, 7, 6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(recorder->GetTake().GetLeft()[0], 8.f);

  ToolsMenu("Insert to OSC 2");
  EXPECT_FALSE(frame->isChild(recorder));
  EXPECT_EQ(commands->GetIntParam(431), 56u);
  EXPECT_EQ(commands->GetIntParam(423), 1u);
  EXPECT_STREQ(commands->GetLoadedSamplePath(1), "Recording");

  editor->ShowRecorder();
  ToolsMenu("Clear");
  EXPECT_TRUE(EngineTake().empty());
  EXPECT_EQ(recorder->GetSampleView()->GetLength(), 0);
}

TEST_F(RecorderTest, RecordingStartedByANoteIsFollowedAndTheViewKeepsItsOwnCopy) {
  MakeTake(10);
  // A new recording replaces the take; the panel's copy follows it at the
  // next tick and never points into the engine's buffers.
  CSampleRecorder* engine = static_cast<CVoiceManager*>(commands)->GetRecorder();
  ASSERT_TRUE(engine->StartInPlace());
  std::vector<float> l(4, 0.5f), r(4, 0.25f);
  engine->Process(l.data(), r.data(), 4);
  Tick();
  ASSERT_EQ(recorder->GetTake().GetLength(), 4u);
  float *el = nullptr, *er = nullptr;
  unsigned int n = 0;
  commands->GetRecordedSample(&el, &er, n);
  EXPECT_NE(recorder->GetTake().GetLeft(), el);
  EXPECT_EQ(recorder->GetTake().GetRight()[3], 0.25f);
  engine->Process(l.data(), r.data(), 4);
  Tick();
  EXPECT_EQ(recorder->GetTake().GetLength(), 8u);
  // It stops by itself (a full buffer, here: stopped behind the panel's
  // back): the view shows the whole take with its markers on its ends.
  commands->StopRecording();
  Tick();
  EXPECT_TRUE(recorder->GetSampleView()->IsLoopEnabled());
  EXPECT_EQ(recorder->GetSampleView()->GetLoopEnd(), 7u);
}

TEST_F(RecorderTest, PanelDrawsTheTake) {
  MakeTake(2000);
  host->Dispatch(effEditIdle);
  frame->render();
  // The outline's orange inside the view, left of its middle.
  CSampleView* view = recorder->GetSampleView();
  const CRect area = view->getViewSize();
  bool orange = false;
  for (long y = static_cast<long>(area.top); y < area.bottom && !orange; ++y) {
    const CColor c = frame->getPixel(static_cast<long>(area.left + 200), y);
    orange = c.red > 200 && c.green > 100 && c.green < 200 && c.blue < 120;
  }
  EXPECT_TRUE(orange);
}

}  // namespace
