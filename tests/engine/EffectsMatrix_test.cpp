#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "SynthFixture.h"
#include "engine/Buffers.h"
#include "engine/EffectsMatrix.h"
#include "engine/ParamIds.h"
#include "fx/Chorus.h"
#include "fx/Delay.h"
#include "fx/Distortion.h"
#include "fx/Echoes.h"
#include "fx/Equalizer.h"
#include "fx/Flanger.h"
#include "fx/GrainShifter.h"
#include "fx/Phaser.h"
#include "fx/Reverb.h"
#include "fx/Tremolo.h"

namespace {

struct CALL {
  int effect;         // creation number of the effect object
  std::string what;   // operation
  const float* left;  // buffer handed to Process
};

// Records every call it receives; Process scales the signal by 2 so that a
// run is visible in the audio as well.
class CRecordingEffect : public IEffectModule {
 public:
  CRecordingEffect(std::vector<CALL>* log, int number, unsigned int effectId)
      : m_log(log), m_number(number), m_effectId(effectId) {}
  ~CRecordingEffect() override { m_log->push_back({m_number, "delete", nullptr}); }
  void SetSampleRate(float sr) override { m_log->push_back({m_number, "rate " + std::to_string(int(sr)), nullptr}); }
  void SetBlockSize(unsigned int n) override { m_log->push_back({m_number, "block " + std::to_string(n), nullptr}); }
  void UpdateParams(unsigned int) override { m_log->push_back({m_number, "update", nullptr}); }
  void Reset() override { m_log->push_back({m_number, "reset", nullptr}); }
  void ResetFreePhase() override { m_log->push_back({m_number, "phase", nullptr}); }
  void OnKeyPress() override { m_log->push_back({m_number, "key", nullptr}); }
  void Process(float* left, float* right, unsigned int n) override {
    m_log->push_back({m_number, "process", left});
    for (unsigned int i = 0; i < n; ++i) {
      left[i] *= 2.0f;
      right[i] *= 2.0f;
    }
  }
  unsigned int EffectId() const { return m_effectId; }

 private:
  std::vector<CALL>* m_log;
  int m_number;
  unsigned int m_effectId;
};

// The log outlives the matrix: the base destructor still deletes effects,
// which record their deletion.
class CRecordingMatrix : public CEffectsMatrix {
 public:
  CRecordingMatrix(IGlobalSynth* synth, std::vector<CALL>& callLog) : CEffectsMatrix(synth), log(callLog) {}
  std::vector<CALL>& log;
  int created = 0;

 protected:
  IEffectModule* _CreateEffect(unsigned int effectId) override {
    return new CRecordingEffect(&log, created++, effectId);
  }
};

class EffectsMatrixTest : public SynthFixture {
 protected:
  EffectsMatrixTest() {
    for (auto& m : mixes) m.SetSamplesCount(N);
  }
  // Fills every cell with effect id 1 and switches all on.
  void FillAllCells() {
    for (unsigned int c = 0; c < 16; ++c) {
      params.SetParam(PARAM_FXMTX_CELL_FX + c, 1.0f);
      params.SetParam(PARAM_FXMTX_CELL_ON + c, 1.0f);
    }
    params.Update();
    params.ClearStatus();
  }
  void FillMixes(float a, float b) {
    for (unsigned int i = 0; i < N; ++i) {
      mixes[0].GetLeftBuffer()[i] = mixes[0].GetRightBuffer()[i] = a;
      mixes[1].GetLeftBuffer()[i] = mixes[1].GetRightBuffer()[i] = b;
    }
  }

  static const unsigned int N = 16;
  std::vector<CALL> callLog;
  CStereoBuffer mixes[2];
  float left[N] = {}, right[N] = {};
};

TEST_F(EffectsMatrixTest, SplitThreeRunsEachRowOnItsMixThenRowZeroOnTheSum) {
  CRecordingMatrix matrix(&synth, callLog);
  matrix.SetSampleRate(48000.0f);
  matrix.SetBlockSize(N);
  FillAllCells();
  Set(PARAM_FXMTX_SPLIT, 3.0f);
  matrix.RebuildMatrix();
  ASSERT_EQ(matrix.created, 16);
  matrix.log.clear();

  matrix.UpdateParams(N);
  FillMixes(1.0f, 10.0f);
  for (unsigned int i = 0; i < N; ++i) left[i] = right[i] = 100.0f;
  matrix.Process(mixes, left, right, N);

  // Every switched-on cell is updated, row 1's serial cells included.
  std::vector<int> updated, processed;
  std::vector<const float*> buffers;
  for (auto& call : matrix.log) {
    if (call.what == "update") updated.push_back(call.effect);
    if (call.what == "process") {
      processed.push_back(call.effect);
      buffers.push_back(call.left);
    }
  }
  std::vector<int> all;
  for (int c = 0; c < 16; ++c) all.push_back(c);
  EXPECT_EQ(updated, all);
  // Cells 0-2 on mix 1, 8-10 on mix 2, then 3-7 on the outputs; 11-15 never.
  EXPECT_EQ(processed, (std::vector<int>{0, 1, 2, 8, 9, 10, 3, 4, 5, 6, 7}));
  for (int k = 0; k < 3; ++k) EXPECT_EQ(buffers[k], mixes[0].GetLeftBuffer());
  for (int k = 3; k < 6; ++k) EXPECT_EQ(buffers[k], mixes[1].GetLeftBuffer());
  for (int k = 6; k < 11; ++k) EXPECT_EQ(buffers[k], left);

  // Audio: (100 + 1 * 2^3 + 10 * 2^3) * 2^5, added to what the outputs held.
  EXPECT_FLOAT_EQ(left[0], (100.0f + 8.0f + 80.0f) * 32.0f);
  EXPECT_FLOAT_EQ(right[N - 1], (100.0f + 8.0f + 80.0f) * 32.0f);
}

TEST_F(EffectsMatrixTest, SplitTableOfCases) {
  struct CASE {
    float split;
    std::vector<int> processed;
  };
  const CASE cases[] = {
      {0.0f, {0, 1, 2, 3, 4, 5, 6, 7}},
      {8.0f, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
      {4.9f, {0, 1, 2, 3, 8, 9, 10, 11, 4, 5, 6, 7}},  // truncated toward zero
      // Out of range from a damaged preset: brought into 0..8.
      {20.0f, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
      {1.0e9f, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
      {-3.0f, {0, 1, 2, 3, 4, 5, 6, 7}},
      {NAN, {0, 1, 2, 3, 4, 5, 6, 7}},
  };
  CRecordingMatrix matrix(&synth, callLog);
  FillAllCells();
  matrix.RebuildMatrix();
  for (const CASE& c : cases) {
    Set(PARAM_FXMTX_SPLIT, c.split);
    matrix.log.clear();
    FillMixes(0.0f, 0.0f);
    matrix.Process(mixes, left, right, N);
    std::vector<int> processed;
    for (auto& call : matrix.log)
      if (call.what == "process") processed.push_back(call.effect);
    EXPECT_EQ(processed, c.processed) << "split " << c.split;
  }
}

TEST_F(EffectsMatrixTest, BypassOffCellsAndEmptyCellsAreSkippedButMixesStillSummed) {
  CRecordingMatrix matrix(&synth, callLog);
  FillAllCells();
  matrix.RebuildMatrix();
  Set(PARAM_FXMTX_CELL_ON + 1, 0.0f);
  Set(PARAM_FXMTX_CELL_ON + 5, 0.0f);
  matrix.log.clear();
  matrix.UpdateParams(N);
  matrix.Process(mixes, left, right, N);
  std::vector<int> updated, processed;
  for (auto& call : matrix.log) {
    if (call.what == "update") updated.push_back(call.effect);
    if (call.what == "process") processed.push_back(call.effect);
  }
  EXPECT_EQ(updated, (std::vector<int>{0, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
  EXPECT_EQ(processed, (std::vector<int>{0, 2, 3, 8, 9, 10, 11, 4, 6, 7}));

  Set(PARAM_FXMTX_BYPASS, 1.0f);
  matrix.log.clear();
  FillMixes(1.0f, 2.0f);
  for (unsigned int i = 0; i < N; ++i) left[i] = right[i] = 0.5f;
  matrix.Process(mixes, left, right, N);
  for (auto& call : matrix.log) EXPECT_NE(call.what, "process");
  EXPECT_FLOAT_EQ(left[3], 3.5f);
  EXPECT_FLOAT_EQ(right[3], 3.5f);
}

TEST_F(EffectsMatrixTest, RebuildCreatesEveryEffectAnewAndPreparesIt) {
  CRecordingMatrix matrix(&synth, callLog);
  matrix.SetSampleRate(44100.0f);
  matrix.SetBlockSize(300);
  Set(PARAM_FXMTX_CELL_FX + 2, 7.0f);
  Set(PARAM_FXMTX_CELL_FX + 9, 7.0f);  // same id twice: two objects
  matrix.RebuildMatrix();
  ASSERT_EQ(matrix.created, 2);
  EXPECT_NE(matrix.GetCell(2), matrix.GetCell(9));
  ASSERT_EQ(matrix.log.size(), 6u);
  EXPECT_EQ(matrix.log[0].what, "rate 44100");
  EXPECT_EQ(matrix.log[1].what, "block 300");
  EXPECT_EQ(matrix.log[2].what, "reset");

  matrix.log.clear();
  matrix.RebuildMatrix();
  // Both old objects deleted before the new ones are created.
  EXPECT_EQ(matrix.log[0].what, "delete");
  EXPECT_EQ(matrix.log[1].what, "delete");
  EXPECT_EQ(matrix.created, 4);

  // Set-up changes keep the objects and reset them.
  matrix.log.clear();
  matrix.SetSampleRate(96000.0f);
  matrix.SetBlockSize(64);
  matrix.ResetCell(9);
  matrix.ResetCell(3);    // empty: nothing
  matrix.ResetCell(400);  // outside the grid: nothing
  std::vector<std::string> ops;
  for (auto& call : matrix.log) ops.push_back(std::to_string(call.effect) + " " + call.what);
  EXPECT_EQ(ops, (std::vector<std::string>{"2 rate 96000", "2 reset", "3 rate 96000", "3 reset", "2 block 64",
                                           "2 reset", "3 block 64", "3 reset", "3 reset"}));
}

TEST_F(EffectsMatrixTest, EffectIdsMakeTheirClassesAndOtherIdsLeaveCellsEmpty) {
  CEffectsMatrix matrix(&synth);
  const float ids[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  for (unsigned int c = 0; c < 16; ++c) params.SetParam(PARAM_FXMTX_CELL_FX + c, ids[c]);
  params.Update();
  params.ClearStatus();
  matrix.RebuildMatrix();
  auto is = [&](unsigned int c, auto* typed) { return dynamic_cast<decltype(typed)>(matrix.GetCell(c)) != nullptr; };
  EXPECT_TRUE(is(0, (CReverb*)nullptr));
  EXPECT_TRUE(is(1, (CReverb*)nullptr));
  EXPECT_TRUE(is(2, (CDelay*)nullptr));
  EXPECT_TRUE(is(5, (CEchoes*)nullptr));
  EXPECT_TRUE(is(6, (CGrainShifter*)nullptr));
  EXPECT_TRUE(is(9, (CChorus*)nullptr));
  EXPECT_TRUE(is(10, (CFlanger*)nullptr));
  EXPECT_TRUE(is(13, (CPhaser*)nullptr));
  EXPECT_TRUE(is(15, (CDistortion*)nullptr));

  const float more[] = {17, 18, 19, 20, 0, 21, -1, 2.0e9f, NAN, 20.7f, 0.5f};
  for (unsigned int c = 0; c < sizeof(more) / sizeof(more[0]); ++c) params.SetParam(PARAM_FXMTX_CELL_FX + c, more[c]);
  params.Update();
  params.ClearStatus();
  // The store refuses non-finite values; a damaged image can still hold them.
  for (unsigned int c = 0; c < sizeof(more) / sizeof(more[0]); ++c) (*params.GetPreset())[PARAM_FXMTX_CELL_FX + c] = more[c];
  matrix.RebuildMatrix();
  EXPECT_TRUE(is(0, (CTremolo*)nullptr));
  EXPECT_TRUE(is(1, (CTremolo*)nullptr));
  EXPECT_TRUE(is(2, (CEqualizer*)nullptr));
  EXPECT_TRUE(is(3, (CEqualizer*)nullptr));
  for (unsigned int c = 4; c < 9; ++c) EXPECT_EQ(matrix.GetCell(c), nullptr) << c;
  EXPECT_TRUE(is(9, (CEqualizer*)nullptr));  // 20.7 truncates to 20
  EXPECT_EQ(matrix.GetCell(10), nullptr);
}

// Odd effect ids make instance 0 of their type, even ids instance 1: each
// cell's effect must sound exactly like an effect of that instance built
// directly, and unlike the other instance, whose parameters differ.
TEST_F(EffectsMatrixTest, OddIdsPlayInstanceZeroAndEvenIdsInstanceOne) {
  using MAKE = IEffectModule* (*)(IGlobalSynth*, unsigned int);
  const MAKE makers[10] = {
      [](IGlobalSynth* s, unsigned int i) -> IEffectModule* { return new CReverb(s, i); },
      [](IGlobalSynth* s, unsigned int i) -> IEffectModule* { return new CDelay(s, i); },
      [](IGlobalSynth* s, unsigned int i) -> IEffectModule* { return new CEchoes(s, i); },
      [](IGlobalSynth* s, unsigned int i) -> IEffectModule* { return new CGrainShifter(s, i); },
      [](IGlobalSynth* s, unsigned int i) -> IEffectModule* { return new CChorus(s, i); },
      [](IGlobalSynth* s, unsigned int i) -> IEffectModule* { return new CFlanger(s, i); },
      [](IGlobalSynth* s, unsigned int i) -> IEffectModule* { return new CPhaser(s, i); },
      [](IGlobalSynth* s, unsigned int i) -> IEffectModule* { return new CDistortion(s, i); },
      [](IGlobalSynth* s, unsigned int i) -> IEffectModule* { return new CTremolo(s, i); },
      [](IGlobalSynth* s, unsigned int i) -> IEffectModule* { return new CEqualizer(s, i); },
  };
  // Every effect parameter (ids 185-330, two instances interleaved) at its
  // own value, settled past its smoothing ramp.
  unsigned int seed = 12345;
  for (unsigned int id = 185; id <= 330; ++id) {
    seed = seed * 1103515245u + 12345u;
    params.SetParam(id, 0.1f + 0.8f * static_cast<float>((seed >> 8) & 0xFFFF) / 65535.0f);
  }
  params.Update();
  params.ClearStatus();
  for (unsigned int id = 185; id <= 330; ++id) params.UpdateParam(id, 512);

  const unsigned int n = 512;
  auto play = [&](IEffectModule* fx) {
    std::vector<float> l(2 * n), r(2 * n);
    for (unsigned int i = 0; i < 2 * n; ++i) {
      l[i] = 0.5f * std::sin(0.05f * static_cast<float>(i)) + (i % 97 == 0 ? 0.5f : 0.0f);
      r[i] = 0.5f * std::sin(0.031f * static_cast<float>(i));
    }
    synth.GetRandom().Seed(7);  // the grain shifter draws its pitch deviations
    for (unsigned int b = 0; b < 2; ++b) {
      fx->UpdateParams(n);
      fx->Process(l.data() + b * n, r.data() + b * n, n);
    }
    l.insert(l.end(), r.begin(), r.end());
    return l;
  };
  for (unsigned int type = 0; type < 10; ++type) {
    SCOPED_TRACE(type);
    CEffectsMatrix matrix(&synth);
    matrix.SetSampleRate(44100.0f);
    matrix.SetBlockSize(n);
    Set(PARAM_FXMTX_CELL_FX + 0, static_cast<float>(2 * type + 1));
    Set(PARAM_FXMTX_CELL_FX + 1, static_cast<float>(2 * type + 2));
    matrix.RebuildMatrix();
    std::vector<float> reference[2];
    for (unsigned int instance = 0; instance < 2; ++instance) {
      std::unique_ptr<IEffectModule> fx(makers[type](&synth, instance));
      fx->SetSampleRate(44100.0f);
      fx->SetBlockSize(n);
      fx->Reset();
      reference[instance] = play(fx.get());
    }
    ASSERT_NE(reference[0], reference[1]);  // the instances' settings tell them apart
    for (unsigned int cell = 0; cell < 2; ++cell) {
      ASSERT_NE(matrix.GetCell(cell), nullptr);
      EXPECT_EQ(play(matrix.GetCell(cell)), reference[cell]) << "effect id " << 2 * type + 1 + cell;
    }
  }
}

TEST_F(EffectsMatrixTest, KeyPressAndFreePhaseReachEveryEffect) {
  CRecordingMatrix matrix(&synth, callLog);
  Set(PARAM_FXMTX_CELL_FX + 4, 3.0f);
  Set(PARAM_FXMTX_CELL_FX + 12, 3.0f);
  matrix.RebuildMatrix();
  matrix.log.clear();
  matrix.OnKeyPress();
  matrix.ResetFreePhase();
  matrix.Reset();
  std::vector<std::string> ops;
  for (auto& call : matrix.log) ops.push_back(std::to_string(call.effect) + " " + call.what);
  EXPECT_EQ(ops, (std::vector<std::string>{"0 key", "1 key", "0 phase", "1 phase", "0 reset", "1 reset"}));
}

}  // namespace
