#include "editor/ArtworkKit.h"
#include "editor/pages/BrowserArtwork.h"

#include <cairo.h>

#include <cmath>
#include <mutex>
#include <string>

#include "platform/vstgui/vstgui.h"

namespace {

using ArtworkKit::RoundedPanel;
using ArtworkKit::SetSource;

const double PI = 3.14159265358979;
const CColor ACCENT(0, 168, 255, 255);
const CColor WINDOW(26, 29, 34, 245);
const CColor WELL(62, 66, 73, 255);
const CColor WELL_STRIPE(68, 72, 79, 255);
const CColor EDGE(70, 75, 82, 255);
const CColor LABEL(170, 176, 184, 255);
const CColor BUTTON(42, 45, 50, 255);
const CColor BUTTON_EDGE(90, 95, 102, 255);
const CColor BUTTON_TEXT(200, 204, 210, 255);

void Text(CDrawContext& c, const char* text, const CRect& r, const CColor& colour, CCoord size,
          CHoriTxtAlign align = kCenterText) {
  CFontDesc font("Arial", size, kBoldFace);
  c.setFont(&font);
  c.setFontColor(colour);
  c.drawString(text, r, false, align);
}

// The window over the editor: the main window stays visible around it.
// The wells sit under the folder tree (105, 137)-(323, 480) with its
// scroll bar at 310-323, and under the file list (340, 139)-(892, 484) with
// three columns of 178 pixels and its scroll bar at 879-892.
void PaintWindow(CDrawContext& c, CCoord, CCoord) {
  c.setDrawMode(kAntialias);
  RoundedPanel(c, CRect(90, 80, 917, 542), 8, WINDOW, ACCENT);
  Text(c, "BROWSER", CRect(104, 86, 400, 106), ACCENT, 12, kLeftText);
  Text(c, "FOLDERS", CRect(106, 119, 300, 132), LABEL, 8, kLeftText);
  Text(c, "FILES", CRect(341, 119, 600, 132), LABEL, 8, kLeftText);

  RoundedPanel(c, CRect(100, 133, 328, 485), 3, WELL, EDGE);
  RoundedPanel(c, CRect(335, 135, 897, 489), 3, WELL, EDGE);
  // Faint stripes under the file rows, lines between the columns.
  for (int row = 1; row < 19; row += 2) {
    c.setFillColor(WELL_STRIPE);
    c.drawRect(CRect(337, 139 + 18 * row, 874, 139 + 18 * row + 18), kDrawFilled);
  }
  c.setFrameColor(CColor(48, 52, 58, 255));
  c.setLineWidth(1);
  for (int column = 1; column < 3; ++column) {
    const CCoord x = 340 + 178 * column - 0.5;
    c.drawLine(CPoint(x, 141), CPoint(x, 480));
  }
  // A thin line over the buttons.
  c.setFrameColor(CColor(50, 54, 60, 255));
  c.drawLine(CPoint(104, 496.5), CPoint(903, 496.5));
}

// Two images stacked: released on top, pressed below; decorate draws the
// symbol into each.
template <typename DECORATE>
void AddButton(const char* name, int width, int height, const char* label, DECORATE decorate) {
  const std::string text = label;
  CBitmapResources::add(name, width, height * 2, [=](CDrawContext& c, CCoord, CCoord) {
    c.setDrawMode(kAntialias);
    for (int state = 0; state < 2; ++state) {
      CRect r(0, height * state, width, height * (state + 1));
      r.inset(0.5, 0.5);
      RoundedPanel(c, r, 3, state ? CColor(0, 56, 85, 255) : BUTTON, state ? ACCENT : BUTTON_EDGE);
      const CColor ink = state ? ACCENT : BUTTON_TEXT;
      decorate(c, r, ink);
      if (!text.empty()) Text(c, text.c_str(), r, ink, 8);
    }
  });
}

void Triangle(CDrawContext& c, CCoord x, CCoord y, bool right, const CColor& ink) {
  const CCoord a = right ? x - 3 : x + 3, b = right ? x + 3 : x - 3;
  CPoint points[3] = {CPoint(a, y - 4), CPoint(b, y), CPoint(a, y + 4)};
  c.setFillColor(ink);
  c.drawPolygon(points, 3, kDrawFilled);
}

void RegisterAll() {
  CBitmapResources::add("GuiPresetBrowser.png", 977, 695, &PaintWindow);
  AddButton("GuiPBCloseButton.png", 20, 20, "", [](CDrawContext& c, const CRect& r, const CColor& ink) {
    c.setFrameColor(ink);
    c.setLineWidth(2);
    c.drawLine(CPoint(r.left + 6, r.top + 6), CPoint(r.right - 6, r.bottom - 6));
    c.drawLine(CPoint(r.left + 6, r.bottom - 6), CPoint(r.right - 6, r.top + 6));
    c.setLineWidth(1);
  });
  AddButton("GuiPBPrev.png", 80, 22, "PREV", [](CDrawContext& c, const CRect& r, const CColor& ink) {
    Triangle(c, r.left + 12, r.top + r.height() / 2, false, ink);
  });
  AddButton("GuiPBNext.png", 80, 22, "NEXT", [](CDrawContext& c, const CRect& r, const CColor& ink) {
    Triangle(c, r.right - 12, r.top + r.height() / 2, true, ink);
  });
  // Four pixels taller than its neighbours: it sits two pixels higher.
  AddButton("GuiPBRefresh.png", 80, 26, "", [](CDrawContext& c, const CRect& r, const CColor& ink) {
    cairo_t* cr = c.getCairo();
    cairo_save(cr);
    const CPoint& o = c.getOffset();
    const double cx = o.h + r.left + 14, cy = o.v + r.top + r.height() / 2, radius = 5;
    SetSource(cr, ink);
    cairo_set_line_width(cr, 1.6);
    cairo_arc(cr, cx, cy, radius, 0.35 * PI, 1.95 * PI);
    cairo_stroke(cr);
    // The arrow head at the arc's end.
    const double ex = cx + radius * std::cos(1.95 * PI), ey = cy + radius * std::sin(1.95 * PI);
    cairo_move_to(cr, ex + 3, ey - 1);
    cairo_line_to(cr, ex - 1.5, ey - 3.5);
    cairo_line_to(cr, ex - 0.5, ey + 2);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_restore(cr);
    Text(c, "REFRESH", CRect(r.left + 18, r.top, r.right, r.bottom), ink, 8);
  });
}

}  // namespace

// Under a lock, as editors may be built on several threads; again after the
// registry was cleared.
void RegisterBrowserArtwork() {
  static std::mutex lock;
  std::lock_guard<std::mutex> guard(lock);
  if (CBitmapResources::has("GuiPBNext.png")) return;
  RegisterAll();
}
