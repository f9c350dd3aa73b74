#include "editor/DlgDefaultAuthor.h"

namespace {

AUTHOR_DIALOG_RESPONDER& Responder() {
  static AUTHOR_DIALOG_RESPONDER responder;
  return responder;
}

}  // namespace

void SetAuthorDialogResponder(AUTHOR_DIALOG_RESPONDER responder) { Responder() = responder; }

std::string CocoaShowAuthorDialog(std::string name) {
  std::string saved;
  if (Responder() && Responder()(name, saved)) return saved;
  return name;
}

std::string CDlgDefaultAuthor::GetDefaultAuthor(CFrame* frame, std::string current) {
  m_authorName = current;
  return CocoaShowAuthorDialog(current);
}
