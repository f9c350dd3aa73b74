// The editor's artwork, drawn by code and registered under the resource
// names the editor loads: the window background with its panels and
// captions (from the layout table), knob strips of 96 frames, two-state
// buttons, segmented selectors and the overlay panels' backgrounds (the
// browser window's from its own painter).
#include "editor/ArtworkKit.h"
#include "editor/Artwork.h"

#include <cairo.h>

#include <cmath>
#include <mutex>
#include <string>

#include "editor/EditorLayout.h"
#include "editor/pages/BrowserArtwork.h"
#include "editor/pages/SampleArtwork.h"
#include "editor/pages/WaveTableArtwork.h"
#include "platform/vstgui/vstgui.h"

namespace {

using ArtworkKit::RoundedPanel;
using ArtworkKit::Text;

const double PI = 3.14159265358979;

void Gradient(CDrawContext& c, const CRect& r, const CColor& top, const CColor& bottom) {
  cairo_t* cr = c.getCairo();
  cairo_save(cr);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, r.top, 0, r.bottom);
  cairo_pattern_add_color_stop_rgba(p, 0, top.red / 255.0, top.green / 255.0, top.blue / 255.0, top.alpha / 255.0);
  cairo_pattern_add_color_stop_rgba(p, 1, bottom.red / 255.0, bottom.green / 255.0, bottom.blue / 255.0,
                                    bottom.alpha / 255.0);
  cairo_rectangle(cr, r.left, r.top, r.width(), r.height());
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  cairo_restore(cr);
}

// A knob body with a pointer for value v (0..1) and a value arc.
void KnobFrame(CDrawContext& c, const CRect& r, double v, const CColor& accent) {
  cairo_t* cr = c.getCairo();
  double cx = r.left + r.width() / 2, cy = r.top + r.height() / 2;
  double radius = r.width() / 2 - 4;
  cairo_save(cr);
  // Track and value arc, from 135 degrees clockwise over 270 degrees.
  cairo_set_line_width(cr, 2.5);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
  cairo_arc(cr, cx, cy, radius + 1.5, 0.75 * PI, 2.25 * PI);
  cairo_stroke(cr);
  if (v > 0) {
    cairo_set_source_rgba(cr, accent.red / 255.0, accent.green / 255.0, accent.blue / 255.0, 1);
    cairo_arc(cr, cx, cy, radius + 1.5, 0.75 * PI, 0.75 * PI + 1.5 * PI * v);
    cairo_stroke(cr);
  }
  // Body.
  cairo_pattern_t* body = cairo_pattern_create_radial(cx - radius / 3, cy - radius / 3, 1, cx, cy, radius);
  cairo_pattern_add_color_stop_rgb(body, 0, 0.42, 0.44, 0.47);
  cairo_pattern_add_color_stop_rgb(body, 1, 0.13, 0.14, 0.16);
  cairo_arc(cr, cx, cy, radius - 2, 0, 2 * PI);
  cairo_set_source(cr, body);
  cairo_fill(cr);
  cairo_pattern_destroy(body);
  // Pointer.
  double a = 0.75 * PI + 1.5 * PI * v;
  cairo_set_line_width(cr, 2);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_source_rgb(cr, 0.95, 0.95, 0.95);
  cairo_move_to(cr, cx + std::cos(a) * radius * 0.25, cy + std::sin(a) * radius * 0.25);
  cairo_line_to(cr, cx + std::cos(a) * (radius - 4), cy + std::sin(a) * (radius - 4));
  cairo_stroke(cr);
  cairo_restore(cr);
}

void AddKnobStrip(const char* name, int size, CColor accent) {
  CBitmapResources::addStrip(name, size, size, 96, [accent](CDrawContext& c, const CRect& r, int frame, int count) {
    KnobFrame(c, r, count > 1 ? frame / double(count - 1) : 0.0, accent);
  });
}

// Two images stacked: released (or off) on top, pressed (or on) below.
void AddTwoStateButton(const char* name, int width, int height, const char* label, const char* onLabel,
                       CColor lit) {
  std::string off = label, on = onLabel ? onLabel : label;
  CBitmapResources::add(name, width, height * 2, [=](CDrawContext& c, CCoord, CCoord) {
    for (int state = 0; state < 2; ++state) {
      CRect r(0, height * state, width, height * (state + 1));
      CRect inner = r;
      inner.inset(0.5, 0.5);
      RoundedPanel(c, inner, 3, state ? CColor(lit.red / 3, lit.green / 3, lit.blue / 3, 255) : CColor(42, 45, 50, 255),
                   state ? lit : CColor(90, 95, 102, 255));
      Text(c, state ? on.c_str() : off.c_str(), r, state ? lit : CColor(200, 204, 210, 255), height > 14 ? 8 : 7);
    }
  });
}

void AddLedButton(const char* name) {
  CBitmapResources::add(name, 16, 32, [](CDrawContext& c, CCoord, CCoord) {
    for (int state = 0; state < 2; ++state) {
      CRect r(3, 16 * state + 3, 13, 16 * state + 13);
      c.setDrawMode(kAntialias);
      c.setFillColor(state ? CColor(90, 230, 90, 255) : CColor(40, 60, 40, 255));
      c.setFrameColor(CColor(10, 10, 10, 255));
      c.drawEllipse(r, kDrawFilledAndStroked);
    }
  });
}

// count images stacked vertically; image k shows segment k lit.
void AddSelector(const char* name, int width, int height, const std::vector<const char*>& labels) {
  CBitmapResources::add(name, width, height * static_cast<int>(labels.size()), [=](CDrawContext& c, CCoord, CCoord) {
    int count = static_cast<int>(labels.size());
    for (int image = 0; image < count; ++image) {
      for (int s = 0; s < count; ++s) {
        CRect seg(width * s / count, height * image, width * (s + 1) / count, height * (image + 1));
        seg.inset(1, 1);
        bool lit = s == image;
        RoundedPanel(c, seg, 2, lit ? CColor(0, 120, 190, 255) : CColor(40, 43, 48, 255), CColor(90, 95, 102, 255));
        Text(c, labels[s], seg, lit ? CColor(255, 255, 255, 255) : CColor(160, 165, 170, 255), 7);
      }
    }
  });
}

void PaintBackground(CDrawContext& c, CCoord width, CCoord height) {
  c.setDrawMode(kAntialias);
  Gradient(c, CRect(0, 0, width, height), CColor(52, 56, 62), CColor(24, 26, 30));
  Text(c, "MORLAVINE", CRect(10, 2, 130, 24), CColor(0, 168, 255, 255), 15, kBoldFace, kLeftText);

  for (const PANEL_PLACE& p : MainWindowPanels()) {
    if (p.light) {
      RoundedPanel(c, p.rect, 5, CColor(196, 200, 204, 255), CColor(120, 124, 130, 255));
      Text(c, p.title.c_str(), CRect(p.rect.left + 8, p.rect.top + 1, p.rect.left + 120, p.rect.top + 13),
           CColor(64, 64, 64, 255), 9, kBoldFace, kLeftText);
    } else {
      RoundedPanel(c, p.rect, 5, CColor(30, 33, 37, 230), CColor(80, 85, 92, 255));
      if (!p.title.empty()) {
        Text(c, p.title.c_str(), CRect(p.rect.left + 8, p.rect.top + 1, p.rect.left + 120, p.rect.top + 13),
             CColor(0, 168, 255, 255), 9, kBoldFace, kLeftText);
      }
    }
  }

  // Wells under the pads, the text displays and the preset strip.
  for (const CONTROL_PLACE& p : MainWindowLayout()) {
    // Wells take the text colour's contrast: light under dark text.
    const bool light = LayoutTextColour(p.colour) == CColor(64, 64, 64, 255);
    CRect well = p.rect;
    switch (p.kind) {
      case KIND_XY:
        RoundedPanel(c, well, 3, CColor(18, 22, 28, 255), CColor(0, 120, 190, 255));
        c.setFrameColor(CColor(0, 90, 140, 120));
        c.drawLine(CPoint(well.left + well.width() / 2, well.top + 3), CPoint(well.left + well.width() / 2, well.bottom - 3));
        c.drawLine(CPoint(well.left + 3, well.top + well.height() / 2), CPoint(well.right - 3, well.top + well.height() / 2));
        break;
      case KIND_MINI_BROWSER:
        // The strip stays inside the master panel, whose right edge lies
        // left of the browser's own.
        well.left -= 2;
        for (const PANEL_PLACE& panel : MainWindowPanels()) {
          if (panel.rect.rectOverlap(p.rect) && well.right > panel.rect.right - 2) well.right = panel.rect.right - 2;
        }
        RoundedPanel(c, well, 3, CColor(150, 205, 230, 255), CColor(0, 106, 160, 255));
        break;
      case KIND_LIST:
      case KIND_NUMERIC:
      case KIND_SOURCE_MENU:
      case KIND_TARGET_MENU:
        // Boxes stacked edge to edge (the matrix rows' depth lists) keep a
        // pixel apart.
        for (const CONTROL_PLACE& other : MainWindowLayout()) {
          if (&other == &p || other.rect.left >= well.right || other.rect.right <= well.left) continue;
          if (other.rect.bottom == p.rect.top) well.top += 1;
          if (other.rect.top == p.rect.bottom) well.bottom -= 1;
        }
        if (light) RoundedPanel(c, well, 2, CColor(226, 228, 231, 255), CColor(140, 144, 150, 255));
        else RoundedPanel(c, well, 2, CColor(14, 16, 19, 255), CColor(70, 75, 82, 255));
        break;
      case KIND_TEXT_BUTTON:
        RoundedPanel(c, well, 3, CColor(40, 44, 50, 255), CColor(20, 20, 20, 255));
        break;
      case KIND_KNOB:
        if (p.bitmap.empty()) {
          // The dot knobs draw only their value dot: the body is here.
          CRect body(well.left + 2, well.top + 2, well.right - 3, well.bottom - 3);
          cairo_t* cr = c.getCairo();
          cairo_save(cr);
          double cx = body.left + body.width() / 2, cy = body.top + body.height() / 2, rad = body.width() / 2;
          cairo_pattern_t* g = cairo_pattern_create_radial(cx - rad / 3, cy - rad / 3, 1, cx, cy, rad);
          cairo_pattern_add_color_stop_rgb(g, 0, 0.62, 0.64, 0.67);
          cairo_pattern_add_color_stop_rgb(g, 1, 0.30, 0.32, 0.35);
          cairo_arc(cr, cx, cy, rad, 0, 2 * PI);
          cairo_set_source(cr, g);
          cairo_fill(cr);
          cairo_pattern_destroy(g);
          cairo_restore(cr);
        }
        break;
      default:
        break;
    }
    if (p.caption.empty()) continue;
    CRect cap;
    bool onLight = false;
    if (p.kind == KIND_KNOB && p.captionBeside) {
      cap = CRect(p.rect.right + 2, p.rect.top + 10, p.rect.right + 26, p.rect.top + 20);
    } else if (p.kind == KIND_KNOB) {
      CCoord cx = p.rect.left + p.rect.width() / 2;
      // The big knobs' bodies end a few pixels above their square: their
      // captions move up into it, clear of the captions of the lists below.
      const CCoord lift = p.rect.width() >= 50 ? 4 : 0;
      cap = CRect(cx - 24, p.rect.bottom - lift, cx + 24, p.rect.bottom + 9 - lift);
    } else {
      cap = CRect(p.rect.left - 4, p.rect.top - 10, p.rect.right + 4, p.rect.top - 1);
      // A selector just above (the matrix page tabs over the depth lists)
      // would cover the caption: it takes the rows between the two.
      for (const CONTROL_PLACE& other : MainWindowLayout()) {
        if (other.kind == KIND_SELECTOR && other.rect.rectOverlap(cap) && other.rect.bottom < p.rect.top) {
          cap.top = other.rect.bottom;
          cap.bottom = p.rect.top;
        }
      }
    }
    for (const PANEL_PLACE& panel : MainWindowPanels()) {
      if (panel.light && panel.rect.rectOverlap(cap)) onLight = true;
    }
    Text(c, p.caption.c_str(), cap, onLight ? CColor(64, 64, 64, 255) : CColor(170, 176, 184, 255), 7);
  }
}

// The lower-page selector: a column of segments, arpeggiator at the bottom,
// one image per page side by side (the vertical selector's layout); image k
// shows segment k lit. It is a bitmap of its own so that it draws over the
// opaque page backgrounds.
void AddPageSelector(const char* name) {
  static const char* const PAGES[3] = {"ARP", "MOD", "FX"};
  const int width = 30, height = 122, segment = 40;
  CBitmapResources::add(name, width * 3, height, [=](CDrawContext& c, CCoord, CCoord) {
    c.setDrawMode(kAntialias);
    for (int image = 0; image < 3; ++image) {
      for (int s = 0; s < 3; ++s) {
        // The top segment takes the rows left over by the division.
        CRect seg(width * image, height - segment * (s + 1) - (s == 2 ? height - 3 * segment : 0),
                  width * (image + 1), height - segment * s);
        seg.inset(1, 1);
        const bool lit = s == image;
        RoundedPanel(c, seg, 3, lit ? CColor(0, 120, 190, 255) : CColor(40, 43, 48, 255),
                     lit ? CColor(0, 168, 255, 255) : CColor(90, 95, 102, 255));
        Text(c, PAGES[s], seg, lit ? CColor(255, 255, 255, 255) : CColor(200, 204, 210, 255), 7);
      }
    }
  });
}

void RegisterAll();

}  // namespace

// Under a lock, as editors may be built on several threads; again after the
// registry was cleared.
void RegisterEditorArtwork() {
  static std::mutex lock;
  std::lock_guard<std::mutex> guard(lock);
  if (CBitmapResources::has("GuiBackground.png")) return;
  RegisterAll();
}

namespace {

void RegisterAll() {
  CBitmapResources::add("GuiBackground.png", 977, 695, &PaintBackground);

  // The cutoff knobs' value arc lies under their yellow modulation ring: it
  // takes the blue of the other big knobs so that the ring stands out.
  AddKnobStrip("big_knob_osc-1.png", 51, CColor(0, 168, 255));
  AddKnobStrip("big_knob_osc-2.png", 51, CColor(0, 168, 255));
  AddKnobStrip("big_knob_osc-3.png", 51, CColor(0, 168, 255));
  AddKnobStrip("big_knob_osc-4.png", 51, CColor(0, 168, 255));
  AddKnobStrip("medium_knob_level.png", 38, CColor(0, 168, 255));
  AddKnobStrip("medium_knob_pan.png", 38, CColor(0, 168, 255));
  AddKnobStrip("medium_knob_mono.png", 38, CColor(0, 168, 255));
  AddKnobStrip("big_knob_bus-1.png", 52, CColor(0, 168, 255));
  AddKnobStrip("big_knob_bus-2.png", 52, CColor(0, 168, 255));

  const CColor blue(0, 168, 255), red(255, 70, 60), green(90, 230, 90), amber(255, 190, 0);
  AddTwoStateButton("GuiButtonLCDNew.png", 28, 14, "NEW", nullptr, blue);
  AddTwoStateButton("GuiButtonLCDLoad.png", 28, 14, "LOAD", nullptr, blue);
  AddTwoStateButton("GuiButtonLCDSave.png", 28, 14, "SAVE", nullptr, blue);
  AddTwoStateButton("GuiButtonLCDMenu.png", 28, 14, "MENU", nullptr, blue);
  AddTwoStateButton("GuiPanicButton.png", 56, 14, "PANIC", nullptr, red);
  AddTwoStateButton("GuiRecordButton.png", 56, 14, "RECORD", nullptr, red);
  AddTwoStateButton("GuiLCDBrowse.png", 56, 14, "BROWSE", nullptr, blue);
  AddTwoStateButton("GuiLCDPrev.png", 28, 14, "<", nullptr, blue);
  AddTwoStateButton("GuiLCDNext.png", 28, 14, ">", nullptr, blue);
  AddTwoStateButton("GuiOscNextButton.png", 14, 16, ">", nullptr, blue);
  AddTwoStateButton("GuiOscPrevButton.png", 14, 16, "<", nullptr, blue);
  AddTwoStateButton("GuiEditButton.png", 28, 16, "EDIT", nullptr, blue);
  AddTwoStateButton("GuiOscInvButton.png", 24, 14, "INV", nullptr, amber);
  AddTwoStateButton("GuiOscFreeButton.png", 24, 14, "FREE", nullptr, amber);
  AddTwoStateButton("GuiOscSmpLoopButton.png", 24, 14, "LOOP", nullptr, green);
  AddTwoStateButton("GuiOscSmpGrainButton.png", 24, 14, "GRAIN", nullptr, green);
  AddTwoStateButton("GuiBusRouteButton.png", 24, 14, "F>D", "D>F", amber);
  AddLedButton("GuiOnOffButton.png");
  AddLedButton("GuiOnOffButton2.png");

  AddSelector("GuiOversamplingSelector.png", 116, 16, {"2X", "4X", "8X"});
  AddSelector("GuiModMtxSelector.png", 165, 16, {"1-6", "7-12", "13-18", "19-24"});
  AddPageSelector("GuiViewPageSelector.png");

  // The browser's first: its close button is the one every panel shares.
  RegisterBrowserArtwork();
  RegisterWaveTableArtwork();
  RegisterSampleArtwork();
}

}  // namespace
