#include "engine/FileUtils.h"

#include <dirent.h>
#include <cstring>
#include <strings.h>
#include <sys/stat.h>

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

bool HasExtension(const std::string& path, const char* extension) {
  const char* ext = StripDot(extension);
  if (!ext || !*ext) return true;
  const size_t n = std::strlen(ext);
  const size_t sep = path.find_last_of(PATH_SEPARATORS);
  const size_t nameStart = sep == std::string::npos ? 0 : sep + 1;
  // At least one character before the dot.
  if (path.size() < nameStart + n + 2) return false;
  const size_t dot = path.size() - n - 1;
  return path[dot] == '.' && strncasecmp(path.c_str() + dot + 1, ext, n) == 0;
}

std::string ResolveExtensionCase(const std::string& path) {
  struct stat info;
  if (path.empty() || lstat(path.c_str(), &info) == 0) return path;
  const size_t sep = path.find_last_of('/');
  const std::string folder = sep == std::string::npos ? std::string(".") : path.substr(0, sep);
  const std::string name = sep == std::string::npos ? path : path.substr(sep + 1);
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || dot == 0) return path;
  std::string found;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* e = readdir(dir)) {
      const std::string entry = e->d_name;
      if (entry.size() == name.size() && entry.compare(0, dot + 1, name, 0, dot + 1) == 0 &&
          strcasecmp(entry.c_str() + dot + 1, name.c_str() + dot + 1) == 0) {
        // The first in name order, so the choice does not depend on the
        // order the system lists them in.
        if (found.empty() || entry < found) found = entry;
      }
    }
    closedir(dir);
  }
  if (found.empty()) return path;
  return (sep == std::string::npos ? std::string() : path.substr(0, sep + 1)) + found;
}

bool ShowLoadFileDialog(char* path, unsigned size, const char* title, const char* extension, const char* folder) {
  if (!path || size == 0) return false;
  return CocoaShowLoadFileDialog(path, size, StripDot(extension), folder);
}

bool ShowSaveFileDialog(char* path, const char* folder, unsigned size, const char* title,
                        const char* extension, const char* name) {
  if (!path || size == 0) return false;
  return CocoaShowSaveFileDialog(path, size, folder, StripDot(extension), name);
}

}  // namespace FileUtils
