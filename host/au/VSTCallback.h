#pragma once
// The host callback the Audio Unit hands to the VST instrument object. It
// answers the instrument's few questions itself and passes automation, edit
// gestures and the request for time information to the unit found in the
// effect record's user field (none while that field is null).

#include "platform/vst/AEffect.h"

VstIntPtr VSTCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                      void* ptr, float opt);
