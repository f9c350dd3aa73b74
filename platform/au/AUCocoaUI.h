#pragma once
// What a host knows of an Audio Unit's editor view without knowing the
// unit: the view protocol it drives, the factory protocol the unit's view
// class answers to, and the process's class registry in which a loaded
// binary registers its view classes by name (the system's class lookup).
//
// A host reads the unit's Cocoa-view property (the binary holding the class
// and the class's name), makes a factory with AUCocoaUIClassCreate, asks it
// for a view of the unit and drives the view's idle timer on its user
// interface thread. Only virtual calls cross from host to unit, so the
// unit's binary needs to export nothing for its editor.

#include "platform/au/AUTypes.h"

class IAUCocoaView {
 public:
  virtual ~IAUCocoaView() {}
  // One tick of the view's idle timer (the host's run loop fires it).
  virtual void TimerTick() = 0;
  virtual double GetWidth() const = 0;
  virtual double GetHeight() const = 0;
  // The X11 window the view shows in (0 when off-screen), and whether the
  // user asked to close its top-level window.
  virtual unsigned long GetWindowId() const = 0;
  virtual bool IsCloseRequested() const = 0;
  // Draws the view as it stands into a PNG file, as a host captures any
  // view's picture; false when nothing could be drawn or written.
  virtual bool WritePicture(const char* path) = 0;
};

class IAUCocoaUIBase {
 public:
  virtual ~IAUCocoaUIBase() {}
  virtual unsigned int InterfaceVersion() const = 0;
  // Views made from now on are X11 windows: children of parent, or with
  // parent 0 top-level windows of their own. Without it they are off-screen.
  virtual void SetHostWindow(unsigned long parent) = 0;
  // A new view showing the editor of au, owned by the caller (null when the
  // editor cannot open).
  virtual IAUCocoaView* UiViewForAudioUnit(AudioUnit au, double width, double height) = 0;
};

typedef IAUCocoaUIBase* (*AUCocoaUIClassMaker)();

// Registers a view class of the binary at the path `binary` under its name;
// a class already registered there keeps its first maker (false). Binaries
// register their classes when loaded and remove them before they are
// unloaded.
bool AUCocoaUIClassRegister(const char* binary, const char* className, AUCocoaUIClassMaker maker);
void AUCocoaUIClassUnregister(const char* binary, const char* className, AUCocoaUIClassMaker maker);
// A new factory of the named class of that binary (owned by the caller),
// null when the binary registered no such class.
IAUCocoaUIBase* AUCocoaUIClassCreate(const char* binary, const char* className);
