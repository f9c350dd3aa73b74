#pragma once
// --audio-out: everything the live host plays, written to a 32-bit float
// WAV file as it goes. A thread of its own drains the host's capture ring
// every few milliseconds, so the audio thread never touches the file. The
// file is written as morlavine-render writes its outputs (under a temporary
// name, renamed into place when finished); its header gets the real length
// at the end (a stream that cannot go back keeps the longest length).

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "tools/render/OutputFile.h"
#include "tools/render/WavOut.h"

class CLiveHost;

class CWavStream {
 public:
  CWavStream() : m_sink(m_file) {}
  ~CWavStream();
  CWavStream(const CWavStream&) = delete;
  CWavStream& operator=(const CWavStream&) = delete;

  // Opens the file and writes its header; nothing runs yet.
  bool Open(const std::string& path, uint32_t sampleRate, std::string& error);
  // Starts draining `host`'s capture ring (which must be enabled).
  void Start(CLiveHost* host);
  // After the audio has stopped: writes what is left, sets the length and
  // puts the file in place.
  bool Finish(std::string& error);
  // Frames written so far.
  uint64_t Frames() const { return m_frames.load(); }

 private:
  void _Drain();
  void _Run();

  COutputFile m_file;
  CWavSink m_sink;
  CLiveHost* m_host = nullptr;
  std::thread m_thread;
  std::atomic<bool> m_stop{false};
  std::atomic<uint64_t> m_frames{0};
  uint32_t m_rate = 0;
  std::mutex m_errorLock;
  std::string m_error;  // the first write failure
};
