#include "host/au/AUCocoaView.h"

#include <unistd.h>

#include "host/au/AUSynth.h"
#include "platform/au/AUComponent.h"
#include "platform/vst/AEffect.h"

namespace {

VstIntPtr Dispatch(CAUSynth* synth, VstInt32 opcode, void* ptr = nullptr) {
  AEffect* effect = synth ? synth->GetEffect() : nullptr;
  if (!effect || !effect->dispatcher) return 0;
  return effect->dispatcher(effect, opcode, 0, 0, ptr, 0.0f);
}

}  // namespace

CAUSynth* CAUCocoaView::_Synth() const {
  if (!m_au) return nullptr;
  CAUSynth* synth = nullptr;
  UInt32 size = sizeof(synth);
  if (AudioUnitGetProperty(m_au, kAUSynthProperty_Instance, kAudioUnitScope_Global, 0, &synth, &size) != noErr ||
      size != sizeof(synth)) {
    return nullptr;
  }
  return synth;
}

void CAUCocoaView::SetAU(AudioUnit au) {
  m_au = au;
  m_idleRunning.store(false);
  if (!au) return;
  if (CAUSynth* synth = _Synth()) {
    ERect* rect = nullptr;
    Dispatch(synth, effEditGetRect, &rect);
    if (rect) {
      m_width = rect->right - rect->left;
      m_height = rect->bottom - rect->top;
    }
    m_postsFrameChanged = true;
    synth->SetEditorView(this);
    Dispatch(synth, effEditOpen, this);
  }
  m_timerRunning = true;
}

void CAUCocoaView::TimerTick() {
  if (!m_timerRunning) return;
  m_idleRunning.store(true);
  if (m_au) {
    if (CAUSynth* synth = _Synth()) Dispatch(synth, effEditIdle);
  }
  m_idleRunning.store(false);
}

CAUCocoaView::~CAUCocoaView() {
  m_timerRunning = false;
  // A tick in progress on another thread finishes first.
  while (m_idleRunning.load()) usleep(10000);
  if (m_au) {
    if (CAUSynth* synth = _Synth()) {
      Dispatch(synth, effEditClose);
      synth->SetEditorView(static_cast<CAUCocoaView*>(nullptr));
    }
    m_au = nullptr;
  }
}

CAUCocoaView* CAUCocoaViewFactory::UiViewForAudioUnit(AudioUnit au, double width, double height) {
  m_freshlyLoadedView = new CAUCocoaView();
  m_freshlyLoadedView->SetAU(au);
  CAUCocoaView* view = m_freshlyLoadedView;
  m_freshlyLoadedView = nullptr;
  return view;
}
