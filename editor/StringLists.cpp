#include "editor/StringLists.h"

#include <cstdio>
#include <mutex>

#include "engine/FolderLayout.h"

const std::string POPUP_MENU_SEPARATOR = "-";
const std::string POPUP_MENU_PAGE_BREAK = "|";

STRING_LIST slFilterMode;
STRING_LIST slDriveMode;
STRING_LIST slBusMode;
STRING_LIST slGlideMode;
STRING_LIST slOnOff;
STRING_LIST slInverseOnOff;
STRING_LIST slPolyMode;
STRING_LIST slMaxVoices;
STRING_LIST slUnisonCount;
STRING_LIST slMasterTune;
STRING_LIST slOscOctave;
STRING_LIST slOscSemitone;
STRING_LIST slExciter;
STRING_LIST slGenWaveformFiles;
STRING_LIST slWaveform;
STRING_LIST slSpectrumZoom;
STRING_LIST slOscFX;
STRING_LIST slLfoShape;
STRING_LIST slLfoTriggerMode;
STRING_LIST slEnvMode;
STRING_LIST slTimeSync;
STRING_LIST slTimeSync2;
STRING_LIST slTimeSync3;
STRING_LIST slModSource;
STRING_LIST slModTarget;
STRING_LIST slFxIDs;
STRING_LIST slDistCurve;
STRING_LIST slGateSteps;
STRING_LIST slArpSteps;
STRING_LIST slArpMode;
STRING_LIST slArpOctaves;
STRING_LIST slMsegMode;
STRING_LIST slMsegReset;
STRING_LIST slMidiCCName;
STRING_LIST slRootKetNote;
STRING_LIST slRootKetOctave;

namespace {

void Fill(STRING_LIST& list, std::initializer_list<const char*> entries) {
  list.clear();
  for (const char* entry : entries) list.push_back(entry);
}

// Numbers first..last in decimal.
void FillNumbers(STRING_LIST& list, int first, int last) {
  list.clear();
  for (int i = first; i <= last; ++i) list.push_back(std::to_string(i));
}

// Controllers that carry a name after their number.
struct CC_NAME {
  int number;
  const char* name;
};
const CC_NAME MIDI_CC_NAMES[] = {
    {0, "Bank Select MSB"},
    {1, "ModWheel"},
    {2, "Breath"},
    {4, "Foot"},
    {5, "Portamento"},
    {6, "Data Entry MSB"},
    {7, "Main Volume"},
    {8, "Balance"},
    {10, "Pan"},
    {11, "Expression"},
    {32, "Bank Select LSB"},
    {33, "ModWheel LSB"},
    {34, "Breath LSB"},
    {36, "Foot LSB"},
    {37, "Portamento LSB"},
    {38, "Data Entry LSB"},
    {39, "Main Volume LSB"},
    {40, "Balance LSB"},
    {42, "Pan LSB"},
    {43, "Expression LSB"},
    {64, "Sustain Pedal"},
    {65, "Portamento"},
    {66, "Sostenuto"},
    {67, "Soft Pedal"},
    {68, "Legato"},
    {69, "Hold 2"},
    {84, "Portamento Control"},
};

}  // namespace

namespace {

void FillStringLists();

}  // namespace

// Instances may be constructed on several threads at once while others
// read the lists, so the lists are filled once per process, under a lock;
// a later call finds them complete and leaves them as they are (the same
// contents a refill would give).
void InitStringLists() {
  static std::mutex lock;
  static bool filled = false;
  std::lock_guard<std::mutex> guard(lock);
  if (filled) return;
  FillStringLists();
  filled = true;
}

namespace {

void FillStringLists() {
  Fill(slFilterMode,
       {"off", "-", "analog lp1", "analog lp2", "-", "lp 24db", "bp 24db", "hp 24db", "-", "lp 12db",
        "bp 12db", "hp 12db", "-", "acid lp", "acid bp", "bp 48db", "ring lp", "formant", "-",
        "allpass 2", "allpass 4", "allpass 8", "notch", "peak", "lowshelf", "highshelf", "lp 6db", "-",
        "comb-", "comb+", "bell comb"});
  Fill(slDriveMode, {"hyperbol", "soft clip", "hard clip", "asym 1", "asym 2", "asym 3", "sine"});
  Fill(slBusMode, {"mono", "poly"});
  Fill(slGlideMode, {"legato", "slide"});
  Fill(slOnOff, {"off", "on"});
  Fill(slInverseOnOff, {"on", "off"});
  Fill(slPolyMode, {"poly", "retrigger", "legato"});
  Fill(slMaxVoices, {"1", "2", "3", "4", "5", "6", "7", "8", "12", "16", "32", "64"});
  Fill(slUnisonCount, {"1", "2", "3", "4", "5", "6", "7", "8"});
  // "+24" down to "+1", "0" between two separators, then "-1" down to "-24".
  slMasterTune.clear();
  for (int i = 24; i >= 1; --i) slMasterTune.push_back("+" + std::to_string(i));
  slMasterTune.push_back(POPUP_MENU_SEPARATOR);
  slMasterTune.push_back("0");
  slMasterTune.push_back(POPUP_MENU_SEPARATOR);
  for (int i = 1; i <= 24; ++i) slMasterTune.push_back("-" + std::to_string(i));
  Fill(slOscOctave, {"+4", "+3", "+2", "+1", "-", "0", "-", "-1", "-2", "-3", "-4", "-5"});
  Fill(slOscSemitone,
       {"+7", "+6", "+5", "+4", "+3", "+2", "+1", "-", "0", "-", "-1", "-2", "-3", "-4", "-5", "-6",
        "-7"});
  Fill(slExciter, {"normal", "bright", "soft"});
  slGenWaveformFiles.assign(FileSpec::BUILT_IN_WAVE_NAMES,
                            FileSpec::BUILT_IN_WAVE_NAMES + FileSpec::BUILT_IN_WAVE_COUNT);
  Fill(slWaveform,
       {"Basic Sine", "Basic Saw", "Basic Square", "Basic Triangle", "Fatty 1", "Fatty 2", "Fatty 3",
        "Fatty 4", "Fatty 5", "Fatty 6", "Fatty 7", "Resonant 1", "Resonant 2", "Resonant 3",
        "Resonant 4", "Resonant 5", "Sync 1", "Sync 2", "Sync 3", "Sync 4", "Sync 5", "Sync 6",
        "Formant 1", "Formant 2", "Formant 3", "Formant 4", "Syn Cello", "Syn Brass 1", "Syn Brass 2",
        "Syn Guitar 1", "Syn Guitar 2", "Syn Oboe", "Syn Flute 1", "Syn Flute 2", "Organ 1", "Organ 2",
        "Inharmonic 1", "Inharmonic 2", "Inharmonic 3", "Inharmonic 4", "Harmonic 1", "Harmonic 2",
        "Harmonic 3", "Harmonic 4", "White Noise", "Brown Noise", "Drone 1", "Drone 2", "Drone 3",
        "Drone 4", "Drone 5", "Crackle 1", "Crackle 2", "Crackle 3", "Click", "Wavetable"});
  Fill(slSpectrumZoom, {"Zoom : 1X", "Zoom : 2X", "Zoom : 4X", "Zoom : 8X"});
  Fill(slOscFX, {"buzz", "sciss", "sub", "brill", "feed", "erose", "chip"});
  Fill(slLfoShape,
       {"sine", "triangle", "saw", "log", "exp", "square", "log square", "exp square", "-", "rand step",
        "rand slide", "crackles"});
  Fill(slLfoTriggerMode, {"poly", "free", "first key"});
  Fill(slEnvMode, {"exp", "var"});
  Fill(slTimeSync,
       {"1/1", "1/2", "1/4", "1/8", "1/16", "1/32", "1/64", "|", "1/1T", "1/2T", "1/4T", "1/8T", "1/16T",
        "1/32T", "1/64T", "|", "1/1D", "1/2D", "1/4D", "1/8D", "1/16D", "1/32D", "1/64D", "|", "2/1",
        "3/1", "4/1", "5/1", "6/1", "7/1", "8/1", "16/1", "64/1", "256/1", "|", "50ms", "1s", "10s"});
  // The straight, triplet and dotted divisions of slTimeSync.
  slTimeSync2.assign(slTimeSync.begin(), slTimeSync.begin() + 23);
  Fill(slTimeSync3,
       {"1/1", "1/2", "1/4", "1/8", "|", "1/1T", "1/2T", "1/4T", "1/8T", "|", "1/1D", "1/2D", "1/4D",
        "1/8D"});
  Fill(slModSource,
       {"---", "|", "LFO 1", "LFO 2", "LFO 3", "VIBRATO", "|", "ENV 1", "ENV 2", "ENV 3", "AMP ENV", "|",
        "MSEG 1", "MSEG 2", "MSEG 3", "MSEG 4", "|", "MW", "PW", "PRESSURE", "BREATH", "EXPRESS", "|",
        "NOTE", "VELOCITY", "RANDOM", "MORPH X", "MORPH Y", "|"});
  Fill(slModTarget,
       {"---", "|", "OSC 1 PITCH", "OSC 2 PITCH", "OSC 3 PITCH", "OSC 4 PITCH", "OSC 1 DETUNE",
        "OSC 2 DETUNE", "OSC 3 DETUNE", "OSC 4 DETUNE", "OSC 1 MORPH X", "OSC 2 MORPH X",
        "OSC 3 MORPH X", "OSC 4 MORPH X", "OSC 1 MORPH Y", "OSC 2 MORPH Y", "OSC 3 MORPH Y",
        "OSC 4 MORPH Y", "OSC 1 PHASE", "OSC 2 PHASE", "OSC 3 PHASE", "OSC 4 PHASE", "OSC 1 FM",
        "OSC 3 FM", "OSC 1 RM", "OSC 3 RM", "|", "OSC 1 FX1", "OSC 2 FX1", "OSC 3 FX1", "OSC 4 FX1",
        "OSC 1 FX2", "OSC 2 FX2", "OSC 3 FX2", "OSC 4 FX2", "OSC 1 FX3", "OSC 2 FX3", "OSC 3 FX3",
        "OSC 4 FX3", "OSC 1 FX4", "OSC 2 FX4", "OSC 3 FX4", "OSC 4 FX4", "-", "OSC 1 LEVEL",
        "OSC 2 LEVEL", "OSC 3 LEVEL", "OSC 4 LEVEL", "OSC 1 PAN", "OSC 2 PAN", "OSC 3 PAN", "OSC 4 PAN",
        "OSC 1 BUS", "OSC 2 BUS", "OSC 3 BUS", "OSC 4 BUS", "|", "OSC 1 CUTOFF", "OSC 2 CUTOFF",
        "OSC 3 CUTOFF", "OSC 4 CUTOFF", "OSC 1 RES", "OSC 2 RES", "OSC 3 RES", "OSC 4 RES",
        "OSC 1 DRIVE", "OSC 2 DRIVE", "OSC 3 DRIVE", "OSC 4 DRIVE", "OSC 1 CTRL", "OSC 2 CTRL",
        "OSC 3 CTRL", "OSC 4 CTRL", "|", "BUS SEND", "BUS 1 CUTOFF", "BUS 2 CUTOFF", "BUS 1 RES",
        "BUS 2 RES", "BUS 1 DRIVE", "BUS 2 DRIVE", "BUS 1 CTRL", "BUS 2 CTRL", "BUS 1 STEREO",
        "BUS 2 STEREO", "-", "BUS 1 D. DRIVE", "BUS 2 D. DRIVE", "BUS 1 D. COLOR", "BUS 2 D. COLOR",
        "BUS 1 D. TREBLE", "BUS 2 D. TREBLE", "-", "BUS 1 LF BIT", "BUS 2 LF BIT", "BUS 1 LF NOISE",
        "BUS 2 LF NOISE", "BUS 1 LF RATE", "BUS 2 LF RATE", "BUS 1 LF KEY", "BUS 2 LF KEY",
        "BUS 1 LF STEREO", "BUS 2 LF STEREO", "BUS 1 OUT LEVEL", "BUS 2 OUT LEVEL", "BUS 1 OUT PAN",
        "BUS 2 OUT PAN", "|", "ENV 1 ATTACK", "ENV 2 ATTACK", "ENV 3 ATTACK", "ENV A ATTACK",
        "ENV 1 DECAY", "ENV 2 DECAY", "ENV 3 DECAY", "ENV A DECAY", "ENV 1 SUSTAIN", "ENV 2 SUSTAIN",
        "ENV 3 SUSTAIN", "ENV A SUSTAIN", "ENV 1 RELEASE", "ENV 2 RELEASE", "ENV 3 RELEASE",
        "ENV A RELEASE", "-", "LFO 1 AMOUNT", "LFO 2 AMOUNT", "LFO 3 AMOUNT", "VIBR AMOUNT",
        "LFO 1 RATE", "LFO 2 RATE", "LFO 3 RATE", "VIBR RATE", "LFO 1 PHASE", "LFO 2 PHASE",
        "LFO 3 PHASE", "VIBR PHASE", "-", "MSEG 1 RATE", "MSEG 2 RATE", "MSEG 3 RATE", "MSEG 4 RATE",
        "|", "TG RATE", "TG SMOOTH", "TG MIX", "-", "MASTER LEVEL", "MASTER PAN", "MASTER MONO", "|",
        "REV 1 PREDELAY", "REV 2 PREDELAY", "REV 1 SIZE", "REV 2 SIZE", "REV 1 DECAY", "REV 2 DECAY",
        "REV 1 LODAMP", "REV 2 LODAMP", "REV 1 HIDAMP", "REV 2 HIDAMP", "REV 1 MRATE", "REV 2 MRATE",
        "REV 1 MDEPTH", "REV 2 MDEPTH", "REV 1 MIX", "REV 2 MIX", "-", "CHR 1 DELAY", "CHR 2 DELAY",
        "CHR 1 MRATE", "CHR 2 MRATE", "CHR 1 MDEPTH", "CHR 2 MDEPTH", "CHR 1 HIPASS", "CHR 2 HIPASS",
        "CHR 1 STEREO", "CHR 2 STEREO", "CHR 1 MIX", "CHR 2 MIX", "|", "FLNG 1 DELAY", "FLNG 2 DELAY",
        "FLNG 1 FBACK", "FLNG 2 FBACK", "FLNG 1 HIPASS", "FLNG 2 HIPASS", "FLNG 1 MRATE", "FLNG 2 MRATE",
        "FLNG 1 MDEPTH", "FLNG 2 MDEPTH", "FLNG 1 STEREO", "FLNG 2 STEREO", "FLNG 1 MIX", "FLNG 2 MIX",
        "-", "PHS 1 FREQ", "PHS 2 FREQ", "PHS 1 MOUTH", "PHS 2 MOUTH", "PHS 1 FEEDBACK",
        "PHS 2 FEEDBACK", "PHS 1 MRATE", "PHS 2 MRATE", "PHS 1 MDEPTH", "PHS 2 MDEPTH", "PHS 1 STEREO",
        "PHS 2 STEREO", "PHS 1 MIX", "PHS 2 MIX", "|", "TRM 1 RATE", "TRM 2 RATE", "TRM 1 EDGE",
        "TRM 2 EDGE", "TRM 1 GATE", "TRM 2 GATE", "TRM 1 STEREO", "TRM 2 STEREO", "TRM 1 MIX",
        "TRM 2 MIX", "-", "EQ 1 B1 FREQ", "EQ 2 B1 FREQ", "EQ 1 B1 BOOST", "EQ 2 B1 BOOST", "EQ 1 B1 BW",
        "EQ 2 B1 BW", "EQ 1 B2 FREQ", "EQ 2 B2 FREQ", "EQ 1 B2 BOOST", "EQ 2 B2 BOOST", "EQ 1 B2 BW",
        "EQ 2 B2 BW", "EQ 1 B3 FREQ", "EQ 2 B3 FREQ", "EQ 1 B3 BOOST", "EQ 2 B3 BOOST", "EQ 1 B3 BW",
        "EQ 2 B3 BW", "EQ 1 B4 FREQ", "EQ 2 B4 FREQ", "EQ 1 B4 BOOST", "EQ 2 B4 BOOST", "EQ 1 B4 BW",
        "EQ 2 B4 BW", "|", "DLY 1 TIME L", "DLY 2 TIME L", "DLY 1 TIME R", "DLY 2 TIME R",
        "DLY 1 REVERSE", "DLY 2 REVERSE", "DLY 1 FEEDBACK", "DLY 2 FEEDBACK", "DLY 1 SHAPE",
        "DLY 2 SHAPE", "DLY 1 LOWPASS", "DLY 2 LOWPASS", "DLY 1 HIGHPASS", "DLY 2 HIGHPASS",
        "DLY 1 MONO", "DLY 2 MONO", "DLY 1 MIX", "DLY 2 MIX", "-", "ECO 1 TIME", "ECO 2 TIME",
        "ECO 1 FEEDBACK", "ECO 2 FEEDBACK", "ECO 1 RATIO", "ECO 2 RATIO", "ECO 1 ALLPASS",
        "ECO 2 ALLPASS", "ECO 1 HIGHPASS", "ECO 2 HIGHPASS", "ECO 1 STEREO", "ECO 2 STEREO", "ECO 1 MIX",
        "ECO 2 MIX", "|", "DIST 1 DRIVE", "DIST 2 DRIVE", "DIST 1 OUTPUT", "DIST 2 OUTPUT",
        "DIST 1 ASYM", "DIST 2 ASYM", "DIST 1 BASS", "DIST 2 BASS", "DIST 1 TREBLE", "DIST 2 TREBLE",
        "DIST 1 MIX", "DIST 2 MIX", "-", "GRS1 RATE", "GRS2 RATE", "GRS1 WIDTH", "GRS2 WIDTH",
        "GRS1 TUNE", "GRS2 TUNE", "GRS1 TUNE RND", "GRS2 TUNE RND", "GRS1 FEEDBACK", "GRS2 FEEDBACK",
        "GRS1 MIX", "GRS2 MIX"});
  Fill(slFxIDs,
       {"---", "REV1", "REV2", "DLY1", "DLY2", "ECO1", "ECO2", "GRS1", "GRS2", "CHR1", "CHR2", "FLG1",
        "FLG2", "PHS1", "PHS2", "DST1", "DST2", "TRM1", "TRM2", "EQ1", "EQ2"});
  Fill(slDistCurve, {"classic", "tube 1", "tube 2"});
  FillNumbers(slGateSteps, 1, 16);
  FillNumbers(slArpSteps, 1, 32);
  Fill(slArpMode, {"UP", "DOWN", "UP-DN", "DN-UP", "-", "RAND", "POLY", "MONO"});
  Fill(slArpOctaves, {"1", "2", "3", "4"});
  Fill(slMsegMode, {"CURVE", "STEPS", "SM.STEPS"});
  Fill(slMsegReset, {"POLY", "MONO", "FIRST K"});
  slMidiCCName.clear();
  for (int i = 0; i < 120; ++i) slMidiCCName.push_back("CC #" + std::to_string(i));
  for (const CC_NAME& cc : MIDI_CC_NAMES) slMidiCCName[cc.number] += std::string(" - ") + cc.name;
  Fill(slRootKetNote, {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"});
  Fill(slRootKetOctave, {"0", "1", "2", "3", "4", "5", "6", "7", "8"});
}

}  // namespace

bool IsMenuMark(const std::string& entry) { return entry == POPUP_MENU_SEPARATOR || entry == POPUP_MENU_PAGE_BREAK; }

unsigned int CountSelectable(const STRING_LIST& list) {
  unsigned int count = 0;
  for (const std::string& entry : list) if (!IsMenuMark(entry)) ++count;
  return count;
}

const std::string* GetSelectableEntry(const STRING_LIST& list, unsigned int index) {
  for (const std::string& entry : list) {
    if (IsMenuMark(entry)) continue;
    if (index == 0) return &entry;
    --index;
  }
  return nullptr;
}
