#pragma once
// The right-click menu of a parameter control: adds a modulation of the
// control's parameter from a chosen source, picks which of the parameter's
// modulations the knob's ring shows, clears them all, and drives MIDI learn
// for the parameter. The XY pads get a MIDI-learn menu for their two axes.
// Every read and write goes through the engine's command interface, and the
// editor is told of every change so that its controls follow.

#include "platform/vstgui/vstgui.h"

class CEditor;
class ICommandHandler;

// Menu labels, compared by text when the menu returns.
extern const char MENU_ITEM_CLEAR_MODULATIONS[];
extern const char MENU_ITEM_START_MIDI_LEARN[];
extern const char MENU_ITEM_STOP_MIDI_LEARN[];
extern const char MENU_ITEM_CLEAR_MIDI_CC[];
extern const char MENU_ITEM_START_MIDI_LEARN_X[];
extern const char MENU_ITEM_START_MIDI_LEARN_Y[];

class CControlPopupMenu {
 public:
  static const long TAG_MAIN = -1;
  static const long TAG_SOURCES = 34907095;
  static const long TAG_ASSIGNED = 34907096;
  static const long TAG_MIDI_CC = 34907097;

  CControlPopupMenu(ICommandHandler* commands, AEffGUIEditor* editor);
  ~CControlPopupMenu();
  CControlPopupMenu(const CControlPopupMenu&) = delete;
  CControlPopupMenu& operator=(const CControlPopupMenu&) = delete;

  void Perform(CControl* control, unsigned int paramId);
  // The slot used, or -1 (no free slot, or the parameter is no target).
  int AddModulation(unsigned int paramId, unsigned int source);
  void ClearAllModulations(unsigned int paramId);
  void PerformForXY(CControl* control, long tag);

  COptionMenu* GetMainMenu() const { return m_main; }
  COptionMenu* GetSourcesMenu() const { return m_sources; }
  COptionMenu* GetAssignedMenu() const { return m_assigned; }
  COptionMenu* GetMidiCCMenu() const { return m_midiCC; }

 private:
  // True for a slot whose source is a real source (1-29).
  bool _slotHasSource(unsigned int slot);

  COptionMenu* m_main;
  COptionMenu* m_sources;
  COptionMenu* m_assigned;
  COptionMenu* m_midiCC;
  ICommandHandler* m_commands;
  CEditor* m_editor;
};
