#include "editor/ArtworkKit.h"
#include "editor/pages/SampleArtwork.h"


#include <mutex>
#include <string>

#include "editor/pages/BrowserArtwork.h"
#include "editor/pages/WaveTableArtwork.h"
#include "platform/vstgui/vstgui.h"

namespace {

using ArtworkKit::RoundedPanel;
using ArtworkKit::Text;

const CColor ACCENT(0, 168, 255, 255);
const CColor WAVE(255, 156, 68, 255);
const CColor RECORD_RED(255, 70, 60, 255);
const CColor PLAY_GREEN(90, 230, 90, 255);
const CColor LABEL(150, 156, 164, 255);

CColor Dim(const CColor& colour) { return CColor(colour.red / 3, colour.green / 3, colour.blue / 3, 255); }

// A button of two images, released (or off) on top and pressed (or on)
// below, each width x height.
void AddButton(const char* name, int width, int height, const char* label, const char* pressedLabel,
               const CColor& lit, bool onlyIfMissing) {
  if (onlyIfMissing && CBitmapResources::has(name)) return;
  const std::string off = label, on = pressedLabel ? pressedLabel : label;
  CBitmapResources::add(name, width, height * 2, [=](CDrawContext& c, CCoord, CCoord) {
    c.setDrawMode(kAntialias);
    for (int state = 0; state < 2; ++state) {
      CRect r(0, height * state, width, height * (state + 1));
      CRect inner = r;
      inner.inset(0.5, 0.5);
      RoundedPanel(c, inner, 3, state ? Dim(lit) : CColor(42, 45, 50, 255), state ? lit : CColor(90, 95, 102, 255));
      Text(c, state ? on.c_str() : off.c_str(), r, state ? lit : CColor(200, 204, 210, 255), 7);
    }
  });
}

// The shared panel frame: a rounded veil over the main window with a
// title, and a framed well for the waveform.
void PaintPanel(CDrawContext& c, CCoord w, CCoord h, const char* title) {
  c.setDrawMode(kAntialias);
  const CRect panel(90, 80, w - 60, h - 160);
  RoundedPanel(c, panel, 8, CColor(26, 29, 34, 245), ACCENT);
  Text(c, title, CRect(panel.left + 14, panel.top + 6, panel.left + 250, panel.top + 26), ACCENT, 12, kBoldFace,
       kLeftText);
  // The waveform's well, one pixel around the sample view.
  RoundedPanel(c, CRect(104, 141, 893, 478), 4, CColor(14, 16, 19, 255), CColor(70, 75, 82, 255));
  // The bar under the well, wide enough for the recorder's tools button at
  // its right end.
  RoundedPanel(c, CRect(104, 496, 913, 530), 4, CColor(34, 37, 43, 255), CColor(60, 65, 72, 255));
}

void PaintRecorder(CDrawContext& c, CCoord w, CCoord h) {
  PaintPanel(c, w, h, "RECORDER");
  Text(c, "Records the instrument's output; play, trim and save the take, or insert it into an oscillator.",
       CRect(108, 116, 860, 134), LABEL, 8, kNormalFace, kLeftText);
  Text(c, "TOOLS", CRect(832, 505, 876, 519), LABEL, 7, kBoldFace, kRightText);
}

void PaintSampleEditor(CDrawContext& c, CCoord w, CCoord h) {
  PaintPanel(c, w, h, "SAMPLE EDITOR");
  // The name field between the arrows.
  RoundedPanel(c, CRect(356, 98, 459, 112), 2, CColor(8, 20, 28, 255), CColor(0, 90, 140, 255));
  Text(c, "ROOT KEY", CRect(112, 508, 178, 523), LABEL, 7, kBoldFace, kLeftText);
  RoundedPanel(c, CRect(181, 506, 214, 525), 2, CColor(8, 20, 28, 255), CColor(0, 90, 140, 255));
  RoundedPanel(c, CRect(216, 506, 249, 525), 2, CColor(8, 20, 28, 255), CColor(0, 90, 140, 255));
  Text(c, "Drag the markers to set the loop.", CRect(600, 508, 880, 523), LABEL, 7, kNormalFace, kRightText);
}

void RegisterAll() {
  CBitmapResources::add("GuiRecorder.png", 977, 695, &PaintRecorder);
  CBitmapResources::add("GuiSampleEditor.png", 977, 695, &PaintSampleEditor);
  AddButton("GuiRecordStopSwitch.png", 56, 14, "REC", "STOP", RECORD_RED, false);
  AddButton("GuiPlayStopSwitch.png", 56, 14, "PLAY", "STOP", PLAY_GREEN, false);
  RegisterBrowserArtwork();     // the close button the panels share
  RegisterWaveTableArtwork();   // the tools button the recorder shares
  AddButton("GuiLoadButton.png", 28, 14, "LOAD", nullptr, ACCENT, true);
  AddButton("GuiSaveButton.png", 28, 14, "SAVE", nullptr, ACCENT, true);
}

}  // namespace

void RegisterSampleArtwork() {
  static std::mutex lock;
  std::lock_guard<std::mutex> guard(lock);
  if (CBitmapResources::has("GuiRecordStopSwitch.png")) return;
  RegisterAll();
}
