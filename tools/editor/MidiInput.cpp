#include "tools/editor/MidiInput.h"

#include <RtMidi.h>

#include "tools/editor/LiveHost.h"
#include "tools/editor/QuietStderr.h"

namespace {

std::string Trimmed(const std::string& text) {
  std::string s = text;
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ' || s.back() == '.')) s.pop_back();
  return s;
}

// Errors after opening (a port that went away) end up here instead of as
// exceptions on the library's thread; the input just goes quiet.
void IgnoreError(RtMidiError::Type, const std::string&, void*) {}

}  // namespace

CMidiInput::CMidiInput() {}

CMidiInput::~CMidiInput() { Close(); }

void CMidiInput::Deliver(CLiveHost* host, int source, const unsigned char* bytes, size_t size, int64_t when) {
  if (!host || size < 2 || bytes[0] < 0x80 || bytes[0] >= 0xF0) return;
  host->PostMidi(source, bytes[0], bytes[1], size > 2 ? bytes[2] : 0, when);
}

void CMidiInput::_Callback(double, std::vector<unsigned char>* message, void* user) {
  CMidiInput* input = static_cast<CMidiInput*>(user);
  if (!message || message->empty()) return;
  Deliver(input->m_host, input->m_source, message->data(), message->size(), CLiveHost::Now());
}

bool CMidiInput::OpenPort(CLiveHost* host, int source, std::string& error) {
  Close();
  m_host = host;
  m_source = source;
  CQuietStderr quiet;
  try {
    m_in.reset(new RtMidiIn(RtMidi::LINUX_ALSA, PORT_NAME));
    m_in->setErrorCallback(IgnoreError, nullptr);
    m_in->ignoreTypes(true, true, true);
    m_in->setCallback(&CMidiInput::_Callback, this);
    m_in->openVirtualPort(PORT_NAME);
  } catch (const RtMidiError& e) {
    error = std::string("no MIDI input port (the ALSA sequencer: ") + Trimmed(e.getMessage()) + ")";
    m_in.reset();
    return false;
  }
  return true;
}

bool CMidiInput::Connect(const std::string& name, CLiveHost* host, int source, std::string& error) {
  Close();
  m_host = host;
  m_source = source;
  CQuietStderr quiet;
  try {
    m_in.reset(new RtMidiIn(RtMidi::LINUX_ALSA, PORT_NAME));
    m_in->setErrorCallback(IgnoreError, nullptr);
    const unsigned int count = m_in->getPortCount();
    unsigned int chosen = count;
    for (unsigned int i = 0; i < count && chosen == count; ++i)
      if (m_in->getPortName(i).find(name) != std::string::npos) chosen = i;
    if (chosen == count) {
      error = "no MIDI port called \"" + name + "\"";
      m_in.reset();
      return false;
    }
    m_in->ignoreTypes(true, true, true);
    m_in->setCallback(&CMidiInput::_Callback, this);
    m_in->openPort(chosen, std::string(PORT_NAME) + " in");
  } catch (const RtMidiError& e) {
    error = "MIDI port \"" + name + "\" cannot be opened (" + Trimmed(e.getMessage()) + ")";
    m_in.reset();
    return false;
  }
  return true;
}

void CMidiInput::Close() {
  if (!m_in) return;
  CQuietStderr quiet;
  try {
    m_in->cancelCallback();
    m_in->closePort();
  } catch (const RtMidiError&) {
  }
  m_in.reset();
}
