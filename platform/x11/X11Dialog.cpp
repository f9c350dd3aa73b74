#include "platform/x11/X11Dialog.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>
#include <cairo.h>
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/vstgui/DrawContext.h"
#include "platform/vstgui/Font.h"
#include "platform/x11/X11Events.h"
#include "platform/x11/X11Window.h"

const char* const X11_DIALOG_TITLE_OPEN = "Morlavine - Open";
const char* const X11_DIALOG_TITLE_SAVE = "Morlavine - Save";
const char* const X11_DIALOG_TITLE_AUTHOR = "Morlavine - Default author";

namespace {

const CColor PANEL(42, 45, 50, 255);
const CColor EDGE(90, 95, 102, 255);
const CColor TEXT(200, 204, 210, 255);
const CColor FIELD(24, 26, 30, 255);
const CColor ACCENT(0, 120, 190, 255);
const CCoord ROW = 16;

std::string FolderPart(const std::string& text) {
  size_t slash = text.rfind('/');
  return slash == std::string::npos ? std::string("./") : text.substr(0, slash + 1);
}

bool HasExtension(const std::string& name, const char* type) {
  if (!type || !*type) return true;
  std::string ext = std::string(".") + type;
  return name.size() > ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0;
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Only folders and regular files are listed: a FIFO or a device cannot be
// opened as a preset or sample (it would block or never end).
bool IsRegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Drops the last character (a whole UTF-8 sequence).
void EraseLast(std::string& text) {
  if (text.empty()) return;
  size_t n = text.size() - 1;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  text.erase(n);
}

class CDialog {
 public:
  CDialog(const char* title, const char* prompt, bool files, bool save, const char* type, std::string text)
      : m_title(title), m_prompt(prompt ? prompt : ""), m_files(files), m_save(save),
        m_type(type ? type : ""), m_text(std::move(text)) {
    m_width = files ? 520 : 380;
    m_height = files ? 360 : 120;
    if (m_files) _Relist();
  }

  // True on accept.
  bool Run() {
    Display* d = X11OpenDisplay();
    if (!d) return false;
    m_display = d;
    int result = _Run(d);
    X11CloseDisplay(d);
    return result == 1;
  }

 private:
  // The dialog's window and its event loop on d: 1 on accept, 0 otherwise.
  int _Run(Display* d) {
    CX11ErrorTrap trap(d);
    XSetWindowAttributes a;
    a.event_mask = ExposureMask | ButtonPressMask | KeyPressMask | StructureNotifyMask;
    Window w = XCreateWindow(d, DefaultRootWindow(d), 100, 100, m_width, m_height, 0, CopyFromParent, InputOutput,
                             CopyFromParent, CWEventMask, &a);
    m_window = w;
    XStoreName(d, w, m_title);
    Atom del = XInternAtom(d, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(d, w, &del, 1);
    XSizeHints* hints = XAllocSizeHints();
    if (hints) {
      hints->flags = PMinSize | PMaxSize;
      hints->min_width = hints->max_width = m_width;
      hints->min_height = hints->max_height = m_height;
      XSetWMNormalHints(d, w, hints);
      XFree(hints);
    }
    m_surface = cairo_xlib_surface_create(d, w, DefaultVisual(d, DefaultScreen(d)), m_width, m_height);
    XMapRaised(d, w);
    int result = -1;
    while (result < 0) {
      XEvent e;
      XNextEvent(d, &e);
      switch (e.type) {
        case MapNotify:
          XSetInputFocus(d, w, RevertToParent, CurrentTime);
          break;
        case Expose:
          if (e.xexpose.count == 0) _Paint();
          break;
        case ClientMessage:
          if (static_cast<Atom>(e.xclient.data.l[0]) == del) result = 0;
          break;
        case KeyPress:
          result = _Key(e.xkey);
          _Paint();
          break;
        case ButtonPress:
          result = _Click(e.xbutton);
          _Paint();
          break;
        default:
          break;
      }
    }
    cairo_surface_destroy(m_surface);
    XDestroyWindow(d, w);
    return result;
  }

 public:

  const std::string& Text() const { return m_text; }

 private:
  CRect _FieldRect() const { return CRect(10, 28, m_width - 10, 48); }
  CRect _ListRect() const { return CRect(10, 56, m_width - 10, m_height - 40); }
  CRect _OkRect() const { return CRect(m_width - 180, m_height - 30, m_width - 100, m_height - 10); }
  CRect _CancelRect() const { return CRect(m_width - 90, m_height - 30, m_width - 10, m_height - 10); }
  long _VisibleRows() const { return static_cast<long>((_ListRect().height() - 4) / ROW); }

  void _Relist() {
    m_entries = X11ListFolder(m_text, m_type.empty() ? nullptr : m_type.c_str());
    m_listedFolder = FolderPart(m_text);
    m_first = 0;
    m_selected = -1;
  }

  // -1 go on, 0 cancel, 1 accept.
  int _Accept() {
    if (m_text.empty()) return -1;
    if (m_files) {
      if (IsFolder(m_text)) {
        if (m_text.back() != '/') m_text += '/';
        _Relist();
        return -1;
      }
      if (m_save && !m_type.empty() && !HasExtension(m_text, m_type.c_str())) m_text += "." + m_type;
    }
    return 1;
  }

  int _Key(XKeyEvent& key) {
    char buffer[16] = {0};
    KeySym sym = 0;
    int n = XLookupString(&key, buffer, sizeof(buffer) - 1, &sym, nullptr);
    switch (sym) {
      case XK_Return:
      case XK_KP_Enter:
      case XK_Linefeed:
        return _Accept();
      case XK_Escape:
        return 0;
      case XK_BackSpace:
        EraseLast(m_text);
        break;
      default:
        if (n == 1 && static_cast<unsigned char>(buffer[0]) >= 0x20 && buffer[0] != 0x7f) {
          // Latin-1 from the key map, kept as UTF-8.
          unsigned char c = static_cast<unsigned char>(buffer[0]);
          if (c < 0x80) {
            m_text += static_cast<char>(c);
          } else {
            m_text += static_cast<char>(0xC0 | (c >> 6));
            m_text += static_cast<char>(0x80 | (c & 0x3F));
          }
        }
        break;
    }
    if (m_files && FolderPart(m_text) != m_listedFolder) _Relist();
    return -1;
  }

  int _Click(XButtonEvent& b) {
    CPoint p(b.x, b.y);
    bool isDouble = m_clicks.Press(b.button, b.time, b.x, b.y);
    if (b.button == Button4 || b.button == Button5) {
      long last = std::max<long>(0, static_cast<long>(m_entries.size()) - _VisibleRows());
      m_first = std::min(last, std::max<long>(0, m_first + (b.button == Button4 ? -3 : 3)));
      return -1;
    }
    if (b.button != Button1) return -1;
    if (_OkRect().pointInside(p)) return _Accept();
    if (_CancelRect().pointInside(p)) return 0;
    if (m_files && _ListRect().pointInside(p)) {
      long row = m_first + static_cast<long>((p.v - _ListRect().top - 2) / ROW);
      if (row < 0 || row >= static_cast<long>(m_entries.size())) return -1;
      const std::string& entry = m_entries[static_cast<size_t>(row)];
      std::string folder = m_listedFolder;
      if (entry == "../") {
        std::string trimmed = folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder;
        size_t slash = trimmed.rfind('/');
        m_text = slash == std::string::npos ? std::string("/") : trimmed.substr(0, slash + 1);
        _Relist();
      } else if (entry.back() == '/') {
        m_text = folder + entry;
        _Relist();
      } else {
        m_text = folder + entry;
        m_selected = row;
        if (isDouble) return _Accept();
      }
    }
    return -1;
  }

  void _Paint() {
    COffscreenContext c(m_width, m_height, PANEL);
    CFontDesc font("Arial", 12);
    c.setFont(&font);
    c.setDrawMode(kAntialias);
    c.setFontColor(TEXT);
    c.drawString(m_prompt.c_str(), CRect(10, 4, m_width - 10, 24), false, kLeftText);
    c.setFillColor(FIELD);
    c.setFrameColor(ACCENT);
    c.drawRect(_FieldRect(), kDrawFilledAndStroked);
    CRect field = _FieldRect();
    field.inset(4, 0);
    // The end of a long text stays visible, with the caret after it.
    std::string shown = m_text;
    // Whole characters are dropped from the front.
    while (!shown.empty() && c.getStringWidth(shown.c_str()) > field.width() - 8) {
      size_t cut = 1;
      while (cut < shown.size() && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) ++cut;
      shown.erase(0, cut);
    }
    c.drawString(shown.c_str(), field, false, kLeftText);
    CCoord caret = field.left + c.getStringWidth(shown.c_str()) + 1;
    c.setFrameColor(TEXT);
    c.drawLine(CPoint(caret, field.top + 3), CPoint(caret, field.bottom - 3));
    if (m_files) {
      CRect list = _ListRect();
      c.setFillColor(FIELD);
      c.setFrameColor(EDGE);
      c.drawRect(list, kDrawFilledAndStroked);
      long rows = _VisibleRows();
      for (long i = 0; i < rows && m_first + i < static_cast<long>(m_entries.size()); ++i) {
        long index = m_first + i;
        CRect r(list.left + 2, list.top + 2 + i * ROW, list.right - 2, list.top + 2 + (i + 1) * ROW);
        if (index == m_selected) {
          c.setFillColor(ACCENT);
          c.fillRect(r);
        }
        r.left += 4;
        c.setFontColor(TEXT);
        c.drawString(m_entries[static_cast<size_t>(index)].c_str(), r, false, kLeftText);
      }
    }
    const char* labels[2] = {"OK", "Cancel"};
    CRect buttons[2] = {_OkRect(), _CancelRect()};
    for (int k = 0; k < 2; ++k) {
      c.setFillColor(k == 0 ? ACCENT : PANEL);
      c.setFrameColor(EDGE);
      c.drawRect(buttons[k], kDrawFilledAndStroked);
      c.setFontColor(CColor(255, 255, 255, 255));
      c.drawString(labels[k], buttons[k], false, kCenterText);
    }
    cairo_t* cr = cairo_create(m_surface);
    cairo_set_source_surface(cr, c.getSurface(), 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(m_surface);
    XFlush(m_display);
  }

  const char* m_title;
  std::string m_prompt;
  bool m_files, m_save;
  std::string m_type;
  std::string m_text;
  int m_width, m_height;
  Display* m_display = nullptr;
  Window m_window = 0;
  cairo_surface_t* m_surface = nullptr;
  std::vector<std::string> m_entries;
  std::string m_listedFolder;
  long m_first = 0;
  long m_selected = -1;
  CX11ClickCounter m_clicks;
};

}  // namespace

std::vector<std::string> X11ListFolder(const std::string& text, const char* type) {
  std::string folder = FolderPart(text);
  std::vector<std::string> folders, files;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* e = readdir(dir)) {
      std::string name = e->d_name;
      if (name.empty() || name[0] == '.') continue;
      const std::string path = folder + name;
      if (IsFolder(path))
        folders.push_back(name + "/");
      else if (HasExtension(name, type) && IsRegularFile(path))
        files.push_back(name);
    }
    closedir(dir);
  }
  std::sort(folders.begin(), folders.end());
  std::sort(files.begin(), files.end());
  std::vector<std::string> entries;
  if (folder != "/") entries.push_back("../");
  entries.insert(entries.end(), folders.begin(), folders.end());
  entries.insert(entries.end(), files.begin(), files.end());
  return entries;
}

bool X11RunTextDialog(const char* title, const char* prompt, std::string& text) {
  CDialog dialog(title, prompt, false, false, nullptr, text);
  if (!dialog.Run()) return false;
  text = dialog.Text();
  return true;
}

bool X11RunFileDialog(bool save, const char* type, std::string& text) {
  std::string prompt = save ? "Save as:" : "Open:";
  if (type && *type) prompt += std::string(" (*.") + type + ")";
  CDialog dialog(save ? X11_DIALOG_TITLE_SAVE : X11_DIALOG_TITLE_OPEN, prompt.c_str(), true, save, type, text);
  if (!dialog.Run()) return false;
  text = dialog.Text();
  return true;
}
