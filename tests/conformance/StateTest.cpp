// The saved state as hosts keep it in their projects: a state saved from one
// instance restores into a fresh one exactly, and damaged states (empty,
// truncated, oversized, bit-flipped, of the wrong kind) are refused with the
// instrument unchanged, or taken with every value clamped to something that
// plays.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "engine/ICommandHandler.h"
#include "engine/ParamIds.h"
#include "host/vst/VstSynth.h"
#include "tests/conformance/HostHarness.h"

namespace {

const UInt32 OSC_MODE_PARAM = 430;  // + oscillator
const unsigned int OSC_MODE_SAMPLE = 56;

std::vector<float> RandomHostParams(CHostHarness& host, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  for (UInt32 k = 0; k < CHostHarness::PARAM_COUNT; ++k) host.SetParam(k, unit(rng));
  return host.GetAllParams();
}

// Plays a few blocks with a note and reports what came out.
SAMPLE_CHECK PlayBriefly(CHostHarness& host) {
  SAMPLE_CHECK check;
  host.NoteOn(0, 60, 100, 0);
  EXPECT_EQ(host.RenderFor(2048, 256, nullptr, nullptr, &check), noErr);
  host.NoteOff(0, 60, 0);
  EXPECT_EQ(host.RenderFor(512, 256, nullptr, nullptr, &check), noErr);
  return check;
}

class StateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_source.IsOpen());
    ASSERT_EQ(m_source.Start(44100.0, 512), noErr);
  }
  CHostHarness m_source;
};

TEST_F(StateTest, RandomSoundRestoresIntoAFreshInstanceExactly) {
  RandomHostParams(m_source, 99);
  // A loaded sample, a learned controller and plain settings the host does
  // not see travel in the state too.
  ICommandHandler* commands = m_source.Commands();
  ASSERT_NE(commands, nullptr);
  std::vector<float> left(1000), right(1000);
  for (size_t i = 0; i < left.size(); ++i) {
    left[i] = std::sin(0.05f * static_cast<float>(i));
    right[i] = -left[i];
  }
  char name[] = "conformance";
  commands->SetIntParam(OSC_MODE_PARAM + 2, OSC_MODE_SAMPLE);
  ASSERT_TRUE(commands->LoadSampleFromMemory(2, left.data(), right.data(), 1000, 32000.0f, name));
  commands->SetSampleLoop(2, 100, 900);
  commands->SetSampleRootPitch(2, 57);
  commands->SetIntParam(PARAM_UNISON_COUNT, 3);
  m_source.Vst()->StartMidiLearn(PARAM_MACRO);
  m_source.Controller(0, 21, 64, 0);
  ASSERT_EQ(m_source.Render(64), noErr);
  ASSERT_EQ(m_source.Vst()->GetAssignedMidiCC(PARAM_MACRO), 21);
  // The learned controller has moved macro 1 (a host parameter) as well.
  const std::vector<float> params = m_source.GetAllParams();

  OSStatus err = -1;
  CCFHolder saved = m_source.SaveState(&err);
  ASSERT_EQ(err, noErr);
  const std::vector<uint8_t> chunk = CHostHarness::ChunkOf(saved.Get());
  ASSERT_FALSE(chunk.empty());

  CHostHarness fresh;
  ASSERT_EQ(fresh.Start(48000.0, 256), noErr);
  ASSERT_EQ(fresh.RestoreState(saved.Get()), noErr);
  CCFHolder again = fresh.SaveState(&err);
  ASSERT_EQ(err, noErr);
  const std::vector<uint8_t> chunkAgain = CHostHarness::ChunkOf(again.Get());
  ASSERT_EQ(chunkAgain.size(), chunk.size());
  EXPECT_TRUE(chunkAgain == chunk) << "the restored instance saves a different chunk";
  // The unit's own part of the state, the parameter record included.
  EXPECT_TRUE(CFEqual(saved.Get(), again.Get()));
  const std::vector<float> restored = fresh.GetAllParams();
  for (UInt32 k = 0; k < CHostHarness::PARAM_COUNT; ++k)
    EXPECT_EQ(restored[k], params[k]) << "parameter " << k;
  EXPECT_EQ(fresh.Vst()->GetAssignedMidiCC(PARAM_MACRO), 21);
  EXPECT_EQ(fresh.Commands()->GetSampleRootPitch(2), 57u);

  // Both play the same sound (same parameters; rendering is deterministic
  // apart from free-running phases, so compare levels, not samples).
  EXPECT_TRUE(PlayBriefly(fresh).Clean());
}

// A damaged or foreign state: refused and the instrument unchanged, or taken
// and the instrument still sane.
void ExpectRefusedOrSane(CHostHarness& host, CFPropertyListRef state, const std::string& what) {
  CCFHolder before = host.SaveState();
  const std::vector<uint8_t> chunkBefore = CHostHarness::ChunkOf(before.Get());
  const std::vector<float> paramsBefore = host.GetAllParams();
  const OSStatus err = host.RestoreState(state);
  if (err != noErr) {
    CCFHolder after = host.SaveState();
    EXPECT_TRUE(CHostHarness::ChunkOf(after.Get()) == chunkBefore)
        << what << ": refused, but the instrument changed";
    EXPECT_EQ(host.GetAllParams(), paramsBefore) << what << ": refused, but parameters changed";
  } else {
    for (UInt32 k = 0; k < CHostHarness::PARAM_COUNT; ++k) {
      const float v = host.GetParam(k);
      EXPECT_TRUE(std::isfinite(v) && v >= 0.0f && v <= 1.0f)
          << what << ": taken with parameter " << k << " = " << v;
    }
  }
  const SAMPLE_CHECK check = PlayBriefly(host);
  EXPECT_TRUE(check.Clean()) << what << ": " << check.nans << " NaN, " << check.infinities
                             << " infinite, " << check.subnormals << " subnormal";
  EXPECT_LT(check.peak, 64.0f) << what;
}

TEST_F(StateTest, EmptyTruncatedAndOversizedChunks) {
  RandomHostParams(m_source, 3);
  CCFHolder saved = m_source.SaveState();
  const std::vector<uint8_t> chunk = CHostHarness::ChunkOf(saved.Get());
  ASSERT_GT(chunk.size(), 273000u);

  CHostHarness target;
  ASSERT_EQ(target.Start(44100.0, 512), noErr);
  RandomHostParams(target, 4);

  const size_t n = chunk.size();
  const size_t lengths[] = {0, 1, 7, 8, 12, 23, 100, 9000, 10267, 10268, 10540, 100000,
                            n / 2, n - 481, n - 9, n - 4, n - 1};
  for (size_t length : lengths) {
    std::vector<uint8_t> cut(chunk.begin(), chunk.begin() + static_cast<long>(length));
    CCFHolder state = CHostHarness::WithChunk(saved.Get(), cut);
    ExpectRefusedOrSane(target, state.Get(), "truncated to " + std::to_string(length));
  }
  for (size_t extra : {1u, 4u, 1000u, 300000u}) {
    std::vector<uint8_t> longer(chunk);
    longer.resize(n + extra, 0xA5);
    CCFHolder state = CHostHarness::WithChunk(saved.Get(), longer);
    ExpectRefusedOrSane(target, state.Get(), "extended by " + std::to_string(extra));
  }
}

TEST_F(StateTest, BitFlippedChunks) {
  RandomHostParams(m_source, 5);
  ICommandHandler* commands = m_source.Commands();
  std::vector<float> left(64, 0.25f), right(64, -0.25f);
  char name[] = "flip";
  commands->SetIntParam(OSC_MODE_PARAM, OSC_MODE_SAMPLE);
  ASSERT_TRUE(commands->LoadSampleFromMemory(0, left.data(), right.data(), 64, 44100.0f, name));
  CCFHolder saved = m_source.SaveState();
  const std::vector<uint8_t> chunk = CHostHarness::ChunkOf(saved.Get());
  ASSERT_GT(chunk.size(), 273000u);

  CHostHarness target;
  ASSERT_EQ(target.Start(44100.0, 512), noErr);
  std::mt19937 rng(31337);
  // The header and the sample block (where counts and rates live), the
  // first words of the preset (the host-visible parameters), then anywhere.
  std::vector<size_t> positions;
  for (size_t byte = 0; byte < 48; ++byte) positions.push_back(byte);
  const size_t body = 8 + 40 + 8 * 64 + 12;
  const int spots = ReducedGrid() ? 24 : 120;
  for (int k = 0; k < spots; ++k) positions.push_back(body + rng() % (4 * 1605));
  for (int k = 0; k < spots / 2; ++k) positions.push_back(rng() % chunk.size());
  for (size_t at : positions) {
    std::vector<uint8_t> flipped(chunk);
    const int bit = static_cast<int>(rng() % 8);
    flipped[at] ^= static_cast<uint8_t>(1u << bit);
    CCFHolder state = CHostHarness::WithChunk(saved.Get(), flipped);
    ExpectRefusedOrSane(target, state.Get(),
                        "bit " + std::to_string(bit) + " of byte " + std::to_string(at));
    if (::testing::Test::HasFailure()) break;
  }
  // Whole words set to values a damaged file holds.
  const uint32_t words[] = {0x7FC00000u, 0x7F800000u, 0xFF800000u, 0x00000001u, 0x7F7FFFFFu,
                            0xFFFFFFFFu, 0x80000000u};
  for (uint32_t word : words) {
    for (int k = 0; k < (ReducedGrid() ? 6 : 40); ++k) {
      std::vector<uint8_t> damaged(chunk);
      const size_t at = body + 4 * (rng() % 1605);
      std::memcpy(&damaged[at], &word, 4);
      CCFHolder state = CHostHarness::WithChunk(saved.Get(), damaged);
      ExpectRefusedOrSane(target, state.Get(),
                          "word " + std::to_string(word) + " at " + std::to_string(at));
    }
    if (::testing::Test::HasFailure()) break;
  }
}

TEST_F(StateTest, StatesOfTheWrongShapeAreRefused) {
  RandomHostParams(m_source, 8);
  CCFHolder saved = m_source.SaveState();

  CFMutableDictionaryRef noChunk = CFDictionaryCreateMutable(
      nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CCFHolder noChunkHolder(noChunk);
  CFMutableDictionaryRef wrongType = CFDictionaryCreateMutable(
      nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CCFHolder wrongTypeHolder(wrongType);
  CFDictionarySetValue(wrongType, CFSTR("mChunkData"), CFSTR("not data"));
  CCFHolder notADictionary(CFDataCreate(nullptr, reinterpret_cast<const UInt8*>("abc"), 3));

  for (CFPropertyListRef state : {static_cast<CFPropertyListRef>(noChunk),
                                  static_cast<CFPropertyListRef>(wrongType),
                                  notADictionary.Get()}) {
    const std::vector<float> before = m_source.GetAllParams();
    EXPECT_NE(m_source.RestoreState(state), noErr);
    EXPECT_EQ(m_source.GetAllParams(), before);
  }
  // A null state.
  CFPropertyListRef none = nullptr;
  EXPECT_NE(AudioUnitSetProperty(m_source.Unit(), kAudioUnitProperty_ClassInfo,
                                 kAudioUnitScope_Global, 0, &none, sizeof(none)),
            noErr);
  // The good state still restores after all that.
  CHostHarness fresh;
  ASSERT_EQ(fresh.Start(44100.0, 512), noErr);
  EXPECT_EQ(fresh.RestoreState(saved.Get()), noErr);
  EXPECT_EQ(fresh.GetAllParams(), m_source.GetAllParams());
}

}  // namespace
