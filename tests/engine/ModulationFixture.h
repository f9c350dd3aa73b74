#pragma once
// A real global synth, parameter store and modulation matrix wired together
// as the voice manager wires them, for the modulation tests.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/GlobalSynth.h"
#include "engine/ModulationMatrix.h"
#include "engine/ParamHandler.h"
#include "engine/ParamIds.h"
#include "engine/Voice.h"

class ModulationFixture : public ::testing::Test {
 protected:
  static constexpr float kRate = 44100.0f;
  static constexpr unsigned int kBlock = 64;

  ModulationFixture() : params(&synth), matrix(&synth) {
    synth.SetParamHandler(&params);
    synth.SetIModulation(&matrix);
    synth.SetSampleRate(kRate);
    params.SetSampleRate(kRate);
    params.SetBlockSize(kBlock);
    matrix.SetSampleRate(kRate);
    matrix.SetBlockSize(kBlock);
    synth.SetHostTempo(120.0f);
    synth.GetFilterMemoryPool()->SetCapacity(64, 16);
  }

  // A plain setting (id 361 and up), applied as at a block start.
  void SetPlain(unsigned int id, float value) {
    params.SetParam(id, value);
    params.Update();
    // The store refuses non-finite values; write them straight into the live
    // image to stand for a damaged image reaching the engine.
    (*params.GetPreset())[id] = value;
  }

  // A modulatable parameter, with its 30 ms ramp run to the end.
  void SetModulatable(unsigned int id, float value) {
    params.SetParam(id, value);
    for (unsigned int k = 0; k < 2000 / kBlock + 1; ++k) params.UpdateParam(id, kBlock);
  }

  // Writes a slot's source and target and rebuilds the routing.
  void SetSlot(unsigned int slot, float source, float target, float depth = 1.0f) {
    SetModulatable(PARAM_MOD_DEPTH + slot, depth);
    SetPlain(PARAM_MOD_SOURCE + slot, source);
    SetPlain(PARAM_MOD_TARGET + slot, target);
    matrix.RebuildMatrix();
  }

  // A note voice started as the voice manager starts one.
  std::unique_ptr<CVoice> StartVoice(int note = 60, float velocity = 1.0f) {
    std::unique_ptr<CVoice> v(new CVoice(&synth, note, velocity, kRate, 0));
    for (unsigned int k = 0; k < v->GetUnisonCount(); ++k) matrix.PolyReset(v->GetVoice(k));
    return v;
  }

  // Runs blocks of one generator through a callback, collecting n samples.
  template <typename F>
  std::vector<float> Render(unsigned int n, F generateBlock) {
    std::vector<float> out;
    std::vector<float> block(kBlock);
    while (out.size() < n) {
      unsigned int len = static_cast<unsigned int>(std::min<size_t>(kBlock, n - out.size()));
      generateBlock(block.data(), len);
      out.insert(out.end(), block.begin(), block.begin() + len);
    }
    return out;
  }

  static bool AllFinite(const std::vector<float>& v) {
    for (float x : v)
      if (!std::isfinite(x)) return false;
    return true;
  }

  CGlobalSynth synth;
  CParamHandler params;
  CModulationMatrix matrix;
};
