// Feeds arbitrary text to the saved-state (XML property list) reader, which
// must refuse or take it without a memory fault, leak or unbounded growth; a
// taken list is checked for the shape of a state.
//
// The marker "@@BIG@@" in the input is replaced by 10,000,008 characters of
// base64 before parsing, so that data nodes above the XML parser's own limit
// for one text node (and whatever surrounds them) are fuzzed too.

#include <cstdint>
#include <string>

#include "tools/render/AuPresetFile.h"

namespace {
const char BIG_MARKER[] = "@@BIG@@";
const size_t BIG_CHARS = 10000008;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string xml(reinterpret_cast<const char*>(data), size);
  const size_t at = xml.find(BIG_MARKER);
  if (at != std::string::npos) xml.replace(at, sizeof(BIG_MARKER) - 1, std::string(BIG_CHARS, 'Q'));
  PLIST_VALUE root;
  std::string error;
  if (!CAuPresetFile::Parse(xml, "fuzz", root, error)) return 0;
  std::string problem;
  CAuPresetFile::CheckStateShape(root, problem);
  return 0;
}
