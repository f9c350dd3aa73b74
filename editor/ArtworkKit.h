#pragma once
// Drawing steps the editor's artwork painters share: a cairo source from a
// colour, a rounded panel, a framed box, a caption in the editor's font and
// the small knob strip.

#include "platform/vstgui/vstgui.h"

typedef struct _cairo cairo_t;

namespace ArtworkKit {

void SetSource(cairo_t* cr, const CColor& colour);
// A rounded rectangle on whole-pixel edges, filled and framed (1 px).
void RoundedPanel(CDrawContext& c, const CRect& r, double radius, const CColor& fill, const CColor& edge);
// A rectangle filled and framed (1 px).
void Box(CDrawContext& c, const CRect& r, const CColor& fill, const CColor& edge);
// Text in "Arial" of the size and style, placed in r.
void Text(CDrawContext& c, const char* text, const CRect& r, const CColor& colour, CCoord size,
          long style = kBoldFace, CHoriTxtAlign align = kCenterText);

// Registers a strip of 96 frames of a small knob of size x size pixels: a
// value arc in accent from 135 degrees over 270, a dark body and a pointer.
void AddSmallKnobStrip(const char* name, int size, const CColor& accent);

}  // namespace ArtworkKit
