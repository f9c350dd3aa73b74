#pragma once
// Reference-counted value objects in the manner of CoreFoundation: strings,
// data, numbers, booleans, arrays, dictionaries and file URLs, as this project
// uses them for its saved state (property-list values) and for text checks.
//
// Every object is created with a reference count of 1; CFRetain adds one,
// CFRelease drops one and frees the object at zero. "Create" and "Copy"
// functions hand the caller a reference it must release; "Get" functions do
// not. Objects of the wrong kind and null references are refused (0, null or
// false) instead of crashing, so values read from a saved state can be
// checked with CFGetTypeID and used safely. Mutable objects are not
// thread-safe; reference counting is.

#include <cstddef>

#include "platform/cf/MacTypes.h"

typedef long CFIndex;
typedef unsigned long CFTypeID;
typedef unsigned long CFHashCode;
typedef unsigned long CFOptionFlags;
typedef UInt32 CFStringEncoding;

typedef const void* CFTypeRef;
typedef const void* CFPropertyListRef;
typedef const void* CFAllocatorRef;  // allocators are accepted and ignored

const CFAllocatorRef kCFAllocatorDefault = nullptr;

struct OpaqueCFString;
struct OpaqueCFData;
struct OpaqueCFNumber;
struct OpaqueCFBoolean;
struct OpaqueCFArray;
struct OpaqueCFDictionary;
struct OpaqueCFURL;

typedef const OpaqueCFString* CFStringRef;
typedef const OpaqueCFData* CFDataRef;
typedef OpaqueCFData* CFMutableDataRef;
typedef const OpaqueCFNumber* CFNumberRef;
typedef const OpaqueCFBoolean* CFBooleanRef;
typedef const OpaqueCFArray* CFArrayRef;
typedef OpaqueCFArray* CFMutableArrayRef;
typedef const OpaqueCFDictionary* CFDictionaryRef;
typedef OpaqueCFDictionary* CFMutableDictionaryRef;
typedef const OpaqueCFURL* CFURLRef;

enum CFComparisonResult {
  kCFCompareLessThan = -1,
  kCFCompareEqualTo = 0,
  kCFCompareGreaterThan = 1,
};

// ---------------------------------------------------------------------------
// Every object

CFTypeRef CFRetain(CFTypeRef object);
void CFRelease(CFTypeRef object);
// Current reference count; 0 for null. Constants report a very large count.
CFIndex CFGetRetainCount(CFTypeRef object);
CFTypeID CFGetTypeID(CFTypeRef object);  // 0 for null
// Same kind and same value (collections compare their items).
Boolean CFEqual(CFTypeRef a, CFTypeRef b);
CFHashCode CFHash(CFTypeRef object);

CFTypeID CFStringGetTypeID();
CFTypeID CFDataGetTypeID();
CFTypeID CFNumberGetTypeID();
CFTypeID CFBooleanGetTypeID();
CFTypeID CFArrayGetTypeID();
CFTypeID CFDictionaryGetTypeID();
CFTypeID CFURLGetTypeID();

// ---------------------------------------------------------------------------
// Strings (held as Unicode)

enum CFStringBuiltInEncodings : CFStringEncoding {
  kCFStringEncodingMacRoman = 0,
  kCFStringEncodingISOLatin1 = 0x0201,
  kCFStringEncodingASCII = 0x0600,
  kCFStringEncodingUTF8 = 0x08000100,
};

// Null when the bytes are not valid text in the encoding (for UTF-8: bad lead
// or continuation bytes, truncated or overlong sequences, surrogates, code
// points above U+10FFFF; for ASCII: any byte above 0x7F) or cStr is null.
CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr,
                                      CFStringEncoding encoding);
CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation);
// Writes the text and a terminating zero; false (and an empty buffer when
// bufferSize > 0) when it does not fit or a character has no form in the encoding.
Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding);
// The string's own zero-terminated UTF-8 bytes (also for ASCII when the text
// is plain ASCII); null otherwise. Valid while the string lives.
const char* CFStringGetCStringPtr(CFStringRef string, CFStringEncoding encoding);
// Length in UTF-16 code units.
CFIndex CFStringGetLength(CFStringRef string);
CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding);
// Orders by Unicode code point.
CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFOptionFlags options);
// An immortal, shared string for a literal; never released.
CFStringRef CFStringMakeConstantString(const char* utf8);
#define CFSTR(literal) CFStringMakeConstantString("" literal "")

// ---------------------------------------------------------------------------
// Data

CFDataRef CFDataCreate(CFAllocatorRef alloc, const UInt8* bytes, CFIndex length);
// capacity 0: no limit; otherwise the data never grows beyond capacity bytes
// (appends that would exceed it are refused).
CFMutableDataRef CFDataCreateMutable(CFAllocatorRef alloc, CFIndex capacity);
void CFDataAppendBytes(CFMutableDataRef data, const UInt8* bytes, CFIndex length);
void CFDataSetLength(CFMutableDataRef data, CFIndex length);  // new bytes are zero
CFIndex CFDataGetLength(CFDataRef data);
const UInt8* CFDataGetBytePtr(CFDataRef data);  // null when empty
UInt8* CFDataGetMutableBytePtr(CFMutableDataRef data);

// ---------------------------------------------------------------------------
// Numbers and booleans

enum CFNumberType {
  kCFNumberSInt8Type = 1,
  kCFNumberSInt16Type = 2,
  kCFNumberSInt32Type = 3,
  kCFNumberSInt64Type = 4,
  kCFNumberFloat32Type = 5,
  kCFNumberFloat64Type = 6,
  kCFNumberCharType = 7,
  kCFNumberShortType = 8,
  kCFNumberIntType = 9,
  kCFNumberLongType = 10,
  kCFNumberLongLongType = 11,
  kCFNumberFloatType = 12,
  kCFNumberDoubleType = 13,
  kCFNumberCFIndexType = 14,
};

CFNumberRef CFNumberCreate(CFAllocatorRef alloc, CFNumberType type, const void* valuePtr);
// Converts to the asked type (saturating); true when no value was lost.
Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* valuePtr);
CFNumberType CFNumberGetType(CFNumberRef number);
Boolean CFNumberIsFloatType(CFNumberRef number);

extern const CFBooleanRef kCFBooleanTrue;
extern const CFBooleanRef kCFBooleanFalse;
Boolean CFBooleanGetValue(CFBooleanRef boolean);

// ---------------------------------------------------------------------------
// Arrays and dictionaries
//
// With the CF-type call-backs a collection retains what it holds and compares
// keys by CFEqual; with null call-backs it keeps raw pointers and compares
// keys by address.

struct CFArrayCallBacks {
  CFIndex version;
  Boolean cfTypes;
};
struct CFDictionaryKeyCallBacks {
  CFIndex version;
  Boolean cfTypes;
};
struct CFDictionaryValueCallBacks {
  CFIndex version;
  Boolean cfTypes;
};
extern const CFArrayCallBacks kCFTypeArrayCallBacks;
extern const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks;
extern const CFDictionaryKeyCallBacks kCFCopyStringDictionaryKeyCallBacks;
extern const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks;

CFArrayRef CFArrayCreate(CFAllocatorRef alloc, const void** values, CFIndex numValues,
                         const CFArrayCallBacks* callBacks);
CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef alloc, CFIndex capacity,
                                       const CFArrayCallBacks* callBacks);
void CFArrayAppendValue(CFMutableArrayRef array, const void* value);
CFIndex CFArrayGetCount(CFArrayRef array);
const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index);  // null out of range

CFDictionaryRef CFDictionaryCreate(CFAllocatorRef alloc, const void** keys, const void** values,
                                   CFIndex numValues, const CFDictionaryKeyCallBacks* keyCallBacks,
                                   const CFDictionaryValueCallBacks* valueCallBacks);
CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef alloc, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks);
// Adds or replaces.
void CFDictionarySetValue(CFMutableDictionaryRef dict, const void* key, const void* value);
// Adds only when the key is absent.
void CFDictionaryAddValue(CFMutableDictionaryRef dict, const void* key, const void* value);
void CFDictionaryRemoveValue(CFMutableDictionaryRef dict, const void* key);
const void* CFDictionaryGetValue(CFDictionaryRef dict, const void* key);
Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef dict, const void* key, const void** value);
Boolean CFDictionaryContainsKey(CFDictionaryRef dict, const void* key);
CFIndex CFDictionaryGetCount(CFDictionaryRef dict);
// Fills the arrays (each of CFDictionaryGetCount entries, either may be null)
// in insertion order.
void CFDictionaryGetKeysAndValues(CFDictionaryRef dict, const void** keys, const void** values);

// ---------------------------------------------------------------------------
// File URLs

enum CFURLPathStyle { kCFURLPOSIXPathStyle = 0 };

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef alloc, CFStringRef filePath,
                                       CFURLPathStyle pathStyle, Boolean isDirectory);
CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle pathStyle);
Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, UInt8* buffer,
                                         CFIndex maxBufLen);
