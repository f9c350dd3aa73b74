// Text of any bytes reaches the drawing surface: names from files and
// presets need not be UTF-8, and cairo stops drawing altogether once handed
// such a string.
#include <gtest/gtest.h>

#include <string>

#include "platform/vstgui/vstgui.h"

namespace {

// Pixels of rect in the font colour (pure white on black).
int LitPixels(COffscreenContext& c, const CRect& rect) {
  int lit = 0;
  for (CCoord y = rect.top; y < rect.bottom; ++y)
    for (CCoord x = rect.left; x < rect.right; ++x)
      if (c.getPoint(CPoint(x, y)).red > 128) ++lit;
  return lit;
}

void UseWhiteText(COffscreenContext& c) {
  c.setFont(kNormalFont);
  c.setFontColor(kWhiteCColor);
  c.setDrawMode(kAntialias);
}

}  // namespace

TEST(DrawContextText, IllFormedTextDrawsAsReplacementsAndLaterTextStillDraws) {
  const CRect first(0, 0, 200, 20), second(0, 20, 200, 40);
  const struct {
    const char* label;
    std::string bytes;
  } names[] = {
      {"bytes FF FE", "bad\xff\xfe.p"},
      {"cut two-byte character", "a\xc3\xa9\xc3\xa9\xc3"},
      {"lone continuation", "\x80name"},
      {"surrogate", "x\xed\xa0\x80y"},
  };
  for (const auto& n : names) {
    SCOPED_TRACE(n.label);
    COffscreenContext broken(200, 40, kBlackCColor);
    UseWhiteText(broken);
    broken.drawString(n.bytes.c_str(), first, false, kLeftText);
    broken.drawString("Cutoff", second, false, kLeftText);
    EXPECT_GT(broken.getStringWidth(n.bytes.c_str()), 0);
    EXPECT_GT(LitPixels(broken, first), 0) << "the name itself is drawn";

    COffscreenContext plain(200, 40, kBlackCColor);
    UseWhiteText(plain);
    plain.drawString("Cutoff", second, false, kLeftText);
    EXPECT_EQ(LitPixels(broken, second), LitPixels(plain, second)) << "the next text is drawn as always";
    EXPECT_GT(LitPixels(plain, second), 0);
  }

  // The replacement character is what is drawn.
  COffscreenContext a(200, 20, kBlackCColor), b(200, 20, kBlackCColor);
  UseWhiteText(a);
  UseWhiteText(b);
  a.drawString("bad\xff.p", first, false, kLeftText);
  b.drawString("bad\xef\xbf\xbd.p", first, false, kLeftText);
  EXPECT_EQ(a.getStringWidth("bad\xff.p"), b.getStringWidth("bad\xef\xbf\xbd.p"));
  bool same = true;
  for (CCoord y = 0; y < 20 && same; ++y)
    for (CCoord x = 0; x < 200 && same; ++x) same = a.getPoint(CPoint(x, y)) == b.getPoint(CPoint(x, y));
  EXPECT_TRUE(same);
}
