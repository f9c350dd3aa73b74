#pragma once
// The platform's modal open and save panels. A responder, when set, stands
// in for the user (tests). Otherwise, with an X display, the desktop's
// dialog program answers (zenity, else kdialog, found on PATH and started
// without a shell); when neither is installed our own drawn dialog does
// (platform/x11/X11Dialog.h). Without a display the panel reports
// cancelled. Cancel leaves path unchanged and returns false.
//
// On success a panel copies the chosen path into path, at most size - 1
// characters and a terminating zero. type is a file type without its dot (null
// for any file); folder (optional) is where a panel starts, name (optional)
// the save panel's proposed name. A saved name without the type's extension
// gets it (letters compared without regard to case), and saving over an
// existing file is confirmed by the user (the desktop program's own
// question, or ours). While a panel is open the editor's windows stay
// painted, and a signal or a close of the editor's window cancels it.

#include <functional>
#include <string>
#include <vector>

bool CocoaShowLoadFileDialog(char* path, unsigned size, const char* type, const char* folder = nullptr);
bool CocoaShowSaveFileDialog(char* path, unsigned size, const char* folder, const char* type,
                             const char* name);

// Stands in for the user of the panels (null: the real panels). It is
// asked with save true for a save panel, answers the chosen path in chosen
// and true, or false for cancel.
typedef std::function<bool(bool save, const char* folder, const char* type, const char* name, std::string& chosen)>
    FILE_DIALOG_RESPONDER;
void SetFileDialogResponder(FILE_DIALOG_RESPONDER responder);

// The desktop dialog program's command line for a panel (argv[0] is the
// program's path): zenity or kdialog, by the program's file name. start is
// the folder (ending in "/") or the proposed file.
std::vector<std::string> DesktopDialogCommand(const std::string& program, bool save, const char* type,
                                              const std::string& start);
// The first of zenity and kdialog found on PATH, or "".
std::string FindDesktopDialogProgram();

// Tells the user something went wrong (a save that wrote nothing): a drawn
// message in the editor's look with a display, else one line on the
// standard error stream. A responder, when set, receives it instead (tests).
void ShowMessage(const std::string& text);
typedef std::function<void(const std::string& text)> MESSAGE_RESPONDER;
void SetMessageResponder(MESSAGE_RESPONDER responder);
