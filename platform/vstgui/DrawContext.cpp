// Cairo-backed drawing for the view framework.

#include "platform/vstgui/DrawContext.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/Utf8.h"
#include "platform/vstgui/Bitmap.h"

const CColor kTransparentCColor(255, 255, 255, 0);
const CColor kBlackCColor(0, 0, 0, 255);
const CColor kWhiteCColor(255, 255, 255, 255);
const CColor kGreyCColor(127, 127, 127, 255);
const CColor kRedCColor(255, 0, 0, 255);
const CColor kGreenCColor(0, 255, 0, 255);
const CColor kBlueCColor(0, 0, 255, 255);
const CColor kYellowCColor(255, 255, 0, 255);

static CFontDesc gSystemFont("Arial", 12, kNormalFace);
static CFontDesc gNormalFontVeryBig("Arial", 18, kNormalFace);
static CFontDesc gNormalFontBig("Arial", 14, kNormalFace);
static CFontDesc gNormalFont("Arial", 12, kNormalFace);
static CFontDesc gNormalFontSmall("Arial", 11, kNormalFace);
static CFontDesc gNormalFontSmaller("Arial", 10, kNormalFace);
static CFontDesc gNormalFontVerySmall("Arial", 9, kNormalFace);
static CFontDesc gSymbolFont("Symbol", 12, kNormalFace);

CFontRef kSystemFont = &gSystemFont;
CFontRef kNormalFontVeryBig = &gNormalFontVeryBig;
CFontRef kNormalFontBig = &gNormalFontBig;
CFontRef kNormalFont = &gNormalFont;
CFontRef kNormalFontSmall = &gNormalFontSmall;
CFontRef kNormalFontSmaller = &gNormalFontSmaller;
CFontRef kNormalFontVerySmall = &gNormalFontVerySmall;
CFontRef kSymbolFont = &gSymbolFont;

CDrawContext::CDrawContext(cairo_surface_t* surf) : font(*kNormalFont) {
  surface = surf ? cairo_surface_reference(surf) : cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cr = cairo_create(surface);
  resetClipRect();
}

CDrawContext::~CDrawContext() {
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

CCoord CDrawContext::getSurfaceWidth() const { return cairo_image_surface_get_width(surface); }
CCoord CDrawContext::getSurfaceHeight() const { return cairo_image_surface_get_height(surface); }

// ---------------------------------------------------------------------------
// State

void CDrawContext::setFont(const CFontDesc* newFont, CCoord size, long style) {
  if (newFont) {
    font.setName(newFont->getName());
    font.setSize(newFont->getSize());
    font.setStyle(newFont->getStyle());
  }
  if (size > 0) font.setSize(size);
  if (style >= 0) font.setStyle(style);
}

void CDrawContext::setGlobalAlpha(float alpha) {
  if (!(alpha >= 0.f)) alpha = 0.f;
  if (alpha > 1.f) alpha = 1.f;
  globalAlpha = alpha;
}

void CDrawContext::setClipRect(const CRect& clip) {
  CRect r = clip;
  r.normalize();
  r.offset(offset.h, offset.v);
  r.bound(CRect(0, 0, getSurfaceWidth(), getSurfaceHeight()));
  clipRect = r;
}

CRect& CDrawContext::getClipRect(CRect& clip) const {
  clip = clipRect;
  clip.offset(-offset.h, -offset.v);
  return clip;
}

void CDrawContext::resetClipRect() { clipRect = CRect(0, 0, getSurfaceWidth(), getSurfaceHeight()); }

void CDrawContext::saveGlobalState() {
  saved.push_back(State{frameColor, fillColor, fontColor, font, lineWidth, lineStyle, drawMode, clipRect,
                        offset, globalAlpha});
}

void CDrawContext::restoreGlobalState() {
  if (saved.empty()) return;
  const State& s = saved.back();
  frameColor = s.frameColor;
  fillColor = s.fillColor;
  fontColor = s.fontColor;
  font.setName(s.font.getName());
  font.setSize(s.font.getSize());
  font.setStyle(s.font.getStyle());
  lineWidth = s.lineWidth;
  lineStyle = s.lineStyle;
  drawMode = s.drawMode;
  clipRect = s.clip;
  offset = s.offset;
  globalAlpha = s.globalAlpha;
  saved.pop_back();
}

// ---------------------------------------------------------------------------
// Cairo helpers

void CDrawContext::_begin() const {
  cairo_save(cr);
  cairo_new_path(cr);
  cairo_rectangle(cr, clipRect.left, clipRect.top, clipRect.width(), clipRect.height());
  cairo_clip(cr);
  cairo_translate(cr, offset.h, offset.v);
  cairo_set_antialias(cr, drawMode == kAntialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
  cairo_set_operator(cr, drawMode == kXorMode ? CAIRO_OPERATOR_DIFFERENCE : CAIRO_OPERATOR_OVER);
}

void CDrawContext::_end() const {
  cairo_restore(cr);
  // A cairo context that met an error stays in it and draws nothing more.
  // Should one ever occur, the context is replaced so that one bad call
  // cannot blank everything drawn after it.
  if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
    cairo_destroy(cr);
    cr = cairo_create(surface);
  }
}

void CDrawContext::_setSource(const CColor& c) const {
  cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0 * globalAlpha);
}

void CDrawContext::_stroke() const {
  _setSource(frameColor);
  cairo_set_line_width(cr, lineWidth);
  if (lineStyle == kLineOnOffDash) {
    double dash[2] = {lineWidth * 2, lineWidth * 2};
    cairo_set_dash(cr, dash, 2, 0);
  } else {
    cairo_set_dash(cr, nullptr, 0, 0);
  }
  cairo_stroke(cr);
}

void CDrawContext::_fill() const {
  _setSource(fillColor);
  cairo_fill(cr);
}

// Pixel edges lie on whole coordinates: a stroke of odd width runs through
// pixel centres, so it is moved by half a pixel to stay sharp.
static double StrokeShift(CCoord lineWidth) {
  long w = (long)std::lround(lineWidth);
  return (w % 2) ? 0.5 : 0.0;
}

void CDrawContext::_pathRect(const CRect& rect, bool forStroke) const {
  CRect r = rect;
  r.normalize();
  if (forStroke) {
    // The frame lies inside the rectangle: right and bottom are excluded.
    double s = StrokeShift(lineWidth);
    cairo_rectangle(cr, r.left + s, r.top + s, r.width() - 1, r.height() - 1);
  } else {
    cairo_rectangle(cr, r.left, r.top, r.width(), r.height());
  }
}

// ---------------------------------------------------------------------------
// Lines and shapes

void CDrawContext::moveTo(const CPoint& point) { penPosition = point; }

void CDrawContext::lineTo(const CPoint& point) {
  drawLine(penPosition, point);
  penPosition = point;
}

void CDrawContext::drawLine(const CPoint& from, const CPoint& to) {
  _begin();
  double s = StrokeShift(lineWidth);
  cairo_move_to(cr, from.h + s, from.v + s);
  cairo_line_to(cr, to.h + s, to.v + s);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
  _stroke();
  _end();
}

void CDrawContext::drawLines(const CPoint* points, long numberOfLines) {
  if (!points) return;
  for (long i = 0; i < numberOfLines; i++) drawLine(points[2 * i], points[2 * i + 1]);
}

void CDrawContext::drawRect(const CRect& rect, CDrawStyle style) {
  _begin();
  if (style == kDrawFilled || style == kDrawFilledAndStroked) {
    _pathRect(rect, false);
    _fill();
  }
  if (style == kDrawStroked || style == kDrawFilledAndStroked) {
    _pathRect(rect, true);
    _stroke();
  }
  _end();
}

static void EllipsePath(cairo_t* cr, const CRect& rect, double angle1, double angle2, bool pie) {
  CRect r = rect;
  r.normalize();
  double w = r.width(), h = r.height();
  if (w <= 0 || h <= 0) return;
  cairo_save(cr);
  cairo_translate(cr, r.left + w / 2, r.top + h / 2);
  cairo_scale(cr, w / 2, h / 2);
  if (pie) cairo_move_to(cr, 0, 0);
  cairo_arc(cr, 0, 0, 1, angle1, angle2);
  if (pie) cairo_close_path(cr);
  cairo_restore(cr);
}

void CDrawContext::drawEllipse(const CRect& rect, CDrawStyle style) {
  _begin();
  if (style == kDrawFilled || style == kDrawFilledAndStroked) {
    EllipsePath(cr, rect, 0, 2 * M_PI, false);
    cairo_close_path(cr);
    _fill();
  }
  if (style == kDrawStroked || style == kDrawFilledAndStroked) {
    CRect r = rect;
    r.normalize();
    r.inset(lineWidth / 2, lineWidth / 2);
    EllipsePath(cr, r, 0, 2 * M_PI, false);
    cairo_close_path(cr);
    _stroke();
  }
  _end();
}

void CDrawContext::drawArc(const CRect& rect, float startAngle, float endAngle, CDrawStyle style) {
  if (!std::isfinite(startAngle) || !std::isfinite(endAngle)) return;
  double a1 = startAngle, a2 = endAngle;
  if (a2 < a1) std::swap(a1, a2);
  if (a2 - a1 >= 360.0) a2 = a1 + 360.0;
  double r1 = a1 * M_PI / 180.0, r2 = a2 * M_PI / 180.0;
  _begin();
  if (style == kDrawFilled || style == kDrawFilledAndStroked) {
    EllipsePath(cr, rect, r1, r2, true);
    _fill();
  }
  if (style == kDrawStroked || style == kDrawFilledAndStroked) {
    EllipsePath(cr, rect, r1, r2, false);
    _stroke();
  }
  _end();
}

void CDrawContext::drawPolygon(const CPoint* points, long numberOfPoints, CDrawStyle style) {
  if (!points || numberOfPoints < 2) return;
  _begin();
  double s = StrokeShift(lineWidth);
  for (int pass = 0; pass < 2; pass++) {
    bool fill = pass == 0;
    if (fill && !(style == kDrawFilled || style == kDrawFilledAndStroked)) continue;
    if (!fill && !(style == kDrawStroked || style == kDrawFilledAndStroked)) continue;
    double d = fill ? 0 : s;
    cairo_move_to(cr, points[0].h + d, points[0].v + d);
    for (long i = 1; i < numberOfPoints; i++) cairo_line_to(cr, points[i].h + d, points[i].v + d);
    cairo_close_path(cr);
    if (fill)
      _fill();
    else
      _stroke();
  }
  _end();
}

void CDrawContext::drawPoint(const CPoint& point, const CColor& color) {
  _begin();
  cairo_rectangle(cr, std::floor(point.h), std::floor(point.v), 1, 1);
  _setSource(color);
  cairo_fill(cr);
  _end();
}

CColor CDrawContext::getPoint(const CPoint& point) const {
  cairo_surface_flush(surface);
  long x = (long)std::floor(point.h + offset.h), y = (long)std::floor(point.v + offset.v);
  long w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
  if (x < 0 || y < 0 || x >= w || y >= h) return CColor(0, 0, 0, 0);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  if (!data) return CColor(0, 0, 0, 0);
  uint32_t px;
  std::memcpy(&px, data + y * cairo_image_surface_get_stride(surface) + x * 4, 4);
  unsigned a = px >> 24, r = (px >> 16) & 255, g = (px >> 8) & 255, b = px & 255;
  if (a == 0) return CColor(0, 0, 0, 0);
  // Cairo keeps premultiplied colour.
  return CColor((r * 255 + a / 2) / a, (g * 255 + a / 2) / a, (b * 255 + a / 2) / a, a);
}

// ---------------------------------------------------------------------------
// Text

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MORLAVINE_LEAK_CHECKED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define MORLAVINE_LEAK_CHECKED 1
#endif

#ifdef MORLAVINE_LEAK_CHECKED
// The font system keeps caches for the whole process. Under the leak
// checker they are handed back at exit so that it sees a clean end; a
// normal build leaves them to the process (other code in a host process
// may still use them).
static void ReleaseFontCaches() {
  cairo_debug_reset_static_data();
  FcFini();
}
#endif

void CDrawContext::_selectFont() const {
#ifdef MORLAVINE_LEAK_CHECKED
  static bool releaseAtExit = (std::atexit(ReleaseFontCaches), true);
  (void)releaseAtExit;
#endif
  cairo_select_font_face(cr, font.getName(),
                         (font.getStyle() & kItalicFace) ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                         (font.getStyle() & kBoldFace) ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, font.getSize() > 0 ? font.getSize() : 12);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
}

namespace {

// Text as cairo may be given it. Names come from files, presets and folder
// listings as bytes, which need not be UTF-8; cairo refuses such a string by
// putting the context into an error state for good. Every text reaches cairo
// through here, with each ill-formed sequence shown as U+FFFD; the caller's
// bytes (used to open files) stay as they are.
class CDrawableText {
 public:
  explicit CDrawableText(const char* text) : m_text(text) {
    const size_t n = std::strlen(text);
    if (!Platform::IsValidUtf8(text, n)) {
      m_repaired = Platform::ToValidUtf8(text, n);
      m_text = m_repaired.c_str();
    }
  }
  const char* c_str() const { return m_text; }

 private:
  const char* m_text;
  std::string m_repaired;
};

}  // namespace

CCoord CDrawContext::getStringWidth(const char* string) {
  if (!string || !*string) return 0;
  const CDrawableText text(string);
  cairo_save(cr);
  _selectFont();
  cairo_text_extents_t ext;
  cairo_text_extents(cr, text.c_str(), &ext);
  cairo_restore(cr);
  return ext.x_advance;
}

void CDrawContext::drawString(const char* string, const CRect& rect, bool opaque, CHoriTxtAlign hAlign) {
  CRect r = rect;
  r.normalize();
  if (opaque) drawRect(r, kDrawFilled);
  if (!string || !*string) return;
  const CDrawableText text(string);
  _begin();
  cairo_rectangle(cr, r.left, r.top, r.width(), r.height());
  cairo_clip(cr);
  _selectFont();
  cairo_text_extents_t ext;
  cairo_text_extents(cr, text.c_str(), &ext);
  cairo_font_extents_t fext;
  cairo_font_extents(cr, &fext);
  double x = r.left;
  if (hAlign == kCenterText)
    x = r.left + (r.width() - ext.x_advance) / 2;
  else if (hAlign == kRightText)
    x = r.right - ext.x_advance;
  double y = r.top + (r.height() + fext.ascent - fext.descent) / 2;
  cairo_move_to(cr, std::round(x), std::round(y));
  _setSource(fontColor);
  cairo_show_text(cr, text.c_str());
  if (font.getStyle() & kUnderlineFace) {
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, std::round(x), std::round(y) + 1.5);
    cairo_rel_line_to(cr, ext.x_advance, 0);
    cairo_stroke(cr);
  }
  _end();
}

void CDrawContext::drawString(const char* string, const CPoint& baseline) {
  if (!string || !*string) return;
  const CDrawableText text(string);
  _begin();
  _selectFont();
  cairo_move_to(cr, baseline.h, baseline.v);
  _setSource(fontColor);
  cairo_show_text(cr, text.c_str());
  _end();
}

// ---------------------------------------------------------------------------
// Bitmaps

void CDrawContext::drawBitmap(CBitmap* bitmap, const CRect& dest, const CPoint& srcOffset, float alpha) {
  if (!bitmap || !bitmap->getSurface()) return;
  CRect r = dest;
  r.normalize();
  if (r.isEmpty()) return;
  if (!(alpha > 0.f)) return;
  if (alpha > 1.f) alpha = 1.f;
  _begin();
  cairo_rectangle(cr, r.left, r.top, r.width(), r.height());
  cairo_clip(cr);
  cairo_set_source_surface(cr, bitmap->getSurface(), r.left - srcOffset.h, r.top - srcOffset.v);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  if (bitmap->getNoAlpha()) cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint_with_alpha(cr, alpha * globalAlpha);
  _end();
}

bool CDrawContext::writePNG(const char* path) const {
  if (!path) return false;
  cairo_surface_flush(surface);
  return cairo_surface_write_to_png(surface, path) == CAIRO_STATUS_SUCCESS;
}

// ---------------------------------------------------------------------------
// Off-screen context

static cairo_surface_t* NewImage(long width, long height) {
  if (width < 1) width = 1;
  if (height < 1) height = 1;
  if (width > 16384) width = 16384;
  if (height > 16384) height = 16384;
  return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, (int)width, (int)height);
}

static void ClearTo(cairo_surface_t* s, const CColor& c) {
  cairo_t* cr = cairo_create(s);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
  cairo_paint(cr);
  cairo_destroy(cr);
}

COffscreenContext::COffscreenContext(long w, long h, const CColor& background)
    : CDrawContext(nullptr), width(w < 1 ? 1 : w), height(h < 1 ? 1 : h) {
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  surface = NewImage(width, height);
  cr = cairo_create(surface);
  ClearTo(surface, background);
  resetClipRect();
}

COffscreenContext::COffscreenContext(CFrame* frame, long w, long h, const CColor& background)
    : COffscreenContext(w, h, background) {}

void COffscreenContext::copyFrom(CDrawContext* destination, const CRect& dest, const CPoint& srcOffset) {
  if (!destination || destination == this) return;
  cairo_surface_flush(surface);
  cairo_t* dcr = destination->getCairo();
  CRect r = dest;
  r.normalize();
  r.offset(destination->getOffset().h, destination->getOffset().v);
  CRect clip;
  destination->getClipRect(clip);
  clip.offset(destination->getOffset().h, destination->getOffset().v);
  r.bound(clip);
  if (r.isEmpty()) return;
  CRect full = dest;
  full.normalize();
  full.offset(destination->getOffset().h, destination->getOffset().v);
  cairo_save(dcr);
  cairo_rectangle(dcr, r.left, r.top, r.width(), r.height());
  cairo_clip(dcr);
  cairo_set_source_surface(dcr, surface, full.left - srcOffset.h, full.top - srcOffset.v);
  cairo_paint_with_alpha(dcr, destination->getGlobalAlpha());
  cairo_restore(dcr);
}
