#include "editor/ArtworkKit.h"
#include "editor/pages/ArpArtwork.h"

#include <cmath>
#include <mutex>
#include <string>

#include "platform/vstgui/vstgui.h"

namespace {

using ArtworkKit::AddSmallKnobStrip;
using ArtworkKit::Box;
using ArtworkKit::Text;

const CColor PANEL(30, 33, 38, 255);
const CColor EDGE(70, 75, 82, 255);
const CColor LABEL(150, 156, 164, 255);
const CColor ACCENT(0, 168, 255, 255);
const CColor GATE_ACCENT(255, 150, 40, 255);

// Released (or off) on top, pressed (or on) below.
void AddButton(const char* name, int width, int height, const char* label, const CColor& lit) {
  std::string text = label;
  CBitmapResources::add(name, width, height * 2, [=](CDrawContext& c, CCoord, CCoord) {
    for (int state = 0; state < 2; ++state) {
      CRect r(0, height * state, width, height * (state + 1));
      r.inset(0.5, 0.5);
      Box(c, r, state ? CColor(lit.red / 3, lit.green / 3, lit.blue / 3, 255) : CColor(45, 48, 54, 255),
          state ? lit : CColor(95, 100, 108, 255));
      Text(c, text.c_str(), r, state ? lit : CColor(205, 208, 214, 255), 7);
    }
  });
}

// An arrow pointing right (or left) on a narrow button.
void AddArrow(const char* name, bool right) {
  CBitmapResources::add(name, 14, 52, [=](CDrawContext& c, CCoord, CCoord) {
    for (int state = 0; state < 2; ++state) {
      CRect r(0, 26 * state, 14, 26 * (state + 1));
      r.inset(0.5, 0.5);
      Box(c, r, state ? CColor(0, 60, 90, 255) : CColor(45, 48, 54, 255), EDGE);
      const CCoord y = r.top + 13;
      const CCoord a = right ? 4 : 10, b = right ? 10 : 4;
      CPoint tri[3] = {CPoint(a, y - 5), CPoint(b, y), CPoint(a, y + 5)};
      c.setFillColor(state ? ACCENT : CColor(200, 204, 210, 255));
      c.drawPolygon(tri, 3, kDrawFilled);
    }
  });
}

void PaintPage(CDrawContext& c, CCoord w, CCoord h) {
  Box(c, CRect(0, 0, w, h), CColor(22, 24, 28, 255), CColor(22, 24, 28, 255));
  // Trance gate on the left, arpeggiator on the right.
  const CRect gate(4, 4, 256, h - 4), arp(260, 4, w - 4, h - 4);
  Box(c, gate, PANEL, EDGE);
  Box(c, arp, PANEL, EDGE);
  Text(c, "TRANCE GATE", CRect(52, 17, 140, 35), GATE_ACCENT, 10, kBoldFace, kLeftText);
  Text(c, "ARPEGGIATOR", CRect(286, 17, 400, 35), ACCENT, 10, kBoldFace, kLeftText);
  // The gate's two rows of steps.
  Box(c, CRect(39, 49, 235, 87), CColor(200, 204, 210, 255), EDGE);
  for (int k = 0; k < 16; ++k) {
    const CCoord x = 41 + 12 * k;
    const CColor cell = (k / 4) % 2 ? CColor(215, 218, 224, 255) : CColor(185, 190, 198, 255);
    Box(c, CRect(x + 1, 52, x + 11, 69), cell, cell);
    Box(c, CRect(x + 1, 67, x + 11, 84), cell, cell);
  }
  // The row names stand right of the rows, above and below the stereo
  // button: the main window's page selector covers the panel's left edge.
  Text(c, "L", CRect(236, 48, 252, 58), LABEL, 8);
  Text(c, "R", CRect(236, 72, 252, 84), LABEL, 8);
  Text(c, "MIX", CRect(35, 128, 75, 140), LABEL, 7);
  Text(c, "STEPS", CRect(82, 97, 122, 109), LABEL, 7);
  Text(c, "RATE", CRect(127, 97, 167, 109), LABEL, 7);
  Text(c, "RATE", CRect(170, 128, 210, 140), LABEL, 7);
  Text(c, "SMOOTH", CRect(207, 128, 251, 140), LABEL, 7);
  Box(c, CRect(84, 109, 120, 123), CColor(12, 13, 15, 255), EDGE);
  Box(c, CRect(128, 109, 166, 123), CColor(12, 13, 15, 255), EDGE);
  // The arpeggiator's step columns, in groups of four.
  for (int k = 0; k < 16; ++k) {
    const CCoord x = 279 + 27 * k + 8 * (k / 4);
    Box(c, CRect(x + 2, 44, x + 32, 124), CColor(38, 42, 48, 255), CColor(52, 56, 63, 255));
    char number[4];
    number[0] = static_cast<char>(k + 1 >= 10 ? '1' : '0' + k + 1);
    number[1] = k + 1 >= 10 ? static_cast<char>('0' + (k + 1) % 10) : 0;
    number[2] = 0;
    Text(c, number, CRect(x + 2, 40, x + 32, 52), LABEL, 6, kNormalFace);
    Box(c, CRect(x + 10, 79, x + 18, 108), CColor(12, 13, 15, 255), CColor(60, 64, 70, 255));
  }
  const char* names[6] = {"STEPS", "RATE", "MODE", "OCTAVES", "SHUFFLE", "GATE"};
  const CCoord lefts[6] = {285, 345, 403, 488, 541, 622};
  const CCoord boxes[6][2] = {{308, 332}, {369, 402}, {427, 484}, {522, 539}, {589, 617}, {651, 678}};
  for (int i = 0; i < 6; ++i) {
    Text(c, names[i], CRect(lefts[i] - 4, 125, boxes[i][0] - 2, 138), LABEL, 7, kBoldFace, kRightText);
    Box(c, CRect(boxes[i][0], 125, boxes[i][1], 138), CColor(12, 13, 15, 255), EDGE);
  }
}

void RegisterAll() {
  AddSmallKnobStrip("GuiArpKnob.png", 28, GATE_ACCENT);
  CBitmapResources::add("GuiViewArp.png", 769, 153, &PaintPage);
  AddButton("GuiGateStereoButton.png", 20, 14, "ST", GATE_ACCENT);
  AddButton("GuiArpLegato.png", 10, 10, "T", ACCENT);
  AddButton("GuiLoadButton.png", 32, 14, "LOAD", ACCENT);
  AddButton("GuiSaveButton.png", 32, 14, "SAVE", ACCENT);
  AddButton("GuiResetButton.png", 32, 14, "RESET", ACCENT);
  AddArrow("GuiArpNext.png", true);
  AddArrow("GuiArpPrev.png", false);
  CBitmapResources::add("GuiArpPageSelector.png", 60, 26, [](CDrawContext& c, CCoord, CCoord) {
    const char* labels[2] = {"1-16", "17-32"};
    for (int image = 0; image < 2; ++image) {
      for (int s = 0; s < 2; ++s) {
        CRect seg(30 * s, 13 * image, 30 * (s + 1), 13 * (image + 1));
        seg.inset(1, 1);
        const bool lit = s == image;
        Box(c, seg, lit ? CColor(0, 120, 190, 255) : CColor(40, 43, 48, 255), EDGE);
        Text(c, labels[s], seg, lit ? CColor(255, 255, 255, 255) : CColor(160, 165, 170, 255), 7);
      }
    }
  });
  // The velocity bar: bright at the top, darker toward the bottom.
  CBitmapResources::add("ArpVelocityFill.png", 8, 29, [](CDrawContext& c, CCoord w, CCoord h) {
    for (int y = 0; y < static_cast<int>(h); ++y) {
      const int shade = 120 + (135 * (static_cast<int>(h) - y)) / static_cast<int>(h);
      Box(c, CRect(1, y, w - 1, y + 1), CColor(0, shade * 168 / 255, shade, 255), CColor(0, shade * 168 / 255, shade, 255));
    }
  });
}

}  // namespace

void RegisterArpArtwork() {
  static std::mutex lock;
  std::lock_guard<std::mutex> guard(lock);
  if (CBitmapResources::has("GuiViewArp.png")) return;
  RegisterAll();
}
