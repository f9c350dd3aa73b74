// The Audio Unit's editor view: it takes the editor's size, opens the
// editor into an off-screen frame, drives its idle processing from the
// timer and closes it when destroyed.
#include <gtest/gtest.h>

#include <memory>

#include "editor/Editor.h"
#include "editor/EditorTags.h"
#include "host/au/AUCocoaView.h"
#include "host/au/AUSynth.h"
#include "host/au/AUSynthEntry.h"
#include "host/vst/VstSynth.h"
#include "platform/au/AUCocoaUI.h"
#include "platform/au/AUComponent.h"
#include "platform/vstgui/vstgui.h"

namespace {

struct UNIT {
  AudioUnit unit = nullptr;
  UNIT() { EXPECT_EQ(AudioComponentInstanceNew(CAUSynthRegister(), &unit), noErr); }
  ~UNIT() {
    if (unit) AudioComponentInstanceDispose(unit);
  }
  CAUSynth* Synth() const {
    CAUSynth* synth = nullptr;
    UInt32 size = sizeof(synth);
    AudioUnitGetProperty(unit, kAUSynthProperty_Instance, kAudioUnitScope_Global, 0, &synth, &size);
    return synth;
  }
  CEditor* Editor() const {
    AEffect* effect = Synth()->GetEffect();
    return static_cast<CVstSynth*>(static_cast<AudioEffect*>(effect->object))->GetEditorObject();
  }
};

}  // namespace

TEST(AUCocoaView, OpensTheEditorDrivesIdleAndClosesOnTeardown) {
  UNIT u;
  CAUCocoaViewFactory factory;
  EXPECT_EQ(factory.InterfaceVersion(), 0u);
  EXPECT_EQ(factory.Description(), "Morlavine");
  std::unique_ptr<CAUCocoaView> view(factory.UiViewForAudioUnit(u.unit, 100, 100));
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->GetWidth(), 977.0);
  EXPECT_EQ(view->GetHeight(), 695.0);
  EXPECT_TRUE(view->PostsFrameChangedNotifications());
  EXPECT_TRUE(view->IsTimerRunning());
  EXPECT_DOUBLE_EQ(view->GetTimerInterval(), 0.04);
  EXPECT_FALSE(view->MouseDownCanMoveWindow());
  EXPECT_EQ(u.Synth()->GetCocoaView(), view.get());

  CEditor* editor = u.Editor();
  CFrame* frame = editor->getFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->getSystemWindow(), view.get());
  // A parameter set through the unit reaches the open editor; the tick
  // redraws it.
  const long redraws = frame->getRedrawCount();
  editor->UpdateParamValue(132, 0.125f);
  view->TimerTick();
  EXPECT_GT(frame->getRedrawCount(), redraws);
  EXPECT_FLOAT_EQ(editor->getControlByTag(132)->getValue(), 0.125f);

  view.reset();
  EXPECT_EQ(editor->getFrame(), nullptr);
  EXPECT_EQ(u.Synth()->GetCocoaView(), nullptr);
}

TEST(AUCocoaView, AViewWithoutAReachableUnitOpensNothing) {
  CAUCocoaView view;
  view.SetAU(nullptr);
  EXPECT_FALSE(view.IsTimerRunning());
  view.TimerTick();
  EXPECT_EQ(view.GetWidth(), 0.0);
}

TEST(AUCocoaView, TheUnitNamesItsViewFactoryThroughTheCocoaViewProperty) {
  UNIT u;
  UInt32 size = 0;
  Boolean writable = false;
  ASSERT_EQ(AudioUnitGetPropertyInfo(u.unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &size, &writable),
            noErr);
  EXPECT_EQ(size, 16u);
  EXPECT_TRUE(writable);
  AudioUnitCocoaViewInfo info;
  size = sizeof(info);
  ASSERT_EQ(AudioUnitGetProperty(u.unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size), noErr);
  char name[64] = "";
  ASSERT_TRUE(CFStringGetCString(info.mCocoaAUViewClass[0], name, sizeof(name), kCFStringEncodingUTF8));
  EXPECT_STREQ(name, "CAUCocoaViewFactory");
  CFStringRef path = CFURLCopyFileSystemPath(info.mCocoaAUViewBundleLocation, kCFURLPOSIXPathStyle);
  char location[4096] = "";
  ASSERT_TRUE(CFStringGetCString(path, location, sizeof(location), kCFStringEncodingUTF8));
  EXPECT_NE(std::string(location).find("test_host_au"), std::string::npos) << location;
  CFRelease(path);
  CFRelease(info.mCocoaAUViewClass[0]);
  CFRelease(info.mCocoaAUViewBundleLocation);
  // Another scope has no view.
  EXPECT_NE(AudioUnitGetProperty(u.unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Output, 0, &info, &size), noErr);

  std::unique_ptr<CAUCocoaViewFactory> factory(CAUCocoaViewFactory::CreateByClassName(name));
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(CAUCocoaViewFactory::CreateByClassName("OtherFactory"), nullptr);
  EXPECT_EQ(CAUCocoaViewFactory::CreateByClassName(nullptr), nullptr);
  std::unique_ptr<CAUCocoaView> view(factory->UiViewForAudioUnit(u.unit, 0, 0));
  EXPECT_EQ(view->GetWidth(), 977.0);
  EXPECT_EQ(view->GetWindowId(), 0u);  // no host window asked for: off-screen
  view.reset();

  // A host that knows nothing of the unit: the class of that name in the
  // binary the property names, through the process's class registry and the
  // view interfaces alone.
  std::unique_ptr<IAUCocoaUIBase> byName(AUCocoaUIClassCreate(location, name));
  ASSERT_NE(byName, nullptr);
  EXPECT_EQ(AUCocoaUIClassCreate(location, "OtherFactory"), nullptr);
  EXPECT_EQ(AUCocoaUIClassCreate("/elsewhere/Other.so", name), nullptr);
  EXPECT_EQ(AUCocoaUIClassCreate(nullptr, name), nullptr);
  std::unique_ptr<IAUCocoaView> hosted(byName->UiViewForAudioUnit(u.unit, 0, 0));
  ASSERT_NE(hosted, nullptr);
  EXPECT_EQ(hosted->GetWidth(), 977.0);
  EXPECT_EQ(hosted->GetHeight(), 695.0);
  hosted->TimerTick();
  EXPECT_FALSE(hosted->WritePicture(nullptr));
  EXPECT_FALSE(hosted->WritePicture("/nonexistent-folder/x.png"));
}

// The unit disposed while the host still holds the view: the view is torn
// down with the unit (editor closed, timer stopped) and its later ticks and
// its destruction never reach the freed unit (AddressSanitizer checks).
TEST(AUCocoaView, DisposingTheUnitWithItsViewHeldTearsTheViewDown) {
  std::unique_ptr<UNIT> u(new UNIT());
  CAUCocoaViewFactory factory;
  std::unique_ptr<CAUCocoaView> view(factory.UiViewForAudioUnit(u->unit, 0, 0));
  ASSERT_TRUE(view->IsTimerRunning());
  view->TimerTick();
  u.reset();
  EXPECT_FALSE(view->IsTimerRunning());
  EXPECT_EQ(view->GetAU(), nullptr);
  view->TimerTick();
  view->Detach();
  view.reset();
}

// The host closes the view first (Detach, then release) and disposes the
// unit afterwards: one editor close, no second one from the unit.
TEST(AUCocoaView, ClosingTheViewBeforeTheUnitLeavesTheUnitWithoutAView) {
  UNIT u;
  CAUCocoaViewFactory factory;
  std::unique_ptr<CAUCocoaView> view(factory.UiViewForAudioUnit(u.unit, 0, 0));
  view->Detach();
  EXPECT_EQ(u.Synth()->GetCocoaView(), nullptr);
  EXPECT_EQ(u.Editor()->getFrame(), nullptr);
  view.reset();
}

// A host that makes a second view before it releases the first: the new
// view takes the editor and the unit's registration; the old one is
// detached at once. Releasing the old view leaves the new view's editor
// open, and disposing the unit while the old view is still held never lets
// the old view's tick reach the freed unit (AddressSanitizer checks).
TEST(AUCocoaView, ASecondViewDetachesTheFirstAndOnlyTheRegisteredViewClosesTheEditor) {
  std::unique_ptr<UNIT> u(new UNIT());
  CAUCocoaViewFactory factory;
  std::unique_ptr<CAUCocoaView> first(factory.UiViewForAudioUnit(u->unit, 0, 0));
  std::unique_ptr<CAUCocoaView> second(factory.UiViewForAudioUnit(u->unit, 0, 0));
  CEditor* editor = u->Editor();
  EXPECT_EQ(u->Synth()->GetCocoaView(), second.get());
  ASSERT_NE(editor->getFrame(), nullptr);
  EXPECT_EQ(editor->getFrame()->getSystemWindow(), second.get());
  EXPECT_FALSE(first->IsTimerRunning());
  EXPECT_EQ(first->GetAU(), nullptr);
  EXPECT_TRUE(second->IsTimerRunning());

  // The old view's release closes nothing.
  first->TimerTick();
  first.reset();
  ASSERT_NE(editor->getFrame(), nullptr);
  EXPECT_EQ(u->Synth()->GetCocoaView(), second.get());
  const long redraws = editor->getFrame()->getRedrawCount();
  editor->UpdateParamValue(132, 0.25f);
  second->TimerTick();
  EXPECT_GT(editor->getFrame()->getRedrawCount(), redraws);

  // A third view, then the unit disposed with two views held.
  std::unique_ptr<CAUCocoaView> third(factory.UiViewForAudioUnit(u->unit, 0, 0));
  EXPECT_EQ(u->Synth()->GetCocoaView(), third.get());
  u.reset();
  EXPECT_EQ(second->GetAU(), nullptr);
  EXPECT_EQ(third->GetAU(), nullptr);
  second->TimerTick();
  third->TimerTick();
  second.reset();
  third.reset();
}

// Releasing a view whose unit registered a newer one, in either order of
// release, closes the editor exactly once: when the registered view goes.
TEST(AUCocoaView, ReleasingTheNewerViewFirstClosesTheEditor) {
  UNIT u;
  CAUCocoaViewFactory factory;
  std::unique_ptr<CAUCocoaView> first(factory.UiViewForAudioUnit(u.unit, 0, 0));
  std::unique_ptr<CAUCocoaView> second(factory.UiViewForAudioUnit(u.unit, 0, 0));
  second.reset();
  EXPECT_EQ(u.Editor()->getFrame(), nullptr);
  EXPECT_EQ(u.Synth()->GetCocoaView(), nullptr);
  first.reset();
  EXPECT_EQ(u.Synth()->GetCocoaView(), nullptr);
}
