#pragma once
// Event records of the VST 2.x instrument interface (VstEvent, VstMidiEvent,
// VstEvents); defined with the rest of the interface's records.

#include "platform/vst/VstTypes.h"
