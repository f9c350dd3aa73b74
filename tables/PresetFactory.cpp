// Placeholder factory image until the generated table lands.
#include "tables/PresetFactory.h"

#include <cmath>

namespace {
struct FactoryInit {
  FactoryInit(SYNTH_PRESET& p) {
    p[131] = 0.5f; p[132] = 0.5f; p[422] = 1.0f;
    for (int i = 430; i < 434; ++i) p[i] = 1.0f;
    p[470] = p[471] = p[472] = 1.0f; p[488] = 1.0f; p[490] = 8.0f; p[729] = 4.0f;
    p[1581] = 2.0f; p[1582] = 1.0f; p[1583] = 2.0f;
  }
};
float g_defaultWave[16384];
struct WaveInit {
  WaveInit() { for (int k = 0; k < 16384; ++k) g_defaultWave[k] = (float)std::sin(2.0 * M_PI * k / 16384.0); }
} g_waveInit;
}  // namespace

SYNTH_PRESET PRESET_FACTORY_RESET;
static FactoryInit g_factoryInit(PRESET_FACTORY_RESET);

namespace Tables {
const float* DEFAULT_WAVEFORM_TABLE = g_defaultWave;
}
