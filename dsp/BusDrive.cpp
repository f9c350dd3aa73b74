#include "dsp/BusDrive.h"

namespace {

const unsigned int ID_AMOUNT = 107;
const unsigned int ID_TYPE = 477;

}  // namespace

CBusDrive::CBusDrive(IGlobalSynth* synth) : CDriveStage(synth, ID_AMOUNT, ID_TYPE) {}

void CBusDrive::SetInstance(unsigned int bus) { _SetInstance(bus > 1 ? 1 : bus); }

void CBusDrive::Process(CVoice*, float* left, float* right, unsigned int n) {
  if (left && right) _Run(2.0f, 0.5f, left, right, n);
}
