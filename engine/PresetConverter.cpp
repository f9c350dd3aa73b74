#include "engine/PresetConverter.h"

#include <cstring>

#include "engine/ParamIds.h"
#include "engine/Params.h"
#include "engine/PresetKinds.h"
#include "tables/PresetFactory.h"

namespace {

// V1 filter mode -> V2 filter mode (entries 0-22 are used).
const unsigned int FILTER_MODE_CONVERTER[24] = {0,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                                14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 0};
// V1 drive type -> V2 drive type.
const unsigned int FILTER_DRIVE_CONVERTER[6] = {1, 2, 3, 4, 5, 6};
// V1 effects-matrix effect id -> V2 effect id.
const unsigned int FXID_CONVERTER[19] = {0, 1, 2, 3, 4, 5, 6, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};

// Modulation slots a V1 preset could use, and the scale of V1's pitch
// modulation depths against the current one.
const unsigned int V1_MOD_SLOT_COUNT = 18;
const float V1_PITCH_DEPTH_SCALE = 1.7320508f;

// The word as an integer, truncated toward zero; false when it is not a
// finite value in the range of an int (so that no cast is undefined).
bool Truncate(float v, int& n) {
  if (!(v > -2147483648.0f && v < 2147483648.0f)) return false;
  n = static_cast<int>(v);
  return true;
}

// Looks an integer setting up in a conversion table; anything outside the
// table gives 0.
float Translate(float v, const unsigned int* table, int count) {
  int n = 0;
  if (!Truncate(v, n) || n < 0 || n >= count) return 0.0f;
  return static_cast<float>(table[n]);
}

bool InRange(unsigned int id, unsigned int first, unsigned int last) { return id >= first && id <= last; }

}  // namespace

bool CPresetConverter::Convert(SYNTH_PRESET* buffer, unsigned int version, unsigned int kind) {
  if (!buffer) return false;
  switch (version) {
    case PRESET_VERSION_V1:
      Convert_V1toV2(buffer, version, kind);
      Convert_V2toV3(buffer, version, kind);
      return true;
    case PRESET_VERSION_V2:
      Convert_V2toV3(buffer, version, kind);
      return true;
    case PRESET_VERSION_V3:
      return true;
    default:
      return false;
  }
}

void CPresetConverter::Convert_V1toV2(SYNTH_PRESET* buffer, unsigned int version, unsigned int kind) {
  if (!buffer) return;
  if (kind == PRESET_KIND_DISTORTION) {
    ConvertDistPreset_V1toV2(buffer);
    return;
  }
  if (kind != PRESET_KIND_SYNTH) return;

  const SYNTH_PRESET& factory = PRESET_FACTORY_RESET;
  for (unsigned int id = 0; id < Params::PARAM_COUNT_V2; ++id) {
    const int m = Params::Convert_Param_v2_to_Param_v1(id);
    const bool inV1 = m >= 0 && static_cast<unsigned int>(m) < Params::PARAM_COUNT_V1;
    // An id V1 did not have starts from its factory value.
    const float v = inV1 ? buffer->data[m] : factory[id];
    float w;
    if (id == PARAM_MASTER_LEVEL) {
      w = v * 0.5f;
    } else if (InRange(id, PARAM_ENV_SLOPE, PARAM_ENV_SLOPE + 3)) {
      w = 0.5f;
    } else if (InRange(id, PARAM_OSC_FILTER_MODE, PARAM_OSC_FILTER_MODE + 3) ||
               InRange(id, PARAM_BUS_FILTER_MODE, PARAM_BUS_FILTER_MODE + 1)) {
      w = Translate(v, FILTER_MODE_CONVERTER, 23);
    } else if (InRange(id, PARAM_OSC_DRIVE_TYPE, PARAM_OSC_DRIVE_TYPE + 3) ||
               InRange(id, PARAM_BUS_DRIVE_TYPE, PARAM_BUS_DRIVE_TYPE + 1)) {
      w = Translate(v, FILTER_DRIVE_CONVERTER, 6);
    } else if (InRange(id, PARAM_OSC_FX_TYPE, PARAM_OSC_FX_TYPE + 15)) {
      // Oscillator effect slots 1-4 of every oscillator hold types 0-3.
      w = static_cast<float>((id - PARAM_OSC_FX_TYPE) / 4);
    } else if (InRange(id, PARAM_ENV_MODE, PARAM_ENV_MODE + 3)) {
      w = 1.0f;
    } else if (InRange(id, PARAM_FXMTX_CELL_FX, PARAM_FXMTX_CELL_FX + 15)) {
      w = Translate(v, FXID_CONVERTER, 19);
    } else if (InRange(id, PARAM_DIST_CURVE, PARAM_DIST_CURVE + 1)) {
      w = 0.0f;
    } else {
      w = v;
    }
    m_work[id] = w;
  }

  // V1 pitch modulation depths (targets 2-5, the oscillator pitches, from an
  // audio-rate or controller source up to 16) had a smaller range.
  for (unsigned int slot = 0; slot < V1_MOD_SLOT_COUNT; ++slot) {
    int target = 0, source = 0;
    if (!Truncate(m_work[PARAM_MOD_TARGET + slot], target)) continue;
    if (!Truncate(m_work[PARAM_MOD_SOURCE + slot], source)) continue;
    if (target < 2 || target > 5) continue;
    if (static_cast<unsigned int>(source) > 16) continue;  // a negative source is out of range too
    const float d = m_work[PARAM_MOD_DEPTH + slot];
    m_work[PARAM_MOD_DEPTH + slot] = ((2.0f * d - 1.0f) * V1_PITCH_DEPTH_SCALE * 0.5f + 1.0f) * 0.5f;
  }

  std::memcpy(buffer->data, m_work, sizeof(m_work));
}

void CPresetConverter::Convert_V2toV3(SYNTH_PRESET* buffer, unsigned int version, unsigned int kind) {
  if (!buffer) return;
  // The four wavetables, their names and the last word: the factory's sine
  // waves named "Default Wave".
  std::memcpy(&buffer->data[Params::PARAM_COUNT_V2], &PRESET_FACTORY_RESET.data[Params::PARAM_COUNT_V2],
              (PARAM_COUNT - Params::PARAM_COUNT_V2) * sizeof(float));
}

void CPresetConverter::ConvertDistPreset_V1toV2(SYNTH_PRESET* buffer) {
  if (buffer) buffer->data[6] = 0.0f;
}
