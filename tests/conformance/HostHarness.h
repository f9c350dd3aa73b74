#pragma once
// A small host for the instrument's Audio Unit, driving it only through the
// public Audio Unit calls, as a music application does: it registers and
// opens the component, sets the output format, the maximum frames per slice
// and the host's tempo and transport callbacks, initializes the unit, sends
// MIDI with frame offsets, renders into buffers of its own, moves
// parameters and saves and restores the state.
//
// The buffers it renders into are larger than the block and the frames
// after the block are filled with a marker value, so a render that writes past its block
// is caught (OverrunDetected).
//
// Shared by the conformance, thread and allocation tests and by the
// benchmarks (which include HostHarness.cpp directly).

#include <cstdint>
#include <vector>

#include "platform/au/AUComponent.h"

class CAUSynth;
class CVstSynth;
class ICommandHandler;
struct SAMPLE_CHECK;

// Owns one reference of a CoreFoundation object and releases it.
class CCFHolder {
 public:
  CCFHolder() = default;
  explicit CCFHolder(CFTypeRef ref) : m_ref(ref) {}
  ~CCFHolder() { Reset(); }
  CCFHolder(const CCFHolder&) = delete;
  CCFHolder& operator=(const CCFHolder&) = delete;
  CCFHolder(CCFHolder&& other) noexcept : m_ref(other.m_ref) { other.m_ref = nullptr; }
  CCFHolder& operator=(CCFHolder&& other) noexcept;

  void Reset(CFTypeRef ref = nullptr);
  CFTypeRef Get() const { return m_ref; }
  explicit operator bool() const { return m_ref != nullptr; }

 private:
  CFTypeRef m_ref = nullptr;
};

// What the host's callbacks report: tempo, meter and transport. The sample
// position and beat advance with every render.
struct HARNESS_TRANSPORT {
  double tempo = 120.0;
  bool playing = true;
  float timeSigNumerator = 4.0f;
  UInt32 timeSigDenominator = 4;
  bool cycling = false;
  double cycleStartBeat = 0.0;
  double cycleEndBeat = 16.0;
  // Each callback can be switched off (the host then does not supply it).
  bool supplyBeatAndTempo = true;
  bool supplyMusicalTime = true;
  bool supplyTransport = true;
};

class CHostHarness {
 public:
  // Largest block the harness's own buffers hold.
  static constexpr UInt32 MAX_BUFFER_FRAMES = 32768;
  static constexpr UInt32 PARAM_COUNT = 333;
  // Marked frames after each block, where nothing may be written.
  static constexpr UInt32 GUARD_FRAMES = 64;

  CHostHarness();
  ~CHostHarness();
  CHostHarness(const CHostHarness&) = delete;
  CHostHarness& operator=(const CHostHarness&) = delete;

  // Opens a new instance of the registered component (an open instance is
  // disposed first). False when the component cannot be opened.
  bool Open();
  void Close();
  bool IsOpen() const { return m_unit != nullptr; }

  // Output format (32-bit float, non-interleaved stereo) at rate, maximum
  // frames, host callbacks, then AudioUnitInitialize. noErr or the first error.
  OSStatus Start(double rate = 44100.0, UInt32 maxFrames = 1024);

  // Single steps of the set-up.
  OSStatus SetFormat(double rate, UInt32 channels = 2);
  OSStatus SetSampleRateProperty(double rate);
  OSStatus SetMaxFrames(UInt32 frames);
  OSStatus InstallHostCallbacks();
  OSStatus Initialize();
  OSStatus Uninitialize();
  OSStatus Reset();

  // Renders frames into the harness's buffers (the host's own buffers, as
  // the usual host passes them). The unit's answer is returned.
  OSStatus Render(UInt32 frames);
  // Renders with a buffer list whose data pointers are null, so the unit
  // lends its own buffers; the result is copied into the harness's buffers.
  OSStatus RenderIntoUnitBuffers(UInt32 frames);
  const float* Left() const { return m_left.data(); }
  const float* Right() const { return m_right.data(); }
  UInt32 LastFrames() const { return m_lastFrames; }
  // Renders totalFrames in blocks of at most `block`, appending the output
  // to left and right (either may be null) and adding it to check (may be
  // null). Stops at the first error or overrun, which is returned
  // (kAudio_ParamError for an overrun).
  OSStatus RenderFor(UInt32 totalFrames, UInt32 block, std::vector<float>* left,
                     std::vector<float>* right, SAMPLE_CHECK* check);
  // True when the last render wrote beyond its frames.
  bool OverrunDetected() const;

  // MIDI, with the frame offset inside the next rendered block.
  OSStatus Midi(UInt8 status, UInt8 data1, UInt8 data2, UInt32 offset = 0);
  OSStatus NoteOn(UInt8 channel, UInt8 note, UInt8 velocity, UInt32 offset = 0);
  OSStatus NoteOff(UInt8 channel, UInt8 note, UInt32 offset = 0);
  OSStatus Controller(UInt8 channel, UInt8 controller, UInt8 value, UInt32 offset = 0);

  // Host parameters 0..332 (global scope).
  OSStatus SetParam(UInt32 index, float value, UInt32 offset = 0);
  float GetParam(UInt32 index) const;
  std::vector<float> GetAllParams() const;

  // Saved state (kAudioUnitProperty_ClassInfo). An empty holder on failure.
  CCFHolder SaveState(OSStatus* error = nullptr);
  OSStatus RestoreState(CFPropertyListRef state);
  // The instrument's chunk inside a saved state ("mChunkData"); empty when none.
  static std::vector<uint8_t> ChunkOf(CFPropertyListRef state);
  // A copy of state whose chunk is replaced by bytes.
  static CCFHolder WithChunk(CFPropertyListRef state, const std::vector<uint8_t>& bytes);

  // Direct access for checks that the Audio Unit interface does not reach.
  AudioUnit Unit() const { return m_unit; }
  CAUSynth* Synth() const;
  CVstSynth* Vst() const;
  ICommandHandler* Commands() const;

  HARNESS_TRANSPORT& Transport() { return m_transport; }
  double SampleRate() const { return m_rate; }
  double SamplePosition() const { return m_samplePosition; }

  // The MXCSR seen by the last beat-and-tempo callback, which the instrument
  // calls from inside its render; 0 when none was seen (or no SSE).
  unsigned int MxcsrInsideRender() const { return m_mxcsrInside; }
  unsigned int TimeCallbacksSeen() const { return m_timeCallbacks; }

 private:
  static OSStatus _BeatAndTempo(void* user, Float64* beat, Float64* tempo);
  static OSStatus _MusicalTime(void* user, UInt32* deltaToNextBeat, Float32* numerator,
                               UInt32* denominator, Float64* downBeat);
  static OSStatus _TransportState(void* user, Boolean* playing, Boolean* changed,
                                  Float64* sample, Boolean* cycling, Float64* cycleStart,
                                  Float64* cycleEnd);
  double _Beat() const;
  void _MarkTails(UInt32 frames);
  AudioBufferList* _List() { return reinterpret_cast<AudioBufferList*>(m_listBytes.data()); }

  AudioComponent m_component = nullptr;
  AudioUnit m_unit = nullptr;
  double m_rate = 44100.0;
  double m_samplePosition = 0.0;
  bool m_transportChanged = true;
  HARNESS_TRANSPORT m_transport;
  std::vector<float> m_left;
  std::vector<float> m_right;
  std::vector<uint8_t> m_listBytes;
  UInt32 m_lastFrames = 0;
  unsigned int m_mxcsrInside = 0;
  unsigned int m_timeCallbacks = 0;
};

// ---------------------------------------------------------------------------
// Checks on rendered samples and on the processor's floating-point mode.

struct SAMPLE_CHECK {
  unsigned long nans = 0;
  unsigned long infinities = 0;
  unsigned long subnormals = 0;
  float peak = 0.0f;

  bool Clean() const { return nans == 0 && infinities == 0 && subnormals == 0; }
  void Add(const float* x, UInt32 n);
};

// Frequency from rising zero crossings of x[from, to), interpolated; 0 when
// fewer than two crossings.
double MeasureFrequency(const float* x, size_t from, size_t to, double rate);
double Rms(const float* x, size_t from, size_t to);
// Equal-tempered frequency of a MIDI note (A4 = note 69 = 440 Hz).
double NoteFrequency(int note);

// The SSE control and status register (MXCSR); 0 where there is none.
unsigned int ReadFloatControlWord();
void WriteFloatControlWord(unsigned int word);
bool HaveFloatControlWord();
const unsigned int MXCSR_FLUSH_TO_ZERO = 0x8000;
const unsigned int MXCSR_DENORMALS_ARE_ZERO = 0x40;

// Sets a control word for a scope and puts the previous one back after.
class CFloatControlWordScope {
 public:
  explicit CFloatControlWordScope(unsigned int word);
  ~CFloatControlWordScope();

 private:
  unsigned int m_saved;
};

// True when the tests run instrumented or unoptimised (sanitizers, Debug),
// where the checks run on a reduced grid. MORLAVINE_CONFORMANCE_FULL=1 in the
// environment forces the full grid, MORLAVINE_CONFORMANCE_FULL=0 the reduced one.
bool ReducedGrid();
