#pragma once
// A stream format with the questions a unit asks of it.

#include "platform/au/AUTypes.h"

class CAStreamBasicDescription : public AudioStreamBasicDescription {
 public:
  CAStreamBasicDescription();  // all zero
  CAStreamBasicDescription(const AudioStreamBasicDescription& desc);
  // 32-bit float, packed, native byte order.
  CAStreamBasicDescription(double sampleRate, UInt32 numChannels, bool interleaved);

  bool IsPCM() const { return mFormatID == kAudioFormatLinearPCM; }
  bool IsFloat() const { return (mFormatFlags & kAudioFormatFlagIsFloat) != 0; }
  bool IsInterleaved() const { return (mFormatFlags & kAudioFormatFlagIsNonInterleaved) == 0; }
  UInt32 NumberChannels() const { return mChannelsPerFrame; }
  // Buffers a buffer list of this format holds: one per channel, or one.
  UInt32 NumberChannelStreams() const { return IsInterleaved() ? 1 : mChannelsPerFrame; }
  UInt32 NumberInterleavedChannels() const { return IsInterleaved() ? mChannelsPerFrame : 1; }

  // Bytes of one sample word: the bytes per frame of a non-interleaved PCM
  // format, else bytes per frame over channels; when that gives 0, the bits
  // per channel rounded up to bytes.
  UInt32 SampleWordSize() const;

  // Same sample word, n channels, interleaved or not; one frame per packet.
  void ChangeNumberChannels(UInt32 numChannels, bool interleaved);

  // A format whose buffers can be allocated and rendered into: finite positive
  // rate, 1 to kMaxChannels channels, a sensible frame size.
  bool IsUsable() const;

  bool operator==(const AudioStreamBasicDescription& other) const;
  bool operator!=(const AudioStreamBasicDescription& other) const { return !(*this == other); }

  static constexpr UInt32 kMaxChannels = 64;
};
