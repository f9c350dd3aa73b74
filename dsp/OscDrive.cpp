#include "dsp/OscDrive.h"

#include "dsp/Drive.h"
#include "engine/IGlobalSynth.h"

namespace {

const unsigned int ID_AMOUNT = 56;
const unsigned int ID_TYPE = 450;

}  // namespace

COscDrive::COscDrive(IGlobalSynth* synth) : m_synth(synth) { m_amount.Init(synth, 0); }

void COscDrive::SetInstance(unsigned int osc) {
  m_instance = osc & 3;
  m_amount.SetParamId(ID_AMOUNT + m_instance);
  m_amount.SetUseOversamplingShift(true);
}

void COscDrive::UpdateParams(unsigned int n) { m_amount.Update(n); }

void COscDrive::Process(CVoice*, float* x, unsigned int n) {
  if (Drive::IsBypassed(m_synth, ID_AMOUNT + m_instance)) return;
  const int type = Drive::TypeFromSetting(m_synth->GetParam(ID_TYPE + m_instance));
  Drive::Run(m_amount, type, 1.0f, 1.0f, x, nullptr, n, m_synth->GetOversampling());
}

COscDriveStereo::COscDriveStereo(IGlobalSynth* synth) : m_synth(synth) { m_amount.Init(synth, 0); }

void COscDriveStereo::SetInstance(unsigned int osc) {
  m_instance = osc & 3;
  m_amount.SetParamId(ID_AMOUNT + m_instance);
  m_amount.SetUseOversamplingShift(true);
}

void COscDriveStereo::UpdateParams(unsigned int n) { m_amount.Update(n); }

void COscDriveStereo::Process(CVoice*, float* left, float* right, unsigned int n) {
  if (!right || Drive::IsBypassed(m_synth, ID_AMOUNT + m_instance)) return;
  const int type = Drive::TypeFromSetting(m_synth->GetParam(ID_TYPE + m_instance));
  Drive::Run(m_amount, type, 1.0f, 1.0f, left, right, n, m_synth->GetOversampling());
}
