#include "editor/EditorLayout.h"

#include "editor/EditorTags.h"
#include "editor/StringLists.h"

namespace {

// Top-left corners of the four oscillator sections (oscillator 1 top left,
// 2 bottom left, 3 top right, 4 bottom right) and of the two buses.
const CCoord OSC_X[4] = {5, 5, 555, 555};
const CCoord OSC_Y[4] = {28, 212, 28, 212};
const CCoord BUS_X[2] = {5, 555};
const CCoord BUS_Y = 366;
const CCoord SECTION_WIDTH = 417;
const CCoord OSC_HEIGHT = 150;
const CCoord BUS_HEIGHT = 166;

enum { OSC_COLOUR = 0, BUS_COLOUR = 1, MASTER_COLOUR = 2, DEPTH_COLOUR = 3 };

class CLayoutBuilder {
 public:
  std::vector<CONTROL_PLACE> places;

  CONTROL_PLACE& Add(CONTROL_KIND kind, long tag, const CRect& rect, const char* caption) {
    CONTROL_PLACE p;
    p.kind = kind;
    p.tag = tag;
    p.rect = rect;
    p.caption = caption ? caption : "";
    p.defaultValue = 0.f;
    p.style = 0;
    p.colour = MASTER_COLOUR;
    p.list = nullptr;
    p.bipolar = false;
    p.decimal = false;
    p.captionBeside = false;
    places.push_back(p);
    return places.back();
  }
  void Knob(long tag, CCoord x, CCoord y, CCoord size, long ring, float def, const char* caption,
            const char* bitmap = "") {
    CONTROL_PLACE& p = Add(KIND_KNOB, tag, CRect(x, y, x + size, y + size), caption);
    p.style = ring;
    p.defaultValue = def;
    p.bitmap = bitmap;
  }
  void Numeric(long tag, const CRect& r, bool bipolar, bool decimal, int colour, float def, const char* caption) {
    CONTROL_PLACE& p = Add(KIND_NUMERIC, tag, r, caption);
    p.bipolar = bipolar;
    p.decimal = decimal;
    p.colour = colour;
    p.defaultValue = def;
  }
  void List(long tag, const CRect& r, const std::vector<std::string>* list, int colour, long mode, float def,
            const char* caption) {
    CONTROL_PLACE& p = Add(KIND_LIST, tag, r, caption);
    p.list = list;
    p.colour = colour;
    p.style = mode;
    p.defaultValue = def;
  }
  void Button(CONTROL_KIND kind, long tag, CCoord x, CCoord y, CCoord w, CCoord h, const char* bitmap) {
    CONTROL_PLACE& p = Add(kind, tag, CRect(x, y, x + w, y + h), "");
    p.bitmap = bitmap;
  }
};

CLayoutBuilder Build() {
  CLayoutBuilder b;

  // Oscillator knobs: the small ones, then the cutoffs, then the morph knobs.
  // RM and FM of oscillators 1 and 3, at the outer edges between the upper
  // and lower sections; their captions stand beside them.
  b.Knob(32, 8, 180, 30, 0, 0.f, "RM");
  b.Knob(34, 905, 180, 30, 0, 0.f, "RM");
  b.Knob(28, 62, 180, 30, 0, 0.f, "FM");
  b.Knob(30, 851, 180, 30, 0, 0.f, "FM");
  for (int k = 0; k < 4; ++k) b.places[b.places.size() - 1 - k].captionBeside = true;
  for (int o = 0; o < 4; ++o) b.Knob(76 + o, OSC_X[o] + 378, OSC_Y[o] + 40, 30, 0, 0.f, "PHASE");
  for (int s = 0; s < 4; ++s) {
    for (int o = 0; o < 4; ++o) {
      b.Knob(12 + 4 * s + o, OSC_X[o] + 6 + s * 78 + 46, OSC_Y[o] + 114, 30, 0, 0.f, "");
    }
  }
  for (int o = 0; o < 4; ++o) b.Knob(64 + o, OSC_X[o] + 282, OSC_Y[o] + 40, 30, 0, 0.5f, "LEVEL");
  for (int o = 0; o < 4; ++o) b.Knob(60 + o, OSC_X[o] + 314, OSC_Y[o] + 40, 30, 0, 0.5f, "PAN");
  for (int o = 0; o < 4; ++o) b.Knob(68 + o, OSC_X[o] + 346, OSC_Y[o] + 40, 30, 0, 0.f, "BUS");
  for (int o = 0; o < 4; ++o) b.Knob(40 + o, OSC_X[o] + 218, OSC_Y[o] + 40, 30, 0, 0.f, "RES");
  for (int o = 0; o < 4; ++o) b.Knob(56 + o, OSC_X[o] + 250, OSC_Y[o] + 40, 30, 0, 0.f, "DRIVE");
  static const char* const CUTOFF_BITMAPS[4] = {"big_knob_osc-1.png", "big_knob_osc-2.png", "big_knob_osc-3.png",
                                                "big_knob_osc-4.png"};
  for (int o = 0; o < 4; ++o) b.Knob(36 + o, OSC_X[o] + 162, OSC_Y[o] + 30, 51, 1 + o, 0.7f, "CUTOFF", CUTOFF_BITMAPS[o]);
  for (int o = 0; o < 4; ++o) b.Knob(4 + o, OSC_X[o] + 130, OSC_Y[o] + 36, 26, 5, 0.f, "");
  for (int o = 0; o < 4; ++o) b.Knob(8 + o, OSC_X[o] + 130, OSC_Y[o] + 64, 26, 5, 0.f, "");

  // Master knobs.
  b.Knob(132, 431, 32, 38, 6, 0.5f, "LEVEL", "medium_knob_level.png");
  b.Knob(131, 471, 32, 38, 6, 0.5f, "PAN", "medium_knob_pan.png");
  b.Knob(135, 511, 32, 38, 6, 0.f, "MONO", "medium_knob_mono.png");
  b.Knob(134, 436, 84, 28, 5, 0.f, "GLIDE");
  b.Knob(486, 476, 84, 28, 5, 0.f, "U.TUNE");
  b.Knob(487, 516, 84, 28, 5, 0.f, "U.WIDE");

  // Bus knobs.
  b.Knob(88, BUS_X[0] + 330, BUS_Y + 4, 28, 7, 0.f, "SEND");
  b.places.back().captionBeside = true;  // below it stands the KEY list's caption
  static const long BUS_ROW[8] = {109, 113, 115, 117, 119, 121, 123, 125};
  static const char* const BUS_ROW_CAPTIONS[8] = {"DS DRV", "DS TRBL", "DS CLR", "LF RATE",
                                                  "LF BIT", "LF NOISE", "LF STER", "LF KEY"};
  for (int bus = 0; bus < 2; ++bus) {
    b.Knob(95 + bus, BUS_X[bus] + 64, BUS_Y + 44, 28, 7, 0.f, "RES");
    b.Knob(107 + bus, BUS_X[bus] + 98, BUS_Y + 44, 28, 7, 0.f, "DRIVE");
    for (int k = 0; k < 8; ++k) {
      b.Knob(BUS_ROW[k] + bus, BUS_X[bus] + 6 + 36 * k, BUS_Y + 104, 28, 7, 0.f, BUS_ROW_CAPTIONS[k]);
    }
  }
  for (int bus = 0; bus < 2; ++bus) {
    b.Knob(105 + bus, BUS_X[bus] + 300, BUS_Y + 104, 28, 7, 0.5f, "STEREO");
    b.Knob(127 + bus, BUS_X[bus] + 336, BUS_Y + 104, 28, 7, 0.5f, "LEVEL");
    b.Knob(129 + bus, BUS_X[bus] + 372, BUS_Y + 104, 28, 7, 0.5f, "PAN");
  }
  b.Knob(93, BUS_X[0] + 6, BUS_Y + 40, 52, 8, 0.7f, "CUTOFF", "big_knob_bus-1.png");
  b.Knob(94, BUS_X[1] + 6, BUS_Y + 40, 52, 8, 0.7f, "CUTOFF", "big_knob_bus-2.png");

  // The six depth lists of the matrix rows.
  for (int r = 0; r < 6; ++r) {
    b.Numeric(331 + r, CRect(84, 561 + 20 * r, 114, 581 + 20 * r), true, true, DEPTH_COLOUR, 0.5f, r == 0 ? "DEPTH" : "");
  }

  // Preset bar, panic, record, browse, previous and next.
  b.Button(KIND_KICK, TAG_LCD_NEW, 431, 150, 28, 14, "GuiButtonLCDNew.png");
  b.Button(KIND_KICK, TAG_LCD_LOAD, 459, 150, 28, 14, "GuiButtonLCDLoad.png");
  b.Button(KIND_KICK, TAG_LCD_SAVE, 487, 150, 28, 14, "GuiButtonLCDSave.png");
  b.Button(KIND_KICK, TAG_LCD_MENU, 515, 150, 28, 14, "GuiButtonLCDMenu.png");
  b.Button(KIND_KICK, TAG_PANIC, 431, 462, 56, 14, "GuiPanicButton.png");
  b.Button(KIND_KICK, TAG_RECORD, 491, 462, 56, 14, "GuiRecordButton.png");
  b.Button(KIND_KICK, TAG_LCD_BROWSE, 431, 207, 56, 14, "GuiLCDBrowse.png");
  b.Button(KIND_KICK, TAG_LCD_PREV, 491, 207, 28, 14, "GuiLCDPrev.png");
  b.Button(KIND_KICK, TAG_LCD_NEXT, 519, 207, 28, 14, "GuiLCDNext.png");

  b.Add(KIND_MINI_BROWSER, TAG_MINI_BROWSER, CRect(431, 167, 555, 206), "");

  // On/off, invert, free-phase and stage-order buttons.
  for (int o = 0; o < 4; ++o) b.Button(KIND_ONOFF, 422 + o, OSC_X[o] + 6, OSC_Y[o] + 14, 16, 16, "GuiOnOffButton2.png");
  for (int bus = 0; bus < 2; ++bus) b.Button(KIND_ONOFF, 470 + bus, BUS_X[bus] + 6, BUS_Y + 14, 16, 16, "GuiOnOffButton.png");
  for (int o = 0; o < 4; ++o) b.Button(KIND_ONOFF, 426 + o, OSC_X[o] + 218, OSC_Y[o] + 15, 24, 14, "GuiOscInvButton.png");
  for (int o = 0; o < 4; ++o) b.Button(KIND_ONOFF, 442 + o, OSC_X[o] + 246, OSC_Y[o] + 15, 24, 14, "GuiOscFreeButton.png");
  for (int bus = 0; bus < 2; ++bus) b.Button(KIND_ONOFF, 479 + bus, BUS_X[bus] + 28, BUS_Y + 15, 24, 14, "GuiBusRouteButton.png");

  // Oscillator next, previous and edit buttons.
  for (int o = 0; o < 4; ++o) b.Button(KIND_KICK, TAG_OSC_NEXT + o, OSC_X[o] + 166, OSC_Y[o] + 14, 14, 16, "GuiOscNextButton.png");
  for (int o = 0; o < 4; ++o) b.Button(KIND_KICK, TAG_OSC_PREV + o, OSC_X[o] + 150, OSC_Y[o] + 14, 14, 16, "GuiOscPrevButton.png");
  for (int o = 0; o < 4; ++o) b.Button(KIND_KICK, TAG_OSC_EDIT + o, OSC_X[o] + 184, OSC_Y[o] + 14, 28, 16, "GuiEditButton.png");

  // List controls: filter, drive, bus mode, master strip, octave, semitone.
  for (int o = 0; o < 4; ++o) {
    b.List(446 + o, CRect(OSC_X[o] + 162, OSC_Y[o] + 98, OSC_X[o] + 232, OSC_Y[o] + 112), &slFilterMode, OSC_COLOUR, 0, 0.f, "FILTER");
  }
  for (int o = 0; o < 4; ++o) {
    b.List(450 + o, CRect(OSC_X[o] + 236, OSC_Y[o] + 98, OSC_X[o] + 296, OSC_Y[o] + 112), &slDriveMode, OSC_COLOUR, 0, 0.f, "DRIVE");
  }
  for (int bus = 0; bus < 2; ++bus) {
    b.List(473 + bus, CRect(BUS_X[bus] + 132, BUS_Y + 48, BUS_X[bus] + 202, BUS_Y + 62), &slFilterMode, BUS_COLOUR, 0, 0.f, "FILTER");
    b.List(477 + bus, CRect(BUS_X[bus] + 206, BUS_Y + 48, BUS_X[bus] + 266, BUS_Y + 62), &slDriveMode, BUS_COLOUR, 0, 0.f, "DRIVE");
  }
  b.List(472, CRect(BUS_X[0] + 60, BUS_Y + 16, BUS_X[0] + 110, BUS_Y + 30), &slBusMode, BUS_COLOUR, 0, 1.f, "");
  b.List(481, CRect(431, 290, 487, 304), &slGlideMode, MASTER_COLOUR, 0, 0.f, "GLIDE");
  b.List(482, CRect(491, 290, 547, 304), &slOnOff, MASTER_COLOUR, 0, 1.f, "FLT GLIDE");
  b.List(489, CRect(431, 318, 487, 332), &slPolyMode, MASTER_COLOUR, 0, 0.f, "MODE");
  b.List(485, CRect(491, 318, 547, 332), &slOnOff, MASTER_COLOUR, 0, 1.f, "DECLICK");
  b.List(490, CRect(431, 346, 487, 360), &slMaxVoices, MASTER_COLOUR, 2, 7.f, "VOICES");
  b.List(488, CRect(491, 346, 547, 360), &slUnisonCount, MASTER_COLOUR, 2, 0.f, "UNISON");
  b.List(1583, CRect(431, 378, 487, 392), &slMasterTune, MASTER_COLOUR, 1, 22.f, "BEND");
  b.List(483, CRect(491, 378, 547, 392), &slMasterTune, MASTER_COLOUR, 1, 24.f, "TRANSP");
  b.List(730, CRect(431, 406, 487, 420), &slInverseOnOff, MASTER_COLOUR, 0, 0.f, "FX");
  b.List(1582, CRect(491, 406, 547, 420), &slExciter, MASTER_COLOUR, 0, 0.f, "EXCITER");
  b.List(527, CRect(431, 434, 487, 448), &slOnOff, MASTER_COLOUR, 0, 0.f, "ARP");
  b.List(693, CRect(491, 434, 547, 448), &slOnOff, MASTER_COLOUR, 0, 0.f, "GATE");
  for (int o = 0; o < 4; ++o) {
    b.List(434 + o, CRect(OSC_X[o] + 276, OSC_Y[o] + 15, OSC_X[o] + 304, OSC_Y[o] + 29), &slOscOctave, MASTER_COLOUR, 1, 4.f, "OCT");
  }
  for (int o = 0; o < 4; ++o) {
    b.List(438 + o, CRect(OSC_X[o] + 306, OSC_Y[o] + 15, OSC_X[o] + 334, OSC_Y[o] + 29), &slOscSemitone, MASTER_COLOUR, 1, 7.f, "SEMI");
  }

  // Wave-name buttons.
  for (int o = 0; o < 4; ++o) {
    b.Add(KIND_TEXT_BUTTON, 430 + o, CRect(OSC_X[o] + 26, OSC_Y[o] + 14, OSC_X[o] + 146, OSC_Y[o] + 30), "");
  }

  // The sixteen effect-type lists: oscillator o, slot s = 454 + 4s + o.
  for (int s = 0; s < 4; ++s) {
    static const char* const SLOT_CAPTIONS[4] = {"FX 1", "FX 2", "FX 3", "FX 4"};
    for (int o = 0; o < 4; ++o) {
      CCoord x = OSC_X[o] + 6 + s * 78;
      b.List(454 + 4 * s + o, CRect(x, OSC_Y[o] + 126, x + 44, OSC_Y[o] + 140), &slOscFX, OSC_COLOUR, 0, 1.f, SLOT_CAPTIONS[s]);
    }
  }

  // Matrix rows: source and target menus.
  for (int r = 0; r < 6; ++r) {
    CONTROL_PLACE& p = b.Add(KIND_SOURCE_MENU, 362 + r, CRect(33, 564 + 20 * r, 82, 578 + 20 * r), r == 0 ? "SOURCE" : "");
    p.colour = BUS_COLOUR;
  }
  for (int r = 0; r < 6; ++r) {
    CONTROL_PLACE& p = b.Add(KIND_TARGET_MENU, 392 + r, CRect(121, 564 + 20 * r, 198, 578 + 20 * r), r == 0 ? "TARGET" : "");
    p.colour = BUS_COLOUR;
  }

  // Numeric lists.
  b.Numeric(133, CRect(431, 132, 469, 146), true, false, MASTER_COLOUR, 0.5f, "DETUNE");
  for (int o = 0; o < 4; ++o) {
    b.Numeric(72 + o, CRect(OSC_X[o] + 336, OSC_Y[o] + 15, OSC_X[o] + 366, OSC_Y[o] + 29), true, false, MASTER_COLOUR, 0.5f, "DET");
    b.Numeric(80 + o, CRect(OSC_X[o] + 368, OSC_Y[o] + 15, OSC_X[o] + 390, OSC_Y[o] + 29), false, false, MASTER_COLOUR, 0.f, "VIB");
    b.Numeric(84 + o, CRect(OSC_X[o] + 392, OSC_Y[o] + 15, OSC_X[o] + 414, OSC_Y[o] + 29), false, false, MASTER_COLOUR, 1.f, "KEY");
  }
  for (int o = 0; o < 4; ++o) {
    b.Numeric(44 + o, CRect(OSC_X[o] + 300, OSC_Y[o] + 98, OSC_X[o] + 336, OSC_Y[o] + 112), false, false, OSC_COLOUR, 0.f, "CTRL");
    b.Numeric(48 + o, CRect(OSC_X[o] + 338, OSC_Y[o] + 98, OSC_X[o] + 374, OSC_Y[o] + 112), false, false, OSC_COLOUR, 0.f, "KEY");
    b.Numeric(52 + o, CRect(OSC_X[o] + 376, OSC_Y[o] + 98, OSC_X[o] + 412, OSC_Y[o] + 112), false, false, OSC_COLOUR, 0.f, "VEL");
  }
  for (int bus = 0; bus < 2; ++bus) {
    b.Numeric(97 + bus, CRect(BUS_X[bus] + 272, BUS_Y + 48, BUS_X[bus] + 316, BUS_Y + 62), false, false, BUS_COLOUR, 0.f, "CTRL");
    b.Numeric(99 + bus, CRect(BUS_X[bus] + 320, BUS_Y + 48, BUS_X[bus] + 364, BUS_Y + 62), false, false, BUS_COLOUR, 0.f, "KEY");
    b.Numeric(101 + bus, CRect(BUS_X[bus] + 368, BUS_Y + 48, BUS_X[bus] + 412, BUS_Y + 62), false, false, BUS_COLOUR, 0.f, "VEL");
  }

  // XY pads.
  for (int o = 0; o < 4; ++o) {
    b.Add(KIND_XY, TAG_OSC_XY + o, CRect(OSC_X[o] + 6, OSC_Y[o] + 36, OSC_X[o] + 126, OSC_Y[o] + 89), "");
  }
  b.Add(KIND_XY, TAG_MORPH_XY, CRect(427, 221, 549, 275), "");

  // Selectors.
  CONTROL_PLACE& over = b.Add(KIND_SELECTOR, TAG_OVERSAMPLING, CRect(431, 494, 547, 510), "OVERSAMPLING");
  over.bitmap = "GuiOversamplingSelector.png";
  over.style = 3;
  CONTROL_PLACE& mtx = b.Add(KIND_SELECTOR, TAG_MODMTX_PAGE, CRect(33, 539, 198, 553), "");
  mtx.bitmap = "GuiModMtxSelector.png";
  mtx.style = 4;
  CONTROL_PLACE& view = b.Add(KIND_SELECTOR, TAG_VIEW_PAGE, CRect(210, 553, 240, 675), "");
  view.bitmap = "GuiViewPageSelector.png";
  view.style = 3;
  view.bipolar = true;  // vertical
  view.defaultValue = 1.f;
  return b;
}

}  // namespace

const std::vector<CONTROL_PLACE>& MainWindowLayout() {
  static const std::vector<CONTROL_PLACE> places = Build().places;
  return places;
}

const std::vector<PANEL_PLACE>& MainWindowPanels() {
  static const std::vector<PANEL_PLACE> panels = [] {
    std::vector<PANEL_PLACE> p;
    static const char* const TITLES[4] = {"OSC 1", "OSC 2", "OSC 3", "OSC 4"};
    for (int o = 0; o < 4; ++o) {
      p.push_back({CRect(OSC_X[o], OSC_Y[o], OSC_X[o] + SECTION_WIDTH, OSC_Y[o] + OSC_HEIGHT), TITLES[o], true});
    }
    p.push_back({CRect(BUS_X[0], BUS_Y, BUS_X[0] + SECTION_WIDTH, BUS_Y + BUS_HEIGHT), "BUS 1", false});
    p.push_back({CRect(BUS_X[1], BUS_Y, BUS_X[1] + SECTION_WIDTH, BUS_Y + BUS_HEIGHT), "BUS 2", false});
    p.push_back({CRect(427, 28, 551, 532), "", false});
    p.push_back({CRect(5, 537, 202, 690), "", false});
    p.push_back({CRect(206, 537, 975, 690), "", false});
    return p;
  }();
  return panels;
}

CColor LayoutTextColour(int colour) {
  switch (colour) {
    case OSC_COLOUR:
      return CColor(64, 64, 64, 255);
    default:
      return CColor(255, 255, 255, 255);
  }
}
