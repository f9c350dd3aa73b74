#pragma once
// A global synth with its parameter store registered, as the voice manager
// sets them up, for tests of single engine modules.

#include <cstdlib>
#include <memory>
#include <string>

#include "engine/GlobalSynth.h"
#include "engine/ParamHandler.h"

struct TestDataDir {
  TestDataDir() {
    char tmpl[] = "/tmp/morlavine-test-XXXXXX";
    const char* d = mkdtemp(tmpl);
    path = d ? d : "/tmp";
    setenv("MORLAVINE_DATA_DIR", path.c_str(), 1);
  }
  ~TestDataDir() {
    std::string cmd = "rm -rf '" + path + "'";
    if (std::system(cmd.c_str()) != 0) {
    }
  }
  std::string path;
};

struct EngineFixture {
  TestDataDir dataDir;
  CGlobalSynth synth;
  CParamHandler params{&synth};
  EngineFixture() { synth.SetParamHandler(&params); }
  ~EngineFixture() { synth.SetParamHandler(nullptr); }
};
