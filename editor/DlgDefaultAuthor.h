#pragma once
// The dialog that asks for the author name new presets carry. The window
// system's dialog is reached through CocoaShowAuthorDialog; this build has
// no window system, so the dialog answers as if cancelled (the name given)
// unless a responder stands in for the user.

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

// Stands in for the user of the dialog (null: every dialog is cancelled).
// The responder gets the name shown and answers true with the saved text
// or false for cancel.
typedef std::function<bool(const std::string& shown, std::string& saved)> AUTHOR_DIALOG_RESPONDER;
void SetAuthorDialogResponder(AUTHOR_DIALOG_RESPONDER responder);
