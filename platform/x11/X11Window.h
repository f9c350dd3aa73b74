#pragma once
// The frame's window on an X11 display: a child of the host's window or a
// top-level window of the frame's size. The frame keeps drawing into its
// own image; the window shows that image, copying only the rectangles that
// were redrawn or exposed. Input is read in ProcessEvents (run from the
// frame's idle, which the host drives) and handed to the frame as the
// view framework's mouse, wheel and key events.
//
// Each window has its own display connection. Modal loops (pop-up menus,
// dialogs) read the same connection and pass what is not theirs to
// HandleModalEvent, which keeps the window painted but drops its input.

#include "platform/vstgui/Types.h"
#include "platform/x11/X11Events.h"

class CFrame;
struct _XDisplay;
union _XEvent;
typedef struct _cairo_surface cairo_surface_t;

// Opens a display connection for the program's windows, menus and
// dialogs (null when there is none; a busy server gets a few tries over
// about 0.4 s). Close it with X11CloseDisplay.
_XDisplay* X11OpenDisplay();
void X11CloseDisplay(_XDisplay* display);

// Xlib has one error handler for the whole process, and its default one
// ends the process. Our own requests can fail harmlessly (a window the host
// destroyed under us, a focus request that came too late), so every piece
// of code that talks to the server runs inside a trap: while one lives, a
// handler is installed that drops the errors of our own connections
// (counting them) and hands every other connection's errors to the handler
// that was there before. The outermost trap installs it and puts the
// previous handler back when it ends (unless someone replaced ours in the
// meantime), so a host's own handler is left as it was found. The trap
// waits for the server's answers on its display before it ends, so the
// errors of the requests made inside it arrive inside it.
class CX11ErrorTrap {
 public:
  explicit CX11ErrorTrap(_XDisplay* display);
  ~CX11ErrorTrap();
  CX11ErrorTrap(const CX11ErrorTrap&) = delete;
  CX11ErrorTrap& operator=(const CX11ErrorTrap&) = delete;

  // Errors of our own connections dropped so far (by all traps).
  static unsigned long GetDroppedErrorCount();

 private:
  _XDisplay* m_display;
};
// True when a display connection can be opened (DISPLAY names a server
// that answers).
bool X11DisplayAvailable();

// For modal loops that read a display connection of their own (the drawn
// dialogs, a desktop dialog program's wait): handles what waits on every
// open frame window's connection as HandleModalEvent does (exposed parts
// repainted, input dropped, a close request noted). True when the modal
// loop should end at once: a window's close was asked for, or
// X11RequestModalStop was called. Called often (every few tens of ms).
bool X11ServiceWindowsDuringModal();
// The same test without reading any connection (for a loop that reads a
// window's own connection).
bool X11ModalStopRequested();
// Waits up to timeoutMs for an event on display (a signal ends the wait
// early); true when one is waiting.
bool X11WaitForEvent(_XDisplay* display, int timeoutMs);
// Makes every modal loop end as soon as it looks (a signal asked the
// program to end). Safe to call from a signal handler.
void X11RequestModalStop();

class CX11Window {
 public:
  // A window for frame, or null when no display can be opened. handle is
  // the host view the frame was opened with (X11HostView.h).
  static CX11Window* Create(CFrame* frame, const void* handle);
  ~CX11Window();
  CX11Window(const CX11Window&) = delete;
  CX11Window& operator=(const CX11Window&) = delete;

  _XDisplay* GetDisplay() const { return m_display; }
  unsigned long GetWindow() const { return m_window; }
  const void* GetHandle() const { return m_handle; }
  int GetConnectionNumber() const;

  // Handles every event waiting on the connection.
  void ProcessEvents();
  // Copies a rectangle (frame coordinates) of the frame's image onto the
  // window.
  void Show(const CRect& rect);
  // A point of the window in root-window (screen) coordinates.
  CPoint ToScreen(const CPoint& where) const;
  // For modal loops: repaints exposed parts of this window; its input is
  // dropped. False when the event is not this window's.
  bool HandleModalEvent(_XEvent& event);
  // Handles what waits on the connection for a modal loop of another
  // connection (see X11ServiceWindowsDuringModal); true when the window's
  // close was asked for.
  bool ServiceModal();

 private:
  CX11Window(CFrame* frame, const void* handle) : m_frame(frame), m_handle(handle) {}
  bool _Open(unsigned long parent, const char* title);
  void _Dispatch(_XEvent& event);

  CFrame* m_frame;
  const void* m_handle;
  _XDisplay* m_display = nullptr;
  unsigned long m_window = 0;
  unsigned long m_deleteAtom = 0;
  cairo_surface_t* m_surface = nullptr;
  // The frame's image as an X image when the window's visual takes its
  // pixels as they are (24-bit true colour): Show then copies with
  // XPutImage; otherwise cairo-xlib converts.
  struct _XImage* m_image = nullptr;
  struct _XGC* m_gc = nullptr;
  CX11ClickCounter m_clicks;
  CRect m_exposed;
};
