#include "engine/ParamHandler.h"

#include <cmath>
#include <cstring>

#include "engine/IGlobalSynth.h"
#include "engine/IModulation.h"
#include "engine/ParamIds.h"
#include "engine/Params.h"
#include "engine/PresetConverter.h"
#include "tables/PresetFactory.h"

namespace {
const unsigned int DEFERRED_COUNT = PARAM_COUNT - MODULATABLE_PARAM_COUNT;  // 66,797
const unsigned int PRESET_BYTES_V1 = 6148;
const unsigned int PRESET_BYTES_V2 = 6420;

// The plain ids that hosts see as parameters: reads give them at once
// (SetParam and LoadPreset write them live as well).
const unsigned int HOST_VISIBLE_PLAIN_IDS[] = {486, 487, 1577, 1578};

// The oscillator mode that plays the user wavetable.
const float OSC_MODE_WAVETABLE = 55.0f;
}  // namespace

CParamHandler::CParamHandler(IGlobalSynth* synth) : m_synth(synth) {
  for (auto& r : m_ramps) r = PARAM_RAMP{0, 20.0f, 0, 0.0f, 0.0f, 0.0f, 0, 0, 0};
  m_live = new SYNTH_PRESET();
  m_deferred = new float[DEFERRED_COUNT]();
  std::memcpy(m_live, &PRESET_FACTORY_RESET, PRESET_BYTES);
  LoadPreset(&PRESET_FACTORY_RESET, PRESET_VERSION_V3, 0, 0);
}

CParamHandler::~CParamHandler() {
  delete m_live;
  delete[] m_deferred;
}

float CParamHandler::GetParamDeffered(unsigned int id) {
  if (id >= PARAM_COUNT) return 0.0f;
  // The words are written under the engine lock by any thread (the render
  // thread for mapped controllers): they are read under it too.
  CAutoLock lock(m_lock);
  if (id < MODULATABLE_PARAM_COUNT) return (*m_live)[id];
  return m_deferred[id - MODULATABLE_PARAM_COUNT];
}

void CParamHandler::StartRamp(unsigned int id, float target) {
  PARAM_RAMP& r = m_ramps[id];
  if (r.started && target == r.current && target >= 0.0f && target <= 1.0f) {
    // A ramp to where the value already stands writes that value at every
    // step: the parameter simply stays settled.
    if (r.remaining != 0) ++m_changes;
    r.remaining = 0;
    r.increment = 0.0f;
    r.target = target;
  } else if (r.started) {
    ++m_changes;
    unsigned int steps = static_cast<unsigned int>(std::floor(r.steps));
    if (steps == 0) steps = 1;
    r.remaining = steps;
    r.increment = (target - r.current) / static_cast<float>(steps);
    r.target = target < 0.0f ? 0.0f : (target > 1.0f ? 1.0f : target);
  } else {
    ++m_changes;
    r.current = target;
    r.started = 1;
    r.remaining = 0;
    r.increment = 0.0f;
    r.settled = 0;
  }
}

void CParamHandler::SetParam(unsigned int id, float value) {
  if (id >= PARAM_COUNT) return;
  // Parameter words (below the wavetables, whose words may hold any bit
  // pattern) must be numbers: a NaN or infinity from a host or file would
  // poison the smoothing ramps and every integer reading of the id.
  if (id < PARAM_WAVETABLE && !std::isfinite(value)) return;
  CAutoLock lock(m_lock);
  if (id < MODULATABLE_PARAM_COUNT) {
    (*m_live)[id] = value;
    StartRamp(id, value);
  } else {
    m_status |= STATUS_DEFERRED;
    SetDeferred(id, value);
    if (id == 486 || id == 487 || id == 1577 || id == 1578) (*m_live)[id] = value;
    if (id >= PARAM_OSC_MODE && id < PARAM_OSC_MODE + OSC_COUNT) _PrepareWaveTables(1u << (id - PARAM_OSC_MODE));
  }
  UpdateStatus(id, value);
}

void CParamHandler::_PrepareWaveTables(unsigned int mask) {
  if (!m_preparer) return;
  for (unsigned int osc = 0; osc < OSC_COUNT; ++osc) {
    if (!(mask & (1u << osc))) continue;
    // The oscillator's reading of its mode setting is the whole part of the
    // value: mode 55 plays the user wavetable.
    const float mode = GetParamDeffered(PARAM_OSC_MODE + osc);
    if (!(mode >= OSC_MODE_WAVETABLE && mode < OSC_MODE_WAVETABLE + 1.0f)) continue;
    m_preparer->PrepareWaveTable(osc, &m_deferred[PARAM_WAVETABLE + WAVETABLE_LENGTH * osc - MODULATABLE_PARAM_COUNT]);
  }
}

void CParamHandler::UpdateStatus(unsigned int id, float value) {
  if ((id >= 362 && id <= 385) || (id >= 392 && id <= 415)) {
    m_status |= STATUS_MOD_MATRIX;
    // The parameter this slot modulated ramps back to its unmodulated value.
    unsigned int slot = (id >= 392) ? id - 392 : id - 362;
    float t = (*m_live)[392 + slot];
    if (std::isfinite(t) && t >= 0.0f && t < 1.0e6f) {
      int target = Params::ModTargetToParamId(static_cast<unsigned int>(t));
      if (target > 0 && static_cast<unsigned int>(target) < PARAM_COUNT)
        SetParam(static_cast<unsigned int>(target), (*m_live)[target]);
    }
  } else if (id == 729 || (id >= 747 && id <= 762)) {
    m_status |= STATUS_FX_MATRIX;
  } else if (id >= 731 && id <= 746) {
    if (value != 0.0f) {
      m_status |= STATUS_FX_CELL;
      m_cellMask |= 1u << (id - 731);
      m_argument = id - 731;
    }
  } else if (id == 730) {
    if (value != 0.0f) m_status |= STATUS_FX_BYPASS;
  } else if (id == 1581) {
    m_status |= STATUS_OVERSAMPLING;
  } else if (id >= 486 && id <= 488) {
    m_status |= STATUS_UNISON;
  } else if (id >= 1577 && id <= 1580) {
    m_status |= STATUS_MACROS;
  } else if ((id >= 422 && id <= 425) || (id >= 434 && id <= 437) || id == 483) {
    m_status |= STATUS_GLIDE;
  } else if (id >= 454 && id <= 469) {
    m_status |= STATUS_OSC_FX;
  } else if (id == 1582) {
    m_status |= STATUS_EXCITER;
  }
}

void CParamHandler::BeginBlock() {
  ++m_block;
  m_blockOpen = true;
}

void CParamHandler::UpdateParam(unsigned int id, unsigned int n) {
  if (id >= MODULATABLE_PARAM_COUNT) return;
  PARAM_RAMP& r = m_ramps[id];
  float* buffer = m_values[id].GetBuffer();
  if (n > m_values[id].GetSamplesCount()) n = m_values[id].GetSamplesCount();
  unsigned int from = 0;
  if (m_blockOpen) {
    if (r.block == m_block) {
      // Another stage has read the parameter in this block already.
      if (n <= r.filled) return;
      from = r.filled;
    } else {
      r.block = m_block;
      r.filled = 0;
    }
  }
  if (from == 0 && m_modulation) {
    // The list's place in the matrix never moves: it is looked up once.
    MOD_CONTROLLER_LIST*& list = m_controllerLists[id];
    if (!list) list = m_modulation->GetController(id);
    if (list && list->count) {
      float s = (*m_live)[id];
      for (unsigned int k = 0; k < list->count && k < MOD_SLOT_COUNT; ++k) {
        float a = (*m_live)[331 + list->slot[k]];
        float d = 2.0f * a - 1.0f;
        float p = *list->value[k] * d;
        s = static_cast<float>(static_cast<double>(s) + std::fabs(static_cast<double>(d)) * static_cast<double>(p));
      }
      float t = s < 0.0f ? 0.0f : (s > 1.0f ? 1.0f : s);
      if (!std::isfinite(s)) t = 0.0f;
      StartRamp(id, t);
    }
  }
  if (!buffer) return;
  FillRamp(r, buffer, from, n);
  if (m_blockOpen) r.filled = n;
}

void CParamHandler::FillRamp(PARAM_RAMP& r, float* buffer, unsigned int from, unsigned int n) {
  if (from >= n) return;
  const float c0 = r.current;
  if (r.remaining == 0) {
    // Settled: only the samples not yet known to hold the value.
    if (from <= r.settled) {
      for (unsigned int i = r.settled; i < n; ++i) buffer[i] = c0;
      if (n > r.settled) r.settled = n;
    } else {
      for (unsigned int i = from; i < n; ++i) buffer[i] = c0;
    }
    return;
  }
  // The running part of the ramp, then the settled value for the rest.
  const unsigned int ramp = r.remaining < n - from ? r.remaining : n - from;
  const float inc = r.increment;
  float c = c0;
  for (unsigned int i = from; i < from + ramp; ++i) {
    c += inc;
    c = c < 0.0f ? 0.0f : (c > 1.0f ? 1.0f : c);
    buffer[i] = c;
  }
  r.remaining -= ramp;
  // Rounding in the running sum must not leave the value short of its
  // target (a pan of 0 must silence one side completely).
  if (r.remaining == 0) {
    c = r.target;
    buffer[from + ramp - 1] = c;
  }
  r.current = c;
  r.settled = 0;
  for (unsigned int i = from + ramp; i < n; ++i) buffer[i] = c;
}

void CParamHandler::Update() {
  if (m_panic.exchange(0, std::memory_order_acquire)) m_status |= STATUS_RESET;
  if (m_status & STATUS_DEFERRED) {
    std::memcpy(&(*m_live)[MODULATABLE_PARAM_COUNT], m_deferred, DEFERRED_COUNT * sizeof(float));
    m_status &= ~STATUS_DEFERRED;
  }
  if (m_status & STATUS_MACROS) {
    if (m_modulation) {
      m_modulation->SetController(130, (*m_live)[1577]);
      m_modulation->SetController(131, (*m_live)[1578]);
      m_modulation->SetController(132, (*m_live)[1579]);
      m_modulation->SetController(133, (*m_live)[1580]);
    }
    m_status &= ~STATUS_MACROS;
  }
}

unsigned int CParamHandler::GetStatus(unsigned int& argument) {
  argument = m_argument;
  return m_status;
}

void CParamHandler::ClearStatus() {
  m_status = 0;
  m_argument = 0;
  m_cellMask = 0;
  m_oscMask = 0;
}

void CParamHandler::SetSampleRate(float hostRate) {
  m_modulation = m_synth ? m_synth->GetIModulation() : nullptr;
  for (MOD_CONTROLLER_LIST*& list : m_controllerLists) list = nullptr;
  float steps = hostRate * 0.03f;
  if (!(steps >= 1.0f)) steps = 1.0f;
  for (auto& r : m_ramps) r.steps = steps;
  ++m_changes;
}

void CParamHandler::SetBlockSize(unsigned int n) {
  if (n == 0) return;
  for (auto& b : m_values) {
    unsigned int old = b.GetSamplesCount();
    b.SetSamplesCount(n);
    if (old != n) b.Clear(n);
  }
  for (auto& r : m_ramps) {
    r.settled = 0;
    r.filled = 0;
  }
  ++m_changes;
}

void CParamHandler::SetWaveTableQuality(unsigned int quality) {
  CAutoLock lock(m_lock);
  m_status |= STATUS_WT_QUALITY;
  m_argument = quality;
  m_quality = quality;
}

bool CParamHandler::LoadPreset(SYNTH_PRESET* buffer, unsigned int version, unsigned int kind, unsigned int instance,
                               unsigned int bytes) {
  if (!buffer) return false;
  CAutoLock lock(m_lock);
  if (kind != 0) return _LoadModulePreset(buffer, version, kind, instance, bytes);
  // Older versions have shorter bodies; the conversion fills in the rest.
  const unsigned int required = version == PRESET_VERSION_V1   ? PRESET_BYTES_V1
                                : version == PRESET_VERSION_V2 ? PRESET_BYTES_V2
                                                               : PRESET_BYTES;
  if (bytes < required) return false;
  if (version == PRESET_VERSION_V1 || version == PRESET_VERSION_V2) {
    CPresetConverter converter;
    if (!converter.Convert(buffer, version, kind)) return false;
  }
  for (unsigned int id = 0; id < PARAM_WAVETABLE; ++id)
    if (!std::isfinite((*buffer)[id])) (*buffer)[id] = PRESET_FACTORY_RESET[id];
  std::memcpy(m_live->data, buffer->data, MODULATABLE_PARAM_COUNT * sizeof(float));
  std::memcpy(m_deferred, &buffer->data[MODULATABLE_PARAM_COUNT], DEFERRED_COUNT * sizeof(float));
  // As after SetParam, the host reads these at once, not only after the next block.
  for (unsigned int id : HOST_VISIBLE_PLAIN_IDS) (*m_live)[id] = (*buffer)[id];
  for (unsigned int id = 0; id < MODULATABLE_PARAM_COUNT; ++id) StartRamp(id, (*m_live)[id]);
  m_status |= 0x67F7;
  _PrepareWaveTables((1u << OSC_COUNT) - 1);
  return true;
}

unsigned int CParamHandler::SavePreset(SYNTH_PRESET* buffer, unsigned int kind, unsigned int instance) {
  if (!buffer) return 0;
  if (kind != 0) return _SaveModulePreset(buffer, kind, instance);
  std::memcpy(buffer->data, m_live->data, MODULATABLE_PARAM_COUNT * sizeof(float));
  std::memcpy(&buffer->data[MODULATABLE_PARAM_COUNT], m_deferred, DEFERRED_COUNT * sizeof(float));
  return PRESET_BYTES;
}
