#pragma once
// RIFF/WAVE reading and writing on C streams.
//
// Reading accepts integer PCM (8, 16, 24, 32 bits), IEEE float (32 bits) and
// the extensible format tag; every chunk size is checked against the bytes the
// file really holds, so a truncated or corrupt file gives a clean failure.
// Writing always produces 32-bit IEEE float files with a 46-byte header.

#include <cstdint>
#include <string>
#include <cstdio>

const uint16_t WAVE_FORMAT_PCM = 1;
const uint16_t WAVE_FORMAT_IEEE_FLOAT = 3;
const uint16_t WAVE_FORMAT_EXTENSIBLE = 0xFFFE;

// Size of the header both writers produce ("RIFF" .. the data chunk's size).
const uint32_t WAVE_FLOAT_HEADER_BYTES = 46;

// The leading fields of the "fmt " chunk body, decoded from little-endian.
struct WAVEFORMATEX_TAG {
  uint16_t formatTag;
  uint16_t channels;
  uint32_t samplesPerSec;
  uint32_t avgBytesPerSec;
  uint16_t blockAlign;
  uint16_t bitsPerSample;
  uint16_t extraSize;  // 0 when the chunk body is only 16 bytes long
};

namespace WaveLib {

// Size of the stream in bytes (sizes beyond 4 GiB are clamped, since no RIFF
// chunk can address them); rewinds to offset 0. 0 for a null stream.
uint32_t getFileSize(FILE* file);

// "RIFF" at offset 0 and "WAVE" at offset 8; leaves the stream at offset 0.
bool isValidHeader(FILE* file, uint32_t fileSize);

// Finds the first "fmt " at or after offset 12, checks its size and fields and
// returns them (free with freeFormatChunk), or null. Leaves the stream just
// after the chunk body.
WAVEFORMATEX_TAG* readFormatChunk(FILE* file, uint32_t fileSize);
void freeFormatChunk(WAVEFORMATEX_TAG* format);

// Finds the first "data" at or after the current position and converts its
// samples. channels[c] receives a new float array of `frames` values (free
// with freeChannels) for c below min(file channels, maxChannels); the frame
// size used to de-interleave is always the file's own. When peak is not null
// it receives the converted sample of largest magnitude over the returned
// channels, sign kept. Non-finite float samples are read as 0. On failure no
// arrays are handed back and frames is 0.
bool readDataChunk(FILE* file, uint32_t fileSize, const WAVEFORMATEX_TAG* format,
                   float** channels, uint32_t& frames, float* peak,
                   uint32_t maxChannels = 0xFFFFFFFFu);
void freeChannels(float** channels, uint32_t count);

// Writes channelCount channels of frames floats, interleaved, as a 32-bit
// float WAV at sampleRate (truncated to a whole number). The file is written
// under a temporary name and renamed over path only once complete, so a
// failure leaves no new file and keeps an existing one intact. Invalid
// arguments create nothing. error (when given) names the problem of a
// failure. Written through CSafeFile (engine/SafeFile.h).
bool saveToFile(const char* path, float** channels, uint32_t channelCount, float sampleRate,
                uint32_t frames, std::string* error = nullptr);

}  // namespace WaveLib
