#include "tools/render/WavOut.h"

#include <cstring>

#include "engine/Simd.h"
#if defined(MORLAVINE_SSE2)
#include <xmmintrin.h>
#endif

namespace {

const uint16_t FORMAT_IEEE_FLOAT = 3;
const uint16_t CHANNELS = 2;
const uint32_t FRAME_BYTES = 8;
// The RIFF size counts everything after its own field: the rest of the
// header (38 bytes) and the samples.
const uint64_t RIFF_OVERHEAD = WavOut::HEADER_BYTES - 8;

void PutU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

namespace WavOut {

uint64_t MaxFrames() { return (0xFFFFFFFFull - RIFF_OVERHEAD) / FRAME_BYTES; }

bool Header(uint64_t frames, uint32_t sampleRate, uint8_t (&header)[HEADER_BYTES]) {
  if (frames > MaxFrames() || sampleRate == 0) return false;
  const uint32_t dataBytes = static_cast<uint32_t>(frames * FRAME_BYTES);
  std::memcpy(header, "RIFF", 4);
  PutU32(header + 4, static_cast<uint32_t>(dataBytes + RIFF_OVERHEAD));
  std::memcpy(header + 8, "WAVE", 4);
  std::memcpy(header + 12, "fmt ", 4);
  PutU32(header + 16, 18);  // the format block with its (empty) extension size
  PutU16(header + 20, FORMAT_IEEE_FLOAT);
  PutU16(header + 22, CHANNELS);
  PutU32(header + 24, sampleRate);
  PutU32(header + 28, sampleRate * FRAME_BYTES);
  PutU16(header + 32, FRAME_BYTES);
  PutU16(header + 34, 32);
  PutU16(header + 36, 0);
  std::memcpy(header + 38, "data", 4);
  PutU32(header + 42, dataBytes);
  return true;
}

}  // namespace WavOut

bool CWavSink::Begin(uint64_t frames, uint32_t sampleRate, std::string& error) {
  uint8_t header[WavOut::HEADER_BYTES];
  if (!WavOut::Header(frames, sampleRate, header)) {
    error = m_file.Name() + ": the render is too long for a WAV file";
    return false;
  }
  m_written = 0;
  return m_file.Write(header, sizeof(header), error);
}

bool CWavSink::Write(const float* left, const float* right, uint32_t frames, std::string& error) {
  m_meter.Add(left, right, frames);
  m_buffer.resize(static_cast<size_t>(frames) * FRAME_BYTES);
  uint8_t* p = m_buffer.data();
  uint32_t i = 0;
#if defined(MORLAVINE_SSE2) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  // The file's little-endian floats are the machine's own: interleave four
  // frames at a time.
  for (; i + 4 <= frames; i += 4, p += 4 * FRAME_BYTES) {
    const __m128 l = _mm_loadu_ps(left + i), r = _mm_loadu_ps(right + i);
    _mm_storeu_ps(reinterpret_cast<float*>(p), _mm_unpacklo_ps(l, r));
    _mm_storeu_ps(reinterpret_cast<float*>(p + 16), _mm_unpackhi_ps(l, r));
  }
#endif
  for (; i < frames; ++i, p += FRAME_BYTES) {
    uint32_t l, r;
    std::memcpy(&l, &left[i], 4);
    std::memcpy(&r, &right[i], 4);
    PutU32(p, l);
    PutU32(p + 4, r);
  }
  m_written += frames;
  return m_file.Write(m_buffer.data(), m_buffer.size(), error);
}
