#pragma once
// The effects matrix: 16 cells in two rows of eight, each empty or holding
// one effect object. The columns left of the split run two parallel chains,
// row 0 on bus mix 1 and row 1 on bus mix 2; both mixes are then added into
// the host outputs, and row 0's cells from the split on run in series on
// that sum. Runs at the host rate.

class IGlobalSynth;
class IEffectModule;
class CStereoBuffer;

const unsigned int FX_MATRIX_CELLS = 16;
const unsigned int FX_MATRIX_COLUMNS = 8;
// Effect ids 1-20: two parameter instances of each of the ten effect types.
const unsigned int FX_EFFECT_ID_COUNT = 20;

class CEffectsMatrix {
 public:
  explicit CEffectsMatrix(IGlobalSynth* synth);
  virtual ~CEffectsMatrix();
  CEffectsMatrix(const CEffectsMatrix&) = delete;
  CEffectsMatrix& operator=(const CEffectsMatrix&) = delete;

  // Deletes every effect and creates the cells anew from their effect ids.
  void RebuildMatrix();
  void SetSampleRate(float sr);
  void SetBlockSize(unsigned int n);
  void Reset();
  void ResetFreePhase();
  void ResetCell(unsigned int cell);
  void OnKeyPress();
  void UpdateParams(unsigned int n);
  // mixes: the two bus mixes, n host-rate frames each; left/right are the
  // host outputs, which receive both processed mixes added to what they hold.
  void Process(CStereoBuffer* mixes, float* left, float* right, unsigned int n);

  IEffectModule* GetCell(unsigned int cell) const { return cell < FX_MATRIX_CELLS ? m_cells[cell] : nullptr; }
  // The split in force: parameter 729 truncated and brought into 0..8.
  unsigned int GetSplit() const;
  // The split a stored value stands for: 0..8, a damaged value (negative,
  // above 8 or not a number) brought into that range. The page reads it the
  // same way.
  static unsigned int SplitOf(float value);

 protected:
  // Creates the effect of one effect id 1-20 (null for any other id).
  virtual IEffectModule* _CreateEffect(unsigned int effectId);

 private:
  bool _IsCellActive(unsigned int cell, bool bypass) const;

  IGlobalSynth* m_synth;
  IEffectModule* m_cells[FX_MATRIX_CELLS] = {};
  float m_sampleRate = 0.0f;
  unsigned int m_blockSize = 0;
};
