// Command-line host: renders MIDI through the instrument to a WAV file.
#include <cstdio>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "tools/render/MorlavineInstrument.h"
#include "tools/render/RenderApp.h"

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  // One short run that builds its tables and buffers once: memory that the
  // start-up frees stays with the process for what is allocated next,
  // rather than going back to the system and being paged in afresh (a page
  // fault for every page first touched). Large blocks still map on their
  // own, and untouched pages cost nothing.
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
#endif
  return RenderApp::Run(argc, argv, stdout, stderr, MorlavineInstrument::Get());
}
