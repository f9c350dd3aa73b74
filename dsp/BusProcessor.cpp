#include "dsp/BusProcessor.h"

#include "engine/Buffers.h"
#include "engine/IModulation.h"
#include "engine/ParamIds.h"
#include "engine/Voice.h"

CBusProcessor::CBusProcessor(IGlobalSynth* synth)
    : m_synth(synth), m_filter(synth), m_drive(synth), m_lofi(synth), m_shaper(synth), m_output(synth) {
  m_send.Init(synth, PARAM_BUS_SEND);
}

void CBusProcessor::SetInstance(unsigned int bus) {
  m_bus = bus > 1 ? 1 : bus;
  m_filter.SetInstance(m_bus);
  m_drive.SetInstance(m_bus);
  m_shaper.SetInstance(m_bus);
  m_lofi.SetInstance(m_bus);
  m_output.SetInstance(m_bus);
}

void CBusProcessor::SetSampleRate(float rate) {
  m_sampleRate = rate;
  m_filter.SetSampleRate(rate);
  m_shaper.SetSampleRate(rate);
  m_lofi.SetSampleRate(rate);
}

CVoice* CBusProcessor::_Target(CVoice* voice) {
  return m_synth->GetParam(PARAM_BUS_MODE) == 0.0f ? m_monoVoice : voice;
}

void CBusProcessor::StartVoice(CVoice* voice) {
  if (m_monoVoice && voice) m_monoVoice->SetPitch(*voice->GetPitch());
  CVoice* target = _Target(voice);
  if (!target) return;
  m_filter.StartVoice(target);
  m_shaper.StartVoice(target);
  m_lofi.StartVoice(target);
}

void CBusProcessor::Reset(CVoice* voice) {
  CVoice* target = _Target(voice);
  if (!target) return;
  m_filter.Reset(target);
  m_shaper.Reset(target);
  m_lofi.Reset(target);
}

void CBusProcessor::UpdateParams(unsigned int n) {
  m_filter.UpdateParams(n);
  m_drive.UpdateParams(n);
  m_shaper.UpdateParams(n);
  m_lofi.UpdateParams(n);
  m_output.UpdateParams(n);
  if (m_bus == 1) m_send.Update(n);
}

bool CBusProcessor::_SendActive() {
  if (m_send.IsModulated()) return true;
  if (m_synth->GetParam(PARAM_BUS_SEND) != 0.0f) return true;
  IModulation* mod = m_synth->GetIModulation();
  MOD_CONTROLLER_LIST* c = mod ? mod->GetController(PARAM_BUS_SEND) : nullptr;
  return c && c->count != 0;
}

void CBusProcessor::Process(CVoice* voice, CStereoBuffer* buses, unsigned int n) {
  const float order = m_synth->GetParam(PARAM_BUS_ORDER + m_bus);
  const float on = m_synth->GetParam(PARAM_BUS_ON + m_bus);
  CVoice* target = _Target(voice);
  float* l = buses[m_bus].GetLeftBuffer();
  float* r = buses[m_bus].GetRightBuffer();

  if (m_bus == 1 && _SendActive()) {
    const float* l1 = buses[0].GetLeftBuffer();
    const float* r1 = buses[0].GetRightBuffer();
    for (unsigned int i = 0; i < n; ++i) {
      float s = m_send.GetValue(i);
      s *= s;
      l[i] += l1[i] * s;
      r[i] += r1[i] * s;
    }
  }
  if (on == 0.0f) return;
  if (order == 0.0f) {
    m_filter.Process(target, l, r, n);
    m_drive.Process(target, l, r, n);
    m_shaper.Process(target, l, r, n);
    m_lofi.Process(target, l, r, n);
  } else {
    m_shaper.Process(target, l, r, n);
    m_lofi.Process(target, l, r, n);
    m_filter.Process(target, l, r, n);
    m_drive.Process(target, l, r, n);
  }
}

void CBusProcessor::ProcessOutput(CVoice*, CStereoBuffer* buses, unsigned int n) {
  m_output.Process(buses[m_bus].GetLeftBuffer(), buses[m_bus].GetRightBuffer(), n);
}
