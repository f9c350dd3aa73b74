#include "editor/ArtworkKit.h"

#include <cairo.h>

namespace ArtworkKit {

namespace {
const double PI = 3.14159265358979;
}

void SetSource(cairo_t* cr, const CColor& c) {
  cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

void RoundedPanel(CDrawContext& c, const CRect& r, double radius, const CColor& fill, const CColor& edge) {
  cairo_t* cr = c.getCairo();
  cairo_save(cr);
  const double x0 = r.left + 0.5, y0 = r.top + 0.5, x1 = r.right - 0.5, y1 = r.bottom - 0.5;
  cairo_new_sub_path(cr);
  cairo_arc(cr, x1 - radius, y0 + radius, radius, -PI / 2, 0);
  cairo_arc(cr, x1 - radius, y1 - radius, radius, 0, PI / 2);
  cairo_arc(cr, x0 + radius, y1 - radius, radius, PI / 2, PI);
  cairo_arc(cr, x0 + radius, y0 + radius, radius, PI, 3 * PI / 2);
  cairo_close_path(cr);
  SetSource(cr, fill);
  cairo_fill_preserve(cr);
  SetSource(cr, edge);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  cairo_restore(cr);
}

void Box(CDrawContext& c, const CRect& r, const CColor& fill, const CColor& edge) {
  c.setFillColor(fill);
  c.setFrameColor(edge);
  c.setLineWidth(1);
  c.drawRect(r, kDrawFilledAndStroked);
}

void Text(CDrawContext& c, const char* text, const CRect& r, const CColor& colour, CCoord size, long style,
          CHoriTxtAlign align) {
  CFontDesc font("Arial", size, style);
  c.setFont(&font);
  c.setFontColor(colour);
  c.drawString(text, r, false, align);
}

}  // namespace ArtworkKit
