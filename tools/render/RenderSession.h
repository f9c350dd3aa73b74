#pragma once
// The host's render loop: walks a score block by block, hands each message to
// the unit with its frame offset inside the block it falls in, keeps the
// transport (sample position, beat, tempo) that the unit's host callbacks
// read, and hands each rendered block on to a sink (a file being written, or
// memory in the tests), so that memory stays the same for any length.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/render/MidiScore.h"

// What the host's beat, tempo and transport callbacks answer during one
// render call: the state at the first frame of the block.
struct HOST_TRANSPORT {
  bool playing = false;
  bool changed = false;       // true for the first block after a start
  double samplePosition = 0;  // frames since the start of the piece
  double beat = 0;            // quarter notes since the start
  double tempo = 120;         // beats per minute
};

// The instrument as the render loop sees it.
class IRenderUnit {
 public:
  virtual ~IRenderUnit() {}
  // One channel message at `offset` frames into the next rendered block.
  virtual bool SendMidi(uint8_t status, uint8_t data1, uint8_t data2, uint32_t offset,
                        std::string& error) = 0;
  // Renders `frames` frames into the two channels (the transport holds the
  // block's position while this runs).
  virtual bool Render(uint32_t frames, float* left, float* right, std::string& error) = 0;
};

// Where the rendered blocks go, in order.
class IAudioSink {
 public:
  virtual ~IAudioSink() {}
  virtual bool Write(const float* left, const float* right, uint32_t frames,
                     std::string& error) = 0;
};

// The whole render in memory.
struct RENDER_RESULT {
  std::vector<float> left;
  std::vector<float> right;
  uint64_t frames = 0;
};

class CRenderSession {
 public:
  CRenderSession(double sampleRate, uint32_t blockFrames);

  // Total frames for a score with a tail after its last message.
  uint64_t TotalFrames(const CMidiScore& score, double tailSeconds) const;

  // Renders `seconds` of silence with the transport stopped and discards
  // it: what a host does between loading a sound and starting playback. The
  // parameter values a unit glides to, and the settings it applies at its
  // next block, are then in place when the music starts.
  bool Settle(IRenderUnit& unit, double seconds, std::string& error);

  // Renders the whole score into `sink`. `progress` (may be empty) is called
  // after each block with the frames done and the total. On failure `error`
  // holds the unit's or the sink's problem and the output is incomplete.
  bool Run(const CMidiScore& score, double tailSeconds, IRenderUnit& unit, IAudioSink& sink,
           std::string& error,
           const std::function<void(uint64_t done, uint64_t total)>& progress = {});
  // The same, collecting the audio in memory.
  bool Run(const CMidiScore& score, double tailSeconds, IRenderUnit& unit, RENDER_RESULT& result,
           std::string& error,
           const std::function<void(uint64_t done, uint64_t total)>& progress = {});

  // The transport of the block being rendered.
  const HOST_TRANSPORT& Transport() const { return m_transport; }

 private:
  double m_sampleRate;
  uint32_t m_blockFrames;
  HOST_TRANSPORT m_transport;
  std::vector<float> m_left, m_right;  // one block
};

// Level figures of a render.
struct RENDER_LEVELS {
  double peakDb = -300.0;  // dBFS of the largest absolute sample
  double rmsDb = -300.0;   // dBFS of the RMS over both channels
  bool finite = true;      // no NaN or infinity anywhere
};

// Peak and RMS gathered block by block as the audio passes.
class CLevelMeter {
 public:
  void Add(const float* left, const float* right, uint32_t frames);
  RENDER_LEVELS Levels() const;

 private:
  double m_peak = 0.0;
  double m_sum = 0.0;
  uint64_t m_count = 0;
  bool m_finite = true;
};

RENDER_LEVELS MeasureLevels(const RENDER_RESULT& result);
