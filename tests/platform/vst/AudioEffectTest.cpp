// The VST effect base driven the way a host drives it: through the AEffect
// record's C entries and dispatcher opcodes, with a recording host callback.

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "platform/vst/AudioEffectX.h"

namespace {

struct HostCall {
  VstInt32 opcode;
  VstInt32 index;
  VstIntPtr value;
  void* ptr;
  float opt;
};

std::vector<HostCall> g_hostCalls;
VstTimeInfo g_hostTime;

VstIntPtr RecordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                        float opt) {
  g_hostCalls.push_back({opcode, index, value, ptr, opt});
  switch (opcode) {
    case audioMasterVersion:
      return 2400;
    case audioMasterGetTime:
      return reinterpret_cast<VstIntPtr>(&g_hostTime);
    case audioMasterCanDo:
      return ptr && strcmp(static_cast<char*>(ptr), "sendVstTimeInfo") == 0 ? 1 : 0;
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
      return 1;
    default:
      return 0;
  }
}

class CTestEditor : public AEffEditor {
 public:
  explicit CTestEditor(AudioEffect* effect) : AEffEditor(effect) {
    m_rect = {0, 0, 600, 900};
  }
  bool getRect(ERect** rect) override {
    if (!rect) return false;
    *rect = &m_rect;
    return true;
  }
  bool open(void* parent) override {
    opened = parent;
    return AEffEditor::open(parent);
  }
  void close() override {
    ++closes;
    AEffEditor::close();
  }
  void idle() override { ++idles; }

  ERect m_rect;
  void* opened = nullptr;
  int closes = 0;
  int idles = 0;
};

// Records every virtual the dispatcher reaches, as "name(args)".
class CTestEffect : public AudioEffectX {
 public:
  static constexpr VstInt32 kParams = 4;

  CTestEffect(audioMasterCallback master, bool* destroyed = nullptr)
      : AudioEffectX(master, 1, kParams), m_destroyed(destroyed) {
    setNumInputs(0);
    setNumOutputs(2);
    canProcessReplacing(true);
    isSynth(true);
    programsAreChunks(true);
    setUniqueID(('T' << 24) | ('e' << 16) | ('s' << 8) | 't');
    for (float& v : m_values) v = 0.25f;
  }
  ~CTestEffect() override {
    if (m_destroyed) *m_destroyed = true;
  }

  void open() override { calls.push_back("open"); }
  void close() override { calls.push_back("close"); }
  void suspend() override { calls.push_back("suspend"); }
  void resume() override {
    calls.push_back("resume");
    AudioEffectX::resume();
  }
  void setSampleRate(float rate) override {
    calls.push_back("setSampleRate(" + std::to_string(static_cast<int>(rate)) + ")");
    AudioEffectX::setSampleRate(rate);
  }
  void setBlockSize(VstInt32 n) override {
    calls.push_back("setBlockSize(" + std::to_string(n) + ")");
    AudioEffectX::setBlockSize(n);
  }
  void processReplacing(float**, float** outputs, VstInt32 frames) override {
    calls.push_back("processReplacing(" + std::to_string(frames) + ")");
    for (VstInt32 i = 0; i < frames; ++i) outputs[0][i] = outputs[1][i] = 0.5f;
  }
  void setParameter(VstInt32 index, float value) override {
    calls.push_back("setParameter(" + std::to_string(index) + ")");
    m_values[index] = value;
  }
  float getParameter(VstInt32 index) override { return m_values[index]; }
  void getParameterName(VstInt32 index, char* text) override {
    vst_strncpy(text, ("Param" + std::to_string(index) + "LongName").c_str(), kVstMaxParamStrLen);
  }
  void getParameterLabel(VstInt32, char* text) override { vst_strncpy(text, "%", 8); }
  void getParameterDisplay(VstInt32 index, char* text) override {
    snprintf(text, 9, "%.2f", m_values[index] * 100.0f);
  }
  VstInt32 getChunk(void** data, bool isPreset) override {
    calls.push_back(std::string("getChunk(") + (isPreset ? "preset" : "bank") + ")");
    *data = m_chunk;
    return sizeof(m_chunk);
  }
  VstInt32 setChunk(void* data, VstInt32 size, bool isPreset) override {
    calls.push_back("setChunk(" + std::to_string(size) + ")");
    return data ? 1 : 0;
  }
  VstInt32 processEvents(VstEvents* events) override {
    calls.push_back("processEvents(" + std::to_string(events->numEvents) + ")");
    return 1;
  }
  bool getEffectName(char* name) override {
    if (name) vst_strncpy(name, "TestSynth", kVstMaxEffectNameLen);
    return true;
  }
  bool getVendorString(char* text) override {
    if (text) vst_strncpy(text, "Vendor", kVstMaxVendorStrLen);
    return true;
  }
  bool getProductString(char* text) override {
    if (text) vst_strncpy(text, "Product", kVstMaxProductStrLen);
    return true;
  }
  VstInt32 getVendorVersion() override { return 1401; }
  VstInt32 canDo(char* text) override { return strcmp(text, "receiveVstEvents") == 0 ? 1 : -1; }
  bool getOutputProperties(VstInt32 index, VstPinProperties* props) override {
    if (index < 0 || index > 1) return false;
    vst_strncpy(props->label, index ? "Test R" : "Test L", 63);
    props->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
  }
  bool getProgramNameIndexed(VstInt32, VstInt32 index, char* text) override {
    if (index != 0 || !text) return false;
    vst_strncpy(text, "Init", kVstMaxProgNameLen);
    return true;
  }
  VstInt32 getNumMidiInputChannels() override { return 1; }

  AEffEditor* editorForTest() { return editor; }

  std::vector<std::string> calls;
  float m_values[kParams];
  char m_chunk[12] = "chunk-bytes";
  bool* m_destroyed;
};

VstIntPtr Dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f) {
  return e->dispatcher(e, opcode, index, value, ptr, opt);
}

class AudioEffectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_hostCalls.clear();
    memset(&g_hostTime, 0, sizeof(g_hostTime));
    m_effect = new CTestEffect(RecordingHost);
    m_ae = m_effect->getAeffect();
  }
  void TearDown() override {
    if (m_effect) Dispatch(m_ae, effClose);
  }

  CTestEffect* m_effect = nullptr;
  AEffect* m_ae = nullptr;
};

TEST_F(AudioEffectTest, RecordCarriesTheDeclaredSetUp) {
  EXPECT_EQ(m_ae->magic, kEffectMagic);
  EXPECT_EQ(m_ae->object, m_effect);
  EXPECT_EQ(m_ae->user, nullptr);
  EXPECT_EQ(m_ae->numInputs, 0);
  EXPECT_EQ(m_ae->numOutputs, 2);
  EXPECT_EQ(m_ae->numParams, CTestEffect::kParams);
  EXPECT_EQ(m_ae->numPrograms, 1);
  EXPECT_EQ(m_ae->uniqueID, 0x54657374);
  EXPECT_TRUE(m_ae->flags & effFlagsCanReplacing);
  EXPECT_TRUE(m_ae->flags & effFlagsIsSynth);
  EXPECT_TRUE(m_ae->flags & effFlagsProgramChunks);
  EXPECT_FALSE(m_ae->flags & effFlagsHasEditor);
  EXPECT_EQ(Dispatch(m_ae, effGetPlugCategory), kPlugCategSynth);
  EXPECT_EQ(sizeof(VstMidiEvent), 32u);
  // The fixed-capacity event list reads the same as VstEvents.
  EXPECT_EQ(offsetof(VstEventsBlock<8>, events), offsetof(VstEvents, events));
}

TEST_F(AudioEffectTest, DispatcherOpcodesReachTheVirtuals) {
  struct Case {
    VstInt32 opcode;
    VstIntPtr value;
    float opt;
    const char* call;
  } cases[] = {
      {effOpen, 0, 0.0f, "open"},
      {effSetBlockSize, 512, 0.0f, "setBlockSize(512)"},
      {effSetSampleRate, 0, 48000.0f, "setSampleRate(48000)"},
      {effMainsChanged, 0, 0.0f, "suspend"},
      {effMainsChanged, 1, 0.0f, "resume"},
  };
  for (const Case& c : cases) {
    m_effect->calls.clear();
    Dispatch(m_ae, c.opcode, 0, c.value, nullptr, c.opt);
    ASSERT_EQ(m_effect->calls.size(), 1u) << c.call;
    EXPECT_EQ(m_effect->calls[0], c.call);
  }
  EXPECT_EQ(m_effect->getBlockSize(), 512);
  EXPECT_EQ(m_effect->getSampleRate(), 48000.0f);

  // Rates and sizes that cannot drive the engine never reach it.
  m_effect->calls.clear();
  Dispatch(m_ae, effSetSampleRate, 0, 0, nullptr, 0.0f);
  Dispatch(m_ae, effSetSampleRate, 0, 0, nullptr, -44100.0f);
  Dispatch(m_ae, effSetSampleRate, 0, 0, nullptr, NAN);
  Dispatch(m_ae, effSetBlockSize, 0, 0);
  Dispatch(m_ae, effSetBlockSize, 0, -5);
  EXPECT_TRUE(m_effect->calls.empty());
  EXPECT_EQ(m_effect->getSampleRate(), 48000.0f);
}

TEST_F(AudioEffectTest, ResumeAsksTheHostForMidi) {
  Dispatch(m_ae, effMainsChanged, 0, 1);
  ASSERT_EQ(g_hostCalls.size(), 1u);
  EXPECT_EQ(g_hostCalls[0].opcode, audioMasterWantMidi);
}

TEST_F(AudioEffectTest, ParametersThroughTheRecordAndTheirTexts) {
  m_ae->setParameter(m_ae, 2, 0.5f);
  EXPECT_FLOAT_EQ(m_ae->getParameter(m_ae, 2), 0.5f);

  char text[kVstMaxLabelLen + 1];
  memset(text, 'x', sizeof(text));
  Dispatch(m_ae, effGetParamName, 1, 0, text);
  EXPECT_STREQ(text, "Param1Lo");  // cut to 8 characters
  Dispatch(m_ae, effGetParamLabel, 1, 0, text);
  EXPECT_STREQ(text, "%");
  Dispatch(m_ae, effGetParamDisplay, 2, 0, text);
  EXPECT_STREQ(text, "50.00");

  // Indices outside the parameter count never reach the effect.
  m_effect->calls.clear();
  for (VstInt32 bad : {-1, CTestEffect::kParams, 1 << 30}) {
    m_ae->setParameter(m_ae, bad, 1.0f);
    EXPECT_EQ(m_ae->getParameter(m_ae, bad), 0.0f);
    strcpy(text, "old");
    Dispatch(m_ae, effGetParamName, bad, 0, text);
    EXPECT_STREQ(text, "");
    Dispatch(m_ae, effGetParamDisplay, bad, 0, text);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(Dispatch(m_ae, effCanBeAutomated, bad), 0);
  }
  EXPECT_TRUE(m_effect->calls.empty());
  EXPECT_EQ(Dispatch(m_ae, effCanBeAutomated, 0), 1);
  Dispatch(m_ae, effGetParamName, 0, 0, nullptr);  // no buffer: nothing written, no crash
}

TEST_F(AudioEffectTest, SetParameterAutomatedOnlyTellsTheHost) {
  m_effect->setParameterAutomated(3, 0.75f);
  ASSERT_EQ(g_hostCalls.size(), 1u);
  EXPECT_EQ(g_hostCalls[0].opcode, audioMasterAutomate);
  EXPECT_EQ(g_hostCalls[0].index, 3);
  EXPECT_EQ(g_hostCalls[0].value, 0);
  EXPECT_EQ(g_hostCalls[0].ptr, nullptr);
  EXPECT_FLOAT_EQ(g_hostCalls[0].opt, 0.75f);
  EXPECT_FLOAT_EQ(m_ae->getParameter(m_ae, 3), 0.25f);  // unchanged
  EXPECT_TRUE(m_effect->calls.empty());
}

TEST_F(AudioEffectTest, HostRequestsUseTheirOpcodes) {
  g_hostTime.tempo = 133.0;
  g_hostTime.flags = kVstTempoValid;
  VstTimeInfo* info = m_effect->getTimeInfo(kVstTempoValid | kVstTransportPlaying);
  ASSERT_EQ(info, &g_hostTime);
  EXPECT_EQ(info->tempo, 133.0);
  ASSERT_EQ(g_hostCalls.size(), 1u);
  EXPECT_EQ(g_hostCalls[0].opcode, 7);
  EXPECT_EQ(g_hostCalls[0].value, 0x402);

  g_hostCalls.clear();
  char yes[] = "sendVstTimeInfo";
  char no[] = "receiveVstMidiEvent";
  EXPECT_TRUE(m_effect->canHostDo(yes));
  EXPECT_FALSE(m_effect->canHostDo(no));
  EXPECT_TRUE(m_effect->beginEdit(5));
  EXPECT_TRUE(m_effect->endEdit(5));
  EXPECT_EQ(m_effect->getMasterVersion(), 2400);
  ASSERT_EQ(g_hostCalls.size(), 5u);
  EXPECT_EQ(g_hostCalls[0].opcode, 37);
  EXPECT_EQ(g_hostCalls[2].opcode, 43);
  EXPECT_EQ(g_hostCalls[2].index, 5);
  EXPECT_EQ(g_hostCalls[3].opcode, 44);
  EXPECT_EQ(g_hostCalls[4].opcode, 1);
}

TEST(AudioEffectNoHost, RequestsWithoutAHostAnswerNothing) {
  CTestEffect effect(nullptr);
  EXPECT_EQ(effect.getTimeInfo(0x402), nullptr);
  EXPECT_FALSE(effect.beginEdit(0));
  EXPECT_EQ(effect.getMasterVersion(), 1);
  effect.setParameterAutomated(0, 1.0f);  // nowhere to go, no crash
  effect.resume();
}

TEST_F(AudioEffectTest, HostQueriesOfIdentityPinsAndEvents) {
  char name[kVstMaxVendorStrLen + 1] = {};
  EXPECT_EQ(Dispatch(m_ae, effGetEffectName, 0, 0, name), 1);
  EXPECT_STREQ(name, "TestSynth");
  EXPECT_EQ(Dispatch(m_ae, effGetVendorString, 0, 0, name), 1);
  EXPECT_STREQ(name, "Vendor");
  EXPECT_EQ(Dispatch(m_ae, effGetProductString, 0, 0, name), 1);
  EXPECT_STREQ(name, "Product");
  EXPECT_EQ(Dispatch(m_ae, effGetEffectName, 0, 0, nullptr), 1);  // the effect decides
  EXPECT_EQ(Dispatch(m_ae, effGetVendorVersion), 1401);
  EXPECT_EQ(Dispatch(m_ae, effGetVstVersion), kVstVersion);
  EXPECT_EQ(Dispatch(m_ae, effGetNumMidiInputChannels), 1);
  EXPECT_EQ(Dispatch(m_ae, effGetNumMidiOutputChannels), 0);

  char can[] = "receiveVstEvents";
  char cannot[] = "sendVstMidiEvent";
  EXPECT_EQ(Dispatch(m_ae, effCanDo, 0, 0, can), 1);
  EXPECT_EQ(Dispatch(m_ae, effCanDo, 0, 0, cannot), -1);
  EXPECT_EQ(Dispatch(m_ae, effCanDo, 0, 0, nullptr), 0);

  VstPinProperties pin;
  memset(&pin, 0, sizeof(pin));
  EXPECT_EQ(Dispatch(m_ae, effGetOutputProperties, 1, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "Test R");
  EXPECT_EQ(pin.flags, 3);
  EXPECT_EQ(Dispatch(m_ae, effGetOutputProperties, 2, 0, &pin), 0);
  EXPECT_EQ(Dispatch(m_ae, effGetOutputProperties, 0, 0, nullptr), 0);
  EXPECT_EQ(Dispatch(m_ae, effGetInputProperties, 0, 0, &pin), 0);

  char prog[kVstMaxProgNameLen + 1];
  EXPECT_EQ(Dispatch(m_ae, effGetProgramNameIndexed, 0, 0, prog), 1);
  EXPECT_STREQ(prog, "Init");
  EXPECT_EQ(Dispatch(m_ae, effGetProgramNameIndexed, 1, 0, prog), 0);

  VstMidiEvent midi;
  memset(&midi, 0, sizeof(midi));
  midi.type = kVstMidiType;
  midi.byteSize = sizeof(midi);
  VstEventsBlock<1> events = {1, 0, {reinterpret_cast<VstEvent*>(&midi)}};
  EXPECT_EQ(Dispatch(m_ae, effProcessEvents, 0, 0, events.get()), 1);
  EXPECT_EQ(m_effect->calls.back(), "processEvents(1)");
  EXPECT_EQ(Dispatch(m_ae, effProcessEvents, 0, 0, nullptr), 0);
}

TEST_F(AudioEffectTest, ProcessReplacingThroughTheRecord) {
  float left[16] = {}, right[16] = {};
  float* outs[2] = {left, right};
  m_ae->processReplacing(m_ae, nullptr, outs, 16);
  EXPECT_EQ(left[15], 0.5f);
  EXPECT_EQ(right[0], 0.5f);
  m_effect->calls.clear();
  m_ae->processReplacing(m_ae, nullptr, outs, -1);  // refused
  EXPECT_TRUE(m_effect->calls.empty());
}

TEST_F(AudioEffectTest, ChunksPassThroughTheDispatcher) {
  void* data = nullptr;
  EXPECT_EQ(Dispatch(m_ae, effGetChunk, 1, 0, &data), 12);
  EXPECT_EQ(m_effect->calls.back(), "getChunk(preset)");
  EXPECT_STREQ(static_cast<char*>(data), "chunk-bytes");
  EXPECT_EQ(Dispatch(m_ae, effGetChunk, 1, 0, nullptr), 0);

  char bytes[40] = {};
  EXPECT_EQ(Dispatch(m_ae, effSetChunk, 1, 40, bytes), 1);
  EXPECT_EQ(m_effect->calls.back(), "setChunk(40)");
  m_effect->calls.clear();
  EXPECT_EQ(Dispatch(m_ae, effSetChunk, 1, -4, bytes), 0);  // impossible size refused
  EXPECT_TRUE(m_effect->calls.empty());
}

TEST_F(AudioEffectTest, EditorOpcodesReachTheRegisteredEditor) {
  ERect* rect = reinterpret_cast<ERect*>(1);
  EXPECT_EQ(Dispatch(m_ae, effEditGetRect, 0, 0, &rect), 0);  // no editor yet
  EXPECT_EQ(rect, nullptr);
  Dispatch(m_ae, effEditIdle);
  Dispatch(m_ae, effEditClose);

  CTestEditor editor(m_effect);
  m_effect->setEditor(&editor);
  EXPECT_TRUE(m_ae->flags & effFlagsHasEditor);
  EXPECT_EQ(Dispatch(m_ae, effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right - rect->left, 900);
  EXPECT_EQ(rect->bottom - rect->top, 600);

  int parent = 0;
  EXPECT_EQ(Dispatch(m_ae, effEditOpen, 0, 0, &parent), 1);
  EXPECT_EQ(editor.opened, &parent);
  EXPECT_TRUE(editor.isOpen());
  Dispatch(m_ae, effEditIdle);
  Dispatch(m_ae, effEditIdle);
  EXPECT_EQ(editor.idles, 2);
  Dispatch(m_ae, effEditClose);
  EXPECT_EQ(editor.closes, 1);
  EXPECT_FALSE(editor.isOpen());
  EXPECT_EQ(editor.getEffect(), m_effect);

  m_effect->setEditor(nullptr);
  EXPECT_FALSE(m_ae->flags & effFlagsHasEditor);
}

TEST(AudioEffectClose, CloseOpcodeCallsCloseAndDeletesTheObject) {
  bool destroyed = false;
  CTestEffect* effect = new CTestEffect(RecordingHost, &destroyed);
  AEffect* ae = effect->getAeffect();
  EXPECT_EQ(Dispatch(ae, effClose), 1);
  EXPECT_TRUE(destroyed);
}

TEST(AudioEffectRecord, ForeignRecordIsIgnored) {
  AEffect bogus;
  memset(&bogus, 0, sizeof(bogus));
  EXPECT_EQ(AudioEffect::dispatchEffectClass(&bogus, effGetVendorVersion, 0, 0, nullptr, 0), 0);
  EXPECT_EQ(AudioEffect::getParameterClass(nullptr, 0), 0.0f);
}

TEST(VstStrncpy, CutsAndTerminatesAtTheLimit) {
  char buf[10];
  memset(buf, 'x', sizeof(buf));
  vst_strncpy(buf, "ABCDEFGHIJKLMN", 8);
  EXPECT_STREQ(buf, "ABCDEFGH");
  EXPECT_EQ(buf[9], 'x');  // nothing written past the terminator
  vst_strncpy(buf, nullptr, 8);
  EXPECT_STREQ(buf, "");
  vst_strncpy(nullptr, "A", 8);
}

}  // namespace
