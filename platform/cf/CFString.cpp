// Strings of the CoreFoundation stand-in: held as UTF-8, converted from and to
// UTF-8, ASCII, ISO Latin 1 and Mac Roman.

#include <cstring>
#include <map>
#include <mutex>

#include "platform/cf/CFObjects.h"

namespace {

// Unicode code points of the Mac Roman bytes 0x80 to 0xFF.
const UInt16 MAC_ROMAN_HIGH[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,  // 80
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,  // 88
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,  // 90
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,  // 98
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,  // A0
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,  // A8
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,  // B0
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,  // B8
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,  // C0
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,  // C8
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,  // D0
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,  // D8
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,  // E0
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,  // E8
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,  // F0
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,  // F8
};

void AppendUtf8(std::string& out, UInt32 cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one code point at pos; false on any malformed sequence.
bool DecodeUtf8(const UInt8* s, size_t n, size_t& pos, UInt32& cp) {
  UInt8 lead = s[pos];
  size_t extra;
  UInt32 min;
  if (lead < 0x80) {
    cp = lead;
    ++pos;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    cp = lead & 0x1F;
    min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    cp = lead & 0x0F;
    min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    cp = lead & 0x07;
    min = 0x10000;
  } else {
    return false;  // continuation byte or 0xF8..0xFF as lead
  }
  if (n - pos <= extra) return false;  // truncated
  for (size_t k = 1; k <= extra; ++k) {
    UInt8 c = s[pos + k];
    if ((c & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (c & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  pos += extra + 1;
  return true;
}

bool IsValidUtf8(const UInt8* s, size_t n) {
  size_t pos = 0;
  UInt32 cp;
  while (pos < n)
    if (!DecodeUtf8(s, n, pos, cp)) return false;
  return true;
}

// Text in the encoding to UTF-8; false when it is not valid in the encoding.
bool ToUtf8(const UInt8* s, size_t n, CFStringEncoding encoding, std::string& out) {
  out.clear();
  switch (encoding) {
    case kCFStringEncodingUTF8:
      if (!IsValidUtf8(s, n)) return false;
      out.assign(reinterpret_cast<const char*>(s), n);
      return true;
    case kCFStringEncodingASCII:
      for (size_t i = 0; i < n; ++i)
        if (s[i] >= 0x80) return false;
      out.assign(reinterpret_cast<const char*>(s), n);
      return true;
    case kCFStringEncodingISOLatin1:
      for (size_t i = 0; i < n; ++i) AppendUtf8(out, s[i]);
      return true;
    case kCFStringEncodingMacRoman:
      for (size_t i = 0; i < n; ++i) AppendUtf8(out, s[i] < 0x80 ? s[i] : MAC_ROMAN_HIGH[s[i] - 0x80]);
      return true;
    default:
      return false;
  }
}

// UTF-8 to the encoding; false when a character has no form in it.
bool FromUtf8(const std::string& text, CFStringEncoding encoding, std::string& out) {
  if (encoding == kCFStringEncodingUTF8) {
    out = text;
    return true;
  }
  out.clear();
  const UInt8* s = reinterpret_cast<const UInt8*>(text.data());
  size_t n = text.size(), pos = 0;
  UInt32 cp;
  while (pos < n) {
    if (!DecodeUtf8(s, n, pos, cp)) return false;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
      continue;
    }
    if (encoding == kCFStringEncodingISOLatin1 && cp < 0x100) {
      out += static_cast<char>(cp);
      continue;
    }
    if (encoding == kCFStringEncodingMacRoman) {
      int found = -1;
      for (int k = 0; k < 128; ++k)
        if (MAC_ROMAN_HIGH[k] == cp) {
          found = k;
          break;
        }
      if (found >= 0) {
        out += static_cast<char>(0x80 + found);
        continue;
      }
    }
    return false;
  }
  return true;
}

OpaqueCFString* StringOf(CFStringRef s) { return CFCast<OpaqueCFString>(s, kCFTypeIDString); }

}  // namespace

CFTypeID CFStringGetTypeID() { return kCFTypeIDString; }

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean) {
  if (numBytes < 0 || (!bytes && numBytes > 0)) return nullptr;
  std::string utf8;
  if (!ToUtf8(bytes, static_cast<size_t>(numBytes), encoding, utf8)) return nullptr;
  return new OpaqueCFString(std::move(utf8));
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr,
                                      CFStringEncoding encoding) {
  if (!cStr) return nullptr;
  return CFStringCreateWithBytes(alloc, reinterpret_cast<const UInt8*>(cStr),
                                 static_cast<CFIndex>(strlen(cStr)), encoding, false);
}

Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding) {
  if (!buffer || bufferSize <= 0) return false;
  buffer[0] = 0;
  OpaqueCFString* s = StringOf(string);
  if (!s) return false;
  std::string out;
  if (!FromUtf8(s->utf8, encoding, out)) return false;
  if (static_cast<CFIndex>(out.size()) + 1 > bufferSize) return false;
  memcpy(buffer, out.c_str(), out.size() + 1);
  return true;
}

const char* CFStringGetCStringPtr(CFStringRef string, CFStringEncoding encoding) {
  OpaqueCFString* s = StringOf(string);
  if (!s) return nullptr;
  if (encoding == kCFStringEncodingUTF8) return s->utf8.c_str();
  if (encoding == kCFStringEncodingASCII) {
    for (unsigned char c : s->utf8)
      if (c >= 0x80) return nullptr;
    return s->utf8.c_str();
  }
  return nullptr;
}

CFIndex CFStringGetLength(CFStringRef string) {
  OpaqueCFString* s = StringOf(string);
  if (!s) return 0;
  CFIndex units = 0;
  for (unsigned char c : s->utf8) {
    if ((c & 0xC0) != 0x80) ++units;  // one per code point...
    if ((c & 0xF8) == 0xF0) ++units;  // ...and a second for a surrogate pair
  }
  return units;
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding) {
  if (length < 0) return 0;
  return encoding == kCFStringEncodingUTF8 ? length * 3 : length;
}

CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFOptionFlags) {
  OpaqueCFString* sa = StringOf(a);
  OpaqueCFString* sb = StringOf(b);
  // UTF-8 byte order is code point order.
  int c = (sa ? sa->utf8 : std::string()).compare(sb ? sb->utf8 : std::string());
  return c < 0 ? kCFCompareLessThan : c > 0 ? kCFCompareGreaterThan : kCFCompareEqualTo;
}

CFStringRef CFStringMakeConstantString(const char* utf8) {
  static std::mutex lock;
  static std::map<std::string, OpaqueCFString*>* table = new std::map<std::string, OpaqueCFString*>;
  std::string key = utf8 ? utf8 : "";
  std::lock_guard<std::mutex> guard(lock);
  auto it = table->find(key);
  if (it != table->end()) return it->second;
  std::string text;
  if (!ToUtf8(reinterpret_cast<const UInt8*>(key.data()), key.size(), kCFStringEncodingUTF8, text))
    ToUtf8(reinterpret_cast<const UInt8*>(key.data()), key.size(), kCFStringEncodingMacRoman, text);
  OpaqueCFString* s = new OpaqueCFString(text, true);
  (*table)[key] = s;
  return s;
}
