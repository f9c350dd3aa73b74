#pragma once
// Writes a single-cycle wave as a mono 32-bit float WAV at 44100 Hz.

#include <cstdint>
#include <string>

class CWavFileSave {
 public:
  CWavFileSave() {}
  ~CWavFileSave() {}

  // Fails, creating nothing, for a null path or samples or a count of 0. A
  // failed write leaves no file behind (and keeps an existing one intact).
  bool Save(const char* path, float* samples, uint32_t count, std::string* error = nullptr);
};
