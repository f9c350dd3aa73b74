#pragma once
// One of the four oscillators; one object serves all voices, per-voice state
// lives in CVoice (OSC_STATE and the voice's declick gain). Per voice and
// block it computes the pitch, renders the chosen mode, fades the note in
// and hands the result to the effect chain. Osc2 frequency- and
// ring-modulates Osc1, Osc4 does the same to Osc3, through the scratch
// buffer the voice manager passes to every Generate call.

#include <string>

#include "dsp/OscDrive.h"
#include "dsp/OscFilter.h"
#include "dsp/OscEffects.h"
#include "osc/PitchModule.h"
#include "osc/SamplePlayer.h"
#include "osc/WaveTable.h"

class IGlobalSynth;
class IModulation;
class CVoice;
struct OSC_STATE;
struct NOISE_LOOP;

// A key-tracked fade between two frequencies: 0 at and below loHz, 1 at and
// above hiHz, for a phase increment in cycles per sample.
struct KEY_FADE_RANGE {
  float sampleRate;
  float loNorm;
  float hiNorm;
  float loHz;
  float hiHz;
  float scale;

  void Set(float rate, float lo, float hi) {
    sampleRate = rate;
    loHz = lo;
    hiHz = hi;
    Normalise();
  }
  void SetLimits(float lo, float hi) {
    if (lo == loHz && hi == hiHz) return;
    loHz = lo;
    hiHz = hi;
    Normalise();
  }
  void Normalise() {
    if (sampleRate > 0.0f) {
      loNorm = loHz / sampleRate;
      hiNorm = hiHz / sampleRate;
    } else {
      loNorm = hiNorm = 0.0f;
    }
    scale = hiNorm > loNorm ? 1.0f / (hiNorm - loNorm) : 0.0f;
  }
  float Fade(float inc) const {
    float v = (inc - loNorm) * scale;
    return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f;
  }
};

// Values of the render frame at the current control step.
struct OSC_FRAME {
  float inc;  // phase increment, cycles per oscillator sample
  float X;    // Morph X, modulated
  float Y;    // Morph Y, modulated
  float FM;
  float RM;
  float PH;  // phase offset
  float morphScale;
  float fmDepth;
  float buzzAmount;
  float feedbackAmount;
};

class COscillator {
 public:
  static const unsigned int MODE_COUNT = 57;
  static const unsigned int MODE_CLICK = 54;
  static const unsigned int MODE_WAVETABLE = 55;
  static const unsigned int MODE_SAMPLE = 56;

  explicit COscillator(IGlobalSynth* synth);
  ~COscillator();
  COscillator(const COscillator&) = delete;
  COscillator& operator=(const COscillator&) = delete;

  void SetInstance(unsigned int index);
  void SetSampleRate(float oversampledRate);
  void SetBlockSize(unsigned int oversampledFrames);
  void SetWaveTableQuality(unsigned int quality);
  void Reset(CVoice* voice);
  void StartVoice(CVoice* voice);
  void ResetGlide();
  void RebuildOscFX();
  void UpdateParams(unsigned int hostFrames);
  void UpdateWaveTable();
  // Renders one sub-voice into left/right (n oversampled frames), overwriting
  // them. scratch is shared by the four oscillators of the voice: Osc2 and
  // Osc4 leave their raw wave in it, Osc1 and Osc3 read it for FM and RM.
  void Generate(CVoice* voice, float* left, float* right, float* scratch, unsigned int n);

  float* GetOscWaveTable();
  int GetOscWaveTableLength() const { return 16384; }
  char* GetOscWaveTableName();
  void GetSample(float** left, float** right, unsigned int& frames, float* rate);
  const char* GetSamplePath();
  // Both loads keep the previous sample, path and loop when they fail, and
  // store the path (or name) only when they succeed.
  bool LoadSample(const char* path);
  bool LoadSampleFromMemory(float* left, float* right, unsigned int frames, float rate, const char* name);
  // Takes a sample read beforehand and its path; the previous sample comes
  // back in loaded (see CSamplePlayer::TakeSample).
  void TakeSample(std::unique_ptr<CSampleLoader>& loaded, const std::string& path);
  CSamplePlayer* GetSamplePlayer() { return &m_samplePlayer; }

  // Mode routines: render n samples at the oscillator rate into out.
  void GenerateSine(CVoice* voice, float* out, unsigned int n);
  void GenerateSaw(CVoice* voice, float* out, unsigned int n);
  void GenerateSquare(CVoice* voice, float* out, unsigned int n);
  void GenerateTriangle(CVoice* voice, float* out, unsigned int n);
  // Phase-modulation, resonant, sync and formant waves (modes 4 to 25).
  void GeneratePowerWave1(CVoice* voice, float* out, unsigned int n);
  void GeneratePowerWave2(CVoice* voice, float* out, unsigned int n);
  void GeneratePowerWave3(CVoice* voice, float* out, unsigned int n);
  void GeneratePowerWave4(CVoice* voice, float* out, unsigned int n);
  void GeneratePowerWave5(CVoice* voice, float* out, unsigned int n);
  void GeneratePowerWave6(CVoice* voice, float* out, unsigned int n);
  void GeneratePowerWave7(CVoice* voice, float* out, unsigned int n);
  void GenerateResonant1(CVoice* voice, float* out, unsigned int n);
  void GenerateResonant2(CVoice* voice, float* out, unsigned int n);
  void GenerateResonant3(CVoice* voice, float* out, unsigned int n);
  void GenerateResonant4(CVoice* voice, float* out, unsigned int n);
  void GenerateResonant5(CVoice* voice, float* out, unsigned int n);
  void GenerateSync1(CVoice* voice, float* out, unsigned int n);
  void GenerateSync2(CVoice* voice, float* out, unsigned int n);
  void GenerateSync3(CVoice* voice, float* out, unsigned int n);
  void GenerateSync4(CVoice* voice, float* out, unsigned int n);
  void GenerateSync5(CVoice* voice, float* out, unsigned int n);
  void GenerateSync6(CVoice* voice, float* out, unsigned int n);
  void GenerateFormant1(CVoice* voice, float* out, unsigned int n);
  void GenerateFormant2(CVoice* voice, float* out, unsigned int n);
  void GenerateFormant3(CVoice* voice, float* out, unsigned int n);
  void GenerateFormant4(CVoice* voice, float* out, unsigned int n);
  void GenerateWaveTable(CVoice* voice, float* out, unsigned int n);

  // Instrument, organ, inharmonic, harmonic and noise modes (26 to 54).
  void GenerateSynCello(CVoice* voice, float* out, unsigned int n);
  void GenerateSynBrass1(CVoice* voice, float* out, unsigned int n);
  void GenerateSynBrass2(CVoice* voice, float* out, unsigned int n);
  void GenerateSynGuitar1(CVoice* voice, float* out, unsigned int n);
  void GenerateSynGuitar2(CVoice* voice, float* out, unsigned int n);
  void GenerateSynOboe(CVoice* voice, float* out, unsigned int n);
  void GenerateSynFlute1(CVoice* voice, float* out, unsigned int n);
  void GenerateSynFlute2(CVoice* voice, float* out, unsigned int n);
  void GenerateOrgan1(CVoice* voice, float* out, unsigned int n);
  void GenerateOrgan2(CVoice* voice, float* out, unsigned int n);
  void GenerateInharmonic1(CVoice* voice, float* out, unsigned int n);
  void GenerateInharmonic2(CVoice* voice, float* out, unsigned int n);
  void GenerateInharmonic3(CVoice* voice, float* out, unsigned int n);
  void GenerateInharmonic4(CVoice* voice, float* out, unsigned int n);
  void GenerateHarmonic1(CVoice* voice, float* out, unsigned int n);
  void GenerateHarmonic2(CVoice* voice, float* out, unsigned int n);
  void GenerateHarmonic3(CVoice* voice, float* out, unsigned int n);
  void GenerateHarmonic4(CVoice* voice, float* out, unsigned int n);
  void GenerateWhite(CVoice* voice, float* out, unsigned int n);
  void GenerateBrown(CVoice* voice, float* out, unsigned int n);
  void GenerateDrone1(CVoice* voice, float* out, unsigned int n);
  void GenerateDrone2(CVoice* voice, float* out, unsigned int n);
  void GenerateDrone3(CVoice* voice, float* out, unsigned int n);
  void GenerateDrone4(CVoice* voice, float* out, unsigned int n);
  void GenerateDrone5(CVoice* voice, float* out, unsigned int n);
  void GenerateCrackle1(CVoice* voice, float* out, unsigned int n);
  void GenerateCrackle2(CVoice* voice, float* out, unsigned int n);
  void GenerateCrackle3(CVoice* voice, float* out, unsigned int n);
  void GenerateClick(CVoice* voice, float* out, unsigned int n);

  CPitchModule& GetPitchModule() { return m_pitch; }
  COscEffects& GetEffects() { return m_effects; }
  CWaveTable* GetWaveTable() { return &m_wavetable; }

 private:
  // Morph X, Morph Y, FM, RM and Phase, each + oscillator.
  static const unsigned int OSC_FRAME_PARAMS = 5;
  static const unsigned int OSC_FRAME_PARAM_IDS[OSC_FRAME_PARAMS];
  static const unsigned int ID_INVERT = 426;

  template <class WAVE>
  void _RenderFrame(CVoice* voice, float* out, unsigned int n, WAVE& wave);
  // The looping noise modes' render loop (a part of the render frame).
  void _RenderNoiseLoop(CVoice* voice, float* out, unsigned int n, const NOISE_LOOP& loop);
  bool _Matters(unsigned int id);
  bool _RendersForPartner();
  void _Dispatch(unsigned int mode, CVoice* voice, float* left, float* right, float* scratch, unsigned int n);
  // Hand-over points to the oscillator's effect chain (effect slots, filter,
  // drive, level and pan): before the render it publishes the buzz and
  // feedback amounts, after it turns the mono wave into the stereo output.
  void _PreProcessEffects(CVoice* voice, float* left, float* right, unsigned int n);
  void _ProcessEffects(CVoice* voice, float* left, float* right, unsigned int n);
  // The oscillator filter, then the drive, on the mono signal in place.
  void _ProcessFilterAndDrive(CVoice* voice, float* buffer, unsigned int n);

  IGlobalSynth* m_synth;
  unsigned int m_osc = 0;
  float m_sampleRate = 0.0f;
  CPitchModule m_pitch;
  float* m_fmSource = nullptr;
  KEY_FADE_RANGE m_buzzFade;
  COscEffects m_effects;
  float m_declickStep = 0.0f;
  KEY_FADE_RANGE m_morphFade;
  IModulation* m_modulation = nullptr;
  const float* m_blImp = nullptr;
  const float* m_blSaw = nullptr;
  const float* m_blStep = nullptr;
  float* m_auxPhase = nullptr;
  std::string m_samplePath;
  CSamplePlayer m_samplePlayer;
  CWaveTable m_wavetable;
  // Filter and drive of the wave path.
  COscFilter m_filter;
  COscDrive m_drive;
  // Output buffers this oscillator last filled with silence while off, and
  // how many samples of them.
  const float* m_silentLeft = nullptr;
  const float* m_silentRight = nullptr;
  unsigned int m_silentCount = 0;
};
