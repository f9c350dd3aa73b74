#include "platform/x11/X11Dialog.h"

#include "platform/Utf8.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>
#include <cairo.h>
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <strings.h>

#include "platform/vstgui/DrawContext.h"
#include "platform/vstgui/Font.h"
#include "platform/x11/X11Events.h"
#include "platform/x11/X11Window.h"

const char* const X11_DIALOG_TITLE_OPEN = "Morlavine - Open";
const char* const X11_DIALOG_TITLE_SAVE = "Morlavine - Save";
const char* const X11_DIALOG_TITLE_AUTHOR = "Morlavine - Default author";
const char* const X11_DIALOG_TITLE_MESSAGE = "Morlavine - Message";
const char* const X11_DIALOG_TITLE_CONFIRM = "Morlavine - Replace";

namespace {

const CColor PANEL(42, 45, 50, 255);
const CColor EDGE(90, 95, 102, 255);
const CColor TEXT(200, 204, 210, 255);
const CColor FIELD(24, 26, 30, 255);
const CColor ACCENT(0, 120, 190, 255);
const CCoord ROW = 16;
const int POLL_MS = 40;
// The longest text a paste adds.
const long PASTE_MAX_BYTES = 4096;

enum DIALOG_FORM { FORM_TEXT, FORM_FILE, FORM_MESSAGE, FORM_CONFIRM };

std::string FolderPart(const std::string& text) {
  size_t slash = text.rfind('/');
  return slash == std::string::npos ? std::string("./") : text.substr(0, slash + 1);
}

// Letters of the extension compared without regard to case.
bool HasExtension(const std::string& name, const char* type) {
  if (!type || !*type) return true;
  std::string ext = std::string(".") + type;
  return name.size() > ext.size() &&
         strcasecmp(name.c_str() + name.size() - ext.size(), ext.c_str()) == 0;
}

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// A key's character when the input method gave none: Unicode keysyms
// (0x1000000 + code point) and Latin-1 keysyms, as UTF-8.
int KeysymToUtf8(KeySym sym, char* out) {
  unsigned long cp = 0;
  if (sym >= 0x20 && sym <= 0x7e) cp = sym;
  else if (sym >= 0xa0 && sym <= 0xff) cp = sym;
  else if (sym >= 0x1000100 && sym <= 0x110ffff) cp = sym - 0x1000000;
  else return 0;
  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<char>(0xC0 | (cp >> 6));
    out[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (cp >> 18));
  out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return 4;
}

// Text as typed or pasted: control characters (line breaks of a paste)
// left out.
void AppendTyped(std::string& text, const char* data, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(data[i]);
    if (c < 0x20 || c == 0x7f) continue;
    text += static_cast<char>(c);
  }
}

// The lines a message takes in width (words kept whole where they fit).
std::vector<std::string> WrapLines(CDrawContext& c, const std::string& text, CCoord width) {
  std::vector<std::string> lines;
  std::string line;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    std::string word = text.substr(at, end - at);
    std::string candidate = line.empty() ? word : line + " " + word;
    if (!line.empty() && c.getStringWidth(candidate.c_str()) > width) {
      lines.push_back(line);
      line = word;
    } else {
      line = candidate;
    }
    // A single word too long for a line is cut.
    while (c.getStringWidth(line.c_str()) > width && line.size() > 1) {
      size_t cut = line.size() - 1;
      while (cut > 1 && c.getStringWidth(line.substr(0, cut).c_str()) > width) --cut;
      while (cut > 1 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
      lines.push_back(line.substr(0, cut));
      line.erase(0, cut);
    }
    at = end + 1;
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
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
  CDialog(const char* title, const char* prompt, DIALOG_FORM form, bool save, const char* type, std::string text)
      : m_title(title), m_prompt(prompt ? prompt : ""), m_form(form), m_files(form == FORM_FILE), m_save(save),
        m_type(type ? type : ""), m_text(std::move(text)) {
    m_width = m_files ? 520 : 380;
    m_height = m_files ? 360 : form == FORM_TEXT ? 120 : 140;
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
    a.event_mask = ExposureMask | ButtonPressMask | KeyPressMask | StructureNotifyMask | FocusChangeMask;
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
    // Text arrives through an input method as UTF-8 (any script the
    // keyboard sends, composed characters included).
    m_im = XOpenIM(d, nullptr, nullptr, nullptr);
    if (m_im) {
      m_ic = XCreateIC(m_im, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, w, XNFocusWindow, w,
                       nullptr);
    }
    if (m_ic) {
      long filterMask = 0;
      if (!XGetICValues(m_ic, XNFilterEvents, &filterMask, nullptr))
        XSelectInput(d, w, a.event_mask | filterMask);
      XSetICFocus(m_ic);
    }
    m_clipboard = XInternAtom(d, "CLIPBOARD", False);
    m_utf8 = XInternAtom(d, "UTF8_STRING", False);
    m_pasteProperty = XInternAtom(d, "MORLAVINE_PASTE", False);
    m_surface = cairo_xlib_surface_create(d, w, DefaultVisual(d, DefaultScreen(d)), m_width, m_height);
    XMapRaised(d, w);
    int result = -1;
    while (result < 0) {
      // The editor's windows stay painted, and a signal or a close of the
      // editor's window cancels at once.
      if (X11ServiceWindowsDuringModal()) {
        result = 0;
        break;
      }
      if (!X11WaitForEvent(d, POLL_MS)) continue;
      XEvent e;
      XNextEvent(d, &e);
      if (XFilterEvent(&e, None)) continue;
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
        case SelectionNotify:
          _Pasted(e.xselection);
          _Paint();
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
    if (m_ic) XDestroyIC(m_ic);
    if (m_im) XCloseIM(m_im);
    XDestroyWindow(d, w);
    return result;
  }

 public:

  const std::string& Text() const { return m_text; }

 private:
  bool _HasField() const { return m_form == FORM_TEXT || m_form == FORM_FILE; }
  bool _Asking() const { return m_form == FORM_CONFIRM || m_confirming; }
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
    m_lastClickRow = -1;
  }

  // -1 go on, 0 cancel, 1 accept.
  int _Accept() {
    if (m_form == FORM_MESSAGE || m_form == FORM_CONFIRM) return 1;
    if (m_confirming) return 1;  // the replace was confirmed
    // An empty text is a valid answer of a text entry (an empty author
    // name), never a file.
    if (m_text.empty()) return m_files ? -1 : 1;
    if (m_files) {
      if (IsFolder(m_text)) {
        if (m_text.back() != '/') m_text += '/';
        _Relist();
        return -1;
      }
      if (m_save && !m_type.empty() && !HasExtension(m_text, m_type.c_str())) m_text += "." + m_type;
      if (m_save && Exists(m_text)) {
        m_confirming = true;
        return -1;
      }
    }
    return 1;
  }

  // Escape or Cancel: a replace question goes back to the name.
  int _Cancel() {
    if (m_confirming) {
      m_confirming = false;
      return -1;
    }
    return 0;
  }

  int _Key(XKeyEvent& key) {
    char buffer[64] = {0};
    KeySym sym = 0;
    int n = 0;
    if (m_ic) {
      Status status = 0;
      n = Xutf8LookupString(m_ic, &key, buffer, sizeof(buffer) - 1, &sym, &status);
      if (status != XLookupChars && status != XLookupBoth) n = 0;
      if (status != XLookupKeySym && status != XLookupBoth) sym = NoSymbol;
    } else {
      XLookupString(&key, nullptr, 0, &sym, nullptr);
    }
    // Text that is not UTF-8 (an input method in a locale of single-byte
    // characters gives Latin-1): the key's own character instead, else the
    // bytes read as Latin-1.
    if (n > 0 && Platform::ToValidUtf8(buffer, static_cast<size_t>(n)) != std::string(buffer, static_cast<size_t>(n))) {
      int converted = sym != NoSymbol ? KeysymToUtf8(sym, buffer) : 0;
      if (converted == 0) {
        const std::string latin1(buffer, static_cast<size_t>(n));
        char utf8[sizeof(buffer)] = {0};
        for (unsigned char c : latin1) {
          if (converted + 2 >= static_cast<int>(sizeof(utf8))) break;
          converted += KeysymToUtf8(c, utf8 + converted);
        }
        std::memcpy(buffer, utf8, sizeof(buffer));
      }
      n = converted;
    }
    // No text from an input method: the key's own character.
    if (n == 0 && sym != NoSymbol) n = KeysymToUtf8(sym, buffer);
    switch (sym) {
      case XK_Return:
      case XK_KP_Enter:
      case XK_Linefeed:
        return _Accept();
      case XK_Escape:
        return _Cancel();
      case XK_BackSpace:
        if (_HasField() && !_Asking()) EraseLast(m_text);
        break;
      default:
        if (!_HasField() || _Asking()) return -1;
        if ((key.state & ControlMask) && (sym == XK_v || sym == XK_V)) {
          // Paste: ask the clipboard's owner for its text.
          XConvertSelection(m_display, m_clipboard, m_utf8, m_pasteProperty, m_window, key.time);
          return -1;
        }
        if (key.state & ControlMask) return -1;
        if (n > 0) AppendTyped(m_text, buffer, static_cast<size_t>(n));
        break;
    }
    if (m_files && FolderPart(m_text) != m_listedFolder) _Relist();
    return -1;
  }

  void _Pasted(const XSelectionEvent& event) {
    if (event.property == None || !_HasField() || _Asking()) return;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(m_display, m_window, event.property, 0, PASTE_MAX_BYTES / 4, True, AnyPropertyType, &type,
                           &format, &count, &after, &data) == Success &&
        data) {
      if (format == 8) AppendTyped(m_text, reinterpret_cast<const char*>(data), count);
      XFree(data);
    }
    if (m_files && FolderPart(m_text) != m_listedFolder) _Relist();
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
    if (_CancelRect().pointInside(p)) return _Cancel();
    if (m_files && !_Asking() && _ListRect().pointInside(p)) {
      long row = m_first + static_cast<long>((p.v - _ListRect().top - 2) / ROW);
      // A double click counts only when both clicks hit the same entry of
      // the same listing: a click that opened a folder does not pair with
      // the next one in the folder opened.
      const bool sameEntry = isDouble && row == m_lastClickRow;
      m_lastClickRow = row;
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
        if (sameEntry) return _Accept();
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
    if (_Asking() || m_form == FORM_MESSAGE) {
      // The question or message, wrapped, above the buttons.
      std::string shown = m_form == FORM_MESSAGE || m_form == FORM_CONFIRM
                              ? m_prompt
                              : "\"" + m_text + "\" already exists. Replace it?";
      std::vector<std::string> lines = WrapLines(c, shown, m_width - 20);
      CCoord y = m_confirming ? 64 : 8;
      for (const std::string& line : lines) {
        if (y + ROW > m_height - 36) break;
        c.drawString(line.c_str(), CRect(10, y, m_width - 10, y + ROW), false, kLeftText);
        y += ROW;
      }
    }
    if (_HasField() && !m_confirming) {
      c.drawString(m_prompt.c_str(), CRect(10, 4, m_width - 10, 24), false, kLeftText);
      c.setFillColor(FIELD);
      c.setFrameColor(ACCENT);
      c.drawRect(_FieldRect(), kDrawFilledAndStroked);
      CRect field = _FieldRect();
      field.inset(4, 0);
      // The end of a long text stays visible, with the caret after it.
      std::string shown = m_text;
      while (!shown.empty() && c.getStringWidth(shown.c_str()) > field.width() - 8) {
        size_t cut = 1;
        while (cut < shown.size() && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) ++cut;
        shown.erase(0, cut);
      }
      c.drawString(shown.c_str(), field, false, kLeftText);
      CCoord caret = field.left + c.getStringWidth(shown.c_str()) + 1;
      c.setFrameColor(TEXT);
      c.drawLine(CPoint(caret, field.top + 3), CPoint(caret, field.bottom - 3));
    }
    if (m_files && !m_confirming) {
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
    const char* labels[2] = {_Asking() ? "Replace" : "OK", "Cancel"};
    CRect buttons[2] = {_OkRect(), _CancelRect()};
    const int count = m_form == FORM_MESSAGE ? 1 : 2;
    if (count == 1) buttons[0] = _CancelRect();
    for (int k = 0; k < count; ++k) {
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
  DIALOG_FORM m_form;
  bool m_files, m_save;
  std::string m_type;
  std::string m_text;
  int m_width, m_height;
  Display* m_display = nullptr;
  Window m_window = 0;
  XIM m_im = nullptr;
  XIC m_ic = nullptr;
  Atom m_clipboard = 0, m_utf8 = 0, m_pasteProperty = 0;
  cairo_surface_t* m_surface = nullptr;
  std::vector<std::string> m_entries;
  std::string m_listedFolder;
  long m_first = 0;
  long m_selected = -1;
  long m_lastClickRow = -1;
  bool m_confirming = false;
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
  CDialog dialog(title, prompt, FORM_TEXT, false, nullptr, text);
  if (!dialog.Run()) return false;
  text = dialog.Text();
  return true;
}

bool X11RunFileDialog(bool save, const char* type, std::string& text) {
  std::string prompt = save ? "Save as:" : "Open:";
  if (type && *type) prompt += std::string(" (*.") + type + ")";
  CDialog dialog(save ? X11_DIALOG_TITLE_SAVE : X11_DIALOG_TITLE_OPEN, prompt.c_str(), FORM_FILE, save, type, text);
  if (!dialog.Run()) return false;
  text = dialog.Text();
  return true;
}

bool X11RunMessageDialog(const char* text) {
  CDialog dialog(X11_DIALOG_TITLE_MESSAGE, text, FORM_MESSAGE, false, nullptr, std::string());
  return dialog.Run();
}

bool X11RunReplaceDialog(const std::string& path) {
  const std::string question = "\"" + path + "\" already exists. Replace it?";
  CDialog dialog(X11_DIALOG_TITLE_CONFIRM, question.c_str(), FORM_CONFIRM, false, nullptr, std::string());
  return dialog.Run();
}
