#pragma once
// Root of the framework's objects: a reference count (remember/forget) and
// the notify message entry used by timers.

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
  long getNbReference() const { return nbReference; }

  // A message from another object (a timer sends CVSTGUITimer::kMsgTimer).
  virtual CMessageResult notify(CBaseObject* sender, const char* message) {
    return kMessageUnknown;
  }

 private:
  long nbReference = 1;
};
