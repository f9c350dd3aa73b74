#include "host/vst/EditorStub.h"

#include "platform/vst/AudioEffect.h"

CEditor::CEditor(AudioEffect* effect, ICommandHandler* commands, IGlobalSynth* globalSynth)
    : AEffEditor(effect), m_commands(commands), m_synth(globalSynth), m_author("Factory reset"), m_name("Default") {
  m_rect.top = 0;
  m_rect.left = 0;
  m_rect.bottom = EDITOR_HEIGHT;
  m_rect.right = EDITOR_WIDTH;
  // Like every editor, it registers itself with its effect, which then
  // answers the host's editor opcodes through it.
  if (effect) effect->setEditor(this);
}

CEditor::~CEditor() { close(); }

bool CEditor::getRect(ERect** rect) {
  if (!rect) return false;
  *rect = &m_rect;
  return true;
}

bool CEditor::open(void* parent) {
  CAutoLock lock(m_lock);
  return AEffEditor::open(parent);
}

void CEditor::close() {
  CAutoLock lock(m_lock);
  AEffEditor::close();
}

void CEditor::UpdateParamValue(unsigned int id, float value) {
  CAutoLock lock(m_lock);
  if (!isOpen()) return;
  ++m_updateCount;
  m_lastId = id;
  m_lastValue = value;
}

void CEditor::updateAll() {
  CAutoLock lock(m_lock);
  if (isOpen()) ++m_updateAllCount;
}

void CEditor::SetPresetAuthor(const char* author) { m_author = author ? author : ""; }

void CEditor::SetPresetName(const char* name) { m_name = name ? name : ""; }

void CEditor::InitPresetBrowserCategorySelection(const char* path) { m_path = path ? path : ""; }
