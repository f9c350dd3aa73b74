#include "editor/pages/FolderListing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>

#include "platform/Utf8.h"

namespace FolderListing {

namespace {

READ_OBSERVER g_observer = nullptr;
void* g_observerContext = nullptr;

ENTRY_KIND KindOfMode(mode_t mode) {
  if (S_ISDIR(mode)) return ENTRY_FOLDER;
  if (S_ISREG(mode)) return ENTRY_FILE;
  return ENTRY_OTHER;
}

// Bytes of the UTF-8 sequence a lead byte starts; 0 for a byte that starts
// none.
size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

unsigned char Upper(unsigned char c) { return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c; }

}  // namespace

bool List(const std::string& path, const std::function<void(const std::string& name, ENTRY_KIND kind)>& entry) {
  if (g_observer) g_observer(path, g_observerContext);
  DIR* dir = opendir(path.c_str());
  if (!dir) return false;
  while (dirent* e = readdir(dir)) {
    const char* name = e->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    ENTRY_KIND kind;
    switch (e->d_type) {
      case DT_DIR:
        kind = ENTRY_FOLDER;
        break;
      case DT_REG:
        kind = ENTRY_FILE;
        break;
      case DT_LNK:
      case DT_UNKNOWN: {
        // Links count as what they point to; the system may also leave the
        // kind to be asked.
        struct stat st;
        const std::string full = path + "/" + name;
        kind = stat(full.c_str(), &st) == 0 ? KindOfMode(st.st_mode) : ENTRY_OTHER;
        break;
      }
      default:
        kind = ENTRY_OTHER;
        break;
    }
    entry(std::string(name), kind);
  }
  closedir(dir);
  return true;
}

bool GetFolderId(const std::string& path, FOLDER_ID& id) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  id.device = static_cast<unsigned long long>(st.st_dev);
  id.inode = static_cast<unsigned long long>(st.st_ino);
  return true;
}

std::string ShowableName(const std::string& name) {
  if (Platform::IsValidUtf8(name.data(), name.size())) return name;
  static const char REPLACEMENT[] = "\xEF\xBF\xBD";
  std::string out;
  out.reserve(name.size() + 8);
  size_t i = 0;
  while (i < name.size()) {
    size_t n = SequenceLength(static_cast<unsigned char>(name[i]));
    if (n > 0 && i + n <= name.size() && Platform::IsValidUtf8(name.data() + i, n)) {
      out.append(name, i, n);
      i += n;
    } else {
      out += REPLACEMENT;
      ++i;
    }
  }
  return out;
}

std::string SortKey(const std::string& name) {
  std::string key = name;
  for (char& c : key) c = static_cast<char>(Upper(static_cast<unsigned char>(c)));
  return key;
}

bool SortPredicate(const std::string& a, const std::string& b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = Upper(static_cast<unsigned char>(a[i])), y = Upper(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

void SetReadObserver(READ_OBSERVER observer, void* context) {
  g_observer = observer;
  g_observerContext = context;
}

}  // namespace FolderListing
