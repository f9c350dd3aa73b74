#include "platform/au/CAStreamBasicDescription.h"

#include <cmath>
#include <cstring>

CAStreamBasicDescription::CAStreamBasicDescription() {
  memset(static_cast<AudioStreamBasicDescription*>(this), 0, sizeof(AudioStreamBasicDescription));
}

CAStreamBasicDescription::CAStreamBasicDescription(const AudioStreamBasicDescription& desc) {
  memcpy(static_cast<AudioStreamBasicDescription*>(this), &desc, sizeof(AudioStreamBasicDescription));
}

CAStreamBasicDescription::CAStreamBasicDescription(double sampleRate, UInt32 numChannels,
                                                   bool interleaved)
    : CAStreamBasicDescription() {
  mSampleRate = sampleRate;
  mFormatID = kAudioFormatLinearPCM;
  mFormatFlags = kAudioFormatFlagsNativeFloatPacked;
  mBitsPerChannel = 32;
  mFramesPerPacket = 1;
  mChannelsPerFrame = numChannels;
  ChangeNumberChannels(numChannels, interleaved);
}

UInt32 CAStreamBasicDescription::SampleWordSize() const {
  UInt32 size = 0;
  if (IsPCM() && !IsInterleaved())
    size = mBytesPerFrame;
  else if (mChannelsPerFrame)
    size = mBytesPerFrame / mChannelsPerFrame;
  if (size == 0) size = (mBitsPerChannel + 7) / 8;
  return size;
}

void CAStreamBasicDescription::ChangeNumberChannels(UInt32 numChannels, bool interleaved) {
  UInt32 word = SampleWordSize();
  mChannelsPerFrame = numChannels;
  mFramesPerPacket = 1;
  if (interleaved) {
    mBytesPerFrame = mBytesPerPacket = word * numChannels;
    mFormatFlags &= ~kAudioFormatFlagIsNonInterleaved;
  } else {
    mBytesPerFrame = mBytesPerPacket = word;
    mFormatFlags |= kAudioFormatFlagIsNonInterleaved;
  }
}

bool CAStreamBasicDescription::IsUsable() const {
  if (!std::isfinite(mSampleRate) || mSampleRate <= 0.0 || mSampleRate > 1e7) return false;
  if (mChannelsPerFrame == 0 || mChannelsPerFrame > kMaxChannels) return false;
  // A frame of one buffer holds at most 8 bytes per channel it carries.
  return mBytesPerFrame > 0 && mBytesPerFrame <= 8 * NumberInterleavedChannels();
}

bool CAStreamBasicDescription::operator==(const AudioStreamBasicDescription& o) const {
  return mSampleRate == o.mSampleRate && mFormatID == o.mFormatID &&
         mFormatFlags == o.mFormatFlags && mBytesPerPacket == o.mBytesPerPacket &&
         mFramesPerPacket == o.mFramesPerPacket && mBytesPerFrame == o.mBytesPerFrame &&
         mChannelsPerFrame == o.mChannelsPerFrame && mBitsPerChannel == o.mBitsPerChannel;
}
