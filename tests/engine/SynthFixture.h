#pragma once
// Global services with a registered parameter store, for testing single
// engine stages without a voice manager.

#include <gtest/gtest.h>

#include "engine/GlobalSynth.h"
#include "engine/ParamHandler.h"

class SynthFixture : public ::testing::Test {
 protected:
  SynthFixture() : params(&synth) {
    synth.SetParamHandler(&params);
    params.SetBlockSize(512);
    params.Update();
    params.ClearStatus();
  }
  ~SynthFixture() override { synth.SetParamHandler(nullptr); }

  // Sets a parameter and makes it live, as a block start would.
  void Set(unsigned int id, float value) {
    params.SetParam(id, value);
    params.Update();
    params.ClearStatus();
  }

  CGlobalSynth synth;
  CParamHandler params;
};
