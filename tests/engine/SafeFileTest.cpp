// The one file writer: whole files or nothing, links kept, permission bits
// kept, devices and pipes refused; and the check of a name to be written
// later.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/SafeFile.h"
#include "support/TempDataDir.h"

namespace {

std::string ReadText(const std::string& path) {
  std::string text;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    int c;
    while ((c = std::fgetc(f)) != EOF) text += static_cast<char>(c);
    std::fclose(f);
  }
  return text;
}

void PutText(const std::string& path, const std::string& text) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

mode_t ModeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// The folder's entries other than the given ones (left-over temporary
// files).
size_t EntryCount(const std::string& folder) {
  size_t n = 0;
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* e = readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") ++n;
    closedir(d);
  }
  return n;
}

class SafeFileTest : public ::testing::Test {
 protected:
  std::string File(const std::string& name) const { return dir.Path() + "/" + name; }
  CTempDataDir dir;
};

}  // namespace

TEST_F(SafeFileTest, ANewFileGetsTheUsualPermissionsAndAnExistingOneKeepsItsOwn) {
  const mode_t mask = umask(022);
  std::string error;
  ASSERT_TRUE(SafeFile::WriteAll(File("new.p"), "abc", 3, error)) << error;
  EXPECT_EQ(ReadText(File("new.p")), "abc");
  EXPECT_EQ(ModeOf(File("new.p")), 0644u);

  const mode_t kept[] = {0600, 0640, 0664, 0755};
  for (mode_t mode : kept) {
    PutText(File("old.p"), "old");
    ASSERT_EQ(chmod(File("old.p").c_str(), mode), 0);
    ASSERT_TRUE(SafeFile::WriteAll(File("old.p"), "replaced", 8, error)) << error;
    EXPECT_EQ(ReadText(File("old.p")), "replaced");
    EXPECT_EQ(ModeOf(File("old.p")), mode) << std::oct << mode;
  }
  umask(mask);
  // Nothing else is left in the folder.
  EXPECT_EQ(EntryCount(dir.Path()), 2u);
}

TEST_F(SafeFileTest, ALinkKeepsPointingWhereItDidAndItsTargetIsReplaced) {
  ASSERT_EQ(mkdir(File("real").c_str(), 0755), 0);
  PutText(File("real/target.p"), "old");
  ASSERT_EQ(symlink("real/target.p", File("link.p").c_str()), 0);
  std::string error;
  ASSERT_TRUE(SafeFile::WriteAll(File("link.p"), "new", 3, error)) << error;
  struct stat st;
  ASSERT_EQ(lstat(File("link.p").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadText(File("real/target.p")), "new");
  // The temporary file was made beside the target, not beside the link.
  EXPECT_EQ(EntryCount(File("real")), 1u);
}

TEST_F(SafeFileTest, AFolderAPipeOrADeviceIsRefusedAndLeftAsItIs) {
  ASSERT_EQ(mkdir(File("folder").c_str(), 0755), 0);
  ASSERT_EQ(mkfifo(File("pipe").c_str(), 0644), 0);
  struct CASE {
    std::string path;
    const char* says;
  } cases[] = {
      {File("folder"), "folder"},
      {File("pipe"), "pipe"},
      {"/dev/null", "device"},
  };
  for (const CASE& c : cases) {
    std::string error;
    CSafeFile file;
    EXPECT_FALSE(file.Open(c.path, error)) << c.path;
    EXPECT_NE(error.find(c.path), std::string::npos) << error;
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
    EXPECT_FALSE(SafeFile::CheckWritable(c.path, error)) << c.path;
  }
  struct stat st;
  ASSERT_EQ(lstat(File("pipe").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  ASSERT_EQ(lstat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST_F(SafeFileTest, AFailedOrDiscardedWriteLeavesTheOldFileAndNoTemporaryFile) {
  PutText(File("keep.p"), "old");
  {
    CSafeFile file;
    std::string error;
    ASSERT_TRUE(file.Open(File("keep.p"), error)) << error;
    file.Write("half", 4);
    // Dropped without Commit.
  }
  EXPECT_EQ(ReadText(File("keep.p")), "old");
  EXPECT_EQ(EntryCount(dir.Path()), 1u);

  std::string error;
  EXPECT_FALSE(SafeFile::WriteAll(File("missing/x.p"), "x", 1, error));
  EXPECT_NE(error.find(File("missing/x.p")), std::string::npos) << error;
}

TEST_F(SafeFileTest, CheckWritableNamesWhatIsWrongBeforeAnythingIsWritten) {
  PutText(File("file.aupreset"), "x");
  ASSERT_EQ(symlink("nowhere/x", File("dangling").c_str()), 0);
  PutText(File("plain"), "x");
  struct CASE {
    std::string path;
    bool ok;
    const char* says;
  } cases[] = {
      {File("file.aupreset"), true, ""},
      {File("fresh.aupreset"), true, ""},
      {File("no-such-folder/s.aupreset"), false, "does not exist"},
      {File("plain/s.aupreset"), false, "not a folder"},
      {File("dangling"), false, "does not exist"},
      {"", false, "no file name"},
  };
  for (const CASE& c : cases) {
    std::string error;
    EXPECT_EQ(SafeFile::CheckWritable(c.path, error), c.ok) << c.path;
    if (!c.ok) {
      EXPECT_NE(error.find(c.says), std::string::npos) << c.path << ": " << error;
    }
  }
  // Nothing was created on the way.
  EXPECT_FALSE(SafeFile::IsSameFile(File("fresh.aupreset"), File("file.aupreset")));
  EXPECT_NE(access(File("fresh.aupreset").c_str(), F_OK), 0);
}
