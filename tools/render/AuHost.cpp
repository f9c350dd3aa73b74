#include "tools/render/AuHost.h"

#include <cmath>
#include <cstring>

#include "tools/render/StateCF.h"

std::string DescribeStatus(const char* call, OSStatus status) {
  return std::string(call) + " failed (error " + std::to_string(status) + ")";
}

CAuHost::CAuHost(const HOST_TRANSPORT* transport) : m_transport(transport) {}

CAuHost::~CAuHost() { Close(); }

bool CAuHost::Open(AudioComponent component, std::string& error) {
  Close();
  if (!component) {
    error = "the instrument's component is not registered";
    return false;
  }
  AudioComponentInstance instance = nullptr;
  const OSStatus status = AudioComponentInstanceNew(component, &instance);
  if (status != noErr || !instance) {
    error = DescribeStatus("opening the instrument", status);
    return false;
  }
  m_unit = instance;
  return true;
}

void CAuHost::Close() {
  if (m_unit) AudioComponentInstanceDispose(m_unit);
  m_unit = nullptr;
}

bool CAuHost::Configure(double sampleRate, uint32_t maxFrames, std::string& error) {
  if (!m_unit) {
    error = "the instrument is not open";
    return false;
  }
  AudioStreamBasicDescription format;
  std::memset(&format, 0, sizeof(format));
  format.mSampleRate = sampleRate;
  format.mFormatID = kAudioFormatLinearPCM;
  format.mFormatFlags = kAudioFormatFlagsNativeFloatPacked | kAudioFormatFlagIsNonInterleaved;
  format.mBytesPerPacket = 4;
  format.mFramesPerPacket = 1;
  format.mBytesPerFrame = 4;
  format.mChannelsPerFrame = 2;
  format.mBitsPerChannel = 32;
  OSStatus status = AudioUnitSetProperty(m_unit, kAudioUnitProperty_StreamFormat,
                                         kAudioUnitScope_Output, 0, &format, sizeof(format));
  if (status != noErr) {
    error = DescribeStatus("setting the output stream format", status);
    return false;
  }
  const UInt32 frames = maxFrames;
  status = AudioUnitSetProperty(m_unit, kAudioUnitProperty_MaximumFramesPerSlice,
                                kAudioUnitScope_Global, 0, &frames, sizeof(frames));
  if (status != noErr) {
    error = DescribeStatus("setting the maximum frames per render", status);
    return false;
  }
  HostCallbackInfo callbacks;
  std::memset(&callbacks, 0, sizeof(callbacks));
  callbacks.hostUserData = this;
  callbacks.beatAndTempoProc = _BeatAndTempo;
  callbacks.musicalTimeLocationProc = _MusicalTimeLocation;
  callbacks.transportStateProc = _TransportState;
  status = AudioUnitSetProperty(m_unit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global,
                                0, &callbacks, sizeof(callbacks));
  if (status != noErr) {
    error = DescribeStatus("setting the host callbacks", status);
    return false;
  }
  m_sampleRate = sampleRate;
  m_maxFrames = maxFrames;
  m_bufferList.assign(AudioBufferListSize(2), 0);
  return true;
}

bool CAuHost::Initialize(std::string& error) {
  const OSStatus status = AudioUnitInitialize(m_unit);
  if (status != noErr) {
    error = DescribeStatus("initializing the instrument", status);
    return false;
  }
  return true;
}

bool CAuHost::SetParameter(uint32_t id, float value, std::string& error) {
  const OSStatus status =
      AudioUnitSetParameter(m_unit, id, kAudioUnitScope_Global, 0, value, 0);
  if (status != noErr) {
    error = DescribeStatus(("setting parameter " + std::to_string(id)).c_str(), status);
    return false;
  }
  return true;
}

bool CAuHost::ListParameters(std::vector<PARAMETER>& list, std::string& error) {
  list.clear();
  UInt32 size = 0;
  Boolean writable = false;
  OSStatus status = AudioUnitGetPropertyInfo(m_unit, kAudioUnitProperty_ParameterList,
                                             kAudioUnitScope_Global, 0, &size, &writable);
  if (status != noErr) {
    error = DescribeStatus("listing the parameters", status);
    return false;
  }
  std::vector<AudioUnitParameterID> ids(size / sizeof(AudioUnitParameterID));
  if (!ids.empty()) {
    size = static_cast<UInt32>(ids.size() * sizeof(AudioUnitParameterID));
    status = AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterList,
                                  kAudioUnitScope_Global, 0, ids.data(), &size);
    if (status != noErr) {
      error = DescribeStatus("listing the parameters", status);
      return false;
    }
    ids.resize(size / sizeof(AudioUnitParameterID));
  }
  for (AudioUnitParameterID id : ids) {
    PARAMETER p = {id, "", 0.0f};
    AudioUnitParameterInfo info;
    UInt32 infoSize = sizeof(info);
    if (AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id,
                             &info, &infoSize) == noErr) {
      info.name[sizeof(info.name) - 1] = 0;
      p.name = info.name;
      if (info.flags & kAudioUnitParameterFlag_CFNameRelease) {
        if (info.cfNameString) CFRelease(info.cfNameString);
        if (info.unitName) CFRelease(info.unitName);
      }
    }
    if (!GetParameter(id, p.value, error)) return false;
    list.push_back(p);
  }
  return true;
}

bool CAuHost::GetParameter(uint32_t id, float& value, std::string& error) {
  AudioUnitParameterValue v = 0.0f;
  const OSStatus status = AudioUnitGetParameter(m_unit, id, kAudioUnitScope_Global, 0, &v);
  if (status != noErr) {
    error = DescribeStatus(("reading parameter " + std::to_string(id)).c_str(), status);
    return false;
  }
  value = v;
  return true;
}

bool CAuHost::SaveState(PLIST_VALUE& state, std::string& error) {
  CFPropertyListRef object = nullptr;
  UInt32 size = sizeof(object);
  const OSStatus status = AudioUnitGetProperty(m_unit, kAudioUnitProperty_ClassInfo,
                                               kAudioUnitScope_Global, 0, &object, &size);
  if (status != noErr || !object) {
    error = DescribeStatus("saving the instrument's state", status);
    return false;
  }
  std::string problem;
  PLIST_VALUE value;
  const bool ok = StateCF::Read(object, value, problem);
  CFRelease(object);
  if (!ok) {
    error = "the instrument's saved state holds " + problem;
    return false;
  }
  state = std::move(value);
  return true;
}

bool CAuHost::RestoreState(const PLIST_VALUE& state, std::string& error) {
  CFPropertyListRef object = StateCF::Create(state);
  if (!object) {
    error = "the state holds text that is not valid UTF-8";
    return false;
  }
  const OSStatus status = AudioUnitSetProperty(m_unit, kAudioUnitProperty_ClassInfo,
                                               kAudioUnitScope_Global, 0, &object,
                                               sizeof(object));
  CFRelease(object);
  if (status != noErr) {
    error = status == kAudioUnitErr_InvalidPropertyValue
                ? "the instrument refused the state (it is another unit's, or damaged)"
                : DescribeStatus("restoring the instrument's state", status);
    return false;
  }
  return true;
}

bool CAuHost::SendMidi(uint8_t status, uint8_t data1, uint8_t data2, uint32_t offset,
                       std::string& error) {
  const OSStatus result = MusicDeviceMIDIEvent(m_unit, status, data1, data2, offset);
  if (result != noErr) {
    error = DescribeStatus("sending MIDI to the instrument", result);
    return false;
  }
  return true;
}

bool CAuHost::Render(uint32_t frames, float* left, float* right, std::string& error) {
  if (m_bufferList.size() < AudioBufferListSize(2) || frames > m_maxFrames) {
    error = "render of " + std::to_string(frames) + " frames before the instrument was set up";
    return false;
  }
  AudioBufferList* list = reinterpret_cast<AudioBufferList*>(m_bufferList.data());
  list->mNumberBuffers = 2;
  float* channels[2] = {left, right};
  for (int k = 0; k < 2; ++k) {
    list->mBuffers[k].mNumberChannels = 1;
    list->mBuffers[k].mDataByteSize = frames * static_cast<UInt32>(sizeof(float));
    list->mBuffers[k].mData = channels[k];
  }
  AudioTimeStamp stamp;
  std::memset(&stamp, 0, sizeof(stamp));
  stamp.mSampleTime = m_transport ? m_transport->samplePosition : 0.0;
  stamp.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;
  const OSStatus status = AudioUnitRender(m_unit, &flags, &stamp, 0, frames, list);
  if (status != noErr) {
    error = DescribeStatus("rendering", status);
    return false;
  }
  // A unit may hand back buffers of its own instead of filling ours.
  for (int k = 0; k < 2; ++k) {
    const void* data = list->mBuffers[k].mData;
    if (data && data != channels[k]) std::memcpy(channels[k], data, frames * sizeof(float));
  }
  return true;
}

OSStatus CAuHost::_BeatAndTempo(void* user, Float64* beat, Float64* tempo) {
  const CAuHost* host = static_cast<const CAuHost*>(user);
  if (!host || !host->m_transport) return kAudioUnitErr_CannotDoInCurrentContext;
  if (beat) *beat = host->m_transport->beat;
  if (tempo) *tempo = host->m_transport->tempo;
  return noErr;
}

OSStatus CAuHost::_MusicalTimeLocation(void* user, UInt32* deltaSamplesToNextBeat,
                                       Float32* numerator, UInt32* denominator,
                                       Float64* measureDownBeat) {
  const CAuHost* host = static_cast<const CAuHost*>(user);
  if (!host || !host->m_transport) return kAudioUnitErr_CannotDoInCurrentContext;
  const HOST_TRANSPORT& t = *host->m_transport;
  // The host plays in 4/4.
  const double toNextBeat = std::ceil(t.beat) - t.beat;
  const double samples = t.tempo > 0.0 ? toNextBeat * 60.0 / t.tempo * host->m_sampleRate : 0.0;
  if (deltaSamplesToNextBeat) *deltaSamplesToNextBeat = static_cast<UInt32>(std::lround(samples));
  if (numerator) *numerator = 4.0f;
  if (denominator) *denominator = 4;
  if (measureDownBeat) *measureDownBeat = std::floor(t.beat / 4.0) * 4.0;
  return noErr;
}

OSStatus CAuHost::_TransportState(void* user, Boolean* playing, Boolean* changed,
                                  Float64* samplePosition, Boolean* cycling, Float64* cycleStart,
                                  Float64* cycleEnd) {
  const CAuHost* host = static_cast<const CAuHost*>(user);
  if (!host || !host->m_transport) return kAudioUnitErr_CannotDoInCurrentContext;
  const HOST_TRANSPORT& t = *host->m_transport;
  if (playing) *playing = t.playing;
  if (changed) *changed = t.changed;
  if (samplePosition) *samplePosition = t.samplePosition;
  if (cycling) *cycling = false;
  if (cycleStart) *cycleStart = 0.0;
  if (cycleEnd) *cycleEnd = 0.0;
  return noErr;
}
