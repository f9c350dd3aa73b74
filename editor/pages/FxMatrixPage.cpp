#include "editor/pages/FxMatrixPage.h"

#include <cairo.h>

#include <cmath>

#include "editor/Editor.h"
#include "editor/StringLists.h"
#include "editor/pages/FxModules.h"
#include "engine/EffectsMatrix.h"
#include "engine/ICommandHandler.h"

namespace {

const unsigned int ID_SPLIT = 729;
const unsigned int ID_CELL_ON = 731;
const unsigned int ID_CELL_FX = 747;

// Slot button artwork: W wide, four frames of H/4 (unselected on, selected
// on, unselected off, selected off).
const int SLOT_W = 34;
const int SLOT_H = 56;
const int SPLIT_W = 309;
const int SPLIT_H = 20;

// Effect type (reverb, delay, echoes, grain shifter, chorus, flanger,
// phaser, distortion, tremolo, equalizer) to the page's panel index.
const unsigned int TYPE_TO_PANEL[10] = {1, 2, 3, 10, 4, 5, 6, 9, 7, 8};
const unsigned int PANEL_NONE = 0;
const CRect PANEL_RECT(38, 17, 438, 140);

// Menu position (separators not counted) to effect id.
const long MENU_TO_ID[21] = {0, 1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20};

const CColor fxSelectedFontColor(0, 0, 0, 255);
const CColor fxDeselectedFontColor(255, 255, 255, 255);

void Fill(cairo_t* cr, double x, double y, double w, double h, double r, double g, double b, double a = 1.0) {
  cairo_set_source_rgba(cr, r, g, b, a);
  cairo_rectangle(cr, x, y, w, h);
  cairo_fill(cr);
}

void Stroke(cairo_t* cr, double x, double y, double w, double h, double r, double g, double b) {
  cairo_set_source_rgba(cr, r, g, b, 1.0);
  cairo_set_line_width(cr, 1.0);
  cairo_rectangle(cr, x + 0.5, y + 0.5, w - 1, h - 1);
  cairo_stroke(cr);
}

CEditor* EditorOf(CView* view) {
  CFrame* frame = view ? view->getFrame() : nullptr;
  return frame ? dynamic_cast<CEditor*>(frame->getEditor()) : nullptr;
}

}  // namespace

void RegisterFxMatrixArtwork() {
  if (!CBitmapResources::has("GuiFxMtxButton.png")) {
    // Each frame is one pixel taller than the button (which is H/4 - 1
    // high): the frame is drawn in its top H/4 - 1 rows so the button shows
    // its whole border. Switched-off slots are light, so the black label the
    // button draws on them stays legible.
    CBitmapResources::addStrip("GuiFxMtxButton.png", SLOT_W, SLOT_H / 4, 4,
                               [](CDrawContext& c, const CRect& r, int frame, int) {
                                 cairo_t* cr = c.getCairo();
                                 const bool selected = frame & 1, off = frame & 2;
                                 const double w = r.width(), h = r.height() - 1;
                                 if (selected && !off) {
                                   Fill(cr, r.left, r.top, w, h, 0.0, 0.66, 1.0);
                                 } else if (selected) {
                                   Fill(cr, r.left, r.top, w, h, 0.62, 0.78, 0.90);
                                 } else if (off) {
                                   Fill(cr, r.left, r.top, w, h, 0.56, 0.58, 0.61);
                                 } else {
                                   Fill(cr, r.left, r.top, w, h, 0.22, 0.24, 0.27);
                                 }
                                 Stroke(cr, r.left, r.top, w, h, 0.45, 0.48, 0.52);
                                 // The on lamp, a bar along the bottom edge below the
                                 // label (which the button draws raised towards the
                                 // top): green when on, dark red when off.
                                 if (off)
                                   Fill(cr, r.left + 8, r.top + h - 3, w - 16, 2, 0.55, 0.1, 0.1);
                                 else
                                   Fill(cr, r.left + 8, r.top + h - 3, w - 16, 2, 0.35, 0.9, 0.35);
                               });
  }
  if (!CBitmapResources::has("GuiFxMtxSplitter.png")) {
    CBitmapResources::addStrip("GuiFxMtxSplitter.png", SPLIT_W, SPLIT_H, 7,
                               [](CDrawContext& c, const CRect& r, int frame, int) {
                                 cairo_t* cr = c.getCairo();
                                 Fill(cr, r.left, r.top, r.width(), r.height(), 0.12, 0.13, 0.15);
                                 // The split columns of the page, 20 pixels in from the page's slot area.
                                 double x0 = r.left + 20, colw = SLOT_W + 2;
                                 double splitX = x0 + (frame + 1) * colw - 1;
                                 Fill(cr, x0, r.top + 8, splitX - x0, 4, 0.0, 0.66, 1.0);
                                 Fill(cr, splitX, r.top + 8, x0 + 8 * colw - splitX, 4, 0.35, 0.37, 0.40);
                                 Fill(cr, splitX - 3, r.top + 3, 6, 14, 0.9, 0.92, 0.95);
                               });
  }
  if (!CBitmapResources::has("GuiViewFx.png")) {
    CBitmapResources::add("GuiViewFx.png", 769, 153, [](CDrawContext& c, CCoord w, CCoord h) {
      cairo_t* cr = c.getCairo();
      Fill(cr, 0, 0, w, h, 0.09, 0.10, 0.11);
      Fill(cr, 38, 17, 400, 123, 0.13, 0.14, 0.16);
      Stroke(cr, 38, 17, 400, 123, 0.3, 0.32, 0.35);
      // The matrix box: its border runs one pixel outside the splitter and
      // the slots, which cover the box's inside from edge to edge.
      Stroke(cr, 457, 39, 311, 97, 0.3, 0.32, 0.35);
      CFontDesc font("Arial", 9, kBoldFace);
      c.setFont(&font);
      c.setFontColor(CColor(200, 204, 210, 255));
      c.drawString("FX MATRIX", CRect(466, 48, 540, 62), false, kLeftText);
    });
  }
  const char* buttons[3][2] = {{"GuiLoadButton.png", "LOAD"}, {"GuiSaveButton.png", "SAVE"},
                               {"GuiResetButton.png", "RESET"}};
  for (auto& b : buttons) {
    if (CBitmapResources::has(b[0])) continue;
    std::string label = b[1];
    // The size the other pages draw these buttons at, whichever page
    // registers them first.
    CBitmapResources::addStrip(b[0], 32, 14, 2, [label](CDrawContext& c, const CRect& r, int frame, int) {
      cairo_t* cr = c.getCairo();
      Fill(cr, r.left, r.top, r.width(), r.height(), frame ? 0.0 : 0.17, frame ? 0.4 : 0.18, frame ? 0.6 : 0.2);
      Stroke(cr, r.left, r.top, r.width(), r.height(), 0.45, 0.48, 0.52);
      CFontDesc font("Arial", 7, kBoldFace);
      c.setFont(&font);
      c.setFontColor(CColor(220, 224, 230, 255));
      c.drawString(label.c_str(), r, false, kCenterText);
    });
  }
}

// ---------------------------------------------------------------------------

CFxMtxButton::CFxMtxButton(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                           const std::vector<std::string>* labels)
    : CParamDisplay(size, background, kNoFrame) {
  setListener(listener);
  setTag(tag);
  if (labels) m_labels = *labels;
  CFontDesc* font = new CFontDesc("Arial", 9, kNormalFace);
  setFont(font);
  font->forget();
}

CFxMtxButton::~CFxMtxButton() {}

bool CFxMtxButton::isTypeOf(const char* type) const {
  return std::string(type) == "CFxMtxButton" || CParamDisplay::isTypeOf(type);
}

void CFxMtxButton::clipID() {
  long long last = m_labels.empty() ? 0 : static_cast<long long>(m_labels.size()) - 1;
  if (m_effectId < 0) m_effectId = 0;
  if (m_effectId > last) m_effectId = last;
}

void CFxMtxButton::draw(CDrawContext* context) {
  CBitmap* bitmap = getBackground();
  if (!bitmap) return;
  CCoord h = bitmap->getHeight();
  bool selected = getValue() != 0.f;
  CCoord offset = (selected ? h / 4 : 0) + (m_on ? 0 : h / 2);
  bitmap->draw(context, size, CPoint(0, offset));
  CColor saved = context->getFontColor();
  context->setFontColor(!selected && m_on ? fxDeselectedFontColor : fxSelectedFontColor);
  clipID();
  if (!m_labels.empty()) {
    context->setFont(getFont());
    CRect text = size;
    text.top -= 4;
    context->drawString(m_labels[static_cast<size_t>(m_effectId)].c_str(), text, false, kCenterText);
  }
  context->setFontColor(saved);
  setDirty(false);
}

void CFxMtxButton::_report() {
  beginEdit();
  if (getListener()) getListener()->valueChanged(this);
  endEdit();
  setDirty();
}

CMouseEventResult CFxMtxButton::onMouseDown(CPoint& where, const long& buttons) {
  long b = buttons & ~kDoubleClick;
  if (b == kRButton || (b & kApple)) {
    _showEffectMenu();
  } else if (b == (kAlt | kLButton)) {
    m_on = !m_on;
    m_onToggled = true;
    _report();
  } else if (b == (kControl | kLButton)) {
    if (m_effectId != 0) m_idChanged = true;
    m_effectId = 0;
    _report();
  } else if (b & kLButton) {
    setValue(static_cast<int>(getValue()) == 0 ? 1.f : 0.f);
    _report();
  } else {
    return kMouseEventNotHandled;
  }
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void CFxMtxButton::_showEffectMenu() {
  CEditor* editor = EditorOf(this);
  if (!editor) return;
  COptionMenu* menu = new COptionMenu();
  const char* names[10] = {"Reverb", "Delay", "Echoes", "GrainShifter", "Chorus",
                           "Flanger", "Phaser", "Distortion", "Tremolo", "EQ"};
  menu->addEntry("Off");
  for (int instance = 1; instance <= 2; ++instance) {
    for (int k = 0; k < 10; ++k) {
      if (k == 4 || k == 7) menu->addSeparator();
      std::string title = std::string(names[k]) + " " + std::to_string(instance);
      menu->addEntry(title.c_str(), -1, k == 0 ? CMenuItem::kColumnBreak : CMenuItem::kNoFlags);
    }
  }
  long tag = -1, index = -1;
  editor->ShowPopupMenu(this, menu, tag, index);
  menu->forget();
  if (index >= 0 && index < 21) {
    long long id = MENU_TO_ID[index];
    if (id != m_effectId) {
      m_idChanged = true;
      m_effectId = id;
      clipID();
      _report();
    }
  }
  if (getFrame()) getFrame()->setFocusView(nullptr);
}

// ---------------------------------------------------------------------------

CFxMtxSplitter::CFxMtxSplitter(const CRect& size, CControlListener* listener, long tag, long step,
                               float defaultValue)
    : CControl(size, listener, tag, nullptr), m_step(step > 0 ? step : 1) {
  CBitmap* bitmap = new CBitmap("GuiFxMtxSplitter.png");
  setBackground(bitmap);
  bitmap->forget();
  setDefaultValue(defaultValue);
  setValue(defaultValue);
}

CFxMtxSplitter::~CFxMtxSplitter() {}

bool CFxMtxSplitter::isTypeOf(const char* type) const {
  return std::string(type) == "CFxMtxSplitter" || CControl::isTypeOf(type);
}

void CFxMtxSplitter::clipValue() {
  if (!(value >= 0.f)) value = 0.f;
  if (value > 6.f) value = 6.f;
}

void CFxMtxSplitter::draw(CDrawContext* context) {
  clipValue();
  if (CBitmap* bitmap = getBackground())
    bitmap->draw(context, size, CPoint(0, static_cast<int>(bitmap->getHeight() * value / 7)));
  setDirty(false);
}

CMouseEventResult CFxMtxSplitter::onMouseDown(CPoint& where, const long& buttons) {
  if (!(buttons & kLButton)) return kMouseEventNotHandled;
  beginEdit();
  float old = value;
  if (buttons & kControl) {
    value = getDefaultValue();
  } else {
    long q = static_cast<long>(size.right - 30 - where.x) / m_step;
    long v = 6 - q;
    if (q < 0) v = 6;
    if (v < 0) v = 0;
    value = static_cast<float>(v);
  }
  if (value != old) {
    if (listener) listener->valueChanged(this);
    setDirty();
  }
  m_press = where;
  m_pressValue = value;
  return kMouseEventHandled;
}

CMouseEventResult CFxMtxSplitter::onMouseMoved(CPoint& where, const long& buttons) {
  if (!(buttons & kLButton) || !isEditing()) return kMouseEventNotHandled;
  float old = value;
  long moved = static_cast<long>(where.x - m_press.x) / m_step;
  float v = static_cast<float>(moved) + m_pressValue;
  if (v < 0.f) v = 0.f;
  if (v > 6.f) v = 6.f;
  value = v;
  if (value != old) {
    if (listener) listener->valueChanged(this);
    setDirty();
  }
  return kMouseEventHandled;
}

CMouseEventResult CFxMtxSplitter::onMouseUp(CPoint& where, const long& buttons) {
  if (isEditing()) endEdit();
  return kMouseEventHandled;
}

// ---------------------------------------------------------------------------

CFxView::CFxView(ICommandHandler* commands, IControlHandler* handler, unsigned int* selectors, const CRect& size,
                 CFrame* frame, CControlListener* /*listener*/)
    : CViewContainer(size, frame), m_commands(commands), m_handler(handler), m_selectors(selectors) {
  RegisterFxMatrixArtwork();
  CBitmap* background = new CBitmap("GuiViewFx.png");
  setBackground(background);
  background->forget();

  CBitmap* slot = new CBitmap("GuiFxMtxButton.png");
  CCoord w = slot->getWidth(), h = slot->getHeight();
  m_splitter = new CFxMtxSplitter(CRect(458, 111, 767, 131), this, TAG_FX_SPLITTER, static_cast<long>(w), 3.f);
  addView(m_splitter);
  unsigned int selected = _selected();
  for (unsigned int s = 0; s < FX_SLOT_COUNT; ++s) {
    m_buttons[s] = new CFxMtxButton(CRect(458, 83, 458 + w, 82 + h / 4), this, TAG_FX_SLOT + s, slot, &slFxIDs);
    m_buttons[s]->setValue(s == selected ? 1.f : 0.f);
  }
  slot->forget();

  const char* names[3] = {"GuiLoadButton.png", "GuiSaveButton.png", "GuiResetButton.png"};
  const int lefts[3] = {543, 580, 618};
  for (int i = 0; i < 3; ++i) {
    CBitmap* b = new CBitmap(names[i]);
    CRect r(lefts[i], 48, lefts[i] + b->getWidth(), 48 + b->getHeight() / 2);
    addView(new CKickButton(r, this, TAG_FXMTX_LOAD + i, b));
    b->forget();
  }

  m_panels[0] = new CFxModuleNone(commands, handler, PANEL_RECT, frame);
  m_panels[1] = new CFxModuleReverb(commands, handler, PANEL_RECT, frame);
  m_panels[2] = new CFxModuleDelay(commands, handler, PANEL_RECT, frame);
  m_panels[3] = new CFxModuleEchoes(commands, handler, PANEL_RECT, frame);
  m_panels[4] = new CFxModuleChorus(commands, handler, PANEL_RECT, frame);
  m_panels[5] = new CFxModuleFlanger(commands, handler, PANEL_RECT, frame);
  m_panels[6] = new CFxModulePhaser(commands, handler, PANEL_RECT, frame);
  m_panels[7] = new CFxModuleTremolo(commands, handler, PANEL_RECT, frame);
  m_panels[8] = new CFxModuleEq(commands, handler, PANEL_RECT, frame);
  m_panels[9] = new CFxModuleDistortion(commands, handler, PANEL_RECT, frame);
  m_panels[10] = new CFxModuleGrainShifter(commands, handler, PANEL_RECT, frame);
  UpdateMatrix();
}

CFxView::CFxView(const CFxView& other)
    : CViewContainer(other),
      CControlListener(),
      m_commands(other.m_commands),
      m_handler(other.m_handler),
      m_splitter(other.m_splitter),
      m_selectors(other.m_selectors),
      m_ownsChildren(false) {
  for (unsigned int s = 0; s < FX_SLOT_COUNT; ++s) m_buttons[s] = other.m_buttons[s];
  for (unsigned int p = 0; p < FX_PANEL_COUNT; ++p) m_panels[p] = other.m_panels[p];
}

CFxView::~CFxView() {
  if (!m_ownsChildren) return;
  for (CFxModule* p : m_panels) {
    if (!p) continue;
    if (isChild(p)) removeView(p, false);
    p->forget();
  }
  for (CFxMtxButton* b : m_buttons) {
    if (!b) continue;
    if (isChild(b)) removeView(b, false);
    b->forget();
  }
}

bool CFxView::isTypeOf(const char* type) const {
  return std::string(type) == "CFxView" || CViewContainer::isTypeOf(type);
}

unsigned int CFxView::_selected() const {
  unsigned int s = m_selectors ? m_selectors[FX_SELECTOR_WORD] : 0;
  return s < FX_SLOT_COUNT ? s : 0;
}

unsigned int CFxView::GetActiveFxInstance() {
  if (!m_selectors) return 0;
  unsigned int slot = m_selectors[FX_SELECTOR_WORD];
  if (slot >= FX_SLOT_COUNT || !m_buttons[slot]) return 0;
  long long id = m_buttons[slot]->m_effectId;
  if (id < 1 || id > 20) return 0;
  return static_cast<unsigned int>((id - 1) % 2);
}

void CFxView::UpdateMatrix() {
  ++m_updates;
  if (!m_commands) return;
  // Read as the engine reads it: a damaged value (negative, too large, not a
  // number) shows the split the sound actually has.
  unsigned int n = CEffectsMatrix::SplitOf(m_commands->GetFloatParam(ID_SPLIT));
  if (n > 8) n = 8;
  CRect first = m_buttons[0]->getViewSize();
  CCoord w = first.width(), h = first.height();
  const unsigned int selected = _selected();
  for (unsigned int s = 0; s < FX_SLOT_COUNT; ++s) {
    CFxMtxButton* b = m_buttons[s];
    if (isChild(b)) removeView(b, false);
    // The selection follows the editor's word, which may have been set
    // while the window was closed.
    const float value = s == selected ? 1.f : 0.f;
    if (b->getValue() != value) {
      b->setValue(value);
      b->setDirty();
    }
    if (!b->m_on) {
      b->m_on = true;
      b->setDirty();
    }
  }
  m_splitter->setValue(static_cast<float>(n) - 1.f);
  m_splitter->setDirty();

  auto place = [&](unsigned int slot, const CRect& r) {
    CFxMtxButton* b = m_buttons[slot];
    long long id = m_commands->GetIntParam(ID_CELL_FX + slot);
    if (id != b->m_effectId) {
      b->m_effectId = id;
      b->setDirty();
    }
    if (id != 0) {
      bool on = m_commands->GetIntParam(ID_CELL_ON + slot) != 0;
      if (on != b->m_on) {
        b->m_on = on;
        b->setDirty();
      }
    }
    b->setViewSize(r, false);
    b->setMouseableArea(r);
    addView(b);
  };
  for (unsigned int c = 0; c < 8; ++c) {
    CCoord x = 478 + c * (w + 2);
    if (c < n) {
      place(c + 8, CRect(x, 83, x + w, 83 + h));
      place(c, CRect(x, 85 + h, x + w, 85 + 2 * h));
    } else {
      // Whole pixels: a button placed half a pixel down loses its bottom edge.
      CCoord top = 84 + std::floor(h / 2);
      place(c, CRect(x, top, x + w, top + h));
    }
  }
  UpdateFxView();
  if (CEditor* editor = EditorOf(this)) editor->RebuildModMatrixCache();
  invalid();
}

CFxModule* CFxView::_panelForId(long long id) const {
  if (id == 0) return m_panels[PANEL_NONE];
  if (id < 1 || id > 20) return nullptr;
  return m_panels[TYPE_TO_PANEL[(id - 1) / 2]];
}

CViewContainer* CFxView::GetActiveViewContainer() {
  const unsigned int slot = _selected();
  return m_buttons[slot] ? _panelForId(m_buttons[slot]->m_effectId) : nullptr;
}

void CFxView::UpdateFxView() {
  const unsigned int slot = _selected();
  const long long id = m_buttons[slot] ? m_buttons[slot]->m_effectId : 0;
  for (CFxModule* p : m_panels) {
    if (p && isChild(p)) removeView(p, false);
  }
  CFxModule* panel = _panelForId(id);
  if (!panel) return;
  if (id > 0) {
    panel->SetInstance(static_cast<unsigned int>((id - 1) % 2));
    panel->SetSlot(slot);
  }
  addView(panel);
  panel->updateAll();
}

void CFxView::_moveEffect(unsigned int s, CFxMtxButton* button) {
  unsigned int fresh = static_cast<unsigned int>(button->m_effectId);
  bool found = false;
  for (unsigned int k = 0; k < FX_SLOT_COUNT; ++k) {
    if (m_commands->GetIntParam(ID_CELL_FX + k) != fresh) continue;
    m_commands->SetIntParam(ID_CELL_FX + k, 0);
    unsigned int on = m_commands->GetIntParam(ID_CELL_ON + k) != 0 ? 1 : 0;
    m_commands->SetIntParam(ID_CELL_ON + k, 0);
    m_commands->SetIntParam(ID_CELL_ON + s, on);
    found = true;
  }
  m_commands->SetIntParam(ID_CELL_FX + s, fresh);
  if (!found) m_commands->SetIntParam(ID_CELL_ON + s, 1);
}

void CFxView::_reset() {
  m_commands->ResetParamToFactory(ID_SPLIT);
  for (unsigned int id = ID_CELL_ON; id < ID_CELL_FX + FX_SLOT_COUNT; ++id) m_commands->ResetParamToFactory(id);
  for (unsigned int id = 185; id <= 330; ++id) m_commands->ResetParamToFactory(id);
  for (unsigned int id = 763; id <= 772; ++id) m_commands->ResetParamToFactory(id);
}

void CFxView::valueChanged(CControl* control) {
  if (!control) return;
  long tag = control->getTag();
  CEditor* editor = EditorOf(this);
  if (editor) editor->LatchControlTag(tag);
  if (m_commands) {
    if (tag >= TAG_FX_SLOT && tag < TAG_FX_SLOT + static_cast<long>(FX_SLOT_COUNT)) {
      unsigned int s = static_cast<unsigned int>(tag - TAG_FX_SLOT);
      CFxMtxButton* b = m_buttons[s];
      if (b->m_onToggled) {
        b->m_onToggled = false;
        if (m_commands->GetIntParam(ID_CELL_FX + s) != 0) m_commands->SetIntParam(ID_CELL_ON + s, b->m_on ? 1 : 0);
      } else {
        if (m_selectors) m_selectors[FX_SELECTOR_WORD] = s;
        for (CFxMtxButton* other : m_buttons) {
          if (other->getValue() != 0.f) other->setDirty();
          other->setValue(0.f);
        }
        b->setValue(1.f);
        b->setDirty();
        if (b->m_idChanged) {
          b->m_idChanged = false;
          _moveEffect(s, b);
        }
      }
      UpdateMatrix();
    } else if (tag == TAG_FX_SPLITTER) {
      m_commands->SetIntParam(ID_SPLIT, static_cast<unsigned int>(static_cast<int>(control->getValue()) + 1));
      UpdateMatrix();
    } else if (tag >= TAG_FXMTX_LOAD && tag <= TAG_FXMTX_RESET && control->getValue() == 0.f) {
      if (tag == TAG_FXMTX_LOAD && editor) editor->OnLoadModulePreset(4, 0);
      if (tag == TAG_FXMTX_SAVE && editor) editor->OnSaveModulePreset(4, 0);
      if (tag == TAG_FXMTX_RESET) _reset();
      UpdateMatrix();
    }
  }
  if (editor) editor->OnSetParameterAutomated(tag);
}
