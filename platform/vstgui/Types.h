#pragma once
// Value types and constants of the editor's view framework: coordinates,
// points, rectangles, colours, mouse buttons and event results. Written for
// this project; the names follow the vocabulary the editor code uses.

#include <cstdint>

typedef double CCoord;

// A point; h/x is the horizontal and v/y the vertical coordinate (y grows
// downwards).
struct CPoint {
  union {
    CCoord h;
    CCoord x;
  };
  union {
    CCoord v;
    CCoord y;
  };

  constexpr CPoint() : h(0), v(0) {}
  constexpr CPoint(CCoord h, CCoord v) : h(h), v(v) {}

  CPoint& offset(CCoord dh, CCoord dv) {
    h += dh;
    v += dv;
    return *this;
  }
  bool operator==(const CPoint& o) const { return h == o.h && v == o.v; }
  bool operator!=(const CPoint& o) const { return !(*this == o); }
  CPoint operator+(const CPoint& o) const { return CPoint(h + o.h, v + o.v); }
  CPoint operator-(const CPoint& o) const { return CPoint(h - o.h, v - o.v); }
};

// A rectangle given by its left, top, right and bottom edges; right and
// bottom lie just outside (a rectangle 0, 0, 10, 10 is 10 pixels wide).
struct CRect {
  CCoord left = 0, top = 0, right = 0, bottom = 0;

  constexpr CRect() {}
  constexpr CRect(CCoord left, CCoord top, CCoord right, CCoord bottom)
      : left(left), top(top), right(right), bottom(bottom) {}
  // From a top-left corner and a size (width in h, height in v).
  CRect(const CPoint& origin, const CPoint& size)
      : left(origin.h), top(origin.v), right(origin.h + size.h), bottom(origin.v + size.v) {}

  CCoord width() const { return right - left; }
  CCoord height() const { return bottom - top; }
  CCoord getWidth() const { return right - left; }
  CCoord getHeight() const { return bottom - top; }
  void setWidth(CCoord w) { right = left + w; }
  void setHeight(CCoord h) { bottom = top + h; }
  CPoint getTopLeft() const { return CPoint(left, top); }
  CPoint getBottomRight() const { return CPoint(right, bottom); }
  CPoint getCenter() const { return CPoint(left + width() / 2, top + height() / 2); }
  CPoint getSize() const { return CPoint(width(), height()); }

  CRect& offset(CCoord dh, CCoord dv) {
    left += dh;
    right += dh;
    top += dv;
    bottom += dv;
    return *this;
  }
  // Moves the top-left corner to (x, y), keeping the size.
  CRect& moveTo(CCoord x, CCoord y) { return offset(x - left, y - top); }
  CRect& moveTo(const CPoint& p) { return moveTo(p.h, p.v); }
  // Shrinks by dx on the left and right and by dy on the top and bottom.
  CRect& inset(CCoord dx, CCoord dy) {
    left += dx;
    right -= dx;
    top += dy;
    bottom -= dy;
    return *this;
  }
  // Left and right, top and bottom swapped where needed.
  CRect& normalize() {
    if (left > right) {
      CCoord t = left;
      left = right;
      right = t;
    }
    if (top > bottom) {
      CCoord t = top;
      top = bottom;
      bottom = t;
    }
    return *this;
  }
  bool isEmpty() const { return right <= left || bottom <= top; }
  bool pointInside(const CPoint& p) const {
    return p.h >= left && p.h < right && p.v >= top && p.v < bottom;
  }
  bool rectOverlap(const CRect& r) const {
    return r.left < right && r.right > left && r.top < bottom && r.bottom > top;
  }
  // Intersection with r (an empty rectangle when they do not overlap).
  CRect& bound(const CRect& r) {
    if (left < r.left) left = r.left;
    if (top < r.top) top = r.top;
    if (right > r.right) right = r.right;
    if (bottom > r.bottom) bottom = r.bottom;
    if (right < left) right = left;
    if (bottom < top) bottom = top;
    return *this;
  }
  // Smallest rectangle holding both (an empty rectangle is ignored).
  CRect& unite(const CRect& r) {
    if (r.isEmpty()) return *this;
    if (isEmpty()) return *this = r;
    if (r.left < left) left = r.left;
    if (r.top < top) top = r.top;
    if (r.right > right) right = r.right;
    if (r.bottom > bottom) bottom = r.bottom;
    return *this;
  }
  bool operator==(const CRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const CRect& o) const { return !(*this == o); }
};

// A colour, 0-255 per channel; alpha 255 is opaque.
struct CColor {
  unsigned char red = 0, green = 0, blue = 0, alpha = 255;

  constexpr CColor() {}
  constexpr CColor(int r, int g, int b, int a = 255)
      : red((unsigned char)r), green((unsigned char)g), blue((unsigned char)b), alpha((unsigned char)a) {}
  bool operator==(const CColor& o) const {
    return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
  }
  bool operator!=(const CColor& o) const { return !(*this == o); }
};

inline CColor MakeCColor(int r, int g, int b, int a = 255) { return CColor(r, g, b, a); }

extern const CColor kTransparentCColor;
extern const CColor kBlackCColor;
extern const CColor kWhiteCColor;
extern const CColor kGreyCColor;
extern const CColor kRedCColor;
extern const CColor kGreenCColor;
extern const CColor kBlueCColor;
extern const CColor kYellowCColor;

// Mouse buttons and modifier keys, as bits of the button word handed to
// the mouse handlers.
enum CButton {
  kLButton = 1 << 1,       // 2
  kMButton = 1 << 2,       // 4
  kRButton = 1 << 3,       // 8
  kShift = 1 << 4,         // 16
  kControl = 1 << 5,       // 32 (the command key on a Mac keyboard)
  kAlt = 1 << 6,           // 64
  kApple = 1 << 7,         // 128 (the control key on a Mac keyboard)
  kDoubleClick = 1 << 10,  // 1024
};

// What a mouse handler reports.
enum CMouseEventResult {
  kMouseEventNotImplemented = 0,
  kMouseEventHandled = 1,
  kMouseEventNotHandled = 2,
  // A mouse-down that was handled and wants no move or up events.
  kMouseDownEventHandledButDontNeedMovedOrUpEvents = 3,
};

// Result of CBaseObject::notify.
enum CMessageResult {
  kMessageUnknown = 0,
  kMessageNotified = 1,
};

// Horizontal text alignment.
enum CHoriTxtAlign {
  kLeftText = 0,
  kCenterText,
  kRightText,
};

// How shapes are drawn.
enum CDrawStyle {
  kDrawStroked = 0,
  kDrawFilled,
  kDrawFilledAndStroked,
};

// Drawing modes; kAntialias smooths the edges of lines and shapes.
enum CDrawMode {
  kCopyMode = 0,
  kOrMode = 1,
  kXorMode = 2,
  kAntialias = 3,
};

enum CLineStyle {
  kLineSolid = 0,
  kLineOnOffDash,
};

// Font styles (bits).
enum CTxtFace {
  kNormalFace = 0,
  kBoldFace = 1 << 1,
  kItalicFace = 1 << 2,
  kUnderlineFace = 1 << 3,
};

// Style bits of text displays (CParamDisplay and its descendants).
enum CParamDisplayStyle {
  k3DIn = 1 << 0,
  k3DOut = 1 << 1,
  kShadowText = 1 << 2,
  kNoTextStyle = 1 << 11,  // the value is not drawn as text
  kNoDrawStyle = 1 << 12,  // nothing is drawn
  kNoFrame = 1 << 14,      // 16384: no frame around the display
};

// Virtual key codes of VstKeyCode::virt that the controls use.
enum CVirtualKey {
  VKEY_BACK = 1,
  VKEY_TAB = 2,
  VKEY_RETURN = 4,
  VKEY_ESCAPE = 9,
  VKEY_SPACE = 10,
  VKEY_LEFT = 11,
  VKEY_UP = 12,
  VKEY_RIGHT = 13,
  VKEY_DOWN = 14,
  VKEY_DELETE = 22,
};

// Modifier bits of VstKeyCode::modifier.
enum CKeyModifier {
  MODIFIER_SHIFT = 1 << 0,
  MODIFIER_ALTERNATE = 1 << 1,
  MODIFIER_COMMAND = 1 << 2,  // the command key (control on other systems)
  MODIFIER_CONTROL = 1 << 3,  // the control key of a Mac keyboard
};
