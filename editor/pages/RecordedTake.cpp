#include "editor/pages/RecordedTake.h"

#include <cstddef>
#include <new>

#include "engine/ICommandHandler.h"

void CRecordedTake::Clear() {
  m_length = 0;
  m_valid = false;
}

bool CRecordedTake::Refresh(ICommandHandler* commands) {
  if (!commands) return false;
  unsigned int frames = 0, generation = 0;
  commands->CopyRecordedSample(0, 0, nullptr, nullptr, frames, generation);
  // A few rounds at most: each round starts over only when the take changed
  // while it was being copied.
  for (int round = 0; round < 8; ++round) {
    const bool sameTake = m_valid && generation == m_generation && frames >= m_length;
    if (sameTake && frames == m_length) return false;
    const unsigned int from = sameTake ? m_length : 0;
    if (frames > m_left.size()) {
      // Grown outside the engine lock; room for the recording to go on
      // growing for a while without another allocation.
      std::size_t room = m_left.size() * 2;
      if (room < frames) room = frames;
      try {
        m_left.resize(room);
        m_right.resize(room);
      } catch (const std::bad_alloc&) {
        Clear();
        return true;
      }
    }
    unsigned int nowFrames = 0, nowGeneration = 0;
    const unsigned int copied = commands->CopyRecordedSample(from, frames - from, m_left.data() + from,
                                                             m_right.data() + from, nowFrames, nowGeneration);
    if (nowGeneration != generation || (copied == 0 && from < frames && nowFrames > from)) {
      // Changed under our feet: copy the new take from its start.
      m_valid = false;
      m_length = 0;
      frames = nowFrames;
      generation = nowGeneration;
      continue;
    }
    m_length = from + copied;
    m_generation = generation;
    m_valid = true;
    return true;
  }
  Clear();
  return true;
}
