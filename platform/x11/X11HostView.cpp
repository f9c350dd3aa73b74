#include "platform/x11/X11HostView.h"

#include <map>
#include <mutex>

namespace {

std::mutex& Lock() {
  static std::mutex lock;
  return lock;
}

std::map<const void*, X11_HOST_VIEW>& Table() {
  static std::map<const void*, X11_HOST_VIEW> table;
  return table;
}

}  // namespace

void X11RegisterHostView(const void* handle, unsigned long parent, const char* title) {
  if (!handle) return;
  std::lock_guard<std::mutex> guard(Lock());
  X11_HOST_VIEW& view = Table()[handle];
  view = X11_HOST_VIEW();
  view.parent = parent;
  view.title = title ? title : "";
}

void X11UnregisterHostView(const void* handle) {
  std::lock_guard<std::mutex> guard(Lock());
  Table().erase(handle);
}

bool X11FindHostView(const void* handle, X11_HOST_VIEW& view) {
  std::lock_guard<std::mutex> guard(Lock());
  auto it = Table().find(handle);
  if (it == Table().end()) return false;
  view = it->second;
  return true;
}

void X11SetHostViewWindow(const void* handle, unsigned long window) {
  std::lock_guard<std::mutex> guard(Lock());
  auto it = Table().find(handle);
  if (it != Table().end()) it->second.window = window;
}

void X11SetHostViewCloseRequested(const void* handle, bool requested) {
  std::lock_guard<std::mutex> guard(Lock());
  auto it = Table().find(handle);
  if (it != Table().end()) it->second.closeRequested = requested;
}
