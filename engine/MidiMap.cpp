#include "engine/MidiMap.h"

CMidiMap::CMidiMap() { ResetMidiMap(); }

void CMidiMap::ResetMidiMap() {
  for (unsigned int& entry : m_map) entry = 0;
  m_map[1] = DEFAULT_MOD_WHEEL_PARAM;
}

unsigned int CMidiMap::GetParamID(unsigned int cc) const { return cc < CC_COUNT ? m_map[cc] : 0; }

int CMidiMap::GetAssignedMidiCC(unsigned int id) const {
  for (unsigned int cc = 0; cc < CC_COUNT; ++cc)
    if (m_map[cc] == id) return static_cast<int>(cc);
  return -1;
}

void CMidiMap::ClearAssignedMidiCC(unsigned int id) {
  int cc = GetAssignedMidiCC(id);
  if (cc >= 0) m_map[cc] = 0;
}

bool CMidiMap::AssignMidiCC(unsigned int cc, unsigned int id) {
  // Channel-mode messages, bend and pressure have no entry: refuse them
  // before touching the table, so a learn attempt with them loses nothing.
  if (cc >= CC_COUNT) return false;
  ClearAssignedMidiCC(id);
  m_map[cc] = id;
  return true;
}

void CMidiMap::LoadMidiMap(const void* block) {
  if (!block) return;
  const unsigned char* p = static_cast<const unsigned char*>(block);
  for (unsigned int cc = 0; cc < CC_COUNT; ++cc, p += 4)
    m_map[cc] = static_cast<unsigned int>(p[0]) | static_cast<unsigned int>(p[1]) << 8 |
                static_cast<unsigned int>(p[2]) << 16 | static_cast<unsigned int>(p[3]) << 24;
}

unsigned int CMidiMap::SaveMidiMap(void* block) const {
  if (!block) return 0;
  unsigned char* p = static_cast<unsigned char*>(block);
  for (unsigned int cc = 0; cc < CC_COUNT; ++cc, p += 4) {
    unsigned int v = m_map[cc];
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
  }
  return RAW_BYTES;
}
