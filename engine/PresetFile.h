#pragma once
// Preset files (".p": a whole preset with the oscillators' loaded samples
// and an author), module-preset files (".mp": the block of one section) and
// oscillator wavetable files (".wav": a user wavetable, or a 12-byte
// reference to a built-in wave). The object holds the image of the last file
// read or written, with its version, kind, author, name and path; the editor
// hands the image to the engine with ICommandHandler::LoadPreset after a
// successful load, or fills it with ICommandHandler::SavePreset before a
// save.
//
// A load reads and checks the whole file before anything changes: a file
// that is short, damaged or of an unknown version changes neither this
// object nor the engine. Samples stored in a preset reach the engine through
// the command handler only once the whole file has read well. A save writes
// a temporary file next to the target and renames it over the target only
// when every byte was written.

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "engine/SynthTypes.h"

class IGlobalSynth;
class ICommandHandler;

// Path values that stand for the user's default preset and the factory
// preset.
extern const char PRESET_LOAD_FROM_DEFAULT_PRESET[];  // "?"
extern const char PRESET_LOAD_FACTORY_RESET[];        // "??"

// Words that mark the oscillator sample blocks of a preset file.
const unsigned int CHUNK_SIGANTURE_V2 = 0x63ADEECD;
const unsigned int CHUNK_CONTROL_WORD_V2 = 0x3B2AC934;

// Why the last load failed.
enum PRESET_LOAD_ERROR {
  PRESET_LOAD_OK = 0,
  PRESET_LOAD_CANNOT_OPEN,       // no such file, no access, not a regular file, path too long
  PRESET_LOAD_TOO_SHORT,         // shorter than the version and kind words
  PRESET_LOAD_BAD_VERSION,       // the first word is no known preset version
  PRESET_LOAD_BAD_KIND,          // a kind no preset file holds
  PRESET_LOAD_BAD_SAMPLE_BLOCK,  // an oscillator sample block is damaged or cut off
  PRESET_LOAD_SHORT_BODY,        // the author or the parameter block is cut off
  PRESET_LOAD_OUT_OF_MEMORY,
  PRESET_LOAD_NOT_WHOLE,         // a module preset where a whole preset was asked for
  PRESET_LOAD_SAMPLE_REFUSED,    // the engine could not take a sample
};

class CPresetFile {
 public:
  static const unsigned int PATH_BUFFER_SIZE = 2048;
  static const unsigned int AUTHOR_BYTES = 24;
  static const unsigned int SAMPLE_NAME_BYTES = 16;
  static const unsigned int OSC_MODE_SAMPLE = 56;

  // synth gives the default preset path; it may be null (no default).
  explicit CPresetFile(IGlobalSynth* synth);
  ~CPresetFile();
  CPresetFile(const CPresetFile&) = delete;
  CPresetFile& operator=(const CPresetFile&) = delete;

  // Fills the buffer with the factory preset (author "Factory reset", name
  // "Default") or with the user's default preset, falling back to the
  // factory preset when there is none or it cannot be loaded as a whole
  // preset. The kind becomes 0; the path field is not changed.
  void Reset(ICommandHandler* handler, bool factory);

  // Reads a file, or "?" / "??", into the buffer. A null path asks with the
  // open dialog (cancelled: false). A path ending in ".wav" is read as a
  // wavetable. A preset file's samples go to the engine through handler
  // (when not null); a preset file without samples sets the oscillators'
  // root pitches to 60 and keeps their samples.
  // The open dialog starts in folder (when given).
  bool LoadFromFile(ICommandHandler* handler, const char* path, const char* filter, const char* extension,
                    const char* folder = nullptr);

  // Why the last LoadFromFile or LoadFromMemory of a preset file failed
  // (PRESET_LOAD_OK after a success), and a short text for it.
  PRESET_LOAD_ERROR GetLoadError() const { return m_loadError; }
  static const char* DescribeLoadError(PRESET_LOAD_ERROR error);

  // The same reader on a file image already in memory (path names it: the
  // preset name is taken from it).
  bool LoadFromMemory(ICommandHandler* handler, const void* data, size_t size, const char* path);

  // Writes the first size bytes of the buffer as a file of the kind; with
  // a null path it asks with the save dialog. A path ending in ".wav" writes
  // the buffer's first 16,384 floats as a wavetable whatever the kind.
  // Returns true only when the whole file was written.
  bool SaveToFile(ICommandHandler* handler, unsigned int kind, unsigned int size, const char* path,
                  const char* folder, const char* filter, const char* extension, const char* fileName);

  // Why the last SaveToFile or SaveWaveTable failed: one line naming the
  // file and the problem; empty when it succeeded or the dialog was
  // cancelled.
  const std::string& GetSaveError() const { return m_saveError; }

  // The bytes SaveToFile would write for a preset or module-preset file.
  bool SaveToMemory(ICommandHandler* handler, unsigned int kind, unsigned int size,
                    std::vector<unsigned char>& image);

  // A 12-byte built-in wave reference (kind 17, buffer word 0 = the wave
  // number) or a user wavetable WAV (kind 16: 16,384 samples and the 16-byte
  // name at byte 65,536).
  bool LoadWaveTable(const char* path);
  bool SaveWaveTable(const char* path);

  SYNTH_PRESET* GetBuffer() { return m_buffer; }
  unsigned int GetVersion() const { return m_version; }
  unsigned int GetKind() const { return m_kind; }
  // The preset's author, name and path are read by the host's thread (its
  // state chunk and preset image) while the editor's thread loads or saves:
  // they are copied in and out under a lock of their own.
  std::string GetAuthor() const;
  std::string GetName() const;
  std::string GetPath() const;
  void SetAuthor(const std::string& author);
  void SetName(const std::string& name);
  void SetPath(const std::string& path);

 private:
  struct PARSED;
  class CReader;
  class CFileReader;
  class CMemoryReader;

  // Reads a whole file into parsed; false when anything is missing or
  // invalid. Touches neither this object nor the engine.
  bool _Parse(CReader& reader, PARSED& parsed);
  // Hands the parsed samples to the engine and takes the image over.
  bool _Commit(ICommandHandler* handler, PARSED& parsed, const char* path);
  // A preset file path (not "?", "??" or ".wav"); wholeOnly refuses every
  // kind but a whole preset.
  bool _LoadPresetPath(ICommandHandler* handler, const char* path, bool wholeOnly);
  bool _LoadPresetPathChecked(ICommandHandler* handler, const char* path, bool wholeOnly);
  // Writes a preset or module-preset file's bytes to a file or memory writer.
  template <typename WRITER>
  void _WriteImage(WRITER& out, ICommandHandler* handler, unsigned int kind, unsigned int size);
  bool _LoadDefault(ICommandHandler* handler);

  IGlobalSynth* m_synth;
  SYNTH_PRESET* m_buffer;
  unsigned int m_version = PRESET_VERSION_V3;
  unsigned int m_kind = 0;
  mutable std::mutex m_textLock;
  std::string m_author;
  std::string m_name;
  std::string m_path;
  std::string m_saveError;
  // Nesting guard of Reset: a default preset path never leads back into it.
  bool m_inDefault = false;
  PRESET_LOAD_ERROR m_loadError = PRESET_LOAD_OK;
};
