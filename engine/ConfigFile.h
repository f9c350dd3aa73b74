#pragma once
// The settings file "config.bin": four user settings shared by all instances
// on the machine. Little-endian, no header:
//   u32 author length (0 = empty, else bytes + 1), author bytes + NUL,
//   u32 preset path length, path bytes + NUL,
//   u32 MIDI map path length, path bytes + NUL,
//   u8 record on MIDI input.
#include <cstddef>
#include <string>
#include <vector>

struct CONFIG_SETTINGS {
  std::string authorName;
  std::string presetPath;
  std::string midiMapPath;
  // Record on MIDI input: any non-zero byte is on. The byte is kept as read
  // so that rewriting a file without changing the flag keeps its bytes.
  unsigned char recordOnMidiInput = 1;
};

// Fields of CONFIG_SETTINGS as bits, to say which ones a save changes.
enum : unsigned int {
  CONFIG_FIELD_AUTHOR = 0x1,
  CONFIG_FIELD_PRESET_PATH = 0x2,
  CONFIG_FIELD_MIDI_MAP_PATH = 0x4,
  CONFIG_FIELD_RECORD_ON_MIDI = 0x8,
  CONFIG_FIELDS_ALL = 0xF,
};

namespace ConfigFile {

// Largest settings file that is read; anything after it counts as missing.
const size_t MAX_FILE_BYTES = 1u << 20;

// Reads settings from the bytes of a file. Fields are read in order as long as
// they are sound; a field that is missing or whose length runs past the end of
// the data, and every field after it, keeps its default (empty, flag on). An
// author that is not valid UTF-8 reads as empty. Never reads past n bytes.
CONFIG_SETTINGS Parse(const unsigned char* data, size_t n);

// The bytes of a settings file holding s.
std::vector<unsigned char> Serialize(const CONFIG_SETTINGS& s);

// Reads the file at path into s. Returns false (s = defaults) when the file
// cannot be opened or read.
bool Read(const std::string& path, CONFIG_SETTINGS& s);

// Writes s to path through a temporary file in the same folder that is then
// renamed over it, so readers see either the old or the new file, never a
// partial one. Every write is checked; returns false (the old file intact)
// on any failure.
bool Write(const std::string& path, const CONFIG_SETTINGS& s);

// Holds an exclusive lock on the folder of the settings file at path while
// it lives, so that a read-merge-write of the file by one instance never
// interleaves with another's, in this process (each lock opens the folder
// anew) or in any other. The folder itself is locked rather than the file:
// every write replaces the file by a rename, which a lock on the file would
// not survive. Without the folder (or where it cannot be locked) nothing is
// held and Held() is false; the caller goes on unlocked as before.
class CLock {
 public:
  explicit CLock(const std::string& path);
  ~CLock();
  CLock(const CLock&) = delete;
  CLock& operator=(const CLock&) = delete;
  bool Held() const { return m_fd >= 0; }

 private:
  int m_fd = -1;
};

}  // namespace ConfigFile
