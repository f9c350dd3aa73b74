#pragma once
// An oscillator's user wavetable: one single-cycle wave of 16,384 samples and
// ten band-limited copies of it (mip levels) built by FFT. Level L keeps
// harmonics 1 .. 2^(10 - L); the oscillator plays the level whose highest
// harmonic stays below 40 kHz at the note's frequency. An unloaded table
// plays silence.
//
// The class also carries the wave operations of the wavetable editor
// (normalising, cubic resampling, power-of-two resampling, smoothing,
// sharpening) and the wavetable WAV file load and save.
//
// Memory: every table, the FFT work buffers and both FFT plans are made once
// by the constructor, so a rebuild (on the audio thread, at a block start)
// allocates nothing.

#include <fftw.h>

#include <mutex>
#include <string>

class CWaveTable {
 public:
  static const unsigned int TABLE_SIZE = 16384;
  static const unsigned int LEVEL_COUNT = 10;
  static const unsigned int NAME_BYTES = 16;

  CWaveTable();
  ~CWaveTable();
  CWaveTable(const CWaveTable&) = delete;
  CWaveTable& operator=(const CWaveTable&) = delete;

  // Every table is built at 16,384 points whatever the quality; the setting
  // is kept and changes nothing.
  void SetQuality(unsigned int quality) { m_quality = quality; }
  unsigned int GetQuality() const { return m_quality; }

  // Takes 16,384 floats of wave as the new source (wave may be the source
  // itself, GetSource()) and the name (16 bytes, copy stops at a zero), then
  // rebuilds the mip levels. An unchanged wave keeps the levels it has.
  void LoadWaveTable(const float* wave, const char* name);
  // LoadWaveTable without the levels' build, which waits for the next
  // PrepareLevels(): a wave that is loaded (every oscillator loads its
  // preset's) but never played costs a copy, not ten transforms. The levels
  // come from the wave as loaded here.
  void LoadWaveTableDeferred(const float* wave, const char* name);
  // Builds the levels that a deferred load left to build, if any; a reader
  // of the levels calls it first (the oscillator's wavetable mode does). No
  // allocation: fit for the audio thread.
  void PrepareLevels() {
    if (m_levelsPending) GenerateMipMaps();
  }
  // Takes wave (16,384 floats) as the source and builds its levels now, if
  // they are not built yet, keeping the name: for the thread that sets a
  // wave or the mode that plays it, ahead of the load that brings the same
  // wave to the oscillator (which then finds its levels ready).
  void PrepareWave(const float* wave);
  // How many times the levels have been built (each time ten transforms).
  unsigned int GetLevelBuildCount() const { return m_levelBuilds; }
  // The two build steps of LoadWaveTable: the normalised working copy of the
  // source, then the ten levels from its spectrum.
  void ReduceQuality();
  void GenerateMipMaps();

  // Selects the level for a fundamental in Hz: the smallest L in 0..8 with
  // frequency < 40000 / 2^(10 - L), else 9.
  void SetFundamental(float frequency);
  unsigned int GetLevel() const { return m_level; }

  // The current level at phase 0..1, linearly interpolated; the read wraps
  // to point 0 at the end, and a phase outside 0..1 (or NaN) reads point 0.
  inline float GetSample(float phase) const {
    const float* t = m_levels[m_level];
    const float x = static_cast<float>(m_size) * phase;
    if (!(x >= 0.0f && x < static_cast<float>(m_size))) return t[0];
    const unsigned int i = static_cast<unsigned int>(x);
    const float f = x - static_cast<float>(i);
    // Each level has a guard point after its last equal to point 0.
    return (1.0f - f) * t[i] + f * t[i + 1];
  }

  // The wave as loaded (handed to the editor), its name, and the levels.
  float* GetSource() { return m_source; }
  char* GetName() { return m_name; }
  const float* GetLevelTable(unsigned int level) const { return m_levels[level < LEVEL_COUNT ? level : 0]; }

  // Static wave operations on caller-owned arrays.
  // Zero, denormal and non-finite values become 0, then the data is scaled
  // to a peak magnitude of 1 (all-zero data stays zero).
  static void Normalize(float* data, unsigned int n);
  // Catmull-Rom resampling of src (srcLength points) onto dst (dstLength
  // points); the ends land exactly on the first and last source points.
  static void Interpolate(float* dst, unsigned int dstLength, const float* src, unsigned int srcLength);
  // In place: n -> n / factor by halving passes (factor a power of two).
  static void Downsample(float* data, unsigned int n, unsigned int factor);
  // In place: n -> n * factor by doubling passes; data holds n * factor floats.
  // False (data untouched) when the work array cannot be had.
  static bool Upsample(float* data, unsigned int n, unsigned int factor);
  // Centred moving average in place, the window shrinking at both ends;
  // point 0 is kept and each average sees the values already smoothed.
  static void Smoothing(float* data, unsigned int n, unsigned int window);
  // Subtracts amount times the mean of the two neighbours and rescales by
  // 1 / (1 - amount), where the neighbourhood stays below magnitude 1.
  static void Sharpening(float* data, int n, float amount);

  // Reads a WAV file's first channel as one cycle, brought to 16,384 points
  // and normalised, into wave; name gets at most 15 characters of the file
  // name (no folder, no extension) and zero bytes. False, with wave and name
  // untouched, when the file cannot be read as a wave.
  static bool LoadFromFile(const char* path, float* wave, char* name);
  // Writes 16,384 floats as a mono 32-bit float WAV at 44100 Hz.
  static bool SaveToFile(const char* path, float* wave, std::string* error = nullptr);

  // FFTW's planner shares its tables between plans and is not safe to run
  // from two threads at once (two instruments created side by side):
  // every plan creation and destruction in the program holds this lock.
  // Running a plan needs no lock.
  static std::mutex& PlannerLock();

 private:
  unsigned int m_size = TABLE_SIZE;
  unsigned int m_level = 0;
  float* m_table = nullptr;
  float* m_levels[LEVEL_COUNT] = {};
  float* m_source = nullptr;
  fftw_complex* m_spectrum = nullptr;
  fftw_complex* m_input = nullptr;
  fftw_complex* m_output = nullptr;
  fftw_plan m_backward = nullptr;
  fftw_plan m_forward = nullptr;
  char m_name[NAME_BYTES] = {};
  unsigned int m_quality = 0;
  bool m_ready = false;
  bool m_levelsPending = false;  // the working copy is newer than the levels
  unsigned int m_levelBuilds = 0;
  // One block holds the working table, the source and the levels, each
  // level with a guard point (m_levels point into it once built).
  float* m_storage = nullptr;
};
