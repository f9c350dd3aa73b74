#pragma once
// Process-wide names of the data folder layout: the root data folder, the
// settings file, the preset folder, one folder per module-preset kind, the
// wavetable and sample folders, the file extensions and the file-dialog
// filters. The folder strings are empty until the first InitFileSpecs; other
// code reads them and never modifies them.
//
// The data root is $MORLAVINE_DATA_DIR when that is set and not empty, else
// $XDG_DATA_HOME/Morlavine (when XDG_DATA_HOME is an absolute path), else
// $HOME/.local/share/Morlavine. Every folder below the root keeps its fixed
// name.
#include <string>

#include "engine/PresetKinds.h"

namespace FileSpec {

// File extensions (static data).
extern const char PresetExtension[];     // ".p"
extern const char ModuleExtension[];     // ".mp"
extern const char WaveTableExtension[];  // ".wav"
extern const char SampleExtension[];     // ".wav"

// File-dialog filters: 32 bytes each, a description, one NUL, a file
// pattern, NULs up to the 32nd byte.
const unsigned int DLG_FILTER_SIZE = 32;
extern const char PresetDlgFilter[DLG_FILTER_SIZE];
extern const char ModulePresetDlgFilter[DLG_FILTER_SIZE];
extern const char OscWaveTableDlgFilter[DLG_FILTER_SIZE];
extern const char SampleDlgFilter[DLG_FILTER_SIZE];

// Root of all data and the paths derived from it.
extern std::string PluginDataPath;
extern std::string PathConfigFile;
extern std::string FolderPresets;
extern std::string FolderCCMap;
extern std::string FolderMseg;
extern std::string FolderArp;
extern std::string FolderGate;
extern std::string FolderFxMatrix;
extern std::string FolderReverb;
extern std::string FolderDelay;
extern std::string FolderEchoes;
extern std::string FolderChorus;
extern std::string FolderFlanger;
extern std::string FolderPhaser;
extern std::string FolderDistortion;
extern std::string FolderTremolo;
extern std::string FolderEq;
extern std::string FolderGrainShifter;
extern std::string FolderOscWaveTables;
extern std::string FolderOscWaveTables2;
extern std::string FolderSample;

// Assigns the root and every path derived from it. Creates no folder and
// touches no file; calling it again assigns the same values (unless the
// environment changed in between).
void InitFileSpecs();

// The built-in waves: modes 0-54 of an oscillator, each with a 12-byte
// reference file named after it (with the wavetable extension) in the
// oscillator folder's "Built-In" sub-folder.
const unsigned int BUILT_IN_WAVE_COUNT = 55;
extern const char* const BUILT_IN_WAVE_NAMES[BUILT_IN_WAVE_COUNT];
extern const char BUILT_IN_FOLDER_NAME[];  // "Built-In"
// FolderOscWaveTables + "/Built-In".
std::string BuiltInWaveFolder();
// The 12 bytes of a built-in wave reference file.
void BuiltInWaveReference(unsigned int wave, unsigned char bytes[12]);

// Creates every folder of the layout that is missing and every built-in
// wave reference file that is missing, below the current root. Nothing
// that exists is changed: a user's file of the same name stays as it is.
// Runs once per root in a process (later calls return the first outcome
// at once); never called on the audio thread. On failure (a read-only or
// full disk) the problem is written once to the standard error stream and
// kept for TakeLayoutProblem; the instrument works on without the folders.
bool CreateFolderLayout();

// The problem of the last failed CreateFolderLayout, handed out once
// (empty afterwards), so that the editor can show it to the user once.
std::string TakeLayoutProblem();

// The module-preset folder of a module-preset kind 1-15 (the MIDI CC map is
// kind 14); null for any other kind.
const std::string* GetModuleFolder(unsigned int kind);

}  // namespace FileSpec
