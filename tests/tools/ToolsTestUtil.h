#pragma once
// Scratch folder and small file helpers shared by the tools' tests.

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

class CScratchDir {
 public:
  CScratchDir() {
    char name[] = "/tmp/morlavine-tools-XXXXXX";
    const char* made = mkdtemp(name);
    m_path = made ? made : "/tmp";
  }
  ~CScratchDir() {
    if (std::getenv("KEEP_SCRATCH")) return;
    std::string command = "rm -rf '" + m_path + "'";
    if (m_path != "/tmp") (void)std::system(command.c_str());
  }
  std::string File(const std::string& name) const { return m_path + "/" + name; }
  const std::string& Path() const { return m_path; }
  // The names in the folder, sorted.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    if (DIR* d = opendir(m_path.c_str())) {
      while (const dirent* e = readdir(d))
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
          names.push_back(e->d_name);
      closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::string m_path;
};

inline bool FileExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  int c;
  while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
  std::fclose(f);
  return bytes;
}

inline void WriteBytes(const std::string& path, const void* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  if (size) {
    ASSERT_EQ(std::fwrite(data, 1, size, f), size);
  }
  std::fclose(f);
}

inline void WriteText(const std::string& path, const std::string& text) {
  WriteBytes(path, text.data(), text.size());
}
