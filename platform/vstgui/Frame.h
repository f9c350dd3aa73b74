#pragma once
// The top view: the editor's window. It draws its views into an image of
// its own size (the window's content), which tests can read pixel by pixel
// or write as a PNG file. Mouse, wheel and key events enter through the
// frame's handlers in frame coordinates. idle() runs the frame's due timers
// and redraws what is dirty or invalid.
//
// On this platform the frame also shows itself in an X11 window when the
// system window it is opened with is a registered host view
// (platform/x11/X11HostView.h): the window shows the image, idle() first
// reads the window's input and then redraws only what changed. Any other
// system window keeps the frame off-screen.
//
// Pop-up menus are modal: a menu that takes the focus asks the frame's menu
// chooser which entry the user picks; without a chooser a frame in a window
// shows the drawn menu and waits for the user, and an off-screen frame
// dismisses the menu (nothing chosen).

#include <functional>

#include "platform/vstgui/ViewContainer.h"

class COptionMenu;
class CX11Window;
typedef struct _cairo_surface cairo_surface_t;

// Frame-wide mouse notifications (entering and leaving views, moves and
// presses anywhere in the frame).
class IMouseObserver {
 public:
  virtual ~IMouseObserver() {}
  virtual void onMouseEntered(CView* view, CFrame* frame) {}
  virtual void onMouseExited(CView* view, CFrame* frame) {}
  virtual CMouseEventResult onMouseMoved(CFrame* frame, const CPoint& where, const long& buttons) {
    return kMouseEventNotHandled;
  }
  virtual CMouseEventResult onMouseDown(CFrame* frame, const CPoint& where, const long& buttons) {
    return kMouseEventNotHandled;
  }
};

class CFrame : public CViewContainer {
 public:
  // Picks the entry of a shown menu: sets the menu holding the entry (root
  // or one of its submenus) and the entry's index in it (separators
  // counted) and answers true, or answers false to dismiss the menu.
  typedef std::function<bool(COptionMenu* root, COptionMenu*& menu, long& index)> MenuChooser;

  CFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* editor);
  ~CFrame() override;
  CFrame(const CFrame&) = delete;
  CFrame& operator=(const CFrame&) = delete;

  VSTGUIEditorInterface* getEditor() const { return pEditor; }
  void* getSystemWindow() const { return systemWindow; }

  // Runs this frame's due timers, then redraws the window when something
  // is dirty or invalid.
  virtual void idle();
  // Redraws the whole window now.
  void render();
  // Asks for a redraw of a rectangle (frame coordinates) at the next idle.
  void invalidRect(const CRect& rect) override;
  void invalid() override { invalidRect(size); }
  bool needsRedraw() const { return !invalidArea.isEmpty() || isDirty(); }
  // Number of redraws so far.
  long getRedrawCount() const { return redrawCount; }

  // The window's content: pixel colour, PNG file, cairo image.
  CColor getPixel(long x, long y) const;
  bool writePNG(const char* path) const;
  cairo_surface_t* getSurface() const { return surface; }

  // Events from the window, in frame coordinates.
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
  bool onWheel(const CPoint& where, const float& distance, const long& buttons) override;
  // Keys go to the focus view first, then to the view under the mouse.
  long onKeyDown(VstKeyCode& keyCode) override;
  long onKeyUp(VstKeyCode& keyCode) override;
  // Conveniences for driving the window from code: a press and release at
  // one point; a press, steps moves along the line and a release.
  CMouseEventResult simulateClick(const CPoint& where, long buttons = kLButton);
  void simulateDrag(const CPoint& from, const CPoint& to, long buttons = kLButton, int steps = 8);
  // The last mouse position and buttons the frame saw.
  bool getCurrentMouseLocation(CPoint& where) const {
    where = mouseLocation;
    return true;
  }
  long getCurrentMouseButtons() const { return mouseButtons; }

  // Keyboard focus; setting it tells the old view looseFocus and the new
  // one takeFocus (a pop-up menu shows itself there).
  void setFocusView(CView* view);
  CView* getFocusView() const { return pFocusView; }

  void setMouseObserver(IMouseObserver* observer) { pMouseObserver = observer; }
  IMouseObserver* getMouseObserver() const { return pMouseObserver; }

  void setMenuChooser(MenuChooser chooser) { menuChooser = chooser; }
  const MenuChooser& getMenuChooser() const { return menuChooser; }
  // Shows a menu that is a view of this frame (below its rectangle) and
  // waits for the choice, through the chooser, else the window's drawn
  // menu; false when dismissed.
  bool runPopupMenu(COptionMenu* root, COptionMenu*& menu, long& index);

  // The X11 window showing the frame, or null when off-screen.
  CX11Window* getPlatformWindow() const { return platformWindow; }
  // The part of the window the next idle redraws (frame coordinates):
  // the invalid area and every dirty view.
  CRect getDamage() const;

  // A view is leaving the tree: the frame drops every pointer to it.
  void onViewRemoved(CView* view);

  bool removeView(CView* view, bool withForget = true) override;
  bool removeAll(bool withForget = true) override;
  CPoint& localToFrame(CPoint& point) const override { return point; }
  CPoint& frameToLocal(CPoint& point) const override { return point; }
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return nullptr; }

 private:
  void _updateMouseOver(const CPoint& where, const long& buttons);
  void _renderRect(const CRect& rect);

  void* systemWindow;
  VSTGUIEditorInterface* pEditor;
  IMouseObserver* pMouseObserver = nullptr;
  CView* pFocusView = nullptr;
  CView* pMouseOverView = nullptr;
  MenuChooser menuChooser;
  cairo_surface_t* surface = nullptr;
  CRect invalidArea;
  CPoint mouseLocation;
  long mouseButtons = 0;
  long redrawCount = 0;
  CX11Window* platformWindow = nullptr;
};
