#pragma once
// The sample recorder: captures the instrument's final stereo output into a
// buffer of up to 60 seconds, plays a region of it back in place of the
// output, edits it (crop silence, trim to the region, reverse) and hands it
// out for an oscillator to copy.
//
// Threads: Process runs on the render thread with the engine lock held.
// Everything that creates, frees, moves or resizes the recorded frames takes
// the engine lock. The buffer is allocated only by Arm and Start, which the
// editor calls on its own thread; the render thread (recording started by a
// note) reuses the buffer and never allocates. The buffer is freed only by
// Arm, Start, Delete and the destructor, all called on the editor's thread,
// so pointers handed to the editor stay valid until its next such call.

#include <atomic>

class CAccessLock;

class CSampleRecorder {
 public:
  static const unsigned int MAX_SECONDS = 60;
  // Capacity limit whatever the host rate (60 s at 384 kHz).
  static const unsigned int MAX_CAPACITY = 384000u * MAX_SECONDS;

  explicit CSampleRecorder(CAccessLock* engineLock);
  ~CSampleRecorder();
  CSampleRecorder(const CSampleRecorder&) = delete;
  CSampleRecorder& operator=(const CSampleRecorder&) = delete;

  // Editor thread. Arming makes sure a buffer for 60 s at hostRate exists,
  // so that a note can start a recording without allocating.
  void Arm(float hostRate);
  void Disarm() { m_armed = false; }
  bool IsArmed() const { return m_armed; }

  // Editor thread: (re)allocates the buffer when it is missing or sized for
  // another rate, then restarts the recording from frame 0. Does nothing
  // when no buffer can be had (no valid rate, out of memory).
  void Start(float hostRate);
  // Any thread, also the render thread: restarts the recording in the
  // existing buffer; false (nothing done) without a buffer.
  bool StartInPlace();
  void Stop();
  bool IsRecording() const { return m_recording; }

  void StartPlayback();
  void StopPlayback();
  bool IsPlaying() const { return m_playback; }

  // Forgets the recorded frames. While armed the buffer is kept for the
  // next recording; otherwise it is freed.
  void Delete();

  // The recorder's own channels and the recorded length; null, null and 0
  // without a recording. The frames are not copied.
  void GetRecording(float** left, float** right, unsigned int& frames);
  unsigned int GetLength();
  unsigned int GetCapacity() const { return m_capacity; }

  // Region start and end as fractions 0-1 of the recording. Values outside
  // are limited to 0-1 (NaN counts as 0).
  void SetLoop(float start, float end);

  // Edits; each does nothing while a recording runs or without frames.
  void Crop();
  void Trim();
  void Reverse();

  // Render thread, engine lock held: capture the slice's output, or replace
  // it with the recording while playback is on.
  void Process(float* left, float* right, unsigned int n);

  // The region of a recording of n frames (n >= 1) for the fractions start
  // and end: frames first .. first + length - 1, length at least 1. The
  // fractions are of the last frame index (n - 1) and both ends are part of
  // the region: frames round((n - 1) * start) to round((n - 1) * end), so 0
  // and 1 cover every frame and the editor's markers, which sit on frame
  // indices, select exactly the frames between and on them.
  static void GetRegion(unsigned int n, float start, float end, unsigned int& first, unsigned int& length);
  // The fraction that GetRegion turns back into frame index of a recording
  // of n frames (exact up to 2^24 frames; beyond, the nearest float).
  static float FractionOf(unsigned int index, unsigned int n);

  // Editor thread: copies up to count frames from frame first into left and
  // right under the engine lock, in pieces, so the render thread never waits
  // long; reports the recording's length and generation as they were at the
  // copy. Returns the frames copied (0 when first is at or past the end).
  // The generation changes whenever recorded frames change other than by
  // being appended (a new recording, an edit, a deletion), so a reader that
  // keeps its own copy knows when to copy from the start again.
  unsigned int Copy(unsigned int first, unsigned int count, float* left, float* right, unsigned int& frames,
                    unsigned int& generation);

 private:
  // Allocates both channels for capacity frames; false when out of memory.
  static bool _Allocate(unsigned int capacity, float*& left, float*& right);
  static unsigned int _CapacityFor(float hostRate);
  // Makes sure a buffer of the capacity for hostRate exists (editor thread).
  bool _EnsureBuffer(float hostRate);
  bool _LoopSet() const;
  void _Play(float* left, float* right, unsigned int n);

  CAccessLock* m_lock;
  float* m_left = nullptr;
  float* m_right = nullptr;
  unsigned int m_capacity = 0;
  unsigned int m_length = 0;
  std::atomic<bool> m_recording{false};
  std::atomic<bool> m_armed{false};
  std::atomic<bool> m_playback{false};
  std::atomic<unsigned int> m_position{0};
  // Changed under the engine lock by every change of the frames other than
  // appending.
  unsigned int m_generation = 0;
  std::atomic<float> m_loopStart{0.0f};
  std::atomic<float> m_loopEnd{1.0f};
};
