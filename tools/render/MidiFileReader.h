#pragma once
// Reads a Standard MIDI File (formats 0, 1 and 2, any number of tracks) into
// a CMidiScore: the channel messages of all tracks merged in time order and
// the file's tempo map. Meta events and system exclusive messages are not
// played. The file is read in one pass with every length checked, in time
// and memory proportional to its size; a damaged or truncated file is
// refused with the place where it went wrong.

#include <string>

#include "tools/render/MidiScore.h"

class CMidiFileReader {
 public:
  // Reads `path` into `score`. `defaultBpm` is the tempo of a file that holds
  // no tempo event of its own. On failure `score` is left as it was and
  // `error` holds one line naming the file and the problem.
  static bool Read(const char* path, double defaultBpm, CMidiScore& score, std::string& error);
};
