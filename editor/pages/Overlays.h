#pragma once
// The overlay panels' base lives in OverlayPanel.h; the preset browser, the
// wavetable editor, the sample editor and the recorder have their own files.
// Kept for the files that include the panels' common header.

#include "editor/pages/OverlayPanel.h"
