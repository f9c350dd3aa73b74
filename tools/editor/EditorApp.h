#pragma once
// morlavine-editor: opens the instrument's editor in a window and plays
// the instrument, as a music host would. The instrument is created through
// its Audio Unit entry; the editor view comes from the unit's Cocoa-view
// property and its view factory; the program drives the view's idle timer
// every 40 ms. A sound device (RtAudio) asks for the audio; a MIDI port
// "Morlavine" (and --midi-in) and a score (--play) feed it; --audio none
// keeps the same loop going on the clock without a device, and --audio-out
// writes everything played to a WAV file. Closing the window, SIGINT or
// SIGTERM stop the audio, close the editor and write the state
// (--save-state). --snapshot draws the editor off-screen into a PNG file
// and exits, without a display or audio.

#include <cstdio>

namespace EditorApp {

const int EXIT_OK = 0;
const int EXIT_FAILED = 1;  // no display, a file could not be read or written
const int EXIT_USAGE = 2;   // bad options

int Run(int argc, char** argv, FILE* out, FILE* messages);

}  // namespace EditorApp
