#include "platform/x11/X11Window.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo-xlib.h>
#include <cairo.h>

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <mutex>

#include "platform/vstgui/Frame.h"
#include "platform/x11/X11HostView.h"

#include <csignal>
#include <vector>

namespace {

// The program's own display connections, for the trap's handler: a fixed
// table read without a lock (the handler runs inside Xlib, with the
// connection locked).
const int MAX_OWN_DISPLAYS = 64;
std::atomic<Display*> g_ownDisplays[MAX_OWN_DISPLAYS];

std::mutex g_trapMutex;
int g_trapDepth = 0;  // under g_trapMutex
std::atomic<XErrorHandler> g_previousHandler{nullptr};
std::atomic<unsigned long> g_droppedErrors{0};

void RegisterOwnDisplay(Display* display) {
  for (std::atomic<Display*>& slot : g_ownDisplays) {
    Display* empty = nullptr;
    if (slot.compare_exchange_strong(empty, display)) return;
  }
}

void UnregisterOwnDisplay(Display* display) {
  for (std::atomic<Display*>& slot : g_ownDisplays) {
    Display* own = display;
    if (slot.compare_exchange_strong(own, nullptr)) return;
  }
}

bool IsOwnDisplay(Display* display) {
  if (!display) return false;
  for (const std::atomic<Display*>& slot : g_ownDisplays)
    if (slot.load() == display) return true;
  return false;
}

int TrapError(Display* display, XErrorEvent* error) {
  if (IsOwnDisplay(display)) {
    g_droppedErrors.fetch_add(1);
    return 0;
  }
  XErrorHandler previous = g_previousHandler.load();
  return previous ? previous(display, error) : 0;
}

// The open frame windows, for the modal loops (user-interface thread only).
std::vector<CX11Window*>& OpenWindows() {
  static std::vector<CX11Window*> windows;
  return windows;
}

volatile std::sig_atomic_t g_modalStop = 0;

}  // namespace

CX11ErrorTrap::CX11ErrorTrap(Display* display) : m_display(display) {
  std::lock_guard<std::mutex> lock(g_trapMutex);
  if (g_trapDepth++ == 0) g_previousHandler.store(XSetErrorHandler(TrapError));
}

CX11ErrorTrap::~CX11ErrorTrap() {
  // The answers to our requests, errors included, arrive before the handler
  // goes.
  if (m_display) XSync(m_display, False);
  std::lock_guard<std::mutex> lock(g_trapMutex);
  if (--g_trapDepth == 0) {
    XErrorHandler ours = XSetErrorHandler(g_previousHandler.load());
    // Someone installed a handler of their own while ours was in place:
    // theirs stays.
    if (ours != TrapError) XSetErrorHandler(ours);
  }
}

void X11RequestModalStop() { g_modalStop = 1; }

bool X11WaitForEvent(Display* display, int timeoutMs) {
  if (XPending(display)) return true;
  pollfd fd{ConnectionNumber(display), POLLIN, 0};
  poll(&fd, 1, timeoutMs);
  return XPending(display) != 0;
}

bool X11ModalStopRequested() {
  if (g_modalStop) return true;
  for (CX11Window* window : OpenWindows()) {
    X11_HOST_VIEW view;
    if (X11FindHostView(window->GetHandle(), view) && view.closeRequested) return true;
  }
  return false;
}

bool X11ServiceWindowsDuringModal() {
  bool stop = g_modalStop != 0;
  for (CX11Window* window : OpenWindows()) {
    if (window->ServiceModal()) stop = true;
  }
  return stop;
}

unsigned long CX11ErrorTrap::GetDroppedErrorCount() { return g_droppedErrors.load(); }

Display* X11OpenDisplay() {
  // A busy server can refuse a new connection for a moment (its listen
  // queue full: EAGAIN, or a reset): try again a few times before telling
  // the caller there is no display. Without DISPLAY there is nothing to wait for.
  const char* name = std::getenv("DISPLAY");
  const bool named = name && *name;
  for (int attempt = 0;; ++attempt) {
    Display* display = XOpenDisplay(nullptr);
    if (display) RegisterOwnDisplay(display);
    if (display || !named || attempt == 4) return display;
    usleep(25000u << attempt);
  }
}

void X11CloseDisplay(Display* display) {
  if (!display) return;
  // Errors still on their way for this connection arrive while it is known
  // as ours (closing waits for the server's last answers).
  CX11ErrorTrap trap(nullptr);
  XCloseDisplay(display);
  UnregisterOwnDisplay(display);
}

bool X11DisplayAvailable() {
  Display* display = X11OpenDisplay();
  if (!display) return false;
  X11CloseDisplay(display);
  return true;
}

namespace {

// A VST 2.x host on Linux hands the editor the id of its X11 window as the
// parent pointer. X11 window ids fit in 29 bits, so a value above that is a
// real pointer of some other host (or a test) and never asked of the server.
bool IsHostWindowId(const void* handle, unsigned long& id) {
  const uintptr_t value = reinterpret_cast<uintptr_t>(handle);
  if (value == 0 || value > 0x1FFFFFFFu) return false;
  Display* display = X11OpenDisplay();
  if (!display) return false;
  XWindowAttributes attributes;
  Status found = 0;
  {
    CX11ErrorTrap trap(display);
    found = XGetWindowAttributes(display, static_cast<Window>(value), &attributes);
  }
  X11CloseDisplay(display);
  if (!found) return false;
  id = static_cast<unsigned long>(value);
  return true;
}

}  // namespace

CX11Window* CX11Window::Create(CFrame* frame, const void* handle) {
  X11_HOST_VIEW view;
  if (!frame) return nullptr;
  if (!X11FindHostView(handle, view)) {
    // Not a view registered by our own hosts: the host's X11 window itself,
    // or nothing to open (off-screen).
    unsigned long parent = 0;
    if (!IsHostWindowId(handle, parent)) return nullptr;
    CX11Window* window = new CX11Window(frame, handle);
    if (!window->_Open(parent, "")) {
      delete window;
      return nullptr;
    }
    return window;
  }
  CX11Window* window = new CX11Window(frame, handle);
  if (!window->_Open(view.parent, view.title.c_str())) {
    delete window;
    return nullptr;
  }
  X11SetHostViewWindow(handle, window->m_window);
  return window;
}

bool CX11Window::_Open(unsigned long parent, const char* title) {
  m_display = X11OpenDisplay();
  if (!m_display) return false;
  CX11ErrorTrap trap(m_display);
  const CRect& size = m_frame->getViewSize();
  const unsigned int w = static_cast<unsigned int>(std::ceil(size.width()));
  const unsigned int h = static_cast<unsigned int>(std::ceil(size.height()));
  Window parentWindow = parent ? static_cast<Window>(parent) : DefaultRootWindow(m_display);

  XSetWindowAttributes attributes;
  attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                          KeyReleaseMask | StructureNotifyMask | LeaveWindowMask;
  attributes.background_pixmap = None;  // the image covers every pixel: no flash of background
  m_window = XCreateWindow(m_display, parentWindow, 0, 0, w, h, 0, CopyFromParent, InputOutput, CopyFromParent,
                           CWEventMask | CWBackPixmap, &attributes);
  if (!m_window) return false;

  if (!parent) {
    XStoreName(m_display, m_window, title);
    XSizeHints* hints = XAllocSizeHints();
    if (hints) {
      // The editor has one size.
      hints->flags = PMinSize | PMaxSize;
      hints->min_width = hints->max_width = static_cast<int>(w);
      hints->min_height = hints->max_height = static_cast<int>(h);
      XSetWMNormalHints(m_display, m_window, hints);
      XFree(hints);
    }
    XClassHint* classHint = XAllocClassHint();
    if (classHint) {
      classHint->res_name = const_cast<char*>("morlavine");
      classHint->res_class = const_cast<char*>("Morlavine");
      XSetClassHint(m_display, m_window, classHint);
      XFree(classHint);
    }
    Atom deleteAtom = XInternAtom(m_display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(m_display, m_window, &deleteAtom, 1);
    m_deleteAtom = deleteAtom;
  }

  XWindowAttributes created;
  XGetWindowAttributes(m_display, m_window, &created);
  m_surface = cairo_xlib_surface_create(m_display, m_window, created.visual, static_cast<int>(w),
                                        static_cast<int>(h));
  cairo_surface_t* image = m_frame->getSurface();
  if ((created.depth == 24 || created.depth == 32) && created.visual->red_mask == 0xff0000 &&
      created.visual->green_mask == 0xff00 && created.visual->blue_mask == 0xff &&
      cairo_image_surface_get_format(image) == CAIRO_FORMAT_ARGB32) {
    m_image = XCreateImage(m_display, created.visual, static_cast<unsigned>(created.depth), ZPixmap, 0,
                           reinterpret_cast<char*>(cairo_image_surface_get_data(image)),
                           static_cast<unsigned>(cairo_image_surface_get_width(image)),
                           static_cast<unsigned>(cairo_image_surface_get_height(image)), 32,
                           cairo_image_surface_get_stride(image));
    if (m_image) {
      // Cairo keeps its words in the machine's byte order.
      const unsigned int probe = 1;
      m_image->byte_order = *reinterpret_cast<const unsigned char*>(&probe) ? LSBFirst : MSBFirst;
      m_gc = XCreateGC(m_display, m_window, 0, nullptr);
    }
  }
  XMapWindow(m_display, m_window);
  XFlush(m_display);
  OpenWindows().push_back(this);
  return true;
}

bool CX11Window::ServiceModal() {
  if (!m_display) return false;
  CX11ErrorTrap trap(m_display);
  bool closeAsked = false;
  while (XPending(m_display)) {
    XEvent event;
    XNextEvent(m_display, &event);
    HandleModalEvent(event);
  }
  if (!m_exposed.isEmpty()) {
    CRect exposed = m_exposed;
    m_exposed = CRect();
    Show(exposed);
  }
  X11_HOST_VIEW view;
  if (X11FindHostView(m_handle, view) && view.closeRequested) closeAsked = true;
  return closeAsked;
}

CX11Window::~CX11Window() {
  std::vector<CX11Window*>& open = OpenWindows();
  for (size_t i = 0; i < open.size(); ++i) {
    if (open[i] == this) {
      open.erase(open.begin() + static_cast<long>(i));
      break;
    }
  }
  {
    CX11ErrorTrap trap(m_display);
    if (m_image) {
      m_image->data = nullptr;  // the frame's image, not ours to free
      XDestroyImage(m_image);
    }
    if (m_gc) XFreeGC(m_display, m_gc);
    if (m_surface) cairo_surface_destroy(m_surface);
    if (m_display && m_window) XDestroyWindow(m_display, m_window);
  }
  X11CloseDisplay(m_display);
  X11SetHostViewWindow(m_handle, 0);
}

int CX11Window::GetConnectionNumber() const { return m_display ? ConnectionNumber(m_display) : -1; }

void CX11Window::ProcessEvents() {
  if (!m_display) return;
  CX11ErrorTrap trap(m_display);
  while (XPending(m_display)) {
    XEvent event;
    XNextEvent(m_display, &event);
    _Dispatch(event);
  }
  if (!m_exposed.isEmpty()) {
    CRect exposed = m_exposed;
    m_exposed = CRect();
    Show(exposed);
  }
}

void CX11Window::Show(const CRect& rect) {
  if (!m_surface || rect.isEmpty()) return;
  CX11ErrorTrap trap(m_display);
  if (m_image && m_gc) {
    CRect r = rect;
    r.bound(m_frame->getViewSize());
    const int x = static_cast<int>(std::floor(r.left)), y = static_cast<int>(std::floor(r.top));
    const int w = static_cast<int>(std::ceil(r.right)) - x, h = static_cast<int>(std::ceil(r.bottom)) - y;
    if (w <= 0 || h <= 0) return;
    cairo_surface_flush(m_frame->getSurface());
    XPutImage(m_display, m_window, m_gc, m_image, x, y, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h));
    XFlush(m_display);
    return;
  }
  cairo_t* cr = cairo_create(m_surface);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, m_frame->getSurface(), 0, 0);
  cairo_rectangle(cr, std::floor(rect.left), std::floor(rect.top), std::ceil(rect.right) - std::floor(rect.left),
                  std::ceil(rect.bottom) - std::floor(rect.top));
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_flush(m_surface);
  XFlush(m_display);
}

CPoint CX11Window::ToScreen(const CPoint& where) const {
  if (!m_display) return where;
  CX11ErrorTrap trap(m_display);
  int x = 0, y = 0;
  Window child;
  XTranslateCoordinates(m_display, m_window, DefaultRootWindow(m_display), static_cast<int>(where.h),
                        static_cast<int>(where.v), &x, &y, &child);
  return CPoint(x, y);
}

bool CX11Window::HandleModalEvent(XEvent& event) {
  if (event.xany.window != m_window) return false;
  if (event.type == ClientMessage && m_deleteAtom &&
      static_cast<unsigned long>(event.xclient.data.l[0]) == m_deleteAtom) {
    X11SetHostViewCloseRequested(m_handle, true);
    return true;
  }
  if (event.type == Expose) {
    m_exposed.unite(CRect(event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                          event.xexpose.y + event.xexpose.height));
    if (event.xexpose.count == 0) {
      Show(m_exposed);
      m_exposed = CRect();
    }
  }
  return true;
}

void CX11Window::_Dispatch(XEvent& event) {
  if (event.xany.window != m_window) return;
  switch (event.type) {
    case Expose:
      m_exposed.unite(CRect(event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                            event.xexpose.y + event.xexpose.height));
      break;
    case ButtonPress: {
      const XButtonEvent& b = event.xbutton;
      CPoint where(b.x, b.y);
      float distance = X11WheelDistance(b.button);
      long word = X11ButtonWord(b.state, b.button);
      if (distance != 0.f) {
        m_frame->onWheel(where, distance, word);
        break;
      }
      if (b.button < Button1 || b.button > Button3) break;
      // Keys follow the click into a host's window.
      XSetInputFocus(m_display, m_window, RevertToParent, b.time);
      if (m_clicks.Press(b.button, b.time, b.x, b.y)) word |= kDoubleClick;
      m_frame->onMouseDown(where, word);
      break;
    }
    case ButtonRelease: {
      const XButtonEvent& b = event.xbutton;
      if (b.button < Button1 || b.button > Button3) break;
      CPoint where(b.x, b.y);
      m_frame->onMouseUp(where, X11ButtonWord(b.state, b.button));
      break;
    }
    case MotionNotify: {
      // Only the latest position of a run of moves matters.
      while (XCheckTypedWindowEvent(m_display, m_window, MotionNotify, &event)) {
      }
      CPoint where(event.xmotion.x, event.xmotion.y);
      m_frame->onMouseMoved(where, X11ButtonWord(event.xmotion.state, 0));
      break;
    }
    case KeyPress:
    case KeyRelease: {
      KeySym sym = XLookupKeysym(&event.xkey, (event.xkey.state & ShiftMask) ? 1 : 0);
      VstKeyCode key;
      if (!X11TranslateKey(sym, event.xkey.state, key)) break;
      if (event.type == KeyPress)
        m_frame->onKeyDown(key);
      else
        m_frame->onKeyUp(key);
      break;
    }
    case ClientMessage:
      if (m_deleteAtom && static_cast<unsigned long>(event.xclient.data.l[0]) == m_deleteAtom)
        X11SetHostViewCloseRequested(m_handle, true);
      break;
    default:
      break;
  }
}
