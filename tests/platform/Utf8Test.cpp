#include <gtest/gtest.h>

#include <string>

#include "platform/Utf8.h"

TEST(Utf8, AcceptsWellFormedAndRefusesMalformedSequences) {
  const struct {
    std::string bytes;
    bool valid;
  } rows[] = {
      {"", true},
      {"plain ascii", true},
      {"\xC3\xA9t\xC3\xA9", true},          // 2-byte
      {"\xE2\x82\xAC", true},               // euro sign
      {"\xF0\x9F\x8E\xB9", true},           // 4-byte
      {"\xF4\x8F\xBF\xBF", true},           // U+10FFFF
      {"\xEF\xBF\xBF", true},               // U+FFFF
      {"\x80", false},                      // lone continuation
      {"\xC3", false},                      // cut 2-byte
      {"\xE2\x82", false},                  // cut 3-byte
      {"\xF0\x9F\x8E", false},              // cut 4-byte
      {"\xC3\x28", false},                  // bad continuation
      {"\xC0\xAF", false},                  // overlong '/'
      {"\xC1\xBF", false},                  // overlong
      {"\xE0\x80\xAF", false},              // overlong 3-byte
      {"\xF0\x80\x80\xAF", false},          // overlong 4-byte
      {"\xED\xA0\x80", false},              // surrogate
      {"\xF4\x90\x80\x80", false},          // above U+10FFFF
      {"\xF5\x80\x80\x80", false},
      {"\xFF", false},
      {"ok\xE2\x82\xACok\xE2", false},      // valid, then cut at the end
  };
  for (const auto& r : rows) {
    EXPECT_EQ(Platform::IsValidUtf8(r.bytes.data(), r.bytes.size()), r.valid) << testing::PrintToString(r.bytes);
  }
  EXPECT_TRUE(Platform::IsValidUtf8("abc"));
  EXPECT_FALSE(Platform::IsValidUtf8(nullptr));
  EXPECT_TRUE(Platform::IsValidUtf8(nullptr, 0));
}

// Text to draw: each ill-formed part becomes one U+FFFD, valid text stays.
TEST(Utf8, RepairsIllFormedBytesAndCutsOnCharacterBoundaries) {
  const std::string R = "\xEF\xBF\xBD";
  const struct {
    std::string bytes;
    std::string shown;
  } rows[] = {
      {"", ""},
      {"plain", "plain"},
      {"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
      {"bad\xFF\xFE.p", "bad" + R + R + ".p"},
      {"a\xC3", "a" + R},                       // cut 2-byte at the end
      {"\xE2\x82" "x", R + "x"},               // cut 3-byte: one replacement
      {"\xF0\x9F\x8E", R},                    // cut 4-byte
      {"\xC0\xAF", R + R},                     // overlong: each byte
      {"\xED\xA0\x80", R + R + R},            // surrogate: each byte
      {"\x80\x80", R + R},                     // lone continuations
      {"ok\xF0\x9F\x8E\xB9ok", "ok\xF0\x9F\x8E\xB9ok"},
  };
  for (const auto& r : rows) {
    const std::string shown = Platform::ToValidUtf8(r.bytes.data(), r.bytes.size());
    EXPECT_EQ(shown, r.shown) << testing::PrintToString(r.bytes);
    EXPECT_TRUE(Platform::IsValidUtf8(shown.data(), shown.size()));
  }

  // "a" and eight two-byte characters: a 16-byte cut ends after the 7th.
  const std::string name = "a\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9.wav";
  EXPECT_EQ(Platform::Utf8PrefixLength(name.data(), name.size(), 16), 15u);
  EXPECT_EQ(Platform::Utf8PrefixLength(name.data(), name.size(), 15), 15u);
  EXPECT_EQ(Platform::Utf8PrefixLength(name.data(), name.size(), 1000), name.size());
  EXPECT_EQ(Platform::Utf8PrefixLength("\xF0\x9F\x8E\xB9", 4, 3), 0u);
  // Ill-formed bytes count as one-byte characters.
  EXPECT_EQ(Platform::Utf8PrefixLength("\xFF\xFE\xFD", 3, 2), 2u);
}
