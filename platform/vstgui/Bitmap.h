#pragma once
// Bitmaps by resource name. The program's artwork is drawn by code: a
// painter registered under a name (for example "GuiBackground.png") draws
// the image with a CDrawContext the first time a bitmap of that name is
// loaded; the image is then shared by every bitmap of the name. A name
// without a painter is looked up as a PNG file in the search folder, when
// one is set. A bitmap whose name is found nowhere is not loaded: it is
// 0 x 0 pixels and draws nothing. A named bitmap is drawn (or read) when it
// is first drawn or its image is asked for, not when it is made, and its
// size comes from the painter's registration: an editor that lays out its
// panels but is never shown draws no artwork and opens no fonts.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "platform/vstgui/BaseObject.h"

typedef struct _cairo_surface cairo_surface_t;
class CDrawContext;

// The registry of named artwork.
class CBitmapResources {
 public:
  // Draws the whole image; the context covers width x height pixels and
  // starts fully transparent.
  typedef std::function<void(CDrawContext& context, CCoord width, CCoord height)> Painter;

  // Registers (or replaces) the painter of a name. Images already drawn
  // under that name are dropped, so the next load draws them anew.
  static void add(const char* name, int width, int height, Painter painter);
  // Draws one frame of a strip into frameRect (image coordinates); frames
  // are numbered 0..frameCount-1 from the top.
  typedef std::function<void(CDrawContext& context, const CRect& frameRect, int frame, int frameCount)>
      FramePainter;
  // Registers a strip of frames stacked vertically (for example a knob of
  // 96 positions): the image is frameWidth wide and frameHeight x
  // frameCount high. Each frame is drawn clipped to its own rectangle.
  static void addStrip(const char* name, int frameWidth, int frameHeight, int frameCount,
                       FramePainter painter);
  static bool has(const char* name);
  // The size a painter was registered with, without drawing; false for a
  // name without a painter.
  static bool size(const char* name, int& width, int& height);
  static void remove(const char* name);
  // Forgets every painter and every image drawn.
  static void clear();
  // Folder searched for "<name>" as a PNG file when no painter has the name;
  // empty (the default) for none.
  static void setSearchFolder(const char* folder);

  // The image of a name with a new cairo reference for the caller, or null.
  static cairo_surface_t* load(const char* name);
};

class CBitmap : public CBaseObject {
 public:
  // Loads a named resource (see CBitmapResources).
  explicit CBitmap(const char* resourceName);
  // A blank, fully transparent image to draw into.
  CBitmap(CCoord width, CCoord height);
  ~CBitmap() override;
  CBitmap(const CBitmap&) = delete;
  CBitmap& operator=(const CBitmap&) = delete;

  bool isLoaded() const { return image() != nullptr; }
  CCoord getWidth() const;
  CCoord getHeight() const;
  const char* getResourceName() const { return name.c_str(); }

  // Draws the part of the image from offset on into rect (of a size of
  // rect), clipped to rect.
  virtual void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
  // The same; the image's own alpha makes it transparent where it is.
  virtual void drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
  // The same with an overall opacity, 0-255.
  virtual void drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint(),
                              unsigned char alpha = 128);

  void setNoAlpha(bool state) { noAlpha = state; }
  bool getNoAlpha() const { return noAlpha; }

  // The image, for drawing into it with CDrawContext(getSurface()). A named
  // bitmap shares its image with every bitmap of that name: draw only into
  // bitmaps made with a size.
  cairo_surface_t* getSurface() const { return image(); }

 private:
  // The image, loaded by name at the first call.
  cairo_surface_t* image() const;

  std::string name;
  mutable cairo_surface_t* surface = nullptr;
  mutable std::once_flag loaded;
  mutable std::atomic<bool> drawn{false};
  bool named = false;
  bool noAlpha = false;
};
