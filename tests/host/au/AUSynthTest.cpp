// The instrument's Audio Unit, opened through its component entry and driven
// through the host calls, as a host drives it.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/MidiProcessor.h"
#include "engine/Params.h"
#include "engine/VoiceManager.h"
#include "host/au/AUSynth.h"
#include "host/au/AUSynthEntry.h"
#include "host/au/VSTCallback.h"
#include "editor/Editor.h"
#include "host/vst/VstSynth.h"

namespace {

const UInt32 PARAMS = 333;
const UInt32 FRESH_CHUNK_BYTES = 273264;

AudioStreamBasicDescription FloatFormat(double rate, UInt32 channels, bool interleaved) {
  AudioStreamBasicDescription f;
  memset(&f, 0, sizeof(f));
  f.mSampleRate = rate;
  f.mFormatID = kAudioFormatLinearPCM;
  f.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked |
                   (interleaved ? 0u : static_cast<UInt32>(kAudioFormatFlagIsNonInterleaved));
  f.mBitsPerChannel = 32;
  f.mChannelsPerFrame = channels;
  f.mFramesPerPacket = 1;
  f.mBytesPerFrame = f.mBytesPerPacket = interleaved ? 4 * channels : 4;
  return f;
}

// An output buffer list with n buffers of the given frames, owned by the test.
class CBuffers {
 public:
  CBuffers(UInt32 n, UInt32 frames, float fill = 0.0f)
      : m_list(AudioBufferListSize(n)), m_data(n, std::vector<float>(frames, fill)) {
    AudioBufferList* list = Get();
    list->mNumberBuffers = n;
    for (UInt32 k = 0; k < n; ++k) {
      list->mBuffers[k].mNumberChannels = 1;
      list->mBuffers[k].mDataByteSize = frames * sizeof(float);
      list->mBuffers[k].mData = m_data[k].data();
    }
  }
  AudioBufferList* Get() { return reinterpret_cast<AudioBufferList*>(m_list.data()); }
  const std::vector<float>& Channel(UInt32 k) const { return m_data[k]; }

 private:
  std::vector<UInt8> m_list;
  std::vector<std::vector<float>> m_data;
};

// Releases a CF reference when the test leaves its scope, failed or not.
class CReleaser {
 public:
  explicit CReleaser(CFTypeRef ref) : m_ref(ref) {}
  ~CReleaser() {
    if (m_ref) CFRelease(m_ref);
  }
  CReleaser(const CReleaser&) = delete;
  CReleaser& operator=(const CReleaser&) = delete;

 private:
  CFTypeRef m_ref;
};

double Rms(const std::vector<float>& x) {
  double sum = 0.0;
  for (float v : x) sum += static_cast<double>(v) * v;
  return x.empty() ? 0.0 : std::sqrt(sum / x.size());
}

class AUSynthTest : public ::testing::Test {
 protected:
  void SetUp() override { m_unit = Open(); }
  void TearDown() override {
    for (AudioUnit unit : m_opened) AudioComponentInstanceDispose(unit);
  }

  AudioUnit Open() {
    AudioComponent component = CAUSynthRegister();
    EXPECT_NE(component, nullptr);
    AudioUnit unit = nullptr;
    EXPECT_EQ(AudioComponentInstanceNew(component, &unit), noErr);
    m_opened.push_back(unit);
    return unit;
  }

  static CAUSynth* Synth(AudioUnit unit) {
    CAUSynth* synth = nullptr;
    UInt32 size = sizeof(synth);
    EXPECT_EQ(AudioUnitGetProperty(unit, kAUSynthProperty_Instance, kAudioUnitScope_Global, 0,
                                   &synth, &size),
              noErr);
    return synth;
  }
  static CVstSynth* Vst(AudioUnit unit) {
    return static_cast<CVstSynth*>(static_cast<AudioEffect*>(Synth(unit)->GetEffect()->object));
  }

  static OSStatus Render(AudioUnit unit, CBuffers& buffers, UInt32 frames) {
    AudioUnitRenderActionFlags flags = 0;
    AudioTimeStamp stamp;
    memset(&stamp, 0, sizeof(stamp));
    return AudioUnitRender(unit, &flags, &stamp, 0, frames, buffers.Get());
  }

  static float Param(AudioUnit unit, AudioUnitParameterID id) {
    AudioUnitParameterValue value = -1.0f;
    EXPECT_EQ(AudioUnitGetParameter(unit, id, kAudioUnitScope_Global, 0, &value), noErr);
    return value;
  }

  static CFDictionaryRef SaveState(AudioUnit unit) {
    CFPropertyListRef state = nullptr;
    UInt32 size = sizeof(state);
    EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0,
                                   &state, &size),
              noErr);
    return static_cast<CFDictionaryRef>(state);
  }
  static OSStatus RestoreState(AudioUnit unit, CFPropertyListRef state) {
    return AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0,
                                &state, sizeof(state));
  }
  static std::vector<UInt8> Chunk(AudioUnit unit) {
    void* data = nullptr;
    AEffect* effect = Synth(unit)->GetEffect();
    VstIntPtr size = effect->dispatcher(effect, effGetChunk, 1, 0, &data, 0.0f);
    if (size <= 0 || !data) return {};
    const UInt8* bytes = static_cast<const UInt8*>(data);
    return std::vector<UInt8>(bytes, bytes + size);
  }

  AudioUnit m_unit = nullptr;
  std::vector<AudioUnit> m_opened;
};

// ---------------------------------------------------------------------------
// Opening and identity

TEST_F(AUSynthTest, EntryOpensTheInstrumentWithItsParametersAndLayout) {
  CAUSynth* synth = Synth(m_unit);
  ASSERT_NE(synth, nullptr);
  ASSERT_NE(synth->GetEffect(), nullptr);
  EXPECT_EQ(synth->GetEffect()->numParams, 333);
  EXPECT_EQ(synth->GetEffect()->user, synth);
  EXPECT_EQ(Vst(m_unit)->getBlockSize(), 1024);
  EXPECT_FLOAT_EQ(Vst(m_unit)->getSampleRate(), 44100.0f);

  UInt32 size = 0;
  Boolean writable = true;
  ASSERT_EQ(AudioUnitGetPropertyInfo(m_unit, kAudioUnitProperty_ParameterList,
                                     kAudioUnitScope_Global, 0, &size, &writable),
            noErr);
  EXPECT_EQ(size, PARAMS * sizeof(AudioUnitParameterID));

  UInt32 count = 99;
  size = sizeof(count);
  EXPECT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0,
                                 &count, &size),
            noErr);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, 0,
                                 &count, &size),
            noErr);
  EXPECT_EQ(count, 0u);

  AUChannelInfo channels{-9, -9};
  size = sizeof(channels);
  EXPECT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_SupportedNumChannels,
                                 kAudioUnitScope_Global, 0, &channels, &size),
            noErr);
  EXPECT_EQ(channels.inChannels, 0);
  EXPECT_EQ(channels.outChannels, 2);

  count = 99;
  size = sizeof(count);
  EXPECT_EQ(AudioUnitGetProperty(m_unit, kMusicDeviceProperty_InstrumentCount,
                                 kAudioUnitScope_Global, 0, &count, &size),
            noErr);
  EXPECT_EQ(count, 0u);

  // The instance property is read-only; no separate editor component is announced.
  EXPECT_EQ(AudioUnitGetPropertyInfo(m_unit, kAUSynthProperty_Instance, kAudioUnitScope_Global, 0,
                                     &size, &writable),
            noErr);
  EXPECT_EQ(size, sizeof(void*));
  EXPECT_FALSE(writable);
  EXPECT_EQ(AudioUnitGetPropertyInfo(m_unit, kAudioUnitProperty_GetUIComponentList,
                                     kAudioUnitScope_Global, 0, &size, &writable),
            kAudioUnitErr_InvalidProperty);

  UInt32 version = 0;
  ASSERT_EQ(AudioComponentGetVersion(AudioComponentInstanceGetComponent(m_unit), &version), noErr);
  EXPECT_EQ(version, 0x10401u);
  EXPECT_EQ(synth->Version(), 0x10401);
}

// ---------------------------------------------------------------------------
// Stream formats

TEST_F(AUSynthTest, StreamFormatsAreCheckedInOrder) {
  AudioStreamBasicDescription sixChannels = FloatFormat(44100.0, 6, false);
  AudioStreamBasicDescription interleaved = FloatFormat(44100.0, 2, true);
  AudioStreamBasicDescription int16 = FloatFormat(44100.0, 2, false);
  int16.mFormatFlags = kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsPacked |
                       kAudioFormatFlagIsNonInterleaved;
  int16.mBitsPerChannel = 16;
  int16.mBytesPerFrame = int16.mBytesPerPacket = 2;
  AudioStreamBasicDescription doubles = FloatFormat(44100.0, 2, false);
  doubles.mBitsPerChannel = 64;
  doubles.mBytesPerFrame = doubles.mBytesPerPacket = 8;
  AudioStreamBasicDescription notPcm = FloatFormat(44100.0, 2, false);
  notPcm.mFormatID = FourCharCode("aac ");
  AudioStreamBasicDescription unpacked = FloatFormat(44100.0, 2, false);
  unpacked.mFormatFlags &= ~kAudioFormatFlagIsPacked;
  AudioStreamBasicDescription noBytes = FloatFormat(44100.0, 2, false);
  noBytes.mBytesPerFrame = 0;
  // Too many channels is answered before the sample type is looked at.
  AudioStreamBasicDescription sixInt16 = int16;
  sixInt16.mChannelsPerFrame = 6;

  const struct {
    const char* what;
    AudioStreamBasicDescription format;
    OSStatus expected;
  } cases[] = {
      {"6 channels", sixChannels, kAudioUnitErr_InvalidScope},
      {"6 channels of 16-bit integers", sixInt16, kAudioUnitErr_InvalidScope},
      {"16-bit integers", int16, kAudioUnitErr_FormatNotSupported},
      {"2 interleaved float channels", interleaved, kAudioUnitErr_FormatNotSupported},
      {"64-bit floats", doubles, kAudioUnitErr_FormatNotSupported},
      {"not linear PCM", notPcm, kAudioUnitErr_FormatNotSupported},
      {"not packed", unpacked, kAudioUnitErr_FormatNotSupported},
      {"0 bytes per frame", noBytes, kAudioUnitErr_FormatNotSupported},
  };
  const AudioStreamBasicDescription before = FloatFormat(44100.0, 2, false);
  for (const auto& c : cases) {
    EXPECT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output,
                                   0, &c.format, sizeof(c.format)),
              c.expected)
        << c.what;
    AudioStreamBasicDescription now;
    UInt32 size = sizeof(now);
    ASSERT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output,
                                   0, &now, &size),
              noErr);
    EXPECT_EQ(memcmp(&now, &before, sizeof(now)), 0) << c.what << " changed the format";
  }

  // A good format at a new rate reaches the instrument.
  AudioStreamBasicDescription good = FloatFormat(48000.0, 2, false);
  EXPECT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0,
                                 &good, sizeof(good)),
            noErr);
  EXPECT_FLOAT_EQ(Vst(m_unit)->getSampleRate(), 48000.0f);
  Float64 rate = 96000.0;
  EXPECT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, 0,
                                 &rate, sizeof(rate)),
            noErr);
  EXPECT_FLOAT_EQ(Vst(m_unit)->getSampleRate(), 96000.0f);
}

TEST_F(AUSynthTest, InitializeMakesAMonoOutputStereo) {
  AudioStreamBasicDescription mono = FloatFormat(44100.0, 1, false);
  ASSERT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0,
                                 &mono, sizeof(mono)),
            noErr);
  ASSERT_EQ(AudioUnitInitialize(m_unit), noErr);
  AudioStreamBasicDescription now;
  UInt32 size = sizeof(now);
  ASSERT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0,
                                 &now, &size),
            noErr);
  AudioStreamBasicDescription stereo = FloatFormat(44100.0, 2, false);
  EXPECT_EQ(memcmp(&now, &stereo, sizeof(now)), 0);
}

TEST_F(AUSynthTest, MaxFramesPerSliceSetsTheInstrumentsBlockSize) {
  UInt32 frames = 256;
  EXPECT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_MaximumFramesPerSlice,
                                 kAudioUnitScope_Global, 0, &frames, sizeof(frames)),
            noErr);
  EXPECT_EQ(Vst(m_unit)->getBlockSize(), 256);
  // Refused sizes never reach the instrument.
  for (UInt32 bad : {0u, 1u << 20}) {
    EXPECT_EQ(Synth(m_unit)->SetMaxFramesPerSlice(bad), kAudioUnitErr_InvalidPropertyValue);
    EXPECT_EQ(Vst(m_unit)->getBlockSize(), 256);
  }
}

// ---------------------------------------------------------------------------
// Render and MIDI

TEST_F(AUSynthTest, RendersANoteIntoTwoBuffers) {
  UInt32 frames = 512;
  ASSERT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_MaximumFramesPerSlice,
                                 kAudioUnitScope_Global, 0, &frames, sizeof(frames)),
            noErr);
  ASSERT_EQ(AudioUnitInitialize(m_unit), noErr);

  CBuffers silent(2, frames, 5.0f);
  ASSERT_EQ(Render(m_unit, silent, frames), noErr);
  EXPECT_EQ(Rms(silent.Channel(0)), 0.0);
  EXPECT_EQ(Rms(silent.Channel(1)), 0.0);

  EXPECT_EQ(MusicDeviceMIDIEvent(m_unit, 0x90, 60, 100, 0), noErr);
  double level = 0.0;
  for (int block = 0; block < 8; ++block) {
    CBuffers out(2, frames);
    ASSERT_EQ(Render(m_unit, out, frames), noErr);
    for (float v : out.Channel(0)) ASSERT_TRUE(std::isfinite(v));
    level += Rms(out.Channel(0)) + Rms(out.Channel(1));
  }
  EXPECT_GT(level, 1e-3);
  EXPECT_EQ(Vst(m_unit)->GetVoiceManager() != nullptr, true);
}

TEST_F(AUSynthTest, RenderRefusesAnOutputWithoutTwoBuffersAndLeavesItZeroed) {
  ASSERT_EQ(AudioUnitInitialize(m_unit), noErr);
  // A mono output after initialization renders into one buffer.
  AudioStreamBasicDescription mono = FloatFormat(44100.0, 1, false);
  ASSERT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0,
                                 &mono, sizeof(mono)),
            noErr);
  ASSERT_EQ(MusicDeviceMIDIEvent(m_unit, 0x90, 60, 100, 0), noErr);
  CBuffers one(1, 256, 0.75f);
  EXPECT_EQ(Render(m_unit, one, 256), AUSYNTH_ERR_BUFFER_COUNT);
  EXPECT_EQ(AUSYNTH_ERR_BUFFER_COUNT, 0x21646174);
  for (float v : one.Channel(0)) ASSERT_EQ(v, 0.0f);
}

TEST_F(AUSynthTest, RenderOfMoreFramesThanTheSliceIsRefused) {
  UInt32 frames = 128;
  ASSERT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_MaximumFramesPerSlice,
                                 kAudioUnitScope_Global, 0, &frames, sizeof(frames)),
            noErr);
  ASSERT_EQ(AudioUnitInitialize(m_unit), noErr);
  CBuffers out(2, 1024, 0.5f);
  EXPECT_EQ(Render(m_unit, out, 1024), kAudioUnitErr_TooManyFramesToProcess);
  CBuffers ok(2, 128);
  EXPECT_EQ(Render(m_unit, ok, 128), noErr);
}

TEST_F(AUSynthTest, ANoteBeforeInitializeReachesTheInstrumentAndAnswersUninitialized) {
  EXPECT_EQ(MusicDeviceMIDIEvent(m_unit, 0x90, 64, 90, 0), kAudioUnitErr_Uninitialized);
  CMidiProcessor* midi = Vst(m_unit)->GetMidiProcessor();
  ASSERT_EQ(midi->GetHeldNoteCount(), 1u);
  EXPECT_EQ(midi->GetHeldNote(0).note, 64);

  ASSERT_EQ(AudioUnitInitialize(m_unit), noErr);
  EXPECT_EQ(MusicDeviceMIDIEvent(m_unit, 0x80, 64, 0, 0), noErr);
  EXPECT_EQ(midi->GetHeldNoteCount(), 0u);
}

TEST_F(AUSynthTest, MidiKeepsItsFrameOffsetAndResetSilencesTheVoices) {
  ASSERT_EQ(AudioUnitInitialize(m_unit), noErr);
  ASSERT_EQ(MusicDeviceMIDIEvent(m_unit, 0x91, 60, 100, 100), noErr);
  CBuffers out(2, 256);
  ASSERT_EQ(Render(m_unit, out, 256), noErr);
  // The block is split at the note: frames 0-99 first, the rest after it.
  CVstSynth* vst = Vst(m_unit);
  const unsigned int spans = vst->GetLastBlockSpanCount();
  ASSERT_GE(spans, 2u);
  ASSERT_LE(spans, CVstSynth::SPAN_LOG_SIZE);
  EXPECT_EQ(vst->GetLastBlockSpans()[0].start, 0u);
  EXPECT_EQ(vst->GetLastBlockSpans()[0].frames, 100u);
  for (unsigned int k = 1; k < spans; ++k) EXPECT_EQ(vst->GetLastBlockSpans()[k].start, 100u);
  EXPECT_EQ(vst->GetLastBlockSpans()[spans - 1].frames, 156u);
  EXPECT_EQ(vst->GetVoiceManager()->GetVoiceCount(), 1u);

  EXPECT_EQ(AudioUnitReset(m_unit, kAudioUnitScope_Global, 0), noErr);
  EXPECT_EQ(vst->GetVoiceManager()->GetVoiceCount(), 0u);
  EXPECT_TRUE(vst->IsResumed());
}

TEST_F(AUSynthTest, AControllerBoundByMidiLearnMovesTheHostParameter) {
  ASSERT_EQ(AudioUnitInitialize(m_unit), noErr);
  const AudioUnitParameterID index = 10;
  const int id = Params::VstParamToSynthParam(static_cast<int>(index));
  ASSERT_GE(id, 0);
  Vst(m_unit)->StartMidiLearn(static_cast<unsigned int>(id));
  ASSERT_EQ(MusicDeviceMIDIEvent(m_unit, 0xB0, 21, 127, 0), noErr);
  CBuffers out(2, 64);
  ASSERT_EQ(Render(m_unit, out, 64), noErr);
  EXPECT_FLOAT_EQ(Param(m_unit, index), 1.0f);
  ASSERT_EQ(MusicDeviceMIDIEvent(m_unit, 0xB0, 21, 0, 0), noErr);
  ASSERT_EQ(Render(m_unit, out, 64), noErr);
  EXPECT_FLOAT_EQ(Param(m_unit, index), 0.0f);
}

// ---------------------------------------------------------------------------
// Parameters

TEST_F(AUSynthTest, ParameterInfoGivesZeroToOneInPercentWithTheCurrentValue) {
  ASSERT_EQ(AudioUnitSetParameter(m_unit, 3, kAudioUnitScope_Global, 0, 0.625f, 0), noErr);
  for (AudioUnitParameterID id = 0; id < PARAMS; ++id) {
    AudioUnitParameterInfo info;
    UInt32 size = sizeof(info);
    ASSERT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterInfo,
                                   kAudioUnitScope_Global, id, &info, &size),
              noErr)
        << id;
    EXPECT_EQ(info.minValue, 0.0f);
    EXPECT_EQ(info.maxValue, 1.0f);
    EXPECT_EQ(info.defaultValue, Param(m_unit, id)) << id;
    EXPECT_EQ(info.unit, kAudioUnitParameterUnit_CustomUnit);
    ASSERT_NE(info.unitName, nullptr);
    EXPECT_STREQ(CFStringGetCStringPtr(info.unitName, kCFStringEncodingUTF8), "%");
    const UInt32 flags = kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable |
                         kAudioUnitParameterFlag_HasCFNameString |
                         kAudioUnitParameterFlag_CFNameRelease;
    EXPECT_EQ(info.flags, flags);
    ASSERT_NE(info.cfNameString, nullptr);
    EXPECT_LE(strlen(info.name), 8u);
    EXPECT_STREQ(CFStringGetCStringPtr(info.cfNameString, kCFStringEncodingUTF8), info.name);
    CFRelease(info.cfNameString);
    CFRelease(info.unitName);
  }
  AudioUnitParameterInfo info;
  UInt32 size = sizeof(info);
  ASSERT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global,
                                 3, &info, &size),
            noErr);
  EXPECT_FLOAT_EQ(info.defaultValue, 0.625f);
  CFRelease(info.cfNameString);
  CFRelease(info.unitName);

  for (AudioUnitParameterID bad : {PARAMS, PARAMS + 1, 0xFFFFFFFFu})
    EXPECT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterInfo,
                                   kAudioUnitScope_Global, bad, &info, &size),
              kAudioUnitErr_InvalidParameter)
        << bad;
  EXPECT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Output,
                                 0, &info, &size),
            kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(Synth(m_unit)->GetParameterValueStrings(kAudioUnitScope_Global, 0, nullptr),
            kAudioUnitErr_InvalidProperty);
}

TEST_F(AUSynthTest, ParameterTextFromAValueIsThePercentTheInstrumentShows) {
  ASSERT_EQ(AudioUnitSetParameter(m_unit, 9, kAudioUnitScope_Global, 0, 0.125f, 0), noErr);
  const AudioUnitParameterValue half = 0.5f;
  const struct {
    AudioUnitParameterID id;
    const AudioUnitParameterValue* value;
    const char* expected;
  } cases[] = {{9, &half, "50.00"}, {9, nullptr, "12.50"}, {332, &half, "50.00"}};
  for (const auto& c : cases) {
    AudioUnitParameterStringFromValue request{c.id, c.value, nullptr};
    UInt32 size = sizeof(request);
    ASSERT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterStringFromValue,
                                   kAudioUnitScope_Global, 0, &request, &size),
              noErr);
    ASSERT_NE(request.outString, nullptr);
    CReleaser release(request.outString);
    EXPECT_STREQ(CFStringGetCStringPtr(request.outString, kCFStringEncodingUTF8), c.expected);
  }
  AudioUnitParameterStringFromValue request{PARAMS, &half, nullptr};
  UInt32 size = sizeof(request);
  EXPECT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterStringFromValue,
                                 kAudioUnitScope_Global, 0, &request, &size),
            kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(request.outString, nullptr);
}

TEST_F(AUSynthTest, ParametersReachTheInstrumentAndIdsFrom333AreRefused) {
  AEffect* effect = Synth(m_unit)->GetEffect();
  ASSERT_EQ(AudioUnitSetParameter(m_unit, 7, kAudioUnitScope_Global, 0, 0.25f, 0), noErr);
  EXPECT_FLOAT_EQ(effect->getParameter(effect, 7), 0.25f);
  EXPECT_FLOAT_EQ(Param(m_unit, 7), 0.25f);

  // The unit answers the instrument's live value, also after a change made
  // behind the unit's back.
  effect->setParameter(effect, 7, 0.5f);
  EXPECT_FLOAT_EQ(Param(m_unit, 7), 0.5f);

  std::vector<float> before(PARAMS);
  for (UInt32 id = 0; id < PARAMS; ++id) before[id] = effect->getParameter(effect, id);
  for (AudioUnitParameterID bad : {PARAMS, PARAMS + 100, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    EXPECT_EQ(AudioUnitSetParameter(m_unit, bad, kAudioUnitScope_Global, 0, 0.9f, 0),
              kAudioUnitErr_InvalidParameter)
        << bad;
    AudioUnitParameterValue value = 0.0f;
    EXPECT_EQ(AudioUnitGetParameter(m_unit, bad, kAudioUnitScope_Global, 0, &value),
              kAudioUnitErr_InvalidParameter)
        << bad;
  }
  for (UInt32 id = 0; id < PARAMS; ++id) ASSERT_EQ(effect->getParameter(effect, id), before[id]);
}

// ---------------------------------------------------------------------------
// Saved state

TEST_F(AUSynthTest, AFreshStateHoldsTheWholeChunk) {
  CFDictionaryRef state = SaveState(m_unit);
  CReleaser release(state);
  ASSERT_EQ(CFGetTypeID(state), CFDictionaryGetTypeID());
  CFTypeRef item = CFDictionaryGetValue(state, CFSTR("mChunkData"));
  ASSERT_EQ(CFGetTypeID(item), CFDataGetTypeID());
  EXPECT_EQ(CFDataGetLength(static_cast<CFDataRef>(item)), static_cast<CFIndex>(FRESH_CHUNK_BYTES));
  // The unit's own part is there too.
  EXPECT_TRUE(CFDictionaryContainsKey(state, CFSTR("data")));
  EXPECT_EQ(Synth(m_unit)->SaveState(nullptr), kAudioUnitErr_InvalidPropertyValue);
}

TEST_F(AUSynthTest, SaveThenRestoreIntoASecondUnitRestoresEverything) {
  CVstSynth* vst = Vst(m_unit);
  for (AudioUnitParameterID id : {0u, 11u, 100u, 332u})
    ASSERT_EQ(AudioUnitSetParameter(m_unit, id, kAudioUnitScope_Global, 0, 0.1f + id / 1000.0f, 0),
              noErr);
  vst->GetEditorObject()->SetPresetAuthor("Saved Author");
  ASSERT_TRUE(vst->GetMidiMap()->AssignMidiCC(7, static_cast<unsigned int>(
                                                      Params::VstParamToSynthParam(20))));
  const std::vector<UInt8> chunkA = Chunk(m_unit);
  ASSERT_FALSE(chunkA.empty());

  CFDictionaryRef state = SaveState(m_unit);
  CReleaser release(state);
  AudioUnit second = Open();
  EXPECT_EQ(RestoreState(second, state), noErr);

  for (UInt32 id = 0; id < PARAMS; ++id) ASSERT_EQ(Param(second, id), Param(m_unit, id)) << id;
  EXPECT_EQ(Vst(second)->GetEditorObject()->GetPresetAuthor(), "Saved Author");
  EXPECT_EQ(Vst(second)->GetAssignedMidiCC(static_cast<unsigned int>(
                Params::VstParamToSynthParam(20))),
            7);
  EXPECT_EQ(Chunk(second), chunkA);
}

TEST_F(AUSynthTest, RestoreRefusesStatesWithoutAUsableChunkAndChangesNothing) {
  ASSERT_EQ(AudioUnitSetParameter(m_unit, 5, kAudioUnitScope_Global, 0, 0.3f, 0), noErr);
  const std::vector<UInt8> chunkBefore = Chunk(m_unit);

  // A state of the same unit whose values differ, for the cases to carry.
  AudioUnit other = Open();
  ASSERT_EQ(AudioUnitSetParameter(other, 5, kAudioUnitScope_Global, 0, 0.9f, 0), noErr);
  CFDictionaryRef good = SaveState(other);
  CReleaser releaseGood(good);

  auto withChunk = [&](CFTypeRef value) {
    CFMutableDictionaryRef d = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFIndex n = CFDictionaryGetCount(good);
    std::vector<const void*> keys(n), values(n);
    CFDictionaryGetKeysAndValues(good, keys.data(), values.data());
    for (CFIndex k = 0; k < n; ++k) CFDictionarySetValue(d, keys[k], values[k]);
    if (value)
      CFDictionarySetValue(d, CFSTR("mChunkData"), value);
    else
      CFDictionaryRemoveValue(d, CFSTR("mChunkData"));
    return d;
  };
  const std::vector<UInt8> zeros(9000, 0);
  CFDataRef refused = CFDataCreate(nullptr, zeros.data(), static_cast<CFIndex>(zeros.size()));
  CFDataRef empty = CFDataCreate(nullptr, nullptr, 0);
  CFDataRef tiny = CFDataCreate(nullptr, zeros.data(), 7);
  CReleaser releaseRefused(refused), releaseEmpty(empty), releaseTiny(tiny);
  // A chunk with its header whose body is too short, and one whose first
  // sample block claims more frames than the chunk holds.
  std::vector<UInt8> shortBody = Chunk(other);
  ASSERT_GT(shortBody.size(), 24u);
  shortBody.resize(24 + 9000);
  std::vector<UInt8> overrun = Chunk(other);
  // has-sample, name (4 words), loop start, loop end, root pitch, rate 44100, frames.
  const UInt32 overrunWords[] = {1, 0, 0, 0, 0, 0, 0, 60, 0x472C4400u, 0xFFFFFFF0u};
  memcpy(overrun.data() + 8, overrunWords, sizeof(overrunWords));
  CFDataRef refusedShort =
      CFDataCreate(nullptr, shortBody.data(), static_cast<CFIndex>(shortBody.size()));
  CFDataRef refusedOverrun =
      CFDataCreate(nullptr, overrun.data(), static_cast<CFIndex>(overrun.size()));
  CReleaser releaseShort(refusedShort), releaseOverrun(refusedOverrun);
  CFStringRef notData = CFSTR("not a chunk");

  // A good chunk inside the state of another kind of unit.
  CFMutableDictionaryRef foreign = withChunk(CFDictionaryGetValue(good, CFSTR("mChunkData")));
  UInt32 otherSubtype = 0x4F746872;  // 'Othr'
  CFNumberRef subtype = CFNumberCreate(nullptr, kCFNumberSInt32Type, &otherSubtype);
  CFDictionarySetValue(foreign, CFSTR("subtype"), subtype);
  CFRelease(subtype);

  CFMutableDictionaryRef states[] = {withChunk(nullptr),      withChunk(refused),
                                     withChunk(empty),        withChunk(tiny),
                                     withChunk(notData),      withChunk(refusedShort),
                                     withChunk(refusedOverrun), foreign};
  CReleaser releaseStates[] = {CReleaser(states[0]), CReleaser(states[1]), CReleaser(states[2]),
                               CReleaser(states[3]), CReleaser(states[4]), CReleaser(states[5]),
                               CReleaser(states[6]), CReleaser(states[7])};
  const char* names[] = {"no chunk",         "chunk the instrument refuses",
                         "empty chunk",      "7 bytes",
                         "chunk of the wrong type", "header and a 9000-byte body",
                         "sample block running past the end", "another unit's state"};
  for (size_t k = 0; k < sizeof(states) / sizeof(states[0]); ++k) {
    EXPECT_EQ(RestoreState(m_unit, states[k]), kAudioUnitErr_InvalidPropertyValue) << names[k];
    EXPECT_FLOAT_EQ(Param(m_unit, 5), 0.3f) << names[k];
    AudioUnitParameterValue stored = -1.0f;
    Synth(m_unit)->MusicDeviceBase::GetParameter(5, kAudioUnitScope_Global, 0, stored);
    EXPECT_FLOAT_EQ(stored, 0.3f) << names[k] << ": the unit's own value changed";
    EXPECT_EQ(Chunk(m_unit), chunkBefore) << names[k];
  }
  EXPECT_EQ(RestoreState(m_unit, notData), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(Synth(m_unit)->RestoreState(nullptr), kAudioUnitErr_InvalidPropertyValue);

  // The untouched state still restores.
  EXPECT_EQ(RestoreState(m_unit, good), noErr);
  EXPECT_FLOAT_EQ(Param(m_unit, 5), 0.9f);
}

// ---------------------------------------------------------------------------
// Host callback and time information

struct HOST_TIME {
  bool beatOk = true;
  Float64 beat = 8.5;
  Float64 tempo = 120.0;
  bool locationOk = true;
  UInt32 deltaToNextBeat = 100;
  Float32 numerator = 3.0f;
  UInt32 denominator = 4;
  Float64 downBeat = 6.0;
  bool transportOk = true;
  Boolean playing = true;
  Boolean changed = true;
  Float64 sample = 12345.0;
  Boolean cycling = true;
  Float64 cycleStart = 4.0;
  Float64 cycleEnd = 12.0;
};

OSStatus BeatAndTempo(void* user, Float64* beat, Float64* tempo) {
  HOST_TIME* h = static_cast<HOST_TIME*>(user);
  if (!h->beatOk) return kAudioUnitErr_CannotDoInCurrentContext;
  *beat = h->beat;
  *tempo = h->tempo;
  return noErr;
}

OSStatus MusicalTime(void* user, UInt32* delta, Float32* numerator, UInt32* denominator,
                     Float64* downBeat) {
  HOST_TIME* h = static_cast<HOST_TIME*>(user);
  if (!h->locationOk) return kAudioUnitErr_CannotDoInCurrentContext;
  *delta = h->deltaToNextBeat;
  *numerator = h->numerator;
  *denominator = h->denominator;
  *downBeat = h->downBeat;
  return noErr;
}

OSStatus Transport(void* user, Boolean* playing, Boolean* changed, Float64* sample,
                   Boolean* cycling, Float64* cycleStart, Float64* cycleEnd) {
  HOST_TIME* h = static_cast<HOST_TIME*>(user);
  if (!h->transportOk) return kAudioUnitErr_CannotDoInCurrentContext;
  *playing = h->playing;
  *changed = h->changed;
  *sample = h->sample;
  *cycling = h->cycling;
  *cycleStart = h->cycleStart;
  *cycleEnd = h->cycleEnd;
  return noErr;
}

class AUSynthTimeTest : public AUSynthTest {
 protected:
  void SetCallbacks(bool beat, bool location, bool transport) {
    HostCallbackInfo info;
    memset(&info, 0, sizeof(info));
    info.hostUserData = &m_host;
    if (beat) info.beatAndTempoProc = BeatAndTempo;
    if (location) info.musicalTimeLocationProc = MusicalTime;
    if (transport) info.transportStateProc = Transport;
    ASSERT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_HostCallbacks,
                                   kAudioUnitScope_Global, 0, &info, sizeof(info)),
              noErr);
  }
  // Asked the way the instrument asks: through its host callback.
  VstTimeInfo* Ask() {
    AEffect* effect = Synth(m_unit)->GetEffect();
    return reinterpret_cast<VstTimeInfo*>(
        VSTCallback(effect, audioMasterGetTime, 0, kVstTempoValid | kVstTransportPlaying, nullptr,
                    0.0f));
  }

  HOST_TIME m_host;
};

TEST_F(AUSynthTimeTest, MidiClockAt44100And120Bpm) {
  SetCallbacks(true, true, true);
  const struct {
    UInt32 delta;
    VstInt32 expected;
  } cases[] = {{100, 100}, {500, -418}, {0, 0}, {459, 459}, {460, -458}, {1000, 81}};
  for (const auto& c : cases) {
    m_host.deltaToNextBeat = c.delta;
    VstTimeInfo* info = Ask();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->samplesToNextClock, c.expected) << c.delta;
    EXPECT_TRUE(info->flags & kVstClockValid);
  }
  VstTimeInfo* info = Ask();
  EXPECT_EQ(info->sampleRate, 44100.0);
  EXPECT_EQ(info->ppqPos, 8.5);
  EXPECT_EQ(info->tempo, 120.0);
  EXPECT_EQ(info->barStartPos, 6.0);
  EXPECT_EQ(info->timeSigNumerator, 3);
  EXPECT_EQ(info->timeSigDenominator, 4);
  EXPECT_EQ(info->samplePos, 12345.0);
  EXPECT_EQ(info->cycleStartPos, 4.0);
  EXPECT_EQ(info->cycleEndPos, 12.0);
  EXPECT_GT(info->nanoSeconds, 0.0);
  EXPECT_EQ(info->flags, kVstTransportChanged | kVstTransportPlaying | kVstTransportCycleActive |
                             kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid |
                             kVstTimeSigValid | kVstClockValid);

  // The instrument's block driver reads the tempo and transport from it.
  ASSERT_EQ(AudioUnitInitialize(m_unit), noErr);
  m_host.tempo = 90.0;
  CBuffers out(2, 64);
  EXPECT_EQ(Render(m_unit, out, 64), noErr);
}

TEST_F(AUSynthTimeTest, MissingOrFailingCallbacksLeaveTheirFlagsClear) {
  // Transport only: nothing about tempo, position, bars or clock.
  SetCallbacks(false, false, true);
  VstTimeInfo* info = Ask();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->flags & ~(kVstTransportChanged | kVstTransportPlaying |
                            kVstTransportCycleActive | kVstCyclePosValid),
            0);
  EXPECT_FALSE(info->flags & (kVstTempoValid | kVstPpqPosValid));

  // Beat and tempo failing: no bars and no clock, the time signature still.
  SetCallbacks(true, true, false);
  m_host.beatOk = false;
  info = Ask();
  EXPECT_EQ(info->flags, kVstTimeSigValid);
  // A beat of -1 or less gives no bar start.
  m_host.beatOk = true;
  m_host.beat = -1.0;
  info = Ask();
  EXPECT_FALSE(info->flags & kVstBarsValid);
  EXPECT_TRUE(info->flags & kVstClockValid);
  // A tempo of 0 gives no clock.
  m_host.tempo = 0.0;
  info = Ask();
  EXPECT_FALSE(info->flags & kVstClockValid);

  // No callbacks: only the sample rate and the time.
  SetCallbacks(false, false, false);
  info = Ask();
  EXPECT_EQ(info->flags, 0);
  EXPECT_EQ(info->sampleRate, 44100.0);
  EXPECT_GT(info->nanoSeconds, 0.0);
  // Hostile answers do not overflow.
  SetCallbacks(true, true, true);
  m_host.tempo = 1e-12;
  m_host.numerator = 1e30f;
  m_host.deltaToNextBeat = 0xFFFFFFFFu;
  info = Ask();
  EXPECT_EQ(info->timeSigNumerator, INT32_MAX);
}

TEST_F(AUSynthTest, HostCallbackAnswersItsOwnQuestions) {
  AEffect* effect = Synth(m_unit)->GetEffect();
  EXPECT_EQ(VSTCallback(effect, audioMasterVersion, 0, 0, nullptr, 0.0f), 2400);
  EXPECT_EQ(VSTCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f), 2400);
  const struct {
    const char* text;
    VstIntPtr expected;
  } canDo[] = {{"sendVstEvents", 1},        {"sendVstMidiEvent", 1}, {"sendVstTimeInfo", 1},
               {"shellCategory", 1},        {"supplyIdle", 1},       {"receiveVstMidiEvent", 0},
               {"sendVstEventsAndMore", 0}, {"", 0}};
  for (const auto& c : canDo)
    EXPECT_EQ(VSTCallback(effect, audioMasterCanDo, 0, 0, const_cast<char*>(c.text), 0.0f),
              c.expected)
        << c.text;
  EXPECT_EQ(VSTCallback(effect, audioMasterCanDo, 0, 0, nullptr, 0.0f), 0);
  EXPECT_EQ(VSTCallback(effect, audioMasterWantMidi, 0, 1, nullptr, 0.0f), 0);

  // Without a unit behind the effect nothing is asked of it.
  AEffect orphan;
  memset(&orphan, 0, sizeof(orphan));
  EXPECT_EQ(VSTCallback(&orphan, audioMasterGetTime, 0, 0, nullptr, 0.0f), 0);
  EXPECT_EQ(VSTCallback(nullptr, audioMasterGetTime, 0, 0, nullptr, 0.0f), 0);
  EXPECT_EQ(VSTCallback(nullptr, audioMasterAutomate, 3, 0, nullptr, 0.5f), 0);
  EXPECT_EQ(VSTCallback(&orphan, audioMasterBeginEdit, 3, 0, nullptr, 0.0f), 0);
}

// ---------------------------------------------------------------------------
// Automation from the instrument

struct HEARD {
  int values = 0;
  float lastValue = -1.0f;
  int events[3] = {0, 0, 0};
  float lastEventValue = -1.0f;
};

void ParameterHeard(void* refCon, void*, const AudioUnitParameter*, AudioUnitParameterValue value) {
  HEARD* heard = static_cast<HEARD*>(refCon);
  ++heard->values;
  heard->lastValue = value;
}

void EventHeard(void* refCon, void*, const AudioUnitEvent* event, UInt64,
                AudioUnitParameterValue value) {
  HEARD* heard = static_cast<HEARD*>(refCon);
  if (event->mEventType < 3) ++heard->events[event->mEventType];
  if (event->mEventType == kAudioUnitEvent_ParameterValueChange) heard->lastEventValue = value;
}

TEST_F(AUSynthTest, AutomationFromTheInstrumentReachesTheUnitAndEachListenerOnce) {
  const AudioUnitParameterID index = 42;
  AudioUnitParameter parameter{m_unit, index, kAudioUnitScope_Global, 0};
  HEARD heardParams;
  HEARD heardEvents;
  AUParameterListenerRef paramListener = nullptr;
  AUEventListenerRef eventListener = nullptr;
  ASSERT_EQ(AUListenerCreate(ParameterHeard, &heardParams, &paramListener), noErr);
  ASSERT_EQ(AUEventListenerCreate(EventHeard, &heardEvents, &eventListener), noErr);
  ASSERT_EQ(AUListenerAddParameter(paramListener, nullptr, &parameter), noErr);
  for (AudioUnitEventType type : {kAudioUnitEvent_ParameterValueChange,
                                  kAudioUnitEvent_BeginParameterChangeGesture,
                                  kAudioUnitEvent_EndParameterChangeGesture}) {
    AudioUnitEvent event;
    memset(&event, 0, sizeof(event));
    event.mEventType = type;
    event.mArgument.mParameter = parameter;
    ASSERT_EQ(AUEventListenerAddEventType(eventListener, nullptr, &event), noErr);
  }

  // The editor's path: it has applied the value and tells the host.
  CVstSynth* vst = Vst(m_unit);
  vst->beginEdit(index);
  vst->setParameterAutomated(index, 0.375f);
  vst->endEdit(index);

  EXPECT_FLOAT_EQ(Param(m_unit, index), 0.375f);
  AudioUnitParameterValue stored = -1.0f;
  Synth(m_unit)->MusicDeviceBase::GetParameter(index, kAudioUnitScope_Global, 0, stored);
  EXPECT_FLOAT_EQ(stored, 0.375f);
  EXPECT_EQ(heardParams.values, 1);
  EXPECT_FLOAT_EQ(heardParams.lastValue, 0.375f);
  EXPECT_EQ(heardEvents.events[kAudioUnitEvent_ParameterValueChange], 1);
  EXPECT_FLOAT_EQ(heardEvents.lastEventValue, 0.375f);
  EXPECT_EQ(heardEvents.events[kAudioUnitEvent_BeginParameterChangeGesture], 1);
  EXPECT_EQ(heardEvents.events[kAudioUnitEvent_EndParameterChangeGesture], 1);

  // Automation of an index the unit does not have is dropped.
  Synth(m_unit)->OnParameterAutomated(PARAMS, 0.5f);
  EXPECT_TRUE(Synth(m_unit)->OnBeginEdit(-1));
  EXPECT_TRUE(Synth(m_unit)->OnEndEdit(static_cast<int>(PARAMS)));
  EXPECT_EQ(heardParams.values, 1);
  EXPECT_EQ(heardEvents.events[0] + heardEvents.events[1] + heardEvents.events[2], 3);

  AUListenerDispose(paramListener);
  AUListenerDispose(eventListener);
}

}  // namespace
