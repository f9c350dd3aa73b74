#pragma once
// One output of the render program, checked and opened before anything is
// rendered. A regular file (or a new name) is written under a temporary name
// beside it and renamed over it only on Commit, so a failure leaves no
// partial file and an existing file intact; a symbolic link keeps its link
// and the file it points to is replaced. Anything else (a device, a pipe,
// standard output given as "-") is written to directly as a stream.

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/SafeFile.h"

class COutputFile {
 public:
  COutputFile() = default;
  ~COutputFile() { Discard(); }
  COutputFile(const COutputFile&) = delete;
  COutputFile& operator=(const COutputFile&) = delete;

  // Checks and opens `path`; "-" is `standardOutput`. On failure `error`
  // holds one line naming the file and the problem.
  bool Open(const std::string& path, FILE* standardOutput, std::string& error);

  bool IsOpen() const { return m_file != nullptr || m_safe.IsOpen(); }
  bool IsStream() const { return m_stream; }
  const std::string& Name() const { return m_name; }

  bool Write(const void* data, size_t size, std::string& error);
  // Overwrites bytes already written at `offset` from the start (a header
  // whose sizes are known only at the end); writing then goes on at the
  // end. A stream cannot go back: false, with `error` set.
  bool WriteAt(uint64_t offset, const void* data, size_t size, std::string& error);
  // Flushes and closes the temporary file (or flushes the stream); the
  // temporary file is not yet renamed.
  bool Finish(std::string& error);
  // Renames a finished temporary file over the target.
  bool Commit(std::string& error);
  // Forgets a temporary file (removing it); a stream is left as it is.
  void Discard();

 private:
  bool Fail(const std::string& what, int code, std::string& error);

  std::string m_name;  // as the user gave it
  CSafeFile m_safe;    // a regular file or a new name
  FILE* m_file = nullptr;  // a stream
  bool m_stream = false;
  bool m_ownsFile = false;  // false for standard output
  bool m_finished = false;
};

using SafeFile::IsSameFile;
