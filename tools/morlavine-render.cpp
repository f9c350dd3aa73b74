// Command-line host: renders MIDI through the instrument to a WAV file.
#include <cstdio>

#include "tools/render/MorlavineInstrument.h"
#include "tools/render/RenderApp.h"

int main(int argc, char** argv) {
  return RenderApp::Run(argc, argv, stdout, stderr, MorlavineInstrument::Get());
}
