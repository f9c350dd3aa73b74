// Cost of the Audio Unit around the instrument: a 512-frame render through
// the component entry (silent and with eight held notes), a parameter set
// through the unit, and saving the state with its chunk.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/au/AUSynthEntry.h"

namespace {

const UInt32 FRAMES = 512;

class CBenchUnit {
 public:
  CBenchUnit() : m_list(AudioBufferListSize(2)), m_left(FRAMES), m_right(FRAMES) {
    setenv("MORLAVINE_DATA_DIR", "/tmp/morlavine-bench", 1);
    AudioComponentInstanceNew(CAUSynthRegister(), &m_unit);
    UInt32 frames = FRAMES;
    AudioUnitSetProperty(m_unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global,
                         0, &frames, sizeof(frames));
    AudioUnitInitialize(m_unit);
    memset(&m_stamp, 0, sizeof(m_stamp));
  }
  ~CBenchUnit() { AudioComponentInstanceDispose(m_unit); }

  AudioUnit Unit() { return m_unit; }
  OSStatus Render() {
    AudioBufferList* list = reinterpret_cast<AudioBufferList*>(m_list.data());
    list->mNumberBuffers = 2;
    float* data[2] = {m_left.data(), m_right.data()};
    for (int k = 0; k < 2; ++k) {
      list->mBuffers[k].mNumberChannels = 1;
      list->mBuffers[k].mDataByteSize = FRAMES * sizeof(float);
      list->mBuffers[k].mData = data[k];
    }
    AudioUnitRenderActionFlags flags = 0;
    OSStatus err = AudioUnitRender(m_unit, &flags, &m_stamp, 0, FRAMES, list);
    m_stamp.mSampleTime += FRAMES;
    return err;
  }

 private:
  AudioUnit m_unit = nullptr;
  AudioTimeStamp m_stamp;
  std::vector<UInt8> m_list;
  std::vector<float> m_left;
  std::vector<float> m_right;
};

void BM_RenderSilent(benchmark::State& state) {
  CBenchUnit unit;
  for (auto _ : state) benchmark::DoNotOptimize(unit.Render());
}
BENCHMARK(BM_RenderSilent);

void BM_RenderEightNotes(benchmark::State& state) {
  CBenchUnit unit;
  for (UInt32 k = 0; k < 8; ++k) MusicDeviceMIDIEvent(unit.Unit(), 0x90, 48 + 3 * k, 100, 0);
  for (auto _ : state) benchmark::DoNotOptimize(unit.Render());
}
BENCHMARK(BM_RenderEightNotes);

void BM_SetParameter(benchmark::State& state) {
  CBenchUnit unit;
  float value = 0.0f;
  for (auto _ : state) {
    value = value > 0.9f ? 0.0f : value + 0.01f;
    benchmark::DoNotOptimize(AudioUnitSetParameter(unit.Unit(), 42, kAudioUnitScope_Global, 0,
                                                   value, 0));
  }
}
BENCHMARK(BM_SetParameter);

void BM_SaveState(benchmark::State& state) {
  CBenchUnit unit;
  for (auto _ : state) {
    CFPropertyListRef saved = nullptr;
    UInt32 size = sizeof(saved);
    AudioUnitGetProperty(unit.Unit(), kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0,
                         &saved, &size);
    if (saved) CFRelease(saved);
  }
}
BENCHMARK(BM_SaveState);

}  // namespace
