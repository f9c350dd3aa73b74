#pragma once
// The sound source of an oscillator in sample mode: plays the loaded stereo
// sample at the note's pitch, straight through its loop region or as a cloud
// of up to eight grains, at the host rate; brings the result up to the
// oscillator rate with two-times up-samplers; then the stereo filter and
// drive, level, pan and ring modulation. One player serves every voice of
// its oscillator; the per-voice state (up-sampler memories, grains, play
// position) lives in the voice's OSC_STATE.
//
// In sample mode some oscillator parameters change meaning: the four
// effect-slot amounts are grain density, pitch spread, size and stereo width;
// invert switches grain playback on; free phase switches the loop on.

#include <memory>

#include "dsp/OscDrive.h"
#include "dsp/OscFilter.h"
#include "engine/Buffers.h"
#include "engine/ModulatedParam.h"
#include "osc/2XUpSampler.h"
#include "osc/SampleLoader.h"

class IGlobalSynth;
class CVoice;
struct OSC_GRAIN_STATE;

class CSamplePlayer {
 public:
  static const unsigned int DEFAULT_ROOT_PITCH = 60;

  explicit CSamplePlayer(IGlobalSynth* synth);
  ~CSamplePlayer();
  CSamplePlayer(const CSamplePlayer&) = delete;
  CSamplePlayer& operator=(const CSamplePlayer&) = delete;

  void SetInstance(unsigned int osc);
  // The oscillator's (oversampled) rate.
  void SetSampleRate(float rate);
  // Samples per block at the oscillator rate.
  void SetBlockSize(unsigned int n);
  // Once per block, n host samples.
  void UpdateParams(unsigned int n);
  void Reset(CVoice* voice);
  void StartVoice(CVoice* voice);
  // Renders n samples at the oscillator rate into left and right (both
  // written). pitch: one phase increment per host sample, in cycles per
  // oscillator sample; ring: the ring-modulation source at the oscillator
  // rate, or null. Silence without a sample or a pitch buffer.
  void Generate(CVoice* voice, const float* pitch, float* left, float* right, const float* ring, unsigned int n);

  // Reads a WAV file (peak-normalised). On failure the previous sample and
  // loop stay. On success the loop covers the whole sample less its last
  // frame. Runs under the engine lock.
  bool LoadSample(const char* path);
  // Copies both channels (peak-normalised). 0 frames leave no sample. A
  // refused copy (no data, bad rate, out of memory) keeps the previous
  // sample and loop.
  bool LoadSampleFromMemory(const float* left, const float* right, unsigned int frames, float rate);
  // Takes a sample read beforehand (outside the engine lock) and hands the
  // previous one back in loaded, to be freed by the caller outside the lock.
  // The loop covers the whole sample less its last frame. Runs under the
  // engine lock; allocates nothing.
  void TakeSample(std::unique_ptr<CSampleLoader>& loaded) { _Take(loaded); }
  // The player's own buffers; null, null, 0 and rate 0 without a sample.
  void GetSample(float** left, float** right, unsigned int& frames, float* rate);

  // With N frames: start and end are limited to N - 1, the end to at least
  // start + 1; a loop that is then empty covers the whole sample.
  void SetLoop(unsigned int start, unsigned int end);
  // The MIDI note at which the sample sounds at its recorded pitch; kept as
  // given, read as 0..127.
  void SetRootPitch(unsigned int pitch) { m_rootPitch = pitch; }
  unsigned int GetLoopStart() const { return m_loopStart; }
  unsigned int GetLoopEnd() const { return m_loopEnd; }
  unsigned int GetRootPitch() const { return m_rootPitch; }

 private:
  struct REGION;

  void _Take(std::unique_ptr<CSampleLoader>& loaded);
  // Playback region of the current loop: frames of the left and right
  // arrays from the loop start, its length and the last readable index.
  bool _Region(REGION& r) const;
  void _InitializeGrain(OSC_GRAIN_STATE* grain, double position, float spread, float size, float width) const;
  // The stereo filter, then the stereo drive of the sample path (in place,
  // n samples at the oscillator rate).
  void _ProcessFilterAndDrive(CVoice* voice, float* left, float* right, unsigned int n);

  float m_hostRate = 44100.0f;
  unsigned int m_rootPitch = DEFAULT_ROOT_PITCH;
  unsigned int m_loopStart = 0;
  unsigned int m_loopEnd = 0;
  // Level, pan and ring depth at the oscillator rate; the grain settings at
  // the host rate.
  MODULATED_PARAM m_level;
  MODULATED_PARAM m_pan;
  MODULATED_PARAM m_ring;
  MODULATED_PARAM m_density;
  MODULATED_PARAM m_spread;
  MODULATED_PARAM m_size;
  MODULATED_PARAM m_width;
  // The sample path's own filter and drive, on the oscillator's filter and
  // drive parameters; the filter keeps each voice's state in its
  // OSC_FX_STATE for this oscillator (left and right blocks).
  COscFilterStereo m_filter;
  COscDriveStereo m_drive;
  IGlobalSynth* m_synth;
  unsigned int m_osc = 0;
  float m_sampleRate = 44100.0f;
  unsigned int m_blockSize = 0;
  std::unique_ptr<CSampleLoader> m_sample;
  // Left stages 0..2, then right stages 0..2; their memories live per voice.
  C2XUpSampler m_upSampler[6];
  CMonoBuffer m_scratchLeft;
  CMonoBuffer m_scratchRight;
  CMonoBuffer m_scratchStage;
  unsigned int m_scratchCount = 0;
};
