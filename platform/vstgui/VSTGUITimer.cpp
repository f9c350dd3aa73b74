// Repeating timers driven by the host's idle calls.

#include "platform/vstgui/VSTGUITimer.h"

#include <algorithm>
#include <chrono>
#include <vector>

const char* CVSTGUITimer::kMsgTimer = "timer";

namespace {

// Running timers, in start order. Timers live on the user-interface thread.
std::vector<CVSTGUITimer*>& Running() {
  static std::vector<CVSTGUITimer*>* running = new std::vector<CVSTGUITimer*>();
  return *running;
}

unsigned long (*gClock)() = nullptr;

unsigned long SteadyMs() {
  using namespace std::chrono;
  return (unsigned long)duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

CVSTGUITimer::CVSTGUITimer(CBaseObject* target, int time) : timerObject(target) { setFireTime(time); }

CVSTGUITimer::~CVSTGUITimer() { stop(); }

unsigned long CVSTGUITimer::now() { return gClock ? gClock() : SteadyMs(); }

void CVSTGUITimer::setClock(unsigned long (*clock)()) { gClock = clock; }

int CVSTGUITimer::getRunningCount() { return (int)Running().size(); }

bool CVSTGUITimer::start() {
  if (running) return false;
  running = true;
  nextFire = now() + (unsigned long)fireTime;
  Running().push_back(this);
  return true;
}

bool CVSTGUITimer::stop() {
  if (!running) return false;
  running = false;
  auto& list = Running();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  return true;
}

bool CVSTGUITimer::setFireTime(int newFireTime) {
  fireTime = newFireTime < 1 ? 1 : newFireTime;
  if (running) nextFire = now() + (unsigned long)fireTime;
  return true;
}

void CVSTGUITimer::fire() {
  if (timerObject) timerObject->notify(this, kMsgTimer);
}

int CVSTGUITimer::runDueTimers(unsigned long nowMs) {
  // A tick may start, stop or delete timers: walk a copy and check that
  // each timer is still running before firing it.
  std::vector<CVSTGUITimer*> list = Running();
  int fired = 0;
  for (CVSTGUITimer* timer : list) {
    auto& live = Running();
    if (std::find(live.begin(), live.end(), timer) == live.end()) continue;
    if ((long)(nowMs - timer->nextFire) < 0) continue;
    timer->nextFire = nowMs + (unsigned long)timer->fireTime;
    timer->remember();
    timer->fire();
    timer->forget();
    fired++;
  }
  return fired;
}
