#pragma once
// The editor's view framework, in one include.
//
// How the parts fit:
// - Artwork: register a painter per resource name with
//   CBitmapResources::add (or addStrip for knob strips); new CBitmap(name)
//   then gives the image, drawn at first use. Unknown names give an empty
//   bitmap (0 x 0) that draws nothing.
// - Views: a CFrame is the window; CViewContainer holds views whose
//   rectangles are relative to the container; addView takes the caller's
//   reference, removeView(view, false) detaches without releasing.
// - Controls report user changes to their CControlListener and their edit
//   gestures (beginEdit/endEdit with the tag) to the frame's
//   VSTGUIEditorInterface; AEffGUIEditor passes these on to the effect.
// - Drawing happens at CFrame::idle (or render) into the frame's own image:
//   getPixel and writePNG read it back.
// - Events enter through the frame's onMouseDown/onMouseMoved/onMouseUp,
//   onWheel and onKeyDown in frame coordinates (simulateClick and
//   simulateDrag for short). A pop-up menu asks the frame's MenuChooser
//   which entry the user takes.
// - Timers (CVSTGUITimer) of a frame tick from that frame's idle; tests may
//   set their clock.

#include "platform/vstgui/Types.h"
#include "platform/vstgui/BaseObject.h"
#include "platform/vstgui/Font.h"
#include "platform/vstgui/DrawContext.h"
#include "platform/vstgui/Bitmap.h"
#include "platform/vstgui/View.h"
#include "platform/vstgui/ViewContainer.h"
#include "platform/vstgui/Frame.h"
#include "platform/vstgui/Control.h"
#include "platform/vstgui/ParamDisplay.h"
#include "platform/vstgui/TextLabel.h"
#include "platform/vstgui/OnOffButton.h"
#include "platform/vstgui/KickButton.h"
#include "platform/vstgui/OptionMenu.h"
#include "platform/vstgui/VSTGUITimer.h"
#include "platform/vstgui/FileSelector.h"
#include "platform/vstgui/EditorInterface.h"
#include "platform/vstgui/AEffGUIEditor.h"
