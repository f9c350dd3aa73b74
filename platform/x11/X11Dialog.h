#pragma once
// Small modal dialogs drawn by our own layer in a top-level X11 window of
// their own: a prompt line, a one-line text field, OK and Cancel; the file
// form adds the entries of the folder named by the field (folders first,
// files filtered by type, extensions compared without regard to case),
// where a click picks an entry and a double click on a file (both clicks on
// that same entry) accepts it. Return accepts, Escape or closing the window
// cancels. Text comes through the input method as UTF-8; Ctrl+V pastes the
// clipboard's text. While a dialog is open the editor's windows stay
// painted, and a signal or a close of the editor's window cancels it at
// once (X11ServiceWindowsDuringModal). Used when the desktop offers no
// dialog program, and for messages.

#include <string>
#include <vector>

// The window titles, by which a test or a window manager finds them.
extern const char* const X11_DIALOG_TITLE_OPEN;
extern const char* const X11_DIALOG_TITLE_SAVE;
extern const char* const X11_DIALOG_TITLE_AUTHOR;
extern const char* const X11_DIALOG_TITLE_MESSAGE;
extern const char* const X11_DIALOG_TITLE_CONFIRM;

// Text entry. True with the edited text (which may be empty) on accept;
// false (text unchanged) on cancel or when no display can be opened.
bool X11RunTextDialog(const char* title, const char* prompt, std::string& text);

// File choice. text starts as the folder (ending in "/") or the proposed
// path; type (without its dot, null for any) filters the listed files; a
// saved name without the type's extension gets it, and saving over an
// existing file asks first ("Replace" or back to the name). True with the
// path on accept.
bool X11RunFileDialog(bool save, const char* type, std::string& text);

// The listed entries for a field's text: the folder part's subfolders
// (with a trailing "/", ".." first) and files (with the type's extension
// when type is given), each sorted by name.
std::vector<std::string> X11ListFolder(const std::string& text, const char* type);

// A message with one button; false when no display can be opened.
bool X11RunMessageDialog(const char* text);

// Asks whether the existing file path may be replaced; true for "Replace".
bool X11RunReplaceDialog(const std::string& path);
