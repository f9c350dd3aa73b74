#pragma once
// Drawing surface of the framework, backed by cairo: lines, rectangles,
// ellipses, arcs and polygons in a frame and a fill colour, text in a font
// and font colour, bitmaps, clipping and a drawing offset.
//
// Coordinates handed to a context are local: the context adds its offset
// (the position of the container being drawn) to every one of them. Clip
// rectangles are given and returned in the same local coordinates.

#include <vector>

#include "platform/vstgui/BaseObject.h"
#include "platform/vstgui/Font.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

class CBitmap;

class CDrawContext : public CBaseObject {
 public:
  // Draws onto surface (a cairo image surface); takes its own reference.
  explicit CDrawContext(cairo_surface_t* surface);
  ~CDrawContext() override;
  CDrawContext(const CDrawContext&) = delete;
  CDrawContext& operator=(const CDrawContext&) = delete;

  // Lines, in the frame colour with the line width and style.
  void moveTo(const CPoint& point);
  void lineTo(const CPoint& point);
  CPoint getPenPosition() const { return penPosition; }
  void drawLine(const CPoint& from, const CPoint& to);
  // numberOfLines separate lines, from points[2k] to points[2k + 1].
  void drawLines(const CPoint* points, long numberOfLines);

  // Shapes: stroked in the frame colour, filled in the fill colour.
  void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked);
  void fillRect(const CRect& rect) { drawRect(rect, kDrawFilled); }
  void frameRect(const CRect& rect) { drawRect(rect, kDrawStroked); }
  void drawEllipse(const CRect& rect, CDrawStyle style = kDrawStroked);
  void fillEllipse(const CRect& rect) { drawEllipse(rect, kDrawFilled); }
  void frameEllipse(const CRect& rect) { drawEllipse(rect, kDrawStroked); }
  // A closed polygon through the points.
  void drawPolygon(const CPoint* points, long numberOfPoints, CDrawStyle style = kDrawStroked);
  void drawPolygon(const std::vector<CPoint>& points, CDrawStyle style = kDrawStroked) {
    drawPolygon(points.data(), (long)points.size(), style);
  }
  // Part of the ellipse inside rect, between two angles in degrees measured
  // on screen clockwise from east (90 points down). The arc sweeps clockwise
  // from the smaller to the larger angle; a sweep of 360 or more is the whole
  // ellipse. Filled arcs are pie slices.
  void drawArc(const CRect& rect, float startAngle, float endAngle, CDrawStyle style = kDrawStroked);
  // Sets one pixel.
  void drawPoint(const CPoint& point, const CColor& color);
  // The colour of one pixel (transparent outside the surface).
  CColor getPoint(const CPoint& point) const;

  // Text in the current font and font colour. With opaque the rectangle is
  // filled in the fill colour first. The text is centred vertically and
  // clipped to the rectangle.
  void drawString(const char* string, const CRect& rect, bool opaque = false,
                  CHoriTxtAlign hAlign = kCenterText);
  // Text starting at a point of its baseline.
  void drawString(const char* string, const CPoint& baseline);
  CCoord getStringWidth(const char* string);

  // Bitmap part starting at offset (in the bitmap), drawn into dest with
  // the given opacity (0..1) and clipped to dest.
  void drawBitmap(CBitmap* bitmap, const CRect& dest, const CPoint& offset = CPoint(), float alpha = 1.f);

  // State.
  void setLineWidth(CCoord width) { lineWidth = width > 0 ? width : 1; }
  CCoord getLineWidth() const { return lineWidth; }
  void setLineStyle(CLineStyle style) { lineStyle = style; }
  CLineStyle getLineStyle() const { return lineStyle; }
  void setDrawMode(CDrawMode mode) { drawMode = mode; }
  CDrawMode getDrawMode() const { return drawMode; }
  void setFrameColor(const CColor& color) { frameColor = color; }
  CColor getFrameColor() const { return frameColor; }
  void setFillColor(const CColor& color) { fillColor = color; }
  CColor getFillColor() const { return fillColor; }
  void setFontColor(const CColor& color) { fontColor = color; }
  CColor getFontColor() const { return fontColor; }
  // The context keeps a copy of the font description; size and style, when
  // given (size > 0, style >= 0), replace the font's own.
  void setFont(const CFontDesc* font, CCoord size = 0, long style = -1);
  const CFontDesc* getFont() const { return &font; }
  void setGlobalAlpha(float alpha);
  float getGlobalAlpha() const { return globalAlpha; }

  // Clipping, in local coordinates; always within the surface.
  void setClipRect(const CRect& clip);
  CRect& getClipRect(CRect& clip) const;
  void resetClipRect();

  // Offset added to every local coordinate.
  void setOffset(const CPoint& newOffset) { offset = newOffset; }
  const CPoint& getOffset() const { return offset; }

  // Saves and restores colours, font, line settings, draw mode, clip,
  // offset and alpha (nested).
  void saveGlobalState();
  void restoreGlobalState();

  CCoord getSurfaceWidth() const;
  CCoord getSurfaceHeight() const;
  // The cairo context, for drawing that the calls above do not cover; its
  // clip and transform are the context's business between calls.
  cairo_t* getCairo() const { return cr; }
  cairo_surface_t* getSurface() const { return surface; }

  // Writes the surface as a PNG file; false on failure.
  bool writePNG(const char* path) const;

 protected:
  struct State {
    CColor frameColor, fillColor, fontColor;
    CFontDesc font;
    CCoord lineWidth;
    CLineStyle lineStyle;
    CDrawMode drawMode;
    CRect clip;
    CPoint offset;
    float globalAlpha;
  };

  void _begin() const;  // applies clip and antialias to cairo
  void _end() const;
  void _setSource(const CColor& color) const;
  void _stroke() const;
  void _fill() const;
  void _pathRect(const CRect& rect, bool forStroke) const;
  void _selectFont() const;

  cairo_surface_t* surface = nullptr;
  mutable cairo_t* cr = nullptr;
  CPoint penPosition;
  CColor frameColor = kBlackCColor;
  CColor fillColor = kWhiteCColor;
  CColor fontColor = kWhiteCColor;
  CFontDesc font;
  CCoord lineWidth = 1;
  CLineStyle lineStyle = kLineSolid;
  CDrawMode drawMode = kCopyMode;
  CRect clipRect;  // in surface coordinates
  CPoint offset;
  float globalAlpha = 1.f;
  std::vector<State> saved;
};

// A draw context on a surface of its own: an off-screen image that can be
// copied into another context or written to a PNG file.
class COffscreenContext : public CDrawContext {
 public:
  COffscreenContext(long width, long height, const CColor& background = kTransparentCColor);
  // The frame argument is accepted for the framework's usual call form.
  COffscreenContext(class CFrame* frame, long width, long height,
                    const CColor& background = kBlackCColor);

  long getWidth() const { return width; }
  long getHeight() const { return height; }
  // Copies the image, from srcOffset on, into dest of another context.
  void copyFrom(CDrawContext* destination, const CRect& dest, const CPoint& srcOffset = CPoint());

 private:
  long width, height;
};
