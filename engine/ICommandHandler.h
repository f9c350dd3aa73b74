#pragma once
// The engine's command interface: the one road by which the editor, the
// preset files and the host state chunk read and change the engine. The
// voice manager implements it. Oscillator indices are 0-3; the sample
// operations ignore a larger index (queries then give 0 or null).

#include "engine/SynthTypes.h"

class ICommandHandler {
 public:
  // Parameters. Integer settings are stored as floats; GetIntParam truncates
  // toward zero. Reads give the value set last, also before the next block.
  virtual unsigned int GetIntParam(unsigned int id) = 0;
  virtual float GetFloatParam(unsigned int id) = 0;
  virtual void SetIntParam(unsigned int id, unsigned int value) = 0;
  virtual void SetFloatParam(unsigned int id, float value) = 0;
  virtual void ResetParamToFactory(unsigned int id) = 0;

  // Whole presets (kind 0) and module presets (kinds 1-17). The MIDI
  // processor is reset before the preset changes. An older version is
  // converted in place, so buffer must be a whole SYNTH_PRESET. Returns
  // false when nothing was loaded.
  virtual bool LoadPreset(SYNTH_PRESET* buffer, unsigned int version, unsigned int kind,
                          unsigned int instance) = 0;
  // Returns the number of bytes written into buffer (0: nothing).
  virtual unsigned int SavePreset(SYNTH_PRESET* buffer, unsigned int kind, unsigned int instance) = 0;
  virtual void SetOscWaveTable(float* table, char* name, unsigned int osc) = 0;
  // *table = the oscillator's own wavetable; name receives 16 bytes
  // (zero-padded, not terminated when 16 long).
  virtual void GetOscWaveTable(float** table, char* name, unsigned int osc) = 0;
  virtual void Panic() = 0;

  // Oscillator samples. LoadSample switches the oscillator to sample mode
  // only when the file was read; a failed load keeps the previous sample,
  // name, loop and mode. LoadSampleFromMemory copies the frames and leaves
  // the mode alone.
  virtual bool LoadSample(char const* path, unsigned int osc) = 0;
  virtual bool LoadSampleFromMemory(unsigned int osc, float* left, float* right, unsigned int frames, float rate,
                                    char* name) = 0;
  // The path of the last LoadSample or the name of the last
  // LoadSampleFromMemory; owned by the oscillator.
  virtual const char* GetLoadedSamplePath(unsigned int osc) = 0;
  // The buffers stay owned by the oscillator; rate may be null.
  virtual void GetSample(unsigned int osc, float** left, float** right, unsigned int& frames, float* rate) = 0;
  virtual void SetSampleLoop(unsigned int osc, unsigned int start, unsigned int end) = 0;
  // Recorder region as fractions 0-1 of the recording.
  virtual void SetRecSampleLoop(float start, float end) = 0;
  virtual void SetSampleRootPitch(unsigned int osc, unsigned int pitch) = 0;
  virtual unsigned int GetSampleLoopStart(unsigned int osc) = 0;
  virtual unsigned int GetSampleLoopEnd(unsigned int osc) = 0;
  virtual unsigned int GetSampleRootPitch(unsigned int osc) = 0;

  // Sample recorder.
  virtual void StartRecording() = 0;
  virtual void StopRecording() = 0;
  virtual void ArmRecording() = 0;
  virtual void DisarmRecording() = 0;
  virtual void StartPlayback() = 0;
  virtual void StopPlayback() = 0;
  virtual bool IsPlaybackActive() = 0;
  virtual void DeleteRecordedSample() = 0;
  virtual bool IsRecordingActive() = 0;
  // The recorder's own buffers (null and 0 when there is no recording). They
  // are freed or replaced only by calls made on the editor's thread, so the
  // editor may read them up to frames until its next recorder command.
  virtual void GetRecordedSample(float** left, float** right, unsigned int& frames) = 0;
  // A copy of up to count recorded frames from frame first into left and
  // right, taken under the engine lock (so a note that starts a new
  // recording meanwhile cannot tear it); frames and generation report the
  // recording's length and its generation, which changes whenever frames
  // change other than by being appended. Returns the frames copied; count 0
  // only reports.
  virtual unsigned int CopyRecordedSample(unsigned int first, unsigned int count, float* left, float* right,
                                          unsigned int& frames, unsigned int& generation) = 0;
  virtual void CropRecordedSample() = 0;
  virtual void TrimRecordedSample() = 0;
  virtual void ReverseRecordedSample() = 0;
  virtual void InsertRecordedSampleToOsc(unsigned int osc) = 0;

 protected:
  // Nothing is deleted through the interface.
  ~ICommandHandler() = default;
};
