// The state chunk: layout of a fresh chunk, full round trips, the older
// forms, and damaged or hostile chunks that must change nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "VstTestHost.h"
#include "engine/GlobalSynth.h"
#include "engine/Params.h"
#include "engine/VoiceManager.h"
#include "editor/Editor.h"
#include "host/vst/StateChunk.h"

namespace {

using namespace StateChunk;
using Bytes = std::vector<unsigned char>;

Bytes GetChunk(CVstSynth* effect) {
  void* data = nullptr;
  const VstInt32 size = effect->getChunk(&data);
  if (size <= 0 || !data) return Bytes();
  const unsigned char* p = static_cast<const unsigned char*>(data);
  return Bytes(p, p + size);
}

VstInt32 SetChunk(CVstSynth* effect, Bytes bytes) {
  return effect->setChunk(bytes.empty() ? nullptr : bytes.data(), static_cast<VstInt32>(bytes.size()));
}

void PutWord(Bytes& b, size_t at, uint32_t word) { WriteWord(b.data() + at, word); }
void PutFloat(Bytes& b, size_t at, float v) {
  uint32_t w;
  std::memcpy(&w, &v, 4);
  WriteWord(b.data() + at, w);
}
void PutText(Bytes& b, size_t at, const std::string& text) { std::memcpy(b.data() + at, text.data(), text.size()); }

// A stereo test sample with its peak at exactly 1, so the player's peak
// normalisation leaves it as it is.
void MakeSample(unsigned int frames, float seed, std::vector<float>& left, std::vector<float>& right) {
  left.resize(frames);
  right.resize(frames);
  for (unsigned int i = 0; i < frames; ++i) {
    left[i] = 0.5f * std::sin(seed + 0.1f * static_cast<float>(i));
    right[i] = 0.25f * std::cos(seed * 2.0f + 0.07f * static_cast<float>(i));
  }
  left[frames / 2] = 1.0f;
}

void LoadOscSample(CVstSynth* effect, unsigned int osc, unsigned int frames, float rate, const char* path,
                   float seed) {
  std::vector<float> l, r;
  MakeSample(frames, seed, l, r);
  CVoiceManager* vm = effect->GetVoiceManager();
  std::vector<char> name(path, path + std::strlen(path) + 1);
  ASSERT_TRUE(vm->LoadSampleFromMemory(osc, l.data(), r.data(), frames, rate, name.data()));
  vm->SetIntParam(PARAM_OSC_MODE + osc, OSC_MODE_SAMPLE);
}

// Everything a chunk can change, for before-and-after comparisons.
struct INSTRUMENT_STATE {
  Bytes preset;
  std::string author, name, path;
  Bytes midiMap;
  struct OSC {
    std::vector<float> left, right;
    float rate = 0.0f;
    unsigned int loopStart = 0, loopEnd = 0, rootPitch = 0;
    std::string path;
  } osc[4];

  explicit INSTRUMENT_STATE(CVstSynth* effect) {
    CVoiceManager* vm = effect->GetVoiceManager();
    preset.resize(PRESET_BYTES);
    vm->SavePreset(reinterpret_cast<SYNTH_PRESET*>(preset.data()), 0, 0);
    author = effect->GetEditorObject()->GetPresetAuthor();
    name = effect->GetEditorObject()->GetPresetName();
    path = effect->GetEditorObject()->GetPresetPath();
    midiMap.resize(MIDI_MAP_BYTES);
    effect->GetMidiMap()->SaveMidiMap(midiMap.data());
    for (unsigned int k = 0; k < 4; ++k) {
      float *l = nullptr, *r = nullptr;
      unsigned int n = 0;
      vm->GetSample(k, &l, &r, n, &osc[k].rate);
      if (l && r) {
        osc[k].left.assign(l, l + n);
        osc[k].right.assign(r, r + n);
      }
      osc[k].loopStart = vm->GetSampleLoopStart(k);
      osc[k].loopEnd = vm->GetSampleLoopEnd(k);
      osc[k].rootPitch = vm->GetSampleRootPitch(k);
      const char* p = vm->GetLoadedSamplePath(k);
      osc[k].path = p ? p : "";
    }
  }
};

void ExpectSameState(const INSTRUMENT_STATE& a, const INSTRUMENT_STATE& b, const std::string& what) {
  EXPECT_TRUE(a.preset == b.preset) << what << ": preset";
  EXPECT_EQ(a.author, b.author) << what;
  EXPECT_EQ(a.name, b.name) << what;
  EXPECT_EQ(a.path, b.path) << what;
  EXPECT_TRUE(a.midiMap == b.midiMap) << what << ": MIDI map";
  for (unsigned int k = 0; k < 4; ++k) {
    EXPECT_TRUE(a.osc[k].left == b.osc[k].left && a.osc[k].right == b.osc[k].right) << what << ": osc " << k;
    EXPECT_EQ(a.osc[k].rate, b.osc[k].rate) << what << ": osc " << k;
    EXPECT_EQ(a.osc[k].loopStart, b.osc[k].loopStart) << what << ": osc " << k;
    EXPECT_EQ(a.osc[k].loopEnd, b.osc[k].loopEnd) << what << ": osc " << k;
    EXPECT_EQ(a.osc[k].rootPitch, b.osc[k].rootPitch) << what << ": osc " << k;
    EXPECT_EQ(a.osc[k].path, b.osc[k].path) << what << ": osc " << k;
  }
}

// An instrument with something everywhere: samples on oscillators 0 and 2,
// changed parameters, texts and a learned controller.
void Populate(CVstSynth* effect) {
  CVoiceManager* vm = effect->GetVoiceManager();
  LoadOscSample(effect, 0, 300, 22050.0f, "/Samples/bass.v2.wav", 0.3f);
  vm->SetSampleLoop(0, 10, 250);
  vm->SetSampleRootPitch(0, 48);
  LoadOscSample(effect, 2, 77, 96000.0f, "/Samples/a very long sample file name.wav", 1.7f);
  vm->SetSampleRootPitch(2, 71);
  effect->setParameter(3, 0.125f);
  vm->SetFloatParam(500, 0.75f);
  effect->GetEditorObject()->SetPresetAuthor("Somebody");
  effect->GetEditorObject()->SetPresetName("Warm pad");
  effect->GetEditorObject()->InitPresetBrowserCategorySelection("/Presets/Pads/Warm pad.p");
  effect->GetMidiMap()->AssignMidiCC(20, 1578);
}

TEST(VstChunk, FreshChunkLayout) {
  CVstTestHost host;
  const Bytes chunk = GetChunk(host.effect);
  ASSERT_EQ(chunk.size(), 273264u);
  const uint32_t lead[] = {0x63ADEECD, 0x3B2AC934, 0, 0, 0, 0};
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(ReadWord(chunk.data() + 4 * i), lead[i]) << i;
  const size_t body = 24;
  EXPECT_EQ(ReadWord(chunk.data() + body + BODY_MAP_OFFSET + 4 * 1), 1577u);  // CC 1: the mod wheel macro
  EXPECT_EQ(ReadWord(chunk.data() + chunk.size() - 8), 0x63ADEECCu);
  EXPECT_EQ(ReadWord(chunk.data() + chunk.size() - 4), 0x8472BA7Eu);
  EXPECT_STREQ(reinterpret_cast<const char*>(chunk.data() + body + PRESET_BYTES_V3), "Factory reset");
  EXPECT_STREQ(reinterpret_cast<const char*>(chunk.data() + body + PRESET_BYTES_V3 + AUTHOR_BYTES), "Default");

  // Refusals before anything is read.
  void* none = nullptr;
  EXPECT_EQ(host.effect->getChunk(nullptr), 0);
  EXPECT_EQ(host.effect->setChunk(nullptr, 1000), 0);
  EXPECT_EQ(host.effect->setChunk(&none, 7), 0);
}

TEST(VstChunk, RoundTripRestoresEverythingAndRewritesTheSameBytes) {
  CVstTestHost a;
  a.Start(128);
  Populate(a.effect);
  const Bytes first = GetChunk(a.effect);
  ASSERT_EQ(first.size(), 273248u + 4 + 4 + (40 + 8 * 300) + (40 + 8 * 77));

  CVstTestHost b;
  b.Start(128);
  ASSERT_EQ(SetChunk(b.effect, first), 1);
  const INSTRUMENT_STATE sa(a.effect), sb(b.effect);
  EXPECT_TRUE(sa.preset == sb.preset);
  EXPECT_EQ(sb.author, "Somebody");
  EXPECT_EQ(sb.name, "Warm pad");
  EXPECT_EQ(sb.path, "/Presets/Pads/Warm pad.p");
  EXPECT_TRUE(sa.midiMap == sb.midiMap);
  EXPECT_EQ(b.effect->GetMidiMap()->GetParamID(20), 1578u);
  for (unsigned int k : {0u, 2u}) {
    EXPECT_TRUE(sa.osc[k].left == sb.osc[k].left && sa.osc[k].right == sb.osc[k].right) << k;
    EXPECT_EQ(sa.osc[k].rate, sb.osc[k].rate) << k;
    EXPECT_EQ(sa.osc[k].loopStart, sb.osc[k].loopStart) << k;
    EXPECT_EQ(sa.osc[k].loopEnd, sb.osc[k].loopEnd) << k;
    EXPECT_EQ(sa.osc[k].rootPitch, sb.osc[k].rootPitch) << k;
  }
  EXPECT_EQ(sb.osc[0].loopStart, 10u);
  EXPECT_EQ(sb.osc[0].rootPitch, 48u);
  EXPECT_EQ(sb.osc[0].rate, 22050.0f);
  EXPECT_EQ(sb.osc[0].path, "bass.v2");
  EXPECT_EQ(sb.osc[2].path, "a very long samp");  // the name field's 16 bytes
  EXPECT_EQ(sb.osc[2].rate, 96000.0f);

  const Bytes second = GetChunk(b.effect);
  EXPECT_TRUE(first == second);

  // Names with dots survive any number of round trips.
  CVstTestHost c;
  ASSERT_EQ(SetChunk(c.effect, second), 1);
  ASSERT_EQ(SetChunk(c.effect, GetChunk(c.effect)), 1);
  ASSERT_EQ(SetChunk(c.effect, GetChunk(c.effect)), 1);
  EXPECT_STREQ(c.effect->GetVoiceManager()->GetLoadedSamplePath(0), "bass.v2");
  EXPECT_TRUE(GetChunk(c.effect) == first);
}

TEST(VstChunk, LoadingAPresetDropsHeldNotes) {
  CVstTestHost a;
  const Bytes chunk = GetChunk(a.effect);
  CVstTestHost b;
  b.Start(128);
  b.SendMidi({{0x90, 60, 100, 0}});
  ASSERT_EQ(SetChunk(b.effect, chunk), 1);
  b.Render(128);
  EXPECT_EQ(b.effect->GetVoiceManager()->GetVoiceCount(), 0u);
}

TEST(VstChunk, LongAuthorIsCutToItsField) {
  CVstTestHost host;
  host.effect->GetEditorObject()->SetPresetAuthor("An author name of thirty chars");
  const Bytes chunk = GetChunk(host.effect);
  const unsigned char* field = chunk.data() + 24 + PRESET_BYTES_V3;
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(field)), "An author name of thirt");
  for (unsigned int i = 23; i < AUTHOR_BYTES; ++i) EXPECT_EQ(field[i], 0) << i;
}

// A body of the given size with texts at the offsets of its preset size.
Bytes Body(size_t size, size_t presetBytes, const std::string& author) {
  Bytes b(size, 0);
  if (presetBytes + AUTHOR_BYTES <= size) PutText(b, presetBytes, author);
  if (presetBytes + AUTHOR_BYTES + 5 <= size) PutText(b, presetBytes + AUTHOR_BYTES, "Name");
  return b;
}

Bytes WithEmptyOscSection(const Bytes& body) {
  Bytes b(24, 0);
  PutWord(b, 0, CHUNK_SIGANTURE_V2);
  PutWord(b, 4, CHUNK_CONTROL_WORD_V2);
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

TEST(VstChunk, OlderFormsLoadByTheirSize) {
  struct ROW {
    size_t size;
    size_t presetBytes;  // 0: refused
    bool map;
  } rows[] = {
      {10268, PRESET_BYTES_V1, false},  {10528, PRESET_BYTES_V1, false}, {10540, PRESET_BYTES_V2, false},
      {200000, PRESET_BYTES_V2, false}, {272751, PRESET_BYTES_V2, false}, {272752, PRESET_BYTES_V3, false},
      {273239, PRESET_BYTES_V3, false}, {273240, PRESET_BYTES_V3, true},  {300000, PRESET_BYTES_V3, true},
      {9000, 0, false},                 {10267, 0, false},                {10269, 0, false},
      {10539, 0, false},                {8, 0, false},
  };
  for (bool header : {false, true}) {
    for (const ROW& row : rows) {
      const std::string what = std::to_string(row.size) + (header ? " with header" : " without header");
      CVstTestHost host;
      CVoiceManager* vm = host.effect->GetVoiceManager();
      LoadOscSample(host.effect, 1, 50, 44100.0f, "/S/keep.wav", 0.5f);
      for (unsigned int k = 0; k < 4; ++k) vm->SetSampleRootPitch(k, 72);
      host.effect->GetMidiMap()->AssignMidiCC(20, 1578);
      const INSTRUMENT_STATE before(host.effect);

      const std::string author = "A" + std::to_string(row.size) + (header ? "h" : "n");
      Bytes body = Body(row.size, row.presetBytes ? row.presetBytes : PRESET_BYTES_V1, author);
      if (row.map) {
        PutWord(body, BODY_MAP_OFFSET + 4 * 20, 1579);
        PutWord(body, BODY_TRAILER_OFFSET, CHUNK_TRAILER_SIGNATURE);
        PutWord(body, BODY_TRAILER_OFFSET + 4, CHUNK_TRAILER_CONTROL_WORD);
      }
      const VstInt32 result = SetChunk(host.effect, header ? WithEmptyOscSection(body) : body);
      if (!row.presetBytes) {
        EXPECT_EQ(result, 0) << what;
        ExpectSameState(before, INSTRUMENT_STATE(host.effect), what);
        continue;
      }
      ASSERT_EQ(result, 1) << what;
      EXPECT_EQ(std::string(host.effect->GetEditorObject()->GetPresetAuthor()), author) << what;
      EXPECT_EQ(host.effect->GetEditorObject()->GetPresetName(), "Name") << what;
      EXPECT_EQ(host.effect->GetMidiMap()->GetParamID(20), row.map ? 1579u : 1578u) << what;
      // The sample stays either way; without the oscillator section every
      // root pitch goes back to 60.
      EXPECT_EQ(vm->GetLoadedSamplePath(1), std::string("/S/keep.wav")) << what;
      for (unsigned int k = 0; k < 4; ++k) EXPECT_EQ(vm->GetSampleRootPitch(k), header ? 72u : 60u) << what;
    }
  }
}

TEST(VstChunk, DamagedTrailerKeepsTheMap) {
  CVstTestHost host;
  Bytes chunk = GetChunk(host.effect);
  PutWord(chunk, 24 + BODY_MAP_OFFSET + 4 * 30, 1580);
  chunk.back() ^= 0x01;
  host.effect->GetEditorObject()->SetPresetName("Before");
  ASSERT_EQ(SetChunk(host.effect, chunk), 1);
  EXPECT_EQ(host.effect->GetEditorObject()->GetPresetName(), "Default");
  EXPECT_EQ(host.effect->GetMidiMap()->GetParamID(30), 0u);
}

// A small chunk with an oscillator section: a 3-frame sample on
// oscillator 0, has-sample with no frames on oscillator 1, nothing on 2
// and 3, then a version-1 body.
Bytes SmallFixture() {
  Bytes b(8, 0);
  PutWord(b, 0, CHUNK_SIGANTURE_V2);
  PutWord(b, 4, CHUNK_CONTROL_WORD_V2);
  Bytes osc0(40 + 24, 0);
  PutWord(osc0, 0, 1);
  PutText(osc0, 4, "tiny.one");
  PutWord(osc0, 20, 0);
  PutWord(osc0, 24, 2);
  PutWord(osc0, 28, 64);
  PutFloat(osc0, 32, 32000.0f);
  PutWord(osc0, 36, 3);
  const float frames[6] = {0.5f, -1.0f, 0.25f, 1.0f, 0.0f, -0.5f};
  for (int i = 0; i < 6; ++i) PutFloat(osc0, 40 + 4 * i, frames[i]);
  Bytes osc1(40, 0);
  PutWord(osc1, 0, 1);
  PutText(osc1, 4, "empty");
  PutWord(osc1, 28, 99);
  b.insert(b.end(), osc0.begin(), osc0.end());
  b.insert(b.end(), osc1.begin(), osc1.end());
  b.resize(b.size() + 8, 0);  // oscillators 2 and 3: no sample
  const Bytes body = Body(BODY_BYTES_V1, PRESET_BYTES_V1, "Tiny");
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

// Offsets in SmallFixture of its header, has-sample and frame-count words.
const size_t FIXTURE_FIELDS[] = {0, 4, 8, 8 + 36, 8 + 64, 8 + 64 + 36, 8 + 104, 8 + 108};
const size_t FIXTURE_ROOT_PITCH = 8 + 28;
const size_t FIXTURE_RATE = 8 + 32;

void PrepareForDamage(CVstSynth* effect) {
  LoadOscSample(effect, 0, 40, 44100.0f, "/S/zero.wav", 0.1f);
  LoadOscSample(effect, 1, 30, 48000.0f, "/S/one.wav", 0.2f);
  effect->GetVoiceManager()->SetSampleLoop(1, 3, 20);
  effect->GetVoiceManager()->SetSampleRootPitch(1, 70);
  effect->GetEditorObject()->SetPresetAuthor("Keep me");
}

TEST(VstChunk, SmallFixtureLoadsItsSample) {
  CVstTestHost host;
  PrepareForDamage(host.effect);
  ASSERT_EQ(SetChunk(host.effect, SmallFixture()), 1);
  CVoiceManager* vm = host.effect->GetVoiceManager();
  float *l = nullptr, *r = nullptr, rate = 0.0f;
  unsigned int n = 0;
  vm->GetSample(0, &l, &r, n, &rate);
  ASSERT_EQ(n, 3u);
  EXPECT_EQ(rate, 32000.0f);
  EXPECT_EQ(l[1], -1.0f);
  EXPECT_EQ(r[0], 1.0f);
  EXPECT_STREQ(vm->GetLoadedSamplePath(0), "tiny.one");
  EXPECT_EQ(vm->GetSampleRootPitch(0), 64u);
  // Has-sample with no frames: oscillator 1 keeps sample, loop and root pitch.
  EXPECT_STREQ(vm->GetLoadedSamplePath(1), "/S/one.wav");
  EXPECT_EQ(vm->GetSampleLoopStart(1), 3u);
  EXPECT_EQ(vm->GetSampleLoopEnd(1), 20u);
  EXPECT_EQ(vm->GetSampleRootPitch(1), 70u);
  EXPECT_EQ(host.effect->GetEditorObject()->GetPresetAuthor(), "Tiny");
}

TEST(VstChunk, TruncatedChunksAreRefusedAndChangeNothing) {
  CVstTestHost host;
  PrepareForDamage(host.effect);
  const INSTRUMENT_STATE before(host.effect);
  const Bytes fixture = SmallFixture();
  unsigned int taken = 0;
  for (size_t cut = 0; cut < fixture.size(); ++cut) {
    Bytes part(fixture.begin(), fixture.begin() + static_cast<std::ptrdiff_t>(cut));
    // Exactly sized for the truncated length, so a read past it is caught.
    taken += SetChunk(host.effect, part) ? 1 : 0;
  }
  EXPECT_EQ(taken, 0u);
  ExpectSameState(before, INSTRUMENT_STATE(host.effect), "after every truncation");
}

TEST(VstChunk, DamagedCountsNeverCrashAndRefusalsChangeNothing) {
  CVstTestHost host;
  PrepareForDamage(host.effect);
  const Bytes fixture = SmallFixture();
  const unsigned char values[] = {0x00, 0x01, 0x7F, 0x80, 0xFF};
  for (size_t field : FIXTURE_FIELDS) {
    for (size_t byte = 0; byte < 4; ++byte) {
      for (unsigned char v : values) {
        Bytes damaged = fixture;
        if (damaged[field + byte] == v) continue;
        damaged[field + byte] = v;
        const INSTRUMENT_STATE before(host.effect);
        if (SetChunk(host.effect, damaged) == 0)
          ExpectSameState(before, INSTRUMENT_STATE(host.effect),
                          "field " + std::to_string(field) + " byte " + std::to_string(byte));
      }
    }
  }
  // Frame counts whose byte size wraps in 32 bits.
  for (uint32_t frames : {0x20000000u, 0x20000001u, 0xFFFFFFFFu, 0x1FFFFFFFu}) {
    Bytes damaged = fixture;
    PutWord(damaged, 8 + 36, frames);
    const INSTRUMENT_STATE before(host.effect);
    EXPECT_EQ(SetChunk(host.effect, damaged), 0) << frames;
    ExpectSameState(before, INSTRUMENT_STATE(host.effect), "frames " + std::to_string(frames));
  }
}

TEST(VstChunk, SampleRateAndRootPitchAreChecked) {
  const float badRates[] = {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()};
  for (float rate : badRates) {
    CVstTestHost host;
    PrepareForDamage(host.effect);
    const INSTRUMENT_STATE before(host.effect);
    Bytes chunk = SmallFixture();
    PutFloat(chunk, FIXTURE_RATE, rate);
    EXPECT_EQ(SetChunk(host.effect, chunk), 0) << rate;
    ExpectSameState(before, INSTRUMENT_STATE(host.effect), "rate " + std::to_string(rate));
  }
  for (uint32_t pitch : {127u, 128u, 171u, 0xFFFFFFFFu}) {
    CVstTestHost host;
    Bytes chunk = SmallFixture();
    PutWord(chunk, FIXTURE_ROOT_PITCH, pitch);
    ASSERT_EQ(SetChunk(host.effect, chunk), 1) << pitch;
    EXPECT_EQ(host.effect->GetVoiceManager()->GetSampleRootPitch(0), 127u) << pitch;
  }
}

}  // namespace

namespace {

// A chunk whose parameter words were damaged: the values hosts see and the
// modulation reads come back into 0..1; plain settings keep their values.
TEST(VstChunk, OutOfRangeParameterWordsAreClampedOnLoad) {
  CVstTestHost a;
  Bytes chunk = GetChunk(a.effect);
  ASSERT_EQ(chunk.size(), 273264u);
  const size_t body = 24;
  PutFloat(chunk, body + 4 * 10, 44100.0f);     // host index 6
  PutFloat(chunk, body + 4 * 131, -1.0f);       // master pan, modulatable
  PutFloat(chunk, body + 4 * 486, 7.0f);        // unison detune: host index 307
  PutFloat(chunk, body + 4 * 1578, -3.0f);      // macro 2: host index 310
  PutFloat(chunk, body + 4 * 490, 16.0f);       // voice count: a plain setting

  CVstTestHost b;
  ASSERT_EQ(SetChunk(b.effect, chunk), 1);
  EXPECT_EQ(b.effect->getParameter(6), 1.0f);
  EXPECT_EQ(b.effect->getParameter(307), 1.0f);
  EXPECT_EQ(b.effect->getParameter(310), 0.0f);
  CVoiceManager* vm = b.effect->GetVoiceManager();
  EXPECT_EQ(vm->GetFloatParam(131), 0.0f);
  EXPECT_EQ(vm->GetFloatParam(490), 16.0f);
  for (VstInt32 index = 0; index < 333; ++index) {
    const float v = b.effect->getParameter(index);
    EXPECT_TRUE(v >= 0.0f && v <= 1.0f) << index << " = " << v;
  }
}

}  // namespace
