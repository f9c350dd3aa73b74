#include "engine/UnisonMapper.h"

#include "engine/IGlobalSynth.h"
#include "engine/Voice.h"

const float PAN_MAP[8][8] = {
    {0, 0, 0, 0, 0, 0, 0, 0},
    {1, -1, 0, 0, 0, 0, 0, 0},
    {0, 1, -1, 0, 0, 0, 0, 0},
    {0.5f, 1, -0.5f, -1, 0, 0, 0, 0},
    {0, 0.5f, 1, -0.5f, -1, 0, 0, 0},
    {0.33f, 0.66f, 1, -0.33f, -0.66f, -1, 0, 0},
    {0, 0.33f, 0.66f, 1, -0.33f, -0.66f, -1, 0},
    {0.25f, 0.5f, 0.75f, 1, -0.25f, -0.5f, -0.75f, -1},
};

// The negative side is narrower than the positive one.
const float PITCH_MAP[8][8] = {
    {0, 0, 0, 0, 0, 0, 0, 0},
    {1, -1, 0, 0, 0, 0, 0, 0},
    {0, 1, -1, 0, 0, 0, 0, 0},
    {0.5f, 1, -0.45f, -0.95f, 0, 0, 0, 0},
    {0, 0.5f, 1, -0.45f, -0.95f, 0, 0, 0},
    {0.33f, 0.66f, 1, -0.28f, -0.61f, -0.95f, 0, 0},
    {0, 0.33f, 0.66f, 1, -0.28f, -0.61f, -0.95f, 0},
    {0.25f, 0.5f, 0.75f, 1, -0.2f, -0.45f, -0.7f, -0.95f},
};

CUnisonMapper::CUnisonMapper(IGlobalSynth* synth) : m_synth(synth) {}

CUnisonMapper::~CUnisonMapper() {}

void CUnisonMapper::Map() {
  float spread = m_synth->GetParam(PARAM_UNISON_SPREAD);
  float detune = m_synth->GetParam(PARAM_UNISON_DETUNE);
  unsigned int count = ClampUnisonCount(m_synth->GetParam(PARAM_UNISON_COUNT));
  unsigned int row = count - 1;
  for (unsigned int i = 0; i < MAX_UNISON; ++i) {
    m_synth->SetUnisonPanShift(i, PAN_MAP[row][i] * spread);
    m_synth->SetUnisonPitchShift(i, 0.5f * detune * PITCH_MAP[row][i]);
    m_synth->SetUnisonNsPhaseShift(i, static_cast<float>(i) * spread / static_cast<float>(count));
    m_synth->SetUnisonNsPitchShift(i, PITCH_MAP[row][i] * detune * 0.4f);
  }
}
