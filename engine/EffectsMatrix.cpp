#include "engine/EffectsMatrix.h"

#include <cmath>

#include "engine/Buffers.h"
#include "engine/IGlobalSynth.h"
#include "engine/ParamIds.h"
#include "fx/Chorus.h"
#include "fx/Delay.h"
#include "fx/Distortion.h"
#include "fx/Echoes.h"
#include "fx/Equalizer.h"
#include "fx/Flanger.h"
#include "fx/GrainShifter.h"
#include "fx/IEffectModule.h"
#include "fx/Phaser.h"
#include "fx/Reverb.h"
#include "fx/Tremolo.h"

#include "engine/Simd.h"
#if defined(MORLAVINE_SSE2)
#include <xmmintrin.h>
#endif

namespace {

// out += a, then out += b, for each sample: (out + a) + b in one pass
// (out, a and b distinct).
void AddBoth(float* out, const float* a, const float* b, unsigned int n) {
  unsigned int i = 0;
#if defined(MORLAVINE_SSE2)
  for (; i + 4 <= n; i += 4)
    _mm_storeu_ps(out + i, _mm_add_ps(_mm_add_ps(_mm_loadu_ps(out + i), _mm_loadu_ps(a + i)), _mm_loadu_ps(b + i)));
#endif
  for (; i < n; ++i) out[i] = (out[i] + a[i]) + b[i];
}

}  // namespace

CEffectsMatrix::CEffectsMatrix(IGlobalSynth* synth) : m_synth(synth) {}

CEffectsMatrix::~CEffectsMatrix() {
  for (auto& cell : m_cells) {
    delete cell;
    cell = nullptr;
  }
}

IEffectModule* CEffectsMatrix::_CreateEffect(unsigned int effectId) {
  if (effectId < 1 || effectId > FX_EFFECT_ID_COUNT) return nullptr;
  // Odd ids make instance 0, even ids instance 1.
  const unsigned int instance = (effectId - 1) & 1;
  switch ((effectId - 1) >> 1) {
    case 0: return new CReverb(m_synth, instance);
    case 1: return new CDelay(m_synth, instance);
    case 2: return new CEchoes(m_synth, instance);
    case 3: return new CGrainShifter(m_synth, instance);
    case 4: return new CChorus(m_synth, instance);
    case 5: return new CFlanger(m_synth, instance);
    case 6: return new CPhaser(m_synth, instance);
    case 7: return new CDistortion(m_synth, instance);
    case 8: return new CTremolo(m_synth, instance);
    case 9: return new CEqualizer(m_synth, instance);
    default: return nullptr;
  }
}

void CEffectsMatrix::RebuildMatrix() {
  for (auto& cell : m_cells) {
    delete cell;
    cell = nullptr;
  }
  for (unsigned int c = 0; c < FX_MATRIX_CELLS; ++c) {
    // Truncated toward zero; anything outside 1..20 (negative, huge or not a
    // number, from a damaged preset) leaves the cell empty.
    const float v = m_synth->GetParam(PARAM_FXMTX_CELL_FX + c);
    if (!(v >= 1.0f && v < static_cast<float>(FX_EFFECT_ID_COUNT + 1))) continue;
    IEffectModule* fx = _CreateEffect(static_cast<unsigned int>(v));
    if (!fx) continue;
    m_cells[c] = fx;
    fx->SetSampleRate(m_sampleRate);
    fx->SetBlockSize(m_blockSize);
    fx->Reset();
  }
}

void CEffectsMatrix::SetSampleRate(float sr) {
  m_sampleRate = sr;
  for (auto* cell : m_cells) {
    if (!cell) continue;
    cell->SetSampleRate(sr);
    cell->Reset();
  }
}

void CEffectsMatrix::SetBlockSize(unsigned int n) {
  m_blockSize = n;
  for (auto* cell : m_cells) {
    if (!cell) continue;
    cell->SetBlockSize(n);
    cell->Reset();
  }
}

void CEffectsMatrix::Reset() {
  for (auto* cell : m_cells)
    if (cell) cell->Reset();
}

void CEffectsMatrix::ResetFreePhase() {
  for (auto* cell : m_cells)
    if (cell) cell->ResetFreePhase();
}

void CEffectsMatrix::ResetCell(unsigned int cell) {
  if (cell < FX_MATRIX_CELLS && m_cells[cell]) m_cells[cell]->Reset();
}

void CEffectsMatrix::OnKeyPress() {
  for (auto* cell : m_cells)
    if (cell) cell->OnKeyPress();
}

void CEffectsMatrix::UpdateParams(unsigned int n) {
  for (unsigned int c = 0; c < FX_MATRIX_CELLS; ++c)
    if (m_cells[c] && m_synth->GetParam(PARAM_FXMTX_CELL_ON + c) != 0.0f) m_cells[c]->UpdateParams(n);
}

unsigned int CEffectsMatrix::GetSplit() const { return SplitOf(m_synth->GetParam(PARAM_FXMTX_SPLIT)); }

unsigned int CEffectsMatrix::SplitOf(float v) {
  // A split from a damaged preset (negative, above 8 or not a number) would
  // address cells outside the grid: bring it into 0..8.
  if (!(v > 0.0f)) return 0;
  if (v >= static_cast<float>(FX_MATRIX_COLUMNS)) return FX_MATRIX_COLUMNS;
  return static_cast<unsigned int>(v);
}

bool CEffectsMatrix::_IsCellActive(unsigned int cell, bool bypass) const {
  return !bypass && m_cells[cell] && m_synth->GetParam(PARAM_FXMTX_CELL_ON + cell) != 0.0f;
}

void CEffectsMatrix::Process(CStereoBuffer* mixes, float* left, float* right, unsigned int n) {
  const unsigned int split = GetSplit();
  const bool bypass = m_synth->GetParam(PARAM_FXMTX_BYPASS) != 0.0f;

  // Parallel section: row r on bus mix r + 1.
  for (unsigned int r = 0; r < 2; ++r) {
    float* rowLeft = mixes[r].GetLeftBuffer();
    float* rowRight = mixes[r].GetRightBuffer();
    for (unsigned int k = 0; k < split; ++k) {
      const unsigned int c = FX_MATRIX_COLUMNS * r + k;
      if (_IsCellActive(c, bypass)) m_cells[c]->Process(rowLeft, rowRight, n);
    }
  }

  // Sum of both rows into the outputs.
  const float* mix[4] = {mixes[0].GetLeftBuffer(), mixes[0].GetRightBuffer(), mixes[1].GetLeftBuffer(),
                         mixes[1].GetRightBuffer()};
  bool shared = left == right;
  for (const float* x : mix) shared = shared || x == left || x == right;
  if (!shared) {
    // Each output sample takes mix 1 and then mix 2, in one pass.
    AddBoth(left, mix[0], mix[2], n);
    AddBoth(right, mix[1], mix[3], n);
  } else {
    for (unsigned int m = 0; m < 2; ++m) {
      const float* ml = mix[2 * m];
      const float* mr = mix[2 * m + 1];
      for (unsigned int i = 0; i < n; ++i) {
        left[i] += ml[i];
        right[i] += mr[i];
      }
    }
  }

  // Serial section on the sum: row 0 from the split on. Row 1's cells there
  // never process audio.
  for (unsigned int k = split; k < FX_MATRIX_COLUMNS; ++k)
    if (_IsCellActive(k, bypass)) m_cells[k]->Process(left, right, n);
}
