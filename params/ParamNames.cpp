// Placeholder names until the name lists land.
#include "engine/Params.h"

namespace Params {
void InitParamNames() {}
const char* GetParamName(unsigned int) { return ""; }
const char* GetParamShortName(unsigned int) { return ""; }
}  // namespace Params
