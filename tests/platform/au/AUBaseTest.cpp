// A small music device built on the Audio Unit base classes, opened through
// the component dispatcher and driven only through the host calls.

#include <gtest/gtest.h>

#include <time.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/au/AudioToolbox.h"
#include "platform/au/HostTime.h"
#include "platform/au/MusicDeviceBase.h"

namespace {

int g_liveUnits = 0;

class CTestUnit : public MusicDeviceBase {
 public:
  static constexpr UInt32 kParams = 4;

  explicit CTestUnit(AudioComponentInstance instance) : MusicDeviceBase(instance, 0, 1) {
    ++g_liveUnits;
    CreateElements();
    Globals()->UseIndexedParameters(kParams);
  }
  ~CTestUnit() override { --g_liveUnits; }

  OSStatus Version() override { return 0x10401; }
  OSStatus Initialize() override {
    calls.push_back("Initialize");
    return noErr;
  }
  void Cleanup() override { calls.push_back("Cleanup"); }
  OSStatus Reset(AudioUnitScope scope, AudioUnitElement element) override {
    calls.push_back("Reset");
    return AUBase::Reset(scope, element);
  }
  UInt32 SupportedNumChannels(const AUChannelInfo** outInfo) override {
    static const AUChannelInfo info[1] = {{0, 2}};
    if (outInfo) *outInfo = info;
    return 1;
  }
  OSStatus GetParameterInfo(AudioUnitScope scope, AudioUnitParameterID id,
                            AudioUnitParameterInfo& info) override {
    if (scope != kAudioUnitScope_Global || id >= kParams) return kAudioUnitErr_InvalidParameter;
    snprintf(info.name, sizeof(info.name), "Param %u", id);
    info.maxValue = 1.0f;
    info.flags = kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable;
    return noErr;
  }
  // Writes frame index k as k + 1 (left) and -(k + 1) (right).
  OSStatus Render(AudioUnitRenderActionFlags&, const AudioTimeStamp&, UInt32 frames) override {
    AudioBufferList& list = GetOutput(0)->GetBufferList();
    if (list.mNumberBuffers != 2) return kAudio_ParamError;
    float* left = static_cast<float*>(list.mBuffers[0].mData);
    float* right = static_cast<float*>(list.mBuffers[1].mData);
    for (UInt32 k = 0; k < frames; ++k) {
      left[k] = static_cast<float>(k + 1);
      right[k] = -static_cast<float>(k + 1);
    }
    return noErr;
  }
  OSStatus SaveState(CFPropertyListRef* outData) override {
    OSStatus err = AUBase::SaveState(outData);
    if (err != noErr) return err;
    CFMutableDictionaryRef dict =
        reinterpret_cast<CFMutableDictionaryRef>(const_cast<void*>(*outData));
    const UInt8 chunk[3] = {7, 8, 9};
    CFDataRef data = CFDataCreate(nullptr, chunk, 3);
    CFDictionarySetValue(dict, CFSTR("mChunkData"), data);
    CFRelease(data);
    return noErr;
  }

  OSStatus HandleMidiEvent(UInt8 status, UInt8 channel, UInt8 data1, UInt8 data2,
                           UInt32 startFrame) override {
    midi.push_back("midi " + std::to_string(status) + " ch" + std::to_string(channel));
    return MusicDeviceBase::HandleMidiEvent(status, channel, data1, data2, startFrame);
  }
  OSStatus HandleNoteOn(UInt8 channel, UInt8 note, UInt8 velocity, UInt32 frame) override {
    midi.push_back("on " + std::to_string(note) + " " + std::to_string(velocity) + " @" +
                   std::to_string(frame));
    return noErr;
  }
  OSStatus HandleNoteOff(UInt8 channel, UInt8 note, UInt8 velocity, UInt32 frame) override {
    midi.push_back("off " + std::to_string(note));
    return noErr;
  }
  void HandleControlChange(UInt8 channel, UInt8 controller, UInt8 value, UInt32) override {
    midi.push_back("cc " + std::to_string(controller) + "=" + std::to_string(value));
  }
  void HandlePitchWheel(UInt8 channel, UInt8 lsb, UInt8 msb, UInt32) override {
    midi.push_back("bend " + std::to_string(msb * 128 + lsb));
  }
  void HandleChannelPressure(UInt8 channel, UInt8 value, UInt32) override {
    midi.push_back("pressure " + std::to_string(value));
  }

  using AUBase::CallHostBeatAndTempo;
  using AUBase::CallHostTransportState;

  std::vector<std::string> calls;
  std::vector<std::string> midi;
};

OSStatus TestEntry(ComponentParameters* params, void* storage) {
  return ComponentEntryPoint<CTestUnit>::Dispatch(params, storage);
}

const AudioComponentDescription TEST_DESC = {kAudioUnitType_MusicDevice, FourCharCode("Test"),
                                             FourCharCode("Tvnd"), 0, 0};

struct CStereoBuffers {
  explicit CStereoBuffers(UInt32 frames, UInt32 count = 2, bool withData = true)
      : left(frames, 0.0f), right(frames, 0.0f), storage(AudioBufferListSize(count), 0) {
    list()->mNumberBuffers = count;
    for (UInt32 k = 0; k < count; ++k) {
      list()->mBuffers[k].mNumberChannels = 1;
      list()->mBuffers[k].mDataByteSize = frames * sizeof(float);
      list()->mBuffers[k].mData = withData ? (k ? right.data() : left.data()) : nullptr;
    }
  }
  AudioBufferList* list() { return reinterpret_cast<AudioBufferList*>(storage.data()); }
  std::vector<float> left, right;
  std::vector<UInt8> storage;
};

class AUBaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_component = AudioComponentRegister(&TEST_DESC, "Tvnd: Test", 0x10401, TestEntry);
    ASSERT_NE(m_component, nullptr);
    ASSERT_EQ(AudioComponentInstanceNew(m_component, &m_unit), noErr);
    m_object = static_cast<CTestUnit*>(
        static_cast<ComponentBase*>(GetComponentInstanceStorage(m_unit)));
  }
  void TearDown() override {
    if (m_unit) AudioComponentInstanceDispose(m_unit);
  }

  OSStatus Render(UInt32 frames, AudioBufferList* list, UInt32 bus = 0) {
    AudioUnitRenderActionFlags flags = 0;
    AudioTimeStamp ts;
    memset(&ts, 0, sizeof(ts));
    return AudioUnitRender(m_unit, &flags, &ts, bus, frames, list);
  }
  OSStatus SetMaxFrames(UInt32 n) {
    return AudioUnitSetProperty(m_unit, kAudioUnitProperty_MaximumFramesPerSlice,
                                kAudioUnitScope_Global, 0, &n, sizeof(n));
  }
  CAStreamBasicDescription OutputFormat() {
    CAStreamBasicDescription f;
    UInt32 size = sizeof(AudioStreamBasicDescription);
    EXPECT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output,
                                   0, static_cast<AudioStreamBasicDescription*>(&f), &size),
              noErr);
    return f;
  }
  OSStatus SetFormat(const AudioStreamBasicDescription& f, AudioUnitScope scope = kAudioUnitScope_Output,
                     AudioUnitElement element = 0) {
    return AudioUnitSetProperty(m_unit, kAudioUnitProperty_StreamFormat, scope, element, &f,
                                sizeof(f));
  }
  AudioUnitParameter Param(AudioUnitParameterID id) { return {m_unit, id, kAudioUnitScope_Global, 0}; }

  AudioComponent m_component = nullptr;
  AudioUnit m_unit = nullptr;
  CTestUnit* m_object = nullptr;
};

TEST_F(AUBaseTest, DispatcherOpensConstructsAndCloseDeletes) {
  EXPECT_EQ(g_liveUnits, 1);
  ASSERT_NE(m_object, nullptr);
  EXPECT_EQ(m_object->GetComponentInstance(), m_unit);
  EXPECT_EQ(m_object->GetComponentDescription().componentSubType, FourCharCode("Test"));

  // The registration is found by a partial description, and registering again reuses it.
  AudioComponentDescription byType = {kAudioUnitType_MusicDevice, 0, 0, 0, 0};
  AudioComponent found = nullptr;
  bool seen = false;
  while ((found = AudioComponentFindNext(found, &byType)))
    seen = seen || found == m_component;
  EXPECT_TRUE(seen);
  EXPECT_EQ(AudioComponentRegister(&TEST_DESC, "again", 1, TestEntry), m_component);
  EXPECT_STREQ(AudioComponentGetName(m_component), "Tvnd: Test");

  AudioUnit second = nullptr;
  ASSERT_EQ(AudioComponentInstanceNew(m_component, &second), noErr);
  EXPECT_EQ(g_liveUnits, 2);
  EXPECT_EQ(AudioComponentInstanceDispose(second), noErr);
  EXPECT_EQ(g_liveUnits, 1);

  EXPECT_EQ(AudioUnitInitialize(nullptr), badComponentInstance);
  ComponentParameters unknown;
  memset(&unknown, 0, sizeof(unknown));
  unknown.what = 0x7777;
  EXPECT_EQ(TestEntry(&unknown, GetComponentInstanceStorage(m_unit)), badComponentSelector);
  unknown.what = kComponentVersionSelect;
  EXPECT_EQ(TestEntry(&unknown, GetComponentInstanceStorage(m_unit)), 0x10401);
}

TEST_F(AUBaseTest, InitializeUninitializeAndReset) {
  EXPECT_EQ(AudioUnitInitialize(m_unit), noErr);
  EXPECT_EQ(AudioUnitInitialize(m_unit), noErr);  // once only
  EXPECT_TRUE(m_object->IsInitialized());
  EXPECT_EQ(AudioUnitReset(m_unit, kAudioUnitScope_Global, 0), noErr);
  EXPECT_EQ(AudioUnitUninitialize(m_unit), noErr);
  EXPECT_FALSE(m_object->IsInitialized());
  EXPECT_EQ(m_object->calls, (std::vector<std::string>{"Initialize", "Reset", "Cleanup"}));
}

TEST_F(AUBaseTest, StreamFormatsAreCheckedAndKept) {
  CAStreamBasicDescription f = OutputFormat();
  EXPECT_EQ(f.mSampleRate, 44100.0);
  EXPECT_EQ(f.NumberChannels(), 2u);
  EXPECT_FALSE(f.IsInterleaved());
  EXPECT_TRUE(f.IsFloat());
  EXPECT_EQ(f.mBytesPerFrame, 4u);

  CAStreamBasicDescription want(48000.0, 2, false);
  EXPECT_EQ(SetFormat(want), noErr);
  EXPECT_EQ(OutputFormat(), want);

  Float64 rate = 0;
  UInt32 size = sizeof(rate);
  ASSERT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, 0,
                                 &rate, &size),
            noErr);
  EXPECT_EQ(rate, 48000.0);
  rate = 96000.0;
  EXPECT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, 0,
                                 &rate, sizeof(rate)),
            noErr);
  EXPECT_EQ(OutputFormat().mSampleRate, 96000.0);

  // Bad requests change nothing.
  CAStreamBasicDescription noChannels = want;
  noChannels.mChannelsPerFrame = 0;
  CAStreamBasicDescription nanRate = want;
  nanRate.mSampleRate = NAN;
  CAStreamBasicDescription hugeFrame = want;
  hugeFrame.mBytesPerFrame = 1u << 30;
  CAStreamBasicDescription tooMany(48000.0, 1000, false);
  EXPECT_EQ(SetFormat(noChannels), kAudioUnitErr_FormatNotSupported);
  EXPECT_EQ(SetFormat(nanRate), kAudioUnitErr_FormatNotSupported);
  EXPECT_EQ(SetFormat(hugeFrame), kAudioUnitErr_FormatNotSupported);
  EXPECT_EQ(SetFormat(tooMany), kAudioUnitErr_FormatNotSupported);
  EXPECT_EQ(SetFormat(want, kAudioUnitScope_Global), kAudioUnitErr_InvalidScope);
  EXPECT_EQ(SetFormat(want, kAudioUnitScope_Output, 1), kAudioUnitErr_InvalidElement);
  EXPECT_EQ(SetFormat(want, kAudioUnitScope_Input, 0), kAudioUnitErr_InvalidElement);
  EXPECT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output,
                                 0, &want, 8),
            kAudio_ParamError);
  EXPECT_EQ(OutputFormat().mSampleRate, 96000.0);

  // Once initialized the base treats formats as fixed.
  ASSERT_EQ(AudioUnitInitialize(m_unit), noErr);
  EXPECT_EQ(SetFormat(want), kAudioUnitErr_PropertyNotWritable);

  UInt32 count = 0;
  size = sizeof(count);
  EXPECT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, 0,
                                 &count, &size),
            noErr);
  EXPECT_EQ(count, 0u);
  AUChannelInfo channels[1];
  size = sizeof(channels);
  EXPECT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_SupportedNumChannels,
                                 kAudioUnitScope_Global, 0, channels, &size),
            noErr);
  EXPECT_EQ(channels[0].outChannels, 2);
}

TEST(CAStreamBasicDescriptionTest, SampleWordAndChannelChanges) {
  CAStreamBasicDescription f(44100.0, 2, true);
  EXPECT_EQ(f.mBytesPerFrame, 8u);
  EXPECT_EQ(f.SampleWordSize(), 4u);
  EXPECT_EQ(f.NumberChannelStreams(), 1u);
  f.ChangeNumberChannels(2, false);
  EXPECT_EQ(f.mBytesPerFrame, 4u);
  EXPECT_EQ(f.mBytesPerPacket, 4u);
  EXPECT_EQ(f.NumberChannelStreams(), 2u);
  EXPECT_TRUE(f.mFormatFlags & kAudioFormatFlagIsNonInterleaved);

  CAStreamBasicDescription int16;  // interleaved 16-bit mono, frame size unset
  int16.mFormatID = kAudioFormatLinearPCM;
  int16.mChannelsPerFrame = 1;
  int16.mBitsPerChannel = 16;
  EXPECT_EQ(int16.SampleWordSize(), 2u);  // from the bits when the frame size gives 0
  int16.ChangeNumberChannels(2, false);
  EXPECT_EQ(int16.mBytesPerFrame, 2u);
  EXPECT_EQ(int16.mFramesPerPacket, 1u);
}

TEST_F(AUBaseTest, RenderRefusesMoreFramesThanTheMaximum) {
  CStereoBuffers out(512);
  EXPECT_EQ(Render(64, out.list()), kAudioUnitErr_Uninitialized);
  ASSERT_EQ(SetMaxFrames(256), noErr);
  ASSERT_EQ(AudioUnitInitialize(m_unit), noErr);

  EXPECT_EQ(Render(256, out.list()), noErr);
  EXPECT_EQ(out.left[255], 256.0f);
  EXPECT_EQ(out.right[0], -1.0f);
  EXPECT_EQ(out.list()->mBuffers[0].mDataByteSize, 256 * sizeof(float));

  std::fill(out.left.begin(), out.left.end(), 0.0f);
  EXPECT_EQ(Render(257, out.list()), kAudioUnitErr_TooManyFramesToProcess);
  EXPECT_EQ(out.left[0], 0.0f);  // nothing rendered

  // Raising the maximum while initialized reallocates the unit's buffers.
  ASSERT_EQ(SetMaxFrames(512), noErr);
  CStereoBuffers lent(512, 2, false);  // no data: the unit lends its own buffers
  EXPECT_EQ(Render(512, lent.list()), noErr);
  ASSERT_NE(lent.list()->mBuffers[1].mData, nullptr);
  EXPECT_EQ(static_cast<float*>(lent.list()->mBuffers[1].mData)[511], -512.0f);

  UInt32 max = 0, size = sizeof(max);
  AudioUnitGetProperty(m_unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0,
                       &max, &size);
  EXPECT_EQ(max, 512u);
  EXPECT_EQ(SetMaxFrames(0), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(SetMaxFrames(1u << 30), kAudioUnitErr_InvalidPropertyValue);

  // Lists the unit cannot fill safely are refused before anything is written.
  CStereoBuffers mono(512, 1);
  EXPECT_EQ(Render(64, mono.list()), kAudio_ParamError);
  CStereoBuffers small(32);
  EXPECT_EQ(Render(64, small.list()), kAudio_ParamError);
  EXPECT_EQ(small.left[0], 0.0f);
  EXPECT_EQ(Render(64, out.list(), 1), kAudioUnitErr_InvalidElement);
  AudioUnitRenderActionFlags flags = 0;
  EXPECT_EQ(AudioUnitRender(m_unit, &flags, nullptr, 0, 64, out.list()), kAudio_ParamError);
}

TEST_F(AUBaseTest, ParametersThroughTheHostCalls) {
  EXPECT_EQ(AudioUnitSetParameter(m_unit, 2, kAudioUnitScope_Global, 0, 0.5f, 0), noErr);
  AudioUnitParameterValue v = 0;
  EXPECT_EQ(AudioUnitGetParameter(m_unit, 2, kAudioUnitScope_Global, 0, &v), noErr);
  EXPECT_EQ(v, 0.5f);

  EXPECT_EQ(AudioUnitSetParameter(m_unit, CTestUnit::kParams, kAudioUnitScope_Global, 0, 1, 0),
            kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(AudioUnitGetParameter(m_unit, 0xFFFFFFFF, kAudioUnitScope_Global, 0, &v),
            kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(AudioUnitGetParameter(m_unit, 0, kAudioUnitScope_Global, 1, &v),
            kAudioUnitErr_InvalidElement);
  EXPECT_EQ(AudioUnitGetParameter(m_unit, 0, 77, 0, &v), kAudioUnitErr_InvalidScope);
  EXPECT_EQ(AudioUnitGetParameter(m_unit, 0, kAudioUnitScope_Global, 0, nullptr), kAudio_ParamError);

  // Parameter list: size first, then the ids.
  UInt32 size = 0;
  ASSERT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global,
                                 0, nullptr, &size),
            noErr);
  ASSERT_EQ(size, CTestUnit::kParams * sizeof(AudioUnitParameterID));
  std::vector<AudioUnitParameterID> ids(CTestUnit::kParams);
  UInt32 tooSmall = size - 4;
  EXPECT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global,
                                 0, ids.data(), &tooSmall),
            kAudio_ParamError);
  ASSERT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global,
                                 0, ids.data(), &size),
            noErr);
  EXPECT_EQ(ids, (std::vector<AudioUnitParameterID>{0, 1, 2, 3}));

  AudioUnitParameterInfo info;
  size = sizeof(info);
  ASSERT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global,
                                 3, &info, &size),
            noErr);
  EXPECT_STREQ(info.name, "Param 3");
  EXPECT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global,
                                 9, &info, &size),
            kAudioUnitErr_InvalidParameter);

  UInt32 instruments = 99;
  size = sizeof(instruments);
  EXPECT_EQ(AudioUnitGetProperty(m_unit, kMusicDeviceProperty_InstrumentCount,
                                 kAudioUnitScope_Global, 0, &instruments, &size),
            noErr);
  EXPECT_EQ(instruments, 0u);
  EXPECT_EQ(AudioUnitGetPropertyInfo(m_unit, 64123, kAudioUnitScope_Global, 0, &size, nullptr),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(AudioUnitGetPropertyInfo(m_unit, kAudioUnitProperty_ParameterValueStrings,
                                     kAudioUnitScope_Global, 0, &size, nullptr),
            kAudioUnitErr_InvalidProperty);
}

// ---------------------------------------------------------------------------
// Listeners

struct HEARD {
  void* object;
  AudioUnitEventType type;
  AudioUnitParameterID id;
  AudioUnitParameterValue value;
};

void ParamProc(void* refCon, void* object, const AudioUnitParameter* p, AudioUnitParameterValue v) {
  static_cast<std::vector<HEARD>*>(refCon)->push_back({object, 0, p->mParameterID, v});
}

void EventProc(void* refCon, void* object, const AudioUnitEvent* e, UInt64,
               AudioUnitParameterValue v) {
  static_cast<std::vector<HEARD>*>(refCon)->push_back(
      {object, e->mEventType, e->mArgument.mParameter.mParameterID, v});
}

TEST_F(AUBaseTest, ParameterListenerHearsOneNotificationPerSet) {
  std::vector<HEARD> heard, other;
  AUParameterListenerRef listener = nullptr, otherListener = nullptr;
  ASSERT_EQ(AUListenerCreate(ParamProc, &heard, &listener), noErr);
  ASSERT_EQ(AUListenerCreate(ParamProc, &other, &otherListener), noErr);
  AudioUnitParameter p1 = Param(1);
  AudioUnitParameter p2 = Param(2);
  int tag = 0;
  ASSERT_EQ(AUListenerAddParameter(listener, &tag, &p1), noErr);
  ASSERT_EQ(AUListenerAddParameter(listener, &tag, &p1), noErr);  // twice: still one registration
  ASSERT_EQ(AUListenerAddParameter(otherListener, nullptr, &p2), noErr);

  EXPECT_EQ(AUParameterSet(nullptr, nullptr, &p1, 0.25f, 0), noErr);
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].object, &tag);
  EXPECT_EQ(heard[0].id, 1u);
  EXPECT_EQ(heard[0].value, 0.25f);
  EXPECT_TRUE(other.empty());
  AudioUnitParameterValue v = 0;
  AudioUnitGetParameter(m_unit, 1, kAudioUnitScope_Global, 0, &v);
  EXPECT_EQ(v, 0.25f);  // the set reached the unit

  // The sender does not hear its own change; a refused set notifies nobody.
  EXPECT_EQ(AUParameterSet(listener, &tag, &p1, 0.5f, 0), noErr);
  EXPECT_EQ(heard.size(), 1u);
  AudioUnitParameter bad = Param(40);
  AUListenerAddParameter(listener, &tag, &bad);
  EXPECT_EQ(AUParameterSet(nullptr, nullptr, &bad, 0.5f, 0), kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(heard.size(), 1u);

  // A notify reports the unit's current value.
  EXPECT_EQ(AUParameterListenerNotify(nullptr, nullptr, &p1), noErr);
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(heard[1].value, 0.5f);

  EXPECT_EQ(AUListenerRemoveParameter(listener, &tag, &p1), noErr);
  AUParameterSet(nullptr, nullptr, &p1, 0.75f, 0);
  EXPECT_EQ(heard.size(), 2u);

  EXPECT_EQ(AUListenerDispose(listener), noErr);
  EXPECT_EQ(AUListenerDispose(otherListener), noErr);
  EXPECT_EQ(AUListenerDispose(listener), kAudio_ParamError);  // already gone
}

TEST_F(AUBaseTest, EventListenerHearsGesturesAndValueChanges) {
  std::vector<HEARD> heard;
  AUEventListenerRef listener = nullptr;
  ASSERT_EQ(AUEventListenerCreate(EventProc, &heard, &listener), noErr);
  AudioUnitEvent change, begin, end;
  change.mEventType = kAudioUnitEvent_ParameterValueChange;
  change.mArgument.mParameter = Param(3);
  begin = end = change;
  begin.mEventType = kAudioUnitEvent_BeginParameterChangeGesture;
  end.mEventType = kAudioUnitEvent_EndParameterChangeGesture;
  for (const AudioUnitEvent* e : {&change, &begin, &end})
    ASSERT_EQ(AUEventListenerAddEventType(listener, nullptr, e), noErr);

  AudioUnitParameter p3 = Param(3);
  AUEventListenerNotify(nullptr, nullptr, &begin);
  AUParameterSet(nullptr, nullptr, &p3, 0.125f, 0);  // parameter listeners only
  AUEventListenerNotify(nullptr, nullptr, &change);
  AUEventListenerNotify(nullptr, nullptr, &end);
  ASSERT_EQ(heard.size(), 3u);
  EXPECT_EQ(heard[0].type, kAudioUnitEvent_BeginParameterChangeGesture);
  EXPECT_EQ(heard[1].type, kAudioUnitEvent_ParameterValueChange);
  EXPECT_EQ(heard[1].value, 0.125f);
  EXPECT_EQ(heard[2].type, kAudioUnitEvent_EndParameterChangeGesture);
  EXPECT_EQ(heard[2].id, 3u);

  AudioUnitEvent elsewhere = change;
  elsewhere.mArgument.mParameter.mParameterID = 1;
  AUEventListenerNotify(nullptr, nullptr, &elsewhere);
  EXPECT_EQ(heard.size(), 3u);
  EXPECT_EQ(AUListenerDispose(listener), noErr);
  AUEventListenerNotify(nullptr, nullptr, &change);
  EXPECT_EQ(heard.size(), 3u);
}

// ---------------------------------------------------------------------------
// State

CFPropertyListRef SaveState(AudioUnit unit) {
  CFPropertyListRef state = nullptr;
  UInt32 size = sizeof(state);
  EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0,
                                 &state, &size),
            noErr);
  return state;
}

OSStatus RestoreState(AudioUnit unit, CFPropertyListRef state) {
  return AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state,
                              sizeof(state));
}

SInt32 NumberAt(CFDictionaryRef dict, CFStringRef key) {
  SInt32 v = -1;
  CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(dict, key)), kCFNumberSInt32Type,
                   &v);
  return v;
}

TEST_F(AUBaseTest, StateDictionaryRoundTrip) {
  for (UInt32 id = 0; id < CTestUnit::kParams; ++id)
    AudioUnitSetParameter(m_unit, id, kAudioUnitScope_Global, 0, 0.1f * (id + 1), 0);
  CFPropertyListRef state = SaveState(m_unit);
  ASSERT_EQ(CFGetTypeID(state), CFDictionaryGetTypeID());
  EXPECT_EQ(CFGetRetainCount(state), 1);  // the caller's reference only
  CFDictionaryRef dict = static_cast<CFDictionaryRef>(state);
  EXPECT_EQ(NumberAt(dict, CFSTR("type")), static_cast<SInt32>(FourCharCode("aumu")));
  EXPECT_EQ(NumberAt(dict, CFSTR("subtype")), static_cast<SInt32>(FourCharCode("Test")));
  EXPECT_EQ(NumberAt(dict, CFSTR("manufacturer")), static_cast<SInt32>(FourCharCode("Tvnd")));
  EXPECT_EQ(NumberAt(dict, CFSTR("version")), 0x10401);
  EXPECT_TRUE(CFEqual(CFDictionaryGetValue(dict, CFSTR("name")), CFSTR("Tvnd: Test")));
  EXPECT_EQ(CFGetTypeID(CFDictionaryGetValue(dict, CFSTR("data"))), CFDataGetTypeID());
  EXPECT_EQ(CFDataGetLength(static_cast<CFDataRef>(CFDictionaryGetValue(dict, CFSTR("mChunkData")))), 3);

  for (UInt32 id = 0; id < CTestUnit::kParams; ++id)
    AudioUnitSetParameter(m_unit, id, kAudioUnitScope_Global, 0, 0.9f, 0);
  EXPECT_EQ(RestoreState(m_unit, state), noErr);
  for (UInt32 id = 0; id < CTestUnit::kParams; ++id) {
    AudioUnitParameterValue v = 0;
    AudioUnitGetParameter(m_unit, id, kAudioUnitScope_Global, 0, &v);
    EXPECT_FLOAT_EQ(v, 0.1f * (id + 1)) << id;
  }
  // A second unit of the same kind takes the state as well.
  AudioUnit twin = nullptr;
  ASSERT_EQ(AudioComponentInstanceNew(m_component, &twin), noErr);
  EXPECT_EQ(RestoreState(twin, state), noErr);
  AudioUnitParameterValue v = 0;
  AudioUnitGetParameter(twin, 3, kAudioUnitScope_Global, 0, &v);
  EXPECT_FLOAT_EQ(v, 0.4f);
  AudioComponentInstanceDispose(twin);
  CFRelease(state);
}

TEST_F(AUBaseTest, ForeignOrDamagedStateChangesNothing) {
  AudioUnitSetParameter(m_unit, 0, kAudioUnitScope_Global, 0, 0.3f, 0);
  CFPropertyListRef state = SaveState(m_unit);
  AudioUnitSetParameter(m_unit, 0, kAudioUnitScope_Global, 0, 0.6f, 0);

  auto copyWith = [&](const char* key, CFTypeRef value) {
    CFIndex n = CFDictionaryGetCount(static_cast<CFDictionaryRef>(state));
    std::vector<const void*> keys(n), values(n);
    CFDictionaryGetKeysAndValues(static_cast<CFDictionaryRef>(state), keys.data(), values.data());
    CFMutableDictionaryRef copy = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    for (CFIndex k = 0; k < n; ++k) CFDictionarySetValue(copy, keys[k], values[k]);
    if (value)
      CFDictionarySetValue(copy, CFStringMakeConstantString(key), value);
    else
      CFDictionaryRemoveValue(copy, CFStringMakeConstantString(key));
    return copy;
  };

  CFDataRef saved = static_cast<CFDataRef>(
      CFDictionaryGetValue(static_cast<CFDictionaryRef>(state), CFSTR("data")));
  CFDataRef truncated = CFDataCreate(nullptr, CFDataGetBytePtr(saved), CFDataGetLength(saved) - 3);
  SInt32 otherSub = static_cast<SInt32>(FourCharCode("Othr"));
  CFNumberRef otherNumber = CFNumberCreate(nullptr, kCFNumberSInt32Type, &otherSub);

  struct Case {
    const char* what;
    CFTypeRef state;
  } cases[] = {
      {"other subtype", copyWith("subtype", otherNumber)},
      {"no manufacturer", copyWith("manufacturer", nullptr)},
      {"type is a string", copyWith("type", CFSTR("aumu"))},
      {"truncated data", copyWith("data", truncated)},
      {"data is a number", copyWith("data", otherNumber)},
      {"not a dictionary", CFRetain(truncated)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RestoreState(m_unit, c.state), kAudioUnitErr_InvalidPropertyValue) << c.what;
    AudioUnitParameterValue v = 0;
    AudioUnitGetParameter(m_unit, 0, kAudioUnitScope_Global, 0, &v);
    EXPECT_EQ(v, 0.6f) << c.what;
    CFRelease(c.state);
  }
  CFPropertyListRef none = nullptr;
  EXPECT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0,
                                 &none, sizeof(none)),
            kAudioUnitErr_InvalidPropertyValue);
  CFRelease(truncated);
  CFRelease(otherNumber);
  CFRelease(state);
}

// ---------------------------------------------------------------------------
// MIDI and host callbacks

TEST_F(AUBaseTest, MidiIsSplitAndDispatched) {
  EXPECT_EQ(MusicDeviceMIDIEvent(m_unit, 0x93, 60, 100, 5), kAudioUnitErr_Uninitialized);
  EXPECT_EQ(m_object->midi, (std::vector<std::string>{"midi 144 ch3"}));  // seen, not dispatched

  ASSERT_EQ(AudioUnitInitialize(m_unit), noErr);
  m_object->midi.clear();
  MusicDeviceMIDIEvent(m_unit, 0x90, 60, 100, 12);
  MusicDeviceMIDIEvent(m_unit, 0x90, 60, 0, 13);
  MusicDeviceMIDIEvent(m_unit, 0x81, 61, 64, 0);
  MusicDeviceMIDIEvent(m_unit, 0xB0, 64, 127, 0);
  MusicDeviceMIDIEvent(m_unit, 0xE0, 0, 64, 0);
  MusicDeviceMIDIEvent(m_unit, 0xD0, 90, 0, 0);
  MusicDeviceMIDIEvent(m_unit, 0xB0, 0x1FF, 0x280, 0);  // out-of-range data bytes are masked
  std::vector<std::string> handled;
  for (const std::string& s : m_object->midi)
    if (s.compare(0, 4, "midi") != 0) handled.push_back(s);
  EXPECT_EQ(handled, (std::vector<std::string>{"on 60 100 @12", "off 60", "off 61", "cc 64=127",
                                               "bend 8192", "pressure 90", "cc 127=0"}));
}

OSStatus BeatAndTempo(void* user, Float64* beat, Float64* tempo) {
  *beat = 16.5;
  *tempo = *static_cast<double*>(user);
  return noErr;
}

TEST_F(AUBaseTest, HostCallbacksAreReachedWhenGiven) {
  Float64 beat = 0, tempo = 0;
  EXPECT_EQ(m_object->CallHostBeatAndTempo(&beat, &tempo), kAudioUnitErr_CannotDoInCurrentContext);
  double hostTempo = 128.0;
  HostCallbackInfo info;
  memset(&info, 0, sizeof(info));
  info.hostUserData = &hostTempo;
  info.beatAndTempoProc = BeatAndTempo;
  ASSERT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global,
                                 0, &info, sizeof(info)),
            noErr);
  EXPECT_EQ(m_object->CallHostBeatAndTempo(&beat, &tempo), noErr);
  EXPECT_EQ(beat, 16.5);
  EXPECT_EQ(tempo, 128.0);
  Boolean playing = false, changed = false, cycling = false;
  Float64 sample = 0, cycleStart = 0, cycleEnd = 0;
  EXPECT_EQ(m_object->CallHostTransportState(&playing, &changed, &sample, &cycling, &cycleStart,
                                             &cycleEnd),
            kAudioUnitErr_CannotDoInCurrentContext);
}

TEST(HostTimeTest, TicksConvertToNanoseconds) {
  CAHostTimeBase::Initialize();
  EXPECT_EQ(CAHostTimeBase::sToNanosNumerator, 125u);
  EXPECT_EQ(CAHostTimeBase::sToNanosDenominator, 3u);
  EXPECT_EQ(CAHostTimeBase::ConvertToNanos(3), 125u);
  EXPECT_EQ(CAHostTimeBase::ConvertFromNanos(125000), 3000u);

  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  double before = ts.tv_sec * 1e9 + ts.tv_nsec;
  UInt64 a = mach_absolute_time();
  UInt64 b = mach_absolute_time();
  EXPECT_LE(a, b);
  double nanos = static_cast<double>(CAHostTimeBase::ConvertToNanos(b));
  EXPECT_NEAR(nanos, before, 1e8);  // the same clock, well within 0.1 s
}

}  // namespace
