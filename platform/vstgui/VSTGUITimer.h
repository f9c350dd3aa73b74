#pragma once
// A repeating timer: while running it sends kMsgTimer to its target every
// fireTime milliseconds. Timers run on the user-interface thread, driven by
// the host's idle calls (CFrame::idle runs the due ones); tests may drive
// them with runDueTimers and a time of their own, or fire one directly.

#include "platform/vstgui/BaseObject.h"

class CVSTGUITimer : public CBaseObject {
 public:
  static const char* kMsgTimer;

  CVSTGUITimer(CBaseObject* timerObject, int fireTime = 100);
  ~CVSTGUITimer() override;
  CVSTGUITimer(const CVSTGUITimer&) = delete;
  CVSTGUITimer& operator=(const CVSTGUITimer&) = delete;

  // Starts counting from now; true when it was not running.
  virtual bool start();
  virtual bool stop();
  bool isRunning() const { return running; }
  // Milliseconds between ticks; values below 1 become 1.
  bool setFireTime(int newFireTime);
  int getFireTime() const { return fireTime; }
  // Sends one tick now.
  void fire();

  // Fires every running timer whose time has come, once each, and
  // schedules its next tick; answers how many fired.
  static int runDueTimers(unsigned long nowMs);
  static int runDueTimers() { return runDueTimers(now()); }
  // Milliseconds of the timers' clock.
  static unsigned long now();
  // Replaces the clock (null: the steady system clock), for tests.
  static void setClock(unsigned long (*clock)());
  static int getRunningCount();

 private:
  CBaseObject* timerObject;
  int fireTime;
  bool running = false;
  unsigned long nextFire = 0;
};
