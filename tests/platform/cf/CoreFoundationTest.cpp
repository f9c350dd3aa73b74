// Reference counting, text encodings and the property-list values of the
// CoreFoundation stand-in.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/cf/CoreFoundation.h"

namespace {

TEST(CFString, Utf8ValidityDecidesCreation) {
  struct Case {
    const char* bytes;
    bool valid;
    const char* what;
  } cases[] = {
      {"", true, "empty"},
      {"Tarvelon Sounds", true, "ASCII"},
      {"Gr\xC3\xBC\xC3\x9F" "e", true, "two-byte sequences"},
      {"\xE2\x82\xAC 5", true, "three-byte sequence"},
      {"\xF0\x9F\x98\x80", true, "four-byte sequence"},
      {"\xF4\x8F\xBF\xBF", true, "highest code point"},
      {"abc\x80", false, "lone continuation byte"},
      {"Gr\xFC\xDF" "e", false, "Latin-1 bytes"},
      {"\xC3", false, "truncated two-byte sequence"},
      {"\xF0\x9F\x98", false, "truncated four-byte sequence"},
      {"\xE2\x28\xA1", false, "bad continuation"},
      {"\xC0\xAF", false, "overlong slash"},
      {"\xE0\x80\xAF", false, "overlong three-byte"},
      {"\xED\xA0\x80", false, "surrogate"},
      {"\xF4\x90\x80\x80", false, "above U+10FFFF"},
      {"\xFF", false, "0xFF"},
  };
  for (const Case& c : cases) {
    CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, c.bytes, kCFStringEncodingUTF8);
    EXPECT_EQ(s != nullptr, c.valid) << c.what;
    if (s) {
      EXPECT_STREQ(CFStringGetCStringPtr(s, kCFStringEncodingUTF8), c.bytes) << c.what;
      CFRelease(s);
    }
  }
  EXPECT_EQ(CFStringCreateWithCString(nullptr, nullptr, kCFStringEncodingUTF8), nullptr);
  EXPECT_EQ(CFStringCreateWithCString(nullptr, "caf\xC3\xA9", kCFStringEncodingASCII), nullptr);
}

TEST(CFString, EncodingsConvertBothWays) {
  // Mac Roman 0x8A is a-umlaut, 0xDB the euro sign.
  CFStringRef s = CFStringCreateWithCString(nullptr, "B\x8A" "r \xDB", kCFStringEncodingMacRoman);
  ASSERT_NE(s, nullptr);
  char buf[32];
  ASSERT_TRUE(CFStringGetCString(s, buf, sizeof(buf), kCFStringEncodingUTF8));
  EXPECT_STREQ(buf, "B\xC3\xA4r \xE2\x82\xAC");
  ASSERT_TRUE(CFStringGetCString(s, buf, sizeof(buf), kCFStringEncodingMacRoman));
  EXPECT_STREQ(buf, "B\x8A" "r \xDB");
  EXPECT_FALSE(CFStringGetCString(s, buf, sizeof(buf), kCFStringEncodingISOLatin1));  // no euro
  EXPECT_STREQ(buf, "");
  EXPECT_FALSE(CFStringGetCString(s, buf, sizeof(buf), kCFStringEncodingASCII));
  EXPECT_EQ(CFStringGetCStringPtr(s, kCFStringEncodingASCII), nullptr);
  EXPECT_EQ(CFStringGetLength(s), 5);
  CFRelease(s);

  CFStringRef latin = CFStringCreateWithCString(nullptr, "\xE9t\xE9", kCFStringEncodingISOLatin1);
  ASSERT_TRUE(CFStringGetCString(latin, buf, sizeof(buf), kCFStringEncodingUTF8));
  EXPECT_STREQ(buf, "\xC3\xA9t\xC3\xA9");
  CFRelease(latin);

  CFStringRef emoji = CFStringCreateWithCString(nullptr, "a\xF0\x9F\x98\x80", kCFStringEncodingUTF8);
  EXPECT_EQ(CFStringGetLength(emoji), 3);  // UTF-16 units: one pair for the emoji
  EXPECT_FALSE(CFStringGetCString(emoji, buf, sizeof(buf), kCFStringEncodingMacRoman));
  CFRelease(emoji);
}

TEST(CFString, GetCStringNeedsRoomForTheTerminator) {
  CFStringRef s = CFStringCreateWithCString(nullptr, "Osc1 Vol", kCFStringEncodingMacRoman);
  char buf[9];
  memset(buf, 'x', sizeof(buf));
  EXPECT_FALSE(CFStringGetCString(s, buf, 8, kCFStringEncodingUTF8));
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(buf[8], 'x');  // nothing past the given size
  EXPECT_TRUE(CFStringGetCString(s, buf, 9, kCFStringEncodingUTF8));
  EXPECT_STREQ(buf, "Osc1 Vol");
  EXPECT_FALSE(CFStringGetCString(s, nullptr, 9, kCFStringEncodingUTF8));
  EXPECT_FALSE(CFStringGetCString(s, buf, 0, kCFStringEncodingUTF8));
  CFRelease(s);
}

TEST(CFString, ConstantStringsAreSharedAndImmortal) {
  CFStringRef a = CFSTR("mChunkData");
  EXPECT_EQ(a, CFSTR("mChunkData"));
  CFIndex before = CFGetRetainCount(a);
  CFRetain(a);
  CFRelease(a);
  CFRelease(a);
  EXPECT_EQ(CFGetRetainCount(a), before);
  CFStringRef made = CFStringCreateWithCString(nullptr, "mChunkData", kCFStringEncodingUTF8);
  EXPECT_TRUE(CFEqual(a, made));
  EXPECT_EQ(CFHash(a), CFHash(made));
  EXPECT_EQ(CFStringCompare(a, made, 0), kCFCompareEqualTo);
  EXPECT_EQ(CFStringCompare(CFSTR("data"), CFSTR("name"), 0), kCFCompareLessThan);
  CFRelease(made);
}

TEST(CFRefCount, RetainReleaseAndCollectionsOwnWhatTheyHold) {
  CFMutableDataRef data = CFDataCreateMutable(nullptr, 0);
  EXPECT_EQ(CFGetRetainCount(data), 1);
  EXPECT_EQ(CFRetain(data), data);
  EXPECT_EQ(CFGetRetainCount(data), 2);
  CFRelease(data);
  EXPECT_EQ(CFGetRetainCount(data), 1);

  CFStringRef key = CFStringCreateWithCString(nullptr, "key", kCFStringEncodingUTF8);
  CFMutableDictionaryRef dict = CFDictionaryCreateMutable(
      nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFDictionarySetValue(dict, key, data);
  EXPECT_EQ(CFGetRetainCount(data), 2);
  EXPECT_EQ(CFGetRetainCount(key), 2);
  CFDictionarySetValue(dict, key, data);  // same value again: count unchanged
  EXPECT_EQ(CFGetRetainCount(data), 2);

  CFMutableDataRef other = CFDataCreateMutable(nullptr, 0);
  CFDictionarySetValue(dict, key, other);  // replacing releases the old value
  EXPECT_EQ(CFGetRetainCount(data), 1);
  EXPECT_EQ(CFGetRetainCount(other), 2);
  CFDictionaryRemoveValue(dict, key);
  EXPECT_EQ(CFGetRetainCount(other), 1);
  EXPECT_EQ(CFGetRetainCount(key), 1);
  EXPECT_EQ(CFDictionaryGetCount(dict), 0);

  CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  CFArrayAppendValue(array, data);
  CFArrayAppendValue(array, data);
  EXPECT_EQ(CFGetRetainCount(data), 3);
  CFDictionarySetValue(dict, key, array);
  CFRelease(array);  // now held by the dictionary only
  CFRelease(dict);   // frees the array, which drops its two references
  EXPECT_EQ(CFGetRetainCount(data), 1);
  EXPECT_EQ(CFGetRetainCount(key), 1);

  // Null call-backs keep raw pointers without owning them.
  CFMutableDictionaryRef raw = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
  CFDictionarySetValue(raw, key, data);
  EXPECT_EQ(CFGetRetainCount(data), 1);
  EXPECT_EQ(CFDictionaryGetValue(raw, key), data);
  CFRelease(raw);

  CFRelease(key);
  CFRelease(data);
  CFRelease(other);
  CFRelease(nullptr);  // ignored
  EXPECT_EQ(CFGetRetainCount(nullptr), 0);
}

TEST(CFDictionary, KeysCompareByValueAndKeepInsertionOrder) {
  CFMutableDictionaryRef dict = CFDictionaryCreateMutable(
      nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  SInt32 one = 1;
  CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &one);
  CFDictionarySetValue(dict, CFSTR("version"), n);
  CFDictionarySetValue(dict, CFSTR("name"), CFSTR("Unit"));
  CFDictionaryAddValue(dict, CFSTR("name"), CFSTR("ignored"));  // present: not replaced
  CFStringRef probe = CFStringCreateWithCString(nullptr, "name", kCFStringEncodingUTF8);
  EXPECT_TRUE(CFEqual(CFDictionaryGetValue(dict, probe), CFSTR("Unit")));
  EXPECT_TRUE(CFDictionaryContainsKey(dict, CFSTR("version")));
  EXPECT_EQ(CFDictionaryGetValue(dict, CFSTR("missing")), nullptr);
  EXPECT_EQ(CFDictionaryGetValue(dict, nullptr), nullptr);

  const void* keys[2];
  const void* values[2];
  ASSERT_EQ(CFDictionaryGetCount(dict), 2);
  CFDictionaryGetKeysAndValues(dict, keys, values);
  EXPECT_TRUE(CFEqual(keys[0], CFSTR("version")));
  EXPECT_EQ(values[0], n);
  EXPECT_TRUE(CFEqual(keys[1], CFSTR("name")));

  // Deep equality: an immutable copy made from the same items is equal.
  CFDictionaryRef copy = CFDictionaryCreate(nullptr, keys, values, 2,
                                            &kCFTypeDictionaryKeyCallBacks,
                                            &kCFTypeDictionaryValueCallBacks);
  EXPECT_TRUE(CFEqual(dict, copy));
  CFDictionarySetValue(dict, CFSTR("extra"), kCFBooleanTrue);
  EXPECT_FALSE(CFEqual(dict, copy));
  EXPECT_EQ(CFGetTypeID(copy), CFDictionaryGetTypeID());
  CFDictionarySetValue(reinterpret_cast<CFMutableDictionaryRef>(const_cast<void*>(
                           static_cast<const void*>(copy))),
                       CFSTR("x"), n);  // an immutable dictionary refuses changes
  EXPECT_EQ(CFDictionaryGetCount(copy), 2);

  CFRelease(copy);
  CFRelease(probe);
  CFRelease(n);
  CFRelease(dict);
}

TEST(CFData, AppendLengthAndCapacity) {
  CFMutableDataRef data = CFDataCreateMutable(nullptr, 6);
  EXPECT_EQ(CFDataGetLength(data), 0);
  EXPECT_EQ(CFDataGetBytePtr(data), nullptr);
  const UInt8 bytes[] = {1, 2, 3, 4};
  CFDataAppendBytes(data, bytes, 4);
  CFDataAppendBytes(data, bytes, 4);  // would pass the capacity: refused
  EXPECT_EQ(CFDataGetLength(data), 4);
  CFDataAppendBytes(data, bytes, 2);
  ASSERT_EQ(CFDataGetLength(data), 6);
  EXPECT_EQ(CFDataGetBytePtr(data)[5], 2);
  CFDataSetLength(data, 2);
  EXPECT_EQ(CFDataGetLength(data), 2);

  CFDataRef fixed = CFDataCreate(nullptr, bytes, 4);
  CFDataRef same = CFDataCreate(nullptr, bytes, 4);
  EXPECT_TRUE(CFEqual(fixed, same));
  EXPECT_FALSE(CFEqual(fixed, data));
  EXPECT_EQ(CFDataCreate(nullptr, nullptr, 4), nullptr);
  CFRelease(fixed);
  CFRelease(same);
  CFRelease(data);
}

TEST(CFNumber, ConversionsReportLoss) {
  SInt32 v = 0x10401;
  CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &v);
  SInt64 wide = 0;
  EXPECT_TRUE(CFNumberGetValue(n, kCFNumberSInt64Type, &wide));
  EXPECT_EQ(wide, 0x10401);
  SInt16 narrow = 0;
  EXPECT_FALSE(CFNumberGetValue(n, kCFNumberSInt16Type, &narrow));
  EXPECT_EQ(narrow, 32767);  // saturated
  double d = 0;
  EXPECT_TRUE(CFNumberGetValue(n, kCFNumberFloat64Type, &d));
  EXPECT_EQ(d, 66561.0);
  EXPECT_FALSE(CFNumberIsFloatType(n));

  Float32 f = 2.75f;
  CFNumberRef fn = CFNumberCreate(nullptr, kCFNumberFloat32Type, &f);
  SInt32 i = 0;
  EXPECT_FALSE(CFNumberGetValue(fn, kCFNumberSInt32Type, &i));
  EXPECT_EQ(i, 2);
  Float32 back = 0;
  EXPECT_TRUE(CFNumberGetValue(fn, kCFNumberFloat32Type, &back));
  EXPECT_EQ(back, 2.75f);
  EXPECT_TRUE(CFNumberIsFloatType(fn));

  double huge = 1e300;
  CFNumberRef hn = CFNumberCreate(nullptr, kCFNumberFloat64Type, &huge);
  EXPECT_FALSE(CFNumberGetValue(hn, kCFNumberSInt32Type, &i));
  EXPECT_EQ(i, INT32_MAX);

  double two = 66561.0;
  CFNumberRef same = CFNumberCreate(nullptr, kCFNumberDoubleType, &two);
  EXPECT_TRUE(CFEqual(n, same));  // value equality across kinds

  // Another kind of object is refused, not misread.
  EXPECT_FALSE(CFNumberGetValue(reinterpret_cast<CFNumberRef>(CFSTR("7")), kCFNumberSInt32Type, &i));
  EXPECT_EQ(CFDataGetLength(reinterpret_cast<CFDataRef>(n)), 0);
  EXPECT_EQ(CFNumberCreate(nullptr, kCFNumberSInt32Type, nullptr), nullptr);

  CFRelease(n);
  CFRelease(fn);
  CFRelease(hn);
  CFRelease(same);
}

TEST(CFBooleanAndURL, ConstantsAndPaths) {
  EXPECT_TRUE(CFBooleanGetValue(kCFBooleanTrue));
  EXPECT_FALSE(CFBooleanGetValue(kCFBooleanFalse));
  EXPECT_EQ(CFGetTypeID(kCFBooleanTrue), CFBooleanGetTypeID());
  CFRelease(kCFBooleanTrue);  // immortal
  EXPECT_TRUE(CFBooleanGetValue(kCFBooleanTrue));

  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, CFSTR("/Library/Audio/Plug-Ins/M.component"),
                                               kCFURLPOSIXPathStyle, true);
  ASSERT_NE(url, nullptr);
  CFStringRef path = CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle);
  EXPECT_STREQ(CFStringGetCStringPtr(path, kCFStringEncodingUTF8),
               "/Library/Audio/Plug-Ins/M.component");
  UInt8 buf[64];
  EXPECT_TRUE(CFURLGetFileSystemRepresentation(url, true, buf, sizeof(buf)));
  EXPECT_FALSE(CFURLGetFileSystemRepresentation(url, true, buf, 8));
  CFRelease(path);
  CFRelease(url);
}

}  // namespace
