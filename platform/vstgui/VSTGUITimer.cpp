// Repeating timers driven by the host's idle calls.

#include "platform/vstgui/VSTGUITimer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>

const char* CVSTGUITimer::kMsgTimer = "timer";

namespace {

// The running timers of every frame, in start order, and the lock that
// guards the list and each timer's schedule. Both are built on first use
// and never destroyed, so a timer stopped during the program's exit finds
// them.
std::mutex& TimersLock() {
  static std::mutex* lock = new std::mutex();
  return *lock;
}

std::vector<CVSTGUITimer*>& Running() {
  static std::vector<CVSTGUITimer*>* running = new std::vector<CVSTGUITimer*>();
  return *running;
}

std::atomic<unsigned long (*)()> gClock{nullptr};

unsigned long SteadyMs() {
  using namespace std::chrono;
  return (unsigned long)duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool IsRunningLocked(CVSTGUITimer* timer) {
  const std::vector<CVSTGUITimer*>& list = Running();
  return std::find(list.begin(), list.end(), timer) != list.end();
}

}  // namespace

CVSTGUITimer::CVSTGUITimer(CBaseObject* target, int time, CFrame* owner) : timerObject(target), frame(owner) {
  setFireTime(time);
}

CVSTGUITimer::~CVSTGUITimer() { stop(); }

unsigned long CVSTGUITimer::now() {
  unsigned long (*clock)() = gClock.load();
  return clock ? clock() : SteadyMs();
}

void CVSTGUITimer::setClock(unsigned long (*clock)()) { gClock.store(clock); }

int CVSTGUITimer::getRunningCount() {
  std::lock_guard<std::mutex> lock(TimersLock());
  return (int)Running().size();
}

bool CVSTGUITimer::isRunning() const {
  std::lock_guard<std::mutex> lock(TimersLock());
  return running;
}

int CVSTGUITimer::getFireTime() const {
  std::lock_guard<std::mutex> lock(TimersLock());
  return fireTime;
}

bool CVSTGUITimer::start() {
  const unsigned long t = now();
  std::lock_guard<std::mutex> lock(TimersLock());
  if (running) return false;
  running = true;
  nextFire = t + (unsigned long)fireTime;
  Running().push_back(this);
  return true;
}

bool CVSTGUITimer::stop() {
  std::lock_guard<std::mutex> lock(TimersLock());
  if (!running) return false;
  running = false;
  auto& list = Running();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  return true;
}

bool CVSTGUITimer::setFireTime(int newFireTime) {
  const unsigned long t = now();
  std::lock_guard<std::mutex> lock(TimersLock());
  fireTime = newFireTime < 1 ? 1 : newFireTime;
  if (running) nextFire = t + (unsigned long)fireTime;
  return true;
}

void CVSTGUITimer::fire() {
  if (timerObject) timerObject->notify(this, kMsgTimer);
}

void CVSTGUITimer::stopFrameTimers(CFrame* owner) {
  if (!owner) return;
  std::lock_guard<std::mutex> lock(TimersLock());
  auto& list = Running();
  for (CVSTGUITimer* timer : list) {
    if (timer->frame == owner) timer->running = false;
  }
  list.erase(std::remove_if(list.begin(), list.end(), [owner](CVSTGUITimer* t) { return t->frame == owner; }),
             list.end());
}

int CVSTGUITimer::runDueTimers(CFrame* owner, unsigned long nowMs) {
  // The due timers of this frame, each held by a reference while its tick
  // runs outside the lock. A tick may start, stop or delete timers: each
  // one is checked to be still running before it fires.
  std::vector<CVSTGUITimer*> due;
  {
    std::lock_guard<std::mutex> lock(TimersLock());
    for (CVSTGUITimer* timer : Running()) {
      if (timer->frame != owner || (long)(nowMs - timer->nextFire) < 0) continue;
      timer->remember();
      due.push_back(timer);
    }
  }
  int fired = 0;
  for (CVSTGUITimer* timer : due) {
    bool live;
    {
      std::lock_guard<std::mutex> lock(TimersLock());
      live = timer->running && IsRunningLocked(timer);
      if (live) timer->nextFire = nowMs + (unsigned long)timer->fireTime;
    }
    if (live) {
      timer->fire();
      fired++;
    }
    timer->forget();
  }
  return fired;
}
