#include "ToneUnit.h"

#include "tools/render/AuPresetFile.h"

TONE_LOG g_toneLog;

CToneUnit::CToneUnit(AudioComponentInstance instance) : MusicDeviceBase(instance, 0, 1) {
  g_toneLog = TONE_LOG();
}

void CToneUnit::PostConstructor() {
  MusicDeviceBase::PostConstructor();
  Globals()->UseIndexedParameters(4);
}

OSStatus CToneUnit::HandleMidiEvent(UInt8 status, UInt8 channel, UInt8 data1, UInt8 data2,
                                    UInt32 startFrame) {
  g_toneLog.midi.push_back(
      {m_blockStart + startFrame, static_cast<uint8_t>(status | channel), data1});
  if (status == 0x90 && data2 > 0) {
    m_pendingNote = data1;
    m_pendingOffset = startFrame;
  }
  return noErr;
}

OSStatus CToneUnit::Render(AudioUnitRenderActionFlags& flags, const AudioTimeStamp& stamp,
                           UInt32 frames) {
  Float64 beat = -1, tempo = -1;
  CallHostBeatAndTempo(&beat, &tempo);
  UInt32 delta = 0, denominator = 0;
  Float32 numerator = 0;
  Float64 downBeat = -1;
  CallHostMusicalTimeLocation(&delta, &numerator, &denominator, &downBeat);
  Boolean playing = false, changed = false, cycling = true;
  Float64 position = -1, cs = -1, ce = -1;
  CallHostTransportState(&playing, &changed, &position, &cycling, &cs, &ce);
  g_toneLog.blockBeats.push_back(beat);
  g_toneLog.blockTempos.push_back(tempo);
  g_toneLog.blockPositions.push_back(position);
  g_toneLog.toNextBeat.push_back(delta);
  g_toneLog.downBeats.push_back(downBeat);

  AudioBufferList& list = GetOutput(0)->GetBufferList();
  float* left = static_cast<float*>(list.mBuffers[0].mData);
  float* right = static_cast<float*>(list.mBuffers[1].mData);
  float level = 0.0f;
  Globals()->GetParameter(0, level);
  const double rate = GetStreamFormat(kAudioUnitScope_Output, 0).mSampleRate;
  for (UInt32 i = 0; i < frames; ++i) {
    if (m_pendingNote >= 0 && i == m_pendingOffset) {
      m_frequency = 440.0 * std::pow(2.0, (m_pendingNote - 69) / 12.0);
      m_pendingNote = -1;
    }
    float s = 0.0f;
    if (m_frequency > 0.0) {
      s = level * static_cast<float>(std::sin(m_phase));
      m_phase += 2.0 * M_PI * m_frequency / rate;
    }
    left[i] = s;
    right[i] = -s;
  }
  m_blockStart = stamp.mSampleTime + frames;
  return noErr;
}

OSStatus CToneUnit::SaveState(CFPropertyListRef* out) {
  OSStatus status = MusicDeviceBase::SaveState(out);
  if (status != noErr) return status;
  CFDataRef chunk = CFDataCreate(nullptr, m_chunk.data(), static_cast<CFIndex>(m_chunk.size()));
  CFDictionarySetValue(static_cast<CFMutableDictionaryRef>(const_cast<void*>(*out)),
                       CFSTR("mChunkData"), chunk);
  CFRelease(chunk);
  return noErr;
}

OSStatus CToneUnit::RestoreState(CFPropertyListRef in) {
  OSStatus status = MusicDeviceBase::RestoreState(in);
  if (status != noErr) return status;
  CFTypeRef chunk = CFDictionaryGetValue(static_cast<CFDictionaryRef>(in), CFSTR("mChunkData"));
  if (CFGetTypeID(chunk) != CFDataGetTypeID()) return kAudioUnitErr_InvalidPropertyValue;
  CFDataRef data = static_cast<CFDataRef>(chunk);
  const UInt8* bytes = CFDataGetBytePtr(data);
  m_chunk.assign(bytes, bytes + CFDataGetLength(data));
  return noErr;
}

namespace {
OSStatus ToneEntry(ComponentParameters* params, void* storage) {
  return ComponentEntryPoint<CToneUnit>::Dispatch(params, storage);
}
}  // namespace

AudioComponent ToneComponent(const char* subtype) {
  AudioComponentDescription desc = {kAudioUnitType_MusicDevice,
                                    static_cast<OSType>(CAuPresetFile::FourCharCode(subtype)),
                                    FourCharCode("Test"), 0, 0};
  return AudioComponentRegister(&desc, "Test tone", 1, ToneEntry);
}

CToneUnit* ToneOf(AudioUnit unit) {
  return static_cast<CToneUnit*>(static_cast<ComponentBase*>(GetComponentInstanceStorage(unit)));
}

double MeasureFrequency(const float* x, size_t n, double rate) {
  size_t first = 0, last = 0, count = 0;
  for (size_t i = 1; i < n; ++i) {
    if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
      if (count == 0) first = i;
      last = i;
      ++count;
    }
  }
  return count > 1 ? (count - 1) * rate / double(last - first) : 0.0;
}
