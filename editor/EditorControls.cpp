// The main window's controls: built once per window from the layout table,
// each with the editor as its listener, and remembered where the editor
// updates them later.
#include "editor/Editor.h"
#include "editor/EditorLayout.h"
#include "editor/EditorTags.h"
#include "editor/ListControl.h"
#include "editor/ModeSelector.h"
#include "editor/ModulatedKnob.h"
#include "editor/XYControl.h"
#include "editor/pages/MiniPresetBrowser.h"
#include "editor/pages/Pages.h"

namespace {

const int KNOB_FRAMES = 96;

// A button as large as one of the two images stacked in its bitmap.
CRect ButtonRect(const CRect& place, CBitmap* bitmap) {
  if (!bitmap || !bitmap->isLoaded()) return place;
  return CRect(place.left, place.top, place.left + bitmap->getWidth(), place.top + bitmap->getHeight() / 2);
}

}  // namespace

void CEditor::createControls() {
  if (!frame) return;

  CFontDesc* labelFont = new CFontDesc("Arial", 8);
  CTextLabel* version = new CTextLabel(CRect(137, 7, 237, 17), "VERSION 1.41 (AU x64)");
  version->setFont(labelFont);
  version->setFontColor(CColor(255, 255, 255, 255));
  version->setTextTransparency(true);
  version->setBackColor(CColor(0, 0, 0, 0));
  version->setFrameColor(CColor(0, 0, 0, 0));
  version->setStyle(kNoFrame);
  version->setHoriAlign(kLeftText);
  frame->addView(version);
  labelFont->forget();

  // The three pages lie below every other control; exactly one is visible.
  const CRect pageArea(206, 537, 975, 690);
  m_fxView = new CFxView(m_commands, this, m_selectors, pageArea, frame, this);
  frame->addView(m_fxView);
  m_modView = new CModView(m_commands, this, m_selectors, pageArea, frame, this);
  m_modView->SetMsegClipboard(&m_msegCopy);
  frame->addView(m_modView);
  m_arpView = new CArpView(m_commands, this, m_selectors, pageArea, frame, this);
  frame->addView(m_arpView);

  for (const CONTROL_PLACE& p : MainWindowLayout()) {
    const CColor colour = LayoutTextColour(p.colour);
    CControl* control = nullptr;
    switch (p.kind) {
      case KIND_KNOB: {
        CModulatedKnob* knob = new CModulatedKnob(p.rect, this, this, p.tag, nullptr, nullptr, p.style, p.defaultValue);
        if (!p.bitmap.empty()) knob->SetFrameBitmap(new CBitmap(p.bitmap.c_str()), KNOB_FRAMES);
        if (p.tag == 486) m_unisonKnobs[0] = knob;
        if (p.tag == 487) m_unisonKnobs[1] = knob;
        for (unsigned int o = 0; o < OSC_COUNT; ++o) {
          for (unsigned int s = 0; s < 4; ++s) {
            if (p.tag == static_cast<long>(12 + 4 * s + o)) m_osc[o].fxKnobs[s] = knob;
          }
          if (p.tag == static_cast<long>(28 + o)) m_osc[o].fmKnob = knob;
          if (p.tag == static_cast<long>(76 + o)) m_osc[o].phaseKnob = knob;
          if (p.tag == static_cast<long>(4 + o)) m_osc[o].xKnob = knob;
          if (p.tag == static_cast<long>(8 + o)) m_osc[o].yKnob = knob;
        }
        control = knob;
        break;
      }
      case KIND_NUMERIC: {
        CNumericList* list = new CNumericList(p.rect, this, this, p.tag, colour, p.bipolar, p.defaultValue, p.decimal);
        if (p.tag >= 331 && p.tag <= 336) m_rowAmounts[p.tag - 331] = list;
        control = list;
        break;
      }
      case KIND_KICK:
      case KIND_ONOFF: {
        CBitmap* bitmap = new CBitmap(p.bitmap.c_str());
        CRect r = ButtonRect(p.rect, bitmap);
        if (p.kind == KIND_KICK) {
          control = new CKickButton(r, this, p.tag, bitmap);
          if (p.tag >= TAG_OSC_EDIT && p.tag < TAG_OSC_EDIT + 4) m_osc[p.tag - TAG_OSC_EDIT].editButton = control;
        } else {
          COnOffButton* button = new COnOffButton(r, this, p.tag, bitmap);
          if (p.tag >= 426 && p.tag <= 429) m_osc[p.tag - 426].invertButton = button;
          if (p.tag >= 442 && p.tag <= 445) m_osc[p.tag - 442].freeButton = button;
          control = button;
        }
        control->setTransparency(true);
        bitmap->forget();
        break;
      }
      case KIND_MINI_BROWSER:
        m_miniBrowser = new CMiniPresetBrowser(m_commands, p.rect, this, p.tag);
        control = m_miniBrowser;
        break;
      case KIND_LIST: {
        CListControl* list = new CListControl(p.rect, this, p.tag, colour, p.list, p.defaultValue, p.style);
        for (unsigned int o = 0; o < OSC_COUNT; ++o) {
          for (unsigned int s = 0; s < 4; ++s) {
            if (p.tag == static_cast<long>(454 + 4 * s + o)) m_osc[o].fxLists[s] = list;
          }
        }
        control = list;
        break;
      }
      case KIND_TEXT_BUTTON: {
        CTextButton* button = new CTextButton(p.rect, this, p.tag, "Text");
        m_osc[p.tag - 430].nameButton = button;
        control = button;
        break;
      }
      case KIND_SOURCE_MENU: {
        CMenuModSource* menu = new CMenuModSource(p.rect, this, p.tag, colour);
        m_rowSources[p.tag - 362] = menu;
        control = menu;
        break;
      }
      case KIND_TARGET_MENU: {
        CMenuModTarget* menu = new CMenuModTarget(p.rect, this, p.tag, colour);
        m_rowTargets[p.tag - 392] = menu;
        control = menu;
        break;
      }
      case KIND_XY: {
        CXYControl* pad = new CXYControl(p.rect, this, this, p.tag);
        if (p.tag == TAG_MORPH_XY) m_morphPad = pad;
        else m_osc[p.tag - TAG_OSC_XY].pad = pad;
        control = pad;
        break;
      }
      case KIND_SELECTOR: {
        CBitmap* bitmap = p.bitmap.empty() ? nullptr : new CBitmap(p.bitmap.c_str());
        control = new CModeSelector(p.rect, this, p.tag, bitmap, p.style, p.defaultValue, p.bipolar);
        if (bitmap) bitmap->forget();
        break;
      }
    }
    if (control) frame->addView(control);
  }

  m_controlsBuilt = 1;
  updateAll();
}
