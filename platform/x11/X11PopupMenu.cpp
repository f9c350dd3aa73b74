#include "platform/x11/X11PopupMenu.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "platform/vstgui/DrawContext.h"
#include "platform/vstgui/Font.h"
#include "platform/vstgui/OptionMenu.h"
#include "platform/x11/X11Window.h"

namespace {

// Geometry and colours, matched to the editor's artwork.
const CCoord ROW_HEIGHT = 18;
const CCoord SEPARATOR_HEIGHT = 7;
const CCoord BORDER = 3;
const CCoord CHECK_WIDTH = 16;
const CCoord ARROW_WIDTH = 14;
const CCoord MIN_COLUMN_WIDTH = 60;
const CCoord FONT_SIZE = 12;
const CColor PANEL(42, 45, 50, 255);
const CColor EDGE(90, 95, 102, 255);
const CColor TEXT(200, 204, 210, 255);
const CColor DISABLED_TEXT(110, 114, 120, 255);
const CColor HIGHLIGHT(0, 120, 190, 255);
const CColor HIGHLIGHT_TEXT(255, 255, 255, 255);

bool Selectable(const CMenuItem* item) {
  return item && !item->isSeparator() && !item->isTitle() && item->isEnabled();
}

}  // namespace

const char* const X11_MENU_WINDOW_NAME = "Morlavine menu";

MENU_LAYOUT X11LayoutMenu(COptionMenu* menu) {
  MENU_LAYOUT layout;
  if (!menu) return layout;
  COffscreenContext measure(1, 1);
  CFontDesc font("Arial", FONT_SIZE);
  measure.setFont(&font);

  // Split the entries into columns, then size each column by its widest text.
  struct COLUMN {
    long first, last;  // entries [first, last)
    CCoord width, height;
  };
  std::vector<COLUMN> columns;
  const long count = menu->getNbEntries();
  const long perColumn = menu->getNbItemsPerColumn();
  long inColumn = 0;
  for (long i = 0; i < count; ++i) {
    CMenuItem* item = menu->getEntry(i);
    bool newColumn = columns.empty() || (item->isColumnBreak() && inColumn > 0) ||
                     (perColumn > 0 && inColumn >= perColumn);
    if (newColumn) {
      columns.push_back({i, i, MIN_COLUMN_WIDTH, 0});
      inColumn = 0;
    }
    COLUMN& c = columns.back();
    c.last = i + 1;
    ++inColumn;
    if (item->isSeparator()) {
      c.height += SEPARATOR_HEIGHT;
    } else {
      c.height += ROW_HEIGHT;
      CCoord w = CHECK_WIDTH + measure.getStringWidth(item->getTitle()) + ARROW_WIDTH + 8;
      c.width = std::max(c.width, std::ceil(w));
    }
  }
  layout.items.resize(static_cast<size_t>(count));
  CCoord x = BORDER, height = 0;
  for (const COLUMN& c : columns) {
    CCoord y = BORDER;
    for (long i = c.first; i < c.last; ++i) {
      CCoord h = menu->getEntry(i)->isSeparator() ? SEPARATOR_HEIGHT : ROW_HEIGHT;
      layout.items[static_cast<size_t>(i)] = CRect(x, y, x + c.width, y + h);
      y += h;
    }
    x += c.width;
    height = std::max(height, c.height);
  }
  if (columns.empty()) x += MIN_COLUMN_WIDTH;
  layout.size = CRect(0, 0, x + BORDER, height + 2 * BORDER + (columns.empty() ? ROW_HEIGHT : 0));
  return layout;
}

void X11DrawMenu(CDrawContext* c, COptionMenu* menu, const MENU_LAYOUT& layout, long highlighted) {
  if (!c || !menu) return;
  c->setFillColor(PANEL);
  c->setFrameColor(EDGE);
  c->drawRect(layout.size, kDrawFilledAndStroked);
  CFontDesc font("Arial", FONT_SIZE);
  c->setFont(&font);
  c->setDrawMode(kAntialias);
  for (long i = 0; i < menu->getNbEntries() && i < static_cast<long>(layout.items.size()); ++i) {
    CMenuItem* item = menu->getEntry(i);
    const CRect& r = layout.items[static_cast<size_t>(i)];
    if (item->isSeparator()) {
      c->setFrameColor(EDGE);
      CCoord y = std::floor((r.top + r.bottom) / 2) + 0.5;
      c->drawLine(CPoint(r.left + 4, y), CPoint(r.right - 4, y));
      continue;
    }
    bool lit = i == highlighted && Selectable(item);
    if (lit) {
      c->setFillColor(HIGHLIGHT);
      c->fillRect(r);
    }
    CColor ink = !item->isEnabled() ? DISABLED_TEXT : (lit ? HIGHLIGHT_TEXT : TEXT);
    c->setFontColor(ink);
    c->setFrameColor(ink);
    c->setFillColor(ink);
    if (item->isChecked()) {
      // A tick in the check column.
      CCoord cx = r.left + 4, cy = r.top + ROW_HEIGHT / 2;
      c->setLineWidth(2);
      c->moveTo(CPoint(cx, cy));
      c->lineTo(CPoint(cx + 3, cy + 4));
      c->lineTo(CPoint(cx + 9, cy - 4));
      c->setLineWidth(1);
    }
    CRect text(r.left + CHECK_WIDTH, r.top, r.right - ARROW_WIDTH, r.bottom);
    c->drawString(item->getTitle(), text, false, kLeftText);
    if (item->getSubmenu()) {
      CCoord ax = r.right - ARROW_WIDTH + 3, ay = r.top + ROW_HEIGHT / 2;
      CPoint arrow[3] = {CPoint(ax, ay - 4), CPoint(ax + 5, ay), CPoint(ax, ay + 4)};
      c->drawPolygon(arrow, 3, kDrawFilled);
    }
  }
}

namespace {

// One open menu: the root or a submenu.
struct PANE {
  COptionMenu* menu = nullptr;
  MENU_LAYOUT layout;
  CPoint origin;  // screen
  Window window = 0;
  cairo_surface_t* surface = nullptr;
  long hot = -1;
};

const int MODAL_POLL_MS = 40;

class CMenuSession {
 public:
  CMenuSession(CX11Window* owner) : m_owner(owner), m_display(owner->GetDisplay()) {
    m_screenWidth = DisplayWidth(m_display, DefaultScreen(m_display));
    m_screenHeight = DisplayHeight(m_display, DefaultScreen(m_display));
  }
  ~CMenuSession() {
    while (!m_panes.empty()) _ClosePane();
    XUngrabPointer(m_display, CurrentTime);
    XUngrabKeyboard(m_display, CurrentTime);
    XFlush(m_display);
  }

  bool Run(COptionMenu* root, const CPoint& screen, COptionMenu*& menu, long& index) {
    _OpenPane(root, screen);
    Window grab = m_panes[0].window;
    XGrabPointer(m_display, grab, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                 GrabModeAsync, None, None, CurrentTime);
    XGrabKeyboard(m_display, grab, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    while (!m_done) {
      // A signal or a close of the window ends the menu at once.
      if (!X11WaitForEvent(m_display, MODAL_POLL_MS)) {
        if (X11ModalStopRequested()) m_done = true;
        continue;
      }
      XEvent event;
      XNextEvent(m_display, &event);
      _Handle(event);
      if (X11ModalStopRequested()) m_done = true;
    }
    if (!m_chosenMenu) return false;
    menu = m_chosenMenu;
    index = m_chosenIndex;
    return true;
  }

 private:
  void _OpenPane(COptionMenu* menu, CPoint at) {
    PANE pane;
    pane.menu = menu;
    pane.layout = X11LayoutMenu(menu);
    const int w = static_cast<int>(pane.layout.size.width()), h = static_cast<int>(pane.layout.size.height());
    // Keep the menu on the screen.
    if (at.h + w > m_screenWidth) at.h = std::max<CCoord>(0, m_screenWidth - w);
    if (at.v + h > m_screenHeight) at.v = std::max<CCoord>(0, m_screenHeight - h);
    pane.origin = at;
    m_panes.reserve(16);
    XSetWindowAttributes attributes;
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.event_mask = ExposureMask;
    attributes.background_pixmap = None;
    pane.window = XCreateWindow(m_display, DefaultRootWindow(m_display), static_cast<int>(at.h),
                                static_cast<int>(at.v), static_cast<unsigned>(w), static_cast<unsigned>(h), 0,
                                CopyFromParent, InputOutput, CopyFromParent,
                                CWOverrideRedirect | CWSaveUnder | CWEventMask | CWBackPixmap, &attributes);
    // Named, so that tools (and tests) can wait for it.
    XStoreName(m_display, pane.window, X11_MENU_WINDOW_NAME);
    pane.surface =
        cairo_xlib_surface_create(m_display, pane.window, DefaultVisual(m_display, DefaultScreen(m_display)), w, h);
    XMapRaised(m_display, pane.window);
    m_panes.push_back(pane);
    _Paint(m_panes.back());
  }

  void _ClosePane() {
    PANE& pane = m_panes.back();
    cairo_surface_destroy(pane.surface);
    XDestroyWindow(m_display, pane.window);
    m_panes.pop_back();
    XFlush(m_display);
  }

  void _Paint(PANE& pane) {
    COffscreenContext image(static_cast<long>(pane.layout.size.width()), static_cast<long>(pane.layout.size.height()));
    X11DrawMenu(&image, pane.menu, pane.layout, pane.hot);
    cairo_t* cr = cairo_create(pane.surface);
    cairo_set_source_surface(cr, image.getSurface(), 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(pane.surface);
    XFlush(m_display);
  }

  // The pane and entry under a screen point (entry -1 between entries);
  // pane -1 outside every menu.
  void _Find(int x, int y, long& paneIndex, long& item) const {
    paneIndex = -1;
    item = -1;
    for (long p = static_cast<long>(m_panes.size()) - 1; p >= 0; --p) {
      const PANE& pane = m_panes[static_cast<size_t>(p)];
      CPoint local(x - pane.origin.h, y - pane.origin.v);
      if (!pane.layout.size.pointInside(local)) continue;
      paneIndex = p;
      for (size_t i = 0; i < pane.layout.items.size(); ++i)
        if (pane.layout.items[i].pointInside(local)) item = static_cast<long>(i);
      return;
    }
  }

  void _SetHot(long paneIndex, long item) {
    PANE& pane = m_panes[static_cast<size_t>(paneIndex)];
    CMenuItem* entry = pane.menu->getEntry(item);
    long hot = Selectable(entry) ? item : -1;
    if (hot < 0) return;  // a separator, a disabled entry or the border keeps what is lit
    bool deepest = static_cast<long>(m_panes.size()) == paneIndex + 1;
    if (hot == pane.hot && !deepest) return;  // back on the entry whose submenu is open
    while (static_cast<long>(m_panes.size()) > paneIndex + 1) _ClosePane();
    if (hot != m_panes[static_cast<size_t>(paneIndex)].hot) {
      m_panes[static_cast<size_t>(paneIndex)].hot = hot;
      _Paint(m_panes[static_cast<size_t>(paneIndex)]);
    }
    if (entry->getSubmenu()) _OpenSubmenu(paneIndex);
  }

  void _OpenSubmenu(long paneIndex) {
    PANE& pane = m_panes[static_cast<size_t>(paneIndex)];
    CMenuItem* entry = pane.menu->getEntry(pane.hot);
    if (!entry || !entry->getSubmenu()) return;
    const CRect& r = pane.layout.items[static_cast<size_t>(pane.hot)];
    _OpenPane(entry->getSubmenu(), CPoint(pane.origin.h + r.right + BORDER, pane.origin.v + r.top - BORDER));
  }

  void _Choose(long paneIndex, long item) {
    PANE& pane = m_panes[static_cast<size_t>(paneIndex)];
    CMenuItem* entry = pane.menu->getEntry(item);
    if (!Selectable(entry)) return;
    if (entry->getSubmenu()) {
      _SetHot(paneIndex, item);
      return;
    }
    m_chosenMenu = pane.menu;
    m_chosenIndex = item;
    m_done = true;
  }

  void _Step(int direction) {
    PANE& pane = m_panes.back();
    const long count = pane.menu->getNbEntries();
    long at = pane.hot;
    for (long n = 0; n < count; ++n) {
      at = at < 0 ? (direction > 0 ? 0 : count - 1) : (at + direction + count) % count;
      if (Selectable(pane.menu->getEntry(at))) {
        pane.hot = at;
        _Paint(pane);
        return;
      }
    }
  }

  void _Key(XKeyEvent& key) {
    KeySym sym = XLookupKeysym(&key, 0);
    long last = static_cast<long>(m_panes.size()) - 1;
    switch (sym) {
      case XK_Escape:
        m_done = true;
        break;
      case XK_Up:
      case XK_KP_Up:
        _Step(-1);
        break;
      case XK_Down:
      case XK_KP_Down:
        _Step(1);
        break;
      case XK_Right:
      case XK_KP_Right: {
        PANE& pane = m_panes.back();
        CMenuItem* entry = pane.menu->getEntry(pane.hot);
        if (entry && entry->getSubmenu()) {
          _OpenSubmenu(last);
          _Step(1);
        }
        break;
      }
      case XK_Left:
      case XK_KP_Left:
        if (last > 0) _ClosePane();
        break;
      case XK_Return:
      case XK_KP_Enter:
      case XK_space: {
        PANE& pane = m_panes.back();
        if (pane.hot >= 0) {
          CMenuItem* entry = pane.menu->getEntry(pane.hot);
          if (entry->getSubmenu()) {
            _OpenSubmenu(last);
            _Step(1);
          } else {
            _Choose(last, pane.hot);
          }
        }
        break;
      }
      default:
        break;
    }
  }

  void _Handle(XEvent& event) {
    switch (event.type) {
      case Expose:
        for (PANE& pane : m_panes)
          if (pane.window == event.xexpose.window && event.xexpose.count == 0) _Paint(pane);
        if (event.xexpose.window != m_panes[0].window) m_owner->HandleModalEvent(event);
        return;
      case MotionNotify: {
        while (XCheckTypedEvent(m_display, MotionNotify, &event)) {
        }
        long p, item;
        _Find(event.xmotion.x_root, event.xmotion.y_root, p, item);
        if (p >= 0) {
          if (item >= 0) m_armed = true;
          _SetHot(p, item);
        }
        return;
      }
      case ButtonPress: {
        long p, item;
        _Find(event.xbutton.x_root, event.xbutton.y_root, p, item);
        if (p < 0) {
          m_done = true;  // a click outside dismisses
          return;
        }
        m_armed = true;
        if (item >= 0) _SetHot(p, item);
        return;
      }
      case ButtonRelease: {
        long p, item;
        _Find(event.xbutton.x_root, event.xbutton.y_root, p, item);
        // The release of the press that opened the menu chooses nothing.
        if (p < 0 || item < 0 || !m_armed) return;
        _Choose(p, item);
        return;
      }
      case KeyPress:
        _Key(event.xkey);
        return;
      default:
        m_owner->HandleModalEvent(event);
        return;
    }
  }

  CX11Window* m_owner;
  Display* m_display;
  int m_screenWidth = 0;
  int m_screenHeight = 0;
  std::vector<PANE> m_panes;
  bool m_done = false;
  bool m_armed = false;
  COptionMenu* m_chosenMenu = nullptr;
  long m_chosenIndex = -1;
};

}  // namespace

bool X11RunPopupMenu(CX11Window* owner, COptionMenu* root, const CPoint& screen, COptionMenu*& menu, long& index) {
  if (!owner || !owner->GetDisplay() || !root) return false;
  CX11ErrorTrap trap(owner->GetDisplay());
  CMenuSession session(owner);
  return session.Run(root, screen, menu, index);
}
