// Module presets of the parameter store: the parameter block of one section
// (an MSEG, the arpeggiator, the trance gate, the effects matrix, one effect
// instance, the MIDI CC map, an oscillator's user wavetable or a reference to
// a built-in wave), packed into and unpacked from the caller's buffer, and the
// direct replacement of one oscillator's wavetable.
#include <cmath>
#include <cstring>

#include "engine/IGlobalSynth.h"
#include "engine/MidiMap.h"
#include "engine/ParamHandler.h"
#include "engine/ParamIds.h"
#include "engine/PresetConverter.h"
#include "engine/PresetKinds.h"
#include "tables/PresetFactory.h"

namespace {

const unsigned int OSC_MODE_WAVETABLE_NUMBER = 55;
const unsigned int WAVETABLE_NAME_BYTES = 16;
const unsigned int WAVETABLE_BLOCK_BYTES = WAVETABLE_LENGTH * 4 + WAVETABLE_NAME_BYTES;  // 65,552
const unsigned int CC_MAP_BLOCK_BYTES = CMidiMap::RAW_BYTES;  // 480

// Largest block made of parameter words (one MSEG: 201 words).
const unsigned int MAX_BLOCK_WORDS = 201;

// Effect kinds 5-13 and 15 (index kind - 5, kind 15 at index 9): the base id
// of the effect's float parameters and how many it has per instance.
const unsigned int FX_PARAM_BASE[10] = {PARAM_FX_REVERB, PARAM_FX_DELAY,   PARAM_FX_ECHOES,  PARAM_FX_CHORUS,
                                        PARAM_FX_FLANGER, PARAM_FX_PHASER, PARAM_FX_DISTORTION, PARAM_FX_TREMOLO,
                                        PARAM_FX_EQ,     PARAM_FX_GRAINSHIFTER};
const unsigned int FX_PARAM_COUNT[10] = {8, 9, 7, 6, 7, 7, 6, 5, 12, 6};

int FxIndex(unsigned int kind) {
  if (kind >= PRESET_KIND_REVERB && kind <= PRESET_KIND_EQ) return static_cast<int>(kind - PRESET_KIND_REVERB);
  if (kind == PRESET_KIND_GRAINSHIFTER) return 9;
  return -1;
}

// The ids of a block of parameter words, in block order. Returns the word
// count, or 0 when the kind has no such block or the instance does not exist
// for it (an MSEG is 0-3, an effect instance 0-1).
unsigned int BlockIds(unsigned int kind, unsigned int instance, unsigned int* ids) {
  unsigned int n = 0;
  switch (kind) {
    case PRESET_KIND_MSEG: {
      if (instance >= MSEG_COUNT) return 0;
      const unsigned int m = instance;
      ids[n++] = PARAM_MSEG_RATE + m;
      // The trigger setting comes before the sync setting in the block.
      const unsigned int settings[8] = {PARAM_MSEG_LOOP,    PARAM_MSEG_LOOP_START, PARAM_MSEG_LOOP_END,
                                        PARAM_MSEG_CURVE_MODE, PARAM_MSEG_TRIGGER, PARAM_MSEG_SYNC,
                                        PARAM_MSEG_LEVEL_SNAP, PARAM_MSEG_TIME_SNAP};
      for (unsigned int s : settings) ids[n++] = s + m;
      for (unsigned int k = 0; k < MSEG_POINT_COUNT; ++k) {
        ids[n++] = MsegPointId(PARAM_MSEG_POINT_TIME, m, k);
        ids[n++] = MsegPointId(PARAM_MSEG_POINT_LEVEL, m, k);
        ids[n++] = MsegPointId(PARAM_MSEG_POINT_CURVE, m, k);
      }
      return n;
    }
    case PRESET_KIND_ARP: {
      ids[n++] = PARAM_ARP_SHUFFLE;
      ids[n++] = PARAM_ARP_GATE;
      for (unsigned int id = PARAM_ARP_STEPS; id <= PARAM_ARP_STEPS + 4; ++id) ids[n++] = id;
      for (unsigned int s = 0; s < ARP_STEP_COUNT; ++s) {
        ids[n++] = PARAM_ARP_STEP_PITCH + s;
        ids[n++] = PARAM_ARP_STEP_LENGTH + s;
        ids[n++] = PARAM_ARP_STEP_GATE + s;
        ids[n++] = PARAM_ARP_STEP_VELOCITY + s;
        ids[n++] = PARAM_ARP_STEP_TIE + s;
      }
      return n;
    }
    case PRESET_KIND_GATE: {
      ids[n++] = PARAM_TG_RATE;
      ids[n++] = PARAM_TG_SMOOTH;
      ids[n++] = PARAM_TG_MIX;
      ids[n++] = PARAM_TG_STEPS;
      ids[n++] = PARAM_TG_SYNC;
      ids[n++] = PARAM_TG_STEREO;
      for (unsigned int s = 0; s < TG_STEP_COUNT; ++s) {
        ids[n++] = PARAM_TG_STEP_LEFT + s;
        ids[n++] = PARAM_TG_STEP_RIGHT + s;
      }
      return n;
    }
    case PRESET_KIND_FX_MATRIX: {
      // The bypass (730) stays out of the block.
      ids[n++] = PARAM_FXMTX_SPLIT;
      for (unsigned int c = 0; c < 16; ++c) ids[n++] = PARAM_FXMTX_CELL_ON + c;
      for (unsigned int c = 0; c < 16; ++c) ids[n++] = PARAM_FXMTX_CELL_FX + c;
      for (unsigned int id = PARAM_FX_REVERB; id < PARAM_MOD_DEPTH; ++id) ids[n++] = id;
      for (unsigned int id = PARAM_TREMOLO_SYNC; id <= PARAM_DIST_CURVE + 1; ++id) ids[n++] = id;
      return n;
    }
    default:
      break;
  }
  const int fx = FxIndex(kind);
  if (fx < 0 || instance > 1) return 0;
  for (unsigned int k = 0; k < FX_PARAM_COUNT[fx]; ++k) ids[n++] = FxParamId(FX_PARAM_BASE[fx], k, instance);
  switch (kind) {
    case PRESET_KIND_DELAY:
      ids[n++] = PARAM_DELAY_SYNC_L + instance;
      ids[n++] = PARAM_DELAY_SYNC_R + instance;
      break;
    case PRESET_KIND_ECHOES: ids[n++] = PARAM_ECHOES_SYNC + instance; break;
    case PRESET_KIND_DISTORTION: ids[n++] = PARAM_DIST_CURVE + instance; break;
    case PRESET_KIND_TREMOLO: ids[n++] = PARAM_TREMOLO_SYNC + instance; break;
    default: break;
  }
  return n;
}

// Bytes a body of the kind must hold at least to be loaded; 0 for a kind or
// instance that cannot be loaded. A version-1 distortion block lacks its
// last word, which the conversion supplies.
unsigned int RequiredBytes(unsigned int version, unsigned int kind, unsigned int instance) {
  switch (kind) {
    case PRESET_KIND_CC_MAP: return CC_MAP_BLOCK_BYTES;
    case PRESET_KIND_WAVETABLE: return instance < OSC_COUNT ? WAVETABLE_BLOCK_BYTES : 0;
    case PRESET_KIND_WAVE_REF: return instance < OSC_COUNT ? 4 : 0;
    default: break;
  }
  unsigned int ids[MAX_BLOCK_WORDS];
  unsigned int words = BlockIds(kind, instance, ids);
  if (words == 0) return 0;
  if (kind == PRESET_KIND_DISTORTION && version == PRESET_VERSION_V1) words -= 1;
  return words * 4;
}

// The MIDI CC map (kind 14) is registered with the synth services as an
// opaque pointer to a CMidiMap.
void LoadCcMapBlock(void* map, const void* block) { static_cast<CMidiMap*>(map)->LoadMidiMap(block); }
unsigned int SaveCcMapBlock(void* map, void* block) { return static_cast<CMidiMap*>(map)->SaveMidiMap(block); }

}  // namespace

unsigned int CParamHandler::GetModuleBlockBytes(unsigned int version, unsigned int kind) {
  // Every kind has an instance 0, and the length does not depend on it.
  if (kind == PRESET_KIND_SYNTH || kind > PRESET_KIND_LAST) return 0;
  return RequiredBytes(version, kind, 0);
}

bool CParamHandler::_LoadModulePreset(SYNTH_PRESET* buffer, unsigned int version, unsigned int kind,
                                      unsigned int instance, unsigned int bytes) {
  // The caller holds the engine lock. Everything that can refuse the block is
  // checked before anything in the store changes.
  if (kind == PRESET_KIND_SYNTH || kind > PRESET_KIND_LAST) return false;
  const unsigned int required = RequiredBytes(version, kind, instance);
  if (required == 0 || bytes < required) return false;
  if (kind == PRESET_KIND_WAVE_REF) {
    // Only the built-in waves 0-54 can be referred to.
    const float wave = buffer->data[0];
    if (!(wave >= 0.0f && wave < static_cast<float>(OSC_MODE_WAVETABLE_NUMBER))) return false;
  }
  void* midiMap = nullptr;
  if (kind == PRESET_KIND_CC_MAP) {
    midiMap = m_synth ? m_synth->GetMidiMap() : nullptr;
    if (!midiMap) return false;
  }

  if (version == PRESET_VERSION_V1 || version == PRESET_VERSION_V2) {
    CPresetConverter converter;
    if (!converter.Convert(buffer, version, kind)) return false;
  }

  SYNTH_PRESET& live = *m_live;
  switch (kind) {
    case PRESET_KIND_CC_MAP:
      LoadCcMapBlock(midiMap, buffer->data);
      break;
    case PRESET_KIND_WAVETABLE: {
      const unsigned int o = instance;
      const unsigned int table = PARAM_WAVETABLE + WAVETABLE_LENGTH * o;
      const unsigned int name = PARAM_WAVETABLE_NAME + 4 * o;
      SetDeferred(PARAM_OSC_MODE + o, static_cast<float>(OSC_MODE_WAVETABLE_NUMBER));
      // The samples are taken as a WAV file's are: a value that is not a
      // number becomes 0 and the rest stay within -1..1 (a saved table is
      // normalised to that range, so a sound one comes back unchanged).
      for (unsigned int k = 0; k < WAVETABLE_LENGTH; ++k) {
        float v = buffer->data[k];
        if (!std::isfinite(v)) v = 0.0f;
        if (v > 1.0f) v = 1.0f;
        if (v < -1.0f) v = -1.0f;
        live[table + k] = v;
        m_deferred[table + k - MODULATABLE_PARAM_COUNT] = v;
      }
      std::memcpy(&live[name], &buffer->data[WAVETABLE_LENGTH], WAVETABLE_NAME_BYTES);
      std::memcpy(&m_deferred[name - MODULATABLE_PARAM_COUNT], &buffer->data[WAVETABLE_LENGTH], WAVETABLE_NAME_BYTES);
      break;
    }
    case PRESET_KIND_WAVE_REF:
      SetDeferred(PARAM_OSC_MODE + instance, buffer->data[0]);
      break;
    default: {
      unsigned int ids[MAX_BLOCK_WORDS];
      const unsigned int words = BlockIds(kind, instance, ids);
      for (unsigned int k = 0; k < words; ++k) {
        const unsigned int id = ids[k];
        // As for whole presets, a word that is not a number (a damaged
        // file) takes the factory value: a NaN would stay in the id's
        // smoothing ramp and in every integer reading of it.
        const float value = std::isfinite(buffer->data[k]) ? buffer->data[k] : PRESET_FACTORY_RESET[id];
        if (id < MODULATABLE_PARAM_COUNT)
          live[id] = value;
        else
          SetDeferred(id, value);
      }
      break;
    }
  }

  for (unsigned int id = 0; id < MODULATABLE_PARAM_COUNT; ++id) StartRamp(id, live[id]);
  if (kind == PRESET_KIND_WAVETABLE || kind == PRESET_KIND_WAVE_REF) {
    m_status |= STATUS_DEFERRED | STATUS_ALL_WAVETABLES | STATUS_RESET;
    _PrepareWaveTables(1u << instance);
  } else
    m_status |= 0x67F7;
  return true;
}

unsigned int CParamHandler::_SaveModulePreset(SYNTH_PRESET* buffer, unsigned int kind, unsigned int instance) {
  switch (kind) {
    case PRESET_KIND_CC_MAP: {
      void* midiMap = m_synth ? m_synth->GetMidiMap() : nullptr;
      return midiMap ? SaveCcMapBlock(midiMap, buffer->data) : 0;
    }
    case PRESET_KIND_WAVETABLE: {
      if (instance >= OSC_COUNT) return 0;
      const SYNTH_PRESET& live = *m_live;
      std::memcpy(&buffer->data[0], &live[PARAM_WAVETABLE + WAVETABLE_LENGTH * instance],
                  WAVETABLE_LENGTH * sizeof(float));
      std::memcpy(&buffer->data[WAVETABLE_LENGTH], &live[PARAM_WAVETABLE_NAME + 4 * instance], WAVETABLE_NAME_BYTES);
      return WAVETABLE_BLOCK_BYTES;
    }
    default:
      break;
  }
  // Kind 17 is load only; kinds above it do not exist.
  unsigned int ids[MAX_BLOCK_WORDS];
  const unsigned int words = BlockIds(kind, instance, ids);
  for (unsigned int k = 0; k < words; ++k) buffer->data[k] = GetParamDeffered(ids[k]);
  return words * 4;
}

void CParamHandler::SetOscWaveTable(float* table, char* name, unsigned int osc) {
  if (!table || osc >= OSC_COUNT) return;
  CAutoLock lock(m_lock);
  SYNTH_PRESET& live = *m_live;
  const unsigned int tableId = PARAM_WAVETABLE + WAVETABLE_LENGTH * osc;
  const unsigned int nameId = PARAM_WAVETABLE_NAME + 4 * osc;
  std::memcpy(&live[tableId], table, WAVETABLE_LENGTH * sizeof(float));
  if (name) {
    // The name as a string of at most 16 bytes, zero-filled after it. The
    // deferred copy gets the same bytes, so the name stays as it is when the
    // deferred copy goes live with the next block.
    char field[WAVETABLE_NAME_BYTES] = {0};
    for (unsigned int i = 0; i < WAVETABLE_NAME_BYTES && name[i]; ++i) field[i] = name[i];
    std::memcpy(&live[nameId], field, WAVETABLE_NAME_BYTES);
    std::memcpy(&m_deferred[nameId - MODULATABLE_PARAM_COUNT], field, WAVETABLE_NAME_BYTES);
  }
  std::memcpy(&m_deferred[tableId - MODULATABLE_PARAM_COUNT], table, WAVETABLE_LENGTH * sizeof(float));
  // The oscillator switches to its wavetable with the next block: the mode
  // goes live with the deferred copy, and the table is reloaded.
  SetDeferred(PARAM_OSC_MODE + osc, static_cast<float>(OSC_MODE_WAVETABLE_NUMBER));
  m_status |= STATUS_DEFERRED | STATUS_WAVETABLE;
  m_argument = osc;
  m_oscMask |= 1u << osc;
  _PrepareWaveTables(1u << osc);
}
