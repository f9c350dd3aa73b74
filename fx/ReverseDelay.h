#pragma once
// One channel of the stereo delay: a ring inside the channel's line whose
// length follows the wanted delay, read forwards for the normal echo and
// backwards for the reverse echo. The reverse read fades out where the two
// heads cross (a 420-sample raised-cosine window) and restarts from the
// newest audio on request.

class CReverseDelay {
 public:
  // Restart ramp length; the reverse head jumps to the write head halfway.
  static const int RESTART_LENGTH = 420;

  // Binds the record to the channel's line (size samples); call at the start
  // of every Process. Positions outside the line restart at 0.
  void Bind(float* buffer, unsigned int size);
  // Zeroes positions and history; the restart counter stays.
  void Reset();
  // Starts a restart of the reverse reading.
  void Restart() { m_restart = 0; }
  bool IsRestarting() const { return m_restart >= 0; }

  // One sample: io carries the input in and the normal delayed output out;
  // reverseOut receives the reverse output. delay in samples.
  void Process2(float& io, float& reverseOut, float& delay);

 private:
  float* m_buffer = nullptr;
  unsigned int m_size = 0;
  unsigned int m_write = 0;
  int m_reverse = 0;
  int m_restart = -1;  // -1: no restart; 0..420: restart in progress
  float m_h0 = 0.0f, m_h1 = 0.0f, m_h2 = 0.0f;
};
