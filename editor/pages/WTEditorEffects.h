#pragma once
// One offline effect of the wavetable editor: rewrites a whole single-cycle
// wave of 16,384 samples in place for an amount 0..1 taken from its knob.
// The editor owns eight, one per type, and runs them in type order on a
// copy of the committed wave whenever a knob moves, so every effect makes a
// few passes over the wave and allocates nothing (the scratch buffer is
// made by the constructor).
//
// Non-finite input samples are never allowed to run away: Fold and
// Decimate read them as 0, the normalising effects zero them.

class CWTEditorEffects {
 public:
  static const unsigned int WAVE_SIZE = 16384;
  enum : unsigned int {
    EFFECT_COMB = 0,
    EFFECT_SYNC,
    EFFECT_MULTIPLY,
    EFFECT_DECIMATE,
    EFFECT_VOWEL,
    EFFECT_DRIVE,
    EFFECT_FOLD,
    EFFECT_WIDTH,
    EFFECT_COUNT
  };

  CWTEditorEffects();
  ~CWTEditorEffects();
  CWTEditorEffects(const CWTEditorEffects&) = delete;
  CWTEditorEffects& operator=(const CWTEditorEffects&) = delete;

  void SetType(unsigned int type) { m_type = type; }
  unsigned int GetType() const { return m_type; }

  // Nothing happens for an amount of exactly 0 or a type above 7.
  void Process(float* wave, float amount);

  void ApplyComb(float* wave, float amount);
  void ApplySync(float* wave, float amount);
  void ApplyMultiply(float* wave, float amount);
  void ApplyDecimate(float* wave, float amount);
  void ApplyVowel(float* wave, float amount);
  void ApplyDrive(float* wave, float amount);
  void ApplyFold(float* wave, float amount);
  void ApplyWidth(float* wave, float amount);

  // The comb's offset in samples for an amount (8000 at 0, 500 at 1).
  static unsigned int CombOffset(float amount);
  // The number of samples Width squeezes the wave into (16384 .. 163).
  static unsigned int WidthLength(float amount);
  // One sample through the fold at threshold t (0 < t <= 1): reflected at
  // +-t until inside, in closed form, then divided by t; non-finite gives 0.
  static float FoldSample(float x, float threshold);

 private:
  unsigned int m_type = EFFECT_MULTIPLY;
  float* m_scratch;
};
