#pragma once
// --audio none: the live host's blocks asked for by a thread that keeps
// time with the monotonic clock, as a sound device would ask for them, but
// nothing is played. A block finished later than the moment a device would
// have needed it counts as an underrun, and the clock starts over from now.

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

class CLiveHost;

class CClockDriver {
 public:
  CClockDriver() = default;
  ~CClockDriver() { Stop(); }
  CClockDriver(const CClockDriver&) = delete;
  CClockDriver& operator=(const CClockDriver&) = delete;

  // Blocks of `blockFrames` at the host's sample rate from now on.
  void Start(CLiveHost* host, uint32_t blockFrames);
  // Returns once the last block has been rendered. Idempotent.
  void Stop();
  bool Running() const { return m_thread.joinable(); }

 private:
  void _Run();

  CLiveHost* m_host = nullptr;
  uint32_t m_block = 0;
  std::vector<float> m_left, m_right;
  std::thread m_thread;
  std::atomic<bool> m_stop{false};
};
