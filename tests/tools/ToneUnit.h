#pragma once
// A small test instrument built on the same Audio Unit layer as the real one:
// a sine voice at the last note's pitch, its level set by parameter 0, with a
// chunk of its own in the saved state. It logs what the host hands it.

#include <cmath>
#include <vector>

#include "platform/au/MusicDeviceBase.h"

struct RECEIVED_MIDI {
  double frame;  // the block's sample time plus the offset
  uint8_t status, data1;
};

// What the test unit saw (the last instance opened writes here).
struct TONE_LOG {
  std::vector<RECEIVED_MIDI> midi;
  std::vector<double> blockBeats, blockTempos, blockPositions;
  std::vector<uint32_t> toNextBeat;
  std::vector<double> downBeats;
};
extern TONE_LOG g_toneLog;

class CToneUnit : public MusicDeviceBase {
 public:
  explicit CToneUnit(AudioComponentInstance instance);
  void PostConstructor() override;
  OSStatus HandleMidiEvent(UInt8 status, UInt8 channel, UInt8 data1, UInt8 data2,
                           UInt32 startFrame) override;
  OSStatus Render(AudioUnitRenderActionFlags& flags, const AudioTimeStamp& stamp,
                  UInt32 frames) override;
  OSStatus SaveState(CFPropertyListRef* out) override;
  OSStatus RestoreState(CFPropertyListRef in) override;

  std::vector<UInt8> m_chunk = {1, 2, 3, 250};

 private:
  double m_blockStart = 0;
  int m_pendingNote = -1;
  UInt32 m_pendingOffset = 0;
  double m_frequency = 0;
  double m_phase = 0;
};

// Registers the test unit (type 'aumu', the given subtype, manufacturer 'Test').
AudioComponent ToneComponent(const char* subtype = "Tone");
CToneUnit* ToneOf(AudioUnit unit);

// Frequency from the rising zero crossings of a stretch of signal.
double MeasureFrequency(const float* x, size_t n, double rate);
