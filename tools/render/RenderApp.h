#pragma once
// The morlavine-render program: options, inputs, rendering and output.

#include <cstdio>

namespace RenderApp {

// Exit codes.
const int EXIT_OK = 0;
const int EXIT_FAILED = 1;  // a file could not be read or written, or rendering failed
const int EXIT_USAGE = 2;   // bad options

// Runs the program with its arguments; messages, progress and the summary go
// to `messages`, the usage text of --help to `out`.
int Run(int argc, const char* const* argv, FILE* out, FILE* messages);

}  // namespace RenderApp
