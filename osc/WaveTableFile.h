#pragma once
// User wavetables as WAV files: the file's first channel, taken as one whole
// cycle, brought to 16,384 points and normalised on load; written as a mono
// 32-bit float WAV.

namespace WaveTableFile {

const unsigned int TABLE_LENGTH = 16384;
const unsigned int NAME_BYTES = 16;

// Fills table (16,384 floats) and name (16 bytes: at most 15 characters of
// the file name without folder and extension, then zero bytes). A length
// that is not a power of two is first stretched to the next one by cubic
// interpolation; then the wave is halved or doubled in rate until it has
// 16,384 points. Returns false, writing nothing, when the file cannot be
// read as a wave.
bool Load(const char* path, float* table, char* name);

// Writes the 16,384 floats of table; false when the file was not written
// (an existing file is then kept).
bool Save(const char* path, const float* table);

}  // namespace WaveTableFile
