// The instrument's editor in a window (see tools/editor/EditorApp.h).
#include <cstdio>

#include "tools/editor/EditorApp.h"

int main(int argc, char** argv) { return EditorApp::Run(argc, argv, stdout, stderr); }
