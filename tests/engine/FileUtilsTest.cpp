// Path splitting and the dialog stand-ins.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "engine/FileUtils.h"
#include "support/TempDataDir.h"

TEST(FileUtils, SplitsPaths) {
  struct Case {
    const char* path;
    const char* dir;
    const char* name;
    const char* extension;
  };
  const Case cases[] = {
      {"/x/y/name.p", "/x/y", "name", ".p"},
      {"C:\\x\\y\\name.p", "C:\\x\\y", "name", ".p"},
      {"/x\\y/name.p", "/x\\y", "name", ".p"},  // mixed separators
      {"/lib/Pad.saw.v2.wav", "/lib", "Pad.saw.v2", ".wav"},
      {"/lib/README", "/lib", "README", ""},
      {"name.mp", "name.mp", "name", ".mp"},
      {"plain", "plain", "plain", ""},
      {"/a.b/c", "/a.b", "c", ".b/c"},  // the extension is taken from the whole path
      {"/a/trailing.", "/a", "trailing", "."},
      {"/a/.hidden", "/a", "", ".hidden"},
      {"/a/dir/", "/a/dir", "", ""},
      {"", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(FileUtils::ExtractDirPath(c.path), c.dir);
    EXPECT_EQ(FileUtils::ExtractFileName(c.path), c.name);
    EXPECT_EQ(FileUtils::ExtractExtension(c.path), c.extension);
  }
}

TEST(FileUtils, DialogsReportCancelAndLeavePathUnchanged) {
  char path[2048];
  strcpy(path, "/keep/me.p");
  EXPECT_FALSE(FileUtils::ShowLoadFileDialog(path, sizeof(path), "Load", ".p"));
  EXPECT_FALSE(FileUtils::ShowLoadFileDialog(path, sizeof(path), "Load", nullptr));
  EXPECT_FALSE(FileUtils::ShowSaveFileDialog(path, "/keep", sizeof(path), "Save", "wav", "x"));
  EXPECT_FALSE(FileUtils::ShowSaveFileDialog(path, nullptr, sizeof(path), nullptr, nullptr, nullptr));
  EXPECT_STREQ(path, "/keep/me.p");
  EXPECT_FALSE(FileUtils::ShowLoadFileDialog(nullptr, 2048, "Load", ".p"));
  EXPECT_FALSE(FileUtils::ShowSaveFileDialog(nullptr, "/", 2048, "Save", ".p", "n"));
}

TEST(FileUtils, ExtensionsCompareWithoutRegardToCase) {
  struct Case {
    const char* path;
    const char* extension;
    bool has;
  };
  const Case cases[] = {
      {"/x/a.wav", ".wav", true},   {"/x/SNARE.WAV", ".wav", true}, {"/x/Upper.P", "p", true},
      {"/x/a.mp", ".p", false},     {"/x/a.wav.p", ".wav", false},  {"/x/.wav", ".wav", false},
      {"/x.wav/name", ".wav", false}, {"mywave", ".wav", false},    {"any", nullptr, true},
  };
  for (const Case& c : cases) EXPECT_EQ(FileUtils::HasExtension(c.path, c.extension), c.has) << c.path;
}

TEST(FileUtils, ALoadKeepsTheFilesOwnSpellingOfItsExtension) {
  CTempDataDir dir;
  const std::string root = dir.Path();
  for (const char* name : {"Upper.P", "lower.p", "Both.p", "Both.P", "Mixed.Wav"}) {
    FILE* f = std::fopen((root + "/" + name).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  const struct {
    const char* asked;
    const char* found;
  } rows[] = {
      {"Upper.p", "Upper.P"}, {"lower.p", "lower.p"}, {"Both.p", "Both.p"},
      {"Mixed.wav", "Mixed.Wav"}, {"upper.p", "upper.p"},  // the name itself keeps its case
      {"missing.p", "missing.p"},
  };
  for (const auto& r : rows)
    EXPECT_EQ(FileUtils::ResolveExtensionCase(root + "/" + r.asked), root + "/" + r.found) << r.asked;
}
