#pragma once
// The saved state of an Audio Unit as an XML property list in the shape a
// macOS host writes to an ".aupreset" file: a dictionary with the component's
// type, subtype and manufacturer codes, a version, a name and the parameter
// data, plus whatever keys the unit adds (this instrument adds its state chunk
// as data under "mChunkData").

#include <cstdint>
#include <string>
#include <vector>

// One property-list value. Dictionaries keep their keys in order.
struct PLIST_VALUE {
  enum Kind { kString, kInteger, kReal, kBool, kData, kDict, kArray };

  Kind kind = kDict;
  std::string text;              // kString
  int64_t integer = 0;           // kInteger
  double real = 0.0;             // kReal
  bool flag = false;             // kBool
  std::vector<uint8_t> bytes;    // kData
  std::vector<std::string> keys; // kDict: keys, parallel to items
  std::vector<PLIST_VALUE> items;// kDict values or kArray elements

  static PLIST_VALUE String(const std::string& s);
  static PLIST_VALUE Integer(int64_t i);
  static PLIST_VALUE Real(double r);
  static PLIST_VALUE Bool(bool b);
  static PLIST_VALUE Data(const std::vector<uint8_t>& b);
  static PLIST_VALUE Dict();
  static PLIST_VALUE Array();

  // Dictionary access: the value under `key`, or null. Set replaces an
  // existing key in place or appends a new one.
  const PLIST_VALUE* Find(const std::string& key) const;
  void Set(const std::string& key, const PLIST_VALUE& value);
};

bool operator==(const PLIST_VALUE& a, const PLIST_VALUE& b);
inline bool operator!=(const PLIST_VALUE& a, const PLIST_VALUE& b) { return !(a == b); }

class CAuPresetFile {
 public:
  // Parses an XML property list held in memory. `name` names the source in
  // the error line.
  static bool Parse(const std::string& xml, const std::string& name, PLIST_VALUE& root,
                    std::string& error);
  // The XML text of a property list.
  static bool Format(const PLIST_VALUE& root, std::string& xml);

  // Checks that a parsed list has the shape of a saved unit state: a
  // dictionary with integers "type", "subtype", "manufacturer" and "version",
  // the string "name" and the data item "data".
  static bool CheckStateShape(const PLIST_VALUE& root, std::string& problem);

  // Reads and checks a state file. On failure `state` is unchanged and
  // `error` holds one line naming the file and the problem.
  static bool Read(const char* path, PLIST_VALUE& state, std::string& error);
  // Writes a state file (nothing is left behind on failure).
  static bool Write(const char* path, const PLIST_VALUE& state, std::string& error);

  // Four-character codes as the integers a state stores ('aumu' etc.).
  static int64_t FourCharCode(const char code[4]);
};
