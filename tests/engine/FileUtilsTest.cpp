// Path splitting and the dialog stand-ins.

#include <gtest/gtest.h>

#include <cstring>

#include "engine/FileUtils.h"

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
