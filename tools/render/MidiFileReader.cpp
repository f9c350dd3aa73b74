#include "tools/render/MidiFileReader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <sys/stat.h>
#include <vector>
#include "platform/RegularFile.h"

namespace {

// A MIDI file larger than this is refused before it is read into memory.
const long long MAX_MIDI_FILE_BYTES = 64LL * 1024 * 1024;

const uint8_t META = 0xFF;
const uint8_t META_TEMPO = 0x51;
const uint8_t META_END_OF_TRACK = 0x2F;
const uint8_t SYSEX = 0xF0;
const uint8_t SYSEX_ESCAPE = 0xF7;

// One channel message or tempo change at its tick, in the order of the file.
struct TICK_EVENT {
  uint64_t tick;
  uint32_t order;   // position in the merged file: track, then event
  uint8_t status;   // 0 for a tempo change
  uint8_t data1;
  uint8_t data2;
  uint32_t microsPerQuarter;  // tempo changes
};

// Length of a channel message from its status byte, 0 for anything else.
int ChannelMessageLength(uint8_t status) {
  switch (status & 0xF0) {
    case 0x80: case 0x90: case 0xA0: case 0xB0: case 0xE0: return 3;
    case 0xC0: case 0xD0: return 2;
    default: return 0;
  }
}

// Reads the file's bytes in one pass; every read is bounds-checked, so a
// damaged file is refused with the place where it went wrong.
class CSmfParser {
 public:
  CSmfParser(const std::vector<uint8_t>& bytes) : m_bytes(bytes) {}

  bool Parse(std::vector<TICK_EVENT>& events, int& ticksPerQuarter, std::string& problem) {
    size_t at = 0;
    uint32_t headerLength = 0;
    if (!Tag(at, "MThd") || !U32(at + 4, headerLength) || headerLength < 6) {
      problem = "no MIDI file header";
      return false;
    }
    const size_t header = at + 8;
    if (header + headerLength > m_bytes.size()) {
      problem = "the header is cut off";
      return false;
    }
    const uint16_t format = U16At(header), tracks = U16At(header + 2),
                   division = U16At(header + 4);
    if (format > 2) {
      problem = "unknown file format " + std::to_string(format);
      return false;
    }
    if (division & 0x8000) {
      problem = "SMPTE timing";  // reported by the caller as unsupported
      ticksPerQuarter = -1;
      return true;
    }
    ticksPerQuarter = division;
    at = header + headerLength;
    uint32_t order = 0;
    for (uint16_t track = 0; track < tracks;) {
      uint32_t length = 0;
      if (at + 8 > m_bytes.size() || !U32(at + 4, length)) {
        problem = "track " + std::to_string(track + 1) + " of " + std::to_string(tracks) +
                  " is missing";
        return false;
      }
      const bool isTrack = Tag(at, "MTrk");
      const size_t begin = at + 8;
      if (length > m_bytes.size() - begin) {
        problem = isTrack ? "track " + std::to_string(track + 1) + " is cut off"
                          : "a chunk is cut off";
        return false;
      }
      at = begin + length;
      if (!isTrack) continue;  // chunks of other kinds are skipped
      if (!ParseTrack(begin, begin + length, track, order, events, problem)) return false;
      ++track;
    }
    return true;
  }

 private:
  bool Tag(size_t at, const char* tag) const {
    return at + 4 <= m_bytes.size() && std::memcmp(&m_bytes[at], tag, 4) == 0;
  }
  bool U32(size_t at, uint32_t& v) const {
    if (at + 4 > m_bytes.size()) return false;
    v = (uint32_t(m_bytes[at]) << 24) | (uint32_t(m_bytes[at + 1]) << 16) |
        (uint32_t(m_bytes[at + 2]) << 8) | m_bytes[at + 3];
    return true;
  }
  uint16_t U16At(size_t at) const { return static_cast<uint16_t>((m_bytes[at] << 8) | m_bytes[at + 1]); }

  // A variable-length quantity of at most four bytes.
  bool Vlq(size_t& at, size_t end, uint32_t& v) const {
    v = 0;
    for (int i = 0; i < 4; ++i) {
      if (at >= end) return false;
      const uint8_t b = m_bytes[at++];
      v = (v << 7) | (b & 0x7F);
      if (!(b & 0x80)) return true;
    }
    return false;
  }

  bool ParseTrack(size_t at, size_t end, uint16_t track, uint32_t& order,
                  std::vector<TICK_EVENT>& events, std::string& problem) {
    const std::string where = "track " + std::to_string(track + 1);
    uint64_t tick = 0;
    uint8_t running = 0;
    while (at < end) {
      uint32_t delta = 0;
      if (!Vlq(at, end, delta)) {
        problem = where + " ends inside an event";
        return false;
      }
      tick += delta;
      if (at >= end) {
        problem = where + " ends inside an event";
        return false;
      }
      uint8_t status = m_bytes[at];
      if (status == META) {
        uint32_t length = 0;
        size_t p = at + 2;
        if (at + 1 >= end || !Vlq(p, end, length) || length > end - p) {
          problem = where + " ends inside an event";
          return false;
        }
        const uint8_t type = m_bytes[at + 1];
        if (type == META_TEMPO && length >= 3) {
          const uint32_t micros = (uint32_t(m_bytes[p]) << 16) | (uint32_t(m_bytes[p + 1]) << 8) |
                                  m_bytes[p + 2];
          events.push_back({tick, order++, 0, 0, 0, micros});
        }
        at = p + length;
        running = 0;
        if (type == META_END_OF_TRACK) return true;  // anything after it is ignored
        continue;
      }
      if (status == SYSEX || status == SYSEX_ESCAPE) {
        uint32_t length = 0;
        size_t p = at + 1;
        if (!Vlq(p, end, length) || length > end - p) {
          problem = where + " ends inside an event";
          return false;
        }
        at = p + length;
        running = 0;
        continue;
      }
      if (status & 0x80) {
        ++at;
        if (status >= 0xF0) {
          // System common and real-time messages have no place in a file;
          // their length cannot be known.
          problem = where + ": unexpected status byte " + std::to_string(status);
          return false;
        }
        running = status;
      } else if (running) {
        status = running;
      } else {
        problem = where + ": data byte without a status";
        return false;
      }
      const int length = ChannelMessageLength(status);
      if (at + (length - 1) > end) {
        problem = where + " ends inside an event";
        return false;
      }
      const uint8_t data1 = m_bytes[at] & 0x7F;
      const uint8_t data2 = length == 3 ? (m_bytes[at + 1] & 0x7F) : 0;
      at += length - 1;
      events.push_back({tick, order++, status, data1, data2, 0});
    }
    return true;
  }

  const std::vector<uint8_t>& m_bytes;
};

bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes, std::string& problem) {
  FILE* file = Platform::OpenRegularFile(path);
  if (!file) {
    problem = std::string("cannot open MIDI file: ") + Platform::OpenErrorText(errno);
    return false;
  }
  // Reads in steps, appending what each step gave, until past the limit.
  // The vector grows with the file: a small score touches no more memory
  // than it fills.
  const size_t STEP = 1 << 16;
  uint8_t chunk[STEP];
  size_t used = 0;
  for (;;) {
    const size_t n = std::fread(chunk, 1, STEP, file);
    bytes.insert(bytes.end(), chunk, chunk + n);
    used += n;
    if (n < STEP || static_cast<long long>(used) > MAX_MIDI_FILE_BYTES) break;
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    problem = "cannot read MIDI file";
    return false;
  }
  if (static_cast<long long>(bytes.size()) > MAX_MIDI_FILE_BYTES) {
    problem = "MIDI file too large";
    return false;
  }
  return true;
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
  std::vector<uint8_t> bytes;
  bytes.reserve(static_cast<size_t>(info.st_size));
  std::string problem;
  if (!ReadWholeFile(path, bytes, problem)) {
    error = name + ": " + problem;
    return false;
  }

  // The shortest event takes two bytes (a delta and a running-status data
  // byte), so this is room for all of them.
  std::vector<TICK_EVENT> events;
  events.reserve(bytes.size() / 2);
  int ppqn = 0;
  CSmfParser parser(bytes);
  if (!parser.Parse(events, ppqn, problem)) {
    error = name + ": not a valid MIDI file (" + problem + ")";
    return false;
  }
  if (ppqn <= 0) {
    error = name + ": unsupported MIDI file timing (no ticks per quarter note)";
    return false;
  }
  std::vector<uint8_t>().swap(bytes);

  // The tracks merged in time order; at the same tick the file's order
  // (earlier track first) holds.
  std::stable_sort(events.begin(), events.end(),
                   [](const TICK_EVENT& a, const TICK_EVENT& b) { return a.tick < b.tick; });

  CMidiScore result;
  result.Clear(defaultBpm);
  // The tempo map: only when the file has tempo events of its own does it
  // replace the default tempo (120 BPM until the first change).
  bool fileHasTempo = false;
  for (const TICK_EVENT& e : events)
    if (e.status == 0 && e.microsPerQuarter > 0) {
      if (!fileHasTempo) result.Clear(120.0);
      fileHasTempo = true;
      result.AddTempo(e.tick / static_cast<double>(ppqn), 60e6 / e.microsPerQuarter);
    }

  // Times through the tempo map, walking it along with the events.
  const std::vector<TEMPO_POINT>& tempos = result.Tempos();
  size_t segment = 0;
  result.Reserve(events.size());
  for (const TICK_EVENT& e : events) {
    if (e.status == 0) continue;
    const double beat = e.tick / static_cast<double>(ppqn);
    while (segment + 1 < tempos.size() && tempos[segment + 1].beat <= beat) ++segment;
    const TEMPO_POINT& p = tempos[segment];
    result.Add(p.seconds + (beat - p.beat) * 60.0 / p.bpm, e.status, e.data1, e.data2);
  }
  std::vector<TICK_EVENT>().swap(events);
  result.Sort();

  if (!result.HasNotes()) {
    error = name + ": the MIDI file holds no notes to play";
    return false;
  }
  score = std::move(result);
  return true;
}
