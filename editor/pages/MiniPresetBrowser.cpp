#include "editor/pages/MiniPresetBrowser.h"

#include <cstdio>
#include <cstring>

#include "editor/Editor.h"
#include "engine/ICommandHandler.h"
#include "engine/Params.h"

CMiniPresetBrowser::CMiniPresetBrowser(ICommandHandler* commands, const CRect& size, CControlListener* listener,
                                       long tag)
    : CParamDisplay(size, nullptr, kNoFrame),
      m_nameFont(new CFontDesc("Arial", 11, kBoldFace)),
      m_readoutFont(new CFontDesc("Arial", 9, kBoldFace)),
      m_commands(commands) {
  setListener(listener);
  setTag(tag);
  setTextTransparency(true);
  setBackColor(CColor(0, 0, 0, 0));
}

CMiniPresetBrowser::CMiniPresetBrowser(const CMiniPresetBrowser& other)
    : CParamDisplay(other),
      m_author(other.m_author),
      m_name(other.m_name),
      m_nameFont(new CFontDesc(*other.m_nameFont)),
      m_readoutFont(new CFontDesc(*other.m_readoutFont)),
      m_commands(other.m_commands),
      m_latchedTag(other.m_latchedTag),
      m_redrawRequest(other.m_redrawRequest) {
  std::memcpy(m_readout, other.m_readout, sizeof(m_readout));
}

CMiniPresetBrowser::~CMiniPresetBrowser() {
  m_nameFont->forget();
  m_readoutFont->forget();
}

bool CMiniPresetBrowser::isTypeOf(const char* type) const {
  if (type && std::strcmp(type, "CMiniPresetBrowser") == 0) return true;
  return CParamDisplay::isTypeOf(type);
}

void CMiniPresetBrowser::SetPresetName(const std::string& name) {
  m_name = name;
  m_latchedTag = -1;
  setDirty(true);
}

void CMiniPresetBrowser::SetAuthorName(const std::string& author) {
  m_author = author;
  m_latchedTag = -1;
  setDirty(true);
}

void CMiniPresetBrowser::LatchControlTag(long tag) {
  m_latchedTag = tag;
  m_redrawRequest = true;
}

void CMiniPresetBrowser::Update() {
  if (m_redrawRequest) setDirty(true);
  m_redrawRequest = false;
}

std::string CMiniPresetBrowser::SecondLine() {
  if (m_latchedTag == -1 || !m_commands) return m_author;
  switch (m_latchedTag) {
    case 134:
      std::snprintf(m_readout, sizeof(m_readout), "Glide Time = %.2f%%", m_commands->GetFloatParam(134) * 100.f);
      return m_readout;
    case 486:
      std::snprintf(m_readout, sizeof(m_readout), "Unison Tune = %.2f%%", m_commands->GetFloatParam(486) * 100.f);
      return m_readout;
    case 487:
      std::snprintf(m_readout, sizeof(m_readout), "Unison Stereo = %.2f%%",
                    m_commands->GetFloatParam(487) * 100.f);
      return m_readout;
    default:
      break;
  }
  CEditor* editor = dynamic_cast<CEditor*>(getListener());
  long id = editor ? editor->TagToSynthParam(m_latchedTag) : -1;
  if (id < 0 || id >= 361) {
    m_latchedTag = -1;
    return m_author;
  }
  std::snprintf(m_readout, sizeof(m_readout), "%s = %.2f%%", Params::GetParamName(static_cast<unsigned int>(id)),
                m_commands->GetFloatParam(static_cast<unsigned int>(id)) * 100.f);
  return m_readout;
}

void CMiniPresetBrowser::draw(CDrawContext* context) {
  const CRect& r = getViewSize();
  const CFontDesc* oldFont = context->getFont();
  CFontDesc savedFont(*oldFont);
  CColor oldColor = context->getFontColor();

  // Long names end inside the strip the window draws, a few pixels short
  // of the control's right edge (the master panel's border).
  CRect oldClip;
  context->getClipRect(oldClip);
  CRect clip(r.left, r.top, r.right - 6, r.bottom);
  clip.bound(oldClip);
  context->setClipRect(clip);

  context->setFont(m_nameFont);
  context->setFontColor(CColor(0, 106, 160, 255));
  context->drawString(m_name.c_str(), CRect(r.left, r.top + 11, r.right, r.top + 26), false, kLeftText);

  std::string second = SecondLine();
  context->setFont(m_readoutFont);
  context->setFontColor(CColor(0, 106, 160, 150));
  context->drawString(second.c_str(), CRect(r.left, r.top + 22, r.right, r.bottom), false, kLeftText);

  context->setClipRect(oldClip);
  context->setFont(&savedFont);
  context->setFontColor(oldColor);
  setDirty(false);
}

CMouseEventResult CMiniPresetBrowser::onMouseDown(CPoint& where, const long& buttons) {
  beginEdit();
  value = (buttons & kLButton) ? 1.f : 0.f;
  if (listener) listener->valueChanged(this);
  value = 0.f;
  endEdit();
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}
