#pragma once
// The one way files are written: the whole content goes to a temporary file
// beside the file it replaces and is renamed over it only once every byte
// is on disk, so a failure leaves no partial file and an existing file
// intact. A symbolic link keeps pointing where it did (the file it points
// to is replaced), the replaced file's permission bits are kept (a new file
// gets the usual ones), and a folder, device, pipe or socket is refused
// rather than replaced by a file.

#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <string>
#include <sys/types.h>

class CSafeFile {
 public:
  CSafeFile() = default;
  ~CSafeFile() { Discard(); }
  CSafeFile(const CSafeFile&) = delete;
  CSafeFile& operator=(const CSafeFile&) = delete;

  // Checks path and creates the temporary file. On failure error holds one
  // line naming the file and the problem.
  bool Open(const std::string& path, std::string& error);
  bool IsOpen() const { return m_file != nullptr; }
  const std::string& Name() const { return m_name; }

  // Appends bytes; the first failure is remembered and reported by Finish.
  bool Write(const void* data, size_t size);
  // Writes bytes at offset (a header filled in at the end), then goes on
  // appending at the end; failures as for Write.
  bool WriteAt(uint64_t offset, const void* data, size_t size);
  // Flushes, syncs, gives the permission bits and closes the temporary
  // file; it is not yet renamed.
  bool Finish(std::string& error);
  // Renames the finished temporary file over the target (finishing first
  // when needed).
  bool Commit(std::string& error);
  // Removes the temporary file; the target stays as it was.
  void Discard();

 private:
  bool _Fail(const std::string& what, int code, std::string& error);

  std::string m_name;    // as given
  std::string m_target;  // the file replaced (links resolved)
  std::string m_temp;
  FILE* m_file = nullptr;
  bool m_finished = false;
  int m_writeError = 0;
  mode_t m_mode = 0644;
};

namespace SafeFile {

// Writes a whole file through CSafeFile.
bool WriteAll(const std::string& path, const void* data, size_t size, std::string& error);

// The path a chain of symbolic links ends at (the path itself when it is no
// link); the end need not exist. False for a loop.
bool FollowLinks(const std::string& path, std::string& end);

// Whether two paths name the same file: the same file on disk when both
// exist, else the same folder and name once links are resolved.
bool IsSameFile(const std::string& a, const std::string& b);

// Checks that path could be written later: an existing entry must be a
// regular file (or a link to one) that may be written, a new name needs an
// existing folder that may be written. error as for Open.
bool CheckWritable(const std::string& path, std::string& error);

}  // namespace SafeFile
