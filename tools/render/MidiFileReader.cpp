#include "tools/render/MidiFileReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <glib.h>
#include <smf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A MIDI file larger than this is refused before it is read into memory.
const long long MAX_MIDI_FILE_BYTES = 64LL * 1024 * 1024;

// What the MIDI library reported through the GLib log while a file loaded.
// The library reads past damage (a truncated track is cut short and loading
// goes on) and only says so in the log, so a critical message marks the file
// as corrupt; it becomes part of one line of ours instead of library noise.
struct LIBRARY_LOG {
  std::string firstCritical;
  std::string firstOther;
};

void CollectLibraryMessage(const gchar* domain, GLogLevelFlags level, const gchar* message,
                           gpointer user) {
  LIBRARY_LOG* log = static_cast<LIBRARY_LOG*>(user);
  if (!message) return;
  if (level & (G_LOG_LEVEL_ERROR | G_LOG_LEVEL_CRITICAL)) {
    if (log->firstCritical.empty()) log->firstCritical = message;
  } else if (level & G_LOG_LEVEL_WARNING) {
    if (log->firstOther.empty()) log->firstOther = message;
  }
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

// Loads the file with the MIDI library, collecting its log.
smf_t* LoadWithLog(const char* path, LIBRARY_LOG& log) {
  GLogFunc previous = g_log_set_default_handler(CollectLibraryMessage, &log);
  smf_t* smf = smf_load(path);
  g_log_set_default_handler(previous, nullptr);
  return smf;
}

// The MIDI library stops the whole process (a failed assertion) on some
// damaged files, for instance a track that ends inside an event. So a file is
// first loaded in a child process; only when that child loads it cleanly does
// this process load it. On refusal `detail` says why.
bool ProbeInChildProcess(const char* path, std::string& detail) {
  int channel[2];
  if (pipe(channel) != 0) {
    detail = std::string("cannot check the file: ") + std::strerror(errno);
    return false;
  }
  std::fflush(stdout);
  std::fflush(stderr);
  const pid_t child = fork();
  if (child < 0) {
    detail = std::string("cannot check the file: ") + std::strerror(errno);
    close(channel[0]);
    close(channel[1]);
    return false;
  }
  if (child == 0) {
    close(channel[0]);
    // The library's own failure text must not reach the user's terminal.
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) dup2(devNull, STDERR_FILENO);
    LIBRARY_LOG log;
    smf_t* smf = LoadWithLog(path, log);
    const bool clean = smf && log.firstCritical.empty();
    if (!clean) {
      const std::string& text = log.firstCritical.empty() ? log.firstOther : log.firstCritical;
      if (!text.empty() && write(channel[1], text.data(), text.size()) < 0) _exit(1);
    }
    _exit(clean ? 0 : 1);
  }
  close(channel[1]);
  std::string text;
  char buffer[256];
  for (;;) {
    const ssize_t n = read(channel[0], buffer, sizeof(buffer));
    if (n > 0) {
      if (text.size() < 4096) text.append(buffer, static_cast<size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      break;
    }
  }
  close(channel[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  detail = !text.empty() ? text : "damaged beyond what the MIDI library can read";
  return false;
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

  std::string detail;
  if (!ProbeInChildProcess(path, detail)) {
    error = name + ": not a valid MIDI file (" + detail + ")";
    return false;
  }
  LIBRARY_LOG log;
  smf_t* smf = LoadWithLog(path, log);
  if (!smf || !log.firstCritical.empty()) {
    if (smf) smf_delete(smf);
    error = name + ": not a valid MIDI file";
    const std::string& detail = log.firstCritical.empty() ? log.firstOther : log.firstCritical;
    if (!detail.empty()) error += " (" + detail + ")";
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
