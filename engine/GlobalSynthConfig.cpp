// Settings file of CGlobalSynth: read once when the instance is created,
// rewritten whenever one of its settings changes.
#include "engine/ConfigFile.h"
#include "engine/FolderLayout.h"
#include "engine/GlobalSynth.h"

void CGlobalSynth::LoadConfig() {
  CONFIG_SETTINGS s;
  // A missing or unreadable file leaves the construction values standing.
  if (!ConfigFile::Read(FileSpec::PathConfigFile, s)) return;
  m_defaultAuthor = s.authorName;
  m_defaultPresetPath = s.presetPath;
  m_defaultMidiMapPath = s.midiMapPath;
  m_recordOnMidi = s.recordOnMidiInput != 0;
}

void CGlobalSynth::SaveConfig(unsigned int changed) {
  m_configPending |= changed & CONFIG_FIELDS_ALL;

  // Start from what the file holds now (another instance may have written it
  // since this one read it) and put this instance's changes on top, with the
  // file locked from the read to the write so that no other instance, here
  // or in another process, writes in between and has its change undone.
  ConfigFile::CLock lock(FileSpec::PathConfigFile);
  CONFIG_SETTINGS s;
  ConfigFile::Read(FileSpec::PathConfigFile, s);
  if (m_configPending & CONFIG_FIELD_AUTHOR) s.authorName = m_defaultAuthor;
  if (m_configPending & CONFIG_FIELD_PRESET_PATH) s.presetPath = m_defaultPresetPath;
  if (m_configPending & CONFIG_FIELD_MIDI_MAP_PATH) s.midiMapPath = m_defaultMidiMapPath;
  if (m_configPending & CONFIG_FIELD_RECORD_ON_MIDI) s.recordOnMidiInput = m_recordOnMidi ? 1 : 0;

  // On failure the new values still hold in this instance, and stay pending
  // so that the next successful save writes them too.
  if (!ConfigFile::Write(FileSpec::PathConfigFile, s)) return;
  m_configPending = 0;
  m_defaultAuthor = s.authorName;
  m_defaultPresetPath = s.presetPath;
  m_defaultMidiMapPath = s.midiMapPath;
  m_recordOnMidi = s.recordOnMidiInput != 0;
}
