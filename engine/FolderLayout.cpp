#include "engine/FolderLayout.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
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

const char* const BUILT_IN_WAVE_NAMES[BUILT_IN_WAVE_COUNT] = {
    "Basic Sine", "Basic Saw", "Basic Square", "Basic Triangle", "Fatty 1", "Fatty 2", "Fatty 3", "Fatty 4",
    "Fatty 5", "Fatty 6", "Fatty 7", "Rez Resonant 1", "Rez Resonant 2", "Rez Resonant 3", "Rez Resonant 4",
    "Rez Resonant 5", "Rez Sync 1", "Rez Sync 2", "Rez Sync 3", "Rez Sync 4", "Rez Sync 5", "Rez Sync 6",
    "Rez Formant 1", "Rez Formant 2", "Rez Formant 3", "Rez Formant 4", "Syn Cello", "Syn Brass 1", "Syn Brass 2",
    "Syn Guitar 1", "Syn Guitar 2", "Syn Oboe", "Syn Flute 1", "Syn Flute 2", "Tone Organ 1", "Tone Organ 2",
    "Tone Inharmonic 1", "Tone Inharmonic 2", "Tone Inharmonic 3", "Tone Inharmonic 4", "Tone Harmonic 1",
    "Tone Harmonic 2", "Tone Harmonic 3", "Tone Harmonic 4", "Noise Classic White", "Noise Classic Brown",
    "Noise Drone 1", "Noise Drone 2", "Noise Drone 3", "Noise Drone 4", "Noise Drone 5", "Noise Crackle 1",
    "Noise Crackle 2", "Noise Crackle 3", "Noise Click"};
const char BUILT_IN_FOLDER_NAME[] = "Built-In";

namespace {

const char APP_FOLDER[] = "Morlavine";
// A built-in wave reference: version word, kind word, wave number.
const uint32_t WAVE_REF_VERSION = 0x03005057u;
const uint32_t WAVE_REF_KIND = 17;

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

std::mutex g_layoutLock;
std::set<std::string> g_layoutDone;  // roots already laid out, with their outcome in g_layoutFailed
std::set<std::string> g_layoutFailed;
std::string g_layoutProblem;

// Creates path and its missing parents; true when it is a folder now.
bool MakeFolders(const std::string& path, int& code) {
  struct stat info;
  if (stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return true;
    code = ENOTDIR;
    return false;
  }
  const size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash), code)) return false;
  if (mkdir(path.c_str(), 0777) == 0 || errno == EEXIST) {
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return true;
    code = ENOTDIR;
    return false;
  }
  code = errno;
  return false;
}

// Writes a missing reference file; an existing entry of that name (a
// user's file, a link) is left alone.
bool WriteReference(const std::string& path, unsigned int wave, int& code) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    if (errno == EEXIST) return true;
    code = errno;
    return false;
  }
  unsigned char bytes[12];
  BuiltInWaveReference(wave, bytes);
  ssize_t written = write(fd, bytes, sizeof(bytes));
  const int writeCode = errno;
  const bool closed = close(fd) == 0;
  if (written == static_cast<ssize_t>(sizeof(bytes)) && closed) return true;
  code = written < 0 ? writeCode : ENOSPC;
  // No short reference file is left behind: it would read as something else.
  unlink(path.c_str());
  return false;
}

}  // namespace

std::string BuiltInWaveFolder() { return FolderOscWaveTables + "/" + BUILT_IN_FOLDER_NAME; }

void BuiltInWaveReference(unsigned int wave, unsigned char bytes[12]) {
  const uint32_t words[3] = {WAVE_REF_VERSION, WAVE_REF_KIND, wave};
  for (int w = 0; w < 3; ++w)
    for (int b = 0; b < 4; ++b) bytes[4 * w + b] = static_cast<unsigned char>(words[w] >> (8 * b));
}

bool CreateFolderLayout() {
  std::lock_guard<std::mutex> guard(g_layoutLock);
  std::string root, builtIn;
  std::vector<std::string> folders;
  {
    std::lock_guard<std::mutex> specs(g_initLock);
    root = PluginDataPath;
    if (root.empty()) return false;
    builtIn = FolderOscWaveTables + "/" + BUILT_IN_FOLDER_NAME;
    folders = {FolderPresets,   FolderCCMap,       FolderMseg,          FolderArp,         FolderGate,
               FolderFxMatrix,  FolderReverb,      FolderDelay,         FolderEchoes,      FolderChorus,
               FolderFlanger,   FolderPhaser,      FolderDistortion,    FolderTremolo,     FolderEq,
               FolderGrainShifter, FolderOscWaveTables, FolderOscWaveTables2, FolderSample, builtIn};
  }
  if (g_layoutDone.count(root)) return g_layoutFailed.count(root) == 0;
  g_layoutDone.insert(root);

  std::string problem;
  int code = 0;
  for (const std::string& folder : folders) {
    if (!MakeFolders(folder, code)) {
      problem = "cannot create the folder " + folder + ": " + std::strerror(code);
      break;
    }
  }
  for (unsigned int wave = 0; problem.empty() && wave < BUILT_IN_WAVE_COUNT; ++wave) {
    const std::string path = builtIn + "/" + BUILT_IN_WAVE_NAMES[wave] + WaveTableExtension;
    if (!WriteReference(path, wave, code))
      problem = "cannot write the built-in wave file " + path + ": " + std::strerror(code);
  }
  if (problem.empty()) return true;
  g_layoutFailed.insert(root);
  g_layoutProblem = "The data folders are incomplete (" + problem +
                    "). Saving into them will fail; everything else works.";
  std::fprintf(stderr, "Morlavine: %s\n", g_layoutProblem.c_str());
  return false;
}

std::string TakeLayoutProblem() {
  std::lock_guard<std::mutex> guard(g_layoutLock);
  std::string problem;
  problem.swap(g_layoutProblem);
  return problem;
}

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
