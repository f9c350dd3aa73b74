// Oscillator mode 55: the user wavetable inside the render frame. The wave
// step reads the mip level chosen for the voice's fundamental at the
// modulated phase; Morph X and Y do nothing here, while FM, ring modulation,
// phase offset, buzz, feedback and invert act as in every computed wave.

#include "osc/Oscillator.h"
#include "osc/RenderFrame.h"

namespace {

struct WAVETABLE_WAVE {
  const CWaveTable* table;
  void Control(const OSC_FRAME&) {}
  float Step(float p, const OSC_FRAME&, OSC_STATE*) { return table->GetSample(p); }
};

}  // namespace

void COscillator::GenerateWaveTable(CVoice* voice, float* out, unsigned int n) {
  // Levels are built when the wave or the mode is set (nothing to do here in
  // the engine); an oscillator driven on its own builds them now.
  m_wavetable.PrepareLevels();
  WAVETABLE_WAVE wave = {&m_wavetable};
  _RenderFrame(voice, out, n, wave);
}
