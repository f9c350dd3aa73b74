#include "tools/editor/ClockDriver.h"

#include <time.h>

#include "tools/editor/LiveHost.h"

void CClockDriver::Start(CLiveHost* host, uint32_t blockFrames) {
  Stop();
  m_host = host;
  m_block = blockFrames > 0 ? blockFrames : 1;
  m_left.assign(m_block, 0.0f);
  m_right.assign(m_block, 0.0f);
  m_stop = false;
  m_thread = std::thread([this] { _Run(); });
}

void CClockDriver::Stop() {
  m_stop = true;
  if (m_thread.joinable()) m_thread.join();
}

void CClockDriver::_Run() {
  const int64_t period = static_cast<int64_t>(m_block / m_host->SampleRate() * 1e9);
  int64_t due = CLiveHost::Now();
  while (!m_stop.load(std::memory_order_relaxed)) {
    const int64_t asked = CLiveHost::Now();
    m_host->Process(m_left.data(), m_right.data(), m_block, asked);
    // A device plays this block from `due` on: finished after that, the
    // listener would have heard a gap.
    const int64_t finished = CLiveHost::Now();
    if (finished > due + period) {
      m_host->CountXrun();
      due = finished;
    }
    due += period;
    timespec t;
    t.tv_sec = static_cast<time_t>(due / 1000000000);
    t.tv_nsec = static_cast<long>(due % 1000000000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) != 0 &&
           !m_stop.load(std::memory_order_relaxed)) {
    }
  }
}
