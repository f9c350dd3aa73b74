#pragma once
// A font description: family name, size in points and style bits. Shared by
// reference count; the draw context resolves it to a system font.

#include <string>

#include "platform/vstgui/BaseObject.h"

class CFontDesc : public CBaseObject {
 public:
  CFontDesc(const char* name = "Arial", const CCoord& size = 12, long style = kNormalFace)
      : name(name ? name : ""), size(size), style(style) {}
  CFontDesc(const CFontDesc& other) : CBaseObject(), name(other.name), size(other.size), style(other.style) {}

  const char* getName() const { return name.c_str(); }
  void setName(const char* newName) { name = newName ? newName : ""; }
  CCoord getSize() const { return size; }
  void setSize(CCoord newSize) { size = newSize; }
  long getStyle() const { return style; }
  void setStyle(long newStyle) { style = newStyle; }

 private:
  std::string name;
  CCoord size;
  long style;
};

typedef CFontDesc* CFontRef;

// Shared standard fonts; never released by their users.
extern CFontRef kSystemFont;
extern CFontRef kNormalFontVeryBig;
extern CFontRef kNormalFontBig;
extern CFontRef kNormalFont;
extern CFontRef kNormalFontSmall;
extern CFontRef kNormalFontSmaller;
extern CFontRef kNormalFontVerySmall;
extern CFontRef kSymbolFont;
