#include "platform/FileDialogs.h"

#include <cstring>

namespace {

FILE_DIALOG_RESPONDER& Responder() {
  static FILE_DIALOG_RESPONDER responder;
  return responder;
}

bool Ask(bool save, char* path, unsigned size, const char* folder, const char* type, const char* name) {
  if (!path || size == 0 || !Responder()) return false;
  std::string chosen;
  if (!Responder()(save, folder, type, name, chosen) || chosen.empty()) return false;
  size_t n = chosen.size() < size - 1 ? chosen.size() : size - 1;
  std::memcpy(path, chosen.data(), n);
  path[n] = 0;
  return true;
}

}  // namespace

void SetFileDialogResponder(FILE_DIALOG_RESPONDER responder) { Responder() = responder; }

bool CocoaShowLoadFileDialog(char* path, unsigned size, const char* type) {
  return Ask(false, path, size, nullptr, type, nullptr);
}

bool CocoaShowSaveFileDialog(char* path, unsigned size, const char* folder, const char* type,
                             const char* name) {
  return Ask(true, path, size, folder, type, name);
}
