#include "platform/au/AUCocoaUI.h"

#include <mutex>
#include <string>
#include <vector>

namespace {

struct VIEW_CLASS {
  std::string binary;
  std::string name;
  AUCocoaUIClassMaker maker;
};

std::mutex& ClassLock() {
  static std::mutex* lock = new std::mutex();
  return *lock;
}

// Never destroyed: binaries unregister from their own destructors at exit,
// in whatever order the process runs them.
std::vector<VIEW_CLASS>& Classes() {
  static std::vector<VIEW_CLASS>* classes = new std::vector<VIEW_CLASS>();
  return *classes;
}

}  // namespace

bool AUCocoaUIClassRegister(const char* binary, const char* className, AUCocoaUIClassMaker maker) {
  if (!binary || !className || !maker) return false;
  std::lock_guard<std::mutex> lock(ClassLock());
  for (const VIEW_CLASS& c : Classes())
    if (c.binary == binary && c.name == className) return false;
  Classes().push_back(VIEW_CLASS{binary, className, maker});
  return true;
}

void AUCocoaUIClassUnregister(const char* binary, const char* className, AUCocoaUIClassMaker maker) {
  if (!binary || !className) return;
  std::lock_guard<std::mutex> lock(ClassLock());
  std::vector<VIEW_CLASS>& classes = Classes();
  for (size_t i = 0; i < classes.size(); ++i)
    if (classes[i].binary == binary && classes[i].name == className && classes[i].maker == maker) {
      classes.erase(classes.begin() + static_cast<long>(i));
      return;
    }
}

IAUCocoaUIBase* AUCocoaUIClassCreate(const char* binary, const char* className) {
  AUCocoaUIClassMaker maker = nullptr;
  {
    std::lock_guard<std::mutex> lock(ClassLock());
    for (const VIEW_CLASS& c : Classes())
      if (binary && className && c.binary == binary && c.name == className) maker = c.maker;
  }
  return maker ? maker() : nullptr;
}
