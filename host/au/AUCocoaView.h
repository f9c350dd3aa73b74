#pragma once
// The Audio Unit's editor view, as a headless stand-in for the window
// system's view: the factory makes a view for a unit; the view takes the
// editor's size, opens the instrument's editor into itself (the editor draws
// into its own off-screen frame) and drives the editor's idle processing
// from a repeating 0.04-second timer, which the host's run loop (or a test)
// fires through TimerTick. Destroying the view stops the timer, waits for a
// tick in progress and closes the editor.
//
// The view keeps only the unit's component instance and reaches the unit
// object each time through the unit's private instance property; a unit of
// another kind is never reached.

#include <atomic>
#include <string>

#include "platform/au/AUTypes.h"

class CAUSynth;

class CAUCocoaView {
 public:
  static constexpr double TIMER_INTERVAL = 0.04;  // seconds

  CAUCocoaView() = default;
  ~CAUCocoaView();
  CAUCocoaView(const CAUCocoaView&) = delete;
  CAUCocoaView& operator=(const CAUCocoaView&) = delete;

  // Opens the editor of au into the view and starts the idle timer (also
  // when au cannot be reached; its ticks then do nothing). A null unit only
  // clears the view's unit.
  void SetAU(AudioUnit au);
  // One tick of the idle timer: the editor's idle processing.
  void TimerTick();

  // A click in the editor never drags the host's window.
  bool MouseDownCanMoveWindow() const { return false; }

  // The view's frame: origin (0, 0), the editor's size.
  double GetWidth() const { return m_width; }
  double GetHeight() const { return m_height; }
  bool PostsFrameChangedNotifications() const { return m_postsFrameChanged; }
  bool IsTimerRunning() const { return m_timerRunning; }
  double GetTimerInterval() const { return m_timerRunning ? TIMER_INTERVAL : 0.0; }
  AudioUnit GetAU() const { return m_au; }

 private:
  // The unit object behind m_au, or null.
  CAUSynth* _Synth() const;

  AudioUnit m_au = nullptr;
  bool m_timerRunning = false;
  std::atomic<bool> m_idleRunning{false};
  double m_width = 0.0;
  double m_height = 0.0;
  bool m_postsFrameChanged = false;
};

class CAUCocoaViewFactory {
 public:
  unsigned int InterfaceVersion() const { return 0; }
  std::string Description() const { return "Morlavine"; }
  // A new view showing the editor of au (owned by the caller); the size is
  // not used.
  CAUCocoaView* UiViewForAudioUnit(AudioUnit au, double width, double height);

 private:
  CAUCocoaView* m_freshlyLoadedView = nullptr;
};
