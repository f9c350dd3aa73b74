#include "tools/editor/WavStream.h"

#include <chrono>
#include <vector>

#include "tools/editor/LiveHost.h"

namespace {
const uint32_t CHUNK_FRAMES = 4096;
const int DRAIN_MS = 10;
}  // namespace

CWavStream::~CWavStream() {
  m_stop = true;
  if (m_thread.joinable()) m_thread.join();
}

bool CWavStream::Open(const std::string& path, uint32_t sampleRate, std::string& error) {
  if (!m_file.Open(path, nullptr, error)) return false;
  m_rate = sampleRate;
  // The longest length until the real one is known.
  if (!m_sink.Begin(WavOut::MaxFrames(), sampleRate, error)) {
    m_file.Discard();
    return false;
  }
  return true;
}

void CWavStream::Start(CLiveHost* host) {
  m_host = host;
  m_stop = false;
  m_thread = std::thread([this] { _Run(); });
}

void CWavStream::_Drain() {
  if (!m_host) return;
  std::vector<float> left(CHUNK_FRAMES), right(CHUNK_FRAMES);
  for (;;) {
    const uint32_t n = m_host->ReadCapture(left.data(), right.data(), CHUNK_FRAMES);
    if (n == 0) return;
    std::lock_guard<std::mutex> guard(m_errorLock);
    if (!m_error.empty()) continue;  // a failed file takes no more; the ring is still emptied
    if (m_frames.load() + n > WavOut::MaxFrames()) {
      m_error = m_file.Name() + ": the recording is too long for a WAV file";
      continue;
    }
    std::string error;
    if (!m_sink.Write(left.data(), right.data(), n, error)) {
      m_error = error;
      continue;
    }
    m_frames.fetch_add(n);
  }
}

void CWavStream::_Run() {
  while (!m_stop.load()) {
    _Drain();
    std::this_thread::sleep_for(std::chrono::milliseconds(DRAIN_MS));
  }
}

bool CWavStream::Finish(std::string& error) {
  m_stop = true;
  if (m_thread.joinable()) m_thread.join();
  _Drain();
  std::lock_guard<std::mutex> guard(m_errorLock);
  if (!m_error.empty()) {
    error = m_error;
    m_file.Discard();
    return false;
  }
  if (!m_file.IsStream()) {
    uint8_t header[WavOut::HEADER_BYTES];
    WavOut::Header(m_frames.load(), m_rate, header);
    if (!m_file.WriteAt(0, header, sizeof(header), error)) {
      m_file.Discard();
      return false;
    }
  }
  if (!m_file.Commit(error)) return false;
  return true;
}
