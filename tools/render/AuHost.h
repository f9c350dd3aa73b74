#pragma once
// Drives one Audio Unit instrument the way a music host does: open, stream
// format, maximum frames, the host's tempo and transport callbacks,
// initialize, parameters and saved state, MIDI with frame offsets, render,
// close. The transport the callbacks answer from is the render loop's.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/au/AUComponent.h"
#include "tools/render/AuPresetFile.h"
#include "tools/render/RenderSession.h"

class CAuHost : public IRenderUnit {
 public:
  // `transport` is read by the unit's host callbacks during Render; it must
  // outlive this object.
  explicit CAuHost(const HOST_TRANSPORT* transport);
  ~CAuHost() override;
  CAuHost(const CAuHost&) = delete;
  CAuHost& operator=(const CAuHost&) = delete;

  // Each step names the failing call and its result code in `error`.
  bool Open(AudioComponent component, std::string& error);
  // Two-channel 32-bit float non-interleaved output at `sampleRate`, renders
  // of at most `maxFrames`, and the host callbacks.
  bool Configure(double sampleRate, uint32_t maxFrames, std::string& error);
  bool Initialize(std::string& error);
  void Close();

  // One parameter as the unit describes it.
  struct PARAMETER {
    uint32_t id;
    std::string name;
    float value;
  };
  // The unit's global parameters in the order it lists them, with their
  // names and current values.
  bool ListParameters(std::vector<PARAMETER>& list, std::string& error);

  bool SetParameter(uint32_t id, float value, std::string& error);
  bool GetParameter(uint32_t id, float& value, std::string& error);
  bool SaveState(PLIST_VALUE& state, std::string& error);
  bool RestoreState(const PLIST_VALUE& state, std::string& error);

  AudioUnit Unit() const { return m_unit; }

  // IRenderUnit
  bool SendMidi(uint8_t status, uint8_t data1, uint8_t data2, uint32_t offset,
                std::string& error) override;
  bool Render(uint32_t frames, float* left, float* right, std::string& error) override;

 private:
  static OSStatus _BeatAndTempo(void* user, Float64* beat, Float64* tempo);
  static OSStatus _MusicalTimeLocation(void* user, UInt32* deltaSamplesToNextBeat,
                                       Float32* numerator, UInt32* denominator,
                                       Float64* measureDownBeat);
  static OSStatus _TransportState(void* user, Boolean* playing, Boolean* changed,
                                  Float64* samplePosition, Boolean* cycling, Float64* cycleStart,
                                  Float64* cycleEnd);

  const HOST_TRANSPORT* m_transport;
  AudioUnit m_unit = nullptr;
  double m_sampleRate = 44100.0;
  uint32_t m_maxFrames = 0;
  std::vector<uint8_t> m_bufferList;  // an AudioBufferList of two buffers
};

// "name (error -10868)" for messages.
std::string DescribeStatus(const char* call, OSStatus status);
