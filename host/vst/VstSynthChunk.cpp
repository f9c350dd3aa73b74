// The state chunk: getChunk writes the instrument's whole state as one block
// of bytes, setChunk reads it back. The reader checks the whole chunk before
// it changes anything, so a refused chunk leaves the instrument as it was.

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/AccessLock.h"
#include "engine/FileUtils.h"
#include "engine/ICommandHandler.h"
#include "engine/ParamHandler.h"
#include "engine/ParamIds.h"
#include "engine/Params.h"
#include "engine/SynthTypes.h"
#include "engine/VoiceManager.h"
#include "editor/Editor.h"
#include "host/vst/StateChunk.h"
#include "host/vst/VstSynth.h"
#include "platform/Utf8.h"

namespace StateChunk {

uint32_t ReadWord(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

void WriteWord(unsigned char* p, uint32_t word) {
  p[0] = static_cast<unsigned char>(word);
  p[1] = static_cast<unsigned char>(word >> 8);
  p[2] = static_cast<unsigned char>(word >> 16);
  p[3] = static_cast<unsigned char>(word >> 24);
}

namespace {

float ReadFloat(const unsigned char* p) {
  const uint32_t word = ReadWord(p);
  float value;
  std::memcpy(&value, &word, sizeof(value));
  return value;
}

void WriteFloat(unsigned char* p, float value) {
  uint32_t word;
  std::memcpy(&word, &value, sizeof(word));
  WriteWord(p, word);
}

// A text field up to its first zero, never beyond its width.
void ReadText(const unsigned char* field, size_t width, char* out) {
  size_t n = 0;
  while (n < width && field[n] != 0) ++n;
  std::memcpy(out, field, n);
  out[n] = 0;
}

// text cut to width - 1 characters; the rest of the field stays zero.
void WriteText(unsigned char* field, size_t width, const char* text) {
  std::memset(field, 0, width);
  if (!text) return;
  // Cut on a character boundary: half a character would make the stored
  // name ill-formed.
  const size_t n = Platform::Utf8PrefixLength(text, strnlen(text, width), width - 1);
  std::memcpy(field, text, n);
}

}  // namespace

bool Parse(const void* data, size_t size, CHUNK_VIEW& view) {
  if (!data || size < 8) return false;
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  size_t at = 0;
  view.hasOscSection = ReadWord(bytes) == CHUNK_SIGANTURE_V2 && ReadWord(bytes + 4) == CHUNK_CONTROL_WORD_V2;
  for (CHUNK_SAMPLE& s : view.samples) std::memset(&s, 0, sizeof(s));

  if (view.hasOscSection) {
    at = 8;
    for (CHUNK_SAMPLE& s : view.samples) {
      if (size - at < 4) return false;
      if (ReadWord(bytes + at) == 0) {
        at += 4;
        continue;
      }
      if (size - at < SAMPLE_HEADER_BYTES) return false;
      const unsigned char* block = bytes + at;
      ReadText(block + 4, SAMPLE_NAME_BYTES, s.name);
      s.loopStart = ReadWord(block + 20);
      s.loopEnd = ReadWord(block + 24);
      s.rootPitch = ReadWord(block + 28);
      s.rate = ReadFloat(block + 32);
      s.frames = ReadWord(block + 36);
      at += SAMPLE_HEADER_BYTES;
      if (s.frames == 0) continue;  // nothing to load; the oscillator keeps its sample
      // 64-bit arithmetic: 8 * N cannot wrap for any 32-bit N.
      const uint64_t sampleBytes = static_cast<uint64_t>(s.frames) * 8u;
      if (sampleBytes > static_cast<uint64_t>(size - at)) return false;
      // A rate the player could not step through would freeze or crash it.
      if (!std::isfinite(s.rate) || !(s.rate > 0.0f)) return false;
      if (s.rootPitch > MAX_ROOT_PITCH) s.rootPitch = MAX_ROOT_PITCH;
      s.left = bytes + at;
      s.right = bytes + at + static_cast<size_t>(s.frames) * 4u;
      s.present = true;
      at += static_cast<size_t>(sampleBytes);
    }
  }

  const unsigned char* body = bytes + at;
  const size_t remaining = size - at;
  view.midiMap = nullptr;
  if (remaining == BODY_BYTES_V1 || remaining == BODY_BYTES_V1_LONG) {
    view.presetVersion = PRESET_VERSION_V1;
    view.presetBytes = PRESET_BYTES_V1;
  } else if (remaining >= BODY_BYTES_V2_MIN && remaining < BODY_MAP_OFFSET) {
    view.presetVersion = PRESET_VERSION_V2;
    view.presetBytes = PRESET_BYTES_V2;
  } else if (remaining >= BODY_MAP_OFFSET) {
    view.presetVersion = PRESET_VERSION_V3;
    view.presetBytes = PRESET_BYTES_V3;
    if (remaining >= BODY_BYTES && ReadWord(body + BODY_TRAILER_OFFSET) == CHUNK_TRAILER_SIGNATURE &&
        ReadWord(body + BODY_TRAILER_OFFSET + 4) == CHUNK_TRAILER_CONTROL_WORD)
      view.midiMap = body + BODY_MAP_OFFSET;
  } else {
    return false;
  }
  view.preset = body;
  const unsigned char* texts = body + view.presetBytes;
  ReadText(texts, AUTHOR_BYTES, view.author);
  ReadText(texts + AUTHOR_BYTES, NAME_BYTES, view.name);
  ReadText(texts + AUTHOR_BYTES + NAME_BYTES, PATH_BYTES, view.path);
  return true;
}

}  // namespace StateChunk

using namespace StateChunk;

namespace {

// The name a loaded sample is saved under: a file path gives its file name
// without folder and extension; a bare name (what a restored chunk left)
// stays whole, so that a name with dots survives any number of round trips.
std::string SampleNameOf(const char* path) {
  if (!path) return std::string();
  const std::string text(path);
  if (text.find_first_of("/\\") == std::string::npos) return text;
  return FileUtils::ExtractFileName(text);
}

// A damaged chunk can hold any number where hosts and the modulation expect
// 0..1: the modulatable parameters and every host-visible parameter are
// brought into that range after the load.
void ClampUnitParams(ICommandHandler* commands) {
  auto clamp = [commands](unsigned int id) {
    const float v = commands->GetFloatParam(id);
    if (v < 0.0f) commands->SetFloatParam(id, 0.0f);
    if (v > 1.0f) commands->SetFloatParam(id, 1.0f);
  };
  for (unsigned int id = 0; id < MODULATABLE_PARAM_COUNT; ++id) clamp(id);
  for (int index = 0; index < Params::HOST_PARAM_COUNT; ++index) {
    const int id = Params::VstParamToSynthParam(index);
    if (id >= static_cast<int>(MODULATABLE_PARAM_COUNT)) clamp(static_cast<unsigned int>(id));
  }
}

struct OSC_SAMPLE_OUT {
  bool sampleMode;
  float* left;
  float* right;
  unsigned int frames;
  float rate;
};

}  // namespace

VstInt32 CVstSynth::getChunk(void** data, bool) {
  ICommandHandler* commands = _Commands();
  if (!data || !m_presetBuffer || !m_editor || !commands) return 0;
  // Held across both passes, so that a sample loaded from the editor's
  // thread in between cannot change what was sized.
  CAutoLock lock(m_voiceManager->GetParamHandler()->GetLock());

  if (commands->SavePreset(reinterpret_cast<SYNTH_PRESET*>(m_presetBuffer), 0, 0) != PRESET_BYTES_V3) return 0;
  unsigned char* texts = m_presetBuffer + PRESET_BYTES_V3;
  std::string author, name, path;
  m_editor->GetPresetTexts(author, name, path);
  WriteText(texts, AUTHOR_BYTES, author.c_str());
  WriteText(texts + AUTHOR_BYTES, NAME_BYTES, name.c_str());
  WriteText(texts + AUTHOR_BYTES + NAME_BYTES, PATH_BYTES, path.c_str());

  if (m_chunk) {
    std::free(m_chunk);
    m_chunk = nullptr;
  }

  OSC_SAMPLE_OUT osc[CHUNK_OSC_COUNT];
  uint64_t total = CHUNK_BYTES_WITHOUT_SAMPLES;
  for (unsigned int k = 0; k < CHUNK_OSC_COUNT; ++k) {
    OSC_SAMPLE_OUT& o = osc[k];
    o = OSC_SAMPLE_OUT{false, nullptr, nullptr, 0, 0.0f};
    o.sampleMode = commands->GetIntParam(PARAM_OSC_MODE + k) == OSC_MODE_SAMPLE;
    if (o.sampleMode) {
      commands->GetSample(k, &o.left, &o.right, o.frames, &o.rate);
      if (!o.left || !o.right) o.frames = 0;
      total += SAMPLE_HEADER_BYTES + static_cast<uint64_t>(o.frames) * 8u;
    } else {
      total += 4;
    }
  }
  // The size travels as the host's signed 32-bit count.
  if (total > static_cast<uint64_t>(INT_MAX)) return 0;

  unsigned char* chunk = static_cast<unsigned char*>(std::calloc(static_cast<size_t>(total), 1));
  if (!chunk) return 0;
  m_chunk = chunk;

  unsigned char* p = chunk;
  WriteWord(p, CHUNK_SIGANTURE_V2);
  WriteWord(p + 4, CHUNK_CONTROL_WORD_V2);
  p += 8;
  for (unsigned int k = 0; k < CHUNK_OSC_COUNT; ++k) {
    const OSC_SAMPLE_OUT& o = osc[k];
    WriteWord(p, o.sampleMode ? 1 : 0);
    if (!o.sampleMode) {
      p += 4;
      continue;
    }
    const std::string name = SampleNameOf(commands->GetLoadedSamplePath(k));
    std::memcpy(p + 4, name.data(), Platform::Utf8PrefixLength(name.data(), name.size(), SAMPLE_NAME_BYTES));
    WriteWord(p + 20, commands->GetSampleLoopStart(k));
    WriteWord(p + 24, commands->GetSampleLoopEnd(k));
    WriteWord(p + 28, commands->GetSampleRootPitch(k));
    WriteFloat(p + 32, o.rate);
    WriteWord(p + 36, o.frames);
    p += SAMPLE_HEADER_BYTES;
    for (unsigned int i = 0; i < o.frames; ++i) WriteFloat(p + 4u * i, o.left[i]);
    p += static_cast<size_t>(o.frames) * 4u;
    for (unsigned int i = 0; i < o.frames; ++i) WriteFloat(p + 4u * i, o.right[i]);
    p += static_cast<size_t>(o.frames) * 4u;
  }
  std::memcpy(p, m_presetBuffer, STAGING_BYTES);
  p += STAGING_BYTES;
  m_midiMap.SaveMidiMap(p);
  p += MIDI_MAP_BYTES;
  WriteWord(p, CHUNK_TRAILER_SIGNATURE);
  WriteWord(p + 4, CHUNK_TRAILER_CONTROL_WORD);

  *data = chunk;
  return static_cast<VstInt32>(total);
}

VstInt32 CVstSynth::setChunk(void* data, VstInt32 byteSize, bool) {
  ICommandHandler* commands = _Commands();
  if (!data || byteSize < 8 || !m_editor || !commands) return 0;

  // Everything is checked before anything changes.
  CHUNK_VIEW view;
  if (!Parse(data, static_cast<size_t>(byteSize), view)) return 0;

  // The image the engine loads: the body's preset bytes, the rest zero.
  std::vector<unsigned char> image(PRESET_BYTES_V3, 0);
  std::memcpy(image.data(), view.preset, view.presetBytes);
  // Decoded copies of the samples (the chunk's floats may be unaligned).
  std::vector<float> frames[CHUNK_OSC_COUNT][2];
  for (unsigned int k = 0; k < CHUNK_OSC_COUNT; ++k) {
    const CHUNK_SAMPLE& s = view.samples[k];
    if (!s.present) continue;
    frames[k][0].resize(s.frames);
    frames[k][1].resize(s.frames);
    for (uint32_t i = 0; i < s.frames; ++i) {
      frames[k][0][i] = ReadFloat(s.left + 4u * i);
      frames[k][1][i] = ReadFloat(s.right + 4u * i);
    }
  }

  {
    // The preset first: when the engine refuses it, nothing else has changed.
    // Load and clamp under one hold of the engine lock, so no block plays
    // the unclamped values.
    CAutoLock lock(m_voiceManager->GetParamHandler()->GetLock());
    if (!commands->LoadPreset(reinterpret_cast<SYNTH_PRESET*>(image.data()), view.presetVersion, 0, 0)) return 0;
    ClampUnitParams(commands);
  }

  for (unsigned int k = 0; k < CHUNK_OSC_COUNT; ++k) {
    CHUNK_SAMPLE& s = view.samples[k];
    if (!view.hasOscSection) {
      commands->SetSampleRootPitch(k, DEFAULT_ROOT_PITCH);
      continue;
    }
    if (!s.present) continue;
    if (!commands->LoadSampleFromMemory(k, frames[k][0].data(), frames[k][1].data(), s.frames, s.rate, s.name))
      continue;
    commands->SetSampleLoop(k, s.loopStart, s.loopEnd);
    commands->SetSampleRootPitch(k, s.rootPitch);
  }

  if (view.midiMap) {
    // The render thread reads the map for every controller, under this lock.
    CAutoLock lock(m_voiceManager->GetParamHandler()->GetLock());
    m_midiMap.LoadMidiMap(view.midiMap);
  }
  // The editor takes the preset's texts and rereads its controls on its own
  // thread: at once when that is this thread or no window is open, else at
  // the window's next idle.
  m_editor->RestoreFromHost(view.author, view.name, view.path);
  return 1;
}
