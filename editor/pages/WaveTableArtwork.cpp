#include "editor/ArtworkKit.h"
#include "editor/pages/WaveTableArtwork.h"

#include <cmath>
#include <mutex>
#include <string>
#include <vector>

#include "platform/vstgui/vstgui.h"

namespace {

using ArtworkKit::AddSmallKnobStrip;
using ArtworkKit::Box;
using ArtworkKit::Text;

const CColor PANEL(26, 29, 34, 250);
const CColor EDGE(70, 75, 82, 255);
const CColor ACCENT(0, 168, 255, 255);
const CColor WAVE_ACCENT(255, 156, 68, 255);
const CColor LABEL(150, 156, 164, 255);
const CColor BUTTON_TEXT(205, 208, 214, 255);

const char* const EFFECT_NAMES[8] = {"COMB", "SYNC", "MULTIPLY", "DECIMATE", "VOWEL", "DRIVE", "FOLD", "WIDTH"};

// Released on top, pressed below.
void AddButton(const char* name, int width, int height, const char* label, const CColor& lit, bool shared = false) {
  if (shared && CBitmapResources::has(name)) return;
  std::string text = label;
  CBitmapResources::add(name, width, height * 2, [=](CDrawContext& c, CCoord, CCoord) {
    for (int state = 0; state < 2; ++state) {
      CRect r(0, height * state, width, height * (state + 1));
      r.inset(0.5, 0.5);
      Box(c, r, state ? CColor(lit.red / 3, lit.green / 3, lit.blue / 3, 255) : CColor(45, 48, 54, 255),
          state ? lit : CColor(95, 100, 108, 255));
      Text(c, text.c_str(), r, state ? lit : BUTTON_TEXT, 7);
    }
  });
}

// The tools button: a caption and a small downward triangle.
void AddMenuButton(const char* name, int width, int height, const char* label) {
  std::string text = label;
  CBitmapResources::add(name, width, height * 2, [=](CDrawContext& c, CCoord, CCoord) {
    for (int state = 0; state < 2; ++state) {
      CRect r(0, height * state, width, height * (state + 1));
      r.inset(0.5, 0.5);
      Box(c, r, state ? CColor(0, 56, 85, 255) : CColor(45, 48, 54, 255), state ? ACCENT : CColor(95, 100, 108, 255));
      // Without a label the arrow alone stands in the middle.
      if (!text.empty())
        Text(c, text.c_str(), CRect(r.left, r.top, r.right - 10, r.bottom), state ? ACCENT : BUTTON_TEXT, 7);
      const CCoord cx = text.empty() ? r.left + r.width() / 2 : r.right - 8, cy = r.top + height / 2.0;
      CPoint tri[3] = {CPoint(cx - 3, cy - 2), CPoint(cx + 3, cy - 2), CPoint(cx, cy + 2)};
      c.setFillColor(state ? ACCENT : BUTTON_TEXT);
      c.drawPolygon(tri, 3, kDrawFilled);
    }
  });
}

// One image per value, stacked: the lit segment is the value's.
void AddSelector(const char* name, int width, int height, const std::vector<const char*>& labels) {
  CBitmapResources::add(name, width, height * static_cast<int>(labels.size()), [=](CDrawContext& c, CCoord, CCoord) {
    const int count = static_cast<int>(labels.size());
    for (int image = 0; image < count; ++image) {
      for (int s = 0; s < count; ++s) {
        CRect seg(width * s / count, height * image, width * (s + 1) / count, height * (image + 1));
        seg.inset(1, 1);
        const bool lit = s == image;
        Box(c, seg, lit ? CColor(150, 80, 20, 255) : CColor(40, 43, 48, 255), lit ? WAVE_ACCENT : EDGE);
        Text(c, labels[s], seg, lit ? CColor(255, 255, 255, 255) : CColor(160, 165, 170, 255), 7);
      }
    }
  });
}

void PaintPanel(CDrawContext& c, CCoord, CCoord) {
  c.setDrawMode(kAntialias);
  // The panel over the window, framed in the editor's accent.
  Box(c, CRect(90, 80, 917, 535), PANEL, ACCENT);
  Text(c, "WAVETABLE EDITOR", CRect(104, 86, 330, 106), ACCENT, 12, kBoldFace, kLeftText);

  // Effects: eight knobs in two rows, each with its caption below.
  Box(c, CRect(100, 118, 330, 285), CColor(34, 37, 43, 255), EDGE);
  Text(c, "WAVE EFFECTS", CRect(106, 120, 320, 132), LABEL, 7, kBoldFace, kLeftText);
  for (int k = 0; k < 8; ++k) {
    const CCoord x = 117 + 53 * (k % 4), y = 135 + 60 * (k / 4);
    Text(c, EFFECT_NAMES[k], CRect(x - 12, y + 31, x + 40, y + 42), LABEL, 7);
  }
  // The table's name, in a display.
  Box(c, CRect(340, 96, 475, 114), CColor(12, 14, 17, 255), EDGE);
  // The view: a dark field with a centre line, a frame around both views.
  Box(c, CRect(338, 133, 897, 486), CColor(16, 18, 21, 255), EDGE);
  Text(c, "TOOLS", CRect(580, 498, 624, 512), LABEL, 7, kBoldFace, kRightText);
  Text(c, "VIEW", CRect(740, 498, 778, 512), LABEL, 7, kBoldFace, kRightText);
}

void RegisterAll() {
  CBitmapResources::add("GuiWaveTableEditor.png", 977, 695, &PaintPanel);
  AddSmallKnobStrip("GuiWTEffectKnob.png", 28, WAVE_ACCENT);
  AddButton("GuiPBCloseButton.png", 14, 14, "X", CColor(255, 70, 60, 255), true);
  AddButton("GuiLoadButton.png", 32, 14, "LOAD", ACCENT, true);
  AddButton("GuiSaveButton.png", 32, 14, "SAVE", ACCENT, true);
  AddButton("GuiResetButton.png", 32, 14, "RESET", ACCENT, true);
  AddButton("GuiApplyButton.png", 40, 14, "APPLY", WAVE_ACCENT);
  AddButton("GuiSmoothButton.png", 40, 14, "SMOOTH", WAVE_ACCENT);
  AddButton("GuiSharpButton.png", 36, 14, "SHARP", WAVE_ACCENT);
  AddButton("GuiBalanceButton.png", 44, 14, "BALANCE", WAVE_ACCENT);
  // The tools button of this panel and of the recorder: one bitmap, 28
  // pixels wide, its "TOOLS" caption painted beside it by each panel.
  AddMenuButton("GuiWTToolsMenu.png", 28, 14, "");
  AddSelector("GuiWaveTableViewMode.png", 112, 14, {"WAVE", "SPECTRUM"});
}

}  // namespace

// Under a lock, as editors may be built on several threads; again after the
// registry was cleared.
void RegisterWaveTableArtwork() {
  static std::mutex lock;
  std::lock_guard<std::mutex> guard(lock);
  if (CBitmapResources::has("GuiWTEffectKnob.png")) return;
  RegisterAll();
}
