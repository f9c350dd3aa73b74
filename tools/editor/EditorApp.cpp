#include "tools/editor/EditorApp.h"

#include <signal.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "engine/SafeFile.h"
#include "host/au/AUSynthProperties.h"
#include "platform/au/AUCocoaUI.h"
#include "tools/editor/AudioDevice.h"
#include "tools/editor/ClockDriver.h"
#include "tools/editor/LiveHost.h"
#include "tools/editor/MidiInput.h"
#include "tools/editor/WavStream.h"
#include "tools/render/AuHost.h"
#include "tools/render/AuPresetFile.h"
#include "tools/render/MidiFileReader.h"
#include "tools/render/MorlavineInstrument.h"

// Last: Xlib defines macros (Bool, Status, ...) that other headers use as names.
#include <X11/Xlib.h>

namespace EditorApp {

namespace {

const char* const PROGRAM = "morlavine-editor";
const char* const USAGE =
    "usage: morlavine-editor [--preset F.p] [--state F.aupreset] [--save-state F.aupreset]\n"
    "                        [--page fx|mod|arp] [--overlay browser|wavetable|sample|recorder]\n"
    "                        [--snapshot OUT.png] [--bundle PATH]\n"
    "                        [--audio none] [--audio-device NAME|default] [--rate HZ] [--block FRAMES]\n"
    "                        [--midi-in NAME] [--play FILE.mid [--loop]] [--bpm BPM] [--audio-out FILE.wav]\n"
    "       morlavine-editor --list-devices\n";
const int IDLE_MS = 40;
// The instrument renders at most this many frames per call; longer device
// blocks are rendered in parts.
const uint32_t MAX_RENDER_FRAMES = 4096;
// Seconds of audio the --audio-out ring holds for its writer thread.
const double CAPTURE_SECONDS = 4.0;
// Silence rendered before the audio starts (as morlavine-render does).
const double SETTLE_SECONDS = 0.25;
// MIDI sources of the live host.
const int SOURCE_PORT = 0;
const int SOURCE_CONNECTION = 1;

volatile sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

// Errors on the program's own X connection (a title set on a window that
// has just gone) are not fatal; the instrument's editor keeps its own
// errors to itself and passes the others here.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// Asks the editor's window to close as a window manager does (the
// WM_DELETE_WINDOW message), through a connection of the program's own: an
// open dialog or menu of the editor ends at once, then the editor closes.
void SendCloseRequest(unsigned long window) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return;
  XEvent event;
  std::memset(&event, 0, sizeof(event));
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XFlush(display);
  XCloseDisplay(display);
}

struct OPTIONS {
  std::string preset, state, saveState, snapshot, bundle;
  long page = -1;     // 0 arp, 1 mod, 2 fx
  int overlay = -1;   // 0 browser, 1 wavetable, 2 sample, 3 recorder
  bool help = false;
  bool listDevices = false;
  bool noAudio = false;          // --audio none
  std::string audioDevice = "default";
  bool deviceGiven = false;
  unsigned int rate = 0;         // 0: the device's own, 44100 without one
  unsigned int block = 256;
  std::string midiIn, play, audioOut;
  bool loop = false;
  double bpm = 120.0;
};

// A whole number in [low, high].
bool ParseCount(const std::string& text, unsigned long low, unsigned long high, unsigned int& value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9) return false;
  const unsigned long v = std::strtoul(text.c_str(), nullptr, 10);
  if (v < low || v > high) return false;
  value = static_cast<unsigned int>(v);
  return true;
}

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
    if (a == "--list-devices") {
      o.listDevices = true;
      continue;
    }
    if (a == "--loop") {
      o.loop = true;
      continue;
    }
    if (a != "--preset" && a != "--state" && a != "--save-state" && a != "--page" && a != "--overlay" &&
        a != "--snapshot" && a != "--bundle" && a != "--audio" && a != "--audio-device" && a != "--rate" &&
        a != "--block" && a != "--midi-in" && a != "--play" && a != "--bpm" && a != "--audio-out") {
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
    } else if (a == "--audio") {
      if (v != "none") {
        error = "--audio takes none (a device is chosen with --audio-device), not " + v;
        return false;
      }
      o.noAudio = true;
    } else if (a == "--audio-device") {
      o.audioDevice = v;
      o.deviceGiven = true;
    } else if (a == "--rate") {
      if (!ParseCount(v, 8000, 384000, o.rate)) {
        error = "--rate takes a sample rate from 8000 to 384000 Hz, not " + v;
        return false;
      }
    } else if (a == "--block") {
      if (!ParseCount(v, 16, 8192, o.block)) {
        error = "--block takes 16 to 8192 frames, not " + v;
        return false;
      }
    } else if (a == "--midi-in") {
      o.midiIn = v;
    } else if (a == "--play") {
      o.play = v;
    } else if (a == "--audio-out") {
      o.audioOut = v;
    } else if (a == "--bpm") {
      char* end = nullptr;
      o.bpm = std::strtod(v.c_str(), &end);
      if (!end || *end || !(o.bpm >= 20.0 && o.bpm <= 999.0)) {
        error = "--bpm takes a tempo from 20 to 999, not " + v;
        return false;
      }
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
  if (o.noAudio && o.deviceGiven) {
    error = "--audio none and --audio-device exclude each other";
    return false;
  }
  if (o.loop && o.play.empty()) {
    error = "--loop needs --play";
    return false;
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

// The instrument through its Audio Unit entry: opened, set to the rate and
// block the audio runs at, initialized, with the saved state and preset
// given. Every way the instrument is reached goes through here.
bool OpenInstrument(CAuHost& host, double sampleRate, const OPTIONS& o, const PLIST_VALUE& state,
                    std::string& error) {
  AudioComponent component = MorlavineInstrument::Open(o.bundle, error);
  if (!component) return false;
  if (!host.Open(component, error) || !host.Configure(sampleRate, MAX_RENDER_FRAMES, error) ||
      !host.Initialize(error))
    return false;
  if (!o.state.empty() && !host.RestoreState(state, error)) {
    error = o.state + ": " + error;
    return false;
  }
  if (!o.preset.empty() && !MorlavineInstrument::LoadPreset(host.Unit(), o.preset.c_str(), error)) return false;
  return true;
}

// The audio and MIDI around the instrument while the window is open: a
// sound device (or the clock with --audio none, or when the device fails),
// the MIDI ports, the score and the --audio-out file.
class CLiveSession {
 public:
  CLiveSession(const OPTIONS& o, FILE* messages) : m_options(o), m_messages(messages) {}
  ~CLiveSession() { Stop(); }

  // Before the instrument opens: the device, and so the rate and block the
  // instrument is told. A device that cannot be had is said in one line
  // and the loop runs on the clock, silently.
  void OpenAudio() {
    m_rate = m_options.rate ? m_options.rate : 44100;
    m_block = m_options.block;
    if (m_options.noAudio) return;
    std::string error;
    if (m_device.Open(m_options.audioDevice, m_options.rate, m_options.block, error)) {
      m_rate = m_device.Rate();
      m_block = m_device.Block() ? m_device.Block() : m_options.block;
      m_deviceOpen = true;
    } else {
      Say(error + "; playing without sound");
    }
  }
  double Rate() const { return m_rate; }

  // Reads the score and opens the --audio-out file (failures end the
  // program before the window opens).
  bool Prepare(std::string& error) {
    if (!m_options.play.empty() && !CMidiFileReader::Read(m_options.play.c_str(), m_options.bpm, m_score, error))
      return false;
    if (!m_options.audioOut.empty() && !m_wav.Open(m_options.audioOut, m_rate, error)) return false;
    return true;
  }

  // Once the instrument and its editor are open: MIDI in, then the audio.
  void Start(CAuHost& host, HOST_TRANSPORT& transport) {
    std::string error;
    // As morlavine-render does: silence first, so that the sound's glides
    // have ended and its settings are in place when the music starts.
    CRenderSession settling(m_rate, m_block);
    if (!settling.Settle(host, SETTLE_SECONDS, error)) Say(error);
    m_live.reset(new CLiveHost(host, transport, m_rate, MAX_RENDER_FRAMES));
    m_live->SetTempo(m_options.bpm);
    if (!m_options.play.empty()) m_live->SetScore(&m_score, m_options.loop);
    if (!m_options.audioOut.empty()) {
      m_live->EnableCapture(static_cast<uint32_t>(m_rate * CAPTURE_SECONDS) + 2 * MAX_RENDER_FRAMES);
      m_wav.Start(m_live.get());
    }
    if (!m_port.OpenPort(m_live.get(), SOURCE_PORT, error)) Say(error);
    if (!m_options.midiIn.empty() && !m_connection.Connect(m_options.midiIn, m_live.get(), SOURCE_CONNECTION, error))
      Say(error);
    if (m_deviceOpen && !m_device.Start(m_live.get(), error)) {
      Say(error + "; playing without sound");
      m_device.Stop();
      m_deviceOpen = false;
    }
    if (!m_deviceOpen) m_clock.Start(m_live.get(), m_block);
  }

  CLiveHost* Live() const { return m_live.get(); }

  // On every editor tick: a device that failed while playing gives way to
  // the clock; new dropouts are said (at most once a second) and counted
  // in the window's title.
  void Tick(Display* display, unsigned long window) {
    if (!m_live) return;
    std::string failure;
    if (m_deviceOpen && m_device.Failure(failure)) {
      m_device.Stop();
      m_deviceOpen = false;
      Say("audio device \"" + m_device.DeviceName() + "\" stopped" + (failure.empty() ? "" : ": " + failure) +
          "; playing without sound");
      m_clock.Start(m_live.get(), m_block);
    }
    if (m_live->RenderFailed() && !m_renderFailureSaid) {
      m_renderFailureSaid = true;
      Say("the instrument failed to render; playing silence");
    }
    const uint64_t xruns = m_live->Xruns();
    const auto now = std::chrono::steady_clock::now();
    if (xruns != m_xrunsShown && now - m_lastSaid >= std::chrono::seconds(1)) {
      m_xrunsShown = xruns;
      m_lastSaid = now;
      char text[96];
      std::snprintf(text, sizeof(text), "audio dropouts (xruns): %llu", static_cast<unsigned long long>(xruns));
      Say(text);
      if (display && window) {
        std::snprintf(text, sizeof(text), "Morlavine (%llu xruns)", static_cast<unsigned long long>(xruns));
        XStoreName(display, window, text);
        XFlush(display);
      }
    }
  }

  // The stream stops first (MIDI, then the audio), then the file is put in
  // place. False with `error` when the file could not be written.
  bool Stop(std::string* error = nullptr) {
    m_port.Close();
    m_connection.Close();
    m_device.Stop();
    m_deviceOpen = false;
    m_clock.Stop();
    bool ok = true;
    if (m_live && !m_options.audioOut.empty() && !m_finished) {
      m_finished = true;
      std::string problem;
      ok = m_wav.Finish(problem);
      if (!ok && error) *error = problem;
      if (ok && m_live->DroppedCapture() > 0) {
        Say(std::to_string(m_live->DroppedCapture()) + " frames could not be written to " + m_options.audioOut +
            " in time");
      }
    }
    return ok;
  }

 private:
  void Say(const std::string& text) {
    std::fprintf(m_messages, "%s: %s\n", PROGRAM, text.c_str());
    std::fflush(m_messages);
  }

  const OPTIONS& m_options;
  FILE* m_messages;
  double m_rate = 44100.0;
  uint32_t m_block = 256;
  CAudioDevice m_device;
  bool m_deviceOpen = false;
  CClockDriver m_clock;
  CMidiInput m_port, m_connection;
  CMidiScore m_score;
  CWavStream m_wav;
  bool m_finished = false;
  std::unique_ptr<CLiveHost> m_live;
  uint64_t m_xrunsShown = 0;
  std::chrono::steady_clock::time_point m_lastSaid{};
  bool m_renderFailureSaid = false;
};

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
  if (o.listDevices) {
    if (!CAudioDevice::List(out, error)) return Fail(messages, EXIT_FAILED, error);
    return EXIT_OK;
  }
  // From here on SIGINT and SIGTERM close the editor cleanly once it runs.
  g_stop = 0;
  struct sigaction action;
  std::memset(&action, 0, sizeof(action));
  action.sa_handler = OnSignal;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  const bool live = o.snapshot.empty();
  XSetErrorHandler(IgnoreXError);
  // The state file is written after the session: a name that cannot be
  // written is told now, before any edit would be lost.
  if (!o.saveState.empty() && !SafeFile::CheckWritable(o.saveState, error)) return Fail(messages, EXIT_FAILED, error);
  // A window needs a display; say so before anything is opened.
  if (live) {
    if (!DisplayAvailable())
      return Fail(messages, EXIT_FAILED, "cannot open an X display (set DISPLAY, or use --snapshot)");
  }
  PLIST_VALUE state;
  if (!o.state.empty() && !CAuPresetFile::Read(o.state.c_str(), state, error)) return Fail(messages, EXIT_FAILED, error);

  // The sound device first: the instrument is told the rate it opened at.
  CLiveSession session(o, messages);
  if (live) {
    session.OpenAudio();
    if (!session.Prepare(error)) return Fail(messages, EXIT_FAILED, error);
  }
  HOST_TRANSPORT transport;
  CAuHost host(&transport);
  if (!OpenInstrument(host, live ? session.Rate() : 44100.0, o, state, error))
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

  // The instrument plays from now on; the title shows dropouts through a
  // connection of the program's own.
  Display* titleDisplay = XOpenDisplay(nullptr);
  session.Start(host, transport);

  // SIGINT and SIGTERM set a flag; while the editor runs a dialog or menu
  // of its own, this thread turns the flag into a close request that ends it.
  std::atomic<bool> closing{false};
  const unsigned long windowId = view->GetWindowId();
  std::thread closer([&closing, windowId] {
    while (!closing.load()) {
      if (g_stop) {
        SendCloseRequest(windowId);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });

  auto next = std::chrono::steady_clock::now();
  while (!g_stop && !view->IsCloseRequested()) {
    next += std::chrono::milliseconds(IDLE_MS);
    SleepUntil(next);
    // After a long stall (a modal menu or dialog) the ticks start over
    // instead of catching up.
    if (std::chrono::steady_clock::now() - next > std::chrono::milliseconds(4 * IDLE_MS))
      next = std::chrono::steady_clock::now();
    view->TimerTick();
    session.Tick(titleDisplay, view->GetWindowId());
  }

  closing.store(true);
  closer.join();
  // The stream stops before the editor closes.
  std::string outputError;
  const bool outputWritten = session.Stop(&outputError);
  if (titleDisplay) XCloseDisplay(titleDisplay);
  view.reset();  // closes the editor and its window
  if (!o.saveState.empty()) {
    PLIST_VALUE saved;
    if (!host.SaveState(saved, error) || !CAuPresetFile::Write(o.saveState.c_str(), saved, error))
      return Fail(messages, EXIT_FAILED, error);
    std::fprintf(out, "%s: wrote %s\n", PROGRAM, o.saveState.c_str());
  }
  host.Close();
  if (!outputWritten) return Fail(messages, EXIT_FAILED, outputError);
  if (!o.audioOut.empty()) std::fprintf(out, "%s: wrote %s\n", PROGRAM, o.audioOut.c_str());
  return EXIT_OK;
}

}  // namespace EditorApp
