// The folder layout below the data root, the extensions and the file-dialog
// filters.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<unsigned char> Bytes(const std::string& path) {
  std::vector<unsigned char> bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<unsigned char>(c));
    std::fclose(f);
  }
  return bytes;
}

TEST(FileSpec, AFreshRootGetsEveryFolderAndThe55BuiltInWaveFiles) {
  CTempDataDir dir;
  ASSERT_TRUE(FileSpec::CreateFolderLayout());
  const std::string* folders[] = {
      &FileSpec::FolderPresets, &FileSpec::FolderCCMap,         &FileSpec::FolderMseg,
      &FileSpec::FolderArp,     &FileSpec::FolderGate,          &FileSpec::FolderFxMatrix,
      &FileSpec::FolderReverb,  &FileSpec::FolderDelay,         &FileSpec::FolderEchoes,
      &FileSpec::FolderChorus,  &FileSpec::FolderFlanger,       &FileSpec::FolderPhaser,
      &FileSpec::FolderDistortion, &FileSpec::FolderTremolo,    &FileSpec::FolderEq,
      &FileSpec::FolderGrainShifter, &FileSpec::FolderOscWaveTables, &FileSpec::FolderOscWaveTables2,
      &FileSpec::FolderSample};
  for (const std::string* folder : folders) EXPECT_TRUE(IsFolder(*folder)) << *folder;
  const std::string builtIn = FileSpec::FolderOscWaveTables + "/Built-In";
  EXPECT_EQ(FileSpec::BuiltInWaveFolder(), builtIn);
  // Each reference: the version word, kind 17 and the wave number, little-endian.
  const struct {
    unsigned int wave;
    const char* name;
  } rows[] = {{0, "Basic Sine"}, {7, "Fatty 4"}, {11, "Rez Resonant 1"}, {26, "Syn Cello"},
              {34, "Tone Organ 1"}, {44, "Noise Classic White"}, {54, "Noise Click"}};
  for (const auto& r : rows) {
    const std::vector<unsigned char> expected = {0x57, 0x50, 0x00, 0x03, 17, 0, 0, 0,
                                                 static_cast<unsigned char>(r.wave), 0, 0, 0};
    EXPECT_EQ(Bytes(builtIn + "/" + r.name + ".wav"), expected) << r.name;
  }
  for (unsigned int w = 0; w < FileSpec::BUILT_IN_WAVE_COUNT; ++w) {
    const std::vector<unsigned char> bytes = Bytes(builtIn + "/" + FileSpec::BUILT_IN_WAVE_NAMES[w] + ".wav");
    ASSERT_EQ(bytes.size(), 12u) << FileSpec::BUILT_IN_WAVE_NAMES[w];
    EXPECT_EQ(bytes[8], w);
  }
  EXPECT_TRUE(FileSpec::TakeLayoutProblem().empty());
}

TEST(FileSpec, ALayoutNeverReplacesWhatTheUserHas) {
  CTempDataDir dir;
  const std::string builtIn = FileSpec::FolderOscWaveTables + "/Built-In";
  ASSERT_EQ(system(("mkdir -p '" + builtIn + "'").c_str()), 0);
  const std::string mine = builtIn + "/Basic Saw.wav";
  FILE* f = std::fopen(mine.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("my own wave", f);
  std::fclose(f);
  ASSERT_EQ(chmod(mine.c_str(), 0600), 0);
  ASSERT_TRUE(FileSpec::CreateFolderLayout());
  const std::string text = "my own wave";
  EXPECT_EQ(Bytes(mine), std::vector<unsigned char>(text.begin(), text.end()));
  struct stat st;
  ASSERT_EQ(stat(mine.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(Bytes(builtIn + "/Basic Sine.wav").size(), 12u);
}

TEST(FileSpec, AnUnwritableRootIsReportedOnceAndNothingBreaks) {
  CTempDataDir dir;
  // A root below a plain file can never be made, whoever runs the test.
  const std::string blocker = dir.Path() + "/plain-file";
  FILE* f = std::fopen(blocker.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  CEnvVar data("MORLAVINE_DATA_DIR", (blocker + "/Morlavine").c_str());
  FileSpec::InitFileSpecs();
  EXPECT_FALSE(FileSpec::CreateFolderLayout());
  const std::string problem = FileSpec::TakeLayoutProblem();
  EXPECT_NE(problem.find(blocker), std::string::npos) << problem;
  // Told once: a second instance neither retries nor reports again.
  EXPECT_FALSE(FileSpec::CreateFolderLayout());
  EXPECT_TRUE(FileSpec::TakeLayoutProblem().empty());
}

}  // namespace
