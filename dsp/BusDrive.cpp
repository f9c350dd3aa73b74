#include "dsp/BusDrive.h"

#include "dsp/Drive.h"
#include "engine/IGlobalSynth.h"

namespace {

const unsigned int ID_AMOUNT = 107;
const unsigned int ID_TYPE = 477;

}  // namespace

CBusDrive::CBusDrive(IGlobalSynth* synth) : m_synth(synth) { m_amount.Init(synth, 0); }

void CBusDrive::SetInstance(unsigned int bus) {
  m_instance = bus > 1 ? 1 : bus;
  m_amount.SetParamId(ID_AMOUNT + m_instance);
  m_amount.SetUseOversamplingShift(true);
}

void CBusDrive::UpdateParams(unsigned int n) { m_amount.Update(n); }

void CBusDrive::Process(CVoice*, float* left, float* right, unsigned int n) {
  if (!left || !right || Drive::IsBypassed(m_synth, ID_AMOUNT + m_instance)) return;
  const int type = Drive::TypeFromSetting(m_synth->GetParam(ID_TYPE + m_instance));
  Drive::Run(m_amount, type, 2.0f, 0.5f, left, right, n, m_synth->GetOversampling());
}
