#pragma once
// Converts preset bodies of the older versions (V1, V2) in place to the
// current V3 layout. Lives only for one load.
#include "engine/SynthTypes.h"

class CPresetConverter {
 public:
  CPresetConverter() = default;
  ~CPresetConverter() = default;
  CPresetConverter(const CPresetConverter&) = delete;
  CPresetConverter& operator=(const CPresetConverter&) = delete;

  // buffer must be a whole SYNTH_PRESET (the body at its start), whatever the
  // kind. V2: Convert_V2toV3; V1: Convert_V1toV2, then Convert_V2toV3; V3
  // needs nothing. Returns false, leaving the buffer unchanged, for any other
  // version.
  bool Convert(SYNTH_PRESET* buffer, unsigned int version, unsigned int kind);

  // V1 -> V2: a whole preset (kind 0) is renumbered and its changed settings
  // translated; a distortion module (kind 11) gets its curve setting; other
  // kinds are unchanged.
  void Convert_V1toV2(SYNTH_PRESET* buffer, unsigned int version, unsigned int kind);
  // V2 -> V3: ids 1605 and above (wavetables and their names) take the
  // factory values, for every kind.
  void Convert_V2toV3(SYNTH_PRESET* buffer, unsigned int version, unsigned int kind);
  // The distortion curve setting, which V1 did not have, becomes 0.
  void ConvertDistPreset_V1toV2(SYNTH_PRESET* buffer);

 private:
  // Ids 1605 and above are replaced by Convert_V2toV3, so the V2 ids are all
  // the work area needs to hold.
  float m_work[1605];
};
