#include "tools/render/AtomicFile.h"

#include "engine/SafeFile.h"

namespace AtomicFile {

bool Write(const char* path, const void* data, size_t size, std::string& error) {
  return SafeFile::WriteAll(path ? path : "", data, size, error);
}

}  // namespace AtomicFile
