// The folder layout below the data root, the extensions and the file-dialog
// filters.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "support/TempDataDir.h"
#include "engine/FolderLayout.h"
#include "engine/PresetKinds.h"

namespace {

// Sets or clears environment variables for one scope.
class CEnvVar {
 public:
  CEnvVar(const char* name, const char* value) : m_name(name) {
    const char* old = getenv(name);
    m_had = old != nullptr;
    if (old) m_old = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~CEnvVar() {
    if (m_had)
      setenv(m_name.c_str(), m_old.c_str(), 1);
    else
      unsetenv(m_name.c_str());
  }

 private:
  std::string m_name, m_old;
  bool m_had = false;
};

TEST(FileSpec, FoldersKeepTheirNamesBelowTheRoot) {
  CTempDataDir dir;
  const std::string root = dir.Path();
  EXPECT_EQ(FileSpec::PluginDataPath, root);
  const struct {
    const std::string& value;
    const char* suffix;
  } rows[] = {
      {FileSpec::PathConfigFile, "/config.bin"},
      {FileSpec::FolderPresets, "/Library/Synth Presets"},
      {FileSpec::FolderCCMap, "/Library/Modules/CC Map"},
      {FileSpec::FolderMseg, "/Library/Modules/MSEG"},
      {FileSpec::FolderArp, "/Library/Modules/Arp"},
      {FileSpec::FolderGate, "/Library/Modules/Trancegate"},
      {FileSpec::FolderFxMatrix, "/Library/Modules/FX Matrix"},
      {FileSpec::FolderReverb, "/Library/Modules/FX/Reverb"},
      {FileSpec::FolderDelay, "/Library/Modules/FX/Delay"},
      {FileSpec::FolderEchoes, "/Library/Modules/FX/Echoes"},
      {FileSpec::FolderChorus, "/Library/Modules/FX/Chorus"},
      {FileSpec::FolderFlanger, "/Library/Modules/FX/Flanger"},
      {FileSpec::FolderPhaser, "/Library/Modules/FX/Phaser"},
      {FileSpec::FolderDistortion, "/Library/Modules/FX/Distortion"},
      {FileSpec::FolderTremolo, "/Library/Modules/FX/Tremolo"},
      {FileSpec::FolderEq, "/Library/Modules/FX/EQ"},
      {FileSpec::FolderGrainShifter, "/Library/Modules/FX/GrainShifter"},
      {FileSpec::FolderOscWaveTables, "/Library/Modules/Oscillator"},
      {FileSpec::FolderOscWaveTables2, "/Library/Modules/Oscillator/Wavetables"},
      {FileSpec::FolderSample, "/Library/Modules/Oscillator/Samples"},
  };
  for (const auto& r : rows) EXPECT_EQ(r.value, root + r.suffix);
  EXPECT_EQ(FileSpec::GetModuleFolder(PRESET_KIND_CC_MAP), &FileSpec::FolderCCMap);
  EXPECT_EQ(FileSpec::GetModuleFolder(PRESET_KIND_GRAINSHIFTER), &FileSpec::FolderGrainShifter);
  EXPECT_EQ(FileSpec::GetModuleFolder(PRESET_KIND_SYNTH), nullptr);
  EXPECT_EQ(FileSpec::GetModuleFolder(PRESET_KIND_WAVETABLE), nullptr);
}

TEST(FileSpec, RootFallsBackToXdgThenHome) {
  CTempDataDir dir;  // restores the data root afterwards
  {
    CEnvVar data("MORLAVINE_DATA_DIR", nullptr);
    CEnvVar xdg("XDG_DATA_HOME", "/xdg/data");
    CEnvVar home("HOME", "/home/someone");
    FileSpec::InitFileSpecs();
    EXPECT_EQ(FileSpec::PluginDataPath, "/xdg/data/Morlavine");
    EXPECT_EQ(FileSpec::FolderSample, "/xdg/data/Morlavine/Library/Modules/Oscillator/Samples");
  }
  {
    CEnvVar data("MORLAVINE_DATA_DIR", "");
    CEnvVar xdg("XDG_DATA_HOME", "relative/not/used");
    CEnvVar home("HOME", "/home/someone");
    FileSpec::InitFileSpecs();
    EXPECT_EQ(FileSpec::PluginDataPath, "/home/someone/.local/share/Morlavine");
    EXPECT_EQ(FileSpec::PathConfigFile, "/home/someone/.local/share/Morlavine/config.bin");
  }
}

TEST(FileSpec, ExtensionsAndDialogFiltersAreExact) {
  EXPECT_STREQ(FileSpec::PresetExtension, ".p");
  EXPECT_STREQ(FileSpec::ModuleExtension, ".mp");
  EXPECT_STREQ(FileSpec::WaveTableExtension, ".wav");
  EXPECT_STREQ(FileSpec::SampleExtension, ".wav");
  const struct {
    const char* filter;
    const char* description;
    const char* pattern;
  } rows[] = {
      {FileSpec::PresetDlgFilter, "Preset file (*.p)", "*.p"},
      {FileSpec::ModulePresetDlgFilter, "Module preset file (*.mp)", "*.mp"},
      {FileSpec::OscWaveTableDlgFilter, "Wavetable (*.wav)", "*.wav"},
      {FileSpec::SampleDlgFilter, "WAV Sample (*.wav)", "*.wav"},
  };
  for (const auto& r : rows) {
    char expected[32] = {0};
    std::memcpy(expected, r.description, std::strlen(r.description));
    std::memcpy(expected + std::strlen(r.description) + 1, r.pattern, std::strlen(r.pattern));
    EXPECT_EQ(std::memcmp(r.filter, expected, 32), 0) << r.description;
  }
}

}  // namespace
