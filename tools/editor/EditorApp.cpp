#include "tools/editor/EditorApp.h"

#include <signal.h>
#include <time.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include "host/au/AUSynthProperties.h"
#include "platform/au/AUCocoaUI.h"
#include "tools/render/AuHost.h"
#include "tools/render/AuPresetFile.h"
#include "tools/render/MorlavineInstrument.h"

// Last: Xlib defines macros (Bool, Status, ...) that other headers use as names.
#include <X11/Xlib.h>

namespace EditorApp {

namespace {

const char* const PROGRAM = "morlavine-editor";
const char* const USAGE =
    "usage: morlavine-editor [--preset F.p] [--state F.aupreset] [--save-state F.aupreset]\n"
    "                        [--page fx|mod|arp] [--overlay browser|wavetable|sample|recorder]\n"
    "                        [--snapshot OUT.png] [--bundle PATH]\n";
const int IDLE_MS = 40;

volatile sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

struct OPTIONS {
  std::string preset, state, saveState, snapshot, bundle;
  long page = -1;     // 0 arp, 1 mod, 2 fx
  int overlay = -1;   // 0 browser, 1 wavetable, 2 sample, 3 recorder
  bool help = false;
};

int Fail(FILE* messages, int code, const std::string& text) {
  std::fprintf(messages, "%s: %s\n", PROGRAM, text.c_str());
  return code;
}

bool Parse(int argc, char** argv, OPTIONS& o, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      o.help = true;
      continue;
    }
    if (a != "--preset" && a != "--state" && a != "--save-state" && a != "--page" && a != "--overlay" &&
        a != "--snapshot" && a != "--bundle") {
      error = "unknown option " + a;
      return false;
    }
    if (i + 1 >= argc || argv[i + 1][0] == 0) {
      error = a + " needs a value";
      return false;
    }
    std::string v = argv[++i];
    if (a == "--preset") {
      o.preset = v;
    } else if (a == "--state") {
      o.state = v;
    } else if (a == "--save-state") {
      o.saveState = v;
    } else if (a == "--snapshot") {
      o.snapshot = v;
    } else if (a == "--bundle") {
      o.bundle = v;
    } else if (a == "--page") {
      if (v == "arp") o.page = 0;
      else if (v == "mod") o.page = 1;
      else if (v == "fx") o.page = 2;
      else {
        error = "--page takes fx, mod or arp, not " + v;
        return false;
      }
    } else {
      const char* names[4] = {"browser", "wavetable", "sample", "recorder"};
      o.overlay = -1;
      for (int k = 0; k < 4; ++k)
        if (v == names[k]) o.overlay = k;
      if (o.overlay < 0) {
        error = "--overlay takes browser, wavetable, sample or recorder, not " + v;
        return false;
      }
    }
  }
  return true;
}

// Whether an X display can be opened (the editor window needs one).
bool DisplayAvailable() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  XCloseDisplay(display);
  return true;
}

// The view factory the unit names in its Cocoa-view property: the class of
// that name in the binary it names.
IAUCocoaUIBase* FactoryOf(AudioUnit unit, std::string& error) {
  AudioUnitCocoaViewInfo info;
  UInt32 size = sizeof(info);
  OSStatus status =
      AudioUnitGetProperty(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size);
  if (status != noErr) {
    error = DescribeStatus("the unit's editor view property", status);
    return nullptr;
  }
  char name[128] = "";
  char binary[4096] = "";
  CFStringGetCString(info.mCocoaAUViewClass[0], name, sizeof(name), kCFStringEncodingUTF8);
  if (CFStringRef path = CFURLCopyFileSystemPath(info.mCocoaAUViewBundleLocation, kCFURLPOSIXPathStyle)) {
    CFStringGetCString(path, binary, sizeof(binary), kCFStringEncodingUTF8);
    CFRelease(path);
  }
  CFRelease(info.mCocoaAUViewClass[0]);
  CFRelease(info.mCocoaAUViewBundleLocation);
  IAUCocoaUIBase* factory = AUCocoaUIClassCreate(binary, name);
  if (!factory) error = std::string("the unit names an unknown view class ") + name;
  return factory;
}

// The page and overlay asked for, through the unit's editor-page property.
bool ShowPageAndOverlay(AudioUnit unit, const OPTIONS& o, std::string& error) {
  if (o.page < 0 && o.overlay < 0) return true;
  AUSynthEditorPage request;
  request.page = static_cast<SInt32>(o.page);
  request.overlay = o.overlay;
  const OSStatus status =
      AudioUnitSetProperty(unit, kAUSynthProperty_EditorPage, kAudioUnitScope_Global, 0, &request, sizeof(request));
  if (status != noErr) error = DescribeStatus("the unit's editor-page property", status);
  return status == noErr;
}

void SleepUntil(std::chrono::steady_clock::time_point when) {
  auto now = std::chrono::steady_clock::now();
  if (when <= now) return;
  auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(when - now).count();
  timespec t{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
  nanosleep(&t, nullptr);
}

}  // namespace

int Run(int argc, char** argv, FILE* out, FILE* messages) {
  OPTIONS o;
  std::string error;
  if (!Parse(argc, argv, o, error)) {
    std::fprintf(messages, "%s: %s\n%s", PROGRAM, error.c_str(), USAGE);
    return EXIT_USAGE;
  }
  if (o.help) {
    std::fputs(USAGE, out);
    return EXIT_OK;
  }
  // From here on SIGINT and SIGTERM close the editor cleanly once it runs.
  g_stop = 0;
  struct sigaction action;
  std::memset(&action, 0, sizeof(action));
  action.sa_handler = OnSignal;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  // A window needs a display; say so before anything is opened.
  if (o.snapshot.empty()) {
    if (!DisplayAvailable())
      return Fail(messages, EXIT_FAILED, "cannot open an X display (set DISPLAY, or use --snapshot)");
  }
  PLIST_VALUE state;
  if (!o.state.empty() && !CAuPresetFile::Read(o.state.c_str(), state, error)) return Fail(messages, EXIT_FAILED, error);

  AudioComponent component = MorlavineInstrument::Open(o.bundle, error);
  if (!component) return Fail(messages, EXIT_FAILED, error);
  HOST_TRANSPORT transport;
  CAuHost host(&transport);
  if (!host.Open(component, error) || !host.Configure(44100.0, 1024, error) || !host.Initialize(error))
    return Fail(messages, EXIT_FAILED, error);
  if (!o.state.empty() && !host.RestoreState(state, error)) return Fail(messages, EXIT_FAILED, o.state + ": " + error);
  if (!o.preset.empty() && !MorlavineInstrument::LoadPreset(host.Unit(), o.preset.c_str(), error))
    return Fail(messages, EXIT_FAILED, error);

  std::unique_ptr<IAUCocoaUIBase> factory(FactoryOf(host.Unit(), error));
  if (!factory) return Fail(messages, EXIT_FAILED, error);
  if (o.snapshot.empty()) factory->SetHostWindow(0);
  const auto opening = std::chrono::steady_clock::now();
  std::unique_ptr<IAUCocoaView> view(factory->UiViewForAudioUnit(host.Unit(), 0, 0));
  if (!view || !(view->GetWidth() > 0.0)) return Fail(messages, EXIT_FAILED, "the editor did not open");
  if (!ShowPageAndOverlay(host.Unit(), o, error)) return Fail(messages, EXIT_FAILED, error);

  if (!o.snapshot.empty()) {
    bool written = view->WritePicture(o.snapshot.c_str());
    const double width = view->GetWidth(), height = view->GetHeight();
    view.reset();
    host.Close();
    if (!written) return Fail(messages, EXIT_FAILED, o.snapshot + ": cannot write the picture");
    std::fprintf(out, "%s: wrote %s (%.0f x %.0f)\n", PROGRAM, o.snapshot.c_str(), width, height);
    return EXIT_OK;
  }

  if (!view->GetWindowId()) return Fail(messages, EXIT_FAILED, "the editor window did not open");

  view->TimerTick();  // the first picture
  const double openMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - opening).count();
  std::fprintf(out, "%s: window 0x%lx open (%.0f x %.0f) in %.1f ms\n", PROGRAM, view->GetWindowId(),
               view->GetWidth(), view->GetHeight(), openMs);
  std::fflush(out);

  auto next = std::chrono::steady_clock::now();
  while (!g_stop && !view->IsCloseRequested()) {
    next += std::chrono::milliseconds(IDLE_MS);
    SleepUntil(next);
    // After a long stall (a modal menu or dialog) the ticks start over
    // instead of catching up.
    if (std::chrono::steady_clock::now() - next > std::chrono::milliseconds(4 * IDLE_MS))
      next = std::chrono::steady_clock::now();
    view->TimerTick();
  }

  view.reset();  // closes the editor and its window
  if (!o.saveState.empty()) {
    PLIST_VALUE saved;
    if (!host.SaveState(saved, error) || !CAuPresetFile::Write(o.saveState.c_str(), saved, error))
      return Fail(messages, EXIT_FAILED, error);
    std::fprintf(out, "%s: wrote %s\n", PROGRAM, o.saveState.c_str());
  }
  host.Close();
  return EXIT_OK;
}

}  // namespace EditorApp
