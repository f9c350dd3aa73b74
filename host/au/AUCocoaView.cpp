#include "host/au/AUCocoaView.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "host/au/AUSynth.h"
#include "platform/au/AUComponent.h"
#include "platform/vst/AEffect.h"
#include "platform/vst/AudioEffect.h"
#include "platform/vstgui/AEffGUIEditor.h"
#include "platform/vstgui/Frame.h"
#include "platform/x11/X11HostView.h"

namespace {

const char* const WINDOW_TITLE = "Morlavine";

VstIntPtr Dispatch(CAUSynth* synth, VstInt32 opcode, void* ptr = nullptr) {
  AEffect* effect = synth ? synth->GetEffect() : nullptr;
  if (!effect || !effect->dispatcher) return 0;
  return effect->dispatcher(effect, opcode, 0, 0, ptr, 0.0f);
}

IAUCocoaUIBase* MakeFactory() { return new CAUCocoaViewFactory(); }

// The view class is known to the process by name while this binary is
// loaded, as a host finds it from the unit's Cocoa-view property.
// The binary that holds the view class (the plug-in, or the program it is
// linked into): what the unit's Cocoa-view property names.
std::string ThisBinary() {
  Dl_info where;
  std::memset(&where, 0, sizeof(where));
  if (!dladdr(reinterpret_cast<void*>(&MakeFactory), &where) || !where.dli_fname) return std::string();
  return where.dli_fname;
}

struct CViewClassRegistration {
  std::string binary = ThisBinary();
  CViewClassRegistration() { AUCocoaUIClassRegister(binary.c_str(), CAUCocoaViewFactory::CLASS_NAME, MakeFactory); }
  ~CViewClassRegistration() { AUCocoaUIClassUnregister(binary.c_str(), CAUCocoaViewFactory::CLASS_NAME, MakeFactory); }
} g_viewClass;

}  // namespace

CAUSynth* CAUCocoaView::_Synth() const {
  AudioUnit au = m_au.load();
  if (!au) return nullptr;
  CAUSynth* synth = nullptr;
  UInt32 size = sizeof(synth);
  if (AudioUnitGetProperty(au, kAUSynthProperty_Instance, kAudioUnitScope_Global, 0, &synth, &size) != noErr ||
      size != sizeof(synth)) {
    return nullptr;
  }
  return synth;
}

void CAUCocoaView::SetAU(AudioUnit au) {
  m_au.store(au);
  if (!au) return;
  if (CAUSynth* synth = _Synth()) {
    ERect* rect = nullptr;
    Dispatch(synth, effEditGetRect, &rect);
    if (rect) {
      m_width = rect->right - rect->left;
      m_height = rect->bottom - rect->top;
    }
    m_postsFrameChanged = true;
    // A host may ask for a new view before it releases the old one: the
    // old view lets go of the unit (closing the editor it shows) before
    // this one opens it, so that it never reaches the unit again.
    CAUCocoaView* previous = synth->GetCocoaView();
    if (previous && previous != this) previous->Detach();
    synth->SetEditorView(this);
    Dispatch(synth, effEditOpen, this);
  }
  m_timerRunning.store(true);
}

void CAUCocoaView::TimerTick() {
  // Marked running before the timer flag is tested: a teardown on another
  // thread that clears the flag either stops this tick here or waits for it.
  m_idleRunning.store(true);
  if (m_timerRunning.load()) {
    if (CAUSynth* synth = _Synth()) Dispatch(synth, effEditIdle);
  }
  m_idleRunning.store(false);
}

void CAUCocoaView::_Teardown() {
  m_timerRunning.store(false);
  // A tick in progress on another thread finishes first.
  while (m_idleRunning.load()) usleep(10000);
  if (!m_au.load()) return;
  // Only the view the unit has registered closes the editor; a view that a
  // newer one replaced has nothing open.
  if (CAUSynth* synth = _Synth()) {
    if (synth->ClearEditorView(this)) Dispatch(synth, effEditClose);
  }
  m_au.store(nullptr);
}

void CAUCocoaView::Detach() { _Teardown(); }

bool CAUCocoaView::WritePicture(const char* path) {
  CAUSynth* synth = path ? _Synth() : nullptr;
  AEffect* effect = synth ? synth->GetEffect() : nullptr;
  AudioEffect* object = effect ? static_cast<AudioEffect*>(effect->object) : nullptr;
  AEffGUIEditor* editor = object ? static_cast<AEffGUIEditor*>(object->getEditor()) : nullptr;
  CFrame* frame = editor ? editor->getFrame() : nullptr;
  if (!frame) return false;
  frame->render();
  return frame->writePNG(path);
}

CAUCocoaView::~CAUCocoaView() {
  _Teardown();
  if (m_windowed) X11UnregisterHostView(this);
}

unsigned long CAUCocoaView::GetWindowId() const {
  X11_HOST_VIEW view;
  return X11FindHostView(this, view) ? view.window : 0;
}

bool CAUCocoaView::IsCloseRequested() const {
  X11_HOST_VIEW view;
  return X11FindHostView(this, view) && view.closeRequested;
}

// ---------------------------------------------------------------------------

bool CAUCocoaViewFactory::GetViewInfo(AudioUnitCocoaViewInfo& info) {
  // The binary that holds the factory (the plug-in or the program it is
  // linked into).
  const std::string binary = ThisBinary();
  if (binary.empty()) return false;
  CFStringRef path = CFStringCreateWithCString(nullptr, binary.c_str(), kCFStringEncodingUTF8);
  if (!path) return false;
  info.mCocoaAUViewBundleLocation = CFURLCreateWithFileSystemPath(nullptr, path, kCFURLPOSIXPathStyle, false);
  CFRelease(path);
  info.mCocoaAUViewClass[0] = CFStringCreateWithCString(nullptr, CLASS_NAME, kCFStringEncodingUTF8);
  if (!info.mCocoaAUViewBundleLocation || !info.mCocoaAUViewClass[0]) {
    if (info.mCocoaAUViewBundleLocation) CFRelease(info.mCocoaAUViewBundleLocation);
    if (info.mCocoaAUViewClass[0]) CFRelease(info.mCocoaAUViewClass[0]);
    return false;
  }
  return true;
}

CAUCocoaViewFactory* CAUCocoaViewFactory::CreateByClassName(const char* className) {
  if (!className || std::strcmp(className, CLASS_NAME) != 0) return nullptr;
  return new CAUCocoaViewFactory();
}

CAUCocoaView* CAUCocoaViewFactory::UiViewForAudioUnit(AudioUnit au, double width, double height) {
  m_freshlyLoadedView = new CAUCocoaView();
  if (m_windowed) {
    m_freshlyLoadedView->m_windowed = true;
    X11RegisterHostView(m_freshlyLoadedView, m_parent, WINDOW_TITLE);
  }
  m_freshlyLoadedView->SetAU(au);
  CAUCocoaView* view = m_freshlyLoadedView;
  m_freshlyLoadedView = nullptr;
  return view;
}
