#include "dsp/OscEffects.h"

#include "dsp/Brilliance.h"
#include "dsp/Chip.h"
#include "dsp/OscAmountEffects.h"
#include "dsp/Ringer.h"
#include "dsp/Scissor.h"
#include "dsp/StageCommon.h"
#include "dsp/SubOsc.h"
#include "engine/IGlobalSynth.h"
#include "engine/ParamIds.h"
#include "engine/Vectorize.h"
#include "engine/Voice.h"

namespace {

// The mono signal in buffer becomes the left side, right receives the right.
MORLAVINE_VECTORIZE void Pan(float* __restrict buffer, float* __restrict right, float gl, float gr,
                             unsigned int from, unsigned int to) {
  for (unsigned int j = from; j < to; ++j) {
    const float x = buffer[j];
    buffer[j] = gl * x;
    right[j] = gr * x;
  }
}

}  // namespace

COscEffects::COscEffects(IGlobalSynth* synth) : m_synth(synth) {
  for (unsigned int s = 0; s < OSC_FX_SLOTS; ++s) {
    m_slot[s] = nullptr;
    m_audio[s][OSC_FX_BUZZ] = nullptr;
    m_audio[s][OSC_FX_SCISSOR] = new CScissor(synth);
    m_audio[s][OSC_FX_SUB] = new CSubOsc(synth);
    m_audio[s][OSC_FX_BRILLIANCE] = new CBrilliance(synth);
    m_audio[s][OSC_FX_FEEDBACK] = nullptr;
    m_audio[s][OSC_FX_RINGER] = new CRinger(synth);
    m_audio[s][OSC_FX_CHIP] = new CChip(synth);
  }
  m_buzz = new CBuzz(synth);
  m_feedback = new CFmFeedback(synth);
  m_level.Init(synth, PARAM_OSC_LEVEL);
  m_pan.Init(synth, PARAM_OSC_PAN);
  SetInstance(0);
}

COscEffects::~COscEffects() {
  for (auto& row : m_audio)
    for (IOscEffect*& e : row) {
      delete e;
      e = nullptr;
    }
  delete m_buzz;
  delete m_feedback;
}

IOscEffect* COscEffects::_Object(unsigned int slot, unsigned int type) {
  if (type == OSC_FX_BUZZ) return m_buzz;
  if (type == OSC_FX_FEEDBACK) return m_feedback;
  return m_audio[slot][type];
}

void COscEffects::SetInstance(unsigned int osc) {
  m_osc = osc & 3;
  for (unsigned int s = 0; s < OSC_FX_SLOTS; ++s)
    for (unsigned int t = 0; t < OSC_FX_TYPE_COUNT; ++t)
      if (m_audio[s][t]) m_audio[s][t]->SetInstance(m_osc, s);
  unsigned int buzzSlot = 0, feedbackSlot = 0;
  for (unsigned int s = 0; s < OSC_FX_SLOTS; ++s) {
    if (m_slot[s] == m_buzz) buzzSlot = s;
    if (m_slot[s] == m_feedback) feedbackSlot = s;
  }
  m_buzz->SetInstance(m_osc, buzzSlot);
  m_feedback->SetInstance(m_osc, feedbackSlot);
  m_level.SetParamId(PARAM_OSC_LEVEL + m_osc);
  m_pan.SetParamId(PARAM_OSC_PAN + m_osc);
}

void COscEffects::RebuildOscFX() {
  bool buzzMade = false, feedbackMade = false;
  for (unsigned int s = 0; s < OSC_FX_SLOTS; ++s) {
    m_slot[s] = nullptr;
    const int t = OscFxTypeOf(m_synth->GetParam(PARAM_OSC_FX_TYPE + 4 * s + m_osc));
    if (t < 0) continue;
    // One buzz and one feed object per oscillator, in the first slot of
    // that type; it sums the amounts of every slot of its type.
    if (t == static_cast<int>(OSC_FX_BUZZ)) {
      if (buzzMade) continue;
      buzzMade = true;
    } else if (t == static_cast<int>(OSC_FX_FEEDBACK)) {
      if (feedbackMade) continue;
      feedbackMade = true;
    }
    IOscEffect* e = _Object(s, static_cast<unsigned int>(t));
    e->SetInstance(m_osc, s);
    // Every object already holds the chain's rate and block length.
    m_slot[s] = e;
  }
  // A sub's octave follows the slot types: keep it right for the voices
  // that go on sounding through the rebuild.
  for (unsigned int s = 0; s < OSC_FX_SLOTS; ++s)
    if (m_slot[s] && m_slot[s]->GetType() == OSC_FX_SUB) static_cast<CSubOsc*>(m_slot[s])->UpdateRatio();
}

void COscEffects::SetSampleRate(float rate) {
  m_sampleRate = rate;
  for (auto& row : m_audio)
    for (IOscEffect* e : row)
      if (e) e->SetSampleRate(rate);
  m_buzz->SetSampleRate(rate);
  m_feedback->SetSampleRate(rate);
}

void COscEffects::SetBlockSize(unsigned int n) {
  m_blockSize = n;
  for (auto& row : m_audio)
    for (IOscEffect* e : row)
      if (e) e->SetBlockSize(n);
  m_buzz->SetBlockSize(n);
  m_feedback->SetBlockSize(n);
}

void COscEffects::UpdateParams(unsigned int n) {
  m_level.Update(n);
  m_pan.Update(n);
  for (IOscEffect* e : m_slot)
    if (e) e->UpdateParams(n);
}

void COscEffects::Reset(CVoice* voice) {
  // Clear every effect area, so that a slot typed later in the note starts
  // from rest, then let the present effects set their start state.
  OSC_FX_STATE* s = voice->GetOscFXState(m_osc);
  for (unsigned int k = 0; k < OSC_FX_SLOTS; ++k) {
    s->scissorPhase[k] = 0.0f;
    s->subPhase[k] = 0.0f;
    for (float& v : s->brilliance[k]) v = 0.0f;
    for (float& v : s->ringer[k]) v = 0.0f;
    s->chipPhase[k] = 0.0f;
  }
  for (IOscEffect* e : m_slot)
    if (e) e->Reset(voice);
}

void COscEffects::StartVoice(CVoice*) {}

void COscEffects::PreProcess(CVoice* voice, float* buffer, float*, unsigned int n) {
  // Without a buzz or feed slot the oscillator sees no buffer.
  m_synth->SetBuzzParam(m_osc, nullptr);
  m_synth->SetFeedbackParam(m_osc, nullptr);
  for (IOscEffect* e : m_slot)
    if (e && (e->GetType() == OSC_FX_BUZZ || e->GetType() == OSC_FX_FEEDBACK)) e->Process(voice, buffer, n);
}

void COscEffects::ProcessSlots(CVoice* voice, float* buffer, unsigned int n) {
  for (IOscEffect* e : m_slot) {
    if (!e) continue;
    const unsigned int t = e->GetType();
    if (t == OSC_FX_SCISSOR || t == OSC_FX_SUB || t == OSC_FX_RINGER || t == OSC_FX_CHIP) e->Process(voice, buffer, n);
  }
}

void COscEffects::ProcessOutput(CVoice* voice, float* buffer, float* right, unsigned int n) {
  // The brilliance shelf acts after the filter and drive, whatever its slot.
  for (IOscEffect* e : m_slot)
    if (e && e->GetType() == OSC_FX_BRILLIANCE) e->Process(voice, buffer, n);

  // Level 4 l^2 (unity at 0.5), linear pan; unison sub-voices spread by half
  // their pan shift.
  const float shift = 0.5f * m_synth->GetUnisonPanShift(voice->GetUnisonVoice());
  const unsigned int K = m_synth->GetOversampling() ? m_synth->GetOversampling() : 1;
  // The gains change once per control step of K samples, or not at all in
  // a block where level and pan hold still.
  const unsigned int step = m_level.constant && m_pan.constant ? n : K;
  for (unsigned int i = 0; i < n; i += step) {
    const float l = ClampUnit(m_level.GetValue(i));
    const float p = ClampUnit(m_pan.GetValue(i) + shift);
    const float g = 4.0f * l * l;
    const float gl = (1.0f - p) * g;
    const float gr = p * g;
    Pan(buffer, right, gl, gr, i, i + step < n ? i + step : n);
  }
}
