#pragma once
// What the window system knows of a host's view: on this platform the view
// a host hands to the editor is an X11 window. A host (or the Audio Unit's
// view standing for the host's) registers the handle it passes as the
// editor's parent window, with the X11 window to open the editor in (0: a
// top-level window of its own, titled `title`). A frame opened with a
// registered handle gets a real window; any other handle keeps the frame
// off-screen. The frame's window reports back through the entry: its own
// window id, and whether the user asked to close a top-level window.
//
// Called on the user-interface thread; the table is guarded all the same.

#include <string>

struct X11_HOST_VIEW {
  unsigned long parent = 0;  // X11 window to open in; 0: top-level
  std::string title;
  unsigned long window = 0;  // the frame's window while it exists
  bool closeRequested = false;
};

void X11RegisterHostView(const void* handle, unsigned long parent, const char* title);
void X11UnregisterHostView(const void* handle);
// A copy of the handle's entry; false when the handle is not registered.
bool X11FindHostView(const void* handle, X11_HOST_VIEW& view);
// Updates of the entry by the frame's window (nothing for an unknown handle).
void X11SetHostViewWindow(const void* handle, unsigned long window);
void X11SetHostViewCloseRequested(const void* handle, bool requested);
