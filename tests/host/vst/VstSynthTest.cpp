// The instrument object's identity, parameters, programs and audio set-up,
// driven the way a host drives it: through the AEffect dispatcher.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "VstTestHost.h"
#include "engine/GlobalSynth.h"
#include "engine/ParamHandler.h"
#include "engine/Params.h"
#include "engine/VoiceManager.h"
#include "editor/Editor.h"

namespace {

std::string DispatchText(CVstTestHost& host, VstInt32 opcode, VstInt32 index = 0, VstIntPtr* result = nullptr) {
  char text[256];
  std::memset(text, 'x', sizeof(text));
  VstIntPtr r = host.Dispatch(opcode, index, 0, text);
  if (result) *result = r;
  text[sizeof(text) - 1] = 0;
  return text;
}

TEST(VstSynthIdentity, AnswersEveryIdentityQuery) {
  CVstTestHost host;
  AEffect* e = host.aeffect;
  EXPECT_EQ(e->magic, kEffectMagic);
  EXPECT_EQ(e->numInputs, 0);
  EXPECT_EQ(e->numOutputs, 2);
  EXPECT_EQ(e->numPrograms, 1);
  EXPECT_EQ(e->numParams, 333);
  EXPECT_EQ(e->uniqueID, ('M' << 24) | ('r' << 16) | ('V' << 8) | 'n');
  EXPECT_TRUE(e->flags & effFlagsCanReplacing);
  EXPECT_TRUE(e->flags & effFlagsIsSynth);
  EXPECT_TRUE(e->flags & effFlagsProgramChunks);

  struct TEXT_ROW {
    VstInt32 opcode;
    const char* answer;
  } texts[] = {
      {effGetEffectName, "Morlavine"},
      {effGetVendorString, "Tarvelon"},
      {effGetProductString, "Morlavine"},
  };
  for (const TEXT_ROW& row : texts) {
    VstIntPtr result = 0;
    EXPECT_EQ(DispatchText(host, row.opcode, 0, &result), row.answer) << row.opcode;
    EXPECT_EQ(result, 1) << row.opcode;
    // A null buffer is answered true and nothing is written.
    EXPECT_EQ(host.Dispatch(row.opcode, 0, 0, nullptr), 1) << row.opcode;
  }

  EXPECT_EQ(host.Dispatch(effGetVendorVersion), 1401);
  EXPECT_EQ(host.Dispatch(effGetPlugCategory), kPlugCategSynth);
  EXPECT_EQ(host.Dispatch(effGetNumMidiInputChannels), 1);
  EXPECT_EQ(host.Dispatch(effGetNumMidiOutputChannels), 0);

  struct CAN_DO_ROW {
    const char* text;
    VstIntPtr answer;
  } canDos[] = {
      {"receiveVstEvents", 1},   {"receiveVstMidiEvent", 1}, {"receiveVstTimeInfo", 1},
      {"sendVstMidiEvent", -1},  {"sendVstEvents", -1},      {"", -1},
  };
  for (const CAN_DO_ROW& row : canDos) {
    std::vector<char> text(row.text, row.text + std::strlen(row.text) + 1);
    EXPECT_EQ(host.Dispatch(effCanDo, 0, 0, text.data()), row.answer) << row.text;
  }

  for (VstInt32 pin = 0; pin < 2; ++pin) {
    VstPinProperties props;
    std::memset(&props, 'x', sizeof(props));
    ASSERT_EQ(host.Dispatch(effGetOutputProperties, pin, 0, &props), 1);
    EXPECT_STREQ(props.label, pin == 0 ? "Morlavine L" : "Morlavine R");
    EXPECT_EQ(props.flags, kVstPinIsActive | kVstPinIsStereo);
  }
  for (VstInt32 pin : {-1, 2, 100}) {
    VstPinProperties props;
    std::memset(&props, 'x', sizeof(props));
    EXPECT_EQ(host.Dispatch(effGetOutputProperties, pin, 0, &props), 0) << pin;
    EXPECT_EQ(props.label[0], 'x') << pin;
  }
}

TEST(VstSynthIdentity, EditorIsRegisteredClosed) {
  CVstTestHost host;
  ASSERT_NE(host.effect->GetEditorObject(), nullptr);
  EXPECT_FALSE(host.effect->GetEditorObject()->isOpen());
  EXPECT_EQ(host.effect->GetEditorObject()->GetPresetName(), "Default");
}

TEST(VstSynthPrograms, OneProgramNamedAfterThePreset) {
  CVstTestHost host;
  EXPECT_EQ(host.Dispatch(effGetProgram), 0);
  host.Dispatch(effSetProgram, 0, 0);
  EXPECT_EQ(host.Dispatch(effGetProgram), 0);
  EXPECT_EQ(DispatchText(host, effGetProgramName), "Default");

  char text[64];
  EXPECT_EQ(host.Dispatch(effGetProgramNameIndexed, 0, 0, text), 1);
  EXPECT_STREQ(text, "Default");
  EXPECT_EQ(host.Dispatch(effGetProgramNameIndexed, 1, 0, text), 0);
  EXPECT_EQ(host.Dispatch(effGetProgramNameIndexed, 0, 0, nullptr), 0);

  // A long preset name is cut to 24 characters, terminated at index 24.
  host.effect->GetEditorObject()->SetPresetName("A preset name longer than twenty-four characters");
  char name[40];
  std::memset(name, 'x', sizeof(name));
  host.Dispatch(effGetProgramName, 0, 0, name);
  EXPECT_EQ(std::string(name), std::string("A preset name longer than twenty-four characters").substr(0, 24));
  EXPECT_EQ(name[25], 'x');
  host.effect->getProgramName(nullptr);  // nothing to write into: no crash
}

// A host index and the synth id behind it.
struct PARAM_PICK {
  VstInt32 index;
  unsigned int id;
};

PARAM_PICK PickParam(bool modulatable) {
  for (VstInt32 i = 0; i < 333; ++i) {
    const unsigned int id = static_cast<unsigned int>(Params::VstParamToSynthParam(i));
    if ((id < MODULATABLE_PARAM_COUNT) == modulatable) return PARAM_PICK{i, id};
  }
  return PARAM_PICK{0, 0};
}

TEST(VstSynthParameters, SetAndGetGoThroughTheIdMap) {
  CVstTestHost host;
  host.Start(256);
  const PARAM_PICK p = PickParam(true);
  host.aeffect->setParameter(host.aeffect, p.index, 0.25f);
  EXPECT_FLOAT_EQ(host.effect->GetGlobalSynth()->GetParam(p.id), 0.25f);
  EXPECT_FLOAT_EQ(host.aeffect->getParameter(host.aeffect, p.index), 0.25f);

  // A plain setting reaches the engine at the next block start.
  const PARAM_PICK q = PickParam(false);
  const float before = host.aeffect->getParameter(host.aeffect, q.index);
  const float value = before == 0.0f ? 1.0f : 0.0f;
  host.aeffect->setParameter(host.aeffect, q.index, value);
  host.Render(16);
  EXPECT_FLOAT_EQ(host.aeffect->getParameter(host.aeffect, q.index), value);
}

TEST(VstSynthParameters, HostChangesAreMirroredToAnOpenEditor) {
  CVstTestHost host;
  CEditor* editor = host.effect->GetEditorObject();
  const PARAM_PICK p = PickParam(true);
  host.effect->setParameter(p.index, 0.5f);
  EXPECT_EQ(editor->GetUpdateCount(), 0u);  // closed: nothing mirrored
  int window = 0;
  ASSERT_EQ(host.Dispatch(effEditOpen, 0, 0, &window), 1);
  host.effect->setParameter(p.index, 0.75f);
  EXPECT_EQ(editor->GetUpdateCount(), 1u);
  EXPECT_EQ(editor->GetLastUpdatedId(), p.id);
  EXPECT_FLOAT_EQ(editor->GetLastUpdatedValue(), 0.75f);
  host.Dispatch(effEditClose);
}

TEST(VstSynthParameters, DisplayNameAndLabelFitTheHostField) {
  CVstTestHost host;
  const PARAM_PICK p = PickParam(true);
  host.effect->setParameter(p.index, 0.5f);
  EXPECT_EQ(DispatchText(host, effGetParamDisplay, p.index), "50.00");
  EXPECT_EQ(DispatchText(host, effGetParamLabel, p.index), "%");

  // Values far outside 0..1 are stored unclamped; their text is cut to the
  // field instead of running past it.
  struct DISPLAY_ROW {
    float value;
    const char* text;
  } rows[] = {{1000.0f, "100000.0"}, {-1.0e6f, "-1000000"}, {1.0e30f, "99999999"}, {0.0f, "0.00"}};
  for (const DISPLAY_ROW& row : rows) {
    host.effect->setParameter(p.index, row.value);
    char text[32];
    std::memset(text, 'x', sizeof(text));
    host.effect->getParameterDisplay(p.index, text);
    EXPECT_EQ(text[kVstMaxParamStrLen + 1], 'x') << row.value;
    EXPECT_LE(std::strlen(text), static_cast<size_t>(kVstMaxParamStrLen)) << row.value;
    if (row.value != 1.0e30f) {
      EXPECT_STREQ(text, row.text) << row.value;
    }
  }

  // Every name is its short name, cut to 8 characters and terminated there.
  for (VstInt32 i = 0; i < 333; ++i) {
    char text[32];
    std::memset(text, 'x', sizeof(text));
    host.effect->getParameterName(i, text);
    const std::string full = Params::GetParamShortName(static_cast<unsigned int>(Params::VstParamToSynthParam(i)));
    EXPECT_EQ(std::string(text), full.substr(0, 8)) << i;
    EXPECT_EQ(text[9], 'x') << i;
  }
}

TEST(VstSynthParameters, IndicesOutsideTheMapAreRefused) {
  CVstTestHost host;
  host.Start(64);
  SYNTH_PRESET* live = host.effect->GetGlobalSynth()->GetPreset();
  std::vector<float> before(live->data, live->data + PARAM_COUNT);
  for (VstInt32 index : {-1, 333, 334, 100000, -2147483647 - 1}) {
    host.effect->setParameter(index, 0.5f);
    EXPECT_EQ(host.effect->getParameter(index), 0.0f) << index;
    char text[32];
    std::memset(text, 'x', sizeof(text));
    host.effect->getParameterName(index, text);
    EXPECT_STREQ(text, "") << index;
    host.effect->getParameterDisplay(index, text);
    EXPECT_STREQ(text, "0.00") << index;
  }
  host.Render(64);
  EXPECT_EQ(0, std::memcmp(before.data(), live->data, PRESET_BYTES));
}

TEST(VstSynthParameters, AutomationOnlyTellsTheHost) {
  CVstTestHost host;
  const PARAM_PICK p = PickParam(true);
  host.effect->setParameter(p.index, 0.2f);
  host.calls.clear();
  host.effect->setParameterAutomated(p.index, 0.9f);
  ASSERT_EQ(host.calls.size(), 1u);
  EXPECT_EQ(host.calls[0].opcode, audioMasterAutomate);
  EXPECT_EQ(host.calls[0].index, p.index);
  EXPECT_EQ(host.calls[0].value, 0);
  EXPECT_FLOAT_EQ(host.calls[0].opt, 0.9f);
  EXPECT_FLOAT_EQ(host.effect->getParameter(p.index), 0.2f);
}

TEST(VstSynthSetup, SampleRateReachesEveryPartAfterTheVoicesAreReset) {
  CVstTestHost host;
  host.Start(128, 44100.0f);
  host.SendMidi({{0x90, 60, 100}, {0x90, 64, 100}});
  host.Render(128);
  ASSERT_GT(host.effect->GetVoiceManager()->GetVoiceCount(), 0u);

  host.Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
  EXPECT_EQ(host.effect->GetVoiceManager()->GetVoiceCount(), 0u);
  EXPECT_FLOAT_EQ(host.effect->GetGlobalSynth()->GetSampleRate(), 48000.0f);
  EXPECT_FLOAT_EQ(host.effect->GetVoiceManager()->GetSampleRate(), 48000.0f);
  EXPECT_FLOAT_EQ(host.effect->getSampleRate(), 48000.0f);

  // Rates that cannot drive a clock change nothing.
  for (float bad : {0.0f, -44100.0f}) {
    host.effect->setSampleRate(bad);
    EXPECT_FLOAT_EQ(host.effect->GetVoiceManager()->GetSampleRate(), 48000.0f) << bad;
    EXPECT_FLOAT_EQ(host.effect->getSampleRate(), 48000.0f) << bad;
  }

  host.Dispatch(effSetBlockSize, 0, 300);
  EXPECT_EQ(host.effect->GetVoiceManager()->GetBlockSize(), 300u);
  EXPECT_EQ(host.effect->getBlockSize(), 300);
  host.effect->setBlockSize(0);
  host.effect->setBlockSize(-5);
  EXPECT_EQ(host.effect->getBlockSize(), 300);
}

// Renders a few notes from a fixed random seed, block by block.
std::vector<float> PlayNotes(CVstTestHost& host) {
  host.effect->GetGlobalSynth()->GetRandom().Seed(7);
  std::vector<float> out;
  host.SendMidi({{0x90, 60, 100}, {0x90, 67, 90, 40}});
  for (int block = 0; block < 24; ++block) {
    if (block == 16) host.SendMidi({{0x80, 60, 0}, {0x80, 67, 0, 10}});
    host.Render(128);
    out.insert(out.end(), host.left.begin(), host.left.end());
    out.insert(out.end(), host.right.begin(), host.right.end());
  }
  return out;
}

TEST(VstSynthSetup, SampleRateTakesAPendingOversamplingChangeThatTheFirstBlockWouldMake) {
  // The factory preset asks for 2x, the engine starts at 4x: the sample
  // rate already builds for 2x.
  CVstTestHost host;
  host.Start(128, 44100.0f);
  EXPECT_EQ(host.effect->GetGlobalSynth()->GetOversampling(), 2u);

  // 8x asked for before the sample rate is set, or after it (the first
  // block makes the change): the same sound, sample for sample.
  CVstTestHost before, after;
  before.Dispatch(effOpen);
  before.Dispatch(effSetBlockSize, 0, 128);
  before.effect->GetGlobalSynth()->SetParam(PARAM_OVERSAMPLING, 1.0f);
  before.Dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
  before.Dispatch(effMainsChanged, 0, 1);
  EXPECT_EQ(before.effect->GetGlobalSynth()->GetOversampling(), 8u);
  after.Start(128, 44100.0f);
  after.effect->GetGlobalSynth()->SetParam(PARAM_OVERSAMPLING, 1.0f);
  EXPECT_EQ(after.effect->GetGlobalSynth()->GetOversampling(), 2u);
  const std::vector<float> a = PlayNotes(before), b = PlayNotes(after);
  EXPECT_EQ(after.effect->GetGlobalSynth()->GetOversampling(), 8u);
  ASSERT_EQ(a.size(), b.size());
  EXPECT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * sizeof(float)));
  EXPECT_GT(*std::max_element(a.begin(), a.end()), 0.01f);
}

TEST(VstSynthSetup, ResumeAfterSuspendResetsVoicesAndAsksForMidi) {
  CVstTestHost host;
  host.Start(128);
  host.SendMidi({{0x90, 60, 100}});
  host.Render(128);
  ASSERT_GT(host.effect->GetVoiceManager()->GetVoiceCount(), 0u);
  host.Dispatch(effMainsChanged, 0, 0);
  EXPECT_GT(host.effect->GetVoiceManager()->GetVoiceCount(), 0u);  // suspend touches nothing
  host.calls.clear();
  host.Dispatch(effMainsChanged, 0, 1);
  EXPECT_EQ(host.effect->GetVoiceManager()->GetVoiceCount(), 0u);
  EXPECT_TRUE(host.effect->IsResumed());
  EXPECT_EQ(host.CountCalls(audioMasterWantMidi), 1u);
}

TEST(VstSynthSetup, ObjectWithoutHostCallbackHoldsNoEngine) {
  CVstSynth* effect = static_cast<CVstSynth*>(createEffectInstance(nullptr));
  EXPECT_EQ(effect->GetVoiceManager(), nullptr);
  float left[8], right[8];
  float* outs[2] = {left, right};
  effect->processReplacing(nullptr, outs, 8);
  effect->setParameter(0, 0.5f);
  EXPECT_EQ(effect->getParameter(0), 0.0f);
  void* data = nullptr;
  EXPECT_EQ(effect->getChunk(&data), 0);
  delete effect;
}

}  // namespace
