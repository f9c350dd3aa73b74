#include "engine/FileUtils.h"

#include "platform/FileDialogs.h"

namespace {

const char* const PATH_SEPARATORS = "/\\";

// The panels take a file type without its leading dot.
const char* StripDot(const char* extension) {
  if (extension && extension[0] == '.') return extension + 1;
  return extension;
}

}  // namespace

namespace FileUtils {

std::string ExtractDirPath(const std::string& path) {
  const size_t sep = path.find_last_of(PATH_SEPARATORS);
  if (sep == std::string::npos) return path;
  return path.substr(0, sep);
}

std::string ExtractFileName(const std::string& path) {
  const size_t sep = path.find_last_of(PATH_SEPARATORS);
  std::string name = sep == std::string::npos ? path : path.substr(sep + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

std::string ExtractExtension(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos) return std::string();
  return path.substr(dot);
}

bool ShowLoadFileDialog(char* path, unsigned size, const char* title, const char* extension) {
  if (!path || size == 0) return false;
  return CocoaShowLoadFileDialog(path, size, StripDot(extension));
}

bool ShowSaveFileDialog(char* path, const char* folder, unsigned size, const char* title,
                        const char* extension, const char* name) {
  if (!path || size == 0) return false;
  return CocoaShowSaveFileDialog(path, size, folder, StripDot(extension), name);
}

}  // namespace FileUtils
