#pragma once
// Root of the framework's objects: a reference count (remember/forget) and
// the notify message entry used by timers. The count is atomic: shared
// objects (the standard fonts) are remembered by editors that instances
// build on different threads.

#include <atomic>

#include "platform/vstgui/Types.h"

class CBaseObject {
 public:
  CBaseObject() {}
  virtual ~CBaseObject() {}
  CBaseObject(const CBaseObject&) : nbReference(1) {}
  CBaseObject& operator=(const CBaseObject&) { return *this; }

  // Takes one more reference.
  virtual void remember() { nbReference++; }
  // Drops one reference; the object deletes itself when none is left.
  virtual void forget() {
    if (nbReference > 0 && --nbReference == 0) delete this;
  }
  long getNbReference() const { return nbReference.load(); }

  // A message from another object (a timer sends CVSTGUITimer::kMsgTimer).
  virtual CMessageResult notify(CBaseObject* sender, const char* message) {
    return kMessageUnknown;
  }

 private:
  std::atomic<long> nbReference{1};
};
