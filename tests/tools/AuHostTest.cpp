// The host driver against a small test instrument built on the same Audio Unit
// layer as the real one: a sine voice at the last note's pitch, its level set
// by parameter 0, with a chunk of its own in the saved state.
#include "tools/render/AuHost.h"

#include <cmath>

#include "ToolsTestUtil.h"
#include "platform/au/MusicDeviceBase.h"
#include "tools/render/StateCF.h"

namespace {

struct RECEIVED_MIDI {
  double frame;  // the block's sample time plus the offset
  uint8_t status, data1;
};

// What the test unit saw; one per process is enough for these tests.
struct TONE_LOG {
  std::vector<RECEIVED_MIDI> midi;
  std::vector<double> blockBeats, blockTempos, blockPositions;
  std::vector<uint32_t> toNextBeat;
  std::vector<double> downBeats;
};
TONE_LOG g_log;

class CToneUnit : public MusicDeviceBase {
 public:
  explicit CToneUnit(AudioComponentInstance instance) : MusicDeviceBase(instance, 0, 1) {}

  void PostConstructor() override {
    MusicDeviceBase::PostConstructor();
    Globals()->UseIndexedParameters(4);
  }

  OSStatus HandleMidiEvent(UInt8 status, UInt8 channel, UInt8 data1, UInt8 data2,
                           UInt32 startFrame) override {
    g_log.midi.push_back({m_blockStart + startFrame, static_cast<uint8_t>(status | channel), data1});
    if (status == 0x90 && data2 > 0) {
      m_pendingNote = data1;
      m_pendingOffset = startFrame;
    }
    return noErr;
  }

  OSStatus Render(AudioUnitRenderActionFlags& flags, const AudioTimeStamp& stamp,
                  UInt32 frames) override {
    Float64 beat = -1, tempo = -1;
    CallHostBeatAndTempo(&beat, &tempo);
    UInt32 delta = 0, denominator = 0;
    Float32 numerator = 0;
    Float64 downBeat = -1;
    CallHostMusicalTimeLocation(&delta, &numerator, &denominator, &downBeat);
    Boolean playing = false, changed = false, cycling = true;
    Float64 position = -1, cs = -1, ce = -1;
    CallHostTransportState(&playing, &changed, &position, &cycling, &cs, &ce);
    g_log.blockBeats.push_back(beat);
    g_log.blockTempos.push_back(tempo);
    g_log.blockPositions.push_back(position);
    g_log.toNextBeat.push_back(delta);
    g_log.downBeats.push_back(downBeat);

    AudioBufferList& list = GetOutput(0)->GetBufferList();
    float* left = static_cast<float*>(list.mBuffers[0].mData);
    float* right = static_cast<float*>(list.mBuffers[1].mData);
    float level = 0.0f;
    Globals()->GetParameter(0, level);
    const double rate = GetStreamFormat(kAudioUnitScope_Output, 0).mSampleRate;
    for (UInt32 i = 0; i < frames; ++i) {
      if (m_pendingNote >= 0 && i == m_pendingOffset) {
        m_frequency = 440.0 * std::pow(2.0, (m_pendingNote - 69) / 12.0);
        m_pendingNote = -1;
      }
      float s = 0.0f;
      if (m_frequency > 0.0) {
        s = level * static_cast<float>(std::sin(m_phase));
        m_phase += 2.0 * M_PI * m_frequency / rate;
      }
      left[i] = s;
      right[i] = -s;
    }
    m_blockStart = stamp.mSampleTime + frames;
    return noErr;
  }

  OSStatus SaveState(CFPropertyListRef* out) override {
    OSStatus status = MusicDeviceBase::SaveState(out);
    if (status != noErr) return status;
    CFDataRef chunk = CFDataCreate(nullptr, m_chunk.data(), static_cast<CFIndex>(m_chunk.size()));
    CFDictionarySetValue(static_cast<CFMutableDictionaryRef>(const_cast<void*>(*out)),
                         CFSTR("mChunkData"), chunk);
    CFRelease(chunk);
    return noErr;
  }

  OSStatus RestoreState(CFPropertyListRef in) override {
    OSStatus status = MusicDeviceBase::RestoreState(in);
    if (status != noErr) return status;
    CFTypeRef chunk = CFDictionaryGetValue(static_cast<CFDictionaryRef>(in), CFSTR("mChunkData"));
    if (CFGetTypeID(chunk) != CFDataGetTypeID()) return kAudioUnitErr_InvalidPropertyValue;
    CFDataRef data = static_cast<CFDataRef>(chunk);
    const UInt8* bytes = CFDataGetBytePtr(data);
    m_chunk.assign(bytes, bytes + CFDataGetLength(data));
    return noErr;
  }

  std::vector<UInt8> m_chunk = {1, 2, 3, 250};

 private:
  double m_blockStart = 0;
  int m_pendingNote = -1;
  UInt32 m_pendingOffset = 0;
  double m_frequency = 0;
  double m_phase = 0;
};

OSStatus ToneEntry(ComponentParameters* params, void* storage) {
  return ComponentEntryPoint<CToneUnit>::Dispatch(params, storage);
}

AudioComponent ToneComponent(const char* subtype = "Tone") {
  AudioComponentDescription desc = {kAudioUnitType_MusicDevice,
                                    static_cast<OSType>(CAuPresetFile::FourCharCode(subtype)),
                                    FourCharCode("Test"), 0, 0};
  return AudioComponentRegister(&desc, "Test tone", 1, ToneEntry);
}

CToneUnit* ToneOf(AudioUnit unit) {
  return static_cast<CToneUnit*>(static_cast<ComponentBase*>(GetComponentInstanceStorage(unit)));
}

// Frequency from the zero crossings of a stretch of signal.
double MeasureFrequency(const float* x, size_t n, double rate) {
  size_t first = 0, last = 0, count = 0;
  for (size_t i = 1; i < n; ++i) {
    if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
      if (count == 0) first = i;
      last = i;
      ++count;
    }
  }
  return count > 1 ? (count - 1) * rate / double(last - first) : 0.0;
}

}  // namespace

TEST(AuHost, DrivesAUnitThroughTheWholeRender) {
  g_log = TONE_LOG();
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
  ASSERT_EQ(g_log.midi.size(), 3u);
  EXPECT_EQ(g_log.midi[0].frame, 4800.0);
  EXPECT_EQ(g_log.midi[1].frame, 72000.0);
  EXPECT_EQ(g_log.midi[2].status, 0x91);
  // Silence before the note, then the pitches played, at the level set.
  for (size_t i = 0; i < 4800; ++i) ASSERT_EQ(audio.left[i], 0.0f) << i;
  EXPECT_NEAR(MeasureFrequency(&audio.left[9600], 24000, rate), 440.0, 1.0);
  EXPECT_NEAR(MeasureFrequency(&audio.left[76800], 19200, rate), 880.0, 2.0);
  EXPECT_NEAR(MeasureLevels(audio).peakDb, 20 * std::log10(0.5), 0.01);
  EXPECT_EQ(audio.right[5000], -audio.left[5000]);

  // The host callbacks answered from the transport of each block.
  ASSERT_EQ(g_log.blockBeats.size(), (audio.frames + 136) / 137);
  for (size_t b = 0; b < g_log.blockBeats.size(); ++b) {
    const double seconds = b * 137 / rate;
    const double beat = seconds < 1.0 ? seconds * 2 : 2 + (seconds - 1);
    ASSERT_NEAR(g_log.blockBeats[b], beat, 1e-9) << b;
    ASSERT_EQ(g_log.blockTempos[b], seconds < 1.0 ? 120.0 : 60.0) << b;
    ASSERT_EQ(g_log.blockPositions[b], b * 137.0) << b;
    ASSERT_EQ(g_log.downBeats[b], std::floor(beat / 4) * 4) << b;
  }
  // Block 1 starts at frame 137, beat 137/24000; the next beat is 1 - that
  // away, 24000 - 137 frames at 120 BPM.
  EXPECT_EQ(g_log.toNextBeat[1], 24000u - 137u);
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
