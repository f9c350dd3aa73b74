#pragma once
// The parameter store: the live preset image every module reads, the
// deferred copy through which plain settings reach the engine at block
// boundaries, per-sample smoothed buffers for the modulatable ids, the status
// word that tells the voice manager what to rebuild, and the engine lock.

#include <atomic>

#include "engine/AccessLock.h"
#include "engine/Buffers.h"
#include "engine/SynthTypes.h"

class IGlobalSynth;
class IModulation;
struct MOD_CONTROLLER_LIST;

// PARAM_STATUS bits.
enum : unsigned int {
  STATUS_DEFERRED = 0x1,
  STATUS_MOD_MATRIX = 0x2,
  STATUS_FX_MATRIX = 0x4,
  STATUS_FX_CELL = 0x8,
  STATUS_FX_BYPASS = 0x10,
  STATUS_OVERSAMPLING = 0x20,
  STATUS_UNISON = 0x40,
  STATUS_MACROS = 0x80,
  STATUS_GLIDE = 0x100,
  STATUS_OSC_FX = 0x200,
  STATUS_EXCITER = 0x400,
  STATUS_WT_QUALITY = 0x800,
  STATUS_WAVETABLE = 0x1000,
  STATUS_ALL_WAVETABLES = 0x2000,
  STATUS_RESET = 0x4000,
};

struct PARAM_RAMP {
  unsigned char started;
  float steps;
  unsigned int remaining;
  float increment;
  float current;
  float target;  // where the running ramp ends; its last step lands exactly here
  // Inside a block (BeginBlock .. EndBlock): the block whose samples the
  // buffer holds, and how many of them have been written.
  unsigned long long block;
  unsigned int filled;
  // Leading samples of the buffer known to hold current while no ramp
  // runs: a settled parameter's buffer is not written again.
  unsigned int settled;
};

class CParamHandler {
 public:
  explicit CParamHandler(IGlobalSynth* synth);
  ~CParamHandler();
  CParamHandler(const CParamHandler&) = delete;
  CParamHandler& operator=(const CParamHandler&) = delete;

  float GetParam(unsigned int id) { return (*m_live)[id]; }
  SYNTH_PRESET* GetPreset() { return m_live; }
  // The value last set: live for 0-360, the deferred copy above.
  float GetParamDeffered(unsigned int id);
  void SetParam(unsigned int id, float value);
  // Fills the first n samples of the buffer of id (0-360) for the coming
  // block. Inside a block every ramp advances once, by the block's length,
  // however many stages read the parameter: the first reader advances it
  // and the others find the buffer filled. Outside a block each call is a
  // block of its own.
  void UpdateParam(unsigned int id, unsigned int n);
  // The voice manager opens a block before its stages read their
  // parameters and closes it after the block's last stage.
  void BeginBlock();
  // Whether the first n samples of the buffer of id hold one value (no ramp
  // ran through them).
  bool IsSettled(unsigned int id, unsigned int n) const {
    return id < MODULATABLE_PARAM_COUNT && m_ramps[id].remaining == 0 && m_ramps[id].settled >= n && n > 0;
  }
  void EndBlock() { m_blockOpen = false; }
  float* GetParamBuffer(unsigned int id) { return m_values[id].GetBuffer(); }
  // Moves whenever a buffer may stop holding what the last UpdateParam left
  // in it: a ramp starts or restarts, the block size or rate changes, or the
  // engine notes a change of its own (the oversampling). Stages that found a
  // parameter settled skip their per-block refresh while it stands still.
  const unsigned int* GetChangeCount() const { return &m_changes; }
  void NoteChange() { ++m_changes; }

  // Block-start protocol of the voice manager.
  void Update();
  unsigned int GetStatus(unsigned int& argument);
  void ClearStatus();
  // Each bit that carries an argument keeps its own, so two such changes
  // between blocks are both applied: a mask of FX cells to reset (bit n =
  // cell n), a mask of oscillators whose wavetable to reload, and the
  // last wavetable quality asked for.
  unsigned int GetFxCellResetMask() const { return m_cellMask; }
  unsigned int GetWaveTableOscMask() const { return m_oscMask; }
  unsigned int GetWaveTableQualityArgument() const { return m_quality; }

  // Takes no lock (the editor calls it while a block may run); the flag is
  // atomic so that the next Update sees it without a data race.
  void Panic() { m_panic.store(1, std::memory_order_release); }
  void SetSampleRate(float hostRate);
  void SetBlockSize(unsigned int hostBlockLength);
  void SetWaveTableQuality(unsigned int quality);

  // Kind 0 is a whole preset; kinds 1-17 are module presets. bytes is the
  // size of the body the caller holds; a module body shorter than its kind's
  // block is refused. Returns false when nothing was loaded.
  bool LoadPreset(SYNTH_PRESET* buffer, unsigned int version, unsigned int kind, unsigned int instance,
                  unsigned int bytes = PRESET_BYTES);
  // Bytes a module-preset body of the kind (1-17) and version must hold at
  // least to be loaded; 0 for kind 0 and kinds that cannot be loaded.
  static unsigned int GetModuleBlockBytes(unsigned int version, unsigned int kind);
  // Returns the number of bytes written (0 for kinds it cannot save).
  unsigned int SavePreset(SYNTH_PRESET* buffer, unsigned int kind, unsigned int instance);
  void SetOscWaveTable(float* table, char* name, unsigned int osc);

  // Who builds an oscillator's wavetable levels ahead of the render: told,
  // on the thread that changes the settings and under the engine lock,
  // whenever an oscillator is set to play its user wavetable (its mode, its
  // wave, a preset). Null: nobody (the render builds them when it must).
  class IWaveTablePreparer {
   public:
    // wave: the 16,384 floats that go live with the next block.
    virtual void PrepareWaveTable(unsigned int osc, const float* wave) = 0;

   protected:
    ~IWaveTablePreparer() = default;
  };
  void SetWaveTablePreparer(IWaveTablePreparer* preparer) { m_preparer = preparer; }

  CAccessLock& GetLock() { return m_lock; }
  IGlobalSynth* GetSynth() { return m_synth; }

  // Ramp length in samples (floor of the current steps).
  unsigned int GetRampLength() const { return static_cast<unsigned int>(m_ramps[0].steps); }

 private:
  void UpdateStatus(unsigned int id, float value);
  void StartRamp(unsigned int id, float target);
  // Writes samples from..n-1 of the buffer, advancing the ramp.
  void FillRamp(PARAM_RAMP& r, float* buffer, unsigned int from, unsigned int n);
  void SetDeferred(unsigned int id, float value) { m_deferred[id - MODULATABLE_PARAM_COUNT] = value; }
  // Module presets (kinds 1-17), in ParamHandlerModules.cpp.
  bool _LoadModulePreset(SYNTH_PRESET* buffer, unsigned int version, unsigned int kind, unsigned int instance,
                         unsigned int bytes);
  unsigned int _SaveModulePreset(SYNTH_PRESET* buffer, unsigned int kind, unsigned int instance);
  // Hands the pending wave of every oscillator in mask whose pending mode
  // plays it to the preparer.
  void _PrepareWaveTables(unsigned int mask);

  IGlobalSynth* m_synth;
  IModulation* m_modulation = nullptr;
  CMonoBuffer m_values[MODULATABLE_PARAM_COUNT];
  PARAM_RAMP m_ramps[MODULATABLE_PARAM_COUNT];
  // Each parameter's controller list in the modulation matrix, once found.
  MOD_CONTROLLER_LIST* m_controllerLists[MODULATABLE_PARAM_COUNT] = {};
  std::atomic<unsigned char> m_panic{0};
  SYNTH_PRESET* m_live;
  float* m_deferred;
  unsigned int m_status = 0;
  unsigned int m_argument = 0;
  unsigned int m_cellMask = 0;
  unsigned int m_oscMask = 0;
  unsigned int m_quality = 0;
  unsigned long long m_block = 0;
  bool m_blockOpen = false;
  CAccessLock m_lock;
  unsigned int m_changes = 0;
  IWaveTablePreparer* m_preparer = nullptr;
};
