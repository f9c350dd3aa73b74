#pragma once
// Binds MIDI control-change numbers 0-119 to synth parameter ids. Filled by
// MIDI learn, stored in the state chunk and as a module preset as 120
// little-endian u32 (480 bytes, no header).

class CMidiMap {
 public:
  static constexpr unsigned int CC_COUNT = 120;
  static constexpr unsigned int RAW_BYTES = CC_COUNT * 4;  // 480
  static constexpr unsigned int DEFAULT_MOD_WHEEL_PARAM = 1577;

  CMidiMap();
  ~CMidiMap() = default;

  // Default contents: everything unassigned except the modulation wheel.
  void ResetMidiMap();
  // Parameter bound to cc; 0 when none or cc > 119.
  unsigned int GetParamID(unsigned int cc) const;
  // Lowest cc bound to id, -1 when none.
  int GetAssignedMidiCC(unsigned int id) const;
  // Unbinds the lowest cc bound to id.
  void ClearAssignedMidiCC(unsigned int id);
  // Moves id to cc. Returns false, and binds nothing, for cc > 119; the
  // existing binding of id is kept then, so MIDI learn simply goes on.
  bool AssignMidiCC(unsigned int cc, unsigned int id);
  // Raw 480-byte form. A null block is ignored (Save returns 0).
  void LoadMidiMap(const void* block);
  unsigned int SaveMidiMap(void* block) const;

 private:
  unsigned int m_map[CC_COUNT];
};
