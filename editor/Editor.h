#pragma once
// The instrument's editor: one object per instance, built by the instrument
// object and kept for the instance's life whether or not a window is open.
// It owns the file object through which presets are loaded and saved, the
// browser memory and the four overlay panels; while a window is open it
// also owns the frame with every control of the main window and the three
// pages. It listens to the main window's controls, receives the program's
// own control messages, runs the editor commands and mirrors parameter
// changes that arrive from the host or from MIDI.
//
// Threads: everything runs on the editor's thread (the host's user-interface
// thread that opens and idles the window) except the changes that arrive
// from outside: UpdateParamValue (host automation on any thread, MIDI
// controllers on the render thread) and RestoreFromHost (a state restored
// on any thread). Called on the editor's thread they apply at once; from
// any other thread they are recorded and the editor's thread applies them
// at its next idle, before it draws. A parameter change is recorded without
// a lock or an allocation (a value and a flag per parameter), so the render
// thread never waits for the window; a restored state is recorded under a
// small lock. The editor lock guards open and close against those that
// apply changes, so a change never meets a half-built or half-destroyed
// frame.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "editor/IControlHandler.h"
#include "editor/pages/MsegCopy.h"
#include "engine/AccessLock.h"
#include "platform/vstgui/vstgui.h"

class AudioEffectX;
class CArpView;
class CControlPopupMenu;
class CFxView;
class CListControl;
class CMiniPresetBrowser;
class CModView;
class CModeSelector;
class CModulatedKnob;
class CPresetFile;
class CNumericList;
class CPresetBrowser;
class CRecorder;
class CSampleEditor;
class CTextButton;
class CWaveTableEditor;
class CXYControl;
class ICommandHandler;
class IGlobalSynth;

class CEditor : public AEffGUIEditor,
                public CControlListener,
                public IControlHandler,
                public CBaseObject,
                public IMouseObserver {
 public:
  static const int EDITOR_WIDTH = 977;
  static const int EDITOR_HEIGHT = 695;
  static const unsigned int OSC_COUNT = 4;
  static const unsigned int MATRIX_ROWS = 6;
  static const unsigned int MOD_SLOTS = 24;

  CEditor(AudioEffect* effect, ICommandHandler* commands, IGlobalSynth* synth);
  ~CEditor() override;
  CEditor(const CEditor&) = delete;
  CEditor& operator=(const CEditor&) = delete;

  // Window life cycle.
  bool getRect(ERect** rect) override;
  bool open(void* parentWindow) override;
  void close() override;
  // The host's idle call: applies the changes recorded for the editor's
  // thread, then lets the frame run its timers and redraw.
  void idle() override;
  // Timer tick (CVSTGUITimer::kMsgTimer).
  CMessageResult notify(CBaseObject* sender, const char* message) override;

  // Host notification of a control's edit gesture, by control tag.
  void beginEdit(long tag) override;
  void endEdit(long tag) override;

  // The main window's listener and the control messages.
  void valueChanged(CControl* control) override;
  void OnControlMessage(CControl* control, unsigned int message, float value) override;

  // Frame-wide mouse notifications.
  void onMouseEntered(CView* view, CFrame* frame) override {}
  void onMouseExited(CView* view, CFrame* frame) override;
  CMouseEventResult onMouseMoved(CFrame* frame, const CPoint& where, const long& buttons) override {
    return kMouseEventNotHandled;
  }
  CMouseEventResult onMouseDown(CFrame* frame, const CPoint& where, const long& buttons) override {
    return kMouseEventNotHandled;
  }

  // Changes from outside the editor.
  void updateAll();
  void UpdateParamValue(unsigned int id, float value);
  void SetPresetAuthor(std::string author);
  void SetPresetName(std::string name);
  // A saved state was restored (from any thread): the preset's author, name
  // and file path, then every control reread from the engine; on another
  // thread than the editor's while the window is open, at the next idle.
  void RestoreFromHost(const std::string& author, const std::string& name, const std::string& path);
  // Copies of the preset's author, name and path for the host's thread
  // (a restored state's texts as soon as it is recorded).
  void GetPresetTexts(std::string& author, std::string& name, std::string& path) const;
  bool IsRestorePending() const;

  // Edit path.
  long TagToSynthParam(long tag);
  long TagToVstParam(long tag);
  CControl* getControlByParam(unsigned int id);
  void OnSetParameterAutomated(long tag);
  void updateMainView();
  void RebuildModMatrixCache();
  void UpdateModMatrixLinks();
  void UpdateArpAndGateButtons();
  void LatchControlTag(long tag);
  static unsigned int _valueToModSource(float value);
  static float _modSourceToValue(float source);
  static unsigned int _valueToModTarget(float value);
  static float _modTargetToValue(float target);

  // View look-ups: the first direct child that is a control with the tag.
  CControl* getControlByTag(long tag);
  static CControl* getViewControlByTag(CViewContainer* container, long tag);

  // Pop-up menus: shows menu at anchor (modal) and reports the tag of the
  // menu holding the chosen entry and the entry's index without separators
  // (-1, -1 when nothing was chosen); returns the chosen entry or null.
  CMenuItem* ShowPopupMenu(CControl* anchor, COptionMenu* menu, long& tag, long& index);

  // Overlays.
  void ShowPresetBrowser(unsigned int category);
  void ClosePresetBrowser(bool save);
  void ShowWaveTableEditor(unsigned int osc);
  void CloseWaveTableEditor();
  void ShowSampleEditor(unsigned int osc);
  void CloseSampleEditor();
  void ShowRecorder();
  void CloseRecorder();

  // Browser categories, loading and saving.
  void InitPresetBrowserCategory(unsigned int category);
  void OnFileSelected(bool updateBrowser);
  // An empty path asks with the open dialog, which starts in folder (when
  // given).
  void DoLoadPreset(std::string path, bool updateBrowser, const char* dialogFilter, const char* extension,
                    const char* folder = nullptr);
  // Tells the user why a save wrote nothing (a drawn message); nothing for
  // an empty error (the dialog was cancelled).
  static void ReportSaveFailure(const std::string& error);
  void OnLoadModulePreset(unsigned int kind, unsigned int instance);
  void OnSaveModulePreset(unsigned int kind, unsigned int instance);
  bool SaveWaveTablePreset(unsigned int osc);
  void ResetOscWaveTable(unsigned int osc);
  void SelectNextPreset();
  void SelectPrevPreset();
  void SelectNextOscPreset(unsigned int osc, bool wavetables);
  void SelectPrevOscPreset(unsigned int osc, bool wavetables);
  void SelectNextOscSample(unsigned int osc);
  void SelectPrevOscSample(unsigned int osc);
  void ShowMiniBrowserMenu();
  void InitPresetBrowserCategorySelection(std::string path);

  // MIDI learn, forwarded to the instrument object.
  void StartMidiLearn(unsigned int id);
  void StopMidiLearn();
  bool IsMidiLearnActive();
  int GetAssignedMidiCC(unsigned int id);
  void ClearAssignedMidiCC(unsigned int id);

  // State, for the instrument object, the pages and tests.
  ICommandHandler* GetCommandHandler() const { return m_commands; }
  IGlobalSynth* GetSynth() const { return m_synth; }
  CPresetFile& GetPresetFile() { return *m_filePtr; }
  std::string GetPresetAuthor() const;
  std::string GetPresetName() const;
  std::string GetPresetPath() const;
  unsigned int* GetSelectors() { return m_selectors; }
  long GetViewPage() const { return m_viewPage; }
  long GetModMatrixPage() const { return m_modMatrixPage; }
  bool AreControlsBuilt() const { return m_controlsBuilt != 0; }
  unsigned int GetBrowserCategory() const { return m_category; }
  unsigned int GetCategoryInstance() const { return m_categoryInstance; }
  void SetCategoryInstance(unsigned int instance) { m_categoryInstance = instance; }
  const std::string& GetCategoryFolder(unsigned int category) const { return m_categoryFolders[category % 20]; }
  const std::string& GetCategoryFile(unsigned int category) const { return m_categoryFiles[category % 20]; }
  const std::string& GetOscFolder(unsigned int osc) const { return m_oscFolders[osc % OSC_COUNT]; }
  const std::string& GetOscFile(unsigned int osc) const { return m_oscFiles[osc % OSC_COUNT]; }
  const std::string& GetCurrentPresetFolder() const { return m_presetFolder; }
  CPresetBrowser* GetPresetBrowser() const { return m_presetBrowser; }
  CWaveTableEditor* GetWaveTableEditor() const { return m_waveTableEditor; }
  CSampleEditor* GetSampleEditor() const { return m_sampleEditor; }
  CRecorder* GetRecorder() const { return m_recorder; }
  CMiniPresetBrowser* GetMiniBrowser() const { return m_miniBrowser; }
  CFxView* GetFxView() const { return m_fxView; }
  CModView* GetModView() const { return m_modView; }
  CArpView* GetArpView() const { return m_arpView; }
  CVSTGUITimer* GetTimer() const { return m_timer; }
  CModulatedKnob* GetRegisteredKnob(unsigned int id) const { return id < m_knobs.size() ? m_knobs[id] : nullptr; }
  CModulatedKnob* GetModLinkKnob(unsigned int slot) const { return slot < MOD_SLOTS ? m_modLinks[slot] : nullptr; }
  CXYControl* GetOscPad(unsigned int osc) const { return osc < OSC_COUNT ? m_osc[osc].pad : nullptr; }
  CXYControl* GetMorphPad() const { return m_morphPad; }
  long GetPendingPadRefresh() const { return m_pendingPad; }
  CControlPopupMenu* GetContextMenu() const { return m_contextMenu; }

  // What the open editor was sent, for diagnostics and tests: parameter
  // updates that reached an open window, the last of them, and refreshes.
  unsigned int GetUpdateCount() const { return m_updateCount; }
  unsigned int GetLastUpdatedId() const { return m_lastUpdatedId; }
  float GetLastUpdatedValue() const { return m_lastUpdatedValue; }
  unsigned int GetUpdateAllCount() const { return m_updateAllCount; }

 private:
  struct OSC_CONTROLS {
    CTextButton* nameButton;
    CListControl* fxLists[4];
    CModulatedKnob* fxKnobs[4];
    CModulatedKnob* fmKnob;
    CModulatedKnob* phaseKnob;
    CXYControl* pad;
    CModulatedKnob* xKnob;
    CModulatedKnob* yKnob;
    CControl* editButton;
    COnOffButton* invertButton;
    COnOffButton* freeButton;
  };

  void createControls();
  void _clearControlReferences();
  void _runCommand(CControl* control, long tag, float value);
  void _savePreset();
  void _showMainMenu(CControl* anchor);
  void _modulationAmount(CControl* control);
  void _showMiniBrowserTexts();
  void _attach(CView* view);
  void _detach(CView* view);
  bool _isAttached(CView* view) const;
  std::string _categoryPath() const;
  // At a tick: shows the remembered preset in a browser on screen after a
  // restored state changed it.
  void _refreshStaleBrowser();
  // The browser's first category remembers path's folder and file.
  void _selectBrowserPath(const std::string& path);
  AudioEffectX* _effectX() const;
  // Changes handed to the editor's thread.
  bool _onEditorThread() const { return m_editorThread.load() == std::this_thread::get_id(); }
  void _applyParamValue(unsigned int id, float value);
  void _postParamValue(unsigned int id, float value);
  void _dropPostedValue(unsigned int id);
  void _dropPostedValues();
  void _applyPostedValues();
  void _applyRestoredTexts(const std::string& author, const std::string& name, const std::string& path);
  void _applyPendingRestore();
  // On the editor's thread: the recorded restore, then the recorded values.
  void _applyChanges();

  // Parameters that can have a control of their own (the macros are last).
  static const unsigned int MIRRORED_PARAM_COUNT = 1581;
  static const unsigned int MIRRORED_WORDS = (MIRRORED_PARAM_COUNT + 31) / 32;

  ICommandHandler* m_commands;
  IGlobalSynth* m_synth;
  CAccessLock m_lock;
  CVSTGUITimer* m_timer = nullptr;
  unsigned int m_selectors[6];
  long m_viewPage = 1;
  long m_modMatrixPage = 0;
  CFxView* m_fxView = nullptr;
  CModView* m_modView = nullptr;
  CArpView* m_arpView = nullptr;
  CPresetBrowser* m_presetBrowser = nullptr;
  CWaveTableEditor* m_waveTableEditor = nullptr;
  CSampleEditor* m_sampleEditor = nullptr;
  CRecorder* m_recorder = nullptr;
  CMiniPresetBrowser* m_miniBrowser = nullptr;
  CModulatedKnob* m_modLinks[MOD_SLOTS];
  std::vector<CModulatedKnob*> m_knobs;
  CModulatedKnob* m_unisonKnobs[2];
  CListControl* m_rowTargets[MATRIX_ROWS];
  CListControl* m_rowSources[MATRIX_ROWS];
  CNumericList* m_rowAmounts[MATRIX_ROWS];
  OSC_CONTROLS m_osc[OSC_COUNT];
  CXYControl* m_morphPad = nullptr;
  long m_pendingPad = -1;
  CBitmap* m_oscButtonBitmaps[4];
  // The file object (held by pointer so that users of this header need not
  // see the preset file's declarations).
  std::unique_ptr<CPresetFile> m_filePtr;
  CPresetFile& m_file;
  unsigned int m_category = 0;
  unsigned int m_categoryInstance = 0;
  std::vector<std::string> m_categoryFolders;
  std::vector<std::string> m_categoryFiles;
  std::string m_presetFolder;
  std::string m_oscFolders[OSC_COUNT];
  std::string m_oscFiles[OSC_COUNT];
  std::atomic<bool> m_browserStale{false};
  unsigned char m_controlsBuilt = 0;
  MSEG_COPY m_msegCopy;
  CControlPopupMenu* m_contextMenu = nullptr;

  // The thread that opened or last idled the window (none while closed).
  std::atomic<std::thread::id> m_editorThread{};
  // Parameter values recorded on other threads: the value, then its flag.
  std::unique_ptr<std::atomic<float>[]> m_postedValues;
  std::unique_ptr<std::atomic<uint32_t>[]> m_postedFlags;
  // A restored state waiting for the editor's thread, and the preset texts
  // as the host reads them, under this lock.
  mutable std::mutex m_restoreLock;
  bool m_restorePending = false;
  std::string m_restoredAuthor;
  std::string m_restoredName;
  std::string m_restoredPath;

  unsigned int m_updateCount = 0;
  unsigned int m_lastUpdatedId = 0;
  float m_lastUpdatedValue = 0.f;
  unsigned int m_updateAllCount = 0;
};
