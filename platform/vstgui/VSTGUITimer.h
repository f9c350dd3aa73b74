#pragma once
// A repeating timer: while running it sends kMsgTimer to its target every
// fireTime milliseconds. Timers are driven by the host's idle calls: a timer
// made for a frame belongs to that frame and only that frame's idle
// (CFrame::idle) runs it, on the thread that idles the frame, so editors of
// several instances idled on different threads never run each other's
// timers. A timer without a frame runs only from runDueTimers without a
// frame (tests drive timers that way with a clock of their own), or fire
// sends one tick directly.
//
// The list of running timers is shared by every frame of the process and
// guarded by a lock: a timer may start or stop on one thread (an editor
// closing as its instance goes away) while another frame idles. Ticks are
// sent outside the lock; a tick may start, stop or delete timers.

#include "platform/vstgui/BaseObject.h"

class CFrame;

class CVSTGUITimer : public CBaseObject {
 public:
  static const char* kMsgTimer;

  CVSTGUITimer(CBaseObject* timerObject, int fireTime = 100, CFrame* frame = nullptr);
  ~CVSTGUITimer() override;
  CVSTGUITimer(const CVSTGUITimer&) = delete;
  CVSTGUITimer& operator=(const CVSTGUITimer&) = delete;

  // Starts counting from now; true when it was not running.
  virtual bool start();
  virtual bool stop();
  bool isRunning() const;
  // Milliseconds between ticks; values below 1 become 1.
  bool setFireTime(int newFireTime);
  int getFireTime() const;
  // Sends one tick now.
  void fire();
  // The frame whose idle runs this timer (null: none).
  CFrame* getFrame() const { return frame; }

  // Fires every running timer of frame (null: the timers without a frame)
  // whose time has come, once each, and schedules its next tick; answers
  // how many fired.
  static int runDueTimers(CFrame* frame, unsigned long nowMs);
  static int runDueTimers(unsigned long nowMs) { return runDueTimers(nullptr, nowMs); }
  static int runDueTimers() { return runDueTimers(nullptr, now()); }
  // Stops every timer of a frame that goes away; they never fire again.
  static void stopFrameTimers(CFrame* frame);
  // Milliseconds of the timers' clock.
  static unsigned long now();
  // Replaces the clock (null: the steady system clock), for tests.
  static void setClock(unsigned long (*clock)());
  // Running timers of all frames.
  static int getRunningCount();

 private:
  CBaseObject* timerObject;
  CFrame* const frame;
  // Guarded by the timers' lock.
  int fireTime;
  bool running = false;
  unsigned long nextFire = 0;
};
