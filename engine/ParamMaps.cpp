// Placeholder maps until the generated tables land.
#include "engine/Params.h"

namespace Params {
int ModTargetToParamId(unsigned int) { return 0; }
int ParamIdToModTarget(unsigned int) { return 0; }
int SynthParamToVstParam(unsigned int) { return -1; }
int VstParamToSynthParam(int index) { return (index >= 0 && index < HOST_PARAM_COUNT) ? index : -1; }
int Convert_Param_v2_to_Param_v1(unsigned int) { return -1; }
}  // namespace Params
