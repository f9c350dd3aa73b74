#include "tools/render/Options.h"

#include <gtest/gtest.h>

namespace {

bool ParseArgs(std::vector<const char*> args, RENDER_OPTIONS& options, std::string& error) {
  args.insert(args.begin(), "morlavine-render");
  return COptions::Parse(static_cast<int>(args.size()), args.data(), options, error);
}

}  // namespace

TEST(Options, DefaultsAndEveryOption) {
  RENDER_OPTIONS o;
  std::string error;
  ASSERT_TRUE(ParseArgs({"--demo", "-o", "out.wav"}, o, error)) << error;
  EXPECT_TRUE(o.demo);
  EXPECT_EQ(o.outPath, "out.wav");
  EXPECT_EQ(o.sampleRate, 44100u);
  EXPECT_EQ(o.blockFrames, 512u);
  EXPECT_DOUBLE_EQ(o.tempo, 120.0);
  EXPECT_DOUBLE_EQ(o.tailSeconds, 2.0);
  EXPECT_FALSE(o.seedGiven);
  EXPECT_TRUE(o.params.empty());

  ASSERT_TRUE(ParseArgs({"--midi", "a.mid", "--preset", "p.p", "--state", "s.aupreset",
                         "--param", "0=0.25", "--param=332=1", "--rate", "96000", "--block=1",
                         "--tempo", "93.5", "--tail", "0", "--save-state", "t.aupreset",
                         "--seed", "4294967295", "--output", "x.wav"},
                        o, error))
      << error;
  EXPECT_EQ(o.midiPath, "a.mid");
  EXPECT_EQ(o.presetPath, "p.p");
  EXPECT_EQ(o.statePath, "s.aupreset");
  EXPECT_EQ(o.saveStatePath, "t.aupreset");
  ASSERT_EQ(o.params.size(), 2u);
  EXPECT_EQ(o.params[0].index, 0u);
  EXPECT_FLOAT_EQ(o.params[0].value, 0.25f);
  EXPECT_EQ(o.params[1].index, 332u);
  EXPECT_FLOAT_EQ(o.params[1].value, 1.0f);
  EXPECT_EQ(o.sampleRate, 96000u);
  EXPECT_EQ(o.blockFrames, 1u);
  EXPECT_DOUBLE_EQ(o.tempo, 93.5);
  EXPECT_DOUBLE_EQ(o.tailSeconds, 0.0);
  EXPECT_TRUE(o.seedGiven);
  EXPECT_EQ(o.seed, 4294967295u);
  EXPECT_EQ(o.outPath, "x.wav");

  ASSERT_TRUE(ParseArgs({"--help"}, o, error));
  EXPECT_TRUE(o.help);

  // Listing the parameters needs no music and no output.
  ASSERT_TRUE(ParseArgs({"--list-params", "--preset", "p.p", "--param", "3=0.5"}, o, error))
      << error;
  EXPECT_TRUE(o.listParams);
  ASSERT_TRUE(ParseArgs({"--demo", "-o", "-", "--save-preset", "s.p"}, o, error)) << error;
  EXPECT_EQ(o.outPath, "-");
  EXPECT_EQ(o.savePresetPath, "s.p");
}

TEST(Options, BadArgumentsGiveOneLineErrors) {
  struct CASE {
    std::vector<const char*> args;
    const char* message;
  };
  const CASE cases[] = {
      {{"--demo", "-o", "x.wav", "--frobnicate"}, "unknown option '--frobnicate'"},
      {{"--demo", "-o", "x.wav", "stray"}, "unexpected argument 'stray'"},
      {{"--demo", "-o"}, "option -o needs a value"},
      {{"--demo", "-o", "x.wav", "--rate"}, "option --rate needs a value"},
      {{"--demo", "--demo=1", "-o", "x.wav"}, "--demo takes no value"},
      {{"-o", "x.wav"}, "nothing to play"},
      {{"--demo"}, "no output file"},
      {{"--demo", "--midi", "a.mid", "-o", "x.wav"}, "exclude each other"},
      {{"--demo", "-o", "x.wav", "--save-state", "x.wav"}, "name the same file"},
      {{"--demo", "-o", "x.wav", "--midi="}, "--midi needs a file name"},
      {{"--demo", "-o", "x.wav", "--rate", "22049"}, "sample rate out of range"},
      {{"--demo", "-o", "x.wav", "--rate", "192001"}, "sample rate out of range"},
      {{"--demo", "-o", "x.wav", "--rate", "44100.5"}, "--rate '44100.5': not a whole number"},
      {{"--demo", "-o", "x.wav", "--rate", "fast"}, "--rate 'fast': not a number"},
      {{"--demo", "-o", "x.wav", "--rate", "-44100"}, "sample rate out of range"},
      {{"--demo", "-o", "x.wav", "--block", "0"}, "block size out of range"},
      {{"--demo", "-o", "x.wav", "--block", "8193"}, "block size out of range"},
      {{"--demo", "-o", "x.wav", "--tempo", "0"}, "tempo out of range"},
      {{"--demo", "-o", "x.wav", "--tempo", "nan"}, "--tempo 'nan': not a number"},
      {{"--demo", "-o", "x.wav", "--tail", "-1"}, "tail out of range"},
      {{"--demo", "-o", "x.wav", "--tail", "inf"}, "--tail 'inf': not a number"},
      {{"--demo", "-o", "x.wav", "--seed", "-3"}, "--seed '-3'"},
      {{"--demo", "-o", "x.wav", "--seed", "4294967296"}, "--seed '4294967296'"},
      {{"--demo", "-o", "x.wav", "--param", "5"}, "expected ID=VALUE"},
      {{"--demo", "-o", "x.wav", "--param", "333=0.5"}, "parameter id '333' out of range (0..332)"},
      {{"--demo", "-o", "x.wav", "--param", "-1=0.5"}, "parameter id '-1' out of range"},
      {{"--demo", "-o", "x.wav", "--param", "x=0.5"}, "parameter id 'x' is not a number"},
      {{"--demo", "-o", "x.wav", "--param", "3=1.01"}, "value '1.01' out of range (0..1)"},
      {{"--demo", "-o", "x.wav", "--param", "3=-0.1"}, "value '-0.1' out of range"},
      {{"--demo", "-o", "x.wav", "--param", "3="}, "value '' is not a number"},
      {{"--demo", "-o", "x.wav", "--param", "3=0x1"}, "value '0x1' is not a number"},
      {{"--list-params", "--demo"}, "--list-params renders nothing: leave out --demo"},
      {{"--list-params", "-o", "x.wav"}, "leave out -o"},
      {{"--demo", "-o", "x.wav", "--save-preset", "x.wav"}, "name the same file"},
  };
  for (const CASE& c : cases) {
    std::string joined;
    for (const char* a : c.args) joined += std::string(a) + " ";
    SCOPED_TRACE(joined);
    RENDER_OPTIONS o;
    o.tempo = 77.0;
    std::string error;
    EXPECT_FALSE(ParseArgs(c.args, o, error));
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_DOUBLE_EQ(o.tempo, 77.0);  // untouched on failure
  }
}
