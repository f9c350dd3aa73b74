#include "platform/Utf8.h"

#include <cstring>

namespace Platform {

bool IsValidUtf8(const char* text, size_t n) {
  if (n == 0) return true;
  if (!text) return false;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  size_t i = 0;
  while (i < n) {
    unsigned char c = s[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t extra;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
    } else if (c == 0xE0) {
      extra = 2;
      lo = 0xA0;  // no overlong 3-byte forms
    } else if (c >= 0xE1 && c <= 0xEC) {
      extra = 2;
    } else if (c == 0xED) {
      extra = 2;
      hi = 0x9F;  // no UTF-16 surrogates
    } else if (c >= 0xEE && c <= 0xEF) {
      extra = 2;
    } else if (c == 0xF0) {
      extra = 3;
      lo = 0x90;  // no overlong 4-byte forms
    } else if (c >= 0xF1 && c <= 0xF3) {
      extra = 3;
    } else if (c == 0xF4) {
      extra = 3;
      hi = 0x8F;  // nothing above U+10FFFF
    } else {
      return false;  // continuation byte without a lead, 0xC0/0xC1, 0xF5-0xFF
    }
    if (n - i - 1 < extra) return false;
    unsigned char second = s[i + 1];
    if (second < lo || second > hi) return false;
    for (size_t k = 2; k <= extra; ++k)
      if ((s[i + k] & 0xC0) != 0x80) return false;
    i += extra + 1;
  }
  return true;
}

bool IsValidUtf8(const char* text) {
  if (!text) return false;
  return IsValidUtf8(text, std::strlen(text));
}

}  // namespace Platform
