#include "dsp/OscDrive.h"

namespace {

const unsigned int ID_AMOUNT = 56;
const unsigned int ID_TYPE = 450;

}  // namespace

COscDriveCore::COscDriveCore(IGlobalSynth* synth) : CDriveStage(synth, ID_AMOUNT, ID_TYPE) {}

void COscDriveCore::SetInstance(unsigned int osc) { _SetInstance(osc & 3); }
