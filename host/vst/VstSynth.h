#pragma once
// The instrument as a VST 2.x effect object. Everything that reaches the
// engine from outside passes through here: audio blocks and MIDI, host
// parameters, programs, sample rate and block size, and the saved state.
// It owns the engine objects, the editor object and the MIDI CC map.

#include <atomic>
#include <cstdint>

#include "engine/MidiMap.h"
#include "platform/vst/AudioEffectX.h"

class CGlobalSynth;
class CMidiProcessor;
class CVoiceManager;
class CEditor;
class ICommandHandler;
struct MIDI_EVENT;

class CVstSynth : public AudioEffectX {
 public:
  static constexpr VstInt32 PROGRAM_COUNT = 1;
  static constexpr VstInt32 PARAMETER_COUNT = 333;
  // "MrVn", first character in the most significant byte.
  static constexpr VstInt32 UNIQUE_ID = ('M' << 24) | ('r' << 16) | ('V' << 8) | 'n';
  static constexpr VstInt32 VENDOR_VERSION = 1401;

  // Preset staging buffer: the preset image, then author, name and path.
  static constexpr unsigned int AUTHOR_BYTES = 24;
  static constexpr unsigned int NAME_BYTES = 2048;
  static constexpr unsigned int PATH_BYTES = 2048;
  static constexpr unsigned int STAGING_BYTES = 268632 + AUTHOR_BYTES + NAME_BYTES + PATH_BYTES;  // 272,752

  // Where each engine render call of the last block started and how many
  // frames it rendered (the first SPAN_LOG_SIZE calls; the count goes on),
  // for diagnostics of the event splitting.
  struct RENDER_SPAN {
    unsigned int start;
    unsigned int frames;
  };
  static constexpr unsigned int SPAN_LOG_SIZE = 64;

  explicit CVstSynth(audioMasterCallback audioMaster);
  ~CVstSynth() override;

  void suspend() override;
  void resume() override;
  void setSampleRate(float sampleRate) override;
  void setBlockSize(VstInt32 blockSize) override;
  void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
  void setParameter(VstInt32 index, float value) override;
  float getParameter(VstInt32 index) override;
  void setParameterAutomated(VstInt32 index, float value) override;
  VstInt32 getProgram() override;
  void setProgram(VstInt32 program) override;
  void setProgramName(char* name) override;
  void getProgramName(char* name) override;
  void getParameterLabel(VstInt32 index, char* label) override;
  void getParameterDisplay(VstInt32 index, char* text) override;
  void getParameterName(VstInt32 index, char* text) override;
  VstInt32 getChunk(void** data, bool isPreset = false) override;
  VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset = false) override;
  bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
  bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
  VstInt32 getNumMidiInputChannels() override;
  VstInt32 getNumMidiOutputChannels() override;
  VstInt32 processEvents(VstEvents* events) override;
  bool getEffectName(char* name) override;
  bool getVendorString(char* text) override;
  bool getProductString(char* text) override;
  VstInt32 getVendorVersion() override;
  VstInt32 canDo(char* text) override;
  VstPlugCategory getPlugCategory() override;

  // MIDI learn: the next controller 0-119 that arrives is bound to paramId.
  void StartMidiLearn(unsigned int paramId);
  void StopMidiLearn();
  int GetAssignedMidiCC(unsigned int paramId);
  void ClearAssignedMidiCC(unsigned int paramId);
  // Drops held notes and queued MIDI and stops the arpeggiator.
  void Panic();
  // Seeds the instance's random generator; any thread. The render thread
  // takes the seed at the start of its next block, so draws are never
  // disturbed half-way and the generator needs no lock.
  void SetRandomSeed(uint32_t seed) {
    m_pendingSeed.store(SEED_PENDING | seed, std::memory_order_release);
  }

  // The parts, for the host wrapper and tests.
  CGlobalSynth* GetGlobalSynth() { return m_globalSynth; }
  CMidiProcessor* GetMidiProcessor() { return m_midiProcessor; }
  CVoiceManager* GetVoiceManager() { return m_voiceManager; }
  CEditor* GetEditorObject() { return m_editor; }
  CMidiMap* GetMidiMap() { return &m_midiMap; }
  bool IsResumed() const { return m_resumed; }
  bool IsMidiLearnActive() const { return m_midiLearnActive.load(std::memory_order_acquire); }
  unsigned int GetLastBlockSpanCount() const { return m_spanCount; }
  const RENDER_SPAN* GetLastBlockSpans() const { return m_spans; }

 private:
  ICommandHandler* _Commands();
  // Renders frames [start, start + frames) of the block; a span longer than
  // the block size goes to the engine in slices of at most the block size.
  void _Render(float* left, float* right, unsigned int start, unsigned int frames);
  // One engine call, logged.
  void _Generate(float* left, float* right, unsigned int start, unsigned int frames);
  // Apply one event; the answer is the parameter id a mapped controller
  // set (0 for none), which the caller mirrors to the editor.
  unsigned int _ApplyEvent(const MIDI_EVENT& event, bool playing);
  unsigned int _ApplyController(unsigned int controller, float value);

  CGlobalSynth* m_globalSynth = nullptr;
  CMidiProcessor* m_midiProcessor = nullptr;
  CVoiceManager* m_voiceManager = nullptr;
  CEditor* m_editor = nullptr;
  unsigned char* m_presetBuffer = nullptr;
  bool m_resumed = true;
  // The target is stored before the flag is raised (release) and read after
  // the flag (acquire), so the render thread never sees a stale target.
  std::atomic<bool> m_midiLearnActive{false};
  std::atomic<unsigned int> m_midiLearnTarget{0};
  CMidiMap m_midiMap;
  void* m_chunk = nullptr;

  static constexpr uint64_t SEED_PENDING = 1ull << 32;
  std::atomic<uint64_t> m_pendingSeed{0};

  RENDER_SPAN m_spans[SPAN_LOG_SIZE];
  unsigned int m_spanCount = 0;
};
