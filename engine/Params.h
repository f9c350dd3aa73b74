#pragma once
// Constant maps between host parameter indices, synth parameter ids,
// modulation targets and the word indices of the oldest preset layout, and
// the parameter display names.

#include <string>
#include <vector>

namespace Params {

const int HOST_PARAM_COUNT = 333;
const unsigned int PARAM_COUNT_V1 = 1537;
const unsigned int PARAM_COUNT_V2 = 1605;

// Modulation target number -> synth id; 0 = no parameter.
int ModTargetToParamId(unsigned int target);
// Synth id -> modulation target number; 0 = not a target.
int ParamIdToModTarget(unsigned int id);
// Synth id -> host index 0-332; -1 = not host-visible.
int SynthParamToVstParam(unsigned int id);
// Host index 0-332 -> synth id; -1 for an index outside 0-332.
int VstParamToSynthParam(int index);
// Current synth id -> word index of a version-1 body; -1 = none.
int Convert_Param_v2_to_Param_v1(unsigned int id);

// The name lists, indexed by synth id: 361 long names (ids 0-360) and 1605
// short names (ids 0-1604). Empty until InitParamNames; read-only after it.
extern std::vector<std::string> ParamNames;
extern std::vector<std::string> ShortParamNames;

// Fills the long and short name lists once per process (thread-safe).
void InitParamNames();
// Long name of a modulatable id 0-360 ("" outside).
const char* GetParamName(unsigned int id);
// Short name of id 0-1604 ("" outside or without a short name).
const char* GetParamShortName(unsigned int id);

}  // namespace Params
