#include "engine/FolderLayout.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <vector>

namespace FileSpec {

const char PresetExtension[] = ".p";
const char ModuleExtension[] = ".mp";
const char WaveTableExtension[] = ".wav";
const char SampleExtension[] = ".wav";

// Description, NUL, pattern; the rest of the 32 bytes is zero-filled.
const char PresetDlgFilter[DLG_FILTER_SIZE] = "Preset file (*.p)\0*.p";
const char ModulePresetDlgFilter[DLG_FILTER_SIZE] = "Module preset file (*.mp)\0*.mp";
const char OscWaveTableDlgFilter[DLG_FILTER_SIZE] = "Wavetable (*.wav)\0*.wav";
const char SampleDlgFilter[DLG_FILTER_SIZE] = "WAV Sample (*.wav)\0*.wav";

std::string PluginDataPath;
std::string PathConfigFile;
std::string FolderPresets;
std::string FolderCCMap;
std::string FolderMseg;
std::string FolderArp;
std::string FolderGate;
std::string FolderFxMatrix;
std::string FolderReverb;
std::string FolderDelay;
std::string FolderEchoes;
std::string FolderChorus;
std::string FolderFlanger;
std::string FolderPhaser;
std::string FolderDistortion;
std::string FolderTremolo;
std::string FolderEq;
std::string FolderGrainShifter;
std::string FolderOscWaveTables;
std::string FolderOscWaveTables2;
std::string FolderSample;

namespace {

const char APP_FOLDER[] = "Morlavine";

// Used only when no home folder can be found at all: a path that does not
// exist here, so every read and write inside it fails like a missing folder.
const char FALLBACK_ROOT[] = "/Library/Application Support/Morlavine";

std::string NonEmptyEnv(const char* name) {
  const char* v = std::getenv(name);
  return (v && *v) ? std::string(v) : std::string();
}

std::string HomeFolder() {
  std::string home = NonEmptyEnv("HOME");
  if (!home.empty()) return home;
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  if (size <= 0) size = 16384;
  std::vector<char> buf(static_cast<size_t>(size));
  struct passwd pw;
  struct passwd* result = nullptr;
  if (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &result) == 0 && result && result->pw_dir &&
      *result->pw_dir)
    return std::string(result->pw_dir);
  return std::string();
}

std::string DataRoot() {
  std::string root = NonEmptyEnv("MORLAVINE_DATA_DIR");
  if (!root.empty()) return root;
  std::string xdg = NonEmptyEnv("XDG_DATA_HOME");
  if (!xdg.empty() && xdg[0] == '/') return xdg + "/" + APP_FOLDER;
  std::string home = HomeFolder();
  if (!home.empty()) return home + "/.local/share/" + APP_FOLDER;
  return FALLBACK_ROOT;
}

// Assigns only when the value changes, so that repeated initialisation by
// further instances never writes a string another thread may be reading.
void Assign(std::string& target, const std::string& value) {
  if (target != value) target = value;
}

std::mutex g_initLock;

}  // namespace

void InitFileSpecs() {
  std::lock_guard<std::mutex> guard(g_initLock);
  const std::string root = DataRoot();
  Assign(PluginDataPath, root);
  Assign(PathConfigFile, root + "/config.bin");
  Assign(FolderPresets, root + "/Library/Synth Presets");
  Assign(FolderCCMap, root + "/Library/Modules/CC Map");
  Assign(FolderMseg, root + "/Library/Modules/MSEG");
  Assign(FolderArp, root + "/Library/Modules/Arp");
  Assign(FolderGate, root + "/Library/Modules/Trancegate");
  Assign(FolderFxMatrix, root + "/Library/Modules/FX Matrix");
  Assign(FolderReverb, root + "/Library/Modules/FX/Reverb");
  Assign(FolderDelay, root + "/Library/Modules/FX/Delay");
  Assign(FolderEchoes, root + "/Library/Modules/FX/Echoes");
  Assign(FolderChorus, root + "/Library/Modules/FX/Chorus");
  Assign(FolderFlanger, root + "/Library/Modules/FX/Flanger");
  Assign(FolderPhaser, root + "/Library/Modules/FX/Phaser");
  Assign(FolderDistortion, root + "/Library/Modules/FX/Distortion");
  Assign(FolderTremolo, root + "/Library/Modules/FX/Tremolo");
  Assign(FolderEq, root + "/Library/Modules/FX/EQ");
  Assign(FolderGrainShifter, root + "/Library/Modules/FX/GrainShifter");
  Assign(FolderOscWaveTables, root + "/Library/Modules/Oscillator");
  Assign(FolderOscWaveTables2, root + "/Library/Modules/Oscillator/Wavetables");
  Assign(FolderSample, root + "/Library/Modules/Oscillator/Samples");
}

const std::string* GetModuleFolder(unsigned int kind) {
  switch (kind) {
    case PRESET_KIND_MSEG: return &FolderMseg;
    case PRESET_KIND_ARP: return &FolderArp;
    case PRESET_KIND_GATE: return &FolderGate;
    case PRESET_KIND_FX_MATRIX: return &FolderFxMatrix;
    case PRESET_KIND_REVERB: return &FolderReverb;
    case PRESET_KIND_DELAY: return &FolderDelay;
    case PRESET_KIND_ECHOES: return &FolderEchoes;
    case PRESET_KIND_CHORUS: return &FolderChorus;
    case PRESET_KIND_FLANGER: return &FolderFlanger;
    case PRESET_KIND_PHASER: return &FolderPhaser;
    case PRESET_KIND_DISTORTION: return &FolderDistortion;
    case PRESET_KIND_TREMOLO: return &FolderTremolo;
    case PRESET_KIND_EQ: return &FolderEq;
    case PRESET_KIND_CC_MAP: return &FolderCCMap;
    case PRESET_KIND_GRAINSHIFTER: return &FolderGrainShifter;
    default: return nullptr;
  }
}

}  // namespace FileSpec
