// Fixed-text display.

#include "platform/vstgui/TextLabel.h"

#include <cstring>

bool CTextLabel::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "CTextLabel") == 0) || CParamDisplay::isTypeOf(type);
}
