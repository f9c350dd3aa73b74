#pragma once
// Scratch folder and small file helpers shared by the tools' tests.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <sys/wait.h>
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

// A tool's exit code and what it wrote.
struct RUN {
  int exitCode = -1;
  std::string out, err;
};

// s quoted for the shell.
inline std::string Quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

inline std::string ReadAll(const std::string& path) {
  std::vector<uint8_t> b = ReadBytes(path);
  return std::string(b.begin(), b.end());
}

// Runs a shell command with its outputs kept in dir (out.txt, err.txt).
inline RUN RunCommand(const std::string& command, const CScratchDir& dir) {
  RUN r;
  const int status = std::system(
      (command + " </dev/null >" + Quoted(dir.File("out.txt")) + " 2>" + Quoted(dir.File("err.txt"))).c_str());
  if (status != -1 && WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
  r.out = ReadAll(dir.File("out.txt"));
  r.err = ReadAll(dir.File("err.txt"));
  return r;
}

// Runs a tool with args. With a watchdog, a tool that blocks is killed after
// that many seconds and reports exit code 137 (the watchdog's), so a hang
// fails the test instead of stopping the suite.
inline RUN RunTool(const char* exe, const CScratchDir& dir, const std::vector<std::string>& args,
                   unsigned watchdogSeconds = 0) {
  std::string command = watchdogSeconds ? "timeout -s KILL " + std::to_string(watchdogSeconds) + " " : "";
  command += Quoted(exe);
  for (const std::string& a : args) command += " " + Quoted(a);
  return RunCommand(command, dir);
}
