// Feeds arbitrary bytes to the WAV reader as an in-memory stream and checks
// what it hands back against the input's size.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "osc/WaveLib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (!file) return 0;
  const uint32_t fileSize = WaveLib::getFileSize(file);
  if (fileSize != size) abort();
  if (WaveLib::isValidHeader(file, fileSize)) {
    WAVEFORMATEX_TAG* format = WaveLib::readFormatChunk(file, fileSize);
    if (format) {
      const long afterFormat = ftell(file);
      // Once with every channel, once as the sample loader reads (two at most).
      for (uint32_t limit : {0xFFFFFFFFu, 2u}) {
        if (fseek(file, afterFormat, SEEK_SET) != 0) abort();
        std::vector<float*> channels(65535, nullptr);
        uint32_t frames = 1234;
        float peak = 0.0f;
        const bool ok = WaveLib::readDataChunk(file, fileSize, format, channels.data(), frames, &peak, limit);
        if (!ok) {
          if (frames != 0) abort();
          continue;
        }
        const uint32_t kept = format->channels < limit ? format->channels : limit;
        if (frames == 0 || uint64_t(frames) * format->blockAlign > size) abort();
        if (!std::isfinite(peak)) abort();
        for (uint32_t c = 0; c < kept; ++c)
          for (uint32_t i = 0; i < frames; ++i)
            if (std::fabs(channels[c][i]) > std::fabs(peak)) abort();
        WaveLib::freeChannels(channels.data(), kept);
      }
      WaveLib::freeFormatChunk(format);
    }
  }
  fclose(file);
  return 0;
}
