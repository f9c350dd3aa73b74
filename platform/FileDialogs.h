#pragma once
// The platform's modal open and save panels. This build has no window system:
// both report a cancelled panel (false) and leave path unchanged, unless a
// responder stands in for the user.
//
// On success a panel copies the chosen path into path, at most size - 1
// characters and a terminating zero. type is a file type without its dot (null
// for any file); folder and name (optional) preset the save panel.

#include <functional>
#include <string>

bool CocoaShowLoadFileDialog(char* path, unsigned size, const char* type);
bool CocoaShowSaveFileDialog(char* path, unsigned size, const char* folder, const char* type,
                             const char* name);

// Stands in for the user of the panels (null: every panel is cancelled). It
// is asked with save true for a save panel, answers the chosen path in
// chosen and true, or false for cancel.
typedef std::function<bool(bool save, const char* folder, const char* type, const char* name, std::string& chosen)>
    FILE_DIALOG_RESPONDER;
void SetFileDialogResponder(FILE_DIALOG_RESPONDER responder);
