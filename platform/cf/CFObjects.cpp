// Reference counting, equality and the non-string kinds of the CoreFoundation
// stand-in.

#include "platform/cf/CFObjects.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

// ---------------------------------------------------------------------------
// Every object

CFTypeRef CFRetain(CFTypeRef object) {
  if (!object) return nullptr;
  const CFObject* o = static_cast<const CFObject*>(object);
  if (!o->immortal) const_cast<CFObject*>(o)->refCount.fetch_add(1, std::memory_order_relaxed);
  return object;
}

void CFRelease(CFTypeRef object) {
  if (!object) return;
  CFObject* o = const_cast<CFObject*>(static_cast<const CFObject*>(object));
  if (o->immortal) return;
  if (o->refCount.fetch_sub(1, std::memory_order_acq_rel) == 1) delete o;
}

CFIndex CFGetRetainCount(CFTypeRef object) {
  if (!object) return 0;
  const CFObject* o = static_cast<const CFObject*>(object);
  return o->immortal ? LONG_MAX : o->refCount.load(std::memory_order_relaxed);
}

CFTypeID CFGetTypeID(CFTypeRef object) {
  return object ? static_cast<const CFObject*>(object)->typeID : 0;
}

namespace {

// Numbers compare by value whether stored as integer or float.
bool NumbersEqual(const OpaqueCFNumber* a, const OpaqueCFNumber* b) {
  if (!a->isFloat && !b->isFloat) return a->i == b->i;
  double x = a->isFloat ? a->d : static_cast<double>(a->i);
  double y = b->isFloat ? b->d : static_cast<double>(b->i);
  return x == y;
}

bool ItemsEqual(const void* a, const void* b, bool cfTypes) {
  return cfTypes ? CFEqual(a, b) != 0 : a == b;
}

}  // namespace

Boolean CFEqual(CFTypeRef a, CFTypeRef b) {
  if (a == b) return a != nullptr;
  if (!a || !b) return false;
  CFTypeID type = CFGetTypeID(a);
  if (type != CFGetTypeID(b)) return false;
  switch (type) {
    case kCFTypeIDString:
      return CFCast<OpaqueCFString>(a, type)->utf8 == CFCast<OpaqueCFString>(b, type)->utf8;
    case kCFTypeIDData:
      return CFCast<OpaqueCFData>(a, type)->bytes == CFCast<OpaqueCFData>(b, type)->bytes;
    case kCFTypeIDNumber:
      return NumbersEqual(CFCast<OpaqueCFNumber>(a, type), CFCast<OpaqueCFNumber>(b, type));
    case kCFTypeIDBoolean:
      return CFCast<OpaqueCFBoolean>(a, type)->value == CFCast<OpaqueCFBoolean>(b, type)->value;
    case kCFTypeIDURL:
      return CFCast<OpaqueCFURL>(a, type)->path == CFCast<OpaqueCFURL>(b, type)->path;
    case kCFTypeIDArray: {
      const OpaqueCFArray* x = CFCast<OpaqueCFArray>(a, type);
      const OpaqueCFArray* y = CFCast<OpaqueCFArray>(b, type);
      if (x->items.size() != y->items.size()) return false;
      for (size_t k = 0; k < x->items.size(); ++k)
        if (!ItemsEqual(x->items[k], y->items[k], x->cfTypes && y->cfTypes)) return false;
      return true;
    }
    case kCFTypeIDDictionary: {
      const OpaqueCFDictionary* x = CFCast<OpaqueCFDictionary>(a, type);
      const OpaqueCFDictionary* y = CFCast<OpaqueCFDictionary>(b, type);
      if (x->entries.size() != y->entries.size()) return false;
      for (const auto& e : x->entries) {
        const void* other = nullptr;
        if (!CFDictionaryGetValueIfPresent(y, e.first, &other)) return false;
        if (!ItemsEqual(e.second, other, x->cfValues && y->cfValues)) return false;
      }
      return true;
    }
    default:
      return false;
  }
}

CFHashCode CFHash(CFTypeRef object) {
  switch (CFGetTypeID(object)) {
    case kCFTypeIDString:
      return std::hash<std::string>()(CFCast<OpaqueCFString>(object, kCFTypeIDString)->utf8);
    case kCFTypeIDNumber: {
      const OpaqueCFNumber* n = CFCast<OpaqueCFNumber>(object, kCFTypeIDNumber);
      return std::hash<double>()(n->isFloat ? n->d : static_cast<double>(n->i));
    }
    case kCFTypeIDData: {
      const OpaqueCFData* d = CFCast<OpaqueCFData>(object, kCFTypeIDData);
      return std::hash<std::string>()(std::string(d->bytes.begin(), d->bytes.end()));
    }
    case kCFTypeIDArray:
      return static_cast<CFHashCode>(CFArrayGetCount(static_cast<CFArrayRef>(object)));
    case kCFTypeIDDictionary:
      return static_cast<CFHashCode>(CFDictionaryGetCount(static_cast<CFDictionaryRef>(object)));
    default:
      return std::hash<const void*>()(object);
  }
}

// ---------------------------------------------------------------------------
// Data

CFTypeID CFDataGetTypeID() { return kCFTypeIDData; }

static OpaqueCFData* DataOf(const void* d) { return CFCast<OpaqueCFData>(d, kCFTypeIDData); }

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8* bytes, CFIndex length) {
  if (length < 0 || (!bytes && length > 0)) return nullptr;
  OpaqueCFData* d = new OpaqueCFData(false, 0);
  if (length > 0) d->bytes.assign(bytes, bytes + length);
  return d;
}

CFMutableDataRef CFDataCreateMutable(CFAllocatorRef, CFIndex capacity) {
  if (capacity < 0) return nullptr;
  return new OpaqueCFData(true, capacity);
}

void CFDataAppendBytes(CFMutableDataRef data, const UInt8* bytes, CFIndex length) {
  OpaqueCFData* d = DataOf(data);
  if (!d || !d->isMutable || !bytes || length <= 0) return;
  if (d->capacity > 0 && length > d->capacity - static_cast<CFIndex>(d->bytes.size())) return;
  d->bytes.insert(d->bytes.end(), bytes, bytes + length);
}

void CFDataSetLength(CFMutableDataRef data, CFIndex length) {
  OpaqueCFData* d = DataOf(data);
  if (!d || !d->isMutable || length < 0) return;
  if (d->capacity > 0 && length > d->capacity) return;
  d->bytes.resize(static_cast<size_t>(length), 0);
}

CFIndex CFDataGetLength(CFDataRef data) {
  OpaqueCFData* d = DataOf(data);
  return d ? static_cast<CFIndex>(d->bytes.size()) : 0;
}

const UInt8* CFDataGetBytePtr(CFDataRef data) {
  OpaqueCFData* d = DataOf(data);
  return d && !d->bytes.empty() ? d->bytes.data() : nullptr;
}

UInt8* CFDataGetMutableBytePtr(CFMutableDataRef data) {
  OpaqueCFData* d = DataOf(data);
  return d && d->isMutable && !d->bytes.empty() ? d->bytes.data() : nullptr;
}

// ---------------------------------------------------------------------------
// Numbers

CFTypeID CFNumberGetTypeID() { return kCFTypeIDNumber; }

namespace {

bool IsFloatType(CFNumberType type) {
  return type == kCFNumberFloat32Type || type == kCFNumberFloat64Type ||
         type == kCFNumberFloatType || type == kCFNumberDoubleType;
}

// Byte width of an integer type; 0 for unknown types.
size_t IntWidth(CFNumberType type) {
  switch (type) {
    case kCFNumberSInt8Type:
    case kCFNumberCharType:
      return 1;
    case kCFNumberSInt16Type:
    case kCFNumberShortType:
      return 2;
    case kCFNumberSInt32Type:
    case kCFNumberIntType:
      return 4;
    case kCFNumberSInt64Type:
    case kCFNumberLongLongType:
      return 8;
    case kCFNumberLongType:
    case kCFNumberCFIndexType:
      return sizeof(long);
    default:
      return 0;
  }
}

SInt64 IntMin(size_t width) { return width >= 8 ? INT64_MIN : -(SInt64(1) << (width * 8 - 1)); }
SInt64 IntMax(size_t width) { return width >= 8 ? INT64_MAX : (SInt64(1) << (width * 8 - 1)) - 1; }

void StoreInt(void* out, size_t width, SInt64 v) {
  switch (width) {
    case 1: {
      SInt8 x = static_cast<SInt8>(v);
      memcpy(out, &x, 1);
      break;
    }
    case 2: {
      SInt16 x = static_cast<SInt16>(v);
      memcpy(out, &x, 2);
      break;
    }
    case 4: {
      SInt32 x = static_cast<SInt32>(v);
      memcpy(out, &x, 4);
      break;
    }
    default:
      memcpy(out, &v, 8);
      break;
  }
}

}  // namespace

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType type, const void* valuePtr) {
  if (!valuePtr) return nullptr;
  OpaqueCFNumber* n = nullptr;
  if (type == kCFNumberFloat32Type || type == kCFNumberFloatType) {
    float f;
    memcpy(&f, valuePtr, sizeof(f));
    n = new OpaqueCFNumber;
    n->isFloat = true;
    n->d = f;
  } else if (type == kCFNumberFloat64Type || type == kCFNumberDoubleType) {
    n = new OpaqueCFNumber;
    n->isFloat = true;
    memcpy(&n->d, valuePtr, sizeof(double));
  } else {
    size_t width = IntWidth(type);
    if (!width) return nullptr;
    n = new OpaqueCFNumber;
    switch (width) {
      case 1: n->i = *static_cast<const SInt8*>(valuePtr); break;
      case 2: { SInt16 x; memcpy(&x, valuePtr, 2); n->i = x; break; }
      case 4: { SInt32 x; memcpy(&x, valuePtr, 4); n->i = x; break; }
      default: memcpy(&n->i, valuePtr, 8); break;
    }
  }
  n->type = type;
  return n;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* valuePtr) {
  const OpaqueCFNumber* n = CFCast<OpaqueCFNumber>(number, kCFTypeIDNumber);
  if (!n || !valuePtr) return false;
  if (IsFloatType(type)) {
    double v = n->isFloat ? n->d : static_cast<double>(n->i);
    // Integers beyond 2^53 may not survive the trip through a double.
    bool exact = n->isFloat || (std::fabs(v) < 9.2e18 && static_cast<SInt64>(v) == n->i);
    if (type == kCFNumberFloat32Type || type == kCFNumberFloatType) {
      float f = static_cast<float>(v);
      if (std::isfinite(v) && std::fabs(v) > std::numeric_limits<float>::max())
        f = v > 0 ? std::numeric_limits<float>::max() : -std::numeric_limits<float>::max();
      memcpy(valuePtr, &f, sizeof(f));
      return exact && (static_cast<double>(f) == v || std::isnan(v));
    }
    memcpy(valuePtr, &v, sizeof(v));
    return exact;
  }
  size_t width = IntWidth(type);
  if (!width) return false;
  SInt64 lo = IntMin(width), hi = IntMax(width);
  SInt64 v;
  bool exact = true;
  if (n->isFloat) {
    double d = n->d;
    if (std::isnan(d)) {
      v = 0;
      exact = false;
    } else if (d <= static_cast<double>(lo)) {
      v = lo;
      exact = d == static_cast<double>(lo);
    } else if (d >= static_cast<double>(hi)) {
      v = hi;
      exact = false;
    } else {
      v = static_cast<SInt64>(d);
      exact = static_cast<double>(v) == d;
    }
  } else {
    v = n->i < lo ? lo : n->i > hi ? hi : n->i;
    exact = v == n->i;
  }
  StoreInt(valuePtr, width, v);
  return exact;
}

CFNumberType CFNumberGetType(CFNumberRef number) {
  const OpaqueCFNumber* n = CFCast<OpaqueCFNumber>(number, kCFTypeIDNumber);
  return n ? n->type : kCFNumberSInt32Type;
}

Boolean CFNumberIsFloatType(CFNumberRef number) {
  const OpaqueCFNumber* n = CFCast<OpaqueCFNumber>(number, kCFTypeIDNumber);
  return n && n->isFloat;
}

// ---------------------------------------------------------------------------
// Booleans

CFTypeID CFBooleanGetTypeID() { return kCFTypeIDBoolean; }

static OpaqueCFBoolean g_true(true);
static OpaqueCFBoolean g_false(false);
const CFBooleanRef kCFBooleanTrue = &g_true;
const CFBooleanRef kCFBooleanFalse = &g_false;

Boolean CFBooleanGetValue(CFBooleanRef boolean) {
  const OpaqueCFBoolean* b = CFCast<OpaqueCFBoolean>(boolean, kCFTypeIDBoolean);
  return b && b->value;
}

// ---------------------------------------------------------------------------
// Arrays

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, true};
const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {0, true};
const CFDictionaryKeyCallBacks kCFCopyStringDictionaryKeyCallBacks = {0, true};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {0, true};

CFTypeID CFArrayGetTypeID() { return kCFTypeIDArray; }

OpaqueCFArray::~OpaqueCFArray() {
  if (cfTypes)
    for (const void* item : items) CFRelease(item);
}

static OpaqueCFArray* ArrayOf(const void* a) { return CFCast<OpaqueCFArray>(a, kCFTypeIDArray); }

CFArrayRef CFArrayCreate(CFAllocatorRef, const void** values, CFIndex numValues,
                         const CFArrayCallBacks* callBacks) {
  if (numValues < 0 || (!values && numValues > 0)) return nullptr;
  bool cfTypes = callBacks && callBacks->cfTypes;
  OpaqueCFArray* a = new OpaqueCFArray(false, cfTypes);
  for (CFIndex k = 0; k < numValues; ++k) {
    if (cfTypes) CFRetain(values[k]);
    a->items.push_back(values[k]);
  }
  return a;
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef, CFIndex capacity,
                                       const CFArrayCallBacks* callBacks) {
  if (capacity < 0) return nullptr;
  return new OpaqueCFArray(true, callBacks && callBacks->cfTypes);
}

void CFArrayAppendValue(CFMutableArrayRef array, const void* value) {
  OpaqueCFArray* a = ArrayOf(array);
  if (!a || !a->isMutable) return;
  if (a->cfTypes) CFRetain(value);
  a->items.push_back(value);
}

CFIndex CFArrayGetCount(CFArrayRef array) {
  OpaqueCFArray* a = ArrayOf(array);
  return a ? static_cast<CFIndex>(a->items.size()) : 0;
}

const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index) {
  OpaqueCFArray* a = ArrayOf(array);
  if (!a || index < 0 || index >= static_cast<CFIndex>(a->items.size())) return nullptr;
  return a->items[static_cast<size_t>(index)];
}

// ---------------------------------------------------------------------------
// Dictionaries

CFTypeID CFDictionaryGetTypeID() { return kCFTypeIDDictionary; }

OpaqueCFDictionary::~OpaqueCFDictionary() {
  for (auto& e : entries) {
    if (cfKeys) CFRelease(e.first);
    if (cfValues) CFRelease(e.second);
  }
}

namespace {

OpaqueCFDictionary* DictOf(const void* d) {
  return CFCast<OpaqueCFDictionary>(d, kCFTypeIDDictionary);
}

std::pair<const void*, const void*>* FindEntry(OpaqueCFDictionary* d, const void* key) {
  for (auto& e : d->entries)
    if (d->cfKeys ? CFEqual(e.first, key) != 0 : e.first == key) return &e;
  return nullptr;
}

void Put(OpaqueCFDictionary* d, const void* key, const void* value, bool replace) {
  auto* e = FindEntry(d, key);
  if (e) {
    if (!replace) return;
    if (d->cfValues) {
      CFRetain(value);  // before the release: value may be the one it replaces
      CFRelease(e->second);
    }
    e->second = value;
    return;
  }
  if (d->cfKeys) CFRetain(key);
  if (d->cfValues) CFRetain(value);
  d->entries.emplace_back(key, value);
}

}  // namespace

CFDictionaryRef CFDictionaryCreate(CFAllocatorRef, const void** keys, const void** values,
                                   CFIndex numValues, const CFDictionaryKeyCallBacks* keyCallBacks,
                                   const CFDictionaryValueCallBacks* valueCallBacks) {
  if (numValues < 0 || ((!keys || !values) && numValues > 0)) return nullptr;
  OpaqueCFDictionary* d =
      new OpaqueCFDictionary(false, keyCallBacks && keyCallBacks->cfTypes,
                             valueCallBacks && valueCallBacks->cfTypes);
  for (CFIndex k = 0; k < numValues; ++k) Put(d, keys[k], values[k], true);
  return d;
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks) {
  if (capacity < 0) return nullptr;
  return new OpaqueCFDictionary(true, keyCallBacks && keyCallBacks->cfTypes,
                                valueCallBacks && valueCallBacks->cfTypes);
}

void CFDictionarySetValue(CFMutableDictionaryRef dict, const void* key, const void* value) {
  OpaqueCFDictionary* d = DictOf(dict);
  if (d && d->isMutable && key) Put(d, key, value, true);
}

void CFDictionaryAddValue(CFMutableDictionaryRef dict, const void* key, const void* value) {
  OpaqueCFDictionary* d = DictOf(dict);
  if (d && d->isMutable && key) Put(d, key, value, false);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef dict, const void* key) {
  OpaqueCFDictionary* d = DictOf(dict);
  if (!d || !d->isMutable) return;
  auto* e = FindEntry(d, key);
  if (!e) return;
  std::pair<const void*, const void*> gone = *e;
  d->entries.erase(d->entries.begin() + (e - d->entries.data()));
  if (d->cfKeys) CFRelease(gone.first);
  if (d->cfValues) CFRelease(gone.second);
}

const void* CFDictionaryGetValue(CFDictionaryRef dict, const void* key) {
  const void* value = nullptr;
  CFDictionaryGetValueIfPresent(dict, key, &value);
  return value;
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef dict, const void* key, const void** value) {
  OpaqueCFDictionary* d = DictOf(dict);
  auto* e = d && key ? FindEntry(d, key) : nullptr;
  if (!e) return false;
  if (value) *value = e->second;
  return true;
}

Boolean CFDictionaryContainsKey(CFDictionaryRef dict, const void* key) {
  return CFDictionaryGetValueIfPresent(dict, key, nullptr);
}

CFIndex CFDictionaryGetCount(CFDictionaryRef dict) {
  OpaqueCFDictionary* d = DictOf(dict);
  return d ? static_cast<CFIndex>(d->entries.size()) : 0;
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef dict, const void** keys, const void** values) {
  OpaqueCFDictionary* d = DictOf(dict);
  if (!d) return;
  for (size_t k = 0; k < d->entries.size(); ++k) {
    if (keys) keys[k] = d->entries[k].first;
    if (values) values[k] = d->entries[k].second;
  }
}

// ---------------------------------------------------------------------------
// File URLs

CFTypeID CFURLGetTypeID() { return kCFTypeIDURL; }

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef filePath, CFURLPathStyle,
                                       Boolean isDirectory) {
  const OpaqueCFString* s = CFCast<OpaqueCFString>(filePath, kCFTypeIDString);
  if (!s) return nullptr;
  std::string path = s->utf8;
  if (isDirectory && (path.empty() || path.back() != '/')) path += '/';
  return new OpaqueCFURL(std::move(path));
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle) {
  const OpaqueCFURL* u = CFCast<OpaqueCFURL>(url, kCFTypeIDURL);
  if (!u) return nullptr;
  std::string path = u->path;
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  return new OpaqueCFString(std::move(path));
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8* buffer, CFIndex maxBufLen) {
  const OpaqueCFURL* u = CFCast<OpaqueCFURL>(url, kCFTypeIDURL);
  if (!u || !buffer || maxBufLen <= 0) return false;
  std::string path = u->path;
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  if (static_cast<CFIndex>(path.size()) + 1 > maxBufLen) return false;
  memcpy(buffer, path.c_str(), path.size() + 1);
  return true;
}
