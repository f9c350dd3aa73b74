// The instrument's editor in a window (see tools/editor/EditorApp.h).
#include <X11/Xlib.h>

#include <cstdio>

#include "tools/editor/EditorApp.h"

int main(int argc, char** argv) {
  // This program owns its process: Xlib is made safe for several threads
  // before the first display is opened (the editor's window, menus and
  // dialogs each have a connection, and the audio side runs on threads of
  // its own).
  XInitThreads();
  return EditorApp::Run(argc, argv, stdout, stderr);
}
