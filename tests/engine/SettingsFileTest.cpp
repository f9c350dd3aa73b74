// The settings file "config.bin": its exact bytes, damaged and truncated
// files, and two instances sharing it.
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "support/TempDataDir.h"
#include "engine/ConfigFile.h"
#include "engine/FolderLayout.h"
#include "engine/GlobalSynth.h"

namespace {

using Bytes = std::vector<unsigned char>;

class SettingsFileTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_dir.Valid()); }

  std::string ConfigPath() const { return m_dir.Path() + "/config.bin"; }

  bool FileExists() const {
    struct stat st;
    return ::stat(ConfigPath().c_str(), &st) == 0;
  }

  Bytes ReadConfig() const {
    Bytes out;
    FILE* f = std::fopen(ConfigPath().c_str(), "rb");
    if (!f) return out;
    int c;
    while ((c = std::fgetc(f)) != EOF) out.push_back(static_cast<unsigned char>(c));
    std::fclose(f);
    return out;
  }

  void WriteConfig(const Bytes& b) const {
    FILE* f = std::fopen(ConfigPath().c_str(), "wb");
    ASSERT_NE(f, nullptr);
    if (!b.empty()) {
      ASSERT_EQ(std::fwrite(b.data(), 1, b.size(), f), b.size());
    }
    std::fclose(f);
  }

  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    DIR* d = ::opendir(m_dir.Path().c_str());
    if (!d) return names;
    while (dirent* e = ::readdir(d)) {
      std::string n = e->d_name;
      // The folder layout the instrument makes in its root does not count.
      if (n != "." && n != ".." && n != "Library") names.push_back(n);
    }
    ::closedir(d);
    return names;
  }

  CTempDataDir m_dir;
};

void ExpectSettings(CGlobalSynth& s, const std::string& author, const std::string& preset, const std::string& map,
                    bool record) {
  EXPECT_EQ(s.GetDefaultAuthorName(), author);
  EXPECT_EQ(s.GetDefaultPresetPath(), preset);
  EXPECT_EQ(s.GetDefaultMidiMapPath(), map);
  EXPECT_EQ(s.GetRecordOnMidiInputFlag(), record);
}

TEST_F(SettingsFileTest, NoFileGivesDefaultsAndConstructionWritesNothing) {
  CGlobalSynth s;
  ExpectSettings(s, "", "", "", true);
  EXPECT_FALSE(FileExists());
}

TEST_F(SettingsFileTest, FileBytesAreExact) {
  {
    CGlobalSynth s;
    s.SetRecordOnMidiInputFlag(true);
    EXPECT_EQ(ReadConfig(), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    s.SetDefaultAuthorName("abc");
    EXPECT_EQ(ReadConfig(), (Bytes{4, 0, 0, 0, 'a', 'b', 'c', 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    s.SetDefaultPresetPath("/p");
    s.SetDefaultMidiMapPath("/m.mp");
    s.SetRecordOnMidiInputFlag(false);
    EXPECT_EQ(ReadConfig(), (Bytes{4, 0, 0, 0, 'a', 'b', 'c', 0, 3, 0, 0, 0, '/', 'p', 0, 6, 0, 0, 0, '/', 'm', '.',
                                   'm', 'p', 0, 0}));
    s.SetDefaultAuthorName("");
    EXPECT_EQ(ReadConfig(), (Bytes{0, 0, 0, 0, 3, 0, 0, 0, '/', 'p', 0, 6, 0, 0, 0, '/', 'm', '.', 'm', 'p', 0, 0}));
  }
  CGlobalSynth reread;
  ExpectSettings(reread, "", "/p", "/m.mp", false);
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"config.bin"}) << "no temporary file is left behind";
}

TEST_F(SettingsFileTest, WaveTableQualityLeavesFileBytesAlone) {
  const Bytes file = {4, 0, 0, 0, 'a', 'b', 'c', 0, 0, 0, 0, 0, 0, 0, 0, 0, 7};
  WriteConfig(file);
  CGlobalSynth s;
  s.SetWaveTableQuality(1);
  EXPECT_EQ(ReadConfig(), file);
}

// A complete file cut at every byte offset: fields read while they are
// whole, the rest keeps its default.
TEST_F(SettingsFileTest, TruncatedFileReadsItsWholeFields) {
  const Bytes full = {4,   0,   0,   0,   'a', 'b', 'c', 0,                            // author  (0-7)
                      3,   0,   0,   0,   '/', 'p', 0,                                 // preset  (8-14)
                      6,   0,   0,   0,   '/', 'm', '.', 'm', 'p', 0,                  // map     (15-24)
                      0};                                                              // flag    (25)
  struct ROW {
    size_t from, to;  // cut lengths from..to inclusive
    const char *author, *preset, *map;
    bool record;
  };
  const ROW table[] = {
      {0, 7, "", "", "", true},          {8, 14, "abc", "", "", true},  {15, 24, "abc", "/p", "", true},
      {25, 25, "abc", "/p", "/m.mp", true}, {26, 26, "abc", "/p", "/m.mp", false},
  };
  for (const ROW& row : table) {
    for (size_t n = row.from; n <= row.to; ++n) {
      SCOPED_TRACE(testing::Message() << "file cut to " << n << " bytes");
      WriteConfig(Bytes(full.begin(), full.begin() + n));
      CGlobalSynth s;
      ExpectSettings(s, row.author, row.preset, row.map, row.record);
    }
  }
}

TEST_F(SettingsFileTest, DamagedFilesNeverReadPastTheData) {
  struct CASE {
    const char* what;
    Bytes file;
    const char *author, *preset, *map;
    bool record;
  };
  const CASE cases[] = {
      {"author length past the end", {100, 0, 0, 0, 'a', 'b', 'c', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "", "", "", true},
      {"author length 0xFFFFFFFF", {0xFF, 0xFF, 0xFF, 0xFF, 'a', 0}, "", "", "", true},
      {"preset path length past the end",
       {2, 0, 0, 0, 'x', 0, 0xF0, 0xFF, 0xFF, 0x7F, '/', 'p', 0, 0, 0, 0, 0, 0},
       "x", "", "", true},
      {"map path length one byte too long", {0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, '/', 'm', 0}, "", "", "", true},
      {"author not valid UTF-8",
       {4, 0, 0, 0, 'a', 0xC3, 0x28, 0, 3, 0, 0, 0, '/', 'p', 0, 3, 0, 0, 0, '/', 'm', 0, 0},
       "", "/p", "/m", false},
      {"author with a UTF-16 surrogate", {4, 0, 0, 0, 0xED, 0xA0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "", "", "",
       false},
      {"valid UTF-8 author", {4, 0, 0, 0, 0xC3, 0xA9, 'e', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "\xC3\xA9" "e", "", "",
       false},
      {"length without terminator in the data", {3, 0, 0, 0, 'a', 'b', 'c', 0, 0, 0, 0, 0, 0, 0, 0, 1}, "abc", "",
       "", true},
      {"length 1 consumes nothing", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "", "", "", false},
      {"flag byte 7 is on", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7}, "", "", "", true},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.what);
    WriteConfig(c.file);
    CGlobalSynth s;
    ExpectSettings(s, c.author, c.preset, c.map, c.record);
  }
}

TEST_F(SettingsFileTest, ParseStaysWithinTheGivenBytes) {
  // The data ends inside a string whose length claims more; a guard byte
  // after the data must never be taken into the string.
  const unsigned char data[] = {6, 0, 0, 0, 'a', 'b', 'c', 'd', 'e', 'X'};
  CONFIG_SETTINGS s = ConfigFile::Parse(data, 9);
  EXPECT_EQ(s.authorName, "");
  s = ConfigFile::Parse(data, 10);
  EXPECT_EQ(s.authorName, "abcdeX");
  s = ConfigFile::Parse(nullptr, 0);
  EXPECT_EQ(s.recordOnMidiInput, 1);
}

TEST_F(SettingsFileTest, InstancesDoNotUndoEachOthersChanges) {
  CGlobalSynth a;
  CGlobalSynth b;  // read the file before a's change
  a.SetDefaultAuthorName("alice");
  b.SetDefaultMidiMapPath("/maps/b.mp");
  {
    CGlobalSynth c;
    ExpectSettings(c, "alice", "", "/maps/b.mp", true);
  }
  EXPECT_EQ(b.GetDefaultAuthorName(), "alice") << "b now holds what the file holds";

  // A setting set back to the value the other instance still has is written
  // too.
  a.SetRecordOnMidiInputFlag(false);
  b.SetRecordOnMidiInputFlag(true);
  CGlobalSynth c;
  ExpectSettings(c, "alice", "", "/maps/b.mp", true);
}

// Both threads arrive before either goes on, round after round.
class CRoundGate {
 public:
  explicit CRoundGate(unsigned int parties) : m_parties(parties) {}
  void Wait() {
    const unsigned int round = m_round.load();
    if (m_arrived.fetch_add(1) + 1 == m_parties) {
      m_arrived.store(0);
      m_round.fetch_add(1);
    } else {
      while (m_round.load() == round) std::this_thread::yield();
    }
  }

 private:
  const unsigned int m_parties;
  std::atomic<unsigned int> m_arrived{0};
  std::atomic<unsigned int> m_round{0};
};

TEST_F(SettingsFileTest, TwoInstancesChangingSettingsAtOnceKeepBothChanges) {
  const int ROUNDS = 40;
  CGlobalSynth a;
  CGlobalSynth b;
  CRoundGate gate(2);
  // Each round both instances change a different setting at the same moment;
  // after both are done the file must hold both changes.
  std::thread other([&] {
    for (int r = 0; r < ROUNDS; ++r) {
      gate.Wait();
      b.SetDefaultPresetPath("/presets/" + std::to_string(r) + ".p");
      gate.Wait();
      gate.Wait();  // the file is checked
    }
  });
  int lost = 0;
  for (int r = 0; r < ROUNDS; ++r) {
    gate.Wait();
    a.SetDefaultAuthorName("author " + std::to_string(r));
    gate.Wait();
    CONFIG_SETTINGS s;
    if (!ConfigFile::Read(ConfigPath(), s) || s.authorName != "author " + std::to_string(r) ||
        s.presetPath != "/presets/" + std::to_string(r) + ".p")
      ++lost;
    gate.Wait();
  }
  other.join();
  EXPECT_EQ(lost, 0) << "rounds in which one instance's change was undone by the other's";
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"config.bin"}) << "the lock leaves no file behind";
}

TEST_F(SettingsFileTest, FailedWriteKeepsValueAndWritesItLater) {
  // The root cannot be made while a plain file stands where its parent
  // folder belongs (the instrument then works on without its folders).
  const std::string parent = m_dir.Path() + "/not-yet";
  const std::string sub = parent + "/root";
  FILE* blocker = std::fopen(parent.c_str(), "wb");
  ASSERT_NE(blocker, nullptr);
  std::fclose(blocker);
  setenv("MORLAVINE_DATA_DIR", sub.c_str(), 1);
  FileSpec::InitFileSpecs();
  CGlobalSynth s;
  s.SetDefaultAuthorName("bob");
  EXPECT_EQ(s.GetDefaultAuthorName(), "bob");
  ASSERT_EQ(::unlink(parent.c_str()), 0);
  ASSERT_EQ(::mkdir(parent.c_str(), 0755), 0);
  ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
  s.SetDefaultPresetPath("/x.p");
  CGlobalSynth reread;
  ExpectSettings(reread, "bob", "/x.p", "", true);
  setenv("MORLAVINE_DATA_DIR", m_dir.Path().c_str(), 1);
  FileSpec::InitFileSpecs();
}

}  // namespace
