#pragma once
// Drawing steps the editor's artwork painters share: a cairo source from a
// colour, a rounded panel, a framed box and a caption in the editor's font.

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

}  // namespace ArtworkKit
