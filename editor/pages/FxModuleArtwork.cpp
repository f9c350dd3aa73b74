#include "editor/ArtworkKit.h"
#include "editor/pages/FxModuleArtwork.h"

#include <cairo.h>

#include <cmath>
#include <mutex>

#include "editor/pages/FxModules.h"
#include "platform/vstgui/vstgui.h"

namespace {

using ArtworkKit::RoundedPanel;
using ArtworkKit::SetSource;
using ArtworkKit::Text;

const double PI = 3.14159265358979;

const CColor PANEL(30, 33, 38, 255);
const CColor EDGE(80, 85, 92, 255);
const CColor CAPTION(170, 176, 184, 255);
const CColor ACCENT(0, 168, 255, 255);
const CColor WELL(14, 16, 19, 255);
const CColor WELL_EDGE(70, 75, 82, 255);

// A large knob: track and value arc from 135 degrees over 270, a shaded
// body and a pointer.
void BigKnobFrame(CDrawContext& c, const CRect& r, double v, const CColor& accent) {
  cairo_t* cr = c.getCairo();
  const double cx = r.left + r.width() / 2, cy = r.top + r.height() / 2;
  const double radius = r.width() / 2 - 5;
  cairo_save(cr);
  cairo_set_line_width(cr, 3);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.5);
  cairo_arc(cr, cx, cy, radius + 2, 0.75 * PI, 2.25 * PI);
  cairo_stroke(cr);
  if (v > 0) {
    SetSource(cr, accent);
    cairo_arc(cr, cx, cy, radius + 2, 0.75 * PI, 0.75 * PI + 1.5 * PI * v);
    cairo_stroke(cr);
  }
  cairo_pattern_t* body = cairo_pattern_create_radial(cx - radius / 3, cy - radius / 3, 1, cx, cy, radius);
  cairo_pattern_add_color_stop_rgb(body, 0, 0.46, 0.48, 0.52);
  cairo_pattern_add_color_stop_rgb(body, 1, 0.12, 0.13, 0.15);
  cairo_arc(cr, cx, cy, radius - 2, 0, 2 * PI);
  cairo_set_source(cr, body);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(body);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.8);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  const double a = 0.75 * PI + 1.5 * PI * v;
  cairo_set_line_width(cr, 2.5);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_source_rgb(cr, 0.96, 0.96, 0.96);
  cairo_move_to(cr, cx + std::cos(a) * radius * 0.3, cy + std::sin(a) * radius * 0.3);
  cairo_line_to(cr, cx + std::cos(a) * (radius - 5), cy + std::sin(a) * (radius - 5));
  cairo_stroke(cr);
  cairo_restore(cr);
}

void AddBigKnob(const char* name, CColor accent) {
  CBitmapResources::addStrip(name, static_cast<int>(FX_BIG_KNOB_SIZE), static_cast<int>(FX_BIG_KNOB_SIZE),
                             FX_KNOB_FRAMES, [accent](CDrawContext& c, const CRect& r, int frame, int count) {
                               BigKnobFrame(c, r, count > 1 ? frame / double(count - 1) : 0.0, accent);
                             });
}

// The body under a small knob, which draws only its value dot, with the
// ends of its travel marked.
void SmallKnobBody(CDrawContext& c, const CRect& knob) {
  cairo_t* cr = c.getCairo();
  const CRect body(knob.left + 2, knob.top + 2, knob.right - 3, knob.bottom - 3);
  const double cx = body.left + body.width() / 2, cy = body.top + body.height() / 2, rad = body.width() / 2;
  cairo_save(cr);
  cairo_pattern_t* g = cairo_pattern_create_radial(cx - rad / 3, cy - rad / 3, 1, cx, cy, rad);
  cairo_pattern_add_color_stop_rgb(g, 0, 0.62, 0.64, 0.67);
  cairo_pattern_add_color_stop_rgb(g, 1, 0.30, 0.32, 0.35);
  cairo_arc(cr, cx, cy, rad, 0, 2 * PI);
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  cairo_set_source_rgba(cr, 0.55, 0.58, 0.62, 1);
  cairo_set_line_width(cr, 1);
  for (double a : {0.75 * PI, 2.25 * PI}) {
    cairo_move_to(cr, cx + std::cos(a) * (rad + 1), cy + std::sin(a) * (rad + 1));
    cairo_line_to(cr, cx + std::cos(a) * (rad + 3), cy + std::sin(a) * (rad + 3));
  }
  cairo_stroke(cr);
  cairo_restore(cr);
}

void PaintPanel(CDrawContext& c, CCoord w, CCoord h, const FX_PANEL_DESC& d) {
  c.setDrawMode(kAntialias);
  RoundedPanel(c, CRect(0, 0, w, h), 5, PANEL, EDGE);
  if (d.presetKind == 0) {
    Text(c, "EMPTY SLOT", CRect(0, h / 2 - 18, w, h / 2 - 4), CColor(120, 126, 134, 255), 11);
    Text(c, "Right-click a slot on the right to choose an effect", CRect(0, h / 2 + 2, w, h / 2 + 14), CAPTION, 8,
         kNormalFace);
    return;
  }
  Text(c, d.title, CRect(22, 3, 200, 17), ACCENT, 9, kBoldFace, kLeftText);
  for (unsigned int i = 0; i < d.controlCount; ++i) {
    const FX_PANEL_CONTROL& control = d.controls[i];
    const CRect r = FxControlRect(control);
    const CCoord cx = r.left + r.width() / 2;
    switch (control.kind) {
      case FX_CONTROL_SMALL:
        SmallKnobBody(c, r);
        Text(c, control.caption, CRect(cx - 23, r.bottom, cx + 23, r.bottom + 9), CAPTION, 7);
        break;
      case FX_CONTROL_MIX:
      case FX_CONTROL_LARGE_1:
      case FX_CONTROL_LARGE_2:
        Text(c, control.caption, CRect(cx - 26, r.bottom - 1, cx + 26, r.bottom + 8), CAPTION, 7);
        break;
      case FX_CONTROL_LIST:
        RoundedPanel(c, r, 2, WELL, WELL_EDGE);
        Text(c, control.caption, CRect(r.left - 4, r.top - 10, r.right + 4, r.top - 1), CAPTION, 7);
        break;
      case FX_CONTROL_NUMERIC: {
        CRect well = r;
        well.inset(-1, -1);
        RoundedPanel(c, well, 2, WELL, WELL_EDGE);
        Text(c, control.caption, CRect(r.left - 36, r.top, r.left - 3, r.bottom), CAPTION, 7, kBoldFace,
             kRightText);
        break;
      }
    }
  }
}

void RegisterAll() {
  AddBigKnob(FX_MIX_KNOB_BITMAP, CColor(225, 228, 234, 255));
  AddBigKnob(FX_CONTROL_KNOB_BITMAP_1, ACCENT);
  AddBigKnob(FX_CONTROL_KNOB_BITMAP_2, CColor(255, 190, 0, 255));
  for (unsigned int type = 0; type <= FX_TYPE_COUNT; ++type) {
    const FX_PANEL_DESC* d = &FxPanelDesc(type);
    CBitmapResources::add(d->background, static_cast<int>(FX_PANEL_WIDTH), static_cast<int>(FX_PANEL_HEIGHT),
                          [d](CDrawContext& c, CCoord w, CCoord h) { PaintPanel(c, w, h, *d); });
  }
}

}  // namespace

// Under a lock, as editors may be built on several threads; again after the
// registry was cleared.
void RegisterFxModuleArtwork() {
  static std::mutex lock;
  std::lock_guard<std::mutex> guard(lock);
  if (CBitmapResources::has(FX_MIX_KNOB_BITMAP)) return;
  RegisterAll();
}
