// The Audio Unit's editor view ticked on one thread while the unit is
// disposed on another, as a host may do: the tick never runs the editor's
// idle processing after the teardown has begun, and never reaches the
// freed unit. Meant to run under ThreadSanitizer (MORLAVINE_TSAN=ON), which
// reports unordered accesses to the view's flags and unit pointer.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "host/au/AUCocoaView.h"
#include "host/au/AUSynth.h"
#include "host/au/AUSynthEntry.h"
#include "platform/au/AUComponent.h"

TEST(AUViewThreadsTsan, TickingViewSurvivesTheUnitDisposedOnAnotherThread) {
  for (int round = 0; round < 4; ++round) {
    AudioUnit unit = nullptr;
    ASSERT_EQ(AudioComponentInstanceNew(CAUSynthRegister(), &unit), noErr);
    CAUCocoaViewFactory factory;
    std::unique_ptr<CAUCocoaView> view(factory.UiViewForAudioUnit(unit, 0, 0));
    ASSERT_TRUE(view->IsTimerRunning());

    std::atomic<bool> stop{false};
    std::atomic<int> ticks{0};
    std::thread ui([&] {
      while (!stop.load() || ticks.load() < 20) {
        view->TimerTick();
        ticks.fetch_add(1);
      }
    });
    while (ticks.load() < 10) std::this_thread::yield();
    // The unit goes away while the user-interface thread keeps ticking.
    AudioComponentInstanceDispose(unit);
    EXPECT_FALSE(view->IsTimerRunning());
    EXPECT_EQ(view->GetAU(), nullptr);
    stop.store(true);
    ui.join();
    view.reset();
  }
}

// Two views of one unit: the newer is made on one thread while the older
// one keeps ticking on another; the older is detached and stops reaching
// the unit.
TEST(AUViewThreadsTsan, ANewViewDetachesAnOlderOneThatTicksOnAnotherThread) {
  AudioUnit unit = nullptr;
  ASSERT_EQ(AudioComponentInstanceNew(CAUSynthRegister(), &unit), noErr);
  CAUCocoaViewFactory factory;
  std::unique_ptr<CAUCocoaView> older(factory.UiViewForAudioUnit(unit, 0, 0));
  std::atomic<bool> stop{false};
  std::atomic<int> ticks{0};
  std::thread ticker([&] {
    while (!stop.load()) {
      older->TimerTick();
      ticks.fetch_add(1);
    }
  });
  while (ticks.load() < 10) std::this_thread::yield();
  std::unique_ptr<CAUCocoaView> newer(factory.UiViewForAudioUnit(unit, 0, 0));
  EXPECT_EQ(older->GetAU(), nullptr);
  stop.store(true);
  ticker.join();
  older.reset();
  newer->TimerTick();
  newer.reset();
  AudioComponentInstanceDispose(unit);
}
