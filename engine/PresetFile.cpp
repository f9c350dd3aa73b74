#include "engine/PresetFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "engine/FileUtils.h"
#include "engine/ICommandHandler.h"
#include "engine/IGlobalSynth.h"
#include "engine/ParamHandler.h"
#include "engine/ParamIds.h"
#include "engine/PresetKinds.h"
#include "engine/SafeFile.h"
#include "osc/WaveTable.h"
#include "tables/PresetFactory.h"
#include "platform/RegularFile.h"
#include "platform/Utf8.h"

const char PRESET_LOAD_FROM_DEFAULT_PRESET[] = "?";
const char PRESET_LOAD_FACTORY_RESET[] = "??";

namespace {

const unsigned int OSC_COUNT_IN_FILE = 4;
const unsigned int BODY_BYTES_V1 = 6148;
const unsigned int BODY_BYTES_V2 = 6420;
const unsigned int WAVE_REF_BYTES = 12;
const unsigned int DEFAULT_ROOT_PITCH = 60;
// Built-in waves are modes 0-54; mode 55 is the user wavetable.
const unsigned int BUILT_IN_WAVE_COUNT = 55;
const char WAVE_EXTENSION[] = ".wav";
const char FACTORY_AUTHOR[] = "Factory reset";
const char FACTORY_NAME[] = "Default";
const char UNKNOWN_AUTHOR[] = "Unknown author";

bool IsKnownVersion(unsigned int v) {
  return v == PRESET_VERSION_V1 || v == PRESET_VERSION_V2 || v == PRESET_VERSION_V3;
}

// Body length of a version: the longest body a file of it holds.
unsigned int BodyBytes(unsigned int version) {
  return version == PRESET_VERSION_V1 ? BODY_BYTES_V1 : version == PRESET_VERSION_V2 ? BODY_BYTES_V2 : PRESET_BYTES;
}

uint32_t Word(const unsigned char* b) {
  return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
         static_cast<uint32_t>(b[3]) << 24;
}

void PutWord(unsigned char* b, uint32_t w) {
  b[0] = static_cast<unsigned char>(w);
  b[1] = static_cast<unsigned char>(w >> 8);
  b[2] = static_cast<unsigned char>(w >> 16);
  b[3] = static_cast<unsigned char>(w >> 24);
}

float WordToFloat(uint32_t w) {
  float f;
  std::memcpy(&f, &w, sizeof(f));
  return f;
}

uint32_t FloatToWord(float f) {
  uint32_t w;
  std::memcpy(&w, &f, sizeof(w));
  return w;
}

bool IsWavePath(const char* path) { return FileUtils::HasExtension(path, WAVE_EXTENSION); }

// The preset writer over the shared safe file: the target is never left
// truncated and a failure is named in error.
class CSafeFileWriter {
 public:
  CSafeFileWriter(const std::string& path, std::string& error) : m_error(error) { m_file.Open(path, m_error); }
  bool IsOpen() const { return m_file.IsOpen(); }
  void Write(const void* data, size_t bytes) { m_file.Write(data, bytes); }
  void WriteWord(uint32_t w) {
    unsigned char b[4];
    PutWord(b, w);
    Write(b, 4);
  }
  // Writes floats in little-endian order.
  void WriteFloats(const float* data, size_t count) {
    unsigned char chunk[4096];
    while (count > 0) {
      const size_t n = count < sizeof(chunk) / 4 ? count : sizeof(chunk) / 4;
      for (size_t i = 0; i < n; ++i) PutWord(chunk + 4 * i, FloatToWord(data[i]));
      Write(chunk, 4 * n);
      data += n;
      count -= n;
    }
  }
  // False (target untouched) on any failure along the way.
  bool Finish() { return m_file.Commit(m_error); }

 private:
  CSafeFile m_file;
  std::string& m_error;
};

// The same writes into memory.
class CMemoryWriter {
 public:
  explicit CMemoryWriter(std::vector<unsigned char>& out) : m_out(out) {}
  void Write(const void* data, size_t bytes) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    if (bytes > 0) m_out.insert(m_out.end(), p, p + bytes);
  }
  void WriteWord(uint32_t w) {
    unsigned char b[4];
    PutWord(b, w);
    Write(b, 4);
  }
  void WriteFloats(const float* data, size_t count) {
    for (size_t i = 0; i < count; ++i) WriteWord(FloatToWord(data[i]));
  }

 private:
  std::vector<unsigned char>& m_out;
};

}  // namespace

const char* CPresetFile::DescribeLoadError(PRESET_LOAD_ERROR error) {
  switch (error) {
    case PRESET_LOAD_OK: return "no problem";
    case PRESET_LOAD_CANNOT_OPEN: return "cannot be opened";
    case PRESET_LOAD_TOO_SHORT: return "too short to be a preset file";
    case PRESET_LOAD_BAD_VERSION: return "wrong magic: not a preset file of a known version";
    case PRESET_LOAD_BAD_KIND: return "unknown preset kind";
    case PRESET_LOAD_BAD_SAMPLE_BLOCK: return "damaged oscillator sample block";
    case PRESET_LOAD_SHORT_BODY: return "cut short: the parameter block is incomplete";
    case PRESET_LOAD_OUT_OF_MEMORY: return "not enough memory to read it";
    case PRESET_LOAD_NOT_WHOLE: return "a module preset, not a whole preset";
    case PRESET_LOAD_SAMPLE_REFUSED: return "the engine could not take its samples";
  }
  return "unreadable";
}

// One oscillator sample block as read; the name has room for a terminator.
struct SAMPLE_BLOCK {
  bool isSample = false;
  char name[CPresetFile::SAMPLE_NAME_BYTES + 1] = {0};
  unsigned int loopStart = 0;
  unsigned int loopEnd = 0;
  unsigned int rootPitch = 0;
  float rate = 0.0f;
  unsigned int frames = 0;
  std::unique_ptr<float[]> left;
  std::unique_ptr<float[]> right;
};

struct CPresetFile::PARSED {
  PRESET_LOAD_ERROR error = PRESET_LOAD_OK;
  unsigned int version = 0;
  unsigned int kind = 0;
  bool hasSampleBlocks = false;
  SAMPLE_BLOCK samples[OSC_COUNT_IN_FILE];
  char author[AUTHOR_BYTES + 1] = {0};
  // The new image: the old buffer with the body read over its start.
  std::unique_ptr<SYNTH_PRESET> body;
};

// Sequential byte source that knows how much is left.
class CPresetFile::CReader {
 public:
  virtual ~CReader() = default;
  virtual bool Read(void* data, size_t bytes) = 0;
  // Moves back over bytes just read.
  virtual bool Back(size_t bytes) = 0;
  virtual uint64_t Remaining() const = 0;
  bool ReadWord(uint32_t& w) {
    unsigned char b[4];
    if (!Read(b, 4)) return false;
    w = Word(b);
    return true;
  }
  // count little-endian floats.
  bool ReadFloats(float* data, size_t count) {
    unsigned char chunk[4096];
    while (count > 0) {
      const size_t n = count < sizeof(chunk) / 4 ? count : sizeof(chunk) / 4;
      if (!Read(chunk, 4 * n)) return false;
      for (size_t i = 0; i < n; ++i) data[i] = WordToFloat(Word(chunk + 4 * i));
      data += n;
      count -= n;
    }
    return true;
  }
};

class CPresetFile::CFileReader : public CPresetFile::CReader {
 public:
  explicit CFileReader(const char* path) {
    m_file = Platform::OpenRegularFile(path);
    if (!m_file) return;
    struct stat st;
    if (fstat(fileno(m_file), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
      fclose(m_file);
      m_file = nullptr;
      return;
    }
    m_size = static_cast<uint64_t>(st.st_size);
  }
  ~CFileReader() override {
    if (m_file) fclose(m_file);
  }
  bool IsOpen() const { return m_file != nullptr; }
  bool Read(void* data, size_t bytes) override {
    if (bytes > Remaining() || fread(data, 1, bytes, m_file) != bytes) return false;
    m_pos += bytes;
    return true;
  }
  bool Back(size_t bytes) override {
    if (bytes > m_pos || fseeko(m_file, -static_cast<off_t>(bytes), SEEK_CUR) != 0) return false;
    m_pos -= bytes;
    return true;
  }
  uint64_t Remaining() const override { return m_pos < m_size ? m_size - m_pos : 0; }

 private:
  FILE* m_file = nullptr;
  uint64_t m_size = 0;
  uint64_t m_pos = 0;
};

class CPresetFile::CMemoryReader : public CPresetFile::CReader {
 public:
  CMemoryReader(const void* data, size_t size) : m_data(static_cast<const unsigned char*>(data)), m_size(size) {}
  bool Read(void* data, size_t bytes) override {
    if (bytes > m_size - m_pos) return false;
    if (bytes > 0) std::memcpy(data, m_data + m_pos, bytes);
    m_pos += bytes;
    return true;
  }
  bool Back(size_t bytes) override {
    if (bytes > m_pos) return false;
    m_pos -= bytes;
    return true;
  }
  uint64_t Remaining() const override { return m_size - m_pos; }

 private:
  const unsigned char* m_data;
  size_t m_size;
  size_t m_pos = 0;
};

CPresetFile::CPresetFile(IGlobalSynth* synth) : m_synth(synth), m_buffer(new SYNTH_PRESET()) { Reset(nullptr, true); }

CPresetFile::~CPresetFile() { delete m_buffer; }

std::string CPresetFile::GetAuthor() const {
  std::lock_guard<std::mutex> texts(m_textLock);
  return m_author;
}

std::string CPresetFile::GetName() const {
  std::lock_guard<std::mutex> texts(m_textLock);
  return m_name;
}

std::string CPresetFile::GetPath() const {
  std::lock_guard<std::mutex> texts(m_textLock);
  return m_path;
}

void CPresetFile::SetAuthor(const std::string& author) {
  std::lock_guard<std::mutex> texts(m_textLock);
  m_author = author;
}

void CPresetFile::SetName(const std::string& name) {
  std::lock_guard<std::mutex> texts(m_textLock);
  m_name = name;
}

void CPresetFile::SetPath(const std::string& path) {
  std::lock_guard<std::mutex> texts(m_textLock);
  m_path = path;
}

void CPresetFile::Reset(ICommandHandler* handler, bool factory) {
  if (factory || !_LoadDefault(handler)) {
    std::memcpy(m_buffer, &PRESET_FACTORY_RESET, PRESET_BYTES);
    m_version = PRESET_VERSION_V3;
    SetAuthor(FACTORY_AUTHOR);
    SetName(FACTORY_NAME);
  }
  m_kind = PRESET_KIND_SYNTH;
}

bool CPresetFile::_LoadDefault(ICommandHandler* handler) {
  // Only a real file counts as a default preset: an empty path, "?" or "??"
  // mean none (a default of "?" would otherwise load itself without end),
  // and the file must hold a whole preset.
  if (!m_synth || m_inDefault) return false;
  const std::string path = m_synth->GetDefaultPresetPath();
  if (path.empty() || path == PRESET_LOAD_FROM_DEFAULT_PRESET || path == PRESET_LOAD_FACTORY_RESET) return false;
  if (IsWavePath(path.c_str())) return false;
  m_inDefault = true;
  const std::string keepPath = GetPath();
  const bool ok = _LoadPresetPath(handler, path.c_str(), true);
  SetPath(keepPath);
  m_inDefault = false;
  return ok;
}

bool CPresetFile::LoadFromFile(ICommandHandler* handler, const char* path, const char* filter,
                               const char* extension, const char* folder) {
  char pathBuffer[PATH_BUFFER_SIZE] = {0};
  m_loadError = PRESET_LOAD_CANNOT_OPEN;
  if (path) {
    const size_t length = std::strlen(path);
    if (length >= PATH_BUFFER_SIZE) return false;
    std::memcpy(pathBuffer, path, length);
  } else if (!FileUtils::ShowLoadFileDialog(pathBuffer, PATH_BUFFER_SIZE, filter, extension, folder)) {
    return false;
  }
  pathBuffer[PATH_BUFFER_SIZE - 1] = 0;

  if (std::strcmp(pathBuffer, PRESET_LOAD_FROM_DEFAULT_PRESET) == 0) {
    Reset(handler, false);
    SetPath(std::string());
    m_loadError = PRESET_LOAD_OK;
    return true;
  }
  if (std::strcmp(pathBuffer, PRESET_LOAD_FACTORY_RESET) == 0) {
    Reset(handler, true);
    SetPath(std::string());
    m_loadError = PRESET_LOAD_OK;
    return true;
  }
  if (IsWavePath(pathBuffer)) {
    const bool ok = LoadWaveTable(pathBuffer);
    m_loadError = ok ? PRESET_LOAD_OK : PRESET_LOAD_CANNOT_OPEN;
    return ok;
  }
  return _LoadPresetPath(handler, pathBuffer, false);
}

bool CPresetFile::_LoadPresetPath(ICommandHandler* handler, const char* path, bool wholeOnly) {
  const PRESET_LOAD_ERROR outer = m_loadError;
  const bool ok = _LoadPresetPathChecked(handler, path, wholeOnly);
  // A default preset read on the way (Reset) does not hide the outcome of
  // the file asked for.
  if (m_inDefault) m_loadError = outer;
  return ok;
}

bool CPresetFile::_LoadPresetPathChecked(ICommandHandler* handler, const char* path, bool wholeOnly) {
  m_loadError = PRESET_LOAD_CANNOT_OPEN;
  CFileReader reader(path);
  if (!reader.IsOpen()) return false;
  PARSED parsed;
  const bool read = _Parse(reader, parsed);
  m_loadError = parsed.error;
  if (!read) return false;
  if (wholeOnly && parsed.kind != PRESET_KIND_SYNTH) {
    m_loadError = PRESET_LOAD_NOT_WHOLE;
    return false;
  }
  return _Commit(handler, parsed, path);
}

bool CPresetFile::LoadFromMemory(ICommandHandler* handler, const void* data, size_t size, const char* path) {
  m_loadError = PRESET_LOAD_TOO_SHORT;
  if (!data && size > 0) return false;
  CMemoryReader reader(data, size);
  PARSED parsed;
  const bool read = _Parse(reader, parsed);
  m_loadError = parsed.error;
  if (!read) return false;
  return _Commit(handler, parsed, path ? path : "");
}

bool CPresetFile::_Parse(CReader& reader, PARSED& parsed) {
  auto fail = [&parsed](PRESET_LOAD_ERROR error) {
    parsed.error = error;
    return false;
  };
  uint32_t version = 0;
  uint32_t kind = 0;
  if (!reader.ReadWord(version)) return fail(PRESET_LOAD_TOO_SHORT);
  if (!IsKnownVersion(version)) return fail(PRESET_LOAD_BAD_VERSION);
  if (!reader.ReadWord(kind)) return fail(PRESET_LOAD_TOO_SHORT);
  if (kind > PRESET_KIND_LAST) return fail(PRESET_LOAD_BAD_KIND);
  parsed.version = version;
  parsed.kind = kind;

  if (kind == PRESET_KIND_SYNTH) {
    // The sample blocks are present only after the signature pair.
    uint32_t signature = 0;
    uint32_t control = 0;
    if (!reader.ReadWord(signature) || !reader.ReadWord(control)) return fail(PRESET_LOAD_SHORT_BODY);
    if (signature == CHUNK_SIGANTURE_V2 && control == CHUNK_CONTROL_WORD_V2) {
      parsed.hasSampleBlocks = true;
      for (SAMPLE_BLOCK& block : parsed.samples) {
        uint32_t isSample = 0;
        if (!reader.ReadWord(isSample) || isSample > 1) return fail(PRESET_LOAD_BAD_SAMPLE_BLOCK);
        if (isSample == 0) continue;
        block.isSample = true;
        uint32_t rate = 0;
        if (!reader.Read(block.name, SAMPLE_NAME_BYTES) || !reader.ReadWord(block.loopStart) ||
            !reader.ReadWord(block.loopEnd) || !reader.ReadWord(block.rootPitch) || !reader.ReadWord(rate) ||
            !reader.ReadWord(block.frames))
          return fail(PRESET_LOAD_BAD_SAMPLE_BLOCK);
        block.name[SAMPLE_NAME_BYTES] = 0;
        block.rate = WordToFloat(rate);
        if (block.frames == 0) continue;
        // Two channels of frames floats must fit in what is left, and the
        // rate must be usable; both come from the file.
        if (!std::isfinite(block.rate) || !(block.rate > 0.0f)) return fail(PRESET_LOAD_BAD_SAMPLE_BLOCK);
        if (static_cast<uint64_t>(block.frames) * 8u > reader.Remaining()) return fail(PRESET_LOAD_BAD_SAMPLE_BLOCK);
        block.left.reset(new (std::nothrow) float[block.frames]);
        block.right.reset(new (std::nothrow) float[block.frames]);
        if (!block.left || !block.right) return fail(PRESET_LOAD_OUT_OF_MEMORY);
        if (!reader.ReadFloats(block.left.get(), block.frames) || !reader.ReadFloats(block.right.get(), block.frames))
          return fail(PRESET_LOAD_BAD_SAMPLE_BLOCK);
      }
    } else if (!reader.Back(8)) {
      return fail(PRESET_LOAD_SHORT_BODY);
    }
    if (!reader.Read(parsed.author, AUTHOR_BYTES)) return fail(PRESET_LOAD_SHORT_BODY);
    parsed.author[AUTHOR_BYTES] = 0;
  }

  // The body lands at the start of a copy of the current image; a module
  // block must be whole, a preset body must have its version's full length.
  const uint64_t left = reader.Remaining();
  const unsigned int bodyMax = BodyBytes(version);
  const unsigned int bytes = left < bodyMax ? static_cast<unsigned int>(left) : bodyMax;
  const unsigned int required =
      kind == PRESET_KIND_SYNTH ? bodyMax : CParamHandler::GetModuleBlockBytes(version, kind);
  if (required == 0) return fail(PRESET_LOAD_BAD_KIND);
  if (bytes < required) return fail(PRESET_LOAD_SHORT_BODY);
  parsed.body.reset(new (std::nothrow) SYNTH_PRESET);
  if (!parsed.body) return fail(PRESET_LOAD_OUT_OF_MEMORY);
  std::memcpy(parsed.body.get(), m_buffer, PRESET_BYTES);
  unsigned char* body = reinterpret_cast<unsigned char*>(parsed.body->data);
  // The image's little-endian words are the floats as they stand on the
  // little-endian hosts the instrument runs on.
  if (!reader.Read(body, bytes)) return fail(PRESET_LOAD_SHORT_BODY);
  return true;
}

bool CPresetFile::_Commit(ICommandHandler* handler, PARSED& parsed, const char* path) {
  if (handler && parsed.kind == PRESET_KIND_SYNTH) {
    for (unsigned int osc = 0; osc < OSC_COUNT_IN_FILE; ++osc) {
      SAMPLE_BLOCK& block = parsed.samples[osc];
      if (!parsed.hasSampleBlocks) {
        handler->SetSampleRootPitch(osc, DEFAULT_ROOT_PITCH);
        continue;
      }
      if (!block.isSample || block.frames == 0) continue;
      // Everything was checked while reading; only running out of memory
      // in the engine can refuse the sample now.
      if (!handler->LoadSampleFromMemory(osc, block.left.get(), block.right.get(), block.frames, block.rate,
                                         block.name)) {
        m_loadError = PRESET_LOAD_SAMPLE_REFUSED;
        return false;
      }
      handler->SetSampleLoop(osc, block.loopStart, block.loopEnd);
      handler->SetSampleRootPitch(osc, block.rootPitch);
    }
  }
  // The parsed image replaces the buffer.
  m_loadError = PRESET_LOAD_OK;
  std::memcpy(m_buffer, parsed.body.get(), PRESET_BYTES);
  m_version = parsed.version;
  m_kind = parsed.kind;
  {
    std::lock_guard<std::mutex> texts(m_textLock);
    m_path = path;
    if (parsed.kind == PRESET_KIND_SYNTH) {
      m_name = FileUtils::ExtractFileName(path);
      m_author = parsed.author;
      if (m_author.empty()) m_author = UNKNOWN_AUTHOR;
    } else {
      m_author.clear();
    }
  }
  return true;
}

bool CPresetFile::LoadWaveTable(const char* path) {
  if (!path) return false;
  FILE* file = Platform::OpenRegularFile(path);
  if (!file) return false;
  unsigned char head[WAVE_REF_BYTES] = {0};
  const size_t got = fread(head, 1, sizeof(head), file);
  fclose(file);
  if (got == WAVE_REF_BYTES && Word(head) == PRESET_VERSION_V3 && Word(head + 4) == PRESET_KIND_WAVE_REF) {
    // Only the built-in waves 0-54 can be referred to.
    const uint32_t wave = Word(head + 8);
    if (wave >= BUILT_IN_WAVE_COUNT) return false;
    m_version = PRESET_VERSION_V3;
    m_kind = PRESET_KIND_WAVE_REF;
    (*m_buffer)[0] = static_cast<float>(wave);
    SetPath(path);
    return true;
  }
  // A user wavetable: 16,384 samples and then the 16-byte name, the
  // wavetable block of a module preset.
  std::unique_ptr<float[]> table(new (std::nothrow) float[WAVETABLE_LENGTH + 4]);
  if (!table) return false;
  char* name = reinterpret_cast<char*>(&table[WAVETABLE_LENGTH]);
  if (!CWaveTable::LoadFromFile(path, table.get(), name)) return false;
  std::memcpy(m_buffer->data, table.get(), (WAVETABLE_LENGTH + 4) * sizeof(float));
  m_version = PRESET_VERSION_V3;
  m_kind = PRESET_KIND_WAVETABLE;
  SetPath(path);
  return true;
}

bool CPresetFile::SaveWaveTable(const char* path) {
  m_version = PRESET_VERSION_V3;
  m_kind = PRESET_KIND_WAVETABLE;
  m_saveError.clear();
  return CWaveTable::SaveToFile(path, m_buffer->data, &m_saveError);
}

bool CPresetFile::SaveToFile(ICommandHandler* handler, unsigned int kind, unsigned int size, const char* path,
                             const char* folder, const char* filter, const char* extension,
                             const char* fileName) {
  m_kind = kind;
  m_saveError.clear();
  char pathBuffer[PATH_BUFFER_SIZE] = {0};
  if (path) {
    const size_t length = std::strlen(path);
    if (length == 0 || length >= PATH_BUFFER_SIZE) {
      m_saveError = length == 0 ? "no file name given" : "the file name is too long";
      return false;
    }
    std::memcpy(pathBuffer, path, length);
  } else if (!FileUtils::ShowSaveFileDialog(pathBuffer, folder, PATH_BUFFER_SIZE, filter, extension, fileName)) {
    return false;  // cancelled: nothing to report
  }
  pathBuffer[PATH_BUFFER_SIZE - 1] = 0;

  if (IsWavePath(pathBuffer)) {
    if (!SaveWaveTable(pathBuffer)) return false;
    SetPath(pathBuffer);
    return true;
  }

  CSafeFileWriter out(pathBuffer, m_saveError);
  if (!out.IsOpen()) return false;
  _WriteImage(out, handler, kind, size);
  if (!out.Finish()) return false;
  std::lock_guard<std::mutex> texts(m_textLock);
  m_path = pathBuffer;
  if (kind == PRESET_KIND_SYNTH) m_name = FileUtils::ExtractFileName(pathBuffer);
  return true;
}

bool CPresetFile::SaveToMemory(ICommandHandler* handler, unsigned int kind, unsigned int size,
                               std::vector<unsigned char>& image) {
  image.clear();
  CMemoryWriter out(image);
  _WriteImage(out, handler, kind, size);
  m_kind = kind;
  return true;
}

template <typename WRITER>
void CPresetFile::_WriteImage(WRITER& out, ICommandHandler* handler, unsigned int kind, unsigned int size) {
  out.WriteWord(PRESET_VERSION_V3);
  out.WriteWord(kind);
  if (handler && kind == PRESET_KIND_SYNTH) {
    out.WriteWord(CHUNK_SIGANTURE_V2);
    out.WriteWord(CHUNK_CONTROL_WORD_V2);
    for (unsigned int osc = 0; osc < OSC_COUNT_IN_FILE; ++osc) {
      const bool isSample = handler->GetIntParam(PARAM_OSC_MODE + osc) == OSC_MODE_SAMPLE;
      out.WriteWord(isSample ? 1 : 0);
      if (!isSample) continue;
      const unsigned int loopStart = handler->GetSampleLoopStart(osc);
      const unsigned int loopEnd = handler->GetSampleLoopEnd(osc);
      const unsigned int rootPitch = handler->GetSampleRootPitch(osc);
      float* left = nullptr;
      float* right = nullptr;
      unsigned int frames = 0;
      float rate = 0.0f;
      handler->GetSample(osc, &left, &right, frames, &rate);
      if (!left || !right) frames = 0;
      char name[SAMPLE_NAME_BYTES] = {0};
      const char* samplePath = handler->GetLoadedSamplePath(osc);
      const std::string sampleName = FileUtils::ExtractFileName(samplePath ? samplePath : "");
      // Cut on a character boundary.
      std::memcpy(name, sampleName.data(),
                  Platform::Utf8PrefixLength(sampleName.data(), sampleName.size(), SAMPLE_NAME_BYTES));
      out.Write(name, SAMPLE_NAME_BYTES);
      out.WriteWord(loopStart);
      out.WriteWord(loopEnd);
      out.WriteWord(rootPitch);
      out.WriteWord(FloatToWord(rate));
      out.WriteWord(frames);
      out.WriteFloats(left, frames);
      out.WriteFloats(right, frames);
    }
  }
  if (kind == PRESET_KIND_SYNTH) {
    char author[AUTHOR_BYTES] = {0};
    const std::string text = GetAuthor();
    std::memcpy(author, text.data(), text.size() < AUTHOR_BYTES ? text.size() : AUTHOR_BYTES);
    out.Write(author, AUTHOR_BYTES);
  }
  if (size > PRESET_BYTES) size = PRESET_BYTES;
  out.Write(m_buffer->data, size);
}
