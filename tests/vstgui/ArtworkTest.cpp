// Artwork drawn by code: a knob strip registered by frames, a knob-like
// control drawing its frame and an antialiased ring, text in the three
// alignments. Checked by pixels; the image is also written out as a PNG file.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "platform/vstgui/vstgui.h"
#include "support/TempDataDir.h"

namespace {

const int FRAMES = 96;

// A knob body whose pointer turns with the frame index.
void RegisterKnobStrip() {
  CBitmapResources::addStrip("TestKnob.png", 40, 40, FRAMES,
                             [](CDrawContext& c, const CRect& r, int frame, int count) {
                               c.setDrawMode(kAntialias);
                               c.setFillColor(CColor(60, 60, 70, 255));
                               CRect body = r;
                               body.inset(6, 6);
                               c.drawEllipse(body, kDrawFilled);
                               double a = (135.0 + 270.0 * frame / (count - 1)) * M_PI / 180.0;
                               CPoint centre = r.getCenter();
                               c.setFrameColor(kWhiteCColor);
                               c.setLineWidth(2);
                               c.drawLine(centre, CPoint(centre.h + 12 * std::cos(a), centre.v + 12 * std::sin(a)));
                               // Everything outside the frame's rectangle is clipped away.
                               c.setFillColor(kRedCColor);
                               c.drawRect(CRect(r.left - 50, r.top - 50, r.right + 50, r.top), kDrawFilled);
                             });
}

class CStripKnob : public CControl {
 public:
  CStripKnob(const CRect& size, CBitmap* strip) : CControl(size, nullptr, 0, strip) {}
  void draw(CDrawContext* c) override {
    CCoord frameHeight = pBackground->getHeight() / FRAMES;
    int frame = (int)((FRAMES - 1) * value);
    pBackground->draw(c, size, CPoint(0, frame * frameHeight));
    CDrawMode oldMode = c->getDrawMode();
    CCoord oldWidth = c->getLineWidth();
    c->setDrawMode(kAntialias);
    c->setLineWidth(3);
    c->setFrameColor(CColor(255, 228, 0, 255));
    CRect ring = size;
    ring.inset(2, 2);
    double at = 135 + 270 * value;
    c->drawArc(ring, (float)at, (float)(at + 67.5), kDrawStroked);
    c->setDrawMode(oldMode);
    c->setLineWidth(oldWidth);
    setDirty(false);
  }
};

TEST(ArtworkTest, KnobStripRingAndTextRender) {
  RegisterKnobStrip();
  CBitmap* strip = new CBitmap("TestKnob.png");
  ASSERT_TRUE(strip->isLoaded());
  EXPECT_EQ(strip->getWidth(), 40);
  EXPECT_EQ(strip->getHeight(), 40 * FRAMES);

  CFrame frame(CRect(0, 0, 240, 120), nullptr, nullptr);
  frame.setBackgroundColor(CColor(30, 34, 40, 255));
  float values[] = {0.f, 0.5f, 1.f};
  for (int i = 0; i < 3; i++) {
    CStripKnob* knob = new CStripKnob(CRect(20 + 70 * i, 10, 60 + 70 * i, 50), strip);
    knob->setValue(values[i]);
    frame.addView(knob);
  }
  strip->forget();
  const char* texts[] = {"left", "centre", "right"};
  CHoriTxtAlign aligns[] = {kLeftText, kCenterText, kRightText};
  for (int i = 0; i < 3; i++) {
    CTextLabel* label = new CTextLabel(CRect(10, 60 + 18 * i, 230, 76 + 18 * i), texts[i]);
    label->setHoriAlign(aligns[i]);
    label->setFont(kNormalFontSmall);
    label->setBackColor(CColor(50, 56, 66, 255));
    label->setFrameColor(CColor(120, 120, 120, 255));
    frame.addView(label);
  }
  frame.render();

  // No red: the strip's frames were clipped to themselves.
  for (int y = 0; y < 120; y++)
    for (int x = 0; x < 240; x++) ASSERT_NE(frame.getPixel(x, y), kRedCColor) << x << "," << y;
  // The knob body's centre, and the ring: at value 0.5 the ring starts at the
  // top (270 degrees) and runs clockwise to the right.
  EXPECT_EQ(frame.getPixel(110, 40), CColor(60, 60, 70, 255));
  CColor ringTop = frame.getPixel(117, 14);
  EXPECT_GT(ringTop.red, 200);
  EXPECT_GT(ringTop.green, 150);
  CColor leftOfTop = frame.getPixel(103, 14);
  EXPECT_LT(leftOfTop.green, 150);  // the ring does not run anticlockwise
  // Text position by alignment: ink near the left edge only for "left".
  auto inkIn = [&](int x0, int x1, int y0, int y1) {
    int n = 0;
    for (int y = y0; y < y1; y++)
      for (int x = x0; x < x1; x++)
        if (frame.getPixel(x, y).red > 160) n++;
    return n;
  };
  EXPECT_GT(inkIn(11, 40, 61, 75), 5);
  EXPECT_EQ(inkIn(11, 40, 79, 93), 0);
  EXPECT_GT(inkIn(200, 229, 97, 111), 5);
  EXPECT_EQ(inkIn(11, 40, 97, 111), 0);

  // Written into the test's own temporary folder, removed afterwards.
  CTempDataDir dir;
  EXPECT_TRUE(dir.Valid());
  const std::string path = dir.Path() + "/vstgui_artwork.png";
  EXPECT_TRUE(frame.writePNG(path.c_str()));
  char signature[8] = {};
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    EXPECT_EQ(std::fread(signature, 1, 8, file), 8u);
    std::fclose(file);
  }
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
  CBitmapResources::clear();
}

}  // namespace
