#pragma once
// UTF-8 validity test of a stored string, as the platform's string services
// apply it when a C string is turned into a string object with the UTF-8
// encoding: well-formed sequences only (no overlong forms, no surrogates,
// nothing above U+10FFFF).
#include <cstddef>
#include <string>

namespace Platform {

// True when the n bytes at text are valid UTF-8. n = 0 is valid.
bool IsValidUtf8(const char* text, size_t n);

// The same for a NUL-terminated string (up to its first zero byte).
bool IsValidUtf8(const char* text);

// The n bytes at text as valid UTF-8: every byte that does not start a
// well-formed sequence becomes U+FFFD (one per maximal ill-formed part, as
// Unicode recommends). Valid text comes back unchanged.
std::string ToValidUtf8(const char* text, size_t n);

// The length of the longest prefix of the n bytes at text that is at most
// limit bytes and does not end inside a well-formed multi-byte character.
// Ill-formed bytes count as characters of one byte.
size_t Utf8PrefixLength(const char* text, size_t n, size_t limit);

}  // namespace Platform
