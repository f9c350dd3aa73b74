#include "tools/render/MorlavineInstrument.h"

#include "host/au/AUSynthProperties.h"
#include "tools/render/AuHost.h"
#include "tools/render/InstrumentBundle.h"

namespace MorlavineInstrument {

RenderApp::INSTRUMENT Get() {
  RenderApp::INSTRUMENT instrument;
  instrument.open = Open;
  instrument.loadPreset = LoadPreset;
  instrument.savePreset = SavePreset;
  return instrument;
}

AudioComponent Open(const std::string& bundlePath, std::string& error) {
  return InstrumentBundle::Load(bundlePath, error);
}

bool LoadPreset(AudioUnit unit, const char* path, std::string& error) {
  const std::string name = path ? path : "";
  char message[512] = "";
  AUSynthPresetFileLoad request;
  request.inPath = path;
  request.outMessage = message;
  request.inMessageSize = sizeof(message);
  const OSStatus status = AudioUnitSetProperty(unit, kAUSynthProperty_PresetFile, kAudioUnitScope_Global,
                                               0, &request, sizeof(request));
  if (status == noErr) return true;
  error = name + ": " + (message[0] ? std::string(message) : DescribeStatus("the unit's preset-file property", status));
  return false;
}

bool SavePreset(AudioUnit unit, std::vector<uint8_t>& image, std::string& error) {
  CFDataRef data = nullptr;
  UInt32 size = sizeof(data);
  const OSStatus status =
      AudioUnitGetProperty(unit, kAUSynthProperty_PresetFile, kAudioUnitScope_Global, 0, &data, &size);
  if (status != noErr || !data) {
    error = status == kAudioUnitErr_Uninitialized ? "the instrument is not open"
                                                    : "the instrument gave no preset to save";
    return false;
  }
  const UInt8* bytes = CFDataGetBytePtr(data);
  if (bytes) image.assign(bytes, bytes + CFDataGetLength(data));
  else image.clear();
  CFRelease(data);
  if (image.empty()) {
    error = "the instrument gave no preset to save";
    return false;
  }
  return true;
}

}  // namespace MorlavineInstrument
