#include "tools/editor/AudioDevice.h"

#include <RtAudio.h>

#include <atomic>
#include <cstring>
#include <mutex>

#include "tools/editor/LiveHost.h"
#include "tools/editor/QuietStderr.h"

namespace {

// The library's error callback carries no pointer of ours; one stream runs
// at a time.
std::atomic<bool> g_failed{false};
std::mutex g_failureLock;
std::string g_failure;

void OnStreamError(RtAudioError::Type type, const std::string& text) {
  if (type == RtAudioError::WARNING || type == RtAudioError::DEBUG_WARNING) return;
  std::lock_guard<std::mutex> guard(g_failureLock);
  if (g_failure.empty()) g_failure = text;
  g_failed = true;
}

std::string ApiName(RtAudio& audio) { return RtAudio::getApiDisplayName(audio.getCurrentApi()); }

std::string Trimmed(const std::string& text) {
  std::string s = text;
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ' || s.back() == '.')) s.pop_back();
  size_t start = s.find_first_not_of("\n ");
  return start == std::string::npos ? std::string() : s.substr(start);
}

}  // namespace

CAudioDevice::CAudioDevice() {}

CAudioDevice::~CAudioDevice() { Stop(); }

bool CAudioDevice::List(FILE* out, std::string& error) {
  CQuietStderr quiet;
  try {
    RtAudio audio;
    audio.showWarnings(false);
    const unsigned int count = audio.getDeviceCount();
    unsigned int listed = 0;
    for (unsigned int i = 0; i < count; ++i) {
      RtAudio::DeviceInfo info = audio.getDeviceInfo(i);
      if (!info.probed || info.outputChannels < 2) continue;
      std::string rates;
      for (unsigned int r : info.sampleRates) rates += (rates.empty() ? "" : " ") + std::to_string(r);
      std::fprintf(out, "%s%s (%u channels; %s Hz; %s)\n", info.isDefaultOutput ? "* " : "  ", info.name.c_str(),
                   info.outputChannels, rates.c_str(), ApiName(audio).c_str());
      ++listed;
    }
    if (listed == 0) {
      error = "no audio output device found (" + ApiName(audio) + ")";
      return false;
    }
    return true;
  } catch (const RtAudioError& e) {
    error = "no audio output device found (" + Trimmed(e.getMessage()) + ")";
    return false;
  }
}

bool CAudioDevice::Open(const std::string& name, unsigned int sampleRate, unsigned int blockFrames,
                        std::string& error) {
  Stop();
  CQuietStderr quiet;
  try {
    m_audio.reset(new RtAudio());
    m_audio->showWarnings(false);
    const unsigned int count = m_audio->getDeviceCount();
    int chosen = -1;
    std::string chosenName;
    unsigned int preferred = 0;
    for (unsigned int i = 0; i < count && chosen < 0; ++i) {
      RtAudio::DeviceInfo info = m_audio->getDeviceInfo(i);
      if (!info.probed || info.outputChannels < 2) continue;
      const bool match = name == "default" ? info.isDefaultOutput
                                           : info.name == name || info.name.find(name) != std::string::npos;
      if (match) {
        chosen = static_cast<int>(i);
        chosenName = info.name;
        preferred = info.preferredSampleRate;
      }
    }
    if (chosen < 0) {
      error = name == "default" ? "no audio output device" : "no audio output device called \"" + name + "\"";
      if (count == 0) error += " (" + ApiName(*m_audio) + " finds none)";
      m_audio.reset();
      return false;
    }
    RtAudio::StreamParameters parameters;
    parameters.deviceId = static_cast<unsigned int>(chosen);
    parameters.nChannels = 2;
    parameters.firstChannel = 0;
    RtAudio::StreamOptions options;
    options.flags = RTAUDIO_NONINTERLEAVED | RTAUDIO_SCHEDULE_REALTIME;
    options.streamName = "Morlavine";
    unsigned int frames = blockFrames;
    // Without a rate asked for, the device's own (a sound server runs at
    // one rate).
    if (sampleRate == 0) sampleRate = preferred ? preferred : 48000;
    g_failed = false;
    {
      std::lock_guard<std::mutex> guard(g_failureLock);
      g_failure.clear();
    }
    m_audio->openStream(&parameters, nullptr, RTAUDIO_FLOAT32, sampleRate, &frames, &CAudioDevice::_Callback, this,
                        &options, OnStreamError);
    if (!m_audio->isStreamOpen() || g_failed) {
      std::string failure;
      Failure(failure);
      error = "audio device \"" + chosenName + "\" cannot be opened" + (failure.empty() ? "" : ": " + failure);
      m_audio.reset();
      return false;
    }
    m_rate = m_audio->getStreamSampleRate();
    if (m_rate == 0) m_rate = sampleRate;
    m_block = frames;
    m_name = chosenName;
    return true;
  } catch (const RtAudioError& e) {
    error = (name == "default" ? std::string("the default audio device") : "audio device \"" + name + "\"") +
            " cannot be opened: " + Trimmed(e.getMessage());
    m_audio.reset();
    return false;
  }
}

bool CAudioDevice::Start(CLiveHost* host, std::string& error) {
  if (!m_audio || !m_audio->isStreamOpen()) {
    error = "no audio device is open";
    return false;
  }
  m_host = host;
  CQuietStderr quiet;
  try {
    m_audio->startStream();
  } catch (const RtAudioError& e) {
    error = "audio device \"" + m_name + "\" cannot start: " + Trimmed(e.getMessage());
    return false;
  }
  if (g_failed) {
    std::string failure;
    Failure(failure);
    error = "audio device \"" + m_name + "\" cannot start: " + failure;
    return false;
  }
  return true;
}

void CAudioDevice::Stop() {
  if (!m_audio) return;
  CQuietStderr quiet;
  try {
    if (m_audio->isStreamRunning()) m_audio->stopStream();
  } catch (const RtAudioError&) {
  }
  try {
    if (m_audio->isStreamOpen()) m_audio->closeStream();
  } catch (const RtAudioError&) {
  }
  m_audio.reset();
}

bool CAudioDevice::Failure(std::string& message) {
  if (!g_failed) return false;
  std::lock_guard<std::mutex> guard(g_failureLock);
  message = Trimmed(g_failure);
  return true;
}

int CAudioDevice::_Callback(void* output, void*, unsigned int frames, double, unsigned int status, void* user) {
  CAudioDevice* device = static_cast<CAudioDevice*>(user);
  float* left = static_cast<float*>(output);
  float* right = left + frames;
  if (!device->m_host) {
    std::memset(output, 0, 2 * frames * sizeof(float));
    return 0;
  }
  if (status & RTAUDIO_OUTPUT_UNDERFLOW) device->m_host->CountXrun();
  device->m_host->Process(left, right, frames, CLiveHost::Now());
  return 0;
}
