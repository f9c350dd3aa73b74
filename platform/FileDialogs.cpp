#include "platform/FileDialogs.h"

bool CocoaShowLoadFileDialog(char* path, unsigned size, const char* type) { return false; }

bool CocoaShowSaveFileDialog(char* path, unsigned size, const char* folder, const char* type,
                             const char* name) {
  return false;
}
