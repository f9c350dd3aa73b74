#include "platform/Utf8.h"

#include <cstring>

namespace Platform {

namespace {

// What a lead byte asks of the bytes after it: how many continuation bytes
// follow, and the range the first of them must lie in. False for a byte that
// starts no sequence of two or more bytes.
bool LeadPattern(unsigned char c, size_t& extra, unsigned char& lo, unsigned char& hi) {
  lo = 0x80;
  hi = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    extra = 1;
  } else if (c == 0xE0) {
    extra = 2;
    lo = 0xA0;
  } else if ((c >= 0xE1 && c <= 0xEC) || c == 0xEE || c == 0xEF) {
    extra = 2;
  } else if (c == 0xED) {
    extra = 2;
    hi = 0x9F;
  } else if (c == 0xF0) {
    extra = 3;
    lo = 0x90;
  } else if (c >= 0xF1 && c <= 0xF3) {
    extra = 3;
  } else if (c == 0xF4) {
    extra = 3;
    hi = 0x8F;
  } else {
    return false;
  }
  return true;
}

// The length of the well-formed sequence at s[i] (1-4), or 0 when the bytes
// there do not start one.
size_t SequenceLength(const unsigned char* s, size_t i, size_t n) {
  if (s[i] < 0x80) return 1;
  size_t extra;
  unsigned char lo, hi;
  if (!LeadPattern(s[i], extra, lo, hi)) return 0;
  if (n - i - 1 < extra) return 0;
  if (s[i + 1] < lo || s[i + 1] > hi) return 0;
  for (size_t k = 2; k <= extra; ++k)
    if ((s[i + k] & 0xC0) != 0x80) return 0;
  return extra + 1;
}

// The number of bytes of the maximal ill-formed part at s[i] that becomes one
// U+FFFD: a lead byte and the continuation bytes that still fit its pattern.
size_t IllFormedLength(const unsigned char* s, size_t i, size_t n) {
  size_t extra;
  unsigned char lo, hi;
  if (!LeadPattern(s[i], extra, lo, hi)) return 1;
  size_t k = 1;
  if (i + k < n && s[i + k] >= lo && s[i + k] <= hi) {
    ++k;
    while (k <= extra && i + k < n && (s[i + k] & 0xC0) == 0x80) ++k;
  }
  return k;
}

}  // namespace

std::string ToValidUtf8(const char* text, size_t n) {
  std::string out;
  if (!text || n == 0) return out;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  out.reserve(n);
  size_t i = 0;
  while (i < n) {
    const size_t length = SequenceLength(s, i, n);
    if (length > 0) {
      out.append(text + i, length);
      i += length;
    } else {
      out += "\xEF\xBF\xBD";
      i += IllFormedLength(s, i, n);
    }
  }
  return out;
}

size_t Utf8PrefixLength(const char* text, size_t n, size_t limit) {
  if (!text) return 0;
  if (n <= limit) return n;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  size_t i = 0;
  while (i < limit) {
    size_t length = SequenceLength(s, i, n);
    if (length == 0) length = 1;
    if (i + length > limit) break;
    i += length;
  }
  return i;
}

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
