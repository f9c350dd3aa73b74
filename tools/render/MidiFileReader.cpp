#include "tools/render/MidiFileReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <glib.h>
#include <smf.h>
#include <sys/stat.h>

namespace {

// A MIDI file larger than this is refused before it is read into memory.
const long long MAX_MIDI_FILE_BYTES = 64LL * 1024 * 1024;

// Collects what the MIDI library reports through the GLib log while a file is
// loaded, so that a failure becomes one line of ours instead of library noise.
void CollectLibraryMessage(const gchar* domain, GLogLevelFlags level, const gchar* message,
                           gpointer user) {
  std::string* text = static_cast<std::string*>(user);
  if (message && text->empty()) *text = message;
}

bool IsTempoEvent(const smf_event_t* event) {
  return event->midi_buffer_length >= 6 && event->midi_buffer[0] == 0xFF &&
         event->midi_buffer[1] == 0x51;
}

// Length of a channel message from its status byte, 0 for anything else.
int ChannelMessageLength(uint8_t status) {
  switch (status & 0xF0) {
    case 0x80: case 0x90: case 0xA0: case 0xB0: case 0xE0: return 3;
    case 0xC0: case 0xD0: return 2;
    default: return 0;
  }
}

}  // namespace

bool CMidiFileReader::Read(const char* path, double defaultBpm, CMidiScore& score,
                           std::string& error) {
  const std::string name = path ? path : "";
  struct stat info;
  if (!path || stat(path, &info) != 0) {
    error = name + ": cannot open MIDI file: " + std::strerror(errno);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    error = name + ": cannot open MIDI file: not a regular file";
    return false;
  }
  if (info.st_size > MAX_MIDI_FILE_BYTES) {
    error = name + ": MIDI file too large";
    return false;
  }
  FILE* probe = std::fopen(path, "rb");
  if (!probe) {
    error = name + ": cannot open MIDI file: " + std::strerror(errno);
    return false;
  }
  std::fclose(probe);

  std::string libraryMessage;
  GLogFunc previous = g_log_set_default_handler(CollectLibraryMessage, &libraryMessage);
  smf_t* smf = smf_load(path);
  g_log_set_default_handler(previous, nullptr);
  if (!smf) {
    error = name + ": not a valid MIDI file";
    if (!libraryMessage.empty()) error += " (" + libraryMessage + ")";
    return false;
  }
  if (smf->ppqn <= 0) {
    smf_delete(smf);
    error = name + ": unsupported MIDI file timing (no ticks per quarter note)";
    return false;
  }

  const double ppqn = smf->ppqn;
  CMidiScore result;
  result.Clear(defaultBpm);

  // The tempo map: only when the file has tempo events of its own does it
  // replace the default tempo (the library assumes 120 otherwise).
  bool fileHasTempo = false;
  smf_rewind(smf);
  for (smf_event_t* e = smf_get_next_event(smf); e; e = smf_get_next_event(smf))
    if (IsTempoEvent(e)) fileHasTempo = true;
  if (fileHasTempo) {
    result.Clear(120.0);
    for (int i = 0;; ++i) {
      smf_tempo_t* tempo = smf_get_tempo_by_number(smf, i);
      if (!tempo) break;
      if (tempo->microseconds_per_quarter_note <= 0) continue;
      result.AddTempo(tempo->time_pulses / ppqn, 60e6 / tempo->microseconds_per_quarter_note);
    }
  }

  smf_rewind(smf);
  for (smf_event_t* e = smf_get_next_event(smf); e; e = smf_get_next_event(smf)) {
    if (!e->midi_buffer || e->midi_buffer_length < 2) continue;
    const uint8_t status = e->midi_buffer[0];
    const int length = ChannelMessageLength(status);
    if (length == 0 || e->midi_buffer_length < length) continue;
    const uint8_t data1 = e->midi_buffer[1] & 0x7F;
    const uint8_t data2 = length == 3 ? (e->midi_buffer[2] & 0x7F) : 0;
    result.Add(result.SecondsOfBeat(e->time_pulses / ppqn), status, data1, data2);
  }
  smf_delete(smf);
  result.Sort();

  if (!result.HasNotes()) {
    error = name + ": the MIDI file holds no notes to play";
    return false;
  }
  score = result;
  return true;
}
