#pragma once
// Fixed-width scalar names of the macOS programming interfaces, shared by the
// CoreFoundation and Audio Unit stand-ins.

#include <cstdint>

typedef unsigned char Boolean;
typedef uint8_t UInt8;
typedef int8_t SInt8;
typedef uint16_t UInt16;
typedef int16_t SInt16;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef uint64_t UInt64;
typedef int64_t SInt64;
typedef float Float32;
typedef double Float64;

typedef int32_t OSStatus;
typedef uint32_t OSType;  // four-character code, first character in the top byte

constexpr OSStatus noErr = 0;
