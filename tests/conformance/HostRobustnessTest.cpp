// Host behaviour that validators provoke on purpose: zero-frame renders,
// blocks above the announced maximum, the maximum and the sample rate
// changed while the unit runs (no suspend in between), the unit lending its
// own buffers, odd tempos and transports, and MIDI bytes no keyboard sends.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "engine/ICommandHandler.h"
#include "engine/ParamIds.h"
#include "tests/conformance/HostHarness.h"

namespace {

const int NOTE_A4 = 69;

// Plays note 69 alone for `seconds` and measures its frequency over the
// sustained part.
double PlayAndMeasure(CHostHarness& host, UInt32 block, double seconds, SAMPLE_CHECK& check) {
  std::vector<float> left;
  EXPECT_EQ(host.NoteOn(0, NOTE_A4, 100, 0), noErr);
  const UInt32 total = static_cast<UInt32>(seconds * host.SampleRate());
  EXPECT_EQ(host.RenderFor(total, block, &left, nullptr, &check), noErr);
  host.NoteOff(0, NOTE_A4, 0);
  if (left.size() < total) return 0.0;
  return MeasureFrequency(left.data(), total / 2, total, host.SampleRate());
}

TEST(HostRobustness, ZeroFrameRenderChangesNothingAndKeepsQueuedMidi) {
  CHostHarness host;
  ASSERT_EQ(host.Start(44100.0, 512), noErr);
  const unsigned int word = ReadFloatControlWord();
  EXPECT_EQ(host.NoteOn(3, 60, 100, 0), noErr);
  EXPECT_EQ(host.Render(0), noErr);
  EXPECT_FALSE(host.OverrunDetected());
  EXPECT_EQ(ReadFloatControlWord(), word);
  // The note queued before the empty call sounds in the next block.
  SAMPLE_CHECK check;
  ASSERT_EQ(host.RenderFor(4096, 512, nullptr, nullptr, &check), noErr);
  EXPECT_TRUE(check.Clean());
  EXPECT_GT(check.peak, 1e-3f);
}

TEST(HostRobustness, BlockAboveTheMaximumIsRefusedAndTheUnitGoesOn) {
  CHostHarness host;
  ASSERT_EQ(host.Start(48000.0, 256), noErr);
  EXPECT_EQ(host.NoteOn(0, 64, 90, 0), noErr);
  ASSERT_EQ(host.Render(256), noErr);
  for (UInt32 frames : {257u, 1024u, CHostHarness::MAX_BUFFER_FRAMES}) {
    EXPECT_EQ(host.Render(frames), kAudioUnitErr_TooManyFramesToProcess) << frames;
    EXPECT_FALSE(host.OverrunDetected()) << frames;
  }
  // Lending the unit's own buffers is refused the same way.
  EXPECT_NE(host.RenderIntoUnitBuffers(257), noErr);

  SAMPLE_CHECK check;
  ASSERT_EQ(host.RenderFor(2048, 256, nullptr, nullptr, &check), noErr);
  EXPECT_TRUE(check.Clean());
  EXPECT_GT(check.peak, 1e-3f);

  // A larger maximum while running, then blocks of that size, the largest
  // the unit accepts included (longer than the engine's own block).
  ASSERT_EQ(host.SetMaxFrames(CHostHarness::MAX_BUFFER_FRAMES), noErr);
  EXPECT_EQ(host.NoteOn(0, 67, 90, 0), noErr);
  for (UInt32 frames : {4096u, CHostHarness::MAX_BUFFER_FRAMES, 1u, 300u}) {
    SAMPLE_CHECK block;
    ASSERT_EQ(host.Render(frames), noErr) << frames;
    EXPECT_FALSE(host.OverrunDetected()) << frames;
    block.Add(host.Left(), frames);
    block.Add(host.Right(), frames);
    EXPECT_TRUE(block.Clean()) << frames;
    EXPECT_LT(block.peak, 16.0f) << frames;
  }
  // And a smaller one again.
  ASSERT_EQ(host.SetMaxFrames(64), noErr);
  EXPECT_EQ(host.Render(65), kAudioUnitErr_TooManyFramesToProcess);
  ASSERT_EQ(host.RenderFor(640, 64, nullptr, nullptr, &check), noErr);
  EXPECT_TRUE(check.Clean());
}

TEST(HostRobustness, UnitLendsItsOwnBuffers) {
  CHostHarness host;
  ASSERT_EQ(host.Start(44100.0, 1024), noErr);
  EXPECT_EQ(host.NoteOn(0, 60, 100, 0), noErr);
  SAMPLE_CHECK check;
  for (UInt32 frames : {1024u, 1u, 333u}) {
    ASSERT_EQ(host.RenderIntoUnitBuffers(frames), noErr) << frames;
    check.Add(host.Left(), frames);
    check.Add(host.Right(), frames);
  }
  EXPECT_TRUE(check.Clean());
  EXPECT_GT(check.peak, 1e-4f);
}

TEST(HostRobustness, SampleRateChangesWhileRunningKeepThePitch) {
  CHostHarness host;
  ASSERT_EQ(host.Start(44100.0, 512), noErr);
  const double seconds = ReducedGrid() ? 0.25 : 0.5;
  SAMPLE_CHECK check;
  // A chord is sounding when each change arrives; no suspend, no reset.
  const double rates[] = {44100.0, 96000.0, 22050.0, 48000.0, 192000.0};
  for (size_t k = 0; k < sizeof(rates) / sizeof(rates[0]); ++k) {
    if (k > 0) {
      for (UInt8 note : {48, 55, 64}) EXPECT_EQ(host.NoteOn(1, note, 100, 7), noErr);
      ASSERT_EQ(host.RenderFor(1024, 512, nullptr, nullptr, &check), noErr);
      // Alternately through the whole format and through the rate property.
      if (k % 2)
        ASSERT_EQ(host.SetFormat(rates[k]), noErr) << rates[k];
      else
        ASSERT_EQ(host.SetSampleRateProperty(rates[k]), noErr) << rates[k];
      for (UInt8 note : {48, 55, 64}) EXPECT_EQ(host.NoteOff(1, note, 0), noErr);
      ASSERT_EQ(host.RenderFor(2048, 512, nullptr, nullptr, &check), noErr);
    }
    const double f = PlayAndMeasure(host, 512, seconds, check);
    EXPECT_NEAR(f / NoteFrequency(NOTE_A4), 1.0, 0.01) << "at " << rates[k] << " Hz";
  }
  EXPECT_TRUE(check.Clean());
  EXPECT_LT(check.peak, 16.0f);
}

TEST(HostRobustness, OddTempoAndTransportStayFinite) {
  CHostHarness host;
  ASSERT_EQ(host.Start(44100.0, 512), noErr);
  // The tempo-synced parts (LFOs, delays, arpeggiator, trance gate) read the
  // host's tempo; values no host should send must not reach the audio.
  const double tempos[] = {0.0, -120.0, NAN, INFINITY, 1.0e-6, 1.0e6, 999.0, 20.0};
  // Everything that follows the tempo switched to it: the arpeggiator, the
  // LFOs, envelopes and MSEGs, the trance gate, delays, echoes, tremolos.
  ICommandHandler* commands = host.Commands();
  ASSERT_NE(commands, nullptr);
  commands->SetIntParam(PARAM_ARP_ON, 1);
  for (unsigned int k = 0; k < 4; ++k) {
    commands->SetIntParam(PARAM_LFO_SYNC + k, 1);
    commands->SetIntParam(PARAM_ENV_SYNC + k, 1);
    commands->SetIntParam(PARAM_MSEG_SYNC + k, 1);
  }
  commands->SetIntParam(PARAM_TG_SYNC, 1);
  for (unsigned int k = 0; k < 2; ++k) {
    commands->SetIntParam(PARAM_TREMOLO_SYNC + k, 1);
    commands->SetIntParam(PARAM_DELAY_SYNC_L + k, 1);
    commands->SetIntParam(PARAM_DELAY_SYNC_R + k, 1);
    commands->SetIntParam(PARAM_ECHOES_SYNC + k, 1);
  }
  SAMPLE_CHECK check;
  for (UInt8 note : {50, 57, 62, 69}) EXPECT_EQ(host.NoteOn(0, note, 100, 0), noErr);
  for (double tempo : tempos) {
    host.Transport().tempo = tempo;
    host.Transport().playing = !host.Transport().playing;
    host.Transport().cycling = !host.Transport().cycling;
    ASSERT_EQ(host.RenderFor(2048, 256, nullptr, nullptr, &check), noErr) << tempo;
  }
  // A host that supplies none of its callbacks.
  host.Transport().tempo = 120.0;
  host.Transport().supplyBeatAndTempo = false;
  host.Transport().supplyMusicalTime = false;
  host.Transport().supplyTransport = false;
  ASSERT_EQ(host.RenderFor(2048, 256, nullptr, nullptr, &check), noErr);
  EXPECT_TRUE(check.Clean());
  EXPECT_LT(check.peak, 16.0f);
  EXPECT_GT(check.peak, 1e-3f);
}

TEST(HostRobustness, RandomMidiBytesAndOffsetsStayFinite) {
  CHostHarness host;
  ASSERT_EQ(host.Start(44100.0, 256), noErr);
  std::mt19937 rng(1234);
  SAMPLE_CHECK check;
  const int blocks = ReducedGrid() ? 60 : 400;
  for (int b = 0; b < blocks; ++b) {
    const int messages = static_cast<int>(rng() % 12);
    for (int m = 0; m < messages; ++m) {
      // Any status byte, data beyond 7 bits, offsets far beyond the block.
      const UInt32 status = 0x80 | (rng() % 0x80);
      const UInt32 data1 = rng() % 256;
      const UInt32 data2 = rng() % 256;
      const UInt32 offset = rng() % 4 == 0 ? rng() : rng() % 256;
      host.Midi(static_cast<UInt8>(status), static_cast<UInt8>(data1), static_cast<UInt8>(data2),
                offset);
      // Also straight through the entry with the full 32-bit words.
      MusicDeviceMIDIEvent(host.Unit(), status, data1 | (rng() & 0xFF00), data2, offset);
    }
    ASSERT_EQ(host.Render(256), noErr) << b;
    ASSERT_FALSE(host.OverrunDetected()) << b;
    check.Add(host.Left(), 256);
    check.Add(host.Right(), 256);
    if (!check.Clean()) break;
  }
  EXPECT_TRUE(check.Clean()) << check.nans << " NaN, " << check.infinities << " infinite, "
                             << check.subnormals << " subnormal";
  // All notes off on every channel, then silence comes back.
  for (UInt8 ch = 0; ch < 16; ++ch) {
    host.Controller(ch, 64, 0, 0);
    host.Controller(ch, 123, 0, 0);
  }
  ASSERT_EQ(host.RenderFor(44100 * 4, 256, nullptr, nullptr, nullptr), noErr);
  SAMPLE_CHECK tail;
  ASSERT_EQ(host.RenderFor(4096, 256, nullptr, nullptr, &tail), noErr);
  EXPECT_TRUE(tail.Clean());
  EXPECT_LT(tail.peak, 1e-3f);
}

TEST(HostRobustness, LifeCycleCallsInAnyOrder) {
  CHostHarness host;
  // Before Initialize: no render, but MIDI and parameters are taken.
  ASSERT_EQ(host.SetFormat(44100.0), noErr);
  EXPECT_EQ(host.Render(256), kAudioUnitErr_Uninitialized);
  host.NoteOn(0, 60, 100, 0);
  EXPECT_EQ(host.SetParam(5, 0.5f), noErr);
  ASSERT_EQ(host.InstallHostCallbacks(), noErr);
  ASSERT_EQ(host.Initialize(), noErr);
  SAMPLE_CHECK check;
  ASSERT_EQ(host.RenderFor(2048, 256, nullptr, nullptr, &check), noErr);

  // A reset while notes sound ends them: silence follows.
  for (UInt8 note : {48, 60, 72}) host.NoteOn(0, note, 120, 0);
  ASSERT_EQ(host.RenderFor(2048, 256, nullptr, nullptr, &check), noErr);
  ASSERT_EQ(host.Reset(), noErr);
  SAMPLE_CHECK afterReset;
  ASSERT_EQ(host.RenderFor(1024, 256, nullptr, nullptr, &afterReset), noErr);
  EXPECT_LT(afterReset.peak, 1e-4f) << "notes or effect tails survived the reset";

  // Uninitialize and initialize again, twice, with notes in between.
  for (int round = 0; round < 2; ++round) {
    host.NoteOn(0, 64, 100, 0);
    ASSERT_EQ(host.Uninitialize(), noErr);
    EXPECT_EQ(host.Render(256), kAudioUnitErr_Uninitialized);
    ASSERT_EQ(host.SetMaxFrames(round ? 4096u : 128u), noErr);
    ASSERT_EQ(host.Initialize(), noErr);
    host.NoteOn(0, 67, 100, 0);
    ASSERT_EQ(host.RenderFor(4096, round ? 4096u : 128u, nullptr, nullptr, &check), noErr);
  }
  // Initialize twice in a row is harmless.
  EXPECT_EQ(host.Initialize(), noErr);
  ASSERT_EQ(host.RenderFor(512, 128, nullptr, nullptr, &check), noErr);
  EXPECT_TRUE(check.Clean());
  EXPECT_LT(check.peak, 16.0f);
}

TEST(HostRobustness, MonoOutputRequestedAfterInitializeIsRefusedAtRender) {
  CHostHarness host;
  // A mono request before Initialize becomes stereo.
  ASSERT_EQ(host.SetFormat(48000.0, 1), noErr);
  ASSERT_EQ(host.SetMaxFrames(512), noErr);
  ASSERT_EQ(host.Initialize(), noErr);
  AudioStreamBasicDescription format;
  UInt32 size = sizeof(format);
  ASSERT_EQ(AudioUnitGetProperty(host.Unit(), kAudioUnitProperty_StreamFormat,
                                 kAudioUnitScope_Output, 0, &format, &size),
            noErr);
  EXPECT_EQ(format.mChannelsPerFrame, 2u);
  host.NoteOn(0, 60, 100, 0);
  ASSERT_EQ(host.Render(512), noErr);
  // Once running, a mono output cannot be fed: the render says so and
  // touches nothing beyond its block; stereo again plays on.
  if (host.SetFormat(48000.0, 1) == noErr) {
    EXPECT_NE(host.Render(512), noErr);
    EXPECT_FALSE(host.OverrunDetected());
    ASSERT_EQ(host.SetFormat(48000.0, 2), noErr);
  }
  SAMPLE_CHECK check;
  ASSERT_EQ(host.RenderFor(2048, 512, nullptr, nullptr, &check), noErr);
  EXPECT_TRUE(check.Clean());
}

TEST(HostRobustness, ParameterInfoOfEveryParameterAndIdsOutsideTheList) {
  CHostHarness host;
  ASSERT_EQ(host.Start(44100.0, 512), noErr);
  UInt32 size = 0;
  Boolean writable = false;
  ASSERT_EQ(AudioUnitGetPropertyInfo(host.Unit(), kAudioUnitProperty_ParameterList,
                                     kAudioUnitScope_Global, 0, &size, &writable),
            noErr);
  std::vector<AudioUnitParameterID> ids(size / sizeof(AudioUnitParameterID));
  ASSERT_EQ(ids.size(), CHostHarness::PARAM_COUNT);
  ASSERT_EQ(AudioUnitGetProperty(host.Unit(), kAudioUnitProperty_ParameterList,
                                 kAudioUnitScope_Global, 0, ids.data(), &size),
            noErr);
  for (AudioUnitParameterID id : ids) {
    AudioUnitParameterInfo info;
    std::memset(&info, 0xA5, sizeof(info));
    UInt32 infoSize = sizeof(info);
    ASSERT_EQ(AudioUnitGetProperty(host.Unit(), kAudioUnitProperty_ParameterInfo,
                                   kAudioUnitScope_Global, id, &info, &infoSize),
              noErr)
        << id;
    EXPECT_LT(id, CHostHarness::PARAM_COUNT);
    EXPECT_EQ(info.minValue, 0.0f) << id;
    EXPECT_EQ(info.maxValue, 1.0f) << id;
    EXPECT_TRUE(info.defaultValue >= info.minValue && info.defaultValue <= info.maxValue) << id;
    EXPECT_TRUE(info.flags & kAudioUnitParameterFlag_IsReadable) << id;
    EXPECT_TRUE(info.flags & kAudioUnitParameterFlag_IsWritable) << id;
    // The name is terminated inside its field and not empty.
    EXPECT_NE(std::memchr(info.name, 0, sizeof(info.name)), nullptr) << id;
    EXPECT_GT(std::strlen(info.name), 0u) << id;
    if (info.flags & kAudioUnitParameterFlag_HasCFNameString) {
      EXPECT_EQ(CFGetTypeID(info.cfNameString), CFStringGetTypeID()) << id;
    }
    if (info.flags & kAudioUnitParameterFlag_CFNameRelease) {
      if (info.flags & kAudioUnitParameterFlag_HasCFNameString) CFRelease(info.cfNameString);
      if (info.unit == kAudioUnitParameterUnit_CustomUnit && info.unitName) CFRelease(info.unitName);
    }
  }
  // Ids outside the list: refused without harm.
  for (AudioUnitParameterID id : {333u, 1000u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    AudioUnitParameterValue value = 0.0f;
    EXPECT_NE(AudioUnitSetParameter(host.Unit(), id, kAudioUnitScope_Global, 0, 0.5f, 0), noErr);
    EXPECT_NE(AudioUnitGetParameter(host.Unit(), id, kAudioUnitScope_Global, 0, &value), noErr);
    AudioUnitParameterInfo info;
    UInt32 infoSize = sizeof(info);
    EXPECT_NE(AudioUnitGetProperty(host.Unit(), kAudioUnitProperty_ParameterInfo,
                                   kAudioUnitScope_Global, id, &info, &infoSize),
              noErr);
  }
  // Other scopes and elements.
  AudioUnitParameterValue value = 0.0f;
  EXPECT_NE(AudioUnitGetParameter(host.Unit(), 0, kAudioUnitScope_Global, 1, &value), noErr);
  EXPECT_NE(AudioUnitSetParameter(host.Unit(), 0, kAudioUnitScope_Global, 7, 0.5f, 0), noErr);
  SAMPLE_CHECK check;
  host.NoteOn(0, 60, 100, 0);
  ASSERT_EQ(host.RenderFor(1024, 512, nullptr, nullptr, &check), noErr);
  EXPECT_TRUE(check.Clean());
}

}  // namespace
