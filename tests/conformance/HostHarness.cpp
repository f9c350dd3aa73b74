#include "tests/conformance/HostHarness.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#if defined(__SSE__) || defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#define HOST_HARNESS_HAVE_MXCSR 1
#endif

#include "engine/ICommandHandler.h"
#include "engine/VoiceManager.h"
#include "host/au/AUSynth.h"
#include "host/au/AUSynthEntry.h"
#include "host/vst/VstSynth.h"
#include "platform/au/AudioToolbox.h"

namespace {

// Written into the unused tail of the render buffers; a render never
// produces this exact bit pattern by chance.
const uint32_t TAIL_MARK_BITS = 0x7FC0DEADu;

float TailMark() {
  float f;
  std::memcpy(&f, &TAIL_MARK_BITS, sizeof(f));
  return f;
}

bool IsTailMark(float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof(bits));
  return bits == TAIL_MARK_BITS;
}

AudioStreamBasicDescription FloatFormat(double rate, UInt32 channels) {
  AudioStreamBasicDescription f;
  std::memset(&f, 0, sizeof(f));
  f.mSampleRate = rate;
  f.mFormatID = kAudioFormatLinearPCM;
  f.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked |
                   kAudioFormatFlagIsNonInterleaved;
  f.mBitsPerChannel = 32;
  f.mChannelsPerFrame = channels;
  f.mFramesPerPacket = 1;
  f.mBytesPerFrame = f.mBytesPerPacket = 4;
  return f;
}

}  // namespace

// ---------------------------------------------------------------------------
// CCFHolder

CCFHolder& CCFHolder::operator=(CCFHolder&& other) noexcept {
  if (this != &other) {
    Reset(other.m_ref);
    other.m_ref = nullptr;
  }
  return *this;
}

void CCFHolder::Reset(CFTypeRef ref) {
  if (m_ref) CFRelease(m_ref);
  m_ref = ref;
}

// ---------------------------------------------------------------------------
// Opening and set-up

CHostHarness::CHostHarness()
    : m_left(MAX_BUFFER_FRAMES + GUARD_FRAMES), m_right(MAX_BUFFER_FRAMES + GUARD_FRAMES),
      m_listBytes(AudioBufferListSize(2)) {
  m_component = CAUSynthRegister();
  Open();
}

CHostHarness::~CHostHarness() { Close(); }

bool CHostHarness::Open() {
  Close();
  if (!m_component) return false;
  if (AudioComponentInstanceNew(m_component, &m_unit) != noErr) m_unit = nullptr;
  m_samplePosition = 0.0;
  m_transportChanged = true;
  return m_unit != nullptr;
}

void CHostHarness::Close() {
  if (m_unit) AudioComponentInstanceDispose(m_unit);
  m_unit = nullptr;
}

OSStatus CHostHarness::Start(double rate, UInt32 maxFrames) {
  OSStatus err = SetFormat(rate);
  if (err == noErr) err = SetMaxFrames(maxFrames);
  if (err == noErr) err = InstallHostCallbacks();
  if (err == noErr) err = Initialize();
  return err;
}

OSStatus CHostHarness::SetFormat(double rate, UInt32 channels) {
  const AudioStreamBasicDescription format = FloatFormat(rate, channels);
  OSStatus err = AudioUnitSetProperty(m_unit, kAudioUnitProperty_StreamFormat,
                                      kAudioUnitScope_Output, 0, &format, sizeof(format));
  if (err == noErr) m_rate = rate;
  return err;
}

OSStatus CHostHarness::SetSampleRateProperty(double rate) {
  OSStatus err = AudioUnitSetProperty(m_unit, kAudioUnitProperty_SampleRate,
                                      kAudioUnitScope_Output, 0, &rate, sizeof(rate));
  if (err == noErr) m_rate = rate;
  return err;
}

OSStatus CHostHarness::SetMaxFrames(UInt32 frames) {
  return AudioUnitSetProperty(m_unit, kAudioUnitProperty_MaximumFramesPerSlice,
                              kAudioUnitScope_Global, 0, &frames, sizeof(frames));
}

OSStatus CHostHarness::InstallHostCallbacks() {
  HostCallbackInfo info;
  std::memset(&info, 0, sizeof(info));
  info.hostUserData = this;
  info.beatAndTempoProc = _BeatAndTempo;
  info.musicalTimeLocationProc = _MusicalTime;
  info.transportStateProc = _TransportState;
  return AudioUnitSetProperty(m_unit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0,
                              &info, sizeof(info));
}

OSStatus CHostHarness::Initialize() { return AudioUnitInitialize(m_unit); }
OSStatus CHostHarness::Uninitialize() { return AudioUnitUninitialize(m_unit); }
OSStatus CHostHarness::Reset() {
  return AudioUnitReset(m_unit, kAudioUnitScope_Global, 0);
}

// ---------------------------------------------------------------------------
// Render

void CHostHarness::_MarkTails(UInt32 frames) {
  const float mark = TailMark();
  const size_t from = frames < m_left.size() ? frames : m_left.size();
  const size_t to = std::min(m_left.size(), from + GUARD_FRAMES);
  std::fill(m_left.begin() + from, m_left.begin() + to, mark);
  std::fill(m_right.begin() + from, m_right.begin() + to, mark);
}

bool CHostHarness::OverrunDetected() const {
  const size_t from = m_lastFrames < m_left.size() ? m_lastFrames : m_left.size();
  const size_t to = std::min(m_left.size(), from + GUARD_FRAMES);
  for (size_t i = from; i < to; ++i)
    if (!IsTailMark(m_left[i]) || !IsTailMark(m_right[i])) return true;
  return false;
}

OSStatus CHostHarness::Render(UInt32 frames) {
  if (frames > MAX_BUFFER_FRAMES) return kAudio_ParamError;
  _MarkTails(frames);
  m_lastFrames = frames;
  AudioBufferList* list = _List();
  list->mNumberBuffers = 2;
  float* data[2] = {m_left.data(), m_right.data()};
  for (UInt32 k = 0; k < 2; ++k) {
    list->mBuffers[k].mNumberChannels = 1;
    // The host announces more than the block: the block and its guard.
    list->mBuffers[k].mDataByteSize = (frames + GUARD_FRAMES) * sizeof(float);
    list->mBuffers[k].mData = data[k];
  }
  AudioUnitRenderActionFlags flags = 0;
  AudioTimeStamp stamp;
  std::memset(&stamp, 0, sizeof(stamp));
  stamp.mSampleTime = m_samplePosition;
  stamp.mFlags = kAudioTimeStampSampleTimeValid;
  const OSStatus err = AudioUnitRender(m_unit, &flags, &stamp, 0, frames, list);
  if (err == noErr) {
    m_samplePosition += frames;
    m_transportChanged = false;
  }
  return err;
}

OSStatus CHostHarness::RenderFor(UInt32 totalFrames, UInt32 block, std::vector<float>* left,
                                 std::vector<float>* right, SAMPLE_CHECK* check) {
  if (block == 0) return kAudio_ParamError;
  for (UInt32 done = 0; done < totalFrames;) {
    const UInt32 n = std::min(block, totalFrames - done);
    const OSStatus err = Render(n);
    if (err != noErr) return err;
    if (OverrunDetected()) return kAudio_ParamError;
    if (left) left->insert(left->end(), m_left.begin(), m_left.begin() + n);
    if (right) right->insert(right->end(), m_right.begin(), m_right.begin() + n);
    if (check) {
      check->Add(m_left.data(), n);
      check->Add(m_right.data(), n);
    }
    done += n;
  }
  return noErr;
}

OSStatus CHostHarness::RenderIntoUnitBuffers(UInt32 frames) {
  if (frames > MAX_BUFFER_FRAMES) return kAudio_ParamError;
  _MarkTails(frames);
  m_lastFrames = frames;
  AudioBufferList* list = _List();
  list->mNumberBuffers = 2;
  for (UInt32 k = 0; k < 2; ++k) {
    list->mBuffers[k].mNumberChannels = 1;
    list->mBuffers[k].mDataByteSize = frames * sizeof(float);
    list->mBuffers[k].mData = nullptr;
  }
  AudioUnitRenderActionFlags flags = 0;
  AudioTimeStamp stamp;
  std::memset(&stamp, 0, sizeof(stamp));
  stamp.mSampleTime = m_samplePosition;
  stamp.mFlags = kAudioTimeStampSampleTimeValid;
  const OSStatus err = AudioUnitRender(m_unit, &flags, &stamp, 0, frames, list);
  if (err != noErr) return err;
  if (!list->mBuffers[0].mData || !list->mBuffers[1].mData) return kAudio_ParamError;
  std::memcpy(m_left.data(), list->mBuffers[0].mData, frames * sizeof(float));
  std::memcpy(m_right.data(), list->mBuffers[1].mData, frames * sizeof(float));
  m_samplePosition += frames;
  m_transportChanged = false;
  return noErr;
}

// ---------------------------------------------------------------------------
// MIDI and parameters

OSStatus CHostHarness::Midi(UInt8 status, UInt8 data1, UInt8 data2, UInt32 offset) {
  return MusicDeviceMIDIEvent(m_unit, status, data1, data2, offset);
}

OSStatus CHostHarness::NoteOn(UInt8 channel, UInt8 note, UInt8 velocity, UInt32 offset) {
  return Midi(static_cast<UInt8>(0x90 | (channel & 0x0F)), note & 0x7F, velocity & 0x7F, offset);
}

OSStatus CHostHarness::NoteOff(UInt8 channel, UInt8 note, UInt32 offset) {
  return Midi(static_cast<UInt8>(0x80 | (channel & 0x0F)), note & 0x7F, 0, offset);
}

OSStatus CHostHarness::Controller(UInt8 channel, UInt8 controller, UInt8 value, UInt32 offset) {
  return Midi(static_cast<UInt8>(0xB0 | (channel & 0x0F)), controller & 0x7F, value & 0x7F,
              offset);
}

OSStatus CHostHarness::SetParam(UInt32 index, float value, UInt32 offset) {
  return AudioUnitSetParameter(m_unit, index, kAudioUnitScope_Global, 0, value, offset);
}

float CHostHarness::GetParam(UInt32 index) const {
  AudioUnitParameterValue value = NAN;
  if (AudioUnitGetParameter(m_unit, index, kAudioUnitScope_Global, 0, &value) != noErr) return NAN;
  return value;
}

std::vector<float> CHostHarness::GetAllParams() const {
  std::vector<float> values(PARAM_COUNT);
  for (UInt32 k = 0; k < PARAM_COUNT; ++k) values[k] = GetParam(k);
  return values;
}

// ---------------------------------------------------------------------------
// State

CCFHolder CHostHarness::SaveState(OSStatus* error) {
  CFPropertyListRef state = nullptr;
  UInt32 size = sizeof(state);
  const OSStatus err = AudioUnitGetProperty(m_unit, kAudioUnitProperty_ClassInfo,
                                            kAudioUnitScope_Global, 0, &state, &size);
  if (error) *error = err;
  if (err != noErr) {
    if (state) CFRelease(state);
    return CCFHolder();
  }
  return CCFHolder(state);
}

OSStatus CHostHarness::RestoreState(CFPropertyListRef state) {
  return AudioUnitSetProperty(m_unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0,
                              &state, sizeof(state));
}

std::vector<uint8_t> CHostHarness::ChunkOf(CFPropertyListRef state) {
  if (CFGetTypeID(state) != CFDictionaryGetTypeID()) return {};
  CFTypeRef item =
      CFDictionaryGetValue(static_cast<CFDictionaryRef>(state), CFSTR("mChunkData"));
  if (CFGetTypeID(item) != CFDataGetTypeID()) return {};
  CFDataRef data = static_cast<CFDataRef>(item);
  const UInt8* bytes = CFDataGetBytePtr(data);
  if (!bytes) return {};
  return std::vector<uint8_t>(bytes, bytes + CFDataGetLength(data));
}

CCFHolder CHostHarness::WithChunk(CFPropertyListRef state, const std::vector<uint8_t>& bytes) {
  if (CFGetTypeID(state) != CFDictionaryGetTypeID()) return CCFHolder();
  CFDictionaryRef dict = static_cast<CFDictionaryRef>(state);
  const CFIndex count = CFDictionaryGetCount(dict);
  std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
  CFDictionaryGetKeysAndValues(dict, keys.data(), values.data());
  CFMutableDictionaryRef copy = CFDictionaryCreateMutable(
      nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  for (CFIndex k = 0; k < count; ++k) CFDictionarySetValue(copy, keys[k], values[k]);
  CFDataRef data = CFDataCreate(nullptr, bytes.empty() ? nullptr : bytes.data(),
                                static_cast<CFIndex>(bytes.size()));
  CFDictionarySetValue(copy, CFSTR("mChunkData"), data);
  CFRelease(data);
  return CCFHolder(copy);
}

// ---------------------------------------------------------------------------
// Access

CAUSynth* CHostHarness::Synth() const {
  CAUSynth* synth = nullptr;
  UInt32 size = sizeof(synth);
  if (AudioUnitGetProperty(m_unit, kAUSynthProperty_Instance, kAudioUnitScope_Global, 0, &synth,
                           &size) != noErr)
    return nullptr;
  return synth;
}

CVstSynth* CHostHarness::Vst() const {
  CAUSynth* synth = Synth();
  if (!synth || !synth->GetEffect()) return nullptr;
  return static_cast<CVstSynth*>(static_cast<AudioEffect*>(synth->GetEffect()->object));
}

ICommandHandler* CHostHarness::Commands() const {
  CVstSynth* vst = Vst();
  return vst ? static_cast<ICommandHandler*>(vst->GetVoiceManager()) : nullptr;
}

// ---------------------------------------------------------------------------
// Host callbacks

double CHostHarness::_Beat() const {
  return m_samplePosition / m_rate * m_transport.tempo / 60.0;
}

OSStatus CHostHarness::_BeatAndTempo(void* user, Float64* beat, Float64* tempo) {
  CHostHarness* self = static_cast<CHostHarness*>(user);
  ++self->m_timeCallbacks;
  self->m_mxcsrInside = ReadFloatControlWord();
  if (!self->m_transport.supplyBeatAndTempo) return kAudioUnitErr_CannotDoInCurrentContext;
  if (beat) *beat = self->_Beat();
  if (tempo) *tempo = self->m_transport.tempo;
  return noErr;
}

OSStatus CHostHarness::_MusicalTime(void* user, UInt32* deltaToNextBeat, Float32* numerator,
                                    UInt32* denominator, Float64* downBeat) {
  CHostHarness* self = static_cast<CHostHarness*>(user);
  if (!self->m_transport.supplyMusicalTime) return kAudioUnitErr_CannotDoInCurrentContext;
  const double beat = self->_Beat();
  const double samplesPerBeat =
      self->m_transport.tempo > 0.0 ? self->m_rate * 60.0 / self->m_transport.tempo : 0.0;
  double delta = (std::ceil(beat) - beat) * samplesPerBeat;
  if (!(delta >= 0.0) || delta > 4.0e9) delta = 0.0;
  const double beatsPerBar = self->m_transport.timeSigNumerator > 0.0f
                                 ? static_cast<double>(self->m_transport.timeSigNumerator)
                                 : 4.0;
  if (deltaToNextBeat) *deltaToNextBeat = static_cast<UInt32>(delta);
  if (numerator) *numerator = self->m_transport.timeSigNumerator;
  if (denominator) *denominator = self->m_transport.timeSigDenominator;
  if (downBeat) {
    const double bar = std::isfinite(beat) ? std::floor(beat / beatsPerBar) : 0.0;
    *downBeat = bar * beatsPerBar;
  }
  return noErr;
}

OSStatus CHostHarness::_TransportState(void* user, Boolean* playing, Boolean* changed,
                                       Float64* sample, Boolean* cycling, Float64* cycleStart,
                                       Float64* cycleEnd) {
  CHostHarness* self = static_cast<CHostHarness*>(user);
  if (!self->m_transport.supplyTransport) return kAudioUnitErr_CannotDoInCurrentContext;
  if (playing) *playing = self->m_transport.playing;
  if (changed) *changed = self->m_transportChanged;
  if (sample) *sample = self->m_samplePosition;
  if (cycling) *cycling = self->m_transport.cycling;
  if (cycleStart) *cycleStart = self->m_transport.cycleStartBeat;
  if (cycleEnd) *cycleEnd = self->m_transport.cycleEndBeat;
  return noErr;
}

// ---------------------------------------------------------------------------
// Sample checks and the floating-point mode

void SAMPLE_CHECK::Add(const float* x, UInt32 n) {
  for (UInt32 i = 0; i < n; ++i) {
    const float v = x[i];
    switch (std::fpclassify(v)) {
      case FP_NAN:
        ++nans;
        break;
      case FP_INFINITE:
        ++infinities;
        break;
      case FP_SUBNORMAL:
        ++subnormals;
        break;
      default: {
        const float a = std::fabs(v);
        if (a > peak) peak = a;
        break;
      }
    }
  }
}

double MeasureFrequency(const float* x, size_t from, size_t to, double rate) {
  double first = -1.0, last = -1.0;
  int count = 0;
  for (size_t i = from + 1; i < to; ++i) {
    if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
      const double t = static_cast<double>(i - 1) + x[i - 1] / static_cast<double>(x[i - 1] - x[i]);
      if (first < 0.0) first = t;
      last = t;
      ++count;
    }
  }
  if (count < 2 || last <= first) return 0.0;
  return (count - 1) * rate / (last - first);
}

double Rms(const float* x, size_t from, size_t to) {
  if (to <= from) return 0.0;
  double sum = 0.0;
  for (size_t i = from; i < to; ++i) sum += static_cast<double>(x[i]) * x[i];
  return std::sqrt(sum / static_cast<double>(to - from));
}

double NoteFrequency(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

bool HaveFloatControlWord() {
#ifdef HOST_HARNESS_HAVE_MXCSR
  return true;
#else
  return false;
#endif
}

unsigned int ReadFloatControlWord() {
#ifdef HOST_HARNESS_HAVE_MXCSR
  return _mm_getcsr();
#else
  return 0;
#endif
}

void WriteFloatControlWord(unsigned int word) {
#ifdef HOST_HARNESS_HAVE_MXCSR
  _mm_setcsr(word);
#else
  (void)word;
#endif
}

CFloatControlWordScope::CFloatControlWordScope(unsigned int word)
    : m_saved(ReadFloatControlWord()) {
  WriteFloatControlWord(word);
}

CFloatControlWordScope::~CFloatControlWordScope() { WriteFloatControlWord(m_saved); }

bool ReducedGrid() {
  if (const char* full = std::getenv("MORLAVINE_CONFORMANCE_FULL")) {
    if (full[0] == '1') return false;
    if (full[0] == '0') return true;
  }
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || !defined(__OPTIMIZE__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || \
    __has_feature(undefined_behavior_sanitizer)
  return true;
#else
  return false;
#endif
#else
  return false;
#endif
}
