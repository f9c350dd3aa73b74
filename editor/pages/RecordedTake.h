#pragma once
// The editor's own copy of the recorder's take. The recorder's buffers
// belong to the engine, where a note can restart the recording at any time
// (record on MIDI input) and overwrite the frames; the editor therefore
// never reads them directly. It copies them through the command interface,
// under the engine lock and in short pieces: while a recording grows only
// the new frames are copied, after any other change (a new recording, an
// edit, a deletion) the whole take again. Views, the WAV writer and the
// markers all read this copy, so what is shown is exactly what is saved.
//
// Editor thread only.

#include <vector>

class ICommandHandler;

class CRecordedTake {
 public:
  // Brings the copy up to date with the engine; true when it changed.
  bool Refresh(ICommandHandler* commands);
  void Clear();

  const float* GetLeft() const { return m_length ? m_left.data() : nullptr; }
  const float* GetRight() const { return m_length ? m_right.data() : nullptr; }
  float* GetLeft() { return m_length ? m_left.data() : nullptr; }
  float* GetRight() { return m_length ? m_right.data() : nullptr; }
  unsigned int GetLength() const { return m_length; }

 private:
  std::vector<float> m_left;
  std::vector<float> m_right;
  unsigned int m_length = 0;
  unsigned int m_generation = 0;
  bool m_valid = false;
};
