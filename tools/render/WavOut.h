#pragma once
// The rendered audio as a 32-bit float stereo WAV file, written as it is
// rendered: the length of a render is known before it starts, so the header
// with its sizes goes first and every block follows as it comes.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/render/OutputFile.h"
#include "tools/render/RenderSession.h"

namespace WavOut {

// Bytes of the header before the samples.
const uint32_t HEADER_BYTES = 46;

// The longest render a WAV file's 32-bit sizes can describe.
uint64_t MaxFrames();

// The header of a file of `frames` stereo frames; false when the sizes do
// not fit.
bool Header(uint64_t frames, uint32_t sampleRate, uint8_t (&header)[HEADER_BYTES]);

}  // namespace WavOut

// Writes the header and then each block, interleaved, to an output file,
// measuring the levels on the way.
class CWavSink : public IAudioSink {
 public:
  explicit CWavSink(COutputFile& file) : m_file(file) {}

  // Writes the header of a file of `frames` frames.
  bool Begin(uint64_t frames, uint32_t sampleRate, std::string& error);
  bool Write(const float* left, const float* right, uint32_t frames, std::string& error) override;

  const CLevelMeter& Levels() const { return m_meter; }
  uint64_t FramesWritten() const { return m_written; }

 private:
  COutputFile& m_file;
  CLevelMeter m_meter;
  std::vector<uint8_t> m_buffer;
  uint64_t m_written = 0;
};
