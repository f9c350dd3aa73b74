#include "editor/ArtworkKit.h"

#include <cairo.h>

#include <cmath>

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

void AddSmallKnobStrip(const char* name, int size, const CColor& accent) {
  CBitmapResources::addStrip(name, size, size, 96, [=](CDrawContext& c, const CRect& r, int frame, int count) {
    const double v = count > 1 ? frame / double(count - 1) : 0.0;
    CRect ring = r;
    ring.inset(2, 2);
    c.setDrawMode(kAntialias);
    c.setLineWidth(2);
    c.setFrameColor(CColor(0, 0, 0, 120));
    c.drawArc(ring, 135.f, 405.f);
    if (v > 0) {
      c.setFrameColor(accent);
      c.drawArc(ring, 135.f, static_cast<float>(135.0 + 270.0 * v));
    }
    CRect body = r;
    body.inset(5, 5);
    c.setFillColor(CColor(70, 74, 80, 255));
    c.setFrameColor(CColor(20, 22, 25, 255));
    c.setLineWidth(1);
    c.drawEllipse(body, kDrawFilledAndStroked);
    const double a = (135.0 + 270.0 * v) * PI / 180.0;
    const double cx = r.left + r.width() / 2, cy = r.top + r.height() / 2, len = body.width() / 2 - 1;
    c.setFrameColor(CColor(240, 240, 240, 255));
    c.setLineWidth(2);
    c.drawLine(CPoint(cx + std::cos(a) * len * 0.3, cy + std::sin(a) * len * 0.3),
               CPoint(cx + std::cos(a) * len, cy + std::sin(a) * len));
  });
}

}  // namespace ArtworkKit
