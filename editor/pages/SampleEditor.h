#pragma once
// The sample editor panel of an oscillator in sample mode: the sample as a
// waveform with its loop markers, its file name, its root key, and buttons
// to load, save, browse and step through samples. The sample, its loop and
// root pitch live in the engine; the panel reads and writes them through
// the command interface. The editor opens it for one oscillator at a time
// (SetOscInstance).
//
// Editor thread only.

#include <string>

#include "editor/pages/Overlays.h"

class CEditor;
class CListControl;
class CSampleView;
class CTextButton;
class ICommandHandler;

class CSampleEditor : public COverlayPanel, public CControlListener {
 public:
  static const long TAG_CLOSE = 68226;
  static const long TAG_LOAD = 68227;
  static const long TAG_SAVE = 68228;
  static const long TAG_PREV = 68229;
  static const long TAG_NEXT = 68230;
  static const long TAG_NAME = 68231;
  static const long TAG_ROOT_NOTE = 68232;
  static const long TAG_ROOT_OCTAVE = 68233;

  CSampleEditor(CEditor* editor, ICommandHandler* commands, const CRect& size, CFrame* frame, CBitmap* background);
  CSampleEditor(const CSampleEditor&) = delete;
  CSampleEditor& operator=(const CSampleEditor&) = delete;

  void SetOscInstance(unsigned int osc);
  unsigned int GetOscInstance() const { return m_osc; }
  // Rereads the oscillator's sample, name, root key and loop.
  void Update();

  void valueChanged(CControl* control) override;
  bool isTypeOf(const char* type) const override;

  CSampleView* GetSampleView() const { return m_sampleView; }
  CTextButton* GetNameButton() const { return m_nameButton; }
  CListControl* GetRootNoteList() const { return m_rootNote; }
  CListControl* GetRootOctaveList() const { return m_rootOctave; }

  // The folder the next save starts in (shared by every instance; empty
  // until a save succeeded).
  static std::string GetDefaultSaveFolder();

 private:
  void _save();

  CEditor* m_editor;
  ICommandHandler* m_commands;
  unsigned int m_osc = 0;
  CTextButton* m_nameButton = nullptr;
  CSampleView* m_sampleView = nullptr;
  CListControl* m_rootNote = nullptr;
  CListControl* m_rootOctave = nullptr;
};
