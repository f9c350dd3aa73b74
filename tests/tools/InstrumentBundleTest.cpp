// The instrument as a bundle that the tools load by path: one exported
// entry, loading from any place the bundle is copied to, and a missing,
// damaged or entry-less bundle refused with a message.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "ToolsTestUtil.h"
#include "host/au/AUSynthProperties.h"
#include "tools/render/AuHost.h"
#include "tools/render/InstrumentBundle.h"

namespace {

// A copy of the built bundle folder at `to`.
bool CopyBundle(const std::string& to, const CScratchDir& dir) {
  return RunCommand("cp -r " + Quoted(MORLAVINE_BUNDLE_DIR) + " " + Quoted(to), dir).exitCode == 0;
}

TEST(InstrumentBundle, ExportsTheEntryAndNothingElse) {
  CScratchDir dir;
  const RUN nm = RunCommand("nm -D --defined-only " + Quoted(std::string(MORLAVINE_BUNDLE_DIR) + "/Morlavine.so"), dir);
  if (nm.exitCode == 127) GTEST_SKIP() << "nm is not installed";
  ASSERT_EQ(nm.exitCode, 0) << nm.err;
  std::vector<std::string> names;
  std::istringstream lines(nm.out);
  std::string line;
  while (std::getline(lines, line)) {
    // "address type name"; weak and unique symbols of the C++ library and
    // the sanitizers' runtime hooks are no symbols of ours.
    std::istringstream fields(line);
    std::string address, type, name;
    if (!(fields >> address >> type >> name)) continue;
    if (name.rfind("__", 0) == 0 || name.rfind("_ZNSt", 0) == 0 || name == "_init" || name == "_fini") continue;
    names.push_back(name + " (" + type + ")");
  }
  EXPECT_EQ(names, std::vector<std::string>{"CAUSynthEntry (T)"});
}

TEST(InstrumentBundle, ToolsRenderTheSameFromACopyOfTheBundleAnywhere) {
  CScratchDir dir;
  const std::string copy = dir.File("elsewhere.component");
  ASSERT_TRUE(CopyBundle(copy, dir));
  ASSERT_EQ(RunTool(MORLAVINE_RENDER_EXE, dir, {"--demo", "--seed", "5", "--tail", "0.2", "-o", dir.File("a.wav")}).exitCode, 0);
  for (const std::string& bundle : {copy, copy + "/Morlavine.so"}) {
    SCOPED_TRACE(bundle);
    const RUN r = RunTool(MORLAVINE_RENDER_EXE, dir,
                       {"--bundle", bundle, "--demo", "--seed", "5", "--tail", "0.2", "-o", dir.File("b.wav")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadBytes(dir.File("a.wav")), ReadBytes(dir.File("b.wav")));
  }
  const RUN shot = RunTool(MORLAVINE_EDITOR_EXE, dir, {"--bundle", copy, "--snapshot", dir.File("shot.png")});
  EXPECT_EQ(shot.exitCode, 0) << shot.err;
  EXPECT_TRUE(FileExists(dir.File("shot.png")));
}

TEST(InstrumentBundle, ToolsRefuseAMissingDamagedOrEntrylessBundle) {
  CScratchDir dir;
  ASSERT_EQ(::mkdir(dir.File("empty.component").c_str(), 0755), 0);
  {
    FILE* f = std::fopen(dir.File("damaged.so").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("\x7f" "ELF but not really", f);
    std::fclose(f);
  }
  // A truncated copy of the real bundle.
  ASSERT_TRUE(CopyBundle(dir.File("cut.component"), dir));
  ASSERT_EQ(::truncate(dir.File("cut.component/Morlavine.so").c_str(), 4096), 0);
  struct CASE {
    std::string bundle;
    std::string says;
  };
  const CASE cases[] = {
      {dir.File("nowhere.component"), "no instrument bundle there"},
      {dir.File("empty.component"), "not an instrument bundle"},
      {dir.File("damaged.so"), "cannot be loaded"},
      {dir.File("cut.component"), "cannot be loaded"},
      {MORLAVINE_PLATFORM_LIBRARY, "exports no CAUSynthEntry"},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.bundle);
    const RUN render = RunTool(MORLAVINE_RENDER_EXE, dir, {"--bundle", c.bundle, "--demo", "-o", dir.File("x.wav")});
    EXPECT_EQ(render.exitCode, 1);
    EXPECT_NE(render.err.find(c.bundle + ": "), std::string::npos) << render.err;
    EXPECT_NE(render.err.find(c.says), std::string::npos) << render.err;
    EXPECT_FALSE(FileExists(dir.File("x.wav")));
    const RUN editor = RunTool(MORLAVINE_EDITOR_EXE, dir, {"--bundle", c.bundle, "--snapshot", dir.File("x.png")});
    EXPECT_EQ(editor.exitCode, 1);
    EXPECT_NE(editor.err.find(c.says), std::string::npos) << editor.err;
    EXPECT_FALSE(FileExists(dir.File("x.png")));
  }
}

// Two units of the loaded bundle in this process: the same seed gives the
// same sound, each unit's own.
std::vector<float> PlaySeeded(AudioComponent component, UInt32 seed) {
  HOST_TRANSPORT transport;
  CAuHost host(&transport);
  std::string error;
  std::vector<float> out;
  EXPECT_TRUE(host.Open(component, error) && host.Configure(44100.0, 256, error) && host.Initialize(error)) << error;
  EXPECT_EQ(AudioUnitSetProperty(host.Unit(), kAUSynthProperty_RandomSeed, kAudioUnitScope_Global, 0, &seed,
                                 sizeof(seed)),
            noErr);
  std::vector<float> left(256), right(256);
  for (int block = 0; block < 40; ++block) {
    if (block % 5 == 0) host.SendMidi(0x90, static_cast<uint8_t>(50 + block), 100, 17, error);
    EXPECT_TRUE(host.Render(256, left.data(), right.data(), error)) << error;
    out.insert(out.end(), left.begin(), left.end());
  }
  host.Close();
  return out;
}

TEST(InstrumentBundle, LoadsOnceAndItsUnitsKeepTheirOwnGenerators) {
  std::string error;
  AudioComponent a = InstrumentBundle::Load(MORLAVINE_BUNDLE_DIR, error);
  ASSERT_NE(a, nullptr) << error;
  EXPECT_EQ(InstrumentBundle::Load(std::string(MORLAVINE_BUNDLE_DIR) + "/Morlavine.so", error), a)
      << "the same bundle again is the same component";
  const std::vector<float> first = PlaySeeded(a, 11);
  EXPECT_EQ(PlaySeeded(a, 11), first);
  EXPECT_NE(PlaySeeded(a, 12), first);
}

}  // namespace
