#include "tools/render/StateCF.h"

#include <vector>

namespace StateCF {

namespace {

const int MAX_DEPTH = 64;

CFPropertyListRef CreateAt(const PLIST_VALUE& value, int depth) {
  if (depth > MAX_DEPTH) return nullptr;
  switch (value.kind) {
    case PLIST_VALUE::kString:
      return CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(value.text.data()),
                                     static_cast<CFIndex>(value.text.size()),
                                     kCFStringEncodingUTF8, false);
    case PLIST_VALUE::kInteger: {
      const SInt64 v = value.integer;
      return CFNumberCreate(nullptr, kCFNumberSInt64Type, &v);
    }
    case PLIST_VALUE::kReal: {
      const Float64 v = value.real;
      return CFNumberCreate(nullptr, kCFNumberFloat64Type, &v);
    }
    case PLIST_VALUE::kBool:
      return CFRetain(value.flag ? kCFBooleanTrue : kCFBooleanFalse);
    case PLIST_VALUE::kData:
      return CFDataCreate(nullptr, value.bytes.empty() ? nullptr : value.bytes.data(),
                          static_cast<CFIndex>(value.bytes.size()));
    case PLIST_VALUE::kArray: {
      CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
      for (const PLIST_VALUE& item : value.items) {
        CFPropertyListRef element = CreateAt(item, depth + 1);
        if (!element) {
          CFRelease(array);
          return nullptr;
        }
        CFArrayAppendValue(array, element);
        CFRelease(element);
      }
      return array;
    }
    case PLIST_VALUE::kDict: {
      CFMutableDictionaryRef dict = CFDictionaryCreateMutable(
          nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
      for (size_t i = 0; i < value.keys.size() && i < value.items.size(); ++i) {
        CFStringRef key = CFStringCreateWithBytes(
            nullptr, reinterpret_cast<const UInt8*>(value.keys[i].data()),
            static_cast<CFIndex>(value.keys[i].size()), kCFStringEncodingUTF8, false);
        CFPropertyListRef item = key ? CreateAt(value.items[i], depth + 1) : nullptr;
        if (!item) {
          if (key) CFRelease(key);
          CFRelease(dict);
          return nullptr;
        }
        CFDictionarySetValue(dict, key, item);
        CFRelease(key);
        CFRelease(item);
      }
      return dict;
    }
  }
  return nullptr;
}

bool StringOf(CFStringRef string, std::string& out) {
  const CFIndex length = CFStringGetLength(string);
  const CFIndex size = CFStringGetMaximumSizeForEncoding(length, kCFStringEncodingUTF8) + 1;
  if (size <= 0) return false;
  std::vector<char> buffer(static_cast<size_t>(size));
  if (!CFStringGetCString(string, buffer.data(), size, kCFStringEncodingUTF8)) return false;
  out = buffer.data();
  return true;
}

bool ReadAt(CFPropertyListRef object, int depth, PLIST_VALUE& out, std::string& problem) {
  if (depth > MAX_DEPTH) {
    problem = "nesting too deep";
    return false;
  }
  const CFTypeID type = CFGetTypeID(object);
  if (type == CFStringGetTypeID()) {
    std::string text;
    if (!StringOf(static_cast<CFStringRef>(object), text)) {
      problem = "a string cannot be written as UTF-8";
      return false;
    }
    out = PLIST_VALUE::String(text);
    return true;
  }
  if (type == CFNumberGetTypeID()) {
    CFNumberRef number = static_cast<CFNumberRef>(object);
    if (CFNumberIsFloatType(number)) {
      Float64 v = 0.0;
      CFNumberGetValue(number, kCFNumberFloat64Type, &v);
      out = PLIST_VALUE::Real(v);
    } else {
      SInt64 v = 0;
      CFNumberGetValue(number, kCFNumberSInt64Type, &v);
      out = PLIST_VALUE::Integer(v);
    }
    return true;
  }
  if (type == CFBooleanGetTypeID()) {
    out = PLIST_VALUE::Bool(CFBooleanGetValue(static_cast<CFBooleanRef>(object)));
    return true;
  }
  if (type == CFDataGetTypeID()) {
    CFDataRef data = static_cast<CFDataRef>(object);
    const UInt8* bytes = CFDataGetBytePtr(data);
    const CFIndex length = CFDataGetLength(data);
    out = PLIST_VALUE::Data(bytes && length > 0 ? std::vector<uint8_t>(bytes, bytes + length)
                                                : std::vector<uint8_t>());
    return true;
  }
  if (type == CFArrayGetTypeID()) {
    CFArrayRef array = static_cast<CFArrayRef>(object);
    out = PLIST_VALUE::Array();
    for (CFIndex i = 0; i < CFArrayGetCount(array); ++i) {
      PLIST_VALUE item;
      if (!ReadAt(CFArrayGetValueAtIndex(array, i), depth + 1, item, problem)) return false;
      out.items.push_back(std::move(item));
    }
    return true;
  }
  if (type == CFDictionaryGetTypeID()) {
    CFDictionaryRef dict = static_cast<CFDictionaryRef>(object);
    const CFIndex count = CFDictionaryGetCount(dict);
    std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
    if (count > 0) CFDictionaryGetKeysAndValues(dict, keys.data(), values.data());
    out = PLIST_VALUE::Dict();
    for (CFIndex i = 0; i < count; ++i) {
      std::string key;
      if (CFGetTypeID(keys[i]) != CFStringGetTypeID() ||
          !StringOf(static_cast<CFStringRef>(keys[i]), key)) {
        problem = "a dictionary key is not a string";
        return false;
      }
      PLIST_VALUE item;
      if (!ReadAt(values[i], depth + 1, item, problem)) return false;
      out.Set(key, item);
    }
    return true;
  }
  problem = object ? "an object that has no property-list form" : "a missing value";
  return false;
}

}  // namespace

CFPropertyListRef Create(const PLIST_VALUE& value) { return CreateAt(value, 0); }

bool Read(CFPropertyListRef object, PLIST_VALUE& value, std::string& problem) {
  PLIST_VALUE result;
  if (!ReadAt(object, 0, result, problem)) return false;
  value = std::move(result);
  return true;
}

}  // namespace StateCF
