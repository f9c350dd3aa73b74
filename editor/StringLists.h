#pragma once
// The menu string lists: the texts of the editor's list controls and pop-up
// menus. A list's selectable entries, in order, are the values its control
// shows and stores, so the order is part of what stored settings mean. Two
// entries are layout marks and no values: POPUP_MENU_SEPARATOR ("-") draws a
// separator line and POPUP_MENU_PAGE_BREAK ("|") starts a new menu column.

#include <string>
#include <vector>

extern const std::string POPUP_MENU_SEPARATOR;
extern const std::string POPUP_MENU_PAGE_BREAK;

typedef std::vector<std::string> STRING_LIST;

extern STRING_LIST slFilterMode;
extern STRING_LIST slDriveMode;
extern STRING_LIST slBusMode;
extern STRING_LIST slGlideMode;
extern STRING_LIST slOnOff;
extern STRING_LIST slInverseOnOff;
extern STRING_LIST slPolyMode;
extern STRING_LIST slMaxVoices;
extern STRING_LIST slUnisonCount;
extern STRING_LIST slMasterTune;
extern STRING_LIST slOscOctave;
extern STRING_LIST slOscSemitone;
extern STRING_LIST slExciter;
extern STRING_LIST slGenWaveformFiles;
extern STRING_LIST slWaveform;
extern STRING_LIST slSpectrumZoom;
extern STRING_LIST slOscFX;
extern STRING_LIST slLfoShape;
extern STRING_LIST slLfoTriggerMode;
extern STRING_LIST slEnvMode;
extern STRING_LIST slTimeSync;
extern STRING_LIST slTimeSync2;
extern STRING_LIST slTimeSync3;
extern STRING_LIST slModSource;
extern STRING_LIST slModTarget;
extern STRING_LIST slFxIDs;
extern STRING_LIST slDistCurve;
extern STRING_LIST slGateSteps;
extern STRING_LIST slArpSteps;
extern STRING_LIST slArpMode;
extern STRING_LIST slArpOctaves;
extern STRING_LIST slMsegMode;
extern STRING_LIST slMsegReset;
extern STRING_LIST slMidiCCName;
extern STRING_LIST slRootKetNote;
extern STRING_LIST slRootKetOctave;

// Fills every list (once per process; calling it again leaves the same
// contents). Safe to call from several threads.
void InitStringLists();

// True for the two layout marks.
bool IsMenuMark(const std::string& entry);

// The number of selectable entries of a list.
unsigned int CountSelectable(const STRING_LIST& list);

// The selectable entry at value index, or null when there is none.
const std::string* GetSelectableEntry(const STRING_LIST& list, unsigned int index);
