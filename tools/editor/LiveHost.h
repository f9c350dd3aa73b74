#pragma once
// The editor's real-time loop: whatever drives the audio (a sound device's
// callback or a clock thread) calls Process once per block; Process hands
// the unit the block's MIDI (a score being played and the messages that
// arrived from MIDI inputs since the last block), keeps the transport the
// unit's host callbacks read, renders, and copies the block into a ring
// that a writer thread drains into a WAV file.
//
// Threads: Process runs on the audio thread only. PostMidi is called by one
// producer thread per source (a MIDI input's callback); each source has its
// own single-producer, single-consumer queue, so no call here takes a lock
// or allocates. ReadCapture is called by one consumer thread (the writer).
// The counters may be read from any thread.

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "tools/render/MidiScore.h"
#include "tools/render/RenderSession.h"

// One channel message from a MIDI input with its arrival time (nanoseconds
// of the monotonic clock, see CLiveHost::Now).
struct LIVE_MIDI {
  int64_t when;
  uint8_t status, data1, data2;
};

// A fixed ring of messages from one producer thread to one consumer.
class CMidiQueue {
 public:
  static constexpr uint32_t CAPACITY = 1024;  // a power of two
  CMidiQueue() : m_items(CAPACITY) {}
  // Producer: false (nothing queued) when the ring is full.
  bool Push(const LIVE_MIDI& message);
  // Consumer: the oldest message without taking it; false when empty.
  bool Peek(LIVE_MIDI& message) const;
  void Pop();

 private:
  std::vector<LIVE_MIDI> m_items;
  std::atomic<uint32_t> m_head{0};  // next to read (consumer)
  std::atomic<uint32_t> m_tail{0};  // next to write (producer)
};

// A fixed ring of stereo frames from the audio thread to a writer thread.
class CAudioRing {
 public:
  // Room for at least `frames` frames (rounded up to a power of two).
  explicit CAudioRing(uint32_t frames);
  // Producer: copies as many frames as fit; returns how many.
  uint32_t Write(const float* left, const float* right, uint32_t frames);
  // Consumer: takes up to `frames` frames.
  uint32_t Read(float* left, float* right, uint32_t frames);

 private:
  std::vector<float> m_left, m_right;
  uint32_t m_mask;
  std::atomic<uint64_t> m_read{0};
  std::atomic<uint64_t> m_written{0};
};

class CLiveHost {
 public:
  static constexpr int MIDI_SOURCES = 4;
  // Messages handed to the unit in one block, at most (more wait for the
  // next block).
  static constexpr uint32_t MAX_BLOCK_MESSAGES = 512;

  // `unit` renders at `sampleRate`, at most `maxFrames` per call (longer
  // blocks are rendered in parts); `transport` is what the unit's host
  // callbacks read. Both must outlive this object.
  CLiveHost(IRenderUnit& unit, HOST_TRANSPORT& transport, double sampleRate, uint32_t maxFrames);

  // Before the audio starts. The tempo reported when no score plays.
  void SetTempo(double bpm);
  // A score to play from the first block on (null for none); with `loop`
  // it starts over after its last message. The score must outlive this
  // object.
  void SetScore(const CMidiScore* score, bool loop);
  // Keeps every rendered block in a ring of `frames` frames for
  // ReadCapture (a writer thread's file).
  void EnableCapture(uint32_t frames);

  // The monotonic clock in nanoseconds.
  static int64_t Now();

  // A MIDI input's thread: queues a channel message (any other status is
  // ignored) for the next block. False when the queue is full (counted).
  bool PostMidi(int source, uint8_t status, uint8_t data1, uint8_t data2, int64_t when);

  // Audio thread: renders `frames` frames into the two channels; `now` is
  // the time the block was asked for (Now()). Messages that arrived during
  // the previous block go in at the same distance from this block's start.
  // After a render failure the unit is left alone and silence is given.
  void Process(float* left, float* right, uint32_t frames, int64_t now);

  // The audio driver reports an output underrun.
  void CountXrun() { m_xruns.fetch_add(1, std::memory_order_relaxed); }

  // Writer thread: takes up to `frames` captured frames.
  uint32_t ReadCapture(float* left, float* right, uint32_t frames);

  uint64_t Xruns() const { return m_xruns.load(std::memory_order_relaxed); }
  uint64_t FramesPlayed() const { return m_played.load(std::memory_order_relaxed); }
  uint64_t DroppedMidi() const { return m_droppedMidi.load(std::memory_order_relaxed); }
  uint64_t DroppedCapture() const { return m_droppedCapture.load(std::memory_order_relaxed); }
  bool RenderFailed() const { return m_failed.load(std::memory_order_relaxed); }
  // Whether the score is still playing.
  bool Playing() const { return m_scorePlaying.load(std::memory_order_relaxed); }
  // The longest Process call so far, in nanoseconds.
  int64_t WorstBlockNs() const { return m_worstNs.load(std::memory_order_relaxed); }
  double SampleRate() const { return m_sampleRate; }

 private:
  struct BLOCK_MESSAGE {
    uint32_t offset;
    uint8_t status, data1, data2;
  };
  void _Gather(uint32_t frames, int64_t now);
  void _GatherScore(uint32_t frames);
  void _Add(uint32_t offset, uint8_t status, uint8_t data1, uint8_t data2);
  void _SetTransport();

  IRenderUnit& m_unit;
  HOST_TRANSPORT& m_transport;
  double m_sampleRate;
  uint32_t m_maxFrames;
  double m_bpm = 120.0;

  const CMidiScore* m_score = nullptr;
  bool m_loop = false;
  size_t m_nextEvent = 0;
  uint64_t m_scoreFrames = 0;   // the score's length (frame after its last message)
  uint64_t m_position = 0;      // frames into the score, or since the start
  bool m_started = false;

  CMidiQueue m_queues[MIDI_SOURCES];
  BLOCK_MESSAGE m_block[MAX_BLOCK_MESSAGES];
  uint32_t m_blockCount = 0;
  int64_t m_lastBlock = 0;
  std::unique_ptr<CAudioRing> m_capture;

  std::atomic<uint64_t> m_xruns{0};
  std::atomic<uint64_t> m_played{0};
  std::atomic<uint64_t> m_droppedMidi{0};
  std::atomic<uint64_t> m_droppedCapture{0};
  std::atomic<bool> m_failed{false};
  std::atomic<bool> m_scorePlaying{false};
  std::atomic<int64_t> m_worstNs{0};
};
