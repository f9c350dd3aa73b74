#pragma once
// The recorder panel: records the instrument's own output, plays the take,
// trims it between two markers and saves it as a WAV file or inserts it
// into an oscillator. The recording lives in the engine behind the command
// interface; the panel switches it, edits through it, and shows its own copy
// of the take (CRecordedTake) in a sample view. The editor opens the panel
// with its Record command and calls Update() on every timer tick while the
// panel is shown.
//
// The markers sit on frame indices of the take and select the frames
// between and on them; the engine receives them as fractions of the last
// frame index (CSampleRecorder::FractionOf), which it turns back into the
// same frames, so what is played, trimmed and saved is what is shown.
//
// Editor thread only.

#include <string>

#include "editor/pages/Overlays.h"
#include "editor/pages/RecordedTake.h"

class CEditor;
class CSampleView;
class ICommandHandler;
class IGlobalSynth;

class CRecorder : public COverlayPanel, public CControlListener {
 public:
  static const long TAG_CLOSE = 68222;
  static const long TAG_TOOLS = 68223;
  static const long TAG_RECORD = 68224;
  static const long TAG_PLAY = 68225;

  CRecorder(CEditor* editor, ICommandHandler* commands, IGlobalSynth* synth, const CRect& size, CFrame* frame,
            CBitmap* background);
  ~CRecorder() override;
  CRecorder(const CRecorder&) = delete;
  CRecorder& operator=(const CRecorder&) = delete;

  // Mirrors the engine's recording and playback flags in the switches and
  // follows a growing take.
  void Update();
  void UpdateSampleView();

  void valueChanged(CControl* control) override;
  bool isTypeOf(const char* type) const override;

  CSampleView* GetSampleView() const { return m_sampleView; }
  COnOffButton* GetPlaySwitch() const { return m_playSwitch; }
  COnOffButton* GetRecordSwitch() const { return m_recordSwitch; }
  const CRecordedTake& GetTake() const { return m_take; }

  // What the next "Save As..." offers (shared by every instance).
  static std::string GetDefaultSaveFolder();
  static std::string GetDefaultSaveName();

 private:
  void _showToolsMenu(CControl* anchor);
  void _saveAs();
  // Markers on the whole take, in the view and in the engine.
  void _wholeTakeLoop();

  CEditor* m_editor;
  ICommandHandler* m_commands;
  IGlobalSynth* m_synth;
  CSampleView* m_sampleView = nullptr;
  COnOffButton* m_playSwitch = nullptr;
  COnOffButton* m_recordSwitch = nullptr;
  CRecordedTake m_take;
  bool m_wasRecording = false;
};
