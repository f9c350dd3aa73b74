#include "editor/ArtworkKit.h"
#include "editor/pages/ModArtwork.h"

#include <cairo.h>

#include <mutex>
#include <vector>

#include "platform/vstgui/vstgui.h"

namespace {

using ArtworkKit::Box;
using ArtworkKit::Text;

const double PI = 3.14159265358979;

const CColor PAGE(22, 24, 28, 255);
const CColor PANEL(30, 33, 38, 255);
const CColor EDGE(70, 75, 82, 255);
const CColor LABEL(150, 156, 164, 255);
const CColor WELL(12, 13, 15, 255);
const CColor LFO_ACCENT(0, 168, 255, 255);
const CColor ENV_ACCENT(90, 230, 90, 255);
const CColor MSEG_ACCENT(255, 156, 68, 255);
// Under the MSEG editor, which draws only its grid, curve and points.
const CColor MSEG_AREA(120, 124, 130, 255);

// The knobs of the page draw only their value ring and dot: the body is the
// background's.
void KnobBody(CDrawContext& c, const CRect& r) {
  cairo_t* cr = c.getCairo();
  const double cx = r.left + r.width() / 2, cy = r.top + r.height() / 2, rad = r.width() / 2 - 4;
  cairo_save(cr);
  cairo_pattern_t* g = cairo_pattern_create_radial(cx - rad / 3, cy - rad / 3, 1, cx, cy, rad);
  cairo_pattern_add_color_stop_rgb(g, 0, 0.62, 0.64, 0.67);
  cairo_pattern_add_color_stop_rgb(g, 1, 0.30, 0.32, 0.35);
  cairo_arc(cr, cx, cy, rad, 0, 2 * PI);
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  cairo_restore(cr);
}

struct KNOB_CAPTION {
  CCoord left;
  const char* caption;
};

// A list's box and its caption, left of the box (or above it when there is
// no room at the left).
void Field(CDrawContext& c, const CRect& box, const char* caption, bool above = false) {
  Box(c, CRect(box.left - 2, box.top - 1, box.right + 2, box.bottom + 1), WELL, EDGE);
  if (!caption) return;
  if (above) {
    Text(c, caption, CRect(box.left - 6, box.top - 11, box.right + 6, box.top - 1), LABEL, 7);
  } else {
    Text(c, caption, CRect(box.left - 44, box.top, box.left - 5, box.bottom), LABEL, 7, kBoldFace, kRightText);
  }
}

void Section(CDrawContext& c, const CRect& r, const char* title, const CColor& accent) {
  Box(c, r, PANEL, EDGE);
  Text(c, title, CRect(r.left + 6, 21, r.left + 60, 37), accent, 10, kBoldFace, kLeftText);
}

void PaintPage(CDrawContext& c, CCoord w, CCoord h) {
  c.setDrawMode(kAntialias);
  Box(c, CRect(0, 0, w, h), PAGE, PAGE);
  Section(c, CRect(4, 4, 212, h - 4), "LFO", LFO_ACCENT);
  Section(c, CRect(216, 4, 412, h - 4), "ENV", ENV_ACCENT);
  Section(c, CRect(416, 4, w - 4, h - 4), "MSEG", MSEG_ACCENT);

  const KNOB_CAPTION knobs[7] = {{92, "AMOUNT"}, {131, "RATE"},  {170, "PHASE"},  {258, "ATTACK"},
                                 {297, "DECAY"}, {336, "SUSTAIN"}, {375, "RELEASE"}};
  for (const KNOB_CAPTION& k : knobs) {
    KnobBody(c, CRect(k.left, 46, k.left + 28, 74));
    Text(c, k.caption, CRect(k.left - 8, 75, k.left + 36, 85), LABEL, 7);
  }

  // LFO.
  Field(c, CRect(93, 99, 150, 114), "SHAPE");
  Field(c, CRect(93, 119, 150, 133), "TRIGGER");
  Field(c, CRect(157, 119, 190, 133), "SYNC", true);
  // Envelope.
  Field(c, CRect(258, 99, 288, 114), "MODE");
  Field(c, CRect(257, 119, 287, 133), "SLOPE");
  Field(c, CRect(320, 99, 350, 114), "KEY");
  Field(c, CRect(320, 119, 350, 133), "VEL");
  Field(c, CRect(365, 119, 396, 133), "TIME", true);
  // MSEG: the editor's area and the row of settings below it.
  Box(c, CRect(451, 48, 741, 118), MSEG_AREA, CColor(20, 20, 20, 255));
  Text(c, "ON", CRect(420, 62, 444, 72), LABEL, 7);
  Field(c, CRect(473, 125, 521, 138), "MODE");
  Field(c, CRect(565, 125, 593, 138), "SYNC");
  Field(c, CRect(632, 125, 657, 138), "RATE");
  Field(c, CRect(698, 125, 754, 138), "TRIG");
  Text(c, "ON", CRect(28, 62, 56, 72), LABEL, 7);
  Text(c, "ON", CRect(214, 62, 242, 72), LABEL, 7);
}

// count images stacked vertically; image k shows segment k lit.
void AddSelector(const char* name, int width, int height, const std::vector<const char*>& labels,
                 const CColor& accent) {
  CBitmapResources::add(name, width, height * static_cast<int>(labels.size()), [=](CDrawContext& c, CCoord, CCoord) {
    const int count = static_cast<int>(labels.size());
    for (int image = 0; image < count; ++image) {
      for (int s = 0; s < count; ++s) {
        CRect seg(width * s / count, height * image, width * (s + 1) / count, height * (image + 1));
        seg.inset(1, 1);
        const bool lit = s == image;
        Box(c, seg, lit ? CColor(accent.red / 2, accent.green / 2, accent.blue / 2, 255) : CColor(40, 43, 48, 255),
            lit ? accent : EDGE);
        Text(c, labels[s], seg, lit ? CColor(255, 255, 255, 255) : CColor(160, 165, 170, 255), 7);
      }
    }
  });
}

typedef void (*ICON)(cairo_t* cr, const CRect& r, bool on);

// Two images stacked: off (or released) on top, on (or pressed) below.
void AddIconButton(const char* name, int width, int height, ICON icon) {
  CBitmapResources::add(name, width, height * 2, [=](CDrawContext& c, CCoord, CCoord) {
    c.setDrawMode(kAntialias);
    for (int state = 0; state < 2; ++state) {
      CRect r(0, height * state, width, height * (state + 1));
      r.inset(0.5, 0.5);
      Box(c, r, state ? CColor(90, 50, 20, 255) : CColor(45, 48, 54, 255), state ? MSEG_ACCENT : EDGE);
      cairo_t* cr = c.getCairo();
      cairo_save(cr);
      if (state) cairo_set_source_rgb(cr, 1.0, 0.61, 0.27);
      else cairo_set_source_rgb(cr, 0.8, 0.81, 0.83);
      icon(cr, r, state != 0);
      cairo_restore(cr);
    }
  });
}

void LockIcon(cairo_t* cr, const CRect& r, bool) {
  const double cx = r.left + r.width() / 2, top = r.top + 2;
  cairo_set_line_width(cr, 1.5);
  cairo_arc(cr, cx, top + 4, 2.5, PI, 2 * PI);
  cairo_line_to(cr, cx + 2.5, top + 6);
  cairo_move_to(cr, cx - 2.5, top + 6);
  cairo_line_to(cr, cx - 2.5, top + 4);
  cairo_stroke(cr);
  cairo_rectangle(cr, cx - 4, top + 6, 8, 5);
  cairo_fill(cr);
}

void LoopIcon(cairo_t* cr, const CRect& r, bool) {
  const double cx = r.left + r.width() / 2, cy = r.top + r.height() / 2;
  cairo_set_line_width(cr, 1.5);
  cairo_arc(cr, cx, cy, 3.5, 0.3 * PI, 1.9 * PI);
  cairo_stroke(cr);
  cairo_move_to(cr, cx + 3.5 + 2.5, cy - 1.5);
  cairo_line_to(cr, cx + 3.5 - 2.0, cy - 1.5);
  cairo_line_to(cr, cx + 3.5, cy + 1.8);
  cairo_close_path(cr);
  cairo_fill(cr);
}

void MenuIcon(cairo_t* cr, const CRect& r, bool) {
  const double cx = r.left + r.width() / 2, cy = r.top + r.height() / 2;
  cairo_set_line_width(cr, 1.5);
  for (int k = -1; k <= 1; ++k) {
    cairo_move_to(cr, cx - 6, cy + 3 * k);
    cairo_line_to(cr, cx + 6, cy + 3 * k);
  }
  cairo_stroke(cr);
}

void RegisterAll() {
  CBitmapResources::add("GuiViewMod.png", 769, 153, &PaintPage);
  AddSelector("GuiLfoSelector.png", 145, 16, {"LFO 1", "LFO 2", "LFO 3", "VIB"}, LFO_ACCENT);
  AddSelector("GuiEnvSelector.png", 145, 16, {"ENV 1", "ENV 2", "ENV 3", "AMP"}, ENV_ACCENT);
  AddSelector("GuiMsegSelector.png", 162, 16, {"MSEG 1", "MSEG 2", "MSEG 3", "MSEG 4"}, MSEG_ACCENT);
  AddIconButton("GuiMsegLock.png", 14, 14, &LockIcon);
  AddIconButton("GuiMsegLoop.png", 14, 14, &LoopIcon);
  AddIconButton("GuiMsegMenu.png", 24, 14, &MenuIcon);
}

}  // namespace

void RegisterModArtwork() {
  static std::mutex lock;
  std::lock_guard<std::mutex> guard(lock);
  if (CBitmapResources::has("GuiViewMod.png")) return;
  RegisterAll();
}
