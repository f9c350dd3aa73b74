#pragma once
// The Audio Unit's editor view. A host finds the view factory through the
// unit's Cocoa-view property (the bundle that holds the factory class and
// the class name), makes the factory by that name and asks it for a view.
// The view takes the editor's size, opens the instrument's editor into
// itself and drives the editor's idle processing from a repeating
// 0.04-second timer, which the host's run loop (or a test) fires through
// TimerTick. Destroying the view stops the timer, waits for a tick in
// progress and closes the editor.
//
// On this platform the view is an X11 window when the host asks the
// factory for one (SetHostWindow): the editor then opens in a child of the
// host's window, or in a top-level window titled "Morlavine". Without it
// the editor draws off-screen only.
//
// The view keeps only the unit's component instance and reaches the unit
// object each time through the unit's private instance property; a unit of
// another kind is never reached. A unit disposed while its view is still
// held detaches the view first (Detach): the editor closes while the unit
// exists and the view never reaches the unit again. A host that asks for a
// second view before releasing the first gets the editor in the new view;
// the old one is detached then, and only the view the unit has registered
// closes the editor.
//
// The timer may tick on the host's user-interface thread while the unit is
// disposed on another: the tick marks itself running before it tests the
// timer flag, and the teardown clears the flag before it waits for a
// running tick, so a tick never reaches a unit that is going away.

#include <atomic>
#include <string>

#include "platform/au/AUCocoaUI.h"
#include "platform/au/AUTypes.h"

class CAUSynth;

class CAUCocoaView : public IAUCocoaView {
 public:
  static constexpr double TIMER_INTERVAL = 0.04;  // seconds

  CAUCocoaView() = default;
  ~CAUCocoaView() override;
  CAUCocoaView(const CAUCocoaView&) = delete;
  CAUCocoaView& operator=(const CAUCocoaView&) = delete;

  // Opens the editor of au into the view and starts the idle timer (also
  // when au cannot be reached; its ticks then do nothing). A null unit only
  // clears the view's unit.
  void SetAU(AudioUnit au);
  // One tick of the idle timer: the editor's idle processing.
  void TimerTick() override;
  // The host closes the view, or the unit goes away: timer stopped, a
  // running tick awaited, editor closed, unit forgotten. Idempotent.
  void Detach();

  // A click in the editor never drags the host's window.
  bool MouseDownCanMoveWindow() const { return false; }

  // The view's frame: origin (0, 0), the editor's size.
  double GetWidth() const override { return m_width; }
  double GetHeight() const override { return m_height; }
  bool PostsFrameChangedNotifications() const { return m_postsFrameChanged; }
  bool IsTimerRunning() const { return m_timerRunning.load(); }
  double GetTimerInterval() const { return m_timerRunning.load() ? TIMER_INTERVAL : 0.0; }
  AudioUnit GetAU() const { return m_au.load(); }

  // The X11 window the editor shows in (0 when off-screen), and whether the
  // user asked to close the view's top-level window.
  unsigned long GetWindowId() const override;
  bool IsCloseRequested() const override;
  // The editor drawn as it stands into a PNG file.
  bool WritePicture(const char* path) override;

 private:
  friend class CAUCocoaViewFactory;
  // The unit object behind m_au, or null.
  CAUSynth* _Synth() const;
  void _Teardown();

  std::atomic<AudioUnit> m_au{nullptr};
  std::atomic<bool> m_timerRunning{false};
  std::atomic<bool> m_idleRunning{false};
  bool m_windowed = false;
  double m_width = 0.0;
  double m_height = 0.0;
  bool m_postsFrameChanged = false;
};

// The view class: registered by name in the process's view-class registry
// while the binary holding it is loaded.
class CAUCocoaViewFactory : public IAUCocoaUIBase {
 public:
  static constexpr const char* CLASS_NAME = "CAUCocoaViewFactory";

  // The record the unit answers for its Cocoa-view property: the file URL
  // of the binary that holds this class and the class's name, both new
  // references for the receiver to release.
  static bool GetViewInfo(AudioUnitCocoaViewInfo& info);
  // The factory of the class named className (null for any other name).
  static CAUCocoaViewFactory* CreateByClassName(const char* className);

  unsigned int InterfaceVersion() const override { return 0; }
  std::string Description() const { return "Morlavine"; }
  // Views made from now on are X11 windows: children of parent, or with
  // parent 0 top-level windows of their own.
  void SetHostWindow(unsigned long parent) override {
    m_windowed = true;
    m_parent = parent;
  }
  // A new view showing the editor of au (owned by the caller); the size is
  // not used.
  CAUCocoaView* UiViewForAudioUnit(AudioUnit au, double width, double height) override;

 private:
  CAUCocoaView* m_freshlyLoadedView = nullptr;
  bool m_windowed = false;
  unsigned long m_parent = 0;
};
