#pragma once
// The dialog that asks for the author name new presets carry. The window
// system's dialog is reached through CocoaShowAuthorDialog: a responder,
// when set, stands in for the user (tests); otherwise, with an X display, a
// text-entry dialog drawn by our own layer asks; without a display the
// dialog answers as if cancelled (the name given).

#include <functional>
#include <string>

class CFrame;

class CDlgDefaultAuthor {
 public:
  // Returns the edited name, or current when the dialog was cancelled.
  std::string GetDefaultAuthor(CFrame* frame, std::string current);

 private:
  std::string m_authorName;
};

// Runs the modal dialog with name in its field: the edited name on save,
// name unchanged on cancel.
std::string CocoaShowAuthorDialog(std::string name);

// Stands in for the user of the dialog (null: the real dialog).
// The responder gets the name shown and answers true with the saved text
// or false for cancel.
typedef std::function<bool(const std::string& shown, std::string& saved)> AUTHOR_DIALOG_RESPONDER;
void SetAuthorDialogResponder(AUTHOR_DIALOG_RESPONDER responder);
