#pragma once
// Placeholder for the instrument's editor until the real editor lands: a
// headless CEditor with exactly what the VST instrument object calls. It
// keeps the current preset's author, name and path, counts the parameter
// updates it is sent while open, and answers the host's editor opcodes
// with a fixed rectangle. It draws nothing. Like every editor it registers
// itself with its effect when built.

#include <string>

#include "engine/AccessLock.h"
#include "platform/vst/AEffEditor.h"

class AudioEffect;
class ICommandHandler;
class IGlobalSynth;

class CEditor : public AEffEditor {
 public:
  static constexpr VstInt16 EDITOR_WIDTH = 1000;
  static constexpr VstInt16 EDITOR_HEIGHT = 700;

  CEditor(AudioEffect* effect, ICommandHandler* commands, IGlobalSynth* globalSynth);
  ~CEditor() override;
  CEditor(const CEditor&) = delete;
  CEditor& operator=(const CEditor&) = delete;

  bool getRect(ERect** rect) override;
  bool open(void* parent) override;
  void close() override;
  void idle() override {}

  // From the render thread: mirrors one parameter to an open editor. Guarded
  // by the editor lock against open and close; nothing happens while closed.
  void UpdateParamValue(unsigned int id, float value);
  // Refreshes every control of an open editor from the parameter store.
  void updateAll();

  void SetPresetAuthor(const char* author);
  void SetPresetName(const char* name);
  // Keeps path as the current preset path.
  void InitPresetBrowserCategorySelection(const char* path);

  const char* GetPresetAuthor() const { return m_author.c_str(); }
  const char* GetPresetName() const { return m_name.c_str(); }
  const char* GetPresetPath() const { return m_path.c_str(); }

  // What the open editor was last sent, for the host layer's tests.
  unsigned int GetUpdateCount() const { return m_updateCount; }
  unsigned int GetLastUpdatedId() const { return m_lastId; }
  float GetLastUpdatedValue() const { return m_lastValue; }
  unsigned int GetUpdateAllCount() const { return m_updateAllCount; }

 private:
  ICommandHandler* m_commands;
  IGlobalSynth* m_synth;
  CAccessLock m_lock;
  ERect m_rect;
  std::string m_author;
  std::string m_name;
  std::string m_path;
  unsigned int m_updateCount = 0;
  unsigned int m_lastId = 0;
  float m_lastValue = 0.0f;
  unsigned int m_updateAllCount = 0;
};
