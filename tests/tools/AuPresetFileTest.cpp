#include "tools/render/AuPresetFile.h"

#include <unistd.h>

#include "ToolsTestUtil.h"

namespace {

std::vector<uint8_t> Pattern(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((i * 131 + 7) & 0xFF);
  return bytes;
}

// A state in the shape the unit saves, with a chunk of `chunkSize` bytes.
PLIST_VALUE SampleState(size_t chunkSize) {
  PLIST_VALUE state = PLIST_VALUE::Dict();
  state.Set("data", PLIST_VALUE::Data(Pattern(333 * 8)));
  state.Set("manufacturer", PLIST_VALUE::Integer(CAuPresetFile::FourCharCode("TRVL")));
  state.Set("name", PLIST_VALUE::String("Warm <pad> & \"strings\" \xC3\xA9"));
  state.Set("subtype", PLIST_VALUE::Integer(CAuPresetFile::FourCharCode("MrVn")));
  state.Set("type", PLIST_VALUE::Integer(CAuPresetFile::FourCharCode("aumu")));
  state.Set("version", PLIST_VALUE::Integer(0));
  state.Set("mChunkData", PLIST_VALUE::Data(Pattern(chunkSize)));
  return state;
}

const char PLIST_HEAD[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n";

// A hand-written state with `extra` inserted into the dictionary.
std::string StateText(const std::string& extra, const std::string& data = "AAECAw==") {
  return std::string(PLIST_HEAD) +
         "<dict>\n"
         "  <key>type</key><integer>1635085685</integer>\n"
         "  <key>subtype</key><integer>1299338862</integer>\n"
         "  <key>manufacturer</key><integer>1414682188</integer>\n"
         "  <key>version</key><integer>0</integer>\n"
         "  <key>name</key><string>Init</string>\n"
         "  <key>data</key><data>" + data + "</data>\n" + extra +
         "</dict>\n</plist>\n";
}

}  // namespace

TEST(AuPresetFile, StateSurvivesAFileRoundTrip) {
  CScratchDir dir;
  const std::string path = dir.File("state.aupreset");
  // 273,264 bytes is the size of a fresh instrument's chunk.
  const PLIST_VALUE state = SampleState(273264);
  std::string error;
  ASSERT_TRUE(CAuPresetFile::Write(path.c_str(), state, error)) << error;
  PLIST_VALUE back;
  ASSERT_TRUE(CAuPresetFile::Read(path.c_str(), back, error)) << error;
  EXPECT_TRUE(back == state);
  EXPECT_EQ(back.Find("mChunkData")->bytes.size(), 273264u);
  EXPECT_EQ(back.Find("type")->integer, 0x61756D75);

  const std::vector<uint8_t> text = ReadBytes(path);
  const std::string head(text.begin(), text.begin() + 200);
  EXPECT_NE(head.find("<!DOCTYPE plist"), std::string::npos);
  EXPECT_NE(head.find("<plist version=\"1.0\">"), std::string::npos);
}

TEST(AuPresetFile, EveryValueKindAndDataLengthRoundTrips) {
  PLIST_VALUE root = PLIST_VALUE::Dict();
  PLIST_VALUE list = PLIST_VALUE::Array();
  // Data lengths 0..5 cover every base64 padding case.
  for (size_t n = 0; n < 6; ++n) list.items.push_back(PLIST_VALUE::Data(Pattern(n)));
  list.items.push_back(PLIST_VALUE::Integer(-2147483648LL));
  list.items.push_back(PLIST_VALUE::Integer(9007199254740993LL));
  list.items.push_back(PLIST_VALUE::Real(0.1));
  list.items.push_back(PLIST_VALUE::Real(-1e-300));
  list.items.push_back(PLIST_VALUE::Bool(true));
  list.items.push_back(PLIST_VALUE::Bool(false));
  list.items.push_back(PLIST_VALUE::String(""));
  list.items.push_back(PLIST_VALUE::String("  spaced  \n"));
  root.Set("list", list);
  PLIST_VALUE inner = PLIST_VALUE::Dict();
  inner.Set("empty", PLIST_VALUE::Dict());
  root.Set("inner", inner);

  std::string xml, error;
  ASSERT_TRUE(CAuPresetFile::Format(root, xml));
  PLIST_VALUE back;
  ASSERT_TRUE(CAuPresetFile::Parse(xml, "mem", back, error)) << error;
  EXPECT_TRUE(back == root) << xml;
}

TEST(AuPresetFile, ReadsAHandWrittenStateWithExtraKeys) {
  CScratchDir dir;
  const std::string path = dir.File("host.aupreset");
  WriteText(path, StateText("  <key>element-name</key><string>Synth</string>\n"
                            "  <key>mChunkData</key><data>\n    AQID\n    BAU=\n  </data>\n",
                            "AA EC\nAw=="));
  PLIST_VALUE state;
  std::string error;
  ASSERT_TRUE(CAuPresetFile::Read(path.c_str(), state, error)) << error;
  EXPECT_EQ(state.Find("subtype")->integer, CAuPresetFile::FourCharCode("MrVn"));
  EXPECT_EQ(state.Find("data")->bytes, (std::vector<uint8_t>{0, 1, 2, 3}));
  EXPECT_EQ(state.Find("mChunkData")->bytes, (std::vector<uint8_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(state.Find("element-name")->text, "Synth");
}

TEST(AuPresetFile, CorruptStatesAreRefusedWithTheProblemNamed) {
  CScratchDir dir;
  struct CASE {
    const char* label;
    std::string text;
    const char* problem;
  };
  const std::string good = StateText("");
  const CASE cases[] = {
      {"empty", "", "not a readable XML property list"},
      {"not xml", "just some text", "not a readable XML property list"},
      {"truncated", good.substr(0, good.size() / 2), "not a readable XML property list"},
      {"wrong root", "<?xml version=\"1.0\"?><dict></dict>", "not a <plist>"},
      {"empty plist", std::string(PLIST_HEAD) + "</plist>", "is empty"},
      {"two values", std::string(PLIST_HEAD) + "<dict/><dict/></plist>", "more than one value"},
      {"not a dict", std::string(PLIST_HEAD) + "<array/></plist>", "not a dictionary"},
      {"missing key", std::string(PLIST_HEAD) + "<dict><key>type</key><integer>1</integer>"
                      "</dict></plist>", "missing key \"subtype\""},
      {"wrong kind", StateText("").replace(StateText("").find("<string>Init</string>"), 21,
                                           "<integer>3</integer>"),
       "\"name\" is not a string"},
      {"bad base64", StateText("", "AAE*Aw=="), "bad base64"},
      {"bad padding", StateText("", "AAECA==="), "bad base64"},
      {"bad integer", StateText("<key>x</key><integer>12abc</integer>"), "bad integer"},
      {"huge integer", StateText("<key>x</key><integer>99999999999999999999</integer>"),
       "bad integer"},
      {"duplicate key", StateText("<key>name</key><string>again</string>"), "given twice"},
      {"key without value", StateText("<key>lonely</key>"), "without a value"},
      {"value without key", StateText("<string>stray</string>"), "expected <key>"},
      {"stray text", StateText("hello"), "unexpected text"},
      {"unknown element", StateText("<key>when</key><date>2020-01-01</date>"),
       "unsupported element <date>"},
      {"element in a string", StateText("<key>s</key><string>a<b/>c</string>"),
       "unexpected content"},
      {"declared entity",
       "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY e \"AAECAw==\">]>"
       "<plist><dict><key>type</key><integer>1</integer><key>subtype</key><integer>1</integer>"
       "<key>manufacturer</key><integer>1</integer><key>version</key><integer>1</integer>"
       "<key>name</key><string>x</string><key>data</key><data>&e;</data></dict></plist>",
       "declares entities"},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.label);
    const std::string path = dir.File("bad.aupreset");
    WriteText(path, c.text);
    PLIST_VALUE state = PLIST_VALUE::String("untouched");
    std::string error;
    EXPECT_FALSE(CAuPresetFile::Read(path.c_str(), state, error));
    EXPECT_EQ(error.compare(0, path.size() + 2, path + ": "), 0) << error;
    EXPECT_NE(error.find(c.problem), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    EXPECT_EQ(state.kind, PLIST_VALUE::kString);
    EXPECT_EQ(state.text, "untouched");
  }

  PLIST_VALUE state;
  std::string error;
  EXPECT_FALSE(CAuPresetFile::Read(dir.File("missing.aupreset").c_str(), state, error));
  EXPECT_NE(error.find("cannot open state file"), std::string::npos) << error;
}

TEST(AuPresetFile, FailedWriteLeavesNoFileAndKeepsAnOldOne) {
  CScratchDir dir;
  std::string error;
  const std::string nowhere = dir.File("no/such/folder/state.aupreset");
  EXPECT_FALSE(CAuPresetFile::Write(nowhere.c_str(), SampleState(10), error));
  EXPECT_NE(error.find(nowhere), std::string::npos);
  EXPECT_FALSE(FileExists(nowhere));

  // Writing over an existing file replaces it whole.
  const std::string path = dir.File("state.aupreset");
  ASSERT_TRUE(CAuPresetFile::Write(path.c_str(), SampleState(1000), error)) << error;
  ASSERT_TRUE(CAuPresetFile::Write(path.c_str(), SampleState(10), error)) << error;
  PLIST_VALUE back;
  ASSERT_TRUE(CAuPresetFile::Read(path.c_str(), back, error)) << error;
  EXPECT_EQ(back.Find("mChunkData")->bytes.size(), 10u);
  // No temporary files are left in the folder.
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"state.aupreset"});
}

// Entity expansion in every place a state file can carry text (element text,
// keys, the plist's attribute), nested ("billion laughs") or one large entity
// used many times (quadratic blow-up), and a tag with a flood of attributes:
// each is refused before the parser expands anything. A parse that expanded
// them would need gigabytes and minutes.
TEST(AuPresetFile, EntityExpansionAndAttributeFloodsAreRefused) {
  CScratchDir dir;
  std::string laughs = "<!ENTITY lol \"lol\">";
  for (int level = 1; level <= 9; ++level) {
    laughs += "<!ENTITY lol" + std::to_string(level) + " \"";
    for (int k = 0; k < 10; ++k) laughs += level == 1 ? "&lol;" : "&lol" + std::to_string(level - 1) + ";";
    laughs += "\">";
  }
  const std::string big = "<!ENTITY big \"" + std::string(50000, 'A') + "\">";
  std::string uses;
  for (int k = 0; k < 20000; ++k) uses += "&big;";

  auto document = [](const std::string& entities, const std::string& version,
                     const std::string& key, const std::string& text) {
    return "<?xml version=\"1.0\"?>\n<!DOCTYPE plist [" + entities + "]>\n<plist version=\"" +
           version + "\"><dict><key>type</key><integer>1</integer><key>" + key +
           "</key><string>" + text + "</string></dict></plist>\n";
  };
  std::string flood = "<?xml version=\"1.0\"?><plist";
  for (int k = 0; k < 200000; ++k) flood += " a" + std::to_string(k) + "=\"\"";
  flood += "><dict/></plist>";

  struct CASE {
    const char* label;
    std::string text;
    const char* problem;
  };
  const CASE cases[] = {
      {"laughs in the attribute", document(laughs, "&lol9;", "name", "x"), "declares entities"},
      {"laughs in a key", document(laughs, "1.0", "&lol9;", "x"), "declares entities"},
      {"laughs in text", document(laughs, "1.0", "name", "&lol9;"), "declares entities"},
      {"quadratic in text", document(big, "1.0", "name", uses), "declares entities"},
      {"quadratic in a key", document(big, "1.0", uses, "x"), "declares entities"},
      {"quadratic in the attribute", document(big, uses, "name", "x"), "declares entities"},
      {"attribute flood", flood, "too many attributes"},
      {"undeclared entity",
       "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>type</key><string>&lol9;"
       "</string></dict></plist>",
       "not a readable XML property list"},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.label);
    const std::string path = dir.File("hostile.aupreset");
    WriteText(path, c.text);
    PLIST_VALUE state = PLIST_VALUE::String("untouched");
    std::string error;
    EXPECT_FALSE(CAuPresetFile::Read(path.c_str(), state, error));
    EXPECT_NE(error.find(c.problem), std::string::npos) << error;
    EXPECT_EQ(state.text, "untouched");
  }

  // A file above the size limit (2 GB, here a sparse file) is refused
  // before it is read.
  const std::string huge = dir.File("huge.aupreset");
  WriteText(huge, StateText(""));
  ASSERT_EQ(truncate(huge.c_str(), 2147483648LL), 0);
  PLIST_VALUE state;
  std::string error;
  EXPECT_FALSE(CAuPresetFile::Read(huge.c_str(), state, error));
  EXPECT_NE(error.find("state file too large"), std::string::npos) << error;

  // Text outside data keeps the XML parser's limit on one text node.
  std::string lines;
  while (lines.size() <= 11000000) lines += std::string(70, 'n') + "\r\n";
  const std::string longName = dir.File("long-name.aupreset");
  WriteText(longName, StateText("<key>x</key><string>" + lines + "</string>"));
  EXPECT_FALSE(CAuPresetFile::Read(longName.c_str(), state, error));
  EXPECT_NE(error.find("not a readable XML property list"), std::string::npos) << error;
}

// Data of any size the file can hold reads back: a sample of a minute and
// more is far above the parser's limit for one text node (10 MB).
TEST(AuPresetFile, LargeDataReadsBackBitForBit) {
  CScratchDir dir;
  const std::string path = dir.File("large.aupreset");
  struct CASE {
    size_t chunkBytes;
  } cases[] = {{7200000}, {11 * 1024 * 1024}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.chunkBytes);
    const PLIST_VALUE state = SampleState(c.chunkBytes);
    std::string error;
    ASSERT_TRUE(CAuPresetFile::Write(path.c_str(), state, error)) << error;
    PLIST_VALUE back;
    ASSERT_TRUE(CAuPresetFile::Read(path.c_str(), back, error)) << error;
    EXPECT_TRUE(back == state);
  }
  // Hand-written data in one line, in pieces split by comments and CDATA
  // sections, and with the predefined entities refused inside.
  const std::string big(12 * 1024 * 1024, 'A');
  const struct {
    std::string data;
    bool ok;
    size_t bytes;
  } texts[] = {
      {big, true, big.size() / 4 * 3},
      {big + "<!-- a comment -->" + big + "<![CDATA[AAAA]]>\n AAAA", true, (2 * big.size() + 8) / 4 * 3},
      {big + "&amp;" + big, false, 0},
      {big + "A==", false, 0},
  };
  for (const auto& t : texts) {
    PLIST_VALUE root;
    std::string error;
    const bool ok = CAuPresetFile::Parse(StateText("", t.data), "mem", root, error);
    EXPECT_EQ(ok, t.ok) << error;
    if (ok) {
      EXPECT_EQ(root.Find("data")->bytes.size(), t.bytes);
    }
  }
}

// The writer refuses what the reader would refuse and says why, leaving no
// file behind.
TEST(AuPresetFile, WriterRefusesStatesTheReaderCouldNotTake) {
  CScratchDir dir;
  const std::string path = dir.File("refused.aupreset");
  PLIST_VALUE state = SampleState(100);
  state.Set("name", PLIST_VALUE::String(std::string(10000001, 'n')));
  std::string error;
  EXPECT_FALSE(CAuPresetFile::Write(path.c_str(), state, error));
  EXPECT_NE(error.find("state not saved"), std::string::npos) << error;
  EXPECT_FALSE(FileExists(path));
}

// Many distinct keys in one dictionary read in linear time (each key is
// checked against the others through a hash, not a scan).
TEST(AuPresetFile, DictionaryWithManyKeysReads) {
  std::string extra;
  for (int k = 0; k < 50000; ++k) extra += "<key>k" + std::to_string(k) + "</key><true/>";
  PLIST_VALUE root;
  std::string error;
  ASSERT_TRUE(CAuPresetFile::Parse(StateText(extra), "mem", root, error)) << error;
  EXPECT_EQ(root.keys.size(), 50006u);
}
