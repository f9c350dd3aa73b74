#pragma once
// UTF-8 validity test of a stored string, as the platform's string services
// apply it when a C string is turned into a string object with the UTF-8
// encoding: well-formed sequences only (no overlong forms, no surrogates,
// nothing above U+10FFFF).
#include <cstddef>

namespace Platform {

// True when the n bytes at text are valid UTF-8. n = 0 is valid.
bool IsValidUtf8(const char* text, size_t n);

// The same for a NUL-terminated string (up to its first zero byte).
bool IsValidUtf8(const char* text);

}  // namespace Platform
