// The host driver against the test instrument of ToneUnit.h.
#include "tools/render/AuHost.h"

#include <cmath>

#include "ToneUnit.h"
#include "ToolsTestUtil.h"
#include "tools/render/StateCF.h"


TEST(AuHost, DrivesAUnitThroughTheWholeRender) {
    const double rate = 48000.0;
  CMidiScore score;
  score.Clear(120.0);
  score.AddTempo(2.0, 60.0);
  score.Add(0.1, 0x90, 69, 100);   // A4
  score.Add(1.5, 0x80, 69, 0);
  score.Add(1.5, 0x91, 81, 100);  // A5
  score.Sort();

  CRenderSession session(rate, 137);
  CAuHost host(&session.Transport());
  std::string error;
  ASSERT_TRUE(host.Open(ToneComponent(), error)) << error;
  ASSERT_TRUE(host.Configure(rate, 137, error)) << error;
  ASSERT_TRUE(host.Initialize(error)) << error;
  ASSERT_TRUE(host.SetParameter(0, 0.5f, error)) << error;
  float level = 0;
  ASSERT_TRUE(host.GetParameter(0, level, error)) << error;
  EXPECT_EQ(level, 0.5f);

  RENDER_RESULT audio;
  ASSERT_TRUE(session.Run(score, 0.5, host, audio, error)) << error;
  ASSERT_EQ(audio.frames, CMidiScore::FrameOf(2.0, rate));

  // MIDI reached the unit at the frames of its times.
  ASSERT_EQ(g_toneLog.midi.size(), 3u);
  EXPECT_EQ(g_toneLog.midi[0].frame, 4800.0);
  EXPECT_EQ(g_toneLog.midi[1].frame, 72000.0);
  EXPECT_EQ(g_toneLog.midi[2].status, 0x91);
  // Silence before the note, then the pitches played, at the level set.
  for (size_t i = 0; i < 4800; ++i) ASSERT_EQ(audio.left[i], 0.0f) << i;
  EXPECT_NEAR(MeasureFrequency(&audio.left[9600], 24000, rate), 440.0, 1.0);
  EXPECT_NEAR(MeasureFrequency(&audio.left[76800], 19200, rate), 880.0, 2.0);
  EXPECT_NEAR(MeasureLevels(audio).peakDb, 20 * std::log10(0.5), 0.01);
  EXPECT_EQ(audio.right[5000], -audio.left[5000]);

  // The host callbacks answered from the transport of each block.
  ASSERT_EQ(g_toneLog.blockBeats.size(), (audio.frames + 136) / 137);
  for (size_t b = 0; b < g_toneLog.blockBeats.size(); ++b) {
    const double seconds = b * 137 / rate;
    const double beat = seconds < 1.0 ? seconds * 2 : 2 + (seconds - 1);
    ASSERT_NEAR(g_toneLog.blockBeats[b], beat, 1e-9) << b;
    ASSERT_EQ(g_toneLog.blockTempos[b], seconds < 1.0 ? 120.0 : 60.0) << b;
    ASSERT_EQ(g_toneLog.blockPositions[b], b * 137.0) << b;
    ASSERT_EQ(g_toneLog.downBeats[b], std::floor(beat / 4) * 4) << b;
  }
  // Block 1 starts at frame 137, beat 137/24000; the next beat is 1 - that
  // away, 24000 - 137 frames at 120 BPM.
  EXPECT_EQ(g_toneLog.toNextBeat[1], 24000u - 137u);
  host.Close();
}

TEST(AuHost, SavedStateSurvivesTheFileAndRestoresIntoANewInstance) {
  CScratchDir dir;
  const std::string path = dir.File("tone.aupreset");
  std::string error;
  HOST_TRANSPORT transport;
  {
    CAuHost host(&transport);
    ASSERT_TRUE(host.Open(ToneComponent(), error)) << error;
    ASSERT_TRUE(host.Configure(44100, 512, error)) << error;
    ASSERT_TRUE(host.Initialize(error)) << error;
    ASSERT_TRUE(host.SetParameter(0, 0.25f, error)) << error;
    ASSERT_TRUE(host.SetParameter(3, 0.75f, error)) << error;
    ToneOf(host.Unit())->m_chunk = {9, 8, 7};
    PLIST_VALUE state;
    ASSERT_TRUE(host.SaveState(state, error)) << error;
    EXPECT_EQ(state.Find("subtype")->integer, CAuPresetFile::FourCharCode("Tone"));
    EXPECT_EQ(state.Find("mChunkData")->bytes, (std::vector<uint8_t>{9, 8, 7}));
    ASSERT_TRUE(CAuPresetFile::Write(path.c_str(), state, error)) << error;
  }
  PLIST_VALUE state;
  ASSERT_TRUE(CAuPresetFile::Read(path.c_str(), state, error)) << error;
  CAuHost host(&transport);
  ASSERT_TRUE(host.Open(ToneComponent(), error)) << error;
  ASSERT_TRUE(host.Configure(44100, 512, error)) << error;
  ASSERT_TRUE(host.Initialize(error)) << error;
  ASSERT_TRUE(host.RestoreState(state, error)) << error;
  float a = 0, b = 0;
  ASSERT_TRUE(host.GetParameter(0, a, error));
  ASSERT_TRUE(host.GetParameter(3, b, error));
  EXPECT_EQ(a, 0.25f);
  EXPECT_EQ(b, 0.75f);
  EXPECT_EQ(ToneOf(host.Unit())->m_chunk, (std::vector<UInt8>{9, 8, 7}));

  // Another unit's state is refused and changes nothing.
  CAuHost other(&transport);
  ASSERT_TRUE(other.Open(ToneComponent("Othr"), error)) << error;
  PLIST_VALUE otherState;
  ASSERT_TRUE(other.SaveState(otherState, error)) << error;
  EXPECT_FALSE(host.RestoreState(otherState, error));
  EXPECT_NE(error.find("refused the state"), std::string::npos) << error;
  ASSERT_TRUE(host.GetParameter(0, a, error));
  EXPECT_EQ(a, 0.25f);
}

TEST(AuHost, RefusalsAreReportedWithTheCall) {
  HOST_TRANSPORT transport;
  CAuHost host(&transport);
  std::string error;
  EXPECT_FALSE(host.Open(nullptr, error));
  EXPECT_NE(error.find("not registered"), std::string::npos);
  EXPECT_FALSE(host.Configure(44100, 512, error));
  ASSERT_TRUE(host.Open(ToneComponent(), error)) << error;
  ASSERT_TRUE(host.Configure(44100, 64, error)) << error;
  std::vector<float> l(128), r(128);
  // Before initialization, and beyond the maximum frames.
  EXPECT_FALSE(host.Render(64, l.data(), r.data(), error));
  EXPECT_NE(error.find("rendering failed (error -10867)"), std::string::npos) << error;
  ASSERT_TRUE(host.Initialize(error)) << error;
  EXPECT_FALSE(host.Render(128, l.data(), r.data(), error));
  EXPECT_TRUE(host.Render(64, l.data(), r.data(), error)) << error;
  EXPECT_FALSE(host.SetParameter(4, 0.5f, error));  // the unit has 4 parameters
  EXPECT_NE(error.find("setting parameter 4 failed"), std::string::npos) << error;
}

TEST(StateCF, ValuesRoundTripThroughCoreFoundationObjects) {
  PLIST_VALUE root = PLIST_VALUE::Dict();
  root.Set("s", PLIST_VALUE::String("h\xC3\xA9llo"));
  root.Set("i", PLIST_VALUE::Integer(-1234567890123LL));
  root.Set("r", PLIST_VALUE::Real(2.5));
  root.Set("t", PLIST_VALUE::Bool(true));
  root.Set("d", PLIST_VALUE::Data({0, 255, 7}));
  root.Set("e", PLIST_VALUE::Data({}));
  PLIST_VALUE list = PLIST_VALUE::Array();
  list.items.push_back(PLIST_VALUE::Dict());
  list.items.push_back(PLIST_VALUE::Integer(3));
  root.Set("a", list);
  CFPropertyListRef object = StateCF::Create(root);
  ASSERT_NE(object, nullptr);
  PLIST_VALUE back;
  std::string problem;
  ASSERT_TRUE(StateCF::Read(object, back, problem)) << problem;
  CFRelease(object);
  EXPECT_TRUE(back == root);

  // Text that is not UTF-8 has no CF form; a URL has no property-list form.
  EXPECT_EQ(StateCF::Create(PLIST_VALUE::String("bad \xFF byte")), nullptr);
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, CFSTR("/tmp"), kCFURLPOSIXPathStyle, true);
  EXPECT_FALSE(StateCF::Read(url, back, problem));
  CFRelease(url);
}
