#pragma once
// The sound card through RtAudio (JACK, ALSA or PulseAudio, whichever the
// library finds working): two channels of 32-bit float, non-interleaved,
// whose callback renders the live host's blocks straight into the device's
// buffers. Underruns the device reports are counted in the host. A device
// that fails while playing (unplugged, the sound server gone) is reported
// through Failure() and the stream stops; the program goes on silently.
//
// Library exceptions are caught here: every call answers with a result.

#include <cstdio>
#include <memory>
#include <string>

class CLiveHost;
class RtAudio;

class CAudioDevice {
 public:
  CAudioDevice();
  ~CAudioDevice();
  CAudioDevice(const CAudioDevice&) = delete;
  CAudioDevice& operator=(const CAudioDevice&) = delete;

  // Writes the output devices, one a line (name, channels, rates, the
  // default marked); false with `error` when the library finds none.
  static bool List(FILE* out, std::string& error);

  // Opens the output device called `name` (its whole name or a part of it;
  // "default" for the system's default output) asking for `sampleRate` (0:
  // the device's preferred rate) and `blockFrames`. The rate and block it really opened at are Rate() and
  // Block().
  bool Open(const std::string& name, unsigned int sampleRate, unsigned int blockFrames, std::string& error);
  unsigned int Rate() const { return m_rate; }
  unsigned int Block() const { return m_block; }
  const std::string& DeviceName() const { return m_name; }

  // Starts the callback rendering `host`'s blocks.
  bool Start(CLiveHost* host, std::string& error);
  // Stops and closes the stream (returns once the callback no longer
  // runs). Idempotent.
  void Stop();

  // After the device failed while playing: true with the library's words.
  bool Failure(std::string& message);

 private:
  static int _Callback(void* output, void* input, unsigned int frames, double time, unsigned int status,
                       void* user);

  std::unique_ptr<RtAudio> m_audio;
  CLiveHost* m_host = nullptr;
  unsigned int m_rate = 0;
  unsigned int m_block = 0;
  std::string m_name;
};
