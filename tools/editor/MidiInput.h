#pragma once
// MIDI input through RtMidi's ALSA sequencer back end: an input port
// called "Morlavine" that other programs connect to (a keyboard, aconnect,
// a sequencer), and optionally a connection to an existing output port.
// Each channel message is handed, with its arrival time, to the live host
// (CLiveHost::PostMidi) from the library's callback thread; system
// exclusive, timing and active-sensing messages are ignored.
//
// Library exceptions are caught here: every call answers with a result.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CLiveHost;
class RtMidiIn;

class CMidiInput {
 public:
  static constexpr const char* PORT_NAME = "Morlavine";

  CMidiInput();
  ~CMidiInput();
  CMidiInput(const CMidiInput&) = delete;
  CMidiInput& operator=(const CMidiInput&) = delete;

  // Opens the "Morlavine" port feeding `host` (source `source`).
  bool OpenPort(CLiveHost* host, int source, std::string& error);
  // Connects to the output port whose name holds `name`, feeding `host`.
  bool Connect(const std::string& name, CLiveHost* host, int source, std::string& error);
  // Stops the callbacks; no message reaches the host afterwards.
  void Close();

  // What the library's callback does with one message: a channel message
  // of two or three bytes goes to the host, anything else is dropped.
  static void Deliver(CLiveHost* host, int source, const unsigned char* bytes, size_t size, int64_t when);

 private:
  static void _Callback(double stamp, std::vector<unsigned char>* message, void* user);

  std::unique_ptr<RtMidiIn> m_in;
  CLiveHost* m_host = nullptr;
  int m_source = 0;
};
