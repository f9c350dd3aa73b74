#pragma once
// The layout of the instrument's state chunk and its reader's checked form.
// All words are little-endian 32-bit; floats are IEEE single precision.
//
//   header     signature, control word (absent in the oldest chunks)
//   4 x oscillator block: has-sample word; with a sample: name (16 bytes),
//              loop start, loop end, root pitch, rate (f32), frames N,
//              N left floats, N right floats
//   body       preset image, author (24), name (2048), path (2048),
//              MIDI CC map (480), trailer signature, trailer control word

#include <cstddef>
#include <cstdint>

namespace StateChunk {

const uint32_t CHUNK_SIGANTURE_V2 = 0x63ADEECD;
const uint32_t CHUNK_CONTROL_WORD_V2 = 0x3B2AC934;
const uint32_t CHUNK_TRAILER_SIGNATURE = 0x63ADEECC;
const uint32_t CHUNK_TRAILER_CONTROL_WORD = 0x8472BA7E;

const unsigned int CHUNK_OSC_COUNT = 4;
const unsigned int SAMPLE_NAME_BYTES = 16;
const unsigned int SAMPLE_HEADER_BYTES = 40;  // has-sample word to frame count
const unsigned int OSC_MODE_SAMPLE = 56;
const unsigned int DEFAULT_ROOT_PITCH = 60;
const unsigned int MAX_ROOT_PITCH = 127;

const unsigned int AUTHOR_BYTES = 24;
const unsigned int NAME_BYTES = 2048;
const unsigned int PATH_BYTES = 2048;
const unsigned int MIDI_MAP_BYTES = 480;

const unsigned int PRESET_BYTES_V1 = 6148;
const unsigned int PRESET_BYTES_V2 = 6420;
const unsigned int PRESET_BYTES_V3 = 268632;
const unsigned int TEXT_BYTES = AUTHOR_BYTES + NAME_BYTES + PATH_BYTES;           // 4,120
const unsigned int BODY_MAP_OFFSET = PRESET_BYTES_V3 + TEXT_BYTES;               // 272,752
const unsigned int BODY_TRAILER_OFFSET = BODY_MAP_OFFSET + MIDI_MAP_BYTES;       // 273,232
const unsigned int BODY_BYTES = BODY_TRAILER_OFFSET + 8;                          // 273,240
const unsigned int CHUNK_BYTES_WITHOUT_SAMPLES = 8 + BODY_BYTES;                  // 273,248

// Body sizes of the older forms: exactly one of two sizes for version 1, a
// range for version 2.
const size_t BODY_BYTES_V1 = PRESET_BYTES_V1 + TEXT_BYTES;  // 10,268
const size_t BODY_BYTES_V1_LONG = 10528;
const size_t BODY_BYTES_V2_MIN = PRESET_BYTES_V2 + TEXT_BYTES;  // 10,540

// One oscillator block as read. The frames point into the chunk and may be
// unaligned: they are decoded, not cast.
struct CHUNK_SAMPLE {
  bool present;  // has-sample word set and at least one frame
  char name[SAMPLE_NAME_BYTES + 1];
  uint32_t loopStart;
  uint32_t loopEnd;
  uint32_t rootPitch;  // limited to 0..MAX_ROOT_PITCH
  float rate;          // finite and positive
  uint32_t frames;
  const unsigned char* left;
  const unsigned char* right;
};

// A whole chunk, checked. Nothing in it points outside the chunk.
struct CHUNK_VIEW {
  bool hasOscSection;
  CHUNK_SAMPLE samples[CHUNK_OSC_COUNT];
  uint32_t presetVersion;
  size_t presetBytes;
  const unsigned char* preset;
  char author[AUTHOR_BYTES + 1];
  char name[NAME_BYTES + 1];
  char path[PATH_BYTES + 1];
  const unsigned char* midiMap;  // null when the chunk carries none
};

// Reads and checks the whole chunk; false, with view undefined, when it is
// refused: too short, an oscillator block running past the end, a sample
// rate that is not a finite positive number, or a body of no known size.
bool Parse(const void* data, size_t size, CHUNK_VIEW& view);

uint32_t ReadWord(const unsigned char* p);
void WriteWord(unsigned char* p, uint32_t word);

}  // namespace StateChunk
