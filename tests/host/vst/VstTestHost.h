#pragma once
// A minimal VST host for the instrument object's tests: a host callback that
// records what the effect asks for, answers time requests from a record the
// test controls, and helpers that drive the effect through its AEffect.

#include <cstring>
#include <memory>
#include <vector>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

#include "host/vst/VstSynth.h"
#include "platform/vst/AEffect.h"

struct HOST_CALL {
  VstInt32 opcode;
  VstInt32 index;
  VstIntPtr value;
  float opt;
};

class CVstTestHost {
 public:
  CVstTestHost() {
    std::memset(&time, 0, sizeof(time));
    effect = static_cast<CVstSynth*>(createEffectInstance(&CVstTestHost::Callback));
    aeffect = effect->getAeffect();
    aeffect->user = this;
  }
  ~CVstTestHost() {
    if (aeffect) Dispatch(effClose);
  }
  CVstTestHost(const CVstTestHost&) = delete;
  CVstTestHost& operator=(const CVstTestHost&) = delete;

  // The usual start: open, block size, sample rate, mains on.
  void Start(VstInt32 blockSize = 512, float rate = 44100.0f) {
    Dispatch(effOpen);
    Dispatch(effSetBlockSize, 0, blockSize);
    Dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    Dispatch(effMainsChanged, 0, 1);
  }

  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f) {
    VstIntPtr result = aeffect->dispatcher(aeffect, opcode, index, value, ptr, opt);
    if (opcode == effClose) aeffect = nullptr, effect = nullptr;
    return result;
  }

  // Sends short MIDI messages {status, data1, data2, frame offset}.
  void SendMidi(const std::vector<std::vector<int>>& messages) {
    std::vector<VstMidiEvent> records(messages.size());
    VstEventsBlock<64> list;
    list.numEvents = 0;
    list.reserved = 0;
    for (size_t i = 0; i < messages.size() && i < 64; ++i) {
      VstMidiEvent& e = records[i];
      std::memset(&e, 0, sizeof(e));
      e.type = kVstMidiType;
      e.byteSize = sizeof(VstMidiEvent);
      e.midiData[0] = static_cast<char>(messages[i][0]);
      e.midiData[1] = static_cast<char>(messages[i][1]);
      e.midiData[2] = static_cast<char>(messages[i][2]);
      e.deltaFrames = messages[i].size() > 3 ? messages[i][3] : 0;
      list.events[list.numEvents++] = reinterpret_cast<VstEvent*>(&e);
    }
    Dispatch(effProcessEvents, 0, 0, list.get());
  }

  // Renders one block through the AEffect's process entry.
  void Render(VstInt32 frames) {
    left.assign(static_cast<size_t>(frames > 0 ? frames : 0), 0.0f);
    right.assign(left.size(), 0.0f);
    float* outs[2] = {left.data(), right.data()};
    aeffect->processReplacing(aeffect, nullptr, outs, frames);
  }

  size_t CountCalls(VstInt32 opcode) const {
    size_t count = 0;
    for (const HOST_CALL& c : calls)
      if (c.opcode == opcode) ++count;
    return count;
  }

  static VstIntPtr Callback(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    CVstTestHost* host = e ? static_cast<CVstTestHost*>(e->user) : nullptr;
    if (!host) return opcode == audioMasterVersion ? 2400 : 0;
    host->calls.push_back(HOST_CALL{opcode, index, value, opt});
    switch (opcode) {
      case audioMasterVersion:
        return 2400;
      case audioMasterGetTime:
#if defined(__SSE__) || defined(__x86_64__)
        host->csrInBlock = _mm_getcsr();
#endif
        return host->answerTime ? reinterpret_cast<VstIntPtr>(&host->time) : 0;
      default:
        return 0;
    }
  }

  CVstSynth* effect = nullptr;
  AEffect* aeffect = nullptr;
  std::vector<HOST_CALL> calls;
  VstTimeInfo time;
  bool answerTime = false;
  unsigned int csrInBlock = 0;
  std::vector<float> left;
  std::vector<float> right;
};
