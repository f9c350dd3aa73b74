// Feeds arbitrary bytes to the preset-file reader (presets with sample
// blocks, module presets, older versions) and checks that a refused file
// changes nothing, neither the file object nor the engine stand-in.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/PresetFile.h"
#include "engine/PresetKinds.h"
#include "tests/engine/CommandHandlerDouble.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CPresetFile* file = new CPresetFile(nullptr);
  static std::vector<float> before(PARAM_COUNT);
  CCommandHandlerDouble handler;

  file->Reset(nullptr, true);
  std::memcpy(before.data(), file->GetBuffer(), PRESET_BYTES);
  const bool ok = file->LoadFromMemory(&handler, data, size, "/presets/fuzz.p");
  if (!ok) {
    if (handler.changes != 0) abort();
    if (file->GetKind() != 0 || file->GetAuthor() != "Factory reset" || file->GetName() != "Default") abort();
    if (std::memcmp(before.data(), file->GetBuffer(), PRESET_BYTES) != 0) abort();
    return 0;
  }
  if (file->GetKind() > PRESET_KIND_LAST) abort();
  if (file->GetKind() == 0 && (file->GetAuthor().empty() || file->GetAuthor().size() > 24)) abort();
  for (const CCommandHandlerDouble::SAMPLE& s : handler.samples) {
    if (s.left.size() * 8 > size || s.path.size() > 16) abort();
    if (!s.left.empty() && !(s.rate > 0.0f && s.rate <= 3.5e38f)) abort();
  }
  return 0;
}
