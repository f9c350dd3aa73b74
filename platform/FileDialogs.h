#pragma once
// The platform's modal open and save panels. This build has no window system:
// both report a cancelled panel (false) and leave path unchanged.
//
// On success a panel copies the chosen path into path, at most size - 1
// characters and a terminating zero. type is a file type without its dot (null
// for any file); folder and name (optional) preset the save panel.

bool CocoaShowLoadFileDialog(char* path, unsigned size, const char* type);
bool CocoaShowSaveFileDialog(char* path, unsigned size, const char* folder, const char* type,
                             const char* name);
