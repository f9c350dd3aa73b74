// Cost of the MIDI processor per audio block: a block of incoming MIDI turned
// into synth events, and the arpeggiator stepping through a 512-frame block.

#include <benchmark/benchmark.h>

#include "engine/GlobalSynth.h"
#include "engine/MidiProcessor.h"
#include "engine/ParamHandler.h"
#include "platform/VstEvents.h"

namespace {

struct BenchSynth {
  CGlobalSynth synth;
  CParamHandler params{&synth};
  BenchSynth() { synth.SetParamHandler(&params); }
  ~BenchSynth() { synth.SetParamHandler(nullptr); }
  void Set(unsigned int id, float v) { (*params.GetPreset())[id] = v; }
};

VstMidiEvent Midi(int frame, unsigned char s, unsigned char d1, unsigned char d2) {
  VstMidiEvent e{};
  e.type = kVstMidiType;
  e.deltaFrames = frame;
  e.midiData[0] = static_cast<char>(s);
  e.midiData[1] = static_cast<char>(d1);
  e.midiData[2] = static_cast<char>(d2);
  return e;
}

// 32 note-ons, 32 controllers and 32 note-offs per 512-frame block, poly.
void BM_PolyBlockOf96Messages(benchmark::State& state) {
  BenchSynth ctx;
  ctx.Set(489, 0.0f);
  ctx.Set(490, 16.0f);
  ctx.Set(527, 0.0f);
  CMidiProcessor proc(&ctx.synth, &ctx.params.GetLock());
  for (auto _ : state) {
    for (int i = 0; i < 32; ++i) {
      VstMidiEvent on = Midi(i * 16, 0x90, static_cast<unsigned char>(40 + i), 100);
      VstMidiEvent cc = Midi(i * 16 + 2, 0xB0, 1, static_cast<unsigned char>(i * 4));
      VstMidiEvent off = Midi(i * 16 + 8, 0x80, static_cast<unsigned char>(40 + i), 0);
      proc.PushEvent(&on);
      proc.PushEvent(&cc);
      proc.PushEvent(&off);
    }
    proc.Process(512);
    MIDI_EVENT e;
    while (proc.PopEvent(e)) benchmark::DoNotOptimize(e);
  }
}
BENCHMARK(BM_PolyBlockOf96Messages);

// Arpeggiator with four keys held, 1/64 steps: one 512-frame block.
void BM_ArpeggiatorBlock(benchmark::State& state) {
  BenchSynth ctx;
  ctx.Set(180, 0.3f);
  ctx.Set(181, 0.5f);
  ctx.Set(490, 16.0f);
  ctx.Set(528, 16.0f);
  ctx.Set(529, 6.0f);
  ctx.Set(530, static_cast<float>(state.range(0)));
  ctx.Set(531, 2.0f);
  for (unsigned int s = 0; s < 32; ++s) {
    ctx.Set(565 + s, 0.0f);
    ctx.Set(597 + s, 1.0f);
    ctx.Set(629 + s, 1.0f);
  }
  ctx.Set(527, 1.0f);
  CMidiProcessor proc(&ctx.synth, &ctx.params.GetLock());
  proc.SetSampleRate(44100.0f);
  proc.Process(512);
  MIDI_EVENT e;
  while (proc.PopEvent(e)) {
  }
  for (unsigned char n : {60, 64, 67, 71}) {
    VstMidiEvent on = Midi(0, 0x90, n, 100);
    proc.PushEvent(&on);
  }
  for (auto _ : state) {
    proc.Process(512);
    while (proc.PopEvent(e)) benchmark::DoNotOptimize(e);
  }
}
BENCHMARK(BM_ArpeggiatorBlock)->Arg(0)->Arg(2)->Arg(5);

}  // namespace
