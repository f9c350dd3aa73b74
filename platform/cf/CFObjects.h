#pragma once
// Inside of the CoreFoundation stand-in: the object records behind the
// opaque references. Only the stand-in's own sources include this.

#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "platform/cf/CoreFoundation.h"

enum CFKnownTypeID : CFTypeID {
  kCFTypeIDString = 7,
  kCFTypeIDData,
  kCFTypeIDNumber,
  kCFTypeIDBoolean,
  kCFTypeIDArray,
  kCFTypeIDDictionary,
  kCFTypeIDURL,
};

// Common head of every object. The derived records inherit from it first and
// only, so a reference and a pointer to this head are the same address.
struct CFObject {
  CFObject(CFTypeID typeID, bool immortal) : typeID(typeID), immortal(immortal) {}
  virtual ~CFObject() {}

  const CFTypeID typeID;
  const bool immortal;
  std::atomic<CFIndex> refCount{1};
};

struct OpaqueCFString : CFObject {
  explicit OpaqueCFString(std::string text, bool immortal = false)
      : CFObject(kCFTypeIDString, immortal), utf8(std::move(text)) {}
  std::string utf8;  // always valid UTF-8
};

struct OpaqueCFData : CFObject {
  OpaqueCFData(bool isMutable, CFIndex capacity)
      : CFObject(kCFTypeIDData, false), isMutable(isMutable), capacity(capacity) {}
  const bool isMutable;
  const CFIndex capacity;  // 0: unlimited
  std::vector<UInt8> bytes;
};

struct OpaqueCFNumber : CFObject {
  OpaqueCFNumber() : CFObject(kCFTypeIDNumber, false) {}
  CFNumberType type = kCFNumberSInt32Type;
  bool isFloat = false;
  SInt64 i = 0;
  double d = 0.0;
};

struct OpaqueCFBoolean : CFObject {
  explicit OpaqueCFBoolean(bool value) : CFObject(kCFTypeIDBoolean, true), value(value) {}
  const bool value;
};

struct OpaqueCFArray : CFObject {
  OpaqueCFArray(bool isMutable, bool cfTypes)
      : CFObject(kCFTypeIDArray, false), isMutable(isMutable), cfTypes(cfTypes) {}
  ~OpaqueCFArray() override;
  const bool isMutable;
  const bool cfTypes;
  std::vector<const void*> items;
};

struct OpaqueCFDictionary : CFObject {
  OpaqueCFDictionary(bool isMutable, bool cfKeys, bool cfValues)
      : CFObject(kCFTypeIDDictionary, false),
        isMutable(isMutable),
        cfKeys(cfKeys),
        cfValues(cfValues) {}
  ~OpaqueCFDictionary() override;
  const bool isMutable;
  const bool cfKeys;
  const bool cfValues;
  std::vector<std::pair<const void*, const void*>> entries;  // insertion order
};

struct OpaqueCFURL : CFObject {
  explicit OpaqueCFURL(std::string path) : CFObject(kCFTypeIDURL, false), path(std::move(path)) {}
  std::string path;  // POSIX path, UTF-8
};

// The object behind a reference when it is of the given kind, else null.
template <class T>
inline T* CFCast(const void* ref, CFTypeID typeID) {
  if (!ref) return nullptr;
  const CFObject* object = static_cast<const CFObject*>(ref);
  if (object->typeID != typeID) return nullptr;
  return const_cast<T*>(static_cast<const T*>(object));
}
