#include "editor/DlgDefaultAuthor.h"

#include <cstdlib>

#include "platform/x11/X11Dialog.h"

namespace {

AUTHOR_DIALOG_RESPONDER& Responder() {
  static AUTHOR_DIALOG_RESPONDER responder;
  return responder;
}

}  // namespace

void SetAuthorDialogResponder(AUTHOR_DIALOG_RESPONDER responder) { Responder() = responder; }

std::string CocoaShowAuthorDialog(std::string name) {
  std::string saved;
  if (Responder()) return Responder()(name, saved) ? saved : name;
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return name;
  saved = name;
  return X11RunTextDialog(X11_DIALOG_TITLE_AUTHOR, "Default author name for new presets:", saved) ? saved : name;
}

std::string CDlgDefaultAuthor::GetDefaultAuthor(CFrame* frame, std::string current) {
  m_authorName = current;
  return CocoaShowAuthorDialog(current);
}
